// A request to make a texture map of a picture, as the plugin takes it.
#ifndef QEL_TEXTURE_TEXTUREMAKING_H
#define QEL_TEXTURE_TEXTUREMAKING_H

namespace quelmark {

struct TextureMaking {
    const char* picture = nullptr;
    const char* texture = nullptr;
    // "black", "clamp" or "periodic".
    const char* swrap = "black";
    const char* twrap = "black";
    // The filter the levels are made with: "box", "triangle", "gaussian",
    // "catmull-rom", "sinc" or "mitchell".
    const char* filter = "box";
};

} // namespace quelmark

#endif
