// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

#include "render/spiral_frame.h"

#include <GL/glut.h>

namespace {

// Sends each slice to GL as two flat-coloured triangles.
struct GlSliceSink {
    static void add(const RibbonSlice& s) {
        glColor3ub(s.red, s.green, s.blue);
        glVertex3f(0.0f, 0.0f, s.z);
        glVertex3f(s.x1, s.y1, s.z);
        glVertex3f(s.x2, s.y2, s.z2);
        glVertex3f(s.x2, s.y2, s.z2);
        glVertex3f(0.0f, 0.0f, s.z);
        glVertex3f(0.0f, 0.0f, s.z2);
    }
};

}  // namespace

void displayFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPushMatrix();
    glRotatef(scene.rotationX, 1.0f, 0.0f, 0.0f);
    glRotatef(scene.rotationY, 0.0f, 1.0f, 0.0f);

    GlSliceSink sink;
    glBegin(GL_TRIANGLES);
    buildSlices(scene, sink);
    glEnd();

    catchUpColors(scene);
    glColor3ub(scene.red, scene.green, scene.blue);
    glPopMatrix();
    glutSwapBuffers();
}
