// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

#include "app/keyboard_controls.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {

constexpr double speedChange = static_cast<double>(0.1f);

float plus(float a, double b) { return static_cast<float>(a + b); }

// An arrow: while spinning it changes the speed about its axis by 0.1,
// otherwise it turns the scene once by that speed. Direction is +1 or -1.
void nudge(const SceneState& s, float& speed, float& rotation, double direction) {
    if (s.spinning) {
        speed = plus(speed, direction * speedChange);
    } else {
        rotation = plus(rotation, direction * speed);
        dropWholeTurns(rotation);
    }
}

}  // namespace

void applyKey(SceneState& s, unsigned char key) {
    if (key == '+') {
        if (s.steps < maxSteps) ++s.steps;
    } else if (key == '-') {
        --s.steps;
    }
    if (s.steps < 3) s.steps = 3;

    if (key == 'U' || key == 'u') {
        s.steps += std::min(s.steps / s.turns, maxSteps - s.steps);
        if (s.turns < std::numeric_limits<std::int32_t>::max()) ++s.turns;
    }
    if (key == 'D' || key == 'd') {
        s.steps -= s.steps / s.turns;
        --s.turns;
    }
    if (s.turns < 2) s.turns = 2;

    if (key == ' ') s.spinning = !s.spinning;
}

void applySpecialKey(SceneState& s, int key) {
    switch (key) {
    case arrowLeft: nudge(s, s.spinSpeedY, s.rotationY, -1.0); break;
    case arrowRight: nudge(s, s.spinSpeedY, s.rotationY, 1.0); break;
    case arrowUp: nudge(s, s.spinSpeedX, s.rotationX, -1.0); break;
    case arrowDown: nudge(s, s.spinSpeedX, s.rotationX, 1.0); break;
    default: break;
    }
}

void keyPressed(unsigned char key, int, int) { applyKey(scene, key); }

void specialKeyPressed(int key, int, int) { applySpecialKey(scene, key); }
