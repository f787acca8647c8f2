// A grid's shading points as compiled shaders see them: which variables a
// surface and a displacement write back, the named spaces, and a frame that
// stops ending a shader's endless loop.
#include "renderer/shading/GridShaderEnvironment.h"

#include "renderer/shading/CompiledShaderValues.h"
#include "renderer/shading/ShadingContext.h"
#include "shadinglang/Compiler.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <string>

using namespace quelmark;

namespace {

ShaderProgram compiled(const std::string& source) {
    sl::CompileResult result = sl::compileText(source, "test.sl", {});
    EXPECT_TRUE(result.succeeded()) << result.diagnostics.texts().front();
    std::string error;
    std::optional<ShaderProgram> program =
        ShaderProgram::prepare(std::move(result.shaders.at(0)), error);
    EXPECT_TRUE(program) << error;
    return std::move(*program);
}

// Two rows of three points at x = 0, 1, 2 and y = 0, 1, facing -z.
class GridShaderEnvironmentTest : public ::testing::Test {
protected:
    void SetUp() override {
        ShadingPoints& points = context.points;
        points.resize(6);
        points.across = 3, points.down = 2;
        points.du = points.dv = 0.5f;
        for (int n = 0; n < 6; ++n) {
            const auto k = std::size_t(n);
            points.P[k] = Point(float(n % 3), float(n / 3), 5);
            points.N[k] = points.Ng[k] = Point(0, 0, -1);
            points.u[k] = float(n % 3) / 2, points.v[k] = float(n / 3);
            points.Ci[k] = Color(), points.Oi[k] = Color(1, 1, 1);
        }
    }

    ShaderRunResult run(const std::string& source, ShaderRole role) {
        const ShaderProgram program = compiled(source);
        GridShaderEnvironment environment(context, values, shaderToCamera, "test", nullptr, role);
        return machine.run(program, environment);
    }

    ShadingContext context;
    CompiledShaderValues values;
    Matrix shaderToCamera;
    ShaderMachine machine;
};

TEST_F(GridShaderEnvironmentTest, ASurfaceSeesTheGridsValuesAndWritesItsColour) {
    ASSERT_EQ(run("surface s() { Ci = color(u, v, du); }", ShaderRole::kSurface),
              ShaderRunResult::kFinished);
    EXPECT_FLOAT_EQ(context.points.Ci[5].r, 1.0f);
    EXPECT_FLOAT_EQ(context.points.Ci[5].g, 1.0f);
    EXPECT_FLOAT_EQ(context.points.Ci[4].r, 0.5f);
    EXPECT_FLOAT_EQ(context.points.Ci[0].b, 0.5f);
}

// Along +x one unit a point is a step of du = 1/2: Du(P) = (2, 0, 0), Dv(P)
// = (0, 2, 0), and their cross product points along +z.
TEST_F(GridShaderEnvironmentTest, ADisplacementWritesPositionAndNormal) {
    ASSERT_EQ(run("displacement d() { P += normalize(N); N = calculatenormal(P); }",
                  ShaderRole::kDisplacement),
              ShaderRunResult::kFinished);
    EXPECT_EQ(context.points.P[4].x, 1.0f);
    EXPECT_EQ(context.points.P[4].z, 4.0f);
    EXPECT_FLOAT_EQ(context.points.N[4].z, 4.0f);
    EXPECT_EQ(context.points.Ci[4].r, 0.0f);
}

// The shader's space is moved by (1, 2, 3) from the camera, the object's by
// (0, 0, 10); without a frame the world is not known and the point stays.
TEST_F(GridShaderEnvironmentTest, TheNamedSpaces) {
    shaderToCamera.m[3][0] = 1, shaderToCamera.m[3][1] = 2, shaderToCamera.m[3][2] = 3;
    context.objectToCamera.m[3][2] = 10;
    ASSERT_EQ(run(R"(surface s() {
                  point a = transform("shader", "camera", point(0, 0, 0));
                  point b = transform("object", "camera", point(0, 0, 0));
                  point c = transform("world", "camera", point(7, 7, 7));
                  Ci = color(xcomp(a) + ycomp(a) + zcomp(a), zcomp(b), xcomp(c));
              })",
                  ShaderRole::kSurface),
              ShaderRunResult::kFinished);
    EXPECT_FLOAT_EQ(context.points.Ci[0].r, 6.0f);
    EXPECT_FLOAT_EQ(context.points.Ci[0].g, 10.0f);
    EXPECT_FLOAT_EQ(context.points.Ci[0].b, 7.0f);
}

TEST_F(GridShaderEnvironmentTest, AStoppingFrameEndsAnEndlessLoop) {
    const std::string forever = "surface s() { while (1) { Ci += 1; } }";
    std::atomic<bool> stop = true;
    context.stop = &stop;
    EXPECT_EQ(run(forever, ShaderRole::kSurface), ShaderRunResult::kCancelled);
    stop = false;
    EXPECT_EQ(
        run("surface s() { float i; for (i = 0; i < 3; i += 1) Ci += 1; }", ShaderRole::kSurface),
        ShaderRunResult::kFinished);
    EXPECT_EQ(context.points.Ci[0].r, 3.0f);
}

} // namespace
