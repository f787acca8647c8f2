#include "renderer/state/OutputPlan.h"

#include "api/qel.h"
#include "common/Quark.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace quelmark {

namespace {

struct VariableName {
    std::string_view name;
    ShadingVariable variable;
    int components;
};

constexpr std::array<VariableName, 9> kVariables = {{
    {"P", ShadingVariable::kP, 3},
    {"N", ShadingVariable::kN, 3},
    {"Ng", ShadingVariable::kNg, 3},
    {"Cs", ShadingVariable::kCs, 3},
    {"Os", ShadingVariable::kOs, 3},
    {"s", ShadingVariable::kS, 1},
    {"t", ShadingVariable::kT, 1},
    {"u", ShadingVariable::kU, 1},
    {"v", ShadingVariable::kV, 1},
}};

constexpr int kColorBit = 1, kAlphaBit = 2, kDepthBit = 4;

// The types an output variable's mode may give, and their floats.
constexpr std::array<std::pair<std::string_view, int>, 5> kOutputTypes = {{
    {"float", 1},
    {"color", 3},
    {"point", 3},
    {"vector", 3},
    {"normal", 3},
}};

bool hasWord(std::string_view text, std::string_view word) {
    for (std::size_t at = text.find(word); at != std::string_view::npos;
         at = text.find(word, at + 1)) {
        const bool startsWord = at == 0 || text[at - 1] == ' ' || text[at - 1] == '\t';
        const std::size_t end = at + word.size();
        const bool endsWord = end == text.size() || text[end] == ' ' || text[end] == '\t';
        if (startsWord && endsWord) return true;
    }
    return false;
}

// The last word of a mode: "varying normal N" names N.
std::string_view bareName(const std::string& mode) {
    std::string_view text(mode);
    std::size_t end = text.find_last_not_of(" \t");
    if (end == std::string_view::npos) return {};
    text = text.substr(0, end + 1);
    std::size_t start = text.find_last_of(" \t");
    return start == std::string_view::npos ? text : text.substr(start + 1);
}

class Planner {
public:
    Planner(const Quantization& color, const Quantization& depth) : fColor(color), fDepth(depth) {}

    void add(const OutputRequest& request) {
        ImageOutput output;
        output.format = request.format;
        output.name = request.name;
        output.mode = request.mode;
        const Quantization* own = request.ownQuantization ? &request.quantization : nullptr;
        std::string_view name = bareName(request.mode);
        ShadingVariable variable;
        if (int bits = standardChannelsNamed(request.mode))
            addStandard(output, bits, request, own);
        else if (name == "Ci")
            addStandard(output, kColorBit, request, own);
        else if (name == "Oi")
            addOpacity(output, own);
        else if (shadingVariableNamed(request.mode, variable))
            addVariable(output, variable, own);
        else if (const int components = shaderOutputComponents(request.mode))
            addShaderOutput(output, std::string(name), components, own);
        else
            return;
        fPlan.outputs.push_back(std::move(output));
    }

    OutputPlan take() { return std::move(fPlan); }

private:
    void addStandard(ImageOutput& output, int bits, const OutputRequest& request,
                     const Quantization* own) {
        const Quantization& color = own ? *own : fColor;
        const bool clamps = request.clampsFloats;
        if (bits & kColorBit) {
            output.color = true;
            for (ChannelSource source :
                 {ChannelSource::kRed, ChannelSource::kGreen, ChannelSource::kBlue})
                output.channels.push_back(OutputChannel{source, 0, color, clamps});
        }
        if (bits & kAlphaBit) {
            output.alpha = true;
            output.channels.push_back(OutputChannel{ChannelSource::kAlpha, 0, color, clamps});
        }
        if (bits & kDepthBit) {
            output.depth = true;
            const Quantization& depth = own ? *own : fDepth;
            if (request.depthFromCamera) {
                output.channels.push_back(OutputChannel{ChannelSource::kNearestDepth, 0, depth});
                fPlan.wantsNearestDepth = true;
            } else {
                output.channels.push_back(OutputChannel{ChannelSource::kDepth, 0, depth, clamps});
            }
        }
    }

    void addOpacity(ImageOutput& output, const Quantization* own) {
        output.variableComponents = 3;
        for (uint16_t c = 0; c < 3; ++c)
            output.channels.push_back(
                OutputChannel{ChannelSource::kOpacity, c, own ? *own : Quantization{}, true});
        fPlan.wantsOpacity = true;
    }

    void addVariable(ImageOutput& output, ShadingVariable variable, const Quantization* own) {
        int offset = fPlan.offsetOf(variable);
        const int components = componentsOf(variable);
        if (offset < 0) {
            offset = fPlan.variableFloats;
            fPlan.variables.push_back(PlannedVariable{variable, uint16_t(offset)});
            fPlan.variableFloats += components;
        }
        addVariableChannels(output, offset, components, own);
    }

    void addShaderOutput(ImageOutput& output, std::string name, int components,
                         const Quantization* own) {
        int offset = fPlan.offsetOfShaderOutput(name, components);
        if (offset < 0) {
            offset = fPlan.variableFloats;
            fPlan.variables.push_back(PlannedVariable{
                ShadingVariable::kShaderOutput, uint16_t(offset), std::move(name), components});
            fPlan.variableFloats += components;
        }
        addVariableChannels(output, offset, components, own);
    }

    static void addVariableChannels(ImageOutput& output, int offset, int components,
                                    const Quantization* own) {
        output.variableComponents = components;
        for (int c = 0; c < components; ++c)
            output.channels.push_back(OutputChannel{ChannelSource::kVariable, uint16_t(offset + c),
                                                    own ? *own : Quantization{}});
    }

    Quantization fColor, fDepth;
    OutputPlan fPlan;
};

} // namespace

int OutputPlan::slotsPerPixel() const {
    int slots = 0;
    for (const ImageOutput& output : outputs)
        slots += int(output.channels.size());
    return slots;
}

bool OutputPlan::wantsColor() const {
    return std::any_of(outputs.begin(), outputs.end(),
                       [](const ImageOutput& output) { return output.color || output.alpha; });
}

bool OutputPlan::wantsDepth() const {
    return std::any_of(outputs.begin(), outputs.end(),
                       [](const ImageOutput& output) { return output.depth; });
}

bool OutputPlan::wantsShading() const {
    return wantsColor() || wantsExtras();
}

int OutputPlan::offsetOf(ShadingVariable variable) const {
    for (const PlannedVariable& planned : variables)
        if (planned.variable == variable) return planned.offset;
    return -1;
}

int OutputPlan::offsetOfShaderOutput(std::string_view name, int components) const {
    for (const PlannedVariable& planned : variables)
        if (planned.variable == ShadingVariable::kShaderOutput && planned.name == name &&
            planned.components == components)
            return planned.offset;
    return -1;
}

bool shadingVariableNamed(const std::string& mode, ShadingVariable& variable) {
    std::string_view name = bareName(mode);
    for (const VariableName& entry : kVariables)
        if (entry.name == name) {
            variable = entry.variable;
            return true;
        }
    return false;
}

int componentsOf(ShadingVariable variable) {
    for (const VariableName& entry : kVariables)
        if (entry.variable == variable) return entry.components;
    return 0;
}

int standardChannelsNamed(const std::string& mode) {
    static constexpr std::array<std::string_view, 7> kModes = {"rgb",  "a",  "rgba", "z",
                                                               "rgbz", "az", "rgbaz"};
    for (std::size_t k = 0; k < kModes.size(); ++k)
        if (mode == kModes[k]) return int(k) + 1;
    return 0;
}

int shaderOutputComponents(const std::string& mode) {
    const std::string_view name = bareName(mode);
    if (name.empty()) return 0;
    const std::string_view given =
        std::string_view(mode).substr(0, std::size_t(name.data() - mode.data()));
    for (const auto& [type, components] : kOutputTypes)
        if (hasWord(given, type)) return components;
    const unsigned short quark = find(std::string(name).c_str());
    if (quark == 0) return 0;
    switch (getType(quark)) {
    case QEL_TYPE_FLOAT:
        return 1;
    case QEL_TYPE_POINT:
    case QEL_TYPE_COLOR:
        return 3;
    default:
        return 0;
    }
}

bool isOutputMode(const std::string& mode) {
    ShadingVariable variable;
    std::string_view name = bareName(mode);
    return standardChannelsNamed(mode) || name == "Ci" || name == "Oi" ||
           shadingVariableNamed(mode, variable) || shaderOutputComponents(mode) > 0;
}

OutputPlan planOutputs(const std::vector<OutputRequest>& requests, const Quantization& color,
                       const Quantization& depth) {
    Planner planner(color, depth);
    for (const OutputRequest& request : requests)
        planner.add(request);
    return planner.take();
}

} // namespace quelmark
