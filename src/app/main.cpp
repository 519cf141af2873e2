// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

// Tavrindole: a spiral ribbon of flat-coloured slices whose colours crawl
// along it, drawn full screen fifty times a second. It takes no arguments.

#include "app/window_shell.h"

int main() { runProgram(); }
