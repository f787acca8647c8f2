// A rectangle of a polygon mesh's quadrilaterals that join as the cells of a
// lattice do, diced as one grid: each cell is the bilinear patch over its
// four corners, cut into as many steps as every other cell of the piece.
//
// The lattice's points and the values that follow them are shared by all
// the pieces split from it. A piece splits in halves across its longer side;
// a lone cell too large to dice becomes a bilinear patch. Shading sees u and
// v running from 0 to 1 over the whole rectangle.
#ifndef QEL_GEOMETRY_QUADLATTICE_H
#define QEL_GEOMETRY_QUADLATTICE_H

#include "renderer/geometry/Primitive.h"

#include <memory>
#include <vector>

namespace quelmark {

// The points of a lattice of across by down cells, row after row, and the
// entries of a list that follow them, one item per point.
struct LatticePoints {
    long across = 0, down = 0;
    std::vector<Point> points;
    ArgList values;

    long index(long i, long j) const { return j * (across + 1) + i; }
    const Point& at(long i, long j) const { return points[size_t(index(i, j))]; }
};

class QuadLattice : public Primitive {
public:
    // The whole lattice; `constants` are the entries with one value for it all.
    QuadLattice(const Primitive& mesh, std::shared_ptr<const LatticePoints> lattice,
                ArgList constants);

    int32_t type() const override { return primitive_class::kPlain; }
    Boundw bound() const override { return fBound; }
    // Steps per cell from the longest raster edge of the piece's cells along
    // each side; diceable when the whole grid stays within the grid edge limit.
    DiceDecision diceable(const RenderContext& context, float limit) override;
    Grid* dice(GridSize size) override;
    void split(PrimitiveSink& sink) override;
    ParameterRange parameterRange() const override;
    Pointw evalP(float u, float v) const override;
    Pointw evaldPdu(float u, float v) const override;
    Pointw evaldPdv(float u, float v) const override;

    long across() const { return fI1 - fI0; }
    long down() const { return fJ1 - fJ0; }

private:
    // Cells [i0, i1) by [j0, j1) of the parent's lattice.
    QuadLattice(const QuadLattice& parent, long i0, long i1, long j0, long j1);
    // The cell holding the piece's (u, v), and the place within it.
    struct CellPlace {
        long i, j;
        float x, y;
    };
    CellPlace place(float u, float v) const;
    Primitive* loneCellPatch() const;
    // The lattice's values over the piece's points, one item per point.
    ArgList pieceValues() const;

    std::shared_ptr<const LatticePoints> fLattice;
    long fI0, fI1, fJ0, fJ1;
    Boundw fBound;
};

} // namespace quelmark

#endif
