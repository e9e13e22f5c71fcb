// SPDX-License-Identifier: MIT
#include "catalog/Catalog.h"
#include "platform/HeadlessHost.h"
#include "platform/MemoryFile.h"
#include "render/PngEncoder.h"
#include "render/Surfaces.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/GuiApplication.h"
#include "tools/designgen/DstWriter.h"

#include <QPdfWriter>
#include <QTemporaryDir>

#include <algorithm>
#include <span>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace orlika {
namespace {

class RenderTest : public ::testing::Test {
protected:
    void SetUp() override { test::guiApplication(); }
};

int countPixels(const QImage& image, QRgb color)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) == color;
    return count;
}

TEST_F(RenderTest, LinesRunFromTheCurrentPointAndTextMovesIt)
{
    ImagePage page(100, 60);
    Canvas& canvas = page.canvas();
    canvas.setPenColor(rgb(255, 0, 0));
    canvas.moveTo(10, 10);
    canvas.lineTo(50, 10);  // batched...
    canvas.setPenColor(rgb(0, 0, 255));  // ...and drawn at the colour change
    canvas.lineTo(50, 40);
    page.flush();
    const QImage& image = page.image();
    EXPECT_EQ(image.pixel(30, 10), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(50, 25), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(30, 30), qRgb(255, 255, 255));

    // After text the current point is at the end of the text, on its top line.
    canvas.setFont(Font{"Arial", 8, false});
    const int width = canvas.textWidth("Hi");
    canvas.textOut(5, 45, "Hi");
    canvas.lineTo(5 + width + 20, 45);
    page.flush();
    EXPECT_EQ(image.pixel(5 + width + 10, 45), qRgb(0, 0, 255));
}

// What a window showing the page paints again after each step: a rectangle holding every
// pixel that changed, near them, and nothing where nothing was drawn.
TEST_F(RenderTest, ThePartOfAPageThatChangedHoldsEveryPixelDrawnSinceTheLastTime)
{
    ImagePage page(300, 200);
    Canvas& canvas = page.canvas();
    EXPECT_EQ(page.takeChanged(), QRect(0, 0, 300, 200)) << "a new page is new all over";
    EXPECT_TRUE(page.takeChanged().isEmpty());
    QImage before = page.image().copy();
    // The rectangle of the pixels that differ from `before`, and the changed part told.
    const auto step = [&](const char* what, int slack) {
        const QRect told = page.takeChanged();
        const QImage& now = page.image();
        QRect differs;
        for (int y = 0; y < now.height(); ++y)
            for (int x = 0; x < now.width(); ++x)
                if (now.pixel(x, y) != before.pixel(x, y))
                    differs |= QRect(x, y, 1, 1);
        before = now.copy();
        EXPECT_FALSE(differs.isEmpty()) << what;
        EXPECT_TRUE(told.contains(differs)) << what;
        EXPECT_TRUE(differs.adjusted(-slack, -slack, slack, slack).contains(told)) << what;
    };

    canvas.setPenColor(rgb(255, 0, 0));
    canvas.moveTo(10, 10);
    canvas.setFont(Font{"Arial", 8, false});
    EXPECT_TRUE(page.takeChanged().isEmpty()) << "a pen, a point and a font draw nothing";
    canvas.lineTo(60, 40);
    canvas.lineTo(20, 80);  // held back until taken
    step("lines", 2);
    canvas.setPenWidth(5);
    canvas.moveTo(100, 20);
    canvas.lineTo(140, 20);
    step("a wide line", 4);
    canvas.setPenWidth(1);
    const std::vector<PathPoint> path = {{150, 100, false}, {160, 110, true}, {200, 20, false}, {210, 25, true}};
    canvas.drawPath(path);
    step("a path with a move", 2);
    canvas.clipLines({50, 50, 90, 90});
    canvas.moveTo(0, 70);
    canvas.lineTo(299, 70);
    step("a line cut by its clip", 1);
    canvas.unclipLines();
    canvas.textOut(30, 150, "Rose 12 Wg");
    step("text", 24);
    canvas.clippedTextOut(200, 150, "a long name cut short", {200, 140, 240, 170});
    step("clipped text", 24);
    canvas.setBrush(BrushStyle::Solid, rgb(0, 0, 255));
    canvas.rectangle(240, 100, 280, 130);
    step("a filled rectangle", 1);
    canvas.labelOut(100, 175, "Picture 1");
    step("a label", 24);
    canvas.setFontColor(rgb(255, 0, 0));
    canvas.labelOut(100, 175, "Picture 1");
    step("the label again, in red", 24);

    auto& painter = dynamic_cast<PainterCanvas&>(canvas).painter();
    painter.drawPoint(5, 5);
    EXPECT_EQ(page.takeChanged(), QRect(0, 0, 300, 200)) << "the painter itself may have drawn anywhere";
}

TEST_F(RenderTest, PaletteRelativeColoursDrawAsTheirRgb)
{
    EXPECT_EQ(toQColor(0x020000FF), QColor(255, 0, 0));
    EXPECT_EQ(toQColor(rgb(1, 2, 3)), QColor(1, 2, 3));
}

// A path handed over at once draws exactly what its points draw one call at a time: over
// moves, steps that stay on their pixel, colour changes and runs longer than a polyline.
TEST_F(RenderTest, APathDrawsWhatItsPointsDrawOneByOne)
{
    std::vector<PathPoint> path;
    std::uint32_t seed = 7;
    const auto next = [&seed](int range) {
        seed = seed * 1664525u + 1013904223u;
        return int((seed >> 8) % std::uint32_t(range));
    };
    int x = 100, y = 100;
    for (int i = 0; i < 12000; ++i) {
        // Mostly short steps, a third of them staying put, now and then a move.
        x = std::clamp(x + next(5) - 2, 0, 199);
        y = std::clamp(y + next(5) - 2, 0, 199);
        path.push_back({x, y, next(500) != 0});
    }
    const auto draw = [&](bool atOnce) {
        auto page = std::make_unique<ImagePage>(200, 200);
        Canvas& canvas = page->canvas();
        canvas.moveTo(0, 0);
        for (std::size_t start = 0; start < path.size(); start += 3000) {
            canvas.setPenColor(start / 3000 % 2 ? rgb(200, 0, 0) : rgb(0, 0, 200));
            const auto piece = std::span(path).subspan(start, std::min<std::size_t>(3000, path.size() - start));
            if (atOnce) {
                canvas.drawPath(piece);
                continue;
            }
            for (const PathPoint& point : piece) {
                if (point.draws)
                    canvas.lineTo(point.x, point.y);
                else
                    canvas.moveTo(point.x, point.y);
            }
        }
        page->flush();
        return page->image().copy();
    };
    const QImage oneByOne = draw(false);
    EXPECT_GT(countPixels(oneByOne, qRgb(200, 0, 0)), 1000);
    EXPECT_TRUE(draw(true) == oneByOne);
}

TEST_F(RenderTest, RectangleFillsWithTheBrushAndOutlinesWithThePen)
{
    ImagePage page(40, 40);
    Canvas& canvas = page.canvas();
    canvas.moveTo(0, 20);
    canvas.lineTo(39, 20);
    canvas.setBrush(BrushStyle::Solid, White);
    canvas.rectangle(0, 0, 40, 40);
    page.flush();
    EXPECT_EQ(countPixels(page.image(), qRgb(0, 0, 0)), 4 * 39);  // the outline only
}

TEST_F(RenderTest, ADstDesignIsDrawnInItsColoursInsideItsCell)
{
    HeadlessHost host;
    PosixFileSystem files;
    Catalog catalog(host, files);
    ImagePage page(1000, 600);
    catalog.setMainCanvas(&page.canvas());
    catalog.prepareScreenPage(page.canvas(), 1000, 600);
    catalog.decodeFile(page.canvas(), "/x/star.dst",
                       std::make_unique<MemoryFile>(gen::writeDst(gen::makeStar(400))));
    const QImage cell = page.image().copy(72, 84, 143, 121);
    EXPECT_GT(countPixels(cell, qRgb(0, 0, 0)), 500);      // the fill, first colour
    EXPECT_GT(countPixels(cell, qRgb(128, 0, 0)), 100);    // the outline, second colour
    EXPECT_EQ(countPixels(page.image().copy(400, 0, 600, 600), qRgb(0, 0, 0)), 0);
}

TEST_F(RenderTest, ALabelWrittenAgainInAnotherColourLeavesNoTraceOfTheOld)
{
    const auto stitchesUnderTheLabel = [](Canvas& canvas) {
        canvas.setFont(Font{"Arial", 8, false});
        canvas.setPenColor(rgb(0, 128, 0));
        for (int x = 0; x < 120; x += 7) {
            canvas.moveTo(x, 0);
            canvas.lineTo(x + 20, 30);
        }
    };
    ImagePage never(120, 30);
    stitchesUnderTheLabel(never.canvas());
    never.canvas().labelOut(5, 8, "design.dst");
    never.flush();

    ImagePage reselected(120, 30);
    Canvas& canvas = reselected.canvas();
    stitchesUnderTheLabel(canvas);
    canvas.labelOut(5, 8, "design.dst");
    canvas.setFontColor(Red);
    canvas.labelOut(5, 8, "design.dst");
    reselected.flush();
    EXPECT_NE(reselected.image(), never.image());  // red now
    canvas.setFontColor(Black);
    canvas.labelOut(5, 8, "design.dst");
    reselected.flush();
    EXPECT_EQ(reselected.image(), never.image());

    // A page painted white forgets what lay under its labels.
    canvas.setBrush(BrushStyle::Solid, White);
    canvas.rectangle(-1, -1, 121, 31);
    canvas.labelOut(5, 8, "design.dst");
    canvas.setFontColor(Red);
    canvas.labelOut(5, 8, "design.dst");
    reselected.flush();
    EXPECT_EQ(countPixels(reselected.image(), qRgb(0, 128, 0)), 0);
}

TEST_F(RenderTest, LinesStayInsideTheirClipButTextDoesNot)
{
    ImagePage page(100, 60);
    Canvas& canvas = page.canvas();
    canvas.setFont(Font{"Arial", 8, false});
    canvas.clipLines({10, 10, 50, 50});
    canvas.moveTo(0, 30);
    canvas.lineTo(99, 30);
    canvas.textOut(60, 5, "T");
    canvas.unclipLines();
    canvas.moveTo(0, 55);
    canvas.lineTo(99, 55);
    page.flush();
    const QImage& image = page.image();
    EXPECT_EQ(image.pixel(9, 30), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(10, 30), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(49, 30), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(50, 30), qRgb(255, 255, 255));
    EXPECT_GT(image.width() * image.height() - countPixels(image.copy(55, 0, 45, 25), qRgb(255, 255, 255)), 0);
    EXPECT_EQ(image.pixel(5, 55), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(95, 55), qRgb(0, 0, 0));
}

TEST_F(RenderTest, ClippedTextStaysInItsAreaAndTheLinesKeepTheirOwnClip)
{
    ImagePage page(120, 80);
    Canvas& canvas = page.canvas();
    canvas.setFont(Font{"Arial", 8, false});
    const QRgb white = qRgb(255, 255, 255);
    canvas.clipLines({10, 10, 50, 70});
    canvas.clippedTextOut(0, 20, "WWWWWWWWWWWWWWWW", {0, 0, 40, 80});
    canvas.moveTo(0, 45);
    canvas.lineTo(119, 45);
    canvas.unclipLines();
    canvas.clippedTextOut(0, 0, "WWWWWWWWWWWWWWWW", {0, 0, 40, 80});
    canvas.moveTo(0, 75);
    canvas.lineTo(119, 75);
    page.flush();
    const QImage& image = page.image();
    // The text up to the area's edge, nothing of it beyond.
    EXPECT_LT(countPixels(image.copy(0, 0, 40, 40), white), 40 * 40);
    EXPECT_EQ(countPixels(image.copy(40, 0, 80, 40), white), 80 * 40);
    // The lines after it are clipped as they were before it: to their area, then not at all.
    EXPECT_EQ(image.pixel(9, 45), white);
    EXPECT_EQ(image.pixel(10, 45), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(49, 45), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(50, 45), white);
    EXPECT_EQ(image.pixel(0, 75), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(115, 75), qRgb(0, 0, 0));
}

TEST_F(RenderTest, ADesignWhoseHeaderLiesStaysInItsOwnCell)
{
    // A design sewn downwards from its start, its -Y and +Y swapped as some converters
    // write them: trusted as read, the picture hangs below the middle line into the row
    // below.
    gen::Design hanging;
    hanging.stitch(0, 0);
    hanging.runTo(0, -600);
    hanging.runTo(300, -600);
    std::vector<std::uint8_t> file = gen::writeDst(hanging);
    const auto block = gen::dstHeaderBlock({"lying", 0, 0, 300, 0, 600, 0});
    std::copy(block.begin(), block.end(), file.begin());

    HeadlessHost host;
    PosixFileSystem files;
    Catalog catalog(host, files);
    applyLayout(catalog.state(), layouts::kStandardWithoutRemarks);
    ImagePage page(1000, 600);
    catalog.setMainCanvas(&page.canvas());
    catalog.prepareScreenPage(page.canvas(), 1000, 600);
    catalog.decodeFile(page.canvas(), "/x/lying.dst", std::make_unique<MemoryFile>(file));
    page.flush();
    // Cell 1 owns x 72..357 and, with its name, y 59..311 (the next row's name begins there).
    const QImage below = page.image().copy(0, 312, 1000, 288);
    const QImage right = page.image().copy(358, 0, 642, 600);
    EXPECT_EQ(countPixels(below, qRgb(255, 255, 255)), below.width() * below.height());
    EXPECT_EQ(countPixels(right, qRgb(255, 255, 255)), right.width() * right.height());
    EXPECT_GT(countPixels(page.image().copy(72, 200, 286, 112), qRgb(0, 0, 0)), 50);  // what shows of it
}

TEST_F(RenderTest, PagedPrinterWritesOnePdfPagePerPage)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("out.pdf");
    {
        QPdfWriter writer(path);
        PagedPrinter printer(writer);
        EXPECT_GT(printer.pageWidth(), 0);
        EXPECT_TRUE(printer.portrait());
        printer.canvas().setFont(Font{"Arial", 8, false});
        EXPECT_GT(printer.canvas().textHeight("H"), 50);  // 8 points at 1200 dpi
        printer.beginDoc();
        printer.canvas().textOut(100, 100, "page one");
        printer.newPage();
        printer.canvas().textOut(100, 100, "page two");
        printer.endDoc();
        EXPECT_EQ(printer.pagesPrinted(), 2);
        EXPECT_FALSE(printer.printing());
    }
    QFile pdf(path);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r"), 2);
}

TEST_F(RenderTest, ASaveFileTakesItsNameOnlyWhenAllOfItIsWritten)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("out.bin");
    {
        // Writes that Qt keeps in its buffer: only the last flush, when the file is put in
        // place, finds the disk full.
        CheckedSaveFile file(path);
        ASSERT_EQ(file.openForWriting(), "");
        const test::FileSizeLimit full(4096);
        ASSERT_TRUE(full.set());
        EXPECT_EQ(file.write(QByteArray(10000, 'x')), 10000);
        EXPECT_EQ(file.problem(), "");
        EXPECT_EQ(file.commitChecked(), "file too large");
    }
    EXPECT_FALSE(QFile::exists(path));
    {
        // A write past Qt's buffer that the system cuts short; nothing more goes after it.
        CheckedSaveFile file(path);
        ASSERT_EQ(file.openForWriting(), "");
        const test::FileSizeLimit full(20000);
        ASSERT_TRUE(full.set());
        EXPECT_EQ(file.write(QByteArray(65536, 'x')), -1);
        EXPECT_EQ(file.problem(), "file too large");
        EXPECT_EQ(file.write("more"), -1);
        EXPECT_EQ(file.commitChecked(), "file too large");
    }
    EXPECT_FALSE(QFile::exists(path));
    {
        CheckedSaveFile file(path);
        ASSERT_EQ(file.openForWriting(), "");
        EXPECT_EQ(file.write(QByteArray(65536, 'x')), 65536);
        EXPECT_EQ(file.write("end"), 3);
        EXPECT_EQ(file.commitChecked(), "");
    }
    EXPECT_EQ(QFileInfo(path).size(), 65539);
    EXPECT_EQ(savePng(QImage(), path), "the image could not be encoded");
    EXPECT_EQ(QFileInfo(path).size(), 65539);
    EXPECT_EQ(CheckedSaveFile(folder.filePath("none/x.bin")).openForWriting(),
              "the folder " + folder.filePath("none").toStdString() + " does not exist");
}

TEST_F(RenderTest, PngPagesDecodeToTheSamePixelsAsTheImage)
{
    // A catalog page (lines in colours, antialiased text), sizes of one pixel and odd
    // widths, and noise, whose rows differ in every byte (the Up filter wraps around).
    ImagePage page(1600, 1000);
    HeadlessHost host;
    PosixFileSystem files;
    Catalog catalog(host, files);
    catalog.prepareScreenPage(page.canvas(), 1600, 1000);
    catalog.decodeFile(page.canvas(), "/designs/star.dst", std::make_unique<MemoryFile>(gen::writeDst(gen::makeStar(400))));
    page.canvas().textOut(700, 900, "Page 1 of 2 Pages");
    page.flush();
    QImage noise(37, 5, QImage::Format_RGB32);
    std::uint32_t seed = 12345;
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x) {
            seed = seed * 1103515245u + 12345u;
            noise.setPixel(x, y, 0xFF000000u | (seed >> 8));
        }
    QImage single(1, 1, QImage::Format_RGB32);
    single.fill(qRgb(1, 2, 3));
    QImage grey(3, 7, QImage::Format_Grayscale8);
    grey.fill(200);

    // A design's picture on nothing: colours with every alpha, premultiplied as drawn.
    QImage seeThrough(29, 6, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < seeThrough.height(); ++y)
        for (int x = 0; x < seeThrough.width(); ++x) {
            seed = seed * 1103515245u + 12345u;
            seeThrough.setPixelColor(x, y, QColor(int(seed >> 24), int(seed >> 16) & 0xFF, int(seed >> 8) & 0xFF,
                                                  (x * 9 + y * 40) % 256));
        }
    // Its texts, as the thumbnail cache keeps them: plain, and in letters beyond Latin-1.
    seeThrough.setText(QStringLiteral("Thumb::URI"), QStringLiteral("file:///home/u/r%C3%B6se.pes"));
    seeThrough.setText(QStringLiteral("Thumb::MTime"), QStringLiteral("1796870400"));
    seeThrough.setText(QStringLiteral("Title"), QStringLiteral("Róża – ローズ"));

    // The page is encoded as the catalog encodes it, still under its painter, and the
    // smaller images after it reuse the encoder's larger buffers.
    QTemporaryDir folder;
    for (const QImage* picture : {&page.image(), &noise, &single, &grey, &seeThrough}) {
        const QImage& image = *picture;
        const QString path = folder.filePath("page.png");
        ASSERT_EQ(savePng(image, path), "");
        const QImage back(path);
        ASSERT_FALSE(back.isNull());
        const QImage::Format format = image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
        EXPECT_EQ(back.hasAlphaChannel(), image.hasAlphaChannel());
        EXPECT_EQ(back.convertToFormat(format), image.convertToFormat(format));
        EXPECT_EQ(back.dotsPerMeterX(), image.dotsPerMeterX() > 0 ? image.dotsPerMeterX() : 3780);
        for (const QString& key : image.textKeys())
            EXPECT_EQ(back.text(key), image.text(key)) << key.toStdString();
    }
    EXPECT_EQ(seeThrough.textKeys().size(), 3);
    EXPECT_GT(countPixels(page.image(), qRgb(128, 0, 0)), 100);  // the page drew
}

TEST_F(RenderTest, APngsBytesDoNotDependOnTheImagesEncodedBeforeIt)
{
    // The encoder keeps its buffers from one image to the next in a thread: a page, then
    // smaller images, must come out as a thread that encodes nothing else writes them.
    ImagePage page(1600, 1000);
    page.canvas().textOut(700, 900, "Page 1 of 2 Pages");
    page.canvas().moveTo(10, 10);
    page.canvas().lineTo(1500, 950);
    page.flush();
    QImage small(37, 5, QImage::Format_RGB32);
    small.fill(qRgb(250, 250, 250));
    small.setPixel(3, 2, qRgb(20, 40, 60));
    QImage seeThrough(29, 6, QImage::Format_ARGB32_Premultiplied);
    seeThrough.fill(qRgba(0, 0, 0, 0));
    seeThrough.setPixel(5, 5, qRgba(100, 50, 0, 200));
    const auto alone = [](const QImage& image, PngContent content) {
        std::vector<std::uint8_t> png;
        std::thread([&] { png = encodePng(image, content); }).join();
        return png;
    };
    const std::vector<std::uint8_t> pageAlone = alone(page.image(), PngContent::Page);
    EXPECT_EQ(encodePng(page.image()), pageAlone);
    EXPECT_EQ(encodePng(small), alone(small, PngContent::Page));
    EXPECT_EQ(encodePng(seeThrough, PngContent::Picture), alone(seeThrough, PngContent::Picture));
    EXPECT_EQ(encodePng(small), alone(small, PngContent::Page));
    EXPECT_EQ(encodePng(page.image()), pageAlone);
}

} // namespace
} // namespace orlika
