// SPDX-License-Identifier: MIT
// A design's figures as its stitches give them, whatever its header claims: the box of
// every stitch's ends, the stitches sewn and the changes from one sewing thread to the
// next. Everything that states a design's size or counts apart from its page cell (the
// index and its finds, the design view, the sheet, the exports) takes them from here, so
// that one design never shows two sets of figures.
#pragma once

#include "decoders/Design.h"
#include "decoders/PenTrace.h"

#include <cstdint>

namespace orlika {

class StitchFigures {
public:
    StitchFigures() = default;
    explicit StitchFigures(DesignUnit unit) : m_millimetres(millimetresPerUnit(unit)) {}

    /// Takes what the pen did with its last movement: a line is a stitch, a new colour
    /// starts a new thread once the one before has sewn.
    void take(PenTrace::Effect effect, const PenTrace& pen);

    std::int64_t stitches() const { return m_stitches; }
    /// Changes between threads that sew: a change before the first stitch, one right after
    /// another, or one at the end changes nothing sewn.
    std::int64_t colorChanges() const { return m_threadsSewn > 0 ? m_threadsSewn - 1 : 0; }
    bool hasStitches() const { return m_stitches > 0; }

    /// The box of the stitches' ends in millimetres from the start point, y growing
    /// downward; all 0 without stitches.
    double leftMm() const { return hasStitches() ? m_minX * m_millimetres : 0; }
    double rightMm() const { return hasStitches() ? m_maxX * m_millimetres : 0; }
    double topMm() const { return hasStitches() ? m_minY * m_millimetres : 0; }
    double bottomMm() const { return hasStitches() ? m_maxY * m_millimetres : 0; }
    double widthMm() const { return rightMm() - leftMm(); }
    double heightMm() const { return bottomMm() - topMm(); }

private:
    void include(double x, double y);

    double m_millimetres = millimetresPerUnit(DesignUnit::TenthMillimetre);
    std::int64_t m_stitches = 0;
    std::int64_t m_threadsSewn = 0;
    bool m_threadSewing = false;  // the current thread has sewn a stitch
    double m_minX = 0, m_maxX = 0, m_minY = 0, m_maxY = 0;
};

} // namespace orlika
