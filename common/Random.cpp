#include "common/Random.h"

namespace {

constexpr uint64_t kMultiplier = 6364136223846793005ULL;
constexpr uint64_t kIncrement = 1442695040888963407ULL;

RandomStream& processStream()
{
    static RandomStream stream(1);
    return stream;
}

uint32_t rotateRight(uint32_t value, unsigned amount)
{
    return (value >> amount) | (value << ((32u - amount) & 31u));
}

} // namespace

RandomStream::RandomStream(uint32_t seed)
{
    this->seed(seed);
}

void RandomStream::seed(uint32_t seed)
{
    state_ = 0;
    next();
    state_ += seed;
    next();
}

int RandomStream::next()
{
    const uint64_t old = state_;
    state_ = old * kMultiplier + kIncrement;
    const auto xorShifted = static_cast<uint32_t>(((old >> 18u) ^ old) >> 27u);
    const auto rotation = static_cast<unsigned>(old >> 59u);
    const uint32_t output = rotateRight(xorShifted, rotation);
    return static_cast<int>(output >> 17u);
}

int runtimeRandom()
{
    return processStream().next();
}

void seedRandom(unsigned seed)
{
    processStream().seed(seed);
}
