// SPDX-License-Identifier: MIT
// The PNG pictures drawn through Cairo look as they did when QPainter drew them: the
// export of the bundled samples, compared pixel by pixel with QPainter's drawing of the
// same lines where a stitch is two pixels wide or more, the same picture where it is
// thinner; and Cairo's lines on their own.
#include "render/CairoLines.h"
#include "render/PainterCanvas.h"
#include "sheet/DesignExport.h"
#include "tests/sheet/SheetSupport.h"
#include "tools/designgen/Design.h"
#include "tools/designgen/DstWriter.h"

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>

namespace orlika::test {
namespace {

class RasterTest : public ::testing::Test {
protected:
    QTemporaryDir dir;

    void SetUp() override
    {
        application();
        ASSERT_TRUE(dir.isValid());
    }
};

// A channel (alpha included) differing by more than this is a difference to the eye.
constexpr int kTolerance = 40;

// The share of the pixels whose alpha or a colour differs by more than kTolerance.
double differingShare(const QImage& a, const QImage& b)
{
    const QImage left = a.convertToFormat(QImage::Format_ARGB32);
    const QImage right = b.convertToFormat(QImage::Format_ARGB32);
    if (left.size() != right.size())
        return 1;
    qint64 differing = 0;
    for (int y = 0; y < left.height(); ++y) {
        for (int x = 0; x < left.width(); ++x) {
            const QRgb l = left.pixel(x, y);
            const QRgb r = right.pixel(x, y);
            const int most = std::max({std::abs(qAlpha(l) - qAlpha(r)), std::abs(qRed(l) - qRed(r)),
                                       std::abs(qGreen(l) - qGreen(r)), std::abs(qBlue(l) - qBlue(r))});
            differing += most > kTolerance;
        }
    }
    return double(differing) / (double(left.width()) * left.height());
}

// The export's picture as QPainter drew it.
QImage paintedExport(const DesignPicture& picture, double dpi)
{
    QImage image(imageSize(picture, dpi), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const double scale = dpi / 25.4;
    painter.translate(image.width() / 2.0, image.height() / 2.0);
    painter.scale(scale, scale);
    painter.translate(-picture.centre());
    paintDesign(painter, picture);
    return image;
}

// The bundled samples in their variety: outlines, fills, satin, many colours, a PCS table.
const char* const kSamples[] = {"star.dst", "circle.jef", "orlika.pes", "sewing-words.pec", "spiral-threads.pes",
                                "star.pcs", "orlika-text.dst", "circle.vp3"};

TEST_F(RasterTest, TheExportedPictureIsQPaintersPictureToTheEye)
{
    for (const char* name : kSamples) {
        for (const double dpi : {300.0, 170.0}) {
            SCOPED_TRACE(std::string(name) + " at " + std::to_string(int(dpi)) + " dpi");
            const PictureReading reading = readDesignPicture(ORLIKA_SAMPLES "/" + std::string(name));
            ASSERT_TRUE(reading.picture) << reading.problem;
            const QImage exported = designImage(*reading.picture, dpi);
            ASSERT_FALSE(exported.isNull());
            const QImage painted = paintedExport(*reading.picture, dpi);
            ASSERT_EQ(exported.size(), painted.size());
            EXPECT_LT(differingShare(exported, painted), 0.03);
            // Drawn by Cairo: alike to the eye, not to the bit.
            EXPECT_NE(exported, painted);
        }
    }
}

TEST_F(RasterTest, StitchesThinnerThanTwoPixelsAreQPaintersAsBefore)
{
    // Cairo would show the gaps between the satin stitches that QPainter fills.
    for (const char* name : {"circle.jef", "spiral-threads.pes"}) {
        for (const double dpi : {169.0, 96.0}) {
            SCOPED_TRACE(std::string(name) + " at " + std::to_string(int(dpi)) + " dpi");
            const PictureReading reading = readDesignPicture(ORLIKA_SAMPLES "/" + std::string(name));
            ASSERT_TRUE(reading.picture) << reading.problem;
            EXPECT_EQ(designImage(*reading.picture, dpi), paintedExport(*reading.picture, dpi));
        }
    }
}

TEST_F(RasterTest, CairoStrokesRoundEndedLinesIntoTheImageInEitherFormat)
{
    for (const QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied}) {
        SCOPED_TRACE(int(format));
        QImage image(40, 20, format);
        image.fill(Qt::white);
        {
            CairoLines lines(image);
            ASSERT_TRUE(lines.canDraw());
            // In units of 2 pixels, from (10, 10) to (30, 10) in pixels, 6 pixels wide.
            lines.setMapping(2, 0, 0);
            lines.setPen(rgb(255, 0, 0), 3, CairoLines::Cap::Round);
            const QPointF points[] = {{5, 5}, {15, 5}};
            lines.addPolyline(points, 2);
            lines.stroke();
        }
        EXPECT_EQ(image.pixel(20, 10), qRgb(255, 0, 0));
        EXPECT_EQ(image.pixel(20, 6), qRgb(255, 255, 255));
        // The round end reaches 3 pixels beyond the last point, not the square's corner.
        EXPECT_EQ(image.pixel(31, 10), qRgb(255, 0, 0));
        EXPECT_GT(qGreen(image.pixel(32, 7)), 200);
        EXPECT_EQ(image.pixel(33, 10), qRgb(255, 255, 255));
        // What Qt reads of the pixels it hands on as opaque.
        EXPECT_EQ(qAlpha(reinterpret_cast<const QRgb*>(image.constScanLine(10))[20]), 255);
    }

    QImage flat(40, 20, QImage::Format_RGB32);
    flat.fill(Qt::white);
    {
        CairoLines lines(flat);
        lines.setPen(rgb(0, 0, 255), 6, CairoLines::Cap::Flat);
        const QPointF points[] = {{10, 10}, {30, 10}};
        lines.addPolyline(points, 2);
        lines.stroke();
    }
    EXPECT_EQ(flat.pixel(29, 10), qRgb(0, 0, 255));
    EXPECT_EQ(flat.pixel(31, 10), qRgb(255, 255, 255));

    // A format Cairo does not share draws nothing.
    QImage other(10, 10, QImage::Format_RGB888);
    other.fill(Qt::white);
    CairoLines none(other);
    EXPECT_FALSE(none.canDraw());
}

TEST_F(RasterTest, APictureWiderThanCairoDrawsIsDrawnAllTheSame)
{
    // 400 mm of stitches at 2400 dpi: 37,795 pixels across, beyond Cairo's 32,767.
    gen::Design line;
    line.jump(-2000, 0);
    line.runTo(2000, 0, 100);
    const QString file = dir.filePath(QStringLiteral("line.dst"));
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        const auto bytes = gen::writeDst(line);
        out.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    }
    const PictureReading reading = readDesignPicture(file.toStdString());
    ASSERT_TRUE(reading.picture) << reading.problem;
    const QImage image = designImage(*reading.picture, 2400);
    ASSERT_EQ(image.size(), QSize(37795, 1));
    int covered = 0;
    for (int x = 0; x < image.width(); ++x)
        covered += qAlpha(image.pixel(x, 0)) == 255;
    EXPECT_GT(covered, 37000);
}

} // namespace
} // namespace orlika::test
