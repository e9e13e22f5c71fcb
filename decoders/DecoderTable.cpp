// SPDX-License-Identifier: MIT
#include "decoders/DecoderTable.h"

#include "catalog/Catalog.h"

namespace orlika {

namespace {

// Names are tested against the marks in this order; the first reader whose mark the
// name contains reads it.
const DecoderEntry kDecoders[] = {
    {"PCDesignerFormat", 2, {".PCS", ".PCQ", ".PCD"}, &Catalog::PCDesignerFormat},
    {"TajimaFormat", 4, {".DST", {}, {}}, &Catalog::TajimaFormat},
    {"KSMFormat", 0, {".KSM", {}, {}}, &Catalog::KSMFormat},
    {"EXPFormat", 1, {".EXP", ".SEW", {}}, &Catalog::EXPFormat},
    {"PESFormat", 3, {".PEC", ".PES", {}}, &Catalog::PESFormat},
};

} // namespace

std::span<const DecoderEntry> decoderTable()
{
    return kDecoders;
}

const DecoderEntry* decoderForKind(int fileKind)
{
    for (const auto& entry : kDecoders)
        if (entry.fileKind == fileKind)
            return &entry;
    return nullptr;
}

const DecoderEntry* decoderForName(const std::string& fileName)
{
    const std::string upper = upperCase(fileName);
    for (const auto& entry : kDecoders)
        for (const auto mark : entry.nameMarks)
            if (!mark.empty() && upper.find(mark) != std::string::npos)
                return &entry;
    return nullptr;
}

} // namespace orlika
