// The render's texture maps through OpenImageIO's texture system: one for
// the scene and shared by its threads, with a bounded cache of tiles. A map
// is read on its first lookup; one that cannot be read is told once and
// looked up as its fill value from then on.
//
// It lives in a plugin of its own, loaded on the first lookup (TextureMaps):
// the library and all it brings take half a second and a hundred megabytes
// to load, which a scene without maps should not pay.
#ifndef QEL_TEXTURE_TEXTURESTORE_H
#define QEL_TEXTURE_TEXTURESTORE_H

#include "renderer/shading/ShaderTextures.h"
#include "renderer/texture/TextureMaking.h"

#include <cstddef>

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

namespace quelmark {

class TextureStore final : public ShaderTextures {
public:
    // A cache of at most cacheMegabytes of tiles.
    explicit TextureStore(float cacheMegabytes);
    ~TextureStore();
    TextureStore(const TextureStore&) = delete;
    TextureStore& operator=(const TextureStore&) = delete;

    TextureLookupResult texture(const std::string& name, const TextureLookupOptions& options,
                                std::span<const TextureFootprint> footprints, int channels,
                                float* out) override;
    TextureLookupResult slopes(const std::string& name, const TextureLookupOptions& options,
                               std::span<const TextureFootprint> footprints, float* out) override;
    TextureLookupResult environment(const std::string& name, const TextureLookupOptions& options,
                                    std::span<const SpatialFootprint> footprints, int channels,
                                    float* out) override;
    TextureLookupResult shadow(const std::string& name, const TextureLookupOptions& options,
                               std::span<const SpatialFootprint> footprints, float* out) override;
    void forgetMaps() override;
    // The most megabytes the cached tiles take from now on.
    void setCacheMegabytes(float megabytes);
    bool textureInfo(const std::string& name, const std::string& fact, std::vector<float>& numbers,
                     std::string& text) override;

private:
    struct ShadowMap;
    // The shadow map's depths and camera, read on its first lookup; null
    // when it cannot be read or is no depth map.
    const ShadowMap* shadowMap(const std::string& name, std::string& reason);

    bool knownFact(const std::string& name, const std::string& fact, std::vector<float>& numbers,
                   std::string& text);
    // Every value the fill value, and the failure, told the first time.
    TextureLookupResult failed(const std::string& name, std::span<float> values, float fill);
    // The failure's message the first time the map fails, else empty.
    std::string firstFailure(const std::string& name, const std::string& reason);

    struct System;
    std::unique_ptr<System> fSystem;
    std::mutex fFailuresLock;
    std::set<std::string> fFailedMaps;
    std::mutex fShadowsLock;
    std::map<std::string, std::unique_ptr<ShadowMap>> fShadowMaps;
};

} // namespace quelmark

// The plugin's entry points, the only names it shows.
extern "C" {
quelmark::ShaderTextures* pictrelMakeTextureStore(float cacheMegabytes);
void pictrelFreeTextureStore(quelmark::ShaderTextures* store);
void pictrelSetTextureMemory(quelmark::ShaderTextures* store, float megabytes);
// Writes the map's file: tiled, mip-mapped (but for shadows), with the wrap
// modes. False,
// with the reason in why (cut to whySize), when it cannot.
bool pictrelMakeTextureFile(const quelmark::TextureMaking* making, char* why, std::size_t whySize);
}

#endif
