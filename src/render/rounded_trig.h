#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

// The sine and cosine of a float angle, each worked out in double and rounded
// to float: the same two floats as float(std::sin(double(x))) and
// float(std::cos(double(x))), to the bit, at a fraction of the cost.
//
// How it stays exact: a short polynomial gets within 3e-14 of the true value,
// and the library within a double ulp. Rounding to float can only tell them apart
// when a value lies within that distance of a point halfway between two
// floats; there (about once in ten thousand angles) and for angles too
// large for the quick reduction the library is asked instead.
struct SineCosine {
    float sine, cosine;
};

namespace rounded_trig_detail {

// pi/2 in three parts: the first two hold 33 bits each, so their products
// with a quadrant count below 2^20 are exact.
constexpr double halfPi1 = 0x1.921fb544p+0;
constexpr double halfPi2 = 0x1.0b4611a6p-34;
constexpr double halfPi3 = 0x1.3198a2e037073p-69;
constexpr double twoOverPi = 0x1.45f306dc9c883p-1;
constexpr double largestQuickAngle = 0x1p19;

// Taylor series to the 13th and 14th powers, on |r| <= pi/4 within 3e-14 of
// the true value, summed in Estrin's order: pairs of terms side by side
// rather than one long chain of multiply-adds.
inline double sinKernel(double r) {
    const double t = r * r, t2 = t * t, t4 = t2 * t2;
    const double p = (1.0 / 6.0 - t * (1.0 / 120.0)) + t2 * (1.0 / 5040.0 - t * (1.0 / 362880.0)) +
                     t4 * (1.0 / 39916800.0 - t * (1.0 / 6227020800.0));
    return r - (r * t) * p;
}

inline double cosKernel(double r) {
    const double t = r * r, t2 = t * t, t4 = t2 * t2;
    const double q =
        (0.5 - t * (1.0 / 24.0)) + t2 * (1.0 / 720.0 - t * (1.0 / 40320.0)) +
        t4 * ((1.0 / 3628800.0 - t * (1.0 / 479001600.0)) + t2 * (1.0 / 87178291200.0));
    return 1.0 - t * q;
}

// True when rounding v to float could go either way for a value within 2^14
// double ulps of v (4e-12 of it, a hundred times the kernels' error), or
// when v is too small for that test to mean anything.
inline bool nearRoundingPoint(double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    const std::uint64_t dropped = bits & ((std::uint64_t{1} << 29) - 1);  // bits float drops
    const std::uint64_t half = std::uint64_t{1} << 28;
    const std::uint64_t distance = dropped > half ? dropped - half : half - dropped;
    return distance <= (std::uint64_t{1} << 14) || std::fabs(v) < 0x1p-60;
}

inline SineCosine libraryRounded(double x) {
    return {static_cast<float>(std::sin(x)), static_cast<float>(std::cos(x))};
}

}  // namespace rounded_trig_detail

inline SineCosine roundedSineCosine(float angle) {
    using namespace rounded_trig_detail;
    const double x = angle;
    if (!(std::fabs(x) <= largestQuickAngle)) return libraryRounded(x);

    // x = k pi/2 + r with |r| <= pi/4 (a little over, at worst).
    // Rounded to the nearest whole number by the usual trick of adding and
    // taking away 1.5 x 2^52 (|x| is far below 2^51).
    const double k = (x * twoOverPi + 0x1.8p52) - 0x1.8p52;
    const double r = ((x - k * halfPi1) - k * halfPi2) - k * halfPi3;
    const double s = sinKernel(r), c = cosKernel(r);
    if (nearRoundingPoint(s) || nearRoundingPoint(c)) return libraryRounded(x);

    const float fs = static_cast<float>(s), fc = static_cast<float>(c);
    switch (static_cast<std::int64_t>(k) & 3) {
    case 0: return {fs, fc};
    case 1: return {fc, -fs};
    case 2: return {-fs, -fc};
    default: return {-fc, fs};
    }
}

// The same for many angles at once, out[i] for angles[i]: the quick path
// runs over the whole batch without branches, so it vectorises.
void roundedSineCosines(const float* angles, SineCosine* out, int count);
