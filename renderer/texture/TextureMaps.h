// The texture maps of a scene, as shaders look them up and requests make
// them: the texture store plugin, loaded on the first use, which every
// lookup then goes to. Without the plugin every lookup gives its fill
// value, and the reason is told once.
#ifndef QEL_TEXTURE_TEXTUREMAPS_H
#define QEL_TEXTURE_TEXTUREMAPS_H

#include "renderer/shading/ShaderTextures.h"
#include "renderer/texture/TextureMaking.h"

#include <mutex>
#include <string>

namespace quelmark {

class TextureMaps final : public ShaderTextures {
public:
    // A cache of at most cacheMegabytes of tiles, once the store is made.
    explicit TextureMaps(float cacheMegabytes = kDefaultCacheMegabytes);
    ~TextureMaps();
    TextureMaps(const TextureMaps&) = delete;
    TextureMaps& operator=(const TextureMaps&) = delete;

    TextureLookupResult texture(const std::string& name, const TextureLookupOptions& options,
                                std::span<const TextureFootprint> footprints, int channels,
                                float* out) override;
    void forgetMaps() override;
    bool textureInfo(const std::string& name, const std::string& fact, std::vector<float>& numbers,
                     std::string& text) override;
    // Writes the picture's texture map; false, with the reason, when it
    // cannot be made.
    bool makeTexture(const TextureMaking& making, std::string& why);

    static constexpr float kDefaultCacheMegabytes = 256;
    // The plugin's file, looked for beside the module this code is in and
    // in the lib folder beside that one's folder.
    static constexpr const char* kPluginFile = "libpictrel_textures.so";

private:
    // The plugin, loaded on the first call; null, with fLoadFailure set,
    // when it cannot be loaded.
    void* plugin();
    // The store, made on the first call; null when it cannot be.
    ShaderTextures* store();

    float fCacheMegabytes;
    std::once_flag fLoaded, fMade;
    void* fPlugin = nullptr;
    ShaderTextures* fStore = nullptr;
    void (*fFree)(ShaderTextures*) = nullptr;
    std::string fLoadFailure;
    std::once_flag fFailureTold;
};

} // namespace quelmark

#endif
