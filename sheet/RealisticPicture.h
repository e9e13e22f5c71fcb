// SPDX-License-Identifier: MIT
// A design drawn as stitched thread (render/RealisticLook.h): the sheet's picture of it
// for the exports and the design view.
#pragma once

#include "render/ThreadShading.h"
#include "sheet/DesignPicture.h"

#include <QImage>
#include <QPointF>

#include <cstdint>

namespace orlika {

/// How a design's stitches are drawn.
enum class PictureLook {
    Lines,      // a line a stitch, as everywhere until asked otherwise
    Realistic,  // thread of its width, shaded as it lies on the fabric
};

/// Draws the design's stitches as thread into `image` (Format_ARGB32_Premultiplied or
/// Format_RGB32), the design's millimetres mapped to pixels as x * scale + offset; false
/// for an image of another format, which is left as it was.
bool drawRealisticDesign(QImage& image, const DesignPicture& picture, double scale, QPointF offset,
                         double threadWidthMm = kThreadWidthMm);
/// The same for the stitches after the first `from` up to the first `to` in sewing order
/// only: a sew-out adds the stitches sewn since its last picture.
bool drawRealisticStitches(QImage& image, const DesignPicture& picture, double scale, QPointF offset,
                           double threadWidthMm, std::int64_t from, std::int64_t to);

} // namespace orlika
