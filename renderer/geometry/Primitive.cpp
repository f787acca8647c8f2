#include "renderer/geometry/Primitive.h"

#include "common/Random.h"
#include "renderer/geometry/DiceSteps.h"
#include "renderer/shading/Grid.h"
#include "renderer/shading/Vertex.h"
#include "renderer/state/Attrib.h"
#include "renderer/state/RenderContext.h"
#include "renderer/state/State.h"
#include "renderer/state/Transform.h"

#include <algorithm>
#include <cmath>

namespace quelmark {

uint32_t Primitive::fCurSeq = 0;

namespace {

constexpr uint64_t kRootKey = 0x51ED270B27A3C4D1ULL;

} // namespace

PrimitiveCommon::PrimitiveCommon(uint32_t sequence) : fSequence(sequence) {
    takeCurrentSnapshots();
}

PrimitiveCommon::~PrimitiveCommon() {
    releaseSnapshots();
}

void PrimitiveCommon::inherit(uint32_t sequence) {
    releaseSnapshots();
    takeCurrentSnapshots();
    fSequence = sequence;
}

void PrimitiveCommon::takeCurrentSnapshots() {
    if (!gState) return;
    fAttrib = retainSnapshot(gState->getAttrib());
    fTransform = retainSnapshot(gState->getTransform());
}

void PrimitiveCommon::releaseSnapshots() {
    releaseSnapshot(fAttrib);
    releaseSnapshot(fTransform);
    fAttrib = nullptr;
    fTransform = nullptr;
}

Primitive::Primitive()
    : fCommon(new PrimitiveCommon(fCurSeq++)), fKey(mixKey(kRootKey, fCommon->sequence())) {
    ++fCommon->holders;
}

Primitive::Primitive(const Primitive& other) : fCommon(other.fCommon), fKey(other.childKey()) {
    ++fCommon->holders;
}

Primitive::~Primitive() {
    if (--fCommon->holders < 1) delete fCommon;
}

uint64_t Primitive::childKey() const {
    return mixKey(fKey, fChildren++);
}

void Primitive::followParent(const Primitive& parent) {
    fCommon->setSequence(parent.sequence());
    fKey = parent.childKey();
}

int32_t Primitive::type() const {
    return primitive_class::kPlain;
}

Boundw Primitive::bound() const {
    return Boundw();
}

short Primitive::canSplit() const {
    return 1;
}

void Primitive::split(PrimitiveSink&) {}

short Primitive::rational() const {
    return 0;
}

Pointw Primitive::evalP(float, float) const {
    return Pointw(0, 0, 0, 1);
}

Pointw Primitive::evaldPdu(float, float) const {
    return Pointw(0, 0, 0, 1);
}

Pointw Primitive::evaldPdv(float, float) const {
    return Pointw(0, 0, 0, 1);
}

namespace {

constexpr int kSamplesPerSide = 4;
constexpr float kCellSize = 1.0f / kSamplesPerSide;
constexpr float kHugeArea = 1e38f;
constexpr uint16_t kMostSteps = UINT16_MAX;

struct Sample {
    float u, v;
};

// A random point of cell (i, j) of the 4 by 4 division of the unit square.
Sample jitteredSample(int i, int j, RandomStream& random) {
    float ru = float(random.next()) / kRandomMax;
    float rv = float(random.next()) / kRandomMax;
    return {(float(i) + ru) * kCellSize, (float(j) + rv) * kCellSize};
}

// The generic test whether a primitive is small, even and flat enough.
class DiceTest {
public:
    DiceTest(const RenderContext& context, const Primitive& primitive, float limit);
    DiceDecision decide();

private:
    bool sizePass();
    bool even() const;
    bool flatnessPass();
    bool flatAlong(const Sample& s, const Point& P, bool alongU);
    GridSize fSize;
    void measure(const Sample& s);
    Point rasterPosition(float u, float v) const { return Point(fPrimitive.evalP(u, v)) * fRaster; }

    const Primitive& fPrimitive;
    // The test's points depend on the primitive alone.
    RandomStream fRandom;
    const Attrib& fAttrib;
    float fEdge;
    long fGridLimit;
    float fLimit;
    Matrix fRaster;
    bool fRational;
    float fMaxU = 0, fMaxV = 0, fMaxArea = 0, fMinArea = kHugeArea;
};

DiceTest::DiceTest(const RenderContext& context, const Primitive& primitive, float limit)
    : fPrimitive(primitive), fRandom(RandomStream::keyed(primitive.key())),
      fAttrib(*primitive.attrib()), fEdge(fAttrib.shadingRateRoot),
      fGridLimit(context.option.tuneA), fLimit(limit < 0 ? float(fGridLimit) * fEdge : limit),
      fRaster(primitive.transform()->matrix() * context.cameraToRaster),
      fRational(primitive.rational() != 0) {}

DiceDecision DiceTest::decide() {
    bool small = sizePass();
    fSize = {stepsAcross(fMaxU, fEdge), stepsAcross(fMaxV, fEdge)};
    bool diceable = small && even() && flatnessPass();
    return {diceable, fSize};
}

bool DiceTest::sizePass() {
    for (int j = 0; j < kSamplesPerSide; ++j)
        for (int i = 0; i < kSamplesPerSide; ++i) {
            measure(jitteredSample(i, j, fRandom));
            if (fMaxU > fLimit || fMaxV > fLimit) return false;
        }
    return true;
}

// Raster lengths of the derivatives at one sample.
void DiceTest::measure(const Sample& s) {
    Pointw p = fPrimitive.evalP(s.u, s.v);
    Point P, Pu, Pv;
    if (fRational) {
        Pu = Point(p + fPrimitive.evaldPdu(s.u, s.v)) * fRaster;
        Pv = Point(p + fPrimitive.evaldPdv(s.u, s.v)) * fRaster;
        P = Point(p) * fRaster;
    } else {
        Point object(p);
        Pu = (object + Point(fPrimitive.evaldPdu(s.u, s.v))) * fRaster;
        Pv = (object + Point(fPrimitive.evaldPdv(s.u, s.v))) * fRaster;
        P = object * fRaster;
    }
    float lu = screenLength(Pu - P), lv = screenLength(Pv - P);
    float area = lu * lv;
    fMaxU = std::max(fMaxU, lu);
    fMaxV = std::max(fMaxV, lv);
    fMaxArea = std::max(fMaxArea, area);
    fMinArea = std::min(fMinArea, area);
}

// Grids of up to 16 micropolygons may be uneven.
bool DiceTest::even() const {
    long micropolygons = long(fSize.u) * long(fSize.v);
    return !(fMaxArea > 2 * fMinArea && micropolygons >= 17);
}

bool DiceTest::flatnessPass() {
    for (int j = 0; j < kSamplesPerSide; ++j)
        for (int i = 0; i < kSamplesPerSide; ++i) {
            Sample s = jitteredSample(i, j, fRandom);
            Point P = rasterPosition(s.u, s.v);
            if (!flatAlong(s, P, true) || !flatAlong(s, P, false)) return false;
        }
    return true;
}

// Refines the steps along one direction until the midpoint of a step's
// chord lies within the flatness of the surface; false when that takes more
// than the grid edge limit.
bool DiceTest::flatAlong(const Sample& s, const Point& P, bool alongU) {
    uint16_t& steps = alongU ? fSize.u : fSize.v;
    float t = alongU ? s.u : s.v;
    for (;;) {
        float h = std::min({t, 1 - t, 0.5f / float(steps)});
        float du = alongU ? h : 0, dv = alongU ? 0 : h;
        Point ahead(fPrimitive.evalP(s.u + du, s.v + dv));
        Point behind(fPrimitive.evalP(s.u - du, s.v - dv));
        Point mid = (ahead + behind) * 0.5f * fRaster;
        if (screenLength(mid - P) <= fAttrib.flatnessValue) return true;
        if (long(steps) >= fGridLimit || steps == kMostSteps) return false;
        ++steps;
    }
}

} // namespace

DiceDecision Primitive::diceable(const RenderContext& context, float limit) {
    return DiceTest(context, *this, limit).decide();
}

void Primitive::evalLattice(Vertex** rows, int nu, int nv) const {
    const bool isRational = rational() != 0;
    for (int j = 0; j <= nv; ++j) {
        const float v = float(j) / float(nv);
        for (int i = 0; i <= nu; ++i) {
            const float u = float(i) / float(nu);
            const Pointw p = evalP(u, v);
            Vertex& vertex = rows[j][i];
            vertex.P = Point(p);
            if (isRational) {
                vertex.dPdu = Point(p + evaldPdu(u, v)) - vertex.P;
                vertex.dPdv = Point(p + evaldPdv(u, v)) - vertex.P;
            } else {
                vertex.dPdu = Point(evaldPdu(u, v));
                vertex.dPdv = Point(evaldPdv(u, v));
            }
        }
    }
}

bool Primitive::facesReversed() const {
    return transform()->orientation() != attrib()->orientationCode;
}

void Primitive::surfaceElements(int cells, std::vector<SurfaceElement>& out) const {
    Vertex** rows = allocVertices(cells, cells);
    evalLattice(rows, cells, cells);
    const Matrix& T = transform()->matrix();
    for (int j = 0; j <= cells; ++j)
        for (int i = 0; i <= cells; ++i)
            rows[j][i].P = rows[j][i].P * T;
    const float facing = facesReversed() ? -1.0f : 1.0f;
    for (int j = 0; j < cells; ++j)
        for (int i = 0; i < cells; ++i) {
            const Point &p00 = rows[j][i].P, &p10 = rows[j][i + 1].P;
            const Point &p01 = rows[j + 1][i].P, &p11 = rows[j + 1][i + 1].P;
            // Half the cross product of the diagonals: the area, along u × v.
            const Point across = ((p11 - p00) ^ (p01 - p10)) * 0.5f;
            const float area = std::sqrt(dot(across, across));
            if (!(area > 0)) continue;
            out.push_back({.P = (p00 + p10 + p01 + p11) * 0.25f,
                           .N = across * (facing / area),
                           .area = area});
        }
    freeVertices(rows);
}

Grid* Primitive::dice(GridSize size) {
    const int nu = size.u, nv = size.v;
    Vertex** rows = allocVertices(nu, nv);
    evalLattice(rows, nu, nv);
    const Matrix& T = transform()->matrix();
    for (int j = 0; j <= nv; ++j)
        for (Vertex *vertex = rows[j], *end = vertex + nu + 1; vertex != end; ++vertex) {
            vertex->P = vertex->P * T;
            vertex->dPdu = vtransform(vertex->dPdu, T);
            vertex->dPdv = vtransform(vertex->dPdv, T);
        }
    const short reverse = facesReversed();
    return new Grid(nu, nv, rows, attrib(), transform(), sequence(), reverse, 0, fArgs);
}

} // namespace quelmark
