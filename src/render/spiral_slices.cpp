#include <algorithm>
#include <cstdint>

#include "render/float_steps.h"
#include "render/rounded_trig.h"
#include "render/spiral_frame.h"
#include "render/wide_clones.h"

// A batch's colours are one stretch of a two-step walk round the wheel.
static_assert(2 * SliceBatch::capacity < wheelLength);

namespace {

// The product of two floats taken in double and rounded is the float
// product: double has more than twice float's precision, so the double
// rounding cannot show.
TAVRINDOLE_WIDE_CLONES
void edgePoints(const float* sines, const float* cosines, const float* radii, SliceBatch& b,
                int n) {
    for (int i = 0; i < n; ++i) {
        const int pair = 2 * i;  // each slice has two points on the edge
        const float inner = radii[pair], outer = radii[pair + 1];
        b.x1[i] = sines[i] * inner;
        b.y1[i] = cosines[i] * inner;
        b.x2[i] = sines[i + 1] * outer;
        b.y2[i] = cosines[i + 1] * outer;
    }
}

// The first of angles[1..count] past the limit (or unordered with it), or
// count + 1 if there is none.
int firstPastLimit(const float* angles, int count, double limit) {
    int first = count + 1;
    for (int i = count; i >= 1; --i) {
        if (!(angles[i] <= limit)) first = i;
    }
    return first;
}

}  // namespace

SliceWalk::SliceWalk(SceneState& s) : s_(s) {
    const double twoPi = static_cast<double>(6.2831855f);
    limit_ = s.turns * twoPi;
    step_ = limit_ / s.steps;
    drop_ = (s.turns * 25.0) / s.steps;
    z_ = 50.0f;
    s.radius = 5.0f;
    radius_ = s.radius;
    angles_[0] = 0.0f;
    const SineCosine first = roundedSineCosine(angles_[0]);
    sines_[0] = first.sine;
    cosines_[0] = first.cosine;
    maxRuns_ = maxSliceRuns(s.steps);
    more_ = !(limit_ < 0);
    // Each slice steps the wheel back by two. On the wheel that is a walk
    // along its cycle: the slices read their colours off it, and the scene's
    // colour and flags take one jump to where the steps end.
    position_ = wheelPosition(s.red, s.green, s.blue);
}

bool SliceWalk::next(SliceBatch& b) {
    if (!more_) return false;
    const double growth = static_cast<double>(0.07f);

    // Only as many values as the frame can still use: about steps slices in
    // all (more batches follow if the angle runs further), and never past
    // the cap on runs.
    const std::int64_t left = maxRuns_ - runs_;
    const std::int64_t expected = std::max<std::int64_t>(s_.steps + 2 - runs_, 16);
    const int fill = static_cast<int>(
        std::min<std::int64_t>({left, expected, std::int64_t{SliceBatch::capacity}}));
    fillFloatSteps(angles_[0], step_, angles_ + 1, fill);
    b.z[0] = z_;
    fillFloatSteps(z_, -drop_, b.z + 1, fill);
    radii_[0] = radius_;
    fillFloatSteps(radius_, growth, radii_ + 1, 2 * fill);

    // The first slice is always drawn (the last batch's test let it in); each
    // next one while the angle it starts from is within the limit.
    const int past = firstPastLimit(angles_, fill, limit_);
    const int n = std::min(past, fill);
    more_ = past > fill && left > fill;
    runs_ += n;
    b.count = n;

    roundedSineCosines(angles_ + 1, sines_ + 1, cosines_ + 1, n);
    edgePoints(sines_, cosines_, radii_, b, n);
    if (position_ >= 0) {
        const WheelColor* walk = twoStepsBackFrom(position_);
        std::copy(walk, walk + n, b.colors);
        position_ = (position_ + wheelLength - 2 * n) % wheelLength;
    } else {
        for (int i = 0; i < n; ++i) {  // a colour off the wheel: step it as it is
            advanceColor(s_, -2);
            b.colors[i] = {s_.red, s_.green, s_.blue};
        }
    }

    angles_[0] = angles_[n];
    sines_[0] = sines_[n];
    cosines_[0] = cosines_[n];
    z_ = b.z[n];
    const int used = 2 * n;
    radius_ = radii_[used];
    return true;
}

std::int64_t SliceWalk::finish() {
    s_.radius = radius_;
    if (position_ >= 0) advanceColor(s_, -2 * runs_);
    return runs_;
}
