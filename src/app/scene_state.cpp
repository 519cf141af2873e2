// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

#include "scene_state.h"

#include <cmath>

SceneState scene{};

void setStartValues(SceneState& s) {
    s.rotationX = 180.0f;
    s.spinning = false;
    s.rotationY = 0.0f;
    s.steps = 1600;
    s.turns = 24;
    s.spinSpeedX = 1.0f;
    s.red = 255;
    s.spinSpeedY = 1.0f;
    s.blue = 0;
    s.green = 0;
    s.radius = 5.0f;
    s.redRising = true;
    s.greenRising = false;
}

void dropWholeTurns(float& rotation) {
    if (std::fabs(rotation) >= 65536.0f) {
        rotation = static_cast<float>(rotation - 360.0 * std::trunc(rotation / 360.0));
    }
}

void tickScene(SceneState& s) {
    if (s.spinning) {
        s.rotationX = static_cast<float>(double{s.rotationX} + double{s.spinSpeedX});
        dropWholeTurns(s.rotationX);
        s.rotationY = static_cast<float>(double{s.rotationY} + double{s.spinSpeedY});
        dropWholeTurns(s.rotationY);
    }
}

bool updateViewExtents(SceneState& s, int width, int height) {
    if (height == 0) height = 1;
    // A zero width would make the short side zero and an extent infinite.
    if (width <= 0 || height < 0) return false;
    const float aspect = static_cast<float>(static_cast<double>(width) / height);
    if (width < height) {
        s.halfWidth = 100.0f;
        s.halfHeight = static_cast<float>(100.0 / aspect);
    } else {
        s.halfWidth = static_cast<float>(100.0 * aspect);
        s.halfHeight = 100.0f;
    }
    return true;
}
