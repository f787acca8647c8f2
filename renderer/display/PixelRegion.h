// A rectangle of pixels, bounds inclusive: x0 to x1, y0 to y1. It holds no
// pixel when x1 < x0 or y1 < y0.
#ifndef QEL_DISPLAY_PIXELREGION_H
#define QEL_DISPLAY_PIXELREGION_H

namespace quelmark {

struct PixelRegion {
    long x0 = 0;
    long x1 = -1;
    long y0 = 0;
    long y1 = -1;

    bool empty() const { return x1 < x0 || y1 < y0; }
    long width() const { return empty() ? 0 : x1 - x0 + 1; }
    long height() const { return empty() ? 0 : y1 - y0 + 1; }
    bool operator==(const PixelRegion&) const = default;
};

// Whether the region holds pixels and lies within a width × height image.
inline bool insideImage(long width, long height, const PixelRegion& region) {
    return !region.empty() && region.x0 >= 0 && region.y0 >= 0 && region.x1 < width &&
           region.y1 < height;
}

} // namespace quelmark

#endif
