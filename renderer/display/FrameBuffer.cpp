#include "renderer/display/FrameBuffer.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace quelmark {

namespace {

// The fewest bytes that hold every value the format's slots can take.
int slotBytesOf(const PixelFormat& format) {
    if (format.largestSlot <= 0xFFu) return 1;
    if (format.largestSlot <= 0xFFFFu) return 2;
    return 4;
}

template <class Narrow> void narrowInto(uint8_t* target, const uint32_t* source, std::size_t n) {
    auto* out = reinterpret_cast<Narrow*>(target);
    for (std::size_t k = 0; k < n; ++k)
        out[k] = Narrow(source[k]);
}

template <class Narrow> void widenInto(uint32_t* target, const uint8_t* source, std::size_t n) {
    const auto* in = reinterpret_cast<const Narrow*>(source);
    for (std::size_t k = 0; k < n; ++k)
        target[k] = in[k];
}

} // namespace

bool FrameBuffer::allocate(long width, long height, const PixelFormat& format) {
    release();
    fFormat = format;
    if (width < 1 || height < 1 || format.channels() < 1) return false;
    long rowSlots = kMaxSlots / height;
    if (width > rowSlots / format.channels()) return false;
    fSlotBytes = slotBytesOf(format);
    try {
        fBytes.assign(std::size_t(width) * std::size_t(height) * std::size_t(format.channels()) *
                          std::size_t(fSlotBytes),
                      0u);
    } catch (const std::bad_alloc&) {
        return false;
    }
    fWidth = width;
    fHeight = height;
    return true;
}

void FrameBuffer::release() {
    std::vector<uint8_t>().swap(fBytes);
    fWidth = 0;
    fHeight = 0;
}

void FrameBuffer::putSpan(long x0, long x1, long y, const uint32_t* data) {
    if (empty() || !data || y < 0 || y >= fHeight) return;
    long first = std::max(x0, 0L);
    long last = std::min(x1, fWidth - 1);
    if (first > last) return;
    const long n = channels();
    const uint32_t* source = data + (first - x0) * n;
    uint8_t* target =
        fBytes.data() + std::size_t((y * fWidth + first) * n) * std::size_t(fSlotBytes);
    const std::size_t count = std::size_t(last - first + 1) * std::size_t(n);
    if (fSlotBytes == 1)
        narrowInto<uint8_t>(target, source, count);
    else if (fSlotBytes == 2)
        narrowInto<uint16_t>(target, source, count);
    else
        std::memcpy(target, source, count * sizeof(uint32_t));
}

uint32_t FrameBuffer::slot(long x, long y, int c) const {
    const std::size_t index = std::size_t((y * fWidth + x) * channels() + c);
    if (fSlotBytes == 1) return fBytes[index];
    uint32_t value = 0;
    if (fSlotBytes == 2) {
        uint16_t narrow;
        std::memcpy(&narrow, fBytes.data() + 2 * index, sizeof narrow);
        value = narrow;
    } else {
        std::memcpy(&value, fBytes.data() + 4 * index, sizeof value);
    }
    return value;
}

void FrameBuffer::readRow(long y, long x0, long x1, std::vector<uint32_t>& out) const {
    const long n = channels();
    const std::size_t count = std::size_t(std::max(0L, x1 - x0 + 1) * n);
    out.resize(count);
    if (count == 0) return;
    const uint8_t* source =
        fBytes.data() + std::size_t((y * fWidth + x0) * n) * std::size_t(fSlotBytes);
    if (fSlotBytes == 1)
        widenInto<uint8_t>(out.data(), source, count);
    else if (fSlotBytes == 2)
        widenInto<uint16_t>(out.data(), source, count);
    else
        std::memcpy(out.data(), source, count * sizeof(uint32_t));
}

} // namespace quelmark
