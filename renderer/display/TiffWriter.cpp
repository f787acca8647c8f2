#include "renderer/display/TiffWriter.h"

#include "renderer/display/FrameBuffer.h"
#include "renderer/display/PixelRegion.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace quelmark {

namespace {

enum class SampleKind { kByte, kShort, kLong, kFloat };

SampleKind sampleKindOf(const PixelFormat& format) {
    if (format.hasFloatSlot()) return SampleKind::kFloat;
    float largestOne = 0.0f;
    for (int slot = 0; slot < format.channels(); ++slot)
        largestOne = std::max(largestOne, format.oneOf(slot));
    if (largestOne <= 255.0f) return SampleKind::kByte;
    if (largestOne <= 65535.0f) return SampleKind::kShort;
    return SampleKind::kLong;
}

int bytesOf(SampleKind kind) {
    switch (kind) {
    case SampleKind::kByte:
        return 1;
    case SampleKind::kShort:
        return 2;
    default:
        return 4;
    }
}

// Quantised integers are signed; negative ones clamp to 0.
uint32_t clampedInteger(uint32_t slot, uint32_t limit) {
    auto value = int32_t(slot);
    return value < 0 ? 0u : std::min(uint32_t(value), limit);
}

float floatSample(uint32_t slot, const PixelFormat& format, int channel) {
    if (format.isFloatSlot(channel)) return floatFromSlot(slot);
    return float(int32_t(slot)) / format.oneOf(channel);
}

template <class T> void store(unsigned char* out, T value) {
    std::memcpy(out, &value, sizeof value);
}

void encodeSample(uint32_t slot, const PixelFormat& format, int channel, SampleKind kind,
                  unsigned char* out) {
    switch (kind) {
    case SampleKind::kByte:
        store(out, uint8_t(clampedInteger(slot, 0xFF)));
        break;
    case SampleKind::kShort:
        store(out, uint16_t(clampedInteger(slot, 0xFFFF)));
        break;
    case SampleKind::kLong:
        store(out, clampedInteger(slot, 0xFFFFFFFF));
        break;
    case SampleKind::kFloat:
        store(out, floatSample(slot, format, channel));
        break;
    }
}

void encodeRow(const FrameBuffer& image, const PixelRegion& region, long y, SampleKind kind,
               std::vector<uint32_t>& slotRow, unsigned char* out) {
    const PixelFormat& format = image.format();
    int channels = format.channels();
    image.readRow(y, region.x0, region.x1, slotRow);
    const uint32_t* slots = slotRow.data();
    int bytes = bytesOf(kind);
    for (long x = 0; x < region.width(); ++x)
        for (int channel = 0; channel < channels; ++channel, ++slots, out += bytes)
            encodeSample(*slots, format, channel, kind, out);
}

std::vector<uint16_t> extraSamplesOf(const PixelFormat& format) {
    std::vector<uint16_t> extras;
    if (format.color && format.alpha) extras.push_back(EXTRASAMPLE_ASSOCALPHA);
    if (format.depth && (format.color || format.alpha)) extras.push_back(EXTRASAMPLE_UNSPECIFIED);
    return extras;
}

// A part of the image says where it lies: its position in pixels (with a
// resolution of one pixel to the unit) and the size of the whole.
void setPositionTags(TIFF* tiff, const FrameBuffer& image, const PixelRegion& region) {
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, 1.0);
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, 1.0);
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, uint16_t(RESUNIT_NONE));
    TIFFSetField(tiff, TIFFTAG_XPOSITION, double(region.x0));
    TIFFSetField(tiff, TIFFTAG_YPOSITION, double(region.y0));
    TIFFSetField(tiff, TIFFTAG_PIXAR_IMAGEFULLWIDTH, uint32_t(image.width()));
    TIFFSetField(tiff, TIFFTAG_PIXAR_IMAGEFULLLENGTH, uint32_t(image.height()));
}

void setTags(TIFF* tiff, const FrameBuffer& image, const PixelRegion& region, SampleKind kind) {
    const PixelFormat& format = image.format();
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(region.width()));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(region.height()));
    if (region != PixelRegion{0, image.width() - 1, 0, image.height() - 1})
        setPositionTags(tiff, image, region);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, uint16_t(format.channels()));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, uint16_t(8 * bytesOf(kind)));
    TIFFSetField(tiff, TIFFTAG_SAMPLEFORMAT,
                 uint16_t(kind == SampleKind::kFloat ? SAMPLEFORMAT_IEEEFP : SAMPLEFORMAT_UINT));
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC,
                 uint16_t(format.isRgb() ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK));
    std::vector<uint16_t> extras = extraSamplesOf(format);
    if (!extras.empty())
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, uint16_t(extras.size()), extras.data());
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, uint16_t(PLANARCONFIG_CONTIG));
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, uint16_t(ORIENTATION_TOPLEFT));
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, uint16_t(COMPRESSION_NONE));
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff, 0));
    TIFFSetField(tiff, TIFFTAG_SOFTWARE, "Pictrel");
}

bool writeRows(TIFF* tiff, const FrameBuffer& image, const PixelRegion& region, SampleKind kind) {
    std::vector<unsigned char> row(std::size_t(region.width()) * std::size_t(image.channels()) *
                                   std::size_t(bytesOf(kind)));
    std::vector<uint32_t> slots;
    for (long y = region.y0; y <= region.y1; ++y) {
        encodeRow(image, region, y, kind, slots, row.data());
        if (TIFFWriteScanline(tiff, row.data(), uint32_t(y - region.y0), 0) < 0) return false;
    }
    return TIFFFlush(tiff) == 1;
}

// The caller reports the failure in its own words.
int keepQuiet(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

struct OptionsDeleter {
    void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};

TIFF* openQuietly(const char* path) {
    std::unique_ptr<TIFFOpenOptions, OptionsDeleter> options(TIFFOpenOptionsAlloc());
    if (!options) return nullptr;
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), keepQuiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), keepQuiet, nullptr);
    return TIFFOpenExt(path, "w", options.get());
}

} // namespace

bool writeTiff(const char* path, const FrameBuffer& image, const PixelRegion& region,
               const TiffCamera* camera) {
    if (!path || image.empty() || !insideImage(image.width(), image.height(), region)) return false;
    TIFF* tiff = openQuietly(path);
    if (!tiff) return false;
    SampleKind kind = sampleKindOf(image.format());
    setTags(tiff, image, region, kind);
    if (camera) {
        TIFFSetField(tiff, TIFFTAG_PIXAR_MATRIX_WORLDTOCAMERA, camera->worldToCamera);
        TIFFSetField(tiff, TIFFTAG_PIXAR_MATRIX_WORLDTOSCREEN, camera->worldToScreen);
    }
    bool written = writeRows(tiff, image, region, kind);
    TIFFClose(tiff);
    if (!written) std::remove(path);
    return written;
}

} // namespace quelmark
