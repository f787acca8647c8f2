#include "renderer/geometry/SplitArgs.h"

#include "api/qel.h"

#include <cstddef>

namespace quelmark {

namespace {

constexpr long kCorners = 4;

bool hasCorners(const ArgAssoc& entry) {
    bool interpolated =
        entry.parameterClass == QEL_CLASS_VARY || entry.parameterClass == QEL_CLASS_VERTEX;
    return interpolated && entry.items == kCorners && entry.isNumeric() && entry.width > 0 &&
           entry.floats.size() == size_t(kCorners * entry.width);
}

float bilerp(float u, float v, float c00, float c10, float c01, float c11) {
    float bottom = c00 + u * (c10 - c00);
    float top = c01 + u * (c11 - c01);
    return bottom + v * (top - bottom);
}

void interpolateCorners(const ArgAssoc& parent, ArgAssoc& child, float u0, float u1, float v0,
                        float v1) {
    const float us[kCorners] = {u0, u1, u0, u1};
    const float vs[kCorners] = {v0, v0, v1, v1};
    for (long corner = 0; corner < kCorners; ++corner) {
        float* out = child.item(corner);
        for (int k = 0; k < parent.width; ++k)
            out[k] = bilerp(us[corner], vs[corner], parent.item(0)[k], parent.item(1)[k],
                            parent.item(2)[k], parent.item(3)[k]);
    }
}

} // namespace

ArgList splitArgs(const ArgList& args, float u0, float u1, float v0, float v1) {
    ArgList result;
    for (const ArgAssoc& entry : args) {
        ArgAssoc child = entry;
        if (hasCorners(entry)) interpolateCorners(entry, child, u0, u1, v0, v1);
        result.add(std::move(child));
    }
    return result;
}

} // namespace quelmark
