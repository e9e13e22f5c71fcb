// SPDX-License-Identifier: MIT
// The realistic look: thread of its width covers a satin fill where lines leave gaps, is
// shaded across its width with the sheen on the side toward the light, and shows on
// light and dark fabric alike, dark threads and light; the exported SVG and PNG keep the
// sizes of the line drawing's. And the sew-out: where the needle is after a while.
#include "platform/Host.h"
#include "render/RealisticLook.h"
#include "render/Surfaces.h"
#include "sheet/DesignExport.h"
#include "sheet/DesignSheet.h"
#include "sheet/RealisticPicture.h"
#include "sheet/SewOut.h"
#include "tests/sheet/SheetSupport.h"

#include <QColor>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <tuple>

namespace orlika::test {
namespace {

// A satin fill `side` mm wide: the needle goes from side to side, 0.2 mm down each
// stitch, `stitches` times.
DesignPicture satinSquare(double side = 10, int stitches = 50)
{
    DesignPicture picture;
    ColorBlock block;
    block.color = rgb(40, 90, 200);
    QPolygonF run;
    for (int k = 0; k <= stitches; ++k)
        run << QPointF(k % 2 ? side : 0.0, k * 0.2);
    block.runs.push_back(run);
    block.stitches = run.size() - 1;
    picture.blocks.push_back(block);
    picture.extent = QRectF(0, 0, side, stitches * 0.2);
    return picture;
}

// One long stitch from `from` to `to`, in millimetres.
DesignPicture oneStitch(Color color, QPointF from, QPointF to)
{
    DesignPicture picture;
    ColorBlock block;
    block.color = color;
    block.runs.push_back(QPolygonF{from, to});
    block.stitches = 1;
    picture.blocks.push_back(block);
    picture.extent = QRectF(from, to).normalized();
    return picture;
}

QImage fabric(int size, const QColor& color)
{
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

// The share of the pixels within `box` that differ from `fabric` by more than `least` in
// some channel.
double coveredShare(const QImage& image, const QRect& box, QRgb fabric, int least)
{
    int covered = 0;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            covered += std::max({std::abs(qRed(pixel) - qRed(fabric)), std::abs(qGreen(pixel) - qGreen(fabric)),
                                 std::abs(qBlue(pixel) - qBlue(fabric))}) > least;
        }
    }
    return double(covered) / (double(box.width()) * box.height());
}

constexpr double kScale = 40;  // pixels a millimetre: a 0.4 mm thread is 16 pixels wide
const QPointF kOffset(20, 20);

TEST(RealisticLook, ASatinFillIsCoveredByThreadWhereLinesLeaveMostOfItBare)
{
    application();
    const DesignPicture satin = satinSquare();
    // The square within the needle points, clear of the rounded ends at the sides.
    const QRect inside(int(kOffset.x() + 0.5 * kScale), int(kOffset.y() + 0.5 * kScale), int(9 * kScale),
                       int(9 * kScale));

    QImage realistic = fabric(440, Qt::white);
    ASSERT_TRUE(drawRealisticDesign(realistic, satin, kScale, kOffset, kThreadWidthMm));
    const double threadCover = coveredShare(realistic, inside, qRgb(255, 255, 255), 40);
    EXPECT_GE(threadCover, 0.9);

    // The line drawing, a pixel a stitch, on the same square.
    QImage lines = fabric(440, Qt::white);
    {
        QPainter painter(&lines);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.translate(kOffset);
        painter.scale(kScale, kScale);
        paintDesign(painter, satin, 1 / kScale);
    }
    const double lineCover = coveredShare(lines, inside, qRgb(255, 255, 255), 40);
    EXPECT_LT(lineCover, 0.3);
    std::printf("[ MEASURED ] satin square covered %.1f %% by thread, %.1f %% by lines\n", threadCover * 100,
                lineCover * 100);
}

// The lightness of the pixels across a stitch, through the point `at`, `step` a pixel.
std::vector<int> lightnessAcross(const QImage& image, QPoint at, QPoint step, int pixels)
{
    std::vector<int> lightness;
    for (int i = -pixels; i <= pixels; ++i)
        lightness.push_back(QColor(image.pixel(at + step * i)).lightness());
    return lightness;
}

TEST(RealisticLook, TheDesignSheetShowsItsPictureAsThreadWhenAskedOnPageImagesAndInPdf)
{
    application();
    const DesignPicture satin = satinSquare();
    const QPageLayout a4(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                         QPageLayout::Millimeter);
    constexpr double kDpi = 300;
    const auto firstPage = [&](PictureLook look) {
        DesignSheet sheet(satin, a4);
        sheet.setLook(look);
        const QPointF centre = sheet.designCentre() * (kDpi / 25.4);
        // The square within the needle points, clear of the rounded ends at the sides.
        const int half = int(4.5 / 25.4 * kDpi);
        const QRect inside(int(centre.x()) - half, int(centre.y()) - half, 2 * half, 2 * half);
        return std::pair(sheet.pageImage(0, kDpi), inside);
    };
    const auto [lines, square] = firstPage(PictureLook::Lines);
    const auto [thread, same] = firstPage(PictureLook::Realistic);
    ASSERT_EQ(square, same);
    // The sheet's lines, 0.3 mm wide, already cover so dense a satin, in its flat colour;
    // thread covers it too, in its shades.
    const double threadCover = coveredShare(thread, square, qRgb(255, 255, 255), 40);
    EXPECT_GE(threadCover, 0.95);
    const QRgb flat = qRgb(40, 90, 200);
    const double linesShaded = coveredShare(lines, square, flat, 40);
    const double threadShaded = coveredShare(thread, square, flat, 40);
    EXPECT_LT(linesShaded, 0.15);
    EXPECT_GT(threadShaded, 0.3);
    std::printf("[ MEASURED ] the sheet's satin square: %.1f %% covered by thread; away from the flat colour "
                "%.1f %% of the thread, %.1f %% of the lines\n",
                threadCover * 100, threadShaded * 100, linesShaded * 100);
    // Shaded thread, not a flat fill: lightness spreads over a fifth of its range.
    int darkest = 255, lightest = 0;
    for (int y = square.top(); y <= square.bottom(); ++y)
        for (int x = square.left(); x <= square.right(); ++x) {
            const int lightness = QColor(thread.pixel(x, y)).lightness();
            darkest = std::min(darkest, lightness);
            lightest = std::max(lightest, lightness);
        }
    EXPECT_GE(lightest - darkest, 51);
    // Outside the picture the two pages are alike: the header, the cross's ends, the
    // scale bars and the colour sequence are the sheet's as ever.
    QImage outside = thread.copy();
    QImage outsideLines = lines.copy();
    const QRect picture = square.adjusted(-int(kDpi / 25.4), -int(kDpi / 25.4), int(kDpi / 25.4), int(kDpi / 25.4));
    {
        QPainter blank(&outside);
        blank.fillRect(picture, Qt::white);
        QPainter blankLines(&outsideLines);
        blankLines.fillRect(picture, Qt::white);
    }
    EXPECT_TRUE(outside == outsideLines);

    // In a PDF file the thread is a picture on the page; lines are paths, as before.
    QTemporaryDir folder;
    const auto printed = [&](PictureLook look) {
        const QString path = folder.filePath(look == PictureLook::Realistic ? "thread.pdf" : "lines.pdf");
        {
            PdfFile pdf(path);
            pdf.writer().setPageLayout(a4);
            pdf.writer().setResolution(600);
            PagedPrinter printer(pdf);
            printer.beginDoc();
            EXPECT_EQ(printDesignSheets(printer, printer.painter(), printer.pageLayout(), {&satin, 1}, look), 1);
            printer.endDoc();
            EXPECT_EQ(pdf.commit(), "");
        }
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll().count("/Subtype /Image");
    };
    EXPECT_EQ(printed(PictureLook::Lines), 0);
    EXPECT_GE(printed(PictureLook::Realistic), 1);
}

TEST(RealisticLook, AThreadIsShadedAcrossItsWidthWithItsSheenTowardTheLight)
{
    application();
    const Color red = rgb(200, 40, 40);
    // Across the light from the upper left, a stitch is lit on its upper side lying
    // flat and on its left side standing up.
    struct Case {
        QPointF from, to;
        QPoint middle, across;  // the stitch's middle in pixels; a step across it, away from the light
    };
    const Case cases[] = {
        {{0, 0}, {8, 0}, {180, 20}, {0, 1}},
        {{0, 0}, {0, 8}, {20, 180}, {1, 0}},
    };
    for (const Case& c : cases) {
        QImage image = fabric(400, Qt::white);
        ASSERT_TRUE(drawRealisticDesign(image, oneStitch(red, c.from, c.to), kScale, kOffset, kThreadWidthMm));
        // Within the thread, clear of its antialiased edges: 16 pixels wide.
        const std::vector<int> lightness = lightnessAcross(image, c.middle, c.across, 6);
        const auto [darkest, lightest] = std::minmax_element(lightness.begin(), lightness.end());
        EXPECT_GE(*lightest - *darkest, 0.2 * 255);
        // The sheen lies toward the light, the far edge is the darkest.
        EXPECT_LT(lightest - lightness.begin(), 6);
        EXPECT_GT(darkest - lightness.begin(), 6);
    }
}

TEST(RealisticLook, AStitchAndItsReverseAreLitAlikeAndDirectionsFallInTwelveBuckets)
{
    EXPECT_EQ(directionBucket(1, 0), 0);
    EXPECT_EQ(directionBucket(-1, 0), 0);
    EXPECT_EQ(directionBucket(1, 1), 3);     // 45 degrees, y downward
    EXPECT_EQ(directionBucket(-1, -1), 3);
    EXPECT_EQ(directionBucket(0, 1), 6);
    EXPECT_EQ(directionBucket(0, -1), 6);
    EXPECT_EQ(directionBucket(-1, 1), 9);    // 135 degrees
    EXPECT_EQ(directionBucket(-1, 0.01), 11);
    EXPECT_EQ(directionBucket(0, 0), 0);
    // Each bucket's sheen lies on the side toward the light (up and left): across a
    // stitch lying flat, the profile is lightest before its middle (the upper side).
    const std::array<Color, kProfileSteps> flat = threadProfile(rgb(200, 40, 40), directionBucket(1, 0));
    const auto lightest = std::max_element(flat.begin(), flat.end(), [](Color a, Color b) {
        return redOf(a) + greenOf(a) + blueOf(a) < redOf(b) + greenOf(b) + blueOf(b);
    });
    EXPECT_LT(lightest - flat.begin(), kProfileSteps / 2);
}

TEST(RealisticLook, BlackAndWhiteThreadsStandOutOnWhiteAndOnBlackFabric)
{
    application();
    for (const Color thread : {Black, White}) {
        for (const QColor& cloth : {QColor(Qt::white), QColor(Qt::black)}) {
            SCOPED_TRACE(std::to_string(thread) + " on " + cloth.name().toStdString());
            QImage image = fabric(400, cloth);
            ASSERT_TRUE(drawRealisticDesign(image, oneStitch(thread, {0, 0}, {8, 0}), kScale, kOffset, kThreadWidthMm));
            // The stitch's body, 16 pixels across its middle: a good share of it stands
            // clear of the fabric (a quarter of the range of lightness or more).
            const QRect body(100, 20 - 8, 160, 16);
            EXPECT_GE(coveredShare(image, body, cloth.rgb(), 64), 0.2);
        }
    }
}

TEST(RealisticLook, ExportedPicturesKeepTheLineDrawingsSizes)
{
    application();
    QTemporaryDir dir;
    // An inch square: 96 pixels at 96 dpi, whoever rounds.
    DesignPicture satin = satinSquare(25.4, 127);
    satin.name = "satin.dst";
    const PictureStyle realistic{PictureLook::Realistic, kThreadWidthMm};
    for (const double dpi : {96.0, 300.0}) {
        EXPECT_EQ(designImage(satin, dpi, std::nullopt, realistic).size(), designImage(satin, dpi).size());
    }
    // The SVG says the same size, and librsvg draws it as big as the line drawing's.
    const auto rendered = [&](const QByteArray& svg, const QString& name) {
        QFile file(dir.filePath(name + QStringLiteral(".svg")));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(svg);
        file.close();
        const ToolRun run = runTool(QStringLiteral("rsvg-convert"),
                                    {file.fileName(), QStringLiteral("-o"), dir.filePath(name + QStringLiteral(".png"))});
        EXPECT_EQ(run.status, 0);
        EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
        return QImage(dir.filePath(name + QStringLiteral(".png")));
    };
    ASSERT_TRUE(haveProgram(QStringLiteral("rsvg-convert"))) << "librsvg2-bin is needed (scripts/setup.sh installs it)";
    const QByteArray lineSvg = designSvg(satin);
    const QByteArray threadSvg = designSvg(satin, std::nullopt, realistic);
    const QByteArray header = lineSvg.left(lineSvg.indexOf("viewBox"));
    EXPECT_TRUE(threadSvg.contains(header.mid(header.indexOf("width=")))) << threadSvg.left(400).toStdString();
    const QImage lineImage = rendered(lineSvg, QStringLiteral("lines"));
    const QImage threadImage = rendered(threadSvg, QStringLiteral("thread"));
    ASSERT_FALSE(threadImage.isNull());
    EXPECT_EQ(threadImage.size(), lineImage.size());
    // And librsvg's thread looks as ours does: as much of the picture covered, in the same
    // colours on the whole, within 8 % of each channel's range (the SVG strokes a
    // direction's stitches at once, the PNG lays them in sewing order and blends a thread
    // under two pixels wide into its mean colour, so single pixels differ).
    const auto summary = [](const QImage& picture) {
        const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
        double covered = 0, red = 0, green = 0, blue = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                covered += qAlpha(pixel) > 128;
                red += qRed(pixel) * qAlpha(pixel) / 255.0;
                green += qGreen(pixel) * qAlpha(pixel) / 255.0;
                blue += qBlue(pixel) * qAlpha(pixel) / 255.0;
            }
        const double pixels = double(image.width()) * image.height();
        return std::array<double, 4>{covered / pixels, red / pixels, green / pixels, blue / pixels};
    };
    const QImage ours = designImage(satin, 96, std::nullopt, realistic);
    ASSERT_EQ(ours.size(), threadImage.size());
    const std::array<double, 4> mine = summary(ours);
    const std::array<double, 4> theirs = summary(threadImage);
    EXPECT_GT(mine[0], 0.9);
    EXPECT_NEAR(mine[0], theirs[0], 0.05);
    for (int channel = 1; channel < 4; ++channel)
        EXPECT_NEAR(mine[std::size_t(channel)], theirs[std::size_t(channel)], 20) << "channel " << channel;
}

// Three blocks of 10, 5 and 20 stitches.
// A large picture is drawn in bands of rows on several threads: its pixels are those one
// drawing of the whole image lays, at the bands' edges too (bands cut at odd rows here,
// through stitches that cross them), and a band leaves the rows outside it as they were.
TEST(RealisticLook, APictureDrawnInBandsIsThePictureDrawnWhole)
{
    DesignPicture picture = satinSquare(60, 6000);  // 60 x 1,200 mm: more than any band's share
    picture.blocks.push_back(satinSquare(40, 800).blocks.front());
    picture.blocks.back().color = rgb(250, 250, 240);
    const double scale = 0.6;
    const QPointF offset(11.3, 7.7);
    const auto layAll = [&](RealisticThreads&& threads) {
        threads.setMapping(scale, offset.x(), offset.y());
        threads.setThreadWidth(kThreadWidthMm);
        for (const ColorBlock& block : picture.blocks) {
            threads.setThread(block.color);
            for (const QPolygonF& run : block.runs)
                for (qsizetype i = 1; i < run.size(); ++i)
                    threads.addStitch(run[i - 1], run[i]);
        }
    };
    QImage whole(800, 760, QImage::Format_RGB32);
    whole.fill(Qt::white);
    layAll(RealisticThreads(whole));
    QImage drawn(whole.size(), QImage::Format_RGB32);
    drawn.fill(Qt::white);
    ASSERT_TRUE(drawRealisticDesign(drawn, picture, scale, offset));
    EXPECT_TRUE(drawn == whole);

    QImage banded(whole.size(), QImage::Format_RGB32);
    banded.fill(Qt::white);
    for (const auto& [first, end] : {std::pair(0, 251), std::pair(251, 509), std::pair(509, 760)}) {
        layAll(RealisticThreads(banded, first, end));
        if (first == 0) {  // the rows below the first band are still bare
            EXPECT_EQ(banded.pixel(30, 400), QColor(Qt::white).rgb());
        }
    }
    EXPECT_TRUE(banded == whole);
}

DesignPicture threeBlocks()
{
    DesignPicture picture;
    for (const int stitches : {10, 5, 20}) {
        ColorBlock block;
        QPolygonF run;
        for (int i = 0; i <= stitches; ++i)
            run << QPointF(i, picture.blocks.size());
        block.runs.push_back(run);
        block.stitches = stitches;
        picture.blocks.push_back(block);
    }
    picture.extent = QRectF(0, 0, 20, 2);
    return picture;
}

TEST(SewOut, TheNeedleGoesAtTheMachinesSpeedTimesTheMultipleAndStopsAtTheEnd)
{
    SewOut sewing(threeBlocks());
    EXPECT_EQ(sewing.stitches(), 35);
    EXPECT_EQ(sewing.position(), 0);
    EXPECT_EQ(sewing.currentBlock(), 0u);
    // 600 stitches a minute is 10 a second: 50 ms is half a stitch, carried on.
    EXPECT_EQ(sewing.advance(50, 600, 1, false), SewOut::Advance::Sewing);
    EXPECT_EQ(sewing.position(), 0);
    EXPECT_EQ(sewing.advance(50, 600, 1, false), SewOut::Advance::Sewing);
    EXPECT_EQ(sewing.position(), 1);
    // At 10x, 100 ms more is 10 stitches: into the second block.
    sewing.advance(100, 600, 10, false);
    EXPECT_EQ(sewing.position(), 11);
    EXPECT_EQ(sewing.currentBlock(), 1u);
    EXPECT_EQ(sewing.advance(60000, 600, 100, false), SewOut::Advance::DesignEnded);
    EXPECT_EQ(sewing.position(), 35);
    EXPECT_EQ(sewing.currentBlock(), 2u);
    EXPECT_EQ(sewing.advance(16, 600, 1, false), SewOut::Advance::DesignEnded);
}

TEST(SewOut, ItPausesAfterEachBlocksLastStitchWhenAsked)
{
    SewOut sewing(threeBlocks());
    EXPECT_EQ(sewing.advance(10000, 600, 1, true), SewOut::Advance::BlockEnded);
    EXPECT_EQ(sewing.position(), 10);
    EXPECT_EQ(sewing.currentBlock(), 0u);  // the block just done
    EXPECT_EQ(sewing.advance(10000, 600, 1, true), SewOut::Advance::BlockEnded);
    EXPECT_EQ(sewing.position(), 15);
    EXPECT_EQ(sewing.advance(10000, 600, 1, true), SewOut::Advance::DesignEnded);
    EXPECT_EQ(sewing.position(), 35);
}

TEST(SewOut, TheSliderGoesToAnyStitchAndThePartSewnEndsAtTheNeedle)
{
    const DesignPicture picture = threeBlocks();
    SewOut sewing(picture);
    sewing.setPosition(12);
    EXPECT_EQ(sewing.position(), 12);
    EXPECT_EQ(sewing.currentBlock(), 1u);
    sewing.setPosition(-4);
    EXPECT_EQ(sewing.position(), 0);
    sewing.setPosition(99);
    EXPECT_EQ(sewing.position(), 35);

    const DesignPicture part = sewnPart(picture, 12);
    ASSERT_EQ(part.blocks.size(), 2u);
    EXPECT_EQ(part.blocks[0].stitches, 10);
    EXPECT_EQ(part.blocks[1].stitches, 2);
    ASSERT_EQ(part.blocks[1].runs.size(), 1u);
    EXPECT_EQ(part.blocks[1].runs[0].size(), 3);
    EXPECT_EQ(needleAfter(picture, 12), QPointF(2, 1));
    EXPECT_EQ(needleAfter(picture, 0), QPointF(0, 0));
    EXPECT_EQ(needleAfter(picture, 10), QPointF(10, 0));
    EXPECT_EQ(needleAfter(picture, 35), QPointF(20, 2));
    EXPECT_TRUE(sewnPart(picture, 0).blocks.empty());
    EXPECT_EQ(sewnPart(picture, 35).blocks.size(), 3u);
}

// A sew-out's frames add the stitches since the last: any two parts put together are the
// part as far as the second, stitch for stitch and in each stitch's colour, across runs
// and blocks.
TEST(SewOut, ThePartsSewnBetweenTwoStitchesAddUpToThePartSewn)
{
    DesignPicture picture = threeBlocks();
    ColorBlock split;  // two runs, a jump between them
    split.color = rgb(200, 0, 0);
    split.runs = {QPolygonF({QPointF(0, 5), QPointF(1, 5), QPointF(2, 5), QPointF(3, 5)}),
                  QPolygonF({QPointF(7, 5), QPointF(8, 6), QPointF(9, 5)})};
    split.stitches = 5;
    picture.blocks.insert(picture.blocks.begin() + 1, split);
    using Segment = std::tuple<double, double, double, double, Color>;
    const auto segments = [](const DesignPicture& part) {
        std::vector<Segment> all;
        for (const ColorBlock& block : part.blocks)
            for (const QPolygonF& run : block.runs)
                for (qsizetype i = 1; i < run.size(); ++i)
                    all.emplace_back(run[i - 1].x(), run[i - 1].y(), run[i].x(), run[i].y(), block.color);
        return all;
    };
    const std::vector<Segment> whole = segments(picture);
    ASSERT_EQ(whole.size(), 40u);
    for (std::int64_t from = 0; from <= 40; ++from) {
        for (std::int64_t to = from; to <= 41; ++to) {
            const DesignPicture part = sewnBetween(picture, from, to);
            const auto end = std::min<std::int64_t>(to, 40);
            EXPECT_EQ(segments(part), std::vector<Segment>(whole.begin() + from, whole.begin() + end))
                << from << " to " << to;
            std::int64_t counted = 0;
            for (const ColorBlock& block : part.blocks)
                counted += block.stitches;
            EXPECT_EQ(counted, end - from);
        }
    }
}

} // namespace
} // namespace orlika::test
