// SPDX-License-Identifier: MIT
// The Brother PES and PEC reader: a signature, the PEC section (behind an offset in PES
// files), its thread list and its stitch stream, read twice through one 512-byte buffer.
#include "decoders/Pes.h"

#include "catalog/Catalog.h"
#include "platform/Rounding.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace orlika {

namespace {

constexpr const char* kErrorCaption = "PES/PEC File Format Error";

// Little-endian number from the bytes delivered; bytes that were not delivered are 0.
std::uint32_t littleEndian(DesignFile& file, std::size_t width)
{
    std::array<std::uint8_t, 4> bytes{};
    readFully(file, std::span(bytes).first(width));
    return std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 | std::uint32_t(bytes[2]) << 16 |
           std::uint32_t(bytes[3]) << 24;
}

// The items of the stitch stream, one after the other. Blocks come from GetPesData into
// the one stream buffer; an item cut by a block's end is joined in a few carried bytes.
class ItemStream {
public:
    ItemStream(Catalog& catalog, std::int64_t end, std::int64_t start)
        : m_catalog(catalog), m_buffer(catalog.state().PesBuffer), m_end(end), m_position(start)
    {
    }

    // Hands every item to visit(item) until the stream is exhausted, ends inside an
    // item, or reaches the end movement (which is not handed over).
    template <typename Visit>
    void forEach(Visit&& visit)
    {
        for (;;) {
            // Inside a block, with no bytes carried over, items are decoded in place.
            while (m_carried == 0 && m_filled - m_used >= pes::kLongestItem) {
                const std::uint8_t x = m_buffer[m_used], y = m_buffer[m_used + 1];
                // Most items are stitches of two short parts.
                const pes::Item item = x < 0x80 && y < 0x80
                    ? pes::Item{pes::ItemKind::Movement, 2, false, pes::shortValue(x), pes::shortValue(y)}
                    : pes::decodeItem(std::span(m_buffer).subspan(m_used, pes::kLongestItem));
                m_used += item.size;
                if (item.kind == pes::ItemKind::End)
                    return;
                visit(item);
            }
            const pes::Item item = nextAcrossBlocks();
            if (item.kind == pes::ItemKind::Incomplete || item.kind == pes::ItemKind::End)
                return;
            visit(item);
        }
    }

private:
    pes::Item nextAcrossBlocks()
    {
        while (true) {
            std::size_t fromBlock = 0;  // the last bytes carried, still in the current block
            while (m_carried < m_carry.size() && m_used < m_filled) {
                m_carry[m_carried++] = m_buffer[m_used++];
                ++fromBlock;
            }
            const pes::Item item = pes::decodeItem(std::span(m_carry).first(m_carried));
            if (item.kind != pes::ItemKind::Incomplete) {
                const std::size_t leftover = m_carried - item.size;
                if (leftover <= fromBlock) {
                    // What the item left is still in the block: read on from there directly.
                    m_used -= leftover;
                    m_carried = 0;
                } else {
                    m_carried = leftover;
                    std::memmove(m_carry.data(), m_carry.data() + item.size, m_carried);
                }
                return item;
            }
            m_filled = std::size_t(m_catalog.GetPesData(m_end, m_position));
            m_used = 0;
            if (m_filled == 0)
                return {};
        }
    }

    Catalog& m_catalog;
    std::array<std::uint8_t, 512>& m_buffer;
    std::int64_t m_end;
    std::int64_t m_position;
    std::size_t m_filled = 0;
    std::size_t m_used = 0;
    std::array<std::uint8_t, pes::kLongestItem> m_carry{};
    std::size_t m_carried = 0;
};

// Sizes of the remarks: a rounded extent, kept in 16 bits. Beyond 65535 units (6.5 m)
// it stays at 65535 rather than wrapping to a small size that would blow the picture up.
std::uint16_t sizeUnits(float low, float high)
{
    const double extent = std::nearbyint(double(high) - low);
    return std::uint16_t(std::clamp(extent, 0.0, 65535.0));
}

} // namespace

int Catalog::GetPesData(std::int64_t end, std::int64_t& position)
{
    const std::int64_t count = iMin(std::int64_t(pes::kBlockSize), end - position + 2);
    if (count <= 0)
        return 0;
    const std::size_t delivered = designFile().read(std::span(m_state.PesBuffer).first(std::size_t(count)));
    position += std::int64_t(delivered);
    return int(delivered);
}

void Catalog::PESFormat(Canvas& canvas)
{
    auto& s = m_state;
    DesignFile& file = designFile();
    shortenDesignPath();
    const std::string upperName = upperCase(s.DesignPath);
    const CellPoint cell = cellAnchor();

    // The error cell: the name without the selection colour, the text a little above the
    // middle line.
    const auto reject = [&](const std::string& message, const std::string& cellText) {
        host().messageBox(MessageRequest{message, kErrorCaption, MessageIcon::None, MessageButtons::Ok});
        writeNameLine(canvas, false);
        canvas.textOut(cell.X, roundPixel(cell.Y - canvas.textHeight("B") * 2.2), cellText);
    };

    file.seek(0);
    std::array<std::uint8_t, pes::kSignatureSize> signature{};
    const std::size_t signatureRead = readFully(file, signature);
    if (!pes::hasSignature(std::span(signature).first(signatureRead))) {
        s.DesignPath = upperName;
        reject(s.DesignPath + " Has an Unknown File Format", "Unknown Format");
        return;
    }

    // The section's place follows the name, not the signature: "PES" anywhere in the name
    // means a PES file. A name with neither mark is read as a PEC file, whose section
    // follows the signature.
    std::int64_t section = file.position();
    if (upperName.find("PES") != std::string::npos)
        section = littleEndian(file, 4);

    file.seek(section + pes::kColorCountOffset);
    std::uint8_t colorsLess1 = 0;
    if (readFully(file, std::span(&colorsLess1, 1)) == 0) {
        reject(s.DesignPath + " Has a Bad File Format", "Bad Format");
        return;
    }
    // The list holds what the file delivers of its N entries.
    std::array<std::uint8_t, 256> threads{};
    const std::size_t threadCount = readFully(file, std::span(threads).first(std::size_t(colorsLess1) + 1));
    for (std::size_t i = 0; i < threadCount; ++i)
        threads[i] = pes::threadIndex(threads[i]);

    file.seek(section + pes::kBlockEndOffset);
    const std::int64_t blockEnd = littleEndian(file, 3);
    file.seek(section + pes::kWidthOffset);
    littleEndian(file, 2);  // the stored width: the stitches give the true one
    file.seek(section + pes::kHeightOffset);
    std::array<std::uint8_t, 2> storedHeight{};
    if (readFully(file, storedHeight) == 0) {
        reject(s.DesignPath + " Has a Bad File Format", "Bad Format");
        return;
    }

    const std::int64_t streamStart = section + pes::kStitchOffset;
    const std::int64_t streamEnd = section + blockEnd + pes::kStreamEndBase;

    // Extents pass. The start point itself does not count. Positions are single-precision
    // sums; within 2^24 units of the start every such sum is an integer that single
    // precision holds exactly, so there the sums and extremes are kept as integers and
    // the extremes turned into single precision once (the conversion keeps the order).
    // A design that reaches further is sized again with single-precision sums.
    const auto forEachMovement = [&](auto&& visit) {
        file.seek(streamStart);
        ItemStream stream(*this, streamEnd, streamStart);
        stream.forEach([&](const pes::Item& item) {
            if (item.kind == pes::ItemKind::Movement)
                visit(item.dx, item.dy);
        });
    };
    float xmin = 99999, ymin = 99999, xmax = -99999, ymax = -99999;
    std::int64_t x = 0, y = 0;
    std::int64_t lowX = INT64_MAX, lowY = INT64_MAX, highX = INT64_MIN, highY = INT64_MIN;
    forEachMovement([&](int dx, int dy) {
        x += dx;
        y += dy;
        lowX = std::min(lowX, x);
        lowY = std::min(lowY, y);
        highX = std::max(highX, x);
        highY = std::max(highY, y);
    });
    constexpr std::int64_t kExactIntegers = std::int64_t(1) << 24;
    if (std::min(lowX, lowY) < -kExactIntegers || std::max(highX, highY) > kExactIntegers) {
        float fx = 0, fy = 0;
        forEachMovement([&](int dx, int dy) {
            fx = toSingle(double(fx) + dx);
            fy = toSingle(double(fy) + dy);
            xmin = std::min(xmin, fx);
            ymin = std::min(ymin, fy);
            xmax = std::max(xmax, fx);
            ymax = std::max(ymax, fy);
        });
    } else if (lowX <= highX) {
        xmin = std::min(xmin, toSingle(double(lowX)));
        ymin = std::min(ymin, toSingle(double(lowY)));
        xmax = std::max(xmax, toSingle(double(highX)));
        ymax = std::max(ymax, toSingle(double(highY)));
    }
    // A design without any movement is shown as a point at the start: size 0 x 0.
    if (xmin > xmax) {
        xmin = xmax = ymin = ymax = 0;
    }
    const std::uint16_t width = sizeUnits(xmin, xmax);
    const std::uint16_t height = sizeUnits(ymin, ymax);

    showPhase("Drawing");

    // One scale for both axes. A size of 0 on one axis gives that axis no factor, so the
    // other axis's factor is used; with both 0 every stitch lies on the start point and
    // the scale is 0.
    const float byWidth = width > 0 ? toSingle(s.CellWidth / double(width) * 0.5) : 0.0f;
    const float byHeight = height > 0 ? toSingle(s.CellHeight / double(height) * 0.5) : 0.0f;
    const float scale = width > 0 && height > 0 ? std::min(byWidth, byHeight) : std::max(byWidth, byHeight);
    float px = toSingle(std::fabs(double(xmin)) * scale + cell.X);
    float py = toSingle(cell.Y - double(ymax) * scale);

    // Drawing pass. Each colour change moves one entry down the list; past its end the
    // pen keeps the last entry's colour, and a list without entries draws in slot 0's.
    canvas.setPenWidth(1);
    const PecThreadTables& chart = s.PecThreads;
    canvas.setPenColor(chart.color(threadCount > 0 ? threads[0] : 0));
    canvas.moveTo(roundPixel(px), roundPixel(py));
    std::int64_t listPosition = 0;
    std::uint16_t stitchCount = 0;
    {
        file.seek(streamStart);
        ItemStream stream(*this, streamEnd, streamStart);
        stream.forEach([&](const pes::Item& item) {
            if (item.kind == pes::ItemKind::ColorChange) {
                ++listPosition;
                if (listPosition < std::int64_t(threadCount))
                    canvas.setPenColor(chart.color(threads[std::size_t(listPosition)]));
                return;
            }
            px = toSingle(item.dx * double(scale) + px);
            py = toSingle(item.dy * double(scale) + py);
            if (item.move)
                canvas.moveTo(roundPixel(px), roundPixel(py));
            else
                canvas.lineTo(roundPixel(px), roundPixel(py));
            ++stitchCount;  // 16 bits: wraps to 0 after 65535
        });
    }

    writeNameLine(canvas, true);
    canvas.setPenColor(Black);

    float textX = toSingle(cell.X);
    float textY = toSingle(cell.Y);
    const auto nextLine = [&](const std::string& text) {
        writeText(canvas, textX, textY, text);
        textY = toSingle(double(textY) + s.LineHeight);
    };
    const std::string stitches = std::to_string(stitchCount);
    const std::string changes = std::to_string(listPosition);
    const std::string mmSize = millimetres(width) + " x " + millimetres(height);
    const std::string inchSize = inches(width) + " x " + inches(height);
    if (s.CellsPerPage < 12 && !s.NoRemarks) {
        nextLine("Stitches: " + stitches + ", Size: " + mmSize + " mm");
        nextLine("Color Changes: " + changes + ", Size: " + inchSize + " In.");
    } else if (remarksShown()) {
        nextLine("Stitches: " + stitches);
        nextLine("Size: " + mmSize + " mm");
        nextLine("Size: " + inchSize + " In.");
        nextLine("Color Changes: " + changes);
    }

    // The thread list, where the layout leaves room: as many entries a line as fit the
    // width limit; an entry wider than the limit stands on a line of its own.
    if (!s.Thumbnails && !s.NoRemarks && threadCount > 0) {
        const int base = roundPixel(s.CellWidth * 0.8);
        const int limit = roundPixel(base * (s.CellsPerPage == 1 ? 0.6 : 0.95));
        const auto entry = [&](std::size_t i) {
            return std::to_string(i + 1) + ". " + chart.name(threads[i]);
        };
        std::size_t i = 0;
        while (i < threadCount) {
            std::string line = entry(i);
            while (i + 1 < threadCount && canvas.textWidth(line + ", " + entry(i + 1)) < limit) {
                ++i;
                line += ", " + entry(i);
            }
            nextLine(line);
            ++i;
        }
    }
    showPhase("");
}

} // namespace orlika
