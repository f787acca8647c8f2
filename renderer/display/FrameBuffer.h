// A whole image of quantised pixels as the buckets deliver them: width ×
// height pixels of format().channels() slots each, rows top down. Slots
// arrive as 32 bits; an image whose quantised values all fit in 8 or 16 bits
// keeps them in that many, so that an 8-bit image takes a quarter of the
// memory.
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

    bool empty() const { return fBytes.empty(); }
    long width() const { return fWidth; }
    long height() const { return fHeight; }
    const PixelFormat& format() const { return fFormat; }
    int channels() const { return fFormat.channels(); }
    // How many bytes each slot is kept in: 1, 2 or 4.
    int slotBytes() const { return fSlotBytes; }

    // Slot c of pixel (x, y), as it arrived.
    uint32_t slot(long x, long y, int c) const;
    // The slots of pixels x0 to x1 of row y, as they arrived, into out.
    void readRow(long y, long x0, long x1, std::vector<uint32_t>& out) const;

private:
    std::vector<uint8_t> fBytes;
    long fWidth = 0;
    long fHeight = 0;
    int fSlotBytes = 4;
    PixelFormat fFormat;
};

} // namespace quelmark

#endif
