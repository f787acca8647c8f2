// The parameter list of a child that covers part of its parent's square.
#ifndef QEL_GEOMETRY_SPLITARGS_H
#define QEL_GEOMETRY_SPLITARGS_H

#include "renderer/state/ArgList.h"

namespace quelmark {

// The list for the sub-square u0..u1 by v0..v1 of the parent's [0, 1]^2:
// entries with four corner values ("vary", and "vertex" on a four-corner
// primitive) take the parent's bilinear values at the child's corners, in
// the order (u0, v0), (u1, v0), (u0, v1), (u1, v1); the others are copied.
ArgList splitArgs(const ArgList& args, float u0, float u1, float v0, float v1);

} // namespace quelmark

#endif
