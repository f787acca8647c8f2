// noise, pnoise and cellnoise over 1 to 4 dimensions ((x), (x, y), (P),
// (P, t); pnoise with each coordinate's period after it), giving a float or
// a triple; and random().
#include "renderer/shading/ShaderLibraryCall.h"
#include "renderer/shading/ShaderNoise.h"

#include <array>

namespace quelmark {

namespace {

using sl::BuiltinOp;
using Operands = std::span<const std::int32_t>;
constexpr int kTripleFloats = 3;

enum class NoiseKind { kGradient, kPeriodic, kCell };

// A point's coordinates from the arguments: x [y], or P [t]; with their
// periods for the periodic noise.
template <int Dimensions, NoiseKind Kind> struct NoiseArguments {
    static constexpr bool kPeriodic = Kind == NoiseKind::kPeriodic;

    static void gather(KernelFrame& frame, Operands operands, int point,
                       std::array<float, kMaxNoiseDimensions>& position,
                       std::array<float, kMaxNoiseDimensions>& periods) {
        const auto argument = [&](std::size_t index) -> const RegisterView& {
            return frame.view(operands[index + 1]);
        };
        if constexpr (Dimensions <= 2) {
            // x [y], or x period-x [y period-y]
            const std::size_t stride = kPeriodic ? 2 : 1;
            for (std::size_t axis = 0; axis < std::size_t(Dimensions); ++axis) {
                position[axis] = argument(axis * stride).at(point)[0];
                if constexpr (kPeriodic) periods[axis] = argument(axis * stride + 1).at(point)[0];
            }
        } else {
            // P [t], or P [t] period-P [period-t]
            const ShaderTriple p = tripleAt(argument(0), point);
            std::copy(p.begin(), p.end(), position.begin());
            if constexpr (Dimensions == 4) position[3] = argument(1).at(point)[0];
            if constexpr (kPeriodic) {
                const std::size_t first = Dimensions == 4 ? 2 : 1;
                const ShaderTriple period = tripleAt(argument(first), point);
                std::copy(period.begin(), period.end(), periods.begin());
                if constexpr (Dimensions == 4) periods[3] = argument(first + 1).at(point)[0];
            }
        }
    }
};

template <NoiseKind Kind>
float noiseAt(std::span<const float> position, std::span<const float> periods, unsigned channel) {
    if constexpr (Kind == NoiseKind::kGradient) return gradientNoise(position, channel);
    if constexpr (Kind == NoiseKind::kPeriodic)
        return periodicGradientNoise(position, periods, channel);
    if constexpr (Kind == NoiseKind::kCell) return cellNoise(position, channel);
}

template <NoiseKind Kind, int Dimensions, int Width>
void noise(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    for (const int point : frame.active()) {
        std::array<float, kMaxNoiseDimensions> position{}, periods{};
        NoiseArguments<Dimensions, Kind>::gather(frame, operands, point, position, periods);
        const std::span<const float> at(position.data(), Dimensions);
        const std::span<const float> every(periods.data(), Dimensions);
        float* result = out.at(point);
        for (int channel = 0; channel < Width; ++channel)
            result[channel] = noiseAt<Kind>(at, every, unsigned(channel));
    }
}

template <NoiseKind Kind, int Width> Kernel noiseKernel(int dimensions) {
    switch (dimensions) {
    case 1:
        return noise<Kind, 1, Width>;
    case 2:
        return noise<Kind, 2, Width>;
    case 3:
        return noise<Kind, 3, Width>;
    default:
        return noise<Kind, 4, Width>;
    }
}

template <NoiseKind Kind> Kernel noiseKernelOf(const LibraryCall& call, int dimensions) {
    if (call.resultIs(ValueKind::kFloat)) return noiseKernel<Kind, 1>(dimensions);
    if (call.resultIs(ValueKind::kExactTriple)) return noiseKernel<Kind, kTripleFloats>(dimensions);
    return nullptr;
}

// The dimensions of the arguments; 0 when they fit no form.
int noiseDimensions(const LibraryCall& call) {
    using enum ValueKind;
    if (call.argumentsAre({kFloat})) return 1;
    if (call.argumentsAre({kFloat, kFloat})) return 2;
    if (call.argumentsAre({kExactTriple})) return 3;
    if (call.argumentsAre({kExactTriple, kFloat})) return 4;
    return 0;
}

int periodicNoiseDimensions(const LibraryCall& call) {
    using enum ValueKind;
    if (call.argumentsAre({kFloat, kFloat})) return 1;
    if (call.argumentsAre({kFloat, kFloat, kFloat, kFloat})) return 2;
    if (call.argumentsAre({kExactTriple, kExactTriple})) return 3;
    if (call.argumentsAre({kExactTriple, kFloat, kExactTriple, kFloat})) return 4;
    return 0;
}

// A uniform result draws one value for the grid, a varying one a value for
// each point; every call draws afresh.
template <int Width> void random(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const std::uint64_t draw = frame.nextRandomDraw();
    for (const int point : frame.active()) {
        const std::uint64_t stream = out.uniform() ? 0 : frame.environment().randomStream(point);
        float* result = out.at(point);
        for (int channel = 0; channel < Width; ++channel)
            result[channel] = randomValue(frame.randomSeed(), stream, draw, unsigned(channel));
    }
}

} // namespace

Kernel chooseNoiseKernel(const LibraryCall& call) {
    switch (call.op()) {
    case BuiltinOp::kNoise:
        if (const int dimensions = noiseDimensions(call))
            return noiseKernelOf<NoiseKind::kGradient>(call, dimensions);
        return nullptr;
    case BuiltinOp::kCellNoise:
        if (const int dimensions = noiseDimensions(call))
            return noiseKernelOf<NoiseKind::kCell>(call, dimensions);
        return nullptr;
    case BuiltinOp::kPNoise:
        if (const int dimensions = periodicNoiseDimensions(call))
            return noiseKernelOf<NoiseKind::kPeriodic>(call, dimensions);
        return nullptr;
    case BuiltinOp::kRandom:
        if (call.argumentCount() != 0) return nullptr;
        if (call.resultIs(ValueKind::kFloat)) return random<1>;
        if (call.resultIs(ValueKind::kExactTriple)) return random<kTripleFloats>;
        return nullptr;
    default:
        return nullptr;
    }
}

} // namespace quelmark
