// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

#include "app/keyboard_controls.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace {

constexpr int escape = 27;
constexpr int functionKey1 = 1;     // GLUT_KEY_F1
constexpr int shiftAlone = 0x0070;  // GLUT_KEY_SHIFT_L, reported by freeglut

SceneState with(std::int32_t turns, std::int32_t steps, bool spinning = false) {
    SceneState s = startScene();
    s.turns = turns;
    s.steps = steps;
    s.spinning = spinning;
    return s;
}

void press(SceneState& s, const std::string& keys) {
    for (const char k : keys) applyKey(s, static_cast<unsigned char>(k));
}

}  // namespace

TEST(KeyboardControls, CharacterKeys) {
    struct Case {
        const char* name;
        SceneState from;
        std::string keys;
        std::int32_t turns, steps;
        bool spinning;
    };
    const Case cases[] = {
        {"u from start-up", startScene(), "u", 25, 1600 + 66, false},
        {"U like u", startScene(), "U", 25, 1666, false},
        {"d from start-up", startScene(), "d", 23, 1600 - 66, false},
        {"D like d", startScene(), "D", 23, 1534, false},
        {"plus", startScene(), "+", 24, 1601, false},
        {"minus", startScene(), "-", 24, 1599, false},
        {"minus at 3 steps", with(24, 3), "-", 24, 3, false},
        {"d at 2 turns, 3 steps", with(2, 3), "d", 2, 2, false},
        {"then any key restores 3", with(2, 3), "dx", 2, 3, false},
        {"then d again", with(2, 3), "dd", 2, 2, false},
        {"U at 2 turns, 3 steps", with(2, 3), "U", 3, 4, false},
        {"d at 3 turns, 3 steps", with(3, 3), "d", 2, 2, false},
        {"unlisted keys only clamp", with(1, 1), "\x1bq", 2, 3, false},
        {"escape changes nothing", startScene(), "\x1b", 24, 1600, false},
        {"space", startScene(), " ", 24, 1600, true},
        {"space twice", startScene(), "  ", 24, 1600, false},
        {"letters by exact value", startScene(), "\xd5\xf5\xc4\xe4", 24, 1600, false},
        {"d after u", startScene(), "ud", 24, 1666 - 1666 / 25, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SceneState s = c.from;
        press(s, c.keys);
        EXPECT_EQ(s.turns, c.turns);
        EXPECT_EQ(s.steps, c.steps);
        EXPECT_EQ(s.spinning, c.spinning);
        EXPECT_EQ(s.rotationX, c.from.rotationX);
        EXPECT_EQ(s.spinSpeedY, c.from.spinSpeedY);
    }
}

TEST(KeyboardControls, ArrowKeys) {
    struct Case {
        int key;
        bool spinning;
        float rotationX, rotationY, speedX, speedY;
    };
    const float tenthLess = float(1.0 - double(0.1f));
    const float tenthMore = float(1.0 + double(0.1f));
    const Case cases[] = {
        {arrowLeft, false, 180.0f, -1.0f, 1.0f, 1.0f},
        {arrowRight, false, 180.0f, 1.0f, 1.0f, 1.0f},
        {arrowUp, false, 179.0f, 0.0f, 1.0f, 1.0f},
        {arrowDown, false, 181.0f, 0.0f, 1.0f, 1.0f},
        {arrowLeft, true, 180.0f, 0.0f, 1.0f, tenthLess},
        {arrowRight, true, 180.0f, 0.0f, 1.0f, tenthMore},
        {arrowUp, true, 180.0f, 0.0f, tenthLess, 1.0f},
        {arrowDown, true, 180.0f, 0.0f, tenthMore, 1.0f},
        {functionKey1, false, 180.0f, 0.0f, 1.0f, 1.0f},
        {shiftAlone, true, 180.0f, 0.0f, 1.0f, 1.0f},
        {escape, false, 180.0f, 0.0f, 1.0f, 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "key " << c.key << (c.spinning ? " spinning" : ""));
        SceneState s = with(24, 1600, c.spinning);
        applySpecialKey(s, c.key);
        EXPECT_EQ(s.rotationX, c.rotationX);
        EXPECT_EQ(s.rotationY, c.rotationY);
        EXPECT_EQ(s.spinSpeedX, c.speedX);
        EXPECT_EQ(s.spinSpeedY, c.speedY);
        EXPECT_EQ(s.turns, 24);
        EXPECT_EQ(s.steps, 1600);
    }
    EXPECT_EQ(tenthLess, 0.9f);
}

// The speed passes through zero and turns negative, reversing the spin.
TEST(KeyboardControls, SpeedCanReverse) {
    SceneState s = with(24, 1600, true);
    float expected = 1.0f;
    for (int i = 0; i < 15; ++i) {
        applySpecialKey(s, arrowLeft);
        expected = float(double(expected) - double(0.1f));
    }
    EXPECT_EQ(s.spinSpeedY, expected);
    EXPECT_LT(s.spinSpeedY, -0.4f);
    tickScene(s);
    EXPECT_EQ(s.rotationY, expected);
}

TEST(KeyboardControls, SlicesStopAtTheBound) {
    SceneState s = startScene();
    for (int i = 0; i < 40; ++i) applyKey(s, 'u');  // each u adds about 1/turns
    EXPECT_EQ(s.turns, 64);
    for (int i = 0; i < 200; ++i) applyKey(s, 'U');
    EXPECT_EQ(s.turns, 264);
    EXPECT_LE(s.steps, maxSteps);
    s.steps = maxSteps - 2;
    press(s, "+++++");
    EXPECT_EQ(s.steps, maxSteps);
    applyKey(s, 'u');  // the turn is still added
    EXPECT_EQ(s.steps, maxSteps);
    EXPECT_EQ(s.turns, 265);
    applyKey(s, '-');
    EXPECT_EQ(s.steps, maxSteps - 1);

    // Many turns and few slices: nothing overflows, turns saturate.
    SceneState t = with(2147483646, 3);
    press(t, "uuuu");
    EXPECT_EQ(t.turns, 2147483647);
    EXPECT_EQ(t.steps, 3);
    applyKey(t, 'd');
    EXPECT_EQ(t.turns, 2147483646);
}
