#include "renderer/geometry/Nurbs.h"

#include "api/qel.h"
#include "common/Error.h"
#include "common/Quark.h"
#include "renderer/geometry/SplitArgs.h"
#include "renderer/geometry/PrimitiveSink.h"
#include "renderer/state/RenderContext.h"

#include <algorithm>
#include <cstddef>

namespace quelmark {

namespace {

Pointw lerp(const Pointw& a, const Pointw& b, float t) { return a * (1 - t) + b * t; }

// De Boor's triangle over the k points of one span (knots T[0..2k-1], the
// span from T[k-1] to T[k]), worked in place in d. Level r uses the
// parameter a for r <= levelsAtA and b above; after `levels` levels the
// results stand in d[levels..k-1].
void deBoorLevels(const float* T, int k, Pointw* d, int levels, float a, float b, int levelsAtA) {
    for (int r = 1; r <= levels; ++r) {
        float x = r <= levelsAtA ? a : b;
        for (int j = k - 1; j >= r; --j) {
            float alpha = (x - T[j]) / (T[j + k - r] - T[j]);
            d[j] = lerp(d[j - 1], d[j], alpha);
        }
    }
}

// The curve point at x, or its derivative in x, destroying d.
Pointw curveAt(const float* T, int k, Pointw* d, float x, bool derivative) {
    int degree = k - 1;
    if (degree == 0) return derivative ? Pointw(0, 0, 0, 0) : d[0];
    deBoorLevels(T, k, d, degree - 1, x, x, degree);
    float width = T[k] - T[k - 1];
    if (derivative) return (d[degree] - d[degree - 1]) * (float(degree) / width);
    return lerp(d[degree - 1], d[degree], (x - T[k - 1]) / width);
}

// Replaces the k points (stride apart) of the span's curve by its Bezier
// points over [a, b]: point i is the blossom at (a^(k-1-i), b^i).
void restrictCurve(const float* T, int k, Pointw* points, ptrdiff_t stride, float a, float b,
                   Pointw* scratch) {
    Pointw* original = scratch;
    Pointw* result = scratch + k;
    Pointw* work = scratch + 2 * k;
    for (int i = 0; i < k; ++i) original[i] = points[i * stride];
    int degree = k - 1;
    for (int i = 0; i < k; ++i) {
        std::copy(original, original + k, work);
        deBoorLevels(T, k, work, degree, a, b, degree - i);
        result[i] = work[degree];
    }
    for (int i = 0; i < k; ++i) points[i * stride] = result[i];
}

Boundw hullBound(const std::vector<Pointw>& points) {
    Boundw b(points[0].x, points[0].x, points[0].y, points[0].y, points[0].z, points[0].z,
             points[0].w, points[0].w);
    for (const Pointw& p : points) {
        b.xmin = std::min(b.xmin, p.x), b.xmax = std::max(b.xmax, p.x);
        b.ymin = std::min(b.ymin, p.y), b.ymax = std::max(b.ymax, p.y);
        b.zmin = std::min(b.zmin, p.z), b.zmax = std::max(b.zmax, p.z);
        b.wmin = std::min(b.wmin, p.w), b.wmax = std::max(b.wmax, p.w);
    }
    return b;
}

// The checks of one direction of a request; reports the first failure.
bool validDirection(long n, long order, const float* knot, float min, float max) {
    if (order < 1) {
        error(kErrRange, kError, "order must be at least 1");
        return false;
    }
    if (n < order) {
        error(kErrRange, kError, "number of control points may not be less than the order");
        return false;
    }
    for (long i = 0; i < n + order; ++i)
        if (!(knot[i] == knot[i]) || (i > 0 && !(knot[i - 1] <= knot[i]))) {
            error(kErrRange, kError, "knot values must appear in non-decreasing order");
            return false;
        }
    if (!(min < max)) {
        error(kErrRange, kError, "parametric limit min must be less than max");
        return false;
    }
    if (!(min >= knot[order - 1] && max <= knot[n])) {
        error(kErrRange, kError, "parametric limits must lie between knot[order-1] and knot[n]");
        return false;
    }
    return true;
}

// The parameter at which control point i's influence peaks; a surface given
// by heights there runs with x = u and y = v.
float greville(const float* knot, long order, long i) {
    if (order == 1) return 0.5f * (knot[i] + knot[i + 1]);
    double sum = 0;
    for (long j = 1; j < order; ++j) sum += knot[i + j];
    return float(sum / double(order - 1));
}

// The homogeneous control points from "point", "pointw" or "height"; empty
// when none of them is there.
std::vector<Pointw> controlPointsOf(const ArgList& args, long nu, long uorder, const float* uknot,
                                    long nv, long vorder, const float* vknot) {
    std::vector<Pointw> points;
    size_t count = size_t(nu) * size_t(nv);
    for (unsigned short quark : {kQuarkPoint, kQuarkPointw, kQuarkHeight}) {
        const ArgAssoc* entry = args.find(quark);
        if (!entry || size_t(entry->items) < count || entry->floats.size() < count * entry->width)
            continue;
        if (!entry->finiteItems(long(count))) {
            error(kErrRange, kError, "control points must be finite numbers");
            return points;
        }
        points.resize(count);
        for (long j = 0; j < nv; ++j)
            for (long i = 0; i < nu; ++i) {
                const float* p = entry->item(j * nu + i);
                Pointw& out = points[size_t(j * nu + i)];
                if (quark == kQuarkPoint) out = Pointw(p[0], p[1], p[2], 1);
                else if (quark == kQuarkPointw) out = Pointw(p[0], p[1], p[2], p[3]);
                else out = Pointw(greville(uknot, uorder, i), greville(vknot, vorder, j), p[0], 1);
            }
        break;
    }
    return points;
}

bool isSpanCornerList(const ArgAssoc& entry, long corners) {
    return entry.parameterClass == QEL_CLASS_VARY && entry.isNumeric() && entry.width > 0 &&
           entry.items == corners && entry.floats.size() == size_t(corners * entry.width);
}

// The list of span (su, sv) of a grid of uspans by vspans, covering the
// fractions [fu0, fu1] x [fv0, fv1] of that span.
ArgList spanArgs(const ArgList& args, long uspans, long vspans, long su, long sv, float fu0,
                 float fu1, float fv0, float fv1) {
    long row = uspans + 1;
    long corners = row * (vspans + 1);
    ArgList span;
    for (const ArgAssoc& entry : args) {
        if (entry.parameterClass == QEL_CLASS_VERTEX) continue;
        if (!isSpanCornerList(entry, corners)) {
            span.add(entry);
            continue;
        }
        ArgAssoc reduced = entry;
        reduced.items = 4;
        reduced.floats.resize(size_t(4 * entry.width));
        const long from[4] = {sv * row + su, sv * row + su + 1, (sv + 1) * row + su,
                              (sv + 1) * row + su + 1};
        for (int c = 0; c < 4; ++c)
            std::copy(entry.item(from[c]), entry.item(from[c]) + entry.width, reduced.item(c));
        span.add(std::move(reduced));
    }
    return splitArgs(span, fu0, fu1, fv0, fv1);
}

float fraction(float x, float lo, float hi) { return (x - lo) / (hi - lo); }

} // namespace

NuPatch::NuPatch(int uorder, const float* uknot, int vorder, const float* vknot,
                 const Pointw* points, ArgList args)
    : fUOrder(uorder), fVOrder(vorder), fUKnots(uknot, uknot + 2 * uorder),
      fVKnots(vknot, vknot + 2 * vorder), fPoints(points, points + uorder * vorder),
      fScratch(size_t(3 * std::max(uorder, vorder))) {
    fArgs = std::move(args);
}

NuPatch::NuPatch(const Primitive& parent, int uorder, const float* uknot, int vorder,
                 const float* vknot, const Pointw* points, ArgList args)
    : Primitive(parent), fUOrder(uorder), fVOrder(vorder), fUKnots(uknot, uknot + 2 * uorder),
      fVKnots(vknot, vknot + 2 * vorder), fPoints(points, points + uorder * vorder),
      fScratch(size_t(3 * std::max(uorder, vorder))) {
    fArgs = std::move(args);
}

Boundw NuPatch::bound() const { return hullBound(fPoints); }

Pointw NuPatch::evaluate(float u, float v, Part alongU, Part alongV) const {
    float U0 = fUKnots[fUOrder - 1], U1 = fUKnots[fUOrder];
    float V0 = fVKnots[fVOrder - 1], V1 = fVKnots[fVOrder];
    float U = U0 + u * (U1 - U0), V = V0 + v * (V1 - V0);
    Pointw* work = fScratch.data();
    Pointw* rows = work + fUOrder;
    for (int j = 0; j < fVOrder; ++j) {
        std::copy_n(fPoints.begin() + j * fUOrder, fUOrder, work);
        rows[j] = curveAt(fUKnots.data(), fUOrder, work, U, alongU == Part::kDerivative);
    }
    Pointw p = curveAt(fVKnots.data(), fVOrder, rows, V, alongV == Part::kDerivative);
    if (alongU == Part::kDerivative) p *= U1 - U0;
    if (alongV == Part::kDerivative) p *= V1 - V0;
    return p;
}

Pointw NuPatch::evalP(float u, float v) const {
    return evaluate(u, v, Part::kValue, Part::kValue);
}

Pointw NuPatch::evaldPdu(float u, float v) const {
    return evaluate(u, v, Part::kDerivative, Part::kValue);
}

Pointw NuPatch::evaldPdv(float u, float v) const {
    return evaluate(u, v, Part::kValue, Part::kDerivative);
}

void NuPatch::restrict(float u0, float u1, float v0, float v1) {
    for (int j = 0; j < fVOrder; ++j)
        restrictCurve(fUKnots.data(), fUOrder, fPoints.data() + j * fUOrder, 1, u0, u1,
                      fScratch.data());
    for (int i = 0; i < fUOrder; ++i)
        restrictCurve(fVKnots.data(), fVOrder, fPoints.data() + i, fUOrder, v0, v1,
                      fScratch.data());
    std::fill_n(fUKnots.begin(), fUOrder, u0);
    std::fill_n(fUKnots.begin() + fUOrder, fUOrder, u1);
    std::fill_n(fVKnots.begin(), fVOrder, v0);
    std::fill_n(fVKnots.begin() + fVOrder, fVOrder, v1);
}

// Compares the longest row of the control net with its longest column.
bool NuPatch::longerAlongU() const {
    auto at = [this](int i, int j) { return Point(fPoints[size_t(j * fUOrder + i)]); };
    float longestRow = 0, longestColumn = 0;
    for (int j = 0; j < fVOrder; ++j) {
        float length = 0;
        for (int i = 1; i < fUOrder; ++i) length += distance(at(i - 1, j), at(i, j));
        longestRow = std::max(longestRow, length);
    }
    for (int i = 0; i < fUOrder; ++i) {
        float length = 0;
        for (int j = 1; j < fVOrder; ++j) length += distance(at(i, j - 1), at(i, j));
        longestColumn = std::max(longestColumn, length);
    }
    return !(longestColumn > longestRow);
}

void NuPatch::split(PrimitiveSink& sink) {
    if (longerAlongU()) {
        addHalf(sink, 0, 0.5f, 0, 1);
        addHalf(sink, 0.5f, 1, 0, 1);
    } else {
        addHalf(sink, 0, 1, 0, 0.5f);
        addHalf(sink, 0, 1, 0.5f, 1);
    }
}

// The child over the fractions [u0, u1] x [v0, v1] of this span.
void NuPatch::addHalf(PrimitiveSink& sink, float u0, float u1, float v0, float v1) const {
    float U0 = fUKnots[fUOrder - 1], U1 = fUKnots[fUOrder];
    float V0 = fVKnots[fVOrder - 1], V1 = fVKnots[fVOrder];
    NuPatch* child = new NuPatch(*this);
    child->restrict(U0 + u0 * (U1 - U0), U0 + u1 * (U1 - U0), V0 + v0 * (V1 - V0),
                    V0 + v1 * (V1 - V0));
    child->fArgs = splitArgs(fArgs, u0, u1, v0, v1);
    child->fRange = fRange.part(u0, u1, v0, v1);
    sink.add(child);
}

Primitive* NURB::make(long uorder, const float* uknot, float umin, float umax, long vorder,
                      const float* vknot, float vmin, float vmax, ArgList args) {
    if (!validDirection(uorder, uorder, uknot, umin, umax) ||
        !validDirection(vorder, vorder, vknot, vmin, vmax))
        return nullptr;
    std::vector<Pointw> points = controlPointsOf(args, uorder, uorder, uknot, vorder, vorder, vknot);
    if (points.empty()) return nullptr;
    float U0 = uknot[uorder - 1], U1 = uknot[uorder], V0 = vknot[vorder - 1], V1 = vknot[vorder];
    ArgList spanList = spanArgs(args, 1, 1, 0, 0, fraction(umin, U0, U1), fraction(umax, U0, U1),
                                fraction(vmin, V0, V1), fraction(vmax, V0, V1));
    NURB* nurb = new NURB(int(uorder), uknot, int(vorder), vknot, points.data(),
                          std::move(spanList));
    nurb->restrict(umin, umax, vmin, vmax);
    return nurb;
}

Primitive* NuPatchMesh::make(long nu, long uorder, const float* uknot, float umin, float umax,
                             long nv, long vorder, const float* vknot, float vmin, float vmax,
                             ArgList args) {
    if (!validDirection(nu, uorder, uknot, umin, umax) ||
        !validDirection(nv, vorder, vknot, vmin, vmax))
        return nullptr;
    std::vector<Pointw> points = controlPointsOf(args, nu, uorder, uknot, nv, vorder, vknot);
    if (points.empty()) return nullptr;
    NuPatchMesh* mesh = new NuPatchMesh;
    mesh->fNU = nu, mesh->fNV = nv;
    mesh->fUOrder = int(uorder), mesh->fVOrder = int(vorder);
    mesh->fUKnots.assign(uknot, uknot + nu + uorder);
    mesh->fVKnots.assign(vknot, vknot + nv + vorder);
    mesh->fUMin = umin, mesh->fUMax = umax, mesh->fVMin = vmin, mesh->fVMax = vmax;
    mesh->fPoints = std::move(points);
    mesh->fArgs = std::move(args);
    return mesh;
}

Boundw NuPatchMesh::bound() const { return hullBound(fPoints); }

void NuPatchMesh::split(PrimitiveSink& sink) {
    for (long sv = 0; sv + fVOrder <= fNV; ++sv) {
        float v0 = std::max(fVMin, fVKnots[size_t(sv + fVOrder - 1)]);
        float v1 = std::min(fVMax, fVKnots[size_t(sv + fVOrder)]);
        if (!(v0 < v1)) continue;
        for (long su = 0; su + fUOrder <= fNU; ++su) {
            float u0 = std::max(fUMin, fUKnots[size_t(su + fUOrder - 1)]);
            float u1 = std::min(fUMax, fUKnots[size_t(su + fUOrder)]);
            if (u0 < u1) addSpan(sink, su, sv, u0, u1, v0, v1);
        }
    }
}

// Span (su, sv) counts from the first span, whose control points start at
// (su, sv) of the net, restricted to [u0, u1] x [v0, v1].
void NuPatchMesh::addSpan(PrimitiveSink& sink, long su, long sv, float u0, float u1, float v0, float v1) const {
    std::vector<Pointw> block(size_t(fUOrder * fVOrder));
    for (int j = 0; j < fVOrder; ++j)
        std::copy_n(fPoints.begin() + (sv + j) * fNU + su, fUOrder, block.begin() + j * fUOrder);
    const float* uknot = fUKnots.data() + su;
    const float* vknot = fVKnots.data() + sv;
    float U0 = uknot[fUOrder - 1], U1 = uknot[fUOrder], V0 = vknot[fVOrder - 1], V1 = vknot[fVOrder];
    ArgList list = spanArgs(fArgs, fNU - fUOrder + 1, fNV - fVOrder + 1, su, sv,
                            fraction(u0, U0, U1), fraction(u1, U0, U1), fraction(v0, V0, V1),
                            fraction(v1, V0, V1));
    NuPatch* piece = new NuPatch(*this, fUOrder, uknot, fVOrder, vknot, block.data(), std::move(list));
    piece->restrict(u0, u1, v0, v1);
    // The mesh's u and v run over its drawn range.
    piece->setParameterRange({fraction(u0, fUMin, fUMax), fraction(u1, fUMin, fUMax),
                              fraction(v0, fVMin, fVMax), fraction(v1, fVMin, fVMax)});
    sink.add(piece);
}

} // namespace quelmark
