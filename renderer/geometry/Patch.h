// Bilinear and bicubic patches and the meshes of them.
//
// Control points are listed with u running fastest. A patch positioned by
// "height" spans x and y over its part of the unit square (x = u, y = v)
// and takes z from the heights; "pointw" makes it rational, and evalP then
// returns homogeneous points. Split children cover the quarters
// [0, .5]x[0, .5], [.5, 1]x[0, .5], [0, .5]x[.5, 1] and [.5, 1]x[.5, 1],
// added to the scene in that order.
#ifndef QEL_GEOMETRY_PATCH_H
#define QEL_GEOMETRY_PATCH_H

#include "common/Matrix.h"
#include "renderer/geometry/Primitive.h"

namespace quelmark {

class BilinearPatch : public Primitive {
public:
    // From the request's list, its position with four control points; null
    // when it has none.
    static Primitive* make(ArgList args);
    // Corners (0, 0), (1, 0), (0, 1), (1, 1); args without the position.
    BilinearPatch(const Pointw corners[4], bool rational, ArgList args);
    // The same, sharing the common record of a primitive it was split from.
    BilinearPatch(const Primitive& sharing, const Pointw corners[4], bool rational, ArgList args);

    int32_t type() const override;
    // The bound of the four corners.
    Boundw bound() const override;
    void split(PrimitiveSink& sink) override;
    short rational() const override;
    Pointw evalP(float u, float v) const override;
    Pointw evaldPdu(float u, float v) const override;
    Pointw evaldPdv(float u, float v) const override;
    ParameterRange parameterRange() const override { return fRange; }
    void setParameterRange(const ParameterRange& range) { fRange = range; }

private:
    BilinearPatch(const BilinearPatch& parent) = default;
    void addChild(PrimitiveSink& sink, float u0, float v0) const;

    Pointw fCorner[4];
    bool fRational;
    ParameterRange fRange;
};

// Kept in Bezier form whatever basis it was given in.
class BicubicPatch : public Primitive {
public:
    // From the request's list, its position with sixteen control points in
    // the current attribute's u and v bases; null when it has none.
    static Primitive* make(ArgList args);
    // Sixteen control points (u fastest) given in the bases, in Bezier form
    // bezier[j][i], i along u and j along v. Weights convert only when rational.
    static void toBezier(const Pointw control[16], const Matrix& uBasis, const Matrix& vBasis,
                         bool rational, Pointw bezier[4][4]);
    // A net already in Bezier form; args without the position.
    BicubicPatch(const Pointw bezier[4][4], bool rational, ArgList args);
    // The same, sharing the common record of a primitive it was split from.
    BicubicPatch(const Primitive& sharing, const Pointw bezier[4][4], bool rational, ArgList args);

    int32_t type() const override;
    // The bound of the Bezier net, which holds the patch.
    Boundw bound() const override;
    // The generic test, then the control net's raster distance from the
    // bilinear surface through its corners, shrunk by the square of the
    // smaller step count, must be within the flatness.
    DiceDecision diceable(const RenderContext& context, float limit) override;
    // Collapses the net to a curve in u per grid row.
    Grid* dice(GridSize size) override;
    // By de Casteljau subdivision at the middle of u and of v.
    void split(PrimitiveSink& sink) override;
    short rational() const override;
    Pointw evalP(float u, float v) const override;
    Pointw evaldPdu(float u, float v) const override;
    Pointw evaldPdv(float u, float v) const override;

    const Pointw& bezier(int i, int j) const { return fNet[j][i]; }
    ParameterRange parameterRange() const override { return fRange; }
    void setParameterRange(const ParameterRange& range) { fRange = range; }

private:
    BicubicPatch(const BicubicPatch& parent) = default;
    bool netFlat(const RenderContext& context, GridSize size) const;
    Pointw evaluate(float u, float v, bool du, bool dv) const;

    Pointw fNet[4][4]; // [v][u]
    bool fRational;
    ParameterRange fRange;
};

// A mesh of patches; only ever split, into its patches.
class PatchMesh : public Primitive {
public:
    // type QEL_PATCH_BILINEAR or QEL_PATCH_BICUBIC, wraps QEL_WRAP or
    // QEL_NOWRAP; args built with the mesh's counts. Null when the mesh
    // holds no patch or no position.
    static Primitive* make(short type, long nu, short uwrap, long nv, short vwrap, ArgList args);

    int32_t type() const override;
    // The union of the patches' bounds.
    Boundw bound() const override;
    DiceDecision diceable(const RenderContext& context, float limit) override; // never
    // Adds the patches, row by row in v, u fastest.
    void split(PrimitiveSink& sink) override;

    long uPatches() const { return fUPatches; }
    long vPatches() const { return fVPatches; }

private:
    PatchMesh(short type, long nu, bool uperiodic, long nv, bool vperiodic, ArgList args);
    Primitive* makePatch(long pu, long pv) const;
    // The patch's control points, 4 or 16, u fastest; for "height" already
    // spread over the patch's part of the unit square (bilinear) or left
    // at x = y = 0 (bicubic).
    int controlPoints(long pu, long pv, Pointw* out) const;
    long controlIndex(long pu, long pv, long a, long b) const;
    ArgList patchArgs(long pu, long pv) const;
    Boundw computeBound() const;

    bool fBicubic;
    long fNu, fNv;
    bool fUPeriodic, fVPeriodic;
    long fUStep, fVStep;
    long fUPatches, fVPatches;
    Matrix fUBasis, fVBasis;
    unsigned short fPosition;
    Boundw fBound;
};

} // namespace quelmark

#endif
