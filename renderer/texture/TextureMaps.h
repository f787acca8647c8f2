// The texture maps of a scene, as shaders look them up and requests make
// them: the texture store plugin, loaded on the first use, which every
// lookup then goes to. Without the plugin every lookup gives its fill
// value, and the reason is told once.
#ifndef QEL_TEXTURE_TEXTUREMAPS_H
#define QEL_TEXTURE_TEXTUREMAPS_H

#include "renderer/shading/ShaderTextures.h"
#include "renderer/texture/TextureMaking.h"

#include <future>
#include <map>
#include <mutex>
#include <string>
#include <vector>

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
    TextureLookupResult slopes(const std::string& name, const TextureLookupOptions& options,
                               std::span<const TextureFootprint> footprints, float* out) override;
    TextureLookupResult environment(const std::string& name, const TextureLookupOptions& options,
                                    std::span<const SpatialFootprint> footprints, int channels,
                                    float* out) override;
    TextureLookupResult shadow(const std::string& name, const TextureLookupOptions& options,
                               std::span<const SpatialFootprint> footprints, float* out) override;
    void forgetMaps() override;
    bool textureInfo(const std::string& name, const std::string& fact, std::vector<float>& numbers,
                     std::string& text) override;
    // Loads the store on a thread of its own, so that the first lookup does
    // not wait for it; once.
    void loadInBackground();
    // Where maps named without a folder are looked for: places separated by
    // ':', in order; a map in none of them is looked up by its name as given.
    void setSearchPath(const std::string& places);
    // The most megabytes the tiles read may take, from now on. Between
    // frames only: lookups may not run meanwhile.
    void setCacheMegabytes(float megabytes);
    // Writes the map of the picture or pictures (looked for along the search
    // path); false, with the reason, when it cannot be made.
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
    // The file a map's name stands for, along the search path.
    std::string located(const std::string& name);
    // The fill value in every value asked for, and the reason there are no
    // maps, told once.
    TextureLookupResult noMaps(std::size_t values, float fill, float* out);

    float fCacheMegabytes;
    std::once_flag fLoaded, fMade, fLoadStarted;
    std::future<void> fLoading;
    void* fPlugin = nullptr;
    ShaderTextures* fStore = nullptr;
    void (*fFree)(ShaderTextures*) = nullptr;
    void (*fSetCache)(ShaderTextures*, float) = nullptr;
    std::string fLoadFailure;
    std::once_flag fFailureTold;
    std::mutex fPlacesLock;
    std::vector<std::string> fPlaces;
    std::map<std::string, std::string> fLocated;
};

} // namespace quelmark

#endif
