// SPDX-License-Identifier: MIT
#include "encoders/Pec.h"

#include "decoders/PecThreads.h"
#include "encoders/ThreadMatch.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <stdexcept>

namespace orlika::pec {

namespace {

constexpr std::size_t kHeaderSize = 512;
constexpr std::size_t kStreamOffset = 532;
constexpr std::uint64_t kGraphicsField = 514;  // 24 bits: the pictures' place from 512
constexpr std::size_t kColorCountField = 48;
constexpr std::size_t kLabelLength = 16;

constexpr std::uint8_t kLongForm = 0x80;
constexpr std::uint8_t kJumpFlag = 0x10;
constexpr std::uint8_t kTrimFlag = 0x20;
constexpr std::int32_t kLongestPart = 2047;
/// A stitch's parts stay within what the reader draws as a line, -256..255, and away from
/// 255, which with a 0 beside it ends the stream.
constexpr std::int32_t kLongestStitch = 254;

constexpr bool fitsShort(std::int32_t v)
{
    return v >= -64 && v <= 63;
}

/// A long part the reader takes as a move rather than a line: beyond -256..255.
constexpr bool readsAsMove(std::int32_t v)
{
    return v >= 256 || v <= -257;
}

/// A step the reader takes for the stream's end.
constexpr bool endsTheStream(std::int32_t dx, std::int32_t dy)
{
    return (dx == 255 && dy == 0) || (dx == 0 && dy == 255);
}

/// The distance a detour keeps on one axis so that each of its legs reads as a move.
constexpr std::int32_t kDetour = 257;

struct Point {
    std::int32_t x = 0, y = 0;
};

bool inside(const NeedleBox& box, Point p)
{
    return !box.empty && p.x >= box.minX && p.x <= box.maxX && p.y >= box.minY && p.y <= box.maxY;
}

bool isMoveStep(Point from, Point to)
{
    const std::int64_t dx = std::int64_t(to.x) - from.x, dy = std::int64_t(to.y) - from.y;
    const auto fits = [](std::int64_t v) { return v >= -kLongestPart && v <= kLongestPart; };
    return fits(dx) && fits(dy) && (readsAsMove(std::int32_t(dx)) || readsAsMove(std::int32_t(dy)));
}

/// A point inside the box by which a travel too short to read as a move goes in two legs
/// that each read as one, the nearest such; none in a box too small for it.
std::optional<Point> detourPoint(Point a, Point b, const NeedleBox& box)
{
    const std::int32_t d = kDetour;
    const Point candidates[] = {
        {std::max(a.x, b.x) + d, a.y}, {std::min(a.x, b.x) - d, a.y},
        {a.x, std::max(a.y, b.y) + d}, {a.x, std::min(a.y, b.y) - d},
        {a.x + d, b.y + d}, {a.x + d, b.y - d}, {a.x - d, b.y + d}, {a.x - d, b.y - d},
        {b.x + d, a.y + d}, {b.x + d, a.y - d}, {b.x - d, a.y + d}, {b.x - d, a.y - d},
    };
    std::optional<Point> best;
    std::int64_t shortest = INT64_MAX;
    for (const Point& m : candidates) {
        if (!inside(box, m) || !isMoveStep(a, m) || !isMoveStep(m, b))
            continue;
        const std::int64_t length = std::llabs(std::int64_t(m.x) - a.x) + std::llabs(std::int64_t(m.y) - a.y) +
                                    std::llabs(std::int64_t(b.x) - m.x) + std::llabs(std::int64_t(b.y) - m.y);
        if (length < shortest) {
            shortest = length;
            best = m;
        }
    }
    return best;
}

/// `total` * `piece` / `pieces`, rounded half away from zero.
std::int32_t share(std::int64_t total, std::int64_t piece, std::int64_t pieces)
{
    const std::int64_t scaled = total * piece * 2;
    return std::int32_t(scaled >= 0 ? (scaled + pieces) / (2 * pieces) : -((-scaled + pieces) / (2 * pieces)));
}

/// The label as the header holds it: 16 printable ASCII characters, padded with spaces.
std::string headerLabel(const std::string& label)
{
    std::string text;
    for (const char c : label) {
        if (text.size() == kLabelLength)
            break;
        text += c >= 0x20 && c < 0x7F ? c : '_';
    }
    text.resize(kLabelLength, ' ');
    return text;
}

std::vector<Color> chartColors()
{
    std::vector<Color> colors;
    // Index 65 is the chart's "Not Defined", not a thread.
    for (int index = 1; index < kPecThreadCount; ++index)
        colors.push_back(threadChart().color(index) & 0x00FFFFFF);
    return colors;
}

} // namespace

std::uint8_t chartIndexOf(const BlockThread& thread)
{
    if (thread.chartIndex >= 1 && thread.chartIndex < kPecThreadCount)
        return std::uint8_t(thread.chartIndex);
    static const std::vector<Color> chart = chartColors();
    return std::uint8_t(nearestThread(thread.color & 0x00FFFFFF, chart).index + 1);
}

namespace {

/// What comes between two stitches, held until the next stitch shows whether it leads to
/// one.
struct Held {
    enum class Kind : std::uint8_t { Travel, Trim, ColorChange };
    Kind kind;
    std::int32_t x = 0, y = 0;
    bool trimmed = false;
    std::size_t block = 0;
};

/// More held at once than any design has between two stitches are told without waiting.
constexpr std::size_t kMostHeld = 4096;

} // namespace

void walk(NeedleStream& needles, std::initializer_list<PathEvents*> listeners)
{
    const auto each = [&](auto&& call) {
        for (PathEvents* listener : listeners)
            call(*listener);
    };
    const auto tell = [&](const Held& held) {
        switch (held.kind) {
        case Held::Kind::Travel:
            each([&](PathEvents& l) { l.travel(held.x, held.y, held.trimmed); });
            break;
        case Held::Kind::Trim:
            each([](PathEvents& l) { l.trim(); });
            break;
        case Held::Kind::ColorChange:
            each([&](PathEvents& l) { l.colorChange(held.block); });
            break;
        }
    };
    std::vector<Held> held;
    bool sewing = false;  // a stitch was told
    const auto hold = [&](const Held& event) {
        if (!sewing) {
            // Before the first stitch the needle only gets to it.
            if (event.kind != Held::Kind::ColorChange)
                tell(event);
            return;
        }
        held.push_back(event);
        if (held.size() > kMostHeld) {
            for (const Held& waiting : held)
                tell(waiting);
            held.clear();
        }
    };

    std::int32_t x = 0, y = 0;        // where the needle stands
    std::int32_t toX = 0, toY = 0;    // where the jumps taken since lead
    bool jumping = false, trimmed = false;
    std::size_t block = 0;
    // Jumps in a row are one travel; a cut with no travel after it is told on its own.
    const auto settle = [&] {
        if (jumping && (toX != x || toY != y)) {
            hold({Held::Kind::Travel, toX, toY, trimmed, 0});
            x = toX;
            y = toY;
            trimmed = false;
        }
        jumping = false;
        if (trimmed)
            hold({Held::Kind::Trim});
        trimmed = false;
    };
    // After the last stitch only a cut is worth telling: a travel there sews nothing, and
    // a short one would read back as a stitch.
    const auto finish = [&] {
        settle();
        for (const Held& waiting : held)
            if (waiting.kind == Held::Kind::Trim || (waiting.kind == Held::Kind::Travel && waiting.trimmed))
                tell({Held::Kind::Trim});
        each([](PathEvents& l) { l.end(); });
    };
    Needle needle;
    while (needles.next(needle)) {
        switch (needle.kind) {
        case Needle::Kind::Jump:
            toX = needle.x;
            toY = needle.y;
            jumping = true;
            break;
        case Needle::Kind::Trim:
            trimmed = true;
            break;
        case Needle::Kind::Stitch:
            settle();
            if (!sewing)
                each([&](PathEvents& l) { l.begin(block); });
            sewing = true;
            for (const Held& waiting : held)
                tell(waiting);
            held.clear();
            each([&](PathEvents& l) { l.stitch(needle.x, needle.y); });
            x = needle.x;
            y = needle.y;
            break;
        case Needle::Kind::ColorChange:
            settle();
            hold({Held::Kind::ColorChange, 0, 0, false, ++block});
            break;
        case Needle::Kind::End:
            finish();
            return;
        }
    }
    finish();
}

/// The pictures a machine shows before sewing: the whole design and each listed colour,
/// each inside a frame with rounded corners, the stitches scaled to fit within it.
class Section::Pictures {
public:
    Pictures(const NeedleBox& stitches, std::size_t colors) : m_pictures(colors + 1)
    {
        for (Picture& picture : m_pictures) {
            picture.fill(0);
            drawFrame(picture);
        }
        const double width = stitches.width(), height = stitches.height();
        const double scaleX = width > 0 ? kAreaWidth / width : INFINITY;
        const double scaleY = height > 0 ? kAreaHeight / height : INFINITY;
        m_scale = std::isinf(scaleX) && std::isinf(scaleY) ? 0 : std::min(scaleX, scaleY);
        m_left = kAreaLeft + (kAreaWidth - width * m_scale) / 2 - stitches.minX * m_scale;
        m_top = kAreaTop + (kAreaHeight - height * m_scale) / 2 - stitches.minY * m_scale;
    }

    void stitch(std::int32_t x, std::int32_t y)
    {
        const int px = int(std::lround(m_left + x * m_scale));
        const int py = int(std::lround(m_top + y * m_scale));
        // Most stitches of a dense design stay on the pixel the last one drew.
        if (m_drawing && px == m_px && py == m_py && m_color == m_drawnColor)
            return;
        m_drawnColor = m_color;
        Picture& colorPicture = m_pictures[std::min(m_color + 1, m_pictures.size() - 1)];
        for (Picture* picture : {&m_pictures.front(), &colorPicture}) {
            if (m_drawing)
                line(*picture, m_px, m_py, px, py);
            else
                set(*picture, px, py);
        }
        m_px = px;
        m_py = py;
        m_drawing = true;
    }
    /// The needle left the last stitch without sewing.
    void lift() { m_drawing = false; }
    /// The stitches that follow are drawn in the picture of this colour of the list.
    void drawColor(std::size_t color) { m_color = color; }
    /// The design's picture and those of the first `colors` colours.
    std::span<const Picture> first(std::size_t colors) const
    {
        return std::span(m_pictures).first(std::min(colors + 1, m_pictures.size()));
    }

private:
    // The stitches go in the frame's inside less a margin of two pixels.
    static constexpr double kAreaLeft = 4, kAreaTop = 4, kAreaWidth = 39, kAreaHeight = 29;

    static void set(Picture& picture, int x, int y)
    {
        if (x < 0 || x >= kPictureWidth || y < 0 || y >= kPictureHeight)
            return;
        picture[std::size_t(y * (kPictureWidth / 8) + x / 8)] |= std::uint8_t(1u << (x % 8));
    }

    static void line(Picture& picture, int x0, int y0, int x1, int y1)
    {
        const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
        const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
        int error = dx + dy;
        for (;;) {
            set(picture, x0, y0);
            if (x0 == x1 && y0 == y1)
                return;
            const int twice = 2 * error;
            if (twice >= dy) {
                error += dy;
                x0 += sx;
            }
            if (twice <= dx) {
                error += dx;
                y0 += sy;
            }
        }
    }

    static void drawFrame(Picture& picture)
    {
        const int right = kPictureWidth - 2, bottom = kPictureHeight - 2;  // 46, 36
        line(picture, 4, 1, right - 3, 1);
        line(picture, 4, bottom, right - 3, bottom);
        line(picture, 1, 4, 1, bottom - 3);
        line(picture, right, 4, right, bottom - 3);
        // The corners, cut across.
        line(picture, 2, 3, 3, 2);
        line(picture, right - 2, 2, right - 1, 3);
        line(picture, 2, bottom - 2, 3, bottom - 1);
        line(picture, right - 2, bottom - 1, right - 1, bottom - 2);
    }

    std::vector<Picture> m_pictures;
    double m_scale = 0, m_left = 0, m_top = 0;
    std::size_t m_color = 0;
    std::size_t m_drawnColor = 0;  // the colour of the last stitch drawn
    int m_px = 0, m_py = 0;
    bool m_drawing = false;
};

Section::Section(const WriteInput& input, ByteSink& out)
    : m_out(out), m_threads(input.threads), m_box(input.summary.pathBox), m_offset(out.size())
{
    constexpr std::int32_t kLargest = 32767;  // the header's sizes are signed 16-bit
    if (m_box.width() > kLargest || m_box.height() > kLargest)
        throw ConversionFailure("is larger than a PEC header can give (3,276.7 mm)");
    writeHeader(input);
    // A first movement of nothing, which machines pass over, puts the start point in the
    // box the stream reaches, as the header's sizes count it.
    putStitch(0, 0);
}

Section::~Section() = default;

void Section::writeHeader(const WriteInput& input)
{
    std::array<std::uint8_t, kStreamOffset> header;
    header.fill(0x20);
    const std::string label = "LA:" + headerLabel(input.options.label) + "\r";
    std::copy(label.begin(), label.end(), header.begin());
    header[31] = 0xFF;
    header[32] = 0xFF;
    header[33] = 0x00;
    header[34] = kPictureWidth / 8;
    header[35] = kPictureHeight;
    constexpr std::array<std::uint8_t, 12> kTypical{0x20, 0x20, 0x20, 0x20, 0x64, 0x20, 0x00, 0x20, 0x00, 0x20, 0x20, 0x20};
    std::copy(kTypical.begin(), kTypical.end(), header.begin() + 36);
    // The colour list (offset 48) is patched in at the end, when the blocks sewn are known.
    const auto putLittle = [&](std::size_t at, std::uint32_t value, int width) {
        for (int i = 0; i < width; ++i)
            header[at + std::size_t(i)] = std::uint8_t(value >> (8 * i));
    };
    putLittle(512, 0, 2);
    putLittle(kGraphicsField, 0, 3);  // patched when the stream's length is known
    header[517] = 0x31;
    header[518] = 0xFF;
    header[519] = 0xF0;
    putLittle(520, std::uint32_t(m_box.width()), 2);
    putLittle(522, std::uint32_t(m_box.height()), 2);
    putLittle(524, 0x1E0, 2);
    putLittle(526, 0x1B0, 2);
    // The start point's place from the box's top-left corner, as a long-form move, high
    // byte first: machines place the stream from there. A move holds 2047 at most.
    const auto corner = [&](std::size_t at, std::int32_t value) {
        const std::uint32_t v = std::uint32_t(std::clamp(value, 0, kLongestPart));
        header[at] = std::uint8_t(kLongForm | kJumpFlag | (v >> 8));
        header[at + 1] = std::uint8_t(v & 0xFF);
    };
    corner(528, -m_box.minX);
    corner(530, -m_box.minY);
    m_out.append(header);

    const std::size_t colors = std::clamp<std::size_t>(input.threads.size(), 1, kMostListedColors);
    m_pictures = std::make_unique<Pictures>(input.summary.stitchBox, colors);
}

void Section::putStitch(std::int32_t dx, std::int32_t dy)
{
    if (fitsShort(dx) && fitsShort(dy)) {
        const std::array bytes{std::uint8_t(dx & 0x7F), std::uint8_t(dy & 0x7F)};
        m_out.append(bytes);
        return;
    }
    putMove(dx, dy, 0);
}

void Section::putMove(std::int32_t dx, std::int32_t dy, std::uint8_t flags)
{
    const auto part = [&](std::int32_t v) {
        const std::uint32_t twelve = std::uint32_t(v) & 0x0FFF;
        return std::array{std::uint8_t(kLongForm | flags | (twelve >> 8)), std::uint8_t(twelve & 0xFF)};
    };
    m_out.append(part(dx));
    m_out.append(part(dy));
}

void Section::putMoveInPieces(std::int32_t dx, std::int32_t dy, std::uint8_t flags)
{
    // Equal pieces of at most a long part each; each long enough to read as a move.
    const std::int64_t longest = std::max(std::llabs(dx), std::llabs(dy));
    const std::int64_t pieces = (longest + kLongestPart - 1) / kLongestPart;
    std::int32_t doneX = 0, doneY = 0;
    for (std::int64_t piece = 1; piece <= pieces; ++piece) {
        const std::int32_t x = share(dx, piece, pieces), y = share(dy, piece, pieces);
        putMove(x - doneX, y - doneY, piece == 1 ? flags : kJumpFlag);
        doneX = x;
        doneY = y;
    }
}

void Section::stitch(std::int32_t x, std::int32_t y)
{
    const std::int64_t dx = std::int64_t(x) - m_x, dy = std::int64_t(y) - m_y;
    if (std::max(std::llabs(dx), std::llabs(dy)) > kLongestStitch)
        throw std::logic_error("a PEC stitch longer than a record");
    putStitch(std::int32_t(dx), std::int32_t(dy));
    m_x = x;
    m_y = y;
    m_pictures->stitch(x, y);
}

void Section::travel(std::int32_t x, std::int32_t y, bool trimmed)
{
    const std::uint8_t flags = trimmed ? kTrimFlag : kJumpFlag;
    const Point from{m_x, m_y}, to{x, y};
    const std::int32_t dx = x - m_x, dy = y - m_y;
    if (std::max(std::abs(dx), std::abs(dy)) > kLongestPart) {
        putMoveInPieces(dx, dy, flags);
    } else if (!endsTheStream(dx, dy)) {
        // A travel is a long-form move with its flag, as machines expect it, however short
        // (ORLIKA's reader draws one under 256 units as a line; the proof knows that).
        putMove(dx, dy, flags);
    } else if (const auto via = detourPoint(from, to, m_box)) {
        // 255 beside 0 reads as the stream's end: such a travel goes by way of a point
        // inside the design's box, in two moves.
        putMove(via->x - from.x, via->y - from.y, flags);
        putMove(to.x - via->x, to.y - via->y, kJumpFlag);
    } else {
        // No room for that in a design this small: in two halves, which the reader takes
        // for stitches, so that the proof refuses the file rather than let it end early.
        putMove(dx / 2, dy / 2, flags);
        putMove(dx - dx / 2, dy - dy / 2, kJumpFlag);
    }
    m_x = x;
    m_y = y;
    m_pictures->lift();
}

void Section::trim()
{
    putMove(0, 0, kTrimFlag);
}

void Section::listColor(std::size_t block)
{
    const BlockThread thread = m_threads.empty() ? BlockThread{} : m_threads[std::min(block, m_threads.size() - 1)];
    m_pictures->drawColor(m_colors.size());
    m_colors.push_back(chartIndexOf(thread));
}

void Section::begin(std::size_t block)
{
    listColor(block);
}

void Section::colorChange(std::size_t block)
{
    // The byte after 0xFE 0xB0 alternates 2, 1, 2...
    const std::array<std::uint8_t, 3> change{0xFE, 0xB0, std::uint8_t(m_changes % 2 == 0 ? 2 : 1)};
    m_out.append(change);
    ++m_changes;
    listColor(block);
}

void Section::end()
{
    const std::array<std::uint8_t, 2> end{0xFF, 0x00};
    m_out.append(end);
}

void Section::finish()
{
    const std::uint64_t graphics = m_out.size() - m_offset - kHeaderSize;
    if (graphics > 0xFFFFFF)
        throw ConversionFailure("has more stitches than a PEC section can hold");
    m_out.patchLittleEndian(m_offset + kGraphicsField, graphics, 3);
    // A design that sews nothing still names a thread.
    if (m_colors.empty())
        listColor(0);
    const std::size_t listed = std::min(m_colors.size(), kMostListedColors);
    std::array<std::uint8_t, 1 + kMostListedColors> list;
    list.fill(0x20);
    list[0] = std::uint8_t(listed - 1);
    std::copy_n(m_colors.begin(), listed, list.begin() + 1);
    m_out.patch(m_offset + kColorCountField, list);
    for (const Picture& picture : m_pictures->first(listed))
        m_out.append(picture);
}

} // namespace orlika::pec
