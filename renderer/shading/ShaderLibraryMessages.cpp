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
#include <array>
#include <utility>

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

// The calls that ask the environment, and whom each asks.
constexpr std::array<std::pair<BuiltinOp, ShaderQuestion>, 8> kQuestions = {{
    {BuiltinOp::kAttribute, ShaderQuestion::kAttribute},
    {BuiltinOp::kOption, ShaderQuestion::kOption},
    {BuiltinOp::kRendererInfo, ShaderQuestion::kRendererInfo},
    {BuiltinOp::kSurface, ShaderQuestion::kSurface},
    {BuiltinOp::kDisplacement, ShaderQuestion::kDisplacement},
    {BuiltinOp::kAtmosphere, ShaderQuestion::kAtmosphere},
    {BuiltinOp::kIncident, ShaderQuestion::kIncident},
    {BuiltinOp::kOpposite, ShaderQuestion::kOpposite},
}};

// The light of the illuminance loop running, asked for its parameter.
ShaderValueView askLight(KernelFrame& frame, std::string_view name) {
    ShaderLights* lights = frame.environment().lights();
    if (!lights || frame.light() < 0) return {};
    return lights->parameter(frame.light(), name);
}

// name(question, variable): operands are the result, the name and the
// variable. A uniform name is asked for once for all points.
template <class Ask> void askByName(KernelFrame& frame, Operands operands, Ask ask) {
    const RegisterView &result = frame.view(operands[0]), &name = frame.view(operands[1]),
                       &variable = frame.view(operands[2]);
    ShaderValueView value;
    for (const int point : frame.active()) {
        if (!name.uniform() || point == frame.active().front()) value = ask(name.stringAt(point));
        const bool fits = fitsVariable(value, variable);
        if (fits) copyValue(value, variable, point);
        result.at(point)[0] = fits ? 1.0f : 0.0f;
    }
}

void lightSourceKernel(KernelFrame& frame, Operands operands) {
    askByName(frame, operands, [&](std::string_view name) { return askLight(frame, name); });
}

template <std::size_t index> void questionKernel(KernelFrame& frame, Operands operands) {
    askByName(frame, operands, [&](std::string_view name) {
        return frame.environment().answer(kQuestions[index].second, name);
    });
}

template <std::size_t... index>
constexpr std::array<Kernel, sizeof...(index)> questionKernels(std::index_sequence<index...>) {
    return {questionKernel<index>...};
}

constexpr std::array<Kernel, kQuestions.size()> kQuestionKernels =
    questionKernels(std::make_index_sequence<kQuestions.size()>());

Kernel kernelOf(BuiltinOp op) {
    if (op == BuiltinOp::kLightSource) return lightSourceKernel;
    for (std::size_t index = 0; index < kQuestions.size(); ++index)
        if (kQuestions[index].first == op) return kQuestionKernels[index];
    return nullptr;
}

} // namespace

Kernel chooseMessageKernel(const LibraryCall& call) {
    const Kernel kernel = kernelOf(call.op());
    if (!kernel || call.argumentCount() != 2 || !call.resultIs(ValueKind::kFloat) ||
        !LibraryCall::fits(call.argument(0), ValueKind::kString, false) || !call.writable(1))
        return nullptr;
    return kernel;
}

} // namespace quelmark
