// The RIB lexer: ASCII tokens with their lines, every binary token of the
// format's table, and broken input reported with its place.
#include "sceneread/rib/lexanrib.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

using namespace quelmark;

namespace {

using Tokens = std::vector<std::string>;

std::string bytes(std::initializer_list<int> values) {
    std::string text;
    for (int v : values)
        text += char(v);
    return text;
}

// Each token as kind:value; broken ones as "!" and their report.
Tokens tokens(const std::string& text) {
    std::istringstream in(text);
    lexanrib lex(in, "test.rib");
    Tokens result;
    char number[64];
    for (int k = 0; k < 1000; ++k) {
        int token = lex.next();
        switch (token) {
        case LEXEOF:
            return result;
        case LEXINT:
            result.push_back("i:" + std::to_string(lex.intValue()));
            break;
        case LEXFLOAT:
            std::snprintf(number, sizeof number, "f:%.7g", double(lex.floatValue()));
            result.push_back(number);
            break;
        case LEXSTRING:
            result.push_back("s:" + lex.text());
            break;
        case LEXKEYWORD:
            result.push_back("k:" + lex.text());
            break;
        case LEXARRAY: {
            std::string array = "a:";
            for (float f : lex.floats()) {
                std::snprintf(number, sizeof number, "%s%.7g", array.size() > 2 ? " " : "",
                              double(f));
                array += number;
            }
            result.push_back(array);
            break;
        }
        case LEXERROR:
            result.push_back("!" + lex.error().text);
            break;
        default:
            result.push_back(std::string(1, char(token)));
        }
    }
    ADD_FAILURE() << "no end of input";
    return result;
}

// The line each token began on.
std::vector<long> lines(const std::string& text) {
    std::istringstream in(text);
    lexanrib lex(in, "test.rib");
    std::vector<long> result;
    while (lex.next() != LEXEOF)
        result.push_back(lex.tokenLine());
    return result;
}

TEST(RibLexerTest, AsciiNumbersNamesAndBrackets) {
    EXPECT_EQ(tokens("Sphere 1 -1 +2 360. .5 5.5 1e3 -2.5E-1 [0 1]"),
              (Tokens{"k:Sphere", "i:1", "i:-1", "i:2", "f:360", "f:0.5", "f:5.5", "f:1000",
                      "f:-0.25", "[", "i:0", "i:1", "]"}));
    // a name ends at a bracket, a quote, a comment or a binary byte
    EXPECT_EQ(tokens("Color[1]Surface\"matte\"Identity#x\nWorldBegin\x80\x05"),
              (Tokens{"k:Color", "[", "i:1", "]", "k:Surface", "s:matte", "k:Identity",
                      "k:WorldBegin", "i:5"}));
    // integers past 32 bits become reals
    EXPECT_EQ(tokens("4294967296"), (Tokens{"f:4.294967e+09"}));
}

TEST(RibLexerTest, BrokenNumbersAreReportedWhole) {
    EXPECT_EQ(tokens("Sides 2x 3\n- ."),
              (Tokens{"k:Sides", "!at line 1 '2x': Invalid number", "i:3",
                      "!at line 2 '-': Invalid number", "!at line 2 '.': Invalid number"}));
    EXPECT_EQ(tokens("1e 1e+"),
              (Tokens{"!at line 1 '1e': Invalid number", "!at line 1 '1e+': Invalid number"}));
    EXPECT_EQ(tokens("1e39"), (Tokens{"!at line 1 '1e39': Number out of range"}));
}

TEST(RibLexerTest, StringEscapesAndLines) {
    EXPECT_EQ(tokens(R"("a\nb" "\101\102C" "tab\there" "q\"q" "back\\slash" "" "x\y")"),
              (Tokens{"s:a\nb", "s:ABC", "s:tab\there", "s:q\"q", "s:back\\slash", "s:", "s:xy"}));
    // a line end inside a string belongs to it and is counted; an escaped one is dropped
    EXPECT_EQ(tokens("\"one\ntwo\" \"three\\\nfour\""), (Tokens{"s:one\ntwo", "s:threefour"}));
    EXPECT_EQ(lines("A\n\"x\ny\" B\r\nC # comment\n\nD"), (std::vector<long>{1, 2, 3, 4, 6}));
    EXPECT_EQ(tokens("Surface \"mat"),
              (Tokens{"k:Surface", "!at line 1 'mat': Unterminated string"}));
}

TEST(RibLexerTest, StringsMustBeUtf8WithoutNul) {
    EXPECT_EQ(tokens("\"caf\xC3\xA9\""), (Tokens{"s:caf\xC3\xA9"}));
    EXPECT_EQ(tokens("A \"caf\xE9\" B"),
              (Tokens{"k:A", "!at line 1 'caf\\xe9': String is not valid UTF-8 near byte 6", "k:B"}));
    EXPECT_EQ(tokens("\"a\\000b\""),
              (Tokens{"!at line 1 'a\\x00b': String holds a NUL byte near byte 2"}));
    EXPECT_EQ(tokens(bytes({0x93, 'a', 0, 'b'})),
              (Tokens{"!at line 1 'a\\x00b': String holds a NUL byte near byte 2"}));
    EXPECT_EQ(tokens(bytes({0x92, 0xC3, 0x28})),
              (Tokens{"!at line 1 '\\xc3(': String is not valid UTF-8 near byte 1"}));
}

// The worked examples of the format's reference, byte by byte.
TEST(RibLexerTest, BinaryNumbers) {
    EXPECT_EQ(tokens(bytes({0x80, 0x05, 0x83, 0xFF, 0xFF, 0xFF, 0xFF, 0x83, 0xFF, 0xFF, 0xFF, 0x38,
                            0x81, 0x01, 0x2C, 0x82, 0x01, 0x11, 0x70})),
              (Tokens{"i:5", "i:-1", "i:-200", "i:300", "i:70000"}));
    // one to three bytes read unsigned: 200 and 150 as another writer sends them
    EXPECT_EQ(tokens(bytes({0x80, 0xC8, 0x80, 0x96, 0x81, 0xFF, 0xFF})),
              (Tokens{"i:200", "i:150", "i:65535"}));
    EXPECT_EQ(tokens(bytes({0x85, 0x01, 0x80, 0x84, 0x40, 0x8A, 0x00, 0x4C, 0xCD, 0x8F, 0x03, 0x24,
                            0x3F, 0x3E, 0x8B, 0xFF, 0xFF, 0x80, 0x00})),
              (Tokens{"f:1.5", "f:0.25", "f:0.3000031", "f:3.14159", "f:-0.5"}));
    EXPECT_EQ(
        tokens(bytes({0xA4, 0x3F, 0x80, 0x00, 0x00, 0xA4, 0xBE, 0x99, 0x99, 0x9A, 0xA4, 0x40,
                      0x41, 0xEB, 0x85, 0xA5, 0x3F, 0xB9, 0x99, 0x99, 0x99, 0x99, 0x99, 0x9A})),
        (Tokens{"f:1", "f:-0.3", "f:3.03", "f:0.1"}));
    EXPECT_EQ(tokens(bytes({0xC8, 0x03, 0x3F, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xBD, 0xCC,
                            0xCC, 0xCD, 0xC8, 0x00})),
              (Tokens{"a:1 0 -0.1", "a:"}));
}

TEST(RibLexerTest, BinaryStringsAndDefinitions) {
    std::string long24 = "texture/brick_wall_01.tx";
    EXPECT_EQ(
        tokens(bytes({0x91, 0x50, 0x90, 0xA0, 0x18}) + long24 + bytes({0xA1, 0x00, 0x02}) + "ab"),
        (Tokens{"s:P", "s:", "s:" + long24, "s:ab"}));
    // define request 1 as Sphere, then use it: Sphere 1 -1 1 360
    EXPECT_EQ(tokens(bytes({0xCC, 0x01, 0x96, 'S',  'p',  'h',  'e',  'r',  'e',  0xA6, 0x01, 0x80,
                            0x01, 0x83, 0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0x01, 0x81, 0x01, 0x68})),
              (Tokens{"k:Sphere", "i:1", "i:-1", "i:1", "i:360"}));
    // a definition may take a quoted string; both widths address one table
    EXPECT_EQ(tokens(bytes({0xCD, 0x00, 0x97}) + "plastic" + bytes({0xCF, 0x00, 0xCE, 0x01, 0x00}) +
                     "\"specularcolor\"" + bytes({0xD0, 0x01, 0x00, 0xD0, 0x00, 0x00, 0xCC, 0x07}) +
                     "\"Color\"" + bytes({0xA6, 0x07})),
              (Tokens{"s:plastic", "s:specularcolor", "s:plastic", "k:Color"}));
    // redefinition replaces
    EXPECT_EQ(tokens(bytes({0xCD, 0x02, 0x91, 'a', 0xCD, 0x02, 0x91, 'b', 0xCF, 0x02})),
              (Tokens{"s:b"}));
}

TEST(RibLexerTest, BrokenBinaryTokensAreReportedWithTheirOffset) {
    EXPECT_EQ(
        tokens("Sphere " + bytes({0xA6, 0x09, 0xCF, 0x03, 0xA7, 0xFF, 0x88, 0x01}) + "A"),
        (Tokens{"k:Sphere", "!at line 1 '': Request code 9 at byte 7 is not defined",
                "!at line 1 '': String token 3 at byte 9 is not defined",
                "!at line 1 '': Reserved binary code \\247 at byte 11",
                "!at line 1 '': Reserved binary code \\377 at byte 12",
                "!at line 1 '': Fixed-point number with 2 fraction bytes in 1 at byte 13", "k:A"}));
    EXPECT_EQ(tokens(bytes({0xA4, 0x7F, 0x80, 0x00, 0x00})),
              (Tokens{"!at line 1 '': Binary float that is not a finite number at byte 0"}));
    EXPECT_EQ(tokens(bytes({0xCC, 0x01, 0x80, 0x01})),
              (Tokens{"!at line 1 '': Definition at byte 0 is not followed by a string", "i:1"}));
}

TEST(RibLexerTest, TruncatedTokensEndTheInput) {
    for (const std::string& cut :
         {bytes({0x83, 0xFF, 0xFF}), bytes({0xA4, 0x3F}), bytes({0xA5, 1, 2, 3}),
          bytes({0x95, 'a', 'b'}), bytes({0xA6}), bytes({0xCD, 0x01}),
          bytes({0xC8, 0x02, 0, 0, 0, 0, 0}), bytes({0xCE, 0x01})})
        EXPECT_EQ(tokens("Translate " + cut),
                  (Tokens{"k:Translate", "!at line 1 '': Truncated binary token at byte 10"}));
}

TEST(RibLexerTest, HugeCountsCostNoMemory) {
    // 4 GB announced for a string, 2^32 - 1 floats for an array: refused before
    // anything is read for them; what follows is read as tokens
    EXPECT_EQ(tokens(bytes({0xA3, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 'b'})),
              (Tokens{"!at line 1 '': String longer than 1048576 bytes", "k:ab"}));
    EXPECT_EQ(tokens(bytes({0xCB, 0xFF, 0xFF, 0xFF, 0xFF, '1'})),
              (Tokens{"!at line 1 '': Float array of 4294967295 items at byte 0 is too large",
                      "i:1"}));
    // too many items is refused before anything is read for them
    std::string big = bytes({0xCB, 0x08, 0x00, 0x00, 0x00}) + std::string(64, '\0');
    EXPECT_EQ(tokens(big), (Tokens{"!at line 1 '': Truncated binary token at byte 0"}));
}

TEST(RibLexerTest, LinesCountOnlyAsciiLineFeeds) {
    // the binary string and the integer hold line feeds; they are no line ends
    EXPECT_EQ(lines("A\n" + bytes({0x92, 'x', '\n'}) + "\nB" + bytes({0x80, '\n'}) + "C"),
              (std::vector<long>{1, 2, 3, 3, 3}));
}

TEST(RibLexerTest, BinaryArraysAcrossReadBlocks) {
    // more floats than one read block holds
    const size_t count = 40000;
    std::string text = "P";
    text += bytes({0xC9, int(count >> 8), int(count & 0xFF)});
    for (size_t k = 0; k < count; ++k) {
        float value = float(k);
        uint32_t bits;
        std::memcpy(&bits, &value, 4);
        text += bytes(
            {int(bits >> 24), int((bits >> 16) & 0xFF), int((bits >> 8) & 0xFF), int(bits & 0xFF)});
    }
    text += "Q";
    std::istringstream in(text);
    lexanrib lex(in, "test.rib");
    ASSERT_EQ(lex.next(), LEXKEYWORD);
    ASSERT_EQ(lex.next(), LEXARRAY);
    ASSERT_EQ(lex.floats().size(), count);
    for (size_t k = 0; k < count; ++k)
        ASSERT_EQ(lex.floats()[k], float(k));
    ASSERT_EQ(lex.next(), LEXKEYWORD);
    EXPECT_EQ(lex.text(), "Q");
    EXPECT_EQ(lex.tokenOffset(), long(text.size() - 1));
}

TEST(RibLexerTest, ReportsAreLabelledAndQuoteShortTokens) {
    std::vector<std::string> lines;
    static std::vector<std::string>* sink;
    sink = &lines;
    lexanrib::RIBErrorPrinter = [](const char* line) { sink->emplace_back(line); };
    std::istringstream in("Sphere\n  Abcdefghijklmnopqrstuvwxyz0123 Cone");
    lexanrib lex(in, "test.rib");
    lex.next();
    lex.RIBError(RIBSyntax, QELErrorSeverity, "first %d", 1);
    lex.next();
    lex.RIBError(RIBUndefinedRequest, QELWarning, nullptr);
    lex.next();
    lex.RIBError(RIBVersion, QELInfo, "x");
    lex.RIBError(RIBFreeStore, QELSevere, "y");
    lex.RIBError(0, QELErrorSeverity, "no code");
    lexanrib::RIBErrorPrinter = nullptr;
    EXPECT_EQ(lines,
              (std::vector<std::string>{
                  "RIB error: general syntactic error at line 1 'Sphere': first 1",
                  "RIB warning: undefined RIB request at line 2",
                  "RIB info: protocol version number mismatch at line 2 'Cone': x",
                  "severe RIB error: generic instance of insufficient memory at line 2 'Cone': y",
                  "RIB error: at line 2 'Cone': no code"}));
}

} // namespace
