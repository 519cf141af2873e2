// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

// The program with its frame written the straightforward way, to set the
// real program's frame rate against (bench/fps).
#include <GL/glut.h>

#include "app/scene_state.h"
#include "render/spiral_frame.h"
#include "straightforward.h"

void displayFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPushMatrix();
    glRotatef(scene.rotationX, 1.0f, 0.0f, 0.0f);
    glRotatef(scene.rotationY, 0.0f, 1.0f, 0.0f);
    glBegin(GL_TRIANGLES);
    straightforwardSlices(
        scene, [](const SceneState& s, float x1, float y1, float z, float x2, float y2, float z2) {
            glColor3ub(s.red, s.green, s.blue);
            glVertex3f(0.0f, 0.0f, z);
            glVertex3f(x1, y1, z);
            glVertex3f(x2, y2, z2);
            glVertex3f(x2, y2, z2);
            glVertex3f(0.0f, 0.0f, z);
            glVertex3f(0.0f, 0.0f, z2);
        });
    glEnd();
    straightforwardCatchUp(scene);
    glColor3ub(scene.red, scene.green, scene.blue);
    glPopMatrix();
    glutSwapBuffers();
}
