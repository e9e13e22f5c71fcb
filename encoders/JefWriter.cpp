// SPDX-License-Identifier: MIT
// Janome JEF: a 116-byte header (where the stitches start, the date, the counts, the hoop,
// the design's extents from its centre and its margins to the standard hoops), the chart
// index and thread type of each colour block, then 2-byte steps of at most 127 units on
// each axis (y up) with 80 escapes: 80 01 a colour change, 80 02 a jump, which of no
// length is a trim, 80 10 the end (docs/formats/jef.md). The steps start at the design's
// centre, as Janome machines place a design by its centre.
#include "encoders/Writers.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <ctime>
#include <limits>

namespace orlika::writers {

namespace {

constexpr std::size_t kThreadTable = 116;
/// The colour blocks a header lists at most: as many as this program's reader takes.
constexpr std::size_t kMostBlocks = 65535;
constexpr std::uint8_t kEscape = 0x80;
constexpr std::uint8_t kColorChangeCode = 0x01;
constexpr std::uint8_t kJumpCode = 0x02;
constexpr std::uint8_t kEndCode = 0x10;
constexpr std::uint32_t kFlags = 20;
constexpr std::uint32_t kThreadType = 13;
constexpr std::size_t kDateSize = 14;

/// A hoop as the header names it, its size in tenths of a millimetre.
struct Hoop {
    std::uint32_t code;
    std::int32_t width, height;
};

// The hoops whose codes the public descriptions agree on, smallest first, each at the
// smaller of the sizes they give (code 0: 110 or 126 x 110 mm; code 4: 200 or 230 x 200
// mm), so that a design given a code fits that hoop by either description.
constexpr std::array<Hoop, 4> kHoops{{{1, 500, 500}, {0, 1100, 1100}, {2, 1400, 2000}, {4, 2000, 2000}}};
// The hoops of the margin boxes 2 to 4; box 5 is the design's own hoop.
constexpr std::array<Hoop, 3> kMarginHoops{{{0, 1100, 1100}, {1, 500, 500}, {2, 1400, 2000}}};

/// Left, top, right and bottom distances from the design's centre to its stitches' edges.
struct Extents {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

/// The centre the steps start from, and the stitches' extents from it: the odd tenth of
/// a width or height lies right of and below the centre.
struct Placement {
    std::int32_t centreX = 0, centreY = 0;
    Extents extents;
};

Placement placementOf(const NeedleBox& stitches)
{
    if (stitches.empty)
        return {};
    const std::int32_t width = stitches.width(), height = stitches.height();
    return {stitches.minX + width / 2, stitches.minY + height / 2,
            {width / 2, height / 2, width - width / 2, height - height / 2}};
}

bool fits(const Extents& e, const Hoop& hoop)
{
    return std::max(e.left, e.right) <= hoop.width / 2 && std::max(e.top, e.bottom) <= hoop.height / 2;
}

/// The smallest hoop the design fits; the largest hoop a code names when none does.
const Hoop& hoopFor(const Extents& e)
{
    for (const Hoop& hoop : kHoops)
        if (fits(e, hoop))
            return hoop;
    return kHoops.back();
}

/// The margins from the stitches to the hoop's edges, or -1s where they do not fit it.
std::array<std::int32_t, 4> margins(const Extents& e, const Hoop& hoop)
{
    if (!fits(e, hoop))
        return {-1, -1, -1, -1};
    const std::int32_t halfWidth = hoop.width / 2, halfHeight = hoop.height / 2;
    return {halfWidth - e.left, halfHeight - e.top, halfWidth - e.right, halfHeight - e.bottom};
}

/// The local time of the conversion, as the header gives its date: YYYYMMDDHHMMSS.
std::array<char, kDateSize + 1> conversionDate()
{
    std::array<char, kDateSize + 1> text{};
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr || std::strftime(text.data(), text.size(), "%Y%m%d%H%M%S", &local) != kDateSize)
        std::fill_n(text.begin(), kDateSize, '0');
    return text;
}

/// The records, counted in the 2-byte units the header's count gives.
class Records {
public:
    explicit Records(ByteSink& out) : m_out(out) {}

    std::uint64_t units() const { return m_units; }

    void stitch(std::int64_t dx, std::int64_t dy) { step(dx, dy); }
    void command(std::uint8_t code, std::int64_t dx, std::int64_t dy)
    {
        const std::array<std::uint8_t, 2> escape{kEscape, code};
        m_out.append(escape);
        ++m_units;
        step(dx, dy);
    }
    void end()
    {
        const std::array<std::uint8_t, 2> end{kEscape, kEndCode};
        m_out.append(end);
        ++m_units;
    }

private:
    void step(std::int64_t dx, std::int64_t dy)
    {
        if (std::max(std::llabs(dx), std::llabs(dy)) > 127)
            throw std::logic_error("a JEF step longer than a record");
        const std::array bytes{std::uint8_t(std::int8_t(dx)), std::uint8_t(std::int8_t(dy))};
        m_out.append(bytes);
        ++m_units;
    }

    ByteSink& m_out;
    std::uint64_t m_units = 0;
};

/// How many jumps lead from the centre to a point: each at most a record long.
std::int64_t leadInJumps(std::int32_t toX, std::int32_t toY)
{
    return (std::max(std::llabs(toX), std::llabs(toY)) + 126) / 127;
}

/// Jumps from the centre to the path's start point, each at most a record long and none
/// of no length (that would be a trim).
void leadIn(Records& records, std::int32_t toX, std::int32_t toY)
{
    const std::int64_t pieces = leadInJumps(toX, toY);
    std::int64_t x = 0, y = 0;
    for (std::int64_t piece = 1; piece <= pieces; ++piece) {
        const std::int64_t nextX = std::int64_t(toX) * piece / pieces, nextY = std::int64_t(toY) * piece / pieces;
        records.command(kJumpCode, nextX - x, y - nextY);
        x = nextX;
        y = nextY;
    }
}

void putHeader(ByteSink& out, std::size_t blocks, const Placement& placement)
{
    const Extents& e = placement.extents;
    const Hoop& hoop = hoopFor(e);
    out.putLittleEndian(std::uint64_t(kThreadTable + 8 * blocks), 4);
    out.putLittleEndian(kFlags, 4);
    out.putText(std::string_view(conversionDate().data(), kDateSize));
    out.putZeros(2);
    out.putLittleEndian(blocks, 4);
    out.putLittleEndian(0, 4);  // the record units, patched in at the end
    out.putLittleEndian(hoop.code, 4);
    const auto putBox = [&](const std::array<std::int32_t, 4>& box) {
        for (const std::int32_t v : box)
            out.putLittleEndian(std::uint32_t(v), 4);
    };
    putBox({e.left, e.top, e.right, e.bottom});
    for (const Hoop& marginHoop : kMarginHoops)
        putBox(margins(e, marginHoop));
    putBox(margins(e, hoop));
}

} // namespace

void writeJef(const WriteInput& input, NeedleStream& needles, ByteSink& out)
{
    const NeedleSummary& summary = input.summary;
    const std::size_t blocks = summary.blockColors.size();
    if (blocks > kMostBlocks)
        throw ConversionFailure("has more colour changes than a JEF file can list (65,534)");
    const Placement placement = placementOf(summary.stitchBox);
    // Each needle and lead-in jump takes two units at most, the end one.
    const std::int64_t mostUnits = 2 * (summary.needles + leadInJumps(-placement.centreX, -placement.centreY)) + 1;
    if (mostUnits > std::int64_t(std::numeric_limits<std::uint32_t>::max()))
        throw ConversionFailure("has more records than a JEF header can count");

    const std::uint64_t start = out.size();
    putHeader(out, blocks, placement);
    for (std::size_t block = 0; block < blocks; ++block)
        out.putLittleEndian(std::uint32_t(block < input.threads.size() ? input.threads[block].chartIndex : 0), 4);
    for (std::size_t block = 0; block < blocks; ++block)
        out.putLittleEndian(kThreadType, 4);

    Records records(out);
    // Positions from here on are from the centre.
    std::int32_t x = -placement.centreX, y = -placement.centreY;
    leadIn(records, x, y);
    Needle needle;
    while (needles.next(needle) && needle.kind != Needle::Kind::End) {
        const std::int64_t toX = std::int64_t(needle.x) - placement.centreX;
        const std::int64_t toY = std::int64_t(needle.y) - placement.centreY;
        switch (needle.kind) {
        case Needle::Kind::Stitch:
            records.stitch(toX - x, y - toY);
            break;
        case Needle::Kind::Jump:
            // A jump of no length would read as a trim; it travels nowhere.
            if (toX != x || toY != y)
                records.command(kJumpCode, toX - x, y - toY);
            break;
        case Needle::Kind::Trim:
            records.command(kJumpCode, 0, 0);
            break;
        case Needle::Kind::ColorChange:
            records.command(kColorChangeCode, 0, 0);
            break;
        case Needle::Kind::End:
            break;
        }
        if (needle.kind == Needle::Kind::Stitch || needle.kind == Needle::Kind::Jump) {
            x = std::int32_t(toX);
            y = std::int32_t(toY);
        }
    }
    records.end();
    out.patchLittleEndian(start + 28, records.units(), 4);
}

} // namespace orlika::writers
