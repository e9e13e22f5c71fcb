// SPDX-License-Identifier: MIT
// The Brother PES and PEC reader: a signature, the PEC section (behind an offset in PES
// files), its thread list and its stitch stream, read twice through one 512-byte buffer.
#include "decoders/Pes.h"

#include "decoders/PecThreads.h"
#include "platform/ByteCursor.h"
#include "platform/FileSystem.h"
#include "platform/Rounding.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace orlika {

namespace pes {

namespace {

constexpr std::int64_t kExactIntegers = std::int64_t(1) << 24;

template <typename Visit>
void forEachMovement(ByteCursor& cursor, const Section& section, Visit&& visit)
{
    forEachItem(cursor, section, [&](const Item& item) {
        if (item.kind == ItemKind::Movement)
            visit(item.dx, item.dy);
    });
}

// Positions are single-precision sums. Within 2^24 units of the start every such sum is
// an integer that single precision holds exactly, so there the sums and extremes are kept
// as integers and turned into single precision once (the conversion keeps the order).
// Returns false for a design that reaches further.
bool measureExactly(ByteCursor& cursor, const Section& section, Figures& figures)
{
    std::int64_t x = 0, y = 0;
    std::int64_t lowX = INT64_MAX, lowY = INT64_MAX, highX = INT64_MIN, highY = INT64_MIN;
    forEachItem(cursor, section, [&](const Item& item) {
        if (item.kind == ItemKind::ColorChange) {
            ++figures.colorChanges;
            return;
        }
        ++figures.movements;
        const int dx = item.dx, dy = item.dy;
        x += dx;
        y += dy;
        lowX = iMin(lowX, x);
        lowY = iMin(lowY, y);
        highX = std::max(highX, x);
        highY = std::max(highY, y);
    });
    if (std::min(lowX, lowY) < -kExactIntegers || std::max(highX, highY) > kExactIntegers)
        return false;
    if (lowX <= highX) {
        figures.xmin = std::min(figures.xmin, toSingle(double(lowX)));
        figures.ymin = std::min(figures.ymin, toSingle(double(lowY)));
        figures.xmax = std::max(figures.xmax, toSingle(double(highX)));
        figures.ymax = std::max(figures.ymax, toSingle(double(highY)));
    }
    return true;
}

void measureInSinglePrecision(ByteCursor& cursor, const Section& section, Figures& figures)
{
    float fx = 0, fy = 0;
    forEachMovement(cursor, section, [&](int dx, int dy) {
        fx = addStep(fx, dx);
        fy = addStep(fy, dy);
        figures.xmin = std::min(figures.xmin, fx);
        figures.ymin = std::min(figures.ymin, fy);
        figures.xmax = std::max(figures.xmax, fx);
        figures.ymax = std::max(figures.ymax, fy);
    });
}

// Sizes of the remarks: a rounded extent, kept in 16 bits. Beyond 65535 units (6.5 m)
// it stays at 65535 rather than wrapping to a small size that would blow the picture up.
std::uint16_t sizeUnits(float low, float high)
{
    const double extent = std::nearbyint(double(high) - low);
    return std::uint16_t(std::clamp(extent, 0.0, 65535.0));
}

} // namespace

Item GetPesData(ByteCursor& stream)
{
    const Item item = decodeItem(stream.peek(kLongestItem));
    stream.skip(item.size);
    return item;
}

bool namedPes(const std::string& path)
{
    return upperCase(path).find("PES") != std::string::npos;
}

SectionStatus readSection(ByteCursor& cursor, bool pesName, Section& section)
{
    cursor.seek(0);
    std::array<std::uint8_t, kSignatureSize> signature{};
    const std::size_t signatureRead = cursor.bytes(signature);
    if (!hasSignature(std::span(signature).first(signatureRead)))
        return SectionStatus::UnknownFormat;
    // A name with neither mark is read as a PEC file, whose section follows the signature.
    section.offset = pesName ? std::int64_t(cursor.u32().value) : cursor.position();
    cursor.seek(section.offset + kColorCountOffset);
    const Read<std::uint8_t> colorsLess1 = cursor.u8();
    if (!colorsLess1.complete())
        return SectionStatus::BadFormat;
    // The list holds what the file delivers of its N entries.
    section.threadCount = cursor.bytes(std::span(section.threads).first(std::size_t(colorsLess1.value) + 1));
    for (std::size_t i = 0; i < section.threadCount; ++i)
        section.threads[i] = threadIndex(section.threads[i]);
    cursor.seek(section.offset + kBlockEndOffset);
    section.blockLength = cursor.u24().value;
    // The stored width and height are not used (the stitches give the true ones), but the
    // height must be there.
    cursor.seek(section.offset + kHeightOffset);
    if (cursor.u16().count == 0)
        return SectionStatus::BadFormat;
    return SectionStatus::Ok;
}

Figures measure(ByteCursor& cursor, const Section& section)
{
    Figures figures;
    if (!measureExactly(cursor, section, figures))
        measureInSinglePrecision(cursor, section, figures);
    // A design without any movement is shown as a point at the start: size 0 x 0.
    if (figures.xmin > figures.xmax)
        figures.xmin = figures.xmax = figures.ymin = figures.ymax = 0;
    figures.width = sizeUnits(figures.xmin, figures.xmax);
    figures.height = sizeUnits(figures.ymin, figures.ymax);
    return figures;
}

} // namespace pes

namespace pes {

namespace {

constexpr const char* kErrorCaption = "PES/PEC File Format Error";

// The rejected file: a box that names the file, and the text its cell writes.
bool reject(Design& design, const std::string& message, const std::string& cellText)
{
    design.messages.push_back({message, kErrorCaption});
    design.rejection = Rejection{cellText};
    return false;
}

class Decoder final : public DesignDecoder {
public:
    Decoder(DesignFile& file, const std::string& path) : m_cursor(file, m_buffer), m_name(namePart(path)) {}

    bool readHeader(Design& design) override
    {
        const std::string upperName = upperCase(m_name);
        switch (readSection(m_cursor, namedPes(upperName), m_section)) {
        case SectionStatus::UnknownFormat:
            // The box names the file in capitals; the cell keeps it as it is on disk, so
            // that names differing only in letter case stay apart.
            return reject(design, upperName + " Has an Unknown File Format", "Unknown Format");
        case SectionStatus::BadFormat:
            return reject(design, m_name + " Has a Bad File Format", "Bad Format");
        case SectionStatus::Ok:
            break;
        }
        const PecThreadTables& chart = threadChart();
        for (std::size_t i = 0; i < m_section.threadCount; ++i)
            design.threads.push_back({chart.color(m_section.threads[i]), chart.name(m_section.threads[i]), {}});
        // Each colour change moves one entry down the thread list; a list without entries
        // draws in the chart's slot 0.
        design.startColor = chart.color(m_section.threadCount > 0 ? m_section.threads[0] : 0);
        return true;
    }

    // Sized by a pass of its own over the records, not from the movements: 0.37 ms of CPU
    // for a 200,000-stitch spiral against 0.96 ms summed from the decoded movements (PEC
    // 0.34 against 0.98; `SizingAlone` and `SizedFromMovements` in bench/,
    // 2026-12-11).
    void measure(Design& design) override
    {
        const Figures figures = pes::measure(m_cursor, m_section);
        design.bounds = {figures.xmin, figures.xmax, figures.ymin, figures.ymax};
        design.frame = {double(figures.width), double(figures.height), std::fabs(double(figures.xmin)),
                        double(figures.ymax)};
        // The stitch count is kept in 16 bits, wrapping to 0 after 65535.
        design.remarks = {std::uint16_t(figures.movements), figures.colorChanges, double(figures.width),
                          double(figures.height)};
        // A design without a stitch uses no thread, whatever its colour count claims.
        if (figures.movements > 0)
            listNumberedThreads(design, design.threads, "");
    }

protected:
    void decodeMore(MovementBatch& batch) override
    {
        if (!m_started) {
            m_cursor.seek(m_section.streamStart());
            m_cursor.limitTo(m_section.streamLimit());
            m_started = true;
        }
        while (!m_ended && batch.room() >= 2) {
            if (takeShortStitches(batch))
                continue;
            const Item item = GetPesData(m_cursor);
            if (item.kind == ItemKind::ColorChange)
                batch.pushColor(nextThreadColor());
            else if (item.kind == ItemKind::Movement)
                batch.push(item.move ? Step::Jump : Step::Stitch, float(item.dx), float(item.dy));
            else
                end(batch, item.kind == ItemKind::End);
        }
    }

private:
    bool takeShortStitches(MovementBatch& batch)
    {
        return pes::takeShortStitches(m_cursor, batch.room() - 1, [&](int dx, int dy) {
            batch.push(Step::Stitch, float(dx), float(dy));
        }) > 0;
    }

    // Past the end of the thread list the pen keeps the last entry's colour.
    Color nextThreadColor()
    {
        ++m_colorChanges;
        return m_colorChanges < std::int64_t(m_section.threadCount)
                   ? threadChart().color(m_section.threads[std::size_t(m_colorChanges)])
                   : kPenKept;
    }

    void end(MovementBatch& batch, bool endItem)
    {
        if (endItem)
            batch.push(Step::End, 0, 0);
        m_cursor.limitTo(ByteCursor::kNoLimit);
        m_ended = true;
    }

    std::array<std::uint8_t, kBlockSize> m_buffer;
    ByteCursor m_cursor;
    std::string m_name;
    Section m_section;
    std::int64_t m_colorChanges = 0;
    bool m_started = false;
    bool m_ended = false;
};

std::unique_ptr<DesignDecoder> open(DesignFile& file, const std::string& path)
{
    return std::make_unique<Decoder>(file, path);
}

} // namespace

} // namespace pes

// The movements: steps, y down; the pen starts in the first thread's colour.
const Decoding PESFormat{&pes::open, {.positions = false, .yUp = false, .startsInColor = true}};

} // namespace orlika
