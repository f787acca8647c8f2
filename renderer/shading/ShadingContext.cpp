#include "renderer/shading/ShadingContext.h"

#include "common/Quark.h"

namespace quelmark {

StandardValues::StandardValues() {
    parms.bind(kQuarkNormal, &N);
    parms.bind(kQuarkPlane, &Ng);
    parms.bind(kQuarkColor, &Cs);
    parms.bind(kQuarkOpacity, &Os);
}

void StandardValues::bindTextureCoordinates() {
    constexpr int kPair = 2;
    const auto bindNamed = [this](const char* name, float* value, int width) {
        const unsigned short quark = find(name);
        if (quark != 0 && !parms.binds(quark)) parms.bind(quark, value, width);
    };
    bindNamed("s", &s, 1);
    bindNamed("t", &t, 1);
    bindNamed("st", st, kPair);
}

ShaderValueView ShadingContext::shaderOutput(std::string_view name, int floats, int points) const {
    for (const ShaderRole role :
         {ShaderRole::kSurface, ShaderRole::kAtmosphere, ShaderRole::kDisplacement}) {
        const ShaderMachine& machine = machines[std::size_t(role)];
        if (!ranOnGrid[std::size_t(role)] || machine.pointCount() != points) continue;
        const ShaderValueView value = machine.parameter(name);
        if (value.floats && value.width * value.elements == floats) return value;
    }
    return {};
}

} // namespace quelmark
