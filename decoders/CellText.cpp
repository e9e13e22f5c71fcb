// SPDX-License-Identifier: MIT
// What every reader shares: the cell anchor, the name line, remark text and numbers.
#include "catalog/Catalog.h"

#include "platform/NameFit.h"
#include "platform/Rounding.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <string>

namespace orlika {

CellPoint Catalog::cellAnchor() const
{
    const int index = m_state.CellNo - 1;
    if (index < 0 || index >= int(m_state.CellOrigin.size()))
        return {};
    return m_state.CellOrigin[std::size_t(index)];
}

void Catalog::shortenDesignPath()
{
    m_state.DesignPath = namePart(m_state.DesignPath);
}

void Catalog::writeText(Canvas& canvas, float x, float y, const std::string& text)
{
    canvas.textOut(roundPixel(x), roundPixel(y), text);
}

void Catalog::writeCellName(Canvas& canvas, CellPoint cell, int cellWidth, int halfCellHeight,
                            const std::string& name)
{
    auto& s = m_state;
    // A clear gap before the next cell's name, which starts a cell's width further on.
    const std::string text = fitName(canvas, name, cellWidth - canvas.textWidth("XX"));
    s.PosX = toSingle(cell.X);
    s.PosY = toSingle((cell.Y - halfCellHeight) - canvas.textHeight(text) * 1.2);
    canvas.labelOut(roundPixel(s.PosX), roundPixel(s.PosY), text);
}

void Catalog::writeNameLine(Canvas& canvas, bool withSelectionColor)
{
    auto& s = m_state;
    shortenDesignPath();
    // The selection shows on the main window's page only, never on paper.
    if (withSelectionColor && m_mainCanvas && !s.SelectedList.empty())
        m_mainCanvas->setFontColor(s.SelectedList.contains(s.DesignPath) ? Red : Black);
    writeCellName(canvas, cellAnchor(), s.CellWidth, s.HalfCellHeight, s.DesignPath);
    if (withSelectionColor && m_mainCanvas)
        m_mainCanvas->setFontColor(Black);
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

std::string Catalog::fixed(double value, int decimals) const
{
    // Fixed notation with at most 6 significant digits: the exact value is rounded once,
    // to `decimals` places or to fewer when its integer part leaves less room. Rounding
    // first to 6 digits and then to the places would round twice (13.104956 to 13.1050,
    // then to 13.11).
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
    const char separator = m_host.decimalSeparator();
    if (separator != '.')
        std::replace(text.begin(), text.end(), '.', separator);
    return text;
}

std::string Catalog::millimetres(double units) const
{
    return fixed(units * 0.1, 1);
}

std::string Catalog::inches(double units) const
{
    return fixed(units / 254, 2);
}

void Catalog::showPhase(const std::string& text)
{
    m_host.setStatLabel(text);
    m_host.processMessages();
}

} // namespace orlika
