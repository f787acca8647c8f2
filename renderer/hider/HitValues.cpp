#include "renderer/hider/HitValues.h"

#include "api/qel.h"
#include "renderer/hider/MicroPolygon.h"
#include "renderer/shading/ShadingFunctions.h"
#include "renderer/state/Attrib.h"

#include <algorithm>

namespace quelmark {

float* HitValues::append() {
    size_t start = fValues.size();
    fValues.resize(start + size_t(fFloats));
    return fValues.data() + start;
}

uint32_t HitValues::add(const MicroPolygon& mp, float s, float t) {
    auto index = uint32_t(fValues.size() / size_t(fFloats));
    float* out = append();
    const Grid& grid = *mp.grid();
    if (grid.variableFloats() != fFloats) return index;
    const int i = mp.column(), j = mp.row();
    const float* a = grid.variableValues(i, j);
    if (grid.attrib()->shadingModelCode != QEL_SHADING_GOURAUD) {
        std::copy(a, a + fFloats, out);
        return index;
    }
    const float* b = grid.variableValues(i + 1, j);
    const float* c = grid.variableValues(i, j + 1);
    const float* d = grid.variableValues(i + 1, j + 1);
    for (int k = 0; k < fFloats; ++k)
        out[k] = bilerp(s, t, a[k], b[k], c[k], d[k]);
    return index;
}

uint32_t HitValues::add(const float* values) {
    auto index = uint32_t(fValues.size() / size_t(fFloats));
    std::copy(values, values + fFloats, append());
    return index;
}

} // namespace quelmark
