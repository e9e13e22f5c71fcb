// SPDX-License-Identifier: MIT
// The one way the readers take bytes from a design file. A cursor reads the file in blocks
// into a fixed buffer that the reader owns and hands out little-endian numbers, runs of
// bytes and fixed-size records. The data may end anywhere: a short read is a count, never
// an access past the buffer, the data or the cursor's limit.
#pragma once

#include "platform/DesignFile.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <type_traits>
#include <utility>

namespace orlika {

/// A number taken from the file, with the count of its bytes that the data held: fewer
/// than its width where the data ends, the missing high bytes then being 0.
template <typename T>
struct Read {
    T value{};
    std::size_t count = 0;
    bool complete() const { return count == sizeof(T); }
};

namespace detail {

template <typename U, std::size_t N, std::size_t... K>
constexpr U littleEndianOf(std::span<const std::uint8_t, N> bytes, std::index_sequence<K...>)
{
    // Written out byte by byte, so that the compiler sees one little-endian load.
    return U(((U(bytes[K]) << (8 * K)) | ...));
}

} // namespace detail

/// The little-endian number that the N bytes (as many as T holds at most) make.
template <typename T, std::size_t N>
constexpr T littleEndian(std::span<const std::uint8_t, N> bytes)
{
    static_assert(N != std::dynamic_extent && N <= sizeof(T));
    using U = std::make_unsigned_t<T>;
    return T(detail::littleEndianOf<U>(bytes, std::make_index_sequence<N>()));
}

/// Whole records of N bytes, in file order, as ByteCursor::records hands them out: views
/// into the cursor's buffer, valid until the cursor is used again.
template <std::size_t N>
class RecordBlock {
public:
    using Record = std::span<const std::uint8_t, N>;

    class Iterator {
    public:
        explicit Iterator(const std::uint8_t* at) : m_at(at) {}
        Record operator*() const { return Record(m_at, N); }
        Iterator& operator++()
        {
            m_at += N;
            return *this;
        }
        bool operator==(const Iterator&) const = default;

    private:
        const std::uint8_t* m_at;
    };

    RecordBlock() = default;
    /// The bytes must hold whole records only.
    explicit RecordBlock(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    std::size_t size() const { return m_bytes.size() / N; }
    bool empty() const { return m_bytes.empty(); }
    explicit operator bool() const { return !empty(); }
    Record operator[](std::size_t index) const { return m_bytes.subspan(index * N).template first<N>(); }
    /// The records from `index` on.
    RecordBlock from(std::size_t index) const
    {
        return RecordBlock(index >= size() ? std::span<const std::uint8_t>() : m_bytes.subspan(index * N));
    }
    Iterator begin() const { return Iterator(m_bytes.data()); }
    Iterator end() const { return Iterator(m_bytes.data() + m_bytes.size()); }

private:
    std::span<const std::uint8_t> m_bytes;
};

class ByteCursor {
public:
    static constexpr std::int64_t kNoLimit = std::numeric_limits<std::int64_t>::max();

    /// Reads `file` from its current position on, a block of buffer.size() bytes at a time.
    ByteCursor(DesignFile& file, std::span<std::uint8_t> buffer);

    /// The file position of the next byte handed out.
    std::int64_t position() const { return m_filePosition - std::int64_t(m_end - m_begin); }
    /// The file's size in bytes.
    std::int64_t size() const { return m_file.size(); }
    /// Moves to a file position; a negative one throws InOutError, as the file does.
    void seek(std::int64_t position);
    /// Moves on by `count` bytes.
    void skip(std::int64_t count)
    {
        if (count >= 0 && count <= std::int64_t(m_end - m_begin))
            m_begin += std::size_t(count);
        else
            seek(position() + count);
    }
    /// Hands out nothing at or beyond the file position `end` (kNoLimit: the data's end).
    void limitTo(std::int64_t end) { m_limit = end; }

    Read<std::uint8_t> u8() { return number<std::uint8_t, 1>(); }
    Read<std::uint16_t> u16() { return number<std::uint16_t, 2>(); }
    /// Three bytes, as some headers store their lengths.
    Read<std::uint32_t> u24() { return number<std::uint32_t, 3>(); }
    Read<std::uint32_t> u32() { return number<std::uint32_t, 4>(); }
    Read<std::int16_t> i16() { return signedOf(u16()); }
    Read<std::int32_t> i32() { return signedOf(u32()); }

    /// Copies the next bytes into `out` as far as the data goes; returns the count.
    std::size_t bytes(std::span<std::uint8_t> out);
    /// The next `count` bytes (at most the buffer's size) without moving past them; fewer
    /// only where the data ends.
    std::span<const std::uint8_t> peek(std::size_t count)
    {
        fill(count);
        return {m_buffer.data() + m_begin, std::min(available(), count)};
    }

    /// The bytes already buffered from the position on, short of the limit, without
    /// reading: after peek(n) at least the n bytes it gave.
    std::span<const std::uint8_t> buffered() const { return {m_buffer.data() + m_begin, available()}; }

    /// The next block of up to `count` whole records of N bytes (count x N at most the
    /// buffer's size). A block is filled as far as the data goes, whatever a single read
    /// of the file delivers, so blocks always start `count` records apart; a record cut
    /// by the end of a block is carried over and handed out whole in the next. Empty when
    /// no whole record is left: a part record at the end of the data is never handed out.
    template <std::size_t N>
    RecordBlock<N> records(std::size_t count)
    {
        const std::size_t wanted = count * N;
        fill(wanted);
        const std::size_t whole = std::min(available(), wanted) / N * N;
        const std::span<const std::uint8_t> block(m_buffer.data() + m_begin, whole);
        m_begin += whole;
        return RecordBlock<N>(block);
    }

private:
    /// Bytes buffered and not yet handed out, short of the limit.
    std::size_t available() const
    {
        const std::size_t buffered = m_end - m_begin;
        const std::int64_t allowed = m_limit - position();
        return allowed <= 0 ? 0 : std::int64_t(buffered) < allowed ? buffered : std::size_t(allowed);
    }
    /// Makes at least `wanted` bytes (at most the buffer's size) available, or all the
    /// data holds before its end or the limit.
    void fill(std::size_t wanted)
    {
        if (available() < wanted)
            refill(wanted);
    }
    void refill(std::size_t wanted);

    template <typename T, std::size_t Width>
    Read<T> number()
    {
        fill(Width);
        const std::size_t count = std::min(available(), Width);
        // The bytes a short read did not deliver count as 0.
        std::array<std::uint8_t, Width> bytes{};
        std::copy_n(m_buffer.begin() + std::ptrdiff_t(m_begin), count, bytes.begin());
        m_begin += count;
        return {littleEndian<T>(std::span<const std::uint8_t, Width>(bytes)), count};
    }
    template <typename U>
    static Read<std::make_signed_t<U>> signedOf(Read<U> read)
    {
        return {std::make_signed_t<U>(read.value), read.count};
    }

    DesignFile& m_file;
    std::span<std::uint8_t> m_buffer;
    std::size_t m_begin = 0;           // first buffered byte not yet handed out
    std::size_t m_end = 0;             // end of the buffered bytes
    std::int64_t m_filePosition = 0;   // file position of the byte after the buffered ones
    std::int64_t m_limit = kNoLimit;
};

/// Hands every whole record from the cursor's position on to visit(record), a block of
/// `blockRecords` records at a time, until the data ends or visit returns false.
template <std::size_t N, typename Visit>
void forEachRecord(ByteCursor& cursor, std::size_t blockRecords, Visit&& visit)
{
    while (const RecordBlock<N> block = cursor.records<N>(blockRecords))
        for (const auto record : block)
            if (!visit(record))
                return;
}

} // namespace orlika
