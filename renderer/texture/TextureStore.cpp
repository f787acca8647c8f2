#include "renderer/texture/TextureStore.h"

#include <Imath/ImathMatrix.h>
#include <Imath/ImathVec.h>
#include <OpenImageIO/imagecache.h>
#include <OpenImageIO/texture.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace quelmark {

namespace {

using OIIO::TextureOpt;
using OIIO::TextureSystem;

constexpr int kMostProbes = 8;

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
    // An elongated footprint is sampled at most 8 times along its length
    // (the library's default, 32, costs a third of a textured render).
    opt.anisotropic = kMostProbes;
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
    // Lat-long environments have +z up, as RenderMan's have.
    fSystem->textures->attribute("latlong_up", "z");
}

void TextureStore::setCacheMegabytes(float megabytes) {
    fSystem->textures->attribute("max_memory_MB", megabytes);
}

TextureStore::~TextureStore() {
    systems().giveBack(fSystem->textures);
}

void TextureStore::forgetMaps() {
    fSystem->textures->invalidate_all(true);
    {
        std::lock_guard<std::mutex> lock(fShadowsLock);
        fShadowMaps.clear();
    }
    std::lock_guard<std::mutex> lock(fFailuresLock);
    fFailedMaps.clear();
}

std::string TextureStore::firstFailure(const std::string& name, const std::string& reason) {
    std::lock_guard<std::mutex> lock(fFailuresLock);
    if (!fFailedMaps.insert(name).second) return {};
    return "map \"" + name + "\" cannot be read" + (reason.empty() ? "" : ": " + reason) +
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

namespace {

// The map's handle, null when it cannot be read.
TextureSystem::TextureHandle* openMap(TextureSystem& textures, const std::string& name) {
    TextureSystem::TextureHandle* handle = textures.get_texture_handle(OIIO::ustring(name));
    return handle && textures.good(handle) ? handle : nullptr;
}

constexpr TextureLookupResult kFound{.found = true, .firstFailure = {}};

} // namespace

TextureLookupResult TextureStore::failed(const std::string& name, std::span<float> values,
                                         float fill) {
    std::fill(values.begin(), values.end(), fill);
    return {.found = false, .firstFailure = firstFailure(name, fSystem->textures->geterror())};
}

TextureLookupResult TextureStore::texture(const std::string& name,
                                          const TextureLookupOptions& options,
                                          std::span<const TextureFootprint> footprints,
                                          int channels, float* out) {
    TextureSystem& textures = *fSystem->textures;
    const std::span<float> values(out, footprints.size() * std::size_t(channels));
    TextureSystem::TextureHandle* handle = openMap(textures, name);
    if (!handle) return failed(name, values, options.fill);
    TextureSystem::Perthread* thread = textures.get_perthread_info();
    TextureOpt opt = lookupOptions(options);
    for (std::size_t k = 0; k < footprints.size(); ++k) {
        const TextureFootprint& f = footprints[k];
        if (!textures.texture(handle, thread, opt, f.s, f.t, f.dsdu, f.dtdu, f.dsdv, f.dtdv,
                              channels, out + k * std::size_t(channels)))
            return failed(name, values, options.fill);
    }
    return kFound;
}

TextureLookupResult TextureStore::slopes(const std::string& name,
                                         const TextureLookupOptions& options,
                                         std::span<const TextureFootprint> footprints, float* out) {
    TextureSystem& textures = *fSystem->textures;
    const std::span<float> values(out, 2 * footprints.size());
    TextureSystem::TextureHandle* handle = openMap(textures, name);
    if (!handle) return failed(name, values, 0);
    TextureSystem::Perthread* thread = textures.get_perthread_info();
    TextureOpt opt = lookupOptions(options);
    for (std::size_t k = 0; k < footprints.size(); ++k) {
        const TextureFootprint& f = footprints[k];
        float height = 0;
        if (!textures.texture(handle, thread, opt, f.s, f.t, f.dsdu, f.dtdu, f.dsdv, f.dtdv, 1,
                              &height, &out[2 * k], &out[2 * k + 1]))
            return failed(name, values, 0);
    }
    return kFound;
}

TextureLookupResult TextureStore::environment(const std::string& name,
                                              const TextureLookupOptions& options,
                                              std::span<const SpatialFootprint> footprints,
                                              int channels, float* out) {
    TextureSystem& textures = *fSystem->textures;
    const std::span<float> values(out, footprints.size() * std::size_t(channels));
    TextureSystem::TextureHandle* handle = openMap(textures, name);
    if (!handle) return failed(name, values, options.fill);
    TextureSystem::Perthread* thread = textures.get_perthread_info();
    TextureOpt opt = lookupOptions(options);
    for (std::size_t k = 0; k < footprints.size(); ++k) {
        const SpatialFootprint& f = footprints[k];
        const Imath::V3f direction(f.at[0], f.at[1], f.at[2]);
        const Imath::V3f alongU(f.alongU[0], f.alongU[1], f.alongU[2]);
        const Imath::V3f alongV(f.alongV[0], f.alongV[1], f.alongV[2]);
        if (!textures.environment(handle, thread, opt, direction, alongU, alongV, channels,
                                  out + k * std::size_t(channels)))
            return failed(name, values, options.fill);
    }
    return kFound;
}

// A depth map as shadow lookups read it: its size, the camera it was seen
// from, and its depths through the image cache.
struct TextureStore::ShadowMap {
    int width = 0, height = 0;
    Imath::M44f worldToCamera, worldToScreen;
    OIIO::ImageCache::ImageHandle* depths = nullptr;
};

const TextureStore::ShadowMap* TextureStore::shadowMap(const std::string& name,
                                                       std::string& reason) {
    std::lock_guard<std::mutex> lock(fShadowsLock);
    const auto known = fShadowMaps.find(name);
    if (known != fShadowMaps.end()) return known->second.get();
    TextureSystem& textures = *fSystem->textures;
    OIIO::ImageCache& cache = *textures.imagecache();
    const OIIO::ustring file(name);
    auto map = std::make_unique<ShadowMap>();
    int resolution[2] = {0, 0};
    const bool readable =
        textures.get_texture_info(file, 0, OIIO::ustring("resolution"),
                                  OIIO::TypeDesc(OIIO::TypeDesc::INT, 2), resolution) &&
        resolution[0] > 0 && resolution[1] > 0;
    if (!readable) {
        reason = textures.geterror();
        (void)cache.geterror();
        fShadowMaps.emplace(name, nullptr);
        return nullptr;
    }
    const bool hasCamera = textures.get_texture_info(file, 0, OIIO::ustring("worldtocamera"),
                                                     OIIO::TypeMatrix, &map->worldToCamera) &&
                           textures.get_texture_info(file, 0, OIIO::ustring("worldtoscreen"),
                                                     OIIO::TypeMatrix, &map->worldToScreen);
    if (!hasCamera) {
        reason = "it is no shadow map: it holds no camera matrices";
        fShadowMaps.emplace(name, nullptr);
        return nullptr;
    }
    map->width = resolution[0];
    map->height = resolution[1];
    map->depths = cache.get_image_handle(file);
    const ShadowMap* made = map.get();
    fShadowMaps.emplace(name, std::move(map));
    return made;
}

namespace {

// Where a world-space point falls on a shadow map, in the map's texels,
// and how deep it lies from the map's camera.
struct MapPoint {
    float x = 0, y = 0, depth = 0;
};

template <typename Map> MapPoint onMap(const Map& map, const Imath::V3f& world) {
    Imath::V3f camera, screen;
    map.worldToCamera.multVecMatrix(world, camera);
    map.worldToScreen.multVecMatrix(world, screen);
    return {.x = (screen.x + 1) * 0.5f * float(map.width),
            .y = (1 - screen.y) * 0.5f * float(map.height),
            .depth = camera.z};
}

// The texels a lookup reads: a rectangle, with its corners on the map.
struct TexelBox {
    float x0, y0, x1, y1;
};

template <typename Map>
TexelBox footprintBox(const Map& map, const SpatialFootprint& f, const MapPoint& centre,
                      const TextureLookupOptions& options) {
    float halfX = 0, halfY = 0;
    const Imath::V3f at(f.at[0], f.at[1], f.at[2]);
    const Imath::V3f alongU(f.alongU[0], f.alongU[1], f.alongU[2]);
    const Imath::V3f alongV(f.alongV[0], f.alongV[1], f.alongV[2]);
    for (const float u : {-0.5f, 0.5f})
        for (const float v : {-0.5f, 0.5f}) {
            const MapPoint corner = onMap(map, at + alongU * u + alongV * v);
            halfX = std::max(halfX, std::abs(corner.x - centre.x));
            halfY = std::max(halfY, std::abs(corner.y - centre.y));
        }
    halfX = halfX * options.swidth + options.sblur * float(map.width) * 0.5f;
    halfY = halfY * options.twidth + options.tblur * float(map.height) * 0.5f;
    return {centre.x - halfX, centre.y - halfY, centre.x + halfX, centre.y + halfY};
}

// A footprint no further than a map's size beyond its edges, and no wider
// than the point itself where it is not a number: its texels' numbers are
// then whole numbers of any footprint, however far a point projects.
template <typename Map> TexelBox withinReach(const Map& map, TexelBox box, const MapPoint& centre) {
    if (!std::isfinite(box.x0) || !std::isfinite(box.x1)) box.x0 = box.x1 = centre.x;
    if (!std::isfinite(box.y0) || !std::isfinite(box.y1)) box.y0 = box.y1 = centre.y;
    const auto reach = [](float at, int side) {
        return std::clamp(at, -float(side), 2 * float(side));
    };
    return {reach(box.x0, map.width), reach(box.y0, map.height), reach(box.x1, map.width),
            reach(box.y1, map.height)};
}

// At most this many depths are compared for one point.
constexpr float kMostShadowSamples = 1024;
// Texels off the map are infinitely deep; a footprint's texels are read at
// once up to this many, and one by one beyond.
constexpr float kFarAway = std::numeric_limits<float>::max();
constexpr int kLargestBoxTexels = 64 * 64;

} // namespace

TextureLookupResult TextureStore::shadow(const std::string& name,
                                         const TextureLookupOptions& options,
                                         std::span<const SpatialFootprint> footprints, float* out) {
    std::string reason;
    const ShadowMap* map = shadowMap(name, reason);
    if (!map) {
        std::fill_n(out, footprints.size(), options.fill);
        return {.found = false, .firstFailure = firstFailure(name, reason)};
    }
    OIIO::ImageCache& cache = *fSystem->textures->imagecache();
    OIIO::ImageCache::Perthread* thread = cache.get_perthread_info();
    const float bias = options.bias < 0 ? TextureLookupOptions::kDefaultShadowBias : options.bias;
    const float samples = options.samples >= 1 ? std::min(options.samples, kMostShadowSamples) : 1;
    const int side = int(std::ceil(std::sqrt(samples)));
    std::vector<float> depths;
    bool readFailed = false;
    // The depth of one texel, from the rectangle read for the point when it
    // holds it, else read alone.
    int boxX = 0, boxY = 0, boxWidth = 0, boxHeight = 0;
    const auto depthAt = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= map->width || y >= map->height) return kFarAway;
        if (x >= boxX && y >= boxY && x < boxX + boxWidth && y < boxY + boxHeight)
            return depths[std::size_t((y - boxY) * boxWidth + (x - boxX))];
        float depth = kFarAway;
        if (!cache.get_pixels(map->depths, thread, 0, 0, x, x + 1, y, y + 1, 0, 1, 0, 1,
                              OIIO::TypeFloat, &depth))
            readFailed = true;
        return depth;
    };
    for (std::size_t k = 0; k < footprints.size(); ++k) {
        const SpatialFootprint& f = footprints[k];
        const MapPoint centre = onMap(*map, Imath::V3f(f.at[0], f.at[1], f.at[2]));
        if (!(centre.depth > 0) || !std::isfinite(centre.x) || !std::isfinite(centre.y)) {
            out[k] = 0;
            continue;
        }
        const TexelBox box = withinReach(*map, footprintBox(*map, f, centre, options), centre);
        const int x0 = std::clamp(int(std::floor(box.x0)), 0, map->width - 1);
        const int y0 = std::clamp(int(std::floor(box.y0)), 0, map->height - 1);
        const int x1 = std::clamp(int(std::floor(box.x1)), 0, map->width - 1);
        const int y1 = std::clamp(int(std::floor(box.y1)), 0, map->height - 1);
        boxWidth = boxHeight = 0;
        if ((x1 - x0 + 1) * (y1 - y0 + 1) <= kLargestBoxTexels) {
            boxX = x0;
            boxY = y0;
            depths.resize(std::size_t((x1 - x0 + 1) * (y1 - y0 + 1)));
            if (cache.get_pixels(map->depths, thread, 0, 0, x0, x1 + 1, y0, y1 + 1, 0, 1, 0, 1,
                                 OIIO::TypeFloat, depths.data())) {
                boxWidth = x1 - x0 + 1;
                boxHeight = y1 - y0 + 1;
            }
        }
        int hidden = 0;
        for (int j = 0; j < side; ++j)
            for (int i = 0; i < side; ++i) {
                const float x = box.x0 + (box.x1 - box.x0) * (float(i) + 0.5f) / float(side);
                const float y = box.y0 + (box.y1 - box.y0) * (float(j) + 0.5f) / float(side);
                if (depthAt(int(std::floor(x)), int(std::floor(y))) < centre.depth - bias) ++hidden;
            }
        out[k] = float(hidden) / float(side * side);
    }
    if (readFailed) {
        const std::string why = cache.geterror();
        return {.found = true, .firstFailure = firstFailure(name, why)};
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

__attribute__((visibility("default"))) void pictrelSetTextureMemory(quelmark::ShaderTextures* store,
                                                                    float megabytes) {
    static_cast<quelmark::TextureStore*>(store)->setCacheMegabytes(megabytes);
}
}
