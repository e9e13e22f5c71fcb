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

namespace orlika {

void CellContext::showPhase(const std::string& text) const
{
    m_services.host.setStatLabel(text);
    m_services.host.processMessages();
}

void CellContext::setPhase(const std::string& text) const
{
    m_services.host.setStatLabel(text);
}

void CellContext::processMessages() const
{
    m_services.host.processMessages();
}

void CellContext::shortenDesignPath() const
{
    m_designPath = namePart(m_designPath);
}

void CellContext::writeText(float x, float y, const std::string& text) const
{
    m_canvas.textOut(roundPixel(x), roundPixel(y), text);
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
    writeText(toSingle(anchor.X), toSingle(y), text);
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

void CellContext::writeListLines(float x, float& y, const std::vector<std::string>& lines) const
{
    const int textHeight = m_canvas.textHeight("H");
    const auto fits = [&](float top) { return m_cell.textBottom <= 0 || roundPixel(top) + textHeight <= m_cell.textBottom; };
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!fits(y))
            return;
        const float below = toSingle(double(y) + m_cell.lineHeight);
        const bool last = i + 1 < lines.size() && !fits(below);
        writeLine(x, y, last ? lines[i] + " ..." : lines[i]);
        if (last)
            return;
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
