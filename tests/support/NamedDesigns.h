// SPDX-License-Identifier: MIT
// Designs read whole through the registry's readers, for the format tests: from bytes or
// from the sample folders, with their movements as short texts and their figures beside
// another format's.
#pragma once

#include "decoders/Design.h"
#include "decoders/Registry.h"
#include "platform/MemoryFile.h"
#include "tests/support/TestBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace orlika::test {

inline Bytes fileBytesAt(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

/// The design in `bytes`, read by the reader the name selects.
inline DesignValue decodeNamed(const std::string& name, const Bytes& bytes)
{
    const Reader* reader = readerOfName(name);
    if (!reader)
        throw std::runtime_error("no reader for " + name);
    MemoryFile file(bytes);
    return collectDesign(reader->decoding, file, "/designs/" + name);
}

/// A sample of the bundled folder, read.
inline DesignValue decodeSample(const std::string& name)
{
    return decodeNamed(name, fileBytesAt(std::filesystem::path(ORLIKA_SAMPLES) / name));
}

/// "Stitch 10 -5", "Jump 3 4", "Trim", "Color 0x0000FF" (or "Color kept"), "End", "Move 1 2".
inline std::vector<std::string> stepTexts(const std::vector<Movement>& movements)
{
    std::vector<std::string> out;
    for (const Movement& m : movements) {
        char text[48];
        switch (m.kind) {
        case Step::Move:
            std::snprintf(text, sizeof text, "Move %g %g", double(m.x), double(m.y));
            break;
        case Step::Stitch:
            std::snprintf(text, sizeof text, "Stitch %g %g", double(m.x), double(m.y));
            break;
        case Step::Jump:
            std::snprintf(text, sizeof text, "Jump %g %g", double(m.x), double(m.y));
            break;
        case Step::Trim:
            std::snprintf(text, sizeof text, "Trim");
            break;
        case Step::ColorChange:
            if (m.color == kPenKept)
                std::snprintf(text, sizeof text, "Color kept");
            else
                std::snprintf(text, sizeof text, "Color 0x%06X", unsigned(m.color));
            break;
        case Step::End:
            std::snprintf(text, sizeof text, "End");
            break;
        }
        out.emplace_back(text);
    }
    return out;
}

inline std::int64_t countOf(const DesignValue& value, Step kind)
{
    return std::count_if(value.movements.begin(), value.movements.end(), [kind](const Movement& m) { return m.kind == kind; });
}

/// The same design written as DST and as `other`: the same size to 0.1 mm and the same
/// colour changes; the same stitch count where `sameStitchCount` (formats that split long
/// steps alike).
inline void expectSameDesignAsDst(const DesignValue& dst, const DesignValue& other, bool sameStitchCount = true)
{
    ASSERT_TRUE(dst.accepted && other.accepted);
    ASSERT_FALSE(dst.error || other.error) << other.error.value_or("");
    EXPECT_EQ(other.design.bounds.width(), dst.design.bounds.width());
    EXPECT_EQ(other.design.bounds.height(), dst.design.bounds.height());
    // DST's remark counts colours, one more than its changes (its end record changes the pen too).
    EXPECT_EQ(countOf(other, Step::ColorChange), dst.design.remarks.colorChanges - 1);
    EXPECT_EQ(other.design.remarks.colorChanges, dst.design.remarks.colorChanges - 1);
    if (sameStitchCount) {
        EXPECT_EQ(other.design.remarks.stitches, dst.design.remarks.stitches);
    }
}

} // namespace orlika::test
