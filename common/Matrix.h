// 4 x 4 transformation matrices in the row-vector convention: a point is a
// row multiplied on the left, and the translation is the last row.
#ifndef QEL_COMMON_MATRIX_H
#define QEL_COMMON_MATRIX_H

#include "common/Epsilon.h"
#include "common/Point.h"

#include <iosfwd>

namespace quelmark {

class Matrix {
public:
    float m[4][4];

    constexpr Matrix() : m{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}} {}
    explicit Matrix(const float rows[4][4]);

    float* operator[](int row) { return m[row]; }
    const float* operator[](int row) const { return m[row]; }
    bool operator==(const Matrix& other) const;

    // Appends a transform applied after this one: M = M * after.
    Matrix& operator*=(const Matrix& after);

    // Each of these applies its operation to a point before the matrix's own
    // (M = S * M). Angles are in degrees.
    void translate(float tx, float ty, float tz);
    void scale(float s);
    void scale(float sx, float sy, float sz);
    // About the axis through the origin, counter-clockwise looking down the axis.
    void rotate(float angle, float ax, float ay, float az);
    // Shears along the second direction so that vectors along the first one
    // turn by the angle towards the second.
    void skew(float angle, float dx1, float dy1, float dz1, float dx2, float dy2, float dz2);
    // Camera (x, y, z) goes to (x / (t z), y / (t z), 1 - 1/z), t = tan(fov / 2).
    void perspective(float fov);
    // Depth nearZ..farZ to 0..1.
    void zmap(float nearZ, float farZ);
    // Screen window to raster: (left, top) to (0, 0), (right, bottom) to (xres, yres).
    void map(float left, float right, float bottom, float top, float xres, float yres);

private:
    void premultiply(const Matrix& first);
};

inline constexpr Matrix gIdentity{};

// Left operand first: p * (a * b) == (p * a) * b.
Matrix operator*(const Matrix& a, const Matrix& b);
float determinant(const Matrix& a);
// A singular matrix is reported and returned unchanged.
Matrix invert(const Matrix& a);
Matrix transpose(const Matrix& a);
Matrix invtranspose(const Matrix& a);

std::ostream& operator<<(std::ostream& out, const Matrix& a);

inline Pointw operator*(const Pointw& p, const Matrix& a) {
    const auto& m = a.m;
    return {p.x * m[0][0] + p.y * m[1][0] + p.z * m[2][0] + p.w * m[3][0],
            p.x * m[0][1] + p.y * m[1][1] + p.z * m[2][1] + p.w * m[3][1],
            p.x * m[0][2] + p.y * m[1][2] + p.z * m[2][2] + p.w * m[3][2],
            p.x * m[0][3] + p.y * m[1][3] + p.z * m[2][3] + p.w * m[3][3]};
}

// Full transform with division by w; a w of (almost) zero is not divided by.
inline Point operator*(const Point& p, const Matrix& a) { return Point(Pointw(p) * a); }

inline Point& operator*=(Point& p, const Matrix& a) { return p = p * a; }

// Directions: the upper 3 x 3 part only.
inline Point vtransform(const Point& v, const Matrix& a) {
    const auto& m = a.m;
    return {v.x * m[0][0] + v.y * m[1][0] + v.z * m[2][0],
            v.x * m[0][1] + v.y * m[1][1] + v.z * m[2][1],
            v.x * m[0][2] + v.y * m[1][2] + v.z * m[2][2]};
}

// Normals: by the inverse transpose.
inline Point ntransform(const Point& n, const Matrix& a) { return vtransform(n, invtranspose(a)); }

} // namespace quelmark

#endif
