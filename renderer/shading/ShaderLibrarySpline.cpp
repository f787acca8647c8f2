// spline([basis,] value, knots...) and spline([basis,] value, knots[]):
// the cubic through the knots, of floats or triples, at value 0 to 1.
//
// The bases: "catmull-rom" (the default) and "bspline" take a segment for
// each knot past the fourth; "bezier" one for every three past the fourth,
// which it passes through; "hermite" one for every two, the knots being
// value, tangent, value, tangent...; "linear" joins the knots with straight
// lines, laid out as catmull-rom's are (the first and the last knot only
// start and end the list). Catmull-rom and linear pass through the second
// to the next-to-last knot, at value 0 and 1 and evenly between. Value is
// clamped to 0..1; fewer than four knots are reported and give the first.
#include "renderer/shading/ShaderLibraryCall.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace quelmark {

namespace {

using Operands = std::span<const std::int32_t>;
constexpr int kTripleFloats = 3;
constexpr int kSegmentKnots = 4;

// The cubic of a segment is [t^3 t^2 t 1] times the matrix times its four
// knots; step is how many knots one segment moves on from the last.
struct SplineBasis {
    std::array<std::array<float, kSegmentKnots>, kSegmentKnots> matrix;
    int step;
};

constexpr SplineBasis kCatmullRom = {{{{-0.5f, 1.5f, -1.5f, 0.5f},
                                       {1.0f, -2.5f, 2.0f, -0.5f},
                                       {-0.5f, 0.0f, 0.5f, 0.0f},
                                       {0.0f, 1.0f, 0.0f, 0.0f}}},
                                     1};
constexpr SplineBasis kBezier = {{{{-1, 3, -3, 1}, {3, -6, 3, 0}, {-3, 3, 0, 0}, {1, 0, 0, 0}}}, 3};
constexpr float kSixth = 1.0f / 6;
constexpr SplineBasis kBSpline = {{{{-kSixth, 3 * kSixth, -3 * kSixth, kSixth},
                                    {3 * kSixth, -6 * kSixth, 3 * kSixth, 0},
                                    {-3 * kSixth, 0, 3 * kSixth, 0},
                                    {kSixth, 4 * kSixth, kSixth, 0}}},
                                  1};
// Knots: value 0, tangent 0, value 1, tangent 1.
constexpr SplineBasis kHermite = {{{{2, 1, -2, 1}, {-3, -2, 3, -1}, {0, 1, 0, 0}, {1, 0, 0, 0}}},
                                  2};
constexpr SplineBasis kLinear = {{{{0, 0, 0, 0}, {0, 0, 0, 0}, {0, -1, 1, 0}, {0, 1, 0, 0}}}, 1};

const SplineBasis* basisNamed(std::string_view name) {
    if (name == "catmull-rom") return &kCatmullRom;
    if (name == "bezier") return &kBezier;
    if (name == "bspline") return &kBSpline;
    if (name == "hermite") return &kHermite;
    if (name == "linear") return &kLinear;
    return nullptr;
}

// The knots of one point, Width floats each.
struct Knots {
    const float* floats;
    int count;
};

template <int Width>
void evaluate(const SplineBasis& basis, float value, const Knots& knots, float* result) {
    const int segments = (knots.count - kSegmentKnots) / basis.step + 1;
    const float along = std::clamp(value, 0.0f, 1.0f) * float(segments);
    const int segment = std::min(int(along), segments - 1);
    const float t = along - float(segment);
    const std::array<float, kSegmentKnots> powers = {t * t * t, t * t, t, 1};
    std::array<float, kSegmentKnots> weights{};
    for (std::size_t row = 0; row < kSegmentKnots; ++row)
        for (std::size_t knot = 0; knot < kSegmentKnots; ++knot)
            weights[knot] += powers[row] * basis.matrix[row][knot];
    const float* first = knots.floats + segment * basis.step * Width;
    for (int k = 0; k < Width; ++k) {
        float sum = 0;
        for (int knot = 0; knot < kSegmentKnots; ++knot)
            sum += weights[std::size_t(knot)] * first[knot * Width + k];
        result[k] = sum;
    }
}

// Where the operands are: the basis (or none), the value, the knots.
template <bool HasBasis> struct SplineOperands {
    static constexpr std::size_t kValue = HasBasis ? 2 : 1;
    static constexpr std::size_t kFirstKnot = kValue + 1;
};

class BasisChoice {
public:
    BasisChoice(KernelFrame& frame, const RegisterView* names) : fFrame(frame), fNames(names) {}

    const SplineBasis& at(int point) {
        if (!fNames) return kCatmullRom;
        const std::string& name = fNames->stringAt(point);
        if (fLast && *fLast == name) return *fBasis;
        fLast = &name;
        fBasis = basisNamed(name);
        if (!fBasis) {
            fFrame.report("spline: unknown basis '" + name + "': catmull-rom is used");
            fBasis = &kCatmullRom;
        }
        return *fBasis;
    }

private:
    KernelFrame& fFrame;
    const RegisterView* fNames;
    const std::string* fLast = nullptr;
    const SplineBasis* fBasis = nullptr;
};

template <int Width, bool HasBasis, bool FromArray>
void spline(KernelFrame& frame, Operands operands) {
    using Layout = SplineOperands<HasBasis>;
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& value = frame.view(operands[Layout::kValue]);
    BasisChoice bases(frame, HasBasis ? &frame.view(operands[1]) : nullptr);
    const int count = FromArray ? frame.view(operands[Layout::kFirstKnot]).elements
                                : int(operands.size() - Layout::kFirstKnot);
    const std::span<float> gathered = frame.scratch(std::size_t(count * Width));
    for (const int point : frame.active()) {
        const float* knots;
        if constexpr (FromArray) {
            knots = frame.view(operands[Layout::kFirstKnot]).at(point);
        } else {
            for (int knot = 0; knot < count; ++knot)
                for (int k = 0; k < Width; ++k)
                    gathered[std::size_t(knot * Width + k)] = component(
                        frame.view(operands[Layout::kFirstKnot + std::size_t(knot)]), point, k);
            knots = gathered.data();
        }
        float result[Width];
        if (count < kSegmentKnots) {
            if (!frame.hasReported())
                frame.report("spline: " + std::to_string(count) +
                             " knots, fewer than the 4 a spline needs: the first is used");
            for (int k = 0; k < Width; ++k)
                result[k] = knots[k];
        } else {
            evaluate<Width>(bases.at(point), value.at(point)[0], {knots, count}, result);
        }
        float* slot = out.at(point);
        for (int k = 0; k < Width; ++k)
            slot[k] = result[k];
    }
}

template <int Width> Kernel splineKernel(bool hasBasis, bool fromArray) {
    if (hasBasis) return fromArray ? spline<Width, true, true> : spline<Width, true, false>;
    return fromArray ? spline<Width, false, true> : spline<Width, false, false>;
}

bool knotsFit(const LibraryCall& call, std::size_t first, ValueKind single, ValueKind array) {
    if (call.argumentCount() == first + 1 && LibraryCall::fits(call.argument(first), array, false))
        return true;
    return call.argumentCount() >= first + kSegmentKnots && call.argumentsFrom(first, single);
}

} // namespace

Kernel chooseSplineKernel(const LibraryCall& call) {
    if (call.op() != sl::BuiltinOp::kSpline || call.argumentCount() < 2) return nullptr;
    const bool hasBasis = LibraryCall::fits(call.argument(0), ValueKind::kString, false);
    const std::size_t valueIndex = hasBasis ? 1 : 0;
    if (!LibraryCall::fits(call.argument(valueIndex), ValueKind::kFloat, false)) return nullptr;
    const std::size_t first = valueIndex + 1;
    if (first >= call.argumentCount()) return nullptr;
    const bool fromArray = call.argument(first).isArray();
    if (call.resultIs(ValueKind::kFloat) &&
        knotsFit(call, first, ValueKind::kFloat, ValueKind::kFloatArray))
        return splineKernel<1>(hasBasis, fromArray);
    if (call.resultIs(ValueKind::kExactTriple) &&
        knotsFit(call, first, ValueKind::kTripleLike, ValueKind::kTripleArray))
        return splineKernel<kTripleFloats>(hasBasis, fromArray);
    return nullptr;
}

} // namespace quelmark
