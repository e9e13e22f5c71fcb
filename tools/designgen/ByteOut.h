// SPDX-License-Identifier: MIT
// Appending numbers and text to a file image, in either byte order, and what several
// writers derive from a design alike.
#pragma once

#include "tools/designgen/Design.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace orlika::gen {

using ByteVector = std::vector<std::uint8_t>;

inline void putLittleEndian(ByteVector& out, std::uint32_t value, int width)
{
    for (int i = 0; i < width; ++i)
        out.push_back(std::uint8_t(value >> (8 * i)));
}

inline void putBigEndian(ByteVector& out, std::uint32_t value, int width)
{
    for (int i = width - 1; i >= 0; --i)
        out.push_back(std::uint8_t(value >> (8 * i)));
}

/// Byte by byte: GCC 12 misreads range inserts into vectors of known size as overflows.
inline void putBytes(ByteVector& out, const ByteVector& bytes)
{
    out.reserve(out.size() + bytes.size());
    for (const std::uint8_t b : bytes)
        out.push_back(b);
}

inline void putText(ByteVector& out, std::string_view text)
{
    for (const char c : text)
        out.push_back(std::uint8_t(c));
}

/// Overwrites `width` bytes at `at` (which must already exist) with a little-endian value.
inline void patchLittleEndian(ByteVector& out, std::size_t at, std::uint32_t value, int width)
{
    for (int i = 0; i < width; ++i)
        out[at + std::size_t(i)] = std::uint8_t(value >> (8 * i));
}

/// The thread a colour block uses: the design's first thread, then the one each change names.
std::vector<int> threadsInSewingOrder(const Design& design);

/// Extents of the positions a design reaches (jumps included), its origin included.
struct Extents {
    int minX = 0, maxX = 0, minY = 0, maxY = 0;
};
Extents designExtents(const Design& design);

} // namespace orlika::gen
