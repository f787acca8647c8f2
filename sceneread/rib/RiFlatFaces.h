// Polygons of zero area, which exporters write now and then for collapsed
// geometry. RenderMan renderers leave them out without an error, and so does
// the binding, with one warning per file; the scene API would refuse them
// as errors.
#ifndef QEL_SCENEREAD_RIB_RIFLATFACES_H
#define QEL_SCENEREAD_RIB_RIFLATFACES_H

#include "sceneread/rib/RiDeclarations.h"
#include "sceneread/rib/ri.h"

#include <cstdint>
#include <vector>

namespace quelmark {

// The positions a parameter list gives: "P", or "Pw" divided by w.
class RiPositions {
public:
    RiPositions(const RiDeclarations& declarations, RtInt n, const RtToken tokens[],
                const RtPointer values[]);
    bool known() const { return fValues != nullptr; }
    // Whether the loop through count points has zero area: the points
    // indices names, or the first count points when indices is null. False
    // when no positions are known.
    bool zeroArea(const RtInt* indices, long count) const;

private:
    const RtFloat* fValues = nullptr;
    int fWidth = 3;
};

// A mesh of faces of one or more loops without its faces of zero area (by
// their first loop): the counts and indices of the faces kept, and their
// values per face and per face corner; values per point stay as they are.
class RiMeshFaces {
public:
    // nloops null: every face one loop.
    RiMeshFaces(long faces, const RtInt nloops[], const RtInt nvertices[], const RtInt vertices[],
                const RiPositions& positions);

    long dropped() const { return fDropped; }
    long faces() const { return long(fLoopsKept.size()); }
    long loops() const { return long(fVerticesKept.size()); }
    long corners() const { return long(fCornersKept.size()); }
    const RtInt* nloops() const { return fLoopsKept.data(); }
    const RtInt* nvertices() const { return fVerticesKept.data(); }
    const RtInt* vertices() const { return fCornersKept.data(); }

    // The values of the faces kept; valid while this mesh lives.
    const RtPointer* values(const RiDeclarations& declarations, int colorSamples, RtInt n,
                            const RtToken tokens[], const RtPointer values[]);

private:
    long fDropped = 0;
    std::vector<RtInt> fLoopsKept, fVerticesKept, fCornersKept;
    std::vector<long> fFacesKept;  // the original number of each face kept
    std::vector<long> fCornerFrom; // the original corner of each corner kept
    std::vector<std::vector<uint32_t>> fKeptValues;
    std::vector<RtPointer> fValues;
};

} // namespace quelmark

#endif
