#include "common/ParallelFor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

using namespace quelmark;

namespace {

TEST(ParallelForTest, EveryPieceRunsOnceWhateverTheThreads) {
    for (int threads : {1, 2, 3, 8}) {
        std::vector<int> runs(100, 0);
        parallelFor(100, threads, [&](long k) { ++runs[size_t(k)]; });
        for (int count : runs) EXPECT_EQ(count, 1) << threads << " threads";
    }
    bool ran = false;
    parallelFor(0, 4, [&](long) { ran = true; });
    EXPECT_FALSE(ran);
}

TEST(ParallelForTest, APieceThrowingIsThrownAgainOnceAllStopped) {
    std::atomic<int> finished{0};
    EXPECT_THROW(parallelFor(40, 4,
                             [&](long k) {
                                 if (k == 13) throw std::runtime_error("piece 13");
                                 ++finished;
                             }),
                 std::runtime_error);
    // The other threads' pieces all ran; those after 13 on its own thread did not.
    EXPECT_GE(finished.load(), 30);
    EXPECT_LT(finished.load(), 40);
}

} // namespace
