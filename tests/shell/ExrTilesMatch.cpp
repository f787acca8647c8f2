// exr-tiles-match FULL TILE...: every tile's pixels (its data window) equal
// the full image's at the same places, bit for bit, channel by channel, and
// the tiles together cover the full image's data window once. A tile may
// reach beyond that window (its crop replaced the scene's own); those pixels
// have nothing to compare with.
#include <ImfArray.h>
#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfInputFile.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

namespace {

struct Image {
    Imath::Box2i window;
    std::vector<std::string> channels;
    std::vector<std::vector<float>> planes; // per channel, row by row of the data window

    int width() const { return window.max.x - window.min.x + 1; }
    int height() const { return window.max.y - window.min.y + 1; }
    float at(size_t channel, int x, int y) const {
        return planes[channel]
                     [size_t(y - window.min.y) * size_t(width()) + size_t(x - window.min.x)];
    }
};

Image read(const char* path) {
    Imf::InputFile file(path);
    Image image;
    image.window = file.header().dataWindow();
    Imf::FrameBuffer buffer;
    const Imf::ChannelList& channels = file.header().channels();
    for (auto c = channels.begin(); c != channels.end(); ++c)
        image.channels.emplace_back(c.name());
    image.planes.resize(image.channels.size());
    const size_t count = size_t(image.width()) * size_t(image.height());
    for (size_t k = 0; k < image.channels.size(); ++k) {
        image.planes[k].assign(count, 0.0f);
        char* origin = reinterpret_cast<char*>(image.planes[k].data()) -
                       (ptrdiff_t(image.window.min.x) +
                        ptrdiff_t(image.window.min.y) * ptrdiff_t(image.width())) *
                           ptrdiff_t(sizeof(float));
        buffer.insert(image.channels[k].c_str(), Imf::Slice(Imf::FLOAT, origin, sizeof(float),
                                                            sizeof(float) * size_t(image.width())));
    }
    file.setFrameBuffer(buffer);
    file.readPixels(image.window.min.y, image.window.max.y);
    return image;
}

bool sameBits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: exr-tiles-match FULL TILE...\n", stderr);
        return 2;
    }
    try {
        Image full = read(argv[1]);
        std::vector<int> covered(size_t(full.width()) * size_t(full.height()), 0);
        for (int t = 2; t < argc; ++t) {
            Image tile = read(argv[t]);
            if (tile.channels != full.channels) {
                std::fprintf(stderr, "%s: other channels than %s\n", argv[t], argv[1]);
                return 1;
            }
            for (int y = tile.window.min.y; y <= tile.window.max.y; ++y)
                for (int x = tile.window.min.x; x <= tile.window.max.x; ++x) {
                    if (x < full.window.min.x || x > full.window.max.x || y < full.window.min.y ||
                        y > full.window.max.y)
                        continue;
                    for (size_t k = 0; k < full.channels.size(); ++k)
                        if (!sameBits(tile.at(k, x, y), full.at(k, x, y))) {
                            std::fprintf(stderr, "%s: pixel (%d, %d) %s is %g, not %g\n", argv[t],
                                         x, y, full.channels[k].c_str(), double(tile.at(k, x, y)),
                                         double(full.at(k, x, y)));
                            return 1;
                        }
                    ++covered[size_t(y - full.window.min.y) * size_t(full.width()) +
                              size_t(x - full.window.min.x)];
                }
        }
        for (int count : covered)
            if (count != 1) {
                std::fputs("the tiles do not cover the image exactly once\n", stderr);
                return 1;
            }
        std::printf("%d tiles equal %s\n", argc - 2, argv[1]);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "exr-tiles-match: %s\n", e.what());
        return 2;
    }
}
