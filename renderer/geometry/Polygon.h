// Polygons and polygon meshes. None is ever diced: a polygon splits into
// triangles, a mesh into its polygons.
//
// A polygon's list holds one item per vertex for the vary and vertex
// entries and one item for the others; a mesh's list one item per point for
// the former and one per polygon for the latter. Polygons that have no area,
// coordinates that are not finite, or an outer loop that cannot be cut into
// triangles are reported and dropped.
#ifndef QEL_GEOMETRY_POLYGON_H
#define QEL_GEOMETRY_POLYGON_H

#include "renderer/geometry/Primitive.h"

#include <memory>
#include <vector>

namespace quelmark {

// The points and bound shared by the polygon classes.
class PolygonBase : public Primitive {
public:
    Boundw bound() const override;
    DiceDecision diceable(const RenderContext&, float) override { return {}; }

protected:
    PolygonBase(std::vector<Point> points, ArgList args);
    PolygonBase(const Primitive& parent, std::vector<Point> points, ArgList args);

    // Adds the triangle of vertices a, b and c to the scene.
    void addTriangle(PrimitiveSink& sink, long a, long b, long c) const;

    std::vector<Point> fPoints;
};

class ConvexPolygon : public PolygonBase {
public:
    static Primitive* make(long nvertices, ArgList args);
    // A child of a mesh, sharing its common record; null, after a report,
    // when the polygon is degenerate.
    static ConvexPolygon* makeChild(const Primitive& parent, std::vector<Point> points,
                                    ArgList args);

    int32_t type() const override { return primitive_class::kConvexPolygon; }
    // The fan of triangles (0, k, k + 1).
    void split(PrimitiveSink& sink) override;

private:
    using PolygonBase::PolygonBase;
};

// An outer loop followed by hole loops, in the polygon's own plane.
class GeneralPolygon : public PolygonBase {
public:
    static Primitive* make(long nloops, const long* nvertices, ArgList args);
    static GeneralPolygon* makeChild(const Primitive& parent, std::vector<Point> points,
                                     const std::vector<long>& loopSizes, ArgList args);

    int32_t type() const override { return primitive_class::kGeneralPolygon; }
    // The triangles found by ear clipping once the holes are bridged into
    // the outer loop.
    void split(PrimitiveSink& sink) override;

private:
    GeneralPolygon(std::vector<Point> points, std::vector<long> triangles, ArgList args);
    GeneralPolygon(const Primitive& parent, std::vector<Point> points, std::vector<long> triangles,
                   ArgList args);

    std::vector<long> fTriangles; // three vertex indices each
};

// Meshes hold their polygons, made and checked at construction.
// Meshes only split, into their polygons in their order.
class PolygonMeshBase : public Primitive {
public:
    Boundw bound() const override;
    DiceDecision diceable(const RenderContext&, float) override { return {}; }

protected:
    PolygonMeshBase() = default;

    Boundw fBound;
};

// What a mesh request gives: the vertex count of each polygon, the point of
// each vertex and the list.
struct PolygonMeshRequest {
    long npolys = 0, indices = 0;
    std::unique_ptr<long[]> counts, vertices;
    ArgList args;
};

// Keeps its request, shared with the retained object that may hold it, and
// makes the polygons when split. A large mesh splits first into pieces of
// consecutive polygons, each bounded by its own polygons, so that the work
// of making them is spread over the buckets they fall in.
class ConvexPolygonMesh : public PolygonMeshBase {
public:
    // Copies the request's counts and vertices (indices of them, counted
    // here when not given) and checks its polygons, a piece at a time on up
    // to `threads` threads, reporting the degenerate ones in order; null
    // when no polygon is left.
    static Primitive* make(long npolys, const long* nvertices, const long* vertices, ArgList args,
                           int threads = 1, long indices = -1);
    // The same for a request kept, as a retained object keeps it.
    static Primitive* make(std::shared_ptr<const PolygonMeshRequest> request, int threads = 1);
    int32_t type() const override { return primitive_class::kConvexPolygonMesh; }
    void split(PrimitiveSink& sink) override;

    const std::shared_ptr<const PolygonMeshRequest>& request() const { return fRequest; }

    // The polygons of a piece, but for the last.
    static constexpr long kPolygonsPerPiece = 4096;

private:
    // What checking the request found, shared by the mesh's pieces.
    struct Checked {
        std::vector<char> kept;          // per polygon: not degenerate
        std::vector<Boundw> pieceBounds; // of the kept polygons
        std::vector<char> pieceKept;     // whether a piece keeps any polygon
        std::vector<long> pieceVertices; // where each piece's vertices begin
    };
    // The caller's counts and vertices, copied into a new request piece by
    // piece as the pieces are checked.
    struct Source {
        const long *counts, *vertices;
        PolygonMeshRequest* filling;
    };

    ConvexPolygonMesh() = default;
    ConvexPolygonMesh(const ConvexPolygonMesh& whole, long piece);
    static Primitive* check(std::shared_ptr<const PolygonMeshRequest> request,
                            const Source* source, int threads);
    void splitIntoPieces(PrimitiveSink& sink) const;
    void splitIntoPolygons(PrimitiveSink& sink) const;

    std::shared_ptr<const PolygonMeshRequest> fRequest;
    std::shared_ptr<const Checked> fChecked;
    long fFirst = 0, fEnd = 0, fFirstVertex = 0; // the polygons held, and their first vertex
};

// Made of its polygons at once, since cutting them into triangles is the check.
class GeneralPolygonMesh : public PolygonMeshBase {
public:
    static Primitive* make(long npolys, const long* nloops, const long* nvertices,
                           const long* vertices, ArgList args);
    ~GeneralPolygonMesh() override;
    int32_t type() const override { return primitive_class::kGeneralPolygonMesh; }
    void split(PrimitiveSink& sink) override;

private:
    GeneralPolygonMesh() = default;
    // Null when no polygon is left.
    static Primitive* keepIfAny(GeneralPolygonMesh* mesh);

    std::vector<PolygonBase*> fPolygons;
};

} // namespace quelmark

#endif
