#include "shadinglang/GlobalVariables.h"

#include <algorithm>
#include <array>

namespace quelmark::sl {

namespace {

using enum BasicType;

// One value over the whole grid.
constexpr Type uniform(BasicType basic) {
    return {.basic = basic, .detail = Detail::kUniform};
}

// A value for each point of the grid.
constexpr Type varying(BasicType basic) {
    return {.basic = basic, .detail = Detail::kVarying};
}

constexpr GlobalVariable readOnly(std::string_view name, Type type) {
    return {.name = name, .type = type};
}

// A shader may change it: its results, and the inputs Cs, Os, N, s and t
// wherever they exist.
constexpr GlobalVariable writable(std::string_view name, Type type) {
    return {.name = name, .type = type, .writable = true};
}

constexpr GlobalVariable lightLoopOnly(GlobalVariable variable) {
    variable.onlyInLightLoop = true;
    return variable;
}

// Shutter time and colour samples, the same for every kind.
constexpr GlobalVariable kColorSamples = readOnly("ncomps", uniform(kFloat));
constexpr GlobalVariable kTime = readOnly("time", uniform(kFloat));
constexpr GlobalVariable kTimeCovered = readOnly("dtime", uniform(kFloat));
constexpr GlobalVariable kEye = readOnly("E", uniform(kPoint));

constexpr std::array kSurfaceVariables = {
    writable("Cs", varying(kColor)),
    writable("Os", varying(kColor)),
    readOnly("P", varying(kPoint)),
    readOnly("dPdu", varying(kVector)),
    readOnly("dPdv", varying(kVector)),
    writable("N", varying(kNormal)),
    readOnly("Ng", varying(kNormal)),
    readOnly("u", varying(kFloat)),
    readOnly("v", varying(kFloat)),
    readOnly("du", varying(kFloat)),
    readOnly("dv", varying(kFloat)),
    writable("s", varying(kFloat)),
    writable("t", varying(kFloat)),
    lightLoopOnly(readOnly("L", varying(kVector))),
    lightLoopOnly(readOnly("Cl", varying(kColor))),
    lightLoopOnly(readOnly("Ol", varying(kColor))),
    kEye,
    readOnly("I", varying(kVector)),
    kColorSamples,
    kTime,
    kTimeCovered,
    readOnly("dPdtime", varying(kVector)),
    writable("Ci", varying(kColor)),
    writable("Oi", varying(kColor)),
};

// The geometry is the light's own (an area light's surface); Ps is the
// point being lit.
constexpr std::array kLightVariables = {
    readOnly("P", varying(kPoint)),
    readOnly("dPdu", varying(kVector)),
    readOnly("dPdv", varying(kVector)),
    writable("N", varying(kNormal)),
    readOnly("Ng", varying(kNormal)),
    readOnly("u", varying(kFloat)),
    readOnly("v", varying(kFloat)),
    readOnly("du", varying(kFloat)),
    readOnly("dv", varying(kFloat)),
    writable("s", varying(kFloat)),
    writable("t", varying(kFloat)),
    lightLoopOnly(readOnly("L", varying(kVector))),
    readOnly("Ps", varying(kPoint)),
    kEye,
    kColorSamples,
    kTime,
    kTimeCovered,
    writable("Cl", varying(kColor)),
    writable("Ol", varying(kColor)),
};

constexpr std::array kDisplacementVariables = {
    writable("P", varying(kPoint)),
    readOnly("dPdu", varying(kVector)),
    readOnly("dPdv", varying(kVector)),
    writable("N", varying(kNormal)),
    readOnly("Ng", varying(kNormal)),
    readOnly("I", varying(kVector)),
    kEye,
    readOnly("u", varying(kFloat)),
    readOnly("v", varying(kFloat)),
    readOnly("du", varying(kFloat)),
    readOnly("dv", varying(kFloat)),
    writable("s", varying(kFloat)),
    writable("t", varying(kFloat)),
    kColorSamples,
    kTime,
    kTimeCovered,
    readOnly("dPdtime", varying(kVector)),
};

// P is the end of the ray through the volume; Ci and Oi arrive with the
// ray's colour and leave attenuated.
constexpr std::array kVolumeVariables = {
    readOnly("P", varying(kPoint)),
    readOnly("I", varying(kVector)),
    kEye,
    kColorSamples,
    kTime,
    kTimeCovered,
    writable("Ci", varying(kColor)),
    writable("Oi", varying(kColor)),
};

// P is the pixel's raster position; alpha its coverage, a value for each
// pixel, which the shader may change as it changes Ci and Oi (a background
// fills the uncovered part and makes the pixel whole).
constexpr std::array kImagerVariables = {
    readOnly("P", varying(kPoint)),
    writable("alpha", varying(kFloat)),
    kColorSamples,
    kTime,
    kTimeCovered,
    writable("Ci", varying(kColor)),
    writable("Oi", varying(kColor)),
};

} // namespace

std::span<const GlobalVariable> globalVariables(ShaderKind kind) {
    switch (kind) {
    case ShaderKind::kSurface:
        return kSurfaceVariables;
    case ShaderKind::kLight:
        return kLightVariables;
    case ShaderKind::kDisplacement:
        return kDisplacementVariables;
    case ShaderKind::kVolume:
        return kVolumeVariables;
    case ShaderKind::kImager:
        return kImagerVariables;
    }
    return {};
}

const GlobalVariable* findGlobal(ShaderKind kind, std::string_view name) {
    const std::span<const GlobalVariable> variables = globalVariables(kind);
    const auto found = std::ranges::find(variables, name, &GlobalVariable::name);
    return found == variables.end() ? nullptr : &*found;
}

} // namespace quelmark::sl
