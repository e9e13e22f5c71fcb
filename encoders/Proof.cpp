// SPDX-License-Identifier: MIT
#include "encoders/Proof.h"

#include <cstdio>
#include <vector>

namespace orlika {

namespace {

/// What the needle does, as sewn.
struct SewnEvent {
    enum class Kind : std::uint8_t { Stitch, Travel, Trim, Block, End };
    Kind kind = Kind::End;
    std::int32_t x = 0, y = 0;
    Color color = 0;  // a stitch's thread, where colours are compared
    bool operator==(const SewnEvent&) const = default;
};

/// A needle path as sewn, from its first stitch to its last, placed from its first
/// stitch's point (where a machine starts a design is its own business). Jumps in a row
/// become one travel to where they end (none when they end where they began); a stitch
/// that does not move is passed over; what comes before the first stitch or after the
/// last (a lead-in, a closing colour change) sews nothing and is left out.
class SewnPath {
public:
    SewnPath(NeedleStream& needles, const ProofRules& rules, Color firstColor)
        : m_needles(needles), m_rules(rules), m_color(firstColor)
    {
    }

    SewnEvent next()
    {
        if (m_readyAt == m_ready.size()) {
            m_ready.clear();
            m_readyAt = 0;
            while (m_ready.empty())
                readOn();
        }
        const SewnEvent event = m_ready[m_readyAt++];
        m_stitches += event.kind == SewnEvent::Kind::Stitch;
        return event;
    }

    /// The stitches handed out so far.
    std::int64_t stitches() const { return m_stitches; }

private:
    // Events between stitches wait until a stitch shows they are not the path's tail; so
    // many that no design has them are let through.
    static constexpr std::size_t kMostWaiting = 65536;

    void readOn()
    {
        Needle needle;
        if (m_ended || !m_needles.next(needle) || needle.kind == Needle::Kind::End) {
            m_ended = true;
            m_ready.push_back({SewnEvent::Kind::End, 0, 0, 0});
            return;
        }
        switch (needle.kind) {
        case Needle::Kind::Jump:
            m_travelX = needle.x;
            m_travelY = needle.y;
            m_travelling = true;
            return;
        case Needle::Kind::Stitch:
            takeStitch(needle.x, needle.y);
            return;
        case Needle::Kind::Trim:
            if (m_rules.trims)
                wait({SewnEvent::Kind::Trim, 0, 0, 0});
            return;
        case Needle::Kind::ColorChange:
            takeTravel();  // in the thread before the change
            if (needle.color != kPenKept)
                m_color = needle.color & 0x00FFFFFF;
            wait({SewnEvent::Kind::Block, 0, 0, 0});
            return;
        case Needle::Kind::End:
            return;
        }
    }

    void takeStitch(std::int32_t x, std::int32_t y)
    {
        takeTravel();
        if (x == m_x && y == m_y) {
            if (m_waiting.size() > kMostWaiting)
                release();
            return;
        }
        sew(x, y);
    }

    void sew(std::int32_t x, std::int32_t y)
    {
        if (!m_started) {
            m_started = true;
            m_originX = x;
            m_originY = y;
            m_waiting.clear();
        }
        release();
        m_x = x;
        m_y = y;
        m_ready.push_back({SewnEvent::Kind::Stitch, x - m_originX, y - m_originY, m_rules.colors ? m_color : 0});
    }

    void wait(const SewnEvent& event)
    {
        if (!m_started)
            return;
        takeTravel();
        m_waiting.push_back(event);
        if (m_waiting.size() > kMostWaiting)
            release();
    }

    /// The travel of the jumps just taken, when it ends away from the needle; before the
    /// first stitch it only moves the needle.
    void takeTravel()
    {
        if (!m_travelling)
            return;
        m_travelling = false;
        if (m_travelX == m_x && m_travelY == m_y)
            return;
        if (m_rules.travelReadsAsStitch && m_rules.travelReadsAsStitch(m_travelX - m_x, m_travelY - m_y)) {
            // It reads back as a stitch: one that starts the path where nothing was sewn
            // yet, else one that waits, as everything between stitches does, for a stitch
            // to show it is not the path's tail (which writers leave out).
            if (!m_started) {
                sew(m_travelX, m_travelY);
                return;
            }
            m_x = m_travelX;
            m_y = m_travelY;
            m_waiting.push_back(
                {SewnEvent::Kind::Stitch, m_x - m_originX, m_y - m_originY, m_rules.colors ? m_color : 0});
            return;
        }
        m_x = m_travelX;
        m_y = m_travelY;
        if (m_started)
            m_waiting.push_back({SewnEvent::Kind::Travel, m_x - m_originX, m_y - m_originY, 0});
    }

    void release()
    {
        if (m_waiting.empty())
            return;
        m_ready.insert(m_ready.end(), m_waiting.begin(), m_waiting.end());
        m_waiting.clear();
    }

    NeedleStream& m_needles;
    ProofRules m_rules;
    Color m_color;
    bool m_started = false;
    bool m_ended = false;
    std::int32_t m_originX = 0, m_originY = 0;
    std::int32_t m_x = 0, m_y = 0;
    std::int32_t m_travelX = 0, m_travelY = 0;
    bool m_travelling = false;
    std::vector<SewnEvent> m_waiting;
    std::vector<SewnEvent> m_ready;  // handed out from m_readyAt on
    std::size_t m_readyAt = 0;
    std::int64_t m_stitches = 0;
};

std::string millimetres(std::int32_t x, std::int32_t y)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.1f, %.1f mm", x / 10.0, y / 10.0);
    return text;
}

std::string describe(const SewnEvent& event)
{
    switch (event.kind) {
    case SewnEvent::Kind::Stitch: {
        char color[32];
        std::snprintf(color, sizeof color, " in #%02x%02x%02x", redOf(event.color), greenOf(event.color),
                      blueOf(event.color));
        return "a stitch to " + millimetres(event.x, event.y) + color;
    }
    case SewnEvent::Kind::Travel:
        return "a jump to " + millimetres(event.x, event.y);
    case SewnEvent::Kind::Trim:
        return "a trim";
    case SewnEvent::Kind::Block:
        return "a colour change";
    case SewnEvent::Kind::End:
        return "the end";
    }
    return {};
}

} // namespace

std::optional<std::string> firstDifference(NeedleStream& meant, NeedleStream& written, std::span<const Color> blockColors,
                                           Color writtenFirst, const ProofRules& rules)
{
    // The meant path's colours are those its blocks were written in.
    class BlockColored final : public NeedleStream {
    public:
        BlockColored(NeedleStream& source, std::span<const Color> colors) : m_source(source), m_colors(colors) {}
        bool next(Needle& needle) override
        {
            if (!m_source.next(needle))
                return false;
            if (needle.kind == Needle::Kind::ColorChange)
                needle.color = ++m_block < m_colors.size() ? m_colors[m_block] : kPenKept;
            return true;
        }

    private:
        NeedleStream& m_source;
        std::span<const Color> m_colors;
        std::size_t m_block = 0;
    };
    BlockColored colored(meant, blockColors);
    const Color meantFirst = blockColors.empty() ? Black : blockColors.front();
    SewnPath expected(colored, rules, meantFirst);
    SewnPath actual(written, rules, writtenFirst & 0x00FFFFFF);
    for (std::int64_t event = 1;; ++event) {
        const SewnEvent want = expected.next();
        const SewnEvent got = actual.next();
        if (want != got)
            return "after " + groupedCount(expected.stitches() - (want.kind == SewnEvent::Kind::Stitch)) +
                   " stitches the file reads back " + describe(got) + " where " + describe(want) + " was written";
        if (want.kind == SewnEvent::Kind::End)
            return std::nullopt;
    }
}

} // namespace orlika
