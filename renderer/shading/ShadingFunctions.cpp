#include "renderer/shading/ShadingFunctions.h"

#include "common/Error.h"
#include "common/Random.h"

#include <utility>

namespace quelmark {

namespace {

template <class T>
T catmullRom(float t, int n, const T* knots)
{
    if (n < 4) {
        error(kErrRange, kError, "Catmull-Rom splines require at least 4 control points");
        return n > 0 ? knots[0] : T{};
    }
    if (t <= 0) return knots[1];
    if (t >= 1) return knots[n - 2];

    float x = float(n - 3) * t;
    int i = int(x);
    float f = x - float(i);
    if (i > n - 4) {  // t just below 1 rounded up to the last knot
        i = n - 4;
        f = 1;
    }

    const T& p0 = knots[i];
    const T& p1 = knots[i + 1];
    const T& p2 = knots[i + 2];
    const T& p3 = knots[i + 3];
    T cubic = 3.0f * p1 - p0 - 3.0f * p2 + p3;
    T quadratic = 2.0f * p0 - 5.0f * p1 + 4.0f * p2 - p3;
    T linear = p2 - p0;
    return 0.5f * (((cubic * f + quadratic) * f + linear) * f + 2.0f * p1);
}

template <class T>
T trilinear(float u, float v, float w, const T& a, const T& b, const T& c, const T& d,
            const T& e, const T& f, const T& g, const T& h)
{
    return lerp(w, bilerp(u, v, a, b, c, d), bilerp(u, v, e, f, g, h));
}

constexpr float kDrawScale = 1.0f / 32767.0f;

float scaledDraw(RandomStream& random) { return float(random.next()) * kDrawScale; }

// Noise tables

constexpr int kTableSize = 256;
constexpr float kLatticeShift = 10000.0f;
constexpr float kNoiseScale = 0.75f;
constexpr float kNoiseCentre = 0.5f;
constexpr float kSecondOffset = 123.456f;
constexpr float kThirdOffset = 456.789f;

struct NoiseTables {
    Point gradient[2 * kTableSize];
    int permutation[2 * kTableSize];
};

float gradientComponent(RandomStream& random)
{
    constexpr float kComponentScale = 0.00390625f;
    return float(random.next() % 512 - 256) * kComponentScale;
}

Point randomUnitGradient(RandomStream& random)
{
    Point g;
    do {
        g.x = gradientComponent(random);
        g.y = gradientComponent(random);
        g.z = gradientComponent(random);
    } while (dot(g, g) > 1);
    return normalize(g);
}

void shufflePermutation(int* permutation, RandomStream& random)
{
    for (int i = 0; i < kTableSize; ++i) permutation[i] = i;
    for (int i = kTableSize - 1; i > 0; i -= 2) {
        int j = random.next() % kTableSize;
        if (j != i) std::swap(permutation[i], permutation[j]);
    }
}

NoiseTables buildNoiseTables()
{
    NoiseTables tables;
    RandomStream random(1);
    for (int i = 0; i < kTableSize; ++i) tables.gradient[i] = randomUnitGradient(random);
    shufflePermutation(tables.permutation, random);
    for (int i = 0; i < kTableSize; ++i) {
        tables.gradient[kTableSize + i] = tables.gradient[i];
        tables.permutation[kTableSize + i] = tables.permutation[i];
    }
    return tables;
}

const NoiseTables& noiseTables()
{
    static const NoiseTables tables = buildNoiseTables();
    return tables;
}

// One coordinate placed on the lattice: the two neighbouring table indices,
// the offset from the lower one and its fade weight.
struct LatticeCoordinate {
    int i0, i1;
    float f, w;
};

// The table index of an integral cell number; one not finite takes 0.
int latticeIndex(float cell)
{
    if (!std::isfinite(cell)) return 0;
    float wrapped = std::fmod(cell, float(kTableSize));
    if (wrapped < 0) wrapped += float(kTableSize);
    return int(wrapped) % kTableSize;
}

// Shifted coordinates in use are positive, where floor is the integer part;
// below -10000 floor still keeps the fraction in [0, 1).
LatticeCoordinate onLattice(float c)
{
    float s = c + kLatticeShift;
    float cell = std::floor(s);
    LatticeCoordinate l;
    l.i0 = latticeIndex(cell);
    l.i1 = (l.i0 + 1) % kTableSize;
    l.f = s - cell;
    l.w = l.f * l.f * (3 - 2 * l.f);
    return l;
}

float rawNoise(float x)
{
    const Point* G = noiseTables().gradient;
    LatticeCoordinate lx = onLattice(x);
    float a = lx.f * G[lx.i0].x;
    float b = (lx.f - 1) * G[lx.i1].x;
    return a + (b - a) * lx.w;
}

float cornerValue(const Point& g, float dx, float dy) { return g.x * dx + g.y * dy; }

float rawNoise(float x, float y)
{
    const NoiseTables& t = noiseTables();
    const Point* G = t.gradient;
    LatticeCoordinate lx = onLattice(x);
    LatticeCoordinate ly = onLattice(y);
    int p0 = t.permutation[lx.i0];
    int p1 = t.permutation[lx.i1];
    float fx1 = lx.f - 1, fy1 = ly.f - 1;
    float c00 = cornerValue(G[p0 + ly.i0], lx.f, ly.f);
    float c10 = cornerValue(G[p1 + ly.i0], fx1, ly.f);
    float c01 = cornerValue(G[p0 + ly.i1], lx.f, fy1);
    float c11 = cornerValue(G[p1 + ly.i1], fx1, fy1);
    return bilerp(lx.w, ly.w, c00, c10, c01, c11);
}

float rawNoise(const Point& P)
{
    const NoiseTables& t = noiseTables();
    const Point* G = t.gradient;
    const int* perm = t.permutation;
    LatticeCoordinate lx = onLattice(P.x);
    LatticeCoordinate ly = onLattice(P.y);
    LatticeCoordinate lz = onLattice(P.z);
    int p0 = perm[lx.i0];
    int p1 = perm[lx.i1];
    int q00 = perm[p0 + ly.i0];
    int q10 = perm[p1 + ly.i0];
    int q01 = perm[p0 + ly.i1];
    int q11 = perm[p1 + ly.i1];
    float fx1 = lx.f - 1, fy1 = ly.f - 1, fz1 = lz.f - 1;
    float c000 = dot(G[q00 + lz.i0], Point(lx.f, ly.f, lz.f));
    float c100 = dot(G[q10 + lz.i0], Point(fx1, ly.f, lz.f));
    float c010 = dot(G[q01 + lz.i0], Point(lx.f, fy1, lz.f));
    float c110 = dot(G[q11 + lz.i0], Point(fx1, fy1, lz.f));
    float c001 = dot(G[q00 + lz.i1], Point(lx.f, ly.f, fz1));
    float c101 = dot(G[q10 + lz.i1], Point(fx1, ly.f, fz1));
    float c011 = dot(G[q01 + lz.i1], Point(lx.f, fy1, fz1));
    float c111 = dot(G[q11 + lz.i1], Point(fx1, fy1, fz1));
    return trilerp(lx.w, ly.w, lz.w, c000, c100, c010, c110, c001, c101, c011, c111);
}

float centred(float m) { return m * kNoiseScale + kNoiseCentre; }

Point shifted(const Point& P, float offset) { return P + Point(offset, offset, offset); }

} // namespace

float spline(float t, int n, const float* knots) { return catmullRom(t, n, knots); }
Color spline(float t, int n, const Color* knots) { return catmullRom(t, n, knots); }
Point spline(float t, int n, const Point* knots) { return catmullRom(t, n, knots); }

float trilerp(float u, float v, float w, float a, float b, float c, float d,
              float e, float f, float g, float h)
{
    return trilinear(u, v, w, a, b, c, d, e, f, g, h);
}

Color trilerp(float u, float v, float w, const Color& a, const Color& b, const Color& c,
              const Color& d, const Color& e, const Color& f, const Color& g, const Color& h)
{
    return trilinear(u, v, w, a, b, c, d, e, f, g, h);
}

Point trilerp(float u, float v, float w, const Point& a, const Point& b, const Point& c,
              const Point& d, const Point& e, const Point& f, const Point& g, const Point& h)
{
    return trilinear(u, v, w, a, b, c, d, e, f, g, h);
}

float barylerp(float u, float v, float a, float b, float c) { return bilerp(u, v, a, b, c, c + b - a); }

Color barylerp(float u, float v, const Color& a, const Color& b, const Color& c)
{
    return bilerp(u, v, a, b, c, c + b - a);
}

Point barylerp(float u, float v, const Point& a, const Point& b, const Point& c)
{
    return bilerp(u, v, a, b, c, c + b - a);
}

Color randomc(RandomStream& random)
{
    float first = scaledDraw(random);
    float second = scaledDraw(random);
    float third = scaledDraw(random);
    return {third, second, first};
}

Point randomp(RandomStream& random)
{
    float first = scaledDraw(random);
    float second = scaledDraw(random);
    float third = scaledDraw(random);
    return {first, second, third};
}

float noise(float x) { return centred(rawNoise(x)); }
float noise(float x, float y) { return centred(rawNoise(x, y)); }
float noise(const Point& P) { return centred(rawNoise(P)); }

Color noisec(float x, float y)
{
    return {noise(x, y), noise(x + kSecondOffset, y + kSecondOffset),
            noise(x + kThirdOffset, y + kThirdOffset)};
}

Color noisec(const Point& P)
{
    return {noise(P), noise(shifted(P, kSecondOffset)), noise(shifted(P, kThirdOffset))};
}

Point noisep(float x, float y)
{
    return {noise(x, y), noise(x + kSecondOffset, y + kSecondOffset),
            noise(x + kThirdOffset, y + kThirdOffset)};
}

Point noisep(const Point& P)
{
    return {noise(P), noise(shifted(P, kSecondOffset)), noise(shifted(P, kThirdOffset))};
}

} // namespace quelmark
