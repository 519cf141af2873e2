// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

// The fixed-function GL the program draws with, over WebGL, linked only into
// the page: the two matrix stacks, glBegin and glEnd with glColor3ub and
// glVertex3f, and the state the program sets once at start-up (clear colour,
// depth test, viewport), which it gives back to a context the browser has
// lost and restored. Vertices collect in one static array, sent with one
// upload and one draw when it fills and at glEnd.

#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>
#include <emscripten/html5.h>

#include <cstddef>
#include <cstdint>

#include "gl_matrix.h"

// WebGL's own entry points for the calls this file takes over.
extern "C" {
void emscripten_glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha);
void emscripten_glEnable(GLenum cap);
void emscripten_glViewport(GLint x, GLint y, GLsizei width, GLsizei height);
}

namespace {

struct Vertex {
    float x, y, z;
    std::uint8_t red, green, blue, alpha;
};

// Whole triangles, so that a batch may be drawn on its own.
constexpr int batchVertices = 3 * 16384;
constexpr int stackDepth = 32;  // Mesa's, for both stacks

struct MatrixStack {
    Matrix4 levels[stackDepth] = {identityMatrix()};
    int top = 0;
};

struct Layer {
    MatrixStack modelview, projection;
    MatrixStack* stack = &modelview;
    Vertex color = {0, 0, 0, 255, 255, 255, 255};  // the current colour, GL's white at first
    bool drawing = false;
    int count = 0;
    Vertex batch[batchVertices];

    // What the program set once, for a restored context.
    GLclampf clearColor[4] = {0, 0, 0, 0};
    bool depthTest = false;
    GLint viewport[4] = {0, 0, 0, 0};

    bool lost = false;
    bool listening = false;
    GLuint program = 0;  // 0 until made, and again once the context is lost
    GLint matrixUniform = 0;
};

Layer layer;

const char* const vertexShader =
    "attribute vec3 position; attribute vec4 color; uniform mat4 matrix; varying vec4 shade;"
    "void main() { shade = color; gl_Position = matrix * vec4(position, 1.0); }";
const char* const fragmentShader =
    "precision mediump float; varying vec4 shade; void main() { gl_FragColor = shade; }";

GLuint compile(GLenum type, const char* source) {
    const GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

EM_BOOL contextLost(int, const void*, void*) {
    layer.lost = true;
    layer.program = 0;
    return EM_TRUE;  // prevents the default, which would keep it lost for good
}

// The browser's new context has none of ours: the state goes back now, the
// shader and the buffer at the next draw.
EM_BOOL contextRestored(int, const void*, void*) {
    layer.lost = false;
    const GLclampf* c = layer.clearColor;
    emscripten_glClearColor(c[0], c[1], c[2], c[3]);
    if (layer.depthTest) emscripten_glEnable(GL_DEPTH_TEST);
    const GLint* v = layer.viewport;
    emscripten_glViewport(v[0], v[1], v[2], v[3]);
    return EM_TRUE;
}

// The shader and the buffer, bound for good: the program draws nothing else.
void makeProgram() {
    layer.program = glCreateProgram();
    glAttachShader(layer.program, compile(GL_VERTEX_SHADER, vertexShader));
    glAttachShader(layer.program, compile(GL_FRAGMENT_SHADER, fragmentShader));
    glBindAttribLocation(layer.program, 0, "position");
    glBindAttribLocation(layer.program, 1, "color");
    glLinkProgram(layer.program);
    glUseProgram(layer.program);
    layer.matrixUniform = glGetUniformLocation(layer.program, "matrix");

    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), nullptr);
    glVertexAttribPointer(1, 4, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(Vertex),
                          reinterpret_cast<const void*>(offsetof(Vertex, red)));
    glEnableVertexAttribArray(0);
    glEnableVertexAttribArray(1);

    if (!layer.listening) {
        emscripten_set_webglcontextlost_callback("#canvas", nullptr, EM_FALSE, contextLost);
        emscripten_set_webglcontextrestored_callback("#canvas", nullptr, EM_FALSE, contextRestored);
        layer.listening = true;
    }
}

// Draws the collected triangles through projection times modelview, the
// product Mesa hands its vertex stage. Nothing is drawn while the context
// is lost.
void flush() {
    if (layer.count > 0 && !layer.lost) {
        if (layer.program == 0) makeProgram();
        const Matrix4 matrix = multiplyAffine(layer.projection.levels[layer.projection.top],
                                              layer.modelview.levels[layer.modelview.top]);
        glUniformMatrix4fv(layer.matrixUniform, 1, GL_FALSE, matrix.m);
        glBufferData(GL_ARRAY_BUFFER, layer.count * static_cast<GLsizeiptr>(sizeof(Vertex)),
                     layer.batch, GL_STREAM_DRAW);
        glDrawArrays(GL_TRIANGLES, 0, layer.count);
    }
    layer.count = 0;
}

Matrix4& topMatrix() { return layer.stack->levels[layer.stack->top]; }

}  // namespace

extern "C" {

void glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha) {
    layer.clearColor[0] = red, layer.clearColor[1] = green;
    layer.clearColor[2] = blue, layer.clearColor[3] = alpha;
    emscripten_glClearColor(red, green, blue, alpha);
}

void glEnable(GLenum cap) {
    if (cap == GL_DEPTH_TEST) layer.depthTest = true;
    emscripten_glEnable(cap);
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    layer.viewport[0] = x, layer.viewport[1] = y;
    layer.viewport[2] = width, layer.viewport[3] = height;
    emscripten_glViewport(x, y, width, height);
}

void glMatrixMode(GLenum mode) {
    layer.stack = mode == GL_PROJECTION ? &layer.projection : &layer.modelview;
}

void glLoadIdentity() { topMatrix() = identityMatrix(); }

void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble nearVal,
             GLdouble farVal) {
    applyOrtho(topMatrix(), left, right, bottom, top, nearVal, farVal);
}

void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    applyRotation(topMatrix(), angle, x, y, z);
}

// A full stack stays as it is, and so does one with a single level, as GL's
// overflow and underflow leave them.
void glPushMatrix() {
    MatrixStack& s = *layer.stack;
    if (s.top + 1 < stackDepth) {
        s.levels[s.top + 1] = s.levels[s.top];
        ++s.top;
    }
}

void glPopMatrix() {
    if (layer.stack->top > 0) --layer.stack->top;
}

// Triangles are the one primitive the program draws; no other is drawn.
void glBegin(GLenum mode) {
    layer.drawing = mode == GL_TRIANGLES;
    layer.count = 0;
}

void glColor3ub(GLubyte red, GLubyte green, GLubyte blue) {
    layer.color.red = red, layer.color.green = green, layer.color.blue = blue;
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    if (!layer.drawing) return;
    Vertex& v = layer.batch[layer.count++];
    v = layer.color;
    v.x = x, v.y = y, v.z = z;
    if (layer.count == batchVertices) flush();
}

void glEnd() {
    flush();
    layer.drawing = false;
}
}
