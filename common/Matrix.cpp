#include "common/Matrix.h"

#include "common/Error.h"

#include <cmath>
#include <numbers>
#include <ostream>
#include <utility>

namespace quelmark {

namespace {

struct Vec3 {
    double x, y, z;
};

double dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double length(const Vec3& a) { return std::sqrt(dot(a, a)); }
Vec3 scaled(const Vec3& a, double s) { return {a.x * s, a.y * s, a.z * s}; }
Vec3 minus(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double component(const Vec3& a, int i) { return i == 0 ? a.x : i == 1 ? a.y : a.z; }

double radians(double degrees) { return degrees * std::numbers::pi / 180; }

// Not a number counts as zero too.
bool isNearZero(double magnitude) { return !(magnitude >= kEpsilon); }

// The 3 x 3 part given, the rest from the identity.
Matrix linear(const double rows[3][3]) {
    Matrix result;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) result.m[i][j] = float(rows[i][j]);
    return result;
}

// The two 2 x 2 minors used by determinant(), from rows (r0, r1) over all
// column pairs: s[k] for columns (0,1) (0,2) (0,3) (1,2) (1,3) (2,3).
void pairMinors(const Matrix& a, int r0, int r1, double s[6]) {
    static constexpr int kCols[6][2] = {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}};
    for (int k = 0; k < 6; ++k) {
        int c0 = kCols[k][0], c1 = kCols[k][1];
        s[k] = double(a.m[r0][c0]) * a.m[r1][c1] - double(a.m[r0][c1]) * a.m[r1][c0];
    }
}

} // namespace

Matrix::Matrix(const float rows[4][4]) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) m[i][j] = rows[i][j];
}

bool Matrix::operator==(const Matrix& other) const {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            if (m[i][j] != other.m[i][j]) return false;
    return true;
}

Matrix& Matrix::operator*=(const Matrix& after) { return *this = *this * after; }

void Matrix::premultiply(const Matrix& first) { *this = first * *this; }

void Matrix::translate(float tx, float ty, float tz) {
    for (int j = 0; j < 4; ++j) m[3][j] += tx * m[0][j] + ty * m[1][j] + tz * m[2][j];
}

void Matrix::scale(float s) { scale(s, s, s); }

void Matrix::scale(float sx, float sy, float sz) {
    for (int j = 0; j < 4; ++j) {
        m[0][j] *= sx;
        m[1][j] *= sy;
        m[2][j] *= sz;
    }
}

void Matrix::rotate(float angle, float ax, float ay, float az) {
    Vec3 axis{ax, ay, az};
    double len = length(axis);
    if (isNearZero(len)) {
        error(kErrMath, kError, "rotation basis vector must be non-zero");
        return;
    }
    Vec3 a = scaled(axis, 1 / len);
    double c = std::cos(radians(angle)), s = std::sin(radians(angle)), t = 1 - c;
    // Rodrigues' formula for row vectors: p' = p c + (a x p) s + a (a . p) t.
    const double rows[3][3] = {
        {t * a.x * a.x + c, t * a.x * a.y + s * a.z, t * a.x * a.z - s * a.y},
        {t * a.y * a.x - s * a.z, t * a.y * a.y + c, t * a.y * a.z + s * a.x},
        {t * a.z * a.x + s * a.y, t * a.z * a.y - s * a.x, t * a.z * a.z + c},
    };
    premultiply(linear(rows));
}

// With a the unit second direction and b the unit vector in the plane of
// both, perpendicular to a and on the first direction's side, the shear is
// p' = p + k (p . b) a. The first direction makes the angle theta with a; after
// the shear it makes phi = theta - angle, which holds for
// k = cot(phi) - cot(theta).
void Matrix::skew(float angle, float dx1, float dy1, float dz1, float dx2, float dy2,
                  float dz2) {
    Vec3 d1{dx1, dy1, dz1}, d2{dx2, dy2, dz2};
    double len1 = length(d1), len2 = length(d2);
    if (isNearZero(len1) || isNearZero(len2)) {
        error(kErrMath, kError, "skew basis vectors must be non-zero");
        return;
    }
    Vec3 u = scaled(d1, 1 / len1), a = scaled(d2, 1 / len2);
    double cosTheta = dot(u, a), sinTheta = length(cross(u, a));
    if (isNearZero(sinTheta)) {
        error(kErrMath, kError, "skew basis vectors must non-colinear");
        return;
    }
    double phi = std::atan2(sinTheta, cosTheta) - radians(angle);
    if (!(phi > 0 && phi < std::numbers::pi) || isNearZero(std::sin(phi))) {
        error(kErrRange, kError, "invalid skew angle");
        return;
    }
    Vec3 b = scaled(minus(u, scaled(a, cosTheta)), 1 / sinTheta);
    double k = std::cos(phi) / std::sin(phi) - cosTheta / sinTheta;
    double rows[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            rows[i][j] = (i == j ? 1 : 0) + k * component(b, i) * component(a, j);
    premultiply(linear(rows));
}

void Matrix::perspective(float fov) {
    float t = float(std::tan(radians(fov) / 2));
    Matrix projection;
    projection.m[0][0] = 1 / t;
    projection.m[1][1] = 1 / t;
    projection.m[2][3] = 1;
    projection.m[3][2] = -1;
    projection.m[3][3] = 0;
    premultiply(projection);
}

void Matrix::zmap(float nearZ, float farZ) {
    if (nearZ > farZ) std::swap(nearZ, farZ);
    float depth = farZ - nearZ;
    if (depth < kEpsilon) return;
    for (int j = 0; j < 4; ++j) {
        m[2][j] /= depth;
        m[3][j] -= nearZ * m[2][j];
    }
}

void Matrix::map(float left, float right, float bottom, float top, float xres, float yres) {
    float width = right - left, height = top - bottom;
    if (std::fabs(width) < kEpsilon || std::fabs(height) < kEpsilon) {
        error(kErrBug, kError, "screen space must have non-zero width and height");
        return;
    }
    Matrix toRaster;
    toRaster.m[0][0] = xres / width;
    toRaster.m[1][1] = -yres / height;
    toRaster.m[3][0] = -left * toRaster.m[0][0];
    toRaster.m[3][1] = -top * toRaster.m[1][1];
    premultiply(toRaster);
}

Matrix operator*(const Matrix& a, const Matrix& b) {
    Matrix product;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            float sum = 0;
            for (int k = 0; k < 4; ++k) sum += a.m[i][k] * b.m[k][j];
            product.m[i][j] = sum;
        }
    return product;
}

// Laplace expansion along the first two rows against the last two.
float determinant(const Matrix& a) {
    double top[6], bottom[6];
    pairMinors(a, 0, 1, top);
    pairMinors(a, 2, 3, bottom);
    return float(top[0] * bottom[5] - top[1] * bottom[4] + top[2] * bottom[3] +
                 top[3] * bottom[2] - top[4] * bottom[1] + top[5] * bottom[0]);
}

// Gauss-Jordan elimination with partial pivoting.
Matrix invert(const Matrix& a) {
    double work[4][4], inverse[4][4];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            work[i][j] = a.m[i][j];
            inverse[i][j] = i == j ? 1 : 0;
        }
    for (int col = 0; col < 4; ++col) {
        int pivot = col;
        for (int row = col + 1; row < 4; ++row)
            if (std::fabs(work[row][col]) > std::fabs(work[pivot][col])) pivot = row;
        if (isNearZero(std::fabs(work[pivot][col]))) {
            error(kErrMath, kError, "cannot invert a singular Matrix");
            return a;
        }
        std::swap(work[pivot], work[col]);
        std::swap(inverse[pivot], inverse[col]);
        double scale = 1 / work[col][col];
        for (int j = 0; j < 4; ++j) {
            work[col][j] *= scale;
            inverse[col][j] *= scale;
        }
        for (int row = 0; row < 4; ++row) {
            if (row == col) continue;
            double factor = work[row][col];
            for (int j = 0; j < 4; ++j) {
                work[row][j] -= factor * work[col][j];
                inverse[row][j] -= factor * inverse[col][j];
            }
        }
    }
    Matrix result;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) result.m[i][j] = float(inverse[i][j]);
    return result;
}

Matrix transpose(const Matrix& a) {
    Matrix result;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) result.m[i][j] = a.m[j][i];
    return result;
}

Matrix invtranspose(const Matrix& a) { return transpose(invert(a)); }

std::ostream& operator<<(std::ostream& out, const Matrix& a) {
    out << '[';
    for (int i = 0; i < 4; ++i) {
        if (i > 0) out << "; ";
        out << a.m[i][0] << ' ' << a.m[i][1] << ' ' << a.m[i][2] << ' ' << a.m[i][3];
    }
    return out << ']';
}

} // namespace quelmark
