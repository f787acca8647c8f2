#include "renderer/hider/MicroPolygon.h"

#include "renderer/shading/ShadingFunctions.h"
#include "renderer/state/Attrib.h"
#include "renderer/state/Option.h"

#include <algorithm>
#include <cmath>

namespace quelmark {

Bound MicroPolygon::bound() const {
    const Point &pa = a().P, &pb = b().P, &pc = c().P, &pd = d().P;
    return Bound(std::min({pa.x, pb.x, pc.x, pd.x}), std::max({pa.x, pb.x, pc.x, pd.x}),
                 std::min({pa.y, pb.y, pc.y, pd.y}), std::max({pa.y, pb.y, pc.y, pd.y}),
                 std::min({pa.z, pb.z, pc.z, pd.z}), std::max({pa.z, pb.z, pc.z, pd.z}));
}

float MicroPolygon::znormal() const {
    const Point &pa = a().P, &pb = b().P, &pc = c().P, &pd = d().P;
    float area = (pb.x - pa.x) * (pb.y + pa.y) + (pd.x - pb.x) * (pd.y + pb.y) +
                 (pc.x - pd.x) * (pc.y + pd.y) + (pa.x - pc.x) * (pa.y + pc.y);
    return fGrid->flipNormal() ? -area : area;
}

namespace {

bool nearZero(double value) { return std::fabs(value) < kEpsilon; }
bool inUnitRange(float value) { return value >= 0.0f && value <= 1.0f; }

// Inverts the bilinear map of the corners A, B, C, D for one raster point:
// the point relative to A is s·(B − A) + t·(C − A) + s·t·(D − C − B + A).
class BilinearInverse {
public:
    BilinearInverse(const Point& a, const Point& b, const Point& c, const Point& d, float x,
                    float y)
        : e(x - a.x), f(y - a.y), g(b.x - a.x), h(b.y - a.y), k(c.x - a.x), l(c.y - a.y),
          m(d.x - c.x), n(d.y - c.y) {}

    bool solve(float& s, float& t) const {
        float qa = m * h - g * n;
        float qb = g * f + k * h + e * n - e * h - g * l - m * f;
        float qc = e * l - k * f;
        if (nearZero(qa)) {
            if (nearZero(qb)) return false;
            s = -qc / qb;
            return tAt(s, t);
        }
        double discriminant = double(qb) * qb - 4.0 * double(qa) * qc;
        if (discriminant < 0.0) return false;
        if (nearZero(discriminant)) {
            s = float(-qb / (2.0 * qa));
            return tAt(s, t);
        }
        double root = std::sqrt(discriminant);
        s = float((-qb + root) / (2.0 * qa));
        if (tAt(s, t)) return true;
        s = float((-qb - root) / (2.0 * qa));
        return tAt(s, t);
    }

private:
    // The t of a candidate s from the x equation, or the y equation when that
    // fails; false when s or t falls outside [0, 1].
    bool tAt(float s, float& t) const {
        if (!inUnitRange(s)) return false;
        t = -1.0f;
        float q = (m - g) * s + k;
        if (!nearZero(q)) t = (e - s * g) / q;
        if (!inUnitRange(t)) {
            float r = (n - h) * s + l;
            if (!nearZero(r)) t = (f - s * h) / r;
        }
        return inUnitRange(t);
    }

    float e, f, g, h, k, l, m, n;
};

} // namespace

bool MicroPolygon::sample(float x, float y, bool paintOrder, SampleOrder& order, Color& Ci,
                          Color& Oi, float& s, float& t) const {
    const Vertex &va = a(), &vb = b(), &vc = c(), &vd = d();
    s = 0.0f, t = 0.0f;
    if (!BilinearInverse(va.P, vb.P, vc.P, vd.P, x, y).solve(s, t)) return false;
    if (paintOrder)
        order = SampleOrder::fromSequence(fGrid->sequence());
    else
        order = SampleOrder::fromDepth(bilerp(s, t, va.P.z, vb.P.z, vc.P.z, vd.P.z));
    if (fGrid->attrib()->shadingModelCode == QEL_SHADING_GOURAUD) {
        Ci = bilerp(s, t, va.Ci, vb.Ci, vc.Ci, vd.Ci);
        Oi = bilerp(s, t, va.Oi, vb.Oi, vc.Oi, vd.Oi);
    } else {
        Ci = va.Ci;
        Oi = va.Oi;
    }
    return true;
}

} // namespace quelmark
