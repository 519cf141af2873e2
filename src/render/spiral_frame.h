// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "app/scene_state.h"
#include "render/color_wheel.h"

// The display callback: draws one frame of the ribbon and swaps the buffers.
void displayFrame();

// The most slice runs one frame may make. The float angle normally passes the
// limit after steps or steps + 1 runs; the cap only stops frames whose angle
// can no longer advance (no turns, or slices too fine for a float).
inline std::int64_t maxSliceRuns(std::int32_t steps) {
    return 2 * static_cast<std::int64_t>(std::max<std::int32_t>(steps, 0)) + 4;
}

// One slice of the ribbon: two flat triangles between the Z axis and the outer
// edge, from (x1, y1) at the height z to (x2, y2) at the lower height z2.
struct RibbonSlice {
    std::uint8_t red, green, blue;
    float x1, y1, z, x2, y2, z2;
};

// The slices of one frame, handed one by one to sink.add(slice); returns how
// many. Values kept between steps are floats; each is worked out in double
// and rounded to float where it is kept, so every vertex is exact to the bit.
template <class Sink>
std::int64_t buildSlices(SceneState& s, Sink& sink) {
    const double twoPi = static_cast<double>(6.2831855f);
    const double growth = static_cast<double>(0.07f);
    const double limit = s.turns * twoPi;
    const double step = limit / s.steps;
    const double drop = (s.turns * 25.0) / s.steps;
    const std::int64_t maxRuns = maxSliceRuns(s.steps);
    float z = 50.0f;
    float angle = 0.0f;
    s.radius = 5.0f;
    std::int64_t runs = 0;
    if (limit < 0) return runs;

    // A slice's second angle is the next slice's first: its sine and cosine
    // are carried over rather than worked out again.
    auto sine = static_cast<float>(std::sin(double{angle}));
    auto cosine = static_cast<float>(std::cos(double{angle}));
    do {
        RibbonSlice slice{};
        slice.x1 = static_cast<float>(double{sine} * s.radius);
        slice.y1 = static_cast<float>(double{cosine} * s.radius);
        s.radius = static_cast<float>(s.radius + growth);
        const auto angle2 = static_cast<float>(angle + step);
        sine = static_cast<float>(std::sin(double{angle2}));
        cosine = static_cast<float>(std::cos(double{angle2}));
        slice.x2 = static_cast<float>(double{sine} * s.radius);
        slice.y2 = static_cast<float>(double{cosine} * s.radius);
        s.radius = static_cast<float>(s.radius + growth);
        advanceColor(s, -2);
        slice.red = s.red, slice.green = s.green, slice.blue = s.blue;
        slice.z = z;
        slice.z2 = static_cast<float>(z - drop);
        sink.add(slice);
        z = slice.z2;
        angle = angle2;  // single(angle + step), the same sum
        ++runs;
    } while (angle <= limit && runs < maxRuns);
    return runs;
}

// After the slices the wheel is moved forward again, by two less than it went
// back for steps slices, so every frame starts its colours a little further
// along the ribbon than the last.
inline void catchUpColors(SceneState& s) {
    advanceColor(s, 2 * static_cast<std::int64_t>(s.steps) - 4);
}
