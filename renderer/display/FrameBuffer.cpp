#include "renderer/display/FrameBuffer.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace quelmark {

bool FrameBuffer::allocate(long width, long height, const PixelFormat& format) {
    release();
    fFormat = format;
    if (width < 1 || height < 1 || format.channels() < 1) return false;
    long rowSlots = kMaxSlots / height;
    if (width > rowSlots / format.channels()) return false;
    try {
        fPixels.assign(std::size_t(width) * std::size_t(height) * std::size_t(format.channels()),
                       0u);
    } catch (const std::bad_alloc&) {
        return false;
    }
    fWidth = width;
    fHeight = height;
    return true;
}

void FrameBuffer::release() {
    std::vector<uint32_t>().swap(fPixels);
    fWidth = 0;
    fHeight = 0;
}

void FrameBuffer::putSpan(long x0, long x1, long y, const uint32_t* data) {
    if (empty() || !data || y < 0 || y >= fHeight) return;
    long first = std::max(x0, 0L);
    long last = std::min(x1, fWidth - 1);
    if (first > last) return;
    long n = channels();
    const uint32_t* source = data + (first - x0) * n;
    uint32_t* target = fPixels.data() + (y * fWidth + first) * n;
    std::memcpy(target, source, std::size_t(last - first + 1) * std::size_t(n) * sizeof(uint32_t));
}

} // namespace quelmark
