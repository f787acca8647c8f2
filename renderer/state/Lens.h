// The lens of depth of field, in raster terms.
//
// A thin lens of radius focal length / (2 f-stop) keeps the points at the
// focal distance in place and blurs the others: a point at camera depth z
// seen through the lens point (u, v) of the unit disk lands
// radius · (1/focal distance − 1/z) · (u, v) screen units (of x/z) away
// from where the pinhole sees it, which the projection turns into pixels.
// Only a perspective camera has a lens; an f-stop of 1e38 or more is a
// pinhole.
#ifndef QEL_STATE_LENS_H
#define QEL_STATE_LENS_H

#include "common/Matrix.h"

namespace quelmark {

class Option;

class Lens {
public:
    Lens(const Option& option, const Matrix& cameraToRaster);

    bool open() const { return fOpen; }
    // The signed blur factor at camera depth z: the point moves by
    // factor · (u·scaleX, v·scaleY) pixels for lens point (u, v).
    float blurAt(float z) const { return fInverseFocus - 1.0f / z; }
    float scaleX() const { return fScaleX; }
    float scaleY() const { return fScaleY; }
    // The largest |blurAt| over depths [zmin, zmax] in front of the eye.
    float mostBlur(float zmin, float zmax) const;
    // Grows a raster extent by the most its points at depths [zmin, zmax]
    // move through the lens; depths nearer than nearest are not seen.
    void widen(float& xmin, float& xmax, float& ymin, float& ymax, float zmin, float zmax,
               float nearest) const;

private:
    bool fOpen = false;
    float fInverseFocus = 0.0f;
    float fScaleX = 0.0f, fScaleY = 0.0f;
};

} // namespace quelmark

#endif
