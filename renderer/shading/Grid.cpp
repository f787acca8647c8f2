#include "renderer/shading/Grid.h"

#include "common/Quark.h"
#include "renderer/shading/ShaderCopies.h"
#include "renderer/shading/ShadingFunctions.h"
#include "renderer/shading/Surface.h"
#include "renderer/shading/Volume.h"
#include "renderer/state/Attrib.h"
#include "renderer/state/Camera.h"
#include "renderer/state/Option.h"
#include "renderer/state/OutputPlan.h"
#include "renderer/state/ParmList.h"
#include "renderer/state/Transform.h"

#include <atomic>

namespace {

bool isStandardVariable(unsigned short quark) {
    return quark >= kQuarkNormal && quark <= kQuarkOpacity;
}

bool isPosition(unsigned short quark) { return quark >= kQuarkPoint && quark <= kQuarkPointw; }

// The values a shading point starts from, and the primitive's own values
// laid over them.
struct StandardValues {
    Point N, Ng;
    Color Cs, Os;
    ParmList parms;

    explicit StandardValues(const Attrib& attrib) : Cs(attrib.colorValue), Os(attrib.opacityValue) {
        parms.bind(kQuarkNormal, &N);
        parms.bind(kQuarkPlane, &Ng);
        parms.bind(kQuarkColor, &Cs);
        parms.bind(kQuarkOpacity, &Os);
    }
};

} // namespace

namespace {

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
    gGridsPeak = gGridsAlive.load();
    gGridsMade = 0;
}

Grid::Grid(int nu, int nv, Vertex** rows, Attrib* attrib, const Transform* transform,
           uint32_t sequence, short flipNormal, short triangular, const ArgList& args)
    : fNu(nu), fNv(nv), fRows(rows), fAttrib(retainSnapshot(attrib)), fSequence(sequence),
      fFlipNormal(flipNormal), fTriangular(triangular) {
    countGridMade();
    for (const ArgAssoc& entry : args) {
        if (isStandardVariable(entry.quark))
            fStdVars.add(entry);
        else if (!isPosition(entry.quark))
            fShaderVars.add(entry);
    }
    if (transform) {
        fStdVars.project(transform->matrix());
        fShaderVars.project(transform->matrix());
    }
}

Grid::~Grid() {
    --gGridsAlive;
    freeVertices(fRows, fNv);
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

struct ShadingPoint {
    Point P, dPdu, dPdv;
    float u, v;
};

// The values of one shading point before the surface shader runs.
struct PointValues {
    Point P, N, Ng;
    Color Cs, Os;
    float s, t, u, v;
};

class GridShader {
public:
    // Without a surface the shader only finds the point values.
    GridShader(const Grid& grid, Surface* surface, Volume* atmosphere,
               const List<Light*>* lights)
        : fGrid(grid), fAttrib(*grid.attrib()), fSurface(surface), fAtmosphere(atmosphere),
          fValues(fAttrib), fHasNormal(grid.stdVars().find(kQuarkNormal) != nullptr),
          fOrthographic(gOption->perspective == 0) {
        if (!fSurface) return;
        const ParameterRange& range = grid.parameterRange();
        fSurface->du = (range.u1 - range.u0) / float(grid.nu());
        fSurface->dv = (range.v1 - range.v0) / float(grid.nv());
        fSurface->lights = lights;
    }

    PointValues valuesAt(ShadingPoint& point) {
        foldTriangle(point);
        const float* st = fAttrib.textureST;
        fValues.Ng = point.dPdu ^ point.dPdv;
        if (fGrid.flipNormal()) fValues.Ng = -fValues.Ng;
        fValues.parms.override(fGrid.stdVars());
        fValues.parms.bilerp(point.u, point.v, fGrid.stdVars());
        if (!fHasNormal) fValues.N = fValues.Ng;
        // The primitive's own u and v, over the whole of it.
        const float u = fGrid.parameterRange().u(point.u), v = fGrid.parameterRange().v(point.v);
        return PointValues{point.P,
                           fValues.N,
                           fValues.Ng,
                           fValues.Cs,
                           fValues.Os,
                           bilerp(u, v, st[0], st[2], st[4], st[6]),
                           bilerp(u, v, st[1], st[3], st[5], st[7]),
                           u,
                           v};
    }

    void shadeInto(const ShadingPoint& point, const PointValues& values, Vertex& destination) {
        Surface& surface = *fSurface;
        Point E = fOrthographic ? Point(point.P.x, point.P.y, 0.0f) : Point(0.0f, 0.0f, 0.0f);
        surface.P = point.P;
        surface.dPdu = point.dPdu;
        surface.dPdv = point.dPdv;
        surface.N = values.N;
        surface.Ng = values.Ng;
        surface.E = E;
        surface.u = values.u;
        surface.v = values.v;
        surface.s = values.s;
        surface.t = values.t;
        surface.Cs = values.Cs;
        surface.Os = values.Os;
        surface.I = point.P - E;
        surface.defaultOutputs();
        surface.bilerp(point.u, point.v, fGrid.shaderVars());
        surface.evaluate();
        if (!fAtmosphere) {
            destination.Ci = surface.Ci;
            destination.Oi = surface.Oi;
            return;
        }
        Volume& volume = *fAtmosphere;
        volume.P = point.P;
        volume.E = E;
        volume.I = point.P - E;
        volume.Ci = surface.Ci;
        volume.Oi = surface.Oi;
        volume.defaultOutputs();
        volume.evaluate();
        destination.Ci = volume.Ci;
        destination.Oi = volume.Oi;
    }

private:
    // A triangular grid folds points past its diagonal back inside.
    void foldTriangle(ShadingPoint& point) const {
        if (!fGrid.triangular() || point.u + point.v <= 1.0f) return;
        if (fGrid.nu() < fGrid.nv())
            point.u = 1.0f - point.v;
        else
            point.v = 1.0f - point.u;
    }

    const Grid& fGrid;
    const Attrib& fAttrib;
    Surface* fSurface;
    Volume* fAtmosphere;
    StandardValues fValues;
    bool fHasNormal;
    bool fOrthographic;
};

void put(float*& out, const Point& p) {
    *out++ = p.x, *out++ = p.y, *out++ = p.z;
}

void put(float*& out, const Color& c) {
    *out++ = c.r, *out++ = c.g, *out++ = c.b;
}

void recordVariables(const PointValues& values, const std::vector<PlannedVariable>& variables,
                     float* record) {
    for (const PlannedVariable& planned : variables) {
        float* out = record + planned.offset;
        switch (planned.variable) {
        case ShadingVariable::kP:
            put(out, values.P);
            break;
        case ShadingVariable::kN:
            put(out, normalize(values.N));
            break;
        case ShadingVariable::kNg:
            put(out, normalize(values.Ng));
            break;
        case ShadingVariable::kCs:
            put(out, values.Cs);
            break;
        case ShadingVariable::kOs:
            put(out, values.Os);
            break;
        case ShadingVariable::kS:
            *out = values.s;
            break;
        case ShadingVariable::kT:
            *out = values.t;
            break;
        case ShadingVariable::kU:
            *out = values.u;
            break;
        case ShadingVariable::kV:
            *out = values.v;
            break;
        }
    }
}

} // namespace

void Grid::shade() {
    shade({}, 0);
}

void Grid::shade(const std::vector<PlannedVariable>& variables, int floats) {
    fVariableFloats = floats > 0 ? floats : 0;
    if (fVariableFloats)
        fVariableValues.assign(size_t(fNu + 1) * size_t(fNv + 1) * size_t(fVariableFloats), 0.0f);
    else
        fVariableValues.clear();
    Shader* surface = fAttrib->surfaceShader;
    if (!surface) {
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
    Shader* atmosphere = fAttrib->atmosphereShader;
    const List<Light*>* lights = &fAttrib->activeLights;
    if (ShaderCopies* copies = ShaderCopies::current()) {
        surface = copies->copy(surface);
        atmosphere = copies->copy(atmosphere);
        lights = copies->copy(lights);
    }
    GridShader shader(*this, static_cast<Surface*>(surface), static_cast<Volume*>(atmosphere),
                      lights);
    auto shadeAt = [&](ShadingPoint& point, int i, int k) {
        PointValues values = shader.valuesAt(point);
        if (surface) shader.shadeInto(point, values, fRows[k][i]);
        if (fVariableFloats) recordVariables(values, variables, variableSlot(i, k));
    };
    ShadingPoint point;
    if (fAttrib->shadingModelCode == 0x501) {
        for (int k = 0; k <= fNv; ++k)
            for (int i = 0; i < vertexRowLength(k); ++i) {
                const Vertex& vertex = fRows[k][i];
                point = {vertex.P, vertex.dPdu, vertex.dPdv, float(i) / float(fNu),
                         float(k) / float(fNv)};
                shadeAt(point, i, k);
            }
        return;
    }
    for (int j = 0; j < fNv; ++j)
        for (int i = 0; i < microRowLength(j); ++i) {
            const Vertex &a = fRows[j][i], &b = fRows[j][i + 1];
            const Vertex &c = fRows[j + 1][i], &d = fRows[j + 1][i + 1];
            point.P = (a.P + b.P + c.P + d.P) * 0.25f;
            point.dPdu = a.dPdu + b.dPdu + c.dPdu + d.dPdu;
            point.dPdv = a.dPdv + b.dPdv + c.dPdv + d.dPdv;
            point.u = (float(i) + 0.5f) / float(fNu);
            point.v = (float(j) + 0.5f) / float(fNv);
            shadeAt(point, i, j);
        }
}

void Grid::project() {
    const Option& option = *gOption;
    float nearClip = option.nearClip;
    float depthRange = option.farClip - option.nearClip;
    for (int k = 0; k <= fNv; ++k)
        for (int i = 0; i < vertexRowLength(k); ++i) {
            Point& P = fRows[k][i].P;
            float z = P.z;
            if (option.depthNormalize) z = (z - nearClip) / depthRange;
            P = P * gCameraToRaster;
            P.z = z;
        }
}
