#include "app/keyboard_controls.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {

constexpr double speedChange = static_cast<double>(0.1f);

float plus(float a, double b) { return static_cast<float>(a + b); }

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
    const bool spin = s.spinning;
    switch (key) {
    case arrowLeft:
        if (spin)
            s.spinSpeedY = plus(s.spinSpeedY, -speedChange);
        else
            s.rotationY = plus(s.rotationY, -static_cast<double>(s.spinSpeedY));
        break;
    case arrowRight:
        if (spin)
            s.spinSpeedY = plus(s.spinSpeedY, speedChange);
        else
            s.rotationY = plus(s.rotationY, s.spinSpeedY);
        break;
    case arrowUp:
        if (spin)
            s.spinSpeedX = plus(s.spinSpeedX, -speedChange);
        else
            s.rotationX = plus(s.rotationX, -static_cast<double>(s.spinSpeedX));
        break;
    case arrowDown:
        if (spin)
            s.spinSpeedX = plus(s.spinSpeedX, speedChange);
        else
            s.rotationX = plus(s.rotationX, s.spinSpeedX);
        break;
    default: break;
    }
}

void keyPressed(unsigned char key, int, int) { applyKey(scene, key); }

void specialKeyPressed(int key, int, int) { applySpecialKey(scene, key); }
