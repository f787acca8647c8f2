#include "renderer/texture/TextureStore.h"

#include <OpenImageIO/imagebufalgo.h>
#include <OpenImageIO/texture.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace quelmark {

namespace {

using OIIO::TextureOpt;
using OIIO::TextureSystem;

TextureOpt lookupOptions(const TextureLookupOptions& options) {
    TextureOpt opt;
    opt.firstchannel = std::max(options.firstChannel, 0);
    opt.sblur = options.sblur;
    opt.tblur = options.tblur;
    opt.swidth = options.swidth;
    opt.twidth = options.twidth;
    opt.fill = options.fill;
    // Within a level of the map, bilinear between its pixels' centres.
    opt.interpmode = TextureOpt::InterpBilinear;
    return opt;
}

} // namespace

namespace {

// Texture systems outlive their stores, and the process's static data: a
// store may be let go while the process ends, after the library's own
// statics are gone, so it is kept untouched for the next store, which
// empties it. (The library's destroy also deletes the system through a
// pointer of the wrong type.)
class SystemPool {
public:
    TextureSystem* take() {
        std::unique_lock<std::mutex> lock(fLock);
        if (fSpare.empty()) return TextureSystem::create(false);
        TextureSystem* system = fSpare.back();
        fSpare.pop_back();
        lock.unlock();
        system->invalidate_all(true);
        return system;
    }
    void giveBack(TextureSystem* system) {
        std::lock_guard<std::mutex> lock(fLock);
        fSpare.push_back(system);
    }

private:
    std::mutex fLock;
    std::vector<TextureSystem*> fSpare;
};

SystemPool& systems() {
    // Never destroyed: stores may be let go during the process's end.
    static auto* pool = new SystemPool;
    return *pool;
}

} // namespace

struct TextureStore::System {
    TextureSystem* textures;
};

TextureStore::TextureStore(float cacheMegabytes)
    : fSystem(std::make_unique<System>(System{systems().take()})) {
    fSystem->textures->attribute("max_memory_MB", cacheMegabytes);
    // Plain images are maps too, tiled and mip-mapped as they are read.
    fSystem->textures->attribute("autotile", 64);
    fSystem->textures->attribute("automip", 1);
}

TextureStore::~TextureStore() {
    systems().giveBack(fSystem->textures);
}

void TextureStore::forgetMaps() {
    fSystem->textures->invalidate_all(true);
    std::lock_guard<std::mutex> lock(fFailuresLock);
    fFailedMaps.clear();
}

std::string TextureStore::firstFailure(const std::string& name, const std::string& reason) {
    std::lock_guard<std::mutex> lock(fFailuresLock);
    if (!fFailedMaps.insert(name).second) return {};
    return "texture \"" + name + "\" cannot be read" + (reason.empty() ? "" : ": " + reason) +
           "; its lookups give the fill value";
}

bool TextureStore::textureInfo(const std::string& name, const std::string& fact,
                               std::vector<float>& numbers, std::string& text) {
    TextureSystem& textures = *fSystem->textures;
    if (knownFact(name, fact, numbers, text)) return true;
    // The system keeps each failure's message until it is asked for.
    (void)textures.geterror();
    return false;
}

bool TextureStore::knownFact(const std::string& name, const std::string& fact,
                             std::vector<float>& numbers, std::string& text) {
    TextureSystem& textures = *fSystem->textures;
    const OIIO::ustring file(name);
    if (fact == "resolution" || fact == "channels") {
        int values[2] = {0, 0};
        const bool resolution = fact == "resolution";
        const OIIO::TypeDesc type = resolution ? OIIO::TypeDesc(OIIO::TypeDesc::INT, 2)
                                               : OIIO::TypeDesc(OIIO::TypeDesc::INT);
        if (!textures.get_texture_info(file, 0, OIIO::ustring(fact), type, values)) return false;
        numbers.assign(values, values + (resolution ? 2 : 1));
        return true;
    }
    if (fact == "type") {
        OIIO::ustring kind;
        if (!textures.get_texture_info(file, 0, OIIO::ustring("texturetype"), OIIO::TypeString,
                                       &kind))
            return false;
        const std::string_view told = kind.string();
        text = told.find("Shadow") != std::string_view::npos        ? "shadow"
               : told.find("Environment") != std::string_view::npos ? "environment"
                                                                    : "texture";
        return true;
    }
    const char* matrix = fact == "viewingmatrix"      ? "worldtocamera"
                         : fact == "projectionmatrix" ? "worldtoscreen"
                                                      : nullptr;
    if (!matrix) return false;
    constexpr int kMatrixFloats = 16;
    float values[kMatrixFloats] = {};
    if (!textures.get_texture_info(file, 0, OIIO::ustring(matrix), OIIO::TypeMatrix, values))
        return false;
    numbers.assign(values, values + kMatrixFloats);
    return true;
}

TextureLookupResult TextureStore::texture(const std::string& name,
                                          const TextureLookupOptions& options,
                                          std::span<const TextureFootprint> footprints,
                                          int channels, float* out) {
    TextureSystem& textures = *fSystem->textures;
    const OIIO::ustring file(name);
    TextureSystem::TextureHandle* handle = textures.get_texture_handle(file);
    TextureOpt opt = lookupOptions(options);
    const auto fill = [&] {
        std::fill_n(out, footprints.size() * std::size_t(channels), options.fill);
    };
    if (!handle || !textures.good(handle)) {
        fill();
        return {.found = false, .firstFailure = firstFailure(name, textures.geterror())};
    }
    for (std::size_t k = 0; k < footprints.size(); ++k) {
        const TextureFootprint& f = footprints[k];
        float* result = out + k * std::size_t(channels);
        if (!textures.texture(handle, nullptr, opt, f.s, f.t, f.dsdu, f.dtdu, f.dsdv, f.dtdv,
                              channels, result)) {
            std::fill_n(out, footprints.size() * std::size_t(channels), options.fill);
            return {.found = false, .firstFailure = firstFailure(name, textures.geterror())};
        }
    }
    return {.found = true, .firstFailure = {}};
}

} // namespace quelmark

extern "C" {

__attribute__((visibility("default"))) quelmark::ShaderTextures*
pictrelMakeTextureStore(float cacheMegabytes) {
    try {
        return new quelmark::TextureStore(cacheMegabytes);
    } catch (...) {
        return nullptr;
    }
}

__attribute__((visibility("default"))) void
pictrelFreeTextureStore(quelmark::ShaderTextures* store) {
    delete static_cast<quelmark::TextureStore*>(store);
}

__attribute__((visibility("default"))) bool
pictrelMakeTextureFile(const quelmark::TextureMaking* making, char* why, std::size_t whySize) {
    constexpr int kTileSide = 64;
    std::string reason;
    try {
        OIIO::ImageSpec config;
        config.tile_width = config.tile_height = kTileSide;
        config.attribute("wrapmodes", std::string(making->swrap) + "," + making->twrap);
        config.attribute("maketx:filtername", making->filter);
        config.attribute("compression", "zip");
        if (OIIO::ImageBufAlgo::make_texture(OIIO::ImageBufAlgo::MakeTxTexture, making->picture,
                                             making->texture, config))
            return true;
        reason = OIIO::geterror();
    } catch (const std::exception& exception) {
        reason = exception.what();
    }
    if (why && whySize > 0) std::snprintf(why, whySize, "%s", reason.c_str());
    return false;
}
}
