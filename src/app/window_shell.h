#pragma once

// The timer callback: turns the scene while it spins, asks for a frame and
// schedules the next tick 20 ms on.
void timerTick(int value);

// The reshape callback: the viewport covers the window, and the shorter side
// shows 200 scene units.
void reshapeView(int width, int height);

// Ticks are 20 ms apart, so at most 50 frames a second.
constexpr unsigned tickMilliseconds = 20;
