#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "app/scene_state.h"
#include "render/color_wheel.h"
#include "render/float_steps.h"
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

    const float z = 50.0f;
    s.radius = 5.0f;
    const float angle = 0.0f;
    std::int64_t runs = 0;
    if (limit < 0) return runs;
    float radius = s.radius;  // the scene gets it back at the end

    const std::int64_t maxRuns = maxSliceRuns(s.steps);
    // Each slice steps the wheel back by two. On the wheel that is a walk
    // along its cycle: the slices read their colours off it, and the scene's
    // colour and flags take one jump to where the steps end.
    const int startPosition = wheelPosition(s.red, s.green, s.blue);
    int position = startPosition;

    // The slices go in batches: first the batch's angles, heights and radii
    // (each the one before plus or minus a step), then their sines and cosines,
    // which do not depend on each other and so run side by side, then the
    // slices themselves. A slice's second angle is the next one's first, so
    // each angle's sine and cosine serve two slices.
    constexpr int batch = 512;
    float angles[batch + 1], heights[batch + 1], radii[2 * batch + 1];
    float sines[batch + 1], cosines[batch + 1];
    angles[0] = angle;
    heights[0] = z;
    const SineCosine first = roundedSineCosine(angle);
    sines[0] = first.sine;
    cosines[0] = first.cosine;
    bool more = true;
    while (more) {
        // Only as many values as the frame can still use: about steps slices
        // in all (more batches follow if the angle runs further), and never
        // past the cap on runs.
        const std::int64_t left = maxRuns - runs;
        const std::int64_t expected = std::max<std::int64_t>(s.steps + 2 - runs, 16);
        const int fill = static_cast<int>(std::min<std::int64_t>({left, expected, batch}));
        fillFloatSteps(angles[0], step, angles + 1, fill);
        fillFloatSteps(heights[0], -drop, heights + 1, fill);
        radii[0] = radius;
        fillFloatSteps(radius, growth, radii + 1, 2 * fill);
        // The slices of this batch. The first is always drawn (the last
        // batch's test let it in); each next one while the angle it starts
        // from is within the limit.
        int n = 1;
        while (n < fill && angles[n] <= limit) ++n;
        more = n == fill && left > fill && angles[n] <= limit;
        runs += n;
        roundedSineCosines(angles + 1, sines + 1, cosines + 1, n);

        for (int i = 0; i < n; ++i) {
            // The product of two floats taken in double and rounded is the float
            // product: double has more than twice float's precision, so the
            // double rounding cannot show.
            const int pair = 2 * i;  // each slice has two points on the edge
            const float inner = radii[pair], outer = radii[pair + 1];
            const float x1 = sines[i] * inner;
            const float y1 = cosines[i] * inner;
            const float x2 = sines[i + 1] * outer;
            const float y2 = cosines[i + 1] * outer;

            WheelColor color;
            if (position >= 0) {
                position = position >= 2 ? position - 2 : position + wheelLength - 2;
                color = wheelColor(position);
            } else {
                advanceColor(s, -2);
                color = {s.red, s.green, s.blue};
            }
            sink.slice(color.red, color.green, color.blue, x1, y1, heights[i], x2, y2,
                       heights[i + 1]);
        }
        angles[0] = angles[n];
        heights[0] = heights[n];
        sines[0] = sines[n];
        cosines[0] = cosines[n];
        const int used = 2 * n;
        radius = radii[used];
    }
    s.radius = radius;
    if (startPosition >= 0) advanceColor(s, -2 * runs);
    return runs;
}

// After the slices the wheel is moved forward again, by two less than it went
// back for steps slices, so every frame starts its colours a little further
// along the ribbon than the last.
inline void catchUpColors(SceneState& s) {
    advanceColor(s, 2 * static_cast<std::int64_t>(s.steps) - 4);
}
