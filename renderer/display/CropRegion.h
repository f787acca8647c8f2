// The pixels a crop window renders. Crop values are fractions of the image,
// 0 to 1 from the left and from the top; the region runs from pixel
// ceil(res × min) to ceil(res × max) − 1 on each axis, and is empty when the
// window is too narrow to reach a pixel. Values outside 0 to 1 are clamped
// (NaN counts as the image's own edge), so the region never leaves the image.
#ifndef QEL_DISPLAY_CROPREGION_H
#define QEL_DISPLAY_CROPREGION_H

#include "renderer/display/PixelRegion.h"

namespace quelmark {

PixelRegion cropRegion(long xres, long yres, float cropXmin, float cropXmax, float cropYmin,
                       float cropYmax);

} // namespace quelmark

#endif
