// SPDX-License-Identifier: MIT
// The VP3 reader: the packet layout is walked once for the blocks and their threads; then
// the blocks' runs are read twice (sizing, then the movements) through one buffer.
#include "decoders/Vp3.h"

#include "decoders/Extents.h"
#include "platform/FileSystem.h"
#include "platform/Rounding.h"

#include <array>
#include <cstdio>
#include <limits>
#include <optional>

namespace orlika {

namespace vp3 {

namespace {

constexpr std::array<std::uint8_t, kSignatureSize> kSignature{'%', 'v', 's', 'm', '%', 0};

// Big-endian numbers, texts and packets from the cursor, inside the packet being read:
// anything that would run past its end (or the file's) marks the layout damaged, and
// from then on every read gives 0.
class PacketReader {
public:
    explicit PacketReader(ByteCursor& cursor) : m_cursor(cursor), m_end(cursor.size()) {}

    bool damaged() const { return m_damaged; }
    std::int64_t position() const { return m_cursor.position(); }
    std::int64_t end() const { return m_end; }
    void setEnd(std::int64_t end) { m_end = end; }

    std::uint32_t number(std::size_t width)
    {
        std::array<std::uint8_t, 4> bytes{};
        if (!take(std::span(bytes).first(width)))
            return 0;
        std::uint32_t value = 0;
        for (std::size_t k = 0; k < width; ++k)
            value = value << 8 | bytes[k];
        return value;
    }
    std::int32_t signedNumber() { return std::int32_t(number(4)); }

    void skip(std::int64_t count)
    {
        if (fits(count))
            m_cursor.skip(count);
    }
    /// Marks the layout damaged unless `holds`.
    void require(bool holds) { m_damaged = m_damaged || !holds; }

    /// A text: a u16 byte count and the bytes.
    std::vector<std::uint8_t> text()
    {
        const std::uint32_t length = number(2);
        if (!fits(length))
            return {};
        std::vector<std::uint8_t> bytes(length);
        take(bytes);
        return bytes;
    }
    void skipText() { skip(number(2)); }

    /// Opens the packet `tag` at the position: checks the tag and that its length stays
    /// inside the packet being read; returns where it ends.
    std::int64_t openPacket(std::uint8_t tag)
    {
        const std::uint32_t mark = number(3);
        const std::uint32_t length = number(4);
        if (mark != std::uint32_t(tag) << 8 || !fits(length))
            m_damaged = true;
        return m_damaged ? position() : position() + length;
    }

private:
    bool fits(std::int64_t count)
    {
        if (m_damaged || count < 0 || count > m_end - position())
            m_damaged = true;
        return !m_damaged;
    }
    bool take(std::span<std::uint8_t> out)
    {
        if (!fits(std::int64_t(out.size())) || m_cursor.bytes(out) != out.size())
            m_damaged = true;
        return !m_damaged;
    }

    ByteCursor& m_cursor;
    std::int64_t m_end;
    bool m_damaged = false;
};

std::string hexColor(Color color)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", unsigned(redOf(color)), unsigned(greenOf(color)),
                  unsigned(blueOf(color)));
    return text;
}

// A thread packet from after its length: the block's start, the colour (the first entry of
// a variegated thread), the texts, and where its run of stitches lies.
void readThreadPacket(PacketReader& in, Block& block, ThreadPacket& thread)
{
    block.startX = in.signedNumber();
    block.startY = in.signedNumber();
    const std::uint32_t entries = in.number(1);
    in.skip(1);  // transition
    for (std::uint32_t k = 0; k < entries; ++k) {
        const std::uint32_t value = in.number(3);
        if (k == 0)
            thread.color = rgb(std::uint8_t(value >> 16), std::uint8_t(value >> 8), std::uint8_t(value));
        in.skip(3);  // parts, length
    }
    in.skip(2);  // material, weight
    thread.catalogNumber = latin1ToUtf8(in.text());
    thread.description = latin1ToUtf8(in.text());
    thread.brand = latin1ToUtf8(in.text());
    in.skip(8);  // the displacement to the next block
    const std::int64_t runEnd = in.openPacket(kStitchesTag);
    in.skip(3);  // 0A F6 00, counted in the run's length
    block.runStart = in.position();
    block.runEnd = runEnd;
    in.require(block.runStart <= block.runEnd);
}

} // namespace

std::string latin1ToUtf8(std::span<const std::uint8_t> bytes)
{
    std::string text;
    text.reserve(bytes.size());
    for (const std::uint8_t b : bytes) {
        if (b >= 0x20 && b < 0x7F) {
            text.push_back(char(b));
        } else if (b >= 0xA0) {
            text.push_back(char(0xC0 | b >> 6));
            text.push_back(char(0x80 | (b & 0x3F)));
        } else {
            text.push_back('?');
        }
    }
    return text;
}

std::string threadName(const ThreadPacket& thread)
{
    if (!thread.description.empty())
        return thread.description;
    std::string name = thread.brand;
    if (!name.empty() && !thread.catalogNumber.empty())
        name += ' ';
    name += thread.catalogNumber;
    return name.empty() ? hexColor(thread.color) : name;
}

LayoutStatus readLayout(ByteCursor& cursor, Layout& layout)
{
    layout = {};
    cursor.seek(0);
    std::array<std::uint8_t, kSignatureSize> signature{};
    if (cursor.bytes(signature) != signature.size() || signature != kSignature)
        return LayoutStatus::UnknownFormat;
    PacketReader in(cursor);
    in.skipText();  // the producer
    in.setEnd(in.openPacket(kSummaryTag));
    in.skipText();  // the settings
    in.skip(4 * 4 + 4 + 2 + 1 + 2);  // extents, stitch estimate, thread changes, 12, 1
    in.setEnd(in.openPacket(kHoopTag));
    in.skip(4 + 4 + 3 + 6 * 4);  // centre, zeros, hoop sizes
    in.skipText();
    in.skip(2 + 4 * 4 + 6);  // 100 100, the transform, xxPP 01 00
    in.skipText();           // the producer again
    const std::uint32_t count = in.number(2);
    if (in.damaged())
        return LayoutStatus::Damaged;
    // The count is 16 bits; each packet takes bytes of the hoop packet, so a count the
    // packet cannot hold ends in a damaged packet before it allocates much.
    const std::int64_t hoopEnd = in.end();
    for (std::uint32_t i = 0; i < count; ++i) {
        in.setEnd(hoopEnd);
        const std::int64_t packetEnd = in.openPacket(kThreadTag);
        in.setEnd(packetEnd);
        Block block;
        ThreadPacket thread;
        readThreadPacket(in, block, thread);
        if (in.damaged())
            return LayoutStatus::Damaged;
        layout.blocks.push_back(block);
        layout.threads.push_back(std::move(thread));
        in.setEnd(hoopEnd);
        in.skip(packetEnd - in.position());
    }
    return in.damaged() ? LayoutStatus::Damaged : LayoutStatus::Ok;
}

namespace {

// The movements of the blocks in order: a colour change before every block but the first
// (the design's start colour is the first block's), a move to the block's start, then its
// run. A long displacement right after a trim moves; any other one sews. After the last
// block the design ends.
class Movements {
public:
    Movements(ByteCursor& cursor, const Layout& layout) : m_cursor(cursor), m_layout(layout) {}

    /// Hands the next movements to emit(step, dx, dy, color), at most `room` of them
    /// (two or more); false once the design has ended.
    template <typename Emit>
    bool more(std::size_t room, Emit&& emit)
    {
        if (m_ended)
            return false;
        if (!m_inRun)
            return startBlock(emit);
        const std::size_t stitches = takeStitches(room, emit);
        if (stitches > 0) {
            m_afterTrim = false;
            return true;
        }
        const Record record = decodeRecord(m_cursor.peek(kLongestRecord));
        m_cursor.skip(record.size);
        switch (record.kind) {
        case RecordKind::Stitch:
            sew(Step::Stitch, record.dx, record.dy, emit);
            break;
        case RecordKind::Long:
            sew(m_afterTrim ? Step::Jump : Step::Stitch, record.dx, record.dy, emit);
            break;
        case RecordKind::LongEnd:
            break;
        case RecordKind::Trim:
            emit(Step::Trim, 0.0f, 0.0f, Color{0});
            m_afterTrim = true;
            return true;
        case RecordKind::Unknown:
        case RecordKind::Incomplete:
            // The block's run stops at an unknown command or a cut record; the next block follows.
            m_inRun = false;
            ++m_block;
            break;
        }
        m_afterTrim = false;
        return true;
    }

private:
    template <typename Emit>
    bool startBlock(Emit& emit)
    {
        m_cursor.limitTo(ByteCursor::kNoLimit);
        if (m_block >= m_layout.blocks.size()) {
            emit(Step::End, 0.0f, 0.0f, Color{0});
            m_ended = true;
            return true;
        }
        const Block& block = m_layout.blocks[m_block];
        if (m_block > 0)
            emit(Step::ColorChange, 0.0f, 0.0f, m_layout.threads[m_block].color);
        // The step from where the pen stands to the block's start, in 0.1 mm.
        const float dx = toSingle((double(block.startX) - double(m_x)) / kMicrometresPerUnit);
        const float dy = toSingle((double(block.startY) - double(m_y)) / kMicrometresPerUnit);
        emit(Step::Move, dx, dy, Color{0});
        m_x = block.startX;
        m_y = block.startY;
        m_cursor.seek(block.runStart);
        m_cursor.limitTo(block.runEnd);
        m_inRun = true;
        m_afterTrim = false;
        return true;
    }

    template <typename Emit>
    void sew(Step step, int dx, int dy, Emit& emit)
    {
        emit(step, float(dx), float(dy), Color{0});
        m_x += std::int64_t(dx) * std::int64_t(kMicrometresPerUnit);
        m_y += std::int64_t(dy) * std::int64_t(kMicrometresPerUnit);
    }

    // The run of plain stitches from the cursor, straight from the buffered bytes.
    template <typename Emit>
    std::size_t takeStitches(std::size_t most, Emit& emit)
    {
        if (m_cursor.peek(2).size() != 2)
            return 0;
        const std::span<const std::uint8_t> bytes = m_cursor.buffered();
        const std::size_t records = bytes.size() / 2 < most ? bytes.size() / 2 : most;
        std::int64_t sumX = 0, sumY = 0;
        std::size_t taken = 0;
        while (taken < 2 * records && bytes[taken] != kEscape) {
            const int dx = std::int8_t(bytes[taken]), dy = -std::int8_t(bytes[taken + 1]);
            emit(Step::Stitch, float(dx), float(dy), Color{0});
            sumX += dx;
            sumY += dy;
            taken += 2;
        }
        m_x += sumX * std::int64_t(kMicrometresPerUnit);
        m_y += sumY * std::int64_t(kMicrometresPerUnit);
        m_cursor.skip(std::int64_t(taken));
        return taken / 2;
    }

    ByteCursor& m_cursor;
    const Layout& m_layout;
    std::size_t m_block = 0;
    std::int64_t m_x = 0;  // where the pen stands, micrometres from the hoop's centre
    std::int64_t m_y = 0;
    bool m_inRun = false;
    bool m_afterTrim = false;
    bool m_ended = false;
};

// What the sizing pass finds: the extents of exactly the points the movements reach (the
// hoop's centre, where the pen starts, is not a point of the design: the first block
// starts with a move) and the stitches and colour changes counted.
struct Figures {
    Extents extents{std::numeric_limits<float>::max(), std::numeric_limits<float>::lowest(),
                    std::numeric_limits<float>::max(), std::numeric_limits<float>::lowest()};
    std::int64_t stitches = 0;
    std::int64_t colorChanges = 0;
};

Figures measure(ByteCursor& cursor, const Layout& layout)
{
    Figures figures;
    float x = 0, y = 0;
    bool reached = false;
    Movements movements(cursor, layout);
    const auto visit = [&](Step step, float dx, float dy, Color) {
        switch (step) {
        case Step::Stitch:
            ++figures.stitches;
            [[fallthrough]];
        case Step::Move:
        case Step::Jump:
            x = toSingle(double(x) + dx);
            y = toSingle(double(y) + dy);
            figures.extents.include(x, y);
            reached = true;
            break;
        case Step::ColorChange:
            ++figures.colorChanges;
            break;
        case Step::Trim:
        case Step::End:
            break;
        }
    };
    while (movements.more(std::numeric_limits<std::size_t>::max(), visit)) {
    }
    cursor.limitTo(ByteCursor::kNoLimit);
    if (!reached)
        figures.extents = {};
    return figures;
}

constexpr std::size_t kBufferSize = 4096;
constexpr const char* kCaption = "VP3 File Format Error";

class Decoder final : public DesignDecoder {
public:
    Decoder(DesignFile& file, const std::string& path) : m_cursor(file, m_buffer), m_name(namePart(path)) {}

    bool readHeader(Design& design) override
    {
        switch (readLayout(m_cursor, m_layout)) {
        case LayoutStatus::UnknownFormat:
            design.messages.push_back({m_name + " Has an Unknown File Format", kCaption});
            design.rejection = Rejection{"Unknown Format"};
            return false;
        case LayoutStatus::Damaged:
            design.messages.push_back({m_name + " Has a Bad File Format", kCaption});
            design.rejection = Rejection{"Bad Format"};
            return false;
        case LayoutStatus::Ok:
            break;
        }
        for (const ThreadPacket& thread : m_layout.threads)
            design.threads.push_back({thread.color, threadName(thread), thread.catalogNumber, thread.brand});
        design.startColor = design.threads.empty() ? Black : design.threads.front().color;
        return true;
    }

    void measure(Design& design) override
    {
        const Figures figures = vp3::measure(m_cursor, m_layout);
        describeExtents(design, figures.extents, figures.stitches, figures.colorChanges);
        if (figures.stitches > 0)
            listNumberedThreads(design, design.threads, "");
    }

protected:
    void decodeMore(MovementBatch& batch) override
    {
        if (!m_movements)
            m_movements.emplace(m_cursor, m_layout);
        const auto push = [&](Step step, float dx, float dy, Color color) { batch.push(step, dx, dy, color); };
        while (batch.room() >= 2 && m_movements->more(batch.room(), push)) {
        }
    }

private:
    std::array<std::uint8_t, kBufferSize> m_buffer;
    ByteCursor m_cursor;
    std::string m_name;
    Layout m_layout;
    std::optional<Movements> m_movements;
};

std::unique_ptr<DesignDecoder> open(DesignFile& file, const std::string& path)
{
    return std::make_unique<Decoder>(file, path);
}

} // namespace

} // namespace vp3

// The movements: steps, y up: the decoder turns the stitches' y (stored downward) up, as
// the packets' positions are; the pen starts in the first thread's colour.
const Decoding VP3Format{&vp3::open, {.positions = false, .yUp = true, .startsInColor = true}};

} // namespace orlika
