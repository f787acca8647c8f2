// Cuts shader source into tokens: words (identifiers and keywords), numbers,
// strings with their escapes resolved, and punctuation, each with the line
// and column where it begins (both from 1, counted in bytes: a tab is one
// column). Blanks and comments go, and a backslash at the end of a line
// joins it to the next.
//
// Besides the language's own tokens the lexer cuts the punctuation that
// only the preprocessor uses, and hands on every stray character as a token
// of its own: whether it is an error depends on where it ends up, since a
// group of lines that a condition skips may hold anything.
#ifndef QEL_SHADINGLANG_LEXER_H
#define QEL_SHADINGLANG_LEXER_H

#include "shadinglang/Diagnostics.h"
#include "shadinglang/Token.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace quelmark::sl {

// How long one word or string may be; a longer one is reported and cut.
namespace lexlimits {
constexpr size_t kLongestWord = size_t(64) << 10;   // an identifier or a number, in bytes
constexpr size_t kLongestString = size_t(64) << 10; // a string's value, in bytes
} // namespace lexlimits

// The keyword written as word, or kIdentifier when it is none.
TokenKind keywordKind(std::string_view word);

// Punctuation outside the language, for the preprocessor's directives,
// macros and conditions; kStray is any character that is no token at all.
enum class Punctuator {
    kNone, // a token of the language
    kHash,
    kHashHash,
    kPercent,
    kShiftLeft,
    kShiftRight,
    kAmpersand,
    kBar,
    kTilde,
    kStray,
};

struct Lexeme {
    // With a punctuator, the kind is kEnd and the text is as written.
    Token token;
    Punctuator punctuator = Punctuator::kNone;
    bool startsLine = false;  // first on its line: it may begin a directive
    bool spaceBefore = false; // a blank or a comment comes before it

    bool isEnd() const { return token.kind == TokenKind::kEnd && punctuator == Punctuator::kNone; }
};

class Lexer {
public:
    // The text must outlive the lexer; file names it in the locations.
    Lexer(std::string_view text, std::shared_ptr<const std::string> file, Diagnostics& diagnostics);

    // The next token; at the end of the text, a kEnd token, again and again.
    Lexeme next();

    // For the preprocessor's directives, which end with their line.
    //
    // Skips blanks and comments short of the end of the line; whether the
    // line has no more tokens.
    bool atLineEnd();
    struct HeaderName {
        std::string name;    // as written, without escapes
        bool angled = false; // <name> rather than "name"
        bool closed = true;  // false after an error: the line ended first
    };
    // The name of an included file if the line goes on with one.
    std::optional<HeaderName> headerName();
    // Numbers the line after this one nextLine, in file if it is not null.
    void renumber(int nextLine, std::shared_ptr<const std::string> file);
    // While quiet, as in a group of lines a condition skips, ill-formed
    // strings and numbers are no errors (an unfinished comment still is).
    void setQuiet(bool quiet) { fQuiet = quiet; }

    SourceLocation location() const { return {fFile, fLine, fColumn}; }

private:
    int peek(size_t ahead = 0) const;
    void advance();
    size_t spliceLength(size_t at) const;
    size_t skipSplices(size_t at) const;
    void settle();
    void newLine();

    void skipBlanks(bool crossLines);
    void skipBlockComment();
    void skipLineComment();

    void scanWord(Lexeme& lexeme);
    void scanNumber(Lexeme& lexeme);
    void appendDigits(std::string& text);
    void scanString(Lexeme& lexeme);
    int scanEscape(const SourceLocation& at);
    int scanOctalEscape(const SourceLocation& at);
    int scanHexEscape(const SourceLocation& at);
    void scanPunctuation(Lexeme& lexeme);
    void scanStray(Lexeme& lexeme);

    void report(const SourceLocation& at, std::string message);

    std::string_view fText;
    std::shared_ptr<const std::string> fFile;
    Diagnostics& fDiagnostics;
    size_t fPos = 0; // never on a backslash that joins two lines
    int fLine = 1, fColumn = 1;
    bool fStartsLine = true, fSpaceBefore = false;
    bool fQuiet = false;
};

} // namespace quelmark::sl

#endif
