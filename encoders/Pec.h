// SPDX-License-Identifier: MIT
// The PEC section that every Brother PES and PEC file carries and every Brother machine
// sews from: its header, its stitch stream and its 48 x 38 pictures, written in one pass
// over the needle path in flat memory (docs/formats/pes.md).
#pragma once

#include "encoders/Encoder.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace orlika::pec {

/// The needle path as Brother's records tell it: the colour block the first stitch sews
/// in, stitches, travels (a run of jumps taken as one move to where it ends, and whether
/// the thread was cut on the way), cuts where the needle does not travel, colour changes
/// (each with the block it starts) and the end.
class PathEvents {
public:
    virtual ~PathEvents() = default;
    virtual void begin(std::size_t block) = 0;
    virtual void stitch(std::int32_t x, std::int32_t y) = 0;
    virtual void travel(std::int32_t x, std::int32_t y, bool trimmed) = 0;
    virtual void trim() = 0;
    virtual void colorChange(std::size_t block) = 0;
    virtual void end() = 0;
};

/// Reads the path once and tells every listener each event in order. Colour changes
/// before the first stitch and after the last are not told: they would make a machine ask
/// for a thread it never sews.
void walk(NeedleStream& needles, std::initializer_list<PathEvents*> listeners);

/// ORLIKA's reader draws a long-form step within -256..255 on both axes as a line, with
/// its jump flag or without: a travel that short reads back as a stitch.
constexpr bool travelReadsAsStitch(std::int32_t dx, std::int32_t dy)
{
    return dx >= -256 && dx <= 255 && dy >= -256 && dy <= 255;
}

/// The chart thread (1..64) a block is written with: its own where the conversion matched
/// it to the chart, else the chart's nearest to its colour.
std::uint8_t chartIndexOf(const BlockThread& thread);

/// The most colours the header's list holds; blocks past them sew in the last one.
constexpr std::size_t kMostListedColors = 256;
/// A picture: 48 x 38 pixels, one bit each, 6 bytes a row, the leftmost pixel of each
/// byte in its lowest bit.
constexpr int kPictureWidth = 48;
constexpr int kPictureHeight = 38;
constexpr std::size_t kPictureBytes = kPictureWidth / 8 * kPictureHeight;
using Picture = std::array<std::uint8_t, kPictureBytes>;

/// The section, appended to the sink where it stands when made. Fed the path's events,
/// then finished.
class Section final : public PathEvents {
public:
    Section(const WriteInput& input, ByteSink& out);
    ~Section() override;

    void begin(std::size_t block) override;
    void stitch(std::int32_t x, std::int32_t y) override;
    void travel(std::int32_t x, std::int32_t y, bool trimmed) override;
    void trim() override;
    void colorChange(std::size_t block) override;
    void end() override;
    /// After the end: the colour list and the pictures' offset in the header, the pictures.
    void finish();

    /// Where the section starts in the file.
    std::uint64_t offset() const { return m_offset; }

private:
    class Pictures;

    void writeHeader(const WriteInput& input);
    void listColor(std::size_t block);
    void putStitch(std::int32_t dx, std::int32_t dy);
    void putMove(std::int32_t dx, std::int32_t dy, std::uint8_t flags);
    void putMoveInPieces(std::int32_t dx, std::int32_t dy, std::uint8_t flags);

    ByteSink& m_out;
    std::span<const BlockThread> m_threads;
    std::vector<std::uint8_t> m_colors;  // the thread of each block sewn, in order
    NeedleBox m_box;           // where a detour may go without widening the design
    std::uint64_t m_offset;
    std::int32_t m_x = 0, m_y = 0;
    int m_changes = 0;
    std::unique_ptr<Pictures> m_pictures;
};

} // namespace orlika::pec
