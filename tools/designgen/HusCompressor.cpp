// SPDX-License-Identifier: MIT
#include "tools/designgen/HusCompressor.h"

#include <algorithm>
#include <cstddef>
#include <queue>
#include <stdexcept>

namespace orlika::gen {

namespace {

constexpr int kWindow = 1024;
constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 256;
constexpr int kMaxCodeLength = 16;
constexpr std::size_t kLiteralLengthSymbols = 510;  // 0..255 literals, 256..509 match lengths 3..256
constexpr std::size_t kPositionSymbols = 11;        // distances up to 1024 need symbols 0..10
constexpr std::size_t kLengthCodeSymbols = 19;

class BitWriter {
public:
    void put(std::uint32_t value, int bits)
    {
        for (int i = bits - 1; i >= 0; --i) {
            m_current = std::uint8_t((m_current << 1) | ((value >> i) & 1u));
            if (++m_used == 8) {
                m_bytes.push_back(m_current);
                m_current = 0;
                m_used = 0;
            }
        }
    }
    std::vector<std::uint8_t> finish()
    {
        if (m_used > 0)
            put(0, 8 - m_used);
        return std::move(m_bytes);
    }

private:
    std::vector<std::uint8_t> m_bytes;
    std::uint8_t m_current = 0;
    int m_used = 0;
};

struct Token {
    std::uint16_t symbol = 0;    // literal byte, or 253 + match length
    std::uint16_t distance = 0;  // 1..1024 for matches
};

// Greedy longest match within the window; ties go to the nearest copy.
std::vector<Token> tokenize(std::span<const std::uint8_t> data, bool matches)
{
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < data.size()) {
        int bestLength = 0, bestDistance = 0;
        if (matches) {
            const int farthest = int(std::min<std::size_t>(i, kWindow));
            const int limit = int(std::min<std::size_t>(data.size() - i, kMaxMatch));
            for (int distance = 1; distance <= farthest && bestLength < limit; ++distance) {
                int length = 0;
                while (length < limit && data[i + std::size_t(length)] == data[i + std::size_t(length) - std::size_t(distance)])
                    ++length;
                if (length > bestLength) {
                    bestLength = length;
                    bestDistance = distance;
                }
            }
        }
        if (bestLength >= kMinMatch) {
            tokens.push_back({std::uint16_t(253 + bestLength), std::uint16_t(bestDistance)});
            i += std::size_t(bestLength);
        } else {
            tokens.push_back({data[i], 0});
            ++i;
        }
    }
    return tokens;
}

// The position symbol of a copy `distance` bytes back, and its extra bits.
struct Position {
    std::uint32_t symbol = 0;
    std::uint32_t extra = 0;
    int extraBits = 0;
};

Position positionOf(int distance)
{
    const auto j = std::uint32_t(distance - 1);
    if (j == 0)
        return {};
    int bits = 0;
    while ((j >> (bits + 1)) != 0)
        ++bits;  // j lies in [2^bits, 2^(bits+1))
    return {std::uint32_t(bits + 1), j - (1u << bits), bits};
}

// Huffman code lengths for the frequencies, none longer than kMaxCodeLength: frequencies are
// flattened until the tree is shallow enough. Symbols of frequency 0 get length 0.
std::vector<int> codeLengths(std::vector<std::uint64_t> frequencies)
{
    std::vector<int> lengths(frequencies.size(), 0);
    for (;;) {
        struct Node {
            std::uint64_t weight;
            int index;  // < 0: leaf -index-1, else internal node
        };
        const auto heavier = [](const Node& a, const Node& b) { return a.weight > b.weight; };
        std::priority_queue<Node, std::vector<Node>, decltype(heavier)> queue(heavier);
        std::vector<std::pair<int, int>> children;
        for (std::size_t s = 0; s < frequencies.size(); ++s)
            if (frequencies[s] > 0)
                queue.push({frequencies[s], -int(s) - 1});
        if (queue.size() < 2)
            throw std::logic_error("a Huffman table needs two symbols");
        while (queue.size() > 1) {
            const Node a = queue.top();
            queue.pop();
            const Node b = queue.top();
            queue.pop();
            children.emplace_back(a.index, b.index);
            queue.push({a.weight + b.weight, int(children.size()) - 1});
        }
        std::fill(lengths.begin(), lengths.end(), 0);
        int deepest = 0;
        std::vector<std::pair<int, int>> stack{{queue.top().index, 0}};
        while (!stack.empty()) {
            const auto [index, depth] = stack.back();
            stack.pop_back();
            if (index < 0) {
                lengths[std::size_t(-index - 1)] = depth;
                deepest = std::max(deepest, depth);
            } else {
                stack.emplace_back(children[std::size_t(index)].first, depth + 1);
                stack.emplace_back(children[std::size_t(index)].second, depth + 1);
            }
        }
        if (deepest <= kMaxCodeLength)
            return lengths;
        for (auto& f : frequencies)
            if (f > 0)
                f = (f + 1) / 2;
    }
}

// Canonical codes: by length, then by symbol, counting up from zero.
std::vector<std::uint32_t> canonicalCodes(const std::vector<int>& lengths)
{
    std::vector<std::uint32_t> codes(lengths.size(), 0);
    std::uint32_t code = 0;
    for (int length = 1; length <= kMaxCodeLength; ++length) {
        for (std::size_t s = 0; s < lengths.size(); ++s)
            if (lengths[s] == length)
                codes[s] = code++;
        code <<= 1;
    }
    return codes;
}

// A table as written: either one symbol (decoded from no bits) or lengths and codes.
struct Table {
    bool single = false;
    std::uint32_t onlySymbol = 0;
    std::vector<int> lengths;
    std::vector<std::uint32_t> codes;

    void putSymbol(BitWriter& out, std::size_t symbol) const
    {
        if (!single)
            out.put(codes[symbol], lengths[symbol]);
    }
};

Table makeTable(const std::vector<std::uint64_t>& frequencies)
{
    Table table;
    const auto used = std::count_if(frequencies.begin(), frequencies.end(), [](std::uint64_t f) { return f > 0; });
    if (used <= 1) {
        table.single = true;
        const auto it = std::find_if(frequencies.begin(), frequencies.end(), [](std::uint64_t f) { return f > 0; });
        table.onlySymbol = it == frequencies.end() ? 0 : std::uint32_t(it - frequencies.begin());
        return table;
    }
    table.lengths = codeLengths(frequencies);
    table.codes = canonicalCodes(table.lengths);
    return table;
}

// 3 bits, the value 7 extended by one 1 bit per further unit and a closing 0.
void putLength(BitWriter& out, int length)
{
    if (length < 7) {
        out.put(std::uint32_t(length), 3);
        return;
    }
    out.put(7, 3);
    for (int i = 7; i < length; ++i)
        out.put(1, 1);
    out.put(0, 1);
}

// Lengths up to the last non-zero one, at least `minimum` of them.
std::size_t writtenCount(const std::vector<int>& lengths, std::size_t minimum)
{
    std::size_t n = lengths.size();
    while (n > 0 && lengths[n - 1] == 0)
        --n;
    return std::max(n, std::min(minimum, lengths.size()));
}

// The length-code table or the position table: 5-bit count, lengths; the length-code table has
// the 2-bit skip field after its third length (always written as 0, and at least four lengths
// written so that every reading of that field agrees).
void putLengthTable(BitWriter& out, const Table& table, bool skipField)
{
    if (table.single) {
        out.put(0, 5);
        out.put(table.onlySymbol, 5);
        return;
    }
    const std::size_t n = writtenCount(table.lengths, skipField ? 4 : 1);
    out.put(std::uint32_t(n), 5);
    for (std::size_t i = 0; i < n; ++i) {
        putLength(out, table.lengths[i]);
        if (skipField && i == 2)
            out.put(0, 2);
    }
}

// The literal/length lengths as length-code symbols: 0 one zero, 1 3..18 zeros, 2 20..531
// zeros, s >= 3 a length of s - 2.
struct LengthCodeItem {
    std::uint32_t symbol;
    std::uint32_t extra;
    int extraBits;
};

std::vector<LengthCodeItem> lengthCodeItems(const std::vector<int>& lengths, std::size_t n)
{
    std::vector<LengthCodeItem> items;
    std::size_t i = 0;
    while (i < n) {
        if (lengths[i] != 0) {
            items.push_back({std::uint32_t(lengths[i] + 2), 0, 0});
            ++i;
            continue;
        }
        std::size_t run = 0;
        while (i + run < n && lengths[i + run] == 0)
            ++run;
        i += run;
        while (run > 0) {
            if (run >= 20) {
                const std::size_t take = std::min<std::size_t>(run, 531);
                items.push_back({2, std::uint32_t(take - 20), 9});
                run -= take;
            } else if (run >= 3) {
                const std::size_t take = std::min<std::size_t>(run, 18);
                items.push_back({1, std::uint32_t(take - 3), 4});
                run -= take;
            } else {
                items.push_back({0, 0, 0});
                --run;
            }
        }
    }
    return items;
}

void putBlock(BitWriter& out, std::span<const Token> tokens)
{
    std::vector<std::uint64_t> literalFrequency(kLiteralLengthSymbols, 0), positionFrequency(kPositionSymbols, 0);
    for (const Token& t : tokens) {
        ++literalFrequency[t.symbol];
        if (t.symbol >= 256)
            ++positionFrequency[positionOf(t.distance).symbol];
    }
    const Table literals = makeTable(literalFrequency);
    const Table positions = makeTable(positionFrequency);

    out.put(std::uint32_t(tokens.size()), 16);
    if (literals.single) {
        // One symbol throughout: the length-code table is never consulted.
        out.put(0, 5);
        out.put(0, 5);
        out.put(0, 9);
        out.put(literals.onlySymbol, 9);
    } else {
        const std::size_t n = writtenCount(literals.lengths, 1);
        const std::vector<LengthCodeItem> items = lengthCodeItems(literals.lengths, n);
        std::vector<std::uint64_t> itemFrequency(kLengthCodeSymbols, 0);
        for (const LengthCodeItem& item : items)
            ++itemFrequency[item.symbol];
        const Table lengthCode = makeTable(itemFrequency);
        putLengthTable(out, lengthCode, true);
        out.put(std::uint32_t(n), 9);
        for (const LengthCodeItem& item : items) {
            lengthCode.putSymbol(out, item.symbol);
            out.put(item.extra, item.extraBits);
        }
    }
    putLengthTable(out, positions, false);

    for (const Token& t : tokens) {
        literals.putSymbol(out, t.symbol);
        if (t.symbol >= 256) {
            const Position p = positionOf(t.distance);
            positions.putSymbol(out, p.symbol);
            out.put(p.extra, p.extraBits);
        }
    }
}

} // namespace

std::vector<std::uint8_t> husCompress(std::span<const std::uint8_t> data, const HusCompressOptions& options)
{
    if (options.codesPerBlock == 0 || options.codesPerBlock > 65535)
        throw std::invalid_argument("codes per block must be 1..65535");
    const std::vector<Token> tokens = tokenize(data, options.matches);
    BitWriter out;
    for (std::size_t start = 0; start < tokens.size(); start += options.codesPerBlock) {
        const std::size_t count = std::min<std::size_t>(options.codesPerBlock, tokens.size() - start);
        putBlock(out, std::span<const Token>(tokens).subspan(start, count));
    }
    return out.finish();
}

} // namespace orlika::gen
