// SPDX-License-Identifier: MIT
// The SHV reader: the header and its colour blocks once, then the stream twice (extents,
// then drawing) through one buffer.
#include "decoders/Shv.h"

#include "platform/ByteCursor.h"
#include "platform/FileSystem.h"
#include "platform/Rounding.h"

#include <algorithm>
#include <array>
#include <optional>

namespace orlika {

namespace shv {

namespace {

// The 16-bit picture sizes are flagged by these bytes where the 8-bit ones stand.
constexpr std::array<std::uint8_t, 3> kWidePictureFlag{0xFF, 0xFF, 0x01};

std::uint32_t readBigEndian(ByteCursor& cursor, std::size_t width)
{
    std::array<std::uint8_t, 4> bytes{};
    const std::size_t count = cursor.bytes(std::span(bytes).first(width));
    return bigEndian(std::span(bytes).first(count));
}

// Lines of pixels, two pixels a byte, a line's odd pixel in a byte of its own.
std::int64_t pictureBytes(std::uint32_t lines, std::uint32_t pixels)
{
    return std::int64_t(lines) * ((std::int64_t(pixels) + 1) / 2);
}

// From the picture's first byte to the byte behind it. The 8-bit form: lines, pixels a
// line, 4 bytes, the pixels. The 16-bit form: the flag, u16 lines, u16 pixels a line, 4
// bytes, the pixels.
std::int64_t skipPicture(ByteCursor& cursor)
{
    const std::int64_t start = cursor.position();
    const std::span<const std::uint8_t> head = cursor.peek(kWidePictureFlag.size());
    if (std::equal(head.begin(), head.end(), kWidePictureFlag.begin(), kWidePictureFlag.end())) {
        cursor.skip(std::int64_t(kWidePictureFlag.size()));
        const std::uint32_t lines = readBigEndian(cursor, 2);
        const std::uint32_t pixels = readBigEndian(cursor, 2);
        return start + 3 + 2 + 2 + 4 + pictureBytes(lines, pixels);
    }
    const std::uint32_t lines = readBigEndian(cursor, 1);
    const std::uint32_t pixels = readBigEndian(cursor, 1);
    return start + 1 + 1 + 4 + pictureBytes(lines, pixels);
}

} // namespace

bool readLayout(ByteCursor& cursor, Layout& layout)
{
    cursor.seek(0);
    std::array<std::uint8_t, kSignature.size()> signature{};
    if (cursor.bytes(signature) != signature.size() ||
        !std::equal(signature.begin(), signature.end(), kSignature.begin(), kSignature.end()))
        return false;
    const Read<std::uint8_t> nameLength = cursor.u8();
    cursor.skip(nameLength.value);
    const std::int64_t behindPicture = skipPicture(cursor);
    if (behindPicture >= cursor.size())
        return false;
    cursor.seek(behindPicture);
    const std::uint8_t blocks = cursor.u8().value;
    cursor.skip(kExtentsBlockSize);
    layout.streamStart = cursor.position() + kBlockRecordSize * blocks;
    if (layout.streamStart > cursor.size())
        return false;
    layout.blocks.clear();
    for (std::uint8_t k = 0; k < blocks; ++k) {
        const std::uint32_t units = readBigEndian(cursor, 4);
        const std::uint8_t colorIndex = cursor.u8().value;
        cursor.skip(kBlockRecordSize - 5);
        layout.blocks.push_back({units, colorIndex});
    }
    return true;
}

StreamWalker::StreamWalker(std::span<const ColorBlock> blocks) : m_blocks(blocks)
{
    for (std::size_t k = 0; k < blocks.size(); ++k)
        if (blocks[k].units > 0)
            m_lastBlock = std::ptrdiff_t(k);
}

bool StreamWalker::allBlocksUsed() const
{
    const auto block = std::ptrdiff_t(m_block);
    return block > m_lastBlock || (block == m_lastBlock && m_used >= m_blocks[m_block].units);
}

namespace {

// The sizing pass's sink: extents from the origin, the stitches and the colour changes.
struct SizingSink {
    Figures figures{Extents::fromOrigin(), 0, 0};
    float x = 0, y = 0;
    bool moved = false;

    void step(int dx, int dy)
    {
        x = addStep(x, dx);
        y = addStep(y, dy);
        figures.extents.include(x, y);
        moved = true;
    }
    void stitch(int dx, int dy)
    {
        ++figures.stitches;
        step(dx, dy);
    }
    void jump(int dx, int dy) { step(dx, dy); }
    void trim() {}
    void colorChange(std::size_t /*block*/) { ++figures.colorChanges; }
    void end() {}
};

} // namespace

Figures measure(ByteCursor& cursor, const Layout& layout)
{
    cursor.seek(layout.streamStart);
    StreamWalker walker(layout.blocks);
    SizingSink sink;
    while (!walker.stopped())
        walker.walk(cursor, SIZE_MAX, sink);
    // A design without a movement is the origin, sized 0 x 0.
    if (!sink.moved)
        sink.figures.extents = {};
    return sink.figures;
}

namespace {

// The SHV colour table (docs/formats/shv.md, "Colours"): the HUS palette in another order,
// with filler black entries.
constexpr std::array<std::pair<Color, std::string_view>, 43> kColorTable = {{
    {rgb(0, 0, 0), "Black"},          {rgb(0, 0, 255), "Blue"},           {rgb(51, 204, 102), "Green"},
    {rgb(255, 0, 0), "Red"},          {rgb(255, 0, 255), "Purple"},       {rgb(255, 255, 0), "Yellow"},
    {rgb(127, 127, 127), "Grey"},     {rgb(51, 154, 255), "Light Blue"},  {rgb(0, 255, 0), "Light Green"},
    {rgb(255, 127, 0), "Orange"},     {rgb(255, 160, 180), "Pink"},       {rgb(153, 75, 0), "Brown"},
    {rgb(255, 255, 255), "White"},    {rgb(0, 0, 0), "Black"},            {rgb(0, 0, 0), "Black"},
    {rgb(0, 0, 0), "Black"},          {rgb(0, 0, 0), "Black"},            {rgb(0, 0, 0), "Black"},
    {rgb(0, 0, 0), "Black"},          {rgb(255, 127, 127), "Light Red"},  {rgb(255, 127, 255), "Light Purple"},
    {rgb(255, 255, 153), "Light Yellow"}, {rgb(192, 192, 192), "Light Grey"}, {rgb(0, 0, 0), "Black"},
    {rgb(0, 0, 0), "Black"},          {rgb(255, 165, 65), "Light Orange"}, {rgb(255, 204, 204), "Light Pink"},
    {rgb(175, 90, 10), "Light Brown"}, {rgb(0, 0, 0), "Black"},           {rgb(0, 0, 0), "Black"},
    {rgb(0, 0, 0), "Black"},          {rgb(0, 0, 0), "Black"},            {rgb(0, 0, 0), "Black"},
    {rgb(0, 0, 127), "Dark Blue"},    {rgb(0, 127, 0), "Dark Green"},     {rgb(127, 0, 0), "Dark Red"},
    {rgb(127, 0, 127), "Dark Purple"}, {rgb(200, 200, 0), "Dark Yellow"}, {rgb(60, 60, 60), "Dark Gray"},
    {rgb(0, 0, 0), "Black"},          {rgb(0, 0, 0), "Black"},            {rgb(232, 63, 0), "Dark Orange"},
    {rgb(255, 102, 122), "Dark Pink"},
}};

constexpr const char* kErrorCaption = "SHV File Format Error";

// Hands the walk's movements to a batch.
struct BatchSink {
    MovementBatch& batch;
    const std::vector<Thread>& threads;

    void stitch(int dx, int dy) { batch.push(Step::Stitch, float(dx), float(dy)); }
    void jump(int dx, int dy) { batch.push(Step::Jump, float(dx), float(dy)); }
    void trim() { batch.push(Step::Trim, 0, 0); }
    void colorChange(std::size_t block) { batch.pushColor(threads[block].color); }
    void end() { batch.push(Step::End, 0, 0); }
};

class Decoder final : public DesignDecoder {
public:
    Decoder(DesignFile& file, const std::string& path) : m_cursor(file, m_buffer), m_name(namePart(path)) {}

    bool readHeader(Design& design) override
    {
        design.unit = DesignUnit::TenthMillimetre;
        if (!readLayout(m_cursor, m_layout)) {
            design.messages.push_back({m_name + " Has an Unknown File Format", kErrorCaption});
            design.rejection = Rejection{"Unknown Format"};
            return false;
        }
        for (const ColorBlock& block : m_layout.blocks)
            design.threads.push_back(tableThread(block.colorIndex));
        m_threads = design.threads;
        design.startColor = design.threads.empty() ? Black : design.threads.front().color;
        return true;
    }

    void measure(Design& design) override
    {
        const Figures figures = shv::measure(m_cursor, m_layout);
        describeExtents(design, figures.extents, figures.stitches, figures.colorChanges);
        // "1. White": a design without a stitch uses no thread.
        if (figures.stitches > 0)
            listNumberedThreads(design, m_threads);
    }

protected:
    void decodeMore(MovementBatch& batch) override
    {
        if (!m_walker) {
            m_cursor.seek(m_layout.streamStart);
            m_walker.emplace(m_layout.blocks);
        }
        // An item gives one movement; besides, a colour change a block (255 at most) and the end.
        constexpr std::size_t kBesideItems = 256;
        BatchSink sink{batch, m_threads};
        // Controls that only end a travel give no movement: walk on until one comes.
        while (!m_walker->stopped() && batch.empty())
            m_walker->walk(m_cursor, batch.room() - kBesideItems, sink);
    }

private:
    std::array<std::uint8_t, 1024> m_buffer{};
    ByteCursor m_cursor;
    std::string m_name;
    Layout m_layout;
    std::vector<Thread> m_threads;
    std::optional<StreamWalker> m_walker;
};

std::unique_ptr<DesignDecoder> open(DesignFile& file, const std::string& path)
{
    return std::make_unique<Decoder>(file, path);
}

} // namespace

Thread tableThread(std::uint8_t index)
{
    if (index >= kColorTable.size())
        return {Black, {}, {}};
    return {kColorTable[index].first, std::string(kColorTable[index].second), {}};
}

} // namespace shv

// The movements: steps, y down as the format stores it; the pen starts in the first
// thread's colour.
const Decoding SHVFormat{&shv::open, {.positions = false, .yUp = false, .startsInColor = true}};

} // namespace orlika
