// Named coordinate spaces: the standard ones ("raster", "image", "eye",
// "world", "model") and those marked by name from the current transform.
// Every space is known by its matrix to camera space.
#ifndef QEL_STATE_NAMEDSPACES_H
#define QEL_STATE_NAMEDSPACES_H

#include "common/Matrix.h"

#include <string>
#include <vector>

namespace quelmark {

// A space marked by name, as compiled shaders look it up.
struct MarkedSpace {
    std::string name;
    Matrix toCamera;
};

// Names the current transform as a coordinate space.
void markSpace(unsigned short name);

// Transforms points in place from one named space to another; the points, or
// null when the request was refused.
float (*projectPoints(unsigned short fromSpace, unsigned short toSpace, long n,
                      float points[][3]))[3];

void clearMarkedSpaces();

// The spaces marked so far, each with its latest matrix.
std::vector<MarkedSpace> markedSpaces();

} // namespace quelmark

#endif
