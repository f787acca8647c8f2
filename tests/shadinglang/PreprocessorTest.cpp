// The shader preprocessor: macros, conditionals, includes and the other
// directives, the errors of broken source, and hostile source that must end
// quickly with an error.
#include "shadinglang/Preprocessor.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace quelmark::sl;

namespace {

using Texts = std::vector<std::string>;

// A fresh folder under the test's temporary folder, removed at the end.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = ::testing::TempDir() + "slpre-XXXXXX";
        if (::mkdtemp(pattern.data())) fPath = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        if (!fPath.empty()) std::filesystem::remove_all(fPath, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return fPath; }
    // Writes the file, its folders made; returns its path.
    std::string write(const std::string& name, const std::string& text) const {
        std::filesystem::path file = std::filesystem::path(fPath) / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
        return file.string();
    }

private:
    std::string fPath;
};

class PreprocessorTest : public ::testing::Test {
protected:
    std::vector<Token> tokens(std::string_view text, const PreprocessOptions& options = {}) {
        return preprocessText(text, "main.sl", options, fDiagnostics);
    }

    // The tokens written out with spaces between them, strings quoted, the
    // final kEnd left out (and checked to be there, once).
    static std::string spelled(const std::vector<Token>& tokens) {
        std::string text;
        for (const Token& token : tokens) {
            if (token.kind == TokenKind::kEnd) {
                EXPECT_EQ(&token, &tokens.back()) << "kEnd before the end";
                continue;
            }
            if (!text.empty()) text += ' ';
            text += token.kind == TokenKind::kString ? "\"" + token.text + "\"" : token.text;
        }
        EXPECT_TRUE(!tokens.empty() && tokens.back().kind == TokenKind::kEnd);
        return text;
    }

    std::string run(std::string_view text, const PreprocessOptions& options = {}) {
        return spelled(tokens(text, options));
    }

    std::vector<std::string> messages() const { return fDiagnostics.texts(); }

    Diagnostics fDiagnostics;
};

// --- Plain source ---

TEST_F(PreprocessorTest, SourceWithoutDirectivesPassesThrough) {
    std::vector<Token> result = tokens("surface s() {\n  Ci = 1;\n}\n");
    EXPECT_EQ(spelled(result), "surface s ( ) { Ci = 1 ; }");
    EXPECT_EQ(result[0].kind, TokenKind::kSurface);
    EXPECT_EQ(result[5].location.line, 2);
    EXPECT_EQ(result[5].location.column, 3);
    EXPECT_EQ(result[5].location.fileName(), "main.sl");
    EXPECT_EQ(result.back().location.line, 4); // the end of the text
    EXPECT_TRUE(messages().empty());
}

TEST_F(PreprocessorTest, EmptySourceGivesTheEndAlone) {
    std::vector<Token> result = tokens("");
    ASSERT_EQ(result.size(), 1u);
    EXPECT_EQ(result[0].kind, TokenKind::kEnd);
}

TEST_F(PreprocessorTest, StrayCharactersAndLoneHashesAreErrors) {
    EXPECT_EQ(run("a @ b # c\nd % e"), "a b c d e");
    EXPECT_EQ(messages(),
              (Texts{"main.sl:1:3: error: unexpected character '@'",
                     "main.sl:1:7: error: unexpected '#'", "main.sl:2:3: error: unexpected '%'"}));
}

// --- Object-like and function-like macros ---

TEST_F(PreprocessorTest, ObjectMacroExpandsWhereItIsUsed) {
    std::vector<Token> result = tokens("#define PI 3.14159\n"
                                       "float x = PI;\n");
    EXPECT_EQ(spelled(result), "float x = 3.14159 ;");
    EXPECT_DOUBLE_EQ(result[3].number, 3.14159);
    EXPECT_EQ(result[3].location.line, 2); // where the macro was used
    EXPECT_EQ(result[3].location.column, 11);
    EXPECT_TRUE(messages().empty());
}

TEST_F(PreprocessorTest, KeywordsCanBeMacroNames) {
    EXPECT_EQ(run("#define float color\nfloat x;"), "color x ;");
    EXPECT_EQ(tokens("#define float color\nfloat")[0].kind, TokenKind::kColor);
}

TEST_F(PreprocessorTest, FunctionMacroReplacesItsParameters) {
    EXPECT_EQ(run("#define MIX(a, b, t) ((a) * (1 - (t)) + (b) * (t))\n"
                  "c = MIX(x, f(y, z), .5);"),
              "c = ( ( x ) * ( 1 - ( .5 ) ) + ( f ( y , z ) ) * ( .5 ) ) ;");
    EXPECT_TRUE(messages().empty());
}

TEST_F(PreprocessorTest, FunctionMacroNameWithoutParenthesesStaysAsItIs) {
    EXPECT_EQ(run("#define f(x) [x]\nf + f (1) + f\n(2)"), "f + [ 1 ] + [ 2 ]");
}

TEST_F(PreprocessorTest, SpaceBeforeTheParenthesisMakesAnObjectMacro) {
    EXPECT_EQ(run("#define g (x) x\ng"), "( x ) x");
}

TEST_F(PreprocessorTest, ArgumentsMaySpanLinesAndBeEmpty) {
    EXPECT_EQ(run("#define P(a, b) <a:b>\nP(1,\n 2) P(,) P((1, 2), 3)"),
              "< 1 : 2 > < : > < ( 1 , 2 ) : 3 >");
    EXPECT_EQ(run("#define NONE() nothing\nNONE()"), "nothing");
}

TEST_F(PreprocessorTest, MacrosExpandInsideMacros) {
    EXPECT_EQ(run("#define TWICE(x) (2*(x))\n"
                  "#define FOUR(x) TWICE(TWICE(x))\n"
                  "#define ONE 1\n"
                  "FOUR(ONE)"),
              "( 2 * ( ( 2 * ( 1 ) ) ) )");
    // The replacement is read again with what follows it.
    EXPECT_EQ(run("#define CALL F\n#define F(x) <x>\nCALL(3)"), "< 3 >");
}

TEST_F(PreprocessorTest, MacroDoesNotExpandInsideItself) {
    EXPECT_EQ(run("#define foo foo + 1\nfoo"), "foo + 1");
    EXPECT_EQ(run("#define a b\n#define b a\na b"), "a b");
    EXPECT_EQ(run("#define f(x) f(x + 1)\nf(1)"), "f ( 1 + 1 )");
    // Once blocked, a name stays blocked: here g's f expands no more.
    EXPECT_EQ(run("#define f(a) a*g\n#define g(a) f(a)\nf(2)(9)"), "2 * 9 * g");
    EXPECT_TRUE(messages().empty());
}

TEST_F(PreprocessorTest, ArgumentsExpandBeforeTheyAreSubstituted) {
    EXPECT_EQ(run("#define ID(x) x\n#define TWO 2\nID(ID(TWO))"), "2");
}

TEST_F(PreprocessorTest, HashMakesAStringOfTheArgument) {
    std::vector<Token> result = tokens("#define STR(x) #x\n"
                                       "STR(a  +   b) STR() STR(\"q\\n\" 'c')");
    ASSERT_EQ(result.size(), 4u);
    EXPECT_EQ(result[0].kind, TokenKind::kString);
    EXPECT_EQ(result[0].text, "a + b");
    EXPECT_EQ(result[1].text, "");
    EXPECT_EQ(result[2].text, "\"q\\n\" 'c'");
    EXPECT_TRUE(messages().empty());
}

TEST_F(PreprocessorTest, HashHashPastesTokens) {
    EXPECT_EQ(run("#define CAT(a, b) a ## b\n"
                  "CAT(light, Color) CAT(1, 5) CAT(x,) CAT(, y) CAT(+, =) CAT(., 5)"),
              "lightColor 15 x y += .5");
    // The pasted name is a macro like any other; an argument next to ## is
    // not expanded first.
    EXPECT_EQ(run("#define AB done\n#define A nope\n#define CAT(a, b) a ## b\nCAT(A, B)"), "done");
    EXPECT_TRUE(messages().empty());
}

TEST_F(PreprocessorTest, PastingThatMakesNoTokenIsAnError) {
    EXPECT_EQ(run("#define CAT(a, b) a ## b\nCAT(x, +)"), "x +");
    EXPECT_EQ(messages(), (Texts{"main.sl:2:1: error: pasting 'x' and '+' gives no single token"}));
}

TEST_F(PreprocessorTest, WrongArgumentCountIsAnError) {
    EXPECT_EQ(run("#define F(a, b) a\nx F(1) y F(1, 2, 3) z"), "x y z");
    EXPECT_EQ(messages(), (Texts{"main.sl:2:3: error: macro 'F' takes 2 arguments, not 1",
                                 "main.sl:2:10: error: macro 'F' takes 2 arguments, not 3"}));
}

TEST_F(PreprocessorTest, UnclosedArgumentsAreAnError) {
    EXPECT_EQ(run("#define F(a) a\nx F(1, (2)"), "x");
    EXPECT_EQ(messages(),
              (Texts{"main.sl:2:3: error: the arguments of macro 'F' have no closing ')'"}));
}

TEST_F(PreprocessorTest, BadDefinitionsAreErrors) {
    run("#define\n#define 1 x\n#define F(a, a) a\n#define G(a b) a\n#define H(a) #b\n"
        "#define I ## x\n#define defined 1\n");
    EXPECT_EQ(messages(),
              (Texts{"main.sl:1:1: error: #define needs a macro name",
                     "main.sl:2:9: error: #define needs a macro name",
                     "main.sl:3:14: error: 'a' twice in the parameters of macro 'F'",
                     "main.sl:4:13: error: expected ',' or ')' in the parameters of macro 'G'",
                     "main.sl:5:14: error: '#' is not followed by a parameter of macro 'H'",
                     "main.sl:6:9: error: '##' cannot begin or end the replacement of macro 'I'",
                     "main.sl:7:9: error: 'defined' cannot be a macro name"}));
}

TEST_F(PreprocessorTest, RedefinitionWarnsUnlessTheSame) {
    EXPECT_EQ(run("#define A 1 + 2\n#define A 1 + 2\n#define A 1+2\nA"), "1 + 2");
    EXPECT_EQ(messages(),
              (Texts{"main.sl:3:9: warning: macro 'A' redefined (it was defined at main.sl:2)"}));
}

TEST_F(PreprocessorTest, UndefForgetsAMacro) {
    EXPECT_EQ(run("#define A 1\nA\n#undef A\nA\n#undef NEVER"), "1 A");
    EXPECT_TRUE(messages().empty());
}

TEST_F(PreprocessorTest, CallerDefinesComeFirst) {
    PreprocessOptions options;
    options.defines = {{"DEBUG", ""}, {"LEVEL", "3"}, {"SQ(x)", "((x)*(x))"}};
    EXPECT_EQ(run("DEBUG LEVEL SQ(2)", options), "1 3 ( ( 2 ) * ( 2 ) )");
    EXPECT_TRUE(messages().empty());
}

TEST_F(PreprocessorTest, BadCallerDefineIsAnErrorOfTheCommandLine) {
    PreprocessOptions options;
    options.defines = {{"+X", "x"}, {"OK", "y"}};
    EXPECT_EQ(run("OK", options), "y");
    EXPECT_EQ(messages(), (Texts{"<command line>:1:1: error: #define needs a macro name"}));
}

TEST_F(PreprocessorTest, PredefinedMacrosTellFileLineAndCompiler) {
    EXPECT_EQ(run("__FILE__\n\n  __LINE__ __QUELMARK_SL__\n#define WHERE __LINE__\nWHERE"),
              "\"main.sl\" 3 1 5");
    EXPECT_EQ(run("#ifdef __FILE__\nyes\n#endif"), "yes");
}

// --- Conditionals ---

TEST_F(PreprocessorTest, ElifChainKeepsTheFirstTrueGroup) {
    const char* chain = "#if LEVEL == 1\none\n#elif LEVEL == 2\ntwo\n#elif LEVEL >= 2\nmore\n"
                        "#else\nother\n#endif\nend";
    for (auto [level, expected] : {std::pair{"1", "one end"}, std::pair{"2", "two end"},
                                   std::pair{"3", "more end"}, std::pair{"0", "other end"}}) {
        PreprocessOptions options;
        options.defines = {{"LEVEL", level}};
        EXPECT_EQ(run(chain, options), expected) << "LEVEL " << level;
    }
    EXPECT_TRUE(messages().empty());
}

TEST_F(PreprocessorTest, IfdefAndIfndefAskWhetherAMacroIsDefined) {
    EXPECT_EQ(run("#define A\n#ifdef A\na\n#endif\n#ifdef B\nb\n#endif\n"
                  "#ifndef A\nna\n#else\nelse\n#endif\n#ifndef B\nnb\n#endif"),
              "a else nb");
}

TEST_F(PreprocessorTest, DefinedWorksWithAndWithoutParentheses) {
    EXPECT_EQ(run("#define A 0\n#if defined(A) && !defined B && defined A\nyes\n#endif"), "yes");
    EXPECT_EQ(run("#define IS_A defined(A)\n#define A\n#if IS_A\nyes\n#endif"), "yes");
    EXPECT_TRUE(messages().empty());
}

TEST_F(PreprocessorTest, SkippedGroupsMayHoldAnything) {
    EXPECT_EQ(run("#if 0\n\"open\n1e999 don't @\n#bogus\n#if 1\n#else\n#endif\n#error no\n"
                  "#else\nkept\n#endif\nend"),
              "kept end");
    EXPECT_TRUE(messages().empty());
}

TEST_F(PreprocessorTest, NestedSkippedConditionalsDoNotEndTheGroup) {
    EXPECT_EQ(run("#if 0\n#ifdef X\n#else\nno\n#endif\nno\n#elif 1\nyes\n#else\nno\n#endif"),
              "yes");
    EXPECT_EQ(run("#if 1\nyes\n#elif 1/0\nno\n#else\nno\n#endif"), "yes");
    EXPECT_TRUE(messages().empty()); // an #elif after a kept group is not evaluated
}

TEST_F(PreprocessorTest, ConditionsAreCIntegerExpressions) {
    const char* trueConditions[] = {
        "1 + 2 * 3 == 7",
        "(1 + 2) * 3 == 9",
        "(1 << 4) == 16",
        "(256 >> 4) == 16",
        "-1 < 0",
        "~0 == -1",
        "7 % 3 == 1",
        "10 / 3 == 3",
        "-7 / 2 == -3",
        "(5 & 3) == 1",
        "(5 | 3) == 7",
        "(5 ^ 3) == 6",
        "1 ? 2 : 0",
        "0 || 0 ? 0 : 1",
        "UNKNOWN == 0",
        "0 && 1 / 0 || 1",
        "!0 && !!5 && +3 == 3",
        "1 >= 1 && 2 > 1 && 1 <= 2 && 1 != 2",
        "1 ? 1 : 1 / 0",
        "9223372036854775807 + 1 < 0",
        "2 - 3 * 4 + 12 / 6 == -8",
        "float == 0",
    };
    for (const char* condition : trueConditions)
        EXPECT_EQ(run(std::string("#if ") + condition + "\nyes\n#else\nno\n#endif"), "yes")
            << condition;
    EXPECT_TRUE(messages().empty());
}

TEST_F(PreprocessorTest, BadConditionsAreErrorsAndFalse) {
    EXPECT_EQ(run("#if 1 / 0\na\n#endif\n#if 1.5\nb\n#endif\n#if\nc\n#endif\n#if (1\nd\n#endif\n"
                  "#if 1 2\ne\n#endif\n#if \"s\"\nf\n#endif\n#if 1 << 64\ng\n#endif\n"
                  "#if defined\nh\n#endif\n#if 99999999999999999999\ni\n#endif"),
              "");
    EXPECT_EQ(messages(),
              (Texts{"main.sl:1:7: error: division by zero in #if",
                     "main.sl:4:5: error: '1.5' is not an integer, as #if needs",
                     "main.sl:7:1: error: #if with no expression",
                     "main.sl:10:1: error: expected ')' in #if",
                     "main.sl:13:7: error: unexpected '2' in #if",
                     "main.sl:16:5: error: unexpected '\"s\"' in #if",
                     "main.sl:19:7: error: shift by 64 in #if",
                     "main.sl:22:5: error: 'defined' needs a macro name",
                     "main.sl:25:5: error: integer '99999999999999999999' is too large"}));
}

TEST_F(PreprocessorTest, UnbalancedConditionalsAreErrors) {
    EXPECT_EQ(run("a\n#endif\n#else\n#elif 1\nb"), "a b");
    EXPECT_EQ(messages(), (Texts{"main.sl:2:1: error: '#endif' without '#if'",
                                 "main.sl:3:1: error: '#else' without '#if'",
                                 "main.sl:4:1: error: '#elif' without '#if'"}));
}

TEST_F(PreprocessorTest, UnterminatedConditionalIsAnErrorWhereItBegan) {
    EXPECT_EQ(run("a\n  #ifdef X\n#else\nb\n#if 1\nc\n"), "a b c");
    EXPECT_EQ(messages(),
              (Texts{"main.sl:2:3: error: unterminated '#ifdef': the file ends before its '#endif'",
                     "main.sl:5:1: error: unterminated '#if': the file ends before its '#endif'"}));
}

TEST_F(PreprocessorTest, SecondElseNamesTheOpeningIf) {
    EXPECT_EQ(run("#if 1\na\n#else\nb\n#else\nc\n#elif 1\nd\n#endif"), "a");
    EXPECT_EQ(messages(),
              (Texts{"main.sl:5:1: error: a second '#else' for the '#if' begun at line 1, column 1",
                     "main.sl:7:1: error: '#elif' after the '#else' of the '#if' begun at line 1, "
                     "column 1"}));
}

// --- Other directives ---

TEST_F(PreprocessorTest, ErrorAndWarningReportTheirText) {
    EXPECT_EQ(run("a\n#error don't use \"this\"  here\n  # warning old stuff\nb"), "a b");
    EXPECT_EQ(messages(), (Texts{"main.sl:2:1: error: #error don't use \"this\" here",
                                 "main.sl:3:3: warning: #warning old stuff"}));
}

TEST_F(PreprocessorTest, LineRenumbersTheLinesThatFollow) {
    std::vector<Token> result = tokens("a\n#line 100 \"other.sl\"\nb __LINE__\n#line 7\nc");
    ASSERT_EQ(result.size(), 5u);
    EXPECT_EQ(result[1].location.line, 100);
    EXPECT_EQ(result[1].location.fileName(), "other.sl");
    EXPECT_EQ(result[2].text, "100");
    EXPECT_EQ(result[3].location.line, 7);
    EXPECT_EQ(result[3].location.fileName(), "other.sl");
    run("#line 0\n#line x\n#line 5 6");
    EXPECT_EQ(messages().size(), 3u);
}

TEST_F(PreprocessorTest, PragmaAndTheNullDirectiveDoNothing) {
    EXPECT_EQ(run("#\n  #  \n#pragma once whatever\n# /* comment */\na"), "a");
    EXPECT_TRUE(messages().empty());
}

TEST_F(PreprocessorTest, DirectivesMayBeIndentedAndSpanJoinedLines) {
    EXPECT_EQ(run("  \t#  define LONG 1 + \\\n  2\nLONG"), "1 + 2");
    EXPECT_EQ(run("#define C /* a comment\n that spans lines */ 3\nC"), "3");
}

TEST_F(PreprocessorTest, UnknownDirectiveIsAnError) {
    EXPECT_EQ(run("#frobnicate 1\na"), "a");
    EXPECT_EQ(messages(), (Texts{"main.sl:1:2: error: unknown directive '#frobnicate'"}));
}

// --- Includes ---

class IncludeTest : public PreprocessorTest {
protected:
    std::string runFile(const std::string& path, const PreprocessOptions& options = {}) {
        return spelled(preprocessFile(path, options, fDiagnostics));
    }

    ScratchFolder fFolder;
};

TEST_F(IncludeTest, QuotedIncludeLooksBesideTheIncludingFileFirst) {
    ASSERT_FALSE(fFolder.path().empty());
    std::string main = fFolder.write("src/main.sl", "#include \"defs.h\"\nfrom_main\n");
    fFolder.write("src/defs.h", "from_src\n#include \"sub/deep.h\"\n");
    fFolder.write("src/sub/deep.h", "#include \"near.h\"\n");
    fFolder.write("src/sub/near.h", "from_sub\n");
    fFolder.write("inc/defs.h", "from_inc\n");
    PreprocessOptions options;
    options.includeFolders = {fFolder.path() + "/inc"};
    EXPECT_EQ(runFile(main, options), "from_src from_sub from_main");
    EXPECT_TRUE(messages().empty());
}

TEST_F(IncludeTest, IncludeFoldersAreSearchedInOrder) {
    fFolder.write("first/a.h", "first_a\n");
    fFolder.write("second/a.h", "second_a\n");
    fFolder.write("second/b.h", "second_b\n");
    fFolder.write("a.h", "beside\n");
    PreprocessOptions options;
    options.includeFolders = {fFolder.path() + "/first", fFolder.path() + "/second/"};
    std::string main =
        fFolder.write("main.sl", "#include <a.h>\n#include <b.h>\n#include \"a.h\"\n");
    EXPECT_EQ(runFile(main, options), "first_a second_b beside");
    EXPECT_TRUE(messages().empty());
}

TEST_F(IncludeTest, IncludedTokensKeepTheirFileAndLine) {
    std::string header = fFolder.write("h.h", "\n  inner\n");
    std::string main = fFolder.write("m.sl", "#define M \"h.h\"\n#include M\nouter\n");
    std::vector<Token> result = preprocessFile(main, {}, fDiagnostics);
    ASSERT_EQ(result.size(), 3u);
    EXPECT_EQ(result[0].location.fileName(), header);
    EXPECT_EQ(result[0].location.line, 2);
    EXPECT_EQ(result[0].location.column, 3);
    EXPECT_EQ(result[1].location.fileName(), main);
    EXPECT_EQ(result[1].location.line, 3);
    EXPECT_TRUE(messages().empty());
}

TEST_F(IncludeTest, GuardedFileIsIncludedOnce) {
    fFolder.write("g.h", "#ifndef G_H\n#define G_H\nonce\n#endif\n");
    std::string main = fFolder.write("m.sl", "#include \"g.h\"\n#include \"g.h\"\nend");
    EXPECT_EQ(runFile(main), "once end");
}

TEST_F(IncludeTest, MissingIncludeNamesTheFileAndTheReason) {
    std::string main =
        fFolder.write("m.sl", "a\n  #include \"missing.h\"\n#include <nowhere.h>\nb");
    EXPECT_EQ(runFile(main), "a b");
    EXPECT_EQ(messages(),
              (Texts{main + ":2:3: error: cannot open 'missing.h': No such file or directory",
                     main + ":3:1: error: cannot open 'nowhere.h': No such file or directory"}));
}

TEST_F(IncludeTest, IncludingAFolderIsAnError) {
    fFolder.write("sub/x.h", "x\n");
    std::string main = fFolder.write("m.sl", "#include \"sub\"\nb");
    EXPECT_EQ(runFile(main), "b");
    EXPECT_EQ(messages(), (Texts{main + ":1:1: error: cannot open 'sub': Is a directory"}));
}

TEST_F(IncludeTest, MissingMainFileIsOneError) {
    std::string path = fFolder.path() + "/absent.sl";
    std::vector<Token> result = preprocessFile(path, {}, fDiagnostics);
    ASSERT_EQ(result.size(), 1u);
    EXPECT_EQ(result[0].kind, TokenKind::kEnd);
    EXPECT_EQ(messages(),
              (Texts{path + ": error: cannot open '" + path + "': No such file or directory"}));
    fDiagnostics = Diagnostics();
    preprocessFile(fFolder.path(), {}, fDiagnostics);
    EXPECT_EQ(messages(), (Texts{fFolder.path() + ": error: cannot open '" + fFolder.path() +
                                 "': Is a directory"}));
}

TEST_F(IncludeTest, IncludeCycleStopsWithOneError) {
    fFolder.write("a.h", "a\n#include \"b.h\"\n");
    fFolder.write("b.h", "b\n#include \"a.h\"\n");
    std::string main = fFolder.write("m.sl", "#include \"a.h\"\nend\n");
    std::vector<Token> result = preprocessFile(main, {}, fDiagnostics);
    EXPECT_EQ(result.size(), size_t(preprocesslimits::kDeepestInclude) - 1 + 2);
    ASSERT_EQ(fDiagnostics.errors(), 1);
    EXPECT_NE(messages()[0].find("error: #include nested more than 64 deep"), std::string::npos);
}

TEST_F(IncludeTest, ConditionalsDoNotCrossFiles) {
    fFolder.write("open.h", "#if 1\n");
    fFolder.write("close.h", "#endif\n");
    std::string main = fFolder.write("m.sl", "#include \"open.h\"\n#include \"close.h\"\nx");
    EXPECT_EQ(runFile(main), "x");
    EXPECT_EQ(messages(), (Texts{fFolder.path() +
                                     "/open.h:1:1: error: unterminated '#if': the file ends before "
                                     "its '#endif'",
                                 fFolder.path() + "/close.h:1:1: error: '#endif' without '#if'"}));
}

TEST_F(IncludeTest, IncludeInsideMacroArgumentsIsAnError) {
    fFolder.write("x.h", "x\n");
    std::string main = fFolder.write("m.sl", "#define F(a) a\nF(1\n#include \"x.h\"\n)");
    EXPECT_EQ(runFile(main), "1");
    EXPECT_EQ(messages(), (Texts{main + ":3:1: error: #include inside the arguments of a macro"}));
}

// --- Hostile source ---

TEST_F(PreprocessorTest, DeeplyNestedConditionEndsWithAnError) {
    const size_t depth = 100000;
    std::string text =
        "#if " + std::string(depth, '(') + "1" + std::string(depth, ')') + "\nno\n#endif\nyes";
    EXPECT_EQ(run(text), "yes");
    EXPECT_EQ(messages(), (Texts{"main.sl:1:1: error: the #if expression is nested too deeply"}));
}

TEST_F(PreprocessorTest, DeeplyNestedParenthesesPassToTheParser) {
    const size_t depth = 100000;
    std::vector<Token> result = tokens(std::string(depth, '(') + std::string(depth, ')'));
    EXPECT_EQ(result.size(), 2 * depth + 1);
    EXPECT_TRUE(messages().empty());
}

std::string nestedCalls(size_t depth) {
    std::string calls;
    for (size_t level = 0; level < depth; ++level)
        calls += "F(";
    return "#define F(x) x\n" + calls + "1" + std::string(depth, ')');
}

TEST_F(PreprocessorTest, DeeplyNestedMacroCallsEndWithAnError) {
    EXPECT_EQ(run(nestedCalls(200)), "1");
    EXPECT_TRUE(messages().empty());
    tokens(nestedCalls(1000));
    EXPECT_EQ(messages(),
              (Texts{"main.sl:2:513: error: macros expand inside one another more than 256 deep"}));
}

TEST_F(PreprocessorTest, VeryDeeplyNestedMacroCallsEndWithOneError) {
    // Each depth reads the arguments inside it again: the tokens run out first.
    tokens(nestedCalls(100000));
    ASSERT_EQ(fDiagnostics.errors(), 1);
    EXPECT_NE(messages()[0].find("the source makes more than 4194304 tokens"), std::string::npos);
}

TEST_F(PreprocessorTest, MacroThatDoublesItselfEndsWithOneError) {
    std::string text = "#define D0 x\n";
    for (int level = 1; level <= 40; ++level)
        text += "#define D" + std::to_string(level) + " D" + std::to_string(level - 1) + " D" +
                std::to_string(level - 1) + "\n";
    text += "D40\n";
    std::vector<Token> result = tokens(text);
    EXPECT_LE(result.size(), preprocesslimits::kMostTokens);
    EXPECT_EQ(result.back().kind, TokenKind::kEnd);
    ASSERT_EQ(fDiagnostics.errors(), 1);
    EXPECT_NE(messages()[0].find("the source makes more than 4194304 tokens"), std::string::npos);
}

TEST_F(IncludeTest, FileThatIncludesItselfTwiceEndsWithTooManyErrors) {
    std::string main = fFolder.write("m.sl", "#include \"m.sl\"\n#include \"m.sl\"\n");
    EXPECT_THROW(preprocessFile(main, {}, fDiagnostics), TooManyErrors);
}

TEST_F(IncludeTest, IncludesThatDoubleEndWithOneError) {
    fFolder.write("h0.h", "x\n");
    for (int level = 1; level <= 30; ++level) {
        std::string include = "#include \"h" + std::to_string(level - 1) + ".h\"\n";
        fFolder.write("h" + std::to_string(level) + ".h", include + include);
    }
    std::string main = fFolder.write("m.sl", "#include \"h30.h\"\n");
    std::vector<Token> result = preprocessFile(main, {}, fDiagnostics);
    EXPECT_EQ(result.back().kind, TokenKind::kEnd);
    ASSERT_EQ(fDiagnostics.errors(), 1);
    EXPECT_NE(messages()[0].find("error: more than 65536 files included"), std::string::npos);
}

TEST_F(PreprocessorTest, TextLargerThanASourceFileMayBeIsOneError) {
    std::string text(preprocesslimits::kLargestFile + 1, ' ');
    std::vector<Token> result = tokens(text);
    ASSERT_EQ(result.size(), 1u);
    EXPECT_EQ(messages(), (Texts{"main.sl: error: 'main.sl' is larger than 64 MiB"}));
}

TEST_F(PreprocessorTest, NulBytesAreErrorsUntilThereAreTooMany) {
    EXPECT_EQ(run(std::string("a\0b", 3)), "a b");
    EXPECT_EQ(messages(), (Texts{"main.sl:1:2: error: unexpected character '\\x00'"}));
    EXPECT_THROW(run(std::string(1000, '\0')), TooManyErrors);
}

} // namespace
