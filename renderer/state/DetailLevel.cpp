#include "renderer/state/DetailLevel.h"

#include <algorithm>
#include <cfloat>

namespace quelmark {

namespace {

// Camera depths below this cannot be projected under perspective.
constexpr float kEyePlane = 1e-6f;

} // namespace

float detailArea(const Point (&corners)[8], const Matrix& cameraToRaster, bool perspective) {
    float xmin = FLT_MAX, xmax = -FLT_MAX, ymin = FLT_MAX, ymax = -FLT_MAX;
    for (const Point& corner : corners) {
        if (perspective && !(corner.z >= kEyePlane)) return FLT_MAX;
        const Point raster = corner * cameraToRaster;
        xmin = std::min(xmin, raster.x), xmax = std::max(xmax, raster.x);
        ymin = std::min(ymin, raster.y), ymax = std::max(ymax, raster.y);
    }
    const float area = (xmax - xmin) * (ymax - ymin);
    return area < FLT_MAX ? area : FLT_MAX;
}

DetailWindow detailWindow(float detail, const float (&range)[4]) {
    const float leastVisible = range[0], lower = range[1], upper = range[2], mostVisible = range[3];
    if (!(detail >= leastVisible && detail <= mostVisible)) return DetailWindow{0.0f, 0.0f};
    if (detail < lower) return DetailWindow{0.0f, (detail - leastVisible) / (lower - leastVisible)};
    if (detail > upper)
        return DetailWindow{1.0f - (mostVisible - detail) / (mostVisible - upper), 1.0f};
    return DetailWindow{};
}

} // namespace quelmark
