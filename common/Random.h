// The runtime pseudo-random generator: deterministic, seedable streams of
// integers 0..32767. One process-wide stream serves runtimeRandom; separate
// RandomStream values can be keyed for independent sequences.
#ifndef QEL_COMMON_RANDOM_H
#define QEL_COMMON_RANDOM_H

#include <cstdint>

constexpr int kRandomMax = 32767;

// The next draw of the process-wide stream, 0..32767. It starts seeded with 1.
int runtimeRandom();

// Restarts the process-wide stream.
void seedRandom(unsigned seed);

// A PCG32 generator (64-bit linear congruential state, permuted 32-bit output);
// each draw keeps the 15 high output bits.
class RandomStream {
public:
    explicit RandomStream(uint32_t seed = 1);

    int next();
    void seed(uint32_t seed);

private:
    uint64_t state_ = 0;
};

#endif
