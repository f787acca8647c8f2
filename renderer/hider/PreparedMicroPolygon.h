// A micropolygon made ready to be tested against many sample points: its
// corners are looked up once, and its raster extent, the coefficients of
// the inverse of its bilinear map and its edge lines are computed once,
// so that a sample point costs a few multiplications to reject and one
// quadratic to place.
//
// A point lies in the micropolygon when the bilinear map of its corners
// A = (i, j), B = (i+1, j), C = (i, j+1), D = (i+1, j+1) reaches it from
// (s, t) in the unit square, which for a convex micropolygon is the quad
// itself. Its edges reject the points more than a thousandth of a pixel
// outside before the quadratic is solved; the quadratic places the rest.
#ifndef QEL_HIDER_PREPAREDMICROPOLYGON_H
#define QEL_HIDER_PREPAREDMICROPOLYGON_H

#include "common/Color.h"
#include "renderer/hider/MicroPolygon.h"
#include "renderer/hider/SampleOrder.h"
#include "renderer/shading/Grid.h"
#include "renderer/state/DetailLevel.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>

namespace quelmark {

// What every hit on one grid shares, looked up once per grid.
struct GridHitTraits {
    GridHitTraits(const Grid& grid, bool paintOrder);

    bool paintOrder;      // hits ordered by the grid's sequence, not depth
    bool smooth;          // colours interpolated over the cell, else corner A's
    int16_t matte;        // the grid holds out what lies behind it
    short sides;          // 1: back faces are culled
    SampleOrder paintKey; // in paint order, every hit's key
    DetailWindow detail;  // the samples' detail draws that see the grid
};

class PreparedMicroPolygon {
public:
    // Takes cell (i, j) of the grid: its corners and their raster extent.
    void place(const Grid& grid, int i, int j);
    // The same cell as another, with its corners A, B, C, D at other
    // raster positions: where it is at another time or through another
    // point of the lens.
    void placeCorners(const PreparedMicroPolygon& cell, const Point& a, const Point& b,
                      const Point& c, const Point& d);

    float xmin() const { return fXmin; }
    float xmax() const { return fXmax; }
    float ymin() const { return fYmin; }
    float ymax() const { return fYmax; }
    float zmin() const { return fZmin; }
    float zmax() const { return fZmax; }
    // The signed area term of A, B, D, C in raster x and y, negated for a
    // grid whose normals are flipped; at most 0 when the cell faces the
    // camera.
    float znormal() const;

    // Readies the test of sample points; once after place, before covers.
    void prepareCoverage();
    // The same for a single point: the quadratic alone, without the edges
    // that reject many points cheaply.
    void prepareSingleCoverage();
    // Whether the raster point (x, y) lies in the cell; its place (s, t)
    // within the cell then.
    bool covers(float x, float y, float& s, float& t) const;

    // The nearest key any hit on the cell can have.
    SampleOrder nearestKey(const GridHitTraits& traits) const;
    // The hit's key, colour and opacity at (s, t).
    SampleOrder keyAt(const GridHitTraits& traits, float s, float t) const;
    void colorsAt(const GridHitTraits& traits, float s, float t, Color& Ci, Color& Oi) const;

    // The cell as a view of its grid.
    MicroPolygon cell() const;

    // How far below the least corner depth rounding may take an
    // interpolated one.
    static float depthMargin(float zmin, float zmax) {
        return 4.0f * FLT_EPSILON * std::max(std::fabs(zmin), std::fabs(zmax)) + FLT_MIN;
    }

    // The corners' raster positions.
    const Point& pa() const { return fPa; }
    const Point& pb() const { return fPb; }
    const Point& pc() const { return fPc; }
    const Point& pd() const { return fPd; }

private:
    void measureExtent();
    // The t of a candidate s, from the x equation or, when that fails, the
    // y equation; false when s or t falls outside [0, 1].
    bool tAt(float e, float f, float s, float& t) const;
    bool solve(float e, float f, float& s, float& t) const;
    bool insideEdges(float e, float f) const;

    const Grid* fGrid = nullptr;
    const Vertex *fA = nullptr, *fB = nullptr, *fC = nullptr, *fD = nullptr;
    Point fPa, fPb, fPc, fPd;
    uint16_t fI = 0, fJ = 0;
    float fXmin = 0, fXmax = 0, fYmin = 0, fYmax = 0, fZmin = 0, fZmax = 0;

    // The corners relative to A: B − A = (g, h), C − A = (k, l), D − C =
    // (m, n); qa is the quadratic's leading coefficient.
    float fG = 0, fH = 0, fK = 0, fL = 0, fM = 0, fN = 0, fQa = 0;
    // Each edge of a convex cell as a line a·e + b·f + c ≥ −margin inside,
    // with (e, f) the point relative to A; none for other cells.
    struct EdgeLine {
        float a, b, c;
    };
    EdgeLine fEdges[4] = {};
    bool fHasEdges = false;
};

} // namespace quelmark

#endif
