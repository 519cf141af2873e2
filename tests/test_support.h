#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "app/scene_state.h"

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

// Keeps every slice a frame produces.
struct Slice {
    Rgb color;
    float x1, y1, z, x2, y2, z2;
};

struct CaptureSink {
    std::vector<Slice> slices;
    void slice(std::uint8_t r, std::uint8_t g, std::uint8_t b, float x1, float y1, float z,
               float x2, float y2, float z2) {
        slices.push_back({{r, g, b}, x1, y1, z, x2, y2, z2});
    }
};

// Counts the slices and keeps none: for frames too large to keep.
struct CountingSink {
    std::int64_t count = 0;
    void slice(std::uint8_t, std::uint8_t, std::uint8_t, float, float, float, float, float, float) {
        ++count;
    }
};

inline std::uint32_t bitsOf(float f) {
    std::uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}
