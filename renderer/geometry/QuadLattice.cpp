#include "renderer/geometry/QuadLattice.h"

#include "renderer/geometry/DiceSteps.h"
#include "renderer/geometry/Patch.h"
#include "renderer/geometry/PrimitiveSink.h"
#include "renderer/shading/Grid.h"
#include "renderer/shading/Vertex.h"
#include "renderer/state/Attrib.h"
#include "renderer/state/Limits.h"
#include "renderer/state/RenderContext.h"
#include "renderer/state/Transform.h"

#include <algorithm>
#include <array>

namespace quelmark {

namespace {

Boundw boundOfCells(const LatticePoints& lattice, long i0, long i1, long j0, long j1) {
    Point low = lattice.at(i0, j0), high = low;
    for (long j = j0; j <= j1; ++j)
        for (long i = i0; i <= i1; ++i) {
            const Point& p = lattice.at(i, j);
            low = Point(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
            high = Point(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
        }
    return Boundw(low.x, high.x, low.y, high.y, low.z, high.z, 1, 1);
}

Point bilinear(const Point& p00, const Point& p10, const Point& p01, const Point& p11, float x,
               float y) {
    return (p00 * (1 - x) + p10 * x) * (1 - y) + (p01 * (1 - x) + p11 * x) * y;
}

// The cell index and the place within it of a lattice coordinate in
// [0, cells]; the last cell holds the far edge.
void cellOf(float coordinate, long cells, long& index, float& within) {
    index = std::clamp(long(coordinate), 0L, cells - 1);
    within = coordinate - float(index);
}

} // namespace

QuadLattice::QuadLattice(const Primitive& mesh, std::shared_ptr<const LatticePoints> lattice,
                         ArgList constants)
    : Primitive(mesh), fLattice(std::move(lattice)), fI0(0), fI1(fLattice->across), fJ0(0),
      fJ1(fLattice->down), fBound(boundOfCells(*fLattice, fI0, fI1, fJ0, fJ1)) {
    fArgs = std::move(constants);
}

QuadLattice::QuadLattice(const QuadLattice& parent, long i0, long i1, long j0, long j1)
    : Primitive(parent), fLattice(parent.fLattice), fI0(i0), fI1(i1), fJ0(j0), fJ1(j1),
      fBound(boundOfCells(*fLattice, i0, i1, j0, j1)) {
    fArgs = parent.fArgs;
}

DiceDecision QuadLattice::diceable(const RenderContext& context, float limit) {
    const long gridLimit = context.option.tuneA;
    const long cu = across(), cv = down();
    if (cu > gridLimit || cv > gridLimit || cu > kMaxGridEdge) return {};
    const Matrix raster = transform()->matrix() * context.cameraToRaster;
    const LatticePoints& lattice = *fLattice;
    float alongU = 0, alongV = 0;
    // Two rows of raster points at most a grid edge long: no allocation.
    std::array<std::array<Point, kMaxGridEdge + 1>, 2> rows;
    for (long j = fJ0; j <= fJ1; ++j) {
        auto& row = rows[size_t(j - fJ0) % 2];
        const auto& below = rows[size_t(j - fJ0 + 1) % 2];
        for (long i = fI0; i <= fI1; ++i) {
            const size_t k = size_t(i - fI0);
            row[k] = lattice.at(i, j) * raster;
            if (k > 0) alongU = std::max(alongU, screenLength(row[k] - row[k - 1]));
            if (j > fJ0) alongV = std::max(alongV, screenLength(row[k] - below[k]));
        }
    }
    const float edge = attrib()->shadingRateRoot;
    const long nu = cu * stepsAcross(alongU, edge), nv = cv * stepsAcross(alongV, edge);
    bool diceable = nu <= gridLimit && nv <= gridLimit;
    if (limit >= 0) diceable = diceable && alongU * float(cu) <= limit && alongV * float(cv) <= limit;
    if (!diceable) return {};
    return {true, GridSize{uint16_t(nu), uint16_t(nv)}};
}

Grid* QuadLattice::dice(GridSize size) {
    const int nu = size.u, nv = size.v;
    const long cu = across(), cv = down();
    const long su = std::max(1L, nu / cu), sv = std::max(1L, nv / cv);
    Vertex** rows = allocVertices(nu, nv);
    const Matrix& T = transform()->matrix();
    const LatticePoints& lattice = *fLattice;
    for (int k = 0; k <= nv; ++k) {
        const long j = std::min(k / sv, cv - 1);
        const float y = float(k - j * sv) / float(sv);
        for (int n = 0; n <= nu; ++n) {
            const long i = std::min(n / su, cu - 1);
            const float x = float(n - i * su) / float(su);
            const Point &p00 = lattice.at(fI0 + i, fJ0 + j), &p10 = lattice.at(fI0 + i + 1, fJ0 + j);
            const Point &p01 = lattice.at(fI0 + i, fJ0 + j + 1);
            const Point &p11 = lattice.at(fI0 + i + 1, fJ0 + j + 1);
            Vertex& vertex = rows[k][n];
            vertex.P = bilinear(p00, p10, p01, p11, x, y) * T;
            // Derivatives over the piece's own u and v, which cross cu and cv cells.
            const Point dx = ((p10 - p00) * (1 - y) + (p11 - p01) * y) * float(cu);
            const Point dy = ((p01 - p00) * (1 - x) + (p11 - p10) * x) * float(cv);
            vertex.dPdu = vtransform(dx, T);
            vertex.dPdv = vtransform(dy, T);
        }
    }
    const short reverse = facesReversed();
    ArgList args = pieceValues();
    for (const ArgAssoc& entry : fArgs) args.add(entry);
    auto* grid = new Grid(nu, nv, rows, attrib(), transform(), sequence(), reverse, 0, args);
    grid->setValueLattice(int(cu), int(cv));
    return grid;
}

ArgList QuadLattice::pieceValues() const {
    ArgList result;
    for (const ArgAssoc& entry : fLattice->values) {
        ArgAssoc piece;
        piece.quark = entry.quark;
        piece.parameterClass = entry.parameterClass;
        piece.parameterType = entry.parameterType;
        piece.width = entry.width;
        piece.items = (across() + 1) * (down() + 1);
        piece.floats.reserve(size_t(piece.items * entry.width));
        for (long j = fJ0; j <= fJ1; ++j) {
            const float* first = entry.item(fLattice->index(fI0, j));
            piece.floats.insert(piece.floats.end(), first, first + (across() + 1) * entry.width);
        }
        result.add(std::move(piece));
    }
    return result;
}

void QuadLattice::split(PrimitiveSink& sink) {
    const long cu = across(), cv = down();
    if (cu == 1 && cv == 1) {
        sink.add(loneCellPatch());
    } else if (cu >= cv) {
        const long middle = fI0 + cu / 2;
        sink.add(new QuadLattice(*this, fI0, middle, fJ0, fJ1));
        sink.add(new QuadLattice(*this, middle, fI1, fJ0, fJ1));
    } else {
        const long middle = fJ0 + cv / 2;
        sink.add(new QuadLattice(*this, fI0, fI1, fJ0, middle));
        sink.add(new QuadLattice(*this, fI0, fI1, middle, fJ1));
    }
}

Primitive* QuadLattice::loneCellPatch() const {
    const LatticePoints& lattice = *fLattice;
    const Pointw corners[4] = {Pointw(lattice.at(fI0, fJ0)), Pointw(lattice.at(fI1, fJ0)),
                               Pointw(lattice.at(fI0, fJ1)), Pointw(lattice.at(fI1, fJ1))};
    ArgList args = pieceValues(); // items in the patch's corner order
    for (const ArgAssoc& entry : fArgs) args.add(entry);
    auto* patch = new BilinearPatch(*this, corners, false, std::move(args));
    patch->setParameterRange(parameterRange());
    return patch;
}

ParameterRange QuadLattice::parameterRange() const {
    const float across = float(fLattice->across), down = float(fLattice->down);
    return {float(fI0) / across, float(fI1) / across, float(fJ0) / down, float(fJ1) / down};
}

QuadLattice::CellPlace QuadLattice::place(float u, float v) const {
    CellPlace at{};
    cellOf(u * float(across()), across(), at.i, at.x);
    cellOf(v * float(down()), down(), at.j, at.y);
    at.i += fI0, at.j += fJ0;
    return at;
}

Pointw QuadLattice::evalP(float u, float v) const {
    const CellPlace at = place(u, v);
    const LatticePoints& lattice = *fLattice;
    return Pointw(bilinear(lattice.at(at.i, at.j), lattice.at(at.i + 1, at.j),
                           lattice.at(at.i, at.j + 1), lattice.at(at.i + 1, at.j + 1), at.x, at.y));
}

Pointw QuadLattice::evaldPdu(float u, float v) const {
    const CellPlace at = place(u, v);
    const LatticePoints& lattice = *fLattice;
    const Point d = ((lattice.at(at.i + 1, at.j) - lattice.at(at.i, at.j)) * (1 - at.y) +
                     (lattice.at(at.i + 1, at.j + 1) - lattice.at(at.i, at.j + 1)) * at.y) *
                    float(across());
    return {d.x, d.y, d.z, 1};
}

Pointw QuadLattice::evaldPdv(float u, float v) const {
    const CellPlace at = place(u, v);
    const LatticePoints& lattice = *fLattice;
    const Point d = ((lattice.at(at.i, at.j + 1) - lattice.at(at.i, at.j)) * (1 - at.x) +
                     (lattice.at(at.i + 1, at.j + 1) - lattice.at(at.i + 1, at.j)) * at.x) *
                    float(down());
    return {d.x, d.y, d.z, 1};
}

} // namespace quelmark
