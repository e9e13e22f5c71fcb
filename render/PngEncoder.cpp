// SPDX-License-Identifier: MIT
#include "render/PngEncoder.h"

#include <libdeflate.h>

#include <cstring>
#include <memory>
#include <stdexcept>
#include <string_view>

namespace orlika {

namespace {

// Pages are mostly runs of white. libdeflate's level 1 took the longest on them (a
// catalog of 5,000 designs in 167 pages: 3.54 s of process time, 12.96 MB); levels 2 and
// 3 took the least (2.83 and 2.86 s), level 3 the smaller (12.46 MB), level 4 2.99 s for
// 11.95 MB. A design's picture is compressed fastest at level 1 (a 256-pixel thumbnail of
// 20,000 stitches: the thumbnailer's whole run 0.8 ms shorter than at level 3).
int deflateLevel(PngContent content)
{
    return content == PngContent::Page ? 3 : 1;
}

struct CompressorFree {
    void operator()(libdeflate_compressor* compressor) const { libdeflate_free_compressor(compressor); }
};

void appendU32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(std::uint8_t(value >> shift));
}

void appendChunk(std::vector<std::uint8_t>& out, std::string_view type, const std::uint8_t* data, std::size_t size)
{
    appendU32(out, std::uint32_t(size));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data, data + size);
    // The CRC covers the type and the data.
    appendU32(out, std::uint32_t(libdeflate_crc32(0, out.data() + typeAt, out.size() - typeAt)));
}

// The image's texts (QImage::setText) as Qt's writer keeps them: tEXt where key and text
// are Latin-1, else iTXt in UTF-8. A key of more than 79 characters is not written.
void appendTexts(std::vector<std::uint8_t>& out, const QImage& image)
{
    for (const QString& key : image.textKeys()) {
        const QString text = image.text(key);
        if (key.isEmpty() || key.size() > 79)
            continue;
        const QByteArray latinKey = key.toLatin1();
        std::vector<std::uint8_t> data(latinKey.begin(), latinKey.end());
        data.push_back(0);
        const bool latin = QString::fromLatin1(latinKey) == key && QString::fromLatin1(text.toLatin1()) == text;
        if (latin) {
            const QByteArray bytes = text.toLatin1();
            data.insert(data.end(), bytes.begin(), bytes.end());
            appendChunk(out, "tEXt", data.data(), data.size());
        } else {
            // Not compressed, no language, no translated key.
            data.insert(data.end(), {0, 0, 0, 0});
            const QByteArray bytes = text.toUtf8();
            data.insert(data.end(), bytes.begin(), bytes.end());
            appendChunk(out, "iTXt", data.data(), data.size());
        }
    }
}

// Bytes that are written before they are read: growing it does not fill it first, so a
// page's worth of it is neither cleared nor, where little of it is used, faulted in.
class ByteBuffer {
public:
    std::uint8_t* data() { return m_bytes.get(); }
    std::size_t size() const { return m_size; }
    void resize(std::size_t size)
    {
        if (size > m_capacity) {
            m_bytes = std::make_unique_for_overwrite<std::uint8_t[]>(size);
            m_capacity = size;
        }
        m_size = size;
    }

private:
    std::unique_ptr<std::uint8_t[]> m_bytes;
    std::size_t m_capacity = 0;
    std::size_t m_size = 0;
};

// The rows as PNG's filtered scanlines, into `rows`: a filter byte, then R, G, B (and A,
// with `alpha`) per pixel, each the difference to the pixel above.
void filterRows(const QImage& image, bool alpha, ByteBuffer& rows)
{
    const auto width = std::size_t(image.width());
    const auto height = std::size_t(image.height());
    const std::size_t channels = alpha ? 4 : 3;
    const std::size_t stride = 1 + channels * width;
    rows.resize(stride * height);
    const QRgb* above = nullptr;
    for (std::size_t y = 0; y < height; ++y) {
        const auto* pixels = reinterpret_cast<const QRgb*>(image.constScanLine(int(y)));
        std::uint8_t* out = rows.data() + y * stride;
        *out++ = 2;  // Up
        // A row like the one above (most of a page) becomes zeros.
        if (above && std::memcmp(pixels, above, width * sizeof(QRgb)) == 0) {
            std::memset(out, 0, channels * width);
            above = pixels;
            continue;
        }
        for (std::size_t x = 0; x < width; ++x, out += channels) {
            const QRgb pixel = pixels[x];
            const QRgb up = above ? above[x] : 0;
            out[0] = std::uint8_t(std::uint8_t(pixel >> 16) - std::uint8_t(up >> 16));
            out[1] = std::uint8_t(std::uint8_t(pixel >> 8) - std::uint8_t(up >> 8));
            out[2] = std::uint8_t(std::uint8_t(pixel) - std::uint8_t(up));
            if (alpha)
                out[3] = std::uint8_t(std::uint8_t(pixel >> 24) - std::uint8_t(up >> 24));
        }
        above = pixels;
    }
}

// What encoding a page needs besides the page: the compressor and two buffers of about
// the page's size. A catalog writes many pages one after the other; kept for the next
// page of the same thread, they are not taken from the system and faulted in again for
// each page, which cost more than the compression itself.
struct Scratch {
    std::unique_ptr<libdeflate_compressor, CompressorFree> compressor;
    int level = 0;  // the compressor's
    ByteBuffer rows;
    ByteBuffer compressed;
};

} // namespace

std::vector<std::uint8_t> encodePng(const QImage& image, PngContent content)
{
    // PNG keeps colours apart from their alpha: a premultiplied image is divided out first.
    const bool alpha = image.hasAlphaChannel();
    const QImage::Format format = alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    // A page still under its painter is read in place: a copy of it, which Qt makes of an
    // image being painted, cost more than a small page's compression.
    QImage converted;
    if (image.format() != format)
        converted = image.convertToFormat(format);
    const QImage& rgb = image.format() == format ? image : converted;
    thread_local Scratch scratch;
    ByteBuffer& rows = scratch.rows;
    filterRows(rgb, alpha, rows);
    if (!scratch.compressor || scratch.level != deflateLevel(content)) {
        scratch.level = deflateLevel(content);
        scratch.compressor.reset(libdeflate_alloc_compressor(scratch.level));
    }
    if (!scratch.compressor)
        throw std::bad_alloc();
    libdeflate_compressor* compressor = scratch.compressor.get();
    ByteBuffer& compressed = scratch.compressed;
    compressed.resize(libdeflate_zlib_compress_bound(compressor, rows.size()));
    const std::size_t compressedSize =
        libdeflate_zlib_compress(compressor, rows.data(), rows.size(), compressed.data(), compressed.size());
    if (compressedSize == 0)
        throw std::runtime_error("the image could not be compressed");

    std::vector<std::uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    appendU32(header, std::uint32_t(rgb.width()));
    appendU32(header, std::uint32_t(rgb.height()));
    // 8 bits, RGB or RGBA, deflate, adaptive filters, no interlace
    header.insert(header.end(), {8, std::uint8_t(alpha ? 6 : 2), 0, 0, 0});
    png.reserve(png.size() + compressedSize + 64);
    appendChunk(png, "IHDR", header.data(), header.size());
    // A density of 96 dpi, as Qt's pages carry, so that viewers show them at their size.
    const auto perMetre = std::uint32_t(rgb.dotsPerMeterX() > 0 ? rgb.dotsPerMeterX() : 3780);
    std::vector<std::uint8_t> density;
    appendU32(density, perMetre);
    appendU32(density, std::uint32_t(rgb.dotsPerMeterY() > 0 ? rgb.dotsPerMeterY() : 3780));
    density.push_back(1);  // the unit is the metre
    appendChunk(png, "pHYs", density.data(), density.size());
    appendTexts(png, image);
    appendChunk(png, "IDAT", compressed.data(), compressedSize);
    appendChunk(png, "IEND", nullptr, 0);
    return png;
}

} // namespace orlika
