#include "render/float_steps.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "render/wide_clones.h"

namespace {

float nextStep(float value, double step) { return static_cast<float>(value + step); }

// out[j] = a + (j + 1) delta. Every product and sum here is exact (the
// values lie on the float spacing of one order of magnitude), so fusing
// them changes nothing.
TAVRINDOLE_WIDE_CLONES
void writeProgression(double a, double delta, float* out, int run) {
    for (int j = 0; j < run; ++j) out[j] = static_cast<float>(a + (j + 1) * delta);
}

// How many of the next steps from `value` follow the progression, writing
// them out; 0 where the next step must be taken on its own.
int progressionRun(float value, double step, float* out, int count) {
    const double a = value;
    // Below the smallest normal float the float spacing no longer follows the
    // order of magnitude.
    if (!(std::fabs(a) >= 0x1p-126) || !std::isfinite(a) || !std::isfinite(step)) return 0;

    // |a| lies in [low, high), one binary order of magnitude: low is a with
    // its sign and mantissa bits cleared.
    std::uint64_t bits;
    std::memcpy(&bits, &a, sizeof bits);
    bits &= 0x7ff0000000000000u;
    double low;
    std::memcpy(&low, &bits, sizeof low);
    const double high = 2.0 * low;
    const double spacing = low * 0x1p-23;  // the float spacing there
    // Its inverse, also a power of two, put together from the exponent
    // rather than divided out: 2^23 / low.
    const std::uint64_t inverseBits = ((2069u << 20) - (bits >> 32)) << 32;
    double inverse;
    std::memcpy(&inverse, &inverseBits, sizeof inverse);

    // The double sum's rounding (D) and then the float rounding (delta): both
    // depend only on the spacing while the values stay in [low, high).
    const double sum = a + step;
    const double d = sum - a;
    const double delta = static_cast<double>(static_cast<float>(sum)) - a;
    // D in units of the spacing (the spacing is a power of two, so this is
    // exact); half a unit over a whole number is a tie, where the rounding
    // alternates with the value.
    const double units = d * inverse;
    if (!(std::fabs(units) < 0x1p52)) return 0;
    const double whole = static_cast<double>(static_cast<std::int64_t>(units));
    if (std::fabs(units - whole) == 0.5) return 0;

    // Every sum a_j + D of the run (a_j = a + j delta) must stay clear of
    // both ends, by two spacings so that its rounding never reaches the next
    // order. Its size changes linearly with j, so the run ends where the
    // nearer end comes, and checking its first and last sums is enough.
    const auto inside = [&](double aj) {
        const double magnitude = std::fabs(aj + d);
        return (aj + d) * a > 0 && magnitude >= low + 2 * spacing &&
               magnitude <= high - 2 * spacing;
    };
    if (!inside(a)) return 0;
    const double sign = a > 0 ? 1.0 : -1.0;
    const double growth = sign * delta;  // change of |a_j| per step
    const double size = std::fabs(a) + sign * d;
    int run = count;
    if (growth != 0.0) {
        const double room = growth > 0 ? (high - 2 * spacing - size) / growth
                                       : (size - low - 2 * spacing) / -growth;
        if (room + 1 < count) run = static_cast<int>(room) + 1;
        while (run > 0 && !inside(a + (run - 1) * delta)) --run;
    }
    writeProgression(a, delta, out, run);
    return run;
}

}  // namespace

void fillFloatSteps(float start, double step, float* out, int count) {
    float value = start;
    int i = 0;
    while (i < count) {
        // A step this large against the value leaves no run worth setting
        // up: near zero every order of magnitude holds only a step or two.
        if (!(std::fabs(step) * 16 < std::fabs(value))) {
            value = out[i++] = nextStep(value, step);
            continue;
        }
        const int run = progressionRun(value, step, out + i, count - i);
        if (run == 0) out[i++] = nextStep(value, step);
        i += run;
        value = out[i - 1];
    }
}
