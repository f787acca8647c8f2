// The shaders' helper functions: safe division, smooth step, Catmull-Rom
// splines, interpolation, pseudo-random values and gradient noise. Most come
// for floats and, componentwise, for Color and Point.
#ifndef QEL_SHADING_SHADINGFUNCTIONS_H
#define QEL_SHADING_SHADINGFUNCTIONS_H

#include "common/Color.h"
#include "common/Point.h"

namespace quelmark {

class RandomStream;

#include <cmath>

// a / b, clamped to +-1e38 where the quotient would overflow; 0 / 0 is 0.
inline float div(float a, float b);

// 0 below min, 1 from max on, a cubic step between; the bounds may come swapped.
inline float smoothstep(float min, float max, float x);

// Catmull-Rom spline through n >= 4 knots; t runs from knots[1] (t <= 0) to
// knots[n - 2] (t >= 1). Fewer knots are reported and give knots[0].
float spline(float t, int n, const float* knots);
Color spline(float t, int n, const Color* knots);
Point spline(float t, int n, const Point* knots);

inline float lerp(float t, float a, float b);
inline Color lerp(float t, const Color& a, const Color& b);
inline Point lerp(float t, const Point& a, const Point& b);

// Corners a at (0,0), b at (1,0), c at (0,1), d at (1,1).
inline float bilerp(float u, float v, float a, float b, float c, float d);
inline Color bilerp(float u, float v, const Color& a, const Color& b, const Color& c, const Color& d);
inline Point bilerp(float u, float v, const Point& a, const Point& b, const Point& c, const Point& d);

// a..d the corners at w = 0, e..h those at w = 1, each four ordered as in bilerp.
float trilerp(float u, float v, float w, float a, float b, float c, float d,
              float e, float f, float g, float h);
Color trilerp(float u, float v, float w, const Color& a, const Color& b, const Color& c,
              const Color& d, const Color& e, const Color& f, const Color& g, const Color& h);
Point trilerp(float u, float v, float w, const Point& a, const Point& b, const Point& c,
              const Point& d, const Point& e, const Point& f, const Point& g, const Point& h);

// The triangle a at (0,0), b at (1,0), c at (0,1), extended to a parallelogram.
float barylerp(float u, float v, float a, float b, float c);
Color barylerp(float u, float v, const Color& a, const Color& b, const Color& c);
Point barylerp(float u, float v, const Point& a, const Point& b, const Point& c);

inline float depth(const Point& P) { return P.z; }

// Three draws of the stream scaled to 0..1: the first draw is blue, the
// second green, the third red.
Color randomc(RandomStream& random);
// Three draws of the stream scaled to 0..1, in the order x, y, z.
Point randomp(RandomStream& random);

// Gradient noise around 0.5; exactly 0.5 at integer lattice points. The
// tables are built on the first call, from a stream seeded with 1.
float noise(float x);
float noise(float x, float y);
float noise(const Point& P);

// Three noises: at the argument, at the argument + 123.456 and at the
// argument + 456.789, each offset added to every coordinate.
Color noisec(float x, float y);
Color noisec(const Point& P);
Point noisep(float x, float y);
Point noisep(const Point& P);

inline float div(float a, float b)
{
    constexpr float kLargest = 1e38f;
    if (std::fabs(b) < 1 && std::fabs(a) >= kLargest * std::fabs(b)) {
        if (a == 0) return 0;
        return a > 0 ? kLargest : -kLargest;
    }
    return a / b;
}

inline float smoothstep(float min, float max, float x)
{
    if (max < min) {
        float swapped = min;
        min = max;
        max = swapped;
    }
    if (x < min) return 0;
    if (x >= max) return 1;
    float t = (x - min) / (max - min);
    return (3 - 2 * t) * t * t;
}

inline float lerp(float t, float a, float b) { return a + t * (b - a); }
inline Color lerp(float t, const Color& a, const Color& b) { return a + t * (b - a); }
inline Point lerp(float t, const Point& a, const Point& b) { return a + t * (b - a); }

inline float bilerp(float u, float v, float a, float b, float c, float d)
{
    return lerp(v, lerp(u, a, b), lerp(u, c, d));
}

inline Color bilerp(float u, float v, const Color& a, const Color& b, const Color& c, const Color& d)
{
    return lerp(v, lerp(u, a, b), lerp(u, c, d));
}

inline Point bilerp(float u, float v, const Point& a, const Point& b, const Point& c, const Point& d)
{
    return lerp(v, lerp(u, a, b), lerp(u, c, d));
}

} // namespace quelmark

#endif
