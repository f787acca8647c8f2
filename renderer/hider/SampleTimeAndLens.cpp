#include "renderer/hider/SampleTimeAndLens.h"

#include "common/Random.h"

#include <cmath>
#include <numbers>

namespace quelmark {

namespace {

constexpr uint64_t kShutterKey = 0x5A077E55EEDULL;
constexpr uint64_t kLensKey = 0x1E25C0C0A5EULL;
constexpr uint64_t kJitterKey = 0x71AE1E75EEDULL;

long floorDivide(long a, long b) {
    const long q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

long greatestCommonDivisor(long a, long b) {
    while (b != 0) {
        const long r = a % b;
        a = b;
        b = r;
    }
    return a;
}

// A permutation of 0 .. n-1 keyed by key: q → (a·q + b) mod n, a prime to n.
long permuted(long q, long n, uint64_t key) {
    if (n < 2) return 0;
    RandomStream random = RandomStream::keyed(key);
    const long b = long(unsigned(random.next()) % unsigned(n));
    long a = 1 + long(unsigned(random.next()) % unsigned(n - 1));
    while (greatestCommonDivisor(a, n) != 1)
        a = a % (n - 1) + 1;
    return (a * q + b) % n;
}

float unitDraw(RandomStream& random) {
    return float(random.next()) / float(kRandomMax);
}

} // namespace

TimeAndLens timeAndLensOf(long i, long j, int xSamples, int ySamples) {
    const long bi = floorDivide(i, xSamples), bj = floorDivide(j, ySamples);
    const long n = long(xSamples) * ySamples;
    const long q = (i - bi * xSamples) + long(xSamples) * (j - bj * ySamples);
    const uint64_t block = mixKey(uint64_t(bi), uint64_t(bj));
    RandomStream jitter = RandomStream::keyed(mixKey(kJitterKey, mixKey(uint64_t(i), uint64_t(j))));
    TimeAndLens out;
    const float shutterJitter = unitDraw(jitter);
    const long stratum = permuted(q, n, mixKey(kShutterKey, block));
    // A draw of 1 would reach the next stratum.
    out.shutter = std::fmin((float(stratum) + shutterJitter) / float(n), 0.99999994f);
    const long cell = permuted(q, n, mixKey(kLensKey, block));
    const float a = (float(cell % xSamples) + unitDraw(jitter)) / float(xSamples);
    const float b = (float(cell / xSamples) + unitDraw(jitter)) / float(ySamples);
    squareToDisk(a, b, out.u, out.v);
    return out;
}

void squareToDisk(float a, float b, float& u, float& v) {
    const float r = std::sqrt(a), angle = 2.0f * std::numbers::pi_v<float> * b;
    u = r * std::cos(angle);
    v = r * std::sin(angle);
}

} // namespace quelmark
