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

// The slices of one frame, handed one by one to a sink:
//   sink.slice(red, green, blue, x1, y1, z, x2, y2, z2)
// Each slice is two triangles between the Z axis and the outer edge, from
// the upper height z down to z2. Every value is worked out in double and
// rounded to float where it is kept, so the vertices are exact to the bit.
// Returns the number of slices.
template <class Sink>
std::int64_t buildSlices(SceneState& s, Sink& sink) {
    const double twoPi = static_cast<double>(6.2831855f);
    const double growth = static_cast<double>(0.07f);
    const double limit = s.turns * twoPi;
    const double step = limit / s.steps;
    const double drop = (s.turns * 25.0) / s.steps;

    float z = 50.0f;
    s.radius = 5.0f;
    float angle = 0.0f;
    std::int64_t runs = 0;
    if (limit < 0) return runs;

    const std::int64_t maxRuns = maxSliceRuns(s.steps);
    // A slice's second angle is the next slice's first, so each angle's sine
    // and cosine are worked out once and serve both slices.
    float sine = static_cast<float>(std::sin(static_cast<double>(angle)));
    float cosine = static_cast<float>(std::cos(static_cast<double>(angle)));
    do {
        const float x1 = static_cast<float>(static_cast<double>(sine) * s.radius);
        const float y1 = static_cast<float>(static_cast<double>(cosine) * s.radius);
        s.radius = static_cast<float>(s.radius + growth);

        const float angle2 = static_cast<float>(angle + step);
        sine = static_cast<float>(std::sin(static_cast<double>(angle2)));
        cosine = static_cast<float>(std::cos(static_cast<double>(angle2)));
        const float x2 = static_cast<float>(static_cast<double>(sine) * s.radius);
        const float y2 = static_cast<float>(static_cast<double>(cosine) * s.radius);
        s.radius = static_cast<float>(s.radius + growth);

        advanceColor(s, -2);
        const float z2 = static_cast<float>(z - drop);
        sink.slice(s.red, s.green, s.blue, x1, y1, z, x2, y2, z2);

        z = z2;
        angle = angle2;  // single(angle + step), the same sum as angle2
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
