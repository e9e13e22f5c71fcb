// SPDX-License-Identifier: MIT
// What must hold whenever a reader reads a file, whatever its bytes: the checks the fuzz
// targets run on every input and the test suite runs on the samples, the kept corpus and
// every input that once broke a reader. They compare what the cell renderer drew with the
// design the reader's decoder reads, so every format gets every check. A check takes the
// routine that draws the cell as a parameter, so that a test can hand it one with a
// deliberate fault and see the check fire.
#pragma once

#include "cell/CellRenderer.h"
#include "decoders/Registry.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orlika {

namespace fuzz {

enum class Invariant {
    /// The file read in random short pieces gives the cell that one whole read gives.
    SameInPieces,
    /// Every point lies in the rectangle that the measured frame and the scale predict.
    InsideExtents,
    /// A line was drawn for each decoded stitch, a move for each move or jump, a pen colour
    /// for each colour change that sets one; the remarks show the decoded counts.
    DrawnAsDecoded,
    /// The pen is black after the design; the font is black after the name line.
    BlackAfterwards,
};

std::string_view nameOf(Invariant invariant);

struct Violation {
    Invariant invariant;
    std::string layout;  // the page layout it happened in
    std::string detail;
};

/// "InsideExtents in thumb12: ..."
std::string describe(const Violation& violation);

/// Draws a design file into a cell.
using ReadRoutine = std::function<CellOutcome(CellContext&, DesignFile&)>;

/// The reader's design drawn by the cell renderer, its boxes raised on the cell's host.
ReadRoutine cellRoutine(const Reader& reader);

/// Reads the bytes as the file `fileName` with `read`, in every page layout, once whole
/// and once in short pieces, and returns what does not hold against the design that the
/// reader's decoder reads from them. An error that ends reading is compared like the
/// drawing; any other exception passes to the caller.
std::vector<Violation> checkReader(const Reader& reader, const ReadRoutine& read, const std::string& fileName,
                                   std::span<const std::uint8_t> bytes);

/// The same with the reader's own routine.
std::vector<Violation> checkReader(const Reader& reader, const std::string& fileName,
                                   std::span<const std::uint8_t> bytes);

/// The name a fuzz target reads its inputs as: "design." and its first extension.
std::string fuzzFileName(const FuzzTarget& target);

} // namespace fuzz
} // namespace orlika
