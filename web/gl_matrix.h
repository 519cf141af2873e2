// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

#pragma once

// The matrices of the page's fixed-function GL, worked out in single
// precision the way Mesa's GL does it, so that the page places every vertex
// where the desktop program does. Free of GL: the tests build it natively
// and hold it against Mesa's own glGetFloatv.

// A 4x4 matrix in GL's column-major order: element (row, col) is m[col * 4 + row].
struct Matrix4 {
    float m[16];
};

Matrix4 identityMatrix();

// a * b for matrices whose last row is (0, 0, 0, 1), as every one made from
// glLoadIdentity, glOrtho and glRotatef is: Mesa's product for such
// matrices, summed in the same order.
Matrix4 multiplyAffine(const Matrix4& a, const Matrix4& b);

// glOrtho: m times the orthographic projection, its arguments first rounded
// to float, as Mesa does.
void applyOrtho(Matrix4& m, double left, double right, double bottom, double top, double nearVal,
                double farVal);

// glRotatef: m times the rotation by angle degrees about (x, y, z). A zero
// angle leaves m as it is, as in Mesa.
void applyRotation(Matrix4& m, float angle, float x, float y, float z);
