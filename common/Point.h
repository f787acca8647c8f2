// Points, vectors and normals (Point) and homogeneous points (Pointw).
#ifndef QEL_COMMON_POINT_H
#define QEL_COMMON_POINT_H

#include "common/Epsilon.h"

#include <cmath>
#include <iosfwd>

namespace quelmark {

struct Point;

struct Pointw {
    float x = 0, y = 0, z = 0, w = 1;

    constexpr Pointw() = default;
    constexpr Pointw(float px, float py, float pz, float pw) : x(px), y(py), z(pz), w(pw) {}
    explicit constexpr Pointw(const Point& p, float pw = 1);

    Pointw& operator+=(const Pointw& p) {
        x += p.x, y += p.y, z += p.z, w += p.w;
        return *this;
    }
    Pointw& operator-=(const Pointw& p) {
        x -= p.x, y -= p.y, z -= p.z, w -= p.w;
        return *this;
    }
    Pointw& operator*=(float s) {
        x *= s, y *= s, z *= s, w *= s;
        return *this;
    }
    bool operator==(const Pointw& p) const = default;
};

struct Point {
    float x = 0, y = 0, z = 0;

    constexpr Point() = default;
    constexpr Point(float px, float py, float pz) : x(px), y(py), z(pz) {}
    explicit Point(const float xyz[3]) : x(xyz[0]), y(xyz[1]), z(xyz[2]) {}
    // Divides by w; a w of (almost) zero leaves x, y and z undivided.
    explicit Point(const Pointw& p);

    Point& operator+=(const Point& p) {
        x += p.x, y += p.y, z += p.z;
        return *this;
    }
    Point& operator-=(const Point& p) {
        x -= p.x, y -= p.y, z -= p.z;
        return *this;
    }
    Point& operator*=(float s) {
        x *= s, y *= s, z *= s;
        return *this;
    }
    Point& operator*=(const Point& p) {
        x *= p.x, y *= p.y, z *= p.z;
        return *this;
    }
    Point& operator/=(float s);
    Point& operator/=(const Point& p);
    // Cross product.
    Point& operator^=(const Point& p);

    Point operator-() const { return {-x, -y, -z}; }
    bool operator==(const Point& p) const = default;
};

inline constexpr Point gOrigin{0, 0, 0};

inline Point operator+(Point a, const Point& b) { return a += b; }
inline Point operator-(Point a, const Point& b) { return a -= b; }
inline Point operator*(Point a, const Point& b) { return a *= b; }
inline Point operator*(Point a, float s) { return a *= s; }
inline Point operator*(float s, Point a) { return a *= s; }
inline Point operator/(Point a, const Point& b) { return a /= b; }
inline Point operator/(Point a, float s) { return a /= s; }
inline Point operator^(const Point& a, const Point& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

inline Pointw operator+(Pointw a, const Pointw& b) { return a += b; }
inline Pointw operator-(Pointw a, const Pointw& b) { return a -= b; }
inline Pointw operator*(Pointw a, float s) { return a *= s; }

inline float dot(const Point& a, const Point& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline float length(const Point& v) { return std::sqrt(dot(v, v)); }
inline float distance(const Point& a, const Point& b) { return length(a - b); }

// A vector shorter than kEpsilon is returned unchanged.
inline Point normalize(const Point& v) {
    float len = length(v);
    if (!(len >= kEpsilon)) return v;
    return {v.x / len, v.y / len, v.z / len};
}

// N turned to face against I, judged by Nref; zero when I is perpendicular to Nref.
inline Point faceforward(const Point& N, const Point& I, const Point& Nref) {
    float side = -dot(I, Nref);
    float sign = float((side > 0) - (side < 0));
    return sign * N;
}

inline Point reflect(const Point& I, const Point& N) { return I - 2 * dot(I, N) * N; }

// eta is the ratio of the index of refraction on I's side to the one entered;
// total internal reflection gives (0, 0, 0).
Point refract(const Point& I, const Point& N, float eta);

// The unpolarised dielectric Fresnel reflection Kr and transmission Kt = 1 - Kr.
void fresnel(const Point& I, const Point& N, float eta, float& Kr, float& Kt);

// Divides x, y and z by w in place; a w of (almost) zero changes nothing.
void homogenize(float& x, float& y, float& z, float w);
// The same for a homogeneous point, which is then left with w = 1.
void homogenize(Pointw& p);

std::ostream& operator<<(std::ostream& out, const Point& p);
std::ostream& operator<<(std::ostream& out, const Pointw& p);

// Reports behind the inline divisions.
void reportPointDividedByZero();
void reportDivisionByZeroPoint();

constexpr Pointw::Pointw(const Point& p, float pw) : x(p.x), y(p.y), z(p.z), w(pw) {}

inline Point::Point(const Pointw& p) : x(p.x), y(p.y), z(p.z) {
    if (std::fabs(p.w) >= kEpsilon) x /= p.w, y /= p.w, z /= p.w;
}

inline Point& Point::operator/=(float s) {
    if (std::fabs(s) < kEpsilon) {
        reportPointDividedByZero();
        return *this;
    }
    x /= s, y /= s, z /= s;
    return *this;
}

inline Point& Point::operator/=(const Point& p) {
    if (std::fabs(p.x) < kEpsilon || std::fabs(p.y) < kEpsilon || std::fabs(p.z) < kEpsilon) {
        reportDivisionByZeroPoint();
        return *this;
    }
    x /= p.x, y /= p.y, z /= p.z;
    return *this;
}

inline Point& Point::operator^=(const Point& p) { return *this = *this ^ p; }

} // namespace quelmark

#endif
