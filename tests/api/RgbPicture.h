// Pictures the texture tests write: 8-bit RGB TIFF files.
#ifndef QEL_TESTS_RGBPICTURE_H
#define QEL_TESTS_RGBPICTURE_H

#include <gtest/gtest.h>
#include <tiffio.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Writes the picture of width × height pixels whose pixel (x, y) is
// value(x, y), an array of red, green and blue.
template <typename Value>
void writeRgbPicture(const std::string& path, std::uint32_t width, std::uint32_t height,
                     const Value& value) {
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tiff, nullptr) << path;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    std::vector<std::uint8_t> row;
    for (std::uint32_t y = 0; y < height; ++y) {
        row.clear();
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::array<std::uint8_t, 3> rgb = value(x, y);
            row.insert(row.end(), rgb.begin(), rgb.end());
        }
        TIFFWriteScanline(tiff, row.data(), y, 0);
    }
    TIFFClose(tiff);
}

#endif
