// The picture of a window's or program's icon, decoded from the PNG bytes
// that are compiled into the program.
#ifndef QEL_COMMON_ICONIMAGE_H
#define QEL_COMMON_ICONIMAGE_H

#include <cstddef>
#include <optional>
#include <vector>

namespace quelmark {

struct IconImage {
    int width = 0, height = 0;
    std::vector<unsigned char> rgba; // 8-bit red, green, blue, alpha; rows top to bottom
};

// The largest side an icon may have.
constexpr int kLargestIconSide = 256;

// The image of a PNG file held in memory, of any colour type and depth,
// as 8-bit RGBA; nothing when the data is no PNG, is broken or truncated,
// or the image is larger than kLargestIconSide on a side.
std::optional<IconImage> decodePngIcon(const unsigned char* data, std::size_t size);

} // namespace quelmark

#endif
