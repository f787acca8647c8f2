// The median cut of a photographic-looking image: a smooth gradient with
// noise on it, 640 by 480 (or as given). Prints the time of one cut (the
// best of a few), the palette size and the mean error per channel of the
// palette image against the original.
//
//   median_cut_bench [width height]
#include "common/Random.h"
#include "renderer/display/MedianCut.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace quelmark;

namespace {

std::vector<uint32_t> gradientWithNoise(long width, long height) {
    std::vector<uint32_t> pixels;
    pixels.reserve(size_t(width * height));
    RandomStream random(3);
    auto noisy = [&random](double level) {
        double noise = (double(random.next()) / 32767.0 - 0.5) * 24.0;
        return uint32_t(std::clamp(level + noise, 0.0, 255.0));
    };
    for (long y = 0; y < height; ++y)
        for (long x = 0; x < width; ++x) {
            double u = double(x) / double(width - 1), v = double(y) / double(height - 1);
            pixels.push_back(noisy(255 * u) | noisy(255 * v) << 8 |
                             noisy(255 * (1 - u) * (0.5 + 0.5 * v)) << 16);
        }
    return pixels;
}

} // namespace

int main(int argc, char** argv) {
    long width = argc > 2 ? std::atol(argv[1]) : 640, height = argc > 2 ? std::atol(argv[2]) : 480;
    if (width < 2 || height < 2) {
        std::fprintf(stderr, "usage: median_cut_bench [width height], both at least 2\n");
        return 2;
    }
    std::vector<uint32_t> pixels = gradientWithNoise(width, height);
    PaletteImage cut;
    double best = 1e30;
    for (int run = 0; run < 5; ++run) {
        auto start = std::chrono::steady_clock::now();
        cut = MedianCut::quantize(pixels.data(), width, height);
        std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    double error[3] = {0, 0, 0};
    for (size_t k = 0; k < pixels.size(); ++k) {
        uint32_t shown = cut.palette[cut.indices[k]];
        for (int c = 0; c < 3; ++c)
            error[c] += std::abs(int((pixels[k] >> (8 * c)) & 0xFF) - int((shown >> (8 * c)) & 0xFF));
    }
    const double count = double(pixels.size());
    std::printf("median cut of %ld x %ld: %.1f ms, %zu colours\n", width, height, best * 1000,
                cut.palette.size());
    std::printf("mean error per channel: red %.2f, green %.2f, blue %.2f (of 255)\n",
                error[0] / count, error[1] / count, error[2] / count);
    return 0;
}
