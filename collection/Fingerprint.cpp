// SPDX-License-Identifier: MIT
#include "collection/Fingerprint.h"

#include <bit>
#include <cmath>
#include <cstdio>

namespace orlika {

Fingerprinter::Fingerprinter(DesignUnit unit) : m_tenthsPerUnit(millimetresPerUnit(unit) * 10) {}

Fingerprinter::Point Fingerprinter::here(const PenTrace& pen) const
{
    return {std::llround(pen.x() * m_tenthsPerUnit), std::llround(pen.y() * m_tenthsPerUnit)};
}

void Fingerprinter::add(char token, Point point)
{
    const Point relative{point.x - m_origin.x, point.y - m_origin.y};
    std::uint8_t bytes[17];
    bytes[0] = std::uint8_t(token);
    for (int i = 0; i < 8; ++i) {
        bytes[1 + i] = std::uint8_t(std::uint64_t(relative.x) >> (8 * i));
        bytes[9 + i] = std::uint8_t(std::uint64_t(relative.y) >> (8 * i));
    }
    for (const std::uint8_t byte : bytes) {
        m_first = (m_first ^ byte) * 0x100000001b3ULL;
        m_second = std::rotl((m_second ^ byte) * 0xff51afd7ed558ccdULL, 29);
    }
}

void Fingerprinter::reach(Point point)
{
    // The path starts where its first movement takes the needle, by a stitch, a move or a
    // jump: a format may sew or move to its first point (DST's reader moves to the end of
    // its first record), or cancel the jump there and start on it (EXP's reader keeps a
    // jump of no length). The first point is the origin, however it was reached.
    if (!m_started) {
        m_started = true;
        m_origin = m_last = point;
        return;
    }
    if (point == m_last)
        return;
    if (m_boundary) {
        add('C', m_last);
        m_boundary = false;
    }
    add('P', point);
    m_last = point;
    ++m_points;
}

void Fingerprinter::take(const Movement& movement, const PenTrace& pen)
{
    switch (movement.kind) {
    case Step::ColorChange:
        // A change before the first point, or right after another, bounds nothing more.
        m_boundary = m_started;
        return;
    case Step::Move:
    case Step::Jump:
        m_moving = true;
        m_moveEnd = here(pen);
        return;
    case Step::Trim:
    case Step::End:
        return;  // a run of moves at the end goes nowhere the needle sews
    case Step::Stitch:
        break;
    }
    if (m_moving) {
        m_moving = false;
        reach(m_moveEnd);
    }
    // A stitch that does not move the needle is no step, also where the path starts (PES
    // writes a jump to where the needle already is, which its reader hands on as a stitch).
    const Point to = here(pen);
    if (to != Point{std::llround(pen.fromX() * m_tenthsPerUnit), std::llround(pen.fromY() * m_tenthsPerUnit)})
        reach(to);
}

std::string Fingerprinter::value() const
{
    if (m_points == 0)
        return {};
    char text[64];
    std::snprintf(text, sizeof text, "%lld-%016llx%016llx", static_cast<long long>(m_points),
                  static_cast<unsigned long long>(m_first), static_cast<unsigned long long>(m_second));
    return text;
}

} // namespace orlika
