// Writes a finished image as an 8-bit PNG file, as the display window shows
// it: integer channels give their low byte, float channels value × 255
// rounded. Colour images are RGB, RGBA when alpha is on too, with the
// colours divided by alpha as the format has them (the renderer's are
// multiplied by it); a shading variable of three components is RGB too;
// otherwise the first channel is a grey level.
// Depth is not written. A region of the image (a crop window) is written
// alone, as an image of its own size.
#ifndef QEL_DISPLAY_PNGWRITER_H
#define QEL_DISPLAY_PNGWRITER_H

#include "renderer/display/PixelRegion.h"

namespace quelmark {

class FrameBuffer;

// False when the image is empty, the region holds no pixel or lies outside
// the image, or the file cannot be written.
bool writePng(const char* path, const FrameBuffer& image, const PixelRegion& region);

} // namespace quelmark

#endif
