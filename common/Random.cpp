#include "common/Random.h"

namespace quelmark {

namespace {

constexpr uint64_t kMultiplier = 6364136223846793005ULL;
constexpr uint64_t kIncrement = 1442695040888963407ULL;

uint32_t rotateRight(uint32_t value, unsigned amount) {
    return (value >> amount) | (value << ((32u - amount) & 31u));
}

// The finaliser of the SplitMix64 generator: every input bit reaches every
// output bit.
uint64_t scramble(uint64_t z) {
    z = (z ^ (z >> 30u)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27u)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31u);
}

} // namespace

uint64_t mixKey(uint64_t a, uint64_t b) {
    return scramble(scramble(a + 0x9E3779B97F4A7C15ULL) ^ (b + 0x632BE59BD9B4E019ULL));
}

RandomStream RandomStream::keyed(uint64_t key) {
    RandomStream stream;
    stream.state_ = scramble(key);
    stream.next();
    return stream;
}

RandomStream::RandomStream(uint32_t seed) {
    this->seed(seed);
}

void RandomStream::seed(uint32_t seed) {
    state_ = 0;
    next();
    state_ += seed;
    next();
}

int RandomStream::next() {
    const uint64_t old = state_;
    state_ = old * kMultiplier + kIncrement;
    const auto xorShifted = static_cast<uint32_t>(((old >> 18u) ^ old) >> 27u);
    const auto rotation = static_cast<unsigned>(old >> 59u);
    const uint32_t output = rotateRight(xorShifted, rotation);
    return static_cast<int>(output >> 17u);
}

} // namespace quelmark
