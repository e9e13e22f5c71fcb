// SPDX-License-Identifier: MIT
#include "decoders/HusExpand.h"

#include "platform/MemoryFile.h"

#include <algorithm>
#include <cstring>

namespace orlika::hus {

namespace {

constexpr std::size_t kLengthCodeSymbols = 19;  // T: the code of the literal table's lengths
constexpr std::size_t kLiteralSymbols = 511;    // C: 0..255 literals, 256..509 matches, 510 the end
constexpr std::size_t kPositionSymbols = 15;    // P: the format's table; a 1 KB window uses 0..10
constexpr std::uint16_t kEndSymbol = 510;
constexpr std::uint16_t kFirstMatchSymbol = 256;
constexpr unsigned kMatchSymbolBase = 256 - SectionExpander::kMinMatch;

} // namespace

std::string_view describe(ExpandError error)
{
    switch (error) {
    case ExpandError::None:
        return "complete";
    case ExpandError::EmptyBlock:
        return "a block without codes";
    case ExpandError::BadTable:
        return "a code table that cannot be";
    case ExpandError::UnknownCode:
        return "a code not in its table";
    case ExpandError::OutsideWindow:
        return "a copy from outside the window";
    case ExpandError::EndCode:
        return "the end code before the last record";
    case ExpandError::InputExhausted:
        return "the data ends before the last record";
    }
    return "?";
}

// ---------------------------------------------------------------------------------------
// Huffman tables

void HuffmanTable::setSingle(std::uint16_t symbol)
{
    m_single = true;
    m_symbol = symbol;
}

bool HuffmanTable::build(std::span<const std::uint8_t> lengths)
{
    if (lengths.size() > kMaxSymbols)
        return false;
    m_single = false;
    m_count.fill(0);
    for (const std::uint8_t length : lengths) {
        if (length > kMaxLength)
            return false;
        if (length > 0)
            ++m_count[length];
    }
    // Each length halves the code space a code takes; together they must not take more than all.
    int left = 1;
    for (int length = 1; length <= kMaxLength; ++length) {
        left = 2 * left - m_count[std::size_t(length)];
        if (left < 0)
            return false;
    }
    std::array<std::uint16_t, kMaxLength + 2> start{};
    for (int length = 1; length <= kMaxLength; ++length)
        start[std::size_t(length) + 1] = std::uint16_t(start[std::size_t(length)] + m_count[std::size_t(length)]);
    for (std::size_t symbol = 0; symbol < lengths.size(); ++symbol)
        if (lengths[symbol] > 0)
            m_sorted[start[lengths[symbol]]++] = std::uint16_t(symbol);
    // Codes are handed out by length, then by symbol, each the last plus one, shifted left
    // as the length grows. Those short enough fill every fast entry they prefix.
    m_fast.fill(0);
    std::uint32_t code = 0;
    std::size_t index = 0;
    for (int length = 1; length <= kFastBits; ++length, code <<= 1) {
        const std::uint32_t span = 1u << (kFastBits - length);
        for (std::uint16_t k = 0; k < m_count[std::size_t(length)]; ++k, ++code) {
            const auto entry = std::uint16_t(m_sorted[index++] << 5 | length);
            std::fill_n(m_fast.begin() + std::ptrdiff_t(code * span), span, entry);
        }
    }
    return true;
}

HuffmanTable::Match HuffmanTable::matchLong(std::uint32_t peek) const
{
    // Codes longer than the fast lookup (or none): the first code of each length follows
    // from the counts.
    std::uint32_t first = 0;
    std::size_t index = 0;
    for (int length = 1; length <= kMaxLength; ++length) {
        const std::uint32_t code = peek >> (kMaxLength - length);
        const std::uint32_t count = m_count[std::size_t(length)];
        if (code - first < count)
            return {m_sorted[index + (code - first)], length};
        index += count;
        first = (first + count) << 1;
    }
    return {};
}

// ---------------------------------------------------------------------------------------
// Block headers

// 3 bits; 7 is followed by a 1 bit for each unit more, ended by a 0 bit.
int SectionExpander::readCodeLength()
{
    int length = int(m_bits.take(3));
    if (length == 7)
        while (m_bits.take(1) == 1)
            if (++length > HuffmanTable::kMaxLength)
                fail(ExpandError::BadTable);
    return length;
}

// The T and P tables: a 5-bit count of lengths, or 0 and the one symbol. The T table holds
// after its third length a 2-bit count of lengths that are 0 (read when the count is 3 too).
void SectionExpander::readLengthTable(HuffmanTable& table, std::size_t symbols, bool skipField)
{
    const std::uint32_t count = m_bits.take(5);
    if (count == 0) {
        const std::uint32_t symbol = m_bits.take(5);
        if (symbol >= symbols)
            fail(ExpandError::BadTable);
        table.setSingle(std::uint16_t(symbol));
        return;
    }
    if (count > symbols)
        fail(ExpandError::BadTable);
    std::array<std::uint8_t, kLengthCodeSymbols> lengths{};
    std::size_t i = 0;
    while (i < count) {
        lengths[i++] = std::uint8_t(readCodeLength());
        if (skipField && i == 3)
            i += m_bits.take(2);  // at most 6: the skipped lengths stay 0
    }
    if (!table.build(std::span(lengths).first(symbols)))
        fail(ExpandError::BadTable);
}

// The C table: a 9-bit count of lengths coded with the T table (0: one zero length, 1 and
// 2: runs of 3..18 and 20..531 zero lengths, s >= 3: a length of s - 2), or 0 and the one
// symbol.
void SectionExpander::readLiteralTable()
{
    const std::uint32_t count = m_bits.take(9);
    if (count == 0) {
        const std::uint32_t symbol = m_bits.take(9);
        if (symbol >= kLiteralSymbols)
            fail(ExpandError::BadTable);
        m_literals.setSingle(std::uint16_t(symbol));
        return;
    }
    std::array<std::uint8_t, kLiteralSymbols> lengths{};
    std::size_t i = 0;
    while (i < count) {
        const std::uint16_t item = decode(m_bits, m_lengthCode);
        if (item == 0)
            i += 1;
        else if (item == 1)
            i += 3 + m_bits.take(4);
        else if (item == 2)
            i += 20 + m_bits.take(9);
        else
            lengths[i++] = std::uint8_t(item - 2);
        // A run of zeros past the stated count is not a table a writer makes.
        if (i > count)
            fail(ExpandError::BadTable);
    }
    if (!m_literals.build(lengths))
        fail(ExpandError::BadTable);
}

void SectionExpander::startBlock()
{
    m_codesLeft = m_bits.take(16);
    if (m_codesLeft == 0)
        fail(ExpandError::EmptyBlock);
    readLengthTable(m_lengthCode, kLengthCodeSymbols, true);
    readLiteralTable();
    readLengthTable(m_positions, kPositionSymbols, false);
}

// ---------------------------------------------------------------------------------------
// Codes

// Copies `count` bytes from `back` bytes behind the `produced`th on into the ring and to
// `to`, which has room for `room` bytes. A copy may overlap the bytes it makes: from one
// byte back it repeats that byte; from 8 bytes back or more, 8 bytes at a time are already
// there to take, and a last word that reaches past the copy writes only ring slots outside
// the window and bytes of `to` still to be made. Else byte by byte; the mask keeps both
// ends in the ring.
inline void SectionExpander::copyBytes(std::uint8_t* ring, std::uint8_t* to, std::size_t room, std::uint64_t produced,
                                       std::uint64_t back, std::size_t count)
{
    const std::size_t from = std::size_t(produced - back) & kRingMask;
    const std::size_t into = std::size_t(produced) & kRingMask;
    if (back == 1) {
        const std::uint8_t byte = ring[from];
        std::memset(to, byte, count);
        const std::size_t first = std::min(count, kRingSize - into);
        std::memset(ring + into, byte, first);
        std::memset(ring, byte, count - first);
        return;
    }
    constexpr std::size_t kWord = 8;
    if (back >= kWord && count + kWord <= room && from + count + kWord <= kRingSize && into + count + kWord <= kRingSize) {
        for (std::size_t i = 0; i < count; i += kWord) {
            std::uint64_t word;
            std::memcpy(&word, ring + from + i, kWord);
            std::memcpy(ring + into + i, &word, kWord);
            std::memcpy(to + i, &word, kWord);
        }
        return;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t byte = ring[(from + i) & kRingMask];
        ring[(into + i) & kRingMask] = byte;
        to[i] = byte;
    }
}

// The rest of a match that the last call's output could not hold.
std::size_t SectionExpander::copyMatch(std::span<std::uint8_t> out)
{
    const std::size_t count = std::min(std::size_t(m_matchLeft), out.size());
    copyBytes(m_ring.data(), out.data(), out.size(), m_produced, m_matchBack, count);
    m_produced += count;
    m_matchLeft -= unsigned(count);
    return count;
}

std::size_t SectionExpander::produce(std::span<std::uint8_t> out)
{
    std::size_t at = copyMatch(out);
    // The loop keeps the bit reader and the counts in locals and hands them back as it
    // leaves, by a failure too: as members, each byte stored (a byte may alias anything)
    // would have them stored and loaded again, on the path from one code to the next.
    BitReader bits = m_bits;
    std::uint32_t codesLeft = m_codesLeft;
    std::uint64_t produced = m_produced;
    std::uint8_t* const ring = m_ring.data();
    std::uint8_t* const to = out.data();
    try {
        while (at < out.size()) {
            if (codesLeft == 0) {
                m_bits = bits;
                startBlock();
                bits = m_bits;
                codesLeft = m_codesLeft;
            }
            --codesLeft;
            const std::uint16_t symbol = decode(bits, m_literals);
            if (symbol < kFirstMatchSymbol) {
                to[at++] = ring[produced++ & kRingMask] = std::uint8_t(symbol);
                continue;
            }
            if (symbol == kEndSymbol)
                fail(ExpandError::EndCode);
            // Position symbol p: 0 copies from 1 byte back; else from 2^(p-1) + (p - 1 bits) + 1.
            const std::uint16_t position = decode(bits, m_positions);
            const std::uint64_t distance = position == 0 ? 0 : (1u << (position - 1)) + bits.take(position - 1);
            const std::uint64_t back = distance + 1;
            if (back > produced || back > kWindow)
                fail(ExpandError::OutsideWindow);
            const unsigned length = symbol - kMatchSymbolBase;
            const std::size_t now = std::min(std::size_t(length), out.size() - at);
            copyBytes(ring, to + at, out.size() - at, produced, back, now);
            at += now;
            produced += now;
            if (now < length) {
                m_matchLeft = unsigned(length - now);
                m_matchBack = back;
            }
        }
    } catch (const Failure&) {
        m_produced = produced;
        throw;
    }
    m_bits = bits;
    m_codesLeft = codesLeft;
    m_produced = produced;
    return at;
}

std::size_t SectionExpander::expand(std::span<std::uint8_t> out)
{
    if (m_error != ExpandError::None)
        return 0;
    const std::uint64_t before = m_produced;
    try {
        produce(out);
    } catch (const Failure& failure) {
        m_error = failure.error;
    }
    // Every byte made went to `out`, in order.
    return std::size_t(m_produced - before);
}

std::vector<std::uint8_t> expandSection(std::span<const std::uint8_t> packed, std::size_t size, ExpandError* error)
{
    MemoryFile file(packed.data(), packed.size());
    std::array<std::uint8_t, 512> buffer{};
    ByteCursor cursor(file, buffer);
    SectionExpander expander(cursor);
    std::vector<std::uint8_t> out(size);
    out.resize(expander.expand(out));
    if (error)
        *error = expander.error();
    return out;
}

} // namespace orlika::hus
