#include "render/rounded_trig.h"

#include <cstring>

// Where the processor has them, the batch runs on AVX2's four-wide doubles
// (and fused multiply-adds): the rounding check below makes any kernel that
// is accurate enough give the same floats, so the choice is free.
#if defined(__GNUC__) && defined(__x86_64__) && defined(__ELF__) && !defined(__clang__)
#define TAVRINDOLE_WIDE_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define TAVRINDOLE_WIDE_CLONES
#endif

namespace {

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
// quick result is proven to round as the library's does.
TAVRINDOLE_WIDE_CLONES
void quickChunk(const float* angles, float* sines, float* cosines, std::int32_t* flags, int n) {
    using namespace rounded_trig_detail;
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
        const double sineSlack = std::fabs(sine) * 0x1p-38;
        const double cosineSlack = std::fabs(cosine) * 0x1p-38;
        const int safe = static_cast<int>(static_cast<float>(sine - sineSlack) ==
                                          static_cast<float>(sine + sineSlack)) &
                         static_cast<int>(static_cast<float>(cosine - cosineSlack) ==
                                          static_cast<float>(cosine + cosineSlack)) &
                         static_cast<int>(std::fabs(x) <= largestQuickAngle) &
                         static_cast<int>(x != 0.0);
        sines[i] = static_cast<float>(sine);
        cosines[i] = static_cast<float>(cosine);
        flags[i] = safe;
    }
}

}  // namespace

void roundedSineCosines(const float* angles, SineCosine* out, int count) {
    float sines[chunk], cosines[chunk];
    std::int32_t flags[chunk];
    for (int start = 0; start < count; start += chunk) {
        const int n = count - start < chunk ? count - start : chunk;
        quickChunk(angles + start, sines, cosines, flags, n);
        for (int i = 0; i < n; ++i) {
            out[start + i] = flags[i] != 0 ? SineCosine{sines[i], cosines[i]}
                                           : rounded_trig_detail::libraryRounded(angles[start + i]);
        }
    }
}
