// SPDX-License-Identifier: MIT
// orlika-catalog PATH -o OUT: the catalog of a folder (or a folder tree, or the designs of a
// tree that filters find) as a printed PDF or as PNG pages.
#include "catalog/Catalog.h"
#include "collection/CollectionFiles.h"
#include "collection/Find.h"
#include "collection/TreeWalk.h"
#include "platform/HeadlessHost.h"
#include "render/FontConfiguration.h"
#include "render/QtText.h"
#include "render/Surfaces.h"
#include "tools/FindOptions.h"
#include "tools/ToolSupport.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace orlika;

struct Options {
    std::string path;
    std::string output;
    std::string layout = "standard";
    std::string title;
    bool portrait = false;
    bool allFormats = false;
    bool strict = false;
    bool subfolders = false;
    bool find = false;      // filters given: the designs they find in the tree
    FindQuery query;
    bool titleGiven = false;
};

constexpr int kPageWidth = 1600;
constexpr int kPageHeight = 1000;

// The command line: the parser's options and what they set.
struct CommandLine {
    QCommandLineParser parser;
    QCommandLineOption output{QStringList{QStringLiteral("o"), QStringLiteral("output")},
                              QStringLiteral("OUT.pdf: the printed catalog, A4; OUT.png: screen pages of 1600 x "
                                             "1000 pixels, written as OUT-1.png, OUT-2.png..."),
                              QStringLiteral("OUT")};
    QCommandLineOption layout{QStringLiteral("layout"),
                              QStringLiteral("The page grid: ") + tools::layoutNames() +
                                  QStringLiteral(" (standard, 3 x 2, when not given; enlarged: one design a page)."),
                              QStringLiteral("LAYOUT"), QStringLiteral("standard")};
    QCommandLineOption title{QStringLiteral("title"), QStringLiteral("A title line at the top of every printed page."),
                             QStringLiteral("TEXT")};
    QCommandLineOption portrait{QStringLiteral("portrait"), QStringLiteral("Print on portrait pages.")};
    QCommandLineOption landscape{QStringLiteral("landscape"), QStringLiteral("Print on landscape pages (the default).")};
    QCommandLineOption allFormats{QStringLiteral("all-formats"),
                                  QStringLiteral("With a design file: every supported format of its folder.")};
    QCommandLineOption strict{QStringLiteral("strict"),
                              QStringLiteral("Exit with status 1 when a design could not be read or its reader "
                                             "refused it (the catalog is still written, that design's cell "
                                             "showing why).")};
    QCommandLineOption subfolders{QStringLiteral("subfolders"),
                                  QStringLiteral("The folder with its subfolders, and the designs inside the zip "
                                                 "archives there.")};
    tools::FindOptions filters;

    CommandLine()
    {
        parser.setApplicationDescription(QStringLiteral(
            "Draws the designs of a folder as a catalog: the printed pages as a PDF file, or the screen\n"
            "pages as PNG images. A design that cannot be read shows the error in its cell and is named\n"
            "on standard error; the run goes on."));
        parser.addOptions({output, layout, title, portrait, landscape, allFormats, strict, subfolders});
        filters.addTo(parser);
        parser.addPositionalArgument(QStringLiteral("PATH"),
                                     QStringLiteral("A folder (every supported format), or a design file (its "
                                                    "folder, in that file's format). With a filter: the folder "
                                                    "tree to search."));
    }

    /// What is wrong with the parsed command line, or nothing.
    QString problem() const
    {
        const QString out = parser.value(output);
        CatalogState probe;
        if (parser.positionalArguments().size() != 1)
            return QStringLiteral("give one folder or design file");
        if (!parser.isSet(output))
            return QStringLiteral("give the output with -o OUT.pdf or -o OUT.png");
        if (!out.endsWith(QStringLiteral(".pdf")) && !out.endsWith(QStringLiteral(".png")))
            return QStringLiteral("the output must end in .pdf or .png");
        if (!tools::applyLayout(probe, parser.value(layout).toStdString()))
            return QStringLiteral("unknown layout '%1'").arg(parser.value(layout));
        FindQuery query;
        return filters.read(parser, query);
    }

    Options options() const
    {
        Options o;
        o.path = parser.positionalArguments().constFirst().toStdString();
        o.output = parser.value(output).toStdString();
        o.layout = parser.value(layout).toStdString();
        o.title = parser.value(title).toStdString();
        o.portrait = parser.isSet(portrait) && !parser.isSet(landscape);
        o.allFormats = parser.isSet(allFormats);
        o.strict = parser.isSet(strict);
        o.subfolders = parser.isSet(subfolders);
        o.find = filters.anyGiven(parser);
        filters.read(parser, o.query);
        o.titleGiven = parser.isSet(title);
        return o;
    }
};

// "out.png" -> "out-3.png"
std::string numberedPath(const std::string& output, int page)
{
    return output.substr(0, output.size() - 4) + "-" + std::to_string(page) + ".png";
}

// Chooses the folder and format class as the open dialog would: a file with its own
// format's filter (or all formats when asked), a folder with all supported formats.
void chooseFiles(CatalogState& s, Catalog& catalog, const Options& options)
{
    std::filesystem::path path = std::filesystem::absolute(options.path);
    if (std::filesystem::is_directory(path)) {
        std::string folder = path.lexically_normal().string();
        if (folder.empty() || folder.back() != '/')
            folder += '/';
        s.OpenDialog1.FileName = folder + "*";
        s.OpenDialog1.FilterIndex = FilterIndex::AllSupported;
    } else {
        s.OpenDialog1.FileName = path.lexically_normal().string();
        s.OpenDialog1.FilterIndex = options.allFormats ? FilterIndex::AllSupported : FilterIndex{1};
    }
    catalog.GetFileTypes();
    s.OpenFileName = s.OpenDialog1.FileName;
    s.FromBeginning = true;
    s.UseDialogList = s.UseSelectedList = false;
    s.IncludeSubfolders = options.subfolders;
}

/// The folder of PATH (PATH itself, or a file's folder), ending in '/'.
std::string treeFolder(const std::string& path)
{
    std::filesystem::path absolute = std::filesystem::absolute(path).lexically_normal();
    if (!std::filesystem::is_directory(absolute))
        absolute = absolute.parent_path();
    std::string folder = absolute.string();
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

/// Hands the catalog the designs the filters find in the tree, duplicates in their groups
/// with the group in their remarks; false when there are none.
bool chooseFoundDesigns(CatalogState& s, Catalog& catalog, const Options& options)
{
    const std::string folder = treeFolder(options.path);
    std::string notice;
    const auto index = openDesignIndex(notice);
    tools::tellNotice(QStringLiteral("orlika-catalog"), notice);
    index->refresh(folder);
    tools::tellNotice(QStringLiteral("orlika-catalog"), index->takeNotice());
    const auto found = findDesigns(*index, folder, options.query);
    if (found.empty()) {
        std::fprintf(stderr, "orlika-catalog: no design under %s matches: %s\n", folder.c_str(),
                     options.query.describe().c_str());
        return false;
    }
    FoundRun run = runOfFound(found);
    s.FileKind = FileKind::AllSupported;
    s.UseDialogList = s.UseSelectedList = false;
    catalog.setGivenDesigns(folder, run.paths, options.query.duplicates, std::move(run.notes));
    return true;
}

void showProgress(const std::string& caption)
{
    // " Picture 3 of 40" / " Printing Picture 3 of 40"
    const auto at = caption.find("Picture ");
    if (at == std::string::npos)
        return;
    std::fprintf(stderr, "\rdesigns %s ", caption.c_str() + at + 8);
    std::fflush(stderr);
}

int writePdf(Catalog& catalog, HeadlessHost& host, const Options& options)
{
    // The catalog takes its name only when complete: a run that fails leaves no partial
    // file, and an older file of that name untouched.
    PdfFile file(QString::fromStdString(options.output));
    if (const std::string problem = file.open(); !problem.empty()) {
        std::fprintf(stderr, "orlika-catalog: cannot write %s: %s\n", options.output.c_str(), problem.c_str());
        return 1;
    }
    QPdfWriter& writer = file.writer();
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageOrientation(options.portrait ? QPageLayout::Portrait : QPageLayout::Landscape);
    writer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    writer.setResolution(600);  // a laser printer's: one-pixel lines stay visible on paper
    PagedPrinter printer(file);
    catalog.setPrinter(&printer);
    catalog.View(printer.canvas(), true);
    catalog.runToEnd([&] { host.answerWait(); });
    catalog.setPrinter(nullptr);
    const int pages = printer.pagesPrinted();
    if (catalog.designsShown() == 0) {
        std::fprintf(stderr, "orlika-catalog: no design files found at %s\n", options.path.c_str());
        return 1;
    }
    // A design that could not be read has its cell; only the document itself fails here.
    if (!host.errors().empty()) {
        std::fprintf(stderr, "orlika-catalog: %s\n", host.errors().front().c_str());
        return 1;
    }
    if (const std::string problem = file.commit(); !problem.empty()) {
        std::fprintf(stderr, "orlika-catalog: cannot write %s: %s\n", options.output.c_str(), problem.c_str());
        return 1;
    }
    std::printf("%s: %d page%s\n", options.output.c_str(), pages, pages == 1 ? "" : "s");
    return 0;
}

int writePngPages(Catalog& catalog, HeadlessHost& host, const Options& options)
{
    ImagePage page(kPageWidth, kPageHeight);
    host.geometry = {kPageWidth, kPageHeight, 0, kPageWidth, kPageHeight};
    catalog.setMainCanvas(&page.canvas());
    std::vector<std::string> written;
    bool failed = false;
    const auto savePage = [&] {
        page.flush();
        const std::string path = numberedPath(options.output, int(written.size()) + 1);
        // Each page takes its name only when all of it is written.
        if (const std::string problem = savePng(page.image(), QString::fromStdString(path)); problem.empty()) {
            written.push_back(path);
        } else {
            std::fprintf(stderr, "orlika-catalog: cannot write %s: %s\n", path.c_str(), problem.c_str());
            failed = true;
        }
    };
    host.onWait = [&] {
        savePage();
        if (failed)
            catalog.SBCancelClick();
        else
            catalog.SBButtonClick();
    };
    catalog.View(page.canvas(), false);
    catalog.runToEnd([&] { host.answerWait(); });
    const auto& s = catalog.state();
    if (catalog.designsShown() == 0) {
        std::fprintf(stderr, "orlika-catalog: no design files found at %s\n", options.path.c_str());
        return 1;
    }
    if (!host.errors().empty()) {
        std::fprintf(stderr, "orlika-catalog: %s\n", host.errors().front().c_str());
        failed = true;
    }
    // A run of more than one page ends with a wait at its last page, already saved.
    if (!failed && s.FileCount <= s.CellsPerPage)
        savePage();
    if (failed) {
        // No partial set of pages stays behind.
        for (const auto& path : written)
            std::remove(path.c_str());
        return 1;
    }
    std::printf("%s: %d page%s\n", numberedPath(options.output, 1).c_str(), int(written.size()),
                written.size() == 1 ? "" : "s");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    tools::useOffscreenPlatformUnlessSet();
    startFontconfig();
    QGuiApplication app(argc, argv);
    CommandLine commandLine;
    if (const auto status = tools::parseCommandLine(QStringLiteral("orlika-catalog"), commandLine.parser,
                                                    app.arguments(), [&] { return commandLine.problem(); }))
        return *status;
    const Options options = commandLine.options();
    if (!std::filesystem::exists(options.path)) {
        std::fprintf(stderr, "orlika-catalog: %s does not exist\n", options.path.c_str());
        return 1;
    }

    HeadlessHost host;
    // A catalog of what a search found is titled by the search, unless a title is given.
    host.pageTitle = options.find && !options.titleGiven ? options.query.describe() : options.title;
    host.clock = localDateTimeText;
    if (isatty(STDERR_FILENO))
        host.onCaption = showProgress;
    ArchiveShelf archives;
    CollectionFileSystem files(archives);
    TreeCollector collector(archives);
    Catalog catalog(host, files);
    catalog.setCollector(&collector);
    catalog.state().FileList.setComparer(localNameComparer());
    catalog.state().SelectedList.setComparer(localNameComparer());
    tools::applyLayout(catalog.state(), options.layout);
    chooseFiles(catalog.state(), catalog, options);
    if (options.find) {
        try {
            if (!chooseFoundDesigns(catalog.state(), catalog, options))
                return 1;
        } catch (const IndexError& error) {
            std::fprintf(stderr, "orlika-catalog: %s\n", error.what());
            return 1;
        }
    }
    const bool pdf = options.output.ends_with(".pdf");
    int status = pdf ? writePdf(catalog, host, options) : writePngPages(catalog, host, options);
    if (isatty(STDERR_FILENO))
        std::fputc('\n', stderr);
    // One damaged file among many still gives the catalog; a script that must not miss
    // one asks for --strict.
    const auto failed = catalog.failedDesigns();
    for (const auto& design : failed)
        std::fprintf(stderr, "orlika-catalog: %s: %s\n", design.name.c_str(), design.message.c_str());
    if (status == 0 && options.strict && !failed.empty())
        status = 1;
    return status;
}
