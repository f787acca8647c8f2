// A grid of vertices diced from one primitive: the unit of shading.
//
// Shading runs the surface and atmosphere shaders over all the shading
// points at once and leaves Ci and Oi in the vertices; projection then
// moves every vertex to raster space, keeping its camera-space depth as z.
#ifndef QEL_SHADING_GRID_H
#define QEL_SHADING_GRID_H

#include "common/Matrix.h"
#include "renderer/shading/ParameterRange.h"
#include "renderer/shading/Vertex.h"
#include "renderer/state/ArgList.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace quelmark {

class Attrib;
class Transform;
struct PlannedVariable;
struct RenderContext;
struct ShadingContext;
struct ShadingPoints;

// How many grids are alive now, the most that were alive at once and how
// many were made, since the last reset: the renderer's memory in grids.
struct GridCensus {
    long alive = 0, peak = 0, made = 0;
};

class Grid {
public:
    // Takes ownership of rows and a counted reference to attrib. The
    // primitive's "normal", "plane", "color" and "opacity" values are kept
    // apart from the shader parameters; positions are dropped. Both lists
    // are moved to camera space by the transform, which is not kept.
    Grid(int nu, int nv, Vertex** rows, Attrib* attrib, const Transform* transform,
         uint32_t sequence, short flipNormal, short triangular, const ArgList& args);
    ~Grid();
    Grid(const Grid&) = delete;
    Grid& operator=(const Grid&) = delete;

    // The part of its primitive the grid covers: shading sees the whole's
    // u and v, and the texture coordinates there.
    void setParameterRange(const ParameterRange& range) { fRange = range; }
    const ParameterRange& parameterRange() const { return fRange; }
    // The primitive's "vary" values hold one item per point of a lattice of
    // across by down cells over the grid, not its four corners.
    void setValueLattice(int across, int down) { fValueAcross = across, fValueDown = down; }

    // Runs the surface and atmosphere shaders over the grid's shading points
    // in the thread's context and leaves Ci and Oi in the vertices; keeps at
    // every shading point the values of the variables that the frame's
    // outputs show, laid out as its plan says.
    void shade(const RenderContext& frame, ShadingContext& context);
    // Begins the grid's shading, before shade: runs the attribute block's
    // displacement shader, if it has one, over the grid's vertices: moves
    // them, and takes their derivatives and the normals the surface is
    // shaded with from the moved surface.
    void displace(const RenderContext& frame, ShadingContext& context);
    // From camera to raster space, depth kept in camera space (the hider's
    // depth of the frame's context); a moving grid's positions at its later
    // times too. Under a closed shutter a moving grid settles where it is at
    // the shutter's time.
    void project(const RenderContext& frame);

    // A grid whose transform moves has its vertices' raster positions at
    // each time of the motion; the first are the vertices' own.
    bool moves() const { return !fMotionTimes.empty(); }
    int motionKeys() const { return moves() ? int(fMotionTimes.size()) : 1; }
    float motionTime(int key) const { return fMotionTimes[size_t(key)]; }
    const Point& positionAt(int key, int i, int k) const {
        return key == 0 ? fRows[k][i].P : fMotionP[motionIndex(key, i, k)];
    }

    // The kept variable values of vertex i of vertex row k; null when none
    // were kept.
    const float* variableValues(int i, int k) const {
        return fVariableValues.empty() ? nullptr : fVariableValues.data() + variableIndex(i, k);
    }
    int variableFloats() const { return fVariableFloats; }

    // Micropolygons in micropolygon row j; vertices in vertex row k.
    int microRowLength(int j) const;
    int vertexRowLength(int k) const;

    int nu() const { return fNu; }
    int nv() const { return fNv; }
    Vertex* row(int k) { return fRows[k]; }
    const Vertex* row(int k) const { return fRows[k]; }
    const Attrib* attrib() const { return fAttrib; }
    uint32_t sequence() const { return fSequence; }
    short flipNormal() const { return fFlipNormal; }
    short triangular() const { return fTriangular; }
    const ArgList& stdVars() const { return fStdVars; }
    const ArgList& shaderVars() const { return fShaderVars; }

    // Buckets holding the grid; the last to let go deletes it. Buckets on
    // different threads hold and let go of the same grid.
    std::atomic<int32_t> useCount = 0;

    // Orders grids the same way whatever order they were made in: the
    // sequence number, then the key of the primitive diced.
    uint64_t key() const { return fKey; }
    void setKey(uint64_t key) { fKey = key; }
    bool before(const Grid& other) const {
        return fSequence != other.fSequence ? fSequence < other.fSequence : fKey < other.fKey;
    }

    // Grids are counted from the first resetCensus on (tests and benchmarks
    // ask for it); until then the census is all zeros.
    static GridCensus census();
    // Starts counting, peak and made afresh from the grids alive now.
    static void resetCensus();

private:
    // Smooth shading shades every vertex; constant shading the centre of
    // every micropolygon.
    bool smoothShading() const;
    int shadingPointCount() const;
    int vertexCount() const;
    void placeShadingPoints(ShadingPoints& points) const;
    // One shading point at every vertex, whatever the shading model.
    void placeVertexPoints(ShadingPoints& points) const;
    void foldIntoTriangle(float& u, float& v) const;
    void prepareContext(const RenderContext& frame, ShadingContext& context) const;
    void differentiateVertices();
    void fillDegenerateNormals(ShadingPoints& points) const;
    // The normals a displacement left, at the shading points.
    void takeDisplacedNormals(ShadingPoints& points) const;
    std::size_t vertexIndex(int i, int k) const;
    void setStandardValues(ShadingContext& context, bool orthographic) const;
    void runShaders(ShadingContext& context) const;
    // visit(point, i, k) for every shading point, with the vertex that keeps its colour.
    template <class Visit> void forEachShadedVertex(Visit visit);

    size_t motionIndex(int key, int i, int k) const {
        return (size_t(key - 1) * size_t(fNv + 1) + size_t(k)) * size_t(fNu + 1) + size_t(i);
    }
    // From the camera space of the first time to that of each later one.
    void takeMotion(const Transform& transform);
    void settleAt(float time);

    size_t variableIndex(int i, int k) const {
        return (size_t(k) * size_t(fNu + 1) + size_t(i)) * size_t(fVariableFloats);
    }
    float* variableSlot(int i, int k) { return fVariableValues.data() + variableIndex(i, k); }

    int fNu, fNv;
    Vertex** fRows;
    Attrib* fAttrib;
    uint32_t fSequence;
    uint64_t fKey = 0;
    short fFlipNormal;
    short fTriangular;
    ArgList fStdVars;
    ArgList fShaderVars;
    Matrix fObjectToCamera;
    // The normals the displacement shader left at the vertices; none when
    // the grid has not been displaced.
    std::vector<Point> fDisplacedN;
    std::vector<float> fVariableValues;
    int fVariableFloats = 0;
    ParameterRange fRange;
    int fValueAcross = 1, fValueDown = 1;
    bool fCounted; // made while the census counted
    std::vector<float> fMotionTimes;
    std::vector<Matrix> fMotionMatrices; // for the times after the first
    std::vector<Point> fMotionP;
};

} // namespace quelmark

#endif
