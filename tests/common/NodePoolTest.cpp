// The blocks of the list nodes' pool.
#include "common/NodePool.h"
#include "common/List.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <vector>

namespace {

using Pool = NodePool<40, 32>;

// More blocks than one chunk holds, each filled with its own number: none
// overlaps another, and each is aligned as asked.
TEST(NodePool, BlocksAreAlignedAndApart) {
    std::vector<unsigned char*> blocks;
    for (int k = 0; k < 3000; ++k) {
        auto* block = static_cast<unsigned char*>(Pool::allocate());
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % 32, 0u);
        std::memset(block, k % 251, 40);
        blocks.push_back(block);
    }
    for (int k = 0; k < 3000; ++k)
        for (int byte = 0; byte < 40; ++byte)
            ASSERT_EQ(blocks[size_t(k)][byte], k % 251) << "block " << k << " was overwritten";
    EXPECT_EQ(std::set<unsigned char*>(blocks.begin(), blocks.end()).size(), blocks.size());
    for (unsigned char* block : blocks)
        Pool::release(block);
}

#ifndef __SANITIZE_ADDRESS__
TEST(NodePool, AReleasedBlockIsHandedOutAgain) {
    void* first = Pool::allocate();
    Pool::release(first);
    EXPECT_EQ(Pool::allocate(), first);
    Pool::release(first);
}
#endif

// Lists keep working on pooled nodes as they grow, shrink and grow again.
TEST(NodePool, ListsReuseTheirNodes) {
    List<long> list;
    for (int round = 0; round < 3; ++round) {
        for (long k = 0; k < 5000; ++k)
            list.add(k);
        EXPECT_EQ(list.count(), 5000);
        long expected = 4999, sum = 0;
        for (long value : list) {
            EXPECT_EQ(value, expected--);
            sum += value;
        }
        EXPECT_EQ(sum, 4999L * 5000 / 2);
        list.flush();
        EXPECT_TRUE(list.empty());
    }
}

} // namespace
