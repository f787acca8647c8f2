#include "renderer/geometry/Patch.h"

#include "api/qel.h"
#include "common/Basis.h"
#include "common/Error.h"
#include "common/Quark.h"
#include "renderer/geometry/PrimitiveSink.h"
#include "renderer/geometry/SplitArgs.h"
#include "renderer/shading/Grid.h"
#include "renderer/shading/Vertex.h"
#include "renderer/state/Attrib.h"
#include "renderer/state/RenderContext.h"
#include "renderer/state/Transform.h"

#include <algorithm>
#include <cmath>

namespace quelmark {

namespace {

// The part of the unit square a "height" patch spans.
struct Span {
    float x0 = 0, x1 = 1, y0 = 0, y1 = 1;
};

bool isPosition(unsigned short quark) {
    return quark == kQuarkPoint || quark == kQuarkHeight || quark == kQuarkPointw;
}

// The first position entry with at least the given number of items.
const ArgAssoc* findPosition(const ArgList& args, long items) {
    for (const ArgAssoc& entry : args)
        if (isPosition(entry.quark) && entry.items >= items && entry.isNumeric() &&
            entry.floats.size() >= size_t(items * entry.width))
            return &entry;
    return nullptr;
}

// The position as findPosition finds it, or null after a report when one of
// its control points is not a finite number.
const ArgAssoc* finitePosition(const ArgList& args, long items) {
    const ArgAssoc* position = findPosition(args, items);
    if (position && !position->finiteItems(items)) {
        error(kErrRange, kError, "control points must be finite numbers");
        return nullptr;
    }
    return position;
}

// Control point k; a height gives x = y = 0.
Pointw controlPoint(const ArgAssoc& position, long k) {
    const float* f = position.item(k);
    if (position.quark == kQuarkHeight) return {0, 0, f[0], 1};
    if (position.quark == kQuarkPointw) return {f[0], f[1], f[2], f[3]};
    return {f[0], f[1], f[2], 1};
}

// The items at the indices of one entry.
ArgAssoc pickItems(const ArgAssoc& entry, const long* indices, int count) {
    ArgAssoc picked = entry;
    picked.items = count;
    picked.floats.clear();
    picked.integers.clear();
    picked.strings.clear();
    long items = std::max(entry.items, 1L);
    size_t intsPer = entry.integers.size() / size_t(items);
    size_t stringsPer = entry.strings.size() / size_t(items);
    for (int k = 0; k < count; ++k) {
        size_t index = size_t(indices[k]);
        if (entry.width > 0 && entry.floats.size() >= (index + 1) * size_t(entry.width))
            picked.floats.insert(picked.floats.end(), entry.item(indices[k]),
                                 entry.item(indices[k]) + entry.width);
        for (size_t n = 0; n < intsPer; ++n)
            picked.integers.push_back(entry.integers[index * intsPer + n]);
        for (size_t n = 0; n < stringsPer; ++n)
            picked.strings.push_back(entry.strings[index * stringsPer + n]);
    }
    return picked;
}

// The list without positions; "vertex" entries of a bicubic patch keep the
// values of their corner control points only.
ArgList shadingArgs(const ArgList& args, bool bicubic) {
    static const long kBicubicCorners[4] = {0, 3, 12, 15};
    ArgList result;
    for (const ArgAssoc& entry : args) {
        if (isPosition(entry.quark)) continue;
        bool sixteen = entry.parameterClass == QEL_CLASS_VERTEX && entry.items == 16;
        result.add(bicubic && sixteen ? pickItems(entry, kBicubicCorners, 4) : entry);
    }
    return result;
}

void spreadOverSpan(Pointw corners[4], const Span& span) {
    corners[0].x = corners[2].x = span.x0;
    corners[1].x = corners[3].x = span.x1;
    corners[0].y = corners[1].y = span.y0;
    corners[2].y = corners[3].y = span.y1;
}

// A height net in Bezier form: x and y run linearly over the span.
void spreadOverSpan(Pointw net[4][4], const Span& span) {
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) {
            net[j][i].x = span.x0 + float(i) / 3 * (span.x1 - span.x0);
            net[j][i].y = span.y0 + float(j) / 3 * (span.y1 - span.y0);
        }
}

Boundw boundOfPoints(const Pointw* points, int count) {
    Boundw b(points[0].x, points[0].x, points[0].y, points[0].y, points[0].z, points[0].z,
             points[0].w, points[0].w);
    for (int k = 1; k < count; ++k) {
        const Pointw& p = points[k];
        b.xmin = std::min(b.xmin, p.x), b.xmax = std::max(b.xmax, p.x);
        b.ymin = std::min(b.ymin, p.y), b.ymax = std::max(b.ymax, p.y);
        b.zmin = std::min(b.zmin, p.z), b.zmax = std::max(b.zmax, p.z);
        b.wmin = std::min(b.wmin, p.w), b.wmax = std::max(b.wmax, p.w);
    }
    return b;
}

void includeBound(Boundw& total, const Boundw& b) {
    if (!total.set) {
        total = b;
        return;
    }
    total.xmin = std::min(total.xmin, b.xmin), total.xmax = std::max(total.xmax, b.xmax);
    total.ymin = std::min(total.ymin, b.ymin), total.ymax = std::max(total.ymax, b.ymax);
    total.zmin = std::min(total.zmin, b.zmin), total.zmax = std::max(total.zmax, b.zmax);
    total.wmin = std::min(total.wmin, b.wmin), total.wmax = std::max(total.wmax, b.wmax);
}

Pointw lerp(const Pointw& a, const Pointw& b, float t) {
    return a + (b - a) * t;
}

// Non-rational derivatives carry w = 1 so that Point() leaves them alone.
Pointw direction(Pointw d, bool isRational) {
    if (!isRational) d.w = 1;
    return d;
}

struct Cubic {
    float b[4];
};

Cubic bernstein(float t) {
    float s = 1 - t;
    return {{s * s * s, 3 * t * s * s, 3 * t * t * s, t * t * t}};
}

Cubic bernsteinDerivative(float t) {
    float s = 1 - t;
    return {{-3 * s * s, 3 * s * s - 6 * t * s, 6 * t * s - 3 * t * t, 3 * t * t}};
}

Pointw combine(const Cubic& weights, const Pointw p[4]) {
    Pointw sum(0, 0, 0, 0);
    for (int k = 0; k < 4; ++k)
        sum += p[k] * weights.b[k];
    return sum;
}

// Halves of the cubic with control points p at t = 1/2.
void deCasteljau(const Pointw p[4], Pointw left[4], Pointw right[4]) {
    Pointw p01 = lerp(p[0], p[1], 0.5f), p12 = lerp(p[1], p[2], 0.5f), p23 = lerp(p[2], p[3], 0.5f);
    Pointw a = lerp(p01, p12, 0.5f), b = lerp(p12, p23, 0.5f), mid = lerp(a, b, 0.5f);
    left[0] = p[0], left[1] = p01, left[2] = a, left[3] = mid;
    right[0] = mid, right[1] = b, right[2] = p23, right[3] = p[3];
}

// M such that the Bezier control points of a segment are M times its
// control points in the basis.
void toBezierMatrix(const Matrix& basis, double m[4][4]) {
    constexpr double third = 1.0 / 3, twoThirds = 2.0 / 3;
    static const double kInverseBezier[4][4] = {
        {0, 0, 0, 1}, {0, 0, third, 1}, {0, third, twoThirds, 1}, {1, 1, 1, 1}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            double sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += kInverseBezier[r][k] * basis[k][c];
            m[r][c] = sum;
        }
}

void finishVertex(Vertex& vertex, const Pointw& p, const Pointw& du, const Pointw& dv,
                  bool isRational, const Matrix& T) {
    Point P(p), dPdu, dPdv;
    if (isRational) {
        dPdu = Point(p + du) - P;
        dPdv = Point(p + dv) - P;
    } else {
        dPdu = Point(du);
        dPdv = Point(dv);
    }
    vertex.P = P * T;
    vertex.dPdu = vtransform(dPdu, T);
    vertex.dPdv = vtransform(dPdv, T);
}

} // namespace

// ---- BilinearPatch

Primitive* BilinearPatch::make(ArgList args) {
    const ArgAssoc* position = finitePosition(args, 4);
    if (!position) return nullptr;
    Pointw corners[4];
    for (int k = 0; k < 4; ++k)
        corners[k] = controlPoint(*position, k);
    if (position->quark == kQuarkHeight) spreadOverSpan(corners, Span());
    bool isRational = position->quark == kQuarkPointw;
    return new BilinearPatch(corners, isRational, shadingArgs(args, false));
}

BilinearPatch::BilinearPatch(const Pointw corners[4], bool isRational, ArgList args)
    : fRational(isRational) {
    std::copy(corners, corners + 4, fCorner);
    fArgs = std::move(args);
}

BilinearPatch::BilinearPatch(const Primitive& sharing, const Pointw corners[4], bool isRational,
                             ArgList args)
    : Primitive(sharing), fRational(isRational) {
    std::copy(corners, corners + 4, fCorner);
    fArgs = std::move(args);
}

int32_t BilinearPatch::type() const {
    return primitive_class::kPatch;
}

Boundw BilinearPatch::bound() const {
    return boundOfPoints(fCorner, 4);
}

short BilinearPatch::rational() const {
    return fRational ? 1 : 0;
}

Pointw BilinearPatch::evalP(float u, float v) const {
    Pointw p = lerp(lerp(fCorner[0], fCorner[1], u), lerp(fCorner[2], fCorner[3], u), v);
    if (!fRational) p.w = 1;
    return p;
}

Pointw BilinearPatch::evaldPdu(float, float v) const {
    return direction(lerp(fCorner[1] - fCorner[0], fCorner[3] - fCorner[2], v), fRational);
}

Pointw BilinearPatch::evaldPdv(float u, float) const {
    return direction(lerp(fCorner[2] - fCorner[0], fCorner[3] - fCorner[1], u), fRational);
}

void BilinearPatch::split(PrimitiveSink& sink) {
    addChild(sink, 0.0f, 0.0f);
    addChild(sink, 0.5f, 0.0f);
    addChild(sink, 0.0f, 0.5f);
    addChild(sink, 0.5f, 0.5f);
}

void BilinearPatch::addChild(PrimitiveSink& sink, float u0, float v0) const {
    BilinearPatch* child = new BilinearPatch(*this);
    float u1 = u0 + 0.5f, v1 = v0 + 0.5f;
    const float us[4] = {u0, u1, u0, u1}, vs[4] = {v0, v0, v1, v1};
    for (int k = 0; k < 4; ++k)
        child->fCorner[k] =
            lerp(lerp(fCorner[0], fCorner[1], us[k]), lerp(fCorner[2], fCorner[3], us[k]), vs[k]);
    child->fArgs = splitArgs(fArgs, u0, u1, v0, v1);
    child->fRange = fRange.part(u0, u1, v0, v1);
    sink.add(child);
}

// ---- BicubicPatch

Primitive* BicubicPatch::make(ArgList args) {
    const ArgAssoc* position = finitePosition(args, 16);
    if (!position) return nullptr;
    Pointw control[16];
    for (int k = 0; k < 16; ++k)
        control[k] = controlPoint(*position, k);
    Pointw net[4][4];
    const Attrib& attrib = *gAttrib;
    bool isRational = position->quark == kQuarkPointw;
    toBezier(control, attrib.uBasis, attrib.vBasis, isRational, net);
    if (position->quark == kQuarkHeight) spreadOverSpan(net, Span());
    return new BicubicPatch(net, isRational, shadingArgs(args, true));
}

// With G[a][b] the point a along u and b along v, the net is
// Mu G Mv^T for the bases' conversion matrices Mu and Mv.
void BicubicPatch::toBezier(const Pointw control[16], const Matrix& uBasis, const Matrix& vBasis,
                            bool isRational, Pointw bezier[4][4]) {
    double mu[4][4], mv[4][4];
    toBezierMatrix(uBasis, mu);
    toBezierMatrix(vBasis, mv);
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) {
            double sum[4] = {0, 0, 0, 0};
            for (int b = 0; b < 4; ++b)
                for (int a = 0; a < 4; ++a) {
                    double weight = mu[i][a] * mv[j][b];
                    const Pointw& g = control[b * 4 + a];
                    sum[0] += weight * g.x, sum[1] += weight * g.y;
                    sum[2] += weight * g.z, sum[3] += weight * g.w;
                }
            // Only weights given by the caller change in the basis; plain points
            // keep w = 1 even where the basis does not sum to one (Hermite, power).
            float w = isRational ? float(sum[3]) : 1.0f;
            bezier[j][i] = Pointw(float(sum[0]), float(sum[1]), float(sum[2]), w);
        }
}

BicubicPatch::BicubicPatch(const Pointw bezier[4][4], bool isRational, ArgList args)
    : fRational(isRational) {
    for (int j = 0; j < 4; ++j)
        std::copy(bezier[j], bezier[j] + 4, fNet[j]);
    fArgs = std::move(args);
}

BicubicPatch::BicubicPatch(const Primitive& sharing, const Pointw bezier[4][4], bool isRational,
                           ArgList args)
    : Primitive(sharing), fRational(isRational) {
    for (int j = 0; j < 4; ++j)
        std::copy(bezier[j], bezier[j] + 4, fNet[j]);
    fArgs = std::move(args);
}

int32_t BicubicPatch::type() const {
    return primitive_class::kBicubicPatch;
}

Boundw BicubicPatch::bound() const {
    return boundOfPoints(&fNet[0][0], 16);
}

short BicubicPatch::rational() const {
    return fRational ? 1 : 0;
}

Pointw BicubicPatch::evaluate(float u, float v, bool du, bool dv) const {
    Cubic wu = du ? bernsteinDerivative(u) : bernstein(u);
    Cubic wv = dv ? bernsteinDerivative(v) : bernstein(v);
    Pointw curve[4];
    for (int i = 0; i < 4; ++i) {
        const Pointw column[4] = {fNet[0][i], fNet[1][i], fNet[2][i], fNet[3][i]};
        curve[i] = combine(wv, column);
    }
    return combine(wu, curve);
}

Pointw BicubicPatch::evalP(float u, float v) const {
    Pointw p = evaluate(u, v, false, false);
    if (!fRational) p.w = 1;
    return p;
}

Pointw BicubicPatch::evaldPdu(float u, float v) const {
    return direction(evaluate(u, v, true, false), fRational);
}

Pointw BicubicPatch::evaldPdv(float u, float v) const {
    return direction(evaluate(u, v, false, true), fRational);
}

DiceDecision BicubicPatch::diceable(const RenderContext& context, float limit) {
    DiceDecision decision = Primitive::diceable(context, limit);
    if (decision) decision.diceable = netFlat(context, decision.size);
    return decision;
}

bool BicubicPatch::netFlat(const RenderContext& context, GridSize size) const {
    Matrix raster = transform()->matrix() * context.cameraToRaster;
    Point r[4][4];
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i)
            r[j][i] = Point(fNet[j][i] * raster);
    float deviation = 0;
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) {
            float u = float(i) / 3, v = float(j) / 3;
            Point bottom = r[0][0] + (r[0][3] - r[0][0]) * u;
            Point top = r[3][0] + (r[3][3] - r[3][0]) * u;
            Point d = r[j][i] - (bottom + (top - bottom) * v);
            deviation = std::max(deviation, std::hypot(d.x, d.y));
        }
    float steps = float(std::min(size.u, size.v));
    // Points behind the eye give no raster measure: leave those to splitting.
    if (!std::isfinite(deviation)) return true;
    return deviation / (steps * steps) <= attrib()->flatnessValue;
}

Grid* BicubicPatch::dice(GridSize size) {
    const int nu = size.u, nv = size.v;
    Vertex** rows = allocVertices(nu, nv);
    const Matrix& T = transform()->matrix();
    for (int j = 0; j <= nv; ++j) {
        float v = float(j) / float(nv);
        Cubic wv = bernstein(v), dwv = bernsteinDerivative(v);
        Pointw curve[4], curveDv[4];
        for (int i = 0; i < 4; ++i) {
            const Pointw column[4] = {fNet[0][i], fNet[1][i], fNet[2][i], fNet[3][i]};
            curve[i] = combine(wv, column);
            curveDv[i] = combine(dwv, column);
        }
        for (int i = 0; i <= nu; ++i) {
            float u = float(i) / float(nu);
            Cubic wu = bernstein(u);
            Pointw p = combine(wu, curve);
            if (!fRational) p.w = 1;
            Pointw du = direction(combine(bernsteinDerivative(u), curve), fRational);
            Pointw dv = direction(combine(wu, curveDv), fRational);
            finishVertex(rows[j][i], p, du, dv, fRational, T);
        }
    }
    const short reverse = facesReversed();
    return new Grid(nu, nv, rows, attrib(), transform(), sequence(), reverse, 0, fArgs);
}

void BicubicPatch::split(PrimitiveSink& sink) {
    Pointw left[4][4], right[4][4];
    for (int j = 0; j < 4; ++j)
        deCasteljau(fNet[j], left[j], right[j]);
    const Pointw(*halves[2])[4] = {left, right};
    BicubicPatch* quarters[4];
    for (int half = 0; half < 2; ++half) {
        Pointw lower[4][4], upper[4][4];
        for (int i = 0; i < 4; ++i) {
            const Pointw column[4] = {halves[half][0][i], halves[half][1][i], halves[half][2][i],
                                      halves[half][3][i]};
            Pointw low[4], high[4];
            deCasteljau(column, low, high);
            for (int j = 0; j < 4; ++j)
                lower[j][i] = low[j], upper[j][i] = high[j];
        }
        float u0 = 0.5f * float(half);
        BicubicPatch* bottom = new BicubicPatch(*this);
        std::copy(&lower[0][0], &lower[0][0] + 16, &bottom->fNet[0][0]);
        bottom->fArgs = splitArgs(fArgs, u0, u0 + 0.5f, 0.0f, 0.5f);
        bottom->fRange = fRange.part(u0, u0 + 0.5f, 0.0f, 0.5f);
        BicubicPatch* top = new BicubicPatch(*this);
        std::copy(&upper[0][0], &upper[0][0] + 16, &top->fNet[0][0]);
        top->fArgs = splitArgs(fArgs, u0, u0 + 0.5f, 0.5f, 1.0f);
        top->fRange = fRange.part(u0, u0 + 0.5f, 0.5f, 1.0f);
        quarters[half] = bottom;
        quarters[half + 2] = top;
    }
    for (BicubicPatch* quarter : quarters)
        sink.add(quarter);
}

// ---- PatchMesh

namespace {

bool isCatmullRom(const Matrix& basis) {
    return basis == Matrix(qelCatmullRomBasis);
}

long patchesAlong(bool bicubic, long n, bool periodic, long step) {
    if (!bicubic) return periodic ? n : n - 1;
    return periodic ? n / step : (n - 4) / step + 1;
}

// The part of the unit square patch (pu, pv) of a height mesh spans.
Span spanOf(long pu, long pv, long upatches, long vpatches) {
    return {float(pu) / float(upatches), float(pu + 1) / float(upatches),
            float(pv) / float(vpatches), float(pv + 1) / float(vpatches)};
}

bool extraControlPoints(long n, bool periodic, long step) {
    return periodic ? n % step != 0 : (n - 4) % step != 0;
}

} // namespace

Primitive* PatchMesh::make(short type, long nu, short uwrap, long nv, short vwrap, ArgList args) {
    bool bicubic = type == QEL_PATCH_BICUBIC;
    bool uperiodic = uwrap == QEL_WRAP, vperiodic = vwrap == QEL_WRAP;
    if (bicubic) {
        const Attrib& attrib = *gAttrib;
        if ((isCatmullRom(attrib.uBasis) && nu < 4) || (isCatmullRom(attrib.vBasis) && nv < 4)) {
            error(kErrConsistency, kError, "Catmull-Rom splines require at least 4 control points");
            return nullptr;
        }
        if ((uperiodic || nu >= 4) && extraControlPoints(nu, uperiodic, attrib.uStep))
            error(kErrConsistency, kWarning, "extra control points in u will be ignored");
        if ((vperiodic || nv >= 4) && extraControlPoints(nv, vperiodic, attrib.vStep))
            error(kErrConsistency, kWarning, "extra control points in v will be ignored");
    }
    if (!finitePosition(args, nu * nv)) return nullptr;
    PatchMesh* mesh = new PatchMesh(type, nu, uperiodic, nv, vperiodic, std::move(args));
    if (mesh->fUPatches < 1 || mesh->fVPatches < 1) {
        delete mesh;
        return nullptr;
    }
    return mesh;
}

PatchMesh::PatchMesh(short type, long nu, bool uperiodic, long nv, bool vperiodic, ArgList args)
    : fBicubic(type == QEL_PATCH_BICUBIC), fNu(nu), fNv(nv), fUPeriodic(uperiodic),
      fVPeriodic(vperiodic), fUStep(fBicubic ? std::max(attrib()->uStep, 1L) : 1),
      fVStep(fBicubic ? std::max(attrib()->vStep, 1L) : 1),
      fUPatches(patchesAlong(fBicubic, nu, uperiodic, fUStep)),
      fVPatches(patchesAlong(fBicubic, nv, vperiodic, fVStep)), fUBasis(attrib()->uBasis),
      fVBasis(attrib()->vBasis) {
    fArgs = std::move(args);
    fPosition = findPosition(fArgs, nu * nv)->quark;
    fBound = computeBound();
}

int32_t PatchMesh::type() const {
    return primitive_class::kPatchMesh;
}

Boundw PatchMesh::bound() const {
    return fBound;
}

DiceDecision PatchMesh::diceable(const RenderContext&, float) {
    return {};
}

void PatchMesh::split(PrimitiveSink& sink) {
    for (long pv = 0; pv < fVPatches; ++pv)
        for (long pu = 0; pu < fUPatches; ++pu)
            sink.add(makePatch(pu, pv));
}

long PatchMesh::controlIndex(long pu, long pv, long a, long b) const {
    long column = pu * fUStep + a, row = pv * fVStep + b;
    if (fUPeriodic) column %= fNu;
    if (fVPeriodic) row %= fNv;
    return row * fNu + column;
}

int PatchMesh::controlPoints(long pu, long pv, Pointw* out) const {
    const ArgAssoc& position = *fArgs.find(fPosition);
    int side = fBicubic ? 4 : 2;
    for (int b = 0; b < side; ++b)
        for (int a = 0; a < side; ++a)
            out[b * side + a] = controlPoint(position, controlIndex(pu, pv, a, b));
    if (!fBicubic && fPosition == kQuarkHeight) {
        spreadOverSpan(out, spanOf(pu, pv, fUPatches, fVPatches));
    }
    return side * side;
}

Boundw PatchMesh::computeBound() const {
    Boundw total;
    for (long pv = 0; pv < fVPatches; ++pv)
        for (long pu = 0; pu < fUPatches; ++pu) {
            Pointw control[16];
            int count = controlPoints(pu, pv, control);
            if (!fBicubic) {
                includeBound(total, boundOfPoints(control, count));
                continue;
            }
            Pointw net[4][4];
            BicubicPatch::toBezier(control, fUBasis, fVBasis, fPosition == kQuarkPointw, net);
            if (fPosition == kQuarkHeight)
                spreadOverSpan(net, spanOf(pu, pv, fUPatches, fVPatches));
            includeBound(total, boundOfPoints(&net[0][0], 16));
        }
    return total;
}

ArgList PatchMesh::patchArgs(long pu, long pv) const {
    long uvarying = fUPeriodic ? fUPatches : fUPatches + 1;
    long vvarying = fVPeriodic ? fVPatches : fVPatches + 1;
    long pu1 = (pu + 1) % uvarying, pv1 = (pv + 1) % vvarying;
    const long corners[4] = {pv * uvarying + pu, pv * uvarying + pu1, pv1 * uvarying + pu,
                             pv1 * uvarying + pu1};
    const long uniform = pv * fUPatches + pu;
    long controls[16];
    int side = fBicubic ? 4 : 2;
    for (int b = 0; b < side; ++b)
        for (int a = 0; a < side; ++a)
            controls[b * side + a] = controlIndex(pu, pv, a, b);
    const long controlCorners[4] = {controls[0], controls[side - 1], controls[side * (side - 1)],
                                    controls[side * side - 1]};
    ArgList result;
    for (const ArgAssoc& entry : fArgs) {
        if (isPosition(entry.quark)) continue;
        if (entry.parameterClass == QEL_CLASS_CONST)
            result.add(pickItems(entry, &uniform, 1));
        else if (entry.parameterClass == QEL_CLASS_VARY)
            result.add(pickItems(entry, corners, 4));
        else if (entry.parameterClass == QEL_CLASS_VERTEX)
            result.add(pickItems(entry, controlCorners, 4));
        else
            result.add(entry);
    }
    return result;
}

Primitive* PatchMesh::makePatch(long pu, long pv) const {
    Pointw control[16];
    controlPoints(pu, pv, control);
    bool isRational = fPosition == kQuarkPointw;
    // The mesh's u and v run over the whole mesh.
    Span span = spanOf(pu, pv, fUPatches, fVPatches);
    const ParameterRange range{span.x0, span.x1, span.y0, span.y1};
    if (fBicubic) {
        Pointw net[4][4];
        BicubicPatch::toBezier(control, fUBasis, fVBasis, isRational, net);
        if (fPosition == kQuarkHeight) spreadOverSpan(net, span);
        auto* patch = new BicubicPatch(*this, net, isRational, patchArgs(pu, pv));
        patch->setParameterRange(range);
        return patch;
    }
    auto* patch = new BilinearPatch(*this, control, isRational, patchArgs(pu, pv));
    patch->setParameterRange(range);
    return patch;
}

} // namespace quelmark
