// The working colour: red, green and blue, converted to and from the colour
// samples of the current colour space when it is read or written by sample.
#ifndef QEL_COMMON_COLOR_H
#define QEL_COMMON_COLOR_H

#include "common/Epsilon.h"

#include <cmath>
#include <iosfwd>

namespace quelmark {

struct Color {
    float r = 0, g = 0, b = 0;

    constexpr Color() = default;
    constexpr Color(float red, float green, float blue) : r(red), g(green), b(blue) {}
    explicit Color(const float rgb[3]) : r(rgb[0]), g(rgb[1]), b(rgb[2]) {}

    Color& operator+=(const Color& c) {
        r += c.r, g += c.g, b += c.b;
        return *this;
    }
    Color& operator-=(const Color& c) {
        r -= c.r, g -= c.g, b -= c.b;
        return *this;
    }
    Color& operator*=(const Color& c) {
        r *= c.r, g *= c.g, b *= c.b;
        return *this;
    }
    Color& operator*=(float s) {
        r *= s, g *= s, b *= s;
        return *this;
    }
    Color& operator/=(float s);
    Color& operator/=(const Color& c);
    bool operator==(const Color& c) const = default;

    // Sample i of the colour in the current colour space.
    float comp(long i) const;
    void setcomp(long i, float value);
    // As many samples as the current colour space has.
    void toNsamples(float* out) const;
    void fromNsamples(const float* in);
};

inline constexpr Color gBlack{0, 0, 0};
inline constexpr Color gWhite{1, 1, 1};

inline Color operator+(Color a, const Color& b) { return a += b; }
inline Color operator-(Color a, const Color& b) { return a -= b; }
inline Color operator*(Color a, const Color& b) { return a *= b; }
inline Color operator*(Color a, float s) { return a *= s; }
inline Color operator*(float s, Color a) { return a *= s; }
inline Color operator/(Color a, const Color& b) { return a /= b; }
inline Color operator/(Color a, float s) { return a /= s; }

std::ostream& operator<<(std::ostream& out, const Color& c);

// Reports behind the inline divisions.
void reportColorDividedByZero();
void reportDivisionByZeroColor();

inline Color& Color::operator/=(float s) {
    if (std::fabs(s) < kEpsilon) {
        reportColorDividedByZero();
        return *this;
    }
    r /= s, g /= s, b /= s;
    return *this;
}

inline Color& Color::operator/=(const Color& c) {
    if (std::fabs(c.r) < kEpsilon || std::fabs(c.g) < kEpsilon || std::fabs(c.b) < kEpsilon) {
        reportDivisionByZeroColor();
        return *this;
    }
    r /= c.r, g /= c.g, b /= c.b;
    return *this;
}

} // namespace quelmark

#endif
