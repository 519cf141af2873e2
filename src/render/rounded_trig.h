#pragma once

#include <cstdint>
#include <cstring>

// The sine and cosine of a float angle, each worked out in double and rounded
// to float: the same two floats as float(std::sin(double(x))) and
// float(std::cos(double(x))), to the bit, at a fraction of the cost.
//
// How it stays exact: a short polynomial gets within 3e-14 of the true value,
// and the library within a double ulp. A result is kept only where every
// value within 2^-38 of it rounds to the same float, which the library's
// result, being that close too, then rounds to as well. Elsewhere (about once
// in four thousand angles), for the tiniest angles and for angles too large
// for the quick reduction the library is asked instead.
struct SineCosine {
    float sine, cosine;
};

// sines[i] and cosines[i] for angles[i]. The quick path runs over the whole
// batch without branches, so it vectorises.
void roundedSineCosines(const float* angles, float* sines, float* cosines, int count);

// Whether every value within 2^-38 of v (relative) rounds to the same float
// as v, for a v of a normal float's size: the test each quick result passes.
//
// Rounding to float keeps the top 24 of the double's 53 significant bits and
// looks at the 29 below: it goes up from halfway, 2^28 units of v's last
// place. 2^-38 of v is less than 2^15 of those units, so v is clear when
// those bits are further than that from halfway. (Across a power of two the
// nearest halfway point is 2^27 units or more away.)
inline bool roundsClear(double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    const auto low = static_cast<std::uint32_t>(bits & 0x1fffffffu);
    return low - (0x10000000u - 0x8000u) > 0x10000u;  // unsigned: also below the window
}

inline SineCosine roundedSineCosine(float angle) {
    SineCosine out;
    roundedSineCosines(&angle, &out.sine, &out.cosine, 1);
    return out;
}
