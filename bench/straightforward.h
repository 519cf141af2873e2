// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

#pragma once

#include <cmath>
#include <cstdint>

#include "app/scene_state.h"
#include "render/color_wheel.h"

// The frame written the straightforward way, for comparison and as the
// tests' reference: four sine and cosine calls a slice, every rounding to
// float spelt out, and the wheel stepped one unit at a time. Hands each
// slice to emit(scene, x1, y1, z, x2, y2, z2) with the slice's colour in
// the scene; returns the number of slices.
template <class Emit>
std::int64_t straightforwardSlices(SceneState& s, Emit&& emit) {
    const double twoPi = 6.2831854820251465;    // 2 pi in single precision
    const double growth = 0.07000000029802322;  // 0.07 in single precision
    const double limit = s.turns * twoPi;
    const double step = limit / s.steps;
    const double drop = (s.turns * 25.0) / s.steps;
    float z = 50.0f, angle = 0.0f;
    s.radius = 5.0f;
    std::int64_t slices = 0;
    if (limit < 0) return slices;
    do {
        const auto x1 = float(double(float(std::sin(double(angle)))) * double(s.radius));
        const auto y1 = float(double(float(std::cos(double(angle)))) * double(s.radius));
        s.radius = float(double(s.radius) + growth);
        const auto angle2 = float(double(angle) + step);
        const auto x2 = float(double(float(std::sin(double(angle2)))) * double(s.radius));
        const auto y2 = float(double(float(std::cos(double(angle2)))) * double(s.radius));
        s.radius = float(double(s.radius) + growth);
        stepColor(s, false);
        stepColor(s, false);
        const auto z2 = float(double(z) - drop);
        emit(s, x1, y1, z, x2, y2, z2);
        z = z2;
        angle = float(double(angle) + step);
        ++slices;
    } while (double(angle) <= limit);
    return slices;
}

// The forward walk after the slices, one unit at a time.
inline void straightforwardCatchUp(SceneState& s) {
    for (std::int64_t i = 0; i < 2 * static_cast<std::int64_t>(s.steps) - 4; ++i) {
        stepColor(s, true);
    }
}
