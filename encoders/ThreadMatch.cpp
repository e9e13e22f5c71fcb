// SPDX-License-Identifier: MIT
#include "encoders/ThreadMatch.h"

#include <cmath>
#include <numbers>

namespace orlika {

namespace {

double linear(std::uint8_t channel)
{
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double labCurve(double t)
{
    constexpr double kEpsilon = 216.0 / 24389.0;
    constexpr double kKappa = 24389.0 / 27.0;
    return t > kEpsilon ? std::cbrt(t) : (kKappa * t + 16.0) / 116.0;
}

double degrees(double radians)
{
    return radians * 180.0 / std::numbers::pi;
}

double radians(double degrees)
{
    return degrees * std::numbers::pi / 180.0;
}

/// The hue angle in degrees, 0 to 360; 0 for a grey.
double hueAngle(double b, double a)
{
    if (a == 0 && b == 0)
        return 0;
    const double h = degrees(std::atan2(b, a));
    return h < 0 ? h + 360 : h;
}

} // namespace

Lab labOf(Color color)
{
    const double r = linear(redOf(color));
    const double g = linear(greenOf(color));
    const double b = linear(blueOf(color));
    // sRGB to XYZ, divided by the D65 white point.
    const double x = (0.4124564 * r + 0.3575761 * g + 0.1804375 * b) / 0.95047;
    const double y = 0.2126729 * r + 0.7151522 * g + 0.0721750 * b;
    const double z = (0.0193339 * r + 0.1191920 * g + 0.9503041 * b) / 1.08883;
    const double fx = labCurve(x), fy = labCurve(y), fz = labCurve(z);
    return {116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)};
}

double ciede2000(const Lab& one, const Lab& other)
{
    const double c1 = std::hypot(one.a, one.b);
    const double c2 = std::hypot(other.a, other.b);
    const double meanC = (c1 + c2) / 2;
    const double meanC7 = std::pow(meanC, 7);
    const double g = 0.5 * (1 - std::sqrt(meanC7 / (meanC7 + std::pow(25.0, 7))));
    const double a1 = (1 + g) * one.a;
    const double a2 = (1 + g) * other.a;
    const double cPrime1 = std::hypot(a1, one.b);
    const double cPrime2 = std::hypot(a2, other.b);
    const double h1 = hueAngle(one.b, a1);
    const double h2 = hueAngle(other.b, a2);

    const double deltaL = other.l - one.l;
    const double deltaC = cPrime2 - cPrime1;
    double deltaHue = 0;
    if (cPrime1 * cPrime2 != 0) {
        deltaHue = h2 - h1;
        if (deltaHue > 180)
            deltaHue -= 360;
        else if (deltaHue < -180)
            deltaHue += 360;
    }
    const double deltaH = 2 * std::sqrt(cPrime1 * cPrime2) * std::sin(radians(deltaHue / 2));

    const double meanL = (one.l + other.l) / 2;
    const double meanCPrime = (cPrime1 + cPrime2) / 2;
    double meanH = h1 + h2;
    if (cPrime1 * cPrime2 != 0) {
        if (std::abs(h1 - h2) <= 180)
            meanH = (h1 + h2) / 2;
        else
            meanH = h1 + h2 < 360 ? (h1 + h2 + 360) / 2 : (h1 + h2 - 360) / 2;
    }
    const double t = 1 - 0.17 * std::cos(radians(meanH - 30)) + 0.24 * std::cos(radians(2 * meanH)) +
                     0.32 * std::cos(radians(3 * meanH + 6)) - 0.20 * std::cos(radians(4 * meanH - 63));
    const double meanL50 = (meanL - 50) * (meanL - 50);
    const double sL = 1 + 0.015 * meanL50 / std::sqrt(20 + meanL50);
    const double sC = 1 + 0.045 * meanCPrime;
    const double sH = 1 + 0.015 * meanCPrime * t;
    const double meanCPrime7 = std::pow(meanCPrime, 7);
    const double rC = 2 * std::sqrt(meanCPrime7 / (meanCPrime7 + std::pow(25.0, 7)));
    const double deltaTheta = 30 * std::exp(-std::pow((meanH - 275) / 25, 2));
    const double rT = -std::sin(radians(2 * deltaTheta)) * rC;
    const double l = deltaL / sL, c = deltaC / sC, h = deltaH / sH;
    return std::sqrt(l * l + c * c + h * h + rT * c * h);
}

ThreadMatch nearestThread(Color color, std::span<const Lab> chart)
{
    const Lab wanted = labOf(color);
    ThreadMatch best{0, ciede2000(wanted, chart.front())};
    for (std::size_t i = 1; i < chart.size(); ++i) {
        const double difference = ciede2000(wanted, chart[i]);
        if (difference < best.difference)
            best = {i, difference};
    }
    return best;
}

ThreadMatch nearestThread(Color color, std::span<const Color> chart)
{
    const Lab wanted = labOf(color);
    ThreadMatch best{0, ciede2000(wanted, labOf(chart.front()))};
    for (std::size_t i = 1; i < chart.size(); ++i) {
        const double difference = ciede2000(wanted, labOf(chart[i]));
        if (difference < best.difference)
            best = {i, difference};
    }
    return best;
}

} // namespace orlika
