// The pseudo-random generator: deterministic, seedable streams of integers
// 0..32767. The renderer draws from streams keyed by what the numbers belong
// to (a sample's place in the image, a primitive, a grid), so that no draw
// depends on the order in which work is done.
#ifndef QEL_COMMON_RANDOM_H
#define QEL_COMMON_RANDOM_H

#include <cstdint>

namespace quelmark {

constexpr int kRandomMax = 32767;

// A key made of two values, such that nearby pairs give unrelated keys.
uint64_t mixKey(uint64_t a, uint64_t b);

// A PCG32 generator (64-bit linear congruential state, permuted 32-bit output);
// each draw keeps the 15 high output bits.
class RandomStream {
public:
    explicit RandomStream(uint32_t seed = 1);
    // A stream started from a 64-bit key, such as one made by mixKey.
    static RandomStream keyed(uint64_t key);

    int next();
    void seed(uint32_t seed);

private:
    uint64_t state_ = 0;
};

} // namespace quelmark

#endif
