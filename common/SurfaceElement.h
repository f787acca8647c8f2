// A small piece of a surface: its centre, the unit normal it faces with and
// its area, as an area light shines from it.
#ifndef QEL_COMMON_SURFACEELEMENT_H
#define QEL_COMMON_SURFACEELEMENT_H

#include "common/Point.h"

namespace quelmark {

struct SurfaceElement {
    Point P;
    Point N;
    float area = 0;
};

} // namespace quelmark

#endif
