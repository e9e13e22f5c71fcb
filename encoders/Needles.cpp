// SPDX-License-Identifier: MIT
#include "encoders/Needles.h"

#include "platform/Rounding.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace orlika {

namespace {

// Reading a design starts at its file's first byte, so that one open file feeds several reads.
DesignFile& fromItsStart(DesignFile& file)
{
    file.seek(0);
    return file;
}

} // namespace

DesignNeedles::DesignNeedles(const Reader& reader, DesignFile& file, const std::string& path)
    : m_reading(reader.decoding, fromItsStart(file), path, m_design)
{
    if (!m_reading.accept()) {
        const std::string cell = m_design.rejection ? m_design.rejection->cellText : std::string();
        const auto first = cell.find_first_not_of(' ');
        throw ConversionFailure(first == std::string::npos ? "not a design its reader takes"
                                                           : cell.substr(first, cell.find_last_not_of(' ') - first + 1));
    }
    m_pen.emplace(m_reading.measure());
    m_firstColor = m_pen->color();
    m_tenthsPerUnit = millimetresPerUnit(m_design.unit) * 10;
}

DesignNeedles::~DesignNeedles() = default;

const std::optional<std::string>& DesignNeedles::error() const
{
    return m_error;
}

std::int32_t DesignNeedles::tenths(double units) const
{
    // Points of 0.1 mm formats are whole already, and 1/6 mm ones never fall on a half;
    // a hostile file's sums are held at a bound no format can write, so that the
    // writers' limits refuse them.
    return roundPixel(units * m_tenthsPerUnit);
}

bool DesignNeedles::next(Needle& needle)
{
    while (!m_ended) {
        if (m_taken == m_batch.size()) {
            m_batch = m_reading.next();
            m_taken = 0;
            if (m_batch.empty()) {
                endPath();
                break;
            }
        }
        const Movement& movement = m_batch[m_taken++];
        const PenTrace::Effect effect = m_pen->follow(movement);
        switch (movement.kind) {
        case Step::Move:
        case Step::Jump:
        case Step::Stitch:
            needle = {movement.kind == Step::Stitch ? Needle::Kind::Stitch : Needle::Kind::Jump,
                      tenths(m_pen->x()), tenths(m_pen->y()), 0};
            return true;
        case Step::Trim:
            needle = {Needle::Kind::Trim, tenths(m_pen->x()), tenths(m_pen->y()), 0};
            return true;
        case Step::ColorChange:
            // Every change is kept, also one that leaves the pen as it is.
            needle = {Needle::Kind::ColorChange, tenths(m_pen->x()), tenths(m_pen->y()),
                      effect == PenTrace::Effect::Color ? m_pen->color() : kPenKept};
            return true;
        case Step::End:
            needle = {Needle::Kind::End, tenths(m_pen->x()), tenths(m_pen->y()), 0};
            return true;
        }
    }
    return false;
}

void DesignNeedles::endPath()
{
    m_ended = true;
    if (const TraceEnd end = m_reading.end(); !end.read())
        m_error = end.problem;
}

bool TurnedNeedles::next(Needle& needle)
{
    if (!m_source.next(needle))
        return false;
    // A quarter turn clockwise on the page, whose y grows downward.
    const std::int32_t x = needle.x;
    needle.x = -needle.y;
    needle.y = x;
    return true;
}

bool EndedAtLastStitch::next(Needle& needle)
{
    // So many needles between two stitches that no design has them are let through.
    constexpr std::size_t kMostHeld = 65536;
    while (m_queueAt == m_queue.size()) {
        m_queue.clear();
        m_queueAt = 0;
        if (m_ended)
            return false;
        // Read straight into the caller's needle: stitch after stitch, most of every
        // design, goes through without a copy.
        if (!m_source.next(needle) || needle.kind == Needle::Kind::End) {
            const bool end = !m_ended && needle.kind == Needle::Kind::End;
            m_ended = true;
            for (const Needle& held : m_held)
                if (held.kind == Needle::Kind::Trim)
                    m_queue.push_back(held);
            m_held.clear();
            if (end)
                m_queue.push_back(needle);
            continue;
        }
        if (needle.kind == Needle::Kind::Stitch) {
            m_sewn = true;
            if (m_held.empty())
                return true;
            m_queue.swap(m_held);
            m_held.clear();
            m_queue.push_back(needle);
            continue;
        }
        if (!m_sewn)
            return true;  // before the first stitch nothing waits
        m_held.push_back(needle);
        if (m_held.size() > kMostHeld) {
            m_queue.swap(m_held);
            m_held.clear();
        }
    }
    needle = m_queue[m_queueAt++];
    return true;
}

namespace {

/// `total` * `piece` / `pieces`, rounded half away from zero, in exact integers.
std::int32_t share(std::int64_t total, std::int64_t piece, std::int64_t pieces)
{
    const std::int64_t scaled = total * piece * 2;
    const std::int64_t rounded = scaled >= 0 ? (scaled + pieces) / (2 * pieces) : -((-scaled + pieces) / (2 * pieces));
    return std::int32_t(rounded);
}

} // namespace

bool SplitNeedles::next(Needle& needle)
{
    if (m_piece < m_pieces) {
        ++m_piece;
        needle = m_target;
        needle.x = m_fromX + share(std::int64_t(m_target.x) - m_fromX, m_piece, m_pieces);
        needle.y = m_fromY + share(std::int64_t(m_target.y) - m_fromY, m_piece, m_pieces);
        m_x = needle.x;
        m_y = needle.y;
        return true;
    }
    if (!m_source.next(needle))
        return false;
    if (needle.kind != Needle::Kind::Stitch && needle.kind != Needle::Kind::Jump)
        return true;
    const std::int64_t limit = needle.kind == Needle::Kind::Stitch ? m_limits.stitch : m_limits.jump;
    const std::int64_t longest = std::max(std::llabs(std::int64_t(needle.x) - m_x), std::llabs(std::int64_t(needle.y) - m_y));
    if (limit <= 0 || longest <= limit) {
        m_x = needle.x;
        m_y = needle.y;
        return true;
    }
    m_target = needle;
    m_fromX = m_x;
    m_fromY = m_y;
    m_pieces = (longest + limit - 1) / limit;
    m_piece = 0;
    return next(needle);
}

void NeedleBox::take(std::int32_t x, std::int32_t y)
{
    if (empty) {
        minX = maxX = x;
        minY = maxY = y;
        empty = false;
        return;
    }
    minX = std::min(minX, x);
    maxX = std::max(maxX, x);
    minY = std::min(minY, y);
    maxY = std::max(maxY, y);
}

NeedleSummary summarize(NeedleStream& needles, Color firstColor)
{
    // Far more than the largest design a machine sews: a hostile file's distant points,
    // cut into steps, would otherwise keep every pass busy for minutes.
    constexpr std::int64_t kMostNeedles = 50'000'000;
    NeedleSummary summary;
    summary.pathBox.take(0, 0);
    summary.blockColors.push_back(firstColor);
    Needle needle;
    while (needles.next(needle)) {
        if (needle.kind == Needle::Kind::End)
            break;
        if (++summary.needles > kMostNeedles)
            throw ConversionFailure("has more stitches and jumps than any machine sews (50,000,000)");
        switch (needle.kind) {
        case Needle::Kind::Stitch:
            ++summary.stitches;
            summary.stitchBox.take(needle.x, needle.y);
            break;
        case Needle::Kind::Jump:
            ++summary.jumps;
            break;
        case Needle::Kind::Trim:
            ++summary.trims;
            break;
        case Needle::Kind::ColorChange:
            ++summary.colorChanges;
            summary.blockColors.push_back(needle.color == kPenKept ? summary.blockColors.back() : needle.color);
            break;
        case Needle::Kind::End:
            break;
        }
        summary.pathBox.take(needle.x, needle.y);
        summary.reachedBox.take(needle.x, needle.y);
        summary.endX = needle.x;
        summary.endY = needle.y;
    }
    return summary;
}

} // namespace orlika
