// SPDX-License-Identifier: MIT
// orlika-catalog PATH -o OUT: the catalog of a folder as a printed PDF or as PNG pages.
#include "catalog/Catalog.h"
#include "platform/HeadlessHost.h"
#include "render/QtText.h"
#include "render/Surfaces.h"
#include "tools/ToolSupport.h"

#include <QFile>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>

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
};

constexpr int kPageWidth = 1600;
constexpr int kPageHeight = 1000;

std::string usageLine()
{
    return std::string("usage: orlika-catalog PATH [--layout ") + tools::layoutNames() +
           "] [--title TEXT] [--portrait|--landscape]\n"
           "                      [--all-formats] -o OUT.pdf|OUT.png\n";
}

std::string helpText()
{
    return usageLine() +
           "\n"
           "Draws the designs of a folder as a catalog: the printed pages as a PDF file, or\n"
           "the screen pages as PNG images.\n"
           "\n"
           "  PATH             a folder (every supported format), or a design file (its folder,\n"
           "                   in that file's format)\n"
           "  -o OUT           OUT.pdf: the printed catalog, A4; OUT.png: screen pages of\n"
           "                   1600 x 1000 pixels, written as OUT-1.png, OUT-2.png...\n"
           "  --layout LAYOUT  the page grid: standard (3 x 2, the default), noremarks,\n"
           "                   thumb12, thumb20, thumb30 or enlarged (one design a page)\n"
           "  --title TEXT     a title line at the top of every printed page\n"
           "  --portrait       print on portrait pages\n"
           "  --landscape      print on landscape pages (the default)\n"
           "  --all-formats    with a design file: every supported format of its folder\n"
           "  --help           show this help and exit\n"
           "  --version        show the version and exit\n";
}

int usage()
{
    std::fputs(usageLine().c_str(), stderr);
    return 2;
}

bool parse(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "-o" && hasValue)
            options.output = argv[++i];
        else if (arg == "--layout" && hasValue)
            options.layout = argv[++i];
        else if (arg == "--title" && hasValue)
            options.title = argv[++i];
        else if (arg == "--portrait")
            options.portrait = true;
        else if (arg == "--landscape")
            options.portrait = false;
        else if (arg == "--all-formats")
            options.allFormats = true;
        else if (arg.rfind("-", 0) == 0 || !options.path.empty())
            return false;
        else
            options.path = arg;
    }
    return !options.path.empty() && !options.output.empty();
}

bool endsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

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
    // The catalog is written beside its target and takes its name only when complete:
    // a run that fails leaves no partial file, and an older file of that name untouched.
    QSaveFile file(QString::fromStdString(options.output));
    if (!file.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "orlika-catalog: cannot write %s: %s\n", options.output.c_str(),
                     file.errorString().toLocal8Bit().constData());
        return 1;
    }
    int pages = 0;
    {
        QPdfWriter writer(&file);
        writer.setCreator(QStringLiteral("ORLIKA"));
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageOrientation(options.portrait ? QPageLayout::Portrait : QPageLayout::Landscape);
        writer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
        writer.setResolution(600);  // a laser printer's: one-pixel lines stay visible on paper
        PagedPrinter printer(writer, options.output);
        catalog.setPrinter(&printer);
        catalog.View(printer.canvas(), true);
        catalog.setPrinter(nullptr);
        pages = printer.pagesPrinted();
    }
    if (catalog.designsShown() == 0) {
        std::fprintf(stderr, "orlika-catalog: no design files found at %s\n", options.path.c_str());
        return 1;
    }
    if (!host.errors().empty()) {
        std::fprintf(stderr, "orlika-catalog: %s\n", host.errors().front().c_str());
        return 1;
    }
    if (!file.commit()) {
        std::fprintf(stderr, "orlika-catalog: cannot write %s: %s\n", options.output.c_str(),
                     file.errorString().toLocal8Bit().constData());
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
        if (page.image().save(QString::fromStdString(path), "PNG")) {
            written.push_back(path);
        } else {
            std::fprintf(stderr, "orlika-catalog: cannot write %s\n", path.c_str());
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
    if (tools::answerHelpOrVersion(argc, argv, "orlika-catalog", helpText()))
        return 0;
    tools::useOffscreenPlatformUnlessSet();
    QGuiApplication app(argc, argv);
    Options options;
    if (!parse(argc, argv, options))
        return usage();
    const bool pdf = endsWith(options.output, ".pdf");
    if (!pdf && !endsWith(options.output, ".png")) {
        std::fprintf(stderr, "orlika-catalog: the output must end in .pdf or .png\n");
        return usage();
    }
    if (!std::filesystem::exists(options.path)) {
        std::fprintf(stderr, "orlika-catalog: %s does not exist\n", options.path.c_str());
        return 1;
    }

    HeadlessHost host;
    host.pageTitle = options.title;
    host.clock = localDateTimeText;
    if (isatty(STDERR_FILENO))
        host.onCaption = showProgress;
    PosixFileSystem files;
    Catalog catalog(host, files);
    catalog.state().FileList.setComparer(localNameComparer());
    catalog.state().SelectedList.setComparer(localNameComparer());
    if (!tools::applyLayout(catalog.state(), options.layout)) {
        std::fprintf(stderr, "orlika-catalog: unknown layout '%s'\n", options.layout.c_str());
        return usage();
    }
    chooseFiles(catalog.state(), catalog, options);
    const int status = pdf ? writePdf(catalog, host, options) : writePngPages(catalog, host, options);
    if (isatty(STDERR_FILENO))
        std::fputc('\n', stderr);
    return status;
}
