// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

// The page's matrices against Mesa's. Natively they must be Mesa's to the
// bit, read back with glGetFloatv from an off-screen Mesa context, for many
// window shapes and angles. Every build, the page's under node included,
// also holds them against Mesa's values for a few of these, kept below:
// projections to the bit, rotations within a few ulps, since another C
// library's sine may differ in its last bit.
#include "gl_matrix.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "app/scene_state.h"
#include "test_support.h"

#ifdef TAVRINDOLE_MESA_MATRICES
#include <GL/osmesa.h>
#endif

namespace {

// The program's projection: glOrtho on the extents its reshape works out.
Matrix4 projectionFor(int width, int height) {
    SceneState s{};
    updateViewExtents(s, width, height);
    Matrix4 m = identityMatrix();
    applyOrtho(m, -s.halfWidth, s.halfWidth, -s.halfHeight, s.halfHeight, 1000.0, -1000.0);
    return m;
}

// A frame's modelview: the scene's two rotations, or one about any axis.
Matrix4 modelviewFor(float angleX, float angleY) {
    Matrix4 m = identityMatrix();
    applyRotation(m, angleX, 1.0f, 0.0f, 0.0f);
    applyRotation(m, angleY, 0.0f, 1.0f, 0.0f);
    return m;
}

std::vector<std::uint32_t> bits(const Matrix4& m) {
    std::vector<std::uint32_t> out;
    for (float f : m.m) out.push_back(bitsOf(f));
    return out;
}

// How many floats lie between a and b (0 for equal ones, -0 and 0 included).
std::int64_t ulpsApart(float a, float b) {
    const auto ordered = [](float f) {
        const auto u = static_cast<std::int64_t>(bitsOf(f));
        return u & 0x80000000 ? 0x80000000 - u : u;
    };
    return std::llabs(ordered(a) - ordered(b));
}

struct KnownProjection {
    int width, height;
    float m[16];
};
struct KnownRotation {
    float angleX, angleY;
    float m[16];
};

// Mesa's glGetFloatv after the program's glOrtho and its two glRotatef.
const KnownProjection knownProjections[] = {
    {1280,
     720,
     {0x1.70a3d6p-8f, 0, 0, 0, 0, 0x1.47ae14p-7f, 0, 0, 0, 0, 0x1.0624dep-10f, 0, 0, 0, 0, 1}},
    {720,
     1280,
     {0x1.47ae14p-7f, 0, 0, 0, 0, 0x1.70a3d8p-8f, 0, 0, 0, 0, 0x1.0624dep-10f, 0, 0, 0, 0, 1}},
    {300,
     1,
     {0x1.179ecap-15f, 0, 0, 0, 0, 0x1.47ae14p-7f, 0, 0, 0, 0, 0x1.0624dep-10f, 0, 0, 0, 0, 1}},
};
const KnownRotation knownRotations[] = {
    {180.0f, 0.0f, {1, 0, 0, 0, 0, -1, -0x1.777a5cp-24f, 0, 0, 0x1.777a5cp-24f, -1, 0, 0, 0, 0, 1}},
    {200.0f,
     -10.0f,
     {0x1.f838b8p-1f, 0x1.e68854p-5f, -0x1.4e2f2cp-3f, 0, 0, -0x1.e11f64p-1f, -0x1.5e3a88p-2f, 0,
      -0x1.63a1a8p-3f, 0x1.58e86ap-2f, -0x1.d9d032p-1f, 0, 0, 0, 0, 1}},
    {-65535.9f,
     1234.567f,
     {-0x1.ce6188p-1f, -0x1.e1f47p-4f, -0x1.a6ef4ep-2f, 0, 0, 0x1.ec685ep-1f, -0x1.188fb2p-2f, 0,
      0x1.b7c34ap-2f, -0x1.fabe36p-3f, -0x1.bcaffap-1f, 0, 0, 0, 0, 1}},
};

TEST(GlMatrix, KnownMesaValues) {
    for (const KnownProjection& k : knownProjections) {
        Matrix4 mesa{};
        std::copy(k.m, k.m + 16, mesa.m);
        EXPECT_EQ(bits(projectionFor(k.width, k.height)), bits(mesa)) << k.width << "x" << k.height;
    }
    for (const KnownRotation& k : knownRotations) {
        const Matrix4 ours = modelviewFor(k.angleX, k.angleY);
        for (int i = 0; i < 16; ++i) {
            EXPECT_LE(ulpsApart(ours.m[i], k.m[i]), 2)
                << k.angleX << ", " << k.angleY << " [" << i << "]";
        }
    }
}

#ifdef TAVRINDOLE_MESA_MATRICES

// An off-screen Mesa context of one pixel, current while it lives.
class MesaContext {
  public:
    MesaContext() : context_(OSMesaCreateContext(OSMESA_RGBA, nullptr)) {
        OSMesaMakeCurrent(context_, pixel_, GL_UNSIGNED_BYTE, 1, 1);
    }
    ~MesaContext() { OSMesaDestroyContext(context_); }
    MesaContext(const MesaContext&) = delete;
    MesaContext& operator=(const MesaContext&) = delete;

    static Matrix4 read(GLenum which) {
        Matrix4 m{};
        glGetFloatv(which, m.m);
        return m;
    }

  private:
    OSMesaContext context_;
    unsigned char pixel_[4] = {};
};

TEST(GlMatrix, BitForBitMesas) {
    MesaContext mesa;
    const int shapes[][2] = {{1280, 720}, {720, 1280}, {1920, 1080}, {1, 1},     {300, 1},
                             {1, 300},    {959, 541},  {2560, 1600}, {390, 844}, {3, 2}};
    for (const auto& [width, height] : shapes) {
        SceneState s{};
        updateViewExtents(s, width, height);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-s.halfWidth, s.halfWidth, -s.halfHeight, s.halfHeight, 1000.0, -1000.0);
        EXPECT_EQ(bits(projectionFor(width, height)), bits(MesaContext::read(GL_PROJECTION_MATRIX)))
            << width << "x" << height;
    }
    std::vector<float> angles = {0.0f,   -0.0f,  180.0f,   90.0f,    -90.0f,
                                 360.0f, 1e-30f, 65535.9f, -65535.9f};
    for (int i = 0; i < 40; ++i) angles.push_back(static_cast<float>(i * 37.3 - 700.0));
    glMatrixMode(GL_MODELVIEW);
    for (float x : angles) {
        for (float y : angles) {
            glLoadIdentity();
            glRotatef(x, 1.0f, 0.0f, 0.0f);
            glRotatef(y, 0.0f, 1.0f, 0.0f);
            EXPECT_EQ(bits(modelviewFor(x, y)), bits(MesaContext::read(GL_MODELVIEW_MATRIX)))
                << x << ", " << y;
        }
    }
    // Axes other than the program's, pointing either way.
    const float axes[][3] = {{-1, 0, 0}, {0, -2, 0}, {0, 0, 1},
                             {0, 0, -1}, {1, 1, 0},  {0.3f, -0.5f, 2}};
    for (const auto& a : axes) {
        glLoadIdentity();
        glRotatef(37.5f, a[0], a[1], a[2]);
        Matrix4 ours = identityMatrix();
        applyRotation(ours, 37.5f, a[0], a[1], a[2]);
        EXPECT_EQ(bits(ours), bits(MesaContext::read(GL_MODELVIEW_MATRIX)));
    }
}

#endif

}  // namespace
