// SPDX-License-Identifier: MIT
#include "tools/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace orlika::tools {

namespace {

// Length of the valid UTF-8 sequence at text[i], or 0 when it is not one.
std::size_t utf8Length(const std::string& text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return (unsigned char)text[k]; };
    const unsigned char lead = byte(i);
    std::size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 && lead < 0xE0 ? 2 : 0;
    if (length == 0 || i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k)
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
    return length;
}

} // namespace

QString textOf(const std::string& bytes)
{
    QString text;
    text.reserve(qsizetype(bytes.size()));
    for (std::size_t i = 0; i < bytes.size();) {
        if (const std::size_t length = utf8Length(bytes, i)) {
            text += QString::fromUtf8(bytes.data() + i, qsizetype(length));
            i += length;
        } else {
            text += QChar(char16_t(static_cast<unsigned char>(bytes[i])));
            ++i;
        }
    }
    return text;
}

void useOffscreenPlatformUnlessSet()
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Qt wants a private runtime folder and complains on every start without one.
    if (!std::getenv("XDG_RUNTIME_DIR")) {
        const std::string folder = "/tmp/runtime-" + std::to_string(getuid());
        if (mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST)
            setenv("XDG_RUNTIME_DIR", folder.c_str(), 0);
    }
}

std::optional<int> parseCommandLine(const QString& program, QCommandLineParser& parser, const QStringList& arguments,
                                    const std::function<QString()>& problem)
{
    QCoreApplication::setApplicationName(program);
    QCoreApplication::setApplicationVersion(QStringLiteral(ORLIKA_VERSION));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QString helpAll = QStringLiteral("help-all");
    QString error;
    if (!parser.parse(arguments))
        error = parser.errorText();
    else if (parser.isSet(help) || parser.isSet(helpAll) || parser.isSet(version))
        error.clear();
    else if (problem)
        error = problem();
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", qPrintable(program),
                     qPrintable(error), qPrintable(program));
        return 2;
    }
    if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    // Only Qt's own handling lists Qt's options; it writes the help and exits with 0.
    if (parser.isSet(helpAll))
        parser.process(arguments);
    if (parser.isSet(version)) {
        std::printf("%s %s\n", qPrintable(program), qPrintable(QCoreApplication::applicationVersion()));
        return 0;
    }
    return std::nullopt;
}

} // namespace orlika::tools
