#pragma once

#include <cstdint>

#include "app/scene_state.h"

// The colour wheel walks the scene's colour round the six saturated hues,
// red, yellow, green, cyan, blue, magenta, one unit of one channel per step.
// It is a closed path of six legs of 255 steps each along the edges of the
// colour cube.
constexpr int wheelLegLength = 255;
constexpr int wheelLength = 6 * wheelLegLength;  // 1530 colours

// One step forward (red towards yellow) or backward (red towards magenta):
// the flags are set from the colour, then every channel moves by its flag.
void stepColor(SceneState& s, bool forward);

// |count| steps, forward for a positive count and backward for a negative one;
// zero touches nothing, flags included. The result, flags and all, is that of
// |count| single steps, however large the count: the wheel is a cycle, so a
// long walk jumps straight to where it ends.
void advanceColor(SceneState& s, std::int64_t count);

// Where a colour sits on the wheel, 0 for red counting forward, or -1 for a
// colour off the wheel.
int wheelPosition(std::uint8_t red, std::uint8_t green, std::uint8_t blue);

struct WheelColor {
    std::uint8_t red, green, blue;
};

namespace color_wheel_detail {

constexpr WheelColor colorAt(int position) {
    const auto along = static_cast<std::uint8_t>(position % wheelLegLength);
    const auto back = static_cast<std::uint8_t>(255 - along);
    switch (position / wheelLegLength) {
    case 0: return {255, along, 0};
    case 1: return {back, 255, 0};
    case 2: return {0, 255, along};
    case 3: return {0, back, 255};
    case 4: return {along, 0, 255};
    default: return {255, 0, back};
    }
}

struct WheelTable {
    WheelColor colors[wheelLength];
};

constexpr WheelTable makeTable() {
    WheelTable t{};
    for (int i = 0; i < wheelLength; ++i) t.colors[i] = colorAt(i);
    return t;
}

inline constexpr WheelTable table = makeTable();

// Stepping back two at a time, a walk stays on the positions of its start's
// parity and comes round again after wheelLength / 2 of them. For each parity
// those positions are laid out in the order of the walk, twice over, so that
// a walk from anywhere reads on without wrapping.
constexpr int twoStepCycle = wheelLength / 2;

struct TwoStepTable {
    WheelColor colors[2][2 * twoStepCycle];
};

constexpr TwoStepTable makeTwoStepTable() {
    TwoStepTable t{};
    for (int parity = 0; parity < 2; ++parity) {
        for (int j = 0; j < 2 * twoStepCycle; ++j) {
            const int position = ((parity - 2 * j) % wheelLength + 2 * wheelLength) % wheelLength;
            t.colors[parity][j] = table.colors[position];
        }
    }
    return t;
}

inline constexpr TwoStepTable twoStepTable = makeTwoStepTable();

}  // namespace color_wheel_detail

// The colour at a position of the wheel, 0 <= position < wheelLength.
inline WheelColor wheelColor(int position) { return color_wheel_detail::table.colors[position]; }

// The colours a walk back from a position meets, two steps at a time:
// walk[i] is the colour 2 (i + 1) positions back, for i < wheelLength / 2.
// 0 <= position < wheelLength.
inline const WheelColor* twoStepsBackFrom(int position) {
    using namespace color_wheel_detail;
    const int parity = position & 1;
    const int along = (twoStepCycle - (position - parity) / 2) % twoStepCycle;
    return twoStepTable.colors[parity] + along + 1;
}
