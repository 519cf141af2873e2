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

// Keeps every slice a frame produces.
struct Slice {
    Rgb color;
    float x1, y1, z, x2, y2, z2;
};

struct CaptureSink {
    std::vector<Slice> slices;
    void add(const SliceBatch& b) {
        for (int i = 0; i < b.count; ++i) {
            const WheelColor& c = b.colors[i];
            slices.push_back(
                {{c.red, c.green, c.blue}, b.x1[i], b.y1[i], b.z[i], b.x2[i], b.y2[i], b.z[i + 1]});
        }
    }
};

// Counts the slices and keeps none: for frames too large to keep.
struct CountingSink {
    std::int64_t count = 0;
    void add(const SliceBatch& b) { count += b.count; }
};

inline std::uint32_t bitsOf(float f) {
    std::uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}
