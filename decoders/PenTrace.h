// SPDX-License-Identifier: MIT
// A design's movements followed as a pen on paper, in the design's own units with y growing
// downward as on a page: where the pen stands, in which colour, and whether a movement drew
// a line. What reads a design without placing it in a page cell (thumbnails, exports,
// sheets, fingerprints) follows it this way; positions are kept in double precision.
#pragma once

#include "decoders/Design.h"

namespace orlika {

class PenTrace {
public:
    /// The pen at the design's start point (0, 0) in its first colour, the movements taken
    /// as the format's form says.
    PenTrace(const Design& design, const MovementForm& form);

    enum class Effect { Nothing, Move, Line, Color, End };

    /// Follows one movement and tells what it did: a move or a line to the new point, a
    /// new pen colour, the design's end, or nothing (a trim, a colour change that keeps
    /// the pen, anything after the end).
    Effect follow(const Movement& movement);

    double x() const { return m_x; }
    double y() const { return m_y; }
    /// The point before the last movement: a line runs from there to (x, y).
    double fromX() const { return m_fromX; }
    double fromY() const { return m_fromY; }
    Color color() const { return m_color; }

private:
    bool m_positions;
    bool m_yUp;
    double m_x = 0, m_y = 0, m_fromX = 0, m_fromY = 0;
    Color m_color;
    bool m_ended = false;
};

} // namespace orlika
