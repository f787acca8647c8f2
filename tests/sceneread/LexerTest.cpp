// The scene-file lexer: tokens, numbers, strings, line counting and the
// format of its reports.
#include "sceneread/lexanqel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

using namespace quelmark;

namespace {

std::vector<std::string> gLines;
void capture(const char* line) { gLines.emplace_back(line); }

class LexerTest : public ::testing::Test {
protected:
    LexerTest() {
        gLines.clear();
        lexanqel::QELErrorPrinter = capture;
    }
    ~LexerTest() override { lexanqel::QELErrorPrinter = nullptr; }

    // Each token as type:text, exceptions as "!" and their text.
    std::vector<std::string> tokens(const std::string& text) {
        std::istringstream in(text);
        lexanqel lex(in, "test.qel");
        std::vector<std::string> result;
        for (;;) {
            try {
                int token = lex.next();
                if (token == LEXEOF) break;
                result.push_back(std::to_string(token) + ":" + lex.text());
            } catch (const QELException& e) {
                result.push_back("!" + e.text);
            }
        }
        return result;
    }

    using Tokens = std::vector<std::string>;
};

TEST_F(LexerTest, TokensOfARequestLine) {
    EXPECT_EQ(tokens("qelSphere 1 -1 1 360 \"color\" [1 0.5 .25]\n"),
              (Tokens{"260:qelSphere", "257:1", "257:-1", "257:1", "257:360", "259:color", "91:[",
                      "257:1", "258:0.5", "258:.25", "93:]"}));
    EXPECT_EQ(tokens("qelBound[0 1]"), (Tokens{"260:qelBound", "91:[", "257:0", "257:1", "93:]"}));
}

TEST_F(LexerTest, CommentsAndBlankInputGiveNothing) {
    EXPECT_TRUE(tokens("").empty());
    EXPECT_TRUE(tokens("# only a comment").empty()); // no final line feed
    EXPECT_TRUE(tokens("  \t\r\n# one\n# two\n").empty());
    EXPECT_EQ(tokens("qelFrameBegin # starts\nqelFrameEnd"),
              (Tokens{"260:qelFrameBegin", "260:qelFrameEnd"}));
    EXPECT_TRUE(gLines.empty());
}

TEST_F(LexerTest, NumberForms) {
    EXPECT_EQ(tokens(".5 +2e-3 7 -0.25E+2 1e5"),
              (Tokens{"258:.5", "258:+2e-3", "257:7", "258:-0.25E+2", "258:1e5"}));
    std::istringstream in("+2e-3 -12 2147483648 1e50");
    lexanqel lex(in, "x");
    float f = 0;
    long i = 0;
    lex.next();
    lex.get(f);
    EXPECT_FLOAT_EQ(f, 0.002f);
    lex.next();
    lex.get(i);
    EXPECT_EQ(i, -12);
    lex.get(f); // an integer serves where a float is asked for
    EXPECT_EQ(f, -12.0f);
    lex.next();
    lex.get(i);
    EXPECT_EQ(i, 2147483648L);
    lex.next();
    lex.get(f);
    EXPECT_TRUE(std::isinf(f));
}

TEST_F(LexerTest, InvalidNumbersConsumeTheirWord) {
    EXPECT_EQ(tokens("1."), (Tokens{"!at line 1 '1.': Invalid number"}));
    EXPECT_EQ(tokens("-"), (Tokens{"!at line 1 '-': Invalid number"}));
    EXPECT_EQ(tokens("3e"), (Tokens{"!at line 1 '3e': Invalid number"}));
    EXPECT_EQ(tokens("12abc 5"), (Tokens{"!at line 1 '12abc': Invalid number", "257:5"}));
    EXPECT_EQ(tokens("1.5\"s\""), (Tokens{"258:1.5", "259:s"})); // a quote ends a number
}

TEST_F(LexerTest, StringEscapes) {
    EXPECT_EQ(tokens(R"("a\nb\tc\\d\"e\101\7x\q")"),
              (Tokens{std::string("259:a\nb\tc\\d\"eA\7xq")}));
    EXPECT_EQ(tokens("\"one \\\ntwo\" next"), (Tokens{"259:one two", "260:next"}));
    EXPECT_EQ(tokens(R"("\1010")"), (Tokens{"259:A0"})); // at most three octal digits
}

TEST_F(LexerTest, LineFeedInAStringIsReportedAndCounted) {
    std::istringstream in("\"open\nqelFrameEnd\n12x");
    lexanqel lex(in, "x");
    try {
        lex.next();
        FAIL() << "no exception";
    } catch (const QELException& e) {
        EXPECT_EQ(e.text, "at line 1 'open': String runs past end of line");
        EXPECT_EQ(e.code, 16);
    }
    EXPECT_EQ(lex.next(), LEXKEYWORD);
    EXPECT_EQ(lex.tokenLine(), 2);
    try {
        lex.next();
    } catch (const QELException& e) {
        EXPECT_EQ(e.text, "at line 3 '12x': Invalid number");
    }
}

TEST_F(LexerTest, UnterminatedStringIsReportedAndKept) {
    EXPECT_EQ(tokens("\"never closed"), (Tokens{"259:never closed"}));
    ASSERT_EQ(gLines.size(), 1u);
    EXPECT_EQ(gLines[0],
              "QEL error: general syntactic error at line 1 'never closed': Unterminated string");
}

TEST_F(LexerTest, TokenLineIsWhereTheTokenBegins) {
    std::istringstream in("first\n\n  # note\nsecond");
    lexanqel lex(in, "x");
    lex.next();
    EXPECT_EQ(lex.tokenLine(), 1);
    lex.next();
    EXPECT_EQ(lex.tokenLine(), 4);
}

TEST_F(LexerTest, ReportFormat) {
    std::istringstream in("qelSphere " + std::string(29, 'k') + " " + std::string(28, 'j'));
    lexanqel lex(in, "x");
    lex.next();
    lex.QELError(2, QELWarning, "value %d", 7);
    lex.next();
    lex.QELError(16, QELErrorSeverity, nullptr); // long tokens are not quoted
    lex.next();
    lex.QELError(13, QELSevere, "Free store exhausted");
    lex.QELError(99, QELInfo, "odd");
    EXPECT_EQ(gLines, (std::vector<std::string>{
                          "QEL warning: incorrect parameter value at line 1 'qelSphere': value 7",
                          "QEL error: general syntactic error at line 1",
                          "severe QEL error: generic instance of insufficient memory at line 1 '" +
                              std::string(28, 'j') + "': Free store exhausted",
                          "QEL info:  at line 1 '" + std::string(28, 'j') + "': odd"}));
}

TEST_F(LexerTest, IgnoreHandlerPrintsNothing) {
    std::istringstream in("x");
    lexanqel lex(in, "x");
    lex.setHandler(lexanqel::QELErrorIgnore);
    lex.next();
    lex.QELError(2, QELErrorSeverity, "quiet");
    EXPECT_TRUE(gLines.empty());
}

TEST_F(LexerTest, CodeTexts) {
    EXPECT_STREQ(lexanqel::codeText(1), "insufficient memory to construct array");
    EXPECT_STREQ(lexanqel::codeText(17), "undefined QEL request");
    EXPECT_STREQ(lexanqel::codeText(0), "");
    EXPECT_STREQ(lexanqel::codeText(18), "");
}

} // namespace
