// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

#include <GL/glut.h>

#include "app/keyboard_controls.h"
#include "app/scene_state.h"
#include "app/window_shell.h"
#include "render/spiral_frame.h"

static_assert(arrowLeft == GLUT_KEY_LEFT && arrowUp == GLUT_KEY_UP &&
              arrowRight == GLUT_KEY_RIGHT && arrowDown == GLUT_KEY_DOWN);

void runProgram() {
    // freeglut wants to be initialised before it makes a window. It gets the
    // program's name alone: the command line plays no part in what we do.
    char name[] = "tavrindole";
    char* args[] = {name, nullptr};
    int count = 1;
    glutInit(&count, args);

    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("Tavrindole");
    glutDisplayFunc(displayFrame);
    glutReshapeFunc(reshapeView);
    glutTimerFunc(tickMilliseconds, timerTick, 1);
    glutKeyboardFunc(keyPressed);
    glutSpecialFunc(specialKeyPressed);
#ifndef __EMSCRIPTEN__
    glutFullScreen();  // a browser refuses it without a click; the page fills the window instead
#endif
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glEnable(GL_DEPTH_TEST);
    setStartValues(scene);
    glutMainLoop();
}
