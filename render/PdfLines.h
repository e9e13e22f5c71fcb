// SPDX-License-Identifier: MIT
// A printed page's lines written as PDF path operators by us rather than by Qt's PDF
// engine, for the PDF files we write ourselves. Qt formats every point through its byte
// streams and compresses the page with zlib at level 6, nine tenths of a printed
// catalog's time. The canvas writes a polyline here and has Qt draw a two-point marker
// polyline in its place, with the same pen, clip and order; when Qt has written the page,
// PdfLineSplicer puts the lines back where their markers are.
#pragma once

#include <QPoint>

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orlika {

// The polylines of one page: their operators one after another, where each ends, and
// whether Qt must have drawn its marker (it leaves out what it draws under an empty clip).
struct PageLines {
    std::string paths;
    std::vector<std::size_t> ends;
    std::vector<bool> mustShow;

    bool empty() const { return ends.empty(); }
    std::size_t size() const { return ends.size(); }
    /// The operators of polyline `index`.
    std::string_view path(std::size_t index) const;
};

// The lines of the page being drawn.
class PdfPageLines {
public:
    /// Writes the polyline (two points or more) as Qt's PDF engine strokes one with a
    /// plain pen, byte for byte: a point equal to the one before is left out, a path
    /// that ends where it began is closed. Returns the marker Qt is to draw in its place;
    /// `mustShow` is false when the lines are clipped to an empty area.
    std::array<QPoint, 2> add(const QPoint* points, std::size_t count, bool mustShow);
    /// Hands over the lines added since the last call: the page Qt has just written.
    PageLines take();

private:
    PageLines m_lines;
    std::size_t m_lastPageBytes = 0;
};

/// The page's content as Qt wrote it, with each marker replaced by its polyline. A marker
/// Qt left out (under an empty clip) leaves its polyline out, as Qt would have. Nothing
/// when the markers do not match the lines: a marker beyond them or out of order, or one
/// that must show missing (Qt wrote it otherwise than expected).
std::optional<std::string> spliceLines(std::string_view content, const PageLines& lines);

} // namespace orlika
