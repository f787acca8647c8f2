#include "renderer/texture/TextureMaps.h"

#include "common/SearchPath.h"

#include <dlfcn.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <system_error>
#include <vector>

namespace quelmark {

namespace {

using MakeStore = ShaderTextures* (*)(float);
using FreeStore = void (*)(ShaderTextures*);
using SetCache = void (*)(ShaderTextures*, float);
using MakeFile = bool (*)(const TextureMaking*, char*, std::size_t);
constexpr std::size_t kReasonSize = 512;

// The folder of the module (program or library) this code was linked into.
std::filesystem::path ownFolder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&ownFolder), &info) == 0 || !info.dli_fname) return {};
    std::error_code error;
    const std::filesystem::path module = std::filesystem::canonical(info.dli_fname, error);
    return error ? std::filesystem::path() : module.parent_path();
}

std::vector<std::filesystem::path> pluginPlaces() {
    const std::filesystem::path folder = ownFolder();
    return {folder / TextureMaps::kPluginFile,
            folder.parent_path() / "lib" / TextureMaps::kPluginFile};
}

} // namespace

TextureMaps::TextureMaps(float cacheMegabytes) : fCacheMegabytes(cacheMegabytes) {}

void TextureMaps::loadInBackground() {
    std::call_once(fLoadStarted, [this] {
        try {
            fLoading = std::async(std::launch::async, [this] { store(); });
        } catch (const std::system_error&) {
            // No thread to spare: the first lookup loads it.
        }
    });
}

TextureMaps::~TextureMaps() {
    if (fLoading.valid()) fLoading.wait();
    // The plugin stays loaded: the texture system's own threads and static
    // state outlive the store.
    if (fStore && fFree) fFree(fStore);
}

void* TextureMaps::plugin() {
    std::call_once(fLoaded, [this] {
        std::string reasons;
        for (const std::filesystem::path& place : pluginPlaces()) {
            std::error_code error;
            if (!std::filesystem::exists(place, error)) continue;
            fPlugin = dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (fPlugin) return;
            const char* why = dlerror();
            reasons = why ? why : place.string();
        }
        fLoadFailure = "texture maps cannot be read or made: " +
                       (reasons.empty() ? std::string(kPluginFile) + " is not installed" : reasons);
    });
    return fPlugin;
}

ShaderTextures* TextureMaps::store() {
    std::call_once(fMade, [this] {
        void* loaded = plugin();
        if (!loaded) return;
        const auto make = reinterpret_cast<MakeStore>(dlsym(loaded, "pictrelMakeTextureStore"));
        fFree = reinterpret_cast<FreeStore>(dlsym(loaded, "pictrelFreeTextureStore"));
        fSetCache = reinterpret_cast<SetCache>(dlsym(loaded, "pictrelSetTextureMemory"));
        fStore = make && fFree ? make(fCacheMegabytes) : nullptr;
        if (!fStore) fLoadFailure = std::string(kPluginFile) + " makes no texture store";
    });
    return fStore;
}

bool TextureMaps::makeTexture(const TextureMaking& making, std::string& why) {
    void* loaded = plugin();
    const auto make =
        loaded ? reinterpret_cast<MakeFile>(dlsym(loaded, "pictrelMakeTextureFile")) : nullptr;
    if (!make) {
        why = loaded ? std::string(kPluginFile) + " makes no texture files" : fLoadFailure;
        return false;
    }
    char reason[kReasonSize] = "";
    TextureMaking along = making;
    const std::string picture = located(making.picture ? making.picture : "");
    along.picture = picture.c_str();
    std::array<std::string, kCubeFaces> faces;
    std::array<const char*, kCubeFaces> facePaths{};
    if (making.faces) {
        for (std::size_t face = 0; face < faces.size(); ++face) {
            faces[face] = located(making.faces[face]);
            facePaths[face] = faces[face].c_str();
        }
        along.faces = facePaths.data();
    }
    if (make(&along, reason, sizeof reason)) {
        // A map read or looked for before under this name is read again.
        forgetMaps();
        return true;
    }
    why = reason;
    return false;
}

TextureLookupResult TextureMaps::noMaps(std::size_t values, float fill, float* out) {
    std::fill_n(out, values, fill);
    TextureLookupResult result;
    std::call_once(fFailureTold, [&] { result.firstFailure = fLoadFailure; });
    return result;
}

TextureLookupResult TextureMaps::texture(const std::string& name,
                                         const TextureLookupOptions& options,
                                         std::span<const TextureFootprint> footprints, int channels,
                                         float* out) {
    if (ShaderTextures* maps = store())
        return maps->texture(located(name), options, footprints, channels, out);
    return noMaps(footprints.size() * std::size_t(channels), options.fill, out);
}

TextureLookupResult TextureMaps::slopes(const std::string& name,
                                        const TextureLookupOptions& options,
                                        std::span<const TextureFootprint> footprints, float* out) {
    if (ShaderTextures* maps = store())
        return maps->slopes(located(name), options, footprints, out);
    return noMaps(2 * footprints.size(), 0, out);
}

TextureLookupResult TextureMaps::environment(const std::string& name,
                                             const TextureLookupOptions& options,
                                             std::span<const SpatialFootprint> footprints,
                                             int channels, float* out) {
    if (ShaderTextures* maps = store())
        return maps->environment(located(name), options, footprints, channels, out);
    return noMaps(footprints.size() * std::size_t(channels), options.fill, out);
}

TextureLookupResult TextureMaps::shadow(const std::string& name,
                                        const TextureLookupOptions& options,
                                        std::span<const SpatialFootprint> footprints, float* out) {
    if (ShaderTextures* maps = store())
        return maps->shadow(located(name), options, footprints, out);
    return noMaps(footprints.size(), options.fill, out);
}

bool TextureMaps::textureInfo(const std::string& name, const std::string& fact,
                              std::vector<float>& numbers, std::string& text) {
    ShaderTextures* maps = store();
    return maps && maps->textureInfo(located(name), fact, numbers, text);
}

void TextureMaps::setCacheMegabytes(float megabytes) {
    if (megabytes == fCacheMegabytes) return;
    fCacheMegabytes = megabytes;
    if (fStore && fSetCache) fSetCache(fStore, megabytes);
}

void TextureMaps::setSearchPath(const std::string& places) {
    std::vector<std::string> split = searchPlaces(places);
    std::lock_guard<std::mutex> lock(fPlacesLock);
    if (split == fPlaces) return;
    fPlaces = std::move(split);
    fLocated.clear();
}

std::string TextureMaps::located(const std::string& name) {
    if (name.empty() || name.front() == '/') return name;
    std::lock_guard<std::mutex> lock(fPlacesLock);
    const auto known = fLocated.find(name);
    if (known != fLocated.end()) return known->second;
    std::string path = name;
    for (const std::string& place : fPlaces) {
        const std::filesystem::path candidate = std::filesystem::path(place) / name;
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error)) {
            path = candidate.string();
            break;
        }
    }
    fLocated.emplace(name, path);
    return path;
}

void TextureMaps::forgetMaps() {
    {
        std::lock_guard<std::mutex> lock(fPlacesLock);
        fLocated.clear();
    }
    if (fStore) fStore->forgetMaps();
}

} // namespace quelmark
