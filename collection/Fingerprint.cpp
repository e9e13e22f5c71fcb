// SPDX-License-Identifier: MIT
#include "collection/Fingerprint.h"

#include <xxhash.h>

#include <bit>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

namespace orlika {

namespace {

// The hashed bytes are the same on every machine: numbers little-endian.
void storeLittleEndian(std::uint8_t* at, std::uint64_t value)
{
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(at, &value, sizeof value);
    } else {
        for (int i = 0; i < 8; ++i)
            at[i] = std::uint8_t(value >> (8 * i));
    }
}

} // namespace

void Fingerprinter::FreeState::operator()(XXH3_state_s* state) const
{
    XXH3_freeState(state);
}

Fingerprinter::Fingerprinter(DesignUnit unit)
    : m_tenthsPerUnit(millimetresPerUnit(unit) * 10), m_hash(XXH3_createState())
{
    if (!m_hash || XXH3_128bits_reset(m_hash.get()) != XXH_OK)
        throw std::bad_alloc();
}

Fingerprinter::~Fingerprinter() = default;

std::int64_t Fingerprinter::tenths(double units) const
{
    // As llround, without a call: the whole part by truncation, then the half away from
    // zero. Positions lie far inside the 64-bit range (a pen's steps are bounded).
    const double value = units * m_tenthsPerUnit;
    constexpr double kLimit = 9.0e18;
    if (!(value > -kLimit && value < kLimit))
        return value > 0 ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
    std::int64_t whole = std::int64_t(value);
    const double fraction = value - double(whole);
    if (fraction >= 0.5)
        ++whole;
    else if (fraction <= -0.5)
        --whole;
    return whole;
}

Fingerprinter::Point Fingerprinter::here(const PenTrace& pen) const
{
    return {tenths(pen.x()), tenths(pen.y())};
}

void Fingerprinter::add(char token, Point point)
{
    constexpr std::size_t kRecord = 17;
    if (m_pendingSize + kRecord > m_pending.size())
        hashPending();
    const Point relative{point.x - m_origin.x, point.y - m_origin.y};
    std::uint8_t* bytes = m_pending.data() + m_pendingSize;
    bytes[0] = std::uint8_t(token);
    storeLittleEndian(bytes + 1, std::uint64_t(relative.x));
    storeLittleEndian(bytes + 9, std::uint64_t(relative.y));
    m_pendingSize += kRecord;
}

void Fingerprinter::hashPending()
{
    XXH3_128bits_update(m_hash.get(), m_pending.data(), m_pendingSize);
    m_pendingSize = 0;
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
    // Once it has started the needle stands on the point last reached, which reach() does
    // not count again, so only the start needs the stitch's own start point.
    const Point to = here(pen);
    if (m_started || to != Point{tenths(pen.fromX()), tenths(pen.fromY())})
        reach(to);
}

std::string Fingerprinter::value() const
{
    if (m_points == 0)
        return {};
    // The digest of what is hashed and what waits, on a copy: taking the value changes nothing.
    const std::unique_ptr<XXH3_state_s, FreeState> copy(XXH3_createState());
    if (!copy)
        throw std::bad_alloc();
    XXH3_copyState(copy.get(), m_hash.get());
    XXH3_128bits_update(copy.get(), m_pending.data(), m_pendingSize);
    const XXH128_hash_t hash = XXH3_128bits_digest(copy.get());
    char text[64];
    std::snprintf(text, sizeof text, "%lld-%016llx%016llx", static_cast<long long>(m_points),
                  static_cast<unsigned long long>(hash.high64), static_cast<unsigned long long>(hash.low64));
    return text;
}

} // namespace orlika
