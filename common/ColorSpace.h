// The colour samples that colours are seen in: plain RGB, or n samples with
// the conversion matrices given by the colour-space option.
#ifndef QEL_COMMON_COLORSPACE_H
#define QEL_COMMON_COLORSPACE_H

namespace quelmark {

struct ColorSpace {
    bool plainRgb = true;
    long samples = 3;
    const float* nToRgb = nullptr; // n rows of 3: (r, g, b) = sum of s_k * nToRgb[k]
    const float* rgbToN = nullptr; // 3 rows of n: s_k = r*rgbToN[0][k] + g*[1][k] + b*[2][k]
};

// The colour space of the current option block.
const ColorSpace& currentColorSpace();

// Makes the given space current; it must outlive its use. Null means plain RGB.
void useColorSpace(const ColorSpace* space);

} // namespace quelmark

#endif
