// SPDX-License-Identifier: MIT
// A design handed to other programs as a picture at its actual size: SVG in millimetres,
// or PNG at a resolution.
#pragma once

#include "sheet/DesignPicture.h"
#include "sheet/RealisticPicture.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QSize>

#include <optional>

namespace orlika {

/// How an exported picture draws the stitches.
struct PictureStyle {
    PictureLook look = PictureLook::Lines;
    double threadWidthMm = kThreadWidthMm;  // of the realistic look
};

/// An SVG document whose width and height, in millimetres, are the design's size: one
/// path per colour block in its colour, over a rectangle of the background when given. A
/// design whose stitches lie on one line is a stitch's width across it. In the realistic
/// look each block is a group of its stitches' paths by direction, each drawn with the
/// thread's strokes laid one over another (a shadow, the edge, the body, the sheen), which
/// every SVG reader draws alike.
QByteArray designSvg(const DesignPicture& picture, const std::optional<QColor>& background = std::nullopt,
                     const PictureStyle& style = {});

/// The pixels of the design's size at `dpi` dots per inch, at least one each way.
QSize imageSize(const DesignPicture& picture, double dpi);

/// The most pixels an exported picture may have: 600 MB in memory.
constexpr qint64 kLargestImagePixels = 150'000'000;

/// The design drawn antialiased at `dpi` into an image of imageSize(): transparent, or
/// on the background when given; a null image when it would have more than
/// kLargestImagePixels pixels or cannot be made.
QImage designImage(const DesignPicture& picture, double dpi, const std::optional<QColor>& background = std::nullopt,
                   const PictureStyle& style = {});

} // namespace orlika
