#include "renderer/geometry/Procedural.h"

#include "common/Error.h"
#include "renderer/state/Camera.h"
#include "renderer/state/State.h"
#include "renderer/state/Transform.h"

#include <cmath>
#include <mutex>

namespace {

// The graphics state is one: procedurals on different threads of the
// renderer subdivide one at a time.
std::mutex gSubdivision;

int generationAfter(const Primitive* parent) {
    if (!parent || parent->type() != 16) return 0;
    return static_cast<const Procedural*>(parent)->generation() + 1;
}

} // namespace

Procedural::Procedural(std::shared_ptr<Data> data, const Bound& bound, qelSubdivideFunc subdivide)
    : fData(std::move(data)), fBound(bound), fSubdivide(subdivide),
      fGeneration(generationAfter(Primitive::Spawning::parent())) {}

Boundw Procedural::bound() const { return Boundw(fBound, 1.0f, 1.0f); }

void Procedural::split() {
    if (fGeneration >= kDeepestGeneration) {
        error(kErrRange, kError, "procedurals made by procedurals %d deep; this one is left out",
              kDeepestGeneration);
        return;
    }
    Bound raster = fBound * (transform()->matrix() * gCameraToRaster);
    float detail = (raster.xmax - raster.xmin) * (raster.ymax - raster.ymin);
    if (!std::isfinite(detail)) detail = 1e38f;
    std::lock_guard<std::mutex> lock(gSubdivision);
    Primitive::Spawning spawning(*this);
    gState->pushScratch(*attrib(), *transform());
    fSubdivide(fData->get(), detail);
    gState->popScratch();
}
