// The functions that read a point's neighbours on the grid: Du, Dv, Deriv,
// area, calculatenormal and filterstep over the shaded element; and Dtime,
// which is 0 (a run shades one time).
//
// Differences: at the first vertex of a row (or column) forward, at the
// last backward, central between; a grid one vertex wide has none (0). Du
// divides the difference by du, Dv by dv. The results are gathered before
// any is stored, so that x = Du(x) reads no value it has written.
#include "renderer/shading/ShaderLibraryCall.h"

#include <algorithm>
#include <cmath>

namespace quelmark {

namespace {

using sl::BuiltinOp;
using Operands = std::span<const std::int32_t>;
constexpr int kTripleFloats = 3;

enum class Direction { kU, kV };

// A value's change from one vertex to the next along u or v, at a point.
class GridDifferences {
public:
    explicit GridDifferences(const ShadingGridShape& grid)
        : fAcross(grid.nu + 1), fDown(grid.nv + 1), fRowStarts(grid.rowStarts) {}

    template <Direction Along> float at(const RegisterView& view, int point, int component) const {
        if (!fRowStarts.empty()) {
            if (view.uniform()) return 0;
            return Along == Direction::kU ? raggedAlongU(view, point, component)
                                          : raggedAlongV(view, point, component);
        }
        const int position = Along == Direction::kU ? point % fAcross : point / fAcross;
        const int count = Along == Direction::kU ? fAcross : fDown;
        const int step = Along == Direction::kU ? 1 : fAcross;
        if (count < 2 || view.uniform()) return 0;
        const auto value = [&](int at) { return ::quelmark::component(view, at, component); };
        if (position == 0) return value(point + step) - value(point);
        if (position == count - 1) return value(point) - value(point - step);
        return (value(point + step) - value(point - step)) / 2;
    }

    template <Direction Along> ShaderTriple triple(const RegisterView& view, int point) const {
        return {at<Along>(view, point, 0), at<Along>(view, point, 1), at<Along>(view, point, 2)};
    }

private:
    struct RowPlace {
        int row, position;
    };

    // The last point of a triangle's row lies folded onto its long edge, off
    // the lattice of the others: it takes the differences of the point
    // before it (or, alone in its row, of the row below) and is no
    // neighbour of any.
    int latticeLength(int row) const {
        return fRowStarts[std::size_t(row) + 1] - fRowStarts[std::size_t(row)] - 1;
    }
    RowPlace latticePlace(int point) const {
        int row = int(std::ranges::upper_bound(fRowStarts, point) - fRowStarts.begin()) - 1;
        int position = point - fRowStarts[std::size_t(row)];
        while (row > 0 && latticeLength(row) < 1)
            --row;
        return {row, std::clamp(position, 0, std::max(latticeLength(row) - 1, 0))};
    }
    int pointAt(int row, int position) const { return fRowStarts[std::size_t(row)] + position; }

    float raggedAlongU(const RegisterView& view, int point, int component) const {
        const auto value = [&](int at) { return ::quelmark::component(view, at, component); };
        const auto [row, position] = latticePlace(point);
        const int length = latticeLength(row);
        // A row of one point (the apex) takes the differences of the row below.
        if (length < 2)
            return row > 0 ? raggedAlongU(view, pointAt(row - 1, position), component) : 0;
        const int at = pointAt(row, position);
        if (position == 0) return value(at + 1) - value(at);
        if (position == length - 1) return value(at) - value(at - 1);
        return (value(at + 1) - value(at - 1)) / 2;
    }

    // Rows shorten upwards: at a row's end, where no point lies above, the
    // difference is the one below; with neither, the one beside.
    float raggedAlongV(const RegisterView& view, int point, int component) const {
        const auto value = [&](int at) { return ::quelmark::component(view, at, component); };
        const int rows = int(fRowStarts.size()) - 1;
        const auto [row, position] = latticePlace(point);
        const bool above = row + 1 < rows && position < latticeLength(row + 1);
        const bool below = row > 0;
        if (!above && !below)
            return position > 0 ? raggedAlongV(view, pointAt(row, position - 1), component) : 0;
        const int at = pointAt(row, position);
        const int up = above ? pointAt(row + 1, position) : at;
        const int down = below ? pointAt(row - 1, position) : at;
        if (above && below) return (value(up) - value(down)) / 2;
        return value(up) - value(down);
    }

    int fAcross, fDown;
    std::span<const int> fRowStarts;
};

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

template <Direction Along, int Width> void derivative(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& value = frame.view(operands[1]);
    const GridDifferences differences(frame.grid());
    const float spacing = Along == Direction::kU ? frame.grid().du : frame.grid().dv;
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
        const float byU = differences.at<Direction::kU>(denominator, point, 0);
        const float byV = differences.at<Direction::kV>(denominator, point, 0);
        for (int k = 0; k < Width; ++k)
            gathered[next++] =
                safeQuotient(differences.at<Direction::kU>(numerator, point, k), byU) +
                safeQuotient(differences.at<Direction::kV>(numerator, point, k), byV);
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
            crossProduct(differences.triple<Direction::kU>(position, point),
                         differences.triple<Direction::kV>(position, point));
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
            crossProduct(differences.triple<Direction::kU>(position, point),
                         differences.triple<Direction::kV>(position, point));
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
            halfWidth = (std::fabs(differences.at<Direction::kU>(first, point, 0)) +
                         std::fabs(differences.at<Direction::kV>(first, point, 0))) /
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
        return derivative<Direction::kU, Width>;
    case BuiltinOp::kDv:
        return derivative<Direction::kV, Width>;
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
