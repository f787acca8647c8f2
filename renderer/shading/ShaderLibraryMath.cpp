// The mathematical functions of floats, and those that work component by
// component on floats and triples alike: min, max, clamp, mix.
#include "renderer/shading/ShaderLibraryCall.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quelmark {

namespace {

using sl::BuiltinOp;
using Operands = std::span<const std::int32_t>;

constexpr int kTripleFloats = 3;

float toRadians(float degrees) {
    return degrees * (std::numbers::pi_v<float> / 180);
}
float toDegrees(float radians) {
    return radians * (180 / std::numbers::pi_v<float>);
}
float sine(float x) {
    return std::sin(x);
}
float cosine(float x) {
    return std::cos(x);
}
float tangent(float x) {
    return std::tan(x);
}
float arcSine(float x) {
    return std::asin(std::clamp(x, -1.0f, 1.0f));
}
float arcCosine(float x) {
    return std::acos(std::clamp(x, -1.0f, 1.0f));
}
float arcTangent(float x) {
    return std::atan(x);
}
float exponential(float x) {
    return std::exp(x);
}
float squareRoot(float x) {
    return std::sqrt(x);
}
float inverseSquareRoot(float x) {
    return x > 0 ? 1 / std::sqrt(x) : 0;
}
float naturalLog(float x) {
    return std::log(x);
}
float absolute(float x) {
    return std::fabs(x);
}
float signOf(float x) {
    return x > 0 ? 1.0f : x < 0 ? -1.0f : 0.0f;
}
float floorOf(float x) {
    return std::floor(x);
}
float ceilingOf(float x) {
    return std::ceil(x);
}
// Halves away from zero.
float rounded(float x) {
    return std::round(x);
}

float arcTangent2(float y, float x) {
    return std::atan2(y, x);
}
float power(float x, float y) {
    return std::pow(x, y);
}
float logarithm(float x, float base) {
    return std::log(x) / std::log(base);
}
// The remainder with the sign of the divisor: a - b floor(a / b); 0 for b 0.
float modulo(float a, float b) {
    return b == 0 ? 0 : a - b * std::floor(a / b);
}
// 0 below the edge, 1 from it on.
float stepAt(float edge, float value) {
    return value < edge ? 0.0f : 1.0f;
}
// 0 below low, 1 from high on, and the cubic 3t^2 - 2t^3 between.
float smoothStep(float low, float high, float value) {
    if (value < low) return 0;
    if (value >= high) return 1;
    const float t = (value - low) / (high - low);
    return t * t * (3 - 2 * t);
}

template <float (*Function)(float)> void floatFunction(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& x = frame.view(operands[1]);
    for (const int point : frame.active())
        out.at(point)[0] = finiteResult(Function(x.at(point)[0]));
}

template <float (*Function)(float, float)>
void floatFunction2(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& x = frame.view(operands[1]);
    const RegisterView& y = frame.view(operands[2]);
    for (const int point : frame.active())
        out.at(point)[0] = finiteResult(Function(x.at(point)[0], y.at(point)[0]));
}

template <float (*Function)(float, float, float)>
void floatFunction3(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& x = frame.view(operands[1]);
    const RegisterView& y = frame.view(operands[2]);
    const RegisterView& z = frame.view(operands[3]);
    for (const int point : frame.active())
        out.at(point)[0] = finiteResult(Function(x.at(point)[0], y.at(point)[0], z.at(point)[0]));
}

Kernel oneFloatKernel(BuiltinOp op) {
    switch (op) {
    case BuiltinOp::kRadians:
        return floatFunction<toRadians>;
    case BuiltinOp::kDegrees:
        return floatFunction<toDegrees>;
    case BuiltinOp::kSin:
        return floatFunction<sine>;
    case BuiltinOp::kAsin:
        return floatFunction<arcSine>;
    case BuiltinOp::kCos:
        return floatFunction<cosine>;
    case BuiltinOp::kAcos:
        return floatFunction<arcCosine>;
    case BuiltinOp::kTan:
        return floatFunction<tangent>;
    case BuiltinOp::kAtan:
        return floatFunction<arcTangent>;
    case BuiltinOp::kExp:
        return floatFunction<exponential>;
    case BuiltinOp::kSqrt:
        return floatFunction<squareRoot>;
    case BuiltinOp::kInverseSqrt:
        return floatFunction<inverseSquareRoot>;
    case BuiltinOp::kLog:
        return floatFunction<naturalLog>;
    case BuiltinOp::kAbs:
        return floatFunction<absolute>;
    case BuiltinOp::kSign:
        return floatFunction<signOf>;
    case BuiltinOp::kFloor:
        return floatFunction<floorOf>;
    case BuiltinOp::kCeil:
        return floatFunction<ceilingOf>;
    case BuiltinOp::kRound:
        return floatFunction<rounded>;
    default:
        return nullptr;
    }
}

Kernel twoFloatKernel(BuiltinOp op) {
    switch (op) {
    case BuiltinOp::kAtan:
        return floatFunction2<arcTangent2>;
    case BuiltinOp::kPow:
        return floatFunction2<power>;
    case BuiltinOp::kLog:
        return floatFunction2<logarithm>;
    case BuiltinOp::kMod:
        return floatFunction2<modulo>;
    case BuiltinOp::kStep:
        return floatFunction2<stepAt>;
    default:
        return nullptr;
    }
}

// min and max of any number of arguments, component by component.
struct Smaller {
    static float pick(float a, float b) { return std::min(a, b); }
};
struct Larger {
    static float pick(float a, float b) { return std::max(a, b); }
};

template <class Pick, int Width> void extreme(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    for (const int point : frame.active()) {
        float best[Width];
        for (int k = 0; k < Width; ++k)
            best[k] = component(frame.view(operands[1]), point, k);
        for (std::size_t argument = 2; argument < operands.size(); ++argument)
            for (int k = 0; k < Width; ++k)
                best[k] = Pick::pick(best[k], component(frame.view(operands[argument]), point, k));
        float* result = out.at(point);
        for (int k = 0; k < Width; ++k)
            result[k] = best[k];
    }
}

template <int Width> void clampBetween(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& value = frame.view(operands[1]);
    const RegisterView& low = frame.view(operands[2]);
    const RegisterView& high = frame.view(operands[3]);
    for (const int point : frame.active()) {
        float clamped[Width];
        for (int k = 0; k < Width; ++k)
            clamped[k] = std::min(std::max(component(value, point, k), component(low, point, k)),
                                  component(high, point, k));
        float* result = out.at(point);
        for (int k = 0; k < Width; ++k)
            result[k] = clamped[k];
    }
}

// a (1 - t) + b t.
template <int Width> void mixOf(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& a = frame.view(operands[1]);
    const RegisterView& b = frame.view(operands[2]);
    const RegisterView& t = frame.view(operands[3]);
    for (const int point : frame.active()) {
        float mixed[Width];
        for (int k = 0; k < Width; ++k) {
            const float weight = component(t, point, k);
            mixed[k] = component(a, point, k) * (1 - weight) + component(b, point, k) * weight;
        }
        float* result = out.at(point);
        for (int k = 0; k < Width; ++k)
            result[k] = mixed[k];
    }
}

template <int Width> Kernel componentwiseKernel(BuiltinOp op) {
    switch (op) {
    case BuiltinOp::kMin:
        return extreme<Smaller, Width>;
    case BuiltinOp::kMax:
        return extreme<Larger, Width>;
    case BuiltinOp::kClamp:
        return clampBetween<Width>;
    default:
        return mixOf<Width>;
    }
}

bool componentwiseArgumentsFit(const LibraryCall& call, ValueKind kind) {
    switch (call.op()) {
    case BuiltinOp::kMin:
    case BuiltinOp::kMax:
        return call.argumentCount() >= 2 && call.argumentsFrom(0, kind);
    case BuiltinOp::kClamp:
        return call.argumentsAre({kind, kind, kind});
    case BuiltinOp::kMix:
        return call.argumentsAre({kind, kind, kind});
    default:
        return false;
    }
}

Kernel chooseComponentwise(const LibraryCall& call) {
    if (call.resultIs(ValueKind::kFloat) && componentwiseArgumentsFit(call, ValueKind::kFloat))
        return componentwiseKernel<1>(call.op());
    if (call.resultIs(ValueKind::kExactTriple) &&
        componentwiseArgumentsFit(call, ValueKind::kTripleLike))
        return componentwiseKernel<kTripleFloats>(call.op());
    return nullptr;
}

} // namespace

Kernel chooseMathKernel(const LibraryCall& call) {
    const BuiltinOp op = call.op();
    if (op == BuiltinOp::kMin || op == BuiltinOp::kMax || op == BuiltinOp::kClamp ||
        op == BuiltinOp::kMix)
        return chooseComponentwise(call);
    if (!call.resultIs(ValueKind::kFloat)) return nullptr;
    using enum ValueKind;
    if (call.argumentsAre({kFloat})) return oneFloatKernel(op);
    if (call.argumentsAre({kFloat, kFloat})) return twoFloatKernel(op);
    if (op == BuiltinOp::kSmoothStep && call.argumentsAre({kFloat, kFloat, kFloat}))
        return floatFunction3<smoothStep>;
    return nullptr;
}

} // namespace quelmark
