// A compiled shader made ready to run: prepared once from its code, then
// shared, read-only, by the machines of every thread.
//
// Preparation lays out the registers, finds the instruction that closes
// each block (and the else of each if), and chooses each instruction's
// kernel by its operand types. It refuses a shader the executor cannot run:
// code the shader-file reader would refuse, a call of a function the
// executor does not run yet (texture, diffuse, lightsource...), or operand
// types no kernel takes; the error names the source line and the reason.
// A shader whose registers would take more than kMaxProgramFloats floats
// for one point (or for the uniform values) is refused too.
#ifndef QEL_SHADING_SHADERPROGRAM_H
#define QEL_SHADING_SHADERPROGRAM_H

#include "renderer/shading/ShaderKernel.h"
#include "shadercode/ShaderCode.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quelmark {

// Where a register's values lie in a machine's storage for a grid of n
// points: a uniform register's value at offset in the uniform area; a
// varying register's n values, one after the other, at n times offset in
// the varying area. Numbers and strings have areas of their own.
struct RegisterPlace {
    bool varying = false;
    bool isString = false;
    int width = 1;    // floats of one element; 1 for strings
    int elements = 1; // the array's length, 1 for a single value
    std::size_t offset = 0;

    std::size_t valueSize() const { return std::size_t(width) * std::size_t(elements); }
};

// One instruction, ready to run.
struct ProgramStep {
    sl::Opcode op = sl::Opcode::kMove;
    // Computes the instruction (its opcode from move to call).
    Kernel kernel = nullptr;
    // Every operand is uniform: the kernel runs once for the grid.
    bool uniform = false;
    // if: its else (-1 when none) and its endif; else: its endif; loops and
    // light loops: the instruction that closes them.
    int elseStep = -1;
    int endStep = -1;
    // endloop and endlightloop: the instruction that opened the block.
    int openStep = -1;
};

inline constexpr std::size_t kMaxProgramFloats = std::size_t(1) << 24;

class ShaderProgram {
public:
    // The program of the code; none, with the error, when the executor
    // cannot run it.
    static std::optional<ShaderProgram> prepare(sl::ShaderCode code, std::string& error);

    const sl::ShaderCode& code() const { return fCode; }
    std::span<const ProgramStep> steps() const { return fSteps; }
    std::span<const RegisterPlace> places() const { return fPlaces; }
    std::span<const std::int32_t> operands(std::size_t step) const {
        return fCode.code[step].operands;
    }

    // The areas' sizes: uniform floats and strings, and varying ones for
    // each point.
    std::size_t uniformFloats() const { return fUniformFloats; }
    std::size_t varyingFloats() const { return fVaryingFloats; }
    std::size_t uniformStrings() const { return fUniformStrings; }
    std::size_t varyingStrings() const { return fVaryingStrings; }
    // The most blocks open at once.
    int deepestNesting() const { return fDeepestNesting; }
    // Whether it looks texture, environment, shadow or bump maps up.
    bool looksUpMaps() const { return fLooksUpMaps; }

    // The register of the parameter (an output one too) of that name; -1
    // when there is none.
    int parameterRegister(std::string_view name) const;
    // The register of the predefined variable of that name; -1 when the
    // shader does not use it.
    int globalRegister(std::string_view name) const;

private:
    ShaderProgram() = default;

    bool layOutRegisters(std::string& error);
    bool chooseKernels(std::string& error);
    bool matchBlocks(std::string& error);
    std::string where(std::size_t step) const;

    sl::ShaderCode fCode;
    std::vector<ProgramStep> fSteps;
    std::vector<RegisterPlace> fPlaces;
    std::size_t fUniformFloats = 0, fVaryingFloats = 0;
    std::size_t fUniformStrings = 0, fVaryingStrings = 0;
    int fDeepestNesting = 0;
    bool fLooksUpMaps = false;
};

} // namespace quelmark

#endif
