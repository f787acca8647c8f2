#include "common/Quark.h"

#include "common/Error.h"

#include <gtest/gtest.h>

#include <string>

using namespace quelmark;

namespace {

class QuarkTest : public ::testing::Test {
protected:
    void SetUp() override { initQuark(); }
};

TEST_F(QuarkTest, PredefinedNamesKeepTheirNumbers) {
    EXPECT_EQ(find("point"), 1);
    EXPECT_EQ(find("plastic"), 11);
    EXPECT_EQ(find("specularcolor"), 16);
    EXPECT_EQ(find("spot"), 20);
    EXPECT_EQ(find("raster"), 32);
    EXPECT_EQ(find("model"), 36);
    EXPECT_EQ(getClass(36), 0xD00);
    EXPECT_EQ(getType(1), 0xE05);
    EXPECT_EQ(getClass(1), 0xD03);
    EXPECT_EQ(getClass(4), 0xD02);
    EXPECT_EQ(getType(6), 0xE07);
    EXPECT_EQ(getClass(21), 0xD01);
    EXPECT_EQ(getType(3), 0xE06);
}

TEST_F(QuarkTest, DeclaringAKnownNameKeepsItsClassAndType) {
    EXPECT_EQ(declare("color", 0xD01, 0xE01), 6);
    EXPECT_EQ(getClass(6), 0xD02);
    EXPECT_EQ(getType(6), 0xE07);
}

TEST_F(QuarkTest, NewNamesAreNumberedOnAndCaseMatters) {
    unsigned short a = declare("Point", 0xD01, 0xE04);
    unsigned short b = declare("POINT", 0xD02, 0xE02);
    EXPECT_GT(a, 36);
    EXPECT_EQ(b, a + 1);
    EXPECT_EQ(getClass(a), 0xD01);
    EXPECT_EQ(getType(a), 0xE04);
    EXPECT_EQ(getType(b), 0xE02);
    EXPECT_STREQ(getString(a), "Point");
}

TEST_F(QuarkTest, AbsentNamesAndNumbers) {
    EXPECT_EQ(declare(nullptr, 0xD00, 0xE00), 0);
    EXPECT_EQ(find(nullptr), 0);
    EXPECT_EQ(find("never declared"), 0);
    EXPECT_EQ(getString(0), nullptr);
    EXPECT_EQ(getString(9999), nullptr);
    EXPECT_EQ(getClass(9999), 0xD00);
    EXPECT_EQ(getType(9999), 0xE00);
}

TEST_F(QuarkTest, SignatureFoldsTheTopBits) {
    EXPECT_EQ(signature(""), 0u);
    EXPECT_EQ(signature("a"), 97u);
    EXPECT_EQ(signature("ab"), 97u * 16 + 98);
    // After eight characters the top four bits fill: "abcdefgh" is folded once
    // at 'h': h = 0x6789ABA8 + ... worked out below by the rule's own steps.
    EXPECT_EQ(signature("abcdefgh"), 0x089ABAA8u);
    EXPECT_EQ(signature("\xff"), 0x0FFFFF0Fu); // a sign-extended character
}

TEST_F(QuarkTest, TableGrowsAt80PercentAndKeepsEveryQuark) {
    // The 410th name is the first that grows the table (410 + 102 > 511);
    // every name is numbered by its position whichever names came before.
    unsigned short first = declare("grow-first", 0xD01, 0xE01);
    for (int i = first + 1; i <= 2100; ++i) {
        std::string name = "name" + std::to_string(i);
        ASSERT_EQ(declare(name.c_str(), 0xD01, 0xE01), i);
    }
    for (int i = first + 1; i <= 2100; i += 97) {
        std::string name = "name" + std::to_string(i);
        EXPECT_EQ(find(name.c_str()), i);
        EXPECT_EQ(getClass(i), 0xD01);
        EXPECT_EQ(getType(i), 0xE01);
    }
    EXPECT_STREQ(getString(256), "name256"); // first name of string page 1
    EXPECT_STREQ(getString(2048), "name2048"); // after the page directory grew
    EXPECT_EQ(find("model"), 36);
}

TEST_F(QuarkTest, NumbersRunOutQuietly) {
    unsigned short first = declare("n-first", 0xD00, 0xE00);
    unsigned short last = first;
    for (long i = first + 1; i < 70000; ++i) {
        std::string name = "n" + std::to_string(i);
        unsigned short q = declare(name.c_str(), 0xD00, 0xE00);
        if (q == 0) break;
        last = q;
    }
    EXPECT_EQ(last, 65535);
    EXPECT_EQ(declare("one too many", 0xD00, 0xE00), 0);
    EXPECT_STREQ(getString(65535), "n65535");
    EXPECT_EQ(find("point"), 1);
}

} // namespace
