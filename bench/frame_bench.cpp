// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

// One frame's own work, without GL, and the colour wheel's long walks.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>

#include "app/keyboard_controls.h"
#include "app/scene_state.h"
#include "render/color_wheel.h"
#include "render/spiral_frame.h"
#include "straightforward.h"

namespace {

// Takes each slice and discards it. The slice escapes, so the compiler
// cannot skip the work that made it. (A copy: Google Benchmark 1.8 and later
// deprecate DoNotOptimize on a const reference.)
struct DiscardSink {
    static void add(RibbonSlice slice) { benchmark::DoNotOptimize(slice); }
};

SceneState sceneWith(std::int32_t steps) {
    SceneState s{};
    setStartValues(s);
    s.steps = steps;
    return s;
}

void setSliceCounter(benchmark::State& state, std::int64_t slices) {
    state.counters["per_slice"] = benchmark::Counter(
        static_cast<double>(slices), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void frameSlices(benchmark::State& state) {
    SceneState s = sceneWith(static_cast<std::int32_t>(state.range(0)));
    DiscardSink sink;
    std::int64_t slices = 0;
    for (auto _ : state) {
        slices += buildSlices(s, sink);
        catchUpColors(s);
    }
    setSliceCounter(state, slices);
}
BENCHMARK(frameSlices)->Arg(1600)->Arg(maxSteps)->Unit(benchmark::kMicrosecond);

// The same frame written the straightforward way, for comparison in the same
// run. It hands its slices to the same sink.
void straightforwardFrame(benchmark::State& state) {
    SceneState s = sceneWith(static_cast<std::int32_t>(state.range(0)));
    std::int64_t slices = 0;
    for (auto _ : state) {
        slices += straightforwardSlices(
            s, [](const SceneState& c, float x1, float y1, float z, float x2, float y2, float z2) {
                DiscardSink::add({c.red, c.green, c.blue, x1, y1, z, x2, y2, z2});
            });
        straightforwardCatchUp(s);
    }
    setSliceCounter(state, slices);
}
BENCHMARK(straightforwardFrame)->Arg(1600)->Unit(benchmark::kMicrosecond);

void advanceColorBy(benchmark::State& state) {
    SceneState s = sceneWith(1600);
    const std::int64_t count = state.range(0);
    for (auto _ : state) {
        advanceColor(s, count);
        advanceColor(s, -count + 1);
        benchmark::DoNotOptimize(s.red);
    }
}
BENCHMARK(advanceColorBy)->Arg(2)->Arg(3196)->Arg(1000000);

}  // namespace

BENCHMARK_MAIN();
