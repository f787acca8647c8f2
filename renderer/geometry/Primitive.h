// The base of every geometric primitive, and the record that a primitive
// shares with every child split from it.
//
// The scene driver asks a primitive whether it is small and flat enough to
// be diced; one that is becomes a Grid, one that is not splits into smaller
// primitives of its own kind, which go back into the scene.
#ifndef QEL_GEOMETRY_PRIMITIVE_H
#define QEL_GEOMETRY_PRIMITIVE_H

#include "common/Bound.h"
#include "common/Point.h"
#include "common/SurfaceElement.h"
#include "renderer/shading/ParameterRange.h"
#include "renderer/state/ArgList.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace quelmark {

class Attrib;
class Grid;
class PrimitiveSink;
struct Vertex;
class Transform;
struct RenderContext;

// The class codes of primitives: every primitive of a retained object has
// the same one.
namespace primitive_class {
constexpr int32_t kPlain = 0; // Primitive, Triangle, Quadric
constexpr int32_t kConvexPolygon = 1;
constexpr int32_t kGeneralPolygon = 2;
constexpr int32_t kConvexPolygonMesh = 3;
constexpr int32_t kGeneralPolygonMesh = 4;
constexpr int32_t kPatch = 5; // BilinearPatch, NuPatch, NURB
constexpr int32_t kBicubicPatch = 6;
constexpr int32_t kNuPatchMesh = 7;
constexpr int32_t kSphere = 8;
constexpr int32_t kCone = 9;
constexpr int32_t kCylinder = 10;
constexpr int32_t kHyperboloid = 11;
constexpr int32_t kParaboloid = 12;
constexpr int32_t kDisk = 13;
constexpr int32_t kTorus = 14;
constexpr int32_t kObject = 15;
constexpr int32_t kProcedural = 16;
constexpr int32_t kPatchMesh = 17;
} // namespace primitive_class

// The grid a primitive is diced into: micropolygons along u and v.
struct GridSize {
    uint16_t u = 1, v = 1;
};

// Whether a primitive may be diced now, and the grid it would be diced into
// (measured even when it may not).
struct DiceDecision {
    bool diceable = false;
    GridSize size;
    explicit operator bool() const { return diceable; }
};

// The sequence number and the counted attribute and transform snapshots of
// one request, shared by the primitive it made and all that split from it.
class PrimitiveCommon {
public:
    // Takes the sequence number and the graphics state's current attribute
    // and transform snapshots.
    explicit PrimitiveCommon(uint32_t sequence);
    ~PrimitiveCommon();
    PrimitiveCommon(const PrimitiveCommon&) = delete;
    PrimitiveCommon& operator=(const PrimitiveCommon&) = delete;

    // Lets go of the held snapshots, takes the current ones instead and
    // carries the given sequence number from now on.
    void inherit(uint32_t sequence);

    uint32_t sequence() const { return fSequence; }
    void setSequence(uint32_t sequence) { fSequence = sequence; }
    Attrib* attrib() const { return fAttrib; }
    Transform* transform() const { return fTransform; }

    // The primitives sharing this record; a mesh of millions of pieces can
    // share one, on every thread of the renderer.
    std::atomic<int32_t> holders = 0;

private:
    void takeCurrentSnapshots();
    void releaseSnapshots();

    uint32_t fSequence;
    Attrib* fAttrib = nullptr;
    Transform* fTransform = nullptr;
};

class Primitive {
public:
    // With a new common record, which takes the next sequence number.
    Primitive();
    // Shares the other's common record; the parameter list starts empty. The
    // key is derived from the other's key and how many children it made.
    Primitive(const Primitive& other);
    Primitive& operator=(const Primitive&) = delete;
    virtual ~Primitive();

    // The class code, one of primitive_class.
    virtual int32_t type() const;
    // In object space; unbounded here.
    virtual Boundw bound() const;
    // Whether the primitive may be diced now, and into what grid, seen
    // through the frame's camera; a negative limit asks for the grid edge
    // limit times the edge length.
    virtual DiceDecision diceable(const RenderContext& context, float limit);
    // A grid of the given size in camera space, as a diceable decision on
    // this primitive chose it.
    virtual Grid* dice(GridSize size);
    virtual short canSplit() const;
    // Hands the children to the sink; none here.
    virtual void split(PrimitiveSink& sink);
    virtual short rational() const;
    // The part of its request's primitive this piece covers; the whole here.
    virtual ParameterRange parameterRange() const { return {}; }
    // Position and derivatives over the primitive's own u, v in [0, 1];
    // here the origin with w = 1.
    virtual Pointw evalP(float u, float v) const;
    virtual Pointw evaldPdu(float u, float v) const;
    virtual Pointw evaldPdv(float u, float v) const;

    // Pieces of the surface in camera space, for an area light to shine
    // from: cells × cells pieces of the primitive's own u and v, each at its
    // centre, facing as the surface does. A primitive made of others (a
    // polygon, a mesh) has none of its own: the pieces it splits into do.
    virtual void surfaceElements(int cells, std::vector<SurfaceElement>& out) const;

    // Made by the requests of parent's subdivision: takes the parent's
    // sequence number and a key derived from its key instead of its own.
    virtual void followParent(const Primitive& parent);

protected:
    // Puts the object-space position and derivatives at u = i / nu,
    // v = j / nv into vertex i of row j, for the whole grid; by default one
    // point at a time through evalP, evaldPdu and evaldPdv.
    virtual void evalLattice(Vertex** rows, int nu, int nv) const;
    // Whether the surface faces against dPdu × dPdv, by its orientation and
    // the handedness of its transform.
    bool facesReversed() const;

public:

    PrimitiveCommon& common() const { return *fCommon; }
    uint32_t sequence() const { return fCommon->sequence(); }
    Attrib* attrib() const { return fCommon->attrib(); }
    Transform* transform() const { return fCommon->transform(); }
    const ArgList& args() const { return fArgs; }
    ArgList& args() { return fArgs; }
    // The same for a primitive however the work was ordered: fixed by the
    // request that made it and the splits that led to it.
    uint64_t key() const { return fKey; }

    // Belongs to the scene driver, which dices only primitives that have it.
    unsigned char dicePermitted = 1;

private:
    // Beside the flag, where the padding would be: every byte counts in a
    // mesh of millions of pieces.
    mutable uint32_t fChildren = 0;

public:
    // The next sequence number to hand out; the scene begin resets it. Only
    // requests take numbers: on the caller's thread, or under the scene's
    // lock while a procedural subdivides.
    static uint32_t fCurSeq;

protected:
    ArgList fArgs;

private:
    uint64_t childKey() const;

    PrimitiveCommon* fCommon;
    uint64_t fKey;
};

} // namespace quelmark

#endif
