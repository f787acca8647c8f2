#include "writer/EnumeratorNames.h"

#include <iterator>

namespace quelmark {

namespace {

// The names of one class of enumerators, from its lowest code up.
struct EnumeratorClass {
    const char* const* names;
    int count;
};

const char* const kFilters[] = {"gaussian", "catmullrom", "box",           "triangle",
                                "sinc",     "mitchell",   "narrowgaussian"};
const char* const kFormats[] = {nullptr, "tiff", "png", "openexr", "zfile", "window"};
const char* const kSamples[] = {nullptr, "rgb", "a", "rgba", "z", "rgbz", "az", "rgbaz"};
const char* const kHiders[] = {"zbuffer", "paint"};
const char* const kShadingModels[] = {"flat", "gouraud"};
const char* const kOrientations[] = {"lh", "rh", "inside", "outside", "reverse"};
const char* const kPatchTypes[] = {"bilinear", "bicubic"};
const char* const kApplications[] = {"ubasis", "vbasis", "uvbasis"};
const char* const kBases[] = {"bezier", "bspline", "catmullrom", "hermite", "power"};
const char* const kWraps[] = {"wrap", "nowrap", "clamp"};
const char* const kSeverities[] = {nullptr, "info",  "warning", "iw",  "error", "ie",
                                   "we",    "iwe",   "severe",  "is",  "ws",    "iws",
                                   "es",    nullptr, "wes",     "iwes"};
const char* const kHandlers[] = {"ignore", "print", "abort"};
const char* const kClasses[] = {"no", "const", "vary", "vertex"};
const char* const kTypes[] = {"no",   "float", "integer", "string",
                              "pair", "point", "pointw",  "color"};
const char* const kSolids[] = {"primitive", "union", "intersection", "difference"};

template <int N> constexpr EnumeratorClass named(const char* const (&names)[N]) {
    return {names, N};
}

// Indexed by the high byte of the code; class 0 holds only "null".
const EnumeratorClass kClassTable[] = {
    {nullptr, 0},         named(kFilters),       named(kFormats),      named(kSamples),
    named(kHiders),       named(kShadingModels), named(kOrientations), named(kPatchTypes),
    named(kApplications), named(kBases),         named(kWraps),        named(kSeverities),
    named(kHandlers),     named(kClasses),       named(kTypes),        named(kSolids),
};

} // namespace

const char* enumeratorName(short code) {
    int group = (code >> 8) & 0xFF, index = code & 0xFF;
    if (code < 0 || group >= int(std::size(kClassTable))) return "null";
    const EnumeratorClass& names = kClassTable[group];
    if (index >= names.count || !names.names[index]) return "null";
    return names.names[index];
}

const char* filterName(qelFilterFunc filter) {
    if (filter == qelBoxFilter) return "box";
    if (filter == qelTriangleFilter) return "triangle";
    if (filter == qelCatmullRomFilter) return "catmull-rom";
    if (filter == qelSincFilter) return "sinc";
    if (filter == qelMitchellFilter) return "mitchell";
    if (filter == qelNarrowGaussianFilter) return "narrowgaussian";
    return "gaussian";
}

} // namespace quelmark
