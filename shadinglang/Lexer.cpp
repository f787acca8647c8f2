#include "shadinglang/Lexer.h"

#include "common/PrintableText.h" // utf8SequenceLength

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cstdint>
#include <utility>

namespace quelmark::sl {

namespace {

constexpr int kEndOfText = -1;
constexpr int kLargestByte = 0xFF;
constexpr int kOctalEscapeDigits = 3;
// An exponent is read up to this size: beyond it, any number is out of range.
constexpr long kLargestExponent = 1000000;

bool isDigit(int c) {
    return c >= '0' && c <= '9';
}
bool isLetter(int c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool isWordCharacter(int c) {
    return isLetter(c) || isDigit(c);
}
bool isOctalDigit(int c) {
    return c >= '0' && c <= '7';
}
bool isBlank(int c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

int hexDigitValue(int c) {
    if (isDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

struct Keyword {
    std::string_view word;
    TokenKind kind;
};

constexpr std::array kKeywords{
    Keyword{"surface", TokenKind::kSurface},
    Keyword{"light", TokenKind::kLight},
    Keyword{"displacement", TokenKind::kDisplacement},
    Keyword{"volume", TokenKind::kVolume},
    Keyword{"imager", TokenKind::kImager},
    Keyword{"float", TokenKind::kFloat},
    Keyword{"string", TokenKind::kStringType},
    Keyword{"color", TokenKind::kColor},
    Keyword{"point", TokenKind::kPoint},
    Keyword{"vector", TokenKind::kVector},
    Keyword{"normal", TokenKind::kNormal},
    Keyword{"matrix", TokenKind::kMatrix},
    Keyword{"void", TokenKind::kVoid},
    Keyword{"uniform", TokenKind::kUniform},
    Keyword{"varying", TokenKind::kVarying},
    Keyword{"output", TokenKind::kOutput},
    Keyword{"extern", TokenKind::kExtern},
    Keyword{"if", TokenKind::kIf},
    Keyword{"else", TokenKind::kElse},
    Keyword{"while", TokenKind::kWhile},
    Keyword{"for", TokenKind::kFor},
    Keyword{"break", TokenKind::kBreak},
    Keyword{"continue", TokenKind::kContinue},
    Keyword{"return", TokenKind::kReturn},
    Keyword{"illuminate", TokenKind::kIlluminate},
    Keyword{"illuminance", TokenKind::kIlluminance},
    Keyword{"solar", TokenKind::kSolar},
    Keyword{"gather", TokenKind::kGather},
};

struct Punctuation {
    std::string_view text;
    TokenKind kind;
    Punctuator punctuator = Punctuator::kNone;
};

// Two-character punctuation first: the longest match wins.
constexpr std::array kPunctuation{
    Punctuation{"##", TokenKind::kEnd, Punctuator::kHashHash},
    Punctuation{"<<", TokenKind::kEnd, Punctuator::kShiftLeft},
    Punctuation{">>", TokenKind::kEnd, Punctuator::kShiftRight},
    Punctuation{"+=", TokenKind::kPlusAssign},
    Punctuation{"-=", TokenKind::kMinusAssign},
    Punctuation{"*=", TokenKind::kStarAssign},
    Punctuation{"/=", TokenKind::kSlashAssign},
    Punctuation{"++", TokenKind::kPlusPlus},
    Punctuation{"--", TokenKind::kMinusMinus},
    Punctuation{"==", TokenKind::kEqual},
    Punctuation{"!=", TokenKind::kNotEqual},
    Punctuation{"<=", TokenKind::kLessEqual},
    Punctuation{">=", TokenKind::kGreaterEqual},
    Punctuation{"&&", TokenKind::kAnd},
    Punctuation{"||", TokenKind::kOr},
    Punctuation{"(", TokenKind::kLeftParen},
    Punctuation{")", TokenKind::kRightParen},
    Punctuation{"{", TokenKind::kLeftBrace},
    Punctuation{"}", TokenKind::kRightBrace},
    Punctuation{"[", TokenKind::kLeftBracket},
    Punctuation{"]", TokenKind::kRightBracket},
    Punctuation{";", TokenKind::kSemicolon},
    Punctuation{",", TokenKind::kComma},
    Punctuation{"?", TokenKind::kQuestion},
    Punctuation{":", TokenKind::kColon},
    Punctuation{".", TokenKind::kDot},
    Punctuation{"+", TokenKind::kPlus},
    Punctuation{"-", TokenKind::kMinus},
    Punctuation{"*", TokenKind::kStar},
    Punctuation{"/", TokenKind::kSlash},
    Punctuation{"^", TokenKind::kCaret},
    Punctuation{"!", TokenKind::kNot},
    Punctuation{"=", TokenKind::kAssign},
    Punctuation{"<", TokenKind::kLess},
    Punctuation{">", TokenKind::kGreater},
    Punctuation{"#", TokenKind::kEnd, Punctuator::kHash},
    Punctuation{"%", TokenKind::kEnd, Punctuator::kPercent},
    Punctuation{"&", TokenKind::kEnd, Punctuator::kAmpersand},
    Punctuation{"|", TokenKind::kEnd, Punctuator::kBar},
    Punctuation{"~", TokenKind::kEnd, Punctuator::kTilde},
};

void appendLimited(std::string& text, char c, size_t longest, bool& tooLong) {
    if (text.size() < longest)
        text += c;
    else
        tooLong = true;
}

// The written exponent of a number, held within kLargestExponent.
long writtenExponent(std::string_view text) {
    size_t e = text.find_first_of("eE");
    if (e == std::string_view::npos) return 0;
    size_t at = e + 1;
    bool negative = at < text.size() && text[at] == '-';
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
    long exponent = 0;
    for (; at < text.size() && isDigit(text[at]); ++at)
        exponent = std::min(kLargestExponent, exponent * 10 + (text[at] - '0'));
    return negative ? -exponent : exponent;
}

// Whether a number out of a double's range is too large rather than too
// small: whether its first significant digit stands left of the point,
// once the exponent has moved it.
bool isTooLarge(std::string_view text) {
    long place = 0; // the power of ten of the first significant digit, plus one
    bool significant = false, afterPoint = false;
    for (size_t at = 0; at < text.size() && (isDigit(text[at]) || text[at] == '.'); ++at) {
        if (text[at] == '.') {
            afterPoint = true;
            continue;
        }
        significant = significant || text[at] != '0';
        if (significant && !afterPoint) ++place;
        if (!significant && afterPoint) --place;
    }
    return significant && place + writtenExponent(text) > 0;
}

} // namespace

TokenKind keywordKind(std::string_view word) {
    for (const Keyword& keyword : kKeywords)
        if (keyword.word == word) return keyword.kind;
    return TokenKind::kIdentifier;
}

Lexer::Lexer(std::string_view text, std::shared_ptr<const std::string> file,
             Diagnostics& diagnostics)
    : fText(text), fFile(std::move(file)), fDiagnostics(diagnostics) {
    settle();
}

Lexeme Lexer::next() {
    skipBlanks(true);
    Lexeme lexeme;
    lexeme.startsLine = std::exchange(fStartsLine, false);
    lexeme.spaceBefore = std::exchange(fSpaceBefore, false);
    lexeme.token.location = location();
    int c = peek();
    if (c == kEndOfText) return lexeme;
    if (isLetter(c))
        scanWord(lexeme);
    else if (isDigit(c) || (c == '.' && isDigit(peek(1))))
        scanNumber(lexeme);
    else if (c == '"')
        scanString(lexeme);
    else
        scanPunctuation(lexeme);
    return lexeme;
}

bool Lexer::atLineEnd() {
    skipBlanks(false);
    int c = peek();
    return c == '\n' || c == kEndOfText;
}

std::optional<Lexer::HeaderName> Lexer::headerName() {
    skipBlanks(false);
    int open = peek();
    if (open != '"' && open != '<') return std::nullopt;
    int close = open == '"' ? '"' : '>';
    SourceLocation start = location();
    advance();
    HeaderName header;
    header.angled = open == '<';
    bool tooLong = false;
    for (int c = peek(); c != close; c = peek()) {
        if (c == '\n' || c == kEndOfText) {
            report(start, std::string("the file name has no closing ") + char(close));
            header.closed = false;
            return header;
        }
        appendLimited(header.name, char(c), lexlimits::kLongestString, tooLong);
        advance();
    }
    advance();
    if (tooLong) report(start, "the file name is too long");
    return header;
}

void Lexer::renumber(int nextLine, std::shared_ptr<const std::string> file) {
    fLine = nextLine - 1; // the line end to come counts one more
    if (file) fFile = std::move(file);
}

// --- Characters, with the backslashes that join lines left out ---

int Lexer::peek(size_t ahead) const {
    size_t at = fPos;
    for (; ahead > 0 && at < fText.size(); --ahead)
        at = skipSplices(at + 1);
    return at < fText.size() ? static_cast<unsigned char>(fText[at]) : kEndOfText;
}

void Lexer::advance() {
    if (fPos >= fText.size()) return;
    if (fText[fPos] == '\n')
        newLine();
    else
        ++fColumn;
    ++fPos;
    settle();
}

// The length of the backslash and line end at the index, or 0.
size_t Lexer::spliceLength(size_t at) const {
    if (at >= fText.size() || fText[at] != '\\') return 0;
    std::string_view rest = fText.substr(at + 1);
    if (rest.starts_with('\n')) return 2;
    if (rest.starts_with("\r\n")) return 3;
    return 0;
}

size_t Lexer::skipSplices(size_t at) const {
    while (size_t length = spliceLength(at))
        at += length;
    return at;
}

void Lexer::settle() {
    while (size_t length = spliceLength(fPos)) {
        fPos += length;
        newLine();
    }
}

void Lexer::newLine() {
    if (fLine < INT_MAX) ++fLine;
    fColumn = 1;
}

// --- Blanks and comments ---

void Lexer::skipBlanks(bool crossLines) {
    for (;;) {
        int c = peek();
        if (c == '/' && peek(1) == '*') {
            skipBlockComment();
        } else if (c == '/' && peek(1) == '/') {
            skipLineComment();
        } else if (isBlank(c)) {
            advance();
        } else if (c == '\n' && crossLines) {
            advance();
            fStartsLine = true;
        } else {
            return;
        }
        fSpaceBefore = true;
    }
}

void Lexer::skipBlockComment() {
    SourceLocation start = location();
    advance();
    advance();
    while (!(peek() == '*' && peek(1) == '/')) {
        if (peek() == kEndOfText) {
            fDiagnostics.error(start, "unterminated comment");
            return;
        }
        advance();
    }
    advance();
    advance();
}

// Leaves the line end that closes the comment.
void Lexer::skipLineComment() {
    while (peek() != '\n' && peek() != kEndOfText)
        advance();
}

// --- Tokens ---

void Lexer::scanWord(Lexeme& lexeme) {
    std::string& text = lexeme.token.text;
    bool tooLong = false;
    for (int c = peek(); isWordCharacter(c); c = peek()) {
        appendLimited(text, char(c), lexlimits::kLongestWord, tooLong);
        advance();
    }
    if (tooLong)
        report(lexeme.token.location,
               "identifier longer than " + std::to_string(lexlimits::kLongestWord) + " bytes");
    lexeme.token.kind = keywordKind(text);
}

// Digits, a point and more digits, an exponent: 1, 1.5, .5, 1., 1e3, 1.5e-3.
// A trailing 'f', a habit from C, is taken and has no meaning.
void Lexer::scanNumber(Lexeme& lexeme) {
    Token& token = lexeme.token;
    token.kind = TokenKind::kNumber;
    std::string& text = token.text;
    appendDigits(text);
    if (peek() == '.') {
        text += '.';
        advance();
        appendDigits(text);
    }
    int afterE = peek(1);
    bool signedExponent = (afterE == '+' || afterE == '-') && isDigit(peek(2));
    if ((peek() == 'e' || peek() == 'E') && (isDigit(afterE) || signedExponent)) {
        for (int c = 0; c < (signedExponent ? 2 : 1); ++c) {
            text += char(peek());
            advance();
        }
        appendDigits(text);
    }
    size_t valueLength = text.size();
    if (peek() == 'f' || peek() == 'F') {
        text += char(peek());
        advance();
    }
    if (isWordCharacter(peek())) { // as in 1x or 1e: no number
        bool tooLong = false;
        for (; isWordCharacter(peek()); advance())
            appendLimited(text, char(peek()), lexlimits::kLongestWord, tooLong);
        report(token.location, "invalid number '" + text + "'");
        return;
    }
    if (text.size() > lexlimits::kLongestWord) {
        report(token.location,
               "number longer than " + std::to_string(lexlimits::kLongestWord) + " bytes");
        text.resize(lexlimits::kLongestWord);
        return;
    }
    const char* begin = text.data();
    auto [end, failure] = std::from_chars(begin, begin + valueLength, token.number);
    if (failure == std::errc::result_out_of_range) {
        token.number = 0; // too small to tell from 0
        if (isTooLarge(text)) report(token.location, "number '" + text + "' is too large");
    }
}

// Digits are kept up to one past the longest number, to tell that it is too long.
void Lexer::appendDigits(std::string& text) {
    for (int c = peek(); isDigit(c); c = peek()) {
        if (text.size() <= lexlimits::kLongestWord) text += char(c);
        advance();
    }
}

void Lexer::scanString(Lexeme& lexeme) {
    Token& token = lexeme.token;
    token.kind = TokenKind::kString;
    advance();
    bool tooLong = false;
    for (int c = peek(); c != '"'; c = peek()) {
        if (c == '\n' || c == kEndOfText) {
            report(token.location, "the string has no closing quote");
            return;
        }
        if (c == '\\') {
            SourceLocation escape = location();
            advance();
            c = scanEscape(escape);
        } else {
            advance();
        }
        appendLimited(token.text, char(c), lexlimits::kLongestString, tooLong);
    }
    advance();
    if (tooLong)
        report(token.location,
               "string longer than " + std::to_string(lexlimits::kLongestString) + " bytes");
}

// The character an escape stands for, once its backslash is read.
int Lexer::scanEscape(const SourceLocation& at) {
    constexpr std::string_view kLetters = "ntrabfv\\\"'?";
    constexpr std::string_view kMeanings = "\n\t\r\a\b\f\v\\\"'?";
    int c = peek();
    if (isOctalDigit(c)) return scanOctalEscape(at);
    if (c == '\n' || c == kEndOfText) return '\\';
    advance();
    if (c == 'x') return scanHexEscape(at);
    if (size_t known = kLetters.find(char(c)); known != std::string_view::npos)
        return kMeanings[known];
    if (!fQuiet) fDiagnostics.warning(at, std::string("unknown escape '\\") + char(c) + "'");
    return c;
}

int Lexer::scanOctalEscape(const SourceLocation& at) {
    int value = 0;
    for (int digits = 0; digits < kOctalEscapeDigits && isOctalDigit(peek()); ++digits) {
        value = value * 8 + (peek() - '0');
        advance();
    }
    if (value > kLargestByte) report(at, "octal escape out of range");
    return value & kLargestByte;
}

int Lexer::scanHexEscape(const SourceLocation& at) {
    if (hexDigitValue(peek()) < 0) {
        report(at, "'\\x' with no hexadecimal digits");
        return 'x';
    }
    int value = 0;
    bool outOfRange = false;
    for (int digit = hexDigitValue(peek()); digit >= 0; digit = hexDigitValue(peek())) {
        value = value * 16 + digit;
        if (value > kLargestByte) {
            outOfRange = true;
            value &= kLargestByte;
        }
        advance();
    }
    if (outOfRange) report(at, "hexadecimal escape out of range");
    return value;
}

void Lexer::scanPunctuation(Lexeme& lexeme) {
    char first = char(peek()), second = char(peek(1));
    for (const Punctuation& punctuation : kPunctuation) {
        std::string_view text = punctuation.text;
        if (text[0] != first || (text.size() == 2 && text[1] != second)) continue;
        for (size_t c = 0; c < text.size(); ++c)
            advance();
        lexeme.token.kind = punctuation.kind;
        lexeme.token.text = text;
        lexeme.punctuator = punctuation.punctuator;
        return;
    }
    scanStray(lexeme);
}

// A character that begins no token: one byte, or a whole UTF-8 sequence.
void Lexer::scanStray(Lexeme& lexeme) {
    size_t length = std::max<size_t>(1, utf8SequenceLength(fText.substr(fPos)));
    lexeme.token.text = fText.substr(fPos, length);
    lexeme.punctuator = Punctuator::kStray;
    for (size_t c = 0; c < length; ++c)
        advance();
}

void Lexer::report(const SourceLocation& at, std::string message) {
    if (!fQuiet) fDiagnostics.error(at, std::move(message));
}

} // namespace quelmark::sl
