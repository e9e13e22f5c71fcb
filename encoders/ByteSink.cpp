// SPDX-License-Identifier: MIT
#include "encoders/ByteSink.h"

#include "encoders/Needles.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace orlika {

void ByteSink::putLittleEndian(std::uint64_t value, int width)
{
    std::array<std::uint8_t, 8> bytes{};
    for (int i = 0; i < width; ++i)
        bytes[std::size_t(i)] = std::uint8_t(value >> (8 * i));
    append(std::span(bytes).first(std::size_t(width)));
}

void ByteSink::putBigEndian(std::uint64_t value, int width)
{
    std::array<std::uint8_t, 8> bytes{};
    for (int i = 0; i < width; ++i)
        bytes[std::size_t(i)] = std::uint8_t(value >> (8 * (width - 1 - i)));
    append(std::span(bytes).first(std::size_t(width)));
}

void ByteSink::putText(std::string_view text)
{
    append({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

void ByteSink::putZeros(std::size_t count)
{
    static constexpr std::array<std::uint8_t, 256> kZeros{};
    while (count > 0) {
        const std::size_t now = std::min(count, kZeros.size());
        append(std::span(kZeros).first(now));
        count -= now;
    }
}

void ByteSink::patchLittleEndian(std::uint64_t offset, std::uint64_t value, int width)
{
    std::array<std::uint8_t, 8> bytes{};
    for (int i = 0; i < width; ++i)
        bytes[std::size_t(i)] = std::uint8_t(value >> (8 * i));
    patch(offset, std::span(bytes).first(std::size_t(width)));
}

void ByteSink::patchBigEndian(std::uint64_t offset, std::uint64_t value, int width)
{
    std::array<std::uint8_t, 8> bytes{};
    for (int i = 0; i < width; ++i)
        bytes[std::size_t(i)] = std::uint8_t(value >> (8 * (width - 1 - i)));
    patch(offset, std::span(bytes).first(std::size_t(width)));
}

void VectorSink::append(std::span<const std::uint8_t> bytes)
{
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
}

void VectorSink::patch(std::uint64_t offset, std::span<const std::uint8_t> bytes)
{
    if (offset > m_bytes.size() || bytes.size() > m_bytes.size() - offset)
        throw std::logic_error("patch beyond the bytes written");
    std::memcpy(m_bytes.data() + offset, bytes.data(), bytes.size());
}

namespace {
constexpr std::size_t kBufferSize = 64 * 1024;
}

FileSink::FileSink(int descriptor, std::string path) : m_descriptor(descriptor), m_path(std::move(path))
{
    m_buffer.reserve(kBufferSize);
}

FileSink::~FileSink()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

void FileSink::fail(int error) const
{
    throw ConversionFailure("cannot write " + m_path + ": " + std::strerror(error));
}

void FileSink::flush()
{
    std::size_t done = 0;
    while (done < m_buffer.size()) {
        const ssize_t now = ::pwrite(m_descriptor, m_buffer.data() + done, m_buffer.size() - done, off_t(m_written + done));
        if (now < 0 && errno == EINTR)
            continue;
        if (now <= 0)
            fail(now < 0 ? errno : ENOSPC);
        done += std::size_t(now);
    }
    m_written += m_buffer.size();
    m_buffer.clear();
}

void FileSink::append(std::span<const std::uint8_t> bytes)
{
    if (m_buffer.size() + bytes.size() > kBufferSize)
        flush();
    if (bytes.size() >= kBufferSize) {
        m_buffer.assign(bytes.begin(), bytes.end());
        flush();
        return;
    }
    m_buffer.insert(m_buffer.end(), bytes.begin(), bytes.end());
}

void FileSink::patch(std::uint64_t offset, std::span<const std::uint8_t> bytes)
{
    if (offset > size() || bytes.size() > size() - offset)
        throw std::logic_error("patch beyond the bytes written");
    // The part still in the buffer is patched there, the rest in the file.
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::uint64_t at = offset + i;
        if (at >= m_written) {
            m_buffer[std::size_t(at - m_written)] = bytes[i];
            continue;
        }
        std::size_t run = 1;
        while (i + run < bytes.size() && at + run < m_written)
            ++run;
        errno = 0;
        if (::pwrite(m_descriptor, bytes.data() + i, run, off_t(at)) != ssize_t(run))
            fail(errno ? errno : ENOSPC);
        i += run - 1;
    }
}

void FileSink::finish(bool durable)
{
    flush();
    if (durable && ::fsync(m_descriptor) != 0 && errno != EINVAL)
        fail(errno);
}

} // namespace orlika
