// SPDX-License-Identifier: MIT
// PDF files whose lines we write ourselves against those Qt's PDF engine writes alone.
#include "render/PdfLines.h"
#include "render/PdfSplicer.h"
#include "tests/support/PdfReading.h"

#include <QBuffer>
#include <QGuiApplication>

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

class PdfLinesTest : public ::testing::Test {
protected:
    void SetUp() override { application(); }
};

TEST_F(PdfLinesTest, APolylineIsWrittenAsQtsEngineStrokesOne)
{
    PdfPageLines lines;
    const QPoint repeated[] = {{10, 10}, {10, 10}, {20, 10}, {20, 10}, {20, 30}};
    const QPoint closed[] = {{10, 10}, {20, 10}, {-20, 30}, {10, 10}};
    const QPoint onePoint[] = {{5, 5}, {5, 5}};
    EXPECT_EQ(lines.add(repeated, 5, true), (std::array{QPoint(-987654, 0), QPoint(-987653, 0)}));
    EXPECT_EQ(lines.add(closed, 4, true), (std::array{QPoint(-987654, 1), QPoint(-987653, 1)}));
    lines.add(onePoint, 2, false);
    const PageLines page = lines.take();
    ASSERT_EQ(page.size(), 3u);
    EXPECT_EQ(page.path(0), "10 10 m\n20 10 l\n20 30 l\nS\n");
    EXPECT_EQ(page.path(1), "10 10 m\n20 10 l\n-20 30 l\n10 10 l\nh\nS\n");
    EXPECT_EQ(page.path(2), "5 5 m\nh\nS\n");
    EXPECT_EQ(page.mustShow, (std::vector<bool>{true, true, false}));
    EXPECT_TRUE(lines.take().empty());  // the next page starts empty
}

TEST_F(PdfLinesTest, MarkersAreReplacedByTheirLinesAndOnlyThoseUnderAnEmptyClipMayBeMissing)
{
    PdfPageLines lines;
    const QPoint a[] = {{1, 2}, {3, 4}};
    const QPoint b[] = {{5, 6}, {7, 8}};
    lines.add(a, 2, true);
    lines.add(b, 2, false);
    const PageLines page = lines.take();
    const std::string marker0 = "-987654 0 m\n-987653 0 l\nS\n";
    const std::string marker1 = "-987654 1 m\n-987653 1 l\nS\n";

    EXPECT_EQ(spliceLines("q\n" + marker0 + "BT x ET\n" + marker1 + "Q\n", page),
              "q\n1 2 m\n3 4 l\nS\nBT x ET\n5 6 m\n7 8 l\nS\nQ\n");
    // Qt drew nothing under the empty clip: neither do we.
    EXPECT_EQ(spliceLines("q\n" + marker0 + "Q\n", page), "q\n1 2 m\n3 4 l\nS\nQ\n");
    // Text that only looks like a marker is left alone.
    EXPECT_EQ(spliceLines("1 -987654 0 m\n-987654 5 m\n-987653 6 l\nS\n" + marker0, page),
              "1 -987654 0 m\n-987654 5 m\n-987653 6 l\nS\n1 2 m\n3 4 l\nS\n");
    // A marker that must show is missing, one is out of order, or names no line.
    EXPECT_EQ(spliceLines("q\n" + marker1, page), std::nullopt);
    EXPECT_EQ(spliceLines(marker1 + marker0, page), std::nullopt);
    EXPECT_EQ(spliceLines(marker0 + "-987654 2 m\n-987653 2 l\nS\n", page), std::nullopt);
}

// A document of our own making, its stream of page 1 and its cross-reference table
// written around `stream`.
std::string handMadePdf(const std::string& stream)
{
    std::string pdf = "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n";
    std::vector<std::size_t> offsets;
    const auto object = [&](const std::string& text) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(offsets.size()) + " 0 obj\n" + text + "endobj\n";
    };
    object("<<\n/Type /Catalog\n/Pages 2 0 R\n/Title (a (nested) string\\) with stream\n)\n>>\n");
    object("<<\n/Type /Pages\n/Kids \n[\n3 0 R\n]\n/Count 1\n>>\n");
    object("<<\n/Type /Page\n/Parent 2 0 R\n/Contents 4 0 R\n>>\n");
    offsets.push_back(pdf.size());
    pdf += "4 0 obj\n<<\n/Length 5 0 R\n/Filter /FlateDecode\n>>\nstream\n" + stream + "\nendstream\nendobj\n";
    object(std::to_string(stream.size()) + "\n");
    object("<< /Length 12 >>\nstream\nendstream 5 \nendstream\nendobj\n");
    const std::size_t table = pdf.size();
    pdf += "xref\n0 " + std::to_string(offsets.size() + 1) + "\n0000000000 65535 f \n";
    for (const std::size_t offset : offsets) {
        std::string digits = std::to_string(offset);
        pdf += std::string(10 - digits.size(), '0') + digits + " 00000 n \n";
    }
    pdf += "trailer\n<<\n/Size 7\n/Root 1 0 R\n>>\nstartxref\n" + std::to_string(table) + "\n%%EOF\n";
    return pdf;
}

std::string zlibOf(const std::string& text)
{
    const std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)> compressor(
        libdeflate_alloc_compressor(6), libdeflate_free_compressor);
    std::string out(libdeflate_zlib_compress_bound(compressor.get(), text.size()), '\0');
    out.resize(libdeflate_zlib_compress(compressor.get(), text.data(), text.size(), out.data(), out.size()));
    return out;
}

TEST_F(PdfLinesTest, TheSplicerMovesTheTableWithTheStreamsAndFailsOnAStreamItCannotRead)
{
    const QPoint points[] = {{1, 2}, {300, 400}, {5000, 6000}};
    {
        // A page whose stream grows by its line: the offsets after it move, the
        // others stay, and strings, short streams and the table are read for what they are.
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        PdfPageLines lines;
        PdfLineSplicer splicer(out, lines);
        splicer.open(QIODevice::WriteOnly);
        lines.add(points, 3, true);
        const std::string pdf = handMadePdf(zlibOf("q\n-987654 0 m\n-987653 0 l\nS\nQ\n"));
        for (std::size_t at = 0; at < pdf.size(); at += 7)
            splicer.write(pdf.data() + at, qint64(std::min<std::size_t>(7, pdf.size() - at)));
        EXPECT_EQ(splicer.finish(), "");
        const test::PdfPages pages = test::readPdfPages(out.data().toStdString());
        EXPECT_EQ(pages.problem, "");
        EXPECT_EQ(pages.contents, std::vector<std::string>{"q\n1 2 m\n300 400 l\n5000 6000 l\nS\nQ\n"});
        EXPECT_TRUE(lines.take().empty());
    }
    {
        // A stream that does not inflate: told, and nothing after it is written.
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        PdfPageLines lines;
        PdfLineSplicer splicer(out, lines);
        splicer.open(QIODevice::WriteOnly);
        lines.add(points, 3, true);
        const std::string pdf = handMadePdf("not a zlib stream");
        splicer.write(pdf.data(), qint64(pdf.size()));
        EXPECT_EQ(splicer.finish(), "a page's lines could not be put in place");
        EXPECT_EQ(splicer.problem(), "a page's lines could not be put in place");
        EXPECT_EQ(out.data().indexOf("xref"), -1);
    }
    {
        // A document that stops before its end.
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        PdfPageLines lines;
        PdfLineSplicer splicer(out, lines);
        splicer.open(QIODevice::WriteOnly);
        const std::string pdf = handMadePdf(zlibOf("q\nQ\n"));
        splicer.write(pdf.data(), qint64(pdf.size() / 2));
        EXPECT_EQ(splicer.finish(), "the document did not end");
    }
}

} // namespace
} // namespace orlika
