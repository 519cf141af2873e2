#include "render/spiral_frame.h"

#include <GL/glut.h>

namespace {

// Sends each slice to GL as two flat-coloured triangles.
struct GlSliceSink {
    void add(const SliceBatch& b) {
        for (int i = 0; i < b.count; ++i) {
            const float z = b.z[i], z2 = b.z[i + 1];
            glColor3ub(b.colors[i].red, b.colors[i].green, b.colors[i].blue);
            glVertex3f(0.0f, 0.0f, z);
            glVertex3f(b.x1[i], b.y1[i], z);
            glVertex3f(b.x2[i], b.y2[i], z2);
            glVertex3f(b.x2[i], b.y2[i], z2);
            glVertex3f(0.0f, 0.0f, z);
            glVertex3f(0.0f, 0.0f, z2);
        }
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
