#include "render/spiral_frame.h"

#include <GL/glut.h>

namespace {

// Sends each slice to GL as two flat-coloured triangles.
struct GlSliceSink {
    void slice(std::uint8_t r, std::uint8_t g, std::uint8_t b, float x1, float y1, float z,
               float x2, float y2, float z2) {
        glColor3ub(r, g, b);
        glVertex3f(0.0f, 0.0f, z);
        glVertex3f(x1, y1, z);
        glVertex3f(x2, y2, z2);
        glVertex3f(x2, y2, z2);
        glVertex3f(0.0f, 0.0f, z);
        glVertex3f(0.0f, 0.0f, z2);
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
