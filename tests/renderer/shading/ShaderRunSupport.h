// Small compiled shaders written out in the tests, and an environment that
// holds the variables, parameters, spaces and reports of one run.
#ifndef QEL_TESTS_SHADERRUNSUPPORT_H
#define QEL_TESTS_SHADERRUNSUPPORT_H

#include "renderer/shading/ShaderEnvironment.h"
#include "renderer/shading/ShaderMachine.h"
#include "renderer/shading/ShaderProgram.h"
#include "shadercode/ShaderFile.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quelmark::testing {

// The text of a compiled shader, built a register and an instruction at a
// time; registers are numbered in the order they are added.
class ShaderText {
public:
    explicit ShaderText(std::string kind = "surface") : fKind(std::move(kind)) {}

    // "global varying point 0 P", "constant uniform float 0 - 2"...
    int reg(const std::string& declaration) {
        fRegisters += "register " + declaration + "\n";
        return fCount++;
    }
    ShaderText& op(const std::string& opcode, const std::vector<int>& operands) {
        fCode += std::to_string(++fLine) + " " + opcode;
        for (const int operand : operands)
            fCode += " " + std::to_string(operand);
        fCode += "\n";
        return *this;
    }
    ShaderText& call(const std::string& function, const std::vector<int>& operands) {
        return op("call " + function, operands);
    }
    std::string text() const {
        return "quelmark shader 1\n" + fKind + " test\nsource \"test.sl\"\n" + fRegisters +
               "code\n" + fCode + "end\n";
    }

private:
    std::string fKind;
    std::string fRegisters, fCode;
    int fCount = 0;
    int fLine = 0;
};

inline std::optional<ShaderProgram> prepareText(const std::string& text, std::string& error) {
    std::optional<sl::ShaderCode> code = sl::readShader(text, error);
    if (!code) return std::nullopt;
    return ShaderProgram::prepare(std::move(*code), error);
}

// A variable or parameter value: floats or strings, uniform or varying.
struct TestValue {
    std::vector<float> floats;
    std::vector<std::string> strings;
    bool varying = false;
    bool readOnly = false;
};

class TestEnvironment : public ShaderEnvironment {
public:
    explicit TestEnvironment(int nu = 0, int nv = 0, float du = 1, float dv = 1) {
        shape = {nu, nv, du, dv, false};
    }

    int points() const { return shape.pointCount(); }
    void setVarying(const std::string& name, std::vector<float> floats, bool readOnly = false) {
        variables[name] = {std::move(floats), {}, true, readOnly};
    }
    void setUniform(const std::string& name, std::vector<float> floats) {
        variables[name] = {std::move(floats), {}, false, false};
    }
    // A varying triple, the same at every point.
    void setEveryPoint(const std::string& name, std::vector<float> value) {
        std::vector<float> floats;
        for (int point = 0; point < points(); ++point)
            floats.insert(floats.end(), value.begin(), value.end());
        setVarying(name, std::move(floats));
    }
    const std::vector<float>& floats(const std::string& name) { return variables[name].floats; }
    // Component k of point p of a variable width floats wide.
    float at(const std::string& name, int point, int width = 1, int component = 0) {
        return variables[name].floats[std::size_t(point * width + component)];
    }

    ShadingGridShape grid() const override { return shape; }
    ShaderVariable variable(std::string_view name) override {
        const auto found = variables.find(std::string(name));
        if (found == variables.end()) return {};
        TestValue& value = found->second;
        ShaderVariable lent;
        lent.varying = value.varying;
        lent.readOnly = value.readOnly;
        if (!value.strings.empty()) {
            lent.strings = value.strings.data();
            lent.size = value.strings.size();
        } else {
            lent.floats = value.floats.data();
            lent.size = value.floats.size();
        }
        return lent;
    }
    ShaderParameterValue parameter(std::string_view name) override {
        const auto found = parameters.find(std::string(name));
        if (found == parameters.end()) return {};
        const TestValue& value = found->second;
        ShaderParameterValue given;
        given.varying = value.varying;
        if (!value.strings.empty()) {
            given.strings = value.strings.data();
            given.size = value.strings.size();
        } else {
            given.floats = value.floats.data();
            given.size = value.floats.size();
        }
        return given;
    }
    bool spaceToCurrent(std::string_view space, ShaderMatrix& matrix) override {
        const auto found = spaces.find(std::string(space));
        if (found == spaces.end()) return false;
        matrix = found->second;
        return true;
    }
    DepthRange depthRange() const override { return depth; }
    bool cancelled() const override {
        ++cancelChecks;
        return cancelAfterChecks >= 0 && cancelChecks >= cancelAfterChecks;
    }
    void print(std::string_view text) override { printed.emplace_back(text); }
    void report(std::string_view message) override { reports.emplace_back(message); }
    std::uint64_t randomSeed() const override { return seed; }
    ShaderLights* lights() override { return lightList; }

    ShadingGridShape shape;
    std::map<std::string, TestValue> variables, parameters;
    std::map<std::string, ShaderMatrix> spaces;
    std::vector<std::string> printed, reports;
    DepthRange depth;
    int cancelAfterChecks = -1;
    mutable int cancelChecks = 0;
    std::uint64_t seed = 0;
    ShaderLights* lightList = nullptr;
};

// Lights that shine at the points they are asked about: ambient lights,
// point lights and distant lights, each of one colour; a light may be kept
// from some points.
class TestLights : public ShaderLights {
public:
    enum class Kind { kAmbient, kPoint, kDistant };
    struct Light {
        Kind kind = Kind::kPoint;
        // A point light's position; the direction towards a distant light.
        ShaderTriple where{};
        ShaderTriple color{};
        std::string category;
        std::vector<int> shadowed; // points it does not reach
    };

    static Light ambient(const ShaderTriple& color) { return {Kind::kAmbient, {}, color, {}, {}}; }
    static Light point(const ShaderTriple& position, const ShaderTriple& color,
                       std::string category = {}) {
        return {Kind::kPoint, position, color, std::move(category), {}};
    }
    static Light distant(const ShaderTriple& towards, const ShaderTriple& color) {
        return {Kind::kDistant, towards, color, {}, {}};
    }

    int count() const override { return int(lights.size()); }
    bool inCategory(int light, std::string_view category) const override {
        return category.empty() || lights[std::size_t(light)].category == category;
    }
    bool isAmbient(int light) const override {
        return lights[std::size_t(light)].kind == Kind::kAmbient;
    }
    void shine(int index, LightSample& sample) override {
        const Light& light = lights[std::size_t(index)];
        for (const int point : sample.points) {
            const float* at = sample.positions + sample.positionStride * point;
            for (int k = 0; k < kFloats; ++k) {
                sample.L[kFloats * point + k] = towardsLight(light, at, k);
                sample.Cl[kFloats * point + k] = light.color[std::size_t(k)];
                sample.Ol[kFloats * point + k] = 0;
            }
            for (const int dark : light.shadowed)
                if (dark == point) sample.reaches[point] = 0;
        }
    }

    std::vector<Light> lights;

private:
    static constexpr int kFloats = 3; // of a triple

    static float towardsLight(const Light& light, const float* at, int k) {
        const float where = light.where[std::size_t(k)];
        switch (light.kind) {
        case Kind::kPoint:
            return where - at[k];
        case Kind::kDistant:
            return where;
        default:
            return 0;
        }
    }
};

// Prepares the shader and runs it once in the environment, failing the
// test when it cannot.
inline ShaderRunResult runText(const std::string& text, TestEnvironment& environment,
                               ShaderMachine& machine) {
    std::string error;
    std::optional<ShaderProgram> program = prepareText(text, error);
    EXPECT_TRUE(program) << error;
    if (!program) return ShaderRunResult::kFailed;
    return machine.run(*program, environment);
}

inline ShaderRunResult runText(const std::string& text, TestEnvironment& environment) {
    ShaderMachine machine;
    return runText(text, environment, machine);
}

} // namespace quelmark::testing

#endif
