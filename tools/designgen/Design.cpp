// SPDX-License-Identifier: MIT
#include "tools/designgen/Design.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>

namespace orlika::gen {

std::pair<int, int> Design::position() const
{
    for (auto it = steps.rbegin(); it != steps.rend(); ++it)
        if (it->kind != Step::Kind::ColorChange)
            return {it->x, it->y};
    return {0, 0};
}

void Design::runTo(int x, int y, int length)
{
    const auto [x0, y0] = position();
    const double distance = std::hypot(x - x0, y - y0);
    const int pieces = std::max(1, int(std::ceil(distance / length)));
    for (int i = 1; i <= pieces; ++i)
        stitch(x0 + int(std::lround(double(x - x0) * i / pieces)), y0 + int(std::lround(double(y - y0) * i / pieces)));
}

namespace {

using Polygon = std::vector<std::pair<int, int>>;

// Fills a polygon with horizontal rows `spacing` units apart, sewn back and forth; the
// needle jumps between separate pieces of a row.
void fillPolygon(Design& design, const Polygon& polygon, int spacing)
{
    int low = polygon.front().second, high = low;
    for (const auto& [x, y] : polygon) {
        low = std::min(low, y);
        high = std::max(high, y);
    }
    bool leftToRight = true;
    for (int y = low + spacing / 2; y < high; y += spacing) {
        std::vector<int> crossings;
        for (std::size_t i = 0; i < polygon.size(); ++i) {
            const auto [x0, y0] = polygon[i];
            const auto [x1, y1] = polygon[(i + 1) % polygon.size()];
            if ((y0 <= y && y < y1) || (y1 <= y && y < y0))
                crossings.push_back(x0 + int(std::lround(double(y - y0) * (x1 - x0) / (y1 - y0))));
        }
        std::sort(crossings.begin(), crossings.end());
        if (!leftToRight)
            std::reverse(crossings.begin(), crossings.end());
        for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
            design.jump(crossings[i], y);
            design.runTo(crossings[i + 1], y, 35);
        }
        leftToRight = !leftToRight;
    }
}

void outline(Design& design, const Polygon& polygon, int length)
{
    design.jump(polygon.front().first, polygon.front().second);
    for (std::size_t i = 1; i <= polygon.size(); ++i)
        design.runTo(polygon[i % polygon.size()].first, polygon[i % polygon.size()].second, length);
}

} // namespace

Design makeStar(int radius)
{
    Design design;
    design.name = "star";
    design.threads = {1, 2};
    Polygon corners;
    for (int i = 0; i < 10; ++i) {
        const double angle = std::numbers::pi / 2 + i * std::numbers::pi / 5;
        const double r = (i % 2 == 0) ? radius : radius * 0.4;
        corners.emplace_back(int(std::lround(r * std::cos(angle))), int(std::lround(r * std::sin(angle))));
    }
    fillPolygon(design, corners, 8);
    design.colorChange(1);
    outline(design, corners, 25);
    return design;
}

Design makeFilledCircle(int radius)
{
    Design design;
    design.name = "circle";
    design.threads = {3, 4};
    Polygon circle;
    for (int i = 0; i < 72; ++i) {
        const double angle = i * 2 * std::numbers::pi / 72;
        circle.emplace_back(int(std::lround(radius * std::cos(angle))), int(std::lround(radius * std::sin(angle))));
    }
    fillPolygon(design, circle, 6);
    design.colorChange(1);
    outline(design, circle, 30);
    return design;
}

namespace {

// Letters as strokes on a 4 x 6 grid; each stroke is a polyline.
using Stroke = std::vector<std::pair<int, int>>;
const std::map<char, std::vector<Stroke>>& letterStrokes()
{
    static const std::map<char, std::vector<Stroke>> strokes = {
        {'O', {{{0, 0}, {4, 0}, {4, 6}, {0, 6}, {0, 0}}}},
        {'R', {{{0, 0}, {0, 6}, {4, 6}, {4, 3}, {0, 3}, {4, 0}}}},
        {'L', {{{0, 6}, {0, 0}, {4, 0}}}},
        {'I', {{{2, 0}, {2, 6}}, {{0, 0}, {4, 0}}, {{0, 6}, {4, 6}}}},
        {'K', {{{0, 0}, {0, 6}}, {{4, 6}, {0, 3}, {4, 0}}}},
        {'A', {{{0, 0}, {2, 6}, {4, 0}}, {{1, 3}, {3, 3}}}},
        {'E', {{{4, 0}, {0, 0}, {0, 6}, {4, 6}}, {{0, 3}, {3, 3}}}},
        {'S', {{{0, 0}, {4, 0}, {4, 3}, {0, 3}, {0, 6}, {4, 6}}}},
        {'T', {{{0, 6}, {4, 6}}, {{2, 6}, {2, 0}}}},
        {'W', {{{0, 6}, {1, 0}, {2, 3}, {3, 0}, {4, 6}}}},
        {'N', {{{0, 0}, {0, 6}, {4, 0}, {4, 6}}}},
        {'H', {{{0, 0}, {0, 6}}, {{4, 0}, {4, 6}}, {{0, 3}, {4, 3}}}},
        {'M', {{{0, 0}, {0, 6}, {2, 3}, {4, 6}, {4, 0}}}},
        {'C', {{{4, 0}, {0, 0}, {0, 6}, {4, 6}}}},
        {'D', {{{0, 0}, {0, 6}, {3, 6}, {4, 5}, {4, 1}, {3, 0}, {0, 0}}}},
        {'P', {{{0, 0}, {0, 6}, {4, 6}, {4, 3}, {0, 3}}}},
        {'B', {{{0, 0}, {0, 6}, {3, 6}, {3, 3}, {4, 3}, {4, 0}, {0, 0}}}},
        {'G', {{{4, 6}, {0, 6}, {0, 0}, {4, 0}, {4, 3}, {2, 3}}}},
        {'U', {{{0, 6}, {0, 0}, {4, 0}, {4, 6}}}},
        {'Y', {{{0, 6}, {2, 3}, {4, 6}}, {{2, 3}, {2, 0}}}},
    };
    return strokes;
}

} // namespace

Design makeTextOutline(const std::string& text, int letterHeight)
{
    Design design;
    design.name = "text";
    const int unit = std::max(1, letterHeight / 6);
    int originX = 0;
    int letter = 0;
    for (const char c : text) {
        const auto it = letterStrokes().find(c);
        if (it != letterStrokes().end()) {
            design.threads.push_back(letter % 6 + 1);
            if (letter > 0)
                design.colorChange(letter);
            for (const Stroke& stroke : it->second) {
                design.jump(originX + stroke.front().first * unit, stroke.front().second * unit);
                for (std::size_t i = 1; i < stroke.size(); ++i)
                    design.runTo(originX + stroke[i].first * unit, stroke[i].second * unit, 20);
            }
            ++letter;
        }
        originX += 6 * unit;
    }
    return design;
}

Design makeSpiral(int stitchCount, int colors)
{
    Design design;
    design.name = "spiral";
    for (int c = 0; c < std::max(1, colors); ++c)
        design.threads.push_back(c % 60 + 1);
    const int perColor = std::max(1, stitchCount / std::max(1, colors));
    int made = 0;
    double angle = 0;
    while (made < stitchCount) {
        if (made > 0 && made % perColor == 0 && made / perColor < colors)
            design.colorChange(made / perColor);
        const double radius = 50 + 0.02 * made;
        angle += 20.0 / radius;
        design.stitch(int(std::lround(radius * std::cos(angle))), int(std::lround(radius * std::sin(angle))));
        ++made;
    }
    return design;
}

} // namespace orlika::gen
