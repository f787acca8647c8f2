#include "renderer/shading/ShaderMachine.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quelmark {

namespace {

using sl::Opcode;

constexpr int kTripleFloats = 3;

bool isParameter(sl::Storage storage) {
    return storage == sl::Storage::kParameter || storage == sl::Storage::kOutputParameter;
}

} // namespace

// ---------------------------------------------------------------------------
// Running

ShaderRunResult ShaderMachine::run(const ShaderProgram& program, ShaderEnvironment& environment) {
    fFailure.clear();
    if (!start(program, environment)) return ShaderRunResult::kFailed;
    const ShaderRunResult result = execute(program);
    if (result == ShaderRunResult::kFinished) writeBack();
    return result;
}

ShaderValueView ShaderMachine::parameter(std::string_view name) const {
    if (!fProgram) return {};
    const int reg = fProgram->parameterRegister(name);
    if (reg < 0 || std::size_t(reg) >= fViews.size()) return {};
    const RegisterView& view = fViews[std::size_t(reg)];
    return {view.floats, view.strings, !view.uniform(), view.width, view.elements};
}

bool ShaderMachine::start(const ShaderProgram& program, ShaderEnvironment& environment) {
    fProgram = &program;
    fEnvironment = &environment;
    const ShadingGridShape grid = environment.grid();
    const long points = (long(grid.nu) + 1) * (long(grid.nv) + 1);
    if (grid.nu < 0 || grid.nv < 0 || points > kMaxShadingPoints) {
        fFailure = "a grid of " + std::to_string(grid.nu) + " by " + std::to_string(grid.nv) +
                   " cells is not one a shader can run on (at most " +
                   std::to_string(kMaxShadingPoints) + " points)";
        fViews.clear();
        return false;
    }
    fPointCount = int(points);
    const auto count = std::size_t(fPointCount);
    layOutStorage(program);

    // Reports remember the run they were made in; on wrapping round, the
    // record starts afresh.
    if (++fRunNumber == 0) {
        std::fill(fFrame.fReportedInRun.begin(), fFrame.fReportedInRun.end(), 0u);
        fRunNumber = 1;
    }
    fFrame.fPointCount = fPointCount;
    fFrame.fViews = fViews;
    fFrame.fGrid = grid;
    fFrame.fEnvironment = &environment;
    fFrame.fRandomSeed = environment.randomSeed();
    fFrame.fRandomDraws = 0;
    fFrame.fLight = -1;
    fFrame.fShaderName = program.code().name;
    fFrame.fRun = fRunNumber;
    fFrame.fReportedInRun.resize(std::max(fFrame.fReportedInRun.size(), program.steps().size()));

    initializeRegisters(program, environment);
    fLightRegisters = {program.globalRegister("L"), program.globalRegister("Cl"),
                       program.globalRegister("Ol")};
    fSurfacePosition = environmentView(environment, "Ps");
    fFrame.fGeometricNormal = environmentView(environment, "Ng");
    fFrame.fShadingPosition = environmentView(environment, "P");
    fFrame.fTextureS = environmentView(environment, "s", 1);
    fFrame.fTextureT = environmentView(environment, "t", 1);

    fRunning.assign(count, 1);
    fLit.assign(count, 0);
    fActive.resize(count);
    for (std::size_t point = 0; point < count; ++point)
        fActive[point] = int(point);
    fMaskArena.resize(2 * std::size_t(program.deepestNesting()) * count);
    fBlocks.clear();
    fBlocks.reserve(std::size_t(program.deepestNesting()));
    return true;
}

ShaderRunResult ShaderMachine::execute(const ShaderProgram& program) {
    const std::span<const ProgramStep> steps = program.steps();
    std::size_t next = fActive.empty() ? steps.size() : 0;
    bool cancelled = false;
    while (next < steps.size() && !cancelled) {
        const std::size_t step = next;
        switch (steps[step].op) {
        case Opcode::kIf:
            next = enterIf(step);
            break;
        case Opcode::kElse:
            next = enterElse(step);
            break;
        case Opcode::kEndIf:
            next = leaveIf(step);
            break;
        case Opcode::kLoop:
            next = enterLoop(step);
            break;
        case Opcode::kLoopTest:
            next = testLoop(step);
            break;
        case Opcode::kBreak:
            next = leaveLoops(step, false);
            break;
        case Opcode::kContinue:
            next = leaveLoops(step, true);
            break;
        case Opcode::kEndLoop:
            next = endLoopRound(step, cancelled);
            break;
        case Opcode::kIlluminance:
            next = enterIlluminance(step);
            break;
        case Opcode::kIlluminate:
            next = enterIlluminate(step);
            break;
        case Opcode::kSolar:
            next = enterSolar(step);
            break;
        case Opcode::kEndLightLoop:
            next = endLightLoop(step, cancelled);
            break;
        case Opcode::kReturn:
            next = returnFromShader(step);
            break;
        case Opcode::kDefault:
            next = enterDefault(step);
            break;
        case Opcode::kEndDefault:
            next = step + 1;
            break;
        default:
            runKernel(program, step);
            next = step + 1;
            break;
        }
    }
    return cancelled ? ShaderRunResult::kCancelled : ShaderRunResult::kFinished;
}

void ShaderMachine::runKernel(const ShaderProgram& program, std::size_t step) {
    const ProgramStep& prepared = program.steps()[step];
    fFrame.fStep = int(step);
    fFrame.fLine = program.code().code[step].line;
    fFrame.fActive =
        prepared.uniform ? std::span<const int>(fActive.data(), 1) : std::span<const int>(fActive);
    prepared.kernel(fFrame, program.operands(step));
}

// Where to go on from an instruction that changed which points run: on to
// the next when any point runs, else to the end of the innermost block (an
// if's else first), or past the end of the code.
std::size_t ShaderMachine::continueAt(std::size_t next) const {
    if (!fActive.empty()) return next;
    if (fBlocks.empty()) return fProgram->steps().size();
    const OpenBlock& block = fBlocks.back();
    const ProgramStep& opener = fProgram->steps()[block.step];
    if (block.opener == Opcode::kIf && !block.inElse && opener.elseStep >= 0)
        return std::size_t(opener.elseStep);
    return std::size_t(opener.endStep);
}

// ---------------------------------------------------------------------------
// Storage

void ShaderMachine::layOutStorage(const ShaderProgram& program) {
    const auto count = std::size_t(fPointCount);
    fFloats.resize(program.uniformFloats() + program.varyingFloats() * count);
    fStrings.resize(program.uniformStrings() + program.varyingStrings() * count);
    const std::span<const RegisterPlace> places = program.places();
    fViews.resize(places.size());
    for (std::size_t reg = 0; reg < places.size(); ++reg) {
        const RegisterPlace& place = places[reg];
        RegisterView& view = fViews[reg];
        view.width = place.width;
        view.elements = place.elements;
        view.stride = place.varying ? int(place.valueSize()) : 0;
        const std::size_t uniformArea =
            place.isString ? program.uniformStrings() : program.uniformFloats();
        const std::size_t start = place.varying ? uniformArea + place.offset * count : place.offset;
        view.floats = place.isString ? nullptr : fFloats.data() + start;
        view.strings = place.isString ? fStrings.data() + start : nullptr;
    }
}

void ShaderMachine::initializeRegisters(const ShaderProgram& program,
                                        ShaderEnvironment& environment) {
    std::fill(fFloats.begin(), fFloats.end(), 0.0f);
    for (std::string& text : fStrings)
        text.clear();
    fBindings.clear();
    const std::vector<sl::Register>& registers = program.code().registers;
    fGivenByScene.assign(registers.size(), 0);
    for (std::size_t reg = 0; reg < registers.size(); ++reg) {
        const sl::Register& code = registers[reg];
        if (code.storage == sl::Storage::kConstant)
            copyDefault(reg, code);
        else if (isParameter(code.storage))
            initializeParameter(reg, code, environment);
        else if (code.storage == sl::Storage::kGlobal)
            initializeGlobal(reg, code, environment);
    }
}

// Copies a value, or a value for each point, into the register: one value
// goes to every point of a varying register; of a point's values a uniform
// register takes the first point's.
void ShaderMachine::copyIn(std::size_t reg, const float* floats, const std::string* strings,
                           bool varying) {
    const RegisterView& view = fViews[reg];
    const std::size_t size = std::size_t(view.width) * std::size_t(view.elements);
    const int points = view.uniform() ? 1 : fPointCount;
    for (int point = 0; point < points; ++point) {
        const std::size_t from = varying ? std::size_t(point) * size : 0;
        if (floats)
            std::copy_n(floats + from, size, view.at(point));
        else if (strings)
            std::copy_n(strings + from, size, &view.stringAt(point));
    }
}

void ShaderMachine::copyDefault(std::size_t reg, const sl::Register& code) {
    copyIn(reg, fViews[reg].floats ? code.floats.data() : nullptr,
           fViews[reg].strings ? code.strings.data() : nullptr, false);
}

void ShaderMachine::initializeParameter(std::size_t reg, const sl::Register& code,
                                        ShaderEnvironment& environment) {
    const ShaderParameterValue given = environment.parameter(code.name);
    if (!given.given()) {
        copyDefault(reg, code);
        return;
    }
    const RegisterView& view = fViews[reg];
    const std::size_t size = std::size_t(view.width) * std::size_t(view.elements);
    const std::size_t expected = size * (given.varying ? std::size_t(fPointCount) : 1);
    const bool sameKind = (view.strings != nullptr) == (given.strings != nullptr);
    if (!sameKind || given.size != expected || (given.varying && view.uniform())) {
        report("the scene's value of parameter '" + code.name + "' (" + std::to_string(given.size) +
               (given.varying ? " varying" : " uniform") + " values) does not fit its type " +
               sl::describe(code.type) + ": the default is used");
        copyDefault(reg, code);
        return;
    }
    copyIn(reg, given.floats, given.strings, given.varying);
    fGivenByScene[reg] = 1;
}

void ShaderMachine::initializeGlobal(std::size_t reg, const sl::Register& code,
                                     ShaderEnvironment& environment) {
    const ShaderVariable given = environment.variable(code.name);
    const RegisterView& view = fViews[reg];
    if (!given.given()) {
        // The grid's spacing stands in for du and dv the renderer does not give.
        if (view.floats && (code.name == "du" || code.name == "dv")) {
            const float spacing = code.name == "du" ? fFrame.fGrid.du : fFrame.fGrid.dv;
            copyIn(reg, &spacing, nullptr, false);
        }
        return;
    }
    const std::size_t size = std::size_t(view.width) * std::size_t(view.elements);
    const std::size_t expected = size * (given.varying ? std::size_t(fPointCount) : 1);
    const bool sameKind = (view.strings != nullptr) == (given.strings != nullptr);
    if (!sameKind || given.size != expected) {
        report("the renderer's " + code.name + " (" + std::to_string(given.size) +
               " values) does not fit its type " + sl::describe(code.type) +
               ": the shader starts from zero");
        return;
    }
    copyIn(reg, given.floats, given.strings, given.varying);
    if (!given.readOnly) fBindings.emplace_back(reg, given);
}

// Each lent variable takes the register's values: a uniform register's one
// value at every point, a uniform variable the first point's value.
void ShaderMachine::writeBack() {
    for (const auto& [reg, variable] : fBindings) {
        const RegisterView& view = fViews[reg];
        const std::size_t size = std::size_t(view.width) * std::size_t(view.elements);
        const int points = variable.varying ? fPointCount : 1;
        for (int point = 0; point < points; ++point) {
            const std::size_t to = std::size_t(point) * size;
            if (variable.floats)
                std::copy_n(view.at(point), size, variable.floats + to);
            else
                std::copy_n(&view.stringAt(point), size, variable.strings + to);
        }
    }
}

// A triple the light loops read: the shader's own register of the name, or
// the environment's variable when the shader does not use it.
RegisterView ShaderMachine::environmentView(ShaderEnvironment& environment, std::string_view name,
                                            int width) const {
    const int reg = fProgram->globalRegister(name);
    if (reg >= 0) {
        const RegisterView& view = fViews[std::size_t(reg)];
        return view.width == width && view.elements == 1 ? view : RegisterView{};
    }
    const ShaderVariable given = environment.variable(name);
    const auto floats = std::size_t(width);
    const std::size_t expected = floats * (given.varying ? std::size_t(fPointCount) : 1);
    if (!given.floats || given.size != expected) return {};
    RegisterView view;
    view.floats = given.floats;
    view.stride = given.varying ? width : 0;
    view.width = width;
    return view;
}

void ShaderMachine::report(std::string_view message) {
    fEnvironment->report("shader '" + fProgram->code().name + "': " + std::string(message));
}

// ---------------------------------------------------------------------------
// Masks and blocks

ShaderMachine::OpenBlock& ShaderMachine::openBlock(Opcode opener, std::size_t step) {
    const auto count = std::size_t(fPointCount);
    std::uint8_t* masks = fMaskArena.data() + 2 * fBlocks.size() * count;
    OpenBlock block;
    block.opener = opener;
    block.step = step;
    block.saved = masks;
    block.other = masks + count;
    std::copy_n(fRunning.data(), count, block.saved);
    fBlocks.push_back(block);
    return fBlocks.back();
}

void ShaderMachine::closeBlock() {
    std::copy_n(fBlocks.back().saved, std::size_t(fPointCount), fRunning.data());
    fBlocks.pop_back();
    refreshActive();
}

void ShaderMachine::refreshActive() {
    fActive.clear();
    for (int point = 0; point < fPointCount; ++point)
        if (fRunning[std::size_t(point)]) fActive.push_back(point);
}

std::size_t ShaderMachine::enterIf(std::size_t step) {
    const RegisterView& condition = fViews[std::size_t(fProgram->operands(step)[0])];
    OpenBlock& block = openBlock(Opcode::kIf, step);
    std::fill_n(block.other, fPointCount, std::uint8_t(0));
    for (const int point : fActive) {
        const bool holds = condition.at(point)[0] != 0;
        fRunning[std::size_t(point)] = holds;
        block.other[point] = !holds;
    }
    refreshActive();
    return continueAt(step + 1);
}

std::size_t ShaderMachine::enterElse(std::size_t step) {
    OpenBlock& block = fBlocks.back();
    block.inElse = true;
    std::copy_n(block.other, std::size_t(fPointCount), fRunning.data());
    refreshActive();
    return continueAt(step + 1);
}

std::size_t ShaderMachine::leaveIf(std::size_t step) {
    closeBlock();
    return continueAt(step + 1);
}

std::size_t ShaderMachine::enterLoop(std::size_t step) {
    OpenBlock& block = openBlock(Opcode::kLoop, step);
    std::copy_n(fRunning.data(), std::size_t(fPointCount), block.other);
    return step + 1;
}

// The points whose condition fails leave the loop, as by break 1.
std::size_t ShaderMachine::testLoop(std::size_t step) {
    const RegisterView& condition = fViews[std::size_t(fProgram->operands(step)[0])];
    OpenBlock& loop = fBlocks.back();
    for (const int point : fActive) {
        if (condition.at(point)[0] != 0) continue;
        fRunning[std::size_t(point)] = 0;
        loop.other[point] = 0;
    }
    refreshActive();
    return continueAt(step + 1);
}

std::size_t ShaderMachine::endLoopRound(std::size_t step, bool& cancelled) {
    cancelled = fEnvironment->cancelled();
    OpenBlock& loop = fBlocks.back();
    std::copy_n(loop.other, std::size_t(fPointCount), fRunning.data());
    refreshActive();
    if (!fActive.empty()) return loop.step + 1;
    closeBlock();
    return continueAt(step + 1);
}

// break n and continue n: the running points leave every block up to the
// n-th loop out; break takes them out of that loop too, continue leaves
// them in it for its next round.
std::size_t ShaderMachine::leaveLoops(std::size_t step, bool continuing) {
    const std::int32_t levels = fProgram->operands(step)[0];
    const auto clear = [&](std::uint8_t* mask) {
        for (const int point : fActive)
            mask[point] = 0;
    };
    int loops = 0;
    for (auto block = fBlocks.rbegin(); block != fBlocks.rend(); ++block) {
        if (block->opener == Opcode::kLoop && ++loops == levels) {
            if (!continuing) clear(block->other);
            break;
        }
        if (block->opener == Opcode::kLoop) clear(block->other);
        clear(block->saved);
    }
    clear(fRunning.data());
    refreshActive();
    return continueAt(step + 1);
}

// A parameter's default code runs only when the scene gave no value.
std::size_t ShaderMachine::enterDefault(std::size_t step) const {
    const auto parameter = std::size_t(fProgram->operands(step)[0]);
    if (!fGivenByScene[parameter]) return step + 1;
    return std::size_t(fProgram->steps()[step].endStep) + 1;
}

std::size_t ShaderMachine::returnFromShader(std::size_t step) {
    for (OpenBlock& block : fBlocks) {
        for (const int point : fActive) {
            block.saved[point] = 0;
            if (block.opener == Opcode::kLoop) block.other[point] = 0;
        }
    }
    for (const int point : fActive)
        fRunning[std::size_t(point)] = 0;
    refreshActive();
    return continueAt(step + 1);
}

// ---------------------------------------------------------------------------
// Light loops

bool ShaderMachine::insideCone(const ShaderTriple& direction, std::int32_t axis, std::int32_t angle,
                               int point) const {
    if (axis < 0) return true;
    const ShaderTriple towards = tripleAt(fViews[std::size_t(axis)], point);
    const float halfAngle = fViews[std::size_t(angle)].at(point)[0];
    if (halfAngle >= std::numbers::pi_v<float>) return true;
    const float lengths = std::sqrt(
        (direction[0] * direction[0] + direction[1] * direction[1] + direction[2] * direction[2]) *
        (towards[0] * towards[0] + towards[1] * towards[1] + towards[2] * towards[2]));
    if (lengths == 0) return true;
    const float cosine =
        (direction[0] * towards[0] + direction[1] * towards[1] + direction[2] * towards[2]) /
        lengths;
    return cosine >= std::cos(halfAngle);
}

void ShaderMachine::storeLight(int reg, std::span<const float> values, int point) {
    if (reg < 0) return;
    const RegisterView& view = fViews[std::size_t(reg)];
    if (view.width != kTripleFloats || !view.floats) return;
    std::copy_n(values.data(), kTripleFloats, view.at(point));
}

std::size_t ShaderMachine::enterIlluminance(std::size_t step) {
    OpenBlock& block = openBlock(Opcode::kIlluminance, step);
    block.light = -1;
    return nextLight();
}

// The next light of the category that reaches any of the loop's points:
// its body runs there; after the last, the loop ends.
std::size_t ShaderMachine::nextLight() {
    OpenBlock& block = fBlocks.back();
    ShaderLights* lights = fEnvironment->lights();
    const std::span<const std::int32_t> operands = fProgram->operands(block.step);
    const auto first = std::find(block.saved, block.saved + fPointCount, std::uint8_t(1));
    const bool anyPoint = first != block.saved + fPointCount;
    const std::string* category =
        operands[0] >= 0 && anyPoint
            ? &fViews[std::size_t(operands[0])].stringAt(int(first - block.saved))
            : nullptr;
    while (lights && anyPoint && ++block.light < lights->count()) {
        if (lights->isAmbient(block.light) ||
            !lights->inCategory(block.light, category ? *category : std::string_view()))
            continue;
        shineLight(*lights, block.light, block);
        if (!fActive.empty()) return block.step + 1;
    }
    const std::size_t end = std::size_t(fProgram->steps()[block.step].endStep);
    fFrame.fLight = -1;
    closeBlock();
    return continueAt(end + 1);
}

// Runs the light at the loop's points and leaves running those it reaches
// within the loop's cone, with L, Cl and Ol set.
void ShaderMachine::shineLight(ShaderLights& lights, int light, const OpenBlock& block) {
    std::copy_n(block.saved, std::size_t(fPointCount), fRunning.data());
    refreshActive();
    const std::span<const std::int32_t> operands = fProgram->operands(block.step);
    const RegisterView& position = fViews[std::size_t(operands[1])];
    LightSample sample = fFrame.lightRoom(fActive);
    sample.positions = position.floats;
    sample.positionStride = position.stride;
    lights.shine(light, sample);
    fFrame.fLight = light;
    for (const int point : fActive) {
        const auto at = std::size_t(kTripleFloats * point);
        const ShaderTriple direction = {sample.L[at], sample.L[at + 1], sample.L[at + 2]};
        const bool lit =
            sample.reaches[point] && insideCone(direction, operands[2], operands[3], point);
        fRunning[std::size_t(point)] = lit;
        if (!lit) continue;
        storeLight(fLightRegisters.L, std::span(sample.L + at, kTripleFloats), point);
        storeLight(fLightRegisters.Cl, std::span(sample.Cl + at, kTripleFloats), point);
        storeLight(fLightRegisters.Ol, std::span(sample.Ol + at, kTripleFloats), point);
    }
    refreshActive();
}

std::size_t ShaderMachine::enterIlluminate(std::size_t step) {
    openBlock(Opcode::kIlluminate, step);
    const std::span<const std::int32_t> operands = fProgram->operands(step);
    const RegisterView& position = fViews[std::size_t(operands[0])];
    if (!fSurfacePosition.floats) {
        fFrame.fStep = int(step);
        fFrame.fLine = fProgram->code().code[step].line;
        fFrame.report("illuminate: the renderer gives no surface position Ps; the origin is used");
    }
    for (const int point : fActive) {
        const ShaderTriple surface =
            fSurfacePosition.floats ? tripleAt(fSurfacePosition, point) : ShaderTriple{0, 0, 0};
        const ShaderTriple from = tripleAt(position, point);
        const ShaderTriple direction = {surface[0] - from[0], surface[1] - from[1],
                                        surface[2] - from[2]};
        const bool inside = insideCone(direction, operands[1], operands[2], point);
        fRunning[std::size_t(point)] = inside;
        if (!inside) continue;
        fLit[std::size_t(point)] = 1;
        storeLight(fLightRegisters.L, direction, point);
    }
    refreshActive();
    return continueAt(step + 1);
}

std::size_t ShaderMachine::enterSolar(std::size_t step) {
    openBlock(Opcode::kSolar, step);
    const std::int32_t axis = fProgram->operands(step)[0];
    for (const int point : fActive) {
        fLit[std::size_t(point)] = 1;
        if (axis >= 0)
            storeLight(fLightRegisters.L, tripleAt(fViews[std::size_t(axis)], point), point);
    }
    return step + 1;
}

std::size_t ShaderMachine::endLightLoop(std::size_t step, bool& cancelled) {
    cancelled = fEnvironment->cancelled();
    if (fBlocks.back().opener == Opcode::kIlluminance) return nextLight();
    closeBlock();
    return continueAt(step + 1);
}

} // namespace quelmark
