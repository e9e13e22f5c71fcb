// SPDX-License-Identifier: MIT
#include "sheet/SewOut.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace orlika {

DesignPicture sewnBetween(const DesignPicture& picture, std::int64_t from, std::int64_t to)
{
    DesignPicture part;
    part.extent = picture.extent;
    std::int64_t stitch = 0;  // stitches passed
    for (const ColorBlock& block : picture.blocks) {
        if (stitch >= to)
            break;
        // Blocks wholly before `from` are passed over by their counts.
        if (stitch + block.stitches <= from) {
            stitch += block.stitches;
            continue;
        }
        ColorBlock& sewn = part.blocks.emplace_back(block);
        sewn.runs.clear();
        sewn.stitches = 0;
        for (const QPolygonF& run : block.runs) {
            const std::int64_t lines = std::max<std::int64_t>(run.size() - 1, 0);
            const std::int64_t first = std::max(from - stitch, std::int64_t(0));
            const std::int64_t last = std::min(to - stitch, lines);
            if (first < last) {
                // A run wholly sewn is shared, not copied.
                const bool whole = first == 0 && last == lines;
                sewn.runs.push_back(whole ? run : QPolygonF(run.mid(qsizetype(first), qsizetype(last - first + 1))));
                sewn.stitches += last - first;
            }
            stitch += lines;
            if (stitch >= to)
                break;
        }
    }
    return part;
}

DesignPicture sewnPart(const DesignPicture& picture, std::int64_t stitches)
{
    return sewnBetween(picture, 0, stitches);
}

void drawLineStitches(QImage& image, const DesignPicture& picture, double scale, QPointF offset, std::int64_t from,
                      std::int64_t to)
{
    const DesignPicture part = sewnBetween(picture, from, to);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.translate(offset / image.devicePixelRatio());
    painter.scale(scale / image.devicePixelRatio(), scale / image.devicePixelRatio());
    // A stitch as wide as a thread, but never thinner than a pixel.
    paintDesign(painter, part, std::max(kStitchWidthMm, image.devicePixelRatio() / scale), Backdrop::Paper);
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
