// Runs of small compiled shaders over a few points: arithmetic, the masks of
// ifs, loops, break, continue and return, the environment's variables and
// parameters, cancellation and the light loops.
#include "renderer/shading/ShaderMachine.h"

#include "tests/renderer/shading/ShaderRunSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace quelmark;
using namespace quelmark::testing;

namespace {

// u over the points of a row: 0, 0.25, 0.5, 0.75.
constexpr int kRowCells = 3;
std::vector<float> rowOfU() {
    return {0, 0.25f, 0.5f, 0.75f};
}

std::vector<float> column(TestEnvironment& environment, const std::string& name, int width = 1,
                          int component = 0) {
    std::vector<float> values;
    for (int point = 0; point < environment.points(); ++point)
        values.push_back(environment.at(name, point, width, component));
    return values;
}

// ---------------------------------------------------------------------------
// Arithmetic

TEST(ShaderMachineArithmetic, FloatsWidenToTriples) {
    ShaderText shader;
    const int P = shader.reg("global varying point 0 P");
    const int Ci = shader.reg("global varying color 0 Ci");
    const int Os = shader.reg("global varying color 0 Os");
    const int two = shader.reg("constant uniform float 0 - 2");
    const int zero = shader.reg("constant uniform float 0 - 0");
    const int doubled = shader.reg("local varying point 0 -");
    shader
        .op("multiply", {doubled, two, P}) // 2 * P
        .op("add", {Ci, doubled, two})     // 2 P + 2
        .op("divide", {Os, P, zero});      // P / 0 gives 0
    TestEnvironment environment(2, 0);
    environment.setVarying("P", {0, 0, 0, 1, 2, 3, 2, 4, 6});
    environment.setEveryPoint("Ci", {9, 9, 9});
    environment.setEveryPoint("Os", {9, 9, 9});
    ASSERT_EQ(runText(shader.text(), environment), ShaderRunResult::kFinished);
    EXPECT_EQ(environment.floats("Ci"), (std::vector<float>{2, 2, 2, 4, 6, 8, 6, 10, 14}));
    EXPECT_EQ(environment.floats("Os"), std::vector<float>(9, 0));
}

TEST(ShaderMachineArithmetic, MatricesMultiplyAndFloatsWidenToTheDiagonal) {
    ShaderText shader;
    const std::string scaleTwoMoveOne = "2 0 0 0 0 2 0 0 0 0 2 0 1 1 1 1";
    const std::string identity = "1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1";
    const int product = shader.reg("output uniform matrix 0 product " + identity);
    const int sum = shader.reg("output uniform matrix 0 sum " + identity);
    const int quotient = shader.reg("output uniform matrix 0 quotient " + identity);
    const int scaled = shader.reg("output uniform matrix 0 scaled " + identity);
    const int m = shader.reg("constant uniform matrix 0 - " + scaleTwoMoveOne);
    const int three = shader.reg("constant uniform float 0 - 3");
    shader.op("multiply", {product, m, m})
        .op("add", {sum, m, three})
        .op("divide", {quotient, m, m})
        .op("multiply", {scaled, three, m});
    std::string error;
    const auto program = prepareText(shader.text(), error);
    ASSERT_TRUE(program) << error;
    TestEnvironment environment;
    ShaderMachine machine;
    ASSERT_EQ(machine.run(*program, environment), ShaderRunResult::kFinished);
    const auto values = [&](const char* name) {
        const ShaderValueView view = machine.parameter(name);
        return std::vector<float>(view.floats, view.floats + kMatrixFloats);
    };
    // Scale by 2 and move by 1, twice: scale by 4 and move by 1 * 2 + 1.
    EXPECT_EQ(values("product"),
              (std::vector<float>{4, 0, 0, 0, 0, 4, 0, 0, 0, 0, 4, 0, 3, 3, 3, 1}));
    EXPECT_EQ(values("sum"), (std::vector<float>{5, 0, 0, 0, 0, 5, 0, 0, 0, 0, 5, 0, 1, 1, 1, 4}));
    EXPECT_EQ(values("quotient"),
              (std::vector<float>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
    EXPECT_EQ(values("scaled"),
              (std::vector<float>{6, 0, 0, 0, 0, 6, 0, 0, 0, 0, 6, 0, 3, 3, 3, 3}));
}

// ---------------------------------------------------------------------------
// Masks

TEST(ShaderMachineMasks, VaryingIfAndElseAssignEachPoint) {
    ShaderText shader;
    const int u = shader.reg("global varying float 0 u");
    const int Ci = shader.reg("global varying color 0 Ci");
    const int tenth = shader.reg("constant uniform float 0 - 0.1");
    const int limit = shader.reg("constant uniform float 0 - 0.4");
    const int one = shader.reg("constant uniform float 0 - 1");
    const int two = shader.reg("constant uniform float 0 - 2");
    const int three = shader.reg("constant uniform float 0 - 3");
    const int test = shader.reg("local varying float 0 -");
    shader.op("greater", {test, u, limit})
        .op("if", {test})
        .op("move", {Ci, one})
        .op("else", {})
        .op("move", {Ci, two})
        .op("greater", {test, u, tenth})
        .op("if", {test})
        .op("move", {Ci, three})
        .op("endif", {})
        .op("endif", {});
    TestEnvironment environment(kRowCells, 0);
    environment.setVarying("u", rowOfU());
    environment.setEveryPoint("Ci", {0, 0, 0});
    ASSERT_EQ(runText(shader.text(), environment), ShaderRunResult::kFinished);
    EXPECT_EQ(column(environment, "Ci", 3), (std::vector<float>{2, 3, 1, 1}));
}

// i counts up to each point's limit (4 u: 0 to 3), where it breaks.
TEST(ShaderMachineMasks, BreakEndsTheLoopAtEachPointsOwnRound) {
    ShaderText shader;
    const int u = shader.reg("global varying float 0 u");
    const int Ci = shader.reg("global varying color 0 Ci");
    const int zero = shader.reg("constant uniform float 0 - 0");
    const int one = shader.reg("constant uniform float 0 - 1");
    const int four = shader.reg("constant uniform float 0 - 4");
    const int ten = shader.reg("constant uniform float 0 - 10");
    const int limit = shader.reg("local varying float 0 limit");
    const int i = shader.reg("local varying float 0 i");
    const int rounds = shader.reg("local varying float 0 rounds");
    const int test = shader.reg("local varying float 0 -");
    shader.op("multiply", {limit, u, four})
        .op("move", {i, zero})
        .op("move", {rounds, zero})
        .op("loop", {})
        .op("less", {test, i, ten})
        .op("looptest", {test})
        .op("add", {rounds, rounds, one})
        .op("greaterequal", {test, i, limit})
        .op("if", {test})
        .op("break", {1})
        .op("endif", {})
        .op("add", {i, i, one})
        .op("endloop", {})
        .op("triple", {Ci, i, rounds, zero});
    TestEnvironment environment(kRowCells, 0);
    environment.setVarying("u", rowOfU());
    environment.setEveryPoint("Ci", {0, 0, 0});
    ASSERT_EQ(runText(shader.text(), environment), ShaderRunResult::kFinished);
    EXPECT_EQ(column(environment, "Ci", 3, 0), (std::vector<float>{0, 1, 2, 3}));
    EXPECT_EQ(column(environment, "Ci", 3, 1), (std::vector<float>{1, 2, 3, 4}));
}

// Two loops of three rounds each; break 2 leaves both once 3 i + j reaches
// the point's stop: the count is min(stop, 9), and i is where it stopped.
TEST(ShaderMachineMasks, BreakTwoLeavesBothLoops) {
    ShaderText shader;
    const int stop = shader.reg("global varying float 0 s");
    const int Ci = shader.reg("global varying color 0 Ci");
    const int zero = shader.reg("constant uniform float 0 - 0");
    const int one = shader.reg("constant uniform float 0 - 1");
    const int three = shader.reg("constant uniform float 0 - 3");
    const int i = shader.reg("local varying float 0 i");
    const int j = shader.reg("local varying float 0 j");
    const int count = shader.reg("local varying float 0 count");
    const int after = shader.reg("local varying float 0 after");
    const int test = shader.reg("local varying float 0 -");
    const int step = shader.reg("local varying float 0 -");
    shader.op("move", {i, zero})
        .op("move", {count, zero})
        .op("move", {after, zero})
        .op("loop", {})
        .op("less", {test, i, three})
        .op("looptest", {test})
        .op("move", {j, zero})
        .op("loop", {})
        .op("less", {test, j, three})
        .op("looptest", {test})
        .op("multiply", {step, i, three})
        .op("add", {step, step, j})
        .op("greaterequal", {test, step, stop})
        .op("if", {test})
        .op("break", {2})
        .op("endif", {})
        .op("add", {count, count, one})
        .op("add", {j, j, one})
        .op("endloop", {})
        // Only points that finished the inner loop get here.
        .op("add", {after, after, one})
        .op("add", {i, i, one})
        .op("endloop", {})
        .op("triple", {Ci, count, i, after});
    TestEnvironment environment(2, 0);
    environment.setVarying("s", {1, 4, 100});
    environment.setEveryPoint("Ci", {0, 0, 0});
    ASSERT_EQ(runText(shader.text(), environment), ShaderRunResult::kFinished);
    EXPECT_EQ(column(environment, "Ci", 3, 0), (std::vector<float>{1, 4, 9}));
    EXPECT_EQ(column(environment, "Ci", 3, 1), (std::vector<float>{0, 1, 3}));
    EXPECT_EQ(column(environment, "Ci", 3, 2), (std::vector<float>{0, 1, 3}));
}

// Sums the odd numbers up to each point's limit, skipping the even ones
// with continue.
TEST(ShaderMachineMasks, ContinueGoesOnWithTheNextRound) {
    ShaderText shader;
    const int limit = shader.reg("global varying float 0 s");
    const int Ci = shader.reg("global varying color 0 Ci");
    const int zero = shader.reg("constant uniform float 0 - 0");
    const int one = shader.reg("constant uniform float 0 - 1");
    const int two = shader.reg("constant uniform float 0 - 2");
    const int i = shader.reg("local varying float 0 i");
    const int sum = shader.reg("local varying float 0 sum");
    const int test = shader.reg("local varying float 0 -");
    shader.op("move", {i, zero})
        .op("move", {sum, zero})
        .op("loop", {})
        .op("less", {test, i, limit})
        .op("looptest", {test})
        .op("add", {i, i, one})
        .op("call mod", {test, i, two})
        .op("equal", {test, test, zero})
        .op("if", {test})
        .op("continue", {1})
        .op("endif", {})
        .op("add", {sum, sum, i})
        .op("endloop", {})
        .op("move", {Ci, sum});
    TestEnvironment environment(1, 0);
    environment.setVarying("s", {5, 3});
    environment.setEveryPoint("Ci", {0, 0, 0});
    ASSERT_EQ(runText(shader.text(), environment), ShaderRunResult::kFinished);
    EXPECT_EQ(column(environment, "Ci", 3), (std::vector<float>{9, 4}));
}

TEST(ShaderMachineMasks, ReturnEndsTheShaderForTheRunningPoints) {
    ShaderText shader;
    const int u = shader.reg("global varying float 0 u");
    const int Ci = shader.reg("global varying color 0 Ci");
    const int half = shader.reg("constant uniform float 0 - 0.5");
    const int one = shader.reg("constant uniform float 0 - 1");
    const int five = shader.reg("constant uniform float 0 - 5");
    const int test = shader.reg("local varying float 0 -");
    shader.op("greater", {test, u, half})
        .op("loop", {})
        .op("if", {test})
        .op("move", {Ci, five})
        .op("return", {})
        .op("endif", {})
        .op("break", {1})
        .op("endloop", {})
        .op("move", {Ci, one});
    TestEnvironment environment(kRowCells, 0);
    environment.setVarying("u", rowOfU());
    environment.setEveryPoint("Ci", {0, 0, 0});
    ASSERT_EQ(runText(shader.text(), environment), ShaderRunResult::kFinished);
    EXPECT_EQ(column(environment, "Ci", 3), (std::vector<float>{1, 1, 1, 5}));
}

TEST(ShaderMachineMasks, UniformInstructionsRunOnceAndVaryingOnesAtEachPoint) {
    ShaderText shader;
    const int u = shader.reg("global varying float 0 u");
    const int once = shader.reg("constant uniform string 0 - \"once\\n\"");
    const int each = shader.reg("constant uniform string 0 - \"u=%.2f\\n\"");
    const int half = shader.reg("constant uniform float 0 - 0.5");
    const int test = shader.reg("local varying float 0 -");
    shader.op("less", {test, u, half})
        .op("if", {test})
        .call("printf", {-1, once})
        .call("printf", {-1, each, u})
        .op("endif", {});
    TestEnvironment environment(kRowCells, 0);
    environment.setVarying("u", rowOfU());
    ASSERT_EQ(runText(shader.text(), environment), ShaderRunResult::kFinished);
    EXPECT_EQ(environment.printed, (std::vector<std::string>{"once\n", "u=0.00\n", "u=0.25\n"}));
}

TEST(ShaderMachineMasks, ACancelledLoopStopsEarly) {
    ShaderText shader;
    const int Ci = shader.reg("global varying color 0 Ci");
    const int one = shader.reg("constant uniform float 0 - 1");
    const int count = shader.reg("local varying float 0 count");
    shader.op("loop", {})
        .op("looptest", {one})
        .op("add", {count, count, one})
        .op("endloop", {})
        .op("move", {Ci, count});
    TestEnvironment environment(1, 1);
    environment.setEveryPoint("Ci", {7, 7, 7});
    environment.cancelAfterChecks = 5;
    EXPECT_EQ(runText(shader.text(), environment), ShaderRunResult::kCancelled);
    EXPECT_EQ(environment.cancelChecks, 5);
    // A cancelled run writes nothing back.
    EXPECT_EQ(environment.floats("Ci"), std::vector<float>(12, 7));
}

// ---------------------------------------------------------------------------
// The environment

TEST(ShaderMachineEnvironment, ParametersTakeTheScenesValuesAndOutputsAreReadable) {
    ShaderText shader;
    const int Kd = shader.reg("parameter uniform float 0 Kd 0.5");
    const int Ks = shader.reg("parameter uniform float 0 Ks 0.25");
    const int tint = shader.reg("parameter varying color 0 tint 1 1 1");
    const int glow = shader.reg("output varying color 0 glow 0 0 0");
    const int name = shader.reg("parameter uniform string 0 name \"plain\"");
    const int label = shader.reg("output uniform string 0 label \"\"");
    const int sum = shader.reg("local uniform float 0 -");
    shader.op("add", {sum, Kd, Ks}).op("multiply", {glow, tint, sum}).op("move", {label, name});
    std::string error;
    const auto program = prepareText(shader.text(), error);
    ASSERT_TRUE(program) << error;
    TestEnvironment environment(1, 0);
    environment.parameters["Kd"] = {{2}, {}, false, false};
    environment.parameters["tint"] = {{1, 0, 0, 0, 1, 0}, {}, true, false};
    environment.parameters["name"] = {{}, {"given"}, false, false};
    ShaderMachine machine;
    ASSERT_EQ(machine.run(*program, environment), ShaderRunResult::kFinished);
    const ShaderValueView glowValues = machine.parameter("glow");
    ASSERT_TRUE(glowValues.found());
    EXPECT_TRUE(glowValues.varying);
    EXPECT_EQ(std::vector<float>(glowValues.floats, glowValues.floats + 6),
              (std::vector<float>{2.25f, 0, 0, 0, 2.25f, 0}));
    EXPECT_EQ(*machine.parameter("label").strings, "given");
    EXPECT_FALSE(machine.parameter("missing").found());
    EXPECT_TRUE(environment.reports.empty());

    // A value that does not fit is reported and the default used.
    environment.parameters["Kd"] = {{1, 2}, {}, false, false};
    ASSERT_EQ(machine.run(*program, environment), ShaderRunResult::kFinished);
    EXPECT_FLOAT_EQ(machine.parameter("glow").floats[0], 0.75f);
    ASSERT_EQ(environment.reports.size(), 1u);
    EXPECT_NE(environment.reports[0].find("'Kd'"), std::string::npos);
}

TEST(ShaderMachineEnvironment, ReadOnlyVariablesAreNotWrittenBack) {
    ShaderText shader;
    const int P = shader.reg("global varying point 0 P");
    const int N = shader.reg("global varying normal 0 N");
    const int one = shader.reg("constant uniform float 0 - 1");
    shader.op("add", {P, P, one}).op("move", {N, P});
    TestEnvironment environment(1, 0);
    environment.setVarying("P", {0, 0, 0, 1, 1, 1}, true);
    environment.setVarying("N", {0, 0, 0, 0, 0, 0});
    ASSERT_EQ(runText(shader.text(), environment), ShaderRunResult::kFinished);
    EXPECT_EQ(environment.floats("P"), (std::vector<float>{0, 0, 0, 1, 1, 1}));
    EXPECT_EQ(environment.floats("N"), (std::vector<float>{1, 1, 1, 2, 2, 2}));
}

TEST(ShaderMachineEnvironment, OneMachineRunsGridsOfAnySize) {
    ShaderText shader;
    const int u = shader.reg("global varying float 0 u");
    const int Ci = shader.reg("global varying color 0 Ci");
    const int two = shader.reg("constant uniform float 0 - 2");
    shader.op("multiply", {Ci, u, two});
    std::string error;
    const auto program = prepareText(shader.text(), error);
    ASSERT_TRUE(program) << error;
    ShaderMachine machine;
    for (const int cells : {5, 1, 3}) {
        TestEnvironment environment(cells, 0);
        std::vector<float> values;
        for (int point = 0; point <= cells; ++point)
            values.push_back(float(point));
        environment.setVarying("u", values);
        environment.setEveryPoint("Ci", {0, 0, 0});
        ASSERT_EQ(machine.run(*program, environment), ShaderRunResult::kFinished);
        for (int point = 0; point <= cells; ++point)
            EXPECT_EQ(environment.at("Ci", point, 3, 2), 2.0f * float(point));
    }
}

TEST(ShaderMachineEnvironment, AGridOfNoShapeFailsTheRun) {
    ShaderText shader;
    shader.reg("global varying float 0 u");
    std::string error;
    const auto program = prepareText(shader.text(), error);
    ASSERT_TRUE(program) << error;
    TestEnvironment environment(-1, 0);
    ShaderMachine machine;
    EXPECT_EQ(machine.run(*program, environment), ShaderRunResult::kFailed);
    EXPECT_NE(machine.failure().find("grid"), std::string::npos);
}

// ---------------------------------------------------------------------------
// Light loops

// Ci = sum of Cl over the lights of the category (any when none), within a
// quarter turn of N when narrow.
std::string illuminanceShader(const char* category, bool narrow) {
    ShaderText shader;
    const int P = shader.reg("global varying point 0 P");
    const int N = shader.reg("global varying normal 0 N");
    const int Ci = shader.reg("global varying color 0 Ci");
    const int Cl = shader.reg("global varying color 0 Cl");
    shader.reg("global varying vector 0 L");
    const int angle = shader.reg("constant uniform float 0 - 0.785398");
    const int name =
        category ? shader.reg(std::string("constant uniform string 0 - \"") + category + "\"") : -1;
    shader.op("illuminance", {name, P, narrow ? N : -1, narrow ? angle : -1})
        .op("add", {Ci, Ci, Cl})
        .op("endlightloop", {});
    return shader.text();
}

class ShaderMachineLights : public ::testing::Test {
protected:
    void SetUp() override {
        // Two points on the plane z = 0, facing up.
        environment.setVarying("P", {0, 0, 0, 1, 0, 0});
        environment.setEveryPoint("N", {0, 0, 1});
        environment.setEveryPoint("Ci", {0, 0, 0});
        lights.lights = {TestLights::point({0, 0, 10}, {1, 0, 0}, "key"),
                         TestLights::point({10, 0, 0.5f}, {0, 1, 0}, "fill"),
                         TestLights::point({0, 0, 10}, {0, 0, 1}, "rim")};
        lights.lights[2].shadowed = {1};
        environment.lightList = &lights;
    }

    TestEnvironment environment{1, 0};
    TestLights lights;
};

TEST_F(ShaderMachineLights, IlluminanceGathersEveryLightAtThePointsItReaches) {
    ASSERT_EQ(runText(illuminanceShader(nullptr, false), environment), ShaderRunResult::kFinished);
    EXPECT_EQ(environment.floats("Ci"), (std::vector<float>{1, 1, 1, 1, 1, 0}));
}

TEST_F(ShaderMachineLights, IlluminanceTakesTheLightsOfItsCategory) {
    ASSERT_EQ(runText(illuminanceShader("key", false), environment), ShaderRunResult::kFinished);
    EXPECT_EQ(environment.floats("Ci"), (std::vector<float>{1, 0, 0, 1, 0, 0}));
}

TEST_F(ShaderMachineLights, IlluminanceTakesTheLightsWithinItsCone) {
    // The fill light lies almost level with the points: outside the cone.
    ASSERT_EQ(runText(illuminanceShader(nullptr, true), environment), ShaderRunResult::kFinished);
    EXPECT_EQ(environment.floats("Ci"), (std::vector<float>{1, 0, 1, 1, 0, 0}));
}

TEST_F(ShaderMachineLights, IlluminanceLeavesOutAmbientLights) {
    lights.lights.push_back(TestLights::ambient({0.5f, 0.5f, 0.5f}));
    ASSERT_EQ(runText(illuminanceShader(nullptr, false), environment), ShaderRunResult::kFinished);
    EXPECT_EQ(environment.floats("Ci"), (std::vector<float>{1, 1, 1, 1, 1, 0}));
}

TEST_F(ShaderMachineLights, IlluminanceWithoutLightsNeverRunsItsBody) {
    environment.lightList = nullptr;
    ASSERT_EQ(runText(illuminanceShader(nullptr, false), environment), ShaderRunResult::kFinished);
    EXPECT_EQ(environment.floats("Ci"), std::vector<float>(6, 0));
}

// A spot light at the origin shining up a cone of half angle 0.5: of the
// surface points straight above, far to the side and below, only the first
// is lit; L runs from the light to it.
TEST(ShaderMachineLightShaders, IlluminateLightsOnlyThePointsInsideItsCone) {
    ShaderText shader("light");
    const int from = shader.reg("parameter uniform point 0 from 0 0 0");
    const int axis = shader.reg("parameter uniform vector 0 axis 0 0 1");
    const int angle = shader.reg("parameter uniform float 0 coneangle 0.5");
    const int intensity = shader.reg("parameter uniform float 0 intensity 2");
    const int L = shader.reg("global varying vector 0 L");
    const int Cl = shader.reg("global varying color 0 Cl");
    const int distance = shader.reg("local varying float 0 -");
    shader.op("illuminate", {from, axis, angle})
        .call("length", {distance, L})
        .op("divide", {Cl, intensity, distance})
        .op("endlightloop", {});
    TestEnvironment environment(2, 0);
    environment.setVarying("Ps", {0, 0, 4, 5, 0, 1, 0, 0, -5});
    environment.setEveryPoint("L", {0, 0, 0});
    environment.setEveryPoint("Cl", {0, 0, 0});
    ASSERT_EQ(runText(shader.text(), environment), ShaderRunResult::kFinished);
    EXPECT_EQ(environment.floats("Cl"), (std::vector<float>{0.5f, 0.5f, 0.5f, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(environment.floats("L"), (std::vector<float>{0, 0, 4, 0, 0, 0, 0, 0, 0}));
}

TEST(ShaderMachineLightShaders, SolarSetsLToItsAxisAtEveryPoint) {
    ShaderText shader("light");
    const int axis = shader.reg("parameter uniform vector 0 direction 0 -1 0");
    const int angle = shader.reg("constant uniform float 0 - 0");
    const int Cl = shader.reg("global varying color 0 Cl");
    shader.reg("global varying vector 0 L");
    const int one = shader.reg("constant uniform float 0 - 1");
    shader.op("solar", {axis, angle}).op("move", {Cl, one}).op("endlightloop", {});
    TestEnvironment environment(1, 0);
    environment.setEveryPoint("L", {0, 0, 0});
    environment.setEveryPoint("Cl", {0, 0, 0});
    ASSERT_EQ(runText(shader.text(), environment), ShaderRunResult::kFinished);
    EXPECT_EQ(environment.floats("L"), (std::vector<float>{0, -1, 0, 0, -1, 0}));
    EXPECT_EQ(environment.floats("Cl"), std::vector<float>(6, 1));
}

} // namespace
