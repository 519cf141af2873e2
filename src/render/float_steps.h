#pragma once

// out[0] = single(start + step) and out[i] = single(out[i - 1] + step) for
// i < count: each sum taken in double and rounded to float, exactly as one
// would take them one after the other.
//
// Taken one after the other, every sum waits for the one before. But while
// the values stay within one binary order of magnitude, every sum rounds the
// same way (the float spacing there is fixed, and the value always sits on
// it), so each step adds the same amount and the run is an arithmetic
// progression that can be written out at once. Near a power of two, near
// zero, at an exact tie between two floats, or for values that are not
// finite, the sums are taken one by one.
void fillFloatSteps(float start, double step, float* out, int count);
