// SPDX-License-Identifier: MIT
// What must hold whenever a reader reads a file, whatever its bytes: the checks the fuzz
// targets run on every input and the test suite runs on the samples, the kept corpus and
// every input that once broke a reader. A check takes the reader to run as a parameter,
// so that a test can hand it a reader with a deliberate fault and see the check fire.
#pragma once

#include "decoders/Registry.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orlika {

class CellContext;
class DesignFile;

namespace fuzz {

enum class Invariant {
    /// The file read in random short pieces gives the cell that one whole read gives.
    SameInPieces,
    /// Every point lies in the rectangle that the measured extents and the scale predict.
    InsideExtents,
    /// The remarks' counts are what the drawing pass did, where both count the same.
    RemarkCounts,
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

using ReadRoutine = std::function<void(CellContext&, DesignFile&)>;

/// Reads the bytes as the file `fileName` with `read`, in every page layout, once whole
/// and once in short pieces, and returns what does not hold. `routine` names the
/// registry's reader whose rules apply ("PESFormat"...). A header number that is not a
/// number (ConversionError) is the run's reported error and compared like the drawing;
/// any other exception passes to the caller.
std::vector<Violation> checkReader(std::string_view routine, const ReadRoutine& read, const std::string& fileName,
                                   std::span<const std::uint8_t> bytes);

/// The same with the registry's reader of that name.
std::vector<Violation> checkReader(const Reader& reader, const std::string& fileName,
                                   std::span<const std::uint8_t> bytes);

/// The name a fuzz target reads its inputs as: "design." and its first extension.
std::string fuzzFileName(const FuzzTarget& target);

} // namespace fuzz
} // namespace orlika
