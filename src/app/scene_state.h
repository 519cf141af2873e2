// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>

// Everything the program knows lives in this one record. Values kept here are
// single-precision; the code that changes them works in double and rounds on
// every store, so the picture is the same on every machine with IEEE floats.
struct SceneState {
    bool spinning;
    float rotationX;   // degrees, whole turns taken off only past 65,536
    float rotationY;   // degrees, whole turns taken off only past 65,536
    float spinSpeedX;  // degrees per tick (spinning) or per arrow press (not)
    float spinSpeedY;
    std::int32_t turns;  // full turns of the spiral
    std::int32_t steps;  // slices the whole spiral is cut into
    float radius;        // working radius of the outer edge, reset every frame

    // The colour wheel: the current colour and the direction of each channel.
    std::uint8_t red, green, blue;
    bool redRising, greenRising, blueRising;

    float halfWidth, halfHeight;  // half-extents of the visible area
};

// The program's one scene, zero until start-up fills it in.
extern SceneState scene;

// The values the program starts with. halfWidth, halfHeight and blueRising
// keep what they had (zero at start-up): the first resize sets the extents,
// and the wheel's first step sets every flag from the colour.
void setStartValues(SceneState& s);

// Takes the whole turns off a rotation of 65,536 degrees or more, exactly
// (what is left lies within one turn of zero). A float rotation that kept
// growing would first turn in ever coarser steps and at last stop changing
// at all, after days of spinning; smaller rotations are left as they are.
void dropWholeTurns(float& rotation);

// What one timer tick does to the state: turn the scene while spinning.
void tickScene(SceneState& s);

// The orthographic extents for a window size. Returns false, leaving the
// extents untouched, for sizes that admit no projection (a width of zero or
// negative sizes): the previous projection then stays in force.
bool updateViewExtents(SceneState& s, int width, int height);
