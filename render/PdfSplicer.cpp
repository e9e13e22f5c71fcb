// SPDX-License-Identifier: MIT
#include "render/PdfSplicer.h"

#include <libdeflate.h>

#include <algorithm>
#include <charconv>
#include <memory>
#include <new>
#include <string_view>
#include <system_error>
#include <utility>

namespace orlika {

namespace {

// Level 1: the pages of a 5,000-design catalog come to 53.4 MB in 0.8 s, against 48.1 MB
// in 11.6 s at zlib's level 6 (Qt's); libdeflate's levels 2 and 3 take twice and three
// times as long for 2 and 7 per cent less.
constexpr int kDeflateLevel = 1;
// A page's content that inflates to more than this is not one Qt wrote.
constexpr std::size_t kMaxPageContent = std::size_t(1) << 32;
// A cross-reference entry: a ten-digit offset, a five-digit generation, 'n' or 'f', and
// a two-byte line end, with spaces between.
constexpr std::size_t kCrossReferenceEntry = 20;
constexpr std::int64_t kMaxTenDigits = 9'999'999'999;

struct DecompressorFree {
    void operator()(libdeflate_decompressor* decompressor) const { libdeflate_free_decompressor(decompressor); }
};
struct CompressorFree {
    void operator()(libdeflate_compressor* compressor) const { libdeflate_free_compressor(compressor); }
};

bool isWhite(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
}

bool isDelimiter(char c)
{
    return c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '{' || c == '}' ||
           c == '/' || c == '%';
}

std::optional<std::int64_t> wholeNumber(std::string_view text)
{
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0)
        return std::nullopt;
    return value;
}

// The zlib stream inflated; nothing when it is damaged or has bytes after its end.
std::optional<std::string> inflated(std::string_view compressed)
{
    const std::unique_ptr<libdeflate_decompressor, DecompressorFree> decompressor(libdeflate_alloc_decompressor());
    if (!decompressor)
        throw std::bad_alloc();
    // Qt's part of a page (text, pens, markers) inflates to a few times its size.
    std::size_t capacity = std::max<std::size_t>(compressed.size() * 8, 1 << 16);
    for (;;) {
        std::string content(capacity, '\0');
        std::size_t read = 0;
        std::size_t written = 0;
        const libdeflate_result result =
            libdeflate_zlib_decompress_ex(decompressor.get(), compressed.data(), compressed.size(), content.data(),
                                          content.size(), &read, &written);
        if (result == LIBDEFLATE_SUCCESS) {
            if (read != compressed.size())
                return std::nullopt;
            content.resize(written);
            return content;
        }
        if (result != LIBDEFLATE_INSUFFICIENT_SPACE || capacity >= kMaxPageContent)
            return std::nullopt;
        capacity *= 4;
    }
}

std::string deflated(std::string_view content)
{
    const std::unique_ptr<libdeflate_compressor, CompressorFree> compressor(libdeflate_alloc_compressor(kDeflateLevel));
    if (!compressor)
        throw std::bad_alloc();
    std::string compressed(libdeflate_zlib_compress_bound(compressor.get(), content.size()), '\0');
    compressed.resize(libdeflate_zlib_compress(compressor.get(), content.data(), content.size(), compressed.data(),
                                               compressed.size()));
    return compressed;
}

// A page's content stream as Qt compressed it, given back its lines and compressed
// again; empty when Qt's stream is not what it should be.
std::string pageWithItsLines(const std::string& compressed, const PageLines& lines)
{
    const std::optional<std::string> content = inflated(compressed);
    if (!content)
        return {};
    const std::optional<std::string> spliced = spliceLines(*content, lines);
    if (!spliced)
        return {};
    return deflated(*spliced);
}

} // namespace

PdfLineSplicer::PdfLineSplicer(QIODevice& target, PdfPageLines& lines) : m_target(target), m_lines(lines) {}

PdfLineSplicer::~PdfLineSplicer()
{
    // A page in work holds nothing of ours: its future waits for the thread.
    m_inWork.reset();
}

qint64 PdfLineSplicer::readData(char*, qint64)
{
    return -1;
}

qint64 PdfLineSplicer::writeData(const char* data, qint64 length)
{
    if (!m_problem.empty())
        return -1;
    try {
        m_in.append(data, std::size_t(length));
        scan();
    } catch (const std::bad_alloc&) {
        // Nothing is thrown into Qt's engine, which would not expect it.
        fail("there is not enough memory");
    }
    return m_problem.empty() ? length : -1;
}

std::string PdfLineSplicer::finish()
{
    if (m_problem.empty()) {
        finishPageInWork();
        passOn(m_in.size());
    }
    if (m_problem.empty() && !m_ended)
        fail("the document did not end");
    return m_problem;
}

void PdfLineSplicer::scan()
{
    bool going = true;
    while (going && m_problem.empty()) {
        switch (m_mode) {
        case Mode::Tokens:
            going = scanToken();
            break;
        case Mode::StreamOfKnownLength:
            going = scanStreamOfKnownLength();
            break;
        case Mode::StreamToItsLength:
            going = scanStreamToItsLength();
            break;
        case Mode::CrossReferences:
            going = scanCrossReferences();
            break;
        }
    }
    if (!m_problem.empty())
        return;
    // What is understood is passed on; a stream that may yet be replaced waits.
    passOn(m_mode == Mode::StreamToItsLength ? m_streamBegin : m_scan);
    m_in.erase(0, m_passed);
    m_inOffset += std::int64_t(m_passed);
    m_scan -= m_passed;
    m_streamBegin -= std::min(m_streamBegin, m_passed);
    m_searchFrom -= std::min(m_searchFrom, m_passed);
    m_passed = 0;
}

bool PdfLineSplicer::scanToken()
{
    const std::string_view in(m_in);
    std::size_t at = m_scan;
    while (at < in.size() && isWhite(in[at]))
        ++at;
    m_scan = at;
    if (at == in.size())
        return false;
    std::size_t end = at + 1;
    switch (in[at]) {
    case '%': {
        end = in.find_first_of("\r\n", at);
        if (end == std::string_view::npos)
            return false;
        break;
    }
    case '(': {
        // Parentheses nest; a backslash escapes the byte after it.
        int depth = 0;
        for (end = at; end < in.size(); ++end) {
            if (in[end] == '\\')
                ++end;
            else if (in[end] == '(')
                ++depth;
            else if (in[end] == ')' && --depth == 0)
                break;
        }
        if (end >= in.size())
            return false;
        ++end;
        break;
    }
    case '<':
    case '>': {
        if (at + 1 == in.size())
            return false;
        if (in[at + 1] == in[at]) {
            end = at + 2;  // a dictionary begins or ends
        } else if (in[at] == '<') {
            end = in.find('>', at);  // a string in hexadecimal
            if (end == std::string_view::npos)
                return false;
            ++end;
        }
        break;
    }
    case ')':
    case '[':
    case ']':
    case '{':
    case '}':
        break;
    default: {
        // A name or a number or keyword: up to white space or a delimiter.
        while (end < in.size() && !isWhite(in[end]) && !isDelimiter(in[end]))
            ++end;
        if (end == in.size())
            return false;
        if (in.substr(at, end - at) == "stream") {
            // The data begins after the line end.
            std::size_t dataBegin = end + 1;
            if (in[end] == '\r') {
                if (end + 1 == in.size())
                    return false;
                if (in[end + 1] == '\n')
                    dataBegin = end + 2;
            }
            m_scan = dataBegin;
            return startStream(dataBegin);
        }
        break;
    }
    }
    m_scan = end;
    onToken(at, end);
    return true;
}

void PdfLineSplicer::onToken(std::size_t begin, std::size_t end)
{
    const std::string_view token = std::string_view(m_in).substr(begin, end - begin);
    constexpr std::size_t kKept = 4;
    if (m_tokens.size() == kKept)
        m_tokens.erase(m_tokens.begin());
    m_tokens.emplace_back(token);
    const auto back = [&](std::size_t i) {
        return i < m_tokens.size() ? std::string_view(m_tokens[m_tokens.size() - 1 - i]) : std::string_view();
    };
    const std::optional<std::int64_t> number = wholeNumber(token);

    if (m_crossReferenceNumbersLeft > 0 && number) {
        // "xref" is followed by the first object's number and the count of entries.
        if (--m_crossReferenceNumbersLeft == 0) {
            m_crossReferencesLeft = *number;
            m_mode = Mode::CrossReferences;
        }
    } else if (m_newStartXref && number) {
        if (const std::int64_t offset = newOffset(*number); offset <= kMaxTenDigits) {
            replace(begin, end, std::to_string(offset));
            m_newStartXref = false;
            m_ended = true;
        } else {
            fail("the document is too large");
        }
    } else if (token == "obj" && wholeNumber(back(1)) && wholeNumber(back(2))) {
        m_object = *wholeNumber(back(2));
        m_length = -1;
        m_lengthObject = -1;
    } else if (number && back(1) == "/Length") {
        m_length = *number;
    } else if (token == "R" && wholeNumber(back(1)) && wholeNumber(back(2))) {
        if (back(3) == "/Length") {
            m_lengthObject = *wholeNumber(back(2));
            m_length = -1;
        } else if (back(3) == "/Contents") {
            m_contentObjects.insert(*wholeNumber(back(2)));
        }
    } else if (token == "xref") {
        // The table needs every offset: the page in work first.
        finishPageInWork();
        m_crossReferenceNumbersLeft = 2;
    } else if (token == "startxref") {
        m_newStartXref = true;
    }
}

bool PdfLineSplicer::startStream(std::size_t dataBegin)
{
    if (m_lengthObject >= 0) {
        // Its length comes after it, in an object of its own.
        m_mode = Mode::StreamToItsLength;
        m_streamBegin = m_searchFrom = dataBegin;
        m_streamLengthObject = m_lengthObject;
        m_streamIsContent = m_contentObjects.erase(m_object) > 0;
    } else if (m_length >= 0) {
        m_mode = Mode::StreamOfKnownLength;
        m_streamLeft = m_length;
    } else {
        fail("a stream of no length");
        return false;
    }
    return true;
}

bool PdfLineSplicer::scanStreamOfKnownLength()
{
    const auto available = std::int64_t(m_in.size() - m_scan);
    const std::int64_t taken = std::min(available, m_streamLeft);
    m_scan += std::size_t(taken);
    m_streamLeft -= taken;
    if (m_streamLeft > 0)
        return false;
    m_mode = Mode::Tokens;
    return true;
}

bool PdfLineSplicer::scanStreamToItsLength()
{
    // The data ends where "endstream" and "endobj" are followed by the length object and
    // the length it gives is the data's: Qt writes that object right after the stream.
    const std::string_view in(m_in);
    const std::string end = "\nendstream\nendobj\n" + std::to_string(m_streamLengthObject) + " 0 obj\n";
    constexpr std::string_view kObjectEnd = "\nendobj\n";
    for (;;) {
        const std::size_t found = in.find(end, m_searchFrom);
        if (found == std::string_view::npos) {
            m_searchFrom = std::max(m_streamBegin, in.size() - std::min(in.size(), end.size()));
            return false;
        }
        const std::size_t lengthBegin = found + end.size();
        std::size_t lengthEnd = lengthBegin;
        while (lengthEnd < in.size() && in[lengthEnd] >= '0' && in[lengthEnd] <= '9')
            ++lengthEnd;
        if (lengthEnd + kObjectEnd.size() > in.size()) {
            m_searchFrom = found;
            return false;
        }
        const auto length = wholeNumber(in.substr(lengthBegin, lengthEnd - lengthBegin));
        if (length && *length == std::int64_t(found - m_streamBegin) &&
            in.substr(lengthEnd, kObjectEnd.size()) == kObjectEnd) {
            streamFound(found, lengthBegin, lengthEnd);
            return m_problem.empty();
        }
        m_searchFrom = found + 1;
    }
}

void PdfLineSplicer::streamFound(std::size_t end, std::size_t lengthBegin, std::size_t lengthEnd)
{
    m_mode = Mode::Tokens;
    m_scan = lengthEnd;
    PageLines lines = m_streamIsContent ? m_lines.take() : PageLines{};
    if (lines.empty())
        return;  // nothing of ours in it: it passes as Qt wrote it
    passOn(m_streamBegin);
    // One page in work at a time: the file keeps the order and memory stays a page's.
    finishPageInWork();
    PageInWork work;
    work.streamBegin = m_inOffset + std::int64_t(m_streamBegin);
    work.streamEnd = m_inOffset + std::int64_t(end);
    work.betweenLengths = m_in.substr(end, lengthBegin - end);
    work.lengthBegin = m_inOffset + std::int64_t(lengthBegin);
    work.lengthEnd = m_inOffset + std::int64_t(lengthEnd);
    // Shared, so that the page is still there to be done here when no thread can be had.
    const auto page = std::make_shared<const std::pair<std::string, PageLines>>(
        m_in.substr(m_streamBegin, end - m_streamBegin), std::move(lines));
    const auto task = [page] { return pageWithItsLines(page->first, page->second); };
    try {
        work.stream = std::async(std::launch::async, task);
    } catch (const std::system_error&) {
        work.stream = std::async(std::launch::deferred, task);
    }
    m_inWork = std::move(work);
    m_passed = lengthEnd;
}

bool PdfLineSplicer::scanCrossReferences()
{
    const std::string_view in(m_in);
    if (!m_crossReferencesStarted) {
        while (m_scan < in.size() && isWhite(in[m_scan]))
            ++m_scan;
        if (m_scan == in.size())
            return false;
        m_crossReferencesStarted = true;
    }
    for (; m_crossReferencesLeft > 0; --m_crossReferencesLeft, m_scan += kCrossReferenceEntry) {
        if (m_scan + kCrossReferenceEntry > in.size())
            return false;
        const std::string_view entry = in.substr(m_scan, kCrossReferenceEntry);
        const auto offset = wholeNumber(entry.substr(0, 10));
        if (!offset || entry[10] != ' ' || entry[16] != ' ' || (entry[17] != 'n' && entry[17] != 'f')) {
            fail("an unexpected cross-reference table");
            return false;
        }
        if (entry[17] == 'f')
            continue;
        const std::int64_t moved = newOffset(*offset);
        if (moved > kMaxTenDigits) {
            fail("the document is too large");
            return false;
        }
        std::string digits = std::to_string(moved);
        digits.insert(0, 10 - digits.size(), '0');
        replace(m_scan, m_scan + 10, digits);
    }
    m_mode = Mode::Tokens;
    return true;
}

void PdfLineSplicer::replace(std::size_t begin, std::size_t end, const std::string& text)
{
    passOn(begin);
    output(text.data(), text.size());
    m_passed = end;
}

void PdfLineSplicer::passOn(std::size_t upTo)
{
    if (upTo <= m_passed)
        return;
    output(m_in.data() + m_passed, upTo - m_passed);
    m_passed = upTo;
}

void PdfLineSplicer::output(const char* data, std::size_t size)
{
    if (m_inWork)
        m_inWork->after.append(data, size);
    else
        writeToTarget(data, size);
}

void PdfLineSplicer::writeToTarget(const char* data, std::size_t size)
{
    if (size == 0 || !m_problem.empty())
        return;
    if (m_target.write(data, qint64(size)) != qint64(size))
        fail("the file could not be written");
}

void PdfLineSplicer::finishPageInWork()
{
    if (!m_inWork)
        return;
    PageInWork work = std::move(*m_inWork);
    m_inWork.reset();
    std::string stream;
    try {
        stream = work.stream.get();
    } catch (const std::bad_alloc&) {
        fail("there is not enough memory");
        return;
    } catch (const std::exception&) {
        stream.clear();  // told below
    }
    if (stream.empty()) {
        fail("a page's lines could not be put in place");
        return;
    }
    const std::string length = std::to_string(stream.size());
    writeToTarget(stream.data(), stream.size());
    writeToTarget(work.betweenLengths.data(), work.betweenLengths.size());
    writeToTarget(length.data(), length.size());
    writeToTarget(work.after.data(), work.after.size());
    // Everything after the stream, and then after its length, moves by what they grew.
    std::int64_t shift = m_replaced.empty() ? 0 : m_replaced.back().shift;
    shift += std::int64_t(stream.size()) - (work.streamEnd - work.streamBegin);
    m_replaced.push_back({work.streamEnd, shift});
    shift += std::int64_t(length.size()) - (work.lengthEnd - work.lengthBegin);
    m_replaced.push_back({work.lengthEnd, shift});
}

std::int64_t PdfLineSplicer::newOffset(std::int64_t offset) const
{
    // The last stretch replaced that ended at or before the offset.
    const auto after = std::upper_bound(m_replaced.begin(), m_replaced.end(), offset,
                                        [](std::int64_t at, const Replaced& replaced) { return at < replaced.end; });
    return after == m_replaced.begin() ? offset : offset + std::prev(after)->shift;
}

void PdfLineSplicer::fail(std::string reason)
{
    if (m_problem.empty())
        m_problem = std::move(reason);
}

} // namespace orlika
