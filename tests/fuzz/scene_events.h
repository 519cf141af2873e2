// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

#pragma once

#include <cstddef>
#include <cstdint>

// Plays bytes as a run of the program's events (character keys, special
// keys, resizes, timer ticks, frames through the GL-free frame code) on a
// fresh scene, and aborts the moment an invariant breaks.
void replayEvents(const std::uint8_t* data, std::size_t size);
