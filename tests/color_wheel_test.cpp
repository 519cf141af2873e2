// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

#include "render/color_wheel.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <set>

#include "test_support.h"

namespace {

struct Flags {
    bool r, g, b;
};

SceneState at(Rgb c, Flags f = {false, false, false}) {
    SceneState s{};
    s.red = c.r, s.green = c.g, s.blue = c.b;
    s.redRising = f.r, s.greenRising = f.g, s.blueRising = f.b;
    return s;
}

void expectFlags(const SceneState& s, Flags f) {
    EXPECT_EQ(s.redRising, f.r);
    EXPECT_EQ(s.greenRising, f.g);
    EXPECT_EQ(s.blueRising, f.b);
}

void expectSame(const SceneState& a, const SceneState& b) {
    EXPECT_EQ(colorOf(a), colorOf(b));
    EXPECT_EQ(a.redRising, b.redRising);
    EXPECT_EQ(a.greenRising, b.greenRising);
    EXPECT_EQ(a.blueRising, b.blueRising);
}

// Every point of the wheel, walked forward from red one step at a time.
std::vector<Rgb> wheelColors() {
    std::vector<Rgb> colors;
    SceneState s = at({255, 0, 0});
    for (int i = 0; i < wheelLength; ++i) {
        colors.push_back(colorOf(s));
        stepColor(s, true);
    }
    return colors;
}

}  // namespace

// One case per rule: a corner or a point inside each leg, a step each way,
// with the colour and the flags the rule tables give.
TEST(ColorWheel, EachRuleMovesOneChannelAndSetsItsFlags) {
    struct Case {
        Rgb from;
        bool forward;
        Rgb to;
        Flags flags;
    };
    const Case cases[] = {
        {{255, 0, 0}, true, {255, 1, 0}, {true, true, false}},        // F1 at red
        {{255, 100, 0}, true, {255, 101, 0}, {true, true, false}},    // F1
        {{255, 255, 0}, true, {254, 255, 0}, {false, true, false}},   // F2 at yellow
        {{100, 255, 0}, true, {99, 255, 0}, {false, true, false}},    // F2
        {{0, 255, 0}, true, {0, 255, 1}, {false, true, true}},        // F3 at green
        {{0, 255, 255}, true, {0, 254, 255}, {false, false, true}},   // F4 at cyan
        {{0, 100, 255}, true, {0, 99, 255}, {false, false, true}},    // F4
        {{0, 0, 255}, true, {1, 0, 255}, {true, false, true}},        // F5 at blue
        {{255, 0, 255}, true, {255, 0, 254}, {true, false, false}},   // F6 at magenta
        {{255, 0, 1}, true, {255, 0, 0}, {true, false, false}},       // F6 back to red
        {{255, 0, 0}, false, {255, 0, 1}, {true, false, true}},       // B3 at red
        {{255, 255, 0}, false, {255, 254, 0}, {true, false, false}},  // B1 at yellow
        {{255, 1, 0}, false, {255, 0, 0}, {true, false, false}},      // B1
        {{0, 255, 0}, false, {1, 255, 0}, {true, true, false}},       // B6 at green
        {{0, 255, 255}, false, {0, 255, 254}, {false, true, false}},  // B5 at cyan
        {{0, 0, 255}, false, {0, 1, 255}, {false, true, true}},       // B4 at blue
        {{255, 0, 255}, false, {254, 0, 255}, {false, false, true}},  // B2 at magenta
        {{100, 0, 255}, false, {99, 0, 255}, {false, false, true}},   // B2
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.from.r) << "," << int(c.from.g) << ","
                                        << int(c.from.b) << (c.forward ? " forward" : " backward"));
        SceneState s = at(c.from, {!c.flags.r, !c.flags.g, !c.flags.b});
        stepColor(s, c.forward);
        EXPECT_EQ(colorOf(s), c.to);
        expectFlags(s, c.flags);
    }
}

TEST(ColorWheel, WalksTheSixLegsAndCloses) {
    const std::vector<Rgb> colors = wheelColors();
    const Rgb corners[] = {{255, 0, 0},   {255, 255, 0}, {0, 255, 0},
                           {0, 255, 255}, {0, 0, 255},   {255, 0, 255}};
    for (int leg = 0; leg < 6; ++leg) EXPECT_EQ(colors[leg * 255], corners[leg]) << leg;

    std::set<int> distinct;
    for (int i = 0; i < wheelLength; ++i) {
        const Rgb a = colors[i], b = colors[(i + 1) % wheelLength];
        const int moved = std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
        EXPECT_EQ(moved, 1) << "step " << i;
        EXPECT_EQ(wheelPosition(a.r, a.g, a.b), i);
        distinct.insert(a.r << 16 | a.g << 8 | a.b);
    }
    EXPECT_EQ(distinct.size(), std::size_t{wheelLength});
    SceneState s = at({255, 0, 0});
    advanceColor(s, wheelLength);
    EXPECT_EQ(colorOf(s), (Rgb{255, 0, 0}));
    EXPECT_EQ(wheelPosition(0, 0, 0), -1);
    EXPECT_EQ(wheelPosition(255, 255, 255), -1);
    EXPECT_EQ(wheelPosition(200, 100, 0), -1);
}

TEST(ColorWheel, BackwardStepUndoesForwardStepEverywhere) {
    for (const Rgb c : wheelColors()) {
        SceneState s = at(c);
        stepColor(s, true);
        stepColor(s, false);
        EXPECT_EQ(colorOf(s), c);
        stepColor(s, false);
        stepColor(s, true);
        EXPECT_EQ(colorOf(s), c);
    }
}

// The long walk jumps along the cycle: from every point, both ways, for a
// spread of counts, it must leave the colour and the flags that single steps
// leave, whatever flags it started with.
TEST(ColorWheel, AdvanceEqualsSingleStepsFromEveryPoint) {
    const std::int64_t counts[] = {1, 2, 3, 4, 6, 254, 255, 256, 509, 1529, 1530, 1531, 3196, 3061};
    const Flags startFlags[] = {{false, false, false}, {true, true, true}, {true, false, true}};
    int i = 0;
    for (const Rgb c : wheelColors()) {
        const Flags f = startFlags[i++ % 3];
        for (const std::int64_t n : counts) {
            for (const int sign : {1, -1}) {
                SceneState stepped = at(c, f), jumped = at(c, f);
                for (std::int64_t k = 0; k < n; ++k) stepColor(stepped, sign > 0);
                advanceColor(jumped, sign * n);
                SCOPED_TRACE(testing::Message()
                             << "from " << wheelPosition(c.r, c.g, c.b) << " count " << sign * n);
                expectSame(jumped, stepped);
                advanceColor(jumped, -sign * n);
                EXPECT_EQ(colorOf(jumped), c);
            }
        }
    }
}

TEST(ColorWheel, HugeCountsStayExact) {
    for (const std::int64_t n : {std::int64_t{1000000}, std::int64_t{999999}}) {
        SceneState stepped = at({0, 37, 255}), jumped = stepped;
        for (std::int64_t k = 0; k < n; ++k) stepColor(stepped, false);
        advanceColor(jumped, -n);
        expectSame(jumped, stepped);
    }
    // The extremes of the count's range neither hang nor overflow: they land
    // where the count modulo the cycle's length lands.
    const std::int64_t extremes[] = {std::numeric_limits<std::int64_t>::max(),
                                     std::numeric_limits<std::int64_t>::min()};
    for (const std::int64_t n : extremes) {
        const std::int64_t rest = n % wheelLength;  // same sign as n
        SceneState far = at({255, 0, 0}), near = far;
        advanceColor(far, n);
        advanceColor(near, rest + (n > 0 ? wheelLength : -wheelLength));
        expectSame(far, near);
    }
}

TEST(ColorWheel, ZeroCountTouchesNothing) {
    SceneState s = at({12, 34, 56}, {true, false, true});
    advanceColor(s, 0);
    EXPECT_EQ(colorOf(s), (Rgb{12, 34, 56}));
    expectFlags(s, {true, false, true});
}

// A colour off the wheel is never produced, but if one appears the walk
// follows the flags as single steps would, and ends.
TEST(ColorWheel, OffTheWheelFollowsTheFlagsAndEnds) {
    for (const std::int64_t n : {std::int64_t{7}, std::int64_t{300}, std::int64_t{2000}}) {
        SceneState stepped = at({100, 100, 100}, {true, true, false}), jumped = stepped;
        for (std::int64_t k = 0; k < n; ++k) stepColor(stepped, true);
        advanceColor(jumped, n);
        expectSame(jumped, stepped);
    }
    SceneState stuck = at({200, 200, 200}, {true, true, true});
    advanceColor(stuck, std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(colorOf(stuck), (Rgb{255, 255, 255}));
}
