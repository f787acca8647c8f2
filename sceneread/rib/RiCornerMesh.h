// A polygon mesh with values per face corner ("facevarying" or "facevertex"
// parameters). The scene API's meshes carry values per point, so each face
// corner becomes a point of its own: the vertex list counts the corners in
// order, values per point are gathered to the corners they stand at, and
// values per corner stay as they are.
#ifndef QEL_SCENEREAD_RIB_RICORNERMESH_H
#define QEL_SCENEREAD_RIB_RICORNERMESH_H

#include "sceneread/rib/RiDeclarations.h"
#include "sceneread/rib/ri.h"

#include <cstdint>
#include <vector>

namespace quelmark {

class RiCornerMesh {
public:
    // Whether any parameter of the list has values per face corner.
    static bool needed(const RiDeclarations& declarations, RtInt n, const RtToken tokens[]);

    // vertices holds the point of each of corners face corners.
    RiCornerMesh(long corners, const RtInt vertices[], int colorSamples,
                 const RiDeclarations& declarations, RtInt n, const RtToken tokens[],
                 const RtPointer values[]);

    // The corners, one point each: 0, 1, 2, ...
    const RtInt* vertices() const { return fVertices.data(); }
    const RtPointer* values() const { return fValues.data(); }

private:
    std::vector<RtInt> fVertices;
    std::vector<std::vector<uint32_t>> fGathered;
    std::vector<RtPointer> fValues;
};

} // namespace quelmark

#endif
