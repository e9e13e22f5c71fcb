// SPDX-License-Identifier: MIT
// orlika-info [--layout NAME] FILE|FOLDER...: what the readers make of each design, as JSON lines.
#include "catalog/Catalog.h"
#include "decoders/Registry.h"
#include "platform/HeadlessHost.h"
#include "render/PainterCanvas.h"
#include "render/QtText.h"
#include "tools/ToolSupport.h"

#include <QGuiApplication>
#include <QImage>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

using namespace orlika;

// Measures text as a 96-dpi screen page does, and notes what a reader draws.
class InfoCanvas : public Canvas {
public:
    InfoCanvas() : m_image(1, 1, QImage::Format_RGB32), m_metrics(m_image)
    {
        m_image.setDotsPerMeterX(3780);
        m_image.setDotsPerMeterY(3780);
    }

    std::vector<std::string> texts;
    long long moves = 0;
    long long lines = 0;
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;

    void setPenColor(Color color) override { m_pen = color; }
    Color penColor() const override { return m_pen; }
    void setPenWidth(int) override {}
    void setBrush(BrushStyle, Color) override {}
    void setFont(const Font& font) override { m_metrics.setFont(font); }
    void setFontColor(Color color) override { m_font = color; }
    Color fontColor() const override { return m_font; }
    void moveTo(int x, int y) override
    {
        ++moves;
        bound(x, y);
    }
    void lineTo(int x, int y) override
    {
        ++lines;
        bound(x, y);
    }
    void rectangle(int, int, int, int) override {}
    void textOut(int, int, const std::string& text) override { texts.push_back(text); }
    int textWidth(const std::string& text) override { return m_metrics.textWidth(text); }
    int textHeight(const std::string& text) override { return m_metrics.textHeight(text); }

    bool drewPoints() const { return moves + lines > 0; }

private:
    void bound(int x, int y)
    {
        left = std::min(left, x);
        top = std::min(top, y);
        right = std::max(right, x);
        bottom = std::max(bottom, y);
    }

    QImage m_image;
    PainterCanvas m_metrics;
    Color m_pen = Black;
    Color m_font = Black;
};

std::string jsonList(const std::vector<std::string>& items)
{
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i)
        out += (i ? ", " : "") + tools::jsonString(items[i]);
    return out + "]";
}

std::string describe(const std::string& path, const std::string& layout)
{
    HeadlessHost host;
    PosixFileSystem files;
    Catalog catalog(host, files);
    tools::applyLayout(catalog.state(), layout);
    InfoCanvas canvas;
    catalog.setMainCanvas(&canvas);
    catalog.prepareScreenPage(canvas, 1000, 600);

    const Reader* decoder = readerOfName(namePart(path));
    std::string error;
    bool failed = false;
    if (auto file = files.openRead(path)) {
        try {
            catalog.decodeFile(canvas, path, std::move(file));
        } catch (const std::exception& e) {
            error = e.what();
            failed = true;
        }
    } else {
        error = "cannot open the file";
        failed = true;
    }

    std::string out = "{\"file\": " + tools::jsonString(path);
    out += ", \"decoder\": " + (decoder ? tools::jsonString(std::string(decoder->name)) : std::string("null"));
    out += ", \"texts\": " + jsonList(canvas.texts);
    out += ", \"messages\": " + jsonList(host.messages());
    out += ", \"error\": " + (failed ? tools::jsonString(error) : std::string("null"));
    out += ", \"drawn\": {\"moves\": " + std::to_string(canvas.moves) + ", \"lines\": " + std::to_string(canvas.lines);
    out += ", \"bbox\": ";
    out += canvas.drewPoints() ? "[" + std::to_string(canvas.left) + ", " + std::to_string(canvas.top) + ", " +
                                     std::to_string(canvas.right) + ", " + std::to_string(canvas.bottom) + "]"
                               : "null";
    return out + "}}";
}

std::string usageLine()
{
    return std::string("usage: orlika-info [--layout ") + tools::layoutNames() + "] FILE|FOLDER...\n";
}

std::string helpText()
{
    return usageLine() +
           "\n"
           "Reads each design file as the catalog does and writes one JSON object a line: the\n"
           "reader used, the texts written in the design's cell, message boxes raised, the\n"
           "error that ended reading, and how many moves and lines were drawn inside which box.\n"
           "A FOLDER stands for each design a catalog of it shows, in the catalog's order.\n"
           "\n"
           "  --layout LAYOUT  the page grid the cell belongs to: standard (the default),\n"
           "                   noremarks, thumb12, thumb20, thumb30 or enlarged\n"
           "  --help           show this help and exit\n"
           "  --version        show the version and exit\n";
}

int usage()
{
    std::fputs(usageLine().c_str(), stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (tools::answerHelpOrVersion(argc, argv, "orlika-info", helpText()))
        return 0;
    tools::useOffscreenPlatformUnlessSet();
    QGuiApplication app(argc, argv);
    std::string layout = "standard";
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--layout" && i + 1 < argc) {
            layout = argv[++i];
            orlika::CatalogState probe;
            if (!tools::applyLayout(probe, layout)) {
                std::fprintf(stderr, "orlika-info: unknown layout '%s'\n", layout.c_str());
                return usage();
            }
        } else if (arg.rfind("--", 0) == 0) {
            return usage();
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.empty())
        return usage();
    for (const auto& path : paths) {
        if (!std::filesystem::is_directory(path)) {
            std::cout << describe(path, layout) << '\n';
            continue;
        }
        // A folder: each design a catalog run of it draws, in its order; entries that
        // cannot be opened are skipped as the run skips them.
        std::string folder = path;
        if (folder.back() != '/')
            folder += '/';
        HeadlessHost host;
        PosixFileSystem files;
        Catalog catalog(host, files);
        catalog.state().FileList.setComparer(localNameComparer());
        for (const auto& name : catalog.listDesignFiles(folder))
            if (files.openRead(folder + name))
                std::cout << describe(folder + name, layout) << '\n';
    }
    return 0;
}
