#pragma once

#include <algorithm>
#include <cstdint>

#include "app/scene_state.h"
#include "render/color_wheel.h"

// The display callback: draws one frame of the ribbon and swaps the buffers.
void displayFrame();

// The most slice runs one frame may make. The float angle normally passes the
// limit after steps or steps + 1 runs; the cap only stops frames whose angle
// can no longer advance (no turns, or slices too fine for a float).
inline std::int64_t maxSliceRuns(std::int32_t steps) {
    return 2 * static_cast<std::int64_t>(std::max<std::int32_t>(steps, 0)) + 4;
}

// A batch of slices side by side. Slice i is two triangles between the Z
// axis and the outer edge, from (x1[i], y1[i]) at the upper height z[i] to
// (x2[i], y2[i]) at the lower height z[i + 1], in colours[i].
struct SliceBatch {
    static constexpr int capacity = 512;
    int count = 0;
    WheelColor colors[capacity];
    float x1[capacity], y1[capacity], x2[capacity], y2[capacity];
    float z[capacity + 1];
};

// The slices of one frame, worked out a batch at a time. Every value is worked
// out in double and rounded to float where it is kept, so the vertices are
// exact to the bit, and the wheel steps back by two for every slice.
//
// Within a batch, first come the angles, heights and radii (each the one
// before plus or minus a step), then their sines and cosines, which do not
// depend on each other and so run side by side, then the edge points and
// colours. A slice's second angle is the next one's first, so each angle's
// sine and cosine serve two slices.
class SliceWalk {
  public:
    // Starts a frame: angle 0, height 50, radius 5.
    explicit SliceWalk(SceneState& s);
    // The next batch; false once the frame has no slices left.
    bool next(SliceBatch& batch);
    // Hands the radius and the colour back to the scene; returns the number of slices.
    std::int64_t finish();

  private:
    SceneState& s_;
    double limit_, step_, drop_;
    float z_, radius_;
    std::int64_t runs_ = 0, maxRuns_;
    int position_;  // the last slice's colour on the wheel; -1 for a colour off it
    bool more_;
    // Working values of one batch; entry 0 carries the last batch's end.
    float angles_[SliceBatch::capacity + 1];
    float radii_[2 * SliceBatch::capacity + 1];
    float sines_[SliceBatch::capacity + 1], cosines_[SliceBatch::capacity + 1];
};

// The slices of one frame, handed a batch at a time to sink.add(batch).
// Returns the number of slices.
template <class Sink>
std::int64_t buildSlices(SceneState& s, Sink& sink) {
    SliceWalk walk(s);
    SliceBatch batch;
    while (walk.next(batch)) sink.add(batch);
    return walk.finish();
}

// After the slices the wheel is moved forward again, by two less than it went
// back for steps slices, so every frame starts its colours a little further
// along the ribbon than the last.
inline void catchUpColors(SceneState& s) {
    advanceColor(s, 2 * static_cast<std::int64_t>(s.steps) - 4);
}
