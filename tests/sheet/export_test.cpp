// SPDX-License-Identifier: MIT
// orlika-export as a user runs it: the SVG and PNG pictures of every bundled sample have
// the design's size (the SVG in millimetres, the PNG in pixels at its resolution), the SVG
// is read by librsvg without a word of complaint, and its paths are the colour blocks.
#include "collection/IndexedDesign.h"
#include "render/PainterCanvas.h"
#include "sheet/DesignPicture.h"
#include "tests/sheet/SheetSupport.h"
#include "tools/designgen/Design.h"
#include "tools/designgen/DstWriter.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <cmath>

namespace orlika::test {
namespace {

class ExportTest : public ::testing::Test {
protected:
    QTemporaryDir dir;

    void SetUp() override
    {
        application();
        ASSERT_TRUE(dir.isValid());
    }

    static ToolRun exportDesign(const QStringList& arguments)
    {
        return runTool(QStringLiteral(ORLIKA_EXPORT), arguments);
    }
};

// What the SVG says of itself.
struct SvgPicture {
    QString width;
    QString height;
    QList<double> viewBox;
    struct Path {
        QString stroke;
        int moves = 0;
        int lines = 0;
    };
    std::vector<Path> paths;
    bool wellFormed = false;
};

SvgPicture readSvg(const QString& file)
{
    SvgPicture svg;
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return svg;
    QXmlStreamReader xml(&in);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto attributes = xml.attributes();
        if (xml.name() == QStringLiteral("svg")) {
            svg.width = attributes.value(QStringLiteral("width")).toString();
            svg.height = attributes.value(QStringLiteral("height")).toString();
            for (const QString& number : attributes.value(QStringLiteral("viewBox")).toString().split(QLatin1Char(' ')))
                svg.viewBox << number.toDouble();
        } else if (xml.name() == QStringLiteral("path")) {
            SvgPicture::Path path;
            path.stroke = attributes.value(QStringLiteral("stroke")).toString();
            const QString data = attributes.value(QStringLiteral("d")).toString();
            path.moves = int(data.count(QLatin1Char('M')));
            path.lines = int(data.count(QLatin1Char('L')));
            svg.paths.push_back(path);
        }
    }
    svg.wellFormed = !xml.hasError();
    return svg;
}

double millimetres(const QString& length)
{
    return length.endsWith(QStringLiteral("mm")) ? length.chopped(2).toDouble() : NAN;
}

TEST_F(ExportTest, SvgOfEverySampleIsTheDesignsSizeInMillimetresWithAPathPerColourBlockAndRsvgReadsIt)
{
    ASSERT_TRUE(haveProgram(QStringLiteral("rsvg-convert"))) << "librsvg2-bin is needed (scripts/setup.sh installs it)";
    const std::vector<TracedSample> samples = readableSamples();
    ASSERT_GE(samples.size(), 15u);
    double worst = 0;
    for (const TracedSample& sample : samples) {
        SCOPED_TRACE(sample.name);
        const QString svgFile = dir.filePath(QString::fromStdString(sample.name) + QStringLiteral(".svg"));
        const ToolRun run = exportDesign({QString::fromStdString(sample.path), QStringLiteral("-o"), svgFile});
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
        const SvgPicture svg = readSvg(svgFile);
        ASSERT_TRUE(svg.wellFormed);
        // Written to a thousandth of a millimetre.
        EXPECT_NEAR(millimetres(svg.width), sample.box.width(), 0.001);
        EXPECT_NEAR(millimetres(svg.height), sample.box.height(), 0.001);
        worst = std::max({worst, std::abs(millimetres(svg.width) - sample.box.width()),
                          std::abs(millimetres(svg.height) - sample.box.height())});
        ASSERT_EQ(svg.viewBox.size(), 4);
        EXPECT_NEAR(svg.viewBox[2], sample.box.width(), 0.001);
        EXPECT_NEAR(svg.viewBox[3], sample.box.height(), 0.001);
        // One path per colour block, in order, in the block's thread or pen colour; a path
        // draws every stitch of its block.
        ASSERT_EQ(svg.paths.size(), sample.blocks.size());
        for (std::size_t i = 0; i < svg.paths.size(); ++i) {
            EXPECT_EQ(svg.paths[i].stroke, toQColor(sample.blocks[i].color).name()) << "block " << i + 1;
            EXPECT_EQ(svg.paths[i].lines, sample.blocks[i].stitches) << "block " << i + 1;
        }

        // librsvg draws it at 96 pixels an inch without a warning.
        const QString rendered = dir.filePath(QStringLiteral("rsvg.png"));
        const ToolRun rsvg = runTool(QStringLiteral("rsvg-convert"), {svgFile, QStringLiteral("-o"), rendered});
        EXPECT_EQ(rsvg.status, 0);
        EXPECT_TRUE(rsvg.err.isEmpty()) << rsvg.err.toStdString();
        const QImage image(rendered);
        ASSERT_FALSE(image.isNull());
        EXPECT_NEAR(image.width(), sample.box.width() / 25.4 * 96, 1);
        EXPECT_NEAR(image.height(), sample.box.height() / 25.4 * 96, 1);
    }
    std::printf("[ MEASURED ] SVG width and height at most %.4f mm from the design's size\n", worst);
}

// Pixels whose alpha is neither clear nor full: the edges of antialiased lines.
int partlyCovered(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) > 0 && qAlpha(image.pixel(x, y)) < 255;
    return count;
}

int clear(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) == 0;
    return count;
}

TEST_F(ExportTest, PngOfEverySampleHasTheDesignsSizeInPixelsAtItsResolutionAntialiasedOnTransparency)
{
    const std::vector<TracedSample> samples = readableSamples();
    ASSERT_GE(samples.size(), 15u);
    int checked = 0;
    for (const TracedSample& sample : samples) {
        for (const int dpi : {300, 127}) {
            SCOPED_TRACE(sample.name + " at " + std::to_string(dpi) + " dpi");
            const QString png =
                dir.filePath(QStringLiteral("%1-%2.png").arg(QString::fromStdString(sample.name)).arg(dpi));
            QStringList arguments{QString::fromStdString(sample.path), QStringLiteral("-o"), png};
            // 300 is what it writes unless told.
            if (dpi != 300)
                arguments << QStringLiteral("--dpi") << QString::number(dpi);
            const ToolRun run = exportDesign(arguments);
            ASSERT_EQ(run.status, 0) << run.err.toStdString();
            const QImage image(png);
            ASSERT_FALSE(image.isNull());
            EXPECT_NEAR(image.width(), sample.box.width() / 25.4 * dpi, 1);
            EXPECT_NEAR(image.height(), sample.box.height() / 25.4 * dpi, 1);
            EXPECT_NEAR(image.dotsPerMeterX(), dpi / 0.0254, 1);
            ASSERT_TRUE(image.hasAlphaChannel());
            EXPECT_GT(clear(image), image.width() * image.height() / 10);
            EXPECT_GT(partlyCovered(image), 10);
            ++checked;
        }
    }
    EXPECT_EQ(checked, int(samples.size()) * 2);

    // On a background every pixel is opaque, and the corners that hold no stitch are it.
    const QString png = dir.filePath(QStringLiteral("on-ivory.png"));
    ASSERT_EQ(exportDesign({QStringLiteral(ORLIKA_SAMPLES "/star.dst"), QStringLiteral("-o"), png,
                            QStringLiteral("--background"), QStringLiteral("#fffff0")})
                  .status,
              0);
    const QImage image(png);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(partlyCovered(image), 0);
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 255, 240));
    const QString svg = dir.filePath(QStringLiteral("on-ivory.svg"));
    ASSERT_EQ(exportDesign({QStringLiteral(ORLIKA_SAMPLES "/star.dst"), QStringLiteral("-o"), svg,
                            QStringLiteral("--background"), QStringLiteral("ivory")})
                  .status,
              0);
    QFile in(svg);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    EXPECT_TRUE(in.readAll().contains("fill=\"#fffff0\""));
}

TEST_F(ExportTest, ALineOfStitchesIsAStitchWideAndATooLargePictureIsRefused)
{
    // 50 mm of stitches along one line.
    gen::Design line;
    line.jump(0, 0);
    line.runTo(500, 0);
    const QString file = dir.filePath(QStringLiteral("line.dst"));
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        const auto bytes = gen::writeDst(line);
        out.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    }
    const TracedSample traced = traceSample(file.toStdString());
    ASSERT_GT(traced.box.width(), 40);
    ASSERT_EQ(traced.box.height(), 0);
    const QString svgFile = dir.filePath(QStringLiteral("line.svg"));
    ASSERT_EQ(exportDesign({file, QStringLiteral("-o"), svgFile}).status, 0);
    const SvgPicture svg = readSvg(svgFile);
    EXPECT_NEAR(millimetres(svg.width), traced.box.width(), 0.001);
    EXPECT_EQ(svg.height, QStringLiteral("0.3mm"));
    if (haveProgram(QStringLiteral("rsvg-convert"))) {
        const ToolRun rsvg = runTool(QStringLiteral("rsvg-convert"),
                                     {svgFile, QStringLiteral("-o"), dir.filePath(QStringLiteral("l.png"))});
        EXPECT_EQ(rsvg.status, 0);
        EXPECT_TRUE(rsvg.err.isEmpty()) << rsvg.err.toStdString();
    }
    const QString png = dir.filePath(QStringLiteral("line.png"));
    ASSERT_EQ(exportDesign({file, QStringLiteral("-o"), png, QStringLiteral("--dpi"), QStringLiteral("254")}).status,
              0);
    EXPECT_EQ(QImage(png).size(), QSize(int(std::lround(traced.box.width() * 10)), 1));

    // 400 x 300 mm at 2400 dpi would be a billion pixels.
    gen::Design large;
    large.jump(-2000, -1500);
    large.runTo(2000, 1500, 100);
    const QString largeFile = dir.filePath(QStringLiteral("large.dst"));
    {
        QFile out(largeFile);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        const auto bytes = gen::writeDst(large);
        out.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    }
    const QString huge = dir.filePath(QStringLiteral("huge.png"));
    const ToolRun run =
        exportDesign({largeFile, QStringLiteral("-o"), huge, QStringLiteral("--dpi"), QStringLiteral("2400")});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("a picture of 37795 x 28346 pixels is too large; give a lower --dpi"))
        << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(huge));
}

TEST_F(ExportTest, TheIndexAndThePicturesOfTheViewSheetAndExportGiveOneSetOfFigures)
{
    std::vector<std::string> paths;
    for (const TracedSample& sample : readableSamples())
        paths.push_back(sample.path);
    const QDir real(QStringLiteral(ORLIKA_REAL_SAMPLES));
    for (const QString& name : real.entryList(QDir::Files, QDir::Name))
        if (readerOfName(name.toStdString()))
            paths.push_back(real.filePath(name).toStdString());
    ASSERT_GT(paths.size(), 20u);
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        const TracedSample traced = traceSample(path);
        const PictureReading reading = readDesignPicture(path);
        IndexedDesign indexed;
        indexed.name = namePart(path);
        auto file = PosixFileSystem().openRead(path);
        ASSERT_TRUE(file);
        readDesignFigures(*file, path, indexed);
        if (!reading.picture) {
            EXPECT_TRUE(traced.blocks.empty() || traced.box.isNull()) << reading.problem;
            continue;
        }
        const DesignPicture& picture = *reading.picture;
        std::int64_t stitches = 0;
        for (const TracedBlock& block : traced.blocks)
            stitches += block.stitches;
        EXPECT_EQ(picture.stitches(), stitches);
        EXPECT_EQ(indexed.stitches, stitches);
        EXPECT_EQ(picture.colorChanges(), int(traced.blocks.size()) - 1);
        EXPECT_EQ(indexed.colorChanges, std::int64_t(traced.blocks.size()) - 1);
        EXPECT_NEAR(picture.widthMm(), traced.box.width(), 1e-9);
        EXPECT_NEAR(picture.heightMm(), traced.box.height(), 1e-9);
        EXPECT_NEAR(indexed.widthMm, traced.box.width(), 1e-9);
        EXPECT_NEAR(indexed.heightMm, traced.box.height(), 1e-9);
    }
}

TEST_F(ExportTest, AFileCutShortIsRefusedUnlessAskedFor)
{
    gen::Design line;
    line.jump(0, 0);
    line.runTo(500, 0, 10);
    auto bytes = gen::writeDst(line);
    bytes.resize(bytes.size() - 3 * 20);  // twenty records and the end record gone
    const QString file = dir.filePath(QStringLiteral("cut.dst"));
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    }
    const QString svg = dir.filePath(QStringLiteral("cut.svg"));
    const ToolRun refused = exportDesign({file, QStringLiteral("-o"), svg});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.contains("cut.dst: File ends after 31 of 50 stitches")) << refused.err.toStdString();
    EXPECT_FALSE(QFile::exists(svg));
    const ToolRun partial = exportDesign({file, QStringLiteral("-o"), svg, QStringLiteral("--partial")});
    EXPECT_EQ(partial.status, 0);
    EXPECT_TRUE(partial.err.contains("File ends after 31 of 50 stitches"));
    EXPECT_NEAR(millimetres(readSvg(svg).width), 30.0, 0.001);  // the first record only moves
}

TEST_F(ExportTest, TheSheetIsAPdfOrPngPagesOnTheChosenPaper)
{
    ASSERT_TRUE(haveProgram(QStringLiteral("pdfinfo"))) << "poppler-utils are needed (scripts/setup.sh installs them)";
    const QString pdf = dir.filePath(QStringLiteral("star.pdf"));
    ToolRun run = exportDesign({QStringLiteral(ORLIKA_SAMPLES "/star.pes"), QStringLiteral("-o"), pdf,
                                QStringLiteral("--paper"), QStringLiteral("letter"), QStringLiteral("--landscape")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, pdf.toUtf8() + ": 1 page\n");
    const ToolRun info = runTool(QStringLiteral("pdfinfo"), {pdf});
    EXPECT_TRUE(info.out.contains("Page size:       792 x 612 pts (letter)")) << info.out.toStdString();
    EXPECT_TRUE(info.out.contains("Title:           star.pes")) << info.out.toStdString();

    // PNG pages of the whole paper at the resolution.
    const QString pages = dir.filePath(QStringLiteral("sheet.png"));
    run = exportDesign({QStringLiteral(ORLIKA_SAMPLES "/star.pes"), QStringLiteral("-o"), pages,
                        QStringLiteral("--sheet"), QStringLiteral("--dpi"), QStringLiteral("100")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QImage page(dir.filePath(QStringLiteral("sheet-1.png")));
    EXPECT_EQ(page.size(), QSize(827, 1169));  // A4 at 100 dpi
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("sheet-2.png"))));
}

} // namespace
} // namespace orlika::test
