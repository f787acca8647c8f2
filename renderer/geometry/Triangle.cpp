#include "renderer/geometry/Triangle.h"

#include "api/qel.h"
#include "renderer/geometry/DiceSteps.h"
#include "renderer/geometry/PrimitiveSink.h"
#include "renderer/shading/Grid.h"
#include "renderer/shading/Vertex.h"
#include "renderer/state/Attrib.h"
#include "renderer/state/RenderContext.h"
#include "renderer/state/Transform.h"

#include <algorithm>
#include <cmath>

namespace quelmark {

namespace {

constexpr int kCorners = 4;

struct Param {
    float u, v;
};

// The triangle's linear value at (u, v) from its corner values.
void interpolate(const ArgAssoc& entry, const Param& at, float* out) {
    const float *c0 = entry.item(0), *c1 = entry.item(1), *c2 = entry.item(2);
    for (int k = 0; k < entry.width; ++k)
        out[k] = c0[k] + at.u * (c1[k] - c0[k]) + at.v * (c2[k] - c0[k]);
}

// The list of the child with corners at the given parameters of its parent.
ArgList childArgs(const ArgList& args, const Param corners[3]) {
    ArgList result;
    std::vector<float> values;
    for (const ArgAssoc& entry : args) {
        if (!followsVertices(entry) || entry.items != kCorners) {
            result.add(entry);
            continue;
        }
        values.resize(size_t(3 * entry.width));
        for (int k = 0; k < 3; ++k)
            interpolate(entry, corners[k], values.data() + k * entry.width);
        result.add(triangleCorners(entry, values.data(), values.data() + entry.width,
                                   values.data() + 2 * entry.width));
    }
    return result;
}

} // namespace

bool followsVertices(const ArgAssoc& entry) {
    return (entry.parameterClass == QEL_CLASS_VARY || entry.parameterClass == QEL_CLASS_VERTEX) &&
           entry.isNumeric() && entry.width > 0;
}

ArgAssoc triangleCorners(const ArgAssoc& source, const float* c0, const float* c1,
                         const float* c2) {
    ArgAssoc result;
    result.quark = source.quark;
    result.parameterClass = source.parameterClass;
    result.parameterType = source.parameterType;
    result.items = kCorners;
    result.width = source.width;
    result.floats.resize(size_t(kCorners * source.width));
    for (int k = 0; k < source.width; ++k) {
        result.item(0)[k] = c0[k];
        result.item(1)[k] = c1[k];
        result.item(2)[k] = c2[k];
        result.item(3)[k] = c1[k] + c2[k] - c0[k];
    }
    return result;
}

Triangle::Triangle(const Primitive& parent, const Point& p0, const Point& p1, const Point& p2,
                   ArgList args)
    : Primitive(parent), fCorners{p0, p1, p2} {
    fArgs = std::move(args);
}

Boundw Triangle::bound() const {
    const Point &a = fCorners[0], &b = fCorners[1], &c = fCorners[2];
    return Boundw(std::min({a.x, b.x, c.x}), std::max({a.x, b.x, c.x}), std::min({a.y, b.y, c.y}),
                  std::max({a.y, b.y, c.y}), std::min({a.z, b.z, c.z}), std::max({a.z, b.z, c.z}),
                  1, 1);
}

DiceDecision Triangle::diceable(const RenderContext& context, float limit) {
    float edge = attrib()->shadingRateRoot;
    long gridLimit = context.option.tuneA;
    if (limit < 0) limit = float(gridLimit) * edge;
    Matrix raster = transform()->matrix() * context.cameraToRaster;
    Point a = fCorners[0] * raster, b = fCorners[1] * raster, c = fCorners[2] * raster;
    float alongU = screenLength(b - a), alongV = screenLength(c - a), across = screenLength(c - b);
    GridSize size{stepsAcross(std::max(alongU, across), edge, gridLimit),
                  stepsAcross(std::max(alongV, across), edge, gridLimit)};
    return {std::max({alongU, alongV, across}) <= limit, size};
}

Grid* Triangle::dice(GridSize size) {
    int nu = size.u, nv = size.v;
    Vertex** rows = allocVertices(nu, nv);
    const Matrix& T = transform()->matrix();
    Point dPdu = vtransform(fCorners[1] - fCorners[0], T);
    Point dPdv = vtransform(fCorners[2] - fCorners[0], T);
    for (int k = 0; k <= nv; ++k) {
        int length = k == 0 ? nu + 1 : nu - ((k - 1) * nu) / nv + 1;
        for (int i = 0; i < length; ++i) {
            float u = float(i) / float(nu), v = float(k) / float(nv);
            if (u + v > 1) {
                if (nu < nv)
                    u = 1 - v;
                else
                    v = 1 - u;
            }
            Vertex& vertex = rows[k][i];
            vertex.P = Point(evalP(u, v)) * T;
            vertex.dPdu = dPdu;
            vertex.dPdv = dPdv;
        }
    }
    const short reverse = facesReversed();
    return new Grid(nu, nv, rows, attrib(), transform(), sequence(), reverse, 1, fArgs);
}

void Triangle::split(PrimitiveSink& sink) {
    const Point &p0 = fCorners[0], &p1 = fCorners[1], &p2 = fCorners[2];
    Point m01 = (p0 + p1) * 0.5f, m02 = (p0 + p2) * 0.5f, m12 = (p1 + p2) * 0.5f;
    const Param corner0[3] = {{0, 0}, {0.5f, 0}, {0, 0.5f}};
    const Param corner1[3] = {{0.5f, 0}, {1, 0}, {0.5f, 0.5f}};
    const Param corner2[3] = {{0, 0.5f}, {0.5f, 0.5f}, {0, 1}};
    const Param middle[3] = {{0.5f, 0.5f}, {0, 0.5f}, {0.5f, 0}};
    sink.add(new Triangle(*this, p0, m01, m02, childArgs(fArgs, corner0)));
    sink.add(new Triangle(*this, m01, p1, m12, childArgs(fArgs, corner1)));
    sink.add(new Triangle(*this, m02, m12, p2, childArgs(fArgs, corner2)));
    sink.add(new Triangle(*this, m12, m02, m01, childArgs(fArgs, middle)));
}

void Triangle::surfaceElements(int cells, std::vector<SurfaceElement>& out) const {
    const Matrix& T = transform()->matrix();
    const Point c0 = fCorners[0] * T;
    const Point e1 = fCorners[1] * T - c0, e2 = fCorners[2] * T - c0;
    const Point across = (e1 ^ e2) * 0.5f;
    const float area = std::sqrt(dot(across, across));
    if (!(area > 0)) return;
    const Point N = across * ((facesReversed() ? -1.0f : 1.0f) / area);
    const float n = float(cells), pieceArea = area / (n * n);
    const auto at = [&](float i, float j) { return c0 + e1 * (i / n) + e2 * (j / n); };
    constexpr float kThird = 1.0f / 3, kTwoThirds = 2.0f / 3;
    for (int j = 0; j < cells; ++j)
        for (int i = 0; i + j < cells; ++i) {
            out.push_back(
                {.P = at(float(i) + kThird, float(j) + kThird), .N = N, .area = pieceArea});
            if (i + j + 1 < cells)
                out.push_back({.P = at(float(i) + kTwoThirds, float(j) + kTwoThirds),
                               .N = N,
                               .area = pieceArea});
        }
}

Pointw Triangle::evalP(float u, float v) const {
    Point p = fCorners[0] + (fCorners[1] - fCorners[0]) * u + (fCorners[2] - fCorners[0]) * v;
    return {p.x, p.y, p.z, 1};
}

Pointw Triangle::evaldPdu(float, float) const {
    Point d = fCorners[1] - fCorners[0];
    return {d.x, d.y, d.z, 1};
}

Pointw Triangle::evaldPdv(float, float) const {
    Point d = fCorners[2] - fCorners[0];
    return {d.x, d.y, d.z, 1};
}

} // namespace quelmark
