// Writes a finished image as an OpenEXR file: scanlines, ZIP compression,
// the display window the whole image, the data window the given region
// (the pixels that were rendered).
//
// Colour images hold R, G, B and A as half floats, A = 1 when the image has
// no alpha; without colour only A (when alpha is on) is written. Depth is a
// full float Z channel; a shading variable full float R, G, B, or Y for one
// component. Integer channels are divided by their "one", float
// channels kept as they are; colours stay multiplied by alpha, as the format
// has them.
#ifndef QEL_DISPLAY_EXRWRITER_H
#define QEL_DISPLAY_EXRWRITER_H

#include "renderer/display/PixelRegion.h"

namespace quelmark {

class FrameBuffer;

// False when the image or the region is empty, the region leaves the image,
// or the file cannot be written; a file left unfinished is removed.
bool writeExr(const char* path, const FrameBuffer& image, const PixelRegion& dataWindow);

} // namespace quelmark

#endif
