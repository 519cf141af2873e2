#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "app/scene_state.h"
#include "render/color_wheel.h"
#include "render/rounded_trig.h"

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
    // Each slice steps the wheel back by two. On the wheel that is a walk
    // along its cycle: the slices read their colours off it, and the scene's
    // colour and flags take one jump to where the steps end.
    const int startPosition = wheelPosition(s.red, s.green, s.blue);
    int position = startPosition;

    // The slices go in batches: first the batch's angles (each one the sum
    // of the one before and the step), then their sines and cosines, which
    // do not depend on each other and so overlap in the processor, then the
    // slices themselves. A slice's second angle is the next one's first, so
    // each angle's sine and cosine serve two slices.
    constexpr int batch = 32;
    float angles[batch + 1];
    SineCosine trig[batch + 1];
    angles[0] = angle;
    trig[0] = roundedSineCosine(angle);
    bool more = true;
    while (more) {
        int n = 0;
        while (n < batch) {
            angles[n + 1] = static_cast<float>(angles[n] + step);
            ++n;
            ++runs;
            if (!(angles[n] <= limit) || runs >= maxRuns) {
                more = false;
                break;
            }
        }
        for (int i = 1; i <= n; ++i) trig[i] = roundedSineCosine(angles[i]);

        for (int i = 0; i < n; ++i) {
            const float x1 = static_cast<float>(static_cast<double>(trig[i].sine) * s.radius);
            const float y1 = static_cast<float>(static_cast<double>(trig[i].cosine) * s.radius);
            s.radius = static_cast<float>(s.radius + growth);
            const float x2 = static_cast<float>(static_cast<double>(trig[i + 1].sine) * s.radius);
            const float y2 = static_cast<float>(static_cast<double>(trig[i + 1].cosine) * s.radius);
            s.radius = static_cast<float>(s.radius + growth);

            WheelColor color;
            if (position >= 0) {
                position = position >= 2 ? position - 2 : position + wheelLength - 2;
                color = wheelColor(position);
            } else {
                advanceColor(s, -2);
                color = {s.red, s.green, s.blue};
            }
            const float z2 = static_cast<float>(z - drop);
            sink.slice(color.red, color.green, color.blue, x1, y1, z, x2, y2, z2);
            z = z2;
        }
        angles[0] = angles[n];
        trig[0] = trig[n];
    }
    if (startPosition >= 0) advanceColor(s, -2 * runs);
    return runs;
}

// After the slices the wheel is moved forward again, by two less than it went
// back for steps slices, so every frame starts its colours a little further
// along the ribbon than the last.
inline void catchUpColors(SceneState& s) {
    advanceColor(s, 2 * static_cast<std::int64_t>(s.steps) - 4);
}
