// SPDX-License-Identifier: MIT
#include "decoders/SewingTally.h"

#include <cmath>

namespace orlika {

namespace {

// The index takes every stitch of a collection through here: a square root is one
// instruction, where hypot guards against overflow no stitch can reach.
double distance(double dx, double dy)
{
    return std::sqrt(dx * dx + dy * dy);
}

} // namespace

double SewingCounts::minutes(int stitchesPerMinute) const
{
    const double sewing = stitchesPerMinute > 0 ? double(stitches) / stitchesPerMinute : 0;
    return sewing + (double(cutsAndTravels) * kSecondsPerCutOrTravel + double(stops) * kSecondsPerStop) / 60;
}

void SewingTally::take(const Movement& movement, PenTrace::Effect effect, const PenTrace& pen)
{
    // Stops and cuts before the first stitch ask nothing of the machine that sews.
    if (movement.kind == Step::ColorChange && m_sewn)
        ++m_pendingStops;
    else if (movement.kind == Step::Trim && m_sewn)
        ++m_counts.cutsAndTravels;
    switch (effect) {
    case PenTrace::Effect::Line:
        sew(pen);
        break;
    case PenTrace::Effect::Move:
        m_travelling = m_sewn;
        break;
    case PenTrace::Effect::Color:
        m_blockSewn = false;
        break;
    case PenTrace::Effect::Nothing:
    case PenTrace::Effect::End:
        break;
    }
}

std::vector<double> SewingTally::blockMm() const
{
    std::vector<double> blocks;
    for (const double units : m_blockUnits)
        blocks.push_back(units * m_millimetres);
    if (m_sewn)
        blocks.push_back(m_lastBlockUnits * m_millimetres);
    return blocks;
}

SewingCounts SewingTally::counts() const
{
    SewingCounts counts = m_counts;
    double units = m_lastBlockUnits;
    for (const double block : m_blockUnits)
        units += block;
    counts.stitchedMm = units * m_millimetres;
    return counts;
}

void SewingTally::sew(const PenTrace& pen)
{
    // A stop or a travel counts once a stitch follows it: after the last stitch the
    // machine is done.
    m_counts.stops += m_pendingStops;
    m_pendingStops = 0;
    if (m_travelling && distance(pen.fromX() - m_lastX, pen.fromY() - m_lastY) * m_millimetres > kLongTravelMm)
        ++m_counts.cutsAndTravels;
    m_travelling = false;
    if (!m_blockSewn) {
        if (m_sewn)
            m_blockUnits.push_back(m_lastBlockUnits);
        m_lastBlockUnits = 0;
        m_blockSewn = true;
    }
    m_lastBlockUnits += distance(pen.x() - pen.fromX(), pen.y() - pen.fromY());
    ++m_counts.stitches;
    m_sewn = true;
    m_lastX = pen.x();
    m_lastY = pen.y();
}

} // namespace orlika
