// SPDX-License-Identifier: MIT
// PDF files whose lines we write ourselves against those Qt's PDF engine writes alone.
#include "catalog/Catalog.h"
#include "platform/HeadlessHost.h"
#include "render/PdfLines.h"
#include "render/PdfSplicer.h"
#include "render/Surfaces.h"
#include "tests/support/GuiApplication.h"
#include "tests/support/PdfReading.h"
#include "tools/designgen/DstWriter.h"
#include "tools/designgen/ExpWriter.h"
#include "tools/designgen/PesWriter.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <random>

namespace orlika {
namespace {

class PdfLinesTest : public ::testing::Test {
protected:
    void SetUp() override { test::guiApplication(); }

    QTemporaryDir folder;
};

std::string contents(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().toStdString();
}

// A document printed through a PdfFile's printer, the pages drawn by `draw`.
std::string printed(const QString& path, PageLinesBy linesBy, const std::function<void(PagedPrinter&)>& draw)
{
    {
        PdfFile file(path, linesBy);
        file.writer().setPageSize(QPageSize(QPageSize::A5));
        file.writer().setResolution(300);
        PagedPrinter printer(file);
        printer.beginDoc();
        draw(printer);
        printer.endDoc();
        EXPECT_EQ(file.commit(), "");
    }
    return contents(path);
}

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

TEST_F(PdfLinesTest, CanvasLinesComeOutAsQtWritesThemUnderEveryPenAndClip)
{
    // Repeated points, a path back to its start, a single point, colours, clips (one of
    // them empty), text between lines, long runs in pieces, and a second page.
    const auto draw = [](PagedPrinter& printer) {
        Canvas& canvas = printer.canvas();
        canvas.setPenColor(rgb(200, 0, 0));
        canvas.moveTo(100, 100);
        for (int i = 0; i < 10000; ++i)
            canvas.lineTo(100 + (i * 37) % 500, 100 + (i * 11) % 300 + (i % 7 == 0 ? 0 : 1));
        canvas.moveTo(50, 50);
        canvas.lineTo(50, 50);
        canvas.lineTo(60, 50);
        canvas.lineTo(50, 50);
        canvas.clipLines({200, 200, 400, 400});
        canvas.setPenColor(rgb(0, 0, 255));
        canvas.moveTo(150, 150);
        canvas.lineTo(450, 450);
        canvas.setFont(Font{"Arial", 8, false});
        canvas.textOut(200, 500, "between the lines");
        canvas.lineTo(150, 450);
        canvas.clipLines({300, 300, 300, 400});  // empty
        canvas.moveTo(0, 0);
        canvas.lineTo(600, 600);
        canvas.unclipLines();
        canvas.moveTo(7, 7);
        canvas.lineTo(7, 7);
        canvas.lineTo(8, 7);
        printer.newPage();
        canvas.setPenColor(rgb(0, 128, 0));
        canvas.moveTo(10, 10);
        canvas.lineTo(900, 1200);
    };
    const std::string byQt = printed(folder.filePath("qt.pdf"), PageLinesBy::Qt, draw);
    const std::string byUs = printed(folder.filePath("ours.pdf"), PageLinesBy::Orlika, draw);
    const test::PdfPages qtPages = test::readPdfPages(byQt);
    const test::PdfPages ourPages = test::readPdfPages(byUs);
    ASSERT_EQ(qtPages.problem, "");
    ASSERT_EQ(ourPages.problem, "");
    ASSERT_EQ(ourPages.contents.size(), 2u);
    EXPECT_EQ(ourPages.contents, qtPages.contents);
    EXPECT_EQ(ourPages.contents[0].find("-987654"), std::string::npos);
    EXPECT_NE(ourPages.contents[1].find("10 10 m\n900 1200 l\nS\n"), std::string::npos);
}

// Writes to the device in pieces of 1 to 511 bytes.
class PieceByPieceDevice : public QIODevice {
public:
    explicit PieceByPieceDevice(QIODevice& target) : m_target(target) { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 length) override
    {
        for (qint64 at = 0; at < length;) {
            const qint64 piece = std::min<qint64>(length - at, std::uniform_int_distribution<qint64>(1, 511)(m_random));
            if (m_target.write(data + at, piece) != piece)
                return -1;
            at += piece;
        }
        return length;
    }

private:
    QIODevice& m_target;
    std::mt19937 m_random{24};
};

std::string withoutCreationDate(std::string pdf)
{
    const auto at = pdf.find("/CreationDate (D:");
    if (at != std::string::npos)
        pdf.replace(at + 17, 14, 14, '0');
    return pdf;
}

TEST_F(PdfLinesTest, TheDocumentComesOutTheSameWhateverPiecesQtWritesItIn)
{
    const auto write = [](bool inPieces) {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        PdfPageLines lines;
        PdfLineSplicer splicer(out, lines);
        splicer.open(QIODevice::WriteOnly);
        PieceByPieceDevice pieces(splicer);
        QPdfWriter writer(inPieces ? static_cast<QIODevice*>(&pieces) : &splicer);
        writer.setResolution(300);
        PainterCanvas canvas(writer);
        canvas.setPdfLines(&lines);
        canvas.begin();
        for (int page = 0; page < 3; ++page) {
            if (page > 0) {
                canvas.flush();
                writer.newPage();
            }
            canvas.textOut(100, 100, "page " + std::to_string(page + 1) + " (with a bracket");
            canvas.moveTo(0, 0);
            for (int i = 0; i < 3000 * (page + 1); ++i)
                canvas.lineTo((i * 13) % 1000, (i * 17) % 1400);
        }
        EXPECT_TRUE(canvas.end());
        EXPECT_EQ(splicer.finish(), "");
        return withoutCreationDate(out.data().toStdString());
    };
    const std::string whole = write(false);
    const std::string inPieces = write(true);
    EXPECT_EQ(test::readPdfPages(whole).problem, "");
    EXPECT_EQ(test::readPdfPages(whole).contents.size(), 3u);
    EXPECT_TRUE(inPieces == whole);
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

// --- a catalog printed both ways ---

bool havePoppler()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty();
}

QByteArray run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(120000);
    return process.exitCode() == 0 ? process.readAllStandardOutput() : QByteArray("(failed)");
}

// The designs of a folder of the sizes and formats a real one has.
void writeDesigns(const QString& folder, int count)
{
    for (int i = 0; i < count; ++i) {
        const gen::Design design =
            i % 7 == 6 ? gen::makeStar(300 + 20 * (i % 10)) : gen::makeSpiral(1000 + 1000 * (i % 5), 1 + i % 8);
        const std::string stem = (folder + QStringLiteral("/design%1").arg(i, 3, 10, QLatin1Char('0'))).toStdString();
        const auto bytes = i % 3 == 0 ? gen::writeDst(design) : i % 3 == 1 ? gen::writePes(design) : gen::writeExp(design);
        const char* extension = i % 3 == 0 ? ".dst" : i % 3 == 1 ? ".pes" : ".exp";
        std::ofstream(stem + extension, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    // One that cannot be read shows its error in its cell.
    std::ofstream((folder + QStringLiteral("/damaged.dst")).toStdString(), std::ios::binary) << "too short";
}

// Prints the folder's catalog as orlika-catalog does, at `dpi`, with a fixed date.
std::string printCatalog(const QString& designs, const QString& path, PageLinesBy linesBy, int dpi)
{
    HeadlessHost host;
    host.pageTitle = "Both ways";
    host.clock = [] { return std::string("9 December 2026 12:00:00"); };
    PosixFileSystem files;
    Catalog catalog(host, files);
    CatalogState& s = catalog.state();
    applyLayout(s, layouts::kThumbnails30);
    s.OpenDialog1.FileName = designs.toStdString() + "/*";
    s.OpenDialog1.FilterIndex = FilterIndex::AllSupported;
    catalog.GetFileTypes();
    s.OpenFileName = s.OpenDialog1.FileName;
    s.FromBeginning = true;
    s.UseDialogList = s.UseSelectedList = false;
    {
        PdfFile file(path, linesBy);
        EXPECT_EQ(file.open(), "");
        file.writer().setPageSize(QPageSize(QPageSize::A4));
        file.writer().setPageOrientation(QPageLayout::Landscape);
        file.writer().setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
        file.writer().setResolution(dpi);
        PagedPrinter printer(file);
        catalog.setPrinter(&printer);
        catalog.View(printer.canvas(), true);
        catalog.runToEnd([&] { host.answerWait(); });
        catalog.setPrinter(nullptr);
        EXPECT_TRUE(host.errors().empty());
        EXPECT_EQ(file.commit(), "");
    }
    return contents(path);
}

QByteArray hashOf(const QString& path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    return file.open(QIODevice::ReadOnly) && hash.addData(&file) ? hash.result() : QByteArray("(unreadable)");
}

TEST_F(PdfLinesTest, APrintedCatalogHasTheSameTextAndPixelsOnEveryPageWhoeverWritesItsLines)
{
    const QString designs = folder.filePath("designs");
    ASSERT_TRUE(QDir().mkpath(designs));
    writeDesigns(designs, 64);
    // 300 dots per inch: the printer's resolution here, at which the pages are compared.
    constexpr int kDpi = 300;
    const QString qtPath = folder.filePath("qt.pdf");
    const QString ourPath = folder.filePath("ours.pdf");
    const std::string byQt = printCatalog(designs, qtPath, PageLinesBy::Qt, kDpi);
    const std::string byUs = printCatalog(designs, ourPath, PageLinesBy::Orlika, kDpi);

    const test::PdfPages qtPages = test::readPdfPages(byQt);
    const test::PdfPages ourPages = test::readPdfPages(byUs);
    ASSERT_EQ(qtPages.problem, "");
    ASSERT_EQ(ourPages.problem, "");
    ASSERT_EQ(qtPages.contents.size(), 3u);  // 65 designs, 30 a page
    ASSERT_EQ(ourPages.contents.size(), qtPages.contents.size());
    for (std::size_t page = 0; page < qtPages.contents.size(); ++page)
        EXPECT_TRUE(ourPages.contents[page] == qtPages.contents[page]) << "page " << page + 1;
    // Lines of the 64 designs drawn, no marker left, within the size allowed.
    EXPECT_GT(ourPages.contents[0].size(), 500000u);
    EXPECT_EQ(byUs.find("-987654"), std::string::npos);
    EXPECT_LE(double(byUs.size()), 1.3 * double(byQt.size()));

    if (!havePoppler()) {
        std::printf("pdftotext or pdftoppm is not installed: pages not compared as rendered\n");
        return;
    }
    for (int page = 1; page <= int(qtPages.contents.size()); ++page) {
        SCOPED_TRACE("page " + std::to_string(page));
        const QStringList range{QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"), QString::number(page)};
        const QByteArray qtText = run(QStringLiteral("pdftotext"), range + QStringList{qtPath, QStringLiteral("-")});
        EXPECT_EQ(run(QStringLiteral("pdftotext"), range + QStringList{ourPath, QStringLiteral("-")}), qtText);
        EXPECT_TRUE(qtText.contains("Page " + QByteArray::number(page) + " of 3 Pages"));
        for (const QString& path : {qtPath, ourPath})
            run(QStringLiteral("pdftoppm"), range + QStringList{QStringLiteral("-r"), QString::number(kDpi),
                                                                QStringLiteral("-singlefile"), path, path});
        EXPECT_EQ(hashOf(ourPath + QStringLiteral(".ppm")), hashOf(qtPath + QStringLiteral(".ppm")));
        EXPECT_GT(QFileInfo(qtPath + QStringLiteral(".ppm")).size(), 3000000);
    }
}

} // namespace
} // namespace orlika
