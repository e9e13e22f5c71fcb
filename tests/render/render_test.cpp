// SPDX-License-Identifier: MIT
#include "catalog/Catalog.h"
#include "platform/HeadlessHost.h"
#include "platform/MemoryFile.h"
#include "render/Surfaces.h"
#include "tools/designgen/DstWriter.h"

#include <QGuiApplication>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace orlika {
namespace {

QGuiApplication& application()
{
    static int argc = 1;
    static char name[] = "orlika_render_tests";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    return app;
}

class RenderTest : public ::testing::Test {
protected:
    void SetUp() override { application(); }
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

TEST_F(RenderTest, PaletteRelativeColoursDrawAsTheirRgb)
{
    EXPECT_EQ(toQColor(0x020000FF), QColor(255, 0, 0));
    EXPECT_EQ(toQColor(rgb(1, 2, 3)), QColor(1, 2, 3));
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

} // namespace
} // namespace orlika
