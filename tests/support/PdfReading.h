// SPDX-License-Identifier: MIT
// Just enough of a PDF reader to check the files Qt's writer and ours make: the
// cross-reference table, and each page's content stream found through it and inflated.
#pragma once

#include <libdeflate.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

namespace orlika::test {

struct PdfPages {
    std::vector<std::string> contents;  // each page's content stream, inflated, in page order
    std::string problem;                // what is wrong with the file, or empty
};

namespace pdfreading {

inline std::optional<std::string> inflate(std::string_view compressed)
{
    const std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor*)> decompressor(
        libdeflate_alloc_decompressor(), libdeflate_free_decompressor);
    for (std::size_t capacity = compressed.size() * 8 + 1024; capacity < (std::size_t(1) << 31); capacity *= 2) {
        std::string out(capacity, '\0');
        std::size_t read = 0;
        std::size_t written = 0;
        const auto result = libdeflate_zlib_decompress_ex(decompressor.get(), compressed.data(), compressed.size(),
                                                          out.data(), out.size(), &read, &written);
        if (result == LIBDEFLATE_SUCCESS && read == compressed.size()) {
            out.resize(written);
            return out;
        }
        if (result != LIBDEFLATE_INSUFFICIENT_SPACE)
            return std::nullopt;
    }
    return std::nullopt;
}

// The text of object `number` from "N 0 obj\n" on, through the table's offset.
inline std::optional<std::string_view> object(std::string_view pdf, const std::vector<std::int64_t>& offsets,
                                              std::int64_t number)
{
    if (number <= 0 || number >= std::int64_t(offsets.size()) || offsets[std::size_t(number)] < 0)
        return std::nullopt;
    const std::string_view text = pdf.substr(std::size_t(offsets[std::size_t(number)]));
    if (!text.starts_with(std::to_string(number) + " 0 obj\n"))
        return std::nullopt;
    return text;
}

inline std::int64_t numberAfter(std::string_view text, std::string_view key)
{
    const auto at = text.find(key);
    return at == std::string_view::npos ? -1 : std::stoll(std::string(text.substr(at + key.size(), 20)));
}

} // namespace pdfreading

/// Reads the pages of a PDF file as Qt's writer lays it out (one cross-reference table,
/// each page's content stream compressed with its length in an object of its own).
inline PdfPages readPdfPages(std::string_view pdf)
{
    using namespace pdfreading;
    PdfPages pages;
    const auto fail = [&](std::string why) {
        pages.problem = std::move(why);
        return pages;
    };
    const auto startAt = pdf.rfind("startxref\n");
    if (startAt == std::string_view::npos)
        return fail("no startxref");
    const auto tableAt = std::size_t(numberAfter(pdf.substr(startAt), "startxref\n"));
    if (tableAt >= pdf.size() || !pdf.substr(tableAt).starts_with("xref\n0 "))
        return fail("startxref does not point at the table");
    const std::int64_t count = numberAfter(pdf.substr(tableAt), "xref\n0 ");
    std::size_t entry = pdf.find('\n', tableAt + 7) + 1;
    std::vector<std::int64_t> offsets;
    for (std::int64_t i = 0; i < count; ++i, entry += 20) {
        const std::string_view line = pdf.substr(entry, 20);
        offsets.push_back(line[17] == 'n' ? std::stoll(std::string(line.substr(0, 10))) : -1);
    }
    for (std::int64_t i = 1; i < count; ++i)
        if (offsets[std::size_t(i)] >= 0 && !object(pdf, offsets, i))
            return fail("the table's offset of object " + std::to_string(i) + " is wrong");
    // The pages in the order of the page tree.
    const auto root = object(pdf, offsets, numberAfter(pdf.substr(tableAt), "/Root "));
    if (!root)
        return fail("no catalog");
    const auto tree = object(pdf, offsets, numberAfter(*root, "/Pages "));
    if (!tree)
        return fail("no page tree");
    const std::string kids(tree->substr(0, tree->find("]")));
    static const std::regex kKid("(\\d+) 0 R");
    for (auto kid = std::sregex_iterator(kids.begin(), kids.end(), kKid); kid != std::sregex_iterator(); ++kid) {
        const auto page = object(pdf, offsets, std::stoll((*kid)[1]));
        const auto stream = page ? object(pdf, offsets, numberAfter(*page, "/Contents ")) : std::nullopt;
        const auto length = stream ? object(pdf, offsets, numberAfter(*stream, "/Length ")) : std::nullopt;
        if (!length)
            return fail("a page without its content stream or its length");
        const auto size = std::size_t(numberAfter(*length, " 0 obj\n"));
        const auto dataAt = stream->find(">>\nstream\n") + 10;
        if (stream->substr(dataAt + size, 10) != "\nendstream")
            return fail("a content stream whose length is wrong");
        auto content = inflate(stream->substr(dataAt, size));
        if (!content)
            return fail("a content stream that does not inflate");
        pages.contents.push_back(std::move(*content));
    }
    return pages;
}

} // namespace orlika::test
