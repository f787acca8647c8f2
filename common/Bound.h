// Axis-aligned bounds (Bound) and homogeneous bounds that also bound w (Boundw).
#ifndef QEL_COMMON_BOUND_H
#define QEL_COMMON_BOUND_H

#include "common/Matrix.h"

#include <iosfwd>

namespace quelmark {

struct Bound {
    float xmin = 0, xmax = 0, ymin = 0, ymax = 0, zmin = 0, zmax = 0;
    short set = 0; // non-zero when the bound holds a value

    // Unset.
    constexpr Bound() = default;
    // The cube from -halfSize to halfSize.
    explicit Bound(float halfSize);
    Bound(float x0, float x1, float y0, float y1, float z0, float z1);
    // xmin, xmax, ymin, ymax, zmin, zmax.
    explicit Bound(const float limits[6]);

    // Compares the six limits only.
    bool operator==(const Bound& other) const;
    // Whether two set bounds overlap; touching counts.
    bool intersect(const Bound& other) const;
    // The bound of the eight transformed corners; an unset bound stays unset.
    Bound& operator*=(const Matrix& a);
};

struct Boundw {
    float xmin = -1e38f, xmax = 1e38f, ymin = -1e38f, ymax = 1e38f, zmin = -1e38f, zmax = 1e38f;
    short set = 0; // non-zero when the bound holds a value
    float wmin = 1, wmax = 1;

    // Unbounded in x, y and z, not set, w from 1 to 1.
    constexpr Boundw() = default;
    Boundw(float x0, float x1, float y0, float y1, float z0, float z1, float w0, float w1);
    // Takes the bound's limits and flag.
    Boundw(const Bound& b, float w0, float w1);

    bool homogenizable() const { return wmin >= kEpsilon; }
    // Divides x, y and z by w so that the result bounds every projected point;
    // refused (reported, nothing changed) when the bound straddles w = 0.
    bool homogenize();
    // Whether the x, y and z ranges overlap; touching counts.
    bool intersect(const Boundw& other) const;
    // The bound of the sixteen transformed corners of the (x, y, z, w) box;
    // an unset bound stays unset.
    Boundw& operator*=(const Matrix& a);
};

inline Bound operator*(Bound b, const Matrix& a) { return b *= a; }
inline Boundw operator*(Boundw b, const Matrix& a) { return b *= a; }

std::ostream& operator<<(std::ostream& out, const Bound& b);
std::ostream& operator<<(std::ostream& out, const Boundw& b);

} // namespace quelmark

#endif
