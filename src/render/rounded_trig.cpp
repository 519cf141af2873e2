#include "render/rounded_trig.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "render/wide_clones.h"

namespace {

// pi/2 in three parts: the first two hold 33 bits each, so their products
// with a quadrant count below 2^20 are exact.
constexpr double halfPi1 = 0x1.921fb544p+0;
constexpr double halfPi2 = 0x1.0b4611a6p-34;
constexpr double halfPi3 = 0x1.3198a2e037073p-69;
constexpr double twoOverPi = 0x1.45f306dc9c883p-1;
constexpr double largestQuickAngle = 0x1p19;
// Below it the sine may come out as a subnormal float.
constexpr double smallestQuickAngle = 0x1p-60;

// Taylor series to the 13th and 14th powers, on |r| <= pi/4 within 3e-14 of
// the true value, summed in Estrin's order: pairs of terms side by side
// rather than one long chain of multiply-adds.
double sinKernel(double r) {
    const double t = r * r, t2 = t * t, t4 = t2 * t2;
    const double p = (1.0 / 6.0 - t * (1.0 / 120.0)) + t2 * (1.0 / 5040.0 - t * (1.0 / 362880.0)) +
                     t4 * (1.0 / 39916800.0 - t * (1.0 / 6227020800.0));
    return r - (r * t) * p;
}

double cosKernel(double r) {
    const double t = r * r, t2 = t * t, t4 = t2 * t2;
    const double q =
        (0.5 - t * (1.0 / 24.0)) + t2 * (1.0 / 720.0 - t * (1.0 / 40320.0)) +
        t4 * ((1.0 / 3628800.0 - t * (1.0 / 479001600.0)) + t2 * (1.0 / 87178291200.0));
    return 1.0 - t * q;
}

SineCosine libraryRounded(double x) {
    return {static_cast<float>(std::sin(x)), static_cast<float>(std::cos(x))};
}

constexpr int chunk = 64;

std::uint64_t bitsOf(double v) {
    std::uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

double fromBits(std::uint64_t b) {
    double v;
    std::memcpy(&v, &b, sizeof v);
    return v;
}

// Sines and cosines of up to `chunk` angles; flags[i] is nonzero where the
// quick result is proven to round as the library's does. Returns how many
// are not. Fused multiply-adds change only the last bits of the polynomial
// and of the reduction's smallest term, far inside the error bound.
TAVRINDOLE_WIDE_CLONES
int quickChunk(const float* angles, float* sines, float* cosines, std::int32_t* flags, int n) {
    int unsafe = 0;
    for (int i = 0; i < n; ++i) {
        const double x = angles[i];
        const double shifted = x * twoOverPi + 0x1.8p52;
        const double k = shifted - 0x1.8p52;
        std::int64_t kBits;
        std::memcpy(&kBits, &shifted, sizeof kBits);  // k itself sits in the low bits
        const double r = ((x - k * halfPi1) - k * halfPi2) - k * halfPi3;
        const double s = sinKernel(r), c = cosKernel(r);

        // Quadrant q of k: sin = s, c, -s, -c and cos = c, -s, -c, s. Picked
        // and signed with bit masks, so the loop has no branches.
        const std::uint64_t swap = 0 - static_cast<std::uint64_t>(kBits & 1);
        const std::uint64_t sineSign = static_cast<std::uint64_t>(kBits & 2) << 62;
        const std::uint64_t cosineSign = static_cast<std::uint64_t>((kBits + 1) & 2) << 62;
        const std::uint64_t sBits = bitsOf(s), cBits = bitsOf(c);
        const double sine = fromBits(((sBits & ~swap) | (cBits & swap)) ^ sineSign);
        const double cosine = fromBits(((cBits & ~swap) | (sBits & swap)) ^ cosineSign);

        // Safe when everything within the error bound rounds to one float.
        const int safe = static_cast<int>(roundsClear(sine)) &
                         static_cast<int>(roundsClear(cosine)) &
                         static_cast<int>(std::fabs(x) <= largestQuickAngle) &
                         static_cast<int>(std::fabs(x) >= smallestQuickAngle);
        sines[i] = static_cast<float>(sine);
        cosines[i] = static_cast<float>(cosine);
        flags[i] = safe;
        unsafe += 1 - safe;
    }
    return unsafe;
}

}  // namespace

void roundedSineCosines(const float* angles, float* sines, float* cosines, int count) {
    std::int32_t flags[chunk];
    for (int start = 0; start < count; start += chunk) {
        const int n = count - start < chunk ? count - start : chunk;
        if (quickChunk(angles + start, sines + start, cosines + start, flags, n) == 0) continue;
        for (int i = 0; i < n; ++i) {
            if (flags[i] == 0) {
                const SineCosine exact = libraryRounded(angles[start + i]);
                sines[start + i] = exact.sine;
                cosines[start + i] = exact.cosine;
            }
        }
    }
}
