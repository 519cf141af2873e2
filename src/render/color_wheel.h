// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

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
