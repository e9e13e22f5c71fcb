// SPDX-License-Identifier: MIT
// Tajima DST: a 512-byte text header, then 3-byte records of a balanced-ternary step of at
// most 121 units on each axis (y up), with the jump and colour-change flags in the third
// byte, ended by 00 00 F3 (docs/formats/dst.md).
#include "encoders/Writers.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

namespace orlika::writers {

namespace {

constexpr std::size_t kHeaderSize = 512;
constexpr std::uint8_t kStitch = 0x03;
constexpr std::uint8_t kJump = 0x83;
constexpr std::uint8_t kColorChange = 0xC3;
constexpr std::uint8_t kEnd = 0xF3;

/// Balanced-ternary digits of v (|v| <= 121), lowest first: each -1, 0 or +1.
constexpr std::array<int, 5> ternaryDigits(int v)
{
    std::array<int, 5> digits{};
    for (int& digit : digits) {
        int r = ((v % 3) + 3) % 3;
        if (r == 2)
            r = -1;
        digit = r;
        v = (v - r) / 3;
    }
    return digits;
}

/// The bits of a record (b0 in the low byte) that code a step of x, or of y, by one axis.
constexpr std::uint32_t stepBits(int v, bool yAxis)
{
    // Where the digits 1, 3, 9, 27 and 81 go: the byte, and the plus and minus bits of x
    // and of y.
    struct Place {
        int byte;
        std::uint8_t plusX, minusX, plusY, minusY;
    };
    constexpr std::array<Place, 5> kPlaces{{{0, 0x01, 0x02, 0x80, 0x40},
                                            {1, 0x01, 0x02, 0x80, 0x40},
                                            {0, 0x04, 0x08, 0x20, 0x10},
                                            {1, 0x04, 0x08, 0x20, 0x10},
                                            {2, 0x04, 0x08, 0x20, 0x10}}};
    const std::array<int, 5> digits = ternaryDigits(v);
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < kPlaces.size(); ++i) {
        const Place& place = kPlaces[i];
        const std::uint8_t plus = yAxis ? place.plusY : place.plusX;
        const std::uint8_t minus = yAxis ? place.minusY : place.minusX;
        const std::uint8_t bit = digits[i] > 0 ? plus : digits[i] < 0 ? minus : 0;
        bits |= std::uint32_t(bit) << (8 * place.byte);
    }
    return bits;
}

constexpr int kLongestStep = 121;

/// The bits of every step from -121 to 121 of one axis: a record is two lookups.
constexpr std::array<std::uint32_t, 2 * kLongestStep + 1> stepTable(bool yAxis)
{
    std::array<std::uint32_t, 2 * kLongestStep + 1> table{};
    for (int v = -kLongestStep; v <= kLongestStep; ++v)
        table[std::size_t(v + kLongestStep)] = stepBits(v, yAxis);
    return table;
}

constexpr auto kXSteps = stepTable(false);
constexpr auto kYSteps = stepTable(true);

/// The label as the header can hold it: 16 printable ASCII characters at most.
std::string headerLabel(const std::string& label)
{
    std::string text;
    for (const char c : label) {
        if (text.size() == 16)
            break;
        text += c >= 0x20 && c < 0x7F ? c : '_';
    }
    return text;
}

struct Counts {
    std::int64_t stitches = 0;  // stitch records: what ST counts and the catalog shows as "Stitches"
    std::int64_t colorChanges = 0;
};

std::array<std::uint8_t, kHeaderSize> header(const std::string& label, const Counts& counts, const NeedleSummary& summary)
{
    // The header's y grows upward, the path's downward.
    const NeedleBox& box = summary.pathBox;
    const auto signedField = [](std::int64_t v) { return std::string(v < 0 ? "-" : "+"); };
    std::array<char, kHeaderSize> text{};
    const int length = std::snprintf(
        text.data(), text.size(),
        "LA:%-16s\rST:%7lld\rCO:%3lld\r+X:%5d\r-X:%5d\r+Y:%5d\r-Y:%5d\rAX:%s%5d\rAY:%s%5d\rMX:+%5d\rMY:+%5d\rPD:******\r\x1a",
        headerLabel(label).c_str(), static_cast<long long>(counts.stitches), static_cast<long long>(counts.colorChanges),
        box.maxX, -box.minX, -box.minY, box.maxY, signedField(summary.endX).c_str(), std::abs(summary.endX),
        signedField(-summary.endY).c_str(), std::abs(summary.endY), 0, 0);
    std::array<std::uint8_t, kHeaderSize> bytes;
    bytes.fill(' ');
    std::copy_n(text.begin(), std::clamp(length, 0, int(kHeaderSize)), bytes.begin());
    return bytes;
}

} // namespace

std::array<std::uint8_t, 3> dstRecord(int dx, int dy, std::uint8_t flags)
{
    if (std::max(std::abs(dx), std::abs(dy)) > kLongestStep)
        throw std::logic_error("a DST step longer than a record");
    const std::uint32_t bits =
        kXSteps[std::size_t(dx + kLongestStep)] | kYSteps[std::size_t(dy + kLongestStep)] | (std::uint32_t(flags) << 16);
    return {std::uint8_t(bits), std::uint8_t(bits >> 8), std::uint8_t(bits >> 16)};
}

void writeDst(const WriteInput& input, NeedleStream& needles, ByteSink& out)
{
    const NeedleSummary& summary = input.summary;
    // Seven digits of stitches and three of colour changes is all the header holds.
    if (summary.stitches > 9'999'999)
        throw ConversionFailure("has more stitches than a DST header can count (9,999,999)");
    if (summary.colorChanges > 999)
        throw ConversionFailure("has more colour changes than a DST header can count (999)");
    const NeedleBox& box = summary.pathBox;
    if (std::max({box.maxX, -box.minX, box.maxY, -box.minY}) > 99'999)
        throw ConversionFailure("reaches farther from its start than a DST header can measure (9.9 m)");
    const std::uint64_t start = out.size();
    out.putZeros(kHeaderSize);
    Counts counts;
    std::int32_t x = 0, y = 0;
    bool moved = false;
    const auto put = [&](std::int64_t dx, std::int64_t dy, std::uint8_t flags) {
        if (std::max(std::llabs(dx), std::llabs(dy)) > kLongestStep)
            throw std::logic_error("a DST step longer than a record");
        out.append(dstRecord(int(dx), int(dy), flags));
        counts.stitches += flags == kStitch;
        moved = moved || flags != kColorChange;
    };
    Needle needle;
    while (needles.next(needle) && needle.kind != Needle::Kind::End) {
        switch (needle.kind) {
        case Needle::Kind::Stitch:
            // A reader takes the first record that is not a jump as the way to the first
            // point, not as a stitch: a jump of no length comes first.
            if (!moved)
                put(0, 0, kJump);
            put(std::int64_t(needle.x) - x, std::int64_t(y) - needle.y, kStitch);
            break;
        case Needle::Kind::Jump:
            put(std::int64_t(needle.x) - x, std::int64_t(y) - needle.y, kJump);
            break;
        case Needle::Kind::Trim:
            if (input.options.dstTrims == DstTrims::ThreeJumps)
                for (int i = 0; i < 3; ++i)
                    put(0, 0, kJump);
            break;
        case Needle::Kind::ColorChange:
            put(0, 0, kColorChange);
            ++counts.colorChanges;
            break;
        case Needle::Kind::End:
            break;
        }
        if (needle.kind == Needle::Kind::Stitch || needle.kind == Needle::Kind::Jump) {
            x = needle.x;
            y = needle.y;
        }
    }
    const std::array<std::uint8_t, 3> end{0, 0, kEnd};
    out.append(end);
    out.patch(start, header(input.options.label, counts, summary));
}

} // namespace orlika::writers
