// SPDX-License-Identifier: MIT
// Where a writer puts a file's bytes: appended in order, with a few numbers patched in
// behind them once they are known (counts and offsets a header holds before the records).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orlika {

class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void append(std::span<const std::uint8_t> bytes) = 0;
    /// Overwrites bytes already appended, at `offset` from the file's start.
    virtual void patch(std::uint64_t offset, std::span<const std::uint8_t> bytes) = 0;
    /// The bytes appended so far.
    virtual std::uint64_t size() const = 0;

    void put(std::uint8_t byte) { append({&byte, 1}); }
    void putLittleEndian(std::uint64_t value, int width);
    void putBigEndian(std::uint64_t value, int width);
    void putText(std::string_view text);
    void putZeros(std::size_t count);
    void patchLittleEndian(std::uint64_t offset, std::uint64_t value, int width);
    void patchBigEndian(std::uint64_t offset, std::uint64_t value, int width);
};

/// A file image in memory: for tests and small files.
class VectorSink final : public ByteSink {
public:
    void append(std::span<const std::uint8_t> bytes) override;
    void patch(std::uint64_t offset, std::span<const std::uint8_t> bytes) override;
    std::uint64_t size() const override { return m_bytes.size(); }
    const std::vector<std::uint8_t>& bytes() const { return m_bytes; }
    std::vector<std::uint8_t> take() { return std::move(m_bytes); }

private:
    std::vector<std::uint8_t> m_bytes;
};

/// A file being written through a buffer of its own, so that a design of millions of
/// stitches is written in flat memory. A failed write throws ConversionFailure.
class FileSink final : public ByteSink {
public:
    /// Takes the open descriptor; closes it when it goes.
    FileSink(int descriptor, std::string path);
    ~FileSink() override;
    FileSink(const FileSink&) = delete;
    FileSink& operator=(const FileSink&) = delete;

    void append(std::span<const std::uint8_t> bytes) override;
    void patch(std::uint64_t offset, std::span<const std::uint8_t> bytes) override;
    std::uint64_t size() const override { return m_written + m_buffer.size(); }
    /// Writes what is buffered, and makes the file durable when asked; throws when it cannot.
    void finish(bool durable);

private:
    void flush();
    [[noreturn]] void fail(int error) const;

    int m_descriptor;
    std::string m_path;
    std::vector<std::uint8_t> m_buffer;
    std::uint64_t m_written = 0;
};

} // namespace orlika
