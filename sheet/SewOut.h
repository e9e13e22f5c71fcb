// SPDX-License-Identifier: MIT
// A design sewn out stitch by stitch in its sewing order, as the design view plays it:
// where the needle is after a while at the machine's speed times a multiple, stopping
// at the end of a colour block when asked.
#pragma once

#include "sheet/DesignPicture.h"

#include <QImage>

#include <cstdint>
#include <optional>
#include <vector>

namespace orlika {

/// The design as far as its first `stitches` stitches: the blocks begun, the last one cut
/// after its share.
DesignPicture sewnPart(const DesignPicture& picture, std::int64_t stitches);
/// The stitches after the first `from` up to the first `to`, in their blocks.
DesignPicture sewnBetween(const DesignPicture& picture, std::int64_t from, std::int64_t to);

/// Draws those stitches as the design view's lines on white (antialiased, as wide as a
/// thread but never under a pixel) into `image`, millimetres mapped to the image's pixels
/// as x * scale + offset: a sew-out adds the stitches sewn since its last picture.
void drawLineStitches(QImage& image, const DesignPicture& picture, double scale, QPointF offset, std::int64_t from,
                      std::int64_t to);

/// Where the needle is after the design's first `stitches` stitches (its start before
/// the first); none for a picture without stitches.
std::optional<QPointF> needleAfter(const DesignPicture& picture, std::int64_t stitches);

class SewOut {
public:
    enum class Advance {
        Sewing,       // more to sew
        BlockEnded,   // stopped at a block's last stitch, as asked
        DesignEnded,  // every stitch sewn
    };

    explicit SewOut(const DesignPicture& picture);

    std::int64_t stitches() const { return m_blockEnds.empty() ? 0 : m_blockEnds.back(); }
    /// Stitches sewn so far.
    std::int64_t position() const { return m_position; }
    /// The block being sewn: the block of the last stitch sewn, the first before any.
    std::size_t currentBlock() const;
    /// Goes to a stitch (the slider), within the design.
    void setPosition(std::int64_t position);
    /// Sews what the machine sews in `milliseconds` at `stitchesPerMinute` times `speed`,
    /// a fraction of a stitch carried to the next call; with `pauseAtBlockEnds` it stops
    /// after a block's last stitch.
    Advance advance(double milliseconds, int stitchesPerMinute, double speed, bool pauseAtBlockEnds);

private:
    std::vector<std::int64_t> m_blockEnds;  // stitches sewn when each block is done
    std::int64_t m_position = 0;
    double m_carried = 0;
};

} // namespace orlika
