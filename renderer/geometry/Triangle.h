// A flat triangle: the piece every polygon ends up as.
//
// u runs along the edge from corner 0 to corner 1, v along the edge from
// corner 0 to corner 2. Vary and vertex entries hold four items, the values
// at (0, 0), (1, 0), (0, 1) and (1, 1), the last being item 1 + item 2 -
// item 0, so that bilinear interpolation over the four is the triangle's own
// linear interpolation.
#ifndef QEL_GEOMETRY_TRIANGLE_H
#define QEL_GEOMETRY_TRIANGLE_H

#include "renderer/geometry/Primitive.h"

namespace quelmark {

class Triangle : public Primitive {
public:
    // Shares the parent's common record; args already in four-item form.
    Triangle(const Primitive& parent, const Point& p0, const Point& p1, const Point& p2,
             ArgList args);

    int32_t type() const override { return primitive_class::kPlain; }
    Boundw bound() const override;
    // Steps from the raster lengths of the edges; false when an edge is
    // longer than the limit.
    DiceDecision diceable(const RenderContext& context, float limit) override;
    // A triangular grid: vertex row k holds the vertices Grid::vertexRowLength
    // gives, those past the long edge folded onto it.
    Grid* dice(GridSize size) override;
    // Four children at the edge midpoints: the three corner triangles, then
    // the middle one.
    void split(PrimitiveSink& sink) override;
    // Its n² equal triangles of edges a cells-th of its own.
    void surfaceElements(int cells, std::vector<SurfaceElement>& out) const override;
    Pointw evalP(float u, float v) const override;
    Pointw evaldPdu(float u, float v) const override;
    Pointw evaldPdv(float u, float v) const override;

    const Point& corner(int k) const { return fCorners[k]; }

private:
    Point fCorners[3];
};

// The four-item form of a vary or vertex entry from the values at the three
// corners; the other fields are copied from source.
ArgAssoc triangleCorners(const ArgAssoc& source, const float* c0, const float* c1, const float* c2);

// Whether an entry's values follow the vertices.
bool followsVertices(const ArgAssoc& entry);

} // namespace quelmark

#endif
