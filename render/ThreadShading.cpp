// SPDX-License-Identifier: MIT
#include "render/ThreadShading.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orlika {

namespace {

// Toward the light on the fabric's plane, y downward: from the upper left.
constexpr double kLightX = -0.6;
constexpr double kLightY = -0.8;

constexpr double kEdgeShade = 0.55;   // of the thread's colour left at its edges, turned away from the light
constexpr double kSheen = 0.5;        // of the way to white along the lit middle
constexpr double kShadowOpacity = 0.28;

Color scaled(Color color, double factor)
{
    const auto channel = [factor](int value) { return std::uint8_t(std::lround(value * factor)); };
    return rgb(channel(redOf(color)), channel(greenOf(color)), channel(blueOf(color)));
}

Color towardWhite(Color color, double share)
{
    const auto channel = [share](int value) { return std::uint8_t(std::lround(value + (255 - value) * share)); };
    return rgb(channel(redOf(color)), channel(greenOf(color)), channel(blueOf(color)));
}

} // namespace

int directionBucket(double dx, double dy)
{
    // The direction within a half turn from +x; then the bucket is the number of the
    // buckets' starting directions it lies at or past (no arc tangent per stitch).
    if (dx == 0 && dy == 0)
        return 0;
    if (dy < 0 || (dy == 0 && dx < 0)) {
        dx = -dx;
        dy = -dy;
    }
    static const auto starts = [] {
        std::array<std::array<double, 2>, kDirectionBuckets> directions{};
        for (int bucket = 0; bucket < kDirectionBuckets; ++bucket) {
            const double angle = bucket * std::numbers::pi / kDirectionBuckets;
            directions[std::size_t(bucket)] = {std::cos(angle), std::sin(angle)};
        }
        return directions;
    }();
    int bucket = 0;
    for (int next = 1; next < kDirectionBuckets; ++next) {
        const auto& [x, y] = starts[std::size_t(next)];
        if (x * dy - y * dx < 0)
            break;
        bucket = next;
    }
    return bucket;
}

ThreadStrokes threadStrokes(Color thread, int bucket)
{
    thread &= 0x00FFFFFF;
    const double angle = (std::clamp(bucket, 0, kDirectionBuckets - 1) + 0.5) * std::numbers::pi / kDirectionBuckets;
    // Across the stitch, and how squarely that faces the light: the lit side of a round
    // thread is the side toward it, the more so the more the stitch lies across the light.
    const double acrossX = -std::sin(angle);
    const double acrossY = std::cos(angle);
    const double facing = acrossX * kLightX + acrossY * kLightY;
    const double towardLightX = facing * acrossX;
    const double towardLightY = facing * acrossY;
    ThreadStrokes strokes;
    strokes[0] = {Black, kShadowOpacity, 1.1, 0.12, 0.18};
    strokes[1] = {scaled(thread, kEdgeShade), 1, 1, 0, 0};
    strokes[2] = {thread, 1, 0.68, 0.1 * towardLightX, 0.1 * towardLightY};
    strokes[3] = {towardWhite(thread, kSheen), 1, 0.26, 0.2 * towardLightX, 0.2 * towardLightY};
    return strokes;
}

std::array<Color, kProfileSteps> threadProfile(Color thread, int bucket)
{
    const ThreadStrokes strokes = threadStrokes(thread, bucket);
    const double angle = (std::clamp(bucket, 0, kDirectionBuckets - 1) + 0.5) * std::numbers::pi / kDirectionBuckets;
    const double acrossX = -std::sin(angle);
    const double acrossY = std::cos(angle);
    // Each step the mean of a few samples, so that the bands' edges are soft as drawn.
    constexpr int kSamples = 4;
    std::array<Color, kProfileSteps> profile;
    for (int step = 0; step < kProfileSteps; ++step) {
        int sums[3] = {0, 0, 0};
        for (int sample = 0; sample < kSamples; ++sample) {
            // In thread widths from the middle: -0.5 to 0.5.
            const double at = (step + (sample + 0.5) / kSamples) / kProfileSteps - 0.5;
            Color color = strokes[1].color;
            for (int layer = 2; layer < kThreadStrokes; ++layer) {
                const ThreadStroke& stroke = strokes[std::size_t(layer)];
                const double middle = stroke.dx * acrossX + stroke.dy * acrossY;
                if (std::abs(at - middle) <= stroke.width / 2)
                    color = stroke.color;
            }
            sums[0] += redOf(color);
            sums[1] += greenOf(color);
            sums[2] += blueOf(color);
        }
        profile[std::size_t(step)] = rgb(std::uint8_t(sums[0] / kSamples), std::uint8_t(sums[1] / kSamples),
                                         std::uint8_t(sums[2] / kSamples));
    }
    return profile;
}

void acrossStitch(double dx, double dy, double& acrossX, double& acrossY)
{
    // The direction within a half turn from +x, as the buckets take it.
    if (dy < 0 || (dy == 0 && dx < 0)) {
        dx = -dx;
        dy = -dy;
    }
    const double length = std::sqrt(dx * dx + dy * dy);
    if (length == 0) {
        acrossX = 0;
        acrossY = 1;
        return;
    }
    acrossX = -dy / length;
    acrossY = dx / length;
}

} // namespace orlika
