// SPDX-License-Identifier: MIT
#pragma once

#include "platform/DesignFile.h"

#include <vector>

namespace orlika {

// A design file held in memory: for tests, fuzzing and benchmarks.
class MemoryFile final : public DesignFile {
public:
    explicit MemoryFile(std::vector<std::uint8_t> bytes) : m_bytes(std::move(bytes)) {}
    MemoryFile(const std::uint8_t* data, std::size_t size) : m_bytes(data, data + size) {}

    std::size_t read(std::span<std::uint8_t> buffer) override;
    void seek(std::int64_t position) override;
    std::int64_t position() const override { return m_position; }
    std::int64_t size() const override { return std::int64_t(m_bytes.size()); }

private:
    std::vector<std::uint8_t> m_bytes;
    std::int64_t m_position = 0;
};

} // namespace orlika
