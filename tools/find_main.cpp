// SPDX-License-Identifier: MIT
// orlika-find TREE [filters]: the designs of a folder tree that the filters match, through
// the index of designs, one path a line or one JSON object a line.
#include "catalog/DesignPaths.h"
#include "collection/Find.h"
#include "tools/CommandLine.h"
#include "tools/FindOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace {

using namespace orlika;

const QString kProgram = QStringLiteral("orlika-find");

struct CommandLine {
    QCommandLineParser parser;
    tools::FindOptions filters;
    QCommandLineOption json{QStringLiteral("json"),
                            QStringLiteral("One JSON object a line with the design's figures, instead of its path.")};

    CommandLine()
    {
        parser.setApplicationDescription(QStringLiteral(
            "Prints the designs of a folder tree, and of the zip archives in it, that match every filter\n"
            "given: one path a line, a design inside an archive as ARCHIVE//ENTRY. The designs' figures\n"
            "come from the index of designs, which is brought up to date with the tree first. An archive\n"
            "that cannot be read is named on standard error. Exit status 0 when designs were found, 1\n"
            "when none, 2 for a wrong command line."));
        filters.addTo(parser);
        parser.addOption(json);
        parser.addPositionalArgument(QStringLiteral("TREE"), QStringLiteral("The folder to search, with its subfolders."));
    }

    QString problem(FindQuery& query) const
    {
        if (parser.positionalArguments().size() != 1)
            return QStringLiteral("give one folder");
        const QString tree = parser.positionalArguments().constFirst();
        if (!std::filesystem::is_directory(tree.toStdString()))
            return QStringLiteral("%1 is not a folder").arg(tree);
        return filters.read(parser, query);
    }
};

std::string folderOf(const QString& tree)
{
    std::string folder = std::filesystem::absolute(tree.toStdString()).lexically_normal().string();
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

QString colorName(Color color)
{
    return QStringLiteral("#%1%2%3")
        .arg(color & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((color >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((color >> 16) & 0xFF, 2, 16, QLatin1Char('0'));
}

QJsonObject jsonOf(const FoundDesign& found, bool grouped, const std::string& folder)
{
    const IndexedDesign& d = found.design;
    QJsonObject object;
    object[QStringLiteral("path")] = tools::textOf(d.designPath());
    object[QStringLiteral("file")] = tools::textOf(d.path);
    if (!d.entry.empty())
        object[QStringLiteral("entry")] = tools::textOf(d.entry);
    object[QStringLiteral("name")] = tools::textOf(d.name);
    object[QStringLiteral("format")] = QString::fromStdString(d.format);
    object[QStringLiteral("size")] = double(d.size);
    object[QStringLiteral("modified")] =
        QDateTime::fromMSecsSinceEpoch(d.modified / 1'000'000, Qt::UTC).toString(Qt::ISODateWithMs);
    if (!d.error.empty()) {
        object[QStringLiteral("error")] = tools::textOf(d.error);
    } else {
        object[QStringLiteral("width_mm")] = d.widthMm;
        object[QStringLiteral("height_mm")] = d.heightMm;
        object[QStringLiteral("stitches")] = double(d.stitches);
        object[QStringLiteral("color_changes")] = double(d.colorChanges);
        // At the default speed, a tenth of a minute and a centimetre of thread.
        object[QStringLiteral("sew_minutes")] = std::round(d.sewing.minutes() * 10) / 10;
        object[QStringLiteral("thread_m")] = std::round(d.sewing.threadMetres() * 100) / 100;
        QJsonArray threads;
        for (const IndexedThread& thread : d.threads)
            threads.append(QJsonObject{{QStringLiteral("name"), tools::textOf(thread.name)},
                                       {QStringLiteral("color"), colorName(thread.color)}});
        object[QStringLiteral("threads")] = threads;
        object[QStringLiteral("fingerprint")] = QString::fromStdString(d.fingerprint);
    }
    if (grouped) {
        // As the window decides: only a byte copy of the member kept is selected for deletion.
        object[QStringLiteral("group")] = found.group;
        object[QStringLiteral("kind")] = QString::fromUtf8(kindName(found.kind).data(), qsizetype(kindName(found.kind).size()));
        object[QStringLiteral("preselected")] = found.preselected;
        if (found.kept)
            object[QStringLiteral("kept")] = true;
        if (!found.keptPath.empty())
            object[QStringLiteral("copy_of")] = tools::textOf(folder + found.keptPath);
    }
    return object;
}

void showProgress(int handled, int total)
{
    std::fprintf(stderr, "\rreading designs for the index: %d of %d ", handled, total);
    std::fflush(stderr);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    CommandLine commandLine;
    FindQuery query;
    if (const auto status = tools::parseCommandLine(kProgram, commandLine.parser, app.arguments(),
                                                    [&] { return commandLine.problem(query); }))
        return *status;
    const std::string folder = folderOf(commandLine.parser.positionalArguments().constFirst());

    std::string notice;
    const auto index = openDesignIndex(notice);
    tools::tellNotice(kProgram, notice);
    const bool tty = isatty(STDERR_FILENO);
    try {
        const auto counts = index->refresh(folder, [&](int handled, int total) {
            if (tty && (handled % 100 == 0 || handled == total))
                showProgress(handled, total);
            return true;
        });
        if (tty && counts.read > 0)
            std::fputc('\n', stderr);
        tools::tellNotice(kProgram, index->takeNotice());
        // The designs of an archive that cannot be read are nowhere in the answer: say so.
        for (const IndexedDesign& archive : index->unreadArchives(folder))
            std::fprintf(stderr, "%s: %s: %s\n", qPrintable(kProgram), archive.path.c_str(), archive.error.c_str());
        const std::vector<FoundDesign> found = findDesigns(*index, folder, query);
        const bool json = commandLine.parser.isSet(commandLine.json);
        for (std::size_t i = 0; i < found.size(); ++i) {
            const FoundDesign& design = found[i];
            if (json) {
                std::printf("%s\n", QJsonDocument(jsonOf(design, query.duplicates, folder))
                                        .toJson(QJsonDocument::Compact)
                                        .constData());
                continue;
            }
            // Each group of duplicates under a line that says what it is.
            if (design.group > 0 && (i == 0 || found[i - 1].group != design.group))
                std::printf("# group %d: %s\n", design.group, groupHeading(found, i).c_str());
            std::printf("%s\n", design.design.designPath().c_str());
        }
        return found.empty() ? 1 : 0;
    } catch (const IndexError& error) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(kProgram), error.what());
        return 1;
    }
}
