// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

// Linked with the program's own resources, so with its manifest: says which
// DPI awareness Windows (or Wine) gave the process, and the process's id,
// by which Wine's trace of what it read from the manifest is found. Only a
// process aware of each monitor's scale is given the display's real pixels
// on a scaled screen. Exits 0 when it is.

#include <windows.h>

#include <cstdio>

int main() {
    DPI_AWARENESS awareness = GetAwarenessFromDpiAwarenessContext(GetThreadDpiAwarenessContext());
    std::printf("DPI awareness %d in process %04lx\n", static_cast<int>(awareness),
                GetCurrentProcessId());
    return awareness == DPI_AWARENESS_PER_MONITOR_AWARE ? 0 : 1;
}
