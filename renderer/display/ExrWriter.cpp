#include "renderer/display/ExrWriter.h"

#include "renderer/display/FrameBuffer.h"

#include <ImathBox.h>
#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfOutputFile.h>
#include <half.h>

#include <cstdio>
#include <vector>

namespace quelmark {

namespace {

// A channel of the file and the pixel slot it comes from; no slot (-1)
// means the constant 1.
struct ChannelSource {
    const char* name;
    int slot;
    Imf::PixelType type;
};

std::vector<ChannelSource> channelsOf(const PixelFormat& format) {
    std::vector<ChannelSource> channels;
    if (format.color) {
        channels.push_back({"R", 0, Imf::HALF});
        channels.push_back({"G", 1, Imf::HALF});
        channels.push_back({"B", 2, Imf::HALF});
    }
    if (format.color || format.alpha) channels.push_back({"A", format.alphaSlot(), Imf::HALF});
    if (format.depth) channels.push_back({"Z", format.depthSlot(), Imf::FLOAT});
    // A shading variable keeps its full precision.
    int first = format.firstVariableSlot();
    if (format.variableComponents == 3) {
        channels.push_back({"R", first, Imf::FLOAT});
        channels.push_back({"G", first + 1, Imf::FLOAT});
        channels.push_back({"B", first + 2, Imf::FLOAT});
    } else if (format.variableComponents == 1) {
        channels.push_back({"Y", first, Imf::FLOAT});
    }
    return channels;
}

// Quantised integers are signed.
float valueOf(uint32_t slot, const PixelFormat& format, int channel) {
    if (format.isFloatSlot(channel)) return floatFromSlot(slot);
    return float(int32_t(slot)) / format.oneOf(channel);
}

// One channel's values over the data window, rows top down.
class Plane {
public:
    Plane(const ChannelSource& source, const FrameBuffer& image, const PixelRegion& region)
        : fType(source.type) {
        long count = region.width() * region.height();
        if (fType == Imf::HALF)
            fHalves.reserve(std::size_t(count));
        else
            fFloats.reserve(std::size_t(count));
        const PixelFormat& format = image.format();
        std::vector<uint32_t> row;
        for (long y = region.y0; y <= region.y1; ++y) {
            image.readRow(y, region.x0, region.x1, row);
            const uint32_t* slots = row.data();
            for (long x = region.x0; x <= region.x1; ++x, slots += format.channels())
                add(source.slot < 0 ? 1.0f : valueOf(slots[source.slot], format, source.slot));
        }
    }

    Imf::Slice slice(const Imath::Box2i& window) const {
        std::size_t size = fType == Imf::HALF ? sizeof(half) : sizeof(float);
        const void* data =
            fType == Imf::HALF ? static_cast<const void*>(fHalves.data()) : fFloats.data();
        std::size_t width = std::size_t(window.max.x - window.min.x + 1);
        return Imf::Slice::Make(fType, data, window, size, size * width);
    }

private:
    void add(float value) {
        if (fType == Imf::HALF)
            fHalves.push_back(half(value));
        else
            fFloats.push_back(value);
    }

    Imf::PixelType fType;
    std::vector<half> fHalves;
    std::vector<float> fFloats;
};

bool insideImage(const PixelRegion& region, const FrameBuffer& image) {
    return !region.empty() && region.x0 >= 0 && region.y0 >= 0 && region.x1 < image.width() &&
           region.y1 < image.height();
}

Imath::Box2i boxOf(const PixelRegion& region) {
    return Imath::Box2i(Imath::V2i(int(region.x0), int(region.y0)),
                        Imath::V2i(int(region.x1), int(region.y1)));
}

// Throws what OpenEXR throws; opened tells whether the file was created.
void writeFile(const char* path, const FrameBuffer& image, const PixelRegion& region,
               bool& opened) {
    std::vector<ChannelSource> sources = channelsOf(image.format());
    std::vector<Plane> planes;
    planes.reserve(sources.size());
    for (const ChannelSource& source : sources)
        planes.emplace_back(source, image, region);

    Imath::Box2i displayWindow(Imath::V2i(0, 0),
                               Imath::V2i(int(image.width() - 1), int(image.height() - 1)));
    Imath::Box2i dataWindow = boxOf(region);
    Imf::Header header(displayWindow, dataWindow);
    header.compression() = Imf::ZIP_COMPRESSION;
    Imf::FrameBuffer slices;
    for (std::size_t k = 0; k < sources.size(); ++k) {
        header.channels().insert(sources[k].name, Imf::Channel(sources[k].type));
        slices.insert(sources[k].name, planes[k].slice(dataWindow));
    }

    Imf::OutputFile file(path, header);
    opened = true;
    file.setFrameBuffer(slices);
    file.writePixels(int(region.height()));
}

} // namespace

bool writeExr(const char* path, const FrameBuffer& image, const PixelRegion& dataWindow) {
    if (!path || image.empty() || !insideImage(dataWindow, image)) return false;
    bool opened = false;
    bool written = false;
    try {
        writeFile(path, image, dataWindow, opened);
        written = true;
    } catch (...) {
        written = false; // OpenEXR's own exceptions and running out of memory
    }
    if (!written && opened) std::remove(path);
    return written;
}

} // namespace quelmark
