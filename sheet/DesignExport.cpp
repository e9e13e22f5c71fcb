// SPDX-License-Identifier: MIT
#include "sheet/DesignExport.h"

#include "render/CairoLines.h"
#include "render/PainterCanvas.h"

#include <QPainter>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace orlika {

namespace {

// A number as SVG writes it whatever the user's locale: a point for decimals, at most
// three of them (a thousandth of a millimetre), no trailing zeros.
void appendNumber(std::string& out, double value)
{
    char text[40];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 3);
    std::string_view number(text, std::size_t(result.ptr - text));
    if (number.find('.') != std::string_view::npos) {
        while (number.back() == '0')
            number.remove_suffix(1);
        if (number.back() == '.')
            number.remove_suffix(1);
    }
    if (number == "-0")
        number = "0";
    out += number;
}

void appendEscaped(std::string& out, const std::string& text)
{
    // Names are bytes; one that is not UTF-8 comes out with replacement characters, which
    // an XML reader accepts.
    const QByteArray utf8 = QString::fromUtf8(text.data(), qsizetype(text.size())).toUtf8();
    for (const char c : utf8) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            // Control characters other than white space may not stand in XML 1.0.
            if ((unsigned char)c >= 0x20 || c == '\t' || c == '\n' || c == '\r')
                out += c;
        }
    }
}

std::string hexColor(const QColor& color)
{
    return color.name(QColor::HexRgb).toStdString();
}

void appendPathData(std::string& out, const ColorBlock& block)
{
    for (const QPolygonF& run : block.runs) {
        for (qsizetype i = 0; i < run.size(); ++i) {
            out += i == 0 ? 'M' : 'L';
            appendNumber(out, run[i].x());
            out += ' ';
            appendNumber(out, run[i].y());
        }
    }
}

// The design's stitches as paintDesign() draws them for other programs, through Cairo,
// whose stroker is several times quicker than QPainter's on thick antialiased lines. Each
// run is stroked on its own, in pieces, as paintDesign() draws it: a block stroked as one
// shape was no quicker (up to 1.2 times slower on real designs).
void strokeDesign(CairoLines& lines, const DesignPicture& picture)
{
    constexpr qsizetype kPiece = 4096;
    for (const ColorBlock& block : picture.blocks) {
        lines.setPen(block.color, kStitchWidthMm, CairoLines::Cap::Round);
        for (const QPolygonF& run : block.runs) {
            for (qsizetype start = 0; start + 1 < run.size(); start += kPiece - 1) {
                lines.addPolyline(run.constData() + start, std::min(kPiece, run.size() - start));
                lines.stroke();
            }
        }
    }
}

// Below this a stitch is so thin that Cairo's exact cover shows the gaps between satin
// stitches that QPainter's drawing fills: the picture would look different.
constexpr double kThinnestStitchForCairo = 2.0;  // pixels

// The design at `scale` pixels a millimetre, its origin at `offset`.
void drawDesign(QImage& image, const DesignPicture& picture, double scale, QPointF offset)
{
    if (kStitchWidthMm * scale >= kThinnestStitchForCairo) {
        CairoLines lines(image);
        if (lines.canDraw()) {
            lines.setMapping(scale, offset.x(), offset.y());
            strokeDesign(lines, picture);
            return;
        }
    }
    // Cairo draws at most 32,767 pixels each way; a longer picture, or one of thin
    // stitches, takes the slower way.
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.translate(offset);
    painter.scale(scale, scale);
    paintDesign(painter, picture);
}

} // namespace

QByteArray designSvg(const DesignPicture& picture, const std::optional<QColor>& background)
{
    // A picture needs some height and width to show; a line of stitches has a stitch's.
    QRectF box = picture.extent;
    if (box.width() < kStitchWidthMm / 100)
        box.adjust(-kStitchWidthMm / 2, 0, kStitchWidthMm / 2, 0);
    if (box.height() < kStitchWidthMm / 100)
        box.adjust(0, -kStitchWidthMm / 2, 0, kStitchWidthMm / 2);
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"";
    appendNumber(svg, box.width());
    svg += "mm\" height=\"";
    appendNumber(svg, box.height());
    svg += "mm\" viewBox=\"";
    for (const double value : {box.left(), box.top(), box.width(), box.height()}) {
        appendNumber(svg, value);
        svg += ' ';
    }
    svg.back() = '"';
    svg += ">\n<title>";
    appendEscaped(svg, picture.name);
    svg += "</title>\n<desc>";
    appendEscaped(svg, sizeInMillimetres(picture) + ", " + groupedCount(picture.stitches()) + " stitches, " +
                           std::to_string(picture.colorChanges()) +
                           (picture.colorChanges() == 1 ? " colour change" : " colour changes") +
                           "; one path per colour block in stitching order");
    svg += "</desc>\n";
    if (background) {
        svg += "<rect x=\"";
        appendNumber(svg, box.left());
        svg += "\" y=\"";
        appendNumber(svg, box.top());
        svg += "\" width=\"";
        appendNumber(svg, box.width());
        svg += "\" height=\"";
        appendNumber(svg, box.height());
        svg += "\" fill=\"" + hexColor(*background) + "\"/>\n";
    }
    svg += "<g fill=\"none\" stroke-width=\"";
    appendNumber(svg, kStitchWidthMm);
    svg += "\" stroke-linecap=\"round\" stroke-linejoin=\"round\">\n";
    for (std::size_t i = 0; i < picture.blocks.size(); ++i) {
        const ColorBlock& block = picture.blocks[i];
        if (block.runs.empty())
            continue;
        svg +=
            "<path id=\"block-" + std::to_string(i + 1) + "\" stroke=\"" + hexColor(toQColor(block.color)) + "\" d=\"";
        appendPathData(svg, block);
        svg += '"';
        const std::string thread = threadText(block);
        if (thread.empty()) {
            svg += "/>\n";
        } else {
            svg += "><title>";
            appendEscaped(svg, thread);
            svg += "</title></path>\n";
        }
    }
    svg += "</g>\n</svg>\n";
    return QByteArray(svg.data(), qsizetype(svg.size()));
}

QSize imageSize(const DesignPicture& picture, double dpi)
{
    const auto pixels = [dpi](double millimetres) { return std::max(1, int(std::lround(millimetres * dpi / 25.4))); };
    return {pixels(picture.widthMm()), pixels(picture.heightMm())};
}

QImage designImage(const DesignPicture& picture, double dpi, const std::optional<QColor>& background)
{
    const QSize size = imageSize(picture, dpi);
    if (qint64(size.width()) * size.height() > kLargestImagePixels)
        return {};
    const bool opaque = background && background->alpha() == 255;
    QImage image(size, opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    image.fill(background ? *background : QColor(Qt::transparent));
    const int dotsPerMetre = int(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    // Actual size at the resolution, the design's centre on the image's: the image's
    // rounding to whole pixels shares out evenly on both sides.
    const double scale = dpi / 25.4;
    const QPointF offset(size.width() / 2.0 - picture.centre().x() * scale,
                         size.height() / 2.0 - picture.centre().y() * scale);
    drawDesign(image, picture, scale, offset);
    return image;
}

} // namespace orlika
