#include "renderer/shading/ShadingContext.h"

#include "common/Quark.h"

namespace quelmark {

StandardValues::StandardValues() {
    parms.bind(kQuarkNormal, &N);
    parms.bind(kQuarkPlane, &Ng);
    parms.bind(kQuarkColor, &Cs);
    parms.bind(kQuarkOpacity, &Os);
}

} // namespace quelmark
