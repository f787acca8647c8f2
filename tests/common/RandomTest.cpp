#include "common/Random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace quelmark;

namespace {

std::vector<int> draws(RandomStream& stream, int count)
{
    std::vector<int> out;
    for (int i = 0; i < count; ++i) out.push_back(stream.next());
    return out;
}

TEST(RandomStreamTest, CoversTheWholeRangeWithTheUniformMean)
{
    RandomStream stream(1);
    constexpr int kDraws = 1000000;
    int lowest = kRandomMax, highest = 0;
    double sum = 0;
    for (int i = 0; i < kDraws; ++i) {
        int d = stream.next();
        ASSERT_GE(d, 0);
        ASSERT_LE(d, 32767);
        lowest = std::min(lowest, d);
        highest = std::max(highest, d);
        sum += d;
    }
    EXPECT_EQ(lowest, 0);
    EXPECT_EQ(highest, 32767);
    // The standard error of the mean is 9459 / 1000 here.
    EXPECT_NEAR(sum / kDraws, 16383.5, 50.0);
}

TEST(RandomStreamTest, SixteenBinsAreEvenlyFilled)
{
    RandomStream stream(99);
    constexpr int kDraws = 160000;
    constexpr double kExpected = kDraws / 16.0;
    int bins[16] = {};
    for (int i = 0; i < kDraws; ++i) ++bins[stream.next() >> 11];
    double chiSquare = 0;
    for (int count : bins) chiSquare += (count - kExpected) * (count - kExpected) / kExpected;
    // 15 degrees of freedom: 40 is exceeded with probability below 0.0005.
    EXPECT_LT(chiSquare, 40.0);
}

TEST(RandomStreamTest, ReseedingRepeatsTheSequence)
{
    RandomStream stream(5);
    std::vector<int> first = draws(stream, 20);
    stream.seed(5);
    EXPECT_EQ(draws(stream, 20), first);

    RandomStream fresh(5);
    EXPECT_EQ(draws(fresh, 20), first);
    RandomStream defaulted;
    RandomStream one(1);
    EXPECT_EQ(draws(defaulted, 20), draws(one, 20));
}

TEST(RandomStreamTest, StreamsAreIndependent)
{
    RandomStream a(1), b(1), reference(1);
    std::vector<int> interleaved;
    for (int i = 0; i < 20; ++i) {
        a.next();
        a.next();
        interleaved.push_back(b.next());
    }
    EXPECT_EQ(interleaved, draws(reference, 20));

    RandomStream c(2);
    RandomStream d(1);
    EXPECT_NE(draws(c, 20), draws(d, 20));
}

} // namespace
