#include "renderer/geometry/Polygon.h"

#include "common/Epsilon.h"
#include "common/Error.h"
#include "common/ParallelFor.h"
#include "common/Quark.h"
#include "renderer/geometry/PrimitiveSink.h"
#include "renderer/geometry/QuadLattice.h"
#include "renderer/geometry/QuadRegions.h"
#include "renderer/geometry/Triangle.h"
#include "renderer/state/RenderContext.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace quelmark {

namespace {

void reportDegenerate(const char* why) {
    error(kErrRange, kError, "degenerate polygon dropped: %s", why);
}

// The "P" values, or none after a report when there are fewer than count.
std::vector<Point> positions(const ArgList& args, long count) {
    const ArgAssoc* P = args.find(kQuarkPoint);
    if (!P || P->width != 3 || P->items < count) {
        error(kErrMissingData, kError, "polygon positions missing");
        return {};
    }
    std::vector<Point> points(size_t(P->items));
    for (long k = 0; k < P->items; ++k) points[size_t(k)] = Point(P->item(k));
    return points;
}

// The entry with the given items of source, in that order.
ArgAssoc pickItems(const ArgAssoc& source, const long* indices, long count) {
    ArgAssoc result;
    result.quark = source.quark;
    result.parameterClass = source.parameterClass;
    result.parameterType = source.parameterType;
    result.items = count;
    result.width = source.width;
    for (long k = 0; k < count; ++k) {
        long index = indices[k];
        if (!source.floats.empty()) {
            const float* item = source.item(index);
            result.floats.insert(result.floats.end(), item, item + source.width);
        } else if (!source.integers.empty()) {
            auto first = source.integers.begin() + index * source.width;
            result.integers.insert(result.integers.end(), first, first + source.width);
        } else if (!source.strings.empty()) {
            result.strings.push_back(source.strings[size_t(index)]);
        }
    }
    return result;
}

// The list of polygon number polygon of a mesh of npolys, whose vertices
// are the given mesh points.
ArgList polygonArgs(const ArgList& meshArgs, const long* vertices, long count, long polygon,
                    long npolys) {
    ArgList result;
    for (const ArgAssoc& entry : meshArgs) {
        if (followsVertices(entry))
            result.add(pickItems(entry, vertices, count));
        else if (entry.items == npolys && npolys > 1)
            result.add(pickItems(entry, &polygon, 1));
        else
            result.add(entry);
    }
    return result;
}

std::vector<Point> gather(const std::vector<Point>& points, const long* indices, long count) {
    std::vector<Point> result(static_cast<size_t>(count));
    for (long k = 0; k < count; ++k) result[size_t(k)] = points[size_t(indices[k])];
    return result;
}

// The same from the x, y, z triples of a list's positions.
std::vector<Point> gatherPositions(const float* xyz, const long* indices, long count) {
    std::vector<Point> result(static_cast<size_t>(count));
    for (long k = 0; k < count; ++k) result[size_t(k)] = Point(xyz + 3 * indices[k]);
    return result;
}

// The bound of the points given to it.
class PointBound {
public:
    void include(const Point& p) {
        fLow = Point(std::min(fLow.x, p.x), std::min(fLow.y, p.y), std::min(fLow.z, p.z));
        fHigh = Point(std::max(fHigh.x, p.x), std::max(fHigh.y, p.y), std::max(fHigh.z, p.z));
    }
    void include(const PointBound& other) {
        if (other.empty()) return;
        include(other.fLow);
        include(other.fHigh);
    }
    bool empty() const { return !(fLow.x <= fHigh.x); }
    Boundw bound() const { return Boundw(fLow.x, fHigh.x, fLow.y, fHigh.y, fLow.z, fHigh.z, 1, 1); }

private:
    static constexpr float kInfinity = std::numeric_limits<float>::infinity();
    Point fLow{kInfinity, kInfinity, kInfinity}, fHigh{-kInfinity, -kInfinity, -kInfinity};
};

struct Normal {
    double x = 0, y = 0, z = 0;
    double length() const { return std::sqrt(x * x + y * y + z * z); }
};

// Newell's normal of the loop of count points, point k being at(k); its
// length is twice the loop's area.
template <class At> Normal newellNormal(long count, At at) {
    Normal n;
    for (long k = 0; k < count; ++k) {
        const Point a = at(k), b = at(k + 1 < count ? k + 1 : 0);
        n.x += (double(a.y) - b.y) * (double(a.z) + b.z);
        n.y += (double(a.z) - b.z) * (double(a.x) + b.x);
        n.z += (double(a.x) - b.x) * (double(a.y) + b.y);
    }
    return n;
}

Normal loopNormal(const Point* loop, long count) {
    return newellNormal(count, [loop](long k) { return loop[k]; });
}

// Why a polygon of count points whose outer loop is the first outerCount
// must be dropped; null when it need not.
template <class At> const char* degeneracyOf(long count, long outerCount, At at) {
    for (long k = 0; k < count; ++k) {
        const Point p = at(k);
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
            return "coordinates not finite";
    }
    if (!(newellNormal(outerCount, at).length() > kEpsilon)) return "zero area";
    return nullptr;
}

const char* degeneracy(const std::vector<Point>& points, long outerCount) {
    return degeneracyOf(long(points.size()), outerCount,
                        [&points](long k) { return points[size_t(k)]; });
}

struct Planar {
    double x, y;
};

// Ear clipping in the polygon's plane, after each hole has been joined to
// the outer loop by a bridge there and back.
class Triangulator {
public:
    Triangulator(const std::vector<Point>& points, const std::vector<long>& loopSizes);
    // Three vertex indices per triangle, turning as the outer loop does;
    // false when the loops cannot be cut into triangles covering them.
    bool run(std::vector<long>& triangles);

private:
    void project(const std::vector<Point>& points);
    double cross(long a, long b, long c) const;
    double signedArea(const std::vector<long>& loop) const;
    bool bridge(const std::vector<long>& hole);
    long visibleVertex(const Planar& M, long edge, const Planar& I) const;
    bool clipEars(std::vector<long>& triangles) const;
    bool blocked(const std::vector<long>& loop, size_t ear) const;
    bool coincident(long a, long b) const { return f2d[a].x == f2d[b].x && f2d[a].y == f2d[b].y; }

    std::vector<Planar> f2d;
    std::vector<long> fOuter;
    std::vector<std::vector<long>> fHoles;
    double fArea = 0;
};

Triangulator::Triangulator(const std::vector<Point>& points, const std::vector<long>& loopSizes) {
    long first = 0;
    for (size_t loop = 0; loop < loopSizes.size(); ++loop) {
        std::vector<long> indices(size_t(loopSizes[loop]));
        for (long k = 0; k < loopSizes[loop]; ++k) indices[size_t(k)] = first + k;
        first += loopSizes[loop];
        if (loop == 0)
            fOuter = std::move(indices);
        else
            fHoles.push_back(std::move(indices));
    }
    project(points);
}

// Drops the largest component of the outer loop's normal, and mirrors the
// plane when needed to make the outer loop counter-clockwise there and the
// holes clockwise.
void Triangulator::project(const std::vector<Point>& points) {
    Normal n = loopNormal(points.data(), long(fOuter.size()));
    double ax = std::fabs(n.x), ay = std::fabs(n.y), az = std::fabs(n.z);
    f2d.resize(points.size());
    for (size_t k = 0; k < points.size(); ++k) {
        const Point& p = points[k];
        if (az >= ax && az >= ay)
            f2d[k] = {p.x, p.y};
        else if (ax >= ay)
            f2d[k] = {p.y, p.z};
        else
            f2d[k] = {p.z, p.x};
    }
    if (signedArea(fOuter) < 0)
        for (Planar& p : f2d) p.y = -p.y;
    fArea = signedArea(fOuter);
    for (std::vector<long>& hole : fHoles) {
        double area = signedArea(hole);
        if (area > 0) std::reverse(hole.begin(), hole.end());
        fArea -= std::fabs(area);
    }
}

double Triangulator::cross(long a, long b, long c) const {
    const Planar &A = f2d[a], &B = f2d[b], &C = f2d[c];
    return (B.x - A.x) * (C.y - A.y) - (B.y - A.y) * (C.x - A.x);
}

double Triangulator::signedArea(const std::vector<long>& loop) const {
    double twice = 0;
    for (size_t k = 0; k < loop.size(); ++k) {
        const Planar &a = f2d[loop[k]], &b = f2d[loop[(k + 1) % loop.size()]];
        twice += a.x * b.y - b.x * a.y;
    }
    return twice / 2;
}

bool Triangulator::run(std::vector<long>& triangles) {
    auto rightmost = [this](const std::vector<long>& loop) {
        double most = -std::numeric_limits<double>::infinity();
        for (long k : loop) most = std::max(most, f2d[k].x);
        return most;
    };
    std::sort(fHoles.begin(), fHoles.end(), [&](const auto& a, const auto& b) {
        return rightmost(a) > rightmost(b);
    });
    for (const std::vector<long>& hole : fHoles)
        if (!bridge(hole)) return false;
    triangles.clear();
    if (!clipEars(triangles)) return false;
    double covered = 0;
    for (size_t k = 0; k < triangles.size(); k += 3)
        covered += cross(triangles[k], triangles[k + 1], triangles[k + 2]) / 2;
    return std::fabs(covered - fArea) <= 1e-6 * std::fabs(fArea);
}

// Joins the hole to the outer loop from its rightmost vertex M to a vertex
// of the outer loop that M sees along or near the ray towards +x.
bool Triangulator::bridge(const std::vector<long>& hole) {
    size_t m = 0;
    for (size_t k = 1; k < hole.size(); ++k)
        if (f2d[hole[k]].x > f2d[hole[m]].x) m = k;
    const Planar M = f2d[hole[m]];
    long edge = -1;
    double nearest = std::numeric_limits<double>::infinity();
    size_t n = fOuter.size();
    for (size_t j = 0; j < n; ++j) {
        const Planar &A = f2d[fOuter[j]], &B = f2d[fOuter[(j + 1) % n]];
        if ((A.y > M.y) == (B.y > M.y)) continue;
        double x = A.x + (M.y - A.y) * (B.x - A.x) / (B.y - A.y);
        if (x >= M.x && x < nearest) nearest = x, edge = long(j);
    }
    if (edge < 0) return false;
    long p = visibleVertex(M, edge, {nearest, M.y});
    std::vector<long> merged(fOuter.begin(), fOuter.begin() + p + 1);
    for (size_t k = 0; k <= hole.size(); ++k) merged.push_back(hole[(m + k) % hole.size()]);
    merged.insert(merged.end(), fOuter.begin() + p, fOuter.end());
    fOuter = std::move(merged);
    return true;
}

// The position in the outer loop of the bridge's far end: the end of the
// hit edge further along +x, unless outer vertices lie in the triangle of
// M, the hit point I and that end; then the one of those at the smallest
// angle from the ray, the nearest of equals.
long Triangulator::visibleVertex(const Planar& M, long edge, const Planar& I) const {
    size_t n = fOuter.size();
    long a = edge, b = long((size_t(edge) + 1) % n);
    long best = f2d[fOuter[size_t(a)]].x > f2d[fOuter[size_t(b)]].x ? a : b;
    const Planar P = f2d[fOuter[size_t(best)]];
    auto side = [](const Planar& u, const Planar& v, const Planar& q) {
        return (v.x - u.x) * (q.y - u.y) - (v.y - u.y) * (q.x - u.x);
    };
    double orientation = side(M, I, P) < 0 ? -1 : 1;
    auto inside = [&](const Planar& q) {
        return orientation * side(M, I, q) >= 0 && orientation * side(I, P, q) >= 0 &&
               orientation * side(P, M, q) >= 0;
    };
    double bestSlope = std::fabs(P.y - M.y) / (P.x - M.x);
    double bestDistance = P.x - M.x;
    for (size_t k = 0; k < n; ++k) {
        const Planar& q = f2d[fOuter[k]];
        if (long(k) == best || q.x <= M.x || !inside(q)) continue;
        double slope = std::fabs(q.y - M.y) / (q.x - M.x), distance = q.x - M.x;
        if (slope < bestSlope || (slope == bestSlope && distance < bestDistance))
            best = long(k), bestSlope = slope, bestDistance = distance;
    }
    return best;
}

bool Triangulator::clipEars(std::vector<long>& triangles) const {
    std::vector<long> loop = fOuter;
    size_t start = 0;
    while (loop.size() > 3) {
        size_t n = loop.size(), tries = 0;
        for (; tries < n; ++tries) {
            size_t k = (start + tries) % n;
            long prev = loop[(k + n - 1) % n], cur = loop[k], next = loop[(k + 1) % n];
            double turn = cross(prev, cur, next);
            if (turn < 0 || (turn > 0 && blocked(loop, k))) continue;
            if (turn > 0) triangles.insert(triangles.end(), {prev, cur, next});
            loop.erase(loop.begin() + long(k));
            start = k == 0 ? 0 : k - 1;
            break;
        }
        if (tries == n) return false;
    }
    double turn = cross(loop[0], loop[1], loop[2]);
    if (turn > 0) triangles.insert(triangles.end(), {loop[0], loop[1], loop[2]});
    return turn >= 0;
}

// Whether another vertex lies in or on the ear at position ear of the loop.
bool Triangulator::blocked(const std::vector<long>& loop, size_t ear) const {
    size_t n = loop.size();
    long a = loop[(ear + n - 1) % n], b = loop[ear], c = loop[(ear + 1) % n];
    for (size_t k = 0; k < n; ++k) {
        long q = loop[k];
        if (coincident(q, a) || coincident(q, b) || coincident(q, c)) continue;
        if (cross(a, b, q) >= 0 && cross(b, c, q) >= 0 && cross(c, a, q) >= 0) return true;
    }
    return false;
}

// The triangle's list: vertex-following values of the three corners, the
// others as they are; positions go with the triangle itself.
ArgList cornerArgs(const ArgList& args, long a, long b, long c) {
    ArgList result;
    for (const ArgAssoc& entry : args) {
        if (entry.quark == kQuarkPoint) continue;
        if (followsVertices(entry) && std::max({a, b, c}) < entry.items)
            result.add(triangleCorners(entry, entry.item(a), entry.item(b), entry.item(c)));
        else
            result.add(entry);
    }
    return result;
}

Boundw boundOf(const std::vector<Point>& points) {
    float inf = std::numeric_limits<float>::infinity();
    float x0 = inf, x1 = -inf, y0 = inf, y1 = -inf, z0 = inf, z1 = -inf;
    for (const Point& p : points) {
        x0 = std::min(x0, p.x), x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
        z0 = std::min(z0, p.z), z1 = std::max(z1, p.z);
    }
    return Boundw(x0, x1, y0, y1, z0, z1, 1, 1);
}

Boundw merged(const Boundw& a, const Boundw& b) {
    return Boundw(std::min(a.xmin, b.xmin), std::max(a.xmax, b.xmax), std::min(a.ymin, b.ymin),
                  std::max(a.ymax, b.ymax), std::min(a.zmin, b.zmin), std::max(a.zmax, b.zmax), 1,
                  1);
}

} // namespace

PolygonBase::PolygonBase(std::vector<Point> points, ArgList args) : fPoints(std::move(points)) {
    fArgs = std::move(args);
}

PolygonBase::PolygonBase(const Primitive& parent, std::vector<Point> points, ArgList args)
    : Primitive(parent), fPoints(std::move(points)) {
    fArgs = std::move(args);
}

Boundw PolygonBase::bound() const { return boundOf(fPoints); }

void PolygonBase::addTriangle(PrimitiveSink& sink, long a, long b, long c) const {
    sink.add(new Triangle(*this, fPoints[size_t(a)], fPoints[size_t(b)], fPoints[size_t(c)],
                             cornerArgs(fArgs, a, b, c)));
}

Primitive* ConvexPolygon::make(long nvertices, ArgList args) {
    std::vector<Point> points = positions(args, nvertices);
    if (points.empty()) return nullptr;
    if (const char* why = degeneracy(points, nvertices)) {
        reportDegenerate(why);
        return nullptr;
    }
    return new ConvexPolygon(std::move(points), std::move(args));
}

ConvexPolygon* ConvexPolygon::makeChild(const Primitive& parent, std::vector<Point> points,
                                        ArgList args) {
    if (const char* why = degeneracy(points, long(points.size()))) {
        reportDegenerate(why);
        return nullptr;
    }
    return new ConvexPolygon(parent, std::move(points), std::move(args));
}

void ConvexPolygon::split(PrimitiveSink& sink) {
    for (long k = 1; k + 1 < long(fPoints.size()); ++k) addTriangle(sink, 0, k, k + 1);
}

GeneralPolygon::GeneralPolygon(std::vector<Point> points, std::vector<long> triangles,
                               ArgList args)
    : PolygonBase(std::move(points), std::move(args)), fTriangles(std::move(triangles)) {}

GeneralPolygon::GeneralPolygon(const Primitive& parent, std::vector<Point> points,
                               std::vector<long> triangles, ArgList args)
    : PolygonBase(parent, std::move(points), std::move(args)), fTriangles(std::move(triangles)) {}

namespace {

// The triangles of a general polygon; none, after a report, when it must be
// dropped.
std::vector<long> triangulate(const std::vector<Point>& points, const std::vector<long>& loopSizes) {
    std::vector<long> triangles;
    const char* why = degeneracy(points, loopSizes[0]);
    if (!why && !Triangulator(points, loopSizes).run(triangles))
        why = "loops cannot be cut into triangles";
    if (why) {
        reportDegenerate(why);
        triangles.clear();
    }
    return triangles;
}

} // namespace

Primitive* GeneralPolygon::make(long nloops, const long* nvertices, ArgList args) {
    std::vector<long> loopSizes(nvertices, nvertices + nloops);
    long total = 0;
    for (long size : loopSizes) total += size;
    std::vector<Point> points = positions(args, total);
    if (points.empty()) return nullptr;
    points.resize(size_t(total));
    std::vector<long> triangles = triangulate(points, loopSizes);
    if (triangles.empty()) return nullptr;
    return new GeneralPolygon(std::move(points), std::move(triangles), std::move(args));
}

GeneralPolygon* GeneralPolygon::makeChild(const Primitive& parent, std::vector<Point> points,
                                          const std::vector<long>& loopSizes, ArgList args) {
    std::vector<long> triangles = triangulate(points, loopSizes);
    if (triangles.empty()) return nullptr;
    return new GeneralPolygon(parent, std::move(points), std::move(triangles), std::move(args));
}

void GeneralPolygon::split(PrimitiveSink& sink) {
    for (size_t k = 0; k + 2 < fTriangles.size(); k += 3)
        addTriangle(sink, fTriangles[k], fTriangles[k + 1], fTriangles[k + 2]);
}

Boundw PolygonMeshBase::bound() const { return fBound; }

GeneralPolygonMesh::~GeneralPolygonMesh() {
    for (PolygonBase* polygon : fPolygons) delete polygon;
}

void GeneralPolygonMesh::split(PrimitiveSink& sink) {
    for (PolygonBase* polygon : fPolygons) sink.add(polygon);
    fPolygons.clear();
}

Primitive* GeneralPolygonMesh::keepIfAny(GeneralPolygonMesh* mesh) {
    if (mesh->fPolygons.empty()) {
        delete mesh;
        return nullptr;
    }
    mesh->fBound = mesh->fPolygons[0]->bound();
    for (PolygonBase* polygon : mesh->fPolygons) mesh->fBound = merged(mesh->fBound, polygon->bound());
    return mesh;
}

namespace {

// What checking one piece of a mesh found.
struct PieceCheck {
    PointBound bound;
    std::vector<std::pair<long, const char*>> degenerate; // polygon, why
};

} // namespace

// The polygons are checked now, and reported when degenerate, but made only
// when the mesh is split: until then the mesh holds nothing but its request.
Primitive* ConvexPolygonMesh::make(long npolys, const long* nvertices, const long* vertices,
                                   ArgList args, int threads, long indices) {
    auto request = std::make_shared<PolygonMeshRequest>();
    request->npolys = npolys;
    if (indices < 0) indices = std::accumulate(nvertices, nvertices + npolys, 0L);
    request->indices = indices;
    request->counts = std::make_unique_for_overwrite<long[]>(size_t(npolys));
    request->vertices = std::make_unique_for_overwrite<long[]>(size_t(request->indices));
    request->args = std::move(args);
    const Source source{nvertices, vertices, request.get()};
    return check(std::move(request), &source, threads);
}

Primitive* ConvexPolygonMesh::make(std::shared_ptr<const PolygonMeshRequest> request,
                                   int threads) {
    return check(std::move(request), nullptr, threads);
}

Primitive* ConvexPolygonMesh::check(std::shared_ptr<const PolygonMeshRequest> request,
                                    const Source* source, int threads) {
    const ArgAssoc* P = request->args.find(kQuarkPoint);
    if (!P || P->width != 3) {
        error(kErrMissingData, kError, "polygon positions missing");
        return nullptr;
    }
    const float* xyz = P->floats.data();
    const long npolys = request->npolys;
    const long pieces = (npolys + kPolygonsPerPiece - 1) / kPolygonsPerPiece;
    auto checked = std::make_shared<Checked>();
    checked->kept.assign(size_t(npolys), 0);
    const long* sourceCounts = source ? source->counts : request->counts.get();
    for (long polygon = 0, vertex = 0; polygon < npolys; vertex += sourceCounts[polygon++])
        if (polygon % kPolygonsPerPiece == 0) checked->pieceVertices.push_back(vertex);
    std::vector<PieceCheck> found(static_cast<size_t>(pieces));
    parallelFor(pieces, threads, [&](long piece) {
        const long first = piece * kPolygonsPerPiece, end = std::min(first + kPolygonsPerPiece, npolys);
        const long firstVertex = checked->pieceVertices[size_t(piece)];
        if (source) {
            const long endVertex = piece + 1 < pieces ? checked->pieceVertices[size_t(piece + 1)]
                                                      : request->indices;
            std::copy(source->counts + first, source->counts + end,
                      source->filling->counts.get() + first);
            std::copy(source->vertices + firstVertex, source->vertices + endVertex,
                      source->filling->vertices.get() + firstVertex);
        }
        const long* counts = request->counts.get();
        const long* vertices = request->vertices.get() + firstVertex;
        char* kept = checked->kept.data();
        PieceCheck& result = found[size_t(piece)];
        for (long polygon = first; polygon < end; vertices += counts[polygon], ++polygon) {
            const long count = counts[polygon];
            auto corner = [xyz, vertices](long k) { return Point(xyz + 3 * vertices[k]); };
            if (const char* why = degeneracyOf(count, count, corner)) {
                result.degenerate.emplace_back(polygon, why);
            } else {
                kept[polygon] = 1;
                for (long k = 0; k < count; ++k) result.bound.include(corner(k));
            }
        }
    });
    PointBound whole;
    for (const PieceCheck& piece : found) {
        for (const auto& [polygon, why] : piece.degenerate) reportDegenerate(why);
        checked->pieceBounds.push_back(piece.bound.bound());
        checked->pieceKept.push_back(!piece.bound.empty());
        whole.include(piece.bound);
    }
    if (whole.empty()) return nullptr;
    auto* mesh = new ConvexPolygonMesh;
    mesh->fBound = whole.bound();
    mesh->fRequest = std::move(request);
    mesh->fChecked = std::move(checked);
    mesh->fEnd = npolys;
    return mesh;
}

ConvexPolygonMesh::ConvexPolygonMesh(const ConvexPolygonMesh& whole, long piece)
    : PolygonMeshBase(whole), fRequest(whole.fRequest), fChecked(whole.fChecked),
      fFirst(piece * kPolygonsPerPiece),
      fEnd(std::min(fFirst + kPolygonsPerPiece, fRequest->npolys)),
      fFirstVertex(fChecked->pieceVertices[size_t(piece)]) {
    fBound = fChecked->pieceBounds[size_t(piece)];
}

namespace {

// Whether the list gives any value per polygon, which a lattice cannot hold.
bool givesPerPolygonValues(const ArgList& meshArgs, long npolys) {
    for (const ArgAssoc& entry : meshArgs)
        if (!followsVertices(entry) && entry.items == npolys && npolys > 1) return true;
    return false;
}

// The mesh point at each lattice point of the region, row after row.
std::vector<long> latticeIndices(const QuadRegion& region, const long* offsets,
                                 const long* vertices) {
    auto corner = [&](long i, long j, long k) {
        return vertices[offsets[region.first + j * region.across + i] + k];
    };
    std::vector<long> indices;
    indices.reserve(size_t((region.across + 1) * (region.down + 1)));
    for (long j = 0; j <= region.down; ++j) {
        const long row = std::min(j, region.down - 1);
        const long bottom = j < region.down ? 0 : 3, bottomRight = j < region.down ? 1 : 2;
        for (long i = 0; i < region.across; ++i) indices.push_back(corner(i, row, bottom));
        indices.push_back(corner(region.across - 1, row, bottomRight));
    }
    return indices;
}

QuadLattice* makeLattice(const Primitive& mesh, const QuadRegion& region, const long* offsets,
                         const PolygonMeshRequest& request, const float* points) {
    const std::vector<long> indices = latticeIndices(region, offsets, request.vertices.get());
    auto lattice = std::make_shared<LatticePoints>();
    lattice->across = region.across;
    lattice->down = region.down;
    lattice->points = gatherPositions(points, indices.data(), long(indices.size()));
    ArgList constants;
    for (const ArgAssoc& entry : request.args) {
        if (entry.quark == kQuarkPoint) continue;
        if (followsVertices(entry))
            lattice->values.add(pickItems(entry, indices.data(), long(indices.size())));
        else
            constants.add(entry);
    }
    return new QuadLattice(mesh, std::move(lattice), std::move(constants));
}

} // namespace

void ConvexPolygonMesh::split(PrimitiveSink& sink) {
    if (fEnd - fFirst > kPolygonsPerPiece)
        splitIntoPieces(sink);
    else
        splitIntoPolygons(sink);
}

void ConvexPolygonMesh::splitIntoPieces(PrimitiveSink& sink) const {
    for (size_t piece = 0; piece < fChecked->pieceBounds.size(); ++piece)
        if (fChecked->pieceKept[piece]) sink.add(new ConvexPolygonMesh(*this, long(piece)));
}

// Rectangles of quadrilaterals become lattices, diced a rectangle at a time;
// the other polygons are split one by one.
void ConvexPolygonMesh::splitIntoPolygons(PrimitiveSink& sink) const {
    const PolygonMeshRequest& request = *fRequest;
    const float* points = request.args.find(kQuarkPoint)->floats.data();
    const long npolys = request.npolys, held = fEnd - fFirst;
    const long* counts = request.counts.get() + fFirst;
    const char* kept = fChecked->kept.data() + fFirst;
    std::vector<long> offsets(static_cast<size_t>(held));
    for (long polygon = 0, offset = fFirstVertex; polygon < held; offset += counts[polygon++])
        offsets[size_t(polygon)] = offset;
    std::vector<char> left(kept, kept + held);
    if (!givesPerPolygonValues(request.args, npolys))
        for (const QuadRegion& region : findQuadRegions(held, counts, offsets.data(),
                                                        request.vertices.get(), kept, points)) {
            sink.add(makeLattice(*this, region, offsets.data(), request, points));
            std::fill_n(left.begin() + region.first, region.cells(), 0);
        }
    for (long polygon = 0; polygon < held; ++polygon) {
        if (!left[size_t(polygon)]) continue;
        const long* corners = request.vertices.get() + offsets[size_t(polygon)];
        long count = counts[polygon];
        ArgList own = polygonArgs(request.args, corners, count, fFirst + polygon, npolys);
        if (auto* child = ConvexPolygon::makeChild(*this, gatherPositions(points, corners, count),
                                                   std::move(own)))
            sink.add(child);
    }
}

Primitive* GeneralPolygonMesh::make(long npolys, const long* nloops, const long* nvertices,
                                    const long* vertices, ArgList args) {
    std::vector<Point> points = positions(args, 0);
    if (points.empty()) return nullptr;
    auto* mesh = new GeneralPolygonMesh;
    for (long polygon = 0; polygon < npolys; ++polygon) {
        std::vector<long> loopSizes(nvertices, nvertices + nloops[polygon]);
        nvertices += nloops[polygon];
        long count = 0;
        for (long size : loopSizes) count += size;
        ArgList own = polygonArgs(args, vertices, count, polygon, npolys);
        if (auto* child = GeneralPolygon::makeChild(*mesh, gather(points, vertices, count),
                                                    loopSizes, std::move(own)))
            mesh->fPolygons.push_back(child);
        vertices += count;
    }
    return keepIfAny(mesh);
}

} // namespace quelmark
