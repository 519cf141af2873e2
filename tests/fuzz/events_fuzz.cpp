// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

// libFuzzer entry: every input is a run of events on a fresh scene.
#include <cstddef>
#include <cstdint>

#include "scene_events.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    replayEvents(data, size);
    return 0;
}
