// Parameter lists for patch tests, built as a request builds them.
#ifndef QEL_TESTS_PATCHES_PATCHARGS_H
#define QEL_TESTS_PATCHES_PATCHARGS_H

#include "common/Quark.h"
#include "renderer/state/ArgList.h"

#include <vector>

using namespace quelmark;

inline ArgList positionArgs(unsigned short quark, std::vector<float>& values, long points,
                            ParameterCounts counts) {
    counts.vertex = points;
    void* data[1] = {values.data()};
    return ArgList(1, &quark, data, counts);
}

// Points (x, y, z) with u running fastest.
inline std::vector<float> gridPoints(int nu, int nv, float (*z)(float x, float y)) {
    std::vector<float> values;
    for (int j = 0; j < nv; ++j)
        for (int i = 0; i < nu; ++i) {
            float x = float(i), y = float(j);
            values.insert(values.end(), {x, y, z(x, y)});
        }
    return values;
}

#endif
