#include "renderer/hider/PreparedMicroPolygon.h"

#include "api/qel.h"
#include "renderer/shading/ShadingFunctions.h"
#include "renderer/state/Attrib.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace quelmark {

namespace {

bool nearZero(double value) {
    return std::fabs(value) < kEpsilon;
}
bool inUnitRange(float value) {
    return value >= 0.0f && value <= 1.0f;
}

float min4(float a, float b, float c, float d) {
    return std::min(std::min(a, b), std::min(c, d));
}
float max4(float a, float b, float c, float d) {
    return std::max(std::max(a, b), std::max(c, d));
}

float cross(float ux, float uy, float wx, float wy) {
    return ux * wy - uy * wx;
}

// How far outside an edge line a point may lie and still be given to the
// quadratic, in pixels, for a cell of the given extent: far more than the
// quadratic's rounding, far less than a sample spacing.
float edgeMargin(float extent) {
    return 1e-3f * (1.0f + extent);
}

} // namespace

GridHitTraits::GridHitTraits(const Grid& grid, bool paintOrder)
    : paintOrder(paintOrder), smooth(grid.attrib()->shadingModelCode == QEL_SHADING_GOURAUD),
      matte(grid.attrib()->matte), sides(grid.attrib()->sides),
      paintKey(SampleOrder::fromSequence(grid.sequence())), detail(grid.attrib()->detailSeen) {}

void PreparedMicroPolygon::place(const Grid& grid, int i, int j) {
    fGrid = &grid;
    fI = uint16_t(i);
    fJ = uint16_t(j);
    const Vertex* row = grid.row(j);
    const Vertex* next = grid.row(j + 1);
    fA = row + i, fB = row + i + 1, fC = next + i, fD = next + i + 1;
    fPa = fA->P, fPb = fB->P, fPc = fC->P, fPd = fD->P;
    measureExtent();
}

void PreparedMicroPolygon::placeCorners(const PreparedMicroPolygon& cell, const Point& a,
                                        const Point& b, const Point& c, const Point& d) {
    fGrid = cell.fGrid;
    fI = cell.fI, fJ = cell.fJ;
    fA = cell.fA, fB = cell.fB, fC = cell.fC, fD = cell.fD;
    fPa = a, fPb = b, fPc = c, fPd = d;
    measureExtent();
}

void PreparedMicroPolygon::measureExtent() {
    const Point &a = fPa, &b = fPb, &c = fPc, &d = fPd;
    fXmin = min4(a.x, b.x, c.x, d.x), fXmax = max4(a.x, b.x, c.x, d.x);
    fYmin = min4(a.y, b.y, c.y, d.y), fYmax = max4(a.y, b.y, c.y, d.y);
    fZmin = min4(a.z, b.z, c.z, d.z), fZmax = max4(a.z, b.z, c.z, d.z);
}

float PreparedMicroPolygon::znormal() const {
    const Point &pa = fPa, &pb = fPb, &pc = fPc, &pd = fPd;
    float area = (pb.x - pa.x) * (pb.y + pa.y) + (pd.x - pb.x) * (pd.y + pb.y) +
                 (pc.x - pd.x) * (pc.y + pd.y) + (pa.x - pc.x) * (pa.y + pc.y);
    return fGrid->flipNormal() ? -area : area;
}

void PreparedMicroPolygon::prepareSingleCoverage() {
    const Point &a = fPa, &b = fPb, &c = fPc, &d = fPd;
    fG = b.x - a.x, fH = b.y - a.y;
    fK = c.x - a.x, fL = c.y - a.y;
    fM = d.x - c.x, fN = d.y - c.y;
    fQa = fM * fH - fG * fN;
    fHasEdges = false;
}

void PreparedMicroPolygon::prepareCoverage() {
    prepareSingleCoverage();
    const Point &a = fPa, &d = fPd;
    // The corners relative to A, walked A, B, D, C.
    const float px[4] = {0.0f, fG, d.x - a.x, fK};
    const float py[4] = {0.0f, fH, d.y - a.y, fL};
    float turns[4];
    for (int k = 0; k < 4; ++k) {
        int next = (k + 1) % 4, after = (k + 2) % 4;
        turns[k] =
            cross(px[next] - px[k], py[next] - py[k], px[after] - px[next], py[after] - py[next]);
    }
    const bool left = turns[0] > 0 && turns[1] > 0 && turns[2] > 0 && turns[3] > 0;
    const bool right = turns[0] < 0 && turns[1] < 0 && turns[2] < 0 && turns[3] < 0;
    fHasEdges = left || right;
    if (!fHasEdges) return;
    const float side = left ? 1.0f : -1.0f;
    const float margin = edgeMargin(std::max(fXmax - fXmin, fYmax - fYmin));
    for (int k = 0; k < 4; ++k) {
        int next = (k + 1) % 4;
        float ux = px[next] - px[k], uy = py[next] - py[k];
        float length = std::sqrt(ux * ux + uy * uy);
        EdgeLine& edge = fEdges[k];
        edge.a = -side * uy / length;
        edge.b = side * ux / length;
        edge.c = -(edge.a * px[k] + edge.b * py[k]) + margin;
    }
}

bool PreparedMicroPolygon::insideEdges(float e, float f) const {
    if (!fHasEdges) return true;
    for (const EdgeLine& edge : fEdges)
        if (edge.a * e + edge.b * f + edge.c < 0.0f) return false;
    return true;
}

bool PreparedMicroPolygon::covers(float x, float y, float& s, float& t) const {
    const float e = x - fPa.x, f = y - fPa.y;
    if (!insideEdges(e, f)) return false;
    return solve(e, f, s, t);
}

// The point relative to A is s·(B − A) + t·(C − A) + s·t·(D − C − B + A):
// eliminating t leaves qa·s² + qb·s + qc = 0.
bool PreparedMicroPolygon::solve(float e, float f, float& s, float& t) const {
    const float g = fG, h = fH, k = fK, l = fL, m = fM, n = fN, qa = fQa;
    float qb = g * f + k * h + e * n - e * h - g * l - m * f;
    float qc = e * l - k * f;
    if (nearZero(qa)) {
        if (nearZero(qb)) return false;
        s = -qc / qb;
        return tAt(e, f, s, t);
    }
    double discriminant = double(qb) * qb - 4.0 * double(qa) * qc;
    if (discriminant < 0.0) return false;
    if (nearZero(discriminant)) {
        s = float(-qb / (2.0 * qa));
        return tAt(e, f, s, t);
    }
    double root = std::sqrt(discriminant);
    s = float((-qb + root) / (2.0 * qa));
    if (tAt(e, f, s, t)) return true;
    s = float((-qb - root) / (2.0 * qa));
    return tAt(e, f, s, t);
}

bool PreparedMicroPolygon::tAt(float e, float f, float s, float& t) const {
    if (!inUnitRange(s)) return false;
    t = -1.0f;
    float q = (fM - fG) * s + fK;
    if (!nearZero(q)) t = (e - s * fG) / q;
    if (!inUnitRange(t)) {
        float r = (fN - fH) * s + fL;
        if (!nearZero(r)) t = (f - s * fH) / r;
    }
    return inUnitRange(t);
}

SampleOrder PreparedMicroPolygon::nearestKey(const GridHitTraits& traits) const {
    if (traits.paintOrder) return traits.paintKey;
    return SampleOrder::fromDepth(fZmin - depthMargin(fZmin, fZmax));
}

SampleOrder PreparedMicroPolygon::keyAt(const GridHitTraits& traits, float s, float t) const {
    if (traits.paintOrder) return traits.paintKey;
    return SampleOrder::fromDepth(bilerp(s, t, fPa.z, fPb.z, fPc.z, fPd.z));
}

void PreparedMicroPolygon::colorsAt(const GridHitTraits& traits, float s, float t, Color& Ci,
                                    Color& Oi) const {
    if (traits.smooth) {
        Ci = bilerp(s, t, fA->Ci, fB->Ci, fC->Ci, fD->Ci);
        Oi = bilerp(s, t, fA->Oi, fB->Oi, fC->Oi, fD->Oi);
    } else {
        Ci = fA->Ci;
        Oi = fA->Oi;
    }
}

MicroPolygon PreparedMicroPolygon::cell() const {
    MicroPolygon view(fGrid);
    view.place(fI, fJ);
    return view;
}

} // namespace quelmark
