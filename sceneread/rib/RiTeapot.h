// Geometry "teapot": the standard teapot of RenderMan renderers, Newell's
// 32 bicubic Bezier patches, about 6.5 units across the spout and handle
// and 3.15 tall, standing on z = 0 in the current space.
#ifndef QEL_SCENEREAD_RIB_RITEAPOT_H
#define QEL_SCENEREAD_RIB_RITEAPOT_H

namespace quelmark {

// Issues the patches, with the Bezier basis, in an attribute block of their own.
void emitTeapot();

} // namespace quelmark

#endif
