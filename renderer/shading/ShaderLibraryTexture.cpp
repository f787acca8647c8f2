// texture(): maps looked up through the render's texture store, each point
// over its footprint, the changes of its s and t to its neighbours on the
// grid; textureinfo(): what a map says of itself.
//
// The call's operands: the result, the map's name, a channel when the name
// selects one ("map"[1]), the coordinates (none: the point's s and t; s and
// t; or the four corners of a quadrilateral), then pairs of an optional
// parameter's name and value ("blur", "sblur", "tblur", "width", "swidth",
// "twidth", "fill", "filter"). The parameters are read at the first point
// the call runs at.
#include "renderer/shading/GridDifferences.h"
#include "renderer/shading/ShaderLibraryCall.h"
#include "renderer/shading/ShaderTextures.h"

#include <algorithm>
#include <string>
#include <vector>

namespace quelmark {

namespace {

using sl::BuiltinOp;
using Operands = std::span<const std::int32_t>;

constexpr int kCornerFloats = 8;
constexpr int kTripleFloats = 3;
// A footprint is laid out as floats in the call's scratch room.
constexpr std::size_t kFootprintFloats = sizeof(TextureFootprint) / sizeof(float);
static_assert(sizeof(TextureFootprint) == kFootprintFloats * sizeof(float) &&
              alignof(TextureFootprint) == alignof(float));

// How the operands after the name lie.
struct LookupLayout {
    bool channel = false;
    int coordinates = 0; // 0, 2 or 8 floats
    std::size_t firstParameter = 0;
};

LookupLayout layoutOf(const KernelFrame& frame, Operands operands) {
    std::size_t next = 2;
    int floats = 0;
    while (next < operands.size() && !frame.view(operands[next]).strings) {
        ++floats;
        ++next;
    }
    const bool channel = floats % 2 == 1;
    return {
        .channel = channel, .coordinates = channel ? floats - 1 : floats, .firstParameter = next};
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

void textureKernel(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& name = frame.view(operands[1]);
    const std::span<const int> active = frame.active();
    if (active.empty()) return;
    const LookupLayout layout = layoutOf(frame, operands);
    const std::size_t firstCoordinate = layout.channel ? 3 : 2;
    const TextureLookupOptions options = optionsOf(frame, operands, layout, active.front());

    // One room for the footprints and, after them, the values found.
    const int channels = out.width == kTripleFloats ? kTripleFloats : 1;
    const std::size_t count = active.size();
    const std::span<float> room = frame.scratch(count * (kFootprintFloats + std::size_t(channels)));
    const std::span<TextureFootprint> footprints(reinterpret_cast<TextureFootprint*>(room.data()),
                                                 count);
    const std::span<float> values = room.subspan(count * kFootprintFloats);
    const GridDifferences differences(frame.grid());
    for (std::size_t k = 0; k < count; ++k) {
        const int point = active[k];
        if (layout.coordinates == kCornerFloats)
            footprints[k] = footprintOfCorners(frame, &operands[firstCoordinate], point);
        else if (layout.coordinates == 2)
            footprints[k] = footprintOf(differences, frame.view(operands[firstCoordinate]),
                                        frame.view(operands[firstCoordinate + 1]), point);
        else if (frame.textureS().floats && frame.textureT().floats)
            footprints[k] = footprintOf(differences, frame.textureS(), frame.textureT(), point);
        else
            footprints[k] = TextureFootprint{};
    }

    const std::string& map = name.stringAt(active.front());
    ShaderTextures* textures = frame.environment().textures();
    if (textures) {
        const TextureLookupResult result =
            textures->texture(map, options, footprints, channels, values.data());
        if (!result.firstFailure.empty()) frame.report(result.firstFailure);
    } else {
        std::fill(values.begin(), values.end(), options.fill);
        if (!frame.hasReported()) frame.report("texture \"" + map + "\": no maps are read here");
    }
    for (std::size_t k = 0; k < active.size(); ++k)
        std::copy_n(values.data() + k * std::size_t(channels), channels, out.at(active[k]));
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
    if (call.op() != BuiltinOp::kTexture || call.argumentCount() < 1) return nullptr;
    if (!call.resultIs(ValueKind::kFloat) && !call.resultIs(ValueKind::kExactTriple))
        return nullptr;
    if (!LibraryCall::fits(call.argument(0), ValueKind::kString, false)) return nullptr;
    return textureKernel;
}

} // namespace quelmark
