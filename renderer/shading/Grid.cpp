#include "renderer/shading/Grid.h"

#include "api/qel.h"
#include "common/Quark.h"
#include "renderer/shading/CompiledDisplacement.h"
#include "renderer/shading/ParameterValues.h"
#include "renderer/shading/ShadingContext.h"
#include "renderer/shading/ShadingFunctions.h"
#include "renderer/shading/Surface.h"
#include "renderer/shading/Volume.h"
#include "renderer/state/Attrib.h"
#include "renderer/state/Option.h"
#include "renderer/state/OutputPlan.h"
#include "renderer/state/ParmList.h"
#include "renderer/state/RenderContext.h"
#include "renderer/state/Transform.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

namespace quelmark {

namespace {

// The primitive's own texture coordinates: "s", "t" or "st".
bool isTextureCoordinate(unsigned short quark) {
    const char* name = getString(quark);
    return name && (std::strcmp(name, "s") == 0 || std::strcmp(name, "t") == 0 ||
                    std::strcmp(name, "st") == 0);
}

bool isStandardVariable(unsigned short quark) {
    return (quark >= kQuarkNormal && quark <= kQuarkOpacity) || isTextureCoordinate(quark);
}

bool isPosition(unsigned short quark) {
    return quark >= kQuarkPoint && quark <= kQuarkPointw;
}

} // namespace

namespace {

// Counted only once a census is asked for: rendering alone keeps no
// counter that every thread's grids would share.
std::atomic<bool> gCounting{false};
std::atomic<long> gGridsAlive{0}, gGridsPeak{0}, gGridsMade{0};

void countGridMade() {
    long alive = ++gGridsAlive;
    ++gGridsMade;
    long peak = gGridsPeak.load(std::memory_order_relaxed);
    while (alive > peak && !gGridsPeak.compare_exchange_weak(peak, alive)) {
    }
}

} // namespace

GridCensus Grid::census() {
    GridCensus census;
    census.alive = gGridsAlive.load();
    census.peak = gGridsPeak.load();
    census.made = gGridsMade.load();
    return census;
}

void Grid::resetCensus() {
    gCounting = true;
    gGridsPeak = gGridsAlive.load();
    gGridsMade = 0;
}

Grid::Grid(int nu, int nv, Vertex** rows, Attrib* attrib, const Transform* transform,
           uint32_t sequence, short flipNormal, short triangular, const ArgList& args)
    : fNu(nu), fNv(nv), fRows(rows), fAttrib(retainSnapshot(attrib)), fSequence(sequence),
      fFlipNormal(flipNormal), fTriangular(triangular),
      fCounted(gCounting.load(std::memory_order_relaxed)) {
    if (fCounted) countGridMade();
    for (const ArgAssoc& entry : args) {
        if (isStandardVariable(entry.quark))
            fStdVars.add(entry);
        else if (!isPosition(entry.quark))
            fShaderVars.add(entry);
    }
    if (transform) {
        fObjectToCamera = transform->matrix();
        fStdVars.project(transform->matrix());
        fShaderVars.project(transform->matrix());
        if (transform->moves()) takeMotion(*transform);
    }
}

void Grid::takeMotion(const Transform& transform) {
    const std::vector<MotionKey>& keys = transform.motion();
    // A first matrix that flattens space leaves nothing to move from.
    if (std::fabs(determinant(fObjectToCamera)) < 1e-30f) return;
    const Matrix cameraToObject = invert(fObjectToCamera);
    for (size_t k = 0; k < keys.size(); ++k) {
        fMotionTimes.push_back(keys[k].time);
        if (k > 0) fMotionMatrices.push_back(cameraToObject * keys[k].matrix);
    }
}

Grid::~Grid() {
    if (fCounted) --gGridsAlive;
    freeVertices(fRows);
    releaseSnapshot(fAttrib);
}

int Grid::microRowLength(int j) const {
    return fTriangular ? fNu - (j * fNu) / fNv : fNu;
}

int Grid::vertexRowLength(int k) const {
    if (!fTriangular || k == 0) return fNu + 1;
    return fNu - ((k - 1) * fNu) / fNv + 1;
}

namespace {

void put(float*& out, const Point& p) {
    *out++ = p.x, *out++ = p.y, *out++ = p.z;
}

void put(float*& out, const Color& c) {
    *out++ = c.r, *out++ = c.g, *out++ = c.b;
}

void recordVariables(const ShadingPoints& points, std::size_t k,
                     const std::vector<PlannedVariable>& variables,
                     const std::vector<ShaderValueView>& outputs, float* record) {
    for (std::size_t index = 0; index < variables.size(); ++index) {
        const PlannedVariable& planned = variables[index];
        float* out = record + planned.offset;
        switch (planned.variable) {
        case ShadingVariable::kP:
            put(out, points.P[k]);
            break;
        case ShadingVariable::kN:
            put(out, normalize(points.N[k]));
            break;
        case ShadingVariable::kNg:
            put(out, normalize(points.Ng[k]));
            break;
        case ShadingVariable::kCs:
            put(out, points.Cs[k]);
            break;
        case ShadingVariable::kOs:
            put(out, points.Os[k]);
            break;
        case ShadingVariable::kS:
            *out = points.s[k];
            break;
        case ShadingVariable::kT:
            *out = points.t[k];
            break;
        case ShadingVariable::kU:
            *out = points.u[k];
            break;
        case ShadingVariable::kV:
            *out = points.v[k];
            break;
        case ShadingVariable::kShaderOutput:
            if (const ShaderValueView& value = outputs[index]; value.floats) {
                const std::size_t at = value.varying ? k : 0;
                std::copy_n(value.floats + at * std::size_t(planned.components), planned.components,
                            out);
            }
            break;
        }
    }
}

const ArgList kNoValues;

} // namespace

bool Grid::smoothShading() const {
    return fAttrib->shadingModelCode == QEL_SHADING_GOURAUD;
}

int Grid::shadingPointCount() const {
    int count = 0;
    if (smoothShading())
        for (int k = 0; k <= fNv; ++k)
            count += vertexRowLength(k);
    else
        for (int j = 0; j < fNv; ++j)
            count += microRowLength(j);
    return count;
}

int Grid::vertexCount() const {
    int count = 0;
    for (int k = 0; k <= fNv; ++k)
        count += vertexRowLength(k);
    return count;
}

std::size_t Grid::vertexIndex(int i, int k) const {
    if (!fTriangular) return std::size_t(k) * std::size_t(fNu + 1) + std::size_t(i);
    std::size_t index = 0;
    for (int row = 0; row < k; ++row)
        index += std::size_t(vertexRowLength(row));
    return index + std::size_t(i);
}

// Where on the grid a point at (u, v) shades: a triangular grid folds points
// past its diagonal back inside.
void Grid::foldIntoTriangle(float& u, float& v) const {
    if (!fTriangular || u + v <= 1.0f) return;
    if (fNu < fNv)
        u = 1.0f - v;
    else
        v = 1.0f - u;
}

void Grid::placeVertexPoints(ShadingPoints& points) const {
    points.resize(vertexCount());
    points.valueAcross = fValueAcross, points.valueDown = fValueDown;
    points.flipped = fFlipNormal != 0;
    points.across = fTriangular ? points.count : fNu + 1;
    points.down = fTriangular ? 1 : fNv + 1;
    points.rowStarts.clear();
    if (fTriangular) {
        for (int k = 0, start = 0; k <= fNv; start += vertexRowLength(k), ++k)
            points.rowStarts.push_back(start);
        points.rowStarts.push_back(points.count);
    }
    std::size_t n = 0;
    for (int k = 0; k <= fNv; ++k)
        for (int i = 0; i < vertexRowLength(k); ++i, ++n) {
            const Vertex& vertex = fRows[k][i];
            float u = float(i) / float(fNu), v = float(k) / float(fNv);
            foldIntoTriangle(u, v);
            points.P[n] = vertex.P, points.dPdu[n] = vertex.dPdu, points.dPdv[n] = vertex.dPdv;
            points.gridU[n] = u, points.gridV[n] = v;
        }
}

void Grid::placeShadingPoints(ShadingPoints& points) const {
    if (smoothShading()) {
        placeVertexPoints(points);
        return;
    }
    points.resize(shadingPointCount());
    points.valueAcross = fValueAcross, points.valueDown = fValueDown;
    points.flipped = fFlipNormal != 0;
    points.across = fTriangular ? points.count : fNu;
    points.down = fTriangular ? 1 : fNv;
    points.rowStarts.clear();
    if (fTriangular) {
        for (int j = 0, start = 0; j < fNv; start += microRowLength(j), ++j)
            points.rowStarts.push_back(start);
        points.rowStarts.push_back(points.count);
    }
    std::size_t n = 0;
    auto place = [&](const Point& P, const Point& dPdu, const Point& dPdv, float u, float v) {
        foldIntoTriangle(u, v);
        points.P[n] = P, points.dPdu[n] = dPdu, points.dPdv[n] = dPdv;
        points.gridU[n] = u, points.gridV[n] = v;
        ++n;
    };
    // One point at the centre of each micropolygon, with the means of the
    // corners' derivatives.
    for (int j = 0; j < fNv; ++j)
        for (int i = 0; i < microRowLength(j); ++i) {
            const Vertex &a = fRows[j][i], &b = fRows[j][i + 1];
            const Vertex &c = fRows[j + 1][i], &d = fRows[j + 1][i + 1];
            place((a.P + b.P + c.P + d.P) * 0.25f, (a.dPdu + b.dPdu + c.dPdu + d.dPdu) * 0.25f,
                  (a.dPdv + b.dPdv + c.dPdv + d.dPdv) * 0.25f, (float(i) + 0.5f) / float(fNu),
                  (float(j) + 0.5f) / float(fNv));
        }
}

void Grid::setStandardValues(ShadingContext& context, bool orthographic) const {
    ShadingPoints& points = context.points;
    StandardValues& defaults = context.standard;
    defaults.N = defaults.Ng = Point();
    defaults.Cs = fAttrib->colorValue;
    defaults.Os = fAttrib->opacityValue;
    defaults.bindTextureCoordinates();
    ParameterValues& values = context.volumeValues; // free until the atmosphere runs
    values.bind(defaults.parms, fStdVars, points);
    const Varying<Point> normal = values[defaults.N], plane = values[defaults.Ng];
    const Varying<Color> color = values[defaults.Cs], opacity = values[defaults.Os];
    const bool givenNormal = values.given(defaults.N), givenPlane = values.given(defaults.Ng);
    // The primitive's own texture coordinates, "st" before "s" and "t".
    const bool givenPair = values.given(defaults.st[0]);
    const bool givenS = givenPair || values.given(defaults.s);
    const bool givenT = givenPair || values.given(defaults.t);
    const Varying<float> ownS = givenPair ? values[defaults.st[0]] : values[defaults.s];
    const Varying<float> ownT = givenPair ? values.second(defaults.st[0]) : values[defaults.t];
    const float* st = fAttrib->textureST;
    points.du = (fRange.u1 - fRange.u0) / float(fNu);
    points.dv = (fRange.v1 - fRange.v0) / float(fNv);
    // The vertices' derivatives are over the piece's own u and v; the
    // shaders' over the primitive's, as du and dv are.
    const float acrossPieceU = 1 / (fRange.u1 - fRange.u0);
    const float acrossPieceV = 1 / (fRange.v1 - fRange.v0);
    for (int i = 0; i < points.count; ++i) {
        const auto k = std::size_t(i);
        Point Ng = points.dPdu[k] ^ points.dPdv[k];
        if (fFlipNormal) Ng = -Ng;
        points.dPdu[k] *= acrossPieceU;
        points.dPdv[k] *= acrossPieceV;
        points.Ng[k] = givenPlane ? plane[i] : Ng;
        points.N[k] = givenNormal ? normal[i] : points.Ng[k];
        points.Cs[k] = color[i];
        points.Os[k] = opacity[i];
        // The primitive's own u and v, over the whole of it.
        const float u = fRange.u(points.gridU[k]), v = fRange.v(points.gridV[k]);
        points.u[k] = u, points.v[k] = v;
        points.s[k] = givenS ? ownS[i] : bilerp(u, v, st[0], st[2], st[4], st[6]);
        points.t[k] = givenT ? ownT[i] : bilerp(u, v, st[1], st[3], st[5], st[7]);
        const Point& P = points.P[k];
        const Point E = orthographic ? Point(P.x, P.y, 0.0f) : Point(0.0f, 0.0f, 0.0f);
        points.I[k] = P - E;
        points.Ci[k] = gBlack;
        points.Oi[k] = gWhite;
    }
}

void Grid::prepareContext(const RenderContext& frame, ShadingContext& context) const {
    context.frame = &frame;
    context.lights = &fAttrib->activeLights;
    context.primitiveValues = &fShaderVars;
    context.objectToCamera = fObjectToCamera;
    context.attrib = fAttrib;
    context.gridSeed = (std::uint64_t(fSequence) << 32) ^ fKey;
}

void Grid::displace(const RenderContext& frame, ShadingContext& context) {
    context.beginGrid();
    const auto* displacement =
        static_cast<const CompiledDisplacement*>(fAttrib->displacementShader);
    if (!displacement) return;
    ShadingPoints& points = context.points;
    placeVertexPoints(points);
    setStandardValues(context, frame.option.perspective == 0);
    fillDegenerateNormals(points);
    prepareContext(frame, context);
    if (!displacement->displace(context)) return;
    fillDegenerateNormals(points);
    for (int k = 0, n = 0; k <= fNv; ++k)
        for (int i = 0; i < vertexRowLength(k); ++i, ++n)
            fRows[k][i].P = points.P[std::size_t(n)];
    fDisplacedN.assign(points.N.begin(), points.N.end());
    if (!fTriangular) differentiateVertices();
}

// Where the derivatives vanish (a sphere's poles, a cone's apex) the normal
// is none, or a rounding error's: a displacement along it would leave a
// pinhole or a spike. Such points, whose normals are many orders of
// magnitude shorter than the grid's longest, take the sum of the normals
// around them: along a row of them (a pole's), around the whole row, so that
// the points of one pole move as one.
void Grid::fillDegenerateNormals(ShadingPoints& points) const {
    constexpr float kDegenerateRatio = 1e-8f; // of squared lengths
    float longest = 0;
    for (const Point& N : points.N)
        longest = std::max(longest, dot(N, N));
    const float degenerate = longest * kDegenerateRatio;
    const int across = points.across, down = points.down;
    const auto at = [&](int i, int k) { return std::size_t(k * across + i); };
    const auto isDegenerate = [&](int i, int k) {
        return dot(points.N[at(i, k)], points.N[at(i, k)]) <= degenerate;
    };
    for (int k = 0; k < down; ++k)
        for (int first = 0; first < across; ++first) {
            if (!isDegenerate(first, k)) continue;
            int last = first;
            while (last + 1 < across && isDegenerate(last + 1, k))
                ++last;
            Point sum;
            const int from = std::max(first - 1, 0), to = std::min(last + 1, across - 1);
            for (int i = from; i <= to; ++i)
                for (int row = std::max(k - 1, 0); row <= std::min(k + 1, down - 1); ++row)
                    if (!isDegenerate(i, row)) sum += points.N[at(i, row)];
            for (int i = first; i <= last; ++i)
                points.N[at(i, k)] = points.Ng[at(i, k)] = sum;
            first = last;
        }
}

// Each vertex's derivatives over the piece's own u and v, from its
// neighbours along the rows and down the columns: central differences
// inside, one-sided at the edges.
void Grid::differentiateVertices() {
    const float du = 1.0f / float(fNu), dv = 1.0f / float(fNv);
    for (int k = 0; k <= fNv; ++k)
        for (int i = 0; i <= fNu; ++i) {
            const int left = std::max(i - 1, 0), right = std::min(i + 1, fNu);
            const int up = std::max(k - 1, 0), down = std::min(k + 1, fNv);
            Vertex& vertex = fRows[k][i];
            vertex.dPdu =
                (fRows[k][right].P - fRows[k][left].P) * (1.0f / (float(right - left) * du));
            vertex.dPdv = (fRows[down][i].P - fRows[up][i].P) * (1.0f / (float(down - up) * dv));
        }
}

void Grid::takeDisplacedNormals(ShadingPoints& points) const {
    if (fDisplacedN.empty()) return;
    if (smoothShading()) {
        std::copy(fDisplacedN.begin(), fDisplacedN.end(), points.N.begin());
        return;
    }
    std::size_t n = 0;
    for (int j = 0; j < fNv; ++j)
        for (int i = 0; i < microRowLength(j); ++i, ++n)
            points.N[n] = fDisplacedN[vertexIndex(i, j)] + fDisplacedN[vertexIndex(i + 1, j)] +
                          fDisplacedN[vertexIndex(i, j + 1)] +
                          fDisplacedN[vertexIndex(i + 1, j + 1)];
}

void Grid::runShaders(ShadingContext& context) const {
    const auto* surface = static_cast<const Surface*>(fAttrib->surfaceShader);
    const auto* atmosphere = static_cast<const Volume*>(fAttrib->atmosphereShader);
    context.surfaceValues.bind(surface->parameters(), fShaderVars, context.points);
    surface->shade(context);
    if (!atmosphere) return;
    context.volumeValues.bind(atmosphere->parameters(), kNoValues, context.points);
    atmosphere->shade(context);
}

template <class Visit> void Grid::forEachShadedVertex(Visit visit) {
    std::size_t n = 0;
    if (smoothShading()) {
        for (int k = 0; k <= fNv; ++k)
            for (int i = 0; i < vertexRowLength(k); ++i)
                visit(n++, i, k);
        return;
    }
    // A micropolygon's colour is kept in its first corner.
    for (int j = 0; j < fNv; ++j)
        for (int i = 0; i < microRowLength(j); ++i)
            visit(n++, i, j);
}

void Grid::shade(const RenderContext& frame, ShadingContext& context) {
    const std::vector<PlannedVariable>& variables = frame.option.plan.variables;
    const int floats = frame.option.plan.variableFloats;
    fVariableFloats = floats > 0 ? floats : 0;
    if (fVariableFloats)
        fVariableValues.assign(size_t(fNu + 1) * size_t(fNv + 1) * size_t(fVariableFloats), 0.0f);
    else
        fVariableValues.clear();
    const bool hasSurface = fAttrib->surfaceShader != nullptr;
    if (!hasSurface) {
        // Without a surface shader the grid shows its colour as a constant surface would.
        Color opacity = fAttrib->opacityValue;
        Color color = fAttrib->colorValue * opacity;
        for (int k = 0; k <= fNv; ++k)
            for (int i = 0; i < vertexRowLength(k); ++i) {
                fRows[k][i].Ci = color;
                fRows[k][i].Oi = opacity;
            }
        if (!fVariableFloats) return;
    }
    placeShadingPoints(context.points);
    setStandardValues(context, frame.option.perspective == 0);
    takeDisplacedNormals(context.points);
    prepareContext(frame, context);
    if (hasSurface) runShaders(context);
    const ShadingPoints& points = context.points;
    context.outputValues.resize(variables.size());
    for (std::size_t index = 0; index < variables.size(); ++index) {
        const PlannedVariable& planned = variables[index];
        context.outputValues[index] =
            planned.variable == ShadingVariable::kShaderOutput
                ? context.shaderOutput(planned.name, planned.components, points.count)
                : ShaderValueView{};
    }
    forEachShadedVertex([&](std::size_t n, int i, int k) {
        if (hasSurface) {
            fRows[k][i].Ci = points.Ci[n];
            fRows[k][i].Oi = points.Oi[n];
        }
        if (fVariableFloats)
            recordVariables(points, n, variables, context.outputValues, variableSlot(i, k));
    });
}

void Grid::project(const RenderContext& frame) {
    if (moves()) {
        fMotionP.resize(fMotionMatrices.size() * size_t(fNv + 1) * size_t(fNu + 1));
        for (size_t key = 1; key <= fMotionMatrices.size(); ++key) {
            const Matrix& moved = fMotionMatrices[key - 1];
            for (int k = 0; k <= fNv; ++k)
                for (int i = 0; i < vertexRowLength(k); ++i) {
                    const Point camera = fRows[k][i].P * moved;
                    Point& P = fMotionP[motionIndex(int(key), i, k)];
                    P = camera * frame.cameraToRaster;
                    P.z = camera.z;
                }
        }
    }
    for (int k = 0; k <= fNv; ++k)
        for (int i = 0; i < vertexRowLength(k); ++i) {
            Point& P = fRows[k][i].P;
            float z = P.z;
            P = P * frame.cameraToRaster;
            P.z = z;
        }
    if (moves() && !frame.shutterOpens()) settleAt(frame.option.shutterOpen);
}

// Each vertex where it is at the time, between the raster positions of the
// motion's times about it; the grid moves no more.
void Grid::settleAt(float time) {
    const int keys = motionKeys();
    int key = 0;
    while (key + 1 < keys && motionTime(key + 1) <= time)
        ++key;
    float f = 0.0f;
    if (key + 1 < keys && time > motionTime(key))
        f = (time - motionTime(key)) / (motionTime(key + 1) - motionTime(key));
    for (int k = 0; k <= fNv; ++k)
        for (int i = 0; i < vertexRowLength(k); ++i) {
            const Point a = positionAt(key, i, k);
            const Point b = key + 1 < keys ? positionAt(key + 1, i, k) : a;
            fRows[k][i].P = a + (b - a) * f;
        }
    fMotionTimes.clear();
    fMotionMatrices.clear();
    fMotionP.clear();
}

} // namespace quelmark
