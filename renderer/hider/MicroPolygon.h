// A light-weight view of one cell of a shaded, projected grid: the grid and
// the cell's column and row. Nothing is copied from the grid.
#ifndef QEL_HIDER_MICROPOLYGON_H
#define QEL_HIDER_MICROPOLYGON_H

#include "renderer/shading/Grid.h"

#include <cstdint>

namespace quelmark {

class MicroPolygon {
public:
    explicit MicroPolygon(const Grid* grid) : fGrid(grid) {}

    void place(int i, int j) {
        fI = uint16_t(i);
        fJ = uint16_t(j);
    }

    // Corners A = (i, j), B = (i+1, j), C = (i, j+1), D = (i+1, j+1).
    const Vertex& a() const { return fGrid->row(fJ)[fI]; }
    const Vertex& b() const { return fGrid->row(fJ)[fI + 1]; }
    const Vertex& c() const { return fGrid->row(fJ + 1)[fI]; }
    const Vertex& d() const { return fGrid->row(fJ + 1)[fI + 1]; }

    const Grid* grid() const { return fGrid; }
    int column() const { return fI; }
    int row() const { return fJ; }

private:
    const Grid* fGrid;
    uint16_t fI = 0;
    uint16_t fJ = 0;
};

} // namespace quelmark

#endif
