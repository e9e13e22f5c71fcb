// SPDX-License-Identifier: MIT
#include "decoders/StitchFigures.h"

#include <algorithm>

namespace orlika {

void StitchFigures::include(double x, double y)
{
    if (m_stitches == 0) {
        m_minX = m_maxX = x;
        m_minY = m_maxY = y;
        return;
    }
    m_minX = std::min(m_minX, x);
    m_maxX = std::max(m_maxX, x);
    m_minY = std::min(m_minY, y);
    m_maxY = std::max(m_maxY, y);
}

void StitchFigures::take(PenTrace::Effect effect, const PenTrace& pen)
{
    switch (effect) {
    case PenTrace::Effect::Line:
        if (!m_threadSewing) {
            m_threadSewing = true;
            ++m_threadsSewn;
        }
        // A stitch covers both its ends: the first of a run starts where a move left the pen.
        include(pen.fromX(), pen.fromY());
        ++m_stitches;
        include(pen.x(), pen.y());
        return;
    case PenTrace::Effect::Color:
        m_threadSewing = false;
        return;
    case PenTrace::Effect::Nothing:
    case PenTrace::Effect::Move:
    case PenTrace::Effect::End:
        return;
    }
}

} // namespace orlika
