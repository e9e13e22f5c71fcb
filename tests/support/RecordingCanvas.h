// SPDX-License-Identifier: MIT
// A canvas that logs every call with fixed text metrics, for exact drawing checks.
#pragma once

#include "platform/Canvas.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace orlika::test {

class RecordingCanvas : public Canvas {
public:
    // Every character is 6 pixels wide and every text 10 pixels high.
    static constexpr int kCharWidth = 6;
    static constexpr int kTextHeight = 10;

    std::vector<std::string> log;
    Color pen = Black;
    Color font = Black;
    Font currentFont;
    std::optional<PixelRect> clip;   // kept apart from the log: every reader call sets it

    void setPenColor(Color color) override
    {
        pen = color;
        add("PenColor " + hex(color));
    }
    Color penColor() const override { return pen; }
    void setPenWidth(int width) override { add("PenWidth " + std::to_string(width)); }
    void setBrush(BrushStyle style, Color color) override
    {
        add(std::string("Brush ") + (style == BrushStyle::Clear ? "clear" : "solid " + hex(color)));
    }
    void setFont(const Font& f) override
    {
        currentFont = f;
        add("Font " + f.name + " " + std::to_string(f.pointSize) + (f.bold ? " bold" : ""));
    }
    void setFontColor(Color color) override
    {
        font = color;
        add("FontColor " + hex(color));
    }
    Color fontColor() const override { return font; }
    void moveTo(int x, int y) override { add("MoveTo " + xy(x, y)); }
    void lineTo(int x, int y) override { add("LineTo " + xy(x, y)); }
    void rectangle(int l, int t, int r, int b) override { add("Rectangle " + xy(l, t) + " " + xy(r, b)); }
    void textOut(int x, int y, const std::string& text) override
    {
        add("TextOut " + xy(x, y) + " \"" + text + "\"");
        texts.push_back(text);
    }
    void clippedTextOut(int x, int y, const std::string& text, const PixelRect& a) override
    {
        add("TextOut " + xy(x, y) + " \"" + text + "\" within " + xy(a.left, a.top) + " " + xy(a.right, a.bottom));
        texts.push_back(text);
    }
    void clipLines(const PixelRect& area) override { clip = area; }
    void unclipLines() override { clip.reset(); }
    int textWidth(const std::string& text) override { return int(text.size()) * kCharWidth; }
    int textHeight(const std::string&) override { return kTextHeight; }

    std::vector<std::string> texts;

    /// Log lines that start with the prefix.
    std::vector<std::string> linesStarting(const std::string& prefix) const
    {
        std::vector<std::string> out;
        for (const auto& line : log)
            if (line.rfind(prefix, 0) == 0)
                out.push_back(line);
        return out;
    }
    void clear()
    {
        log.clear();
        texts.clear();
    }

private:
    void add(std::string line) { log.push_back(std::move(line)); }
    static std::string xy(int x, int y) { return std::to_string(x) + " " + std::to_string(y); }
    static std::string hex(Color c)
    {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "0x%06X", unsigned(c));
        return buffer;
    }
};

} // namespace orlika::test
