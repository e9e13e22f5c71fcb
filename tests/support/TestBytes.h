// SPDX-License-Identifier: MIT
// Small helpers the reader tests share: byte strings, slow files, drawing logs.
#pragma once

#include "platform/Color.h"
#include "platform/MemoryFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace orlika::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline Bytes repeat(const Bytes& part, std::size_t times)
{
    Bytes out;
    out.reserve(part.size() * times);
    for (std::size_t i = 0; i < times; ++i)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

// A file that hands out at most `chunk` bytes a read, as a slow device may.
class ChoppyFile final : public DesignFile {
public:
    ChoppyFile(Bytes bytes, std::size_t chunk) : m_file(std::move(bytes)), m_chunk(chunk) {}
    std::size_t read(std::span<std::uint8_t> buffer) override
    {
        return m_file.read(buffer.first(std::min(buffer.size(), m_chunk)));
    }
    void seek(std::int64_t position) override { m_file.seek(position); }
    std::int64_t position() const override { return m_file.position(); }
    std::int64_t size() const override { return m_file.size(); }

private:
    MemoryFile m_file;
    std::size_t m_chunk;
};

/// The recording canvas's log line for a pen colour.
inline std::string penLine(Color color)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "PenColor 0x%06X", unsigned(color));
    return buffer;
}

/// The drawing calls of a recording canvas's log (moves, lines, pen colours), in order.
inline std::vector<std::string> drawingCalls(const std::vector<std::string>& log)
{
    std::vector<std::string> out;
    for (const auto& line : log)
        if (line.rfind("MoveTo", 0) == 0 || line.rfind("LineTo", 0) == 0 || line.rfind("PenColor", 0) == 0)
            out.push_back(line);
    return out;
}

} // namespace orlika::test
