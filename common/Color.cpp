#include "common/Color.h"

#include "common/ColorSpace.h"
#include "common/Error.h"

#include <ostream>
#include <vector>

namespace quelmark {

namespace {

// A space without usable matrices is treated as plain RGB.
bool convertsSamples(const ColorSpace& space) {
    return !space.plainRgb && space.samples > 0 && space.rgbToN != nullptr &&
           space.nToRgb != nullptr;
}

long sampleCount(const ColorSpace& space) { return convertsSamples(space) ? space.samples : 3; }

bool reportBadComponent(long i, long count) {
    if (i >= 0 && i < count) return false;
    error(kErrRange, kError, "color component %ld out of range", i);
    return true;
}

float sampleOf(const Color& c, const ColorSpace& space, long k) {
    const float* toN = space.rgbToN;
    long n = space.samples;
    return c.r * toN[k] + c.g * toN[n + k] + c.b * toN[2 * n + k];
}

constexpr long kStackSamples = 16;

} // namespace

void reportColorDividedByZero() { error(kErrMath, kError, "dividing color by zero"); }

void reportDivisionByZeroColor() { error(kErrMath, kError, "dividing by zero color"); }

void Color::toNsamples(float* out) const {
    const ColorSpace& space = currentColorSpace();
    if (!convertsSamples(space)) {
        out[0] = r, out[1] = g, out[2] = b;
        return;
    }
    for (long k = 0; k < space.samples; ++k) out[k] = sampleOf(*this, space, k);
}

void Color::fromNsamples(const float* in) {
    const ColorSpace& space = currentColorSpace();
    if (!convertsSamples(space)) {
        r = in[0], g = in[1], b = in[2];
        return;
    }
    r = g = b = 0;
    for (long k = 0; k < space.samples; ++k) {
        const float* row = space.nToRgb + 3 * k;
        r += in[k] * row[0];
        g += in[k] * row[1];
        b += in[k] * row[2];
    }
}

float Color::comp(long i) const {
    const ColorSpace& space = currentColorSpace();
    if (reportBadComponent(i, sampleCount(space))) return 0;
    if (!convertsSamples(space)) return i == 0 ? r : i == 1 ? g : b;
    return sampleOf(*this, space, i);
}

void Color::setcomp(long i, float value) {
    const ColorSpace& space = currentColorSpace();
    long n = sampleCount(space);
    if (reportBadComponent(i, n)) return;
    float onStack[kStackSamples];
    std::vector<float> onHeap;
    float* samples = onStack;
    if (n > kStackSamples) {
        onHeap.resize(n);
        samples = onHeap.data();
    }
    toNsamples(samples);
    samples[i] = value;
    fromNsamples(samples);
}

std::ostream& operator<<(std::ostream& out, const Color& c) {
    return out << '[' << c.r << ", " << c.g << ", " << c.b << ']';
}

} // namespace quelmark
