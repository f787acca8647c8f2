// Levels of detail.
//
// An object given in several representations has a detail bound, and each
// representation a range of detail [least visible, lower transition, upper
// transition, most visible]. The detail is the raster area of the bound (the
// extent of its eight corners, projected) times the relative detail. A
// representation is seen whole between its transitions, not at all outside
// its range, and fades in and out across the transitions: there each sample
// sees it when a draw of the sample's own, in [0, 1), lies in its window.
// The fading-out representation's window begins where the fading-in one's
// ends, so that ranges that meet share the samples out between them.
#ifndef QEL_STATE_DETAILLEVEL_H
#define QEL_STATE_DETAILLEVEL_H

#include "common/Matrix.h"
#include "common/Point.h"

namespace quelmark {

// The draws [from, to) that see a representation.
struct DetailWindow {
    float from = 0.0f, to = 1.0f;

    bool empty() const { return !(from < to); }
    bool whole() const { return from <= 0.0f && to >= 1.0f; }
    bool sees(float draw) const { return draw >= from && draw < to; }
};

// The raster area of the extent of the eight camera-space corners; as large
// as a float goes when a corner lies at or behind the eye under perspective.
float detailArea(const Point (&corners)[8], const Matrix& cameraToRaster, bool perspective);

// The window of a representation of the given range at the given detail.
DetailWindow detailWindow(float detail, const float (&range)[4]);

} // namespace quelmark

#endif
