#include "common/Point.h"

#include "common/Error.h"

#include <ostream>

namespace quelmark {

void reportPointDividedByZero() { error(kErrMath, kError, "dividing point by zero"); }

void reportDivisionByZeroPoint() { error(kErrMath, kError, "dividing by zero point"); }

Point refract(const Point& I, const Point& N, float eta) {
    float cosine = dot(N, I);
    float k = 1 - eta * eta * (1 - cosine * cosine);
    if (k < 0) return gOrigin;
    return eta * I - (eta * cosine + std::sqrt(k)) * N;
}

namespace {

// Reflectance for the cosine c of the angle of incidence and the relative
// index n of the medium entered:
//   g = sqrt(n^2 + c^2 - 1)
//   F = 1/2 ((g - c) / (g + c))^2 (1 + ((c (g + c) - 1) / (c (g - c) + 1))^2)
// and 1 (total internal reflection) when n^2 + c^2 - 1 < 0.
float dielectricReflectance(float c, float n) {
    float gSquared = n * n + c * c - 1;
    if (!(gSquared >= 0)) return 1;
    float g = std::sqrt(gSquared);
    float sum = g + c;
    float lower = c * (g - c) + 1;
    if (sum < kEpsilon || lower < kEpsilon) return 1;
    float outer = (g - c) / sum;
    float inner = (c * sum - 1) / lower;
    return 0.5f * outer * outer * (1 + inner * inner);
}

} // namespace

void fresnel(const Point& I, const Point& N, float eta, float& Kr, float& Kt) {
    if (std::fabs(eta) < kEpsilon) {
        Kr = 1;
        Kt = 0;
        return;
    }
    float c = std::fabs(dot(normalize(I), normalize(N)));
    Kr = dielectricReflectance(c, 1 / eta);
    Kt = 1 - Kr;
}

void homogenize(float& x, float& y, float& z, float w) {
    if (std::fabs(w) < kEpsilon) return;
    x /= w, y /= w, z /= w;
}

void homogenize(Pointw& p) {
    if (std::fabs(p.w) < kEpsilon) return;
    homogenize(p.x, p.y, p.z, p.w);
    p.w = 1;
}

std::ostream& operator<<(std::ostream& out, const Point& p) {
    return out << '(' << p.x << ", " << p.y << ", " << p.z << ')';
}

std::ostream& operator<<(std::ostream& out, const Pointw& p) {
    return out << '(' << p.x << ", " << p.y << ", " << p.z << ", " << p.w << ')';
}

} // namespace quelmark
