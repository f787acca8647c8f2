#include "renderer/display/PngWriter.h"

#include "renderer/display/FrameBuffer.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

namespace quelmark {

namespace {

uint8_t byteOf(uint32_t slot, bool isFloat) {
    if (!isFloat) return uint8_t(slot & 0xFF);
    float value = floatFromSlot(slot);
    if (!(value > 0.0f)) return 0; // NaN too
    if (value >= 1.0f) return 255;
    return uint8_t(std::lround(value * 255.0f));
}

bool keepsAlpha(const PixelFormat& format) {
    return format.color && format.alpha;
}

// Colour, or the three components of a variable.
int firstRgbSlot(const PixelFormat& format) {
    return format.color ? 0 : format.firstVariableSlot();
}

// The renderer's colours are multiplied by alpha; a PNG file holds them
// divided by it again.
uint8_t unassociated(uint8_t color, uint8_t alpha) {
    if (alpha == 0) return 0;
    return uint8_t(std::min(255L, std::lround(color * 255.0 / alpha)));
}

// Appends one pixel's r, g, b (and alpha) bytes.
uint8_t* encodePixel(const uint32_t* slots, const PixelFormat& format, uint8_t* out) {
    if (format.isRgb()) {
        uint8_t* rgb = out;
        int first = firstRgbSlot(format);
        for (int c = first; c < first + 3; ++c)
            *out++ = byteOf(slots[c], format.isFloatSlot(c));
        if (keepsAlpha(format)) {
            int slot = format.alphaSlot();
            uint8_t alpha = byteOf(slots[slot], format.isFloatSlot(slot));
            for (int c = 0; c < 3; ++c)
                rgb[c] = unassociated(rgb[c], alpha);
            *out++ = alpha;
        }
    } else {
        uint8_t grey = byteOf(slots[0], format.isFloatSlot(0));
        for (int c = 0; c < 3; ++c)
            *out++ = grey;
    }
    return out;
}

std::vector<uint8_t> encodeRegion(const FrameBuffer& image, const PixelRegion& region) {
    const PixelFormat& format = image.format();
    std::size_t bytesPerPixel = keepsAlpha(format) ? 4 : 3;
    std::vector<uint8_t> bytes(std::size_t(region.width()) * std::size_t(region.height()) *
                               bytesPerPixel);
    uint8_t* out = bytes.data();
    std::vector<uint32_t> row;
    for (long y = region.y0; y <= region.y1; ++y) {
        image.readRow(y, region.x0, region.x1, row);
        const uint32_t* slots = row.data();
        for (long x = 0; x < region.width(); ++x, slots += format.channels())
            out = encodePixel(slots, format, out);
    }
    return bytes;
}

} // namespace

bool writePng(const char* path, const FrameBuffer& image, const PixelRegion& region) {
    if (!path || image.empty() || !insideImage(image.width(), image.height(), region)) return false;
    std::vector<uint8_t> bytes;
    try {
        bytes = encodeRegion(image, region);
    } catch (const std::bad_alloc&) {
        return false;
    }
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = png_uint_32(region.width());
    png.height = png_uint_32(region.height());
    png.format = keepsAlpha(image.format()) ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    bool written = png_image_write_to_file(&png, path, 0, bytes.data(), 0, nullptr) != 0;
    png_image_free(&png);
    return written;
}

} // namespace quelmark
