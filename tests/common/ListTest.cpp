#include "common/List.h"

#include "common/String.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace quelmark;

namespace {

template <class Range> std::vector<int> valuesOf(const Range& range) {
    std::vector<int> values;
    for (int value : range)
        values.push_back(value);
    return values;
}

List<int> listOf(std::initializer_list<int> values) {
    List<int> list;
    for (int value : values)
        list.add(value);
    return list;
}

// Sorted by key only, so equal keys show the order of insertion.
struct Tagged {
    int key;
    char tag;
    bool operator<(const Tagged& other) const { return key < other.key; }
};

} // namespace

TEST(ListTest, AddsAtTheHead) {
    const List<int> list = listOf({1, 2, 3});
    EXPECT_EQ(valuesOf(list), (std::vector<int>{3, 2, 1}));
    EXPECT_EQ(list.count(), 3);
    EXPECT_FALSE(list.empty());
}

TEST(ListTest, DetachesTheHead) {
    List<int> list = listOf({1, 2});
    EXPECT_EQ(list.detachHead(), 2);
    EXPECT_EQ(list.detachHead(), 1);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.detachHead(), 0);

    List<const char*> pointers;
    EXPECT_EQ(pointers.detachHead(), nullptr);
}

TEST(ListTest, DetachesTheFirstMatch) {
    List<int> list = listOf({7, 1, 7, 2});
    EXPECT_TRUE(list.detach(7));
    EXPECT_EQ(valuesOf(list), (std::vector<int>{2, 1, 7}));
    EXPECT_TRUE(list.detach(7));
    EXPECT_FALSE(list.detach(7));
    EXPECT_EQ(valuesOf(list), (std::vector<int>{2, 1}));
    EXPECT_EQ(list.count(), 2);
}

TEST(ListTest, FindsValuesAndPredicates) {
    List<int> list = listOf({4, 9, 16});
    EXPECT_TRUE(list.find(9));
    EXPECT_FALSE(list.find(5));

    int* odd = list.findPred([](int value) { return value % 2 == 1; });
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(*odd, 9);
    *odd = 11;
    EXPECT_TRUE(list.find(11));
    EXPECT_EQ(list.findPred([](int value) { return value > 100; }), nullptr);
}

TEST(ListTest, FlushesEverything) {
    List<String> list;
    list.add(String("light"));
    list.add(String("sphere"));
    list.flush();
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.count(), 0);
    list.add(String("cone"));
    EXPECT_EQ(list.count(), 1);
}

TEST(ListTest, IteratesFromHeadToTail) {
    List<int> list = listOf({1, 2, 3});
    std::vector<int> walked;
    for (ListIterator<int> it(list); !it.done(); ++it) {
        walked.push_back(*it);
        *it *= 10;
    }
    EXPECT_EQ(walked, (std::vector<int>{3, 2, 1}));
    EXPECT_EQ(valuesOf(list), (std::vector<int>{30, 20, 10}));
    EXPECT_TRUE(ListIterator<int>().done());
}

TEST(ListTest, CopiesInOrderAndMoves) {
    List<String> names;
    names.add(String("c"));
    names.add(String("b"));
    names.add(String("a"));
    List<String> copy(names);
    std::vector<String> order(copy.begin(), copy.end());
    ASSERT_EQ(order.size(), 3u);
    EXPECT_EQ(order[0], "a");
    EXPECT_EQ(order[2], "c");

    List<String> moved(std::move(names));
    EXPECT_EQ(moved.count(), 3);
    EXPECT_TRUE(names.empty());
    copy = moved;
    EXPECT_EQ(copy.count(), 3);
}

TEST(ListTest, InsertsAndTruncatesAtNodes) {
    List<int> list = listOf({3, 1});
    List<int>::Node* first = list.head();
    list.insertAfter(first, 2);
    EXPECT_EQ(valuesOf(list), (std::vector<int>{1, 2, 3}));
    list.truncateAfter(first);
    EXPECT_EQ(valuesOf(list), (std::vector<int>{1}));
    EXPECT_EQ(list.count(), 1);
}

TEST(SListTest, KeepsAscendingOrder) {
    SList<int> list;
    for (int value : {5, 1, 3, 9, 1, -2})
        EXPECT_TRUE(list.add(value));
    EXPECT_EQ(valuesOf(list), (std::vector<int>{-2, 1, 1, 3, 5, 9}));
    EXPECT_EQ(list.detachHead(), -2);
    EXPECT_TRUE(list.detach(5));
    EXPECT_EQ(valuesOf(list), (std::vector<int>{1, 1, 3, 9}));
}

TEST(SListTest, PutsEqualEntriesAfterEarlierOnes) {
    SList<Tagged> list;
    list.add({2, 'a'});
    list.add({1, 'b'});
    list.add({2, 'c'});
    list.add({1, 'd'});
    list.add({2, 'e'});
    std::string tags;
    for (const Tagged& entry : list)
        tags += entry.tag;
    EXPECT_EQ(tags, "bdace");
}
