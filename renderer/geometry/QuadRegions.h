// Rectangles of quadrilaterals in a polygon mesh that join as the cells of a
// lattice do: along a row each polygon shares its right edge with the next
// one's left edge, and each row shares its top edge with the next row's
// bottom edge, polygons listed row after row. Height fields, swept surfaces
// and most modelled meshes are made of such rectangles.
#ifndef QEL_GEOMETRY_QUADREGIONS_H
#define QEL_GEOMETRY_QUADREGIONS_H

#include <vector>

namespace quelmark {

struct QuadRegion {
    long first = 0; // the polygon of cell (0, 0); cell (i, j) is first + j * across + i
    long across = 0, down = 0;

    long cells() const { return across * down; }
};

// The mesh's rectangles of two cells or more, in polygon order. A cell is a
// polygon of four vertices whose `usable` flag is set, with no edge of zero
// length; vertices[offsets[p] + k] is vertex k of polygon p, corners running
// (0, 0), (1, 0), (1, 1), (0, 1) round the cell, and point v lies at
// xyz[3 v], xyz[3 v + 1], xyz[3 v + 2].
std::vector<QuadRegion> findQuadRegions(long npolys, const long* counts, const long* offsets,
                                        const long* vertices, const char* usable, const float* xyz);

} // namespace quelmark

#endif
