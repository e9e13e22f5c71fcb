// SPDX-License-Identifier: MIT
// How long a design takes to sew and how much thread it uses, from its movements as the
// pen follows them: the stitches, the stops the machine makes (colour changes and stops),
// the thread cut and the long travels between stitches, and the length of every stitch
// per block of one thread.
#pragma once

#include "decoders/PenTrace.h"

#include <cstdint>
#include <vector>

namespace orlika {

/// A machine's speed where the user sets none.
constexpr int kDefaultStitchesPerMinute = 600;

/// Seconds a machine spends on one cut or one travel longer than kLongTravelMm, and on one
/// colour change or stop.
constexpr double kSecondsPerCutOrTravel = 6;
constexpr double kSecondsPerStop = 30;
constexpr double kLongTravelMm = 12;

/// Thread sewn beyond the stitches' own length (tension, tie-ins, tails), and the bobbin's
/// share of the top thread.
constexpr double kThreadAllowance = 1.10;
constexpr double kBobbinShare = 1.0 / 3;

/// Thread used for `stitchedMm` of stitches, in metres.
constexpr double threadMetresFor(double stitchedMm)
{
    return stitchedMm * kThreadAllowance / 1000;
}

/// What sewing a design asks of the machine, in numbers the estimates are made from.
struct SewingCounts {
    std::int64_t stitches = 0;
    /// Cuts and travels of more than kLongTravelMm between two stitches.
    std::int64_t cutsAndTravels = 0;
    /// Colour changes and stops between two stitches, each, also two in a row.
    std::int64_t stops = 0;
    /// The stitches' own length, in millimetres.
    double stitchedMm = 0;

    /// Minutes at `stitchesPerMinute`, with the cuts, travels and stops.
    double minutes(int stitchesPerMinute = kDefaultStitchesPerMinute) const;
    /// Top thread used, in metres.
    double threadMetres() const { return threadMetresFor(stitchedMm); }
    double bobbinMetres() const { return threadMetres() * kBobbinShare; }
};

class SewingTally {
public:
    explicit SewingTally(DesignUnit unit) : m_millimetres(millimetresPerUnit(unit)) {}

    /// Takes the movement the pen has just followed, to `effect`.
    void take(const Movement& movement, PenTrace::Effect effect, const PenTrace& pen);

    SewingCounts counts() const;
    /// The stitches' length of each block of one thread, in millimetres, in sewing order:
    /// a new block starts at a change of colour once the one before has sewn.
    std::vector<double> blockMm() const;

private:
    void sew(const PenTrace& pen);

    double m_millimetres;
    SewingCounts m_counts;
    // Lengths in the design's units, turned into millimetres when asked: a stitch costs a
    // square root and an addition, which every stitch of a collection's index pays.
    std::vector<double> m_blockUnits;  // of the blocks before the last
    double m_lastBlockUnits = 0;
    bool m_sewn = false;             // a stitch was sewn
    bool m_blockSewn = false;        // the last block has sewn since the last change of colour
    std::int64_t m_pendingStops = 0; // since the last stitch
    bool m_travelling = false;       // moved since the last stitch
    double m_lastX = 0, m_lastY = 0; // where the last stitch ended
};

} // namespace orlika
