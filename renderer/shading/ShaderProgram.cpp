#include "renderer/shading/ShaderProgram.h"

#include "renderer/shading/ShaderLibrary.h"
#include "renderer/shading/ShaderOperators.h"
#include "shadercode/ShaderFile.h"

#include <algorithm>
#include <utility>

namespace quelmark {

namespace {

using sl::Opcode;

bool computesValue(Opcode op) {
    return op >= Opcode::kMove && op <= Opcode::kFromSpace;
}

bool isParameter(sl::Storage storage) {
    return storage == sl::Storage::kParameter || storage == sl::Storage::kOutputParameter;
}

// The source file, or the shader's name when the code has none.
std::string origin(const sl::ShaderCode& code) {
    return code.sourceFile.empty() ? "shader " + code.name : code.sourceFile;
}

} // namespace

std::optional<ShaderProgram> ShaderProgram::prepare(sl::ShaderCode code, std::string& error) {
    // The kernels rely on every check of the file reader: the code must be
    // what the reader would give.
    std::string fault;
    if (!sl::readShader(sl::writeShader(code), fault)) {
        error = origin(code) + ": the compiled code is not well formed: " + fault;
        return std::nullopt;
    }
    ShaderProgram program;
    program.fCode = std::move(code);
    program.fSteps.resize(program.fCode.code.size());
    if (!program.layOutRegisters(error) || !program.matchBlocks(error) ||
        !program.chooseKernels(error))
        return std::nullopt;
    return program;
}

int ShaderProgram::parameterRegister(std::string_view name) const {
    for (std::size_t index = 0; index < fCode.registers.size(); ++index) {
        const sl::Register& reg = fCode.registers[index];
        if (isParameter(reg.storage) && reg.name == name) return int(index);
    }
    return -1;
}

int ShaderProgram::globalRegister(std::string_view name) const {
    for (std::size_t index = 0; index < fCode.registers.size(); ++index) {
        const sl::Register& reg = fCode.registers[index];
        if (reg.storage == sl::Storage::kGlobal && reg.name == name) return int(index);
    }
    return -1;
}

std::string ShaderProgram::where(std::size_t step) const {
    return origin(fCode) + ":" + std::to_string(fCode.code[step].line) + ": ";
}

bool ShaderProgram::layOutRegisters(std::string& error) {
    fPlaces.reserve(fCode.registers.size());
    for (const sl::Register& reg : fCode.registers) {
        RegisterPlace place;
        place.varying = reg.type.detail == sl::Detail::kVarying;
        place.isString = reg.type.basic == sl::BasicType::kString;
        place.width = place.isString ? 1 : reg.type.floats();
        place.elements = std::max(reg.type.arrayLength, 1);
        std::size_t& area = place.isString ? (place.varying ? fVaryingStrings : fUniformStrings)
                                           : (place.varying ? fVaryingFloats : fUniformFloats);
        place.offset = area;
        area += place.valueSize();
        if (area > kMaxProgramFloats) {
            error = origin(fCode) + ": the registers take more than " +
                    std::to_string(kMaxProgramFloats) + " values" +
                    (place.varying ? " for each point" : "");
            return false;
        }
        fPlaces.push_back(place);
    }
    return true;
}

bool ShaderProgram::matchBlocks(std::string& error) {
    std::vector<int> open;
    for (std::size_t index = 0; index < fSteps.size(); ++index) {
        const auto step = int(index);
        ProgramStep& current = fSteps[index];
        current.op = fCode.code[index].op;
        switch (current.op) {
        case Opcode::kIf:
        case Opcode::kLoop:
        case Opcode::kIlluminance:
        case Opcode::kIlluminate:
        case Opcode::kSolar:
        case Opcode::kDefault:
            open.push_back(step);
            fDeepestNesting = std::max(fDeepestNesting, int(open.size()));
            break;
        case Opcode::kElse:
            if (open.empty()) break;
            fSteps[std::size_t(open.back())].elseStep = step;
            break;
        case Opcode::kEndIf:
        case Opcode::kEndLoop:
        case Opcode::kEndLightLoop:
        case Opcode::kEndDefault: {
            if (open.empty()) break;
            ProgramStep& opener = fSteps[std::size_t(open.back())];
            open.pop_back();
            opener.endStep = step;
            current.openStep = int(&opener - fSteps.data());
            if (opener.elseStep >= 0) fSteps[std::size_t(opener.elseStep)].endStep = step;
            break;
        }
        default:
            break;
        }
    }
    if (!open.empty()) {
        error = where(std::size_t(open.back())) + "a block is not closed";
        return false;
    }
    return true;
}

namespace {

bool isMapLookup(sl::BuiltinOp op) {
    using sl::BuiltinOp;
    return op == BuiltinOp::kTexture || op == BuiltinOp::kEnvironment || op == BuiltinOp::kShadow ||
           op == BuiltinOp::kBump || op == BuiltinOp::kTextureInfo;
}

} // namespace

bool ShaderProgram::chooseKernels(std::string& error) {
    for (std::size_t index = 0; index < fSteps.size(); ++index) {
        const sl::Instruction& instruction = fCode.code[index];
        ProgramStep& step = fSteps[index];
        if (!computesValue(step.op) && step.op != Opcode::kCall) continue;
        if (step.op == Opcode::kCall) fLooksUpMaps |= isMapLookup(instruction.builtin);
        std::string problem;
        step.kernel = step.op == Opcode::kCall ? chooseLibraryKernel(fCode, instruction, problem)
                                               : chooseOperatorKernel(fCode, instruction, problem);
        if (!step.kernel) {
            error = where(index) + problem;
            return false;
        }
        step.uniform = std::ranges::all_of(instruction.operands, [&](std::int32_t reg) {
            return reg < 0 || !fPlaces[std::size_t(reg)].varying;
        });
    }
    return true;
}

} // namespace quelmark
