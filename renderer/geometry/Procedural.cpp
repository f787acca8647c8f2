#include "renderer/geometry/Procedural.h"

#include "common/Error.h"
#include "renderer/geometry/PrimitiveSink.h"
#include "renderer/state/RenderContext.h"
#include "renderer/state/Transform.h"

#include <cmath>

namespace quelmark {

namespace {

// The detail of a bound too large to measure.
constexpr float kLargestDetail = 1e38f;

} // namespace

Procedural::Procedural(std::shared_ptr<Data> data, const Bound& bound, qelSubdivideFunc subdivide)
    : fData(std::move(data)), fBound(bound), fSubdivide(subdivide) {}

void Procedural::followParent(const Primitive& parent) {
    Primitive::followParent(parent);
    if (parent.type() == type())
        fGeneration = static_cast<const Procedural&>(parent).generation() + 1;
}

Boundw Procedural::bound() const { return Boundw(fBound, 1.0f, 1.0f); }

void Procedural::split(PrimitiveSink& sink) {
    if (fGeneration >= kDeepestGeneration) {
        error(kErrRange, kError, "procedurals made by procedurals %d deep; this one is left out",
              kDeepestGeneration);
        return;
    }
    Bound raster = fBound * (transform()->matrix() * sink.context().cameraToRaster);
    float detail = (raster.xmax - raster.xmin) * (raster.ymax - raster.ymin);
    if (!std::isfinite(detail)) detail = kLargestDetail;
    sink.subdivide(*this, [&] { fSubdivide(fData->get(), detail); });
}

} // namespace quelmark
