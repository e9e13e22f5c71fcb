// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Canvas.h"

namespace orlika {

// A canvas that draws nothing: it keeps the pen colour and measures text with fixed
// metrics (6 pixels a character, 10 high). Tools that only need what a reader does
// with its points override moveTo and lineTo.
class NullCanvas : public Canvas {
public:
    void setPenColor(Color color) override { m_penColor = color; }
    Color penColor() const override { return m_penColor; }
    void setPenWidth(int) override {}
    void setBrush(BrushStyle, Color) override {}
    void setFont(const Font&) override {}
    void setFontColor(Color) override {}
    Color fontColor() const override { return Black; }
    void moveTo(int, int) override {}
    void lineTo(int, int) override {}
    void rectangle(int, int, int, int) override {}
    void textOut(int, int, const std::string&) override {}
    int textWidth(const std::string& text) override { return int(text.size()) * 6; }
    int textHeight(const std::string&) override { return 10; }

protected:
    Color m_penColor = Black;
};

} // namespace orlika
