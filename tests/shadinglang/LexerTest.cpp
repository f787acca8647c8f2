// The shader lexer: tokens with their lines and columns, numbers, strings
// and their escapes, comments, joined lines, and the errors of ill-formed
// source.
#include "shadinglang/Lexer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace quelmark::sl;

namespace {

class LexerTest : public ::testing::Test {
protected:
    // The tokens of the text, without the final kEnd.
    std::vector<Lexeme> lex(std::string_view text, bool quiet = false) {
        Lexer lexer(text, std::make_shared<const std::string>("test.sl"), fDiagnostics);
        lexer.setQuiet(quiet);
        std::vector<Lexeme> lexemes;
        for (Lexeme lexeme = lexer.next(); !lexeme.isEnd(); lexeme = lexer.next())
            lexemes.push_back(lexeme);
        return lexemes;
    }

    // Each token as "line:column text".
    std::vector<std::string> placed(std::string_view text) {
        std::vector<std::string> result;
        for (const Lexeme& lexeme : lex(text))
            result.push_back(std::to_string(lexeme.token.location.line) + ":" +
                             std::to_string(lexeme.token.location.column) + " " +
                             lexeme.token.text);
        return result;
    }

    std::vector<TokenKind> kinds(std::string_view text) {
        std::vector<TokenKind> result;
        for (const Lexeme& lexeme : lex(text))
            result.push_back(lexeme.token.kind);
        return result;
    }

    std::vector<std::string> texts(std::string_view text) {
        std::vector<std::string> result;
        for (const Lexeme& lexeme : lex(text))
            result.push_back(lexeme.token.text);
        return result;
    }

    std::vector<std::string> messages() const { return fDiagnostics.texts(); }

    Diagnostics fDiagnostics;
};

using Texts = std::vector<std::string>;
using Kinds = std::vector<TokenKind>;

// --- Tokens and their places ---

TEST_F(LexerTest, SmallShaderGivesKindsValuesAndPlaces) {
    const char* shader = "surface plastic(float Ks = .5;\n"
                         "\tcolor c = 1)\n"
                         "{\n"
                         "    Ci = c * Ks;  // lit\n"
                         "}\n";
    EXPECT_EQ(placed(shader),
              (Texts{"1:1 surface", "1:9 plastic", "1:16 (",    "1:17 float", "1:23 Ks", "1:26 =",
                     "1:28 .5",     "1:30 ;",      "2:2 color", "2:8 c",      "2:10 =",  "2:12 1",
                     "2:13 )",      "3:1 {",       "4:5 Ci",    "4:8 =",      "4:10 c",  "4:12 *",
                     "4:14 Ks",     "4:16 ;",      "5:1 }"}));
    EXPECT_EQ(kinds(shader),
              (Kinds{TokenKind::kSurface,    TokenKind::kIdentifier, TokenKind::kLeftParen,
                     TokenKind::kFloat,      TokenKind::kIdentifier, TokenKind::kAssign,
                     TokenKind::kNumber,     TokenKind::kSemicolon,  TokenKind::kColor,
                     TokenKind::kIdentifier, TokenKind::kAssign,     TokenKind::kNumber,
                     TokenKind::kRightParen, TokenKind::kLeftBrace,  TokenKind::kIdentifier,
                     TokenKind::kAssign,     TokenKind::kIdentifier, TokenKind::kStar,
                     TokenKind::kIdentifier, TokenKind::kSemicolon,  TokenKind::kRightBrace}));
    std::vector<Lexeme> lexemes = lex(shader);
    EXPECT_DOUBLE_EQ(lexemes[6].token.number, 0.5);
    EXPECT_DOUBLE_EQ(lexemes[11].token.number, 1.0);
    EXPECT_EQ(lexemes[0].token.location.fileName(), "test.sl");
    EXPECT_TRUE(messages().empty());
}

TEST_F(LexerTest, EndRepeatsAtTheEndOfTheText) {
    Lexer lexer("x  ", std::make_shared<const std::string>("test.sl"), fDiagnostics);
    EXPECT_EQ(lexer.next().token.text, "x");
    for (int time = 0; time < 3; ++time) {
        Lexeme end = lexer.next();
        EXPECT_TRUE(end.isEnd());
        EXPECT_EQ(end.token.location.column, 4);
    }
}

TEST_F(LexerTest, LinesEndWithCarriageReturnsToo) {
    EXPECT_EQ(placed("a\r\nb\r\n\r\n  c"), (Texts{"1:1 a", "2:1 b", "4:3 c"}));
}

TEST_F(LexerTest, TokensTellWhetherTheyStartALineOrFollowABlank) {
    std::vector<Lexeme> lexemes = lex("a b/**/c\n  d(e");
    ASSERT_EQ(lexemes.size(), 6u);
    EXPECT_TRUE(lexemes[0].startsLine);
    EXPECT_FALSE(lexemes[1].startsLine);
    EXPECT_TRUE(lexemes[1].spaceBefore);
    EXPECT_TRUE(lexemes[2].spaceBefore); // the comment counts as a blank
    EXPECT_TRUE(lexemes[3].startsLine);
    EXPECT_FALSE(lexemes[4].spaceBefore);
    EXPECT_FALSE(lexemes[5].spaceBefore);
}

// --- Keywords and identifiers ---

TEST_F(LexerTest, KeywordsHaveTheirKindsAndOtherWordsAreIdentifiers) {
    EXPECT_EQ(keywordKind("surface"), TokenKind::kSurface);
    EXPECT_EQ(keywordKind("displacement"), TokenKind::kDisplacement);
    EXPECT_EQ(keywordKind("imager"), TokenKind::kImager);
    EXPECT_EQ(keywordKind("string"), TokenKind::kStringType);
    EXPECT_EQ(keywordKind("normal"), TokenKind::kNormal);
    EXPECT_EQ(keywordKind("varying"), TokenKind::kVarying);
    EXPECT_EQ(keywordKind("extern"), TokenKind::kExtern);
    EXPECT_EQ(keywordKind("illuminance"), TokenKind::kIlluminance);
    EXPECT_EQ(keywordKind("gather"), TokenKind::kGather);
    // Function names of the language, not keywords.
    EXPECT_EQ(keywordKind("texture"), TokenKind::kIdentifier);
    EXPECT_EQ(keywordKind("environment"), TokenKind::kIdentifier);
    EXPECT_EQ(keywordKind("shadow"), TokenKind::kIdentifier);
    // Case and length matter.
    EXPECT_EQ(keywordKind("Surface"), TokenKind::kIdentifier);
    EXPECT_EQ(keywordKind("floats"), TokenKind::kIdentifier);
    EXPECT_EQ(keywordKind("flo"), TokenKind::kIdentifier);
    EXPECT_EQ(keywordKind(""), TokenKind::kIdentifier);
}

TEST_F(LexerTest, WordsTakeLettersDigitsAndUnderscores) {
    EXPECT_EQ(texts("_a1 b_2c __ x9y"), (Texts{"_a1", "b_2c", "__", "x9y"}));
    EXPECT_EQ(kinds("while whiles solar _solar"),
              (Kinds{TokenKind::kWhile, TokenKind::kIdentifier, TokenKind::kSolar,
                     TokenKind::kIdentifier}));
}

TEST_F(LexerTest, OverlongIdentifierIsReportedAndCut) {
    std::string word(lexlimits::kLongestWord + 10, 'a');
    std::vector<Lexeme> lexemes = lex(word + " b");
    ASSERT_EQ(lexemes.size(), 2u);
    EXPECT_EQ(lexemes[0].token.text.size(), lexlimits::kLongestWord);
    EXPECT_EQ(lexemes[1].token.text, "b");
    EXPECT_EQ(messages(), (Texts{"test.sl:1:1: error: identifier longer than 65536 bytes"}));
}

// --- Numbers ---

TEST_F(LexerTest, NumbersAsTheLanguageWritesThem) {
    std::vector<Lexeme> lexemes = lex("1 1.5 .5 1e3 1.5e-3 2. 1E+2 007 0.25");
    std::vector<double> expected{1, 1.5, 0.5, 1000, 0.0015, 2, 100, 7, 0.25};
    ASSERT_EQ(lexemes.size(), expected.size());
    for (size_t index = 0; index < expected.size(); ++index) {
        EXPECT_EQ(lexemes[index].token.kind, TokenKind::kNumber);
        EXPECT_DOUBLE_EQ(lexemes[index].token.number, expected[index]) << lexemes[index].token.text;
    }
    EXPECT_EQ(lexemes[4].token.text, "1.5e-3");
    EXPECT_TRUE(messages().empty());
}

TEST_F(LexerTest, TrailingFOfCIsTolerated) {
    std::vector<Lexeme> lexemes = lex("2.f 1.5F");
    ASSERT_EQ(lexemes.size(), 2u);
    EXPECT_DOUBLE_EQ(lexemes[0].token.number, 2);
    EXPECT_DOUBLE_EQ(lexemes[1].token.number, 1.5);
    EXPECT_TRUE(messages().empty());
}

TEST_F(LexerTest, PointWithoutDigitsIsTheDotOperator) {
    EXPECT_EQ(kinds("N.I"),
              (Kinds{TokenKind::kIdentifier, TokenKind::kDot, TokenKind::kIdentifier}));
    EXPECT_EQ(texts("a.5"), (Texts{"a", ".5"}));
}

TEST_F(LexerTest, NumberTooLargeForADoubleIsAnError) {
    std::vector<Lexeme> lexemes = lex("x = 1e999;\ny = 1" + std::string(400, '0') + ";");
    EXPECT_EQ(lexemes.size(), 8u);
    EXPECT_EQ(messages(),
              (Texts{"test.sl:1:5: error: number '1e999' is too large",
                     "test.sl:2:5: error: number '1" + std::string(400, '0') + "' is too large"}));
}

TEST_F(LexerTest, NumberTooSmallForADoubleIsZero) {
    std::vector<Lexeme> lexemes = lex("1e-999 0." + std::string(400, '0') + "1");
    ASSERT_EQ(lexemes.size(), 2u);
    EXPECT_EQ(lexemes[0].token.number, 0);
    EXPECT_EQ(lexemes[1].token.number, 0);
    EXPECT_TRUE(messages().empty());
}

TEST_F(LexerTest, LettersRightAfterANumberMakeItInvalid) {
    EXPECT_EQ(texts("1x2 1e ok"), (Texts{"1x2", "1e", "ok"}));
    EXPECT_EQ(messages(), (Texts{"test.sl:1:1: error: invalid number '1x2'",
                                 "test.sl:1:5: error: invalid number '1e'"}));
}

// --- Strings ---

TEST_F(LexerTest, StringsResolveTheirEscapes) {
    std::vector<Lexeme> lexemes =
        lex(R"("plain" "a\nb\tc" "q\"b\\s" "\101\60\0z" "\x41\x7e!" "" "\a\b\f\v\r\'\?")");
    ASSERT_EQ(lexemes.size(), 7u);
    EXPECT_EQ(lexemes[0].token.kind, TokenKind::kString);
    EXPECT_EQ(lexemes[0].token.text, "plain");
    EXPECT_EQ(lexemes[1].token.text, "a\nb\tc");
    EXPECT_EQ(lexemes[2].token.text, "q\"b\\s");
    EXPECT_EQ(lexemes[3].token.text, std::string("A0\0z", 4));
    EXPECT_EQ(lexemes[4].token.text, "A~!");
    EXPECT_EQ(lexemes[5].token.text, "");
    EXPECT_EQ(lexemes[6].token.text, "\a\b\f\v\r'?");
    EXPECT_TRUE(messages().empty());
}

TEST_F(LexerTest, BadEscapesAreReported) {
    std::vector<Lexeme> lexemes = lex(R"("\q" "\x" "\777" "\x100")");
    ASSERT_EQ(lexemes.size(), 4u);
    EXPECT_EQ(lexemes[0].token.text, "q");
    EXPECT_EQ(messages(), (Texts{"test.sl:1:2: warning: unknown escape '\\q'",
                                 "test.sl:1:7: error: '\\x' with no hexadecimal digits",
                                 "test.sl:1:12: error: octal escape out of range",
                                 "test.sl:1:19: error: hexadecimal escape out of range"}));
}

TEST_F(LexerTest, NewlineInsideAStringIsAnErrorAtItsQuote) {
    EXPECT_EQ(texts("s = \"one\ntwo\";"), (Texts{"s", "=", "one", "two", ";"}));
    EXPECT_EQ(messages(), (Texts{"test.sl:1:5: error: the string has no closing quote",
                                 "test.sl:2:4: error: the string has no closing quote"}));
}

TEST_F(LexerTest, UnterminatedStringAtTheEndIsAnErrorAtItsQuote) {
    EXPECT_EQ(texts("x = \"abc"), (Texts{"x", "=", "abc"}));
    EXPECT_EQ(messages(), (Texts{"test.sl:1:5: error: the string has no closing quote"}));
}

TEST_F(LexerTest, OverlongStringIsReportedAndCut) {
    std::vector<Lexeme> lexemes =
        lex("\"" + std::string(lexlimits::kLongestString + 1, 's') + "\" t");
    ASSERT_EQ(lexemes.size(), 2u);
    EXPECT_EQ(lexemes[0].token.text.size(), lexlimits::kLongestString);
    EXPECT_EQ(messages(), (Texts{"test.sl:1:1: error: string longer than 65536 bytes"}));
}

TEST_F(LexerTest, QuietLexerReportsNoStringOrNumberErrors) {
    EXPECT_EQ(texts("\"open\n1e999 1x"), (Texts{"open", "1e999", "1x"}));
    fDiagnostics = Diagnostics();
    lex("\"open\n1e999 1x \"\\q\"", true);
    EXPECT_TRUE(messages().empty());
}

// --- Comments and joined lines ---

TEST_F(LexerTest, CommentsVanish) {
    EXPECT_EQ(placed("a // to the end\nb /* inside\n more */ c/**/d / e"),
              (Texts{"1:1 a", "2:1 b", "3:10 c", "3:15 d", "3:17 /", "3:19 e"}));
    EXPECT_EQ(texts("/* a // b */ x // /* y\nz"), (Texts{"x", "z"}));
    EXPECT_TRUE(messages().empty());
}

TEST_F(LexerTest, UnterminatedCommentIsAnErrorAtItsStart) {
    EXPECT_EQ(texts("a\n  /* never\nclosed"), (Texts{"a"}));
    EXPECT_EQ(messages(), (Texts{"test.sl:2:3: error: unterminated comment"}));
    // Even quiet: the comment swallowed the rest of the file.
    fDiagnostics = Diagnostics();
    lex("/*", true);
    EXPECT_EQ(messages(), (Texts{"test.sl:1:1: error: unterminated comment"}));
}

TEST_F(LexerTest, BackslashAtTheEndOfALineJoinsItToTheNext) {
    EXPECT_EQ(placed("ab\\\ncd e"), (Texts{"1:1 abcd", "2:4 e"}));
    EXPECT_EQ(placed("+\\\r\n= x"), (Texts{"1:1 +=", "2:3 x"}));
    EXPECT_EQ(placed("a // comment \\\n goes on\nb"), (Texts{"1:1 a", "3:1 b"}));
    EXPECT_EQ(texts("\"one \\\ntwo\""), (Texts{"one two"}));
    std::vector<Lexeme> joined = lex("x \\\n y");
    ASSERT_EQ(joined.size(), 2u);
    EXPECT_FALSE(joined[1].startsLine);
}

// --- Punctuation ---

TEST_F(LexerTest, OperatorsTakeTheLongestMatch) {
    EXPECT_EQ(kinds("+=-=*=/=++--==!=<=>=&&||"),
              (Kinds{TokenKind::kPlusAssign, TokenKind::kMinusAssign, TokenKind::kStarAssign,
                     TokenKind::kSlashAssign, TokenKind::kPlusPlus, TokenKind::kMinusMinus,
                     TokenKind::kEqual, TokenKind::kNotEqual, TokenKind::kLessEqual,
                     TokenKind::kGreaterEqual, TokenKind::kAnd, TokenKind::kOr}));
    EXPECT_EQ(texts("a---b"), (Texts{"a", "--", "-", "b"}));
    EXPECT_EQ(texts("+++="), (Texts{"++", "+="}));
    EXPECT_EQ(texts("===!"), (Texts{"==", "=", "!"}));
    EXPECT_EQ(texts("<<=>>>"), (Texts{"<<", "=", ">>", ">"}));
    EXPECT_EQ(kinds("(){}[];,?:.^!=<>"),
              (Kinds{TokenKind::kLeftParen, TokenKind::kRightParen, TokenKind::kLeftBrace,
                     TokenKind::kRightBrace, TokenKind::kLeftBracket, TokenKind::kRightBracket,
                     TokenKind::kSemicolon, TokenKind::kComma, TokenKind::kQuestion,
                     TokenKind::kColon, TokenKind::kDot, TokenKind::kCaret, TokenKind::kNotEqual,
                     TokenKind::kLess, TokenKind::kGreater}));
}

TEST_F(LexerTest, PreprocessorPunctuationIsMarked) {
    std::vector<Lexeme> lexemes = lex("### % << >> & | ~");
    std::vector<Punctuator> punctuators;
    for (const Lexeme& lexeme : lexemes) {
        EXPECT_EQ(lexeme.token.kind, TokenKind::kEnd);
        EXPECT_FALSE(lexeme.isEnd());
        punctuators.push_back(lexeme.punctuator);
    }
    EXPECT_EQ(punctuators, (std::vector<Punctuator>{Punctuator::kHashHash, Punctuator::kHash,
                                                    Punctuator::kPercent, Punctuator::kShiftLeft,
                                                    Punctuator::kShiftRight, Punctuator::kAmpersand,
                                                    Punctuator::kBar, Punctuator::kTilde}));
}

TEST_F(LexerTest, StrayCharactersAreTokensOfTheirOwn) {
    std::vector<Lexeme> lexemes = lex(std::string("a@$\0`\\ \xC3\xA9 \xFF'", 12));
    Texts strays;
    for (const Lexeme& lexeme : lexemes)
        if (lexeme.punctuator == Punctuator::kStray) strays.push_back(lexeme.token.text);
    EXPECT_EQ(strays, (Texts{"@", "$", std::string(1, '\0'), "`", "\\", "\xC3\xA9", "\xFF", "'"}));
    EXPECT_TRUE(messages().empty()); // whether they are errors is the preprocessor's to say
}

// --- What directives need ---

TEST_F(LexerTest, DirectiveLinesEndAtTheirLineEnd) {
    Lexer lexer("define X 1 /* spans\n lines */ 2\nnext", std::make_shared<const std::string>("t"),
                fDiagnostics);
    Texts line;
    while (!lexer.atLineEnd())
        line.push_back(lexer.next().token.text);
    EXPECT_EQ(line, (Texts{"define", "X", "1", "2"}));
    Lexeme next = lexer.next();
    EXPECT_EQ(next.token.text, "next");
    EXPECT_TRUE(next.startsLine);
}

TEST_F(LexerTest, HeaderNamesAreTakenRaw) {
    Lexer lexer(" <dir/a\\b.h> \"c d.h\" x \"open\n", std::make_shared<const std::string>("t"),
                fDiagnostics);
    std::optional<Lexer::HeaderName> angled = lexer.headerName();
    ASSERT_TRUE(angled);
    EXPECT_EQ(angled->name, "dir/a\\b.h");
    EXPECT_TRUE(angled->angled);
    std::optional<Lexer::HeaderName> quoted = lexer.headerName();
    ASSERT_TRUE(quoted);
    EXPECT_EQ(quoted->name, "c d.h");
    EXPECT_FALSE(quoted->angled);
    EXPECT_FALSE(lexer.headerName()); // x is no file name
    EXPECT_EQ(lexer.next().token.text, "x");
    std::optional<Lexer::HeaderName> open = lexer.headerName();
    ASSERT_TRUE(open);
    EXPECT_FALSE(open->closed);
    EXPECT_EQ(messages(), (Texts{"t:1:24: error: the file name has no closing \""}));
}

TEST_F(LexerTest, RenumberingSetsTheNextLineAndFile) {
    Lexer lexer("a\nb\nc", std::make_shared<const std::string>("t"), fDiagnostics);
    lexer.next();
    lexer.renumber(40, std::make_shared<const std::string>("other"));
    Lexeme b = lexer.next();
    Lexeme c = lexer.next();
    EXPECT_EQ(b.token.location.line, 40);
    EXPECT_EQ(b.token.location.fileName(), "other");
    EXPECT_EQ(c.token.location.line, 41);
}

} // namespace
