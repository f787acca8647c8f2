// A light-weight view of one cell of a shaded, projected grid: the grid and
// the cell's column and row. Nothing is copied from the grid.
#ifndef QEL_HIDER_MICROPOLYGON_H
#define QEL_HIDER_MICROPOLYGON_H

#include "common/Bound.h"
#include "common/Color.h"
#include "renderer/hider/SampleOrder.h"
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

    // The extent of the four corners in raster x, y and depth.
    Bound bound() const;
    // The signed area term of A, B, D, C in raster x and y; at most 0 when
    // the cell faces the camera.
    float znormal() const;
    // Whether the raster point (x, y) lies inside the cell, taken as a
    // bilinear patch over its corners; on a hit gives the order key (the
    // grid's sequence number in paint order, else the depth), colour and
    // opacity there, and the point's place (s, t) within the cell.
    bool sample(float x, float y, bool paintOrder, SampleOrder& order, Color& Ci, Color& Oi,
                float& s, float& t) const;
    bool sample(float x, float y, bool paintOrder, SampleOrder& order, Color& Ci,
                Color& Oi) const {
        float s, t;
        return sample(x, y, paintOrder, order, Ci, Oi, s, t);
    }

private:
    const Grid* fGrid;
    uint16_t fI = 0;
    uint16_t fJ = 0;
};

} // namespace quelmark

#endif
