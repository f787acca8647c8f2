// Named coordinate spaces: the standard ones ("raster", "image", "eye",
// "world", "model") and those marked by name from the current transform.
// Every space is known by its matrix to camera space.
#ifndef QEL_STATE_NAMEDSPACES_H
#define QEL_STATE_NAMEDSPACES_H

namespace quelmark {

// Names the current transform as a coordinate space.
void markSpace(unsigned short name);

// Transforms points in place from one named space to another; the points, or
// null when the request was refused.
float (*projectPoints(unsigned short fromSpace, unsigned short toSpace, long n,
                      float points[][3]))[3];

void clearMarkedSpaces();

} // namespace quelmark

#endif
