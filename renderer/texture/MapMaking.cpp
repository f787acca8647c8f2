// The plugin's making of map files with OpenImageIO's texture maker; cube
// faces are first gathered into one lat-long picture.
#include "renderer/texture/TextureStore.h"

#include <OpenImageIO/imagebuf.h>
#include <OpenImageIO/imagebufalgo.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

namespace quelmark {

namespace {

constexpr int kTileSide = 64;

// The directions a cube face is seen along, to the right and up, as a
// RenderMan camera at the origin turned towards each axis sees them.
struct FaceFrame {
    std::array<float, 3> forward, right, up;
};

constexpr std::array<FaceFrame, kCubeFaces> kFaceFrames = {{
    {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}},  // +x
    {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}},  // -x
    {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}},  // +y
    {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},  // -y
    {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},   // +z
    {{0, 0, -1}, {-1, 0, 0}, {0, 1, 0}}, // -z
}};

float dot(const std::array<float, 3>& a, const std::array<float, 3>& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// The direction at (s, t) of a lat-long map: +z at t = 0, and round from
// -x at s = 0 through -y, +x, +y.
std::array<float, 3> latLongDirection(float s, float t) {
    const float longitude = (s - 0.5f) * 2 * std::numbers::pi_v<float>;
    const float polar = t * std::numbers::pi_v<float>;
    return {std::sin(polar) * std::cos(longitude), std::sin(polar) * std::sin(longitude),
            std::cos(polar)};
}

bool readFaces(const TextureMaking& making, std::vector<OIIO::ImageBuf>& faces,
               std::string& reason) {
    faces.resize(kCubeFaces);
    for (int face = 0; face < kCubeFaces; ++face) {
        OIIO::ImageBuf& picture = faces[std::size_t(face)];
        picture.reset(making.faces[face]);
        if (!picture.read(0, 0, true, OIIO::TypeFloat)) {
            reason = picture.geterror();
            if (reason.empty()) reason = std::string(making.faces[face]) + " cannot be read";
            return false;
        }
        if (picture.nchannels() != faces.front().nchannels()) {
            reason =
                std::string(making.faces[face]) + " has other channels than " + making.faces[0];
            return false;
        }
    }
    return true;
}

// The six faces as one lat-long picture, four faces wide and two high.
bool gatherFaces(const TextureMaking& making, OIIO::ImageBuf& latLong, std::string& reason) {
    std::vector<OIIO::ImageBuf> faces;
    if (!readFaces(making, faces, reason)) return false;
    const float halfAngle =
        std::clamp(making.fieldOfView, 1.0f, 179.0f) * 0.5f * std::numbers::pi_v<float> / 180.0f;
    const float reach = std::tan(halfAngle);
    const OIIO::ImageSpec& first = faces.front().nativespec();
    const int side = std::max(first.width, first.height);
    const int channels = faces.front().nchannels();
    OIIO::ImageSpec layout(4 * side, 2 * side, channels, OIIO::TypeFloat);
    layout.channelnames = first.channelnames;
    layout.alpha_channel = first.alpha_channel;
    latLong.reset(layout);
    std::vector<float> pixel(std::size_t(channels), 0.0f);
    for (int y = 0; y < layout.height; ++y)
        for (int x = 0; x < layout.width; ++x) {
            const std::array<float, 3> direction = latLongDirection(
                (float(x) + 0.5f) / float(layout.width), (float(y) + 0.5f) / float(layout.height));
            int best = 0;
            for (int face = 1; face < kCubeFaces; ++face)
                if (dot(direction, kFaceFrames[std::size_t(face)].forward) >
                    dot(direction, kFaceFrames[std::size_t(best)].forward))
                    best = face;
            const FaceFrame& frame = kFaceFrames[std::size_t(best)];
            const float depth = dot(direction, frame.forward) * reach;
            const float across = dot(direction, frame.right) / depth;
            const float upward = dot(direction, frame.up) / depth;
            faces[std::size_t(best)].interppixel_NDC((across + 1) * 0.5f, (1 - upward) * 0.5f,
                                                     pixel.data(), OIIO::ImageBuf::WrapClamp);
            latLong.setpixel(x, y, pixel.data());
        }
    return true;
}

OIIO::ImageBufAlgo::MakeTextureMode modeOf(MapKind kind) {
    switch (kind) {
    case MapKind::kShadow:
        return OIIO::ImageBufAlgo::MakeTxShadow;
    case MapKind::kLatLongEnvironment:
    case MapKind::kCubeFaceEnvironment:
        return OIIO::ImageBufAlgo::MakeTxEnvLatl;
    default:
        return OIIO::ImageBufAlgo::MakeTxTexture;
    }
}

// Maps are written as tiled TIFF files whatever their names end in (".tx",
// ".tex", ".shd"...), or as OpenEXR files when named so.
std::string fileFormatOf(const std::string& file) {
    const std::size_t dot = file.rfind('.');
    std::string extension = dot == std::string::npos ? std::string() : file.substr(dot + 1);
    for (char& c : extension)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return extension == "exr" ? "openexr" : "tiff";
}

bool makeMap(const TextureMaking& making, std::string& reason) {
    OIIO::ImageSpec config;
    config.attribute("maketx:fileformatname", fileFormatOf(making.texture));
    config.tile_width = config.tile_height = kTileSide;
    config.attribute("maketx:filtername", making.filter);
    config.attribute("compression", "zip");
    const bool environment =
        making.kind == MapKind::kLatLongEnvironment || making.kind == MapKind::kCubeFaceEnvironment;
    if (environment)
        config.attribute("oiio:updirection", "z");
    else
        config.attribute("wrapmodes", std::string(making.swrap) + "," + making.twrap);
    const OIIO::ImageBufAlgo::MakeTextureMode mode = modeOf(making.kind);
    bool made = false;
    if (making.kind == MapKind::kCubeFaceEnvironment) {
        OIIO::ImageBuf latLong;
        if (!gatherFaces(making, latLong, reason)) return false;
        made = OIIO::ImageBufAlgo::make_texture(mode, latLong, making.texture, config);
    } else {
        made = OIIO::ImageBufAlgo::make_texture(mode, making.picture, making.texture, config);
    }
    if (!made) reason = OIIO::geterror();
    return made;
}

} // namespace

} // namespace quelmark

extern "C" {

__attribute__((visibility("default"))) bool
pictrelMakeTextureFile(const quelmark::TextureMaking* making, char* why, std::size_t whySize) {
    std::string reason;
    try {
        if (quelmark::makeMap(*making, reason)) return true;
    } catch (const std::exception& exception) {
        reason = exception.what();
    }
    if (why && whySize > 0) std::snprintf(why, whySize, "%s", reason.c_str());
    return false;
}
}
