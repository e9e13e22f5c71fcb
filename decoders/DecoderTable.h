// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace orlika {

class Catalog;
class Canvas;

// One reader: its routine name, the format class that selects it, and the upper-cased
// name marks that select it under "All supported formats".
struct DecoderEntry {
    std::string_view name;
    int fileKind;
    std::array<std::string_view, 3> nameMarks;
    void (Catalog::*decode)(Canvas&);
};

/// Every reader, in the order in which file names are tested.
std::span<const DecoderEntry> decoderTable();
/// The reader of a format class (0 KSM, 1 EXP/SEW, 2 PCD, 3 PES/PEC, 4 DST); null for others.
const DecoderEntry* decoderForKind(int fileKind);
/// The reader whose mark the upper-cased file name contains first; null when none.
const DecoderEntry* decoderForName(const std::string& fileName);

} // namespace orlika
