// SPDX-License-Identifier: MIT
#include "platform/MemoryFile.h"

#include <algorithm>
#include <cstring>

namespace orlika {

std::size_t MemoryFile::read(std::span<std::uint8_t> buffer)
{
    const auto available = std::max<std::int64_t>(0, size() - m_position);
    const auto count = std::size_t(std::min<std::int64_t>(available, std::int64_t(buffer.size())));
    if (count > 0)
        std::memcpy(buffer.data(), m_bytes.data() + m_position, count);
    m_position += std::int64_t(count);
    return count;
}

void MemoryFile::seek(std::int64_t position)
{
    if (position < 0)
        throw InOutError("Seek error");
    m_position = position;
}

} // namespace orlika
