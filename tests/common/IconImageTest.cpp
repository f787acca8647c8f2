// The icon decoder on PNG files written here with libpng's own writer, of
// known pixels in several colour types, and on broken data.
#include "common/IconImage.h"

#include <gtest/gtest.h>

#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

using namespace quelmark;

namespace {

using Bytes = std::vector<unsigned char>;

// What a test PNG holds: 8-bit samples in the layout of its colour type.
struct PngPicture {
    int width = 0, height = 0;
    int colorType = PNG_COLOR_TYPE_RGBA;
    Bytes samples;
    std::vector<png_color> palette;
    Bytes paletteAlpha; // tRNS: the alpha of the first palette entries
};

int samplesPerPixel(int colorType) {
    switch (colorType) {
    case PNG_COLOR_TYPE_RGBA:
        return 4;
    case PNG_COLOR_TYPE_RGB:
        return 3;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    default:
        return 1;
    }
}

void appendBytes(png_structp png, png_bytep data, png_size_t length) {
    Bytes* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void noFlush(png_structp) {}

// libpng returns here by longjmp on an error: only C objects live between
// setjmp and the end of the writing.
bool writeRows(png_structp png, png_infop info, const PngPicture& picture, png_bytepp rows,
               Bytes& out) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, &out, appendBytes, noFlush);
    png_set_IHDR(png, info, png_uint_32(picture.width), png_uint_32(picture.height), 8,
                 picture.colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!picture.palette.empty())
        png_set_PLTE(png, info, picture.palette.data(), int(picture.palette.size()));
    if (!picture.paletteAlpha.empty())
        png_set_tRNS(png, info, picture.paletteAlpha.data(), int(picture.paletteAlpha.size()),
                     nullptr);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

Bytes encode(const PngPicture& picture) {
    const size_t stride = size_t(picture.width) * size_t(samplesPerPixel(picture.colorType));
    std::vector<png_bytep> rows;
    for (int y = 0; y < picture.height; ++y)
        rows.push_back(const_cast<png_bytep>(picture.samples.data() + size_t(y) * stride));
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool written = info && writeRows(png, info, picture, rows.data(), out);
    png_destroy_write_struct(&png, &info);
    if (!written) {
        ADD_FAILURE() << "libpng did not write the test picture";
        out.clear();
    }
    return out;
}

std::optional<IconImage> decode(const Bytes& bytes) {
    return decodePngIcon(bytes.data(), bytes.size());
}

PngPicture picture(int width, int height, int colorType, Bytes samples) {
    PngPicture made;
    made.width = width;
    made.height = height;
    made.colorType = colorType;
    made.samples = std::move(samples);
    return made;
}

// 3 x 2: opaque red, half-transparent green, clear blue; white, a grey of
// alpha 1, black of alpha 254.
PngPicture rgbaPicture() {
    return picture(3, 2, PNG_COLOR_TYPE_RGBA,
                   {255, 0,   0,   255, 0,  255, 0,  128, 0, 0, 255, 0,
                    255, 255, 255, 255, 77, 77,  77, 1,   0, 0, 0,   254});
}

PngPicture solidPicture(int width, int height) {
    return picture(width, height, PNG_COLOR_TYPE_RGB,
                   Bytes(size_t(width) * size_t(height) * 3, 0x40));
}

} // namespace

TEST(DecodePngIcon, RgbaPixelsComeBackAsWritten) {
    const PngPicture written = rgbaPicture();
    std::optional<IconImage> icon = decode(encode(written));
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->width, 3);
    EXPECT_EQ(icon->height, 2);
    EXPECT_EQ(icon->rgba, written.samples);
}

TEST(DecodePngIcon, OtherColourTypesBecomeRgba) {
    // RGB: every pixel opaque.
    PngPicture rgb = picture(2, 2, PNG_COLOR_TYPE_RGB, {1, 2, 3, 4, 5, 6, 7, 8, 9, 250, 251, 252});
    std::optional<IconImage> icon = decode(encode(rgb));
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->rgba, (Bytes{1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255, 250, 251, 252, 255}));

    // Grey with alpha, one row of two.
    icon = decode(encode(picture(2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, {10, 255, 200, 0})));
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->rgba, (Bytes{10, 10, 10, 255, 200, 200, 200, 0}));

    // A palette whose second entry is half transparent, one column of three.
    PngPicture indexed = picture(1, 3, PNG_COLOR_TYPE_PALETTE, {0, 1, 0});
    indexed.palette = {{9, 8, 7}, {100, 150, 200}};
    indexed.paletteAlpha = {255, 128};
    icon = decode(encode(indexed));
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->width, 1);
    EXPECT_EQ(icon->height, 3);
    EXPECT_EQ(icon->rgba, (Bytes{9, 8, 7, 255, 100, 150, 200, 128, 9, 8, 7, 255}));
}

TEST(DecodePngIcon, SidesUpTo256AreAnIcon) {
    std::optional<IconImage> icon = decode(encode(solidPicture(256, 256)));
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->width, 256);
    EXPECT_EQ(icon->height, 256);
    EXPECT_EQ(icon->rgba.size(), size_t(256 * 256 * 4));
    EXPECT_EQ(icon->rgba[4 * 1000], 0x40);
    EXPECT_EQ(icon->rgba[4 * 1000 + 3], 255);

    EXPECT_FALSE(decode(encode(solidPicture(257, 1))));
    EXPECT_FALSE(decode(encode(solidPicture(1, 257))));
    EXPECT_FALSE(decode(encode(solidPicture(300, 300))));
}

TEST(DecodePngIcon, BrokenDataIsNoIcon) {
    const Bytes good = encode(rgbaPicture());
    ASSERT_TRUE(decode(good));

    EXPECT_FALSE(decodePngIcon(nullptr, 0));
    EXPECT_FALSE(decodePngIcon(nullptr, 100));
    EXPECT_FALSE(decodePngIcon(good.data(), 0));

    // Every cut short of the image data's end. (The final chunk, IEND,
    // carries nothing, so data that stops inside it still holds the image.)
    const size_t iend = good.size() - 12;
    for (size_t size = 1; size < iend; ++size)
        EXPECT_FALSE(decodePngIcon(good.data(), size)) << "first " << size << " bytes";

    Bytes garbage;
    uint32_t seed = 7;
    for (int k = 0; k < 500; ++k) {
        seed = seed * 1103515245u + 12345u;
        garbage.push_back(static_cast<unsigned char>(seed >> 16));
    }
    EXPECT_FALSE(decode(garbage));

    // The signature followed by garbage.
    Bytes afterSignature(good.begin(), good.begin() + 8);
    afterSignature.insert(afterSignature.end(), garbage.begin(), garbage.end());
    EXPECT_FALSE(decode(afterSignature));

    // A damaged byte of the compressed pixels fails the chunk's checksum.
    Bytes damaged = good;
    damaged[iend - 6] ^= 0x5A;
    EXPECT_FALSE(decode(damaged));
}
