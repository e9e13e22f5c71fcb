// SPDX-License-Identifier: MIT
// How a stitch of round, slightly shiny thread lit from the upper left is drawn: as a few
// strokes laid one over another along it, a faint shadow on the fabric, the thread's dark
// edge, its body in its colour and a sheen, each narrower than the one below and shifted
// toward the light by as much as the stitch faces it. Stitches are sorted into a few
// buckets of direction, and each bucket's strokes are worked out once: the look costs a
// few plain strokes, not lighting worked out pixel by pixel.
#pragma once

#include "platform/Color.h"

#include <array>

namespace orlika {

/// The thread's width: a common 40-weight embroidery thread as it lies on the fabric.
constexpr double kThreadWidthMm = 0.4;
constexpr double kThinnestThreadMm = 0.2;
constexpr double kThickestThreadMm = 0.6;

/// Directions are told apart in this many buckets over a half turn: a stitch and the
/// same stitch sewn the other way are lit alike.
constexpr int kDirectionBuckets = 12;

/// The bucket of a stitch going (dx, dy), y downward; a stitch of no length is bucket 0.
int directionBucket(double dx, double dy);

/// One of the strokes a stitch is drawn with.
struct ThreadStroke {
    Color color = Black;
    double opacity = 1;  // below 1 for the shadow only
    double width = 1;    // in thread widths
    double dx = 0;       // shift from the stitch's line, in thread widths
    double dy = 0;
};

/// The strokes, bottom to top: shadow, edge, body, sheen.
constexpr int kThreadStrokes = 4;
using ThreadStrokes = std::array<ThreadStroke, kThreadStrokes>;

/// The strokes of a thread of `thread`'s colour (a palette mark in the top byte is
/// ignored) for stitches of direction bucket `bucket`.
ThreadStrokes threadStrokes(Color thread, int bucket);

/// The thread's colour across its width, from one edge to the other, in this many steps.
constexpr int kProfileSteps = 64;
/// The colours the strokes above give across the thread of bucket `bucket` (the shadow
/// aside), step by step from the side at -across to the side at +across, where across is
/// the stitch's direction turned a quarter clockwise on the screen (y downward) once the
/// direction is taken within a half turn from the +x axis: what the strokes look like
/// laid over one another, for drawing a stitch at once.
std::array<Color, kProfileSteps> threadProfile(Color thread, int bucket);
/// The unit vector across a stitch going (dx, dy) that threadProfile() runs along.
void acrossStitch(double dx, double dy, double& acrossX, double& acrossY);

} // namespace orlika
