// Parameter lists and comparisons shared by the shader tests.
#ifndef QEL_TESTS_SHADERTESTVALUES_H
#define QEL_TESTS_SHADERTESTVALUES_H

#include "common/Color.h"
#include "common/Point.h"
#include "renderer/shading/ShadingContext.h"
#include "renderer/state/ArgList.h"

#include <gtest/gtest.h>

#include <initializer_list>

using namespace quelmark;

// A "const" float (one value) or point (three values) parameter.
inline ArgAssoc uniformArg(unsigned short quark, std::initializer_list<float> value) {
    ArgAssoc entry;
    entry.quark = quark;
    entry.parameterClass = 0xD01;
    entry.parameterType = value.size() == 1 ? 0xE01 : 0xE05;
    entry.items = 1;
    entry.width = int(value.size());
    entry.floats = value;
    return entry;
}

// A "vary" float parameter with its four corner values.
inline ArgAssoc cornerArg(unsigned short quark, std::initializer_list<float> corners) {
    ArgAssoc entry = uniformArg(quark, {0});
    entry.parameterClass = 0xD02;
    entry.items = 4;
    entry.floats = corners;
    return entry;
}

// One shading point as a test places it: at P, seen from the eye at the origin.
struct PointToShade {
    Point P{0, 0, 1};
    Point N{0, 0, -1}, Ng{0, 0, -1};
    Color Cs{0.8f, 0.4f, 0.2f}, Os{0.5f, 1, 0.5f};
    float gridU = 0, gridV = 0; // where the primitive's "vary" values are taken
};

// Loads the points into the context, with black, opaque outputs.
inline void loadPoints(ShadingContext& context, std::initializer_list<PointToShade> points) {
    ShadingPoints& loaded = context.points;
    loaded.resize(int(points.size()));
    std::size_t k = 0;
    for (const PointToShade& point : points) {
        loaded.P[k] = point.P, loaded.I[k] = point.P;
        loaded.N[k] = point.N, loaded.Ng[k] = point.Ng;
        loaded.Cs[k] = point.Cs, loaded.Os[k] = point.Os;
        loaded.gridU[k] = point.gridU, loaded.gridV[k] = point.gridV;
        loaded.Ci[k] = Color(0, 0, 0), loaded.Oi[k] = Color(1, 1, 1);
        ++k;
    }
}

inline ArgList argList(std::initializer_list<ArgAssoc> entries) {
    ArgList args;
    for (const ArgAssoc& entry : entries)
        args.add(entry);
    return args;
}

inline void expectColor(const Color& c, float r, float g, float b) {
    EXPECT_NEAR(c.r, r, 1e-5f);
    EXPECT_NEAR(c.g, g, 1e-5f);
    EXPECT_NEAR(c.b, b, 1e-5f);
}

inline void expectPoint(const Point& p, float x, float y, float z) {
    EXPECT_NEAR(p.x, x, 1e-5f);
    EXPECT_NEAR(p.y, y, 1e-5f);
    EXPECT_NEAR(p.z, z, 1e-5f);
}

#endif
