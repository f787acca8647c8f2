// Parameter lists and comparisons shared by the shader tests.
#ifndef QEL_TESTS_SHADERTESTVALUES_H
#define QEL_TESTS_SHADERTESTVALUES_H

#include "renderer/geometry/Color.h"
#include "renderer/geometry/Point.h"
#include "renderer/state/ArgList.h"

#include <gtest/gtest.h>

#include <initializer_list>

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
