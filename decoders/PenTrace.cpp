// SPDX-License-Identifier: MIT
#include "decoders/PenTrace.h"

namespace orlika {

namespace {

// The pen a design starts in: its first colour where the format sets one before drawing,
// else the black every design starts in.
Color firstColor(const Design& design, const MovementForm& form)
{
    return form.startsInColor ? design.startColor : Black;
}

} // namespace

PenTrace::PenTrace(const Design& design, const MovementForm& form)
    : m_positions(form.positions), m_yUp(form.yUp), m_color(firstColor(design, form))
{
}

PenTrace::Effect PenTrace::follow(const Movement& m)
{
    if (m_ended)
        return Effect::Nothing;
    switch (m.kind) {
    case Step::ColorChange:
        if (m.color == kPenKept)
            return Effect::Nothing;
        // A palette-relative mark in the top byte is not part of the colour.
        m_color = m.color & 0x00FFFFFF;
        return Effect::Color;
    case Step::Trim:
        return Effect::Nothing;
    case Step::End:
        m_ended = true;
        return Effect::End;
    case Step::Move:
    case Step::Jump:
    case Step::Stitch:
        break;
    }
    m_fromX = m_x;
    m_fromY = m_y;
    const double dy = m_yUp ? -double(m.y) : double(m.y);
    if (m_positions) {
        m_x = m.x;
        m_y = dy;
    } else {
        m_x += m.x;
        m_y += dy;
    }
    return m.kind == Step::Stitch ? Effect::Line : Effect::Move;
}

} // namespace orlika
