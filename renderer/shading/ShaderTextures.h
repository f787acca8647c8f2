// Texture maps as shaders look them up: the renderer's store of them,
// shared by every thread of a render, cached and filtered over each
// point's footprint.
#ifndef QEL_SHADING_SHADERTEXTURES_H
#define QEL_SHADING_SHADERTEXTURES_H

#include <span>
#include <string>
#include <vector>

namespace quelmark {

// Where a point looks a map up: its s and t, and how far they change over
// one step of the grid along u and along v.
struct TextureFootprint {
    float s = 0, t = 0;
    float dsdu = 0, dtdu = 0;
    float dsdv = 0, dtdv = 0;
};

// The optional parameters of a lookup, as the shading language names them.
struct TextureLookupOptions {
    int firstChannel = 0;
    float sblur = 0, tblur = 0;
    float swidth = 1, twidth = 1;
    float fill = 0;
    // "box", "gaussian" and the like; the store's own filter for any name.
    std::string filter;
};

// What a lookup found: the map and its values, or why not (said once for
// each map, the first time it fails).
struct TextureLookupResult {
    bool found = false;
    std::string firstFailure;
};

class ShaderTextures {
public:
    // Looks up `channels` channels of the map at each footprint, into out
    // (channels floats a point). A map that cannot be read gives the fill
    // value in every channel.
    virtual TextureLookupResult texture(const std::string& name,
                                        const TextureLookupOptions& options,
                                        std::span<const TextureFootprint> footprints, int channels,
                                        float* out) = 0;
    // Forgets the maps read, so that files made or changed since are read
    // again.
    virtual void forgetMaps() = 0;
    // What the map says of itself: "resolution" (2 numbers), "channels"
    // (1), "type" (text: "texture", "shadow" or "environment"),
    // "viewingmatrix" and "projectionmatrix" (16). False for a map that
    // cannot be read or a fact it does not hold.
    virtual bool textureInfo(const std::string& name, const std::string& fact,
                             std::vector<float>& numbers, std::string& text) = 0;

protected:
    ~ShaderTextures() = default;
};

} // namespace quelmark

#endif
