// Reads a TIFF file back for the tests: its header fields and its samples.
#ifndef QEL_TESTS_DISPLAY_TIFFREADBACK_H
#define QEL_TESTS_DISPLAY_TIFFREADBACK_H

#include <tiffio.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

struct TiffReadBack {
    bool opened = false;
    uint32_t width = 0, height = 0;
    uint16_t bitsPerSample = 0, samplesPerPixel = 0, sampleFormat = 0, photometric = 0;
    // Where a part of a larger image lies, and the size of the whole; -1
    // and 0 when the file does not say.
    float xPosition = -1, yPosition = -1;
    uint32_t fullWidth = 0, fullLength = 0;
    std::vector<uint16_t> extraSamples;
    std::vector<unsigned char> bytes; // every scanline, top row first

    explicit TiffReadBack(const std::string& path) {
        TIFF* tiff = TIFFOpen(path.c_str(), "r");
        if (!tiff) return;
        opened = true;
        readHeader(tiff);
        readScanlines(tiff);
        TIFFClose(tiff);
    }

    unsigned byteAt(std::size_t i) const { return bytes.at(i); }
    uint16_t shortAt(std::size_t i) const { return valueAt<uint16_t>(i); }
    uint32_t longAt(std::size_t i) const { return valueAt<uint32_t>(i); }
    float floatAt(std::size_t i) const { return valueAt<float>(i); }

private:
    template <class T> T valueAt(std::size_t i) const {
        T value{};
        std::memcpy(&value, &bytes.at(i * sizeof(T)), sizeof(T));
        return value;
    }

    void readHeader(TIFF* tiff) {
        TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
        TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bitsPerSample);
        TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samplesPerPixel);
        TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLEFORMAT, &sampleFormat);
        TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
        TIFFGetField(tiff, TIFFTAG_XPOSITION, &xPosition);
        TIFFGetField(tiff, TIFFTAG_YPOSITION, &yPosition);
        TIFFGetField(tiff, TIFFTAG_PIXAR_IMAGEFULLWIDTH, &fullWidth);
        TIFFGetField(tiff, TIFFTAG_PIXAR_IMAGEFULLLENGTH, &fullLength);
        uint16_t count = 0;
        uint16_t* types = nullptr;
        if (TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &count, &types))
            extraSamples.assign(types, types + count);
    }

    void readScanlines(TIFF* tiff) {
        auto lineSize = std::size_t(TIFFScanlineSize(tiff));
        bytes.resize(lineSize * height);
        for (uint32_t y = 0; y < height; ++y)
            TIFFReadScanline(tiff, bytes.data() + y * lineSize, y, 0);
    }
};

#endif
