// A request to make a map of pictures, as the plugin takes it.
#ifndef QEL_TEXTURE_TEXTUREMAKING_H
#define QEL_TEXTURE_TEXTUREMAKING_H

namespace quelmark {

enum class MapKind {
    kTexture,
    // A height field, looked up by bump().
    kBump,
    // A latitude-longitude picture of every direction: +z up (t = 0), s
    // going round from -x through +x at s = 0.5, +y at 0.75.
    kLatLongEnvironment,
    // Six pictures seen from the origin along +x, -x, +y, -y, +z and -z,
    // each through a square field of view, turned into a lat-long map.
    kCubeFaceEnvironment,
    // A depth picture with its camera's matrices.
    kShadow,
};

inline constexpr int kCubeFaces = 6;

struct TextureMaking {
    MapKind kind = MapKind::kTexture;
    // The picture; for a cube-face map, the first of faces.
    const char* picture = nullptr;
    const char* texture = nullptr;
    // A cube-face map's pictures, in the order above, and the field of
    // view each was seen through, in degrees.
    const char* const* faces = nullptr;
    float fieldOfView = 90;
    // "black", "clamp" or "periodic".
    const char* swrap = "black";
    const char* twrap = "black";
    // The filter the levels are made with: "box", "triangle", "gaussian",
    // "catmull-rom", "sinc" or "mitchell".
    const char* filter = "box";
};

} // namespace quelmark

#endif
