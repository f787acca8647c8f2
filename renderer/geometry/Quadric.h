// The quadrics: surfaces swept about the z axis.
//
// Every quadric is a profile curve in the plane of angle 0, turned about the
// z axis. u sweeps the angle from 0 to thetamax, v runs along the profile;
// a quadric split from another covers a sub-square (u0..u1, v0..v1) of the
// whole surface's parameter square and maps its own [0, 1]^2 onto it.
#ifndef QEL_GEOMETRY_QUADRIC_H
#define QEL_GEOMETRY_QUADRIC_H

#include "renderer/geometry/Primitive.h"

namespace quelmark {

class Quadric : public Primitive {
public:
    // The bound of the swept profile over this quadric's part of the sweep.
    Boundw bound() const override;
    // Four children for the quarters [0, .5]x[0, .5], [.5, 1]x[0, .5],
    // [0, .5]x[.5, 1] and [.5, 1]x[.5, 1] of this quadric's square, added to
    // the scene in that order.
    void split(PrimitiveSink& sink) override;
    Pointw evalP(float u, float v) const override;
    Pointw evaldPdu(float u, float v) const override;
    Pointw evaldPdv(float u, float v) const override;

protected:
    // thetamax in degrees.
    Quadric(float thetamax, ArgList args);
    // Shares the other's common record and covers the same part of the
    // surface; the parameter list starts empty.
    Quadric(const Quadric& other) = default;

    // The most parameters profileExtrema may list.
    static constexpr int kMaxExtrema = 8;

    // The profile point at the whole surface's parameter V and its
    // derivative in V; x is the signed distance from the axis, y is 0 but
    // for a profile that leaves the plane of angle 0.
    virtual Point profile(float V) const = 0;
    virtual Point profileDerivative(float V) const = 0;
    // The parameters strictly between V0 and V1 where the profile's x or z
    // turns; none by default, for profiles that run straight on.
    virtual int profileExtrema(float V0, float V1, float extrema[kMaxExtrema]) const;
    // A new quadric of the same class sharing this one's common record.
    virtual Quadric* copy() const = 0;

    // The parameters strictly between V0 and V1 where an angle running
    // linearly from phi0 at V = 0 to phi1 at V = 1 (radians) passes a
    // multiple of a quarter turn.
    static int quarterTurns(double phi0, double phi1, float V0, float V1,
                            float extrema[kMaxExtrema]);

    // The lattice as rows of the profile swept by columns of angles: the
    // profile once per row and the angle's sine and cosine once per column.
    void evalLattice(Vertex** rows, int nu, int nv) const override;

private:
    ParameterRange parameterRange() const override { return {fU0, fU1, fV0, fV1}; }
    float wholeU(float u) const { return fU0 + u * (fU1 - fU0); }
    float wholeV(float v) const { return fV0 + v * (fV1 - fV0); }
    void addChild(PrimitiveSink& sink, float u0, float v0) const;

    float fThetaMax; // radians
    float fU0 = 0, fU1 = 1, fV0 = 0, fV1 = 1;
};

} // namespace quelmark

#endif
