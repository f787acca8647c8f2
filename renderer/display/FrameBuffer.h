// A whole image of quantised pixels as the buckets deliver them: width ×
// height pixels, each of format().channels() 32-bit slots, rows top down.
#ifndef QEL_DISPLAY_FRAMEBUFFER_H
#define QEL_DISPLAY_FRAMEBUFFER_H

#include "renderer/display/PixelFormat.h"

#include <cstdint>
#include <vector>

namespace quelmark {

class FrameBuffer {
public:
    // The most slots one image may hold.
    static constexpr long kMaxSlots = 1L << 30;

    // Replaces the image by a zeroed one; false, leaving it empty, when the
    // size is not positive or too large to keep.
    bool allocate(long width, long height, const PixelFormat& format);
    void release();

    // Pixels x0 to x1 (inclusive) of row y; whatever lies outside the image
    // is dropped.
    void putSpan(long x0, long x1, long y, const uint32_t* data);

    bool empty() const { return fPixels.empty(); }
    long width() const { return fWidth; }
    long height() const { return fHeight; }
    const PixelFormat& format() const { return fFormat; }
    int channels() const { return fFormat.channels(); }
    // Null while empty.
    const uint32_t* pixels() const { return empty() ? nullptr : fPixels.data(); }
    const uint32_t* row(long y) const { return pixels() + y * fWidth * channels(); }

private:
    std::vector<uint32_t> fPixels;
    long fWidth = 0;
    long fHeight = 0;
    PixelFormat fFormat;
};

} // namespace quelmark

#endif
