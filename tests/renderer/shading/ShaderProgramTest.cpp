// Preparing compiled shaders to run: what is refused and why, and the
// shaders of the compiled-code corpus.
#include "renderer/shading/ShaderProgram.h"

#include "renderer/shading/ShaderMachine.h"
#include "tests/renderer/shading/ShaderRunSupport.h"

#include <gtest/gtest.h>

using namespace quelmark;
using namespace quelmark::testing;

namespace {

std::string preparationError(const std::string& text) {
    std::string error;
    const auto program = prepareText(text, error);
    EXPECT_FALSE(program);
    return error;
}

std::optional<ShaderProgram> prepareCorpusFile(const std::string& name, std::string& error) {
    std::optional<sl::ShaderCode> code =
        sl::readShaderFile(std::string(QEL_SHADER_CODE_CORPUS) + "/" + name, error);
    if (!code) return std::nullopt;
    return ShaderProgram::prepare(std::move(*code), error);
}

TEST(ShaderProgramPreparation, RefusesAnEnvironmentCallWithoutADirection) {
    ShaderText shader;
    const int Ci = shader.reg("global varying color 0 Ci");
    const int map = shader.reg("constant uniform string 0 - \"sky.env\"");
    const int one = shader.reg("constant uniform float 0 - 1");
    shader.op("move", {Ci, one}).call("environment", {Ci, map});
    EXPECT_EQ(preparationError(shader.text()),
              "test.sl:2: environment() is not run by the shader executor for the arguments "
              "(uniform string) giving varying color");
}

TEST(ShaderProgramPreparation, RefusesMessageCallsWithoutANameAndAVariable) {
    for (const char* function : {"lightsource", "attribute"}) {
        ShaderText shader;
        const int result = shader.reg("local varying color 0 -");
        shader.call(function, {result});
        const std::string error = preparationError(shader.text());
        EXPECT_NE(error.find(std::string(function) + "() is not run by the shader executor for "
                                                     "the arguments"),
                  std::string::npos)
            << error;
    }
}

TEST(ShaderProgramPreparation, RefusesArgumentsNoKernelTakes) {
    ShaderText shader;
    const int result = shader.reg("local varying float 0 -");
    const int color = shader.reg("local varying color 0 -");
    shader.call("sin", {result, color});
    EXPECT_EQ(preparationError(shader.text()),
              "test.sl:1: sin() is not run by the shader executor for the arguments (varying "
              "color) giving varying float");
}

TEST(ShaderProgramPreparation, RefusesWritingAConstantThroughACall) {
    ShaderText shader;
    const int point = shader.reg("constant uniform point 0 - 1 2 3");
    const int x = shader.reg("constant uniform float 0 - 5");
    shader.call("setxcomp", {-1, point, x});
    EXPECT_NE(preparationError(shader.text()).find("setxcomp()"), std::string::npos);
}

TEST(ShaderProgramPreparation, RefusesCodeTheReaderWouldRefuse) {
    sl::ShaderCode code;
    code.name = "broken";
    code.sourceFile = "broken.sl";
    sl::Register color;
    color.type = {sl::BasicType::kColor, sl::Detail::kVarying, 0};
    sl::Register matrix;
    matrix.type = {sl::BasicType::kMatrix, sl::Detail::kVarying, 0};
    code.registers = {color, matrix};
    code.code.push_back({sl::Opcode::kAdd, sl::BuiltinOp::kRadians, {0, 0, 1}, 4});
    std::string error;
    EXPECT_FALSE(ShaderProgram::prepare(code, error));
    EXPECT_NE(error.find("broken.sl: the compiled code is not well formed: line"),
              std::string::npos)
        << error;
}

TEST(ShaderProgramPreparation, LaysOutUniformAndVaryingRegisters) {
    ShaderText shader;
    shader.reg("global varying point 0 P");
    shader.reg("parameter uniform float 3 weights 1 2 3");
    shader.reg("local varying matrix 0 -");
    shader.reg("constant uniform string 0 - \"x\"");
    std::string error;
    const auto program = prepareText(shader.text(), error);
    ASSERT_TRUE(program) << error;
    EXPECT_EQ(program->uniformFloats(), 3u);
    EXPECT_EQ(program->varyingFloats(), 19u);
    EXPECT_EQ(program->uniformStrings(), 1u);
    EXPECT_EQ(program->places()[2].offset, 3u);
    EXPECT_EQ(program->parameterRegister("weights"), 1);
    EXPECT_EQ(program->globalRegister("P"), 0);
}

TEST(ShaderProgramPreparation, MatchesEachBlocksEnd) {
    ShaderText shader;
    const int test = shader.reg("local varying float 0 -");
    shader.op("if", {test})
        .op("loop", {})
        .op("looptest", {test})
        .op("endloop", {})
        .op("else", {})
        .op("endif", {});
    std::string error;
    const auto program = prepareText(shader.text(), error);
    ASSERT_TRUE(program) << error;
    const auto steps = program->steps();
    EXPECT_EQ(steps[0].elseStep, 4);
    EXPECT_EQ(steps[0].endStep, 5);
    EXPECT_EQ(steps[4].endStep, 5);
    EXPECT_EQ(steps[1].endStep, 3);
    EXPECT_EQ(steps[3].openStep, 1);
    EXPECT_EQ(program->deepestNesting(), 2);
}

TEST(ShaderProgramCorpus, PreparesTheLoopsAndTheSpotLight) {
    for (const char* name : {"loops.qso", "spotlight.qso"}) {
        std::string error;
        EXPECT_TRUE(prepareCorpusFile(name, error)) << name << ": " << error;
    }
}

// Under an ambient light of 0.2 and a white light straight above, with the
// defaults Ka 1, Kd 1/2, Ks 1/2, roughness 1/10: the body Cs * (0.2 + 1/2).
// Seen straight on, the highlight is Ks * 1; seen along (-0.6, 0, 0.8), H
// is (-0.6, 0, 1.8) / sqrt(3.6), N.H = 3 / sqrt(10) and the highlight, of
// exponent 1/(roughness/8) = 80, Ks * (9/10)^40 = Ks * 0.0147809.
TEST(ShaderProgramCorpus, PlasticShinesUnderAnAmbientAndADistantLight) {
    std::string error;
    const auto program = prepareCorpusFile("plastic.qso", error);
    ASSERT_TRUE(program) << error;
    TestEnvironment environment(1, 0);
    environment.setEveryPoint("P", {0, 0, 0});
    environment.setEveryPoint("N", {0, 0, 1});
    environment.setVarying("I", {0, 0, -1, 0.6f, 0, -0.8f});
    environment.setEveryPoint("Cs", {1, 0.5f, 0.25f});
    environment.setEveryPoint("Os", {1, 1, 1});
    environment.setEveryPoint("Ci", {0, 0, 0});
    environment.setEveryPoint("Oi", {0, 0, 0});
    TestLights lights;
    lights.lights = {TestLights::ambient({0.2f, 0.2f, 0.2f}),
                     TestLights::distant({0, 0, 1}, {1, 1, 1})};
    environment.lightList = &lights;
    ShaderMachine machine;
    ASSERT_EQ(machine.run(*program, environment), ShaderRunResult::kFinished);
    constexpr float kBody = 0.7f;
    constexpr float kTolerance = 1e-6f;
    constexpr int kColorFloats = 3;
    const std::vector<float> Cs = {1, 0.5f, 0.25f};
    const std::vector<float> highlight = {0.5f, 0.5f * 0.0147809f};
    for (int point = 0; point < environment.points(); ++point)
        for (int k = 0; k < kColorFloats; ++k)
            EXPECT_NEAR(environment.at("Ci", point, kColorFloats, k),
                        Cs[std::size_t(k)] * kBody + highlight[std::size_t(point)], kTolerance)
                << "point " << point << ", component " << k;
    EXPECT_TRUE(environment.reports.empty());
}

// The spot light sits at the shader space's origin, one unit up, and shines
// up a cone of 30 degrees: it lights the surface point two units above it,
// with intensity over distance squared, and not the one to the side.
TEST(ShaderProgramCorpus, TheSpotLightLightsThePointsInItsCone) {
    std::string error;
    const auto program = prepareCorpusFile("spotlight.qso", error);
    ASSERT_TRUE(program) << error;
    TestEnvironment environment(1, 0);
    environment.spaces["shader"] = translationMatrix({0, 0, 1});
    environment.setVarying("Ps", {0, 0, 3, 3, 0, 2});
    environment.setEveryPoint("L", {0, 0, 0});
    environment.setEveryPoint("Cl", {0, 0, 0});
    ShaderMachine machine;
    ASSERT_EQ(machine.run(*program, environment), ShaderRunResult::kFinished);
    EXPECT_EQ(environment.floats("Cl"), (std::vector<float>{0.25f, 0.25f, 0.25f, 0, 0, 0}));
    EXPECT_EQ(environment.floats("L"), (std::vector<float>{0, 0, 2, 0, 0, 0}));
    EXPECT_TRUE(environment.reports.empty());
}

} // namespace
