// An 8-bit TIFF read back whole, for tests that render through the API.
#ifndef QEL_TESTS_TIFFIMAGE_H
#define QEL_TESTS_TIFFIMAGE_H

#include <cstdint>
#include <string>
#include <vector>

struct TiffImage {
    uint32_t width = 0, height = 0;
    uint16_t samples = 0, bits = 0;
    std::vector<uint8_t> data; // 8-bit samples, top row first; empty for other depths

    const uint8_t* pixel(uint32_t x, uint32_t y) const {
        return data.data() + (size_t(y) * width + x) * samples;
    }
    // Pixels whose alpha (the last sample) is above one half.
    long coverage() const;
};

TiffImage readTiff(const std::string& path);

#endif
