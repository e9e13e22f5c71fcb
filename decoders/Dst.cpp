// SPDX-License-Identifier: MIT
// The Tajima DST reader: a 512-byte text header, then 3-byte stitch records.
#include "decoders/Dst.h"

#include "catalog/Catalog.h"
#include "platform/Rounding.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <limits>

namespace orlika {

namespace dst {

namespace {

struct ByteTables {
    std::array<std::int8_t, 256> dx{};
    std::array<std::int8_t, 256> dy{};
};

// Each set bit adds its value; one table per byte position turns that into two lookups.
constexpr ByteTables makeTable(const std::array<int, 8>& dxBits, const std::array<int, 8>& dyBits)
{
    ByteTables table;
    for (int value = 0; value < 256; ++value) {
        int dx = 0, dy = 0;
        for (int bit = 0; bit < 8; ++bit) {
            if (value & (1 << bit)) {
                dx += dxBits[std::size_t(bit)];
                dy += dyBits[std::size_t(bit)];
            }
        }
        table.dx[std::size_t(value)] = std::int8_t(dx);
        table.dy[std::size_t(value)] = std::int8_t(dy);
    }
    return table;
}

constexpr ByteTables kByte0 = makeTable({1, -1, 9, -9, 0, 0, 0, 0}, {0, 0, 0, 0, -9, 9, -1, 1});
constexpr ByteTables kByte1 = makeTable({3, -3, 27, -27, 0, 0, 0, 0}, {0, 0, 0, 0, -27, 27, -3, 3});
constexpr ByteTables kByte2 = makeTable({0, 0, 81, -81, 0, 0, 0, 0}, {0, 0, 0, 0, -81, 81, 0, 0});

} // namespace

Movement movementOf(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2)
{
    return {kByte0.dx[b0] + kByte1.dx[b1] + kByte2.dx[b2], kByte0.dy[b0] + kByte1.dy[b1] + kByte2.dy[b2]};
}

} // namespace dst

namespace {

constexpr std::uint8_t kEndOfText = 0x1A;
constexpr std::uint8_t kCarriageReturn = 0x0D;

// The header's integers: leading spaces, an optional sign, decimal digits, nothing else.
std::int32_t headerInteger(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    std::size_t digitsFrom = i;
    if (digitsFrom < text.size() && (text[digitsFrom] == '+' || text[digitsFrom] == '-'))
        ++digitsFrom;
    bool valid = digitsFrom < text.size();
    for (std::size_t k = digitsFrom; k < text.size() && valid; ++k)
        valid = text[k] >= '0' && text[k] <= '9';
    long long value = 0;
    if (valid) {
        errno = 0;
        value = std::strtoll(text.c_str() + i, nullptr, 10);
        valid = errno == 0 && value >= std::numeric_limits<std::int32_t>::min() &&
                value <= std::numeric_limits<std::int32_t>::max();
    }
    if (!valid)
        throw ConversionError("'" + text + "' is not a valid integer value");
    return std::int32_t(value);
}

// A dot ends a line; the first pair of dots ends the header.
void convertDots(std::array<std::uint8_t, 512>& header)
{
    for (std::size_t i = 0; i + 1 < header.size(); ++i) {
        if (header[i] != '.')
            continue;
        header[i] = kCarriageReturn;
        if (header[i + 1] == '.') {
            header[i + 1] = kEndOfText;
            break;
        }
    }
}

// Hands each whole record from the current position to visit(b0, b1, b2), block by
// block through the fixed record buffer, until the data or the end record ends. A part
// record at the end of a block is dropped.
template <typename Visit>
void forEachRecord(DesignFile& file, std::array<std::uint8_t, 1500>& buffer, Visit&& visit)
{
    for (;;) {
        const std::size_t delivered = readFully(file, buffer);
        if (delivered == 0)
            return;
        for (std::size_t r = 0; r + dst::kRecordSize <= delivered; r += dst::kRecordSize) {
            visit(buffer[r], buffer[r + 1], buffer[r + 2]);
            if (buffer[r + 2] == dst::kEndMarker)
                return;
        }
    }
}

std::int32_t magnitude(std::int32_t value)
{
    return value == std::numeric_limits<std::int32_t>::min() ? std::numeric_limits<std::int32_t>::max()
                                                             : std::abs(value);
}

} // namespace

void Catalog::TajimaXY(std::uint32_t record, int& dx, int& dy)
{
    const dst::Movement movement =
        dst::movementOf(std::uint8_t(record), std::uint8_t(record >> 8), std::uint8_t(record >> 16));
    dx = movement.dx;
    dy = movement.dy;
}

void Catalog::extractTajimaHeader()
{
    auto& s = m_state;
    auto& header = s.TajimaHeader;
    s.PlusX = s.MinusX = s.PlusY = s.MinusY = 0;
    s.StitchCount = 0;
    s.ColorChangeCount = 0;
    convertDots(header);

    struct Tag {
        const char* text;
        std::int32_t* target;
    };
    const Tag tags[] = {{"LA:", nullptr}, {"CO:", &s.ColorChangeCount}, {"ST:", &s.StitchCount},
                        {"+X:", &s.PlusX}, {"-X:", &s.MinusX}, {"-Y:", &s.MinusY}, {"+Y:", &s.PlusY}};

    std::size_t pos = 0;
    while (pos < header.size() && header[pos] != kEndOfText) {
        std::string line;
        if (header[pos] != kCarriageReturn) {
            line.push_back(char(header[pos++]));
            while (pos < header.size() && header[pos] != kCarriageReturn && header[pos] != kEndOfText &&
                   header[pos] != 0)
                line.push_back(char(header[pos++]));
        }
        const bool blockEnded = pos >= header.size();
        ++pos;
        for (const Tag& tag : tags) {
            const auto at = line.find(tag.text);
            if (at == std::string::npos)
                continue;
            if (tag.target) {
                line.erase(at, 3);
                *tag.target = headerInteger(line);
            }
            break;
        }
        if (blockEnded || pos >= header.size() || header[pos] == kEndOfText || header[pos] == 0)
            break;
    }

    if ((s.PlusX == 0 && s.MinusX == 0) || (s.PlusY == 0 && s.MinusY == 0)) {
        // No extents in the header: find them (and the stitch count) from the records.
        DesignFile& file = designFile();
        file.seek(dst::kHeaderSize);
        s.StitchCount = 0;
        float x = 0, y = 0;
        forEachRecord(file, s.RecordBuffer, [&](std::uint8_t b0, std::uint8_t b1, std::uint8_t b2) {
            const auto kind = dst::kindOf(b2);
            if (kind == dst::RecordKind::Jump || kind == dst::RecordKind::Stitch) {
                const auto move = dst::movementOf(b0, b1, b2);
                x = toSingle(double(x) + move.dx);
                y = toSingle(double(y) + move.dy);
                if (kind == dst::RecordKind::Stitch && s.StitchCount < std::numeric_limits<std::int32_t>::max())
                    ++s.StitchCount;
            }
            const int ix = roundPixel(x), iy = roundPixel(y);
            if (s.MinusX > ix) s.MinusX = ix;
            if (s.PlusX < ix) s.PlusX = ix;
            if (s.MinusY > iy) s.MinusY = iy;
            if (s.PlusY < iy) s.PlusY = iy;
        });
        s.MinusX = magnitude(s.MinusX);
        s.MinusY = magnitude(s.MinusY);
    }
}

void Catalog::TajimaFormat(Canvas& canvas)
{
    auto& s = m_state;
    DesignFile& file = designFile();
    s.TajimaHeader.fill(kEndOfText);
    readFully(file, s.TajimaHeader);
    extractTajimaHeader();
    file.seek(dst::kHeaderSize);

    // Sums in 64 bits: hostile headers may hold extents near the 32-bit limits.
    const std::int64_t width = std::int64_t(s.MinusX) + s.PlusX;
    const std::int64_t height = std::int64_t(s.MinusY) + s.PlusY;
    const std::int64_t extent = height > width ? height : width;
    const CellPoint cell = cellAnchor();

    showPhase("Drawing");
    // A design without extent (or with a nonsensical negative one) has no scale:
    // nothing is drawn for its stitches, but the name and remarks still appear.
    if (extent > 0) {
        const float sx = toSingle(s.CellWidth / double(extent) * 0.5);
        const float sy = toSingle(s.CellHeight / double(extent) * 0.5);
        s.PosX = toSingle(s.MinusX * double(sx) + cell.X);
        s.PosY = toSingle(cell.Y - s.MinusY * double(sy));
        s.ColorIndex = 0;
        bool first = true;
        forEachRecord(file, s.RecordBuffer, [&](std::uint8_t b0, std::uint8_t b1, std::uint8_t b2) {
            const auto kind = dst::kindOf(b2);
            if (kind == dst::RecordKind::ColorChange) {
                if (++s.ColorIndex > 16)
                    s.ColorIndex = 0;
                canvas.setPenColor(s.ColorTable[std::size_t(s.ColorIndex)]);
            } else if (kind != dst::RecordKind::Ignored) {
                const auto move = dst::movementOf(b0, b1, b2);
                s.PosX = toSingle(move.dx * double(sx) + s.PosX);
                s.PosY = toSingle(-move.dy * double(sx) + s.PosY);
                if (first || kind == dst::RecordKind::Jump)
                    canvas.moveTo(roundPixel(s.PosX), roundPixel(s.PosY));
                else
                    canvas.lineTo(roundPixel(s.PosX), roundPixel(s.PosY));
                first = false;
            }
        });
    }
    canvas.setPenColor(Black);
    writeNameLine(canvas, true);

    if (remarksShown()) {
        s.PosX = toSingle(cell.X);
        s.PosY = toSingle(cell.Y + s.LineHeight);
        const auto nextLine = [&](const std::string& text) {
            writeText(canvas, s.PosX, s.PosY, text);
            s.PosY = toSingle(double(s.PosY) + s.LineHeight);
        };
        nextLine("Stitches: " + std::to_string(s.StitchCount));
        nextLine("Size: " + millimetres(double(width)) + " x " + millimetres(double(height)) + " mm");
        nextLine("Size: " + inches(double(width)) + " x " + inches(double(height)) + " In.");
        if (s.ColorChangeCount < std::numeric_limits<std::int32_t>::max())
            ++s.ColorChangeCount;  // the header counts changes; the remark counts colours
        nextLine("Color Changes: " + std::to_string(s.ColorChangeCount));
    }
    showPhase("");
}

} // namespace orlika
