// SPDX-License-Identifier: MIT
// The filters of orlika-find and orlika-catalog: one set of options, one reading of them.
#pragma once

#include "collection/Find.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>

namespace orlika::tools {

struct FindOptions {
    QCommandLineOption name{QStringLiteral("name"),
                            QStringLiteral("Designs whose file name matches PATTERN: * any run, ? one character, "
                                           "letters in any case."),
                            QStringLiteral("PATTERN")};
    QCommandLineOption format{QStringLiteral("format"),
                              QStringLiteral("Designs of one format, by its extension: dst, pes, exp..."),
                              QStringLiteral("EXT")};
    QCommandLineOption fits{QStringLiteral("fits"),
                            QStringLiteral("Designs that fit a hoop of W x H, either way round: 130x180 (mm) or "
                                           "5x7in."),
                            QStringLiteral("WxH")};
    QCommandLineOption width{QStringLiteral("width"),
                             QStringLiteral("Designs whose width is from MIN to MAX, in mm or with 'in' after a "
                                            "number; either side may be left out (:100, 2in:)."),
                             QStringLiteral("MIN:MAX")};
    QCommandLineOption height{QStringLiteral("height"), QStringLiteral("Designs whose height is from MIN to MAX, as "
                                                                       "--width."),
                              QStringLiteral("MIN:MAX")};
    QCommandLineOption stitches{QStringLiteral("stitches"),
                                QStringLiteral("Designs of MIN to MAX stitches; either side may be left out."),
                                QStringLiteral("MIN:MAX")};
    QCommandLineOption colors{QStringLiteral("colors"),
                              QStringLiteral("Designs of MIN to MAX colour changes; either side may be left out."),
                              QStringLiteral("MIN:MAX")};
    QCommandLineOption thread{QStringLiteral("thread"),
                              QStringLiteral("Designs with a thread whose name or code holds NAME, letters in any "
                                             "case."),
                              QStringLiteral("NAME")};
    QCommandLineOption duplicates{QStringLiteral("duplicates"),
                                  QStringLiteral("Only designs whose stitches another design of the tree has too "
                                                 "(a copy, or the same design in another format), group by group.")};

    void addTo(QCommandLineParser& parser) const;
    /// True when a filter or --duplicates is given.
    bool anyGiven(const QCommandLineParser& parser) const;
    /// Reads the query; returns what is wrong with a value, or an empty text.
    QString read(const QCommandLineParser& parser, FindQuery& query) const;
};

/// The notices of the index (made anew, kept in memory) on standard error.
void tellNotice(const QString& program, const std::string& notice);

} // namespace orlika::tools
