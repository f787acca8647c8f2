// The tokens of the shading language, as the preprocessor hands them to
// the parser: macros expanded, directives and comments gone.
#ifndef QEL_SHADINGLANG_TOKEN_H
#define QEL_SHADINGLANG_TOKEN_H

#include "shadinglang/SourceLocation.h"

#include <string>

namespace quelmark::sl {

enum class TokenKind {
    kEnd, // after the last token of the source
    kIdentifier,
    kNumber, // every number is a float in the language
    kString, // the text between the quotes, escapes resolved

    // Shader kinds.
    kSurface, kLight, kDisplacement, kVolume, kImager,
    // Types and their qualifiers.
    kFloat, kStringType, kColor, kPoint, kVector, kNormal, kMatrix, kVoid,
    kUniform, kVarying, kOutput, kExtern,
    // Statements.
    kIf, kElse, kWhile, kFor, kBreak, kContinue, kReturn,
    kIlluminate, kIlluminance, kSolar, kGather,

    // Punctuation.
    kLeftParen, kRightParen, kLeftBrace, kRightBrace, kLeftBracket, kRightBracket,
    kSemicolon, kComma, kQuestion, kColon, kDot,
    // Operators.
    kPlus, kMinus, kStar, kSlash, kCaret, kNot,
    kAssign, kPlusAssign, kMinusAssign, kStarAssign, kSlashAssign,
    kPlusPlus, kMinusMinus,
    kEqual, kNotEqual, kLess, kLessEqual, kGreater, kGreaterEqual,
    kAnd, kOr,
};

struct Token {
    TokenKind kind = TokenKind::kEnd;
    std::string text;   // as written; for a string, its value
    double number = 0;  // for a number
    SourceLocation location;
};

// How a token kind is written in the source, for messages: "'{'", "'while'",
// "identifier", "number", "end of file".
const char* describe(TokenKind kind);

} // namespace quelmark::sl

#endif
