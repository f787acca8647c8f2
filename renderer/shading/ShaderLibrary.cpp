#include "renderer/shading/ShaderLibrary.h"

#include "renderer/shading/ShaderLibraryCall.h"

#include <array>

namespace quelmark {

namespace {

using sl::BuiltinOp;

std::string describeArguments(const LibraryCall& call) {
    std::string text = "(";
    for (std::size_t index = 0; index < call.argumentCount(); ++index) {
        if (index > 0) text += ", ";
        text += sl::describe(call.argument(index));
    }
    text += ")";
    if (call.hasResult()) text += " giving " + sl::describe(call.result());
    return text;
}

// shadername(): the name of the shader that runs.
void shaderName(KernelFrame& frame, std::span<const std::int32_t> operands) {
    const RegisterView& out = frame.view(operands[0]);
    for (const int point : frame.active())
        out.stringAt(point) = frame.shaderName();
}

// shadername(role): the name of the point's shader of that role
// ("surface", "displacement", "atmosphere"), or "" where it has none.
void shaderNameOfRole(KernelFrame& frame, std::span<const std::int32_t> operands) {
    const RegisterView &out = frame.view(operands[0]), &role = frame.view(operands[1]);
    for (const int point : frame.active()) {
        const ShaderValueView name =
            frame.environment().answer(ShaderQuestion::kShaderName, role.stringAt(point));
        out.stringAt(point) = name.strings && name.elements == 1 ? *name.strings : std::string();
    }
}

Kernel chooseQuestionKernel(const LibraryCall& call) {
    if (call.op() != BuiltinOp::kShaderName || !call.resultIs(ValueKind::kString)) return nullptr;
    if (call.argumentCount() == 0) return shaderName;
    if (call.argumentsAre({ValueKind::kString})) return shaderNameOfRole;
    return nullptr;
}

} // namespace

bool LibraryCall::fits(const sl::Type& type, ValueKind kind, bool widening) {
    switch (kind) {
    case ValueKind::kFloatArray:
        return type.isArray() && type.basic == sl::BasicType::kFloat;
    case ValueKind::kTripleArray:
        return type.isArray() && type.isTriple();
    default:
        break;
    }
    if (type.isArray()) return false;
    switch (kind) {
    case ValueKind::kFloat:
        return type.basic == sl::BasicType::kFloat;
    case ValueKind::kTripleLike:
        return type.isTriple() || (widening && type.basic == sl::BasicType::kFloat);
    case ValueKind::kExactTriple:
        return type.isTriple();
    case ValueKind::kMatrix:
        return type.basic == sl::BasicType::kMatrix;
    case ValueKind::kString:
        return type.basic == sl::BasicType::kString;
    default:
        return false;
    }
}

bool LibraryCall::argumentsAre(std::initializer_list<ValueKind> kinds) const {
    if (kinds.size() != argumentCount()) return false;
    std::size_t index = 0;
    for (const ValueKind kind : kinds)
        if (!fits(argument(index++), kind, true)) return false;
    return true;
}

bool LibraryCall::argumentsFrom(std::size_t first, ValueKind kind) const {
    for (std::size_t index = first; index < argumentCount(); ++index)
        if (!fits(argument(index), kind, true)) return false;
    return true;
}

bool LibraryCall::writable(std::size_t index) const {
    return fCode.registers[std::size_t(fInstruction.operands[index + 1])].storage !=
           sl::Storage::kConstant;
}

Kernel chooseLibraryKernel(const sl::ShaderCode& code, const sl::Instruction& instruction,
                           std::string& problem) {
    const LibraryCall call(code, instruction);
    const std::string name(sl::builtinName(call.op()));
    using Chooser = Kernel (*)(const LibraryCall&);
    constexpr std::array<Chooser, 11> kParts = {
        chooseMathKernel,     chooseSplineKernel,      chooseNoiseKernel,    chooseNeighbourKernel,
        chooseGeometryKernel, chooseColorMatrixKernel, chooseLightingKernel, chooseStringKernel,
        chooseMessageKernel,  chooseQuestionKernel,    chooseTextureKernel};
    for (const Chooser choose : kParts)
        if (const Kernel kernel = choose(call)) return kernel;
    problem =
        name + "() is not run by the shader executor for the arguments " + describeArguments(call);
    return nullptr;
}

} // namespace quelmark
