// SPDX-License-Identifier: MIT
// Stitches laid as thread straight into 32-bit premultiplied ARGB pixels (0xAARRGGBB in
// a word): each stitch a capsule of the thread's width from needle point to needle point,
// its colour across the width read from the thread's precomputed profile for the
// stitch's direction (render/ThreadShading.h), its shadow a darkening beside it, the
// edges antialiased by their distance from the stitch. No lighting is worked out per
// pixel and no path is built: a plain stroker spent most of its time on the shapes of a
// design's tens of thousands of crossing stitches.
#pragma once

#include "platform/Color.h"
#include "render/ThreadShading.h"

#include <array>
#include <cstdint>
#include <limits>

namespace orlika {

/// Pixels of `width` x `height`, `stride` words a row apart; drawn with source-over, in
/// the rows from `firstRow` to before `endRow` only (a band of the picture that another
/// thread does not draw).
struct PixelBuffer {
    std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
    int firstRow = 0;
    int endRow = std::numeric_limits<int>::max();
};

class ThreadRaster {
public:
    explicit ThreadRaster(PixelBuffer buffer) : m_buffer(buffer) {}

    /// The thread's width in pixels: at least one.
    void setWidth(double pixels);
    /// The colour of the stitches laid from now on.
    void setThread(Color color);
    /// Lays a stitch from (x0, y0) to (x1, y1), in pixels: its shadow, then the thread.
    void stitch(double x0, double y0, double x1, double y1);

private:
    struct Profile {
        std::array<std::uint32_t, kProfileSteps> argb{};
    };
    /// The profiles as a pixel sees them: each step the mean over a pixel's width about
    /// it, so that a thread a pixel or two wide shows its colour, not its dark edge.
    void filterProfiles();
    void layCapsule(double x0, double y0, double x1, double y1, const Profile* profile, double shadowOpacity);

    PixelBuffer m_buffer;
    double m_radius = 0.5;
    Color m_color = Black;
    std::array<std::array<Color, kProfileSteps>, kDirectionBuckets> m_shading{};
    std::array<Profile, kDirectionBuckets> m_profiles;
    double m_shadowDx = 0, m_shadowDy = 0, m_shadowOpacity = 0, m_shadowWidth = 1;
};

} // namespace orlika
