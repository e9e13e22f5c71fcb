// SPDX-License-Identifier: MIT
// orlika-info [--layout NAME] FILE|FOLDER...: what the readers make of each design, as JSON lines.
#include "catalog/Catalog.h"
#include "decoders/Registry.h"
#include "platform/HeadlessHost.h"
#include "render/FontConfiguration.h"
#include "render/PainterCanvas.h"
#include "render/QtText.h"
#include "tools/ToolSupport.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

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

QJsonArray textList(const std::vector<std::string>& items)
{
    QJsonArray list;
    for (const auto& item : items)
        list.append(tools::textOf(item));
    return list;
}

QJsonObject describe(const std::string& path, const std::string& layout)
{
    HeadlessHost host;
    PosixFileSystem files;
    Catalog catalog(host, files);
    tools::applyLayout(catalog.state(), layout);
    InfoCanvas canvas;
    catalog.setMainCanvas(&canvas);
    catalog.prepareScreenPage(canvas, 1000, 600);

    const Reader* decoder = readerOfName(namePart(path));
    QJsonValue error;
    if (auto file = files.openRead(path)) {
        if (const auto decoded = catalog.decodeFile(canvas, path, std::move(file)); decoded.error)
            error = tools::textOf(*decoded.error);
    } else {
        error = QStringLiteral("cannot open the file");
    }

    QJsonObject drawn{{QStringLiteral("moves"), qint64(canvas.moves)}, {QStringLiteral("lines"), qint64(canvas.lines)}};
    drawn[QStringLiteral("bbox")] =
        canvas.drewPoints() ? QJsonValue(QJsonArray{canvas.left, canvas.top, canvas.right, canvas.bottom}) : QJsonValue();
    return {
        {QStringLiteral("file"), tools::textOf(path)},
        {QStringLiteral("decoder"), decoder ? QJsonValue(tools::textOf(std::string(decoder->name))) : QJsonValue()},
        {QStringLiteral("texts"), textList(canvas.texts)},
        {QStringLiteral("messages"), textList(host.messages())},
        {QStringLiteral("error"), error},
        {QStringLiteral("drawn"), drawn},
    };
}

void writeLine(const QJsonObject& object)
{
    std::cout << QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString() << '\n';
}

} // namespace

int main(int argc, char** argv)
{
    tools::useOffscreenPlatformUnlessSet();
    startFontconfig();
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Reads each design file as the catalog does and writes one JSON object a line: the reader\n"
        "used, the texts written in the design's cell, message boxes raised, the error that ended\n"
        "reading, and how many moves and lines were drawn inside which box. A FOLDER stands for\n"
        "each design a catalog of it shows, in the catalog's order."));
    const QCommandLineOption layoutOption(QStringLiteral("layout"),
                                          QStringLiteral("The page grid the cell belongs to: ") + tools::layoutNames() +
                                              QStringLiteral(" (standard when not given)."),
                                          QStringLiteral("LAYOUT"), QStringLiteral("standard"));
    parser.addOption(layoutOption);
    parser.addPositionalArgument(QStringLiteral("FILE|FOLDER"), QStringLiteral("Design files or folders."),
                                 QStringLiteral("FILE|FOLDER..."));
    CatalogState probe;
    if (const auto status = tools::parseCommandLine(QStringLiteral("orlika-info"), parser, app.arguments(), [&]() -> QString {
            if (!tools::applyLayout(probe, parser.value(layoutOption).toStdString()))
                return QStringLiteral("unknown layout '%1'").arg(parser.value(layoutOption));
            if (parser.positionalArguments().isEmpty())
                return QStringLiteral("no design file or folder given");
            return {};
        }))
        return *status;

    const std::string layout = parser.value(layoutOption).toStdString();
    for (const QString& argument : parser.positionalArguments()) {
        const std::string path = argument.toStdString();
        if (!std::filesystem::is_directory(path)) {
            writeLine(describe(path, layout));
            continue;
        }
        // A folder: each design a catalog run of it draws, in its order; entries that
        // cannot be opened are skipped as the run skips them.
        std::string folder = path;
        if (!folder.ends_with('/'))
            folder += '/';
        HeadlessHost host;
        PosixFileSystem files;
        Catalog catalog(host, files);
        catalog.state().FileList.setComparer(localNameComparer());
        for (const auto& name : catalog.listDesignFiles(folder))
            if (files.openRead(folder + name))
                writeLine(describe(folder + name, layout));
    }
    return 0;
}
