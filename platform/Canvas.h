// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Color.h"

#include <span>
#include <string>

namespace orlika {

enum class BrushStyle { Clear, Solid };

// A rectangle of device pixels; right and bottom are just outside it.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const PixelRect&) const = default;
};

struct Font {
    std::string name = "Arial";
    int pointSize = 8;
    bool bold = false;
    bool operator==(const Font&) const = default;
};

// Where the pen goes next in a path, drawing a line from the current point or not.
struct PathPoint {
    int x = 0;
    int y = 0;
    bool draws = false;
};

// The drawing surface shared by screen pages and printed pages. It keeps its own
// current point: MoveTo/LineTo work from it and TextOut leaves it at the end of the text.
class Canvas {
public:
    virtual ~Canvas() = default;

    /// Colour of lines drawn from now on.
    virtual void setPenColor(Color color) = 0;
    /// Colour of lines drawn from now on, as last set.
    virtual Color penColor() const = 0;
    /// Width of lines in device pixels.
    virtual void setPenWidth(int width) = 0;
    /// Fill used by rectangle() and behind text (Clear: no fill).
    virtual void setBrush(BrushStyle style, Color color) = 0;
    /// Face, size and weight of text written from now on.
    virtual void setFont(const Font& font) = 0;
    /// Colour of text written from now on.
    virtual void setFontColor(Color color) = 0;
    /// Colour of text, as last set.
    virtual Color fontColor() const = 0;
    /// Moves the current point without drawing.
    virtual void moveTo(int x, int y) = 0;
    /// Draws a line from the current point to (x, y), which becomes the current point.
    virtual void lineTo(int x, int y) = 0;
    /// Goes through the points in order as moveTo and lineTo would, one call for many
    /// points: a canvas that keeps lines cheaply takes them without a call each.
    virtual void drawPath(std::span<const PathPoint> points)
    {
        for (const PathPoint& point : points) {
            if (point.draws)
                lineTo(point.x, point.y);
            else
                moveTo(point.x, point.y);
        }
    }
    /// Fills the rectangle with the brush and outlines it with the pen.
    virtual void rectangle(int left, int top, int right, int bottom) = 0;
    /// Writes text with its top-left corner at (x, y); the current point moves to its end.
    virtual void textOut(int x, int y, const std::string& text) = 0;
    /// Writes text as textOut does, as a label that may be written again at the same
    /// place in another colour: the new label then replaces the old exactly, over what
    /// lay under it. Canvases that are never written over may simply call textOut.
    virtual void labelOut(int x, int y, const std::string& text) { textOut(x, y, text); }
    /// Writes text as textOut does, showing only what falls inside the area: the text of a
    /// cell that would reach into the next one. Canvases that only measure or count may
    /// simply call textOut.
    virtual void clippedTextOut(int x, int y, const std::string& text, const PixelRect& /*area*/)
    {
        textOut(x, y, text);
    }
    /// Width of text in device pixels with the current font.
    virtual int textWidth(const std::string& text) = 0;
    /// Height of text in device pixels with the current font.
    virtual int textHeight(const std::string& text) = 0;
    /// Puts everything drawn so far onto the surface (implementations may batch lines).
    virtual void flush() {}
    /// Confines lines and rectangles drawn from now on to the area; text is not confined.
    /// Canvases that only measure or count may ignore it.
    virtual void clipLines(const PixelRect& /*area*/) {}
    /// Lets lines and rectangles reach the whole surface again.
    virtual void unclipLines() {}
    /// The pixels a millimetre of the design drawn next takes, for a canvas that draws
    /// thread of its real width; the others ignore it.
    virtual void setDesignScale(double /*pixelsPerMillimetre*/) {}
};

} // namespace orlika
