#include "common/IconImage.h"

#include <png.h>

#include <cstring>

namespace quelmark {

namespace {

// Frees what libpng keeps for the image however the decoding ends.
class PngReading {
public:
    PngReading() {
        std::memset(&fImage, 0, sizeof fImage);
        fImage.version = PNG_IMAGE_VERSION;
    }
    ~PngReading() { png_image_free(&fImage); }
    PngReading(const PngReading&) = delete;
    PngReading& operator=(const PngReading&) = delete;

    png_image& image() { return fImage; }

private:
    png_image fImage;
};

bool fitsAnIcon(const png_image& image) {
    return image.width >= 1 && image.height >= 1 && image.width <= kLargestIconSide &&
           image.height <= kLargestIconSide;
}

} // namespace

std::optional<IconImage> decodePngIcon(const unsigned char* data, std::size_t size) {
    if (!data || size == 0) return std::nullopt;
    PngReading reading;
    png_image& image = reading.image();
    if (!png_image_begin_read_from_memory(&image, data, size)) return std::nullopt;
    if (!fitsAnIcon(image)) return std::nullopt;
    image.format = PNG_FORMAT_RGBA;
    IconImage icon;
    icon.width = int(image.width);
    icon.height = int(image.height);
    icon.rgba.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, icon.rgba.data(), 0, nullptr)) return std::nullopt;
    return icon;
}

} // namespace quelmark
