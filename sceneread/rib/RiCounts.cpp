#include "sceneread/rib/RiCounts.h"

#include <algorithm>

namespace quelmark {

long RiCounts::forClass(RiClass parameterClass) const {
    switch (parameterClass) {
    case RiClass::Constant:
        return 1;
    case RiClass::Uniform:
        return uniform;
    case RiClass::Varying:
        return varying;
    case RiClass::Vertex:
        return vertex;
    case RiClass::FaceVarying:
    case RiClass::FaceVertex:
        return facevarying;
    }
    return 1;
}

long RiCounts::patchesAlong(bool bicubic, long n, bool periodic, long step) {
    if (!bicubic) return periodic ? n : std::max(n - 1, 0L);
    if (step < 1) return 0;
    if (periodic) return n / step;
    return n < 4 ? 0 : (n - 4) / step + 1;
}

RiCounts RiCounts::patchMesh(bool bicubic, long nu, bool uPeriodic, long nv, bool vPeriodic,
                             long uStep, long vStep) {
    long upatches = patchesAlong(bicubic, nu, uPeriodic, uStep);
    long vpatches = patchesAlong(bicubic, nv, vPeriodic, vStep);
    long varying = (uPeriodic ? upatches : upatches + 1) * (vPeriodic ? vpatches : vpatches + 1);
    return {upatches * vpatches, varying, nu * nv, varying};
}

RiCounts RiCounts::nuPatch(long nu, long uorder, long nv, long vorder) {
    long uspans = 1 + nu - uorder, vspans = 1 + nv - vorder;
    long varying = (uspans + 1) * (vspans + 1);
    return {uspans * vspans, varying, nu * nv, varying};
}

} // namespace quelmark
