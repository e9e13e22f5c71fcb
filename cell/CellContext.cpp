// SPDX-License-Identifier: MIT
// What every cell shares: the name line, remark lines and their numbers, error texts and
// wrapped lists, and the host's phase label.
#include "cell/CellContext.h"

#include "platform/FileSystem.h"
#include "platform/NameFit.h"
#include "platform/Rounding.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <limits>
#include <string>
#include <utility>

namespace orlika {

namespace {

// The end of the UTF-8 character that starts at `at`.
std::size_t characterEnd(const std::string& text, std::size_t at)
{
    ++at;
    while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80)
        ++at;
    return at;
}

// The longest start of a word, in whole characters, that is no wider than the limit; at
// least one character.
std::size_t fittingStart(const std::string& word, int limit, const std::function<int(const std::string&)>& width)
{
    std::size_t fitting = characterEnd(word, 0);
    for (std::size_t end = fitting; end < word.size();) {
        end = characterEnd(word, end);
        if (width(word.substr(0, end)) > limit)
            break;
        fitting = end;
    }
    return fitting;
}

// The text in lines no wider than the limit: words joined with a space while they fit, a
// word wider than a line cut between its characters.
std::vector<std::string> wrapWords(const std::string& text, int limit,
                                   const std::function<int(const std::string&)>& width)
{
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t space = std::min(text.find(' ', start), text.size());
        std::string word = text.substr(start, space - start);
        start = space + 1;
        if (word.empty())
            continue;
        std::string joined = line.empty() ? word : line + " " + word;
        if (width(joined) <= limit) {
            line = std::move(joined);
            continue;
        }
        if (!line.empty())
            lines.push_back(std::exchange(line, {}));
        while (width(word) > limit && characterEnd(word, 0) < word.size()) {
            const std::size_t cut = fittingStart(word, limit, width);
            lines.push_back(word.substr(0, cut));
            word.erase(0, cut);
        }
        line = std::move(word);
    }
    if (!line.empty())
        lines.push_back(std::move(line));
    return lines;
}

// The line shortened so that it and the mark after it are no wider than the limit: by
// its last words, or by the last characters of the one word left.
std::string withMark(std::string line, const std::string& mark, int limit,
                     const std::function<int(const std::string&)>& width)
{
    while (!line.empty() && width(line + mark) > limit) {
        const std::size_t space = line.rfind(' ');
        if (space != std::string::npos) {
            line.erase(space);
            continue;
        }
        while (!line.empty() && (static_cast<unsigned char>(line.back()) & 0xC0) == 0x80)
            line.pop_back();
        if (!line.empty())
            line.pop_back();
    }
    return line + mark;
}

} // namespace

void CellContext::setPhase(const std::string& text) const
{
    m_services.host.setPhase(text);
}

void CellContext::shortenDesignPath() const
{
    m_designPath = namePart(m_designPath);
}

void CellContext::writeText(float x, float y, const std::string& text) const
{
    const int left = roundPixel(x);
    const int top = roundPixel(y);
    const PixelRect area = textArea();
    if (left >= area.left && top >= area.top && left + m_canvas.textWidth(text) <= area.right &&
        top + m_canvas.textHeight(text) <= area.bottom)
        m_canvas.textOut(left, top, text);
    else
        m_canvas.clippedTextOut(left, top, text, area);
}

PixelRect CellContext::textArea() const
{
    const CellPoint anchor = m_cell.anchor;
    const int width = m_cell.nameWidth > 0 ? m_cell.nameWidth : m_cell.width;
    const int top = roundPixel((anchor.Y - m_cell.halfHeight) - m_canvas.textHeight("H") * 1.2);
    const int bottom = m_cell.textBottom > 0 ? m_cell.textBottom : std::numeric_limits<int>::max() / 2;
    return {anchor.X, top, anchor.X + width, bottom};
}

void CellContext::writeWrapped(float x, float& y, const std::string& text) const
{
    const int left = roundPixel(x);
    const int right = textArea().right;
    if (left + m_canvas.textWidth(text) <= right) {
        writeLine(x, y, text);
        return;
    }
    // A clear gap before the next cell's texts, as the name line keeps.
    const int limit = right - left - m_canvas.textWidth("XX");
    const auto width = [this](const std::string& line) { return m_canvas.textWidth(line); };
    const std::vector<std::string> lines = wrapWords(text, limit, width);
    if (lines.empty())
        return;
    // The first line stands even where the cell has no room below it: cut, as any text.
    const std::size_t shown = std::max<std::size_t>(1, linesThatFit(y, lines.size()));
    for (std::size_t i = 0; i < shown; ++i) {
        const bool cut = i + 1 == shown && shown < lines.size();
        writeLine(x, y, cut ? withMark(lines[i], " ...", limit, width) : lines[i]);
    }
}

void CellContext::writeLine(float x, float& y, const std::string& text) const
{
    writeText(x, y, text);
    y = toSingle(double(y) + m_cell.lineHeight);
}

void CellContext::writeNameLine(bool withSelectionColor) const
{
    shortenDesignPath();
    Canvas* const main = m_services.mainCanvas;
    // The selection shows on the main window's page only, never on paper.
    if (withSelectionColor && main && !m_services.selected.empty())
        main->setFontColor(m_services.selected.contains(m_designPath) ? Red : Black);
    writeCellName(m_canvas, m_figures, m_cell.anchor, m_cell.nameWidth > 0 ? m_cell.nameWidth : m_cell.width,
                  m_cell.halfHeight, m_designPath);
    if (withSelectionColor && main)
        main->setFontColor(Black);
}

void CellContext::writeErrorCell(const std::string& text, ErrorPlace place, bool withSelectionColor) const
{
    writeNameLine(withSelectionColor);
    const CellPoint anchor = m_cell.anchor;
    const double y = place == ErrorPlace::MiddleLine ? anchor.Y : anchor.Y - m_canvas.textHeight("B") * 2.2;
    float lineY = toSingle(y);
    writeWrapped(toSingle(anchor.X), lineY, text);
}

Remarks CellContext::remarks(std::int64_t stitches, std::int64_t colorChanges, double width, double height,
                             DesignUnit unit, std::string_view colorLabel) const
{
    const char separator = m_services.host.decimalSeparator();
    const auto mm = [&](double units) {
        return unit == DesignUnit::TenthMillimetre ? remarkNumber(units * 0.1, 1, separator)
                                                   : remarkNumber(units * (1.0 / 6), 1, separator);
    };
    const auto in = [&](double units) {
        return unit == DesignUnit::TenthMillimetre ? remarkNumber(units / 254, 2, separator)
                                                   : remarkNumber(units * (1.0 / 152.4), 2, separator);
    };
    return {"Stitches: " + countText(stitches), "Size: " + mm(width) + " x " + mm(height) + " mm",
            "Size: " + in(width) + " x " + in(height) + " In.", std::string(colorLabel) + countText(colorChanges)};
}

void CellContext::writeRemarks(float& x, float& y, CellPoint start, const Remarks& remarks, ShortRemarks form) const
{
    if (!remarksShown())
        return;
    x = toSingle(start.X);
    y = toSingle(start.Y);
    if (m_cell.cellsPerPage < 12 && form == ShortRemarks::TwoLines) {
        writeLine(x, y, remarks.stitches + ", " + remarks.size);
        writeLine(x, y, remarks.colors + ", " + remarks.inches);
    } else if (m_cell.cellsPerPage < 12 && form == ShortRemarks::ThreeLines) {
        writeLine(x, y, remarks.stitches + ", " + remarks.size);
        writeLine(x, y, remarks.inches);
        writeLine(x, y, remarks.colors);
    } else {
        for (const std::string* line : {&remarks.stitches, &remarks.size, &remarks.inches, &remarks.colors})
            writeLine(x, y, *line);
    }
    if (!m_remarkNote.empty())
        writeLine(x, y, m_remarkNote);
}

int CellContext::listWidthLimit() const
{
    const int listWidth = roundPixel(m_cell.width * 0.8);
    return roundPixel(listWidth * (m_cell.cellsPerPage == 1 ? 0.6 : 0.95));
}

std::size_t CellContext::linesThatFit(float y, std::size_t count) const
{
    if (m_cell.textBottom <= 0)
        return count;
    const int textHeight = m_canvas.textHeight("H");
    std::size_t fitting = 0;
    for (; fitting < count && roundPixel(y) + textHeight <= m_cell.textBottom; ++fitting)
        y = toSingle(double(y) + m_cell.lineHeight);
    return fitting;
}

void CellContext::writeListLines(float x, float& y, const std::vector<std::string>& lines) const
{
    const std::size_t shown = linesThatFit(y, lines.size());
    for (std::size_t i = 0; i < shown; ++i) {
        const bool last = i + 1 == shown && shown < lines.size();
        writeLine(x, y, last ? lines[i] + " ..." : lines[i]);
    }
}

int listBottom(CellPoint anchor, int height, int halfHeight, int pageHeight, int textHeight)
{
    const int nameLine = roundPixel(1.2 * textHeight);
    return std::min(anchor.Y - halfHeight + height, pageHeight) - nameLine;
}

int nameLineWidth(CellPoint origin, int cellWidth, int pageWidth)
{
    return std::min(cellWidth, pageWidth - origin.X);
}

void writeCellName(Canvas& canvas, DesignFigures& figures, CellPoint cell, int nameWidth, int halfCellHeight,
                   const std::string& name)
{
    // A clear gap before the next cell's name, which starts a cell's width further on.
    const std::string text = fitName(canvas, name, nameWidth - canvas.textWidth("XX"));
    figures.PosX = toSingle(cell.X);
    figures.PosY = toSingle((cell.Y - halfCellHeight) - canvas.textHeight(text) * 1.2);
    canvas.labelOut(roundPixel(figures.PosX), roundPixel(figures.PosY), text);
}

std::vector<std::string> wrapEntries(std::size_t count, const std::function<std::string(std::size_t)>& entry,
                                     const std::function<int(const std::string& line, std::size_t next)>& probe,
                                     int limit)
{
    std::vector<std::string> lines;
    std::size_t next = 0;
    while (next < count) {
        std::string line = entry(next++);
        while (next < count && probe(line, next) < limit)
            line += ", " + entry(next++);
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string countText(std::int64_t count)
{
    constexpr std::int64_t limit = std::numeric_limits<std::int32_t>::max();
    return std::to_string(count > limit ? limit : count);
}

namespace {

constexpr int kSignificantDigits = 6;

// Digits before the decimal point of a number as to_chars writes it.
std::size_t integerDigitsOf(const std::string& text)
{
    const std::size_t point = text.find('.');
    return (point == std::string::npos ? text.size() : point) - (text.front() == '-' ? 1 : 0);
}

// The value rounded once to `places` and written with `decimals` places; the places
// beyond the rounding are zeros.
std::string fixedText(double value, int places, int decimals)
{
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, std::end(buffer), value, std::chars_format::fixed, places);
    if (error != std::errc())
        return "";  // more places than the buffer holds: written in scientific notation
    std::string text(buffer, end);
    if (places < decimals) {
        if (places == 0)
            text += '.';
        text.append(std::size_t(decimals - places), '0');
    }
    return text;
}

std::string scientificText(double value)
{
    char buffer[32];  // "-d.dddddE+ddd"
    std::string text(buffer, std::to_chars(buffer, std::end(buffer), value, std::chars_format::scientific,
                                           kSignificantDigits - 1).ptr);
    std::replace(text.begin(), text.end(), 'e', 'E');
    return text;
}

} // namespace

std::string remarkNumber(double value, int decimals, char separator)
{
    // The exact value is rounded once, to `decimals` places or to fewer when its integer
    // part leaves less room. Rounding first to 6 digits and then to the places would round
    // twice (13.104956 to 13.1050, then to 13.11).
    if (!std::isfinite(value))
        return std::isnan(value) ? "NAN" : (value > 0 ? "INF" : "-INF");
    int integerDigits = 0;
    for (double power = 1; std::fabs(value) >= power && integerDigits <= kSignificantDigits; power *= 10)
        ++integerDigits;
    std::string text;
    if (integerDigits <= kSignificantDigits)
        text = fixedText(value, std::min(decimals, kSignificantDigits - integerDigits), decimals);
    // Seven integer digits, or six that the rounding carried into a seventh (999999.5 on).
    if (text.empty() || integerDigitsOf(text) > kSignificantDigits)
        text = scientificText(value);
    if (text.find_first_not_of("-0.") == std::string::npos && text.front() == '-')
        text.erase(0, 1);
    if (separator != '.')
        std::replace(text.begin(), text.end(), '.', separator);
    return text;
}

} // namespace orlika
