// Message passing and questions to the renderer: attribute, option,
// rendererinfo, surface, displacement, atmosphere, incident, opposite and,
// inside an illuminance loop, lightsource.
//
// Each call names a value and gives a variable for it. Where the value is
// found and has the variable's shape (numbers of the variable's width and
// array length, or a string for a string), the variable takes it and the
// call gives 1; otherwise the variable keeps its value and the call gives
// 0. A varying value read into a uniform variable leaves one running
// point's value.
#include "renderer/shading/ShaderLibraryCall.h"

#include <algorithm>

namespace quelmark {

namespace {

using sl::BuiltinOp;
using Operands = std::span<const std::int32_t>;

bool fitsVariable(const ShaderValueView& value, const RegisterView& variable) {
    if (!value.found()) return false;
    if (variable.strings) return value.strings && variable.elements == value.elements;
    return value.floats && variable.floats && variable.width == value.width &&
           variable.elements == value.elements;
}

// Copies the point's value into the variable.
void copyValue(const ShaderValueView& value, const RegisterView& variable, int point) {
    const int source = value.varying ? point : 0;
    if (variable.strings) {
        const std::string* from = value.strings + std::ptrdiff_t(source) * value.elements;
        std::copy_n(from, value.elements, &variable.stringAt(point));
        return;
    }
    const std::ptrdiff_t floats = std::ptrdiff_t(value.width) * value.elements;
    std::copy_n(value.floats + source * floats, floats, variable.at(point));
}

ShaderValueView ask(KernelFrame& frame, BuiltinOp op, std::string_view name) {
    ShaderEnvironment& environment = frame.environment();
    switch (op) {
    case BuiltinOp::kLightSource: {
        ShaderLights* lights = environment.lights();
        if (!lights || frame.light() < 0) return {};
        return lights->parameter(frame.light(), name);
    }
    case BuiltinOp::kAttribute:
        return environment.answer(ShaderQuestion::kAttribute, name);
    case BuiltinOp::kOption:
        return environment.answer(ShaderQuestion::kOption, name);
    case BuiltinOp::kRendererInfo:
        return environment.answer(ShaderQuestion::kRendererInfo, name);
    case BuiltinOp::kSurface:
        return environment.answer(ShaderQuestion::kSurface, name);
    case BuiltinOp::kDisplacement:
        return environment.answer(ShaderQuestion::kDisplacement, name);
    case BuiltinOp::kAtmosphere:
        return environment.answer(ShaderQuestion::kAtmosphere, name);
    case BuiltinOp::kIncident:
        return environment.answer(ShaderQuestion::kIncident, name);
    case BuiltinOp::kOpposite:
        return environment.answer(ShaderQuestion::kOpposite, name);
    default:
        return {};
    }
}

// name(question, variable): operands are the result, the name and the
// variable. A uniform name is asked for once for all points.
template <BuiltinOp op> void askByName(KernelFrame& frame, Operands operands) {
    const RegisterView &result = frame.view(operands[0]), &name = frame.view(operands[1]),
                       &variable = frame.view(operands[2]);
    ShaderValueView value;
    for (const int point : frame.active()) {
        if (!name.uniform() || point == frame.active().front())
            value = ask(frame, op, name.stringAt(point));
        const bool fits = fitsVariable(value, variable);
        if (fits) copyValue(value, variable, point);
        result.at(point)[0] = fits ? 1.0f : 0.0f;
    }
}

template <BuiltinOp op> Kernel messageKernel(const LibraryCall& call) {
    if (call.argumentCount() != 2 || !call.resultIs(ValueKind::kFloat) ||
        !LibraryCall::fits(call.argument(0), ValueKind::kString, false) || !call.writable(1))
        return nullptr;
    return askByName<op>;
}

} // namespace

Kernel chooseMessageKernel(const LibraryCall& call) {
    switch (call.op()) {
    case BuiltinOp::kLightSource:
        return messageKernel<BuiltinOp::kLightSource>(call);
    case BuiltinOp::kAttribute:
        return messageKernel<BuiltinOp::kAttribute>(call);
    case BuiltinOp::kOption:
        return messageKernel<BuiltinOp::kOption>(call);
    case BuiltinOp::kRendererInfo:
        return messageKernel<BuiltinOp::kRendererInfo>(call);
    case BuiltinOp::kSurface:
        return messageKernel<BuiltinOp::kSurface>(call);
    case BuiltinOp::kDisplacement:
        return messageKernel<BuiltinOp::kDisplacement>(call);
    case BuiltinOp::kAtmosphere:
        return messageKernel<BuiltinOp::kAtmosphere>(call);
    case BuiltinOp::kIncident:
        return messageKernel<BuiltinOp::kIncident>(call);
    case BuiltinOp::kOpposite:
        return messageKernel<BuiltinOp::kOpposite>(call);
    default:
        return nullptr;
    }
}

} // namespace quelmark
