// SPDX-License-Identifier: MIT
#include "tools/FindOptions.h"

#include <cstdio>

namespace orlika::tools {

void FindOptions::addTo(QCommandLineParser& parser) const
{
    parser.addOptions({name, format, fits, width, height, stitches, colors, thread, duplicates});
}

bool FindOptions::anyGiven(const QCommandLineParser& parser) const
{
    for (const auto* option : {&name, &format, &fits, &width, &height, &stitches, &colors, &thread, &duplicates})
        if (parser.isSet(*option))
            return true;
    return false;
}

QString FindOptions::read(const QCommandLineParser& parser, FindQuery& query) const
{
    DesignFilter& f = query.filter;
    const auto value = [&](const QCommandLineOption& option) { return parser.value(option).toStdString(); };
    f.namePattern = value(name);
    f.format = value(format);
    f.thread = value(thread);
    query.duplicates = parser.isSet(duplicates);
    if (parser.isSet(name) && f.namePattern.empty())
        return QStringLiteral("--name needs a pattern");
    if (parser.isSet(format) && (f.format.empty() || f.format == "."))
        return QStringLiteral("--format needs an extension");
    if (parser.isSet(thread) && f.thread.empty())
        return QStringLiteral("--thread needs a name");
    if (parser.isSet(fits)) {
        double w = 0, h = 0;
        if (!parseHoop(value(fits), w, h))
            return QStringLiteral("--fits takes a size such as 130x180 or 5x7in, not '%1'").arg(parser.value(fits));
        f.hoopWidthMm = w;
        f.hoopHeightMm = h;
    }
    const auto lengths = [&](const QCommandLineOption& option, std::optional<double>& min, std::optional<double>& max) {
        if (parser.isSet(option) && !parseLengthRange(value(option), min, max))
            return QStringLiteral("--%1 takes MIN:MAX in mm or in, not '%2'").arg(option.names().constFirst(),
                                                                                    parser.value(option));
        return QString();
    };
    const auto counts = [&](const QCommandLineOption& option, std::optional<std::int64_t>& min,
                            std::optional<std::int64_t>& max) {
        if (parser.isSet(option) && !parseCountRange(value(option), min, max))
            return QStringLiteral("--%1 takes MIN:MAX of whole numbers, not '%2'").arg(option.names().constFirst(),
                                                                                         parser.value(option));
        return QString();
    };
    for (const QString& problem : {lengths(width, f.minWidthMm, f.maxWidthMm),
                                   lengths(height, f.minHeightMm, f.maxHeightMm),
                                   counts(stitches, f.minStitches, f.maxStitches),
                                   counts(colors, f.minColorChanges, f.maxColorChanges)})
        if (!problem.isEmpty())
            return problem;
    return {};
}

void tellNotice(const QString& program, const std::string& notice)
{
    if (!notice.empty())
        std::fprintf(stderr, "%s: %s\n", qPrintable(program), notice.c_str());
}

} // namespace orlika::tools
