// How the kernel of one instruction of a compiled shader sees a run: the
// registers' values, the points that run the instruction, and what the
// machine lends every kernel (spaces, reports, random draws, scratch room,
// room for the light of the lighting calls).
//
// A kernel runs one instruction over all its points at once: it loops over
// active() and reads and writes the registers through their views.
#ifndef QEL_SHADING_SHADERKERNEL_H
#define QEL_SHADING_SHADERKERNEL_H

#include "renderer/shading/ShaderEnvironment.h"
#include "renderer/shading/ShaderMatrix.h"
#include "renderer/shading/ShaderPattern.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quelmark {

// Where one register's values lie during a run. Point p's value starts at
// stride * p: a uniform register (stride 0) has one value for all points.
// An array holds its elements one after the other within each value.
struct RegisterView {
    float* floats = nullptr;        // numbers
    std::string* strings = nullptr; // strings
    int stride = 0;
    int width = 1;    // floats of one element: 1, 3 or 16; 1 for a string
    int elements = 1; // the array's length, 1 for a single value

    bool uniform() const { return stride == 0; }
    float* at(int point) const { return floats + std::ptrdiff_t(stride) * point; }
    std::string& stringAt(int point) const { return strings[std::ptrdiff_t(stride) * point]; }
};

class KernelFrame;
// Runs one instruction; operands are its register numbers (-1 where one is
// not given), as the compiled code has them.
using Kernel = void (*)(KernelFrame& frame, std::span<const std::int32_t> operands);

class KernelFrame {
public:
    // The points the instruction runs at, in increasing order. An
    // instruction whose operands are all uniform runs at one of them.
    std::span<const int> active() const { return fActive; }
    int pointCount() const { return fPointCount; }
    const RegisterView& view(std::int32_t reg) const { return fViews[std::size_t(reg)]; }
    const ShadingGridShape& grid() const { return fGrid; }
    ShaderEnvironment& environment() const { return *fEnvironment; }
    std::string_view shaderName() const { return fShaderName; }

    // Passes the message to the environment, naming the shader and the
    // instruction's line, the first time this instruction reports in a run.
    void report(std::string_view message);
    // Whether this instruction has reported in this run: a kernel that
    // finds a fault at many points composes its message only once.
    bool hasReported() const {
        const auto step = std::size_t(fStep);
        return step < fReportedInRun.size() && fReportedInRun[step] == fRun;
    }
    // The matrix taking points of the space to the current space; none, and
    // reported, for a space the environment does not know.
    std::optional<ShaderMatrix> spaceToCurrent(std::string_view space);
    // The seed of the run's random values and a number for this call of
    // random(), different for every call of the run.
    std::uint64_t randomSeed() const { return fRandomSeed; }
    std::uint64_t nextRandomDraw() { return fRandomDraws++; }
    // Room for count floats, kept from run to run; valid until the next call.
    std::span<float> scratch(std::size_t count);
    // The geometric normal Ng, for faceforward without a reference; floats
    // null when the run has none.
    const RegisterView& geometricNormal() const { return fGeometricNormal; }
    // The position shaded, P (the shader's own, else the renderer's), where
    // the lighting calls gather light; floats null when the run has none.
    const RegisterView& shadingPosition() const { return fShadingPosition; }
    // The texture coordinates s and t (the shader's own, else the
    // renderer's), where maps are read without coordinates of their own;
    // floats null when the run has none.
    const RegisterView& textureS() const { return fTextureS; }
    const RegisterView& textureT() const { return fTextureT; }
    // Room for one light's L, Cl and Ol at every point, kept from run to run
    // and valid until the next call; the light reaches the points to start
    // with. The positions are left for the caller to give.
    LightSample lightRoom(std::span<const int> points);
    // The light whose body an illuminance loop runs; -1 outside the loops.
    int light() const { return fLight; }
    // The regular expression of the text, compiled once and kept; none,
    // and reported, for one that does not compile.
    const ShaderPattern* pattern(const std::string& text);

private:
    friend class ShaderMachine;

    struct CompiledPattern {
        std::string text;
        std::optional<ShaderPattern> expression;
    };

    std::span<const int> fActive;
    int fPointCount = 0;
    std::span<const RegisterView> fViews;
    ShadingGridShape fGrid;
    ShaderEnvironment* fEnvironment = nullptr;
    std::uint64_t fRandomSeed = 0;
    std::uint64_t fRandomDraws = 0;
    RegisterView fGeometricNormal;
    RegisterView fShadingPosition;
    RegisterView fTextureS, fTextureT;
    std::vector<float> fScratch;
    std::vector<float> fLightValues; // L, Cl and Ol, three floats a point each
    std::vector<std::uint8_t> fReaches;
    std::vector<CompiledPattern> fPatterns;
    int fLight = -1;
    // Reports: the shader, the instruction running, and the run in which
    // each instruction last reported.
    std::string_view fShaderName;
    int fStep = 0;
    int fLine = 0;
    std::uint32_t fRun = 0;
    std::vector<std::uint32_t> fReportedInRun;
};

// Reading numbers: a float operand read as a wider value repeats itself
// (a float widened to a triple); a matrix read from a float has it on the
// diagonal.
inline float component(const RegisterView& view, int point, int index) {
    return view.at(point)[view.width == 1 ? 0 : index];
}

inline ShaderTriple tripleAt(const RegisterView& view, int point) {
    const float* value = view.at(point);
    if (view.width == 1) return {value[0], value[0], value[0]};
    return {value[0], value[1], value[2]};
}

inline ShaderMatrix matrixAt(const RegisterView& view, int point) {
    const float* value = view.at(point);
    if (view.width == 1) return diagonalMatrix(value[0]);
    ShaderMatrix matrix;
    for (int k = 0; k < kMatrixFloats; ++k)
        matrix[std::size_t(k)] = value[k];
    return matrix;
}

inline void storeTriple(const RegisterView& view, int point, const ShaderTriple& value) {
    float* out = view.at(point);
    out[0] = value[0];
    out[1] = value[1];
    out[2] = value[2];
}

inline void storeMatrix(const RegisterView& view, int point, const ShaderMatrix& value) {
    float* out = view.at(point);
    for (int k = 0; k < kMatrixFloats; ++k)
        out[k] = value[std::size_t(k)];
}

} // namespace quelmark

#endif
