// The shading points of one grid, one array per variable: what the shaders
// read and the colour and opacity they leave.
#ifndef QEL_SHADING_SHADINGPOINTS_H
#define QEL_SHADING_SHADINGPOINTS_H

#include "common/Color.h"
#include "common/Point.h"

#include <vector>

namespace quelmark {

struct ShadingPoints {
    int count = 0;
    // The points as rows of a grid, `across` points in each of `down` rows,
    // for the neighbours that derivatives take; a grid whose rows differ in
    // length (a triangle's) is one row of all its points, and rowStarts
    // gives where each of its rows begins (and, last, the count).
    int across = 0, down = 0;
    std::vector<int> rowStarts;
    // The surface's orientation is reversed.
    bool flipped = false;
    // Positions and derivatives in camera space; I runs from the eye to P.
    std::vector<Point> P, dPdu, dPdv, N, Ng, I;
    // The primitive's u and v over the whole of it, and the texture
    // coordinates there; du and dv are the spacing of the grid's points.
    std::vector<float> u, v, s, t;
    float du = 0, dv = 0;
    // Where on the grid each point lies, 0..1: the place at which the
    // primitive's "vary" values are interpolated.
    std::vector<float> gridU, gridV;
    // The cells of the lattice over the grid on which the "vary" values are
    // given, one item per lattice point: 1 by 1 for the four corners.
    int valueAcross = 1, valueDown = 1;
    std::vector<Color> Cs, Os;
    // The outputs, black and opaque until a shader sets them.
    std::vector<Color> Ci, Oi;

    // Room for n points; keeps what the arrays hold already.
    void resize(int n) {
        count = n;
        const auto size = static_cast<std::size_t>(n);
        for (auto* points : {&P, &dPdu, &dPdv, &N, &Ng, &I})
            points->resize(size);
        for (auto* floats : {&u, &v, &s, &t, &gridU, &gridV})
            floats->resize(size);
        for (auto* colors : {&Cs, &Os, &Ci, &Oi})
            colors->resize(size);
    }
};

} // namespace quelmark

#endif
