#include "common/String.h"

#include "common/Error.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace quelmark;

namespace {

std::vector<std::string> gPrinted;

void capturePrinted(const char* text) {
    gPrinted.emplace_back(text);
}

class StringIndexTest : public ::testing::Test {
protected:
    void SetUp() override {
        gPrinted.clear();
        setErrorHandler(static_cast<short>(kError), static_cast<short>(0xC01));
        setErrorPrinter(capturePrinted);
    }
    void TearDown() override { setErrorPrinter(printToStandardError); }
};

const char* const kRangeLine = "error: Parameter out of range. string index out of range";

} // namespace

TEST(StringTest, ConstructsFromText) {
    const String empty(nullptr);
    EXPECT_EQ(empty.length(), 0);
    EXPECT_STREQ(empty.c_str(), "");
    EXPECT_TRUE(String().empty());

    const String word("quark");
    EXPECT_EQ(word.length(), 5);
    EXPECT_STREQ(word.c_str(), "quark");
    EXPECT_STREQ(static_cast<const char*>(word), "quark");
}

TEST(StringTest, CopiesAndMoves) {
    String original("plastic");
    String copy(original);
    copy[0] = 'P';
    EXPECT_STREQ(original.c_str(), "plastic");
    EXPECT_STREQ(copy.c_str(), "Plastic");

    String moved(std::move(copy));
    EXPECT_STREQ(moved.c_str(), "Plastic");

    String assigned;
    assigned = original;
    assigned = assigned;
    EXPECT_STREQ(assigned.c_str(), "plastic");
    assigned = "matte";
    EXPECT_STREQ(assigned.c_str(), "matte");
    assigned = std::move(moved);
    EXPECT_STREQ(assigned.c_str(), "Plastic");
}

TEST(StringTest, Compares) {
    EXPECT_TRUE(String("abc") == String("abc"));
    EXPECT_TRUE(String("abc") == "abc");
    EXPECT_TRUE("abc" == String("abc"));
    EXPECT_TRUE(String("abc") != String("abd"));
    EXPECT_TRUE(String("ab") != "abc");
    EXPECT_TRUE(String() == nullptr);

    EXPECT_TRUE(String("abc") < String("abd"));
    EXPECT_TRUE(String("ab") < String("abc"));
    EXPECT_TRUE(String("") < String("a"));
    EXPECT_FALSE(String("b") < String("abc"));
    EXPECT_FALSE(String("abc") < String("abc"));
}

TEST(StringTest, ConcatenatesAndAppends) {
    EXPECT_EQ(String("bump") + String("y"), "bumpy");
    EXPECT_EQ(String("wood") + "grain", "woodgrain");
    EXPECT_EQ("shader/" + String("metal"), "shader/metal");

    String path("frame");
    path += String("_");
    path += "0001";
    path += '.';
    path += nullptr;
    EXPECT_EQ(path, "frame_0001.");
    EXPECT_EQ(path.length(), 11);

    String self("ab");
    self += self;
    EXPECT_EQ(self, "abab");
}

TEST(StringTest, CutsLengthAt65535) {
    const std::string longText(70000, 'x');
    const String cut(longText.c_str());
    EXPECT_EQ(cut.length(), 65535);
    EXPECT_EQ(std::string(cut.c_str()), std::string(65535, 'x'));

    String full(std::string(65534, 'y').c_str());
    full += "zz";
    EXPECT_EQ(full.length(), 65535);
    EXPECT_EQ(full[65534], 'z');
    full += 'w';
    EXPECT_EQ(full.length(), 65535);
    EXPECT_EQ(full + "more", full);
}

TEST(StringTest, HashesKnownStrings) {
    EXPECT_EQ(String::hash(""), 0u);
    EXPECT_EQ(String("a").hash(), 97u);
    EXPECT_EQ(String("ab").hash(), 1650u); // 97 * 16 + 98
    // After "g" the top bits 0x6 fold in, after "h" the bits 0x7.
    EXPECT_EQ(String("abcdefgh").hash(), 0x089ABAA8u);
    // 0xFF counts as -1: h = 0xFFFFFFFF, folded to 0x0FFFFF0F.
    EXPECT_EQ(String::hash("\xff"), 0x0FFFFF0Fu);
    EXPECT_EQ(String::hash(nullptr), 0u);
}

TEST_F(StringIndexTest, ReadsAndWritesInRange) {
    String s("abc");
    EXPECT_EQ(s[0], 'a');
    EXPECT_EQ(s[2], 'c');
    s[1] = 'X';
    EXPECT_EQ(s, "aXc");
    EXPECT_TRUE(gPrinted.empty());
}

TEST_F(StringIndexTest, ReportsIndexPastTheEnd) {
    String s("abc");
    char& past = s[3];
    EXPECT_EQ(past, '\0');
    ASSERT_EQ(gPrinted.size(), 1u);
    EXPECT_EQ(gPrinted[0], kRangeLine);

    past = 'Z';
    EXPECT_STREQ(s.c_str(), "abc");
    EXPECT_EQ(s.length(), 3);
    EXPECT_EQ(s[100], '\0');
    EXPECT_EQ(gPrinted.size(), 2u);
}

TEST_F(StringIndexTest, ReportsNegativeAndEmptyIndex) {
    String s("abc");
    EXPECT_EQ(s[-1], '\0');
    String empty;
    EXPECT_EQ(empty[0], '\0');
    const String constant("xy");
    EXPECT_EQ(constant[2], '\0');
    ASSERT_EQ(gPrinted.size(), 3u);
    for (const std::string& line : gPrinted)
        EXPECT_EQ(line, kRangeLine);
}
