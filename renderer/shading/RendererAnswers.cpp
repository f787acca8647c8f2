#include "renderer/shading/RendererAnswers.h"

#include "common/Quark.h"
#include "renderer/state/Attrib.h"
#include "renderer/state/RenderContext.h"

#include <algorithm>

namespace quelmark {

namespace {

constexpr std::string_view kRendererName = "Pictrel";
constexpr float kVersion[] = {QEL_VERSION_MAJOR, QEL_VERSION_MINOR, QEL_VERSION_PATCH, 0};

} // namespace

ShaderValueView RendererAnswers::answer(ShaderQuestion question, const Attrib* attrib,
                                        const RenderContext* frame, std::string_view name) {
    switch (question) {
    case ShaderQuestion::kAttribute:
        return attribute(attrib, name);
    case ShaderQuestion::kOption:
        return option(frame, name);
    case ShaderQuestion::kRendererInfo:
        return rendererInfo(name);
    case ShaderQuestion::kShaderName:
        return shaderName(attrib, name);
    default:
        return {};
    }
}

ShaderValueView RendererAnswers::attribute(const Attrib* attrib, std::string_view name) {
    if (!attrib) return {};
    if (name == "ShadingRate") return numbers({attrib->shadingRateRoot * attrib->shadingRateRoot});
    if (name == "Sides") return numbers({float(attrib->sides)});
    if (name == "Matte") return numbers({float(attrib->matte)});
    if (name == "displacementbound:sphere") return numbers({attrib->displacementBound});
    if (name == "identifier:name" && !attrib->objectNameValue.empty())
        return text(attrib->objectNameValue.c_str());
    return {};
}

ShaderValueView RendererAnswers::shaderName(const Attrib* attrib, std::string_view role) {
    if (!attrib) return {};
    unsigned short name = 0;
    if (role == "surface") name = attrib->surfaceName;
    if (role == "displacement") name = attrib->displacementName;
    if (role == "atmosphere") name = attrib->atmosphereName;
    const char* text = name ? getString(name) : nullptr;
    if (!text) return {};
    return this->text(text);
}

ShaderValueView RendererAnswers::option(const RenderContext* frame, std::string_view name) {
    if (!frame) return {};
    const Option& option = frame->option;
    if (name == "Format" || name == "DeviceResolution")
        return numbers({float(option.xResolution), float(option.yResolution), option.pixelAspect});
    if (name == "FrameAspectRatio") return numbers({option.frameAspect});
    if (name == "CropWindow")
        return numbers({option.cropXmin, option.cropXmax, option.cropYmin, option.cropYmax});
    if (name == "Clipping") return numbers({option.nearClip, option.farClip});
    if (name == "DepthOfField")
        return numbers({option.fStop, option.focalLength, option.focalDistance});
    if (name == "Shutter") return numbers({option.shutterOpen, option.shutterClose});
    return {};
}

ShaderValueView RendererAnswers::rendererInfo(std::string_view name) {
    if (name == "renderer") return text(kRendererName);
    if (name == "version") return numbers({kVersion[0], kVersion[1], kVersion[2], kVersion[3]});
    if (name == "versionstring")
        return text(std::to_string(QEL_VERSION_MAJOR) + "." + std::to_string(QEL_VERSION_MINOR) +
                    "." + std::to_string(QEL_VERSION_PATCH));
    return {};
}

ShaderValueView RendererAnswers::numbers(std::initializer_list<float> values) {
    std::copy(values.begin(), values.end(), fFloats.begin());
    return {.floats = fFloats.data(), .elements = int(values.size())};
}

ShaderValueView RendererAnswers::text(std::string_view value) {
    fText = value;
    return {.strings = &fText};
}

} // namespace quelmark
