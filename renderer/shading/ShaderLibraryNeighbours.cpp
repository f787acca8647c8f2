// The functions that read a point's neighbours on the grid: Du, Dv, Deriv,
// area, calculatenormal and filterstep over the shaded element; and Dtime,
// which is 0 (a run shades one time).
//
// Differences: at the first vertex of a row (or column) forward, at the
// last backward, central between; a grid one vertex wide has none (0). Du
// divides the difference by du, Dv by dv. The results are gathered before
// any is stored, so that x = Du(x) reads no value it has written.
#include "renderer/shading/GridDifferences.h"
#include "renderer/shading/ShaderLibraryCall.h"

#include <algorithm>
#include <cmath>

namespace quelmark {

namespace {

using sl::BuiltinOp;
using Operands = std::span<const std::int32_t>;
constexpr int kTripleFloats = 3;

float safeQuotient(float a, float b) {
    return b == 0 ? 0 : a / b;
}

// Stores the values gathered for the active points, Width floats a point
// in the order of the active points.
template <int Width>
void storeGathered(KernelFrame& frame, const RegisterView& out, std::span<const float> gathered) {
    std::size_t next = 0;
    for (const int point : frame.active()) {
        float* result = out.at(point);
        for (int k = 0; k < Width; ++k)
            result[k] = gathered[next++];
    }
}

template <GridDirection Along, int Width> void derivative(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& value = frame.view(operands[1]);
    const GridDifferences differences(frame.grid());
    const float spacing = Along == GridDirection::kU ? frame.grid().du : frame.grid().dv;
    const std::span<float> gathered = frame.scratch(frame.active().size() * Width);
    std::size_t next = 0;
    for (const int point : frame.active())
        for (int k = 0; k < Width; ++k)
            gathered[next++] = safeQuotient(differences.at<Along>(value, point, k), spacing);
    storeGathered<Width>(frame, out, gathered);
}

// Deriv(num, den): the change of num over that of den along u, plus along v.
template <int Width> void derivativeBy(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& numerator = frame.view(operands[1]);
    const RegisterView& denominator = frame.view(operands[2]);
    const GridDifferences differences(frame.grid());
    const std::span<float> gathered = frame.scratch(frame.active().size() * Width);
    std::size_t next = 0;
    for (const int point : frame.active()) {
        const float byU = differences.at<GridDirection::kU>(denominator, point, 0);
        const float byV = differences.at<GridDirection::kV>(denominator, point, 0);
        for (int k = 0; k < Width; ++k)
            gathered[next++] =
                safeQuotient(differences.at<GridDirection::kU>(numerator, point, k), byU) +
                safeQuotient(differences.at<GridDirection::kV>(numerator, point, k), byV);
    }
    storeGathered<Width>(frame, out, gathered);
}

template <int Width> void timeDerivative(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    for (const int point : frame.active())
        for (int k = 0; k < Width; ++k)
            out.at(point)[k] = 0;
}

ShaderTriple crossProduct(const ShaderTriple& a, const ShaderTriple& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

// The area of the element: the length of the cross product of its edges.
void area(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& position = frame.view(operands[1]);
    const GridDifferences differences(frame.grid());
    const std::span<float> gathered = frame.scratch(frame.active().size());
    std::size_t next = 0;
    for (const int point : frame.active()) {
        const ShaderTriple normal =
            crossProduct(differences.triple<GridDirection::kU>(position, point),
                         differences.triple<GridDirection::kV>(position, point));
        gathered[next++] =
            std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
    }
    storeGathered<1>(frame, out, gathered);
}

// Du(P) x Dv(P), turned round where the orientation is reversed.
void calculateNormal(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& position = frame.view(operands[1]);
    const GridDifferences differences(frame.grid());
    const float scale =
        (frame.grid().reverseOrientation ? -1.0f : 1.0f) / (frame.grid().du * frame.grid().dv);
    const std::span<float> gathered = frame.scratch(frame.active().size() * kTripleFloats);
    std::size_t next = 0;
    for (const int point : frame.active()) {
        const ShaderTriple normal =
            crossProduct(differences.triple<GridDirection::kU>(position, point),
                         differences.triple<GridDirection::kV>(position, point));
        for (const float component : normal)
            gathered[next++] = finiteResult(component * scale);
    }
    storeGathered<kTripleFloats>(frame, out, gathered);
}

// filterstep(edge, s1 [, s2], "width", w...): the step at edge, filtered
// with a box over the range s takes across the element (or from s1 to s2),
// the range scaled by "width" about its centre. Other parameters (the
// filter's name) are taken and left unused.
template <bool TwoEnds> void filterStep(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& edge = frame.view(operands[1]);
    const RegisterView& first = frame.view(operands[2]);
    const RegisterView& second = frame.view(operands[TwoEnds ? 3 : 2]);
    const std::size_t firstParameter = TwoEnds ? 4 : 3;
    const RegisterView* widthScale = nullptr;
    for (std::size_t name = firstParameter; name + 1 < operands.size(); name += 2)
        if (frame.view(operands[name]).stringAt(frame.active().front()) == "width")
            widthScale = &frame.view(operands[name + 1]);
    const GridDifferences differences(frame.grid());
    const std::span<float> gathered = frame.scratch(frame.active().size());
    std::size_t next = 0;
    for (const int point : frame.active()) {
        const float s = first.at(point)[0];
        float centre = s, halfWidth = 0;
        if constexpr (TwoEnds) {
            centre = (s + second.at(point)[0]) / 2;
            halfWidth = std::fabs(second.at(point)[0] - s) / 2;
        } else {
            halfWidth = (std::fabs(differences.at<GridDirection::kU>(first, point, 0)) +
                         std::fabs(differences.at<GridDirection::kV>(first, point, 0))) /
                        2;
        }
        if (widthScale) halfWidth *= std::fabs(widthScale->at(point)[0]);
        const float at = edge.at(point)[0];
        gathered[next++] = halfWidth > 0
                               ? std::clamp((centre + halfWidth - at) / (2 * halfWidth), 0.0f, 1.0f)
                               : (centre < at ? 0.0f : 1.0f);
    }
    storeGathered<1>(frame, out, gathered);
}

// The arguments after the given ones: pairs of a name and a value.
bool parametersFit(const LibraryCall& call, std::size_t first) {
    if ((call.argumentCount() - first) % 2 != 0) return false;
    for (std::size_t name = first; name < call.argumentCount(); name += 2)
        if (!LibraryCall::fits(call.argument(name), ValueKind::kString, false)) return false;
    return true;
}

Kernel chooseFilterStep(const LibraryCall& call) {
    const std::size_t count = call.argumentCount();
    const auto isFloat = [&](std::size_t index) {
        return LibraryCall::fits(call.argument(index), ValueKind::kFloat, false);
    };
    if (!call.resultIs(ValueKind::kFloat) || count < 2 || !isFloat(0) || !isFloat(1))
        return nullptr;
    const bool twoEnds = count % 2 == 1 && isFloat(2);
    if (twoEnds) return parametersFit(call, 3) ? filterStep<true> : nullptr;
    return parametersFit(call, 2) ? filterStep<false> : nullptr;
}

template <int Width> Kernel derivativeKernel(BuiltinOp op) {
    switch (op) {
    case BuiltinOp::kDu:
        return derivative<GridDirection::kU, Width>;
    case BuiltinOp::kDv:
        return derivative<GridDirection::kV, Width>;
    case BuiltinOp::kDtime:
        return timeDerivative<Width>;
    default:
        return derivativeBy<Width>;
    }
}

Kernel chooseDerivative(const LibraryCall& call) {
    using enum ValueKind;
    const bool byFloat = call.op() == BuiltinOp::kDeriv;
    const auto fits = [&](ValueKind kind) {
        return byFloat ? call.argumentsAre({kind, kFloat}) : call.argumentsAre({kind});
    };
    if (call.resultIs(kFloat) && fits(kFloat)) return derivativeKernel<1>(call.op());
    if (call.resultIs(kExactTriple) && fits(kTripleLike))
        return derivativeKernel<kTripleFloats>(call.op());
    return nullptr;
}

} // namespace

Kernel chooseNeighbourKernel(const LibraryCall& call) {
    using enum ValueKind;
    switch (call.op()) {
    case BuiltinOp::kDu:
    case BuiltinOp::kDv:
    case BuiltinOp::kDeriv:
    case BuiltinOp::kDtime:
        return chooseDerivative(call);
    case BuiltinOp::kArea:
        return call.resultIs(kFloat) && call.argumentsAre({kExactTriple}) ? area : nullptr;
    case BuiltinOp::kCalculateNormal:
        return call.resultIs(kExactTriple) && call.argumentsAre({kExactTriple}) ? calculateNormal
                                                                                : nullptr;
    case BuiltinOp::kFilterStep:
        return chooseFilterStep(call);
    default:
        return nullptr;
    }
}

} // namespace quelmark
