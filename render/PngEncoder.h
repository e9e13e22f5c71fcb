// SPDX-License-Identifier: MIT
// PNG files of line drawings, encoded fast.
#pragma once

#include <QImage>

#include <cstdint>
#include <vector>

namespace orlika {

/// What an image shows, which decides how it is compressed fastest: a page (mostly white,
/// thin lines and text) or a picture (a design drawn antialiased, filling its image).
enum class PngContent { Page, Picture };

/// The image as a PNG file: 8-bit RGB, or RGBA where the image has an alpha channel (a
/// design's picture on nothing), every row filtered "Up" (a row like the one above, most of a page, becomes zeros) and
/// compressed by libdeflate at the level that was fastest for its content. Decodes to the
/// same pixels as Qt's writer, several times faster and close to its size on pages of
/// lines and text. The image's texts are kept, as Qt's writer keeps them.
std::vector<std::uint8_t> encodePng(const QImage& image, PngContent content = PngContent::Page);

} // namespace orlika
