#include "renderer/geometry/Quadric.h"

#include "renderer/geometry/SplitArgs.h"
#include "renderer/geometry/PrimitiveSink.h"
#include "renderer/shading/Vertex.h"
#include "renderer/state/RenderContext.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quelmark {

namespace {

constexpr double kQuarterTurn = std::numbers::pi / 2;
constexpr double kFullTurn = 2 * std::numbers::pi;

// Points closer to the axis than this fraction of the profile's largest
// distance from it count as on the axis: rounding may put them on either side.
constexpr float kAxisTolerance = 1e-6f;

// The profile's extent over a range of v: distance from the axis, height,
// and the angle about the axis, unwrapped along the profile (radians). The
// swept bound grows by the slack on every side in x and y.
struct ProfileBox {
    float rmin = 0, rmax = 0, zmin = 0, zmax = 0;
    double amin = 0, amax = 0;
    float slack = 0;
};

float distanceFromAxis(const Point& p) { return std::hypot(p.x, p.y); }

// The distance from the axis of the point of chord AB nearest to it.
float chordDistanceFromAxis(const Point& a, const Point& b) {
    float dx = b.x - a.x, dy = b.y - a.y;
    float squared = dx * dx + dy * dy;
    float t = squared > 0 ? std::clamp(-(a.x * dx + a.y * dy) / squared, 0.0f, 1.0f) : 0.0f;
    return std::hypot(a.x + t * dx, a.y + t * dy);
}

void measureDistanceAndHeight(const Point* points, int count, ProfileBox& box) {
    box.rmin = box.rmax = distanceFromAxis(points[0]);
    box.zmin = box.zmax = points[0].z;
    for (int k = 1; k < count; ++k) {
        box.rmax = std::max(box.rmax, distanceFromAxis(points[k]));
        box.rmin = std::min(box.rmin, chordDistanceFromAxis(points[k - 1], points[k]));
        box.zmin = std::min(box.zmin, points[k].z);
        box.zmax = std::max(box.zmax, points[k].z);
    }
}

// The angle about the axis, followed from point to point; points on the
// axis say nothing about it.
void measureAngle(const Point* points, int count, ProfileBox& box) {
    box.slack = kAxisTolerance * box.rmax;
    const Point* reference = nullptr;
    double angle = 0;
    for (int k = 0; k < count; ++k) {
        const Point& p = points[k];
        if (!(distanceFromAxis(p) > box.slack)) continue;
        if (reference) {
            double cross = double(reference->x) * p.y - double(reference->y) * p.x;
            double dot = double(reference->x) * p.x + double(reference->y) * p.y;
            angle += std::atan2(cross, dot);
        } else {
            angle = box.amin = box.amax = std::atan2(double(p.y), double(p.x));
        }
        box.amin = std::min(box.amin, angle);
        box.amax = std::max(box.amax, angle);
        reference = &p;
    }
}

// Between two consecutive points the profile, seen from above, runs straight
// without turning back, so its chords give the distance range and the angle
// swept about the axis.
ProfileBox boxOfProfilePoints(const Point* points, int count) {
    ProfileBox box;
    measureDistanceAndHeight(points, count, box);
    measureAngle(points, count, box);
    return box;
}

// Insertion sort: there are a handful of values at most.
void sortAscending(float* values, int count) {
    for (int k = 1; k < count; ++k)
        for (int i = k; i > 0 && values[i] < values[i - 1]; --i) std::swap(values[i], values[i - 1]);
}

struct PlaneBox {
    float xmin, xmax, ymin, ymax;

    void include(double x, double y) {
        xmin = std::min(xmin, float(x)), xmax = std::max(xmax, float(x));
        ymin = std::min(ymin, float(y)), ymax = std::max(ymax, float(y));
    }
};

// The x, y bound of the points r (cos a, sin a) for rmin <= r <= rmax and
// a0 <= a <= a1; a whole disk when the angles span a full turn or are not
// finite.
PlaneBox sectorBound(float rmin, float rmax, double a0, double a1) {
    double span = a1 - a0;
    if (!(span < kFullTurn)) return {-rmax, rmax, -rmax, rmax};
    double start = std::fmod(a0, kFullTurn);
    if (start < 0) start += kFullTurn;
    double end = start + span;
    PlaneBox box{rmax * float(std::cos(start)), rmax * float(std::cos(start)),
                 rmax * float(std::sin(start)), rmax * float(std::sin(start))};
    box.include(rmax * std::cos(end), rmax * std::sin(end));
    box.include(rmin * std::cos(start), rmin * std::sin(start));
    box.include(rmin * std::cos(end), rmin * std::sin(end));
    static const int kAxisX[4] = {1, 0, -1, 0}, kAxisY[4] = {0, 1, 0, -1};
    for (int k = int(std::ceil(start / kQuarterTurn)); k * kQuarterTurn <= end; ++k)
        box.include(rmax * kAxisX[k % 4], rmax * kAxisY[k % 4]);
    return box;
}

} // namespace

Quadric::Quadric(float thetamax, ArgList args)
    : fThetaMax(float(double(thetamax) * std::numbers::pi / 180)) {
    fArgs = std::move(args);
}

int Quadric::profileExtrema(float, float, float*) const { return 0; }

int Quadric::quarterTurns(double phi0, double phi1, float V0, float V1,
                          float extrema[kMaxExtrema]) {
    double a = phi0 + V0 * (phi1 - phi0), b = phi0 + V1 * (phi1 - phi0);
    double lo = std::min(a, b), hi = std::max(a, b);
    int count = 0;
    double turn = std::ceil(lo / kQuarterTurn);
    for (int tries = 0; tries < kMaxExtrema && turn * kQuarterTurn < hi; ++tries, turn += 1) {
        double V = (turn * kQuarterTurn - phi0) / (phi1 - phi0);
        if (V > V0 && V < V1) extrema[count++] = float(V);
    }
    return count;
}

Boundw Quadric::bound() const {
    float params[kMaxExtrema + 2];
    params[0] = fV0;
    int count = 1 + std::clamp(profileExtrema(fV0, fV1, params + 1), 0, kMaxExtrema);
    sortAscending(params + 1, count - 1);
    params[count++] = fV1;
    Point points[kMaxExtrema + 2];
    for (int k = 0; k < count; ++k) points[k] = profile(params[k]);
    ProfileBox profileBox = boxOfProfilePoints(points, count);

    double theta0 = double(fThetaMax) * fU0, theta1 = double(fThetaMax) * fU1;
    if (theta0 > theta1) std::swap(theta0, theta1);
    PlaneBox plane = sectorBound(profileBox.rmin, profileBox.rmax, theta0 + profileBox.amin,
                                 theta1 + profileBox.amax);
    float slack = profileBox.slack;
    return Boundw(plane.xmin - slack, plane.xmax + slack, plane.ymin - slack, plane.ymax + slack,
                  profileBox.zmin, profileBox.zmax, 1, 1);
}

Pointw Quadric::evalP(float u, float v) const {
    float theta = fThetaMax * wholeU(u);
    Point q = profile(wholeV(v));
    float c = std::cos(theta), s = std::sin(theta);
    return {q.x * c - q.y * s, q.x * s + q.y * c, q.z, 1};
}

Pointw Quadric::evaldPdu(float u, float v) const {
    float theta = fThetaMax * wholeU(u);
    Point q = profile(wholeV(v));
    float c = std::cos(theta), s = std::sin(theta);
    float scale = fThetaMax * (fU1 - fU0);
    return {-scale * (q.x * s + q.y * c), scale * (q.x * c - q.y * s), 0, 1};
}

Pointw Quadric::evaldPdv(float u, float v) const {
    float theta = fThetaMax * wholeU(u);
    Point dq = profileDerivative(wholeV(v)) * (fV1 - fV0);
    float c = std::cos(theta), s = std::sin(theta);
    return {dq.x * c - dq.y * s, dq.x * s + dq.y * c, dq.z, 1};
}

void Quadric::evalLattice(Vertex** rows, int nu, int nv) const {
    // Columns in runs short enough for their sines and cosines to stay here.
    constexpr int kRun = 64;
    float cosines[kRun], sines[kRun];
    const float scale = fThetaMax * (fU1 - fU0);
    for (int first = 0; first <= nu; first += kRun) {
        const int count = std::min(kRun, nu + 1 - first);
        for (int k = 0; k < count; ++k) {
            float theta = fThetaMax * wholeU(float(first + k) / float(nu));
            cosines[k] = std::cos(theta);
            sines[k] = std::sin(theta);
        }
        for (int j = 0; j <= nv; ++j) {
            const float V = wholeV(float(j) / float(nv));
            const Point q = profile(V);
            const Point dq = profileDerivative(V) * (fV1 - fV0);
            Vertex* vertex = rows[j] + first;
            for (int k = 0; k < count; ++k, ++vertex) {
                const float c = cosines[k], s = sines[k];
                vertex->P = Point(q.x * c - q.y * s, q.x * s + q.y * c, q.z);
                vertex->dPdu = Point(-scale * (q.x * s + q.y * c), scale * (q.x * c - q.y * s), 0);
                vertex->dPdv = Point(dq.x * c - dq.y * s, dq.x * s + dq.y * c, dq.z);
            }
        }
    }
}

void Quadric::split(PrimitiveSink& sink) {
    addChild(sink, 0.0f, 0.0f);
    addChild(sink, 0.5f, 0.0f);
    addChild(sink, 0.0f, 0.5f);
    addChild(sink, 0.5f, 0.5f);
}

// The child for the quarter of this quadric's square from (u0, v0) on.
void Quadric::addChild(PrimitiveSink& sink, float u0, float v0) const {
    Quadric* child = copy();
    child->fU0 = wholeU(u0);
    child->fU1 = wholeU(u0 + 0.5f);
    child->fV0 = wholeV(v0);
    child->fV1 = wholeV(v0 + 0.5f);
    child->fArgs = splitArgs(fArgs, u0, u0 + 0.5f, v0, v0 + 0.5f);
    sink.add(child);
}

} // namespace quelmark
