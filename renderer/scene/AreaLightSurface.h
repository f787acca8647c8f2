// The surface an area light shines from: the primitives made under it give
// it pieces of their surfaces as they are requested.
#ifndef QEL_SCENE_AREALIGHTSURFACE_H
#define QEL_SCENE_AREALIGHTSURFACE_H

namespace quelmark {

class Light;
class Primitive;
struct RenderContext;

// Gives the light elements of the primitive's surface. A primitive made of
// others (a polygon, a mesh, a patch mesh) is split for them, up to
// kMostAreaLightPieces pieces; a procedural gives none, its requests being
// run only when it is rendered.
void giveSurfaceToLight(Primitive& primitive, Light& light, const RenderContext& context);

inline constexpr int kMostAreaLightPieces = 256;

} // namespace quelmark

#endif
