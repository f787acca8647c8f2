// The colour and matrix functions: components, colour spaces, and the
// matrices' determinant, inverse and the transforms added to them.
//
// translate(m, t), rotate(m, angle, axis) and scale(m, s) put the new
// transform before m's own, as a transform request does to the current
// transform: a point is moved by the new transform, then by m. A singular
// matrix has no inverse: inverse() reports it and gives the identity.
#include "renderer/shading/ShaderColorSpaces.h"
#include "renderer/shading/ShaderLibraryCall.h"

#include <algorithm>
#include <cmath>

namespace quelmark {

namespace {

using sl::BuiltinOp;
using Operands = std::span<const std::int32_t>;
constexpr int kTripleFloats = 3;
constexpr int kMatrixSide = 4;

// A component index, clamped into 0..count - 1 (and reported).
int componentIndex(KernelFrame& frame, float index, int count) {
    const int whole = std::isfinite(index) ? int(std::clamp(index, -2e9f, 2e9f)) : 0;
    if (whole >= 0 && whole < count) return whole;
    const int clamped = whole < 0 ? 0 : count - 1;
    if (!frame.hasReported())
        frame.report("component " + std::to_string(whole) + " is outside 0 to " +
                     std::to_string(count - 1) + ": " + std::to_string(clamped) + " is used");
    return clamped;
}

void colorComponent(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& color = frame.view(operands[1]);
    const RegisterView& index = frame.view(operands[2]);
    for (const int point : frame.active())
        out.at(point)[0] =
            color.at(point)[componentIndex(frame, index.at(point)[0], kTripleFloats)];
}

void setColorComponent(KernelFrame& frame, Operands operands) {
    const RegisterView& color = frame.view(operands[1]);
    const RegisterView& index = frame.view(operands[2]);
    const RegisterView& value = frame.view(operands[3]);
    for (const int point : frame.active())
        color.at(point)[componentIndex(frame, index.at(point)[0], kTripleFloats)] =
            value.at(point)[0];
}

int matrixSlot(KernelFrame& frame, const RegisterView& row, const RegisterView& column, int point) {
    return componentIndex(frame, row.at(point)[0], kMatrixSide) * kMatrixSide +
           componentIndex(frame, column.at(point)[0], kMatrixSide);
}

void matrixComponent(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& matrix = frame.view(operands[1]);
    for (const int point : frame.active())
        out.at(point)[0] = matrix.at(
            point)[matrixSlot(frame, frame.view(operands[2]), frame.view(operands[3]), point)];
}

void setMatrixComponent(KernelFrame& frame, Operands operands) {
    const RegisterView& matrix = frame.view(operands[1]);
    const RegisterView& value = frame.view(operands[4]);
    for (const int point : frame.active())
        matrix.at(
            point)[matrixSlot(frame, frame.view(operands[2]), frame.view(operands[3]), point)] =
            value.at(point)[0];
}

// ctransform([from,] to, c): c from the space "from" (RGB when not given)
// to "to"; an unknown space is reported and leaves the colour as it was.
std::optional<ShaderColorSpace> colorSpace(KernelFrame& frame, const std::string& name) {
    const auto space = colorSpaceNamed(name);
    if (!space && !frame.hasReported())
        frame.report("unknown colour space '" + name + "': the colour is left as it was");
    return space;
}

template <bool HasFrom> void colorTransform(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& color = frame.view(operands.back());
    for (const int point : frame.active()) {
        const ShaderTriple given = tripleAt(color, point);
        std::optional<ShaderColorSpace> from = ShaderColorSpace::kRgb;
        if constexpr (HasFrom) from = colorSpace(frame, frame.view(operands[1]).stringAt(point));
        const auto to = colorSpace(frame, frame.view(operands[HasFrom ? 2 : 1]).stringAt(point));
        storeTriple(out, point, from && to ? colorFromRgb(*to, colorToRgb(*from, given)) : given);
    }
}

void determinant(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& matrix = frame.view(operands[1]);
    for (const int point : frame.active())
        out.at(point)[0] = matrixDeterminant(matrixAt(matrix, point));
}

void inverse(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& matrix = frame.view(operands[1]);
    for (const int point : frame.active()) {
        const auto inverted = matrixInverse(matrixAt(matrix, point));
        if (!inverted && !frame.hasReported())
            frame.report("inverse of a singular matrix: the identity is given");
        storeMatrix(out, point, inverted ? *inverted : identityMatrix());
    }
}

void translate(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& matrix = frame.view(operands[1]);
    const RegisterView& offset = frame.view(operands[2]);
    for (const int point : frame.active())
        storeMatrix(
            out, point,
            matrixProduct(translationMatrix(tripleAt(offset, point)), matrixAt(matrix, point)));
}

void scale(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& matrix = frame.view(operands[1]);
    const RegisterView& factors = frame.view(operands[2]);
    for (const int point : frame.active())
        storeMatrix(
            out, point,
            matrixProduct(scalingMatrix(tripleAt(factors, point)), matrixAt(matrix, point)));
}

// A zero axis turns nothing.
void rotate(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& matrix = frame.view(operands[1]);
    const RegisterView& angle = frame.view(operands[2]);
    const RegisterView& axis = frame.view(operands[3]);
    for (const int point : frame.active()) {
        const ShaderMatrix given = matrixAt(matrix, point);
        const auto rotation = rotationMatrix(angle.at(point)[0], tripleAt(axis, point));
        storeMatrix(out, point, rotation ? matrixProduct(*rotation, given) : given);
    }
}

Kernel chooseComponents(const LibraryCall& call) {
    using enum ValueKind;
    if (call.op() == BuiltinOp::kComp) {
        if (!call.resultIs(kFloat)) return nullptr;
        if (call.argumentsAre({kExactTriple, kFloat})) return colorComponent;
        return call.argumentsAre({kMatrix, kFloat, kFloat}) ? matrixComponent : nullptr;
    }
    if (call.argumentCount() == 0 || !call.writable(0)) return nullptr;
    if (call.argumentsAre({kExactTriple, kFloat, kFloat})) return setColorComponent;
    return call.argumentsAre({kMatrix, kFloat, kFloat, kFloat}) ? setMatrixComponent : nullptr;
}

Kernel chooseMatrixFunction(const LibraryCall& call) {
    using enum ValueKind;
    switch (call.op()) {
    case BuiltinOp::kDeterminant:
        return call.resultIs(kFloat) && call.argumentsAre({kMatrix}) ? determinant : nullptr;
    case BuiltinOp::kInverse:
        return call.resultIs(kMatrix) && call.argumentsAre({kMatrix}) ? inverse : nullptr;
    case BuiltinOp::kTranslate:
        return call.resultIs(kMatrix) && call.argumentsAre({kMatrix, kTripleLike}) ? translate
                                                                                   : nullptr;
    case BuiltinOp::kScale:
        return call.resultIs(kMatrix) && call.argumentsAre({kMatrix, kTripleLike}) ? scale
                                                                                   : nullptr;
    case BuiltinOp::kRotate:
        return call.resultIs(kMatrix) && call.argumentsAre({kMatrix, kFloat, kTripleLike})
                   ? rotate
                   : nullptr;
    default:
        return nullptr;
    }
}

} // namespace

Kernel chooseColorMatrixKernel(const LibraryCall& call) {
    using enum ValueKind;
    switch (call.op()) {
    case BuiltinOp::kComp:
    case BuiltinOp::kSetComp:
        return chooseComponents(call);
    case BuiltinOp::kCTransform:
        if (!call.resultIs(kExactTriple)) return nullptr;
        if (call.argumentsAre({kString, kTripleLike})) return colorTransform<false>;
        return call.argumentsAre({kString, kString, kTripleLike}) ? colorTransform<true> : nullptr;
    default:
        return chooseMatrixFunction(call);
    }
}

} // namespace quelmark
