// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

#include "app/window_shell.h"

#include <GL/glut.h>

#include "app/scene_state.h"

void timerTick(int) {
    tickScene(scene);
    // A frame on every tick, spinning or not: the colours keep crawling.
    glutPostRedisplay();
    glutTimerFunc(tickMilliseconds, timerTick, 1);
}

void reshapeView(int width, int height) {
    if (height == 0) height = 1;
    if (width < 0 || height < 0) return;
    glViewport(0, 0, width, height);
    if (!updateViewExtents(scene, width, height)) return;

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // Near 1000 and far -1000: depth grows with eye-space z, so the nearer of
    // two fragments is the one with the smaller z. With the scene's start-up
    // half turn about X this decides which side of the ribbon shows.
    glOrtho(-scene.halfWidth, scene.halfWidth, -scene.halfHeight, scene.halfHeight, 1000.0,
            -1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
