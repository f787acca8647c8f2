// Runs a prepared shader over all the shading points of a grid at once:
// each instruction's kernel loops over the points that run it.
//
// One machine a thread: it keeps the registers' storage, the masks and the
// scratch room from grid to grid, so that once it has run a grid as large,
// a run allocates nothing but the strings a shader builds.
//
// Masks. Every point runs or not at each instruction. if runs its body
// where the condition holds and its else where it does not; a loop repeats
// while any point still runs it; looptest stops the points whose condition
// fails for the rest of the loop; break n and continue n take the running
// points out of n loops (continue back into the n-th loop's next round);
// return ends the shader for the running points. An instruction whose
// operands are all uniform runs once; one that writes a uniform register
// from varying values under a partial mask (the compiler does not make
// such code) leaves the value of one of the running points.
//
// Light loops. illuminance runs its body once for each light in its
// category that is not ambient, at the points the light reaches (within the
// cone round the axis when one is given), with L, Cl and Ol set. illuminate (in a light)
// computes L = Ps - position and runs its body where L lies within the cone;
// solar sets L to its axis when it has one and runs at every point.
//
// A run reads the predefined variables and the parameters' values from the
// environment, starts locals at zero, and, unless cancelled, writes every
// predefined variable that is not read-only back to the environment.
// Cancellation is asked for after every round of a loop or light loop.
#ifndef QEL_SHADING_SHADERMACHINE_H
#define QEL_SHADING_SHADERMACHINE_H

#include "renderer/shading/ShaderEnvironment.h"
#include "renderer/shading/ShaderKernel.h"
#include "renderer/shading/ShaderProgram.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quelmark {

enum class ShaderRunResult {
    kFinished,
    kCancelled, // the environment asked to stop; nothing was written back
    kFailed,    // the run could not start; failure() says why
};

// The most shading points one run takes.
inline constexpr int kMaxShadingPoints = 1 << 22;

class ShaderMachine {
public:
    ShaderRunResult run(const ShaderProgram& program, ShaderEnvironment& environment);

    // Why the last run failed.
    const std::string& failure() const { return fFailure; }
    // The points of the last run.
    int pointCount() const { return fPointCount; }
    // The values the last run left in the parameter of that name (output
    // parameters hold what the shader set); nothing found when its program
    // has no such parameter. Valid until the next run; the program must
    // still be alive.
    ShaderValueView parameter(std::string_view name) const;
    // For a light shader's last run, 1 at each point an illuminate or solar
    // statement ran its body at: the points the light reaches.
    std::span<const std::uint8_t> litPoints() const { return fLit; }

private:
    // A block the run is in, with its masks (one byte a point) in the mask
    // arena: the points that ran when it was entered, and for an if the
    // points of its else, for a loop those still going round, for a light
    // loop those the current light reaches.
    struct OpenBlock {
        sl::Opcode opener = sl::Opcode::kIf;
        std::size_t step = 0;
        std::uint8_t* saved = nullptr;
        std::uint8_t* other = nullptr;
        bool inElse = false;
        int light = -1;
    };

    // The predefined variables' registers the light loops set and read.
    struct LightRegisters {
        int L = -1, Cl = -1, Ol = -1;
    };

    bool start(const ShaderProgram& program, ShaderEnvironment& environment);
    void layOutStorage(const ShaderProgram& program);
    void initializeRegisters(const ShaderProgram& program, ShaderEnvironment& environment);
    void initializeParameter(std::size_t reg, const sl::Register& code,
                             ShaderEnvironment& environment);
    void initializeGlobal(std::size_t reg, const sl::Register& code,
                          ShaderEnvironment& environment);
    void copyIn(std::size_t reg, const float* floats, const std::string* strings, bool varying);
    void copyDefault(std::size_t reg, const sl::Register& code);
    void writeBack();
    // The predefined variable: the shader's register when it has one, else
    // the environment's values; floats null for none of the width.
    RegisterView environmentView(ShaderEnvironment& environment, std::string_view name,
                                 int width = 3) const;
    void report(std::string_view message);

    ShaderRunResult execute(const ShaderProgram& program);
    void runKernel(const ShaderProgram& program, std::size_t step);
    std::size_t continueAt(std::size_t next) const;

    OpenBlock& openBlock(sl::Opcode opener, std::size_t step);
    void closeBlock();
    void refreshActive();
    std::size_t enterIf(std::size_t step);
    std::size_t enterElse(std::size_t step);
    std::size_t leaveIf(std::size_t step);
    std::size_t enterLoop(std::size_t step);
    std::size_t testLoop(std::size_t step);
    std::size_t endLoopRound(std::size_t step, bool& cancelled);
    std::size_t leaveLoops(std::size_t step, bool continuing);
    std::size_t returnFromShader(std::size_t step);
    std::size_t enterDefault(std::size_t step) const;
    std::size_t enterIlluminance(std::size_t step);
    std::size_t nextLight();
    void shineLight(ShaderLights& lights, int light, const OpenBlock& block);
    std::size_t enterIlluminate(std::size_t step);
    std::size_t enterSolar(std::size_t step);
    std::size_t endLightLoop(std::size_t step, bool& cancelled);
    bool insideCone(const ShaderTriple& direction, std::int32_t axis, std::int32_t angle,
                    int point) const;
    void storeLight(int reg, std::span<const float> values, int point);

    const ShaderProgram* fProgram = nullptr;
    ShaderEnvironment* fEnvironment = nullptr;
    std::string fFailure;
    int fPointCount = 0;

    std::vector<float> fFloats;
    std::vector<std::string> fStrings;
    std::vector<RegisterView> fViews;
    // The predefined variables the environment lent, by register.
    std::vector<std::pair<std::size_t, ShaderVariable>> fBindings;
    // By register: 1 for the parameters the scene gave a value.
    std::vector<std::uint8_t> fGivenByScene;

    std::vector<std::uint8_t> fRunning;
    std::vector<std::uint8_t> fLit;
    std::vector<int> fActive;
    std::vector<std::uint8_t> fMaskArena;
    std::vector<OpenBlock> fBlocks;

    LightRegisters fLightRegisters;
    RegisterView fSurfacePosition; // Ps, for illuminate

    KernelFrame fFrame;
    std::uint32_t fRunNumber = 0;
};

} // namespace quelmark

#endif
