// SPDX-License-Identifier: MIT
// Designs made by the project itself: for the bundled samples, the tests and the benchmarks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orlika::gen {

// One step of a design, in absolute design units of 0.1 mm, y growing upward.
struct Step {
    enum class Kind { Stitch, Jump, ColorChange } kind = Kind::Stitch;
    int x = 0;
    int y = 0;
    int thread = 0;  // for ColorChange: the new thread's index in the design's palette
};

struct Design {
    std::string name;
    std::vector<int> threads;  // thread numbers in sewing order (format-specific meaning)
    std::vector<Step> steps;

    void stitch(int x, int y) { steps.push_back({Step::Kind::Stitch, x, y, 0}); }
    void jump(int x, int y) { steps.push_back({Step::Kind::Jump, x, y, 0}); }
    void colorChange(int thread) { steps.push_back({Step::Kind::ColorChange, 0, 0, thread}); }
    /// Stitches along a straight line in steps of at most `length` units.
    void runTo(int x, int y, int length = 25);
    /// The last position reached.
    std::pair<int, int> position() const;
};

/// A five-pointed star outline filled with a zigzag, in two colours.
Design makeStar(int radius);
/// A filled circle in satin rows, with an outline in a second colour.
Design makeFilledCircle(int radius);
/// The word's letters as single-line outlines, one colour per letter.
Design makeTextOutline(const std::string& text, int letterHeight);
/// A spiral of exactly `stitchCount` stitches in `colors` colours (for benchmarks).
Design makeSpiral(int stitchCount, int colors);

} // namespace orlika::gen
