#include "renderer/shading/ParameterValues.h"

#include "api/qel.h"
#include "renderer/shading/ShadingPoints.h"
#include "renderer/state/ArgList.h"
#include "renderer/state/ParmList.h"

#include <algorithm>

namespace quelmark {

namespace {

constexpr int kCorners = 4;

bool interpolated(const ArgAssoc& entry) {
    return entry.parameterClass == QEL_CLASS_VARY && entry.items >= kCorners;
}

} // namespace

void ParameterValues::bind(const ParmList& parameters, const ArgList& primitiveValues,
                           const ShadingPoints& points) {
    fViews.clear();
    fInterpolated.clear();
    for (const ParmAssoc& parm : parameters.bindings()) {
        const ArgAssoc* source = nullptr; // the last of the primitive's values wins
        for (const ArgAssoc& entry : primitiveValues)
            if (parameters.binding(entry) == &parm) source = &entry;
        View view{parm.target, parm.target, 0, source != nullptr, fInterpolated.size()};
        if (source && interpolated(*source)) {
            interpolate(*source, parm.width, points);
            view.stride = parm.width;
        } else if (source) {
            view.data = source->item(0);
        }
        fViews.push_back(view);
    }
    // The interpolated values are placed once they have all been made.
    for (View& view : fViews)
        if (view.stride) view.data = fInterpolated.data() + view.offset;
}

void ParameterValues::interpolate(const ArgAssoc& values, int width, const ShadingPoints& points) {
    const long across = points.valueAcross, down = points.valueDown;
    if (values.items < (across + 1) * (down + 1)) {
        interpolateCorners(values, width, points);
        return;
    }
    for (int n = 0; n < points.count; ++n) {
        const float x = points.gridU[std::size_t(n)] * float(across);
        const float y = points.gridV[std::size_t(n)] * float(down);
        const long i = std::clamp(long(x), 0L, across - 1), j = std::clamp(long(y), 0L, down - 1);
        const float u = x - float(i), v = y - float(j);
        const float *a = values.item(j * (across + 1) + i), *b = a + values.width;
        const float *c = values.item((j + 1) * (across + 1) + i), *d = c + values.width;
        const float w00 = (1 - u) * (1 - v), w10 = u * (1 - v), w01 = (1 - u) * v, w11 = u * v;
        for (int k = 0; k < width; ++k)
            fInterpolated.push_back(w00 * a[k] + w10 * b[k] + w01 * c[k] + w11 * d[k]);
    }
}

void ParameterValues::interpolateCorners(const ArgAssoc& corners, int width,
                                         const ShadingPoints& points) {
    const float *a = corners.item(0), *b = corners.item(1), *c = corners.item(2),
                *d = corners.item(3);
    for (int i = 0; i < points.count; ++i) {
        const float u = points.gridU[std::size_t(i)], v = points.gridV[std::size_t(i)];
        const float w00 = (1 - u) * (1 - v), w10 = u * (1 - v), w01 = (1 - u) * v, w11 = u * v;
        for (int k = 0; k < width; ++k)
            fInterpolated.push_back(w00 * a[k] + w10 * b[k] + w01 * c[k] + w11 * d[k]);
    }
}

const ParameterValues::View* ParameterValues::find(const float* member) const {
    for (const View& view : fViews)
        if (view.member == member) return &view;
    return nullptr;
}

} // namespace quelmark
