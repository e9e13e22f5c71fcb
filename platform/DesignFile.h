// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

namespace orlika {

// A failed read, seek or size query of a file, as the runtime reports it.
class InOutError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A design file opened read-only. Reads are block reads that may deliver fewer bytes
// than asked (the count is what counts); reading past the end delivers 0 bytes.
class DesignFile {
public:
    virtual ~DesignFile() = default;

    /// Reads up to buffer.size() bytes at the current position; returns the count delivered.
    virtual std::size_t read(std::span<std::uint8_t> buffer) = 0;
    /// Moves the current position; positions past the end are allowed, negative ones throw.
    virtual void seek(std::int64_t position) = 0;
    /// The current position.
    virtual std::int64_t position() const = 0;
    /// The file's size in bytes.
    virtual std::int64_t size() const = 0;
};

} // namespace orlika
