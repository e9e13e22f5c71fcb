// SPDX-License-Identifier: MIT
#include "render/PdfLines.h"

#include <charconv>
#include <utility>

namespace orlika {

namespace {

// The marker of polyline i runs from (kMarkerX, i) to (kMarkerX + 1, i), far left of any
// page; Qt writes it as "-987654 i m\n-987653 i l\nS\n".
constexpr int kMarkerX = -987654;
constexpr std::string_view kMarkerStart = "-987654 ";
constexpr std::string_view kMarkerMiddle = " m\n-987653 ";
constexpr std::string_view kMarkerEnd = " l\nS\n";

// The most one point takes: a sign, ten digits and a space, twice, the operator and a
// line end.
constexpr std::size_t kMaxPointBytes = 2 * 12 + 2;

// Writes "x y op\n" as Qt's engine writes a point of a path with integer coordinates.
char* putPoint(char* out, QPoint point, char op)
{
    out = std::to_chars(out, out + 11, point.x()).ptr;
    *out++ = ' ';
    out = std::to_chars(out, out + 11, point.y()).ptr;
    *out++ = ' ';
    *out++ = op;
    *out++ = '\n';
    return out;
}

// The index of the marker at the start of `text`, and how long the marker is.
std::optional<std::pair<std::size_t, std::size_t>> parseMarker(std::string_view text)
{
    if (!text.starts_with(kMarkerStart))
        return std::nullopt;
    const auto readIndex = [&](std::size_t at, std::size_t& index) {
        const auto [end, error] = std::from_chars(text.data() + at, text.data() + text.size(), index);
        return error == std::errc() ? std::size_t(end - text.data()) : std::string_view::npos;
    };
    std::size_t index = 0;
    std::size_t again = 0;
    std::size_t at = readIndex(kMarkerStart.size(), index);
    if (at == std::string_view::npos || text.substr(at, kMarkerMiddle.size()) != kMarkerMiddle)
        return std::nullopt;
    at = readIndex(at + kMarkerMiddle.size(), again);
    if (at == std::string_view::npos || again != index || text.substr(at, kMarkerEnd.size()) != kMarkerEnd)
        return std::nullopt;
    return std::make_pair(index, at + kMarkerEnd.size());
}

// Whether a polyline in [from, to), whose markers are not in the content, must have shown.
bool missesOneThatMustShow(const PageLines& lines, std::size_t from, std::size_t to)
{
    for (std::size_t i = from; i < to; ++i)
        if (lines.mustShow[i])
            return true;
    return false;
}

} // namespace

std::string_view PageLines::path(std::size_t index) const
{
    const std::size_t begin = index == 0 ? 0 : ends[index - 1];
    return std::string_view(paths).substr(begin, ends[index] - begin);
}

std::array<QPoint, 2> PdfPageLines::add(const QPoint* points, std::size_t count, bool mustShow)
{
    std::string& paths = m_lines.paths;
    if (paths.empty() && m_lastPageBytes > 0)
        paths.reserve(m_lastPageBytes + m_lastPageBytes / 8);
    const std::size_t start = paths.size();
    paths.resize(start + (count + 1) * kMaxPointBytes);
    char* out = paths.data() + start;
    const QPoint first = points[0];
    QPoint last = first;
    out = putPoint(out, first, 'm');
    for (std::size_t i = 1; i < count; ++i) {
        if (points[i] == last)
            continue;
        last = points[i];
        out = putPoint(out, last, 'l');
    }
    if (last == first) {
        *out++ = 'h';
        *out++ = '\n';
    }
    *out++ = 'S';
    *out++ = '\n';
    paths.resize(std::size_t(out - paths.data()));
    const int index = int(m_lines.ends.size());
    m_lines.ends.push_back(paths.size());
    m_lines.mustShow.push_back(mustShow);
    return {QPoint(kMarkerX, index), QPoint(kMarkerX + 1, index)};
}

PageLines PdfPageLines::take()
{
    m_lastPageBytes = m_lines.paths.size();
    return std::exchange(m_lines, PageLines{});
}

std::optional<std::string> spliceLines(std::string_view content, const PageLines& lines)
{
    std::string spliced;
    spliced.reserve(content.size() + lines.paths.size());
    std::size_t copiedTo = 0;
    std::size_t nextIndex = 0;
    for (std::size_t at = content.find(kMarkerStart); at != std::string_view::npos;
         at = content.find(kMarkerStart, at + 1)) {
        // Qt ends every operator with a line end; a marker starts a line.
        if (at > 0 && content[at - 1] != '\n')
            continue;
        const auto marker = parseMarker(content.substr(at));
        if (!marker)
            continue;
        const auto [index, length] = *marker;
        if (index >= lines.size() || index < nextIndex || missesOneThatMustShow(lines, nextIndex, index))
            return std::nullopt;
        spliced.append(content.substr(copiedTo, at - copiedTo));
        spliced.append(lines.path(index));
        copiedTo = at + length;
        nextIndex = index + 1;
    }
    if (missesOneThatMustShow(lines, nextIndex, lines.size()))
        return std::nullopt;
    spliced.append(content.substr(copiedTo));
    return spliced;
}

} // namespace orlika
