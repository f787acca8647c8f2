#include "shadinglang/Token.h"

namespace quelmark::sl {

const char* describe(TokenKind kind) {
    switch (kind) {
    case TokenKind::kEnd: return "end of file";
    case TokenKind::kIdentifier: return "identifier";
    case TokenKind::kNumber: return "number";
    case TokenKind::kString: return "string";
    case TokenKind::kSurface: return "'surface'";
    case TokenKind::kLight: return "'light'";
    case TokenKind::kDisplacement: return "'displacement'";
    case TokenKind::kVolume: return "'volume'";
    case TokenKind::kImager: return "'imager'";
    case TokenKind::kFloat: return "'float'";
    case TokenKind::kStringType: return "'string'";
    case TokenKind::kColor: return "'color'";
    case TokenKind::kPoint: return "'point'";
    case TokenKind::kVector: return "'vector'";
    case TokenKind::kNormal: return "'normal'";
    case TokenKind::kMatrix: return "'matrix'";
    case TokenKind::kVoid: return "'void'";
    case TokenKind::kUniform: return "'uniform'";
    case TokenKind::kVarying: return "'varying'";
    case TokenKind::kOutput: return "'output'";
    case TokenKind::kExtern: return "'extern'";
    case TokenKind::kIf: return "'if'";
    case TokenKind::kElse: return "'else'";
    case TokenKind::kWhile: return "'while'";
    case TokenKind::kFor: return "'for'";
    case TokenKind::kBreak: return "'break'";
    case TokenKind::kContinue: return "'continue'";
    case TokenKind::kReturn: return "'return'";
    case TokenKind::kIlluminate: return "'illuminate'";
    case TokenKind::kIlluminance: return "'illuminance'";
    case TokenKind::kSolar: return "'solar'";
    case TokenKind::kGather: return "'gather'";
    case TokenKind::kLeftParen: return "'('";
    case TokenKind::kRightParen: return "')'";
    case TokenKind::kLeftBrace: return "'{'";
    case TokenKind::kRightBrace: return "'}'";
    case TokenKind::kLeftBracket: return "'['";
    case TokenKind::kRightBracket: return "']'";
    case TokenKind::kSemicolon: return "';'";
    case TokenKind::kComma: return "','";
    case TokenKind::kQuestion: return "'?'";
    case TokenKind::kColon: return "':'";
    case TokenKind::kDot: return "'.'";
    case TokenKind::kPlus: return "'+'";
    case TokenKind::kMinus: return "'-'";
    case TokenKind::kStar: return "'*'";
    case TokenKind::kSlash: return "'/'";
    case TokenKind::kCaret: return "'^'";
    case TokenKind::kNot: return "'!'";
    case TokenKind::kAssign: return "'='";
    case TokenKind::kPlusAssign: return "'+='";
    case TokenKind::kMinusAssign: return "'-='";
    case TokenKind::kStarAssign: return "'*='";
    case TokenKind::kSlashAssign: return "'/='";
    case TokenKind::kPlusPlus: return "'++'";
    case TokenKind::kMinusMinus: return "'--'";
    case TokenKind::kEqual: return "'=='";
    case TokenKind::kNotEqual: return "'!='";
    case TokenKind::kLess: return "'<'";
    case TokenKind::kLessEqual: return "'<='";
    case TokenKind::kGreater: return "'>'";
    case TokenKind::kGreaterEqual: return "'>='";
    case TokenKind::kAnd: return "'&&'";
    case TokenKind::kOr: return "'||'";
    }
    return "token";
}

} // namespace quelmark::sl
