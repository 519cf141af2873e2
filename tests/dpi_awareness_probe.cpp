// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

// Linked with the program's own resources, so with its manifest: asks
// Windows (or Wine) which DPI awareness the process got from it. Only a
// process aware of each monitor's scale is given the display's real pixels
// on a scaled screen. Exits 0 when it is.

#include <windows.h>

#include <cstdio>

int main() {
    DPI_AWARENESS_CONTEXT context = GetThreadDpiAwarenessContext();
    DPI_AWARENESS awareness = GetAwarenessFromDpiAwarenessContext(context);
    bool v2 = AreDpiAwarenessContextsEqual(context, DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    std::printf("DPI awareness %d%s\n", static_cast<int>(awareness), v2 ? ", per-monitor v2" : "");
    return awareness == DPI_AWARENESS_PER_MONITOR_AWARE ? 0 : 1;
}
