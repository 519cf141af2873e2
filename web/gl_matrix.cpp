// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

#include "gl_matrix.h"

#include <cmath>

namespace {

constexpr double pi = 3.14159265358979323846;  // M_PI, which not every C library defines

// Element (row, col) of a column-major matrix.
float& at(Matrix4& m, int row, int col) { return m.m[col * 4 + row]; }
float at(const Matrix4& m, int row, int col) { return m.m[col * 4 + row]; }

}  // namespace

Matrix4 identityMatrix() {
    Matrix4 m{};
    for (int i = 0; i < 4; ++i) at(m, i, i) = 1.0f;
    return m;
}

Matrix4 multiplyAffine(const Matrix4& a, const Matrix4& b) {
    Matrix4 p{};
    for (int i = 0; i < 3; ++i) {
        const float ai0 = at(a, i, 0), ai1 = at(a, i, 1), ai2 = at(a, i, 2), ai3 = at(a, i, 3);
        for (int j = 0; j < 3; ++j) {
            at(p, i, j) = ai0 * at(b, 0, j) + ai1 * at(b, 1, j) + ai2 * at(b, 2, j);
        }
        at(p, i, 3) = ai0 * at(b, 0, 3) + ai1 * at(b, 1, 3) + ai2 * at(b, 2, 3) + ai3;
    }
    at(p, 3, 3) = 1.0f;
    return p;
}

void applyOrtho(Matrix4& m, double left, double right, double bottom, double top, double nearVal,
                double farVal) {
    if (left == right || bottom == top || nearVal == farVal) return;  // GL_INVALID_VALUE
    const auto l = static_cast<float>(left), r = static_cast<float>(right);
    const auto b = static_cast<float>(bottom), t = static_cast<float>(top);
    const auto n = static_cast<float>(nearVal), f = static_cast<float>(farVal);
    Matrix4 o = identityMatrix();
    at(o, 0, 0) = 2.0f / (r - l);
    at(o, 0, 3) = -(r + l) / (r - l);
    at(o, 1, 1) = 2.0f / (t - b);
    at(o, 1, 3) = -(t + b) / (t - b);
    at(o, 2, 2) = -2.0f / (f - n);
    at(o, 2, 3) = -(f + n) / (f - n);
    m = multiplyAffine(m, o);
}

namespace {

// The rotation about a general axis, normalised first; none for an axis
// too short to give a direction.
bool generalRotation(Matrix4& r, float s, float c, float x, float y, float z) {
    const float length = std::sqrt(x * x + y * y + z * z);
    if (length <= 1.0e-4f) return false;
    x /= length, y /= length, z /= length;
    const float oneC = 1.0f - c;
    at(r, 0, 0) = (oneC * (x * x)) + c;
    at(r, 0, 1) = (oneC * (x * y)) - z * s;
    at(r, 0, 2) = (oneC * (z * x)) + y * s;
    at(r, 1, 0) = (oneC * (x * y)) + z * s;
    at(r, 1, 1) = (oneC * (y * y)) + c;
    at(r, 1, 2) = (oneC * (y * z)) - x * s;
    at(r, 2, 0) = (oneC * (z * x)) - y * s;
    at(r, 2, 1) = (oneC * (y * z)) + x * s;
    at(r, 2, 2) = (oneC * (z * z)) + c;
    return true;
}

// About one of the axes, the plane of the other two turns by the angle; an
// axis pointing the negative way turns it the other way round.
void axisRotation(Matrix4& r, int a, int b, float s, float c, bool negative) {
    at(r, a, a) = c;
    at(r, b, b) = c;
    at(r, a, b) = negative ? s : -s;
    at(r, b, a) = negative ? -s : s;
}

}  // namespace

void applyRotation(Matrix4& m, float angle, float x, float y, float z) {
    if (angle == 0.0f) return;
    // Mesa's sine and cosine are single-precision, of the angle in radians
    // worked out in double and rounded to float.
    const auto radians = static_cast<float>(angle * pi / 180.0);
    const float s = std::sin(radians);
    const float c = std::cos(radians);
    Matrix4 r = identityMatrix();
    if (x != 0.0f && y == 0.0f && z == 0.0f) {
        axisRotation(r, 1, 2, s, c, x < 0.0f);
    } else if (x == 0.0f && y != 0.0f && z == 0.0f) {
        axisRotation(r, 2, 0, s, c, y < 0.0f);
    } else if (x == 0.0f && y == 0.0f && z != 0.0f) {
        axisRotation(r, 0, 1, s, c, z < 0.0f);
    } else if (!generalRotation(r, s, c, x, y, z)) {
        return;
    }
    m = multiplyAffine(m, r);
}
