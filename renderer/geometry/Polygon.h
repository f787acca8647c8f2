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

#include <vector>

// The points and bound shared by the polygon classes.
class PolygonBase : public Primitive {
public:
    Boundw bound() const override;
    short diceable(float) override { return 0; }

protected:
    PolygonBase(std::vector<Point> points, ArgList args);
    PolygonBase(const Primitive& parent, std::vector<Point> points, ArgList args);

    // Adds the triangle of vertices a, b and c to the scene.
    void addTriangle(long a, long b, long c) const;

    std::vector<Point> fPoints;
};

class ConvexPolygon : public PolygonBase {
public:
    static Primitive* make(long nvertices, ArgList args);
    // A child of a mesh, sharing its common record; null, after a report,
    // when the polygon is degenerate.
    static ConvexPolygon* makeChild(const Primitive& parent, std::vector<Point> points,
                                    ArgList args);

    int32_t type() const override { return 1; }
    // The fan of triangles (0, k, k + 1).
    void split() override;

private:
    using PolygonBase::PolygonBase;
};

// An outer loop followed by hole loops, in the polygon's own plane.
class GeneralPolygon : public PolygonBase {
public:
    static Primitive* make(long nloops, const long* nvertices, ArgList args);
    static GeneralPolygon* makeChild(const Primitive& parent, std::vector<Point> points,
                                     const std::vector<long>& loopSizes, ArgList args);

    int32_t type() const override { return 2; }
    // The triangles found by ear clipping once the holes are bridged into
    // the outer loop.
    void split() override;

private:
    GeneralPolygon(std::vector<Point> points, std::vector<long> triangles, ArgList args);
    GeneralPolygon(const Primitive& parent, std::vector<Point> points, std::vector<long> triangles,
                   ArgList args);

    std::vector<long> fTriangles; // three vertex indices each
};

// Meshes hold their polygons, made and checked at construction.
class PolygonMeshBase : public Primitive {
public:
    ~PolygonMeshBase() override;
    Boundw bound() const override;
    short diceable(float) override { return 0; }
    // Adds the polygons to the scene in their order.
    void split() override;

protected:
    PolygonMeshBase() = default;
    // Null when no polygon is left.
    static Primitive* keepIfAny(PolygonMeshBase* mesh);

    std::vector<PolygonBase*> fPolygons;
    Boundw fBound;
};

class ConvexPolygonMesh : public PolygonMeshBase {
public:
    static Primitive* make(long npolys, const long* nvertices, const long* vertices, ArgList args);
    int32_t type() const override { return 3; }

private:
    ConvexPolygonMesh() = default;
};

class GeneralPolygonMesh : public PolygonMeshBase {
public:
    static Primitive* make(long npolys, const long* nloops, const long* nvertices,
                           const long* vertices, ArgList args);
    int32_t type() const override { return 4; }

private:
    GeneralPolygonMesh() = default;
};

#endif
