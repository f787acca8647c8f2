// How many values a parameter of each class holds on a primitive, by the
// rules of the RenderMan Interface.
#ifndef QEL_SCENEREAD_RIB_RICOUNTS_H
#define QEL_SCENEREAD_RIB_RICOUNTS_H

#include "sceneread/rib/RiDeclarations.h"

namespace quelmark {

struct RiCounts {
    long uniform = 1;
    long varying = 1;
    long vertex = 1;
    long facevarying = 1;

    long forClass(RiClass parameterClass) const;

    // Shaders, options and attributes: one value of every class.
    static RiCounts single() { return {}; }
    static RiCounts quadric() { return {1, 4, 4, 4}; }
    static RiCounts polygon(long vertices) { return {1, vertices, vertices, vertices}; }
    // npolys faces, corners face corners, vertices one more than the largest index.
    static RiCounts mesh(long faces, long vertices, long corners) {
        return {faces, vertices, vertices, corners};
    }
    static RiCounts patch(bool bicubic) { return {1, 4, bicubic ? 16 : 4, 4}; }
    static RiCounts patchMesh(bool bicubic, long nu, bool uPeriodic, long nv, bool vPeriodic,
                              long uStep, long vStep);
    static RiCounts nuPatch(long nu, long uorder, long nv, long vorder);

    // Patches of a mesh along one direction.
    static long patchesAlong(bool bicubic, long n, bool periodic, long step);
};

} // namespace quelmark

#endif
