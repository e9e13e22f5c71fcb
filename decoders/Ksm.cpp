// SPDX-License-Identifier: MIT
// The Pfaff KSM decoder.
#include "decoders/Ksm.h"

#include "platform/ByteCursor.h"
#include "platform/Rounding.h"

#include <array>
#include <limits>

namespace orlika {

namespace ksm {

namespace {

constexpr std::size_t kBlockRecords = 500;

// The steps as floats, for the decoder's loop: a byte's value and the signs a control
// byte gives the two axes (exact products, the same floats as stepOf's converted).
constexpr auto kByteValue = [] {
    std::array<float, 256> values{};
    for (std::size_t b = 0; b < 256; ++b)
        values[b] = float(b);
    return values;
}();

constexpr auto kSigns = [] {
    std::array<std::array<float, 2>, 256> signs{};
    for (std::size_t control = 0; control < 256; ++control) {
        const Step step = stepOf(1, 1, std::uint8_t(control));
        signs[control] = {float(step.dx), float(step.dy)};
    }
    return signs;
}();

} // namespace

bool readStartRecords(ByteCursor& cursor)
{
    cursor.seek(kStartRecordOffset);
    std::array<std::uint8_t, 2 * kRecordSize> records{};
    if (cursor.bytes(records) < records.size())
        return false;
    const std::span<const std::uint8_t> both(records);
    return isHeaderRecord(both.first<kRecordSize>(), kStartControl) &&
           isHeaderRecord(both.last<kRecordSize>(), kSecondControl);
}

Figures measure(ByteCursor& cursor)
{
    Figures figures{Extents::fromOrigin(), 0};
    float x = 0, y = 0;
    forEachRecord<kRecordSize>(cursor, kBlockRecords, [&](Record r) {
        x = addStep(x, kByteValue[r[1]] * kSigns[r[2]][0]);
        y = addStep(y, kByteValue[r[0]] * kSigns[r[2]][1]);
        figures.extents.include(x, y);
        ++figures.records;
        figures.colorChanges += isColorChange(r[2]);
        return !isEnd(r[2]);
    });
    // A design whose records never moved keeps the maxima at their start value; it is
    // a point at the origin, sized 0 x 0 rather than by the start values' difference.
    if (figures.records == 0)
        figures.extents = {};
    return figures;
}

} // namespace ksm

namespace ksm {

namespace {

class Decoder final : public DesignDecoder {
public:
    explicit Decoder(DesignFile& file) : m_cursor(file, m_buffer) {}

    // A file whose second record is missing or wrong gets the same cell as one whose start
    // record is: nothing of it is read as stitches, so it cannot be shown as a design, and
    // the cell says why instead of showing an empty picture.
    bool readHeader(Design& design) override
    {
        if (readStartRecords(m_cursor))
            return true;
        design.rejection = Rejection{"Bad File Format (Not KSM Format)"};
        return false;
    }

    // Sized by a pass of its own over the records, not from the movements: 0.39 ms of CPU
    // for a 200,000-stitch spiral against 1.00 ms summed from the decoded movements
    // (`SizingAlone` and `SizedFromMovements` in bench/, 2026-12-11).
    void measure(Design& design) override
    {
        const Figures figures = ksm::measure(m_cursor);
        describeExtents(design, figures.extents, figures.records, figures.colorChanges);
    }

protected:
    // Colours from the pen table; moves from the move flag, which only a colour change
    // clears. Every record moves the pen, the colour changes' and the end's too.
    void decodeMore(MovementBatch& batch) override
    {
        if (!m_started) {
            m_cursor.seek(kFirstStitchOffset);
            m_started = true;
        }
        // A record gives two movements at most, and the end one more.
        while (!m_ended && batch.room() > 2 * kBlockRecords) {
            const RecordBlock<kRecordSize> block = m_cursor.records<kRecordSize>(kBlockRecords);
            m_ended = block.empty();
            for (const Record r : block) {
                const std::uint8_t control = r[2];
                if (isColorChange(control)) {
                    if (++m_colorIndex > 16)
                        m_colorIndex = 0;
                    batch.pushColor(penColors()[std::size_t(m_colorIndex)]);
                    m_moving = false;
                }
                if (ksmControl(control))
                    m_moving = true;
                batch.push(m_moving ? orlika::Step::Jump : orlika::Step::Stitch, kByteValue[r[1]] * kSigns[control][0],
                           kByteValue[r[0]] * kSigns[control][1]);
                if (isEnd(control)) {
                    batch.push(orlika::Step::End, 0, 0);
                    m_ended = true;
                    break;
                }
            }
        }
    }

private:
    std::array<std::uint8_t, kBlockRecords * kRecordSize> m_buffer;
    ByteCursor m_cursor;
    int m_colorIndex = 0;
    bool m_moving = false;
    bool m_started = false;
    bool m_ended = false;
};

std::unique_ptr<DesignDecoder> open(DesignFile& file, const std::string& /*path*/)
{
    return std::make_unique<Decoder>(file);
}

} // namespace

} // namespace ksm

// The movements: steps, y up; the pen starts black.
const Decoding KSMFormat{&ksm::open, {.positions = false, .yUp = true, .startsInColor = false}};

} // namespace orlika
