#include "common/Array.h"

#include "common/String.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <string>
#include <utility>
#include <vector>

using namespace quelmark;

namespace {

struct HandlerCalled {};

void throwingHandler() {
    throw HandlerCalled();
}

void returningHandler() {}

// Capacities of a one-byte count: 0 1 2 4 7 11 17 26 40 61 92 139 209; the
// next step, 314, does not fit.
using ByteArray = Array<char, std::uint8_t>;

ByteArray fullByteArray() {
    ByteArray array;
    for (int i = 0; i < 209; ++i)
        array.append('x');
    return array;
}

class ArrayHandlerTest : public ::testing::Test {
protected:
    void SetUp() override { fSaved = std::set_new_handler(nullptr); }
    void TearDown() override { std::set_new_handler(fSaved); }

private:
    std::new_handler fSaved = nullptr;
};

} // namespace

TEST(ArrayTest, GrowsByHalfPlusOne) {
    Array<int> array;
    EXPECT_EQ(array.capacity(), 0);
    const std::vector<int> expected = {1, 2, 4, 4, 7, 7, 7, 11, 11, 11, 11, 17};
    std::vector<int> capacities;
    for (int i = 0; i < 12; ++i) {
        array.append(i * i);
        capacities.push_back(array.capacity());
    }
    EXPECT_EQ(capacities, expected);
    EXPECT_EQ(array.count(), 12);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(array[i], i * i);
}

TEST(ArrayTest, KeepsStringsThroughGrowth) {
    Array<String> names;
    for (int i = 0; i < 20; ++i)
        names.append(String(std::to_string(i).c_str()));
    ASSERT_EQ(names.count(), 20);
    EXPECT_EQ(names[0], "0");
    EXPECT_EQ(names[19], "19");
    EXPECT_EQ(names.last(), "19");
}

TEST(ArrayTest, AppendsOwnElementWhenFull) {
    Array<String> names;
    names.append(String("first"));
    names.append(String("second"));
    ASSERT_EQ(names.count(), names.capacity());
    names.append(names[0]);
    EXPECT_EQ(names[2], "first");
    EXPECT_EQ(names.capacity(), 4);
}

TEST(ArrayTest, ClearsAndRemovesLast) {
    Array<String> names;
    for (const char* name : {"a", "b", "c", "d", "e"})
        names.append(String(name));
    names.removeLast();
    EXPECT_EQ(names.count(), 4);
    EXPECT_EQ(names.last(), "d");
    names.clear();
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(names.capacity(), 7);
    names.append(String("again"));
    EXPECT_EQ(names[0], "again");
}

TEST(ArrayTest, CopiesMovesAndIterates) {
    Array<int> source;
    for (int value : {3, 5, 7})
        source.append(value);
    Array<int> copy(source);
    copy[0] = 4;
    EXPECT_EQ(source[0], 3);

    int sum = 0;
    for (int value : copy)
        sum += value;
    EXPECT_EQ(sum, 16);

    Array<int> moved(std::move(source));
    EXPECT_EQ(moved.count(), 3);
    EXPECT_EQ(source.count(), 0);
    copy = moved;
    EXPECT_EQ(copy[0], 3);
}

TEST(ArrayTest, ReservesWithoutChangingCount) {
    Array<int> array;
    array.reserve(10);
    EXPECT_EQ(array.capacity(), 10);
    EXPECT_EQ(array.count(), 0);
    for (int i = 0; i < 11; ++i)
        array.append(i);
    EXPECT_EQ(array.capacity(), 16); // 10 + 5 + 1
}

TEST(ArrayTest, LimitsCapacityByCountAndBytes) {
    EXPECT_EQ(ByteArray::maxCapacity(), 255u);
    struct Megabyte {
        char bytes[1 << 20];
    };
    EXPECT_EQ((Array<Megabyte, std::size_t>::maxCapacity()), SIZE_MAX >> 20);
    ByteArray array = fullByteArray();
    EXPECT_EQ(array.capacity(), 209);
}

TEST_F(ArrayHandlerTest, AbortsWhenCapacityWrapsWithoutHandler) {
    ByteArray array = fullByteArray();
    EXPECT_DEATH(array.append('y'), "^fatal error: Array too large\n$");
}

TEST_F(ArrayHandlerTest, CallsOutOfMemoryHandler) {
    ByteArray array = fullByteArray();
    std::set_new_handler(throwingHandler);
    EXPECT_THROW(array.append('y'), HandlerCalled);
    EXPECT_EQ(array.count(), 209);
}

TEST_F(ArrayHandlerTest, AbortsWhenHandlerReturns) {
    ByteArray array = fullByteArray();
    std::set_new_handler(returningHandler);
    EXPECT_DEATH(array.append('y'), "fatal error: Array too large");
}
