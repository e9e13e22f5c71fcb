// SPDX-License-Identifier: MIT
// Designs read whole through a decoding, for comparing one format's reading of a design
// with another's: the files, the movements counted by kind, and the points sewn.
#pragma once

#include "decoders/Design.h"
#include "platform/MemoryFile.h"
#include "platform/Rounding.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace orlika::test {

inline std::vector<std::uint8_t> fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

/// The bytes read whole as the design file `name`.
inline DesignValue decodeBytes(const Decoding& decoding, const std::vector<std::uint8_t>& bytes,
                               const std::string& name = "design")
{
    MemoryFile file(bytes.data(), bytes.size());
    return collectDesign(decoding, file, "/designs/" + name);
}

/// A bundled sample read whole.
inline DesignValue decodeSample(const Decoding& decoding, const std::string& name)
{
    return decodeBytes(decoding, fileBytes(std::string(ORLIKA_SAMPLES) + "/" + name), name);
}

struct MovementCounts {
    std::int64_t stitches = 0;
    std::int64_t moves = 0;  // Move and Jump
    std::int64_t trims = 0;
    std::int64_t colorChanges = 0;
    std::int64_t ends = 0;
};

inline MovementCounts countMovements(const DesignValue& value)
{
    MovementCounts counts;
    for (const Movement& m : value.movements) {
        counts.stitches += m.kind == Step::Stitch;
        counts.moves += m.kind == Step::Move || m.kind == Step::Jump;
        counts.trims += m.kind == Step::Trim;
        counts.colorChanges += m.kind == Step::ColorChange;
        counts.ends += m.kind == Step::End;
    }
    return counts;
}

/// The points each stitch sews to, its steps summed from the start point, y up (a format
/// whose y grows downward has its y turned).
inline std::vector<std::pair<float, float>> stitchPoints(const DesignValue& value, bool yUp = true)
{
    std::vector<std::pair<float, float>> points;
    float x = 0, y = 0;
    for (const Movement& m : value.movements) {
        if (m.kind != Step::Stitch && m.kind != Step::Move && m.kind != Step::Jump)
            continue;
        x = toSingle(double(x) + m.x);
        y = toSingle(double(y) + m.y);
        if (m.kind == Step::Stitch)
            points.emplace_back(x, yUp ? y : -y);
    }
    return points;
}

/// The points placed from the first of them: a design as sewn, wherever its file starts it.
inline std::vector<std::pair<float, float>> fromFirstStitch(std::vector<std::pair<float, float>> points)
{
    if (points.empty())
        return points;
    const auto first = points.front();
    for (auto& point : points)
        point = {point.first - first.first, point.second - first.second};
    return points;
}

/// The pen colours of the colour changes, in order.
inline std::vector<Color> changeColors(const DesignValue& value)
{
    std::vector<Color> colors;
    for (const Movement& m : value.movements)
        if (m.kind == Step::ColorChange)
            colors.push_back(m.color);
    return colors;
}

} // namespace orlika::test
