#include "renderer/hider/Bucket.h"

#include "common/Error.h"
#include "common/Random.h"
#include "renderer/display/Display.h"
#include "renderer/geometry/Primitive.h"
#include "renderer/hider/Exposure.h"
#include "renderer/shading/Grid.h"
#include "renderer/state/Attrib.h"
#include "renderer/state/Option.h"
#include "renderer/state/OutputPlan.h"
#include "renderer/state/RenderContext.h"

#include <algorithm>
#include <bit>
#include <vector>

namespace quelmark {

namespace {

const char* nameOrNull(const String& name) {
    return name.empty() ? nullptr : name.c_str();
}

float clampUnit(float value) {
    return std::clamp(value, 0.0f, 1.0f);
}

bool primitiveBefore(const Primitive* a, const Primitive* b) {
    if (a->sequence() != b->sequence()) return a->sequence() < b->sequence();
    return a->key() < b->key();
}

// Pixel buffers let go of on the caller's thread, for the workers' next
// buckets: taking memory of this size anew would make the allocator sort
// out all its small blocks each time.
class SpareBuffers {
public:
    std::vector<uint32_t> take(size_t size) {
        std::vector<uint32_t> buffer;
        {
            std::lock_guard<std::mutex> lock(fGuard);
            if (!fBuffers.empty()) {
                buffer.swap(fBuffers.back());
                fBuffers.pop_back();
            }
        }
        buffer.resize(size);
        return buffer;
    }
    void give(std::vector<uint32_t>& buffer) {
        std::lock_guard<std::mutex> lock(fGuard);
        if (fBuffers.size() < kKept) fBuffers.push_back(std::move(buffer));
        buffer = std::vector<uint32_t>();
    }

private:
    static constexpr size_t kKept = 64;
    std::mutex fGuard;
    std::vector<std::vector<uint32_t>> fBuffers;
};

SpareBuffers& spareBuffers() {
    static SpareBuffers* spares = new SpareBuffers; // outlives every thread
    return *spares;
}

// The dither of each pixel comes from a stream of its own.
constexpr uint64_t kDitherKey = 0xD17E5EEDULL;

} // namespace

bool Bucket::blursGrid(const Grid& grid) const {
    return (context().shutterOpens() && grid.moves()) || context().lens.open();
}

Bucket::~Bucket() {
    releaseGrids();
    while (Primitive* primitive = takePrimitive())
        delete primitive;
}

void Bucket::init(const RenderContext& context, long x0, long x1, long y0, long y1) {
    fContext = &context;
    xmin = x0;
    xmax = x1;
    ymin = y0;
    ymax = y1;
}

void Bucket::add(Grid* grid) {
    grid->useCount.fetch_add(1, std::memory_order_relaxed);
    std::lock_guard<std::mutex> lock(fIncoming);
    fGrids.push_back(Entry{grid->sequence(), grid->key(), grid});
}

void Bucket::addPrimitive(Primitive* primitive) {
    std::lock_guard<std::mutex> lock(fIncoming);
    fPrimitives.push_back(primitive);
}

void Bucket::orderPrimitives() {
    std::lock_guard<std::mutex> lock(fIncoming);
    // Taken from the back: the first in order last.
    std::sort(fPrimitives.begin(), fPrimitives.end(),
              [](const Primitive* a, const Primitive* b) { return primitiveBefore(b, a); });
}

Primitive* Bucket::takePrimitive() {
    std::lock_guard<std::mutex> lock(fIncoming);
    if (fPrimitives.empty()) return nullptr;
    Primitive* primitive = fPrimitives.back();
    fPrimitives.pop_back();
    return primitive;
}

bool Bucket::hasPrimitives() const {
    std::lock_guard<std::mutex> lock(fIncoming);
    return !fPrimitives.empty();
}

Grid* Bucket::takeGrid() {
    if (fNextGrid >= fGrids.size()) {
        fGrids.clear();
        fNextGrid = 0;
        return nullptr;
    }
    return fGrids[fNextGrid++].grid;
}

void Bucket::release(Grid* grid) {
    if (grid->useCount.fetch_sub(1, std::memory_order_acq_rel) <= 1) delete grid;
}

void Bucket::releaseGrids() {
    while (Grid* grid = takeGrid())
        release(grid);
}

Bucket::GridNames::GridNames(const Grid& grid) {
    const Attrib& attrib = *grid.attrib();
    setAttribNames(nameOrNull(attrib.objectNameValue), nameOrNull(attrib.groupNameValue));
}

Bucket::GridNames::~GridNames() {
    setAttribNames(nullptr, nullptr);
}

void Bucket::render(BucketScratch& scratch, Display* display) {
    renderPixels(scratch);
    sendRows(display);
}

const OutputPlan& Bucket::plan() const {
    return fContext->option.plan;
}

void Bucket::renderPixels(BucketScratch& scratch) {
    fScratch = &scratch;
    std::sort(fGrids.begin() + long(fNextGrid), fGrids.end(), [](const Entry& a, const Entry& b) {
        return a.sequence != b.sequence ? a.sequence < b.sequence : a.key < b.key;
    });
    generate();
    const long width = xmax - xmin + 1;
    const size_t rowLength = size_t(width * plan().slotsPerPixel());
    fPixels = spareBuffers().take(rowLength * size_t(ymax - ymin + 1));
    const CompiledImager* imager = fContext->option.imagerShader.get();
    // The imager runs where its results show: in colour, alpha or opacity.
    if (imager && (plan().wantsColor() || plan().wantsOpacity))
        writeImagedPixels(*imager, rowLength);
    else
        writeFilteredPixels(rowLength);
    freeSamples();
    releaseGrids();
}

void Bucket::writeFilteredPixels(size_t rowLength) {
    PixelValues pixel;
    for (long y = ymin; y <= ymax; ++y) {
        uint32_t* row = fPixels.data() + size_t(y - ymin) * rowLength;
        for (long x = xmin; x <= xmax; ++x) {
            filter(x, y, pixel);
            writePixel(row, x, y, pixel);
        }
    }
}

void Bucket::writeImagedPixels(const CompiledImager& imager, size_t rowLength) {
    const int width = int(xmax - xmin + 1), height = int(ymax - ymin + 1);
    std::vector<PixelValues>& filtered = scratch().filtered;
    ImagerPixels& pixels = scratch().imaging.pixels;
    filtered.resize(size_t(width) * size_t(height));
    pixels.place(xmin, ymin, width, height);
    size_t k = 0;
    for (long y = ymin; y <= ymax; ++y)
        for (long x = xmin; x <= xmax; ++x, ++k) {
            filter(x, y, filtered[k]);
            pixels.Ci[k] = filtered[k].C;
            pixels.Oi[k] = filtered[k].Oi;
            pixels.alpha[k] = filtered[k].alpha;
        }
    imager.shade(*fContext, scratch().imaging);
    k = 0;
    for (long y = ymin; y <= ymax; ++y) {
        uint32_t* row = fPixels.data() + size_t(y - ymin) * rowLength;
        for (long x = xmin; x <= xmax; ++x, ++k) {
            filtered[k].C = pixels.Ci[k];
            filtered[k].Oi = pixels.Oi[k];
            filtered[k].alpha = pixels.alpha[k];
            writePixel(row, x, y, filtered[k]);
        }
    }
}

void Bucket::sendRows(Display* display) {
    const size_t rowLength = size_t((xmax - xmin + 1) * plan().slotsPerPixel());
    if (display && rowLength > 0 && fPixels.size() >= rowLength * size_t(ymax - ymin + 1))
        for (long y = ymin; y <= ymax; ++y)
            display->span(xmin, xmax, y, fPixels.data() + size_t(y - ymin) * rowLength);
    spareBuffers().give(fPixels);
}

namespace {

// The camera-space depth of a hider depth key.
float cameraDepth(float z, const Option& option) {
    if (!option.depthNormalize) return z;
    return float(double(option.nearClip) + double(z) * (double(option.farClip) - option.nearClip));
}

float channelValue(const OutputChannel& channel, const PixelValues& pixel, const Option& option) {
    switch (channel.source) {
    case ChannelSource::kRed:
        return pixel.C.r;
    case ChannelSource::kGreen:
        return pixel.C.g;
    case ChannelSource::kBlue:
        return pixel.C.b;
    case ChannelSource::kAlpha:
        return pixel.alpha;
    case ChannelSource::kDepth:
        return pixel.z;
    case ChannelSource::kNearestDepth:
        return cameraDepth(pixel.nearest, option);
    case ChannelSource::kOpacity:
        return channel.index == 0 ? pixel.Oi.r : channel.index == 1 ? pixel.Oi.g : pixel.Oi.b;
    case ChannelSource::kVariable:
        return channel.index < pixel.variables.size() ? pixel.variables[channel.index] : 0.0f;
    }
    return 0.0f;
}

// A float kept as it is (within [0, 1] when the channel clamps), or a value
// quantised with dither.
uint32_t storedValue(float value, const OutputChannel& channel, RandomStream& dither) {
    const Quantization& q = channel.quantization;
    if (q.keepsFloats()) return std::bit_cast<uint32_t>(channel.clamps ? clampUnit(value) : value);
    float rho = float(dither.next()) / float(kRandomMax);
    return uint32_t(quantize(value * (q.one - q.zero) + q.zero, 1.0f, q.min, q.max, q.dither, rho));
}

} // namespace

void Bucket::writePixel(uint32_t* row, long px, long py, PixelValues& pixel) const {
    const Option& option = fContext->option;
    const OutputPlan& outputs = option.plan;
    if (outputs.wantsColor()) expose(pixel.C, option.gain, option.invGamma);
    const long width = xmax - xmin + 1, column = px - xmin;
    const uint64_t key = mixKey(kDitherKey, mixKey(uint64_t(px), uint64_t(py)));
    uint32_t* section = row;
    for (const ImageOutput& output : outputs.outputs) {
        const long channels = long(output.channels.size());
        uint32_t* slots = section + column * channels;
        RandomStream dither = RandomStream::keyed(key);
        for (const OutputChannel& channel : output.channels)
            *slots++ = storedValue(channelValue(channel, pixel, option), channel, dither);
        section += width * channels;
    }
}

} // namespace quelmark
