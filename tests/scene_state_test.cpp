// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

#include "app/scene_state.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/keyboard_controls.h"
#include "test_support.h"

TEST(SceneState, ViewExtentsFollowTheWindowShape) {
    struct Case {
        int width, height;
        float halfWidth, halfHeight;
    };
    const Case cases[] = {
        {400, 200, 200.0f, 100.0f},
        {200, 400, 100.0f, 200.0f},
        {300, 300, 100.0f, 100.0f},  // square: the landscape branch
        {1280, 720, float(100.0 * double(float(1280.0 / 720.0))), 100.0f},
        {720, 1280, 100.0f, float(100.0 / double(float(720.0 / 1280.0)))},
        {640, 0, 64000.0f, 100.0f},  // height 0 is taken as 1
        {2147483647, 1, float(100.0 * double(float(2147483647.0))), 100.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        SceneState s{};
        EXPECT_TRUE(updateViewExtents(s, c.width, c.height));
        EXPECT_EQ(s.halfWidth, c.halfWidth);
        EXPECT_EQ(s.halfHeight, c.halfHeight);
    }
}

// A zero width would give an infinite extent: the previous projection stays.
TEST(SceneState, DegenerateWindowKeepsThePreviousExtents) {
    SceneState s{};
    ASSERT_TRUE(updateViewExtents(s, 400, 200));
    for (const auto& size :
         {std::pair{0, 480}, std::pair{0, 0}, std::pair{-5, 10}, std::pair{10, -5}}) {
        EXPECT_FALSE(updateViewExtents(s, size.first, size.second));
        EXPECT_EQ(s.halfWidth, 200.0f);
        EXPECT_EQ(s.halfHeight, 100.0f);
    }
}

TEST(SceneState, TickTurnsOnlyWhileSpinning) {
    SceneState s = startScene();
    for (int i = 0; i < 10; ++i) tickScene(s);
    EXPECT_EQ(s.rotationX, 180.0f);
    EXPECT_EQ(s.rotationY, 0.0f);

    s.spinning = true;
    for (int i = 0; i < 10; ++i) tickScene(s);
    EXPECT_EQ(s.rotationX, 190.0f);
    EXPECT_EQ(s.rotationY, 10.0f);
    for (int i = 0; i < 200; ++i) tickScene(s);
    EXPECT_EQ(s.rotationX, 390.0f);  // never wrapped to 0..360

    // Single-precision sums: 0.1 added in float, not in double.
    s.spinSpeedY = 0.1f;
    s.rotationY = 0.0f;
    tickScene(s);
    tickScene(s);
    tickScene(s);
    EXPECT_EQ(s.rotationY, float(double(float(double(0.1f) + double(0.1f))) + double(0.1f)));
}

// Past 65,536 degrees a tick or an arrow takes the whole turns off, exactly,
// so that a long spin neither stutters nor stalls; below it nothing wraps.
TEST(SceneState, LongSpinsLoseWholeTurns) {
    SceneState s = startScene();
    s.spinning = true;
    s.rotationX = 65534.0f;
    s.rotationY = -65535.0f;
    s.spinSpeedY = -1.0f;
    tickScene(s);
    EXPECT_EQ(s.rotationX, 65535.0f);
    EXPECT_EQ(s.rotationY, -16.0f);  // -65536 + 182 turns
    tickScene(s);
    EXPECT_EQ(s.rotationX, 16.0f);
    EXPECT_EQ(s.rotationY, -17.0f);

    s.spinning = false;
    s.spinSpeedX = 1e6f;
    for (const float from : {-1.06e6f, -65000.0f, 65536.0f, 1.0e9f}) {
        for (const int arrow : {arrowUp, arrowDown}) {
            s.rotationX = from;
            applySpecialKey(s, arrow);
            const double sum = float(double{from} + (arrow == arrowUp ? -1e6 : 1e6));
            const bool wraps = std::fabs(sum) >= 65536.0;
            EXPECT_EQ(s.rotationX, float(wraps ? std::fmod(sum, 360.0) : sum)) << from;
        }
    }
}
