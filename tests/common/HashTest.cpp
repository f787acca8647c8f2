#include "common/Hash.h"

#include "common/String.h"

#include <gtest/gtest.h>

using namespace quelmark;

namespace {

// "a" hashes to 97 and "0j" to 48 * 16 + 106 = 874 = 7 * 111 + 97: both
// land in bucket 97 of 111.
constexpr int kBuckets = 111;

} // namespace

TEST(HashTest, PlacesKeysByHashModuloCount) {
    const Hash<int> table(kBuckets);
    EXPECT_EQ(table.bucketCount(), 111);
    EXPECT_EQ(table.bucketIndex("a"), 97);
    EXPECT_EQ(table.bucketIndex("ab"), 96); // 1650 = 14 * 111 + 96
    EXPECT_EQ(table.bucketIndex("0j"), 97);
    EXPECT_EQ(table.bucketIndex(""), 0);
}

TEST(HashTest, MakesBucketsOnFirstUse) {
    Hash<int> table(kBuckets);
    for (int i = 0; i < kBuckets; ++i)
        EXPECT_EQ(table.bucket(i), nullptr);
    table.insert("a", 1);
    ASSERT_NE(table.bucket(97), nullptr);
    EXPECT_EQ(table.bucket(97)->count(), 1);
    EXPECT_EQ(table.bucket(96), nullptr);
    table.insert("0j", 2);
    EXPECT_EQ(table.bucket(97)->count(), 2);
}

TEST(HashTest, FindsCollidingKeys) {
    Hash<int> table(kBuckets);
    table.insert("a", 1);
    table.insert("0j", 2);
    ASSERT_NE(table.find("a"), nullptr);
    EXPECT_EQ(*table.find("a"), 1);
    EXPECT_EQ(*table.find(String("0j")), 2);
    EXPECT_EQ(table.find("b"), nullptr);
    EXPECT_EQ(table.find("0"), nullptr);
}

TEST(HashTest, ReplacesValueOfExistingKey) {
    Hash<String> table(kBuckets);
    String* stored = table.insert("surface", String("plastic"));
    EXPECT_EQ(*stored, "plastic");
    table.insert(String("surface"), String("matte"));
    EXPECT_EQ(*table.find("surface"), "matte");
    EXPECT_EQ(table.bucket(table.bucketIndex("surface"))->count(), 1);
    *table.find("surface") += "!";
    EXPECT_EQ(*table.find("surface"), "matte!");
}

TEST(HashTest, RemovesKeys) {
    Hash<String> table(kBuckets);
    table.insert("a", String("first"));
    table.insert("0j", String("second"));
    EXPECT_TRUE(table.remove("a"));
    EXPECT_EQ(table.find("a"), nullptr);
    EXPECT_EQ(*table.find("0j"), "second");
    EXPECT_FALSE(table.remove("a"));
    EXPECT_FALSE(table.remove(String("ab")));
    EXPECT_EQ(table.bucket(96), nullptr);
}

TEST(HashTest, WorksWithOneBucket) {
    Hash<int> table(1);
    for (int i = 0; i < 5; ++i)
        table.insert(String(std::string(i + 1, 'k').c_str()), i);
    EXPECT_EQ(table.bucket(0)->count(), 5);
    EXPECT_EQ(*table.find("kkk"), 2);
}
