#include "renderer/shading/Vertex.h"

namespace quelmark {

Vertex** allocVertices(int usteps, int vsteps) {
    Vertex** rows = new Vertex*[vsteps + 1];
    for (int j = 0; j <= vsteps; ++j) rows[j] = new Vertex[usteps + 1];
    return rows;
}

void freeVertices(Vertex** rows, int vsteps) {
    if (!rows) return;
    for (int j = 0; j <= vsteps; ++j) delete[] rows[j];
    delete[] rows;
}

} // namespace quelmark
