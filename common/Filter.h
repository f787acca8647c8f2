// The built-in reconstruction filters. Each takes the offset (x, y) of a
// sample from the pixel centre and the filter widths, and returns its weight;
// outside the rectangular support the weight is 0.
#ifndef QEL_COMMON_FILTER_H
#define QEL_COMMON_FILTER_H

#include "api/qel.h"

namespace quelmark {

// The filter function of a filter enumerator (0x100 to 0x104), or null.
qelFilterFunc filterForCode(short code);

// A built-in filter whose weight is a weight along x times one along y
// (box, gaussian, mitchell and the narrow gaussian), so that a sample's
// weights for a row of pixels and for a column of pixels are computed once
// each.
class SeparableFilter {
public:
    // False when the filter is not separable: the triangle, catmull-rom and
    // sinc filters and custom ones.
    bool prepare(qelFilterFunc filter, float xwidth, float ywidth);

    // The weight is scale() · alongX(x) · alongY(y) for the offset (x, y)
    // from the pixel centre; 0 outside the filter's support.
    float alongX(float x) const { return along(x, fXWidth); }
    float alongY(float y) const { return along(y, fYWidth); }
    float scale() const { return fScale; }

private:
    enum class Kind { kBox, kGaussian, kMitchell, kNarrowGaussian };

    float along(float offset, float width) const;

    Kind fKind = Kind::kBox;
    float fXWidth = 1, fYWidth = 1;
    float fSigma = 1, fScale = 1;
};

} // namespace quelmark

#endif
