// The shaders' noise: gradient noise, periodic gradient noise, cell noise
// and the per-point random values, over 1 to 4 dimensions. Every value is a
// pure function of its arguments: the same on every run and every thread.
//
// A channel picks one of independent noises over the same domain; the
// components of a colour or point result take channels 0, 1 and 2.
#ifndef QEL_SHADING_SHADERNOISE_H
#define QEL_SHADING_SHADERNOISE_H

#include <cstdint>
#include <span>

namespace quelmark {

inline constexpr int kMaxNoiseDimensions = 4;

// Smooth (its first and second derivatives continuous) gradient noise in
// [0, 1], centred on 0.5 and exactly 0.5 at the whole-number lattice points.
// Takes 1 to 4 coordinates.
float gradientNoise(std::span<const float> position, unsigned channel);

// The same noise, repeating every period along each dimension: a period is
// rounded to a whole number, and one below 1 does not repeat.
float periodicGradientNoise(std::span<const float> position, std::span<const float> periods,
                            unsigned channel);

// In [0, 1), constant over each unit cell [i, i + 1) of the lattice and
// unrelated from cell to cell.
float cellNoise(std::span<const float> position, unsigned channel);

// In [0, 1): the draw-th random value of a point's stream under a seed.
float randomValue(std::uint64_t seed, std::uint64_t point, std::uint64_t draw, unsigned channel);

} // namespace quelmark

#endif
