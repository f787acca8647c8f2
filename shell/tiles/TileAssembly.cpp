#include "shell/tiles/TileAssembly.h"

#include "common/AtomicFile.h"

#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfInputFile.h>
#include <ImfOutputFile.h>

#include <algorithm>
#include <exception>
#include <optional>

namespace quelmark {

namespace {

using Window = TileAssembly::Window;

Window windowOf(const Imath::Box2i& box) {
    return {box.min.x, box.min.y, box.max.x, box.max.y};
}

bool overlap(const Window& a, const Window& b) {
    return a.xmin <= b.xmax && b.xmin <= a.xmax && a.ymin <= b.ymax && b.ymin <= a.ymax;
}

Window spanned(const Window& a, const Window& b) {
    return {std::min(a.xmin, b.xmin), std::min(a.ymin, b.ymin), std::max(a.xmax, b.xmax),
            std::max(a.ymax, b.ymax)};
}

std::string describe(const Window& w) {
    return "(" + std::to_string(w.xmin) + ", " + std::to_string(w.ymin) + ") to (" +
           std::to_string(w.xmax) + ", " + std::to_string(w.ymax) + ")";
}

bool subsampled(const Imf::ChannelList& channels) {
    for (auto c = channels.begin(); c != channels.end(); ++c)
        if (c.channel().xSampling != 1 || c.channel().ySampling != 1) return true;
    return false;
}

// A band of whole rows of the result, a plane of bytes per channel.
class Band {
public:
    Band(const Imf::ChannelList& channels, const Window& window, int rows)
        : fXmin(window.xmin), fWidth(size_t(window.xmax - window.xmin + 1)) {
        for (auto c = channels.begin(); c != channels.end(); ++c) {
            Plane plane{c.name(), c.channel().type, {}};
            plane.bytes.resize(pixelSize(plane.type) * fWidth * size_t(rows));
            fPlanes.push_back(std::move(plane));
        }
    }

    // The planes as rows first to last of the result; a file reads or
    // writes the rows of its own that fall there.
    Imf::FrameBuffer frameBuffer(int first, int last) {
        Imath::Box2i rows(Imath::V2i(fXmin, first), Imath::V2i(fXmin + int(fWidth) - 1, last));
        Imf::FrameBuffer buffer;
        for (Plane& plane : fPlanes)
            buffer.insert(plane.name,
                          Imf::Slice::Make(plane.type, plane.bytes.data(), rows,
                                           pixelSize(plane.type), pixelSize(plane.type) * fWidth));
        return buffer;
    }

private:
    struct Plane {
        std::string name;
        Imf::PixelType type;
        std::vector<char> bytes;
    };

    static size_t pixelSize(Imf::PixelType type) { return type == Imf::HALF ? 2 : 4; }

    int fXmin;
    size_t fWidth;
    std::vector<Plane> fPlanes;
};

void readRows(const std::string& path, Band& band, int first, int last) {
    Imf::InputFile file(path.c_str());
    file.setFrameBuffer(band.frameBuffer(first, last));
    const Imath::Box2i& window = file.header().dataWindow();
    file.readPixels(std::max(first, window.min.y), std::min(last, window.max.y));
}

} // namespace

bool TileAssembly::open(const std::vector<std::string>& paths, std::string& problem) {
    fTiles.clear();
    if (paths.empty()) {
        problem = "no tiles to assemble";
        return false;
    }
    std::vector<Tile> tiles;
    std::optional<Imf::Header> first;
    for (const std::string& path : paths) {
        try {
            Imf::InputFile file(path.c_str());
            const Imf::Header& header = file.header();
            if (subsampled(header.channels())) {
                problem = path + ": subsampled channels cannot be assembled";
                return false;
            }
            if (!first) {
                first = header;
            } else if (header.displayWindow() != first->displayWindow()) {
                problem = path + ": another picture than " + paths.front() +
                          " (its display window differs)";
                return false;
            } else if (!(header.channels() == first->channels())) {
                problem = path + ": other channels than " + paths.front();
                return false;
            }
            tiles.push_back({path, windowOf(header.dataWindow())});
        } catch (const std::exception& e) {
            problem = e.what();
            return false;
        }
    }
    if (!checkCover(tiles, problem)) return false;
    fTiles = std::move(tiles);
    return true;
}

bool TileAssembly::checkCover(const std::vector<Tile>& tiles, std::string& problem) {
    Window span = tiles.front().window;
    long long area = 0;
    for (size_t k = 0; k < tiles.size(); ++k) {
        const Tile& tile = tiles[k];
        for (size_t j = 0; j < k; ++j)
            if (overlap(tile.window, tiles[j].window)) {
                problem = tile.path + " overlaps " + tiles[j].path;
                return false;
            }
        span = spanned(span, tile.window);
        area += tile.window.area();
    }
    if (area != span.area()) {
        problem = "the tiles leave pixels of " + describe(span) + " out";
        return false;
    }
    fWindow = span;
    return true;
}

bool TileAssembly::write(const std::string& path, std::string& problem,
                         const std::function<bool()>& cancelled) const {
    if (fTiles.empty()) {
        problem = "no tiles to assemble";
        return false;
    }
    bool wasCancelled = false;
    bool written = AtomicFile::writeWhole(path, [&](const char* tempPath) {
        try {
            wasCancelled = !writeBands(tempPath, cancelled);
            return !wasCancelled;
        } catch (const std::exception& e) {
            problem = e.what();
            return false;
        }
    });
    if (written) return true;
    if (wasCancelled)
        problem = "cancelled";
    else if (problem.empty())
        problem = "cannot write " + path;
    return false;
}

bool TileAssembly::writeBands(const char* path, const std::function<bool()>& cancelled) const {
    Imf::Header header = Imf::InputFile(fTiles.front().path.c_str()).header();
    header.dataWindow() = Imath::Box2i(Imath::V2i(fWindow.xmin, fWindow.ymin),
                                       Imath::V2i(fWindow.xmax, fWindow.ymax));
    Imf::OutputFile out(path, header);
    Band band(header.channels(), fWindow, fBandRows);
    for (int first = fWindow.ymin; first <= fWindow.ymax; first += fBandRows) {
        if (cancelled && cancelled()) return false;
        int last = std::min(fWindow.ymax, first + fBandRows - 1);
        for (const Tile& tile : fTiles)
            if (tile.window.ymin <= last && tile.window.ymax >= first)
                readRows(tile.path, band, first, last);
        out.setFrameBuffer(band.frameBuffer(first, last));
        out.writePixels(last - first + 1);
    }
    return true;
}

} // namespace quelmark
