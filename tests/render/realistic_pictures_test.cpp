// SPDX-License-Identifier: MIT
// Catalog pages with realistic pictures: a cell's lines laid as shaded thread, its texts
// as they were, the same on a page image and in a PDF file.
#include "catalog/Catalog.h"
#include "platform/HeadlessHost.h"
#include "platform/MemoryFile.h"
#include "render/Surfaces.h"
#include "tests/support/GuiApplication.h"
#include "tools/designgen/DstWriter.h"

#include <QColor>
#include <QFile>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <algorithm>

#include <gtest/gtest.h>

namespace orlika {
namespace {

class RealisticPicturesTest : public ::testing::Test {
protected:
    void SetUp() override { test::guiApplication(); }
};

constexpr QRgb kSecondDstColour = qRgb(128, 0, 0);

// A satin column 3 mm wide and 10 mm high, sewn side to side 0.2 mm up each stitch, in
// the second thread after a single stitch of the first.
std::vector<std::uint8_t> satinColumn()
{
    gen::Design design;
    design.stitch(0, 0);
    design.colorChange(1);
    for (int i = 0; i <= 50; ++i)
        design.stitch(i % 2 ? 30 : 0, 2 * i);
    return gen::writeDst(design);
}

// The standard page of 1000 x 600 pixels with the DST design in its first cell.
QImage pageWithDesign(const std::vector<std::uint8_t>& dst, bool realistic)
{
    HeadlessHost host;
    PosixFileSystem files;
    Catalog catalog(host, files);
    ImagePage page(1000, 600);
    page.canvas().setRealistic(realistic);
    catalog.setMainCanvas(&page.canvas());
    catalog.prepareScreenPage(page.canvas(), 1000, 600);
    catalog.decodeFile(page.canvas(), "/x/design.dst", std::make_unique<MemoryFile>(dst));
    page.flush();
    return page.image().copy();
}

QImage pageWithColumn(bool realistic)
{
    return pageWithDesign(satinColumn(), realistic);
}

QRect boxOf(const QImage& image, QRgb color)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == color)
                box |= QRect(x, y, 1, 1);
    return box;
}

double inkedShare(const QImage& image, const QRect& area)
{
    int inked = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            inked += image.pixel(x, y) != qRgb(255, 255, 255);
    return double(inked) / (area.width() * area.height());
}

TEST_F(RealisticPicturesTest, ACellsSatinIsCoveredByShadedThreadAndItsTextsStayAsTheyWere)
{
    const QImage lines = pageWithColumn(false);
    const QImage thread = pageWithColumn(true);
    // The column as the line drawing places it, a pixel inside its outer lines.
    const QRect column = boxOf(lines, kSecondDstColour).adjusted(1, 1, -1, -1);
    ASSERT_GT(column.width(), 20);
    ASSERT_GT(column.height(), 80);

    const double lineCover = inkedShare(lines, column);
    const double threadCover = inkedShare(thread, column);
    EXPECT_LT(lineCover, 0.75);
    EXPECT_GE(threadCover, 0.98);
    std::printf("[ MEASURED ] satin column covered %.1f %% by thread, %.1f %% by lines\n", threadCover * 100,
                lineCover * 100);

    // Shaded, not flat: the thread's pixels spread over a fifth of the range of lightness.
    int darkest = 255, lightest = 0;
    for (int y = column.top(); y <= column.bottom(); ++y)
        for (int x = column.left(); x <= column.right(); ++x) {
            const int lightness = QColor(thread.pixel(x, y)).lightness();
            darkest = std::min(darkest, lightness);
            lightest = std::max(lightest, lightness);
        }
    EXPECT_GE(lightest - darkest, 51);

    // Everything else of the page, the cell's name line and remarks among it, is as the
    // line drawing has it: the thread reaches a few pixels past the stitches, no further.
    const QRect reach = column.adjusted(-8, -8, 8, 8);
    int changedElsewhere = 0, textPixels = 0;
    for (int y = 0; y < lines.height(); ++y)
        for (int x = 0; x < lines.width(); ++x) {
            if (reach.contains(x, y))
                continue;
            changedElsewhere += lines.pixel(x, y) != thread.pixel(x, y);
            textPixels += lines.pixel(x, y) != qRgb(255, 255, 255);
        }
    EXPECT_EQ(changedElsewhere, 0);
    EXPECT_GT(textPixels, 200);  // the name line and remarks were compared
}

TEST_F(RealisticPicturesTest, TurnedOffAgainTheCanvasDrawsLinesExactlyAsBefore)
{
    const QImage never = pageWithColumn(false);
    HeadlessHost host;
    PosixFileSystem files;
    Catalog catalog(host, files);
    ImagePage page(1000, 600);
    page.canvas().setRealistic(true);
    page.canvas().setRealistic(false);
    catalog.setMainCanvas(&page.canvas());
    catalog.prepareScreenPage(page.canvas(), 1000, 600);
    catalog.decodeFile(page.canvas(), "/x/design.dst", std::make_unique<MemoryFile>(satinColumn()));
    page.flush();
    EXPECT_TRUE(page.image() == never);
}

TEST_F(RealisticPicturesTest, AScaleGivenForTheDesignSetsTheThreadsWidth)
{
    // A single stitch 30 pixels long; at 20 pixels a millimetre the thread is 8 pixels
    // wide, where the stitches alone would make it 4.
    const auto widthAcross = [](double pixelsPerMillimetre) {
        ImagePage page(100, 100);
        PainterCanvas& canvas = page.canvas();
        canvas.setRealistic(true);
        canvas.setPenColor(rgb(0, 0, 160));
        if (pixelsPerMillimetre > 0)
            canvas.setDesignScale(pixelsPerMillimetre);
        canvas.moveTo(35, 50);
        canvas.lineTo(65, 50);
        page.flush();
        int inked = 0;
        for (int y = 30; y < 70; ++y)
            inked += QColor(page.image().pixel(50, y)).blue() > 80 && QColor(page.image().pixel(50, y)).red() < 120;
        return inked;
    };
    const int given = widthAcross(20);
    const int estimated = widthAcross(0);
    EXPECT_GE(given, 7);
    EXPECT_LE(given, 9);
    EXPECT_GE(estimated, 3);
    EXPECT_LE(estimated, 5);
}

// On a page the cell's design gives its scale: a thread of 0.4 mm is as wide as 0.4 mm of
// the design drawn in that cell, whatever the stitches' lengths would suggest.
TEST_F(RealisticPicturesTest, ACellsThreadIsAsWideAsTheRealThreadAtTheDesignsScale)
{
    // Two long stitches across (30 mm each), far apart, then up the side.
    gen::Design design;
    design.stitch(0, 0);
    design.colorChange(1);
    design.stitch(300, 0);
    design.stitch(300, 200);
    design.stitch(0, 200);
    const std::vector<std::uint8_t> bytes = gen::writeDst(design);
    const auto draw = [&](bool realistic) { return pageWithDesign(bytes, realistic); };
    const QRect lines = boxOf(draw(false), kSecondDstColour);
    ASSERT_GT(lines.width(), 100);
    const double pixelsPerMillimetre = lines.width() / 30.0;
    // Down through the middle of the lower stitch: the thread's pixels are its width.
    const QImage thread = draw(true);
    const int x = lines.center().x();
    int across = 0;
    for (int y = lines.bottom() - 40; y <= lines.bottom() + 40; ++y) {
        const QColor pixel(thread.pixel(x, y));
        across += pixel.red() > pixel.green() + 40;  // the dark red thread, not its grey shadow
    }
    EXPECT_NEAR(across, 0.4 * pixelsPerMillimetre, 1.5) << pixelsPerMillimetre << " pixels a millimetre";
}

TEST_F(RealisticPicturesTest, APdfPageTakesTheThreadAsAPictureAndLinesStayPaths)
{
    QTemporaryDir folder;
    const auto printColumn = [&](bool realistic) {
        const QString path = folder.filePath(realistic ? "thread.pdf" : "lines.pdf");
        {
            QPdfWriter writer(path);
            PagedPrinter printer(writer);
            printer.setRealistic(realistic);
            printer.beginDoc();
            Canvas& canvas = printer.canvas();
            canvas.clipLines({100, 100, 1100, 1100});
            canvas.moveTo(200, 200);
            for (int i = 1; i <= 40; ++i)
                canvas.lineTo(i % 2 ? 600 : 200, 200 + 10 * i);
            canvas.unclipLines();
            canvas.textOut(100, 1200, "name");
            printer.endDoc();
        }
        QFile pdf(path);
        EXPECT_TRUE(pdf.open(QIODevice::ReadOnly));
        return pdf.readAll();
    };
    EXPECT_EQ(printColumn(false).count("/Subtype /Image"), 0);
    EXPECT_GE(printColumn(true).count("/Subtype /Image"), 1);
}

} // namespace
} // namespace orlika
