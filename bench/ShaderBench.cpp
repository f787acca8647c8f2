// The shader executor's speed: a compiled shader of a hundred operations run
// over a grid of 64 by 64 points, again and again for about a second on one
// thread; prints the operations and the point-operations a second.
//
//   shader_bench [seconds]
#include "renderer/shading/ShaderEnvironment.h"
#include "renderer/shading/ShaderMachine.h"
#include "renderer/shading/ShaderProgram.h"
#include "shadinglang/Compiler.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace quelmark;

namespace {

constexpr int kSide = 64;
constexpr int kPoints = kSide * kSide;
constexpr int kSteps = 50; // each a multiply and an add

// Two running values mixed by a multiply and an add at each step.
std::string hundredOperations() {
    std::string body = "surface ops() {\n    float a = u, b = v;\n";
    for (int step = 0; step < kSteps; ++step)
        body += step % 2 ? "    b = b * 0.999 + a;\n" : "    a = a * 1.001 + b;\n";
    return body + "    Ci = color(a, b, 0);\n}\n";
}

class GridOfPoints : public ShaderEnvironment {
public:
    GridOfPoints() : fU(kPoints), fV(kPoints), fCi(3 * kPoints) {
        for (int point = 0; point < kPoints; ++point) {
            fU[std::size_t(point)] = float(point % kSide) / kSide;
            fV[std::size_t(point)] = float(point / kSide) / kSide;
        }
    }
    ShadingGridShape grid() const override {
        return {.nu = kSide - 1, .nv = kSide - 1, .du = 1.0f / kSide, .dv = 1.0f / kSide};
    }
    ShaderVariable variable(std::string_view name) override {
        if (name == "u") return lend(fU, true);
        if (name == "v") return lend(fV, true);
        if (name == "Ci") return lend(fCi, false);
        return {};
    }
    float checksum() const { return fCi[0] + fCi[3 * kPoints - 2]; }

private:
    static ShaderVariable lend(std::vector<float>& values, bool readOnly) {
        return {
            .floats = values.data(), .varying = true, .readOnly = readOnly, .size = values.size()};
    }
    std::vector<float> fU, fV, fCi;
};

} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 1.0;
    sl::CompileResult compiled = sl::compileText(hundredOperations(), "ops.sl", {});
    if (!compiled.succeeded()) {
        std::fprintf(stderr, "shader_bench: the shader does not compile\n");
        return 1;
    }
    const std::size_t operations = compiled.shaders[0].code.size();
    std::string error;
    std::optional<ShaderProgram> program =
        ShaderProgram::prepare(std::move(compiled.shaders[0]), error);
    if (!program) {
        std::fprintf(stderr, "shader_bench: %s\n", error.c_str());
        return 1;
    }
    GridOfPoints grid;
    ShaderMachine machine;
    long runs = 0;
    const auto start = std::chrono::steady_clock::now();
    double elapsed = 0;
    while (elapsed < seconds) {
        machine.run(*program, grid);
        ++runs;
        elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    const double pointOperations = double(operations) * kPoints * double(runs) / elapsed;
    std::printf("%zu operations over %d points, %ld runs in %.3f s: %.1f million "
                "point-operations a second (checksum %g)\n",
                operations, kPoints, runs, elapsed, pointOperations / 1e6, grid.checksum());
    return 0;
}
