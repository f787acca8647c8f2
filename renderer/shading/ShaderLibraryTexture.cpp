// texture(), environment(), shadow() and bump(): maps looked up through the
// render's texture store, each point over its footprint, the changes of its
// coordinates to its neighbours on the grid; textureinfo(): what a map says
// of itself.
//
// The call's operands: the result, the map's name, a channel when the name
// selects one ("map"[1]), the coordinates (texture: none for the point's s
// and t, s and t, or the four corners of a quadrilateral; environment: a
// direction or four; shadow: a point or four), then pairs of an optional
// parameter's name and value ("blur", "sblur", "tblur", "width", "swidth",
// "twidth", "fill", "filter", and for shadows "samples" and "bias"). The
// parameters are read at the first point the call runs at.
#include "renderer/shading/GridDifferences.h"
#include "renderer/shading/ShaderLibraryCall.h"
#include "renderer/shading/ShaderMatrix.h"
#include "renderer/shading/ShaderTextures.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace quelmark {

namespace {

using sl::BuiltinOp;
using Operands = std::span<const std::int32_t>;

constexpr int kCornerFloats = 8;
constexpr int kTripleFloats = 3;
constexpr int kQuadCorners = 4;
// Footprints are laid out as floats in the call's scratch room.
constexpr std::size_t kFootprintFloats = sizeof(TextureFootprint) / sizeof(float);
static_assert(sizeof(TextureFootprint) == kFootprintFloats * sizeof(float) &&
              alignof(TextureFootprint) == alignof(float));
constexpr std::size_t kSpatialFloats = sizeof(SpatialFootprint) / sizeof(float);
static_assert(sizeof(SpatialFootprint) == kSpatialFloats * sizeof(float) &&
              alignof(SpatialFootprint) == alignof(float));

// How the operands after the name lie.
struct LookupLayout {
    bool channel = false;
    // Registers: texture 0, 2 or 8; environment and shadow 1 or 4.
    int coordinates = 0;
    std::size_t firstParameter = 0;
    std::size_t firstCoordinate() const { return channel ? 3 : 2; }
};

// A texture's coordinates come in pairs of floats, an environment's and a
// shadow's one triple or four: a channel makes their count odd, or even.
LookupLayout layoutOf(const KernelFrame& frame, Operands operands, bool pairs) {
    std::size_t next = 2;
    int registers = 0;
    while (next < operands.size() && !frame.view(operands[next]).strings) {
        ++registers;
        ++next;
    }
    const bool channel = pairs ? registers % 2 == 1 : registers == 2 || registers == 5;
    return {.channel = channel,
            .coordinates = channel ? registers - 1 : registers,
            .firstParameter = next};
}

float numberAt(const KernelFrame& frame, std::int32_t reg, int point) {
    const RegisterView& view = frame.view(reg);
    return view.floats ? view.at(point)[0] : 0.0f;
}

TextureLookupOptions optionsOf(const KernelFrame& frame, Operands operands,
                               const LookupLayout& layout, int point) {
    TextureLookupOptions options;
    if (layout.channel) options.firstChannel = int(numberAt(frame, operands[2], point));
    for (std::size_t k = layout.firstParameter; k + 1 < operands.size(); k += 2) {
        const RegisterView& name = frame.view(operands[k]);
        if (!name.strings) continue;
        const std::string& parameter = name.stringAt(point);
        const RegisterView& value = frame.view(operands[k + 1]);
        if (parameter == "filter") {
            if (value.strings) options.filter = value.stringAt(point);
            continue;
        }
        if (!value.floats) continue;
        const float number = value.at(point)[0];
        if (parameter == "blur") options.sblur = options.tblur = number;
        if (parameter == "sblur") options.sblur = number;
        if (parameter == "tblur") options.tblur = number;
        if (parameter == "width") options.swidth = options.twidth = number;
        if (parameter == "swidth") options.swidth = number;
        if (parameter == "twidth") options.twidth = number;
        if (parameter == "fill") options.fill = number;
        if (parameter == "samples") options.samples = number;
        if (parameter == "bias") options.bias = number;
    }
    return options;
}

// The footprint at a point from registers of s and t: their changes to the
// neighbours along u and v.
TextureFootprint footprintOf(const GridDifferences& differences, const RegisterView& s,
                             const RegisterView& t, int point) {
    return {.s = component(s, point, 0),
            .t = component(t, point, 0),
            .dsdu = differences.at<GridDirection::kU>(s, point, 0),
            .dtdu = differences.at<GridDirection::kU>(t, point, 0),
            .dsdv = differences.at<GridDirection::kV>(s, point, 0),
            .dtdv = differences.at<GridDirection::kV>(t, point, 0)};
}

// The quadrilateral's centre, and its sides as the changes along u and v.
TextureFootprint footprintOfCorners(const KernelFrame& frame, const std::int32_t* corners,
                                    int point) {
    float c[kCornerFloats];
    for (int k = 0; k < kCornerFloats; ++k)
        c[k] = numberAt(frame, corners[k], point);
    return {.s = (c[0] + c[2] + c[4] + c[6]) / 4,
            .t = (c[1] + c[3] + c[5] + c[7]) / 4,
            .dsdu = ((c[2] - c[0]) + (c[6] - c[4])) / 2,
            .dtdu = ((c[3] - c[1]) + (c[7] - c[5])) / 2,
            .dsdv = ((c[4] - c[0]) + (c[6] - c[2])) / 2,
            .dtdv = ((c[5] - c[1]) + (c[7] - c[3])) / 2};
}

// Runs the lookup on the render's maps, telling its first failure; where
// no maps are read, every value is fill.
template <typename Lookup>
void lookUp(KernelFrame& frame, const std::string& map, float fill, std::span<float> values,
            const Lookup& lookup) {
    if (ShaderTextures* textures = frame.environment().textures()) {
        const TextureLookupResult result = lookup(*textures);
        if (!result.firstFailure.empty()) frame.report(result.firstFailure);
        return;
    }
    std::fill(values.begin(), values.end(), fill);
    if (!frame.hasReported()) frame.report("map \"" + map + "\": no maps are read here");
}

// The footprints of a texture or bump lookup at the active points: from
// the coordinates at first (none: the point's own s and t).
void textureFootprints(KernelFrame& frame, Operands operands, std::size_t first, int coordinates,
                       std::span<TextureFootprint> footprints) {
    const std::span<const int> active = frame.active();
    const GridDifferences differences(frame.grid());
    for (std::size_t k = 0; k < footprints.size(); ++k) {
        const int point = active[k];
        if (coordinates == kCornerFloats)
            footprints[k] = footprintOfCorners(frame, &operands[first], point);
        else if (coordinates == 2)
            footprints[k] = footprintOf(differences, frame.view(operands[first]),
                                        frame.view(operands[first + 1]), point);
        else if (frame.textureS().floats && frame.textureT().floats)
            footprints[k] = footprintOf(differences, frame.textureS(), frame.textureT(), point);
        else
            footprints[k] = TextureFootprint{};
    }
}

void textureKernel(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& name = frame.view(operands[1]);
    const std::span<const int> active = frame.active();
    if (active.empty()) return;
    const LookupLayout layout = layoutOf(frame, operands, true);
    const TextureLookupOptions options = optionsOf(frame, operands, layout, active.front());

    // One room for the footprints and, after them, the values found.
    const int channels = out.width == kTripleFloats ? kTripleFloats : 1;
    const std::size_t count = active.size();
    const std::span<float> room = frame.scratch(count * (kFootprintFloats + std::size_t(channels)));
    const std::span<TextureFootprint> footprints(reinterpret_cast<TextureFootprint*>(room.data()),
                                                 count);
    const std::span<float> values = room.subspan(count * kFootprintFloats);
    textureFootprints(frame, operands, layout.firstCoordinate(), layout.coordinates, footprints);

    const std::string& map = name.stringAt(active.front());
    lookUp(frame, map, options.fill, values, [&](ShaderTextures& textures) {
        return textures.texture(map, options, footprints, channels, values.data());
    });
    for (std::size_t k = 0; k < active.size(); ++k)
        std::copy_n(values.data() + k * std::size_t(channels), channels, out.at(active[k]));
}

ShaderTriple cross(const ShaderTriple& a, const ShaderTriple& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

// bump(name, N, dPds, dPdt [, coordinates]): how far the normal moves where
// the map, a height field over s and t, rises with slopes hs and ht:
// (hs (N x dPdt) - ht (N x dPds)) / |N|.
void bumpKernel(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const std::span<const int> active = frame.active();
    if (active.empty()) return;
    constexpr int kSurfaceOperands = 3; // N, dPds, dPdt
    LookupLayout layout = layoutOf(frame, operands, true);
    // After the name: a channel?, N, dPds, dPdt, then coordinates.
    const int registers = (layout.channel ? 1 : 0) + layout.coordinates;
    layout.channel = (registers - kSurfaceOperands) % 2 == 1;
    layout.coordinates = registers - kSurfaceOperands - (layout.channel ? 1 : 0);
    const std::size_t surface = layout.firstCoordinate();
    const TextureLookupOptions options = optionsOf(frame, operands, layout, active.front());

    const std::size_t count = active.size();
    const std::span<float> room = frame.scratch(count * (kFootprintFloats + 2));
    const std::span<TextureFootprint> footprints(reinterpret_cast<TextureFootprint*>(room.data()),
                                                 count);
    const std::span<float> slopes = room.subspan(count * kFootprintFloats);
    textureFootprints(frame, operands, surface + kSurfaceOperands, layout.coordinates, footprints);
    const std::string& map = frame.view(operands[1]).stringAt(active.front());
    lookUp(frame, map, 0, slopes, [&](ShaderTextures& textures) {
        return textures.slopes(map, options, footprints, slopes.data());
    });
    const RegisterView &normal = frame.view(operands[surface]),
                       &dPds = frame.view(operands[surface + 1]),
                       &dPdt = frame.view(operands[surface + 2]);
    for (std::size_t k = 0; k < count; ++k) {
        const int point = active[k];
        const ShaderTriple n = tripleAt(normal, point);
        const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        const ShaderTriple alongS = cross(n, tripleAt(dPdt, point));
        const ShaderTriple alongT = cross(n, tripleAt(dPds, point));
        const float hs = slopes[2 * k], ht = slopes[2 * k + 1];
        for (int c = 0; c < kTripleFloats; ++c)
            out.at(point)[c] =
                length > 0 ? (hs * alongS[std::size_t(c)] - ht * alongT[std::size_t(c)]) / length
                           : 0.0f;
    }
}

// Where the point's coordinate lies and how it changes along u and v.
SpatialFootprint spatialFootprintOf(const GridDifferences& differences, const RegisterView& at,
                                    int point) {
    SpatialFootprint footprint;
    for (int c = 0; c < kTripleFloats; ++c) {
        footprint.at[c] = component(at, point, c);
        footprint.alongU[c] = differences.at<GridDirection::kU>(at, point, c);
        footprint.alongV[c] = differences.at<GridDirection::kV>(at, point, c);
    }
    return footprint;
}

// The quadrilateral's centre, and its sides as the changes along u and v.
SpatialFootprint spatialFootprintOfCorners(const KernelFrame& frame, const std::int32_t* corners,
                                           int point) {
    SpatialFootprint footprint;
    for (int c = 0; c < kTripleFloats; ++c) {
        float v[kQuadCorners];
        for (int k = 0; k < kQuadCorners; ++k)
            v[k] = component(frame.view(corners[k]), point, c);
        footprint.at[c] = (v[0] + v[1] + v[2] + v[3]) / 4;
        footprint.alongU[c] = ((v[1] - v[0]) + (v[3] - v[2])) / 2;
        footprint.alongV[c] = ((v[2] - v[0]) + (v[3] - v[1])) / 2;
    }
    return footprint;
}

// Footprints moved by a matrix: their points whole, their changes by its
// linear part.
void transformFootprints(const ShaderMatrix& matrix, std::span<SpatialFootprint> footprints) {
    for (SpatialFootprint& f : footprints) {
        const ShaderTriple at = transformPoint(matrix, {f.at[0], f.at[1], f.at[2]});
        const ShaderTriple alongU =
            transformVector(matrix, {f.alongU[0], f.alongU[1], f.alongU[2]});
        const ShaderTriple alongV =
            transformVector(matrix, {f.alongV[0], f.alongV[1], f.alongV[2]});
        std::copy(at.begin(), at.end(), f.at);
        std::copy(alongU.begin(), alongU.end(), f.alongU);
        std::copy(alongV.begin(), alongV.end(), f.alongV);
    }
}

// environment() and shadow(): the lookup's footprints from a triple (or four
// triples) a point, and its values, values floats a point, in the scratch
// room.
struct SpatialLookup {
    LookupLayout layout;
    TextureLookupOptions options;
    std::span<SpatialFootprint> footprints;
    std::span<float> values;
};

SpatialLookup prepareSpatialLookup(KernelFrame& frame, Operands operands, int channels) {
    const std::span<const int> active = frame.active();
    SpatialLookup lookup;
    lookup.layout = layoutOf(frame, operands, false);
    lookup.options = optionsOf(frame, operands, lookup.layout, active.front());
    const std::size_t count = active.size();
    const std::span<float> room = frame.scratch(count * (kSpatialFloats + std::size_t(channels)));
    lookup.footprints =
        std::span<SpatialFootprint>(reinterpret_cast<SpatialFootprint*>(room.data()), count);
    lookup.values = room.subspan(count * kSpatialFloats);
    const std::size_t first = lookup.layout.firstCoordinate();
    const GridDifferences differences(frame.grid());
    for (std::size_t k = 0; k < count; ++k)
        lookup.footprints[k] =
            lookup.layout.coordinates == kQuadCorners
                ? spatialFootprintOfCorners(frame, &operands[first], active[k])
                : spatialFootprintOf(differences, frame.view(operands[first]), active[k]);
    return lookup;
}

// environment(name, direction): the direction's components as they are;
// shaders give it in the space the map was made in, commonly "world".
void environmentKernel(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const std::span<const int> active = frame.active();
    if (active.empty()) return;
    const int channels = out.width == kTripleFloats ? kTripleFloats : 1;
    SpatialLookup lookup = prepareSpatialLookup(frame, operands, channels);
    const std::string& map = frame.view(operands[1]).stringAt(active.front());
    lookUp(frame, map, lookup.options.fill, lookup.values, [&](ShaderTextures& textures) {
        return textures.environment(map, lookup.options, lookup.footprints, channels,
                                    lookup.values.data());
    });
    for (std::size_t k = 0; k < active.size(); ++k)
        std::copy_n(lookup.values.data() + k * std::size_t(channels), channels, out.at(active[k]));
}

// shadow(name, P): the share of the point's surface the map's depths hide,
// the point in current space, the map's camera in world space.
void shadowKernel(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const std::span<const int> active = frame.active();
    if (active.empty()) return;
    SpatialLookup lookup = prepareSpatialLookup(frame, operands, 1);
    const std::optional<ShaderMatrix> worldToCurrent = frame.spaceToCurrent("world");
    const std::optional<ShaderMatrix> currentToWorld =
        worldToCurrent ? matrixInverse(*worldToCurrent) : std::nullopt;
    if (currentToWorld) transformFootprints(*currentToWorld, lookup.footprints);
    const std::string& map = frame.view(operands[1]).stringAt(active.front());
    lookUp(frame, map, lookup.options.fill, lookup.values, [&](ShaderTextures& textures) {
        return textures.shadow(map, lookup.options, lookup.footprints, lookup.values.data());
    });
    for (std::size_t k = 0; k < active.size(); ++k)
        out.at(active[k])[0] = lookup.values[k];
}

// textureinfo(name, fact, variable): 1, with the variable set, when the
// map holds the fact in the variable's shape; else 0.
void textureInfoKernel(KernelFrame& frame, Operands operands) {
    const RegisterView &result = frame.view(operands[0]), &name = frame.view(operands[1]),
                       &fact = frame.view(operands[2]), &variable = frame.view(operands[3]);
    ShaderTextures* textures = frame.environment().textures();
    std::vector<float> numbers;
    std::string text;
    for (const int point : frame.active()) {
        numbers.clear();
        const bool known = textures && textures->textureInfo(name.stringAt(point),
                                                             fact.stringAt(point), numbers, text);
        bool fits = false;
        if (known && variable.strings && numbers.empty()) {
            variable.stringAt(point) = text;
            fits = true;
        } else if (known && variable.floats &&
                   numbers.size() == std::size_t(variable.width * variable.elements)) {
            std::copy(numbers.begin(), numbers.end(), variable.at(point));
            fits = true;
        }
        result.at(point)[0] = fits ? 1.0f : 0.0f;
    }
}

} // namespace

Kernel chooseTextureKernel(const LibraryCall& call) {
    if (call.op() == BuiltinOp::kTextureInfo && call.argumentCount() == 3 &&
        call.resultIs(ValueKind::kFloat) &&
        LibraryCall::fits(call.argument(0), ValueKind::kString, false) &&
        LibraryCall::fits(call.argument(1), ValueKind::kString, false) && call.writable(2))
        return textureInfoKernel;
    if (call.argumentCount() < 1 || !LibraryCall::fits(call.argument(0), ValueKind::kString, false))
        return nullptr;
    const bool floatOrTriple =
        call.resultIs(ValueKind::kFloat) || call.resultIs(ValueKind::kExactTriple);
    switch (call.op()) {
    case BuiltinOp::kTexture:
        return floatOrTriple ? textureKernel : nullptr;
    case BuiltinOp::kEnvironment:
        return floatOrTriple && call.argumentCount() >= 2 ? environmentKernel : nullptr;
    case BuiltinOp::kShadow:
        return call.resultIs(ValueKind::kFloat) && call.argumentCount() >= 2 ? shadowKernel
                                                                             : nullptr;
    case BuiltinOp::kBump:
        return call.resultIs(ValueKind::kExactTriple) && call.argumentCount() >= 4 ? bumpKernel
                                                                                   : nullptr;
    default:
        return nullptr;
    }
}

} // namespace quelmark
