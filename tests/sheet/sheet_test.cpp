// SPDX-License-Identifier: MIT
// The design sheet measured on paper: each bundled sample's sheet is printed to PDF the way
// the window and orlika-export print it, rasterised by poppler at 600 dpi, and the drawn
// design, its cross and the scale bars are measured in pixels against the design's size as
// this test follows it from the decoded movements.
#include "render/Surfaces.h"
#include "sheet/DesignSheet.h"
#include "tests/sheet/SheetSupport.h"
#include "tools/designgen/Design.h"
#include "tools/designgen/DstWriter.h"

#include <QFile>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cmath>
#include <map>

namespace orlika::test {
namespace {

constexpr double kMeasureDpi = 600;
constexpr double kTolerance = 0.2;  // millimetres

class SheetTest : public ::testing::Test {
protected:
    QTemporaryDir dir;

    void SetUp() override
    {
        application();
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(haveProgram(QStringLiteral("pdftoppm")) && haveProgram(QStringLiteral("pdftotext")))
            << "poppler-utils are needed (scripts/setup.sh installs them)";
    }

    static QPageLayout layout(QPageSize::PageSizeId paper, QPageLayout::Orientation orientation, double margin = 10)
    {
        return QPageLayout(QPageSize(paper), orientation, QMarginsF(margin, margin, margin, margin),
                           QPageLayout::Millimeter);
    }

    /// Prints the sheets as the window and the tool do: a PDF file through the paged printer.
    static int printSheets(const std::vector<DesignPicture>& pictures, const QPageLayout& pageLayout,
                           const QString& file)
    {
        PdfFile pdf(file);
        pdf.writer().setPageLayout(pageLayout);
        pdf.writer().setResolution(600);
        PagedPrinter printer(pdf);
        printer.beginDoc();
        const int pages = printDesignSheets(printer, printer.painter(), printer.pageLayout(), pictures);
        printer.endDoc();
        EXPECT_EQ(pdf.commit(), "");
        return pages;
    }

    static DesignPicture picture(const std::string& path)
    {
        PictureReading reading = readDesignPicture(path);
        EXPECT_TRUE(reading.picture) << path << ": " << reading.problem;
        return reading.picture ? *reading.picture : DesignPicture{};
    }

    QStringList pdfText(const QString& file) const
    {
        const ToolRun run =
            runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
        QStringList pages = QString::fromUtf8(run.out).split(QLatin1Char('\f'));
        if (!pages.isEmpty() && pages.back().trimmed().isEmpty())
            pages.pop_back();
        return pages;
    }
};

// What a design page shows around the design, measured in its pixels.
struct DesignMeasure {
    double crossX = NAN;  // the vertical line, from above and from below the design
    double crossXBelow = NAN;
    double crossY = NAN;  // the horizontal line, from left and right of the design
    double crossYRight = NAN;
    QRectF drawn;         // the ink of the stitches, the cross left out
    QRectF crossReach;    // where the cross's ink ends on its two lines
    double strayInk = 0;  // widest spread of ink in a strip where only the cross should be
};

// Paper, skipped first in the loops over every pixel (the rasters are RGB32).
constexpr QRgb kWhite = 0xffffff;

// The centroid of the ink in part of the raster, along x or y, and how far it spreads.
struct InkLine {
    double centre = NAN;
    double spread = 0;
};

InkLine inkLine(const PageRaster& raster, const QRect& area, bool alongX)
{
    const QImage& image = raster.image();
    double sum = 0, weight = 0, low = 1e9, high = -1e9;
    const int left = std::max(0, area.left()), right = std::min(image.width() - 1, area.right());
    for (int y = std::max(0, area.top()); y <= std::min(image.height() - 1, area.bottom()); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = left; x <= right; ++x) {
            if ((line[x] & kWhite) == kWhite)
                continue;
            const int ink = inkOf(line[x]);
            if (ink < 40)
                continue;
            const double at = alongX ? raster.paperX(x + 0.5) : raster.paperY(y + 0.5);
            sum += at * ink;
            weight += ink;
            low = std::min(low, at);
            high = std::max(high, at);
        }
    }
    if (weight == 0)
        return {};
    return {sum / weight, high - low};
}

DesignMeasure measureDesign(const PageRaster& raster, QPointF centre, const TracedSample& sample)
{
    DesignMeasure m;
    const double halfW = sample.box.width() / 2, halfH = sample.box.height() / 2;
    // Strips between the design's edge and the cross's end hold the cross alone.
    const auto rows = [&](double from, double to) {
        return QRect(QPoint(0, raster.pixelY(from)), QPoint(1 << 20, raster.pixelY(to)));
    };
    const auto columns = [&](double from, double to) {
        return QRect(QPoint(raster.pixelX(from), 0), QPoint(raster.pixelX(to), 1 << 20));
    };
    const InkLine above = inkLine(raster, rows(centre.y() - halfH - 5, centre.y() - halfH - 1), true);
    const InkLine below = inkLine(raster, rows(centre.y() + halfH + 1, centre.y() + halfH + 5), true);
    const InkLine left = inkLine(raster, columns(centre.x() - halfW - 5, centre.x() - halfW - 1), false);
    const InkLine right = inkLine(raster, columns(centre.x() + halfW + 1, centre.x() + halfW + 5), false);
    m.crossX = above.centre;
    m.crossXBelow = below.centre;
    m.crossY = left.centre;
    m.crossYRight = right.centre;
    m.strayInk = std::max({above.spread, below.spread, left.spread, right.spread});

    const QImage& image = raster.image();
    const QColor cross = DesignSheet::crossColor();
    int minX = INT_MAX, maxX = INT_MIN, minY = INT_MAX, maxY = INT_MIN;
    double reachLeft = 1e9, reachRight = -1e9, reachTop = 1e9, reachBottom = -1e9;
    for (int y = 0; y < image.height(); ++y) {
        const double py = raster.paperY(y + 0.5);
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = line[x];
            if ((pixel & kWhite) == kWhite || inkOf(pixel) < 60)
                continue;
            const double px = raster.paperX(x + 0.5);
            const bool onVertical = std::abs(px - m.crossX) < 0.3;
            const bool onHorizontal = std::abs(py - m.crossY) < 0.3;
            if ((onVertical || onHorizontal) && isTintOf(pixel, cross)) {
                if (onVertical) {
                    reachTop = std::min(reachTop, py);
                    reachBottom = std::max(reachBottom, py);
                }
                if (onHorizontal) {
                    reachLeft = std::min(reachLeft, px);
                    reachRight = std::max(reachRight, px);
                }
                continue;
            }
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
        }
    }
    if (minX <= maxX)
        m.drawn = QRectF(QPointF(raster.paperX(minX), raster.paperY(minY)),
                         QPointF(raster.paperX(maxX + 1), raster.paperY(maxY + 1)));
    m.crossReach = QRectF(QPointF(reachLeft, reachTop), QPointF(reachRight, reachBottom));
    return m;
}

TEST_F(SheetTest, EverySampleIsDrawnAtActualSizeCentredOnItsCrossOnA4AndLetter)
{
    const std::vector<TracedSample> samples = readableSamples();
    ASSERT_GE(samples.size(), 15u);
    struct Paper {
        const char* name;
        QPageSize::PageSizeId id;
        QPageLayout::Orientation orientation;
    };
    double worstSize = 0, worstCentre = 0;
    for (const Paper& paper :
         {Paper{"A4", QPageSize::A4, QPageLayout::Portrait}, Paper{"Letter", QPageSize::Letter, QPageLayout::Portrait},
          Paper{"A4 landscape", QPageSize::A4, QPageLayout::Landscape}}) {
        const QPageLayout pageLayout = layout(paper.id, paper.orientation);
        const QSizeF paperSize = pageLayout.fullRect(QPageLayout::Millimeter).size();
        for (const TracedSample& sample : samples) {
            SCOPED_TRACE(sample.name + " on " + paper.name);
            ASSERT_FALSE(sample.box.isEmpty());
            const DesignPicture design = picture(sample.path);
            const DesignSheet sheet(design, pageLayout);
            ASSERT_FALSE(sheet.tiled());
            const QString pdf = dir.filePath(QString::fromStdString(sample.name) + QStringLiteral(".pdf"));
            EXPECT_EQ(printSheets({design}, pageLayout, pdf), sheet.pageCount());

            // Where to look: around the place the sheet says; what is there is measured.
            const QPointF centre = sheet.designCentre();
            const double reach = DesignSheet::kCrossOverhangMm + 2;
            const QRectF around(centre.x() - sample.box.width() / 2 - reach,
                                centre.y() - sample.box.height() / 2 - reach, sample.box.width() + 2 * reach,
                                sample.box.height() + 2 * reach);
            const PageRaster raster(pdf, 1, kMeasureDpi, around, dir.path());
            ASSERT_FALSE(raster.image().isNull());
            const DesignMeasure m = measureDesign(raster, centre, sample);

            // The stitches' ink is the design's size and the drawn width of one stitch.
            const double width = m.drawn.width() - kStitchWidthMm;
            const double height = m.drawn.height() - kStitchWidthMm;
            EXPECT_NEAR(width, sample.box.width(), kTolerance);
            EXPECT_NEAR(height, sample.box.height(), kTolerance);
            worstSize =
                std::max({worstSize, std::abs(width - sample.box.width()), std::abs(height - sample.box.height())});

            // One thin cross, through the design's centre, reaching past all four edges.
            EXPECT_LT(m.strayInk, 0.5);
            EXPECT_NEAR(m.crossX, m.crossXBelow, 0.05);
            EXPECT_NEAR(m.crossY, m.crossYRight, 0.05);
            EXPECT_NEAR(m.crossX, m.drawn.center().x(), kTolerance);
            EXPECT_NEAR(m.crossY, m.drawn.center().y(), kTolerance);
            worstCentre = std::max(
                {worstCentre, std::abs(m.crossX - m.drawn.center().x()), std::abs(m.crossY - m.drawn.center().y())});
            EXPECT_LT(m.crossReach.left(), m.drawn.left() - 4);
            EXPECT_GT(m.crossReach.right(), m.drawn.right() + 4);
            EXPECT_LT(m.crossReach.top(), m.drawn.top() - 4);
            EXPECT_GT(m.crossReach.bottom(), m.drawn.bottom() + 4);
            // Centred across the paper (its margins are equal).
            EXPECT_NEAR(m.crossX, paperSize.width() / 2, kTolerance);
        }
    }
    std::printf("[ MEASURED ] worst size error %.3f mm, worst cross-to-centre distance %.3f mm\n", worstSize,
                worstCentre);
}

// The longest run of dark pixels in each row of the raster, in millimetres, longest first.
std::vector<double> darkRuns(const PageRaster& raster)
{
    std::vector<double> runs;
    const QImage& image = raster.image();
    for (int y = 0; y < image.height(); ++y) {
        int run = 0;
        for (int x = 0; x <= image.width(); ++x) {
            if (x < image.width() && qGray(image.pixel(x, y)) < 128) {
                ++run;
            } else if (run > 0) {
                runs.push_back(run * raster.millimetresPerPixel());
                run = 0;
            }
        }
    }
    return runs;
}

TEST_F(SheetTest, ScaleBarsMeasureTenMillimetresAndAnInchAndTheFiguresAndSequenceAreWritten)
{
    const TracedSample sample = traceSample(ORLIKA_SAMPLES "/orlika.pes");
    ASSERT_EQ(sample.blocks.size(), 6u);
    const DesignPicture design = picture(sample.path);
    for (const QPageSize::PageSizeId paper : {QPageSize::A4, QPageSize::Letter}) {
        const QPageLayout pageLayout = layout(paper, QPageLayout::Portrait);
        const QString pdf = dir.filePath(QStringLiteral("bars.pdf"));
        const DesignSheet sheet(design, pageLayout);
        ASSERT_EQ(printSheets({design}, pageLayout, pdf), 1);
        // The PDF's paper, which it gives in whole points.
        const ToolRun info = runTool(QStringLiteral("pdfinfo"), {pdf});
        const auto size = QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts"))
                              .match(QString::fromUtf8(info.out));
        ASSERT_TRUE(size.hasMatch()) << info.out.toStdString();
        const QSizeF expected = paper == QPageSize::A4 ? QSizeF(210, 297) : QSizeF(215.9, 279.4);
        EXPECT_NEAR(size.captured(1).toDouble() * 25.4 / 72, expected.width(), 0.5);
        EXPECT_NEAR(size.captured(2).toDouble() * 25.4 / 72, expected.height(), 0.5);

        // The foot of the page: two bars, every row of each one dark over its whole length.
        const QRectF foot(sheet.area().left() - 1, sheet.area().bottom() - 7, 60, 7);
        const PageRaster raster(pdf, 1, kMeasureDpi, foot, dir.path());
        std::map<int, int> rowsOfLength;  // tenths of a millimetre -> rows
        for (const double run : darkRuns(raster))
            if (run > 5)
                ++rowsOfLength[int(std::lround(run * 10))];
        int tenMm = 0, inch = 0;
        for (const auto& [tenths, rows] : rowsOfLength) {
            if (std::abs(tenths - 100) <= 1)
                tenMm += rows;
            else if (std::abs(tenths - 254) <= 1)
                inch += rows;
            else
                ADD_FAILURE() << "a dark run of " << tenths / 10.0 << " mm in the foot";
        }
        // A bar 1.6 mm high is 37 rows at 600 dpi.
        EXPECT_GE(tenMm, 35);
        EXPECT_GE(inch, 35);

        const QStringList pages = pdfText(pdf);
        ASSERT_EQ(pages.size(), 1);
        const QString text = pages.front();
        EXPECT_TRUE(text.contains(QStringLiteral("orlika.pes")));
        EXPECT_TRUE(text.contains(QStringLiteral("Folder: ") + QStringLiteral(ORLIKA_SAMPLES "/")));
        EXPECT_TRUE(text.contains(QStringLiteral("Format: PES")));
        EXPECT_TRUE(text.contains(QStringLiteral("Size: %1 x %2 mm (%3 x %4 in)")
                                      .arg(sample.box.width(), 0, 'f', 1)
                                      .arg(sample.box.height(), 0, 'f', 1)
                                      .arg(sample.box.width() / 25.4, 0, 'f', 2)
                                      .arg(sample.box.height() / 25.4, 0, 'f', 2)))
            << text.toStdString();
        std::int64_t stitches = 0;
        for (const TracedBlock& block : sample.blocks)
            stitches += block.stitches;
        EXPECT_TRUE(text.contains(QStringLiteral("Stitches: %1").arg(stitches)));
        EXPECT_TRUE(text.contains(QStringLiteral("Colour changes: 5")));
        EXPECT_TRUE(text.contains(QStringLiteral("Sewing: about ")));
        // A row per block in stitching order: number, thread name, no code, its thread in
        // metres, its stitches.
        qsizetype from = text.indexOf(QStringLiteral("Colour sequence"));
        ASSERT_GE(from, 0);
        for (std::size_t i = 0; i < sample.blocks.size(); ++i) {
            const QRegularExpression row(
                QStringLiteral("\\n\\s*%1\\s+%2\\s+\u2014\\s+\\d+\\.\\d\\s+%3\\s*\\n")
                    .arg(i + 1)
                    .arg(QRegularExpression::escape(QString::fromStdString(sample.blocks[i].threadName)))
                    .arg(sample.blocks[i].stitches));
            const auto match = row.match(text, from);
            ASSERT_TRUE(match.hasMatch()) << "block " << i + 1 << " in\n" << text.toStdString();
            from = match.capturedStart() + 1;
        }
    }
}

TEST_F(SheetTest, APenColourDesignSaysItsFileNamesNoThreadAndSheetsOfSeveralDesignsFollowOneAnother)
{
    const DesignPicture star = picture(ORLIKA_SAMPLES "/star.dst");
    const DesignPicture circle = picture(ORLIKA_SAMPLES "/circle-note.pcd");
    const QString pdf = dir.filePath(QStringLiteral("two.pdf"));
    const QPageLayout pageLayout = layout(QPageSize::A4, QPageLayout::Portrait);
    ASSERT_EQ(printSheets({star, circle}, pageLayout, pdf), 2);
    const QStringList pages = pdfText(pdf);
    ASSERT_EQ(pages.size(), 2);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("star.dst")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Format: DST")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("the file names no thread")));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("\\n\\s*1\\s+\u2014\\s+\u2014\\s+\\d+")).match(pages[0]).hasMatch());
    EXPECT_TRUE(pages[0].contains(QStringLiteral("star.dst \u2014 page 1 of 1")));
    EXPECT_TRUE(pages[1].contains(QStringLiteral("circle-note.pcd")));
    EXPECT_TRUE(pages[1].contains(QStringLiteral("Format: PCD")));
    EXPECT_FALSE(pages[1].contains(QStringLiteral("star.dst")));
}

TEST_F(SheetTest, ALongColourSequenceGoesOnPagesOfItsOwnAfterTheDesign)
{
    // Forty colours: the rows do not fit under the design.
    gen::Design design;
    for (int i = 0; i < 40; ++i) {
        if (i > 0)
            design.colorChange(i);
        design.jump(-300 + 15 * i, -300);
        design.runTo(-300 + 15 * i, 300);
    }
    const QString file = dir.filePath(QStringLiteral("forty.dst"));
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        const auto bytes = gen::writeDst(design);
        out.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    }
    const DesignPicture forty = picture(file.toStdString());
    ASSERT_EQ(forty.blocks.size(), 40u);
    const QString pdf = dir.filePath(QStringLiteral("forty.pdf"));
    const QPageLayout pageLayout = layout(QPageSize::A4, QPageLayout::Portrait);
    const DesignSheet sheet(forty, pageLayout);
    const int pages = printSheets({forty}, pageLayout, pdf);
    ASSERT_GE(pages, 3);
    const QStringList text = pdfText(pdf);
    ASSERT_EQ(text.size(), pages);
    EXPECT_FALSE(text[0].contains(QStringLiteral("Colour sequence")));
    EXPECT_TRUE(text[0].contains(QStringLiteral("The colour sequence is on pages 2 to %1.").arg(pages)));
    // Every row once, in order, over the pages that follow.
    QString rows = text.mid(1).join(QString());
    qsizetype from = 0;
    for (int i = 1; i <= 40; ++i) {
        const auto match = QRegularExpression(QStringLiteral("\\n\\s*%1\\s+\u2014\\s+\u2014\\s+\\d+\\.\\d\\s+(\\d+)\\s*\\n").arg(i))
                               .match(rows, from);
        ASSERT_TRUE(match.hasMatch()) << "row " << i;
        EXPECT_EQ(match.captured(1).toLongLong(), forty.blocks[std::size_t(i - 1)].stitches);
        from = match.capturedStart() + 1;
    }
    EXPECT_TRUE(text.back().contains(QStringLiteral("page %1 of %1").arg(pages)));
}

TEST_F(SheetTest, ADesignTooLargeForTilesIsShownReducedAndSaysSo)
{
    // 4 x 5 metres: a file that is wrong, or no hoop's; 500 A4 tiles would be no help.
    gen::Design huge;
    huge.jump(-20000, -25000);
    huge.runTo(20000, 25000, 120);
    const QString file = dir.filePath(QStringLiteral("huge.dst"));
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        const auto bytes = gen::writeDst(huge);
        out.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    }
    const DesignPicture design = picture(file.toStdString());
    const QPageLayout pageLayout = layout(QPageSize::A4, QPageLayout::Portrait);
    const DesignSheet sheet(design, pageLayout);
    EXPECT_FALSE(sheet.tiled());
    EXPECT_EQ(sheet.pageCount(), 1);
    const QString pdf = dir.filePath(QStringLiteral("huge.pdf"));
    ASSERT_EQ(printSheets({design}, pageLayout, pdf), 1);
    const QString text = pdfText(pdf).join(QString()).simplified();
    EXPECT_TRUE(text.contains(QStringLiteral("too large to print in tiles on it: shown reduced")))
        << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("Actual size")));
}

// ---------------------------------------------------------------------------------------
// A design larger than the paper

constexpr int kMarkerArm = 30;  // 3 mm, in the generator's tenths of a millimetre

// A star filling 400 x 300 mm, and a third colour of small plus signs every 45 mm whose
// centres are known: the features the tiles are checked by.
gen::Design largeDesign(std::vector<QPointF>& markersMm)
{
    const gen::Design star = gen::makeStar(1000);
    int minX = INT_MAX, maxX = INT_MIN, minY = INT_MAX, maxY = INT_MIN;
    for (const gen::Step& step : star.steps) {
        if (step.kind == gen::Step::Kind::ColorChange)
            continue;
        minX = std::min(minX, step.x);
        maxX = std::max(maxX, step.x);
        minY = std::min(minY, step.y);
        maxY = std::max(maxY, step.y);
    }
    gen::Design design;
    for (gen::Step step : star.steps) {
        if (step.kind != gen::Step::Kind::ColorChange) {
            step.x = int(std::lround(double(step.x - minX) * 4000 / (maxX - minX))) - 2000;
            step.y = int(std::lround(double(step.y - minY) * 3000 / (maxY - minY))) - 1500;
        }
        design.steps.push_back(step);
    }
    design.colorChange(2);
    for (int row = 0; row < 7; ++row) {
        for (int column = 0; column < 9; ++column) {
            const int x = -1800 + 450 * column, y = -1350 + 450 * row;
            design.jump(x - kMarkerArm, y);
            design.runTo(x + kMarkerArm, y, 20);
            design.jump(x, y - kMarkerArm);
            design.runTo(x, y + kMarkerArm, 20);
            // The pen's y grows downward; the generator's upward.
            markersMm.emplace_back(x / 10.0, -y / 10.0);
        }
    }
    return design;
}

// Centres of the green plus signs on a raster, in paper millimetres.
std::vector<QPointF> findMarkers(const PageRaster& raster)
{
    const QImage& image = raster.image();
    const QColor green(0, 128, 0);  // the pen of a DST design's third colour
    std::vector<int> label(std::size_t(image.width()) * std::size_t(image.height()), 0);
    struct Part {
        double x = 0, y = 0;
        int count = 0;
    };
    std::vector<Part> parts;
    const auto isMarker = [&](int x, int y) {
        return inkOf(image.pixel(x, y)) > 60 && isTintOf(image.pixel(x, y), green, 30);
    };
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (label[std::size_t(y) * image.width() + x] || !isMarker(x, y))
                continue;
            // Flood the connected pixels of one plus sign.
            std::vector<QPoint> stack{QPoint(x, y)};
            label[std::size_t(y) * image.width() + x] = 1;
            double sx = 0, sy = 0;
            int count = 0;
            while (!stack.empty()) {
                const QPoint p = stack.back();
                stack.pop_back();
                sx += p.x() + 0.5;
                sy += p.y() + 0.5;
                ++count;
                for (const QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
                    const QPoint q = p + d;
                    if (q.x() < 0 || q.y() < 0 || q.x() >= image.width() || q.y() >= image.height())
                        continue;
                    int& seen = label[std::size_t(q.y()) * image.width() + q.x()];
                    if (!seen && isMarker(q.x(), q.y())) {
                        seen = 1;
                        stack.push_back(q);
                    }
                }
            }
            if (count > 20)
                parts.push_back({sx, sy, count});
        }
    }
    // A mark drawn over a plus sign (a dashed line, a target) cuts it in pieces: the pieces
    // of one sign lie within its arms' reach of each other.
    const double reach = kMarkerArm / 10.0 * 1.5 / raster.millimetresPerPixel();
    for (std::size_t i = 0; i < parts.size(); ++i) {
        for (std::size_t j = i + 1; j < parts.size(); ++j) {
            Part& a = parts[i];
            Part& b = parts[j];
            if (b.count == 0 || std::hypot(a.x / a.count - b.x / b.count, a.y / a.count - b.y / b.count) > reach)
                continue;
            a = {a.x + b.x, a.y + b.y, a.count + b.count};
            b = {};
            j = i;  // the merged part may now reach pieces passed over before
        }
    }
    std::vector<QPointF> centres;
    for (const Part& part : parts)
        if (part.count > 0)
            centres.emplace_back(raster.paperX(part.x / part.count), raster.paperY(part.y / part.count));
    return centres;
}

TEST_F(SheetTest, ADesignOf400By300MillimetresTilesOverA4PagesThatTogetherShowItAtActualSize)
{
    std::vector<QPointF> markers;
    const QString file = dir.filePath(QStringLiteral("large.dst"));
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        const auto bytes = gen::writeDst(largeDesign(markers));
        out.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    }
    const DesignPicture large = picture(file.toStdString());
    EXPECT_NEAR(large.widthMm(), 400, 0.05);
    EXPECT_NEAR(large.heightMm(), 300, 0.05);
    const QPageLayout pageLayout = layout(QPageSize::A4, QPageLayout::Portrait);
    const DesignSheet sheet(large, pageLayout);
    ASSERT_TRUE(sheet.tiled());
    const auto& tiles = sheet.tiles();
    ASSERT_EQ(int(tiles.size()), sheet.tileRows() * sheet.tileColumns());
    EXPECT_EQ(sheet.tileRows(), 2);
    EXPECT_EQ(sheet.tileColumns(), 3);
    const QString pdf = dir.filePath(QStringLiteral("large.pdf"));
    ASSERT_EQ(printSheets({large}, pageLayout, pdf), sheet.pageCount());
    ASSERT_EQ(sheet.pageCount(), 1 + int(tiles.size()));

    // The tiles' windows cover the design and its cross, and each shows its part 1:1 on
    // printable paper.
    const QRectF reach = large.extent.adjusted(-DesignSheet::kCrossOverhangMm, -DesignSheet::kCrossOverhangMm,
                                               DesignSheet::kCrossOverhangMm, DesignSheet::kCrossOverhangMm);
    QRectF covered;
    for (const auto& tile : tiles) {
        covered = covered.united(tile.window);
        EXPECT_NEAR(tile.window.width(), tile.content.width(), 1e-9);
        EXPECT_NEAR(tile.window.height(), tile.content.height(), 1e-9);
        EXPECT_TRUE(sheet.paper().adjusted(10, 10, -10, -10).contains(tile.content));
        EXPECT_EQ(tile.page, 1 + (tile.row - 1) * sheet.tileColumns() + (tile.column - 1));
    }
    EXPECT_TRUE(covered.contains(reach));
    for (std::size_t i = 1; i < tiles.size(); ++i) {
        const auto& a = tiles[i - 1];
        const auto& b = tiles[i];
        if (a.row == b.row) {
            EXPECT_NEAR(a.window.right() - b.window.left(), DesignSheet::kOverlapMm, 1e-9);
        }
    }
    EXPECT_NEAR(tiles[0].window.bottom() - tiles[std::size_t(sheet.tileColumns())].window.top(),
                DesignSheet::kOverlapMm, 1e-9);

    // Every plus sign lies on the paper where its tile says that part of the design is, on
    // every tile whose window holds it whole: markers in an overlap are found on both.
    const QStringList text = pdfText(pdf);
    ASSERT_EQ(text.size(), sheet.pageCount());
    std::vector<int> seen(markers.size(), 0);
    double worst = 0;
    int crossEnds = 0;
    for (const auto& tile : tiles) {
        SCOPED_TRACE("tile " + std::to_string(tile.row) + ", " + std::to_string(tile.column));
        EXPECT_TRUE(text[tile.page].contains(QStringLiteral("tile (%1, %2)").arg(tile.row).arg(tile.column)));
        const PageRaster raster(pdf, tile.page + 1, 150, tile.content, dir.path());
        ASSERT_FALSE(raster.image().isNull());
        const std::vector<QPointF> found = findMarkers(raster);
        for (std::size_t k = 0; k < markers.size(); ++k) {
            const QPointF onPaper = markers[k] - tile.window.topLeft() + tile.content.topLeft();
            const bool whole = tile.content.adjusted(4, 4, -4, -4).contains(onPaper);
            const bool clipped = !whole && tile.content.adjusted(-4, -4, 4, 4).contains(onPaper);
            double nearest = 1e9;
            for (const QPointF& f : found)
                nearest = std::min(nearest, std::hypot(f.x() - onPaper.x(), f.y() - onPaper.y()));
            if (whole) {
                EXPECT_LT(nearest, 0.3) << "marker at " << markers[k].x() << ", " << markers[k].y() << " mm";
                worst = std::max(worst, nearest);
                ++seen[k];
            } else if (!clipped) {
                EXPECT_GT(nearest, 5) << "a marker where the tile shows none";
            }
        }
        // Nothing green but the markers of this window: as many found as expected, and
        // those cut by the edge.
        int expected = 0, cut = 0;
        for (const QPointF& marker : markers) {
            const QPointF onPaper = marker - tile.window.topLeft() + tile.content.topLeft();
            expected += tile.content.adjusted(4, 4, -4, -4).contains(onPaper);
            cut += !tile.content.adjusted(4, 4, -4, -4).contains(onPaper) &&
                   tile.content.adjusted(-4, -4, 4, 4).contains(onPaper);
        }
        EXPECT_GE(int(found.size()), expected);
        EXPECT_LE(int(found.size()), expected + cut);

        // The cross goes on across the tiles: where it reaches past the design's edges, it
        // is on each tile whose window holds that place.
        const QPointF centre = large.centre();
        for (const QPointF end :
             {QPointF(centre.x(), large.extent.top() - 3), QPointF(centre.x(), large.extent.bottom() + 3),
              QPointF(large.extent.left() - 3, centre.y()), QPointF(large.extent.right() + 3, centre.y())}) {
            if (!tile.window.adjusted(1, 1, -1, -1).contains(end))
                continue;
            const QPointF onPaper = end - tile.window.topLeft() + tile.content.topLeft();
            int crossPixels = 0;
            for (int py = raster.pixelY(onPaper.y() - 1); py <= raster.pixelY(onPaper.y() + 1); ++py)
                for (int px = raster.pixelX(onPaper.x() - 1); px <= raster.pixelX(onPaper.x() + 1); ++px)
                    crossPixels += inkOf(raster.image().pixel(px, py)) > 40 &&
                                   isTintOf(raster.image().pixel(px, py), DesignSheet::crossColor(), 30);
            EXPECT_GT(crossPixels, 3) << "no cross at " << end.x() << ", " << end.y() << " mm";
            ++crossEnds;
        }
    }
    for (std::size_t k = 0; k < markers.size(); ++k)
        EXPECT_GE(seen[k], 1) << "marker at " << markers[k].x() << ", " << markers[k].y() << " mm on no tile";
    EXPECT_GE(crossEnds, 4);
    std::printf("[ MEASURED ] %zu markers over %zu tiles, farthest %.3f mm from where the tile puts them\n",
                markers.size(), tiles.size(), worst);
    EXPECT_TRUE(text[0].contains(QStringLiteral("%1 x %2 tiles").arg(sheet.tileRows()).arg(sheet.tileColumns())));
}

} // namespace
} // namespace orlika::test
