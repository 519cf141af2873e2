// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "app/scene_state.h"
#include "render/spiral_frame.h"

// A scene as the program starts it.
inline SceneState startScene() {
    SceneState s{};
    setStartValues(s);
    return s;
}

struct Rgb {
    std::uint8_t r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

inline Rgb colorOf(const SceneState& s) { return {s.red, s.green, s.blue}; }
inline Rgb colorOf(const RibbonSlice& s) { return {s.red, s.green, s.blue}; }

// Keeps every slice a frame produces.
struct CaptureSink {
    std::vector<RibbonSlice> slices;
    void add(const RibbonSlice& s) { slices.push_back(s); }
};

// Counts the slices and keeps none: for frames too large to keep.
struct CountingSink {
    std::int64_t count = 0;
    void add(const RibbonSlice&) { ++count; }
};

inline std::uint32_t bitsOf(float f) {
    std::uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}
