#include "renderer/state/ParmList.h"

#include "api/qel.h"
#include "common/Color.h"
#include "common/Point.h"
#include "renderer/state/ArgList.h"

namespace quelmark {

void ParmList::bind(unsigned short quark, float* value) {
    fBindings.push_back({quark, 1, value});
}

void ParmList::bind(unsigned short quark, Point* value) {
    fBindings.push_back({quark, 3, &value->x});
}

void ParmList::bind(unsigned short quark, Color* value) {
    fBindings.push_back({quark, 3, &value->r});
}

void ParmList::bind(unsigned short quark, float* value, int width) {
    fBindings.push_back({quark, width, value});
}

bool ParmList::binds(unsigned short quark) const {
    for (const ParmAssoc& parm : fBindings)
        if (parm.quark == quark) return true;
    return false;
}

const ParmAssoc* ParmList::binding(const ArgAssoc& entry) const {
    if (!entry.isNumeric() || entry.items < 1) return nullptr;
    for (const ParmAssoc& parm : fBindings)
        if (parm.quark == entry.quark && parm.width <= entry.width) return &parm;
    return nullptr;
}

void ParmList::override(const ArgList& args) const {
    for (const ArgAssoc& entry : args) {
        const ParmAssoc* parm = binding(entry);
        if (!parm) continue;
        const float* value = entry.item(0);
        for (int k = 0; k < parm->width; ++k)
            parm->target[k] = value[k];
    }
}

void ParmList::bilerp(float u, float v, const ArgList& args) const {
    float w00 = (1 - u) * (1 - v), w10 = u * (1 - v), w01 = (1 - u) * v, w11 = u * v;
    for (const ArgAssoc& entry : args) {
        if (entry.parameterClass != QEL_CLASS_VARY || entry.items < 4) continue;
        const ParmAssoc* parm = binding(entry);
        if (!parm) continue;
        const float *a = entry.item(0), *b = entry.item(1), *c = entry.item(2), *d = entry.item(3);
        for (int k = 0; k < parm->width; ++k)
            parm->target[k] = w00 * a[k] + w10 * b[k] + w01 * c[k] + w11 * d[k];
    }
}

} // namespace quelmark
