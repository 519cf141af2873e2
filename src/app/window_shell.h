// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

#pragma once

// Opens the window, registers the callbacks, sets the drawing state and the
// scene's start values, and hands over to the toolkit's main loop, which
// does not come back.
void runProgram();

// The timer callback: turns the scene while it spins, asks for a frame and
// schedules the next tick 20 ms on.
void timerTick(int value);

// The reshape callback: the viewport covers the window, and the shorter side
// shows 200 scene units.
void reshapeView(int width, int height);

// Ticks are 20 ms apart, so at most 50 frames a second.
constexpr unsigned tickMilliseconds = 20;
