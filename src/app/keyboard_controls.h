// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>

#include "app/scene_state.h"

// The most slices the spiral may be cut into. A float angle keeps advancing
// by limit / steps up to about 16 million slices; a million keeps a wide
// margin and one frame's own work far below a second.
constexpr std::int32_t maxSteps = 1000000;

// The toolkit's codes for the arrow keys (GLUT_KEY_LEFT and friends).
constexpr int arrowLeft = 100;
constexpr int arrowUp = 101;
constexpr int arrowRight = 102;
constexpr int arrowDown = 103;

// What a character key does to the scene: "+"/"-" add or take a slice,
// "U"/"u" and "D"/"d" add or take a turn with its share of the slices, space
// switches the spin. Every key, listed or not, keeps steps and turns in range.
void applyKey(SceneState& s, unsigned char key);

// What a special key does: the arrows turn the scene by the spin speed, or
// change the speed while it spins. Other special keys do nothing.
void applySpecialKey(SceneState& s, int key);

// The toolkit callbacks: they change the scene and nothing else; the next
// timer tick draws the change.
void keyPressed(unsigned char key, int x, int y);
void specialKeyPressed(int key, int x, int y);
