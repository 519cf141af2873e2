// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

// The program's real GL and GLUT callbacks, and its start-up, linked against
// a recording stand-in for GL and GLUT: every call they make is checked, in
// order, with its arguments.
#include <GL/glut.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "app/keyboard_controls.h"
#include "app/scene_state.h"
#include "app/window_shell.h"
#include "render/spiral_frame.h"
#include "test_support.h"

namespace {

std::vector<std::string> calls;

template <class... T>
void record(const char* format, T... values) {
    if constexpr (sizeof...(T) == 0) {
        calls.emplace_back(format);  // a call without arguments is its own line
    } else {
        char line[256];
        std::snprintf(line, sizeof line, format, values...);
        calls.emplace_back(line);
    }
}

void (*displayCallback)() = nullptr;
void (*reshapeCallback)(int, int) = nullptr;
void (*keyboardCallback)(unsigned char, int, int) = nullptr;
void (*specialCallback)(int, int, int) = nullptr;
void (*timerCallback)(int) = nullptr;

std::vector<std::string> take() {
    std::vector<std::string> out;
    out.swap(calls);
    return out;
}

}  // namespace

// The stand-ins. Floats are printed with %.9g, enough to tell any two apart.
extern "C" {
void glutInit(int* argc, char** argv) {
    std::string args;
    for (int i = 0; i < *argc; ++i) args += std::string(" ") + argv[i];
    record("glutInit(%d:%s)", *argc, args.c_str());
}
void glutInitDisplayMode(unsigned int mode) { record("glutInitDisplayMode(%u)", mode); }
int glutCreateWindow(const char* title) {
    record("glutCreateWindow(%s)", title);
    return 1;
}
void glutDisplayFunc(void (*f)()) {
    displayCallback = f;
    record("glutDisplayFunc(%s)", f == displayFrame ? "displayFrame" : "?");
}
void glutReshapeFunc(void (*f)(int, int)) {
    reshapeCallback = f;
    record("glutReshapeFunc(%s)", f == reshapeView ? "reshapeView" : "?");
}
void glutKeyboardFunc(void (*f)(unsigned char, int, int)) {
    keyboardCallback = f;
    record("glutKeyboardFunc(%s)", f == keyPressed ? "keyPressed" : "?");
}
void glutSpecialFunc(void (*f)(int, int, int)) {
    specialCallback = f;
    record("glutSpecialFunc(%s)", f == specialKeyPressed ? "specialKeyPressed" : "?");
}
void glutTimerFunc(unsigned int ms, void (*f)(int), int value) {
    timerCallback = f;
    record("glutTimerFunc(%u,%s,%d)", ms, f == timerTick ? "timerTick" : "?", value);
}
void glutFullScreen() { record("glutFullScreen()"); }
void glutMainLoop() { record("glutMainLoop()"); }
void glutPostRedisplay() { record("glutPostRedisplay()"); }
void glutSwapBuffers() { record("glutSwapBuffers()"); }
void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    record("glClearColor(%g,%g,%g,%g)", r, g, b, a);
}
void glEnable(GLenum cap) { record("glEnable(%#x)", cap); }
void glViewport(GLint x, GLint y, GLsizei w, GLsizei h) {
    record("glViewport(%d,%d,%d,%d)", x, y, w, h);
}
void glMatrixMode(GLenum mode) { record("glMatrixMode(%#x)", mode); }
void glLoadIdentity() { record("glLoadIdentity()"); }
void glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
    record("glOrtho(%.9g,%.9g,%.9g,%.9g,%.9g,%.9g)", l, r, b, t, n, f);
}
void glClear(GLbitfield mask) { record("glClear(%#x)", mask); }
void glPushMatrix() { record("glPushMatrix()"); }
void glPopMatrix() { record("glPopMatrix()"); }
void glRotatef(GLfloat a, GLfloat x, GLfloat y, GLfloat z) {
    record("glRotatef(%.9g,%g,%g,%g)", a, x, y, z);
}
void glBegin(GLenum mode) { record("glBegin(%#x)", mode); }
void glEnd() { record("glEnd()"); }
void glColor3ub(GLubyte r, GLubyte g, GLubyte b) { record("glColor3ub(%d,%d,%d)", r, g, b); }
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { record("glVertex3f(%.9g,%.9g,%.9g)", x, y, z); }
}

namespace {

class GlCalls : public testing::Test {
  protected:
    void SetUp() override {
        scene = SceneState{};
        calls.clear();
        runProgram();
    }
};

}  // namespace

TEST_F(GlCalls, StartUpInOrder) {
    const std::vector<std::string> expected = {
        "glutInit(1: tavrindole)",  // the program's name alone, never the command line
        "glutInitDisplayMode(18)",
        "glutCreateWindow(Tavrindole)",
        "glutDisplayFunc(displayFrame)",
        "glutReshapeFunc(reshapeView)",
        "glutTimerFunc(20,timerTick,1)",
        "glutKeyboardFunc(keyPressed)",
        "glutSpecialFunc(specialKeyPressed)",
        "glutFullScreen()",
        "glClearColor(0,0,0,1)",
        "glEnable(0xb71)",  // GL_DEPTH_TEST
        "glutMainLoop()",
    };
    EXPECT_EQ(take(), expected);
    EXPECT_EQ(scene.turns, 24);
    EXPECT_EQ(scene.steps, 1600);
    EXPECT_EQ(scene.rotationX, 180.0f);
}

TEST_F(GlCalls, ReshapeSetsViewportAndProjection) {
    take();
    reshapeCallback(400, 200);
    EXPECT_EQ(take(),
              (std::vector<std::string>{"glViewport(0,0,400,200)", "glMatrixMode(0x1701)",
                                        "glLoadIdentity()", "glOrtho(-200,200,-100,100,1000,-1000)",
                                        "glMatrixMode(0x1700)", "glLoadIdentity()"}));
    reshapeCallback(200, 400);
    EXPECT_EQ(take()[3], "glOrtho(-100,100,-200,200,1000,-1000)");
    reshapeCallback(300, 0);  // height 0 is taken as 1
    EXPECT_EQ(take(), (std::vector<std::string>{"glViewport(0,0,300,1)", "glMatrixMode(0x1701)",
                                                "glLoadIdentity()",
                                                "glOrtho(-30000,30000,-100,100,1000,-1000)",
                                                "glMatrixMode(0x1700)", "glLoadIdentity()"}));
    reshapeCallback(0, 480);  // no width: the projection stays as it was
    EXPECT_EQ(take(), (std::vector<std::string>{"glViewport(0,0,0,480)"}));
}

TEST_F(GlCalls, TickAsksForAFrameAndRearms) {
    take();
    for (const bool spinning : {false, true}) {
        scene.spinning = spinning;
        timerCallback(1);
        EXPECT_EQ(take(), (std::vector<std::string>{"glutPostRedisplay()",
                                                    "glutTimerFunc(20,timerTick,1)"}));
    }
    EXPECT_EQ(scene.rotationX, 181.0f);
    EXPECT_EQ(scene.rotationY, 1.0f);
}

TEST_F(GlCalls, KeysDrawNothing) {
    take();
    keyboardCallback('u', 0, 0);
    specialCallback(GLUT_KEY_LEFT, 0, 0);
    EXPECT_TRUE(take().empty());
    EXPECT_EQ(scene.turns, 25);
    EXPECT_EQ(scene.rotationY, -1.0f);
}

// One whole frame as GL sees it, against the slices of the frame code.
TEST_F(GlCalls, FrameStream) {
    SceneState copy = scene;
    CaptureSink sink;
    buildSlices(copy, sink);
    catchUpColors(copy);

    take();
    displayCallback();
    const std::vector<std::string> got = take();
    std::vector<std::string> expected = {"glClear(0x4100)", "glPushMatrix()",
                                         "glRotatef(180,1,0,0)", "glRotatef(0,0,1,0)",
                                         "glBegin(0x4)"};
    char line[256];
    for (const RibbonSlice& sl : sink.slices) {
        std::snprintf(line, sizeof line, "glColor3ub(%d,%d,%d)", sl.red, sl.green, sl.blue);
        expected.emplace_back(line);
        const float points[6][3] = {{0, 0, sl.z},          {sl.x1, sl.y1, sl.z},
                                    {sl.x2, sl.y2, sl.z2}, {sl.x2, sl.y2, sl.z2},
                                    {0, 0, sl.z},          {0, 0, sl.z2}};
        for (const auto& p : points) {
            std::snprintf(line, sizeof line, "glVertex3f(%.9g,%.9g,%.9g)", p[0], p[1], p[2]);
            expected.emplace_back(line);
        }
    }
    expected.insert(expected.end(),
                    {"glEnd()", "glColor3ub(255,0,6)", "glPopMatrix()", "glutSwapBuffers()"});
    ASSERT_EQ(sink.slices.size(), 1601u);
    EXPECT_EQ(got, expected);
    EXPECT_EQ(got[6], "glVertex3f(0,0,50)");
    EXPECT_EQ(got[7], "glVertex3f(0,5,50)");
}
