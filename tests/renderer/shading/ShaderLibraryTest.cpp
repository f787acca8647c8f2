// The standard library as compiled shaders call it, against values worked
// out by hand: mathematical, spline, derivative, geometric, space, colour,
// matrix, string and array functions.
#include "renderer/shading/ShaderLibrary.h"

#include "renderer/shading/ShaderMachine.h"
#include "tests/renderer/shading/ShaderRunSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <sstream>

using namespace quelmark;
using namespace quelmark::testing;

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr float kTolerance = 1e-5f;

std::string number(float value) {
    std::ostringstream text;
    text.precision(9);
    text << value;
    return text.str();
}

// Constant arguments: a float, a triple of a type, a matrix, a string, an
// array of floats.
std::string F(float value) {
    return "constant uniform float 0 - " + number(value);
}
std::string T(const std::string& type, float x, float y, float z) {
    return "constant uniform " + type + " 0 - " + number(x) + " " + number(y) + " " + number(z);
}
std::string C(float r, float g, float b) {
    return T("color", r, g, b);
}
std::string P(float x, float y, float z) {
    return T("point", x, y, z);
}
std::string V(float x, float y, float z) {
    return T("vector", x, y, z);
}
std::string M(const ShaderMatrix& matrix) {
    std::string text = "constant uniform matrix 0 -";
    for (const float value : matrix)
        text += " " + number(value);
    return text;
}
std::string S(const std::string& text) {
    return "constant uniform string 0 - \"" + text + "\"";
}
std::string floatArray(const std::vector<float>& values) {
    std::string text = "constant uniform float " + std::to_string(values.size()) + " -";
    for (const float value : values)
        text += " " + number(value);
    return text;
}

std::string zeros(const std::string& type) {
    const int count = type == "float" ? 1 : type == "matrix" ? 16 : 3;
    std::string text;
    for (int k = 0; k < count; ++k)
        text += " 0";
    return text;
}

struct CallResult {
    std::vector<float> floats;
    std::string text;
    std::vector<std::string> reports;
};

// result = function(arguments), run once and read back.
CallResult evaluate(const std::string& function, const std::string& resultType,
                    const std::vector<std::string>& arguments,
                    TestEnvironment environment = TestEnvironment()) {
    ShaderText shader;
    const bool isString = resultType == "string";
    const int result = shader.reg("output uniform " + resultType + " 0 result" +
                                  (isString ? std::string(" \"\"") : zeros(resultType)));
    std::vector<int> operands = {result};
    for (const std::string& argument : arguments)
        operands.push_back(shader.reg(argument));
    shader.call(function, operands);
    std::string error;
    const auto program = prepareText(shader.text(), error);
    EXPECT_TRUE(program) << function << ": " << error;
    if (!program) return {};
    ShaderMachine machine;
    EXPECT_EQ(machine.run(*program, environment), ShaderRunResult::kFinished);
    const ShaderValueView view = machine.parameter("result");
    CallResult out;
    out.reports = environment.reports;
    if (isString) {
        out.text = *view.strings;
    } else {
        out.floats.assign(view.floats, view.floats + view.width);
    }
    return out;
}

float evaluateFloat(const std::string& function, const std::vector<std::string>& arguments) {
    const CallResult result = evaluate(function, "float", arguments);
    return result.floats.empty() ? std::numeric_limits<float>::quiet_NaN() : result.floats[0];
}

void expectNear(const std::vector<float>& actual, const std::vector<float>& expected,
                float tolerance = kTolerance) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t k = 0; k < actual.size(); ++k)
        EXPECT_NEAR(actual[k], expected[k], tolerance) << "component " << k;
}

// ---------------------------------------------------------------------------
// Mathematical

TEST(ShaderLibraryMath, AnglesAndTrigonometry) {
    EXPECT_NEAR(evaluateFloat("radians", {F(180)}), kPi, kTolerance);
    EXPECT_NEAR(evaluateFloat("degrees", {F(kPi / 2)}), 90, 1e-4f);
    EXPECT_NEAR(evaluateFloat("sin", {F(kPi / 2)}), 1, kTolerance);
    EXPECT_NEAR(evaluateFloat("cos", {F(0)}), 1, kTolerance);
    EXPECT_NEAR(evaluateFloat("tan", {F(kPi / 4)}), 1, kTolerance);
    // Outside -1..1, asin and acos take the nearest end.
    EXPECT_NEAR(evaluateFloat("asin", {F(2)}), kPi / 2, kTolerance);
    EXPECT_NEAR(evaluateFloat("acos", {F(-3)}), kPi, kTolerance);
    EXPECT_NEAR(evaluateFloat("atan", {F(1)}), kPi / 4, kTolerance);
    EXPECT_NEAR(evaluateFloat("atan", {F(1), F(-1)}), 3 * kPi / 4, kTolerance);
}

TEST(ShaderLibraryMath, PowersAndLogarithms) {
    EXPECT_FLOAT_EQ(evaluateFloat("pow", {F(2), F(10)}), 1024);
    EXPECT_FLOAT_EQ(evaluateFloat("pow", {F(-2), F(3)}), -8);
    // No real root: 0, not a NaN.
    EXPECT_EQ(evaluateFloat("pow", {F(-8), F(1.0f / 3)}), 0);
    EXPECT_FLOAT_EQ(evaluateFloat("exp", {F(0)}), 1);
    EXPECT_EQ(evaluateFloat("exp", {F(1000)}), std::numeric_limits<float>::max());
    EXPECT_FLOAT_EQ(evaluateFloat("sqrt", {F(16)}), 4);
    EXPECT_EQ(evaluateFloat("sqrt", {F(-1)}), 0);
    EXPECT_FLOAT_EQ(evaluateFloat("inversesqrt", {F(4)}), 0.5f);
    EXPECT_NEAR(evaluateFloat("log", {F(std::numbers::e_v<float>)}), 1, kTolerance);
    EXPECT_NEAR(evaluateFloat("log", {F(8), F(2)}), 3, kTolerance);
}

TEST(ShaderLibraryMath, RoundingSignsAndRemainders) {
    EXPECT_FLOAT_EQ(evaluateFloat("mod", {F(-1), F(3)}), 2);
    EXPECT_FLOAT_EQ(evaluateFloat("mod", {F(5.5f), F(2)}), 1.5f);
    EXPECT_EQ(evaluateFloat("mod", {F(5), F(0)}), 0);
    EXPECT_FLOAT_EQ(evaluateFloat("abs", {F(-3)}), 3);
    EXPECT_EQ(evaluateFloat("sign", {F(-2)}), -1);
    EXPECT_EQ(evaluateFloat("sign", {F(0)}), 0);
    EXPECT_EQ(evaluateFloat("floor", {F(-1.5f)}), -2);
    EXPECT_EQ(evaluateFloat("ceil", {F(1.2f)}), 2);
    EXPECT_EQ(evaluateFloat("round", {F(2.5f)}), 3);
    EXPECT_EQ(evaluateFloat("round", {F(-2.5f)}), -3);
}

TEST(ShaderLibraryMath, StepsMixesAndClamps) {
    EXPECT_EQ(evaluateFloat("step", {F(0.5f), F(0.4f)}), 0);
    EXPECT_EQ(evaluateFloat("step", {F(0.5f), F(0.5f)}), 1);
    // t = 1/4: 3 t^2 - 2 t^3 = 3/16 - 2/64.
    EXPECT_FLOAT_EQ(evaluateFloat("smoothstep", {F(0), F(2), F(0.5f)}), 0.15625f);
    EXPECT_EQ(evaluateFloat("smoothstep", {F(0), F(1), F(-1)}), 0);
    EXPECT_EQ(evaluateFloat("smoothstep", {F(0), F(1), F(2)}), 1);
    EXPECT_FLOAT_EQ(evaluateFloat("smoothstep", {F(0), F(1), F(0.5f)}), 0.5f);
    EXPECT_FLOAT_EQ(evaluateFloat("mix", {F(2), F(4), F(0.25f)}), 2.5f);
    expectNear(evaluate("mix", "color", {C(1, 0, 0), C(0, 0, 1), F(0.5f)}).floats, {0.5f, 0, 0.5f});
    EXPECT_EQ(evaluateFloat("clamp", {F(5), F(0), F(2)}), 2);
    expectNear(evaluate("clamp", "color", {C(-1, 0.5f, 3), F(0), F(1)}).floats, {0, 0.5f, 1});
    EXPECT_EQ(evaluateFloat("min", {F(3), F(1), F(2)}), 1);
    expectNear(evaluate("max", "point", {P(1, 5, 2), P(4, 0, 3)}).floats, {4, 5, 3});
}

// ---------------------------------------------------------------------------
// Splines

TEST(ShaderLibrarySpline, CatmullRomPassesThroughItsInnerKnots) {
    const std::vector<std::string> knots = {F(0), F(1), F(2), F(4), F(8), F(16)};
    const auto at = [&](float value) {
        std::vector<std::string> arguments = {F(value)};
        arguments.insert(arguments.end(), knots.begin(), knots.end());
        return evaluateFloat("spline", arguments);
    };
    EXPECT_FLOAT_EQ(at(0), 1);
    EXPECT_FLOAT_EQ(at(1.0f / 3), 2);
    EXPECT_FLOAT_EQ(at(2.0f / 3), 4);
    EXPECT_FLOAT_EQ(at(1), 8);
    EXPECT_FLOAT_EQ(at(-5), 1);
    // Half way through the first segment: (t^3 - t^2 + 2t + 2) / 2 at 1/2.
    EXPECT_FLOAT_EQ(at(1.0f / 6), 1.4375f);
}

TEST(ShaderLibrarySpline, EveryBasis) {
    EXPECT_FLOAT_EQ(evaluateFloat("spline", {S("linear"), F(0.25f), F(0), F(1), F(3), F(4)}), 1.5f);
    EXPECT_FLOAT_EQ(evaluateFloat("spline", {S("bezier"), F(0.5f), F(0), F(1), F(1), F(0)}), 0.75f);
    EXPECT_FLOAT_EQ(evaluateFloat("spline", {S("bezier"), F(1), F(0), F(1), F(1), F(0)}), 0);
    EXPECT_FLOAT_EQ(evaluateFloat("spline", {S("bspline"), F(0), F(0), F(0), F(6), F(6)}), 1);
    EXPECT_FLOAT_EQ(evaluateFloat("spline", {S("bspline"), F(1), F(0), F(0), F(6), F(6)}), 5);
    // Value 0 to 1 with slope 1 at both ends: the straight line.
    EXPECT_FLOAT_EQ(evaluateFloat("spline", {S("hermite"), F(0.25f), F(0), F(1), F(1), F(1)}),
                    0.25f);
    EXPECT_FLOAT_EQ(evaluateFloat("spline", {S("catmull-rom"), F(0), F(0), F(1), F(2), F(3)}), 1);
}

TEST(ShaderLibrarySpline, ArraysTriplesAndUnknownBases) {
    // (-2 t^3 + 3 t^2 + 3 t + 2) / 2 at 1/2.
    EXPECT_FLOAT_EQ(evaluateFloat("spline", {F(0.5f), floatArray({0, 1, 3, 4})}), 2);
    expectNear(
        evaluate("spline", "color", {F(0.5f), C(0, 2, 0), C(1, 2, 0), C(3, 2, 0), C(4, 2, 0)})
            .floats,
        {2, 2, 0});
    const CallResult unknown =
        evaluate("spline", "float", {S("wiggly"), F(0), F(0), F(1), F(2), F(3)});
    EXPECT_FLOAT_EQ(unknown.floats[0], 1);
    ASSERT_EQ(unknown.reports.size(), 1u);
    EXPECT_NE(unknown.reports[0].find("unknown basis 'wiggly'"), std::string::npos);
}

// ---------------------------------------------------------------------------
// Derivatives over a grid of 3 by 2 points, du = 0.5 and dv = 0.25, on
// which P = (3 u, 2 v, 0) and x = i^2 for the point's column i.

class ShaderLibraryDerivatives : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<float> position, x, u;
        for (int row = 0; row < 2; ++row) {
            for (int column = 0; column < 3; ++column) {
                const float pu = float(column) * kDu, pv = float(row) * kDv;
                position.insert(position.end(), {3 * pu, 2 * pv, 0});
                x.push_back(float(column * column));
                u.push_back(pu);
            }
        }
        environment.setVarying("P", position);
        environment.setVarying("x", x);
        environment.setVarying("u", u);
        environment.setEveryPoint("Ci", {0, 0, 0});
        environment.setVarying("result", std::vector<float>(6, 0));
    }

    // result = function(global) or Ci = function(global).
    void run(const std::string& function, const std::string& argument, bool tripleResult,
             std::vector<int> extraArguments = {}) {
        ShaderText shader;
        const int Pr = shader.reg("global varying point 0 P");
        const int xr = shader.reg("global varying float 0 x");
        const int ur = shader.reg("global varying float 0 u");
        const int Ci = shader.reg("global varying color 0 Ci");
        const int result = shader.reg("global varying float 0 result");
        const int edge = shader.reg("constant uniform float 0 - 0.5");
        const int value = argument == "P" ? Pr : argument == "x" ? xr : ur;
        std::vector<int> operands = {tripleResult ? Ci : result};
        if (function == "filterstep") operands.push_back(edge);
        operands.push_back(value);
        if (function == "Deriv") operands.push_back(ur);
        for (const int extra : extraArguments)
            operands.push_back(extra);
        shader.call(function, operands);
        ASSERT_EQ(runText(shader.text(), environment), ShaderRunResult::kFinished);
    }

    static constexpr float kDu = 0.5f, kDv = 0.25f;
    TestEnvironment environment{2, 1, kDu, kDv};
};

TEST_F(ShaderLibraryDerivatives, OfAPlaneAreItsSpacing) {
    run("Du", "P", true);
    for (int point = 0; point < 6; ++point)
        expectNear({environment.at("Ci", point, 3, 0), environment.at("Ci", point, 3, 1),
                    environment.at("Ci", point, 3, 2)},
                   {3, 0, 0});
    run("Dv", "P", true);
    for (int point = 0; point < 6; ++point)
        expectNear({environment.at("Ci", point, 3, 0), environment.at("Ci", point, 3, 1),
                    environment.at("Ci", point, 3, 2)},
                   {0, 2, 0});
}

// Forward at the first column, central in the middle, backward at the last.
TEST_F(ShaderLibraryDerivatives, AreOneSidedAtTheEdges) {
    run("Du", "x", false);
    EXPECT_EQ(environment.floats("result"), (std::vector<float>{2, 4, 6, 2, 4, 6}));
    run("Dv", "x", false);
    EXPECT_EQ(environment.floats("result"), std::vector<float>(6, 0));
    run("Deriv", "P", true);
    EXPECT_FLOAT_EQ(environment.at("Ci", 4, 3, 0), 3);
}

TEST_F(ShaderLibraryDerivatives, AreaAndNormalOfAPlane) {
    // Edges (1.5, 0, 0) and (0, 0.5, 0) a step.
    run("area", "P", false);
    for (const float area : environment.floats("result"))
        EXPECT_FLOAT_EQ(area, 0.75f);
    run("calculatenormal", "P", true);
    EXPECT_EQ(environment.floats("Ci"),
              (std::vector<float>{0, 0, 6, 0, 0, 6, 0, 0, 6, 0, 0, 6, 0, 0, 6, 0, 0, 6}));
    environment.shape.reverseOrientation = true;
    run("calculatenormal", "P", true);
    EXPECT_FLOAT_EQ(environment.at("Ci", 0, 3, 2), -6);
}

// u changes by 0.5 from point to point: a box half that wide each side.
TEST_F(ShaderLibraryDerivatives, FilterStepBlursTheStepOverTheElement) {
    run("filterstep", "u", false);
    EXPECT_EQ(environment.floats("result"), (std::vector<float>{0, 0.5f, 1, 0, 0.5f, 1}));
    EXPECT_FLOAT_EQ(evaluateFloat("filterstep", {F(0.5f), F(0.25f), F(1.25f)}), 0.75f);
    EXPECT_FLOAT_EQ(evaluateFloat("filterstep", {F(0.5f), F(0.25f), F(1.25f), S("width"), F(0.5f)}),
                    1);
    EXPECT_FLOAT_EQ(evaluateFloat("Dtime", {F(3)}), 0);
}

// ---------------------------------------------------------------------------
// Geometry

TEST(ShaderLibraryGeometry, ComponentsLengthsAndDistances) {
    EXPECT_EQ(evaluateFloat("ycomp", {P(1, 2, 3)}), 2);
    EXPECT_FLOAT_EQ(evaluateFloat("length", {V(3, 4, 0)}), 5);
    expectNear(evaluate("normalize", "vector", {V(3, 4, 0)}).floats, {0.6f, 0.8f, 0});
    expectNear(evaluate("normalize", "vector", {V(0, 0, 0)}).floats, {0, 0, 0});
    EXPECT_FLOAT_EQ(evaluateFloat("distance", {P(1, 1, 1), P(4, 5, 1)}), 5);
    EXPECT_FLOAT_EQ(evaluateFloat("ptlined", {P(0, 0, 0), P(2, 0, 0), P(1, 1, 0)}), 1);
    EXPECT_FLOAT_EQ(evaluateFloat("ptlined", {P(0, 0, 0), P(2, 0, 0), P(3, 1, 0)}),
                    std::sqrt(2.0f));
}

TEST(ShaderLibraryGeometry, SetComponentWritesItsArgument) {
    ShaderText shader;
    const int result = shader.reg("output uniform point 0 result 1 2 3");
    const int value = shader.reg("constant uniform float 0 - 9");
    shader.call("setzcomp", {-1, result, value});
    std::string error;
    const auto program = prepareText(shader.text(), error);
    ASSERT_TRUE(program) << error;
    TestEnvironment environment;
    ShaderMachine machine;
    ASSERT_EQ(machine.run(*program, environment), ShaderRunResult::kFinished);
    const ShaderValueView view = machine.parameter("result");
    EXPECT_EQ(std::vector<float>(view.floats, view.floats + 3), (std::vector<float>{1, 2, 9}));
}

TEST(ShaderLibraryGeometry, RotationFacingReflectionAndRefraction) {
    expectNear(evaluate("rotate", "point", {P(2, 0, 0), F(kPi / 2), P(1, 0, 0), P(1, 0, 1)}).floats,
               {1, 1, 0});
    expectNear(evaluate("faceforward", "vector", {V(0, 0, 1), V(0, 0, 1)}).floats, {0, 0, -1});
    expectNear(evaluate("faceforward", "vector", {V(0, 0, 1), V(0, 0, 1), V(0, 0, -1)}).floats,
               {0, 0, 1});
    expectNear(evaluate("reflect", "vector", {V(1, -1, 0), V(0, 1, 0)}).floats, {1, 1, 0});
    expectNear(evaluate("refract", "vector", {V(0, -1, 0), V(0, 1, 0), F(1)}).floats, {0, -1, 0});
    // From glass into air at 45 degrees: total internal reflection.
    const float diagonal = std::sqrt(0.5f);
    expectNear(
        evaluate("refract", "vector", {V(diagonal, -diagonal, 0), V(0, 1, 0), F(1.5f)}).floats,
        {0, 0, 0});
    // Into glass at 30 degrees: sin t = sin 30 / 1.5.
    const CallResult bent =
        evaluate("refract", "vector", {V(0.5f, -std::sqrt(0.75f), 0), V(0, 1, 0), F(1 / 1.5f)});
    EXPECT_NEAR(bent.floats[0], 0.5f / 1.5f, kTolerance);
}

TEST(ShaderLibraryGeometry, FresnelAtNormalIncidence) {
    ShaderText shader;
    const int Kr = shader.reg("output uniform float 0 Kr 0");
    const int Kt = shader.reg("output uniform float 0 Kt 0");
    const int R = shader.reg("output uniform vector 0 R 0 0 0");
    const int Tr = shader.reg("output uniform vector 0 T 0 0 0");
    const int I = shader.reg(V(0, 0, -1));
    const int N = shader.reg(T("normal", 0, 0, 1));
    const int eta = shader.reg(F(1 / 1.5f));
    shader.call("fresnel", {-1, I, N, eta, Kr, Kt, R, Tr});
    std::string error;
    const auto program = prepareText(shader.text(), error);
    ASSERT_TRUE(program) << error;
    TestEnvironment environment;
    ShaderMachine machine;
    ASSERT_EQ(machine.run(*program, environment), ShaderRunResult::kFinished);
    // ((n1 - n2) / (n1 + n2))^2 = (0.5 / 2.5)^2.
    EXPECT_NEAR(machine.parameter("Kr").floats[0], 0.04f, kTolerance);
    EXPECT_NEAR(machine.parameter("Kt").floats[0], 0.96f, kTolerance);
    EXPECT_FLOAT_EQ(machine.parameter("R").floats[2], 1);
    EXPECT_FLOAT_EQ(machine.parameter("T").floats[2], -1);
}

// ---------------------------------------------------------------------------
// Spaces: "world" is scaled by 2, then moved by (1, 2, 3), from current.

TestEnvironment worldEnvironment() {
    TestEnvironment environment;
    environment.spaces["world"] =
        matrixProduct(scalingMatrix({2, 2, 2}), translationMatrix({1, 2, 3}));
    return environment;
}

TEST(ShaderLibrarySpaces, TransformMovesPointsVectorsAndNormals) {
    expectNear(evaluate("transform", "point", {S("world"), P(3, 4, 5)}, worldEnvironment()).floats,
               {1, 1, 1});
    expectNear(
        evaluate("transform", "point", {S("world"), S("current"), P(1, 1, 1)}, worldEnvironment())
            .floats,
        {3, 4, 5});
    const ShaderMatrix world =
        matrixProduct(scalingMatrix({2, 2, 2}), translationMatrix({1, 2, 3}));
    expectNear(evaluate("transform", "point", {M(world), P(1, 1, 1)}).floats, {3, 4, 5});
    expectNear(
        evaluate("transform", "point", {S("world"), M(world), P(1, 1, 1)}, worldEnvironment())
            .floats,
        {7, 10, 13});
    expectNear(
        evaluate("vtransform", "vector", {S("world"), V(2, 2, 2)}, worldEnvironment()).floats,
        {1, 1, 1});
    expectNear(
        evaluate("ntransform", "normal", {S("world"), T("normal", 1, 0, 0)}, worldEnvironment())
            .floats,
        {2, 0, 0});
}

TEST(ShaderLibrarySpaces, AnUnknownSpaceIsReportedOnceAndLeavesTheValue) {
    ShaderText shader;
    const int P = shader.reg("global varying point 0 P");
    const int space = shader.reg(S("nowhere"));
    shader.call("transform", {P, space, P});
    TestEnvironment environment(3, 0);
    environment.setVarying("P", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    ASSERT_EQ(runText(shader.text(), environment), ShaderRunResult::kFinished);
    EXPECT_EQ(environment.floats("P"), (std::vector<float>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    ASSERT_EQ(environment.reports.size(), 1u);
    EXPECT_EQ(environment.reports[0],
              "shader 'test', line 1: unknown space 'nowhere': the value is left as it was");
}

TEST(ShaderLibrarySpaces, ValuesGivenInASpaceMoveToCurrent) {
    ShaderText shader;
    const int point = shader.reg("output uniform point 0 point 0 0 0");
    const int vector = shader.reg("output uniform vector 0 vector 0 0 0");
    const int normal = shader.reg("output uniform normal 0 normal 0 0 0");
    const int color = shader.reg("output uniform color 0 color 0 0 0");
    const int matrix = shader.reg("output uniform matrix 0 matrix" + zeros("matrix"));
    const int one = shader.reg(F(1));
    const int world = shader.reg(S("world"));
    const int hsv = shader.reg(S("hsv"));
    const int cyanHue = shader.reg(C(0.5f, 1, 1));
    shader.op("fromspace", {point, one, world})
        .op("fromspace", {vector, one, world})
        .op("fromspace", {normal, one, world})
        .op("fromspace", {color, cyanHue, hsv})
        .op("fromspace", {matrix, one, world});
    std::string error;
    const auto program = prepareText(shader.text(), error);
    ASSERT_TRUE(program) << error;
    TestEnvironment environment = worldEnvironment();
    ShaderMachine machine;
    ASSERT_EQ(machine.run(*program, environment), ShaderRunResult::kFinished);
    const auto values = [&](const char* name, int count) {
        const ShaderValueView view = machine.parameter(name);
        return std::vector<float>(view.floats, view.floats + count);
    };
    expectNear(values("point", 3), {3, 4, 5});
    expectNear(values("vector", 3), {2, 2, 2});
    expectNear(values("normal", 3), {0.5f, 0.5f, 0.5f});
    expectNear(values("color", 3), {0, 1, 1});
    expectNear(values("matrix", 16), {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 1, 2, 3, 1});
}

TEST(ShaderLibrarySpaces, DepthRunsFromTheNearToTheFarPlane) {
    TestEnvironment environment;
    environment.spaces["camera"] = translationMatrix({0, 0, 1});
    environment.depth = {1, 11};
    EXPECT_FLOAT_EQ(evaluate("depth", "float", {P(0, 0, 7)}, environment).floats[0], 0.5f);
}

// ---------------------------------------------------------------------------
// Colours and matrices

TEST(ShaderLibraryColor, PureRedInTheHueSpaces) {
    expectNear(evaluate("ctransform", "color", {S("hsv"), C(1, 0, 0)}).floats, {0, 1, 1});
    expectNear(evaluate("ctransform", "color", {S("hsl"), C(1, 0, 0)}).floats, {0, 1, 0.5f});
    expectNear(evaluate("ctransform", "color", {S("hsv"), S("rgb"), C(0, 1, 1)}).floats, {1, 0, 0});
    expectNear(evaluate("ctransform", "color", {S("hsv"), C(0, 0, 1)}).floats, {2.0f / 3, 1, 1});
}

TEST(ShaderLibraryColor, EverySpaceComesBackToRgb) {
    const std::vector<float> color = {0.2f, 0.7f, 0.4f};
    for (const char* space : {"rgb", "hsv", "hsl", "XYZ", "xyz", "xyY", "YIQ"}) {
        const std::vector<float> there =
            evaluate("ctransform", "color", {S(space), C(color[0], color[1], color[2])}).floats;
        ASSERT_EQ(there.size(), 3u);
        expectNear(
            evaluate("ctransform", "color", {S(space), S("rgb"), C(there[0], there[1], there[2])})
                .floats,
            color);
    }
    // White: luminance 1 at the white point's chromaticity, luma 1 without chroma.
    expectNear(evaluate("ctransform", "color", {S("xyY"), C(1, 1, 1)}).floats,
               {0.3127f, 0.329f, 1});
    expectNear(evaluate("ctransform", "color", {S("YIQ"), C(1, 1, 1)}).floats, {1, 0, 0}, 1e-3f);
}

TEST(ShaderLibraryColor, ComponentsAndUnknownSpaces) {
    EXPECT_EQ(evaluateFloat("comp", {C(0.1f, 0.2f, 0.3f), F(2)}), 0.3f);
    const CallResult clamped = evaluate("comp", "float", {C(0.1f, 0.2f, 0.3f), F(7)});
    EXPECT_EQ(clamped.floats[0], 0.3f);
    EXPECT_EQ(clamped.reports.size(), 1u);
    const CallResult unknown = evaluate("ctransform", "color", {S("cmyk"), C(0.1f, 0.2f, 0.3f)});
    expectNear(unknown.floats, {0.1f, 0.2f, 0.3f});
    ASSERT_EQ(unknown.reports.size(), 1u);
    EXPECT_NE(unknown.reports[0].find("unknown colour space 'cmyk'"), std::string::npos);
}

TEST(ShaderLibraryMatrix, DeterminantInverseAndTransforms) {
    const ShaderMatrix diagonal = {2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 0, 0, 0, 1};
    EXPECT_FLOAT_EQ(evaluateFloat("determinant", {M(diagonal)}), 24);
    expectNear(evaluate("inverse", "matrix", {M(diagonal)}).floats,
               {0.5f, 0, 0, 0, 0, 1.0f / 3, 0, 0, 0, 0, 0.25f, 0, 0, 0, 0, 1});
    expectNear(evaluate("translate", "matrix", {M(identityMatrix()), V(1, 2, 3)}).floats,
               {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1});
    expectNear(evaluate("scale", "matrix", {M(translationMatrix({1, 1, 1})), P(2, 3, 4)}).floats,
               {2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 1, 1, 1, 1});
    // A quarter turn about z takes x to y.
    const std::vector<float> turned =
        evaluate("rotate", "matrix", {M(identityMatrix()), F(kPi / 2), V(0, 0, 1)}).floats;
    expectNear(turned, {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    EXPECT_EQ(evaluateFloat("comp", {M(translationMatrix({5, 6, 7})), F(3), F(1)}), 6);
    const CallResult singular = evaluate("inverse", "matrix", {M(diagonalMatrix(0))});
    const ShaderMatrix identity = identityMatrix();
    expectNear(singular.floats, std::vector<float>(identity.begin(), identity.end()));
    EXPECT_EQ(singular.reports.size(), 1u);
}

// ---------------------------------------------------------------------------
// Strings and arrays

TEST(ShaderLibraryStrings, ConcatFormatAndMatch) {
    EXPECT_EQ(evaluate("concat", "string", {S("ab"), S("cd"), S("e")}).text, "abcde");
    EXPECT_EQ(evaluate("format", "string", {S("%s=%.1f at %p"), S("x"), F(2), P(1, 2, 3)}).text,
              "x=2.0 at 1.000000 2.000000 3.000000");
    EXPECT_EQ(evaluate("format", "string", {S("100%% %d%c"), F(7.9f), C(0, 0.5f, 1)}).text,
              "100% 70.000000 0.500000 1.000000");
    EXPECT_EQ(evaluateFloat("match", {S("^a.c$"), S("abc")}), 1);
    EXPECT_EQ(evaluateFloat("match", {S("b+"), S("abbc")}), 1);
    EXPECT_EQ(evaluateFloat("match", {S("^a.c$"), S("abcd")}), 0);
    const CallResult broken = evaluate("match", "float", {S("a("), S("a(")});
    EXPECT_EQ(broken.floats[0], 0);
    EXPECT_EQ(broken.reports.size(), 1u);
}

TEST(ShaderLibraryStrings, AMissingArgumentIsReportedAndPrintedAsWritten) {
    const CallResult result = evaluate("format", "string", {S("a %f b")});
    EXPECT_EQ(result.text, "a %f b");
    EXPECT_EQ(result.reports.size(), 1u);
}

// An index past the end takes the last element, and is reported once for
// all the points.
TEST(ShaderLibraryArrays, IndicesOutsideTheArrayAreClamped) {
    ShaderText shader;
    const int s = shader.reg("global varying float 0 s");
    const int weights = shader.reg("parameter uniform float 3 weights 10 20 30");
    const int copy = shader.reg("local varying float 3 copy");
    const int index = shader.reg(F(1));
    shader.op("move", {copy, weights})
        .op("storeelement", {copy, index, s})
        .op("loadelement", {s, copy, s});
    TestEnvironment environment(2, 0);
    environment.setVarying("s", {-1, 1, 9});
    ASSERT_EQ(runText(shader.text(), environment), ShaderRunResult::kFinished);
    // copy is {10, s, 30}; s[0] = -1 reads element 0, s[2] = 9 element 2.
    EXPECT_EQ(environment.floats("s"), (std::vector<float>{10, 1, 30}));
    ASSERT_EQ(environment.reports.size(), 1u);
    EXPECT_NE(environment.reports[0].find("outside the array of 3"), std::string::npos);
}

} // namespace
