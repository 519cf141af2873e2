// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

#include "render/color_wheel.h"

namespace {

struct Flags {
    bool red, green, blue;
};

// Forward, leg k is run with these flags (F1..F6: green up, red down, blue up,
// green down, red up, blue down). Backward along leg k the channels point as
// they do forward along the leg before it.
constexpr Flags forwardLegFlags[6] = {
    {true, true, false},  {false, true, false}, {false, true, true},
    {false, false, true}, {true, false, true},  {true, false, false},
};

void setFlags(SceneState& s, Flags f) {
    s.redRising = f.red;
    s.greenRising = f.green;
    s.blueRising = f.blue;
}

void moveChannel(std::uint8_t& channel, bool rising) {
    if (rising && channel < 255) ++channel;
    if (!rising && channel > 0) --channel;
}

int legOf(int position) { return position / wheelLegLength; }

// Puts the colour at a position of the wheel, 0 for red counting forward.
void setWheelColor(SceneState& s, int position) {
    const auto along = static_cast<std::uint8_t>(position % wheelLegLength);
    const auto back = static_cast<std::uint8_t>(255 - along);
    switch (legOf(position)) {
    case 0: s.red = 255, s.green = along, s.blue = 0; break;
    case 1: s.red = back, s.green = 255, s.blue = 0; break;
    case 2: s.red = 0, s.green = 255, s.blue = along; break;
    case 3: s.red = 0, s.green = back, s.blue = 255; break;
    case 4: s.red = along, s.green = 0, s.blue = 255; break;
    default: s.red = 255, s.green = 0, s.blue = back; break;
    }
}

}  // namespace

int wheelPosition(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    if (r == 255 && b == 0) return g;                // red .. yellow
    if (g == 255 && b == 0) return 2 * 255 - r;      // .. green
    if (r == 0 && g == 255) return 2 * 255 + b;      // .. cyan
    if (r == 0 && b == 255) return 4 * 255 - g;      // .. blue
    if (g == 0 && b == 255) return 4 * 255 + r;      // .. magenta
    if (r == 255 && g == 0) return wheelLength - b;  // .. back to red
    return -1;
}

void stepColor(SceneState& s, bool forward) {
    const std::uint8_t r = s.red, g = s.green, b = s.blue;
    if (forward) {
        if (r == 255 && g < 255 && b == 0)
            setFlags(s, {true, true, false});
        else if (r > 0 && g == 255 && b == 0)
            setFlags(s, {false, true, false});
        else if (r == 0 && g == 255 && b < 255)
            setFlags(s, {false, true, true});
        else if (r == 0 && g > 0 && b == 255)
            setFlags(s, {false, false, true});
        else if (r < 255 && g == 0 && b == 255)
            setFlags(s, {true, false, true});
        else if (r == 255 && g == 0 && b > 0)
            setFlags(s, {true, false, false});
    } else {
        if (r == 255 && g > 0 && b == 0)
            setFlags(s, {true, false, false});
        else if (r > 0 && g == 0 && b == 255)
            setFlags(s, {false, false, true});
        else if (r == 255 && g == 0 && b < 255)
            setFlags(s, {true, false, true});
        else if (r == 0 && g < 255 && b == 255)
            setFlags(s, {false, true, true});
        else if (r == 0 && g == 255 && b > 0)
            setFlags(s, {false, true, false});
        else if (r < 255 && g == 255 && b == 0)
            setFlags(s, {true, true, false});
    }
    moveChannel(s.red, s.redRising);
    moveChannel(s.green, s.greenRising);
    moveChannel(s.blue, s.blueRising);
}

void advanceColor(SceneState& s, std::int64_t count) {
    if (count == 0) return;
    const bool forward = count > 0;
    std::uint64_t left =
        forward ? static_cast<std::uint64_t>(count) : 0 - static_cast<std::uint64_t>(count);

    // Off the wheel no rule sets the flags, so every channel runs to one end
    // within 255 steps; by then the colour has joined the wheel or stays put.
    int position = wheelPosition(s.red, s.green, s.blue);
    for (int i = 0; position < 0 && left > 0 && i < wheelLegLength; ++i, --left) {
        stepColor(s, forward);
        position = wheelPosition(s.red, s.green, s.blue);
    }
    if (position < 0 || left == 0) return;

    // On the wheel each step sets all three flags from the colour it starts
    // from, so only the last step's flags survive.
    const int shift = static_cast<int>(left % wheelLength);
    if (forward) {
        position = (position + shift) % wheelLength;
        setFlags(s, forwardLegFlags[legOf((position + wheelLength - 1) % wheelLength)]);
    } else {
        position = (position + wheelLength - shift) % wheelLength;
        setFlags(s, forwardLegFlags[(legOf(position) + 5) % 6]);
    }
    setWheelColor(s, position);
}
