// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

#include "scene_events.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/keyboard_controls.h"
#include "app/scene_state.h"
#include "render/spiral_frame.h"
#include "test_support.h"

namespace {

void require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

// Reads the next n bytes as a little-endian int, as much of it as is left.
std::int32_t take(const std::uint8_t*& p, const std::uint8_t* end, int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n && p < end; ++i, ++p) v |= std::uint32_t{*p} << (8 * i);
    std::int32_t out;
    std::memcpy(&out, &v, sizeof out);
    return out;
}

}  // namespace

void replayEvents(const std::uint8_t* data, std::size_t size) {
    SceneState s{};
    setStartValues(s);
    bool resized = false;
    // A "d" is the one way to 2 steps: at 2 turns with 3 or 4 steps, or at 3
    // turns with 3 steps (which leaves 2 turns).
    bool lastKeyWasD = false;
    const std::uint8_t* p = data;
    const std::uint8_t* end = data + size;
    while (p < end) {
        const std::uint8_t op = *p++;
        switch (op % 5) {
        case 0: {
            const std::uint8_t key = static_cast<std::uint8_t>(take(p, end, 1));
            lastKeyWasD = key == 'd' || key == 'D';
            applyKey(s, key);
            break;
        }
        case 1: applySpecialKey(s, take(p, end, 4)); break;
        case 2: {
            const std::int32_t width = take(p, end, 4), height = take(p, end, 4);
            if (updateViewExtents(s, width, height)) resized = true;
            break;
        }
        case 3: tickScene(s); break;
        default: {
            CountingSink sink;
            const std::int64_t runs = buildSlices(s, sink);
            catchUpColors(s);
            require(runs == sink.count && runs >= 1 && runs <= maxSliceRuns(s.steps),
                    "a frame ends within its bound");
            require(std::isfinite(s.radius), "the radius is finite");
            break;
        }
        }
        require(s.turns >= 2, "turns at least 2");
        require(s.steps >= 2 && s.steps <= maxSteps, "steps within 2 and the bound");
        require(s.steps > 2 || (lastKeyWasD && s.turns == 2), "steps of 2 only right after a d");
        require(wheelPosition(s.red, s.green, s.blue) >= 0, "the colour stays on the wheel");
        if (resized) {
            require(std::isfinite(s.halfWidth) && s.halfWidth > 0 && std::isfinite(s.halfHeight) &&
                        s.halfHeight > 0,
                    "projection extents finite and positive");
        }
    }
}
