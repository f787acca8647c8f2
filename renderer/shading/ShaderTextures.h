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

// Where a point looks an environment or shadow map up: a direction (of an
// environment) or a position in world space (of a shadow), and how it
// changes over one step of the grid along u and along v.
struct SpatialFootprint {
    float at[3] = {0, 0, 0};
    float alongU[3] = {0, 0, 0};
    float alongV[3] = {0, 0, 0};
};

// The optional parameters of a lookup, as the shading language names them.
struct TextureLookupOptions {
    int firstChannel = 0;
    float sblur = 0, tblur = 0;
    float swidth = 1, twidth = 1;
    float fill = 0;
    // "box", "gaussian" and the like; the store's own filter for any name.
    std::string filter;
    // Of shadow lookups: the depths compared over the footprint, and how
    // much nearer than the point a depth must be to shadow it (a negative
    // bias stands for the default).
    float samples = kDefaultShadowSamples;
    float bias = -1;

    static constexpr float kDefaultShadowSamples = 16;
    static constexpr float kDefaultShadowBias = 0.225f;
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
    // How steeply the map's channel rises at each footprint: its change
    // over a unit of s and over a unit of t, two floats a point (0 where
    // the map cannot be read).
    virtual TextureLookupResult slopes(const std::string& name, const TextureLookupOptions& options,
                                       std::span<const TextureFootprint> footprints,
                                       float* out) = 0;
    // Looks up `channels` channels of the environment map in each
    // footprint's direction; as texture() otherwise.
    virtual TextureLookupResult environment(const std::string& name,
                                            const TextureLookupOptions& options,
                                            std::span<const SpatialFootprint> footprints,
                                            int channels, float* out) = 0;
    // The share of each footprint's surface that the shadow map's depths
    // hide from its camera (0 lit, 1 in shadow), one float a point; the
    // fill value where the map cannot be read.
    virtual TextureLookupResult shadow(const std::string& name, const TextureLookupOptions& options,
                                       std::span<const SpatialFootprint> footprints,
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
