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

// Takes each batch of slices and discards it. The batch escapes, so the
// compiler cannot skip the work that filled it.
struct DiscardSink {
    void add(const SliceBatch& b) {
        benchmark::DoNotOptimize(&b);
        benchmark::ClobberMemory();
    }
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
BENCHMARK(frameSlices)
    ->Arg(1600)
    ->Arg(16000)
    ->Arg(160000)
    ->Arg(maxSteps)
    ->Unit(benchmark::kMicrosecond);

// The same frame written the straightforward way, for comparison in the same
// run. It hands its slices over in the same batches.
void straightforwardFrame(benchmark::State& state) {
    SceneState s = sceneWith(static_cast<std::int32_t>(state.range(0)));
    DiscardSink sink;
    SliceBatch b;
    std::int64_t slices = 0;
    for (auto _ : state) {
        int k = 0;
        slices += straightforwardSlices(
            s, [&](const SceneState& c, float x1, float y1, float z, float x2, float y2, float z2) {
                b.colors[k] = {c.red, c.green, c.blue};
                b.x1[k] = x1;
                b.y1[k] = y1;
                b.x2[k] = x2;
                b.y2[k] = y2;
                b.z[k] = z;
                b.z[k + 1] = z2;
                if (++k == SliceBatch::capacity) {
                    b.count = k;
                    sink.add(b);
                    k = 0;
                }
            });
        b.count = k;
        sink.add(b);
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
