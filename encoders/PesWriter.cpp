// SPDX-License-Identifier: MIT
// Brother PES: a header ("#PES0001", or "#PES0060" with its thread list), the design as
// one CEmbOne / CSewSeg object for Brother's design software, and the PEC section that
// machines sew from (docs/formats/pes.md).
#include "encoders/Pec.h"
#include "encoders/Writers.h"

#include <algorithm>
#include <bit>
#include <stdexcept>
#include <string>
#include <tuple>

namespace orlika::writers {

namespace {

// Software places a version 1 design by its hoop's centre, at 1000, 1000 on its page.
constexpr std::int32_t kPageCentre = 1000;
constexpr std::uint64_t kPecOffsetField = 8;
/// The points a segment holds at most, its start point included.
constexpr std::int64_t kSegmentPoints = 1000;
constexpr std::uint16_t kStitchSegment = 0;
constexpr std::uint16_t kJumpSegment = 1;
constexpr std::uint16_t kMoreSegments = 0x8003;

/// The hoop a design's stitches fit: 100 x 100 mm, else 130 x 180 mm.
struct Hoop {
    bool small = true;
    int widthMm() const { return small ? 100 : 130; }
    int heightMm() const { return small ? 100 : 180; }
};

Hoop hoopOf(const NeedleSummary& summary)
{
    return {summary.stitchBox.width() <= 1000 && summary.stitchBox.height() <= 1000};
}

void putFloat(ByteSink& out, float value)
{
    out.putLittleEndian(std::bit_cast<std::uint32_t>(value), 4);
}

void putName(ByteSink& out, std::string_view name)
{
    out.putLittleEndian(name.size(), 2);
    out.putText(name);
}

/// A text of version 6: a length byte and at most 255 printable ASCII characters (others
/// become '_').
void putShortText(ByteSink& out, std::string_view text)
{
    std::string ascii;
    for (const char c : text.substr(0, 255))
        ascii += c >= 0x20 && c < 0x7F ? c : '_';
    out.put(std::uint8_t(ascii.size()));
    out.putText(ascii);
}

/// The room the segments can take at most: every jump a travel of its own between two
/// stitch segments, every colour change and every full segment one more.
std::uint64_t segmentRoom(const NeedleSummary& summary)
{
    const auto travels = std::uint64_t(summary.jumps);
    const auto changes = std::uint64_t(summary.colorChanges);
    const auto stitches = std::uint64_t(summary.stitches);
    const std::uint64_t segments = 1 + travels + changes + stitches / (kSegmentPoints - 1);
    const std::uint64_t headers = (segments + travels) * (6 + 2);
    const std::uint64_t points = travels * 8 + segments * 4 + stitches * 4;
    const std::uint64_t colorList = 2 + 4 * (changes + 1) + 4;
    return headers + points + colorList;
}

/// The CSewSeg object's segments, written as the path is walked into room kept for them
/// ahead of the PEC section: stitch segments from where the needle stands, a jump segment
/// for each travel, a new segment at each colour change, then the list of where each
/// thread starts. Points are placed from the design box's top-left corner.
class SewSegments final : public pec::PathEvents {
public:
    SewSegments(ByteSink& out, std::uint64_t room, std::uint64_t roomSize, const NeedleBox& box,
                std::vector<std::uint16_t> blockColors)
        : m_out(out), m_room(room), m_roomSize(roomSize), m_originX(box.minX), m_originY(box.minY),
          m_blockColors(std::move(blockColors))
    {
    }

    void stitch(std::int32_t x, std::int32_t y) override
    {
        if (m_open && m_points == kSegmentPoints)
            close();
        if (!m_open)
            open(kStitchSegment);
        point(x, y);
        m_x = x;
        m_y = y;
    }

    void travel(std::int32_t x, std::int32_t y, bool /*trimmed*/) override
    {
        // What leads to the first stitch is not sewn: the first segment starts there.
        if (m_segments > 0) {
            close();
            open(kJumpSegment);
            point(x, y);
            close();
        }
        m_x = x;
        m_y = y;
    }

    void trim() override {}

    void begin(std::size_t block) override { m_block = block; }

    void colorChange(std::size_t block) override
    {
        close();
        m_block = block;
    }

    void end() override { close(); }

    /// Writes the thread list after the segments; returns how many segments there are.
    std::uint64_t finish()
    {
        put(m_colorList.size());
        for (const auto& [segment, color] : m_colorList) {
            put(segment);
            put(color);
        }
        put(0);
        put(0);
        flush();
        return m_segments;
    }

private:
    std::uint16_t color() const
    {
        return m_blockColors.empty() ? 0 : m_blockColors[std::min(m_block, m_blockColors.size() - 1)];
    }

    void open(std::uint16_t type)
    {
        if (m_segments > 0)
            put(kMoreSegments);
        if (type == kStitchSegment && (m_colorList.empty() || m_colorList.back().second != color()))
            m_colorList.emplace_back(std::uint16_t(m_segments), color());
        if (m_segments == 0xFFFF)
            throw ConversionFailure("has more pieces than a PES file can count (65,535)");
        ++m_segments;
        put(type);
        put(color());
        m_countAt = m_used;
        put(0);
        m_points = 0;
        m_open = true;
        point(m_x, m_y);
    }

    void close()
    {
        if (!m_open)
            return;
        m_open = false;
        if (m_countAt >= m_flushed) {
            m_buffer[std::size_t(m_countAt - m_flushed)] = std::uint8_t(m_points);
            m_buffer[std::size_t(m_countAt - m_flushed + 1)] = std::uint8_t(m_points >> 8);
        } else {
            m_out.patchLittleEndian(m_room + m_countAt, std::uint64_t(m_points), 2);
        }
    }

    void point(std::int32_t x, std::int32_t y)
    {
        put(std::uint16_t(std::int16_t(x - m_originX)));
        put(std::uint16_t(std::int16_t(y - m_originY)));
        ++m_points;
    }

    void put(std::uint64_t value)
    {
        if (m_used + 2 > m_roomSize)
            throw std::logic_error("the PES segments outgrew the room kept for them");
        m_buffer.push_back(std::uint8_t(value));
        m_buffer.push_back(std::uint8_t(value >> 8));
        m_used += 2;
        if (m_buffer.size() >= kBufferSize)
            flush();
    }

    void flush()
    {
        if (m_buffer.empty())
            return;
        m_out.patch(m_room + m_flushed, m_buffer);
        m_flushed += m_buffer.size();
        m_buffer.clear();
    }

    static constexpr std::size_t kBufferSize = 8192;

    ByteSink& m_out;
    std::uint64_t m_room, m_roomSize;
    std::int32_t m_originX, m_originY;
    std::vector<std::uint16_t> m_blockColors;
    std::vector<std::uint8_t> m_buffer;
    std::uint64_t m_used = 0, m_flushed = 0;
    std::uint64_t m_countAt = 0;
    std::uint64_t m_segments = 0;
    std::int64_t m_points = 0;
    bool m_open = false;
    std::size_t m_block = 0;
    std::int32_t m_x = 0, m_y = 0;
    std::vector<std::pair<std::uint16_t, std::uint16_t>> m_colorList;
};

/// The CEmbOne object: where the design lies on the software's page and how large it is;
/// returns where its segment count is, for patching.
std::uint64_t putEmbOne(ByteSink& out, const NeedleBox& box)
{
    const std::int32_t width = box.width(), height = box.height();
    const std::int32_t left = kPageCentre - width / 2, top = kPageCentre - height / 2;
    putName(out, "CEmbOne");
    for (int copy = 0; copy < 2; ++copy) {
        out.putLittleEndian(std::uint16_t(left), 2);
        out.putLittleEndian(std::uint16_t(top), 2);
        out.putLittleEndian(std::uint16_t(left + width), 2);
        out.putLittleEndian(std::uint16_t(top + height), 2);
    }
    // The transform from the segments' points to the page: a move only.
    for (const float value : {1.0f, 0.0f, 0.0f, 1.0f, float(left), float(top)})
        putFloat(out, value);
    out.putLittleEndian(1, 2);
    out.putLittleEndian(0, 2);
    out.putLittleEndian(0, 2);
    out.putLittleEndian(std::uint16_t(width), 2);
    out.putLittleEndian(std::uint16_t(height), 2);
    out.putZeros(8);
    const std::uint64_t segmentCount = out.size();
    out.putLittleEndian(0, 2);
    out.putLittleEndian(0xFFFF, 2);  // an object follows
    out.putLittleEndian(0, 2);
    return segmentCount;
}

/// The object and the PEC section after the header, which ends with its PEC offset at
/// `start` + 8; `blockColors` are the threads the segments name.
void writeObjectAndPec(const WriteInput& input, NeedleStream& needles, ByteSink& out, std::uint64_t start,
                       std::vector<std::uint16_t> blockColors)
{
    const std::uint64_t segmentCount = putEmbOne(out, input.summary.pathBox);
    putName(out, "CSewSeg");
    const std::uint64_t room = out.size();
    const std::uint64_t roomSize = segmentRoom(input.summary);
    out.putZeros(roomSize);
    pec::Section section(input, out);
    out.patchLittleEndian(start + kPecOffsetField, section.offset() - start, 4);
    SewSegments segments(out, room, roomSize, input.summary.pathBox, std::move(blockColors));
    pec::walk(needles, {&section, &segments});
    section.finish();
    out.patchLittleEndian(segmentCount, segments.finish(), 2);
}

} // namespace

void writePes1(const WriteInput& input, NeedleStream& needles, ByteSink& out)
{
    const std::uint64_t start = out.size();
    out.putText("#PES0001");
    out.putLittleEndian(0, 4);  // the PEC section's offset, patched
    out.putLittleEndian(hoopOf(input.summary).small ? 0 : 1, 2);
    out.putLittleEndian(1, 2);  // the design keeps its own place
    out.putLittleEndian(1, 2);  // one object
    out.putLittleEndian(0xFFFF, 2);
    out.putLittleEndian(0, 2);
    // A version 1 object names its threads by the chart, as the PEC section does.
    std::vector<std::uint16_t> colors;
    for (const BlockThread& thread : input.threads)
        colors.push_back(pec::chartIndexOf(thread));
    writeObjectAndPec(input, needles, out, start, std::move(colors));
}

void writePes6(const WriteInput& input, NeedleStream& needles, ByteSink& out)
{
    const std::uint64_t start = out.size();
    out.putText("#PES0060");
    out.putLittleEndian(0, 4);  // the PEC section's offset, patched
    out.putLittleEndian(1, 2);
    out.putText("01");
    // The design's name, category, author, keywords and comments.
    putShortText(out, input.options.label);
    for (int i = 0; i < 4; ++i)
        putShortText(out, "");
    out.putZeros(4);
    const Hoop hoop = hoopOf(input.summary);
    out.putLittleEndian(std::uint16_t(hoop.widthMm()), 2);
    out.putLittleEndian(std::uint16_t(hoop.heightMm()), 2);
    // The settings of the software's page, as descriptions find them in its files.
    for (const std::uint16_t value : {0, 200, 200, 100, 100, 100, 7, 19, 0, 1, 0, 100})
        out.putLittleEndian(value, 2);
    out.put(1);
    out.putZeros(4);
    putFloat(out, 1.0f);
    out.putZeros(8);
    putFloat(out, 1.0f);
    out.putZeros(14);

    // Each thread once, in the order first sewn; the object names them by their place.
    std::vector<const BlockThread*> threads;
    std::vector<std::uint16_t> blockThreads;
    const auto same = [](const BlockThread& a, const BlockThread& b) {
        return std::tie(a.color, a.name, a.code, a.brand) == std::tie(b.color, b.name, b.code, b.brand);
    };
    for (const BlockThread& thread : input.threads) {
        auto found = std::find_if(threads.begin(), threads.end(), [&](const BlockThread* t) { return same(*t, thread); });
        if (found == threads.end())
            found = threads.insert(threads.end(), &thread);
        blockThreads.push_back(std::uint16_t(found - threads.begin()));
    }
    if (threads.size() > 0xFFFF)
        throw ConversionFailure("has more threads than a PES file can list (65,535)");
    out.putLittleEndian(threads.size(), 2);
    for (const BlockThread* thread : threads) {
        putShortText(out, thread->code);
        out.put(redOf(thread->color));
        out.put(greenOf(thread->color));
        out.put(blueOf(thread->color));
        out.put(0);
        out.putLittleEndian(0x0A, 4);
        putShortText(out, thread->name);
        putShortText(out, thread->brand);
        putShortText(out, "");  // the chart
    }
    out.putLittleEndian(1, 2);  // one object
    out.putLittleEndian(0xFFFF, 2);
    out.putLittleEndian(0, 2);
    writeObjectAndPec(input, needles, out, start, std::move(blockThreads));
}

} // namespace orlika::writers
