#include "common/Stack.h"

#include "common/String.h"

#include <gtest/gtest.h>

#include <string>

using namespace quelmark;

TEST(StackTest, PopsInReverseOrder) {
    Stack<int> stack;
    for (int value : {1, 2, 3})
        stack.push(value);
    EXPECT_EQ(stack.count(), 3);
    EXPECT_EQ(stack.top(), 3);
    EXPECT_EQ(stack.pop(), 3);
    EXPECT_EQ(stack.pop(), 2);
    EXPECT_EQ(stack.top(), 1);
    EXPECT_EQ(stack.pop(), 1);
    EXPECT_TRUE(stack.empty());
    EXPECT_EQ(stack.pop(), 0);
}

TEST(StackTest, HoldsStringsAndClears) {
    Stack<String> stack;
    for (int i = 0; i < 12; ++i)
        stack.push(String(std::to_string(i).c_str()));
    EXPECT_EQ(stack.top(), "11");
    std::string bottomUp;
    for (const String& entry : stack)
        bottomUp += entry.c_str();
    EXPECT_EQ(bottomUp, "01234567891011");
    stack.clear();
    EXPECT_TRUE(stack.empty());
}

TEST(CopyStackTest, StartsWithDefaultEntry) {
    CopyStack<int> stack;
    stack.push();
    EXPECT_EQ(stack.count(), 1);
    EXPECT_EQ(stack.top(), 0);
}

TEST(CopyStackTest, PushCopiesAndPopRestores) {
    CopyStack<int> stack;
    stack.push();
    stack.top() = 5;
    stack.push();
    EXPECT_EQ(stack.top(), 5);
    stack.top() = 7;
    stack.push();
    EXPECT_EQ(stack.top(), 7);
    EXPECT_EQ(stack.count(), 3);
    stack.pop();
    stack.pop();
    EXPECT_EQ(stack.top(), 5);
    stack.pop();
    EXPECT_TRUE(stack.empty());
    stack.pop();
    EXPECT_TRUE(stack.empty());
}

TEST(CopyStackTest, CopiesTopThroughGrowth) {
    CopyStack<String> stack;
    stack.push();
    stack.top() = "world";
    for (int level = 1; level < 20; ++level) {
        stack.push();
        ASSERT_EQ(stack.top(), "world") << "level " << level;
    }
    stack.top() += "!";
    stack.pop();
    EXPECT_EQ(stack.top(), "world");
}
