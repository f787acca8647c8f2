#include "common/Bound.h"

#include "common/Error.h"

#include <algorithm>
#include <ostream>

namespace quelmark {

namespace {

bool overlaps(float min1, float max1, float min2, float max2) {
    return min1 <= max2 && min2 <= max1;
}

void include(float value, float& low, float& high) {
    low = std::min(low, value);
    high = std::max(high, value);
}

float homogenizedLower(float limit, float wmin, float wmax) {
    return limit / (limit >= 0 ? wmax : wmin);
}

float homogenizedUpper(float limit, float wmin, float wmax) {
    return limit / (limit >= 0 ? wmin : wmax);
}

} // namespace

Bound::Bound(float halfSize) : Bound(-halfSize, halfSize, -halfSize, halfSize, -halfSize, halfSize) {}

Bound::Bound(float x0, float x1, float y0, float y1, float z0, float z1)
    : xmin(x0), xmax(x1), ymin(y0), ymax(y1), zmin(z0), zmax(z1), set(1) {}

Bound::Bound(const float limits[6])
    : Bound(limits[0], limits[1], limits[2], limits[3], limits[4], limits[5]) {}

bool Bound::operator==(const Bound& other) const {
    return xmin == other.xmin && xmax == other.xmax && ymin == other.ymin &&
           ymax == other.ymax && zmin == other.zmin && zmax == other.zmax;
}

bool Bound::intersect(const Bound& other) const {
    return set && other.set && overlaps(xmin, xmax, other.xmin, other.xmax) &&
           overlaps(ymin, ymax, other.ymin, other.ymax) &&
           overlaps(zmin, zmax, other.zmin, other.zmax);
}

Bound& Bound::operator*=(const Matrix& a) {
    if (!set) return *this;
    Point first = Point(xmin, ymin, zmin) * a;
    Bound result(first.x, first.x, first.y, first.y, first.z, first.z);
    for (int corner = 1; corner < 8; ++corner) {
        Point p = Point(corner & 1 ? xmax : xmin, corner & 2 ? ymax : ymin,
                        corner & 4 ? zmax : zmin) *
                  a;
        include(p.x, result.xmin, result.xmax);
        include(p.y, result.ymin, result.ymax);
        include(p.z, result.zmin, result.zmax);
    }
    return *this = result;
}

Boundw::Boundw(float x0, float x1, float y0, float y1, float z0, float z1, float w0, float w1)
    : xmin(x0), xmax(x1), ymin(y0), ymax(y1), zmin(z0), zmax(z1), set(1), wmin(w0), wmax(w1) {}

Boundw::Boundw(const Bound& b, float w0, float w1)
    : xmin(b.xmin), xmax(b.xmax), ymin(b.ymin), ymax(b.ymax), zmin(b.zmin), zmax(b.zmax),
      set(b.set), wmin(w0), wmax(w1) {}

bool Boundw::homogenize() {
    if (!homogenizable()) {
        error(kErrMath, kError, "cannot homogenize a split bound");
        return false;
    }
    xmin = homogenizedLower(xmin, wmin, wmax);
    ymin = homogenizedLower(ymin, wmin, wmax);
    zmin = homogenizedLower(zmin, wmin, wmax);
    xmax = homogenizedUpper(xmax, wmin, wmax);
    ymax = homogenizedUpper(ymax, wmin, wmax);
    zmax = homogenizedUpper(zmax, wmin, wmax);
    wmin = wmax = 1;
    set = 1;
    return true;
}

bool Boundw::intersect(const Boundw& other) const {
    return overlaps(xmin, xmax, other.xmin, other.xmax) &&
           overlaps(ymin, ymax, other.ymin, other.ymax) &&
           overlaps(zmin, zmax, other.zmin, other.zmax);
}

Boundw& Boundw::operator*=(const Matrix& a) {
    if (!set) return *this;
    Pointw first = Pointw(xmin, ymin, zmin, wmin) * a;
    Boundw result(first.x, first.x, first.y, first.y, first.z, first.z, first.w, first.w);
    for (int corner = 1; corner < 16; ++corner) {
        Pointw p = Pointw(corner & 1 ? xmax : xmin, corner & 2 ? ymax : ymin,
                          corner & 4 ? zmax : zmin, corner & 8 ? wmax : wmin) *
                   a;
        include(p.x, result.xmin, result.xmax);
        include(p.y, result.ymin, result.ymax);
        include(p.z, result.zmin, result.zmax);
        include(p.w, result.wmin, result.wmax);
    }
    return *this = result;
}

std::ostream& operator<<(std::ostream& out, const Bound& b) {
    out << '[' << b.xmin << ' ' << b.xmax << ' ' << b.ymin << ' ' << b.ymax << ' ' << b.zmin
        << ' ' << b.zmax << ']';
    return b.set ? out : out << " (unset)";
}

std::ostream& operator<<(std::ostream& out, const Boundw& b) {
    out << '[' << b.xmin << ' ' << b.xmax << ' ' << b.ymin << ' ' << b.ymax << ' ' << b.zmin
        << ' ' << b.zmax << " w " << b.wmin << ' ' << b.wmax << ']';
    return b.set ? out : out << " (unset)";
}

} // namespace quelmark
