// SPDX-License-Identifier: MIT
#include "sheet/DesignExport.h"

#include "render/CairoLines.h"
#include "render/PainterCanvas.h"
#include "render/ThreadShading.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string>
#include <vector>

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

// The block's stitches sorted by direction as the realistic look lights them, each
// bucket's as path data; stitches that follow on in one direction make one line.
std::array<std::string, kDirectionBuckets> bucketPathData(const ColorBlock& block)
{
    std::array<std::string, kDirectionBuckets> data;
    std::array<QPointF, kDirectionBuckets> ends;
    ends.fill(QPointF(-1e300, -1e300));
    for (const QPolygonF& run : block.runs) {
        for (qsizetype i = 1; i < run.size(); ++i) {
            const QPointF from = run[i - 1];
            const QPointF to = run[i];
            const auto bucket = std::size_t(directionBucket(to.x() - from.x(), to.y() - from.y()));
            std::string& out = data[bucket];
            if (from != ends[bucket]) {
                out += 'M';
                appendNumber(out, from.x());
                out += ' ';
                appendNumber(out, from.y());
            }
            out += 'L';
            appendNumber(out, to.x());
            out += ' ';
            appendNumber(out, to.y());
            ends[bucket] = to;
        }
    }
    return data;
}

// A block in the realistic look: a group of its direction buckets' paths, each used once
// for every stroke of the thread.
void appendRealisticBlock(std::string& svg, const ColorBlock& block, std::size_t index, double threadWidthMm)
{
    const std::string id = "block-" + std::to_string(index + 1);
    svg += "<g id=\"" + id + "\">";
    if (const std::string thread = threadText(block); !thread.empty()) {
        svg += "<title>";
        appendEscaped(svg, thread);
        svg += "</title>";
    }
    svg += '\n';
    const std::array<std::string, kDirectionBuckets> data = bucketPathData(block);
    for (int bucket = 0; bucket < kDirectionBuckets; ++bucket) {
        const std::string& d = data[std::size_t(bucket)];
        if (d.empty())
            continue;
        const std::string pathId = id + "-d" + std::to_string(bucket);
        svg += "<defs><path id=\"" + pathId + "\" d=\"" + d + "\"/></defs>\n";
        for (const ThreadStroke& stroke : threadStrokes(block.color, bucket)) {
            svg += "<use xlink:href=\"#" + pathId + "\" stroke=\"" + hexColor(toQColor(stroke.color)) + '"';
            if (stroke.opacity < 1) {
                svg += " stroke-opacity=\"";
                appendNumber(svg, stroke.opacity);
                svg += '"';
            }
            svg += " stroke-width=\"";
            appendNumber(svg, stroke.width * threadWidthMm);
            svg += '"';
            if (stroke.dx != 0 || stroke.dy != 0) {
                svg += " transform=\"translate(";
                appendNumber(svg, stroke.dx * threadWidthMm);
                svg += ' ';
                appendNumber(svg, stroke.dy * threadWidthMm);
                svg += ")\"";
            }
            svg += "/>\n";
        }
    }
    svg += "</g>\n";
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

QByteArray designSvg(const DesignPicture& picture, const std::optional<QColor>& background, const PictureStyle& style)
{
    const bool realistic = style.look == PictureLook::Realistic;
    // A picture needs some height and width to show; a line of stitches has a stitch's.
    QRectF box = picture.extent;
    if (box.width() < kStitchWidthMm / 100)
        box.adjust(-kStitchWidthMm / 2, 0, kStitchWidthMm / 2, 0);
    if (box.height() < kStitchWidthMm / 100)
        box.adjust(0, -kStitchWidthMm / 2, 0, kStitchWidthMm / 2);
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"";
    if (realistic)
        svg.insert(svg.find(" version=\"1.1\""), " xmlns:xlink=\"http://www.w3.org/1999/xlink\"");
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
                           (realistic ? "; each colour block a group of its stitches drawn as thread, in stitching order"
                                      : "; one path per colour block in stitching order"));
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
    if (realistic) {
        svg += "<g fill=\"none\" stroke-linecap=\"round\" stroke-linejoin=\"round\">\n";
        for (std::size_t i = 0; i < picture.blocks.size(); ++i)
            if (!picture.blocks[i].runs.empty())
                appendRealisticBlock(svg, picture.blocks[i], i, style.threadWidthMm);
        svg += "</g>\n</svg>\n";
        return QByteArray(svg.data(), qsizetype(svg.size()));
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

QImage designImage(const DesignPicture& picture, double dpi, const std::optional<QColor>& background,
                   const PictureStyle& style)
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
    if (style.look != PictureLook::Realistic || !drawRealisticDesign(image, picture, scale, offset, style.threadWidthMm))
        drawDesign(image, picture, scale, offset);
    return image;
}

} // namespace orlika
