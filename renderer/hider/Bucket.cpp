#include "renderer/hider/Bucket.h"

#include "common/Error.h"
#include "common/Random.h"
#include "renderer/display/Display.h"
#include "renderer/geometry/Primitive.h"
#include "renderer/hider/Exposure.h"
#include "renderer/shading/Grid.h"
#include "renderer/state/Attrib.h"
#include "renderer/state/Option.h"

#include <algorithm>
#include <bit>
#include <vector>

namespace {

const char* nameOrNull(const String& name) {
    return name.empty() ? nullptr : name.c_str();
}

uint32_t clampedFloat(float value) {
    return std::bit_cast<uint32_t>(std::clamp(value, 0.0f, 1.0f));
}

// A value stored as a float when "one" is below 1, otherwise quantised.
uint32_t storedValue(float value, float one, float min, float max, float jitter,
                     RandomStream& dither) {
    if (one < 1.0f) return clampedFloat(value);
    float rho = float(dither.next()) / float(kRandomMax);
    return uint32_t(quantize(value, one, min, max, jitter, rho));
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

Bucket::~Bucket() {
    releaseGrids();
    while (Primitive* primitive = takePrimitive())
        delete primitive;
}

void Bucket::init(long x0, long x1, long y0, long y1) {
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

void Bucket::render() {
    renderPixels();
    sendRows(gDisplay);
}

void Bucket::renderPixels() {
    std::sort(fGrids.begin() + long(fNextGrid), fGrids.end(), [](const Entry& a, const Entry& b) {
        return a.sequence != b.sequence ? a.sequence < b.sequence : a.key < b.key;
    });
    generate();
    const long channels = gOption->channels;
    fPixels = spareBuffers().take(size_t((xmax - xmin + 1) * (ymax - ymin + 1) * channels));
    uint32_t* slots = fPixels.data();
    for (long y = ymin; y <= ymax; ++y)
        for (long x = xmin; x <= xmax; ++x, slots += channels) {
            float alpha = 0.0f, z = 1.0f;
            Color C = filter(x, y, alpha, z);
            writePixel(slots, x, y, C, alpha, z);
        }
    freeSamples();
    releaseGrids();
}

void Bucket::sendRows(Display* display) {
    const size_t rowLength = size_t((xmax - xmin + 1) * gOption->channels);
    if (display && fPixels.size() >= rowLength * size_t(ymax - ymin + 1))
        for (long y = ymin; y <= ymax; ++y)
            display->span(xmin, xmax, y, fPixels.data() + size_t(y - ymin) * rowLength);
    spareBuffers().give(fPixels);
}

void Bucket::writePixel(uint32_t* slots, long px, long py, Color C, float alpha, float z) const {
    const Option& option = *gOption;
    RandomStream dither =
        RandomStream::keyed(mixKey(kDitherKey, mixKey(uint64_t(px), uint64_t(py))));
    auto colorValue = [&option, &dither](float value) {
        return storedValue(value, option.colorOne, option.colorMin, option.colorMax,
                           option.colorDither, dither);
    };
    if (option.colorOut) {
        expose(C, option.gain, option.invGamma);
        *slots++ = colorValue(C.r);
        *slots++ = colorValue(C.g);
        *slots++ = colorValue(C.b);
    }
    if (option.alphaOut) *slots++ = colorValue(alpha);
    if (option.depthOut)
        *slots = storedValue(z, option.depthOne, option.depthMin, option.depthMax,
                             option.depthDither, dither);
}
