// SPDX-License-Identifier: MIT
// The expansion of HUS and VIP stitch sections (docs/formats/hus.md, "The compression"):
// blocks of LZ codes in a 1 KB window, each block with three canonical Huffman tables. A
// section is expanded as it is read, a few hundred bytes at a time, so that a design of any
// length takes the same memory; a damaged or hostile section stops with the reason.
#pragma once

#include "platform/ByteCursor.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace orlika::hus {

/// Why an expansion stopped before it gave the bytes asked for.
enum class ExpandError : std::uint8_t {
    None,
    EmptyBlock,      // a block of 0 codes
    BadTable,        // a code table longer than its alphabet, over-full, or with a length above 16
    UnknownCode,     // a code that the block's table does not hold
    OutsideWindow,   // a copy from before the start of the output or beyond the 1 KB window
    EndCode,         // the code that ends the data, before the bytes asked for
    InputExhausted,  // the section's bits ran out
};

std::string_view describe(ExpandError error);

/// A canonical Huffman code over at most 511 symbols with lengths 1..16, or a table of one
/// symbol that takes no bits. Codes up to kFastBits long are found by one lookup, longer ones
/// by counting through the lengths.
class HuffmanTable {
public:
    static constexpr std::size_t kMaxSymbols = 511;
    static constexpr int kMaxLength = 16;
    static constexpr int kFastBits = 10;

    /// Every code decodes to `symbol` without taking a bit.
    void setSingle(std::uint16_t symbol);
    /// The code of the lengths (0: the symbol has no code). False when a length exceeds 16 or
    /// the lengths over-fill the code space; an under-full table is kept, its unused codes
    /// fail when met.
    bool build(std::span<const std::uint8_t> lengths);

    bool single() const { return m_single; }
    std::uint16_t singleSymbol() const { return m_symbol; }

    /// The symbol whose code starts the 16 bits of `peek` (most significant first) and the
    /// code's length; length 0 when no code of the table starts them.
    struct Match {
        std::uint16_t symbol = 0;
        int length = 0;
    };
    Match match(std::uint32_t peek) const
    {
        if (const std::uint16_t entry = m_fast[peek >> (kMaxLength - kFastBits)]; entry != 0)
            return {std::uint16_t(entry >> 5), entry & 31};
        return matchLong(peek);
    }

private:
    Match matchLong(std::uint32_t peek) const;

    bool m_single = true;
    std::uint16_t m_symbol = 0;
    std::array<std::uint16_t, kMaxLength + 1> m_count{};  // codes of each length
    std::array<std::uint16_t, kMaxSymbols> m_sorted{};    // symbols by length, then by value
    // For each kFastBits-bit prefix: symbol << 5 | length, or 0 where the code is longer.
    std::array<std::uint16_t, 1u << kFastBits> m_fast{};
};

/// Expands one section from the cursor's position on, up to the cursor's limit: the bytes
/// the writer compressed, handed out in pieces of the reader's choosing.
class SectionExpander {
public:
    /// Reads through `input`, which stands at the section's start and is limited to its end.
    explicit SectionExpander(ByteCursor& input) : m_bits(input) {}

    /// Writes the next bytes into `out`: all of them, or fewer when the section stopped
    /// (error() says why); after an error nothing more.
    std::size_t expand(std::span<std::uint8_t> out);
    ExpandError error() const { return m_error; }

    /// The window: copies reach 1 to 1024 bytes back.
    static constexpr std::size_t kWindow = 1024;
    /// Matches copy 3 to 256 bytes.
    static constexpr unsigned kMinMatch = 3;

private:
    // Thrown inside and caught by expand(): a damaged section is not the common case.
    struct Failure {
        ExpandError error;
    };
    [[noreturn]] static void fail(ExpandError error) { throw Failure{error}; }

    // The bits of the section, most significant first; past the section's end they are 0
    // for a look ahead, and taking one of them fails.
    class BitReader {
    public:
        explicit BitReader(ByteCursor& input) : m_input(&input) {}
        std::uint32_t peek16()
        {
            if (m_count < 16)
                refill();
            return std::uint32_t(m_bits >> 48);
        }
        void consume(int count)
        {
            if (count > m_count)
                fail(ExpandError::InputExhausted);
            m_bits <<= count;
            m_count -= count;
        }
        std::uint32_t take(int count)
        {
            if (count == 0)
                return 0;
            const std::uint32_t value = peek16() >> (16 - count);
            consume(count);
            return value;
        }

    private:
        // Inline, so that the decoding loop's copy of the reader stays in registers: a call
        // that took its address would let every byte stored alias it.
        void refill()
        {
            if (m_ended)
                return;
            const std::size_t wanted = std::size_t(64 - m_count) / 8;
            const std::span<const std::uint8_t> bytes = m_input->peek(wanted);
            for (const std::uint8_t byte : bytes) {
                m_bits |= std::uint64_t(byte) << (56 - m_count);
                m_count += 8;
            }
            m_input->skip(std::int64_t(bytes.size()));
            // A cursor hands out fewer bytes than asked only where its data ends.
            m_ended = bytes.size() < wanted;
        }

        ByteCursor* m_input;
        std::uint64_t m_bits = 0;  // the next bits, aligned to the top
        int m_count = 0;           // of them, the ones read from the section
        bool m_ended = false;
    };

    std::size_t produce(std::span<std::uint8_t> out);
    void startBlock();
    void readLengthTable(HuffmanTable& table, std::size_t symbols, bool skipField);
    void readLiteralTable();
    int readCodeLength();
    static std::uint16_t decode(BitReader& bits, const HuffmanTable& table)
    {
        if (table.single())
            return table.singleSymbol();
        const HuffmanTable::Match found = table.match(bits.peek16());
        if (found.length == 0)
            fail(ExpandError::UnknownCode);
        bits.consume(found.length);
        return found.symbol;
    }
    std::size_t copyMatch(std::span<std::uint8_t> out);
    static void copyBytes(std::uint8_t* ring, std::uint8_t* to, std::size_t room, std::uint64_t produced,
                          std::uint64_t back, std::size_t count);

    static constexpr std::size_t kRingSize = 2 * kWindow;
    static constexpr std::size_t kRingMask = kRingSize - 1;

    BitReader m_bits;

    HuffmanTable m_lengthCode;    // T: the code of the literal table's lengths
    HuffmanTable m_literals;      // C: literals 0..255, match lengths 256..509, the end 510
    HuffmanTable m_positions;     // P: copy distances
    std::uint32_t m_codesLeft = 0;  // codes of the current block still to decode

    std::array<std::uint8_t, kRingSize> m_ring{};
    std::uint64_t m_produced = 0;  // bytes expanded so far
    unsigned m_matchLeft = 0;      // bytes of the current match still to copy
    std::uint64_t m_matchBack = 0; // how far back it copies from
    ExpandError m_error = ExpandError::None;
};

/// A whole section held in memory, expanded to `size` bytes: for tests and tools. Fewer
/// bytes where the section stopped, `error` then saying why.
std::vector<std::uint8_t> expandSection(std::span<const std::uint8_t> packed, std::size_t size,
                                        ExpandError* error = nullptr);

} // namespace orlika::hus
