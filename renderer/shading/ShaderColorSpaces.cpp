#include "renderer/shading/ShaderColorSpaces.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace quelmark {

namespace {

using Matrix3 = std::array<std::array<double, 3>, 3>;

constexpr ShaderTriple apply(const Matrix3& m, const ShaderTriple& v) {
    ShaderTriple result{};
    for (std::size_t row = 0; row < 3; ++row)
        result[row] = float(m[row][0] * v[0] + m[row][1] * v[1] + m[row][2] * v[2]);
    return result;
}

constexpr Matrix3 inverted(const Matrix3& m) {
    Matrix3 cofactors{};
    for (std::size_t row = 0; row < 3; ++row) {
        for (std::size_t column = 0; column < 3; ++column) {
            const std::size_t r1 = (row + 1) % 3, r2 = (row + 2) % 3;
            const std::size_t c1 = (column + 1) % 3, c2 = (column + 2) % 3;
            cofactors[row][column] = m[r1][c1] * m[r2][c2] - m[r1][c2] * m[r2][c1];
        }
    }
    const double determinant =
        m[0][0] * cofactors[0][0] + m[0][1] * cofactors[0][1] + m[0][2] * cofactors[0][2];
    Matrix3 inverse{};
    for (std::size_t row = 0; row < 3; ++row)
        for (std::size_t column = 0; column < 3; ++column)
            inverse[row][column] = cofactors[column][row] / determinant;
    return inverse;
}

// A chromaticity (x, y) as XYZ with Y = 1.
struct Chromaticity {
    double x, y;
    constexpr std::array<double, 3> xyz() const { return {x / y, 1, (1 - x - y) / y}; }
};

// RGB to XYZ from the primaries and the white: the columns are the
// primaries' XYZ, each scaled so that equal RGB gives the white.
constexpr Matrix3 rgbToXyzMatrix(Chromaticity red, Chromaticity green, Chromaticity blue,
                                 Chromaticity white) {
    const std::array<std::array<double, 3>, 3> primaries = {red.xyz(), green.xyz(), blue.xyz()};
    Matrix3 unscaled{};
    for (std::size_t row = 0; row < 3; ++row)
        for (std::size_t column = 0; column < 3; ++column)
            unscaled[row][column] = primaries[column][row];
    const Matrix3 inverse = inverted(unscaled);
    const std::array<double, 3> w = white.xyz();
    Matrix3 matrix{};
    for (std::size_t column = 0; column < 3; ++column) {
        const double scale =
            inverse[column][0] * w[0] + inverse[column][1] * w[1] + inverse[column][2] * w[2];
        for (std::size_t row = 0; row < 3; ++row)
            matrix[row][column] = unscaled[row][column] * scale;
    }
    return matrix;
}

constexpr Matrix3 kRgbToXyz =
    rgbToXyzMatrix({0.64, 0.33}, {0.30, 0.60}, {0.15, 0.06}, {0.3127, 0.3290});
constexpr Matrix3 kXyzToRgb = inverted(kRgbToXyz);

constexpr Matrix3 kRgbToYiq = {{
    {0.299, 0.587, 0.114},
    {0.596, -0.274, -0.322},
    {0.211, -0.523, 0.312},
}};
constexpr Matrix3 kYiqToRgb = inverted(kRgbToYiq);

constexpr int kHueSectors = 6;

// The hue 0..1 of a colour whose largest component is largest and whose
// spread (largest less smallest) is not 0.
float hueOf(const ShaderTriple& rgb, float largest, float spread) {
    const auto [r, g, b] = rgb;
    float sector;
    if (largest == r)
        sector = (g - b) / spread;
    else if (largest == g)
        sector = (b - r) / spread + 2;
    else
        sector = (r - g) / spread + 4;
    const float hue = sector / kHueSectors;
    return hue < 0 ? hue + 1 : hue;
}

// The colour of hue with chroma c, the smallest component being floor.
ShaderTriple fromHue(float hue, float chroma, float floor) {
    const float sector = (hue - std::floor(hue)) * kHueSectors;
    const float rising = chroma * (1 - std::fabs(std::fmod(sector, 2.0f) - 1));
    ShaderTriple rgb{};
    switch (std::min(int(sector), kHueSectors - 1)) {
    case 0:
        rgb = {chroma, rising, 0};
        break;
    case 1:
        rgb = {rising, chroma, 0};
        break;
    case 2:
        rgb = {0, chroma, rising};
        break;
    case 3:
        rgb = {0, rising, chroma};
        break;
    case 4:
        rgb = {rising, 0, chroma};
        break;
    default:
        rgb = {chroma, 0, rising};
        break;
    }
    for (float& component : rgb)
        component += floor;
    return rgb;
}

ShaderTriple rgbToHsv(const ShaderTriple& rgb) {
    const float largest = std::max({rgb[0], rgb[1], rgb[2]});
    const float spread = largest - std::min({rgb[0], rgb[1], rgb[2]});
    if (spread <= 0) return {0, 0, largest};
    return {hueOf(rgb, largest, spread), largest > 0 ? spread / largest : 0, largest};
}

ShaderTriple hsvToRgb(const ShaderTriple& hsv) {
    const auto [hue, saturation, value] = hsv;
    const float chroma = value * saturation;
    return fromHue(hue, chroma, value - chroma);
}

ShaderTriple rgbToHsl(const ShaderTriple& rgb) {
    const float largest = std::max({rgb[0], rgb[1], rgb[2]});
    const float smallest = std::min({rgb[0], rgb[1], rgb[2]});
    const float spread = largest - smallest;
    const float lightness = (largest + smallest) / 2;
    if (spread <= 0) return {0, 0, lightness};
    const float room = 1 - std::fabs(2 * lightness - 1);
    return {hueOf(rgb, largest, spread), room > 0 ? spread / room : 0, lightness};
}

ShaderTriple hslToRgb(const ShaderTriple& hsl) {
    const auto [hue, saturation, lightness] = hsl;
    const float chroma = (1 - std::fabs(2 * lightness - 1)) * saturation;
    return fromHue(hue, chroma, lightness - chroma / 2);
}

ShaderTriple xyzToXyy(const ShaderTriple& xyz) {
    const float sum = xyz[0] + xyz[1] + xyz[2];
    if (sum == 0) return {0, 0, xyz[1]};
    return {xyz[0] / sum, xyz[1] / sum, xyz[1]};
}

ShaderTriple xyyToXyz(const ShaderTriple& xyy) {
    const auto [x, y, luminance] = xyy;
    if (y == 0) return {0, 0, 0};
    return {x * luminance / y, luminance, (1 - x - y) * luminance / y};
}

} // namespace

std::optional<ShaderColorSpace> colorSpaceNamed(std::string_view name) {
    if (name == "rgb") return ShaderColorSpace::kRgb;
    if (name == "hsv") return ShaderColorSpace::kHsv;
    if (name == "hsl") return ShaderColorSpace::kHsl;
    if (name == "XYZ" || name == "xyz") return ShaderColorSpace::kXyz;
    if (name == "xyY") return ShaderColorSpace::kXyy;
    if (name == "YIQ") return ShaderColorSpace::kYiq;
    return std::nullopt;
}

ShaderTriple colorToRgb(ShaderColorSpace space, const ShaderTriple& color) {
    switch (space) {
    case ShaderColorSpace::kRgb:
        return color;
    case ShaderColorSpace::kHsv:
        return hsvToRgb(color);
    case ShaderColorSpace::kHsl:
        return hslToRgb(color);
    case ShaderColorSpace::kXyz:
        return apply(kXyzToRgb, color);
    case ShaderColorSpace::kXyy:
        return apply(kXyzToRgb, xyyToXyz(color));
    case ShaderColorSpace::kYiq:
        return apply(kYiqToRgb, color);
    }
    return color;
}

ShaderTriple colorFromRgb(ShaderColorSpace space, const ShaderTriple& rgb) {
    switch (space) {
    case ShaderColorSpace::kRgb:
        return rgb;
    case ShaderColorSpace::kHsv:
        return rgbToHsv(rgb);
    case ShaderColorSpace::kHsl:
        return rgbToHsl(rgb);
    case ShaderColorSpace::kXyz:
        return apply(kRgbToXyz, rgb);
    case ShaderColorSpace::kXyy:
        return xyzToXyy(apply(kRgbToXyz, rgb));
    case ShaderColorSpace::kYiq:
        return apply(kRgbToYiq, rgb);
    }
    return rgb;
}

} // namespace quelmark
