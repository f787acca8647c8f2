#include "PngImage.h"

PngImage readPng(const std::string& path) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    PngImage result;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return result;
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        result.width = image.width;
        result.height = image.height;
        result.rgb = std::move(pixels);
    }
    png_image_free(&image);
    return result;
}
