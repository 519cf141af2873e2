// One frame's own work, without GL, and the colour wheel's long walks.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>

#include "app/keyboard_controls.h"
#include "app/scene_state.h"
#include "render/color_wheel.h"
#include "render/spiral_frame.h"

namespace {

// Takes every slice into a small buffer that is overwritten round and round,
// as cheap a consumer as a real one could be; the buffer escapes after each
// frame, so the compiler cannot skip the work that filled it.
struct DiscardSink {
    struct Stored {
        std::uint32_t rgb;  // packed, as a vertex buffer would hold it
        float x1, y1, z, x2, y2, z2;
    };
    Stored slots[64];
    unsigned next = 0;
    void slice(std::uint8_t r, std::uint8_t g, std::uint8_t b, float x1, float y1, float z,
               float x2, float y2, float z2) {
        const std::uint32_t rgb = r | (g << 8) | (b << 16);
        slots[next++ % 64] = {rgb, x1, y1, z, x2, y2, z2};
    }
    void escape() {
        benchmark::DoNotOptimize(slots);
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
        sink.escape();
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
// run: four sine and cosine calls a slice, and the wheel stepped one unit at
// a time.
void straightforwardFrame(benchmark::State& state) {
    SceneState s = sceneWith(static_cast<std::int32_t>(state.range(0)));
    DiscardSink sink;
    std::int64_t slices = 0;
    for (auto _ : state) {
        const double limit = s.turns * static_cast<double>(6.2831855f);
        const double step = limit / s.steps, drop = (s.turns * 25.0) / s.steps;
        float z = 50.0f, angle = 0.0f;
        s.radius = 5.0f;
        do {
            const auto x1 = static_cast<float>(static_cast<float>(std::sin(angle)) * s.radius);
            const auto y1 = static_cast<float>(static_cast<float>(std::cos(angle)) * s.radius);
            s.radius = static_cast<float>(s.radius + static_cast<double>(0.07f));
            const auto angle2 = static_cast<float>(angle + step);
            const auto x2 = static_cast<float>(static_cast<float>(std::sin(angle2)) * s.radius);
            const auto y2 = static_cast<float>(static_cast<float>(std::cos(angle2)) * s.radius);
            s.radius = static_cast<float>(s.radius + static_cast<double>(0.07f));
            stepColor(s, false);
            stepColor(s, false);
            const auto z2 = static_cast<float>(z - drop);
            sink.slice(s.red, s.green, s.blue, x1, y1, z, x2, y2, z2);
            z = z2;
            angle = static_cast<float>(angle + step);
            ++slices;
        } while (angle <= limit);
        for (int i = 0; i < 2 * s.steps - 4; ++i) stepColor(s, true);
        sink.escape();
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
