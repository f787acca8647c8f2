#include "renderer/shading/ShaderNoise.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace quelmark {

namespace {

// Odd constants with well-spread bits, for multiplicative mixing.
constexpr std::uint64_t kMixA = 0x9e3779b97f4a7c15ull;
constexpr std::uint64_t kMixB = 0xbf58476d1ce4e5b9ull;
constexpr std::uint64_t kMixC = 0x94d049bb133111ebull;

// Every input bit reaches every output bit.
constexpr std::uint64_t scramble(std::uint64_t value) {
    value ^= value >> 30;
    value *= kMixB;
    value ^= value >> 27;
    value *= kMixC;
    value ^= value >> 31;
    return value;
}

constexpr std::uint64_t combine(std::uint64_t hash, std::uint64_t value) {
    return scramble(hash + kMixA + value);
}

// What every cell of one noise shares: its kind, channel and dimensions.
std::uint64_t noiseSeed(unsigned noiseKind, unsigned channel, std::size_t dimensions) {
    return combine(combine(noiseKind, channel), dimensions);
}

// The hash of a lattice cell of the noise of the seed.
std::uint64_t cellHash(std::uint64_t seed, std::span<const int> cell) {
    std::uint64_t hash = seed;
    for (const int coordinate : cell)
        hash = combine(hash, std::uint64_t(std::uint32_t(coordinate)));
    return hash;
}

constexpr unsigned kGradientKind = 1;
constexpr unsigned kCellKind = 2;

// The top 24 bits as a value in [0, 1).
constexpr float unitFrom(std::uint64_t hash) {
    constexpr int kMantissaBits = 24;
    return float(hash >> (64 - kMantissaBits)) * (1.0f / float(1u << kMantissaBits));
}

// 6t^5 - 15t^4 + 10t^3: flat to the second derivative at 0 and 1.
float fade(float t) {
    return t * t * t * (t * (t * 6 - 15) + 10);
}

constexpr float kDiagonal = 0.70710678f;

// The dot product of the corner's gradient with the offset from the corner.
// Gradients come from small fixed sets: evenly spread in 1 and 2
// dimensions; in 3 and 4, the vectors with one zero component and the
// others 1 or -1.
float gradientDot(std::uint64_t hash, std::span<const float> offset) {
    const auto bits = unsigned(hash >> 32);
    switch (offset.size()) {
    case 1: {
        constexpr int kLevels = 16;
        const float gradient = (float(bits % kLevels) + 0.5f) / (kLevels / 2) - 1;
        return gradient * offset[0];
    }
    case 2: {
        constexpr std::array<std::array<float, 2>, 8> kDirections = {{{1, 0},
                                                                      {-1, 0},
                                                                      {0, 1},
                                                                      {0, -1},
                                                                      {kDiagonal, kDiagonal},
                                                                      {-kDiagonal, kDiagonal},
                                                                      {kDiagonal, -kDiagonal},
                                                                      {-kDiagonal, -kDiagonal}}};
        const auto& direction = kDirections[bits % kDirections.size()];
        return direction[0] * offset[0] + direction[1] * offset[1];
    }
    default: {
        const auto dimensions = unsigned(offset.size());
        const unsigned signCount = dimensions - 1;
        const unsigned choice = bits % (dimensions << signCount);
        const unsigned zeroAxis = choice >> signCount;
        float sum = 0;
        unsigned sign = 0;
        for (unsigned axis = 0; axis < dimensions; ++axis) {
            if (axis == zeroAxis) continue;
            sum += (choice >> sign & 1) ? -offset[axis] : offset[axis];
            ++sign;
        }
        return sum;
    }
    }
}

// Scales each dimension's raw noise to about -1..1 (it is clamped there).
constexpr std::array<float, kMaxNoiseDimensions + 1> kNoiseScale = {0, 2.0f, 1.5f, 1.0f, 0.9f};

// The lattice cell a coordinate lies in, and the offset into it.
struct CellPosition {
    std::array<int, kMaxNoiseDimensions> cell{};
    std::array<float, kMaxNoiseDimensions> offset{};
    int dimensions = 0;
};

CellPosition locate(std::span<const float> position) {
    CellPosition located;
    located.dimensions = int(std::min<std::size_t>(position.size(), kMaxNoiseDimensions));
    for (int axis = 0; axis < located.dimensions; ++axis) {
        const float coordinate = position[std::size_t(axis)];
        const float floor = std::isfinite(coordinate) ? std::floor(coordinate) : 0;
        located.cell[std::size_t(axis)] = int(std::clamp(floor, -2e9f, 2e9f));
        located.offset[std::size_t(axis)] = std::isfinite(coordinate) ? coordinate - floor : 0;
    }
    return located;
}

// A whole-number period of at least 1, or 0 for none.
int wholePeriod(float period) {
    if (!(period >= 0.5f)) return 0;
    return int(std::min(std::round(period), 2e9f));
}

int wrapped(int coordinate, int period) {
    if (period == 0) return coordinate;
    const int remainder = coordinate % period;
    return remainder < 0 ? remainder + period : remainder;
}

float latticeNoise(const CellPosition& at, std::span<const int> periods, unsigned channel) {
    const int dimensions = at.dimensions;
    if (dimensions == 0) return 0.5f;
    std::array<float, kMaxNoiseDimensions> weight{};
    for (int axis = 0; axis < dimensions; ++axis)
        weight[std::size_t(axis)] = fade(at.offset[std::size_t(axis)]);
    const std::uint64_t seed = noiseSeed(kGradientKind, channel, std::size_t(dimensions));
    float sum = 0;
    for (unsigned corner = 0; corner < (1u << dimensions); ++corner) {
        std::array<int, kMaxNoiseDimensions> cell{};
        std::array<float, kMaxNoiseDimensions> offset{};
        float cornerWeight = 1;
        for (int axis = 0; axis < dimensions; ++axis) {
            const auto k = std::size_t(axis);
            const bool far = (corner >> axis) & 1;
            cell[k] = wrapped(at.cell[k] + (far ? 1 : 0), periods.empty() ? 0 : periods[k]);
            offset[k] = at.offset[k] - (far ? 1.0f : 0.0f);
            cornerWeight *= far ? weight[k] : 1 - weight[k];
        }
        const std::uint64_t hash = cellHash(seed, std::span(cell.data(), std::size_t(dimensions)));
        sum += cornerWeight * gradientDot(hash, std::span(offset.data(), std::size_t(dimensions)));
    }
    const float scaled = std::clamp(sum * kNoiseScale[std::size_t(dimensions)], -1.0f, 1.0f);
    return 0.5f + 0.5f * scaled;
}

} // namespace

float gradientNoise(std::span<const float> position, unsigned channel) {
    return latticeNoise(locate(position), {}, channel);
}

float periodicGradientNoise(std::span<const float> position, std::span<const float> periods,
                            unsigned channel) {
    const CellPosition at = locate(position);
    std::array<int, kMaxNoiseDimensions> whole{};
    for (int axis = 0; axis < at.dimensions; ++axis)
        whole[std::size_t(axis)] =
            std::size_t(axis) < periods.size() ? wholePeriod(periods[std::size_t(axis)]) : 0;
    CellPosition wrappedAt = at;
    for (int axis = 0; axis < at.dimensions; ++axis)
        wrappedAt.cell[std::size_t(axis)] =
            wrapped(at.cell[std::size_t(axis)], whole[std::size_t(axis)]);
    return latticeNoise(wrappedAt, std::span(whole.data(), std::size_t(at.dimensions)), channel);
}

float cellNoise(std::span<const float> position, unsigned channel) {
    const CellPosition at = locate(position);
    const std::size_t dimensions = std::size_t(at.dimensions);
    return unitFrom(
        cellHash(noiseSeed(kCellKind, channel, dimensions), std::span(at.cell.data(), dimensions)));
}

float randomValue(std::uint64_t seed, std::uint64_t point, std::uint64_t draw, unsigned channel) {
    return unitFrom(combine(combine(combine(scramble(seed), point), draw), channel));
}

} // namespace quelmark
