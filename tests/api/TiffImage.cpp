#include "TiffImage.h"

#include <tiffio.h>

long TiffImage::coverage() const {
    if (data.empty() || samples == 0) return -1;
    long covered = 0;
    for (size_t i = samples - 1; i < data.size(); i += samples)
        if (data[i] > 127) ++covered;
    return covered;
}

TiffImage readTiff(const std::string& path) {
    TiffImage image;
    TIFF* tiff = TIFFOpen(path.c_str(), "r");
    if (!tiff) return image;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &image.width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &image.height);
    TIFFGetField(tiff, TIFFTAG_SAMPLESPERPIXEL, &image.samples);
    TIFFGetField(tiff, TIFFTAG_BITSPERSAMPLE, &image.bits);
    // Only 8-bit images are kept; others are checked by their own tests.
    size_t rowBytes = size_t(image.width) * image.samples;
    if (image.bits == 8 && size_t(TIFFScanlineSize(tiff)) == rowBytes) {
        image.data.resize(rowBytes * image.height);
        for (uint32_t y = 0; y < image.height; ++y)
            TIFFReadScanline(tiff, image.data.data() + y * rowBytes, y);
    }
    TIFFClose(tiff);
    return image;
}
