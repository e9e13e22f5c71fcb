// SPDX-License-Identifier: MIT
// Husqvarna Viking / Pfaff VP3: the signature and producer, then nested packets, each a
// tag and the length of what follows it, patched in once known: the design summary (its
// extents and counts) holds the hoop packet (the design centred on the hoop), which holds
// a thread packet per colour block: where the block starts, its thread (colour, catalogue
// number, name, brand) and its run of stitches. Positions are micrometres from the hoop's
// centre with y up; the stitches are 2-byte steps of at most 127 units with y down
// (docs/formats/vp3.md). The records have no jump that does not trim: a move is a trim
// followed by a long step, 80 03 80 01 dx dy 80 02, which this program's reader takes as
// a move and any other long step as a stitch.
#include "encoders/Writers.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace orlika::writers {

namespace {

constexpr std::uint8_t kSummaryTag = 0x02;
constexpr std::uint8_t kHoopTag = 0x03;
constexpr std::uint8_t kThreadTag = 0x05;
constexpr std::uint8_t kStitchesTag = 0x01;
constexpr std::uint8_t kEscape = 0x80;
constexpr std::uint8_t kLongCode = 0x01;
constexpr std::uint8_t kLongEndCode = 0x02;
constexpr std::uint8_t kTrimCode = 0x03;
constexpr std::int64_t kMicrometres = 100;  // in a tenth of a millimetre
constexpr std::string_view kProducer = "Produced by ORLIKA";
constexpr std::uint8_t kRayon = 5;
constexpr std::uint8_t kWeight = 40;

/// UTF-8 text as the 8-bit text of a thread packet: Latin-1, with '?' for what it lacks
/// and for the control characters a reader shows as '?'.
std::string latin1(std::string_view text)
{
    std::string bytes;
    for (std::size_t i = 0; i < text.size() && bytes.size() < std::numeric_limits<std::uint16_t>::max();) {
        const auto lead = std::uint8_t(text[i]);
        std::uint32_t point = lead;
        std::size_t length = 1;
        if (lead >= 0xC0 && lead < 0xE0 && i + 1 < text.size() && (std::uint8_t(text[i + 1]) & 0xC0) == 0x80) {
            point = std::uint32_t(lead & 0x1F) << 6 | (std::uint8_t(text[i + 1]) & 0x3F);
            length = 2;
        } else if (lead >= 0x80) {
            point = '?';  // beyond Latin-1, or not UTF-8
            while (i + length < text.size() && (std::uint8_t(text[i + length]) & 0xC0) == 0x80)
                ++length;
        }
        const bool shown = (point >= 0x20 && point < 0x7F) || (point >= 0xA0 && point <= 0xFF);
        bytes.push_back(shown ? char(point) : '?');
        i += length;
    }
    return bytes;
}

/// The description a thread packet gives: none where the name is only what a reader
/// shows for a thread without one (its brand and number, else its colour "#RRGGBB").
std::string description(const BlockThread& thread)
{
    std::string shown = thread.brand;
    if (!shown.empty() && !thread.code.empty())
        shown += ' ';
    shown += thread.code;
    if (shown.empty()) {
        char color[8];
        std::snprintf(color, sizeof color, "#%02X%02X%02X", unsigned(redOf(thread.color)), unsigned(greenOf(thread.color)),
                      unsigned(blueOf(thread.color)));
        shown = color;
    }
    return shown == thread.name ? std::string() : thread.name;
}

/// Big-endian numbers and texts, and packets whose lengths are patched in when they end.
class PacketWriter {
public:
    explicit PacketWriter(ByteSink& out) : m_out(out) {}

    void i32(std::int64_t value) { m_out.putBigEndian(std::uint32_t(std::int32_t(value)), 4); }
    void u16(std::uint64_t value) { m_out.putBigEndian(value, 2); }
    void text8(std::string_view text)
    {
        const std::string bytes = latin1(text);
        u16(bytes.size());
        m_out.putText(bytes);
    }
    /// An ASCII text as UTF-16BE.
    void text16(std::string_view text)
    {
        u16(2 * text.size());
        for (const char c : text) {
            m_out.put(0);
            m_out.put(std::uint8_t(c));
        }
    }
    /// The tag and a length to patch; returns where the length lies.
    std::uint64_t open(std::uint8_t tag)
    {
        const std::array<std::uint8_t, 3> mark{0, tag, 0};
        m_out.append(mark);
        const std::uint64_t at = m_out.size();
        m_out.putZeros(4);
        return at;
    }
    void close(std::uint64_t lengthAt)
    {
        const std::uint64_t length = m_out.size() - lengthAt - 4;
        if (length > std::numeric_limits<std::uint32_t>::max())
            throw ConversionFailure("is longer than a VP3 packet can hold (4 GB)");
        m_out.patchBigEndian(lengthAt, length, 4);
    }
    ByteSink& out() { return m_out; }

private:
    ByteSink& m_out;
};

/// Where the design sits: its stitches' box centred on the hoop, y turned up.
struct Frame {
    std::int64_t centreX = 0, centreY = 0;
    std::int64_t x(std::int64_t pathX) const { return (pathX - centreX) * kMicrometres; }
    std::int64_t y(std::int64_t pathY) const { return (centreY - pathY) * kMicrometres; }
};

/// Whether every point of the path lies where a packet's 32 bits can place it.
bool placeable(const NeedleBox& box, const Frame& frame)
{
    constexpr std::int64_t kMost = std::numeric_limits<std::int32_t>::max();
    return std::max({std::llabs(frame.x(box.minX)), std::llabs(frame.x(box.maxX)), std::llabs(frame.y(box.minY)),
                     std::llabs(frame.y(box.maxY))}) <= kMost;
}

void putSummary(PacketWriter& p, const NeedleSummary& summary, const Frame& frame)
{
    const NeedleBox& box = summary.stitchBox;
    p.text16("");  // the settings
    for (const std::int64_t v : {frame.x(box.maxX), frame.y(box.minY), frame.x(box.minX), frame.y(box.maxY)})
        p.i32(box.empty ? 0 : v);
    p.out().putBigEndian(std::uint64_t(std::min<std::int64_t>(summary.stitches, std::numeric_limits<std::uint32_t>::max())), 4);
    p.u16(std::uint64_t(summary.colorChanges));
    p.out().put(12);
    p.u16(1);
}

void putHoop(PacketWriter& p, const NeedleSummary& summary, const Frame& frame)
{
    const NeedleBox& box = summary.stitchBox;
    p.i32(0);  // the hoop's centre, where the design's centre lies
    p.i32(0);
    p.out().putZeros(3);
    for (const std::int64_t v : {frame.x(box.minX), frame.x(box.maxX), frame.y(box.maxY), frame.y(box.minY),
                                 std::int64_t(box.width()) * kMicrometres, std::int64_t(box.height()) * kMicrometres})
        p.i32(box.empty ? 0 : v);
    p.text16("");  // the settings again
    p.out().put(100);
    p.out().put(100);
    for (const std::int64_t v : {4096, 0, 0, 4096})
        p.i32(v);
    const std::array<std::uint8_t, 6> mark{'x', 'x', 'P', 'P', 1, 0};
    p.out().append(mark);
    p.text16(kProducer);
    p.u16(summary.blockColors.size());
}

/// The colour blocks' thread packets, written as the needles come.
class Blocks {
public:
    Blocks(PacketWriter& p, std::span<const BlockThread> threads, const Frame& frame)
        : m_p(p), m_threads(threads), m_frame(frame)
    {
    }

    /// A new block, starting where the needle stands.
    void open(std::int32_t x, std::int32_t y)
    {
        m_packet = m_p.open(kThreadTag);
        m_startX = x;
        m_startY = y;
        m_p.i32(m_frame.x(x));
        m_p.i32(m_frame.y(y));
        const BlockThread thread = m_block < m_threads.size() ? m_threads[m_block] : BlockThread{};
        const std::array<std::uint8_t, 8> color{1, 0, redOf(thread.color), greenOf(thread.color), blueOf(thread.color),
                                                0, 0, 0};  // one colour entry, no transition, no parts or length
        m_p.out().append(color);
        m_p.out().put(kRayon);
        m_p.out().put(kWeight);
        m_p.text8(thread.code);
        m_p.text8(description(thread));
        m_p.text8(thread.brand);
        m_shiftAt = m_p.out().size();
        m_p.out().putZeros(8);  // from the block's start to its end, patched in at its end
        m_run = m_p.open(kStitchesTag);
        const std::array<std::uint8_t, 3> runStart{0x0A, 0xF6, 0x00};
        m_p.out().append(runStart);
        m_trimmed = false;
    }

    /// Ends the block, which ended with the needle at (x, y).
    void close(std::int32_t x, std::int32_t y)
    {
        m_p.close(m_run);
        m_p.out().put(0);
        m_p.close(m_packet);
        m_p.out().patchBigEndian(m_shiftAt, std::uint32_t(std::int32_t(m_frame.x(x) - m_frame.x(m_startX))), 4);
        m_p.out().patchBigEndian(m_shiftAt + 4, std::uint32_t(std::int32_t(m_frame.y(y) - m_frame.y(m_startY))), 4);
        ++m_block;
    }

    void stitch(std::int64_t dx, std::int64_t dy)
    {
        if (std::max(std::llabs(dx), std::llabs(dy)) > 127)
            throw std::logic_error("a VP3 stitch longer than a record");
        const std::array bytes{std::uint8_t(std::int8_t(dx)), std::uint8_t(std::int8_t(dy))};
        m_p.out().append(bytes);
        m_trimmed = false;
    }
    void trim()
    {
        if (m_trimmed)
            return;
        const std::array<std::uint8_t, 2> bytes{kEscape, kTrimCode};
        m_p.out().append(bytes);
        m_trimmed = true;
    }
    /// A move: a long step right after a trim.
    void move(std::int64_t dx, std::int64_t dy)
    {
        if (std::max(std::llabs(dx), std::llabs(dy)) > std::numeric_limits<std::int16_t>::max())
            throw std::logic_error("a VP3 move longer than a long step");
        trim();
        const auto high = [](std::int64_t v) { return std::uint8_t(std::uint16_t(v) >> 8); };
        const std::array bytes{kEscape, kLongCode,    high(dx), std::uint8_t(dx), high(dy), std::uint8_t(dy),
                               kEscape, kLongEndCode};
        m_p.out().append(bytes);
        m_trimmed = false;
    }

private:
    PacketWriter& m_p;
    std::span<const BlockThread> m_threads;
    Frame m_frame;
    std::size_t m_block = 0;
    std::uint64_t m_packet = 0, m_run = 0, m_shiftAt = 0;
    std::int32_t m_startX = 0, m_startY = 0;
    bool m_trimmed = false;  // the last record is a trim
};

} // namespace

void writeVp3(const WriteInput& input, NeedleStream& needles, ByteSink& out)
{
    const NeedleSummary& summary = input.summary;
    if (summary.blockColors.size() > std::numeric_limits<std::uint16_t>::max())
        throw ConversionFailure("has more colour changes than a VP3 file can hold (65,534)");
    const NeedleBox& stitches = summary.stitchBox;
    const Frame frame = stitches.empty ? Frame{}
                                       : Frame{stitches.minX + stitches.width() / 2, stitches.minY + stitches.height() / 2};
    if (!placeable(summary.pathBox, frame))
        throw ConversionFailure("is larger than a VP3 file can place (2,147 m)");

    PacketWriter p(out);
    const std::array<std::uint8_t, 6> signature{'%', 'v', 's', 'm', '%', 0};
    out.append(signature);
    p.text16(kProducer);
    const std::uint64_t design = p.open(kSummaryTag);
    putSummary(p, summary, frame);
    const std::uint64_t hoop = p.open(kHoopTag);
    putHoop(p, summary, frame);

    Blocks blocks(p, input.threads, frame);
    std::int32_t x = 0, y = 0;
    blocks.open(x, y);
    Needle needle;
    while (needles.next(needle) && needle.kind != Needle::Kind::End) {
        const std::int64_t dx = std::int64_t(needle.x) - x, dy = std::int64_t(needle.y) - y;
        switch (needle.kind) {
        case Needle::Kind::Stitch:
            blocks.stitch(dx, dy);
            break;
        case Needle::Kind::Jump:
            if (dx != 0 || dy != 0)
                blocks.move(dx, dy);
            break;
        case Needle::Kind::Trim:
            blocks.trim();
            break;
        case Needle::Kind::ColorChange:
            blocks.close(x, y);
            blocks.open(x, y);
            break;
        case Needle::Kind::End:
            break;
        }
        if (needle.kind == Needle::Kind::Stitch || needle.kind == Needle::Kind::Jump) {
            x = needle.x;
            y = needle.y;
        }
    }
    blocks.close(x, y);
    p.close(hoop);
    p.close(design);
}

} // namespace orlika::writers
