// SPDX-License-Identifier: MIT
// A design as a machine sews it, apart from any file format: the needle's path as whole
// tenths of a millimetre from the design's start point (y growing downward, as on a page),
// with every jump, trim, colour change and the end. Writers are fed this path, never a
// file; the proof of a written file compares two such paths.
#pragma once

#include "decoders/Design.h"
#include "decoders/DesignTrace.h"
#include "decoders/PenTrace.h"
#include "decoders/Registry.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace orlika {

struct Needle {
    enum class Kind : std::uint8_t {
        Stitch,       // the needle goes down at (x, y)
        Jump,         // the frame travels to (x, y) without sewing
        Trim,         // the thread is cut; (x, y) is where the needle stands
        ColorChange,  // the machine stops for the next thread; `color` is its colour
        End,          // nothing follows
    };
    Kind kind = Kind::Stitch;
    std::int32_t x = 0;
    std::int32_t y = 0;
    Color color = 0;
};

/// A needle path pulled one needle at a time; after the End (or when the path ran out)
/// next() returns false.
class NeedleStream {
public:
    virtual ~NeedleStream() = default;
    virtual bool next(Needle& needle) = 0;
};

/// Why a design cannot be converted or a written file was refused: a sentence for the user.
class ConversionFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// The needle path of a design file, read by its format's reader. The file is read from
/// its start, so one open file can feed several reads one after another.
class DesignNeedles final : public NeedleStream {
public:
    /// Reads the header and measures the design; throws ConversionFailure for a file the
    /// reader rejects.
    DesignNeedles(const Reader& reader, DesignFile& file, const std::string& path);
    ~DesignNeedles() override;

    const Design& design() const { return m_design; }
    /// The colour the design starts sewing in.
    Color firstColor() const { return m_firstColor; }
    bool next(Needle& needle) override;
    /// Why the file's movements stopped before the design's end, when they did; known once
    /// next() has returned false.
    const std::optional<std::string>& error() const;

private:
    std::int32_t tenths(double units) const;
    void endPath();

    Design m_design;
    DesignReading m_reading;
    std::optional<PenTrace> m_pen;
    Color m_firstColor = Black;
    double m_tenthsPerUnit;
    std::span<const Movement> m_batch;
    std::size_t m_taken = 0;
    bool m_ended = false;
    std::optional<std::string> m_error;
};

/// The path turned a quarter turn clockwise about the start point, as a design is turned
/// to fit a hoop.
class TurnedNeedles final : public NeedleStream {
public:
    explicit TurnedNeedles(NeedleStream& source) : m_source(source) {}
    bool next(Needle& needle) override;

private:
    NeedleStream& m_source;
};

/// The path ended at its last stitch: colour changes and jumps after it sew nothing (a
/// DST's end record reads as a colour change too) and would have a machine stop for a
/// thread it never sews; they are left out. A trim there is kept.
class EndedAtLastStitch final : public NeedleStream {
public:
    explicit EndedAtLastStitch(NeedleStream& source) : m_source(source) {}
    bool next(Needle& needle) override;

private:
    NeedleStream& m_source;
    std::vector<Needle> m_held;   // what came after the last stitch so far
    std::vector<Needle> m_queue;  // what a stitch showed is not the tail, handed out in order
    std::size_t m_queueAt = 0;
    bool m_sewn = false;
    bool m_ended = false;
};

/// The longest step a format's record holds, on each axis, in tenths of a millimetre.
struct StepLimits {
    std::int32_t stitch = 0;
    std::int32_t jump = 0;
};

/// The path with every stitch longer than the limit cut into equal stitches that end on
/// the same point, and every longer jump into jumps. Nothing else changes.
class SplitNeedles final : public NeedleStream {
public:
    SplitNeedles(NeedleStream& source, StepLimits limits) : m_source(source), m_limits(limits) {}
    bool next(Needle& needle) override;

private:
    NeedleStream& m_source;
    StepLimits m_limits;
    Needle m_target;              // the needle being cut into pieces
    std::int32_t m_fromX = 0, m_fromY = 0;
    std::int32_t m_x = 0, m_y = 0;  // where the needle stands
    std::int64_t m_pieces = 0, m_piece = 0;
};

/// A box of points; empty until a point is taken.
struct NeedleBox {
    std::int32_t minX = 0, maxX = 0, minY = 0, maxY = 0;
    bool empty = true;
    void take(std::int32_t x, std::int32_t y);
    std::int32_t width() const { return empty ? 0 : maxX - minX; }
    std::int32_t height() const { return empty ? 0 : maxY - minY; }
};

/// What a writer must know before the records: counts, boxes and the colour of each
/// colour block, from one pass over the path it will write.
struct NeedleSummary {
    std::int64_t stitches = 0;
    std::int64_t jumps = 0;
    std::int64_t trims = 0;
    std::int64_t colorChanges = 0;
    std::int64_t needles = 0;     // every needle but the End
    NeedleBox stitchBox;          // the stitches' points
    NeedleBox pathBox;            // every point the path reaches, the start point included
    NeedleBox reachedBox;         // every point the path reaches after the start point
    std::int32_t endX = 0, endY = 0;
    /// The colour of each block: the first thread's, then each change's (a change that
    /// names no colour keeps the one before).
    std::vector<Color> blockColors;
};

NeedleSummary summarize(NeedleStream& needles, Color firstColor);

} // namespace orlika
