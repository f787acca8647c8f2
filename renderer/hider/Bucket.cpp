#include "renderer/hider/Bucket.h"

#include "common/Error.h"
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

const char* nameOrNull(const String& name) { return name.empty() ? nullptr : name.c_str(); }

uint32_t clampedFloat(float value) { return std::bit_cast<uint32_t>(std::clamp(value, 0.0f, 1.0f)); }

// A value stored as a float when "one" is below 1, otherwise quantised.
uint32_t storedValue(float value, float one, float min, float max, float jitter) {
    if (one < 1.0f) return clampedFloat(value);
    return uint32_t(quantize(value, one, min, max, jitter));
}

} // namespace

Bucket::~Bucket() {
    releaseGrids();
    while (Primitive* primitive = takePrimitive()) delete primitive;
}

void Bucket::init(long x0, long x1, long y0, long y1) {
    xmin = x0;
    xmax = x1;
    ymin = y0;
    ymax = y1;
}

void Bucket::add(Grid* grid) {
    ++grid->useCount;
    fLastGrid = fGrids.insertAfter(fLastGrid, grid);
}

void Bucket::addPrimitive(Primitive* primitive) { fPrimitives.add(primitive); }

Primitive* Bucket::takePrimitive() { return fPrimitives.detachHead(); }

Grid* Bucket::takeGrid() {
    Grid* grid = fGrids.detachHead();
    if (fGrids.empty()) fLastGrid = nullptr;
    return grid;
}

void Bucket::release(Grid* grid) {
    if (--grid->useCount < 1) delete grid;
}

void Bucket::releaseGrids() {
    while (Grid* grid = takeGrid()) release(grid);
}

Bucket::GridNames::GridNames(const Grid& grid) {
    const Attrib& attrib = *grid.attrib();
    setAttribNames(nameOrNull(attrib.objectNameValue), nameOrNull(attrib.groupNameValue));
}

Bucket::GridNames::~GridNames() { setAttribNames(nullptr, nullptr); }

void Bucket::render() {
    const Option& option = *gOption;
    float halfWidth = option.filterXWidth / 2, halfHeight = option.filterYWidth / 2;
    float x0 = float(xmin) + 0.5f - halfWidth, x1 = float(xmax) + 0.5f + halfWidth;
    float y0 = float(ymin) + 0.5f - halfHeight, y1 = float(ymax) + 0.5f + halfHeight;
    generate(x0, x1, y0, y1);

    const long channels = option.channels;
    std::vector<uint32_t> row(size_t((xmax - xmin + 1) * channels));
    for (long y = ymin; y <= ymax; ++y) {
        uint32_t* slots = row.data();
        for (long x = xmin; x <= xmax; ++x, slots += channels) {
            float alpha = 0.0f, z = 1.0f;
            Color C = filter(float(x) + 0.5f, float(y) + 0.5f, x0, y0, alpha, z);
            writePixel(slots, C, alpha, z);
        }
        if (gDisplay) gDisplay->span(xmin, xmax, y, row.data());
    }
    releaseGrids();
}

void Bucket::writePixel(uint32_t* slots, Color C, float alpha, float z) const {
    const Option& option = *gOption;
    auto colorValue = [&option](float value) {
        return storedValue(value, option.colorOne, option.colorMin, option.colorMax,
                           option.colorDither);
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
                             option.depthDither);
}
