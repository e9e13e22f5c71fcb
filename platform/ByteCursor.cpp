// SPDX-License-Identifier: MIT
#include "platform/ByteCursor.h"

#include <cstring>

namespace orlika {

ByteCursor::ByteCursor(DesignFile& file, std::span<std::uint8_t> buffer)
    : m_file(file), m_buffer(buffer), m_filePosition(file.position())
{
}

void ByteCursor::seek(std::int64_t position)
{
    m_file.seek(position);
    m_begin = m_end = 0;
    m_filePosition = position;
}

void ByteCursor::refill(std::size_t wanted)
{
    // What is left of the last block moves to the front, so that the next record or
    // number lies in one piece.
    if (m_begin > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_begin, m_end - m_begin);
        m_end -= m_begin;
        m_begin = 0;
    }
    while (m_end < wanted && m_end < m_buffer.size()) {
        std::size_t room = m_buffer.size() - m_end;
        const std::int64_t beforeLimit = m_limit - m_filePosition;
        if (beforeLimit <= 0)
            return;
        if (beforeLimit < std::int64_t(room))
            room = std::size_t(beforeLimit);
        const std::size_t got = m_file.read(m_buffer.subspan(m_end, room));
        if (got == 0)
            return;
        m_end += got;
        m_filePosition += std::int64_t(got);
    }
}

std::size_t ByteCursor::bytes(std::span<std::uint8_t> out)
{
    std::size_t copied = 0;
    while (copied < out.size()) {
        fill(std::min(out.size() - copied, m_buffer.size()));
        const std::size_t count = std::min(available(), out.size() - copied);
        if (count == 0)
            break;
        std::memcpy(out.data() + copied, m_buffer.data() + m_begin, count);
        m_begin += count;
        copied += count;
    }
    return copied;
}

} // namespace orlika
