// A call of the standard library as the library's parts see it when they
// choose its kernel: the operation, the result and the arguments' types.
// Kernels see the result as operand 0 and argument k as operand k + 1.
#ifndef QEL_SHADING_SHADERLIBRARYCALL_H
#define QEL_SHADING_SHADERLIBRARYCALL_H

#include "renderer/shading/ShaderKernel.h"
#include "shadercode/ShaderCode.h"

#include <cmath>
#include <cstddef>
#include <initializer_list>
#include <limits>
#include <string>

namespace quelmark {

// What an argument or a result may be.
enum class ValueKind {
    kFloat,
    kTripleLike,  // a colour, point, vector or normal; as an argument a float too
    kExactTriple, // a colour, point, vector or normal only
    kMatrix,
    kString,
    kFloatArray,
    kTripleArray,
};

class LibraryCall {
public:
    LibraryCall(const sl::ShaderCode& code, const sl::Instruction& instruction)
        : fCode(code), fInstruction(instruction) {}

    sl::BuiltinOp op() const { return fInstruction.builtin; }
    bool hasResult() const { return fInstruction.operands[0] >= 0; }
    // Only when hasResult().
    const sl::Type& result() const { return typeOf(0); }
    std::size_t argumentCount() const { return fInstruction.operands.size() - 1; }
    const sl::Type& argument(std::size_t index) const { return typeOf(index + 1); }

    bool resultIs(ValueKind kind) const { return hasResult() && fits(result(), kind, false); }
    // The arguments, exactly as many as kinds.
    bool argumentsAre(std::initializer_list<ValueKind> kinds) const;
    // Arguments from first on, each of the kind.
    bool argumentsFrom(std::size_t first, ValueKind kind) const;
    // The argument is a register the call may write: no constant.
    bool writable(std::size_t index) const;

    static bool fits(const sl::Type& type, ValueKind kind, bool widening);

private:
    const sl::Type& typeOf(std::size_t operand) const {
        return fCode.registers[std::size_t(fInstruction.operands[operand])].type;
    }

    const sl::ShaderCode& fCode;
    const sl::Instruction& fInstruction;
};

// A function's value as a shader sees it: a NaN is 0, an infinity the
// largest float of its sign.
inline float finiteResult(float value) {
    if (std::isnan(value)) return 0;
    constexpr float kLargest = std::numeric_limits<float>::max();
    if (std::isinf(value)) return value > 0 ? kLargest : -kLargest;
    return value;
}

// The parts of the library, each choosing among its functions' kernels;
// null when the call is not theirs to take or its types do not fit.
Kernel chooseMathKernel(const LibraryCall& call);
Kernel chooseSplineKernel(const LibraryCall& call);
Kernel chooseNoiseKernel(const LibraryCall& call);
Kernel chooseNeighbourKernel(const LibraryCall& call);
Kernel chooseGeometryKernel(const LibraryCall& call);
Kernel chooseColorMatrixKernel(const LibraryCall& call);
Kernel chooseLightingKernel(const LibraryCall& call);
Kernel chooseStringKernel(const LibraryCall& call);
Kernel chooseMessageKernel(const LibraryCall& call);
Kernel chooseTextureKernel(const LibraryCall& call);

} // namespace quelmark

#endif
