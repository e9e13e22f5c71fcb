// SPDX-License-Identifier: MIT
#include "sheet/SewOut.h"

#include <algorithm>
#include <cmath>

namespace orlika {

DesignPicture sewnPart(const DesignPicture& picture, std::int64_t stitches)
{
    DesignPicture part;
    part.extent = picture.extent;
    for (const ColorBlock& block : picture.blocks) {
        if (stitches <= 0)
            break;
        ColorBlock& sewn = part.blocks.emplace_back(block);
        if (block.stitches <= stitches) {
            stitches -= block.stitches;
            continue;
        }
        sewn.runs.clear();
        sewn.stitches = stitches;
        for (const QPolygonF& run : block.runs) {
            if (stitches <= 0)
                break;
            const qsizetype lines = run.size() - 1;
            const qsizetype taken = qsizetype(std::min<std::int64_t>(lines, stitches));
            sewn.runs.push_back(run.mid(0, taken + 1));
            stitches -= taken;
        }
        break;
    }
    return part;
}

std::optional<QPointF> needleAfter(const DesignPicture& picture, std::int64_t stitches)
{
    std::optional<QPointF> needle;
    for (const ColorBlock& block : picture.blocks) {
        for (const QPolygonF& run : block.runs) {
            if (run.isEmpty())
                continue;
            if (!needle)
                needle = run.front();  // where the first stitch starts
            const qsizetype lines = run.size() - 1;
            if (stitches <= lines)
                return stitches > 0 ? run[qsizetype(stitches)] : needle;
            stitches -= lines;
            needle = run.back();
        }
    }
    return needle;
}

SewOut::SewOut(const DesignPicture& picture)
{
    std::int64_t sewn = 0;
    for (const ColorBlock& block : picture.blocks) {
        sewn += block.stitches;
        m_blockEnds.push_back(sewn);
    }
}

std::size_t SewOut::currentBlock() const
{
    // The first block not yet done, or the one whose last stitch was just sewn.
    const auto done = std::lower_bound(m_blockEnds.begin(), m_blockEnds.end(), std::max<std::int64_t>(m_position, 1));
    return done == m_blockEnds.end() ? (m_blockEnds.empty() ? 0 : m_blockEnds.size() - 1)
                                     : std::size_t(done - m_blockEnds.begin());
}

void SewOut::setPosition(std::int64_t position)
{
    m_position = std::clamp<std::int64_t>(position, 0, stitches());
    m_carried = 0;
}

SewOut::Advance SewOut::advance(double milliseconds, int stitchesPerMinute, double speed, bool pauseAtBlockEnds)
{
    if (m_position >= stitches())
        return Advance::DesignEnded;
    m_carried += milliseconds / 60000.0 * stitchesPerMinute * speed;
    const auto whole = std::int64_t(std::floor(m_carried));
    m_carried -= double(whole);
    std::int64_t target = std::min(m_position + whole, stitches());
    Advance result = target == stitches() ? Advance::DesignEnded : Advance::Sewing;
    if (pauseAtBlockEnds) {
        // The first block end passed on the way, unless it is the design's end.
        const auto end = std::upper_bound(m_blockEnds.begin(), m_blockEnds.end(), m_position);
        if (end != m_blockEnds.end() && *end <= target && *end < stitches()) {
            target = *end;
            result = Advance::BlockEnded;
            m_carried = 0;
        }
    }
    m_position = target;
    return result;
}

} // namespace orlika
