// SPDX-License-Identifier: MIT
// The HUS reader, and the record decoding HUS and VIP share.
#include "decoders/Hus.h"

#include "platform/ByteCursor.h"
#include "platform/FileSystem.h"
#include "platform/Rounding.h"

#include <algorithm>

namespace orlika {

namespace hus {

// ---------------------------------------------------------------------------------------
// The header and the records

bool readHeader(ByteCursor& cursor, Header& header, std::int64_t (*colorSectionEnd)(std::uint32_t colors))
{
    cursor.seek(0);
    const Read<std::uint32_t> signature = cursor.u32();
    const Read<std::uint32_t> records = cursor.u32();
    const Read<std::uint32_t> colors = cursor.u32();
    cursor.skip(8);  // the extents: the records give them
    std::array<Read<std::uint32_t>, 3> sections{cursor.u32(), cursor.u32(), cursor.u32()};
    if (cursor.size() < kHeaderSize || !sections[2].complete())
        return false;
    header.signature = signature.value;
    header.records = records.value;
    header.colors = colors.value;
    if (header.records > kMaxRecords || header.colors > kMaxColors)
        return false;
    for (std::size_t k = 0; k < 3; ++k)
        header.sections[k] = sections[k].value;
    header.sections[3] = cursor.size();
    // In order, inside the file, and behind the colours.
    if (header.sections[0] < colorSectionEnd(header.colors))
        return false;
    for (std::size_t k = 0; k < 3; ++k)
        if (header.sections[k] > header.sections[k + 1])
            return false;
    cursor.seek(kHeaderSize);
    return true;
}

std::size_t RecordReader::SectionFile::read(std::span<std::uint8_t> buffer)
{
    m_file.seek(m_position);
    const std::size_t got = m_file.read(buffer);
    m_position += std::int64_t(got);
    return got;
}

void RecordReader::SectionFile::seek(std::int64_t position)
{
    m_file.seek(position);  // a position the file refuses fails here, as on the file itself
    m_position = position;
}

RecordReader::Section::Section(DesignFile& file, std::int64_t start, std::int64_t end)
    : view(file, start), cursor(view, buffer), expander(cursor)
{
    cursor.limitTo(end);
}

RecordReader::RecordReader(DesignFile& file, const Header& header) : m_left(header.records)
{
    for (std::size_t k = 0; k < 3; ++k)
        m_sections[k] = std::make_unique<Section>(file, header.sections[k], header.sections[k + 1]);
}

std::size_t RecordReader::next()
{
    const std::size_t wanted = std::min<std::size_t>(kChunk, m_left);
    m_count = wanted;
    if (wanted == 0 || m_error != ExpandError::None)
        return m_count = 0;
    const std::array<std::span<std::uint8_t>, 3> outs{std::span(m_attributes), std::span(m_xs), std::span(m_ys)};
    for (std::size_t k = 0; k < 3; ++k) {
        SectionExpander& expander = m_sections[k]->expander;
        m_count = std::min(m_count, expander.expand(outs[k].first(wanted)));
        if (m_error == ExpandError::None)
            m_error = expander.error();
    }
    // The records all three sections hold are good; a stopped section ends them there.
    m_left = m_error == ExpandError::None ? m_left - std::uint32_t(m_count) : 0;
    return m_count;
}

namespace {

// What the sizing pass found so far. A chunk is taken with the figures in locals: as members
// they would be stored and loaded again around every load of a record's bytes, which may
// alias them. Out of line: inlined into the loop around the reader's calls, the sums were
// kept on the stack all the same, each record's waiting on the store of the last.
struct Sizing {
    float x = 0, y = 0;
    Extents extents = Extents::fromOrigin();
    std::int64_t stitches = 0;
    std::int64_t colorChanges = 0;
    bool moved = false;

    // False where the records end: at the end record (taken) or an unknown attribute (not).
    [[gnu::noinline]] bool take(std::span<const std::uint8_t> attributes, std::span<const std::uint8_t> xs,
                                std::span<const std::uint8_t> ys)
    {
        float px = x, py = y;
        float minX = extents.minX, maxX = extents.maxX, minY = extents.minY, maxY = extents.maxY;
        std::int64_t stitchRecords = stitches, changes = colorChanges;
        bool anyMove = moved;
        bool more = true;
        for (std::size_t r = 0; r < attributes.size(); ++r) {
            const std::uint8_t attribute = attributes[r];
            if (!knownAttribute(attribute)) {
                more = false;
                break;
            }
            const int dx = std::int8_t(xs[r]), dy = std::int8_t(ys[r]);
            stitchRecords += attribute == kStitch;
            changes += (attribute & kColorChangeBit) != 0;
            if (recordMoves(attribute, dx, dy)) {
                px = addStep(px, dx);
                py = addStep(py, dy);
                minX = px < minX ? px : minX;
                maxX = px > maxX ? px : maxX;
                minY = py < minY ? py : minY;
                maxY = py > maxY ? py : maxY;
                anyMove = true;
            }
            if (attribute & kEndBit) {
                more = false;
                break;
            }
        }
        x = px, y = py;
        extents = {minX, maxX, minY, maxY};
        stitches = stitchRecords, colorChanges = changes;
        moved = anyMove;
        return more;
    }
};

void keep(const RecordReader& reader, KeptRecords& kept)
{
    kept.attributes.insert(kept.attributes.end(), reader.attributes().begin(), reader.attributes().end());
    kept.xs.insert(kept.xs.end(), reader.xs().begin(), reader.xs().end());
    kept.ys.insert(kept.ys.end(), reader.ys().begin(), reader.ys().end());
}

} // namespace

Figures measure(DesignFile& file, const Header& header, KeptRecords* kept)
{
    RecordReader reader(file, header);
    if (kept) {
        kept->attributes.reserve(header.records);
        kept->xs.reserve(header.records);
        kept->ys.reserve(header.records);
    }
    // Up to the end record, the first unknown attribute or the last record; an error that
    // stopped the sections before any of them is the file's.
    Sizing sizing;
    ExpandError error = ExpandError::None;
    for (;;) {
        if (reader.next() == 0) {
            error = reader.error();
            break;
        }
        if (kept)
            keep(reader, *kept);
        if (!sizing.take(reader.attributes(), reader.xs(), reader.ys()))
            break;
    }
    // A design without a movement is the origin, sized 0 x 0.
    return {sizing.moved ? sizing.extents : Extents{}, sizing.stitches, sizing.colorChanges, error};
}

// ---------------------------------------------------------------------------------------
// The decoder

namespace {

class Decoder final : public DesignDecoder {
public:
    Decoder(DesignFile& file, const std::string& path, const Variant& variant, std::uint32_t keptRecords)
        : m_file(file), m_cursor(file, m_buffer), m_name(namePart(path)), m_variant(variant), m_keptRecords(keptRecords)
    {
    }

    // The header, the threads, and the sizing pass: stitch data that does not expand is
    // known only once it is expanded, and such a file is rejected rather than half drawn.
    bool readHeader(Design& design) override
    {
        design.unit = DesignUnit::TenthMillimetre;
        if (!hus::readHeader(m_cursor, m_header, m_variant.colorSectionEnd) ||
            !m_variant.acceptsSignature(m_header.signature))
            return reject(design, "Unknown Format", m_name + " Has an Unknown File Format");
        m_variant.readThreads(m_cursor, m_header, design.threads);
        m_keeps = m_header.records <= m_keptRecords;
        m_figures = hus::measure(m_file, m_header, m_keeps ? &m_kept : nullptr);
        if (m_figures.error != ExpandError::None)
            return reject(design, "Damaged Stitch Data",
                          m_name + " Has Damaged Stitch Data (" + std::string(describe(m_figures.error)) + ")");
        design.startColor = design.threads.empty() ? Black : design.threads.front().color;
        m_threads = design.threads;
        listThreads(design);
        return true;
    }

    // The sizing pass is the sections' expansion, which the movements cannot go without:
    // summing them after it would add 1.1 ms of CPU for a 200,000-stitch spiral to its 1.6 ms
    // (`SizingAlone` and `SizedFromMovements` in bench/, 2026-12-11).
    void measure(Design& design) override
    {
        describeExtents(design, m_figures.extents, m_figures.stitches, m_figures.colorChanges);
    }

protected:
    void decodeMore(MovementBatch& batch) override
    {
        // A record gives four movements at most: a jump, a trim, a colour change, the end.
        while (!m_ended && batch.room() >= 4 * RecordReader::kChunk) {
            const Chunk records = nextChunk();
            if (records.attributes.empty()) {
                m_ended = true;
                break;
            }
            m_ended = !decodeRecords(records, batch);
        }
    }

private:
    struct Chunk {
        std::span<const std::uint8_t> attributes, xs, ys;
    };

    // The next records to draw, at most a chunk: those the sizing pass kept, or else the
    // sections expanded again.
    Chunk nextChunk()
    {
        if (m_keeps) {
            const std::size_t at = m_keptAt;
            const std::size_t count = std::min(RecordReader::kChunk, m_kept.size() - at);
            m_keptAt += count;
            return {std::span(m_kept.attributes).subspan(at, count), std::span(m_kept.xs).subspan(at, count),
                    std::span(m_kept.ys).subspan(at, count)};
        }
        if (!m_records)
            m_records.emplace(m_file, m_header);
        if (m_records->next() == 0 && m_records->error() != ExpandError::None)
            // The sizing pass read the same records to their end without an error.
            throw InOutError(std::string(m_variant.name) + ": damaged stitch data");
        return {m_records->attributes(), m_records->xs(), m_records->ys()};
    }

    // Each record's displacement first (a stitch, or a jump to where its command acts), then
    // its commands. False where the records end.
    bool decodeRecords(const Chunk& records, MovementBatch& batch)
    {
        MovementBatch::Writer out(batch);
        for (std::size_t r = 0; r < records.attributes.size(); ++r) {
            const std::uint8_t attribute = records.attributes[r];
            if (!knownAttribute(attribute))
                return false;
            const int dx = std::int8_t(records.xs[r]), dy = std::int8_t(records.ys[r]);
            if (recordMoves(attribute, dx, dy))
                out.push((attribute & kCommandBits) == 0 ? Step::Stitch : Step::Jump, float(dx), float(dy));
            if (attribute & kTrimBit)
                out.push(Step::Trim, 0, 0);
            if (attribute & kColorChangeBit) {
                ++m_colorChanges;
                out.push(Step::ColorChange, 0, 0, m_colorChanges < m_threads.size() ? m_threads[m_colorChanges].color : kPenKept);
            }
            if (attribute & kEndBit) {
                out.push(Step::End, 0, 0);
                return false;
            }
        }
        return true;
    }

    // "1. Red": threads whose names the file cannot give are listed as unknown; a design
    // none of whose threads has a name (VIP) lists none.
    void listThreads(Design& design) const
    {
        const bool named = std::any_of(m_threads.begin(), m_threads.end(), [](const Thread& t) { return !t.name.empty(); });
        if (!named || m_figures.stitches == 0)
            return;
        listNumberedThreads(design, m_threads);
    }

    bool reject(Design& design, const std::string& cellText, const std::string& message) const
    {
        design.messages.push_back({message, std::string(m_variant.name) + " File Format Error"});
        design.rejection = Rejection{cellText};
        return false;
    }

    DesignFile& m_file;
    std::array<std::uint8_t, 64> m_buffer{};
    ByteCursor m_cursor;
    std::string m_name;
    const Variant& m_variant;
    Header m_header;
    Figures m_figures;
    std::vector<Thread> m_threads;
    std::uint32_t m_keptRecords;  // the longest design whose records are kept
    bool m_keeps = false;         // this one's are
    KeptRecords m_kept;
    std::size_t m_keptAt = 0;     // the next record to draw of them
    std::optional<RecordReader> m_records;
    std::size_t m_colorChanges = 0;
    bool m_ended = false;
};

} // namespace

std::unique_ptr<DesignDecoder> openDecoder(DesignFile& file, const std::string& path, const Variant& variant,
                                           std::uint32_t keptRecords)
{
    return std::make_unique<Decoder>(file, path, variant, keptRecords);
}

// ---------------------------------------------------------------------------------------
// HUS

namespace {

struct TableEntry {
    Color color;
    std::string_view name;
};

// The HUS colour table (docs/formats/hus.md, "Colours"), in the numbering of the files seen.
constexpr TableEntry kColorTable[] = {
    {rgb(0, 0, 0), "Black"},           {rgb(0, 0, 255), "Blue"},          {rgb(0, 255, 0), "Light Green"},
    {rgb(255, 0, 0), "Red"},           {rgb(255, 0, 255), "Purple"},      {rgb(255, 255, 0), "Yellow"},
    {rgb(127, 127, 127), "Gray"},      {rgb(51, 154, 255), "Light Blue"}, {rgb(51, 204, 102), "Green"},
    {rgb(255, 127, 0), "Orange"},      {rgb(255, 160, 180), "Pink"},      {rgb(153, 75, 0), "Brown"},
    {rgb(255, 255, 255), "White"},     {rgb(0, 0, 127), "Dark Blue"},     {rgb(0, 127, 0), "Dark Green"},
    {rgb(127, 0, 0), "Dark Red"},      {rgb(255, 127, 127), "Light Red"}, {rgb(127, 0, 127), "Dark Purple"},
    {rgb(255, 127, 255), "Light Purple"}, {rgb(200, 200, 0), "Dark Yellow"}, {rgb(255, 255, 153), "Light Yellow"},
    {rgb(60, 60, 60), "Dark Gray"},    {rgb(192, 192, 192), "Light Gray"}, {rgb(232, 63, 0), "Dark Orange"},
    {rgb(255, 165, 65), "Light Orange"}, {rgb(255, 102, 122), "Dark Pink"}, {rgb(255, 204, 204), "Light Pink"},
    {rgb(115, 40, 0), "Dark Brown"},   {rgb(175, 90, 10), "Light Brown"},
};

// Two signatures occur: 5B AF C8 00 and 5D FC C8 00.
bool husSignature(std::uint32_t signature)
{
    return signature == 0x00C8AF5Bu || signature == 0x00C8FC5Du;
}

// A u16 table index per colour block.
std::int64_t husColorSectionEnd(std::uint32_t colors)
{
    return kHeaderSize + 2 * std::int64_t(colors);
}

void readHusThreads(ByteCursor& cursor, const Header& header, std::vector<Thread>& threads)
{
    for (std::uint32_t i = 0; i < header.colors; ++i)
        threads.push_back(tableThread(cursor.u16().value));
}

const Variant kHus{"HUS", &husSignature, &husColorSectionEnd, &readHusThreads};

std::unique_ptr<DesignDecoder> open(DesignFile& file, const std::string& path)
{
    return openDecoder(file, path, kHus);
}

} // namespace

const Variant& husVariant()
{
    return kHus;
}

Thread tableThread(std::uint16_t index)
{
    if (index >= std::size(kColorTable))
        return {Black, {}, {}};
    return {kColorTable[index].color, std::string(kColorTable[index].name), {}};
}

} // namespace hus

// The movements: steps, y up as the format stores it; the pen starts in the first thread's
// colour.
const Decoding HUSFormat{&hus::open, {.positions = false, .yUp = true, .startsInColor = true}};

} // namespace orlika
