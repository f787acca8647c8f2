// Writes a finished image as an uncompressed TIFF file.
//
// Integer images keep their quantised values, clamped to the sample range:
// 8 bits per sample when every "one" in use is at most 255, 16 bits up to
// 65535, 32-bit unsigned above. When any channel holds floats the whole
// image is written as 32-bit IEEE floats, integer channels divided by their
// "one". Colour, and a shading variable of three components, is RGB, with
// alpha as associated alpha; otherwise the first channel (alpha, depth or
// the variable) is the grey level. Depth always follows as an unspecified
// extra sample. A region of the image (a crop window) is written alone,
// with its position and the size of the whole in the tags XPOSITION and
// YPOSITION (in pixels) and PIXAR_IMAGEFULLWIDTH and PIXAR_IMAGEFULLLENGTH.
// A depth map may carry the camera it was seen from, as the world-to-camera
// and world-to-screen matrices of the PIXAR_MATRIX tags.
#ifndef QEL_DISPLAY_TIFFWRITER_H
#define QEL_DISPLAY_TIFFWRITER_H

#include "renderer/display/PixelRegion.h"

namespace quelmark {

class FrameBuffer;

// Row-major 4 × 4 matrices, points as row vectors.
struct TiffCamera {
    float worldToCamera[16];
    float worldToScreen[16];
};

// False when the image is empty, the region holds no pixel or lies outside
// the image, or the file cannot be opened or written; a file left
// unfinished is removed.
bool writeTiff(const char* path, const FrameBuffer& image, const PixelRegion& region,
               const TiffCamera* camera = nullptr);

} // namespace quelmark

#endif
