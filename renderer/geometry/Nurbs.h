// Non-uniform rational B-spline surfaces.
//
// Control points are homogeneous (x w, y w, z w, w), u running fastest. A
// mesh is only ever split, at its interior knots, into NuPatch pieces of one
// span each; a NuPatch splits into halves. Every piece keeps the control
// points of exactly its own part of the surface (found by blossoming), so its
// bound, the hull of those points, shrinks with each split.
//
// "vary" values come one per span corner, (u spans + 1) by (v spans + 1) of
// them, u fastest; "vertex" values other than the position stay with the
// request and are not passed on to the pieces.
#ifndef QEL_GEOMETRY_NURBS_H
#define QEL_GEOMETRY_NURBS_H

#include "renderer/geometry/Primitive.h"

#include <vector>

namespace quelmark {

// One span: uorder by vorder control points and 2 uorder and 2 vorder knots;
// the span runs from uknot[uorder - 1] to uknot[uorder] (likewise in v),
// which u and v in [0, 1] cover. The span must not be empty.
class NuPatch : public Primitive {
public:
    NuPatch(int uorder, const float* uknot, int vorder, const float* vknot, const Pointw* points,
            ArgList args);
    // The same, sharing the parent's common record.
    NuPatch(const Primitive& parent, int uorder, const float* uknot, int vorder, const float* vknot,
            const Pointw* points, ArgList args);

    int32_t type() const override { return primitive_class::kPatch; }
    // The homogeneous bound of the control points.
    Boundw bound() const override;
    short rational() const override { return 1; }
    // Two children, each the same surface over one half of this span, cut
    // across the direction in which the control net is longer.
    void split(PrimitiveSink& sink) override;
    // Homogeneous position and its derivatives in u and v.
    Pointw evalP(float u, float v) const override;
    Pointw evaldPdu(float u, float v) const override;
    Pointw evaldPdv(float u, float v) const override;

    // Narrows the span to [u0, u1] x [v0, v1] (knot parameters inside it):
    // the surface stays the same there, the control points become its
    // Bezier points and u and v in [0, 1] cover the narrower range.
    void restrict(float u0, float u1, float v0, float v1);

    ParameterRange parameterRange() const override { return fRange; }
    void setParameterRange(const ParameterRange& range) { fRange = range; }

    int uOrder() const { return fUOrder; }
    int vOrder() const { return fVOrder; }
    const Pointw* controlPoints() const { return fPoints.data(); }

protected:
    // Shares the other's common record; the parameter list starts empty.
    NuPatch(const NuPatch& other) = default;

private:
    enum class Part { kValue, kDerivative };
    Pointw evaluate(float u, float v, Part alongU, Part alongV) const;
    bool longerAlongU() const;
    void addHalf(PrimitiveSink& sink, float u0, float u1, float v0, float v1) const;

    int fUOrder, fVOrder;
    std::vector<float> fUKnots, fVKnots;
    std::vector<Pointw> fPoints;
    mutable std::vector<Pointw> fScratch;
    ParameterRange fRange;
};

// A surface of a single span with order control points each way.
class NURB : public NuPatch {
public:
    // Validates the request, reports and returns null when it cannot be
    // drawn; else the surface over [umin, umax] x [vmin, vmax].
    static Primitive* make(long uorder, const float* uknot, float umin, float umax, long vorder,
                           const float* vknot, float vmin, float vmax, ArgList args);

private:
    using NuPatch::NuPatch;
};

// A surface of nu by nv control points with knot vectors of nu + uorder and
// nv + vorder values; drawn over [umin, umax] x [vmin, vmax].
class NuPatchMesh : public Primitive {
public:
    // Validates the request, reports and returns null when it cannot be drawn.
    static Primitive* make(long nu, long uorder, const float* uknot, float umin, float umax,
                           long nv, long vorder, const float* vknot, float vmin, float vmax,
                           ArgList args);

    int32_t type() const override { return primitive_class::kNuPatchMesh; }
    // The homogeneous bound of the control points.
    Boundw bound() const override;
    DiceDecision diceable(const RenderContext&, float) override { return {}; }
    short rational() const override { return 1; }
    // One NuPatch per non-empty span inside the limits, u fastest.
    void split(PrimitiveSink& sink) override;

private:
    NuPatchMesh() = default;
    void addSpan(PrimitiveSink& sink, long su, long sv, float u0, float u1, float v0, float v1) const;

    long fNU = 0, fNV = 0;
    int fUOrder = 0, fVOrder = 0;
    std::vector<float> fUKnots, fVKnots;
    float fUMin = 0, fUMax = 0, fVMin = 0, fVMax = 0;
    std::vector<Pointw> fPoints;
};

} // namespace quelmark

#endif
