// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

#include "render/spiral_frame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "app/keyboard_controls.h"
#include "straightforward.h"
#include "test_support.h"

namespace {

SceneState sceneWith(std::int32_t turns, std::int32_t steps) {
    SceneState s = startScene();
    s.turns = turns;
    s.steps = steps;
    return s;
}

// One whole frame's effect on the scene and what it draws.
std::int64_t runFrame(SceneState& s, CaptureSink& sink) {
    const std::int64_t runs = buildSlices(s, sink);
    catchUpColors(s);
    return runs;
}

int positionOf(const SceneState& s) { return wheelPosition(s.red, s.green, s.blue); }

// Wheel positions the next frame starts further back than this one.
int driftOf(std::int32_t turns, std::int32_t steps) {
    SceneState s = sceneWith(turns, steps);
    CaptureSink sink;
    const int before = positionOf(s);
    runFrame(s, sink);
    return ((before - positionOf(s)) % wheelLength + wheelLength) % wheelLength;
}

// The ribbon worked out a second way, as plainly as it can be written.
std::vector<RibbonSlice> plainRibbon(std::int32_t turns, std::int32_t steps) {
    SceneState s = sceneWith(turns, steps);
    std::vector<RibbonSlice> out;
    straightforwardSlices(
        s, [&](const SceneState& c, float x1, float y1, float z, float x2, float y2, float z2) {
            out.push_back({c.red, c.green, c.blue, x1, y1, z, x2, y2, z2});
        });
    return out;
}

}  // namespace

TEST(SpiralFrame, RunsAndColourDriftForKnownSettings) {
    struct Case {
        std::int32_t turns, steps;
        std::int64_t runs;
        int drift;
    };
    const Case cases[] = {
        {24, 1600, 1601, 6},       // start-up: one run more than steps
        {23, 1600 - 66, 1534, 4},  // after one "d": exactly steps runs
        {2, 3, 4, 6},
        {2, 2, 3, 6},  // 2 x steps - 4 is zero: the wheel stays where the slices left it
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.turns << " turns, " << c.steps << " steps");
        SceneState s = sceneWith(c.turns, c.steps);
        CaptureSink sink;
        EXPECT_EQ(runFrame(s, sink), c.runs);
        EXPECT_EQ(sink.slices.size(), std::size_t(c.runs));
        if (c.steps == 2) {
            EXPECT_EQ(positionOf(s), (wheelLength - 2 * c.runs) % wheelLength);
        }
        EXPECT_EQ(driftOf(c.turns, c.steps), c.drift);
    }
}

TEST(SpiralFrame, ColoursStartTwoBehindAndCrawlBack) {
    SceneState s = startScene();
    CaptureSink first, second;
    runFrame(s, first);
    EXPECT_EQ(colorOf(first.slices.front()), (Rgb{255, 0, 2}));
    EXPECT_EQ(colorOf(first.slices[1]), (Rgb{255, 0, 4}));
    EXPECT_EQ(colorOf(s), (Rgb{255, 0, 6}));
    runFrame(s, second);
    EXPECT_EQ(colorOf(second.slices.front()), (Rgb{255, 0, 8}));
    EXPECT_EQ(colorOf(s), (Rgb{255, 0, 12}));
    // The catch-up step leaves the backward flags of the last slice behind it
    // replaced by the forward ones.
    EXPECT_TRUE(s.redRising);
    EXPECT_FALSE(s.greenRising);
    EXPECT_FALSE(s.blueRising);
}

// A digest of every vertex and colour of a frame: FNV-1a over their bits.
std::uint64_t digestOf(const std::vector<RibbonSlice>& slices) {
    std::uint64_t h = 0xcbf29ce484222325u;
    const auto mix = [&h](std::uint32_t v) {
        for (int i = 0; i < 4; ++i, v >>= 8) h = (h ^ (v & 0xffu)) * 0x100000001b3u;
    };
    for (const RibbonSlice& s : slices) {
        mix(std::uint32_t{s.red} << 16 | std::uint32_t{s.green} << 8 | s.blue);
        for (const float f : {s.x1, s.y1, s.z, s.x2, s.y2, s.z2}) mix(bitsOf(f));
    }
    return h;
}

// Every vertex and colour of whole frames, bit for bit, against the plain
// calculation, and against digests taken with glibc's sine and cosine: a
// build on another C runtime (the Windows one, under Wine) must draw the
// same bits, not just the same frame as itself.
TEST(SpiralFrame, VerticesMatchThePlainCalculationBitForBit) {
    struct Setting {
        std::int32_t turns, steps;
        std::uint64_t digest;
    };
    const Setting settings[] = {
        {24, 1600, 0x3a41e694b91082bc},   {23, 1534, 0x00c2315673800b8c},
        {25, 1666, 0x8012a17173ba8fc0},   {2, 3, 0xff057c821839184b},
        {2, 2, 0x88bd8425c291ff82},       {7, 333, 0xdca60df7fd1473d0},
        {60, 100000, 0x1e0f253d0e081a2c},
    };
    for (const Setting& set : settings) {
        SCOPED_TRACE(testing::Message() << set.turns << " turns, " << set.steps << " steps");
        SceneState s = sceneWith(set.turns, set.steps);
        CaptureSink sink;
        buildSlices(s, sink);
        const std::vector<RibbonSlice> plain = plainRibbon(set.turns, set.steps);
        ASSERT_EQ(sink.slices.size(), plain.size());
        for (std::size_t i = 0; i < plain.size(); ++i) {
            const RibbonSlice &a = sink.slices[i], &b = plain[i];
            ASSERT_EQ(bitsOf(a.x1), bitsOf(b.x1)) << "slice " << i;
            ASSERT_EQ(bitsOf(a.y1), bitsOf(b.y1)) << "slice " << i;
            ASSERT_EQ(bitsOf(a.x2), bitsOf(b.x2)) << "slice " << i;
            ASSERT_EQ(bitsOf(a.y2), bitsOf(b.y2)) << "slice " << i;
            ASSERT_EQ(bitsOf(a.z), bitsOf(b.z)) << "slice " << i;
            ASSERT_EQ(bitsOf(a.z2), bitsOf(b.z2)) << "slice " << i;
            ASSERT_EQ(colorOf(a), colorOf(b)) << "slice " << i;
        }
        EXPECT_EQ(digestOf(sink.slices), set.digest) << std::hex << digestOf(sink.slices);
    }
}

// A few vertices worked out by hand from the start-up settings.
TEST(SpiralFrame, StartUpRibbonShape) {
    SceneState s = startScene();
    CaptureSink sink;
    buildSlices(s, sink);
    const RibbonSlice& first = sink.slices.front();
    EXPECT_EQ(first.x1, 0.0f);  // the spiral starts on the positive Y axis
    EXPECT_EQ(first.y1, 5.0f);
    EXPECT_EQ(first.z, 50.0f);
    EXPECT_EQ(first.z2, 49.625f);  // 24 x 25 / 1600 lower
    EXPECT_GT(first.x2, 0.0f);     // and runs clockwise seen from +z
    EXPECT_EQ(bitsOf(first.x2),
              bitsOf(float(double(float(std::sin(double(float(24 * 6.2831854820251465 / 1600))))) *
                           double(5.07f))));
    // The outer edge ends near 5 + 0.14 x 1601 and the ribbon near z = -550.
    EXPECT_NEAR(s.radius, 5 + 0.14 * 1601, 0.05);
    EXPECT_NEAR(sink.slices.back().z2, 50 - 24 * 25 - 0.375, 0.01);
}

// No state the scene can hold makes a frame run for ever.
TEST(SpiralFrame, EveryFrameFinishes) {
    const std::int32_t states[][2] = {
        {0, 1600},                       // no turns: the angle never passes the limit
        {2, 0},                          // no slices
        {2, -5},                         // negative slices: the angle runs backwards
        {-3, 100},                       // negative turns skip the loop
        {1, 1},          {2, 20000000},  // too fine for a float angle to advance
        {2147483647, 3}, {2147483647, maxSteps},
    };
    for (const auto& st : states) {
        SCOPED_TRACE(testing::Message() << st[0] << " turns, " << st[1] << " steps");
        SceneState s = sceneWith(st[0], st[1]);
        CountingSink sink;
        const std::int64_t runs = buildSlices(s, sink);
        catchUpColors(s);
        EXPECT_EQ(runs, sink.count);
        EXPECT_LE(runs, maxSliceRuns(st[1]));
        if (st[0] == 0) {
            EXPECT_EQ(runs, maxSliceRuns(st[1]));  // never past the limit: the cap, exactly
        }
        EXPECT_GE(positionOf(s), 0);  // the colour is still on the wheel
    }
    // At the bound on slices the float angle still advances by about the
    // step: the count of runs strays by about a percent, far from the cap.
    for (const std::int32_t turns : {2, 24, 1000}) {
        SceneState s = sceneWith(turns, maxSteps);
        CountingSink sink;
        const std::int64_t runs = buildSlices(s, sink);
        EXPECT_NEAR(double(runs), double(maxSteps), 0.02 * maxSteps) << turns << " turns";
    }
}
