// SPDX-License-Identifier: MIT
// orlika-export DESIGN -o OUT.svg|OUT.png|OUT.pdf: one design at its actual size, as a
// picture for other programs (SVG in millimetres, PNG at a resolution) or as its printed
// design sheet (PDF, or PNG pages with --sheet). Nothing is written for a design the
// readers reject, and a file that fails to be written leaves nothing behind.
#include "render/FontConfiguration.h"
#include "render/Surfaces.h"
#include "sheet/DesignExport.h"
#include "sheet/DesignSheet.h"
#include "tools/CommandLine.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QPdfWriter>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace orlika;

enum class OutputKind { Svg, Png, Pdf };

struct Options {
    std::string design;
    std::string output;
    OutputKind kind = OutputKind::Pdf;
    int dpi = 300;
    bool sheet = false;
    std::optional<QColor> background;
    QPageSize::PageSizeId paper = QPageSize::A4;
    bool landscape = false;
    bool partial = false;
    PictureStyle style;
};

constexpr int kLeastDpi = 10;
constexpr int kMostDpi = 2400;

// The command line: the parser's options and what they set.
struct CommandLine {
    QCommandLineParser parser;
    QCommandLineOption output{
        QStringList{QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("OUT.svg: the design in millimetres; OUT.png: the design at --dpi; OUT.pdf: its design sheet."),
        QStringLiteral("OUT")};
    QCommandLineOption dpi{
        QStringLiteral("dpi"),
        QStringLiteral("Dots per inch of PNG output, %1 to %2 (300 when not given).").arg(kLeastDpi).arg(kMostDpi),
        QStringLiteral("N"), QStringLiteral("300")};
    QCommandLineOption sheet{
        QStringLiteral("sheet"),
        QStringLiteral("Write the design sheet: with OUT.png, its pages as OUT-1.png, OUT-2.png... "
                       "(a PDF is always the sheet).")};
    QCommandLineOption background{QStringLiteral("background"),
                                  QStringLiteral("Fill the SVG or PNG picture with COLOR (a name such as white, or "
                                                 "#rrggbb); transparent when not given."),
                                  QStringLiteral("COLOR")};
    QCommandLineOption paper{QStringLiteral("paper"),
                             QStringLiteral("The sheet's paper: A4 or Letter (A4 when not given)."),
                             QStringLiteral("SIZE"), QStringLiteral("A4")};
    QCommandLineOption landscape{QStringLiteral("landscape"), QStringLiteral("Turn the sheet's paper to landscape.")};
    QCommandLineOption look{QStringLiteral("look"),
                            QStringLiteral("How the picture or the sheet draws the stitches: lines (a line a stitch, "
                                           "when not given) or realistic (thread of its width, shaded)."),
                            QStringLiteral("LOOK"), QStringLiteral("lines")};
    QCommandLineOption threadWidth{
        QStringLiteral("thread-width"),
        QStringLiteral("The thread's width in millimetres in the realistic look, %1 to %2 (%3 when not given).")
            .arg(kThinnestThreadMm)
            .arg(kThickestThreadMm)
            .arg(kThreadWidthMm),
        QStringLiteral("MM")};
    QCommandLineOption partial{QStringLiteral("partial"),
                               QStringLiteral("Write a design whose file ends before its header's stitch count, as "
                                              "far as it goes (refused without).")};

    CommandLine()
    {
        parser.setApplicationDescription(QStringLiteral(
            "Writes one embroidery design at its actual size: as an SVG picture whose width and height\n"
            "are the design's in millimetres, one path per colour block in its thread colour; as a PNG\n"
            "picture at a resolution; or as its design sheet (PDF), printed at 100 % with a centre cross,\n"
            "scale bars and the colour sequence, in tiles when it is larger than the paper. A design the\n"
            "readers reject, or whose file ends before its header's stitch count (unless --partial),\n"
            "writes nothing and ends with status 1."));
        parser.addOptions({output, dpi, sheet, background, look, threadWidth, paper, landscape, partial});
        parser.addPositionalArgument(QStringLiteral("DESIGN"), QStringLiteral("The design file."));
    }

    /// What is wrong with the parsed command line, or nothing; fills `options` as it goes.
    QString problem(Options& options) const
    {
        if (parser.positionalArguments().size() != 1)
            return QStringLiteral("give one design file");
        options.design = parser.positionalArguments().constFirst().toStdString();
        if (!parser.isSet(output))
            return QStringLiteral("give the output with -o OUT.svg, -o OUT.png or -o OUT.pdf");
        const QString out = parser.value(output);
        options.output = out.toStdString();
        if (out.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive))
            options.kind = OutputKind::Svg;
        else if (out.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive))
            options.kind = OutputKind::Png;
        else if (out.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
            options.kind = OutputKind::Pdf;
        else
            return QStringLiteral("the output must end in .svg, .png or .pdf");
        options.sheet = parser.isSet(sheet) || options.kind == OutputKind::Pdf;
        if (options.sheet && options.kind == OutputKind::Svg)
            return QStringLiteral("the sheet is written as PDF or PNG pages, not as SVG");
        bool number = false;
        options.dpi = parser.value(dpi).toInt(&number);
        if (!number || options.dpi < kLeastDpi || options.dpi > kMostDpi)
            return QStringLiteral("the resolution '%1' is not a whole number from %2 to %3")
                .arg(parser.value(dpi))
                .arg(kLeastDpi)
                .arg(kMostDpi);
        if (parser.isSet(dpi) && options.kind != OutputKind::Png)
            return QStringLiteral("--dpi sets the resolution of PNG output only");
        if (parser.isSet(background)) {
            if (options.kind == OutputKind::Pdf || options.sheet)
                return QStringLiteral("--background fills an SVG or PNG picture of the design, not a sheet");
            const QColor color = QColor::fromString(parser.value(background));
            if (!color.isValid())
                return QStringLiteral("'%1' is not a colour").arg(parser.value(background));
            options.background = color;
        }
        if (const QString name = parser.value(look); name == QStringLiteral("realistic"))
            options.style.look = PictureLook::Realistic;
        else if (name != QStringLiteral("lines"))
            return QStringLiteral("the look '%1' is neither lines nor realistic").arg(name);
        if (parser.isSet(threadWidth)) {
            if (options.style.look != PictureLook::Realistic)
                return QStringLiteral("--thread-width is the realistic look's; add --look realistic");
            if (options.sheet)
                return QStringLiteral("--thread-width sets a picture's thread; the sheet's is %1 mm").arg(kThreadWidthMm);
            options.style.threadWidthMm = parser.value(threadWidth).toDouble(&number);
            if (!number || options.style.threadWidthMm < kThinnestThreadMm - 1e-9 ||
                options.style.threadWidthMm > kThickestThreadMm + 1e-9)
                return QStringLiteral("the thread width '%1' is not a number of millimetres from %2 to %3")
                    .arg(parser.value(threadWidth))
                    .arg(kThinnestThreadMm)
                    .arg(kThickestThreadMm);
        }
        const QString size = parser.value(paper);
        if (size.compare(QStringLiteral("A4"), Qt::CaseInsensitive) == 0)
            options.paper = QPageSize::A4;
        else if (size.compare(QStringLiteral("Letter"), Qt::CaseInsensitive) == 0)
            options.paper = QPageSize::Letter;
        else
            return QStringLiteral("the paper '%1' is neither A4 nor Letter").arg(size);
        if ((parser.isSet(paper) || parser.isSet(landscape)) && !options.sheet)
            return QStringLiteral("--paper and --landscape lay out the sheet; add --sheet or write a PDF");
        options.landscape = parser.isSet(landscape);
        options.partial = parser.isSet(partial);
        return {};
    }
};

void fail(const Options& options, const std::string& what)
{
    std::fprintf(stderr, "orlika-export: %s: %s\n", options.design.c_str(), what.c_str());
}

void failToWrite(const std::string& path, const std::string& problem)
{
    std::fprintf(stderr, "orlika-export: cannot write %s: %s\n", path.c_str(), problem.c_str());
}

QPageLayout sheetLayout(const Options& options)
{
    return QPageLayout(QPageSize(options.paper), options.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(DesignSheet::kLeastMarginMm, DesignSheet::kLeastMarginMm, DesignSheet::kLeastMarginMm,
                                 DesignSheet::kLeastMarginMm),
                       QPageLayout::Millimeter);
}

int writeSvg(const DesignPicture& picture, const Options& options)
{
    CheckedSaveFile file(QString::fromStdString(options.output));
    if (std::string problem = file.openForWriting(); !problem.empty()) {
        failToWrite(options.output, problem);
        return 1;
    }
    file.write(designSvg(picture, options.background, options.style));
    if (const std::string problem = file.commitChecked(); !problem.empty()) {
        failToWrite(options.output, problem);
        return 1;
    }
    return 0;
}

int writePng(const DesignPicture& picture, const Options& options)
{
    const QImage image = designImage(picture, options.dpi, options.background, options.style);
    if (image.isNull()) {
        const QSize size = imageSize(picture, options.dpi);
        fail(options, "a picture of " + std::to_string(size.width()) + " x " + std::to_string(size.height()) +
                          " pixels is too large; give a lower --dpi");
        return 1;
    }
    if (const std::string problem = savePng(image, QString::fromStdString(options.output), PngContent::Picture); !problem.empty()) {
        failToWrite(options.output, problem);
        return 1;
    }
    return 0;
}

int writeSheetPdf(const DesignPicture& picture, const Options& options)
{
    // The sheet takes its name only when complete: a failure leaves no partial file.
    PdfFile file(QString::fromStdString(options.output));
    QPdfWriter& writer = file.writer();
    writer.setPageLayout(sheetLayout(options));
    writer.setResolution(600);
    writer.setTitle(QString::fromUtf8(picture.name.data(), qsizetype(picture.name.size())));
    try {
        PagedPrinter printer(file);
        printer.beginDoc();
        const int pages =
            printDesignSheets(printer, printer.painter(), printer.pageLayout(), {&picture, 1}, options.style.look);
        printer.endDoc();
        if (const std::string problem = file.commit(); !problem.empty()) {
            failToWrite(options.output, problem);
            return 1;
        }
        std::printf("%s: %d page%s\n", options.output.c_str(), pages, pages == 1 ? "" : "s");
    } catch (const PrintError& error) {
        std::fprintf(stderr, "orlika-export: %s\n", error.what());
        return 1;
    }
    return 0;
}

// "out.png" -> "out-3.png"
std::string numberedPath(const std::string& output, int page)
{
    return output.substr(0, output.size() - 4) + "-" + std::to_string(page) + ".png";
}

int writeSheetPng(const DesignPicture& picture, const Options& options)
{
    DesignSheet sheet(picture, sheetLayout(options));
    sheet.setLook(options.style.look);
    std::vector<std::string> written;
    for (int page = 0; page < sheet.pageCount(); ++page) {
        const std::string path = numberedPath(options.output, page + 1);
        const QImage image = sheet.pageImage(page, options.dpi);
        const std::string problem =
            image.isNull() ? "the page could not be drawn" : savePng(image, QString::fromStdString(path));
        if (!problem.empty()) {
            failToWrite(path, problem);
            // No partial set of pages stays behind.
            for (const std::string& done : written)
                std::remove(done.c_str());
            return 1;
        }
        written.push_back(path);
    }
    std::printf("%s: %d page%s\n", numberedPath(options.output, 1).c_str(), sheet.pageCount(),
                sheet.pageCount() == 1 ? "" : "s");
    return 0;
}

// Whether the command line asks for the design sheet, or is not one this program takes (its
// help, its version or a mistake), as opposed to an SVG or PNG picture of the design.
bool notAPicture(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    CommandLine commandLine;
    Options options;
    return !commandLine.parser.parse(arguments) || !commandLine.problem(options).isEmpty() || options.sheet;
}

} // namespace

int main(int argc, char** argv)
{
    tools::useOffscreenPlatformUnlessSet();
    // A picture draws no text: Qt's platform and its fonts, most of the time a small
    // design's picture took, start only for the sheet, and for everything else as they
    // always did (the help lists their options).
    std::unique_ptr<QCoreApplication> app;
    if (notAPicture(argc, argv)) {
        startFontconfig();
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    CommandLine commandLine;
    Options options;
    if (const auto status = tools::parseCommandLine(QStringLiteral("orlika-export"), commandLine.parser,
                                                    app->arguments(), [&] { return commandLine.problem(options); }))
        return *status;

    PictureReading reading = readDesignPicture(options.design);
    for (const std::string& warning : reading.warnings)
        fail(options, warning);
    if (!reading.picture) {
        fail(options, reading.problem);
        return 1;
    }
    // A file cut short is not the design its header describes: written only when asked.
    if (!reading.picture->cutShort.empty()) {
        fail(options, reading.picture->cutShort);
        if (!options.partial)
            return 1;
    }
    const DesignPicture& picture = *reading.picture;
    if (options.sheet)
        return options.kind == OutputKind::Pdf ? writeSheetPdf(picture, options) : writeSheetPng(picture, options);
    return options.kind == OutputKind::Svg ? writeSvg(picture, options) : writePng(picture, options);
}
