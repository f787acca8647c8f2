// A PNG file read back as 8-bit RGB pixels.
#ifndef QEL_TESTS_SHELL_PNGIMAGE_H
#define QEL_TESTS_SHELL_PNGIMAGE_H

#include <png.h>

#include <string>
#include <vector>

struct PngImage {
    png_uint_32 width = 0, height = 0;
    std::vector<png_byte> rgb;
    const png_byte* pixel(png_uint_32 x, png_uint_32 y) const {
        return rgb.data() + (size_t(y) * width + x) * 3;
    }
};

// Empty when the file is not a readable PNG.
PngImage readPng(const std::string& path);

#endif
