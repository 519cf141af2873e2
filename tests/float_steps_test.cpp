#include "render/float_steps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "test_support.h"

namespace {

// The sums taken one after the other, against the filled run.
void expectSameSteps(float start, double step, int count) {
    std::vector<float> filled(count);
    fillFloatSteps(start, step, filled.data(), count);
    float value = start;
    for (int i = 0; i < count; ++i) {
        value = static_cast<float>(static_cast<double>(value) + step);
        ASSERT_EQ(bitsOf(filled[i]), bitsOf(value))
            << "start " << start << " step " << step << " at " << i;
    }
}

}  // namespace

// Runs through whole orders of magnitude, across zero, at ties, among the
// subnormal floats, and with steps too small to move the value at all.
TEST(FloatSteps, SameAsOneSumAfterAnother) {
    const double turnStep = 24 * static_cast<double>(6.2831855f) / 1600;
    expectSameSteps(0.0f, turnStep, 1700);            // the ribbon's angle
    expectSameSteps(50.0f, -24 * 25.0 / 1600, 1700);  // its height, through zero
    expectSameSteps(50.0f, -23 * 25.0 / 1534, 1700);
    expectSameSteps(0.0f, 2 * static_cast<double>(6.2831855f) / 1000000, 1100000);
    expectSameSteps(1.0f, 0x1p-24, 100);  // exact ties at 1
    expectSameSteps(1.0f, 3 * 0x1p-24, 100);
    expectSameSteps(1.0f + 0x1p-23f, 0x1p-24, 100);  // a tie from an odd float: it stops
    expectSameSteps(1.0f + 0x1p-23f, 3 * 0x1p-24, 100);
    expectSameSteps(3.0f, 0x1p-25, 100);  // too small to move
    expectSameSteps(-7.0f, 0.001, 20000);
    expectSameSteps(1e30f, 1e23, 1000);
    expectSameSteps(3e38f, 1e38, 10);  // up to infinity
    expectSameSteps(0.0f, INFINITY, 3);
    expectSameSteps(0.0f, NAN, 3);
    expectSameSteps(NAN, 1.0, 3);
    // Subnormal floats have a fixed spacing of their own: ties there too, and
    // runs down into them and up out of them.
    expectSameSteps(0x1p-140f + 0x1p-149f, 0x1p-150, 100);
    expectSameSteps(0x1p-140f, 3 * 0x1p-150, 100);
    expectSameSteps(0x1p-120f, -0x1p-131, 2000);
    expectSameSteps(-0x1p-130f, -0x1p-140, 2000);

    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    for (int i = 0; i < 3000; ++i) {
        const auto start = static_cast<float>(std::ldexp(unit(rng), int(rng() % 40) - 20));
        const double step = std::ldexp(unit(rng), int(rng() % 40) - 30);
        expectSameSteps(start, step, 200);
        const auto tiny = static_cast<float>(std::ldexp(unit(rng), int(rng() % 40) - 145));
        expectSameSteps(tiny, std::ldexp(unit(rng), int(rng() % 40) - 160), 200);
    }
}
