#include "render/rounded_trig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "test_support.h"

namespace {

// Both the single and the batch form, against the library.
void expectAsLibrary(float angle) {
    SineCosine batch;
    roundedSineCosines(&angle, &batch.sine, &batch.cosine, 1);
    const double x = angle;
    for (const SineCosine got : {roundedSineCosine(angle), batch}) {
        ASSERT_EQ(bitsOf(got.sine), bitsOf(static_cast<float>(std::sin(x)))) << angle;
        ASSERT_EQ(bitsOf(got.cosine), bitsOf(static_cast<float>(std::cos(x)))) << angle;
    }
}

}  // namespace

// The quick path must round exactly as the library's double results do, for
// every kind of angle: the ones the ribbon uses, random ones up to and past
// the quick range, and the floats nearest to multiples of pi/2, where the
// reduced angle is smallest.
TEST(RoundedTrig, SameFloatsAsTheLibrary) {
    for (const float special :
         {0.0f, -0.0f, 1e-40f, 0x1p-61f, 0x1p-60f, 1e-30f, 1.0f, 0.7853982f, 3.1415927f, 0x1p19f,
          0x1.000002p19f, 1e10f, -1e10f, 3e38f, INFINITY, NAN}) {
        const SineCosine got = roundedSineCosine(special);
        const double x = special;
        if (std::isnan(x) || std::isinf(x)) {
            EXPECT_TRUE(std::isnan(got.sine) && std::isnan(got.cosine));
        } else {
            expectAsLibrary(special);
        }
    }
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<float> small(-8.0f, 8.0f), ribbon(0.0f, 160.0f),
        wide(-0x1p20f, 0x1p20f);
    for (int i = 0; i < 400000; ++i) {
        expectAsLibrary(small(rng));
        expectAsLibrary(ribbon(rng));
        expectAsLibrary(wide(rng));
    }
    for (int k = 1; k < 200000; k += 7) {
        const float nearest = static_cast<float>(k * 1.5707963267948966);
        for (float f = std::nextafter(nearest, 0.0f), n = 0; n < 3;
             ++n, f = std::nextafter(f, INFINITY)) {
            expectAsLibrary(f);
        }
    }
}

namespace {

double withLowBits(double v, std::int64_t offset) {  // v moved by whole units of its last place
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    bits += static_cast<std::uint64_t>(offset);
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

}  // namespace

// The test every quick result passes: where it says clear, everything within
// 2^-38 of the value rounds to one float. Random values rarely come near a
// rounding point, so most cases are built at one: halfway between two floats,
// and either side of a power of two.
TEST(RoundedTrig, ClearMeansEverythingNearRoundsAlike) {
    const auto expectHonest = [](double v) {
        if (!roundsClear(v)) return;
        const double slack = std::fabs(v) * 0x1p-38;
        const float f = static_cast<float>(v);
        ASSERT_EQ(bitsOf(static_cast<float>(v - slack)), bitsOf(f)) << v;
        ASSERT_EQ(bitsOf(static_cast<float>(v + slack)), bitsOf(f)) << v;
    };
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_int_distribution<std::int64_t> near(-(1 << 16), 1 << 16);
    int clear = 0;
    for (int i = 0; i < 200000; ++i) {
        const double v = unit(rng);
        expectHonest(v);
        const double halfway = withLowBits(static_cast<float>(v), 1 << 28);  // above the float
        const double offset = near(rng);
        expectHonest(withLowBits(halfway, offset));
        expectHonest(withLowBits(halfway, -offset));
        const double power = std::ldexp(1.0, -static_cast<int>(i % 120));
        expectHonest(withLowBits(power, offset));
        clear += roundsClear(withLowBits(halfway, offset));
    }
    // Not so careful that it is no use: well clear of halfway it says so.
    EXPECT_GT(clear, 200000 * 2 / 5);
    EXPECT_TRUE(roundsClear(withLowBits(0.75, (1 << 28) + (1 << 15) + 1)));
    EXPECT_FALSE(roundsClear(withLowBits(0.75, (1 << 28) + (1 << 14))));
    EXPECT_FALSE(roundsClear(withLowBits(0.75, (1 << 28) - (1 << 14))));
}
