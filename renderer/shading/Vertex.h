// One vertex of a diced grid: position and derivatives from dicing, colour
// and opacity from shading.
#ifndef QEL_SHADING_VERTEX_H
#define QEL_SHADING_VERTEX_H

#include "common/Color.h"
#include "common/Point.h"

namespace quelmark {

struct Vertex {
    Point P;
    Point dPdu;
    Point dPdv;
    Color Ci;
    Color Oi;
};

// (vsteps + 1) rows of (usteps + 1) vertices, one after the other in one
// allocation with the row pointers; row index v, column index u. Freed with
// freeVertices.
Vertex** allocVertices(int usteps, int vsteps);
void freeVertices(Vertex** rows);

} // namespace quelmark

#endif
