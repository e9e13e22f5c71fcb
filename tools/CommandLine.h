// SPDX-License-Identifier: MIT
// The command line and the text of every tool.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <string>

class QCommandLineParser;

namespace orlika::tools {

/// Bytes as text: UTF-8 where they are valid UTF-8, any other byte as the character of
/// the same code, so that a name or note in an old 8-bit encoding still reads.
QString textOf(const std::string& bytes);

/// Makes Qt work without a display: the tools never open a window.
void useOffscreenPlatformUnlessSet();

/// Names the program (and its version) for Qt, then parses the command line with the
/// parser's options, after adding --help, --help-all and --version. Returns the exit
/// status when the program is to end at once: 0 after the help or the version was
/// written (--help-all exits from here), 2 after a wrong command line was told on standard
/// error (`problem`, when set, adds a check of the parsed values: it returns the
/// message for a value that is wrong, or an empty one).
std::optional<int> parseCommandLine(const QString& program, QCommandLineParser& parser, const QStringList& arguments,
                                    const std::function<QString()>& problem = {});

} // namespace orlika::tools
