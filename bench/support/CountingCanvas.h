// SPDX-License-Identifier: MIT
// A canvas that only counts: what the readers cost without any drawing.
#pragma once

#include "platform/Canvas.h"

namespace orlika::bench {

class CountingCanvas final : public Canvas {
public:
    long long moves = 0;
    long long lines = 0;
    long long checksum = 0;  // keeps the coordinates alive for the optimiser

    void setPenColor(Color color) override { m_pen = color; }
    Color penColor() const override { return m_pen; }
    void setPenWidth(int) override {}
    void setBrush(BrushStyle, Color) override {}
    void setFont(const Font&) override {}
    void setFontColor(Color) override {}
    Color fontColor() const override { return Black; }
    void moveTo(int x, int y) override
    {
        ++moves;
        checksum += x ^ y;
    }
    void lineTo(int x, int y) override
    {
        ++lines;
        checksum += x ^ y;
    }
    void rectangle(int, int, int, int) override {}
    void textOut(int, int, const std::string&) override {}
    int textWidth(const std::string& text) override { return int(text.size()) * 6; }
    int textHeight(const std::string&) override { return 10; }

private:
    Color m_pen = Black;
};

} // namespace orlika::bench
