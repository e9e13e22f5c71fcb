// SPDX-License-Identifier: MIT
// A fingerprint of a design's stitches: equal for the same design stored in another
// format, under another name or in another folder. It is the needle's path as a pen
// traces it: the points the needle goes to, in tenths of a millimetre rounded to whole
// ones, relative to the point its first movement takes it to, so the format's units, its
// header and where its coordinates start do not count. A run of moves and jumps counts only where it
// ends (a long jump split in pieces, or a jump that only splits a run, adds nothing), trims
// and steps that do not move the needle are left out, and colour changes stay as
// boundaries between points, without their colours. It does not tell a stitch from a jump:
// a reader may hand a jump on as a stitch (PES draws its jumps as lines).
#pragma once

#include "decoders/Design.h"
#include "decoders/PenTrace.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

struct XXH3_state_s;

namespace orlika {

class Fingerprinter {
public:
    explicit Fingerprinter(DesignUnit unit);
    ~Fingerprinter();
    Fingerprinter(const Fingerprinter&) = delete;
    Fingerprinter& operator=(const Fingerprinter&) = delete;

    /// Takes the next movement, which the pen tracing the design has just followed.
    void take(const Movement& movement, const PenTrace& pen);
    /// The fingerprint: the count of points after the first and a 128-bit hash of the
    /// path, as text ("1234-0123...cdef"); empty for a design the needle never goes
    /// anywhere in.
    std::string value() const;
    /// Points of the path after the first.
    std::int64_t points() const { return m_points; }

private:
    struct Point {
        std::int64_t x = 0;
        std::int64_t y = 0;
        bool operator==(const Point&) const = default;
    };
    struct FreeState {
        void operator()(XXH3_state_s* state) const;
    };
    /// A pen position in tenths of a millimetre, rounded half away from zero.
    std::int64_t tenths(double units) const;
    Point here(const PenTrace& pen) const;
    /// The needle reaches `point`.
    void reach(Point point);
    /// A token and a point of the path, relative to the origin, into the hash: 17 bytes,
    /// gathered into a block that goes to the hash when it is full.
    void add(char token, Point point);
    void hashPending();

    double m_tenthsPerUnit;
    bool m_started = false;     // the first point is reached: it is the origin
    Point m_origin;
    Point m_last;
    bool m_moving = false;      // in a run of moves and jumps, which ends at m_moveEnd
    Point m_moveEnd;
    bool m_boundary = false;    // a colour change since the last point
    std::int64_t m_points = 0;
    std::unique_ptr<XXH3_state_s, FreeState> m_hash;  // XXH3, 128 bits
    std::array<std::uint8_t, 17 * 240> m_pending;      // bytes not yet hashed
    std::size_t m_pendingSize = 0;
};

} // namespace orlika
