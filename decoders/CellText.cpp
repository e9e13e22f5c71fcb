// SPDX-License-Identifier: MIT
// What every reader shares: the cell anchor, the name line, remark text and numbers.
#include "catalog/Catalog.h"

#include "platform/NameFit.h"
#include "platform/Rounding.h"

#include <cmath>
#include <cstdio>

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

std::string Catalog::fixed(double value, int decimals) const
{
    // Fixed notation with at most 6 significant digits; larger numbers go scientific.
    if (!std::isfinite(value))
        return std::isnan(value) ? "NAN" : (value > 0 ? "INF" : "-INF");
    char buffer[64];
    if (std::fabs(value) >= 999999.5) {
        std::snprintf(buffer, sizeof buffer, "%.5E", value);
    } else {
        std::snprintf(buffer, sizeof buffer, "%.5e", value);
        const double significant = std::strtod(buffer, nullptr);
        std::snprintf(buffer, sizeof buffer, "%.*f", decimals, significant == 0 ? 0.0 : significant);
    }
    std::string text = buffer;
    if (text.find_first_not_of("-0.") == std::string::npos && text.front() == '-')
        text.erase(0, 1);
    const char separator = m_host.decimalSeparator();
    if (separator != '.')
        for (char& c : text)
            if (c == '.')
                c = separator;
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
