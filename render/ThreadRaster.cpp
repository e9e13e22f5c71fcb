// SPDX-License-Identifier: MIT
#include "render/ThreadRaster.h"

#include <algorithm>
#include <cmath>

namespace orlika {

namespace {

std::uint32_t opaque(Color color)
{
    return 0xFF000000u | (std::uint32_t(redOf(color)) << 16) | (std::uint32_t(greenOf(color)) << 8) | blueOf(color);
}

// Source-over of an opaque colour covering `cover` 256ths of the pixel.
std::uint32_t over(std::uint32_t source, std::uint32_t target, std::uint32_t cover)
{
    const std::uint32_t rest = 256 - cover;
    const std::uint32_t redBlue = (((source & 0x00FF00FFu) * cover + (target & 0x00FF00FFu) * rest) >> 8) & 0x00FF00FFu;
    const std::uint32_t alphaGreen =
        ((((source >> 8) & 0x00FF00FFu) * cover + ((target >> 8) & 0x00FF00FFu) * rest)) & 0xFF00FF00u;
    return redBlue | alphaGreen;
}

// Black of `alpha` 256ths over the pixel: its colour darkened, its alpha raised.
std::uint32_t shade(std::uint32_t target, std::uint32_t alpha)
{
    const std::uint32_t rest = 256 - alpha;
    const std::uint32_t colour = (((target & 0x00FF00FFu) * rest) >> 8) & 0x00FF00FFu;
    const std::uint32_t green = (((target & 0x0000FF00u) * rest) >> 8) & 0x0000FF00u;
    const std::uint32_t a = target >> 24;
    const std::uint32_t newAlpha = std::min<std::uint32_t>(255, alpha * 255 / 256 + ((a * rest) >> 8));
    return (newAlpha << 24) | colour | green;
}

// floor(value) and ceil(value) clamped into [low, high], low >= 0, before they become
// ints: far stitches are no undefined conversion. Between the two bounds the value is
// positive, so truncation is its floor: a compare instead of a call for each row's ends.
int floorClamped(double value, int low, int high)
{
    if (!(value > low))
        return low;
    if (!(value < high))
        return high;
    return int(value);
}

int ceilClamped(double value, int low, int high)
{
    if (!(value > low))
        return low;
    if (!(value < high))
        return high;
    const int whole = int(value);
    return double(whole) < value ? whole + 1 : whole;
}

} // namespace

void ThreadRaster::setWidth(double pixels)
{
    m_radius = std::max(pixels, 1.0) / 2;
    filterProfiles();
    const ThreadStroke shadow = threadStrokes(m_color, 0)[0];
    m_shadowDx = shadow.dx * m_radius * 2;
    m_shadowDy = shadow.dy * m_radius * 2;
    m_shadowOpacity = shadow.opacity;
    m_shadowWidth = shadow.width;
}

void ThreadRaster::setThread(Color color)
{
    m_color = color & 0x00FFFFFF;
    for (int bucket = 0; bucket < kDirectionBuckets; ++bucket)
        m_shading[std::size_t(bucket)] = threadProfile(m_color, bucket);
    setWidth(m_radius * 2);
}

void ThreadRaster::filterProfiles()
{
    const int half = std::clamp(int(std::lround(kProfileSteps / (4 * m_radius))), 0, kProfileSteps);
    // Running sums of each channel: a step's mean is the difference of two, however wide
    // the window (a thumbnail's thread a pixel wide means over the whole profile).
    std::array<std::array<int, kProfileSteps + 1>, 3> running{};
    for (std::size_t bucket = 0; bucket < m_shading.size(); ++bucket) {
        const std::array<Color, kProfileSteps>& shading = m_shading[bucket];
        for (std::size_t i = 0; i < std::size_t(kProfileSteps); ++i) {
            running[0][i + 1] = running[0][i] + redOf(shading[i]);
            running[1][i + 1] = running[1][i] + greenOf(shading[i]);
            running[2][i + 1] = running[2][i] + blueOf(shading[i]);
        }
        for (int step = 0; step < kProfileSteps; ++step) {
            const auto first = std::size_t(std::max(0, step - half));
            const auto end = std::size_t(std::min(kProfileSteps - 1, step + half)) + 1;
            const int count = int(end - first);
            const auto mean = [&](int channel) {
                const auto& sums = running[std::size_t(channel)];
                return std::uint8_t((sums[end] - sums[first]) / count);
            };
            m_profiles[bucket].argb[std::size_t(step)] = opaque(rgb(mean(0), mean(1), mean(2)));
        }
    }
}

void ThreadRaster::stitch(double x0, double y0, double x1, double y1)
{
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1))
        return;
    // A shadow a fraction of a pixel beside a thread a pixel or so wide is not seen.
    if (m_radius >= 1)
        layCapsule(x0 + m_shadowDx, y0 + m_shadowDy, x1 + m_shadowDx, y1 + m_shadowDy, nullptr, m_shadowOpacity);
    const int bucket = directionBucket(x1 - x0, y1 - y0);
    layCapsule(x0, y0, x1, y1, &m_profiles[std::size_t(bucket)], 0);
}

void ThreadRaster::layCapsule(double x0, double y0, double x1, double y1, const Profile* profile, double shadowOpacity)
{
    const double radius = profile ? m_radius : m_radius * m_shadowWidth;
    // Coverage falls from whole to none over the pixel about the thread's edge.
    const double reach = radius + 0.5;
    // The pixels whose centres are within reach: x + 0.5 from low to high.
    const int left = ceilClamped(std::min(x0, x1) - reach - 0.5, 0, m_buffer.width - 1);
    const int right = floorClamped(std::max(x0, x1) + reach - 0.5, 0, m_buffer.width - 1);
    const int firstRow = std::max(m_buffer.firstRow, 0);
    const int lastRow = std::min(m_buffer.endRow, m_buffer.height) - 1;
    const int top = ceilClamped(std::min(y0, y1) - reach - 0.5, 0, m_buffer.height - 1);
    const int bottom = floorClamped(std::max(y0, y1) + reach - 0.5, 0, m_buffer.height - 1);
    if (std::max(x0, x1) + reach < 0 || std::min(x0, x1) - reach > m_buffer.width || std::max(y0, y1) + reach < 0 ||
        std::min(y0, y1) - reach > m_buffer.height || bottom < firstRow || top > lastRow)
        return;
    const double dx = x1 - x0;
    const double dy = y1 - y0;
    const double length = std::sqrt(dx * dx + dy * dy);
    const double alongX = length > 0 ? dx / length : 1;
    const double alongY = length > 0 ? dy / length : 0;
    // Across as threadProfile() runs: the direction taken within a half turn from +x.
    const double turn = dy < 0 || (dy == 0 && dx < 0) ? -1 : 1;
    const double acrossX = -alongY * turn;
    const double acrossY = alongX * turn;
    const double toStep = kProfileSteps / (2 * radius);
    const double inverseAcrossX = std::abs(acrossX) > 1e-6 ? 1 / acrossX : 0;
    const auto shadowAlpha = std::uint32_t(std::lround(shadowOpacity * 256));
    for (int y = std::max(top, firstRow); y <= std::min(bottom, lastRow); ++y) {
        const double py = y + 0.5;
        // Only the pixels of the row within reach of the stitch's line.
        int from = left, to = right;
        if (std::abs(acrossX) > 1e-6) {
            const double shift = (py - y0) * acrossY;
            const double a = x0 + (-reach - shift) * inverseAcrossX;
            const double b = x0 + (reach - shift) * inverseAcrossX;
            from = ceilClamped(std::min(a, b) - 0.5, left, right);
            to = floorClamped(std::max(a, b) - 0.5, left, right);
        }
        std::uint32_t* row = m_buffer.pixels + std::ptrdiff_t(y) * m_buffer.stride;
        for (int x = from; x <= to; ++x) {
            const double vx = x + 0.5 - x0;
            const double vy = py - y0;
            const double along = vx * alongX + vy * alongY;
            const double across = vx * acrossX + vy * acrossY;
            double distance = std::abs(across);
            if (along < 0)
                distance = std::sqrt(vx * vx + vy * vy);
            else if (along > length)
                distance = std::sqrt((x + 0.5 - x1) * (x + 0.5 - x1) + (py - y1) * (py - y1));
            const double cover = reach - distance;
            if (cover <= 0)
                continue;
            const auto parts = std::uint32_t(cover >= 1 ? 256 : cover * 256);
            if (!profile) {
                row[x] = shade(row[x], (shadowAlpha * parts) >> 8);
                continue;
            }
            const int step = std::clamp(int((across + radius) * toStep), 0, kProfileSteps - 1);
            row[x] = over(profile->argb[std::size_t(step)], row[x], parts);
        }
    }
}

} // namespace orlika
