// The regular expressions of match(): what they match, and what they refuse.
#include "renderer/shading/ShaderPattern.h"

#include <gtest/gtest.h>

#include <string>

using namespace quelmark;

namespace {

bool matches(const std::string& pattern, const std::string& subject) {
    std::string error;
    const auto compiled = ShaderPattern::compile(pattern, error);
    EXPECT_TRUE(compiled) << pattern << ": " << error;
    return compiled && compiled->foundIn(subject);
}

std::string refusal(const std::string& pattern) {
    std::string error;
    EXPECT_FALSE(ShaderPattern::compile(pattern, error)) << pattern;
    return error;
}

TEST(ShaderPattern, BytesAndAnyByteMatchAnywhere) {
    EXPECT_TRUE(matches("bc", "abcd"));
    EXPECT_FALSE(matches("bd", "abcd"));
    EXPECT_TRUE(matches("a.c", "xxabcxx"));
    EXPECT_TRUE(matches("", "anything"));
    EXPECT_TRUE(matches("a\\.c", "a.c"));
    EXPECT_FALSE(matches("a\\.c", "abc"));
}

TEST(ShaderPattern, AnchorsHoldAtTheEnds) {
    EXPECT_TRUE(matches("^ab", "abc"));
    EXPECT_FALSE(matches("^bc", "abc"));
    EXPECT_TRUE(matches("bc$", "abc"));
    EXPECT_FALSE(matches("ab$", "abc"));
    EXPECT_TRUE(matches("^$", ""));
    EXPECT_FALSE(matches("^$", "a"));
}

TEST(ShaderPattern, Repeats) {
    EXPECT_TRUE(matches("^ab*c$", "ac"));
    EXPECT_TRUE(matches("^ab*c$", "abbbc"));
    EXPECT_FALSE(matches("^ab+c$", "ac"));
    EXPECT_TRUE(matches("^ab?c$", "abc"));
    EXPECT_FALSE(matches("^ab?c$", "abbc"));
    EXPECT_TRUE(matches("^a{2,3}$", "aaa"));
    EXPECT_FALSE(matches("^a{2,3}$", "aaaa"));
    EXPECT_FALSE(matches("^a{2,3}$", "a"));
    EXPECT_TRUE(matches("^a{2}$", "aa"));
    EXPECT_TRUE(matches("^a{2,}$", "aaaaa"));
    EXPECT_TRUE(matches("^(ab)*$", "ababab"));
    EXPECT_FALSE(matches("^(ab)*$", "abba"));
    // A repeat of what may match nothing ends.
    EXPECT_TRUE(matches("^(a*)*b$", "aab"));
}

TEST(ShaderPattern, AlternativesAndGroups) {
    EXPECT_TRUE(matches("^(red|green|blue)$", "green"));
    EXPECT_FALSE(matches("^(red|green|blue)$", "grey"));
    EXPECT_TRUE(matches("cat|dog", "hotdog"));
    EXPECT_TRUE(matches("^()a$", "a"));
}

TEST(ShaderPattern, BracketsAndClasses) {
    EXPECT_TRUE(matches("^[a-c]+$", "abcab"));
    EXPECT_FALSE(matches("^[a-c]+$", "abd"));
    EXPECT_TRUE(matches("^[^0-9]*$", "no digits"));
    EXPECT_FALSE(matches("^[^0-9]*$", "one 1"));
    EXPECT_TRUE(matches("^[]a]+$", "]a]"));
    EXPECT_TRUE(matches("^[a-]+$", "-a-"));
    EXPECT_TRUE(matches("^[[:digit:]]+\\.[[:alpha:]]+$", "12.tex"));
    EXPECT_FALSE(matches("^[[:upper:]]", "lower"));
}

TEST(ShaderPattern, TakesLinearTime) {
    // Backtracking would take 2^30 ways here.
    const std::string subject(30, 'a');
    EXPECT_FALSE(matches("^(a|a)*b$", subject));
    EXPECT_FALSE(matches("^(a*)*b$", subject));
}

TEST(ShaderPattern, RefusesMalformedPatterns) {
    EXPECT_EQ(refusal("a("), "a ( is not closed");
    EXPECT_EQ(refusal("a)"), "a ) has no ( before it");
    EXPECT_EQ(refusal("*a"), "nothing to repeat before *");
    EXPECT_EQ(refusal("[abc"), "a [ is not closed");
    EXPECT_EQ(refusal("[z-a]"), "the range in [ ] runs backwards");
    EXPECT_EQ(refusal("a{3,2}"), "a {n,m} repeat has m below n");
    EXPECT_EQ(refusal("a{x}"), "a { repeat needs a count");
    EXPECT_EQ(refusal("a{1000}"), "a repeat count above 255");
    EXPECT_EQ(refusal("[[:nothing:]]"), "unknown class [:nothing:]");
    EXPECT_EQ(refusal("ab\\"), "the pattern ends with a \\");
    EXPECT_EQ(refusal("((a{255}){255}){2}"),
              "the pattern is too large once its repeats are written out");
    EXPECT_EQ(refusal(std::string(300, '(')), "groups nested too deep");
}

} // namespace
