#include "shadinglang/Parser.h"

#include <array>
#include <cmath>
#include <utility>

namespace quelmark::sl {

namespace {

// Thrown past a syntax error, once reported, to the statement or definition
// being parsed, which skips to where parsing can go on.
struct SyntaxError {};

bool isTypeKeyword(TokenKind kind) {
    switch (kind) {
    case TokenKind::kFloat:
    case TokenKind::kStringType:
    case TokenKind::kColor:
    case TokenKind::kPoint:
    case TokenKind::kVector:
    case TokenKind::kNormal:
    case TokenKind::kMatrix:
    case TokenKind::kVoid:
        return true;
    default:
        return false;
    }
}

bool isQualifier(TokenKind kind) {
    return kind == TokenKind::kUniform || kind == TokenKind::kVarying ||
           kind == TokenKind::kOutput || kind == TokenKind::kExtern;
}

BasicType basicTypeOf(TokenKind kind) {
    switch (kind) {
    case TokenKind::kFloat:
        return BasicType::kFloat;
    case TokenKind::kStringType:
        return BasicType::kString;
    case TokenKind::kColor:
        return BasicType::kColor;
    case TokenKind::kPoint:
        return BasicType::kPoint;
    case TokenKind::kVector:
        return BasicType::kVector;
    case TokenKind::kNormal:
        return BasicType::kNormal;
    case TokenKind::kMatrix:
        return BasicType::kMatrix;
    default:
        return BasicType::kVoid;
    }
}

bool isShaderKind(TokenKind kind) {
    return kind == TokenKind::kSurface || kind == TokenKind::kLight ||
           kind == TokenKind::kDisplacement || kind == TokenKind::kVolume ||
           kind == TokenKind::kImager;
}

ShaderKind shaderKindOf(TokenKind kind) {
    switch (kind) {
    case TokenKind::kLight:
        return ShaderKind::kLight;
    case TokenKind::kDisplacement:
        return ShaderKind::kDisplacement;
    case TokenKind::kVolume:
        return ShaderKind::kVolume;
    case TokenKind::kImager:
        return ShaderKind::kImager;
    default:
        return ShaderKind::kSurface;
    }
}

bool isAssignment(TokenKind kind) {
    return kind == TokenKind::kAssign || kind == TokenKind::kPlusAssign ||
           kind == TokenKind::kMinusAssign || kind == TokenKind::kStarAssign ||
           kind == TokenKind::kSlashAssign;
}

// The binary operators from the loosest to the tightest binding; all group
// left to right.
constexpr int kBinaryLevels = 7;
bool bindsAt(int level, TokenKind kind) {
    switch (level) {
    case 0:
        return kind == TokenKind::kOr;
    case 1:
        return kind == TokenKind::kAnd;
    case 2:
        return kind == TokenKind::kEqual || kind == TokenKind::kNotEqual ||
               kind == TokenKind::kLess || kind == TokenKind::kLessEqual ||
               kind == TokenKind::kGreater || kind == TokenKind::kGreaterEqual;
    case 3:
        return kind == TokenKind::kPlus || kind == TokenKind::kMinus;
    case 4:
        return kind == TokenKind::kCaret;
    case 5:
        return kind == TokenKind::kStar || kind == TokenKind::kSlash;
    case 6:
        return kind == TokenKind::kDot;
    default:
        return false;
    }
}

// A tuple is a triple or the sixteen values of a matrix.
constexpr size_t kTripleValues = 3, kMatrixValues = 16;

// The qualifiers and type that begin a definition of variables.
struct DeclaredType {
    SourceLocation location;
    Type type;
    bool detailGiven = false, output = false, isExtern = false;
};

class Parser {
public:
    Parser(const std::vector<Token>& tokens, Diagnostics& diagnostics)
        : fTokens(tokens), fDiagnostics(diagnostics) {}

    SourceFile file() {
        SourceFile file;
        while (!at(TokenKind::kEnd)) {
            try {
                definition(file);
            } catch (const SyntaxError&) {
                skipDefinition();
            }
        }
        return file;
    }

private:
    // Counts how deep the parse is nested while it lives.
    class Nesting {
    public:
        explicit Nesting(Parser& parser, int links = 1) : fParser(parser), fLinks(links) {
            fParser.fDepth += fLinks;
            fParser.fTreeDepth += fLinks;
            if (fParser.fDepth > kMostNesting || fParser.fTreeDepth > kDeepestParseTree) {
                release();
                fParser.fail(fParser.peek(), "nested too deeply");
            }
        }
        ~Nesting() { release(); }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;

        // One more operator chained at this level: the tree is one deeper,
        // the parser's own recursion is not.
        void chain() {
            ++fChained;
            if (++fParser.fTreeDepth > kDeepestParseTree) fParser.fail(fParser.peek(), "nested too deeply");
        }

    private:
        void release() {
            fParser.fDepth -= fLinks;
            fParser.fTreeDepth -= fLinks + fChained;
            fLinks = fChained = 0;
        }

        Parser& fParser;
        int fLinks, fChained = 0;
    };

    // Tokens.
    const Token& peek(size_t ahead = 0) const {
        return fTokens[std::min(fNext + ahead, fTokens.size() - 1)];
    }
    bool at(TokenKind kind, size_t ahead = 0) const { return peek(ahead).kind == kind; }
    const Token& advance() {
        const Token& token = peek();
        if (fNext + 1 < fTokens.size()) ++fNext;
        return token;
    }
    bool accept(TokenKind kind) {
        if (!at(kind)) return false;
        advance();
        return true;
    }
    const Token& expect(TokenKind kind, const char* where) {
        if (!at(kind))
            fail(peek(), std::string("expected ") + describe(kind) + " " + where + ", found " +
                             found(peek()));
        return advance();
    }
    static std::string found(const Token& token) {
        if (token.kind == TokenKind::kIdentifier) return "'" + token.text + "'";
        if (token.kind == TokenKind::kNumber) return "the number " + token.text;
        if (token.kind == TokenKind::kString) return "a string";
        return describe(token.kind);
    }
    [[noreturn]] void fail(const Token& at, const std::string& message) {
        fDiagnostics.error(at.location, message);
        throw SyntaxError();
    }

    // Recovery: past the statement or definition that had the error.
    void skipBalancedBlock() {
        int depth = 0;
        do {
            if (at(TokenKind::kLeftBrace)) ++depth;
            if (at(TokenKind::kRightBrace)) --depth;
            advance();
        } while (depth > 0 && !at(TokenKind::kEnd));
    }
    void skipStatement() {
        while (!at(TokenKind::kEnd) && !at(TokenKind::kRightBrace)) {
            if (at(TokenKind::kLeftBrace)) {
                skipBalancedBlock();
                return;
            }
            if (accept(TokenKind::kSemicolon)) return;
            advance();
        }
    }
    void skipDefinition() {
        while (!at(TokenKind::kEnd)) {
            if (at(TokenKind::kLeftBrace)) {
                skipBalancedBlock();
                return;
            }
            advance();
        }
    }

    // Definitions.
    void definition(SourceFile& file) {
        if (accept(TokenKind::kSemicolon)) return;
        if (isShaderKind(peek().kind)) {
            file.shaders.push_back(shader());
            return;
        }
        Type result;
        SourceLocation location = peek().location;
        if (isTypeKeyword(peek().kind) || isQualifier(peek().kind)) {
            DeclaredType declared = declaredType(true);
            if (declared.output || declared.isExtern)
                fail(peek(), "a function's result cannot be output or extern");
            result = declared.type;
        }
        if (!at(TokenKind::kIdentifier) || !at(TokenKind::kLeftParen, 1))
            fail(peek(), "expected a shader or function definition, found " + found(peek()));
        file.functions.push_back(function(result, location));
    }

    std::unique_ptr<ShaderDefinition> shader() {
        auto shader = std::make_unique<ShaderDefinition>();
        shader->location = peek().location;
        shader->kind = shaderKindOf(advance().kind);
        shader->name = expect(TokenKind::kIdentifier, "naming the shader").text;
        expect(TokenKind::kLeftParen, "before the shader's parameters");
        shader->parameters = formals(true);
        expect(TokenKind::kLeftBrace, "before the shader's body");
        shader->body = blockBody();
        return shader;
    }

    std::unique_ptr<FunctionDefinition> function(const Type& result,
                                                 const SourceLocation& location) {
        auto function = std::make_unique<FunctionDefinition>();
        function->location = location;
        function->result = result;
        function->name = advance().text;
        expect(TokenKind::kLeftParen, "before the function's parameters");
        function->parameters = formals(false);
        expect(TokenKind::kLeftBrace, "before the function's body");
        function->body = blockBody();
        return function;
    }

    // Groups of parameters of one type, separated by ';' (or ','), up to ')'.
    std::vector<Declaration> formals(bool shaderParameters) {
        std::vector<Declaration> parameters;
        for (;;) {
            while (accept(TokenKind::kSemicolon)) {
            }
            if (accept(TokenKind::kRightParen)) return parameters;
            DeclaredType declared = declaredType(false);
            if (declared.isExtern) fail(peek(), "a parameter cannot be extern");
            const size_t first = parameters.size();
            const bool anotherGroup = declarators(declared, parameters, true);
            if (shaderParameters)
                for (size_t k = first; k < parameters.size(); ++k)
                    if (!parameters[k].init)
                        fDiagnostics.error(parameters[k].location,
                                           "the shader parameter '" + parameters[k].name +
                                               "' needs a default value");
            if (anotherGroup || at(TokenKind::kSemicolon) || at(TokenKind::kRightParen)) continue;
            fail(peek(), "expected ';' or ')' after the parameters, found " + found(peek()));
        }
    }

    DeclaredType declaredType(bool allowVoid) {
        DeclaredType declared;
        declared.location = peek().location;
        bool detail = false;
        while (isQualifier(peek().kind)) {
            const Token& qualifier = advance();
            switch (qualifier.kind) {
            case TokenKind::kUniform:
            case TokenKind::kVarying:
                if (detail) fail(qualifier, "uniform or varying given twice");
                detail = true;
                declared.type.detail =
                    qualifier.kind == TokenKind::kUniform ? Detail::kUniform : Detail::kVarying;
                break;
            case TokenKind::kOutput:
                if (declared.output) fail(qualifier, "output given twice");
                declared.output = true;
                break;
            default:
                if (declared.isExtern) fail(qualifier, "extern given twice");
                declared.isExtern = true;
                break;
            }
        }
        declared.detailGiven = detail;
        if (!isTypeKeyword(peek().kind)) fail(peek(), "expected a type, found " + found(peek()));
        const Token& type = advance();
        if (type.kind == TokenKind::kVoid && !allowVoid) fail(type, "a variable cannot be void");
        declared.type.basic = basicTypeOf(type.kind);
        return declared;
    }

    // name [ '[' length ']' ] [ '=' value ], repeated after ','. Among
    // parameters a ',' may also be followed by another group's type, and
    // then the result is true.
    bool declarators(const DeclaredType& declared, std::vector<Declaration>& into, bool parameters) {
        do {
            if (parameters && (isTypeKeyword(peek().kind) || isQualifier(peek().kind)) &&
                !into.empty())
                return true;
            Declaration declaration;
            declaration.location = peek().location;
            declaration.type = declared.type;
            declaration.detailGiven = declared.detailGiven;
            declaration.output = declared.output;
            declaration.isExtern = declared.isExtern;
            declaration.name = expect(TokenKind::kIdentifier, "naming a variable").text;
            if (accept(TokenKind::kLeftBracket)) {
                declaration.type.arrayLength = at(TokenKind::kRightBracket) ? -1 : arrayLength();
                expect(TokenKind::kRightBracket, "after the array's length");
            }
            if (accept(TokenKind::kAssign)) declaration.init = expression();
            into.push_back(std::move(declaration));
        } while (accept(TokenKind::kComma));
        return false;
    }

    int arrayLength() {
        const Token& length = expect(TokenKind::kNumber, "as the array's length");
        if (!(length.number >= 1 && length.number <= kMostArrayLength) ||
            length.number != std::floor(length.number))
            fail(length, "an array's length must be a whole number from 1 to " +
                             std::to_string(kMostArrayLength));
        return int(length.number);
    }
    static constexpr int kMostArrayLength = 1 << 20;

    // Statements.
    std::vector<StatementPtr> blockBody() {
        std::vector<StatementPtr> body;
        while (!accept(TokenKind::kRightBrace)) {
            if (at(TokenKind::kEnd)) fail(peek(), "the file ends inside a block");
            try {
                body.push_back(statement());
            } catch (const SyntaxError&) {
                skipStatement();
            }
        }
        return body;
    }

    StatementPtr statement() {
        Nesting nesting(*this);
        auto statement = std::make_unique<Statement>();
        statement->location = peek().location;
        switch (peek().kind) {
        case TokenKind::kSemicolon:
            advance();
            return statement;
        case TokenKind::kLeftBrace:
            advance();
            statement->kind = StatementKind::kBlock;
            statement->body = blockBody();
            return statement;
        case TokenKind::kIf:
            return ifStatement(std::move(statement));
        case TokenKind::kWhile:
            advance();
            statement->kind = StatementKind::kWhile;
            statement->expression = condition();
            statement->body.push_back(this->statement());
            return statement;
        case TokenKind::kFor:
            return forStatement(std::move(statement));
        case TokenKind::kBreak:
        case TokenKind::kContinue:
            return loopModifier(std::move(statement));
        case TokenKind::kReturn:
            advance();
            statement->kind = StatementKind::kReturn;
            if (!at(TokenKind::kSemicolon)) statement->expression = expression();
            expect(TokenKind::kSemicolon, "after the return");
            return statement;
        case TokenKind::kIlluminance:
        case TokenKind::kIlluminate:
        case TokenKind::kSolar:
        case TokenKind::kGather:
            return lightLoop(std::move(statement));
        default:
            break;
        }
        if (startsDefinition()) return definitionStatement(std::move(statement));
        statement->kind = StatementKind::kExpression;
        statement->expression = expression();
        expect(TokenKind::kSemicolon, "after the expression");
        return statement;
    }

    // A type (not a cast's: a cast is followed by a space or a value, not a name).
    bool startsDefinition() const {
        if (isQualifier(peek().kind)) return true;
        return isTypeKeyword(peek().kind) && at(TokenKind::kIdentifier, 1);
    }

    StatementPtr definitionStatement(StatementPtr statement) {
        DeclaredType declared = declaredType(true);
        if (at(TokenKind::kIdentifier) && at(TokenKind::kLeftParen, 1)) {
            if (declared.output || declared.isExtern)
                fail(peek(), "a function's result cannot be output or extern");
            statement->kind = StatementKind::kFunction;
            statement->function = function(declared.type, declared.location);
            return statement;
        }
        if (declared.type.basic == BasicType::kVoid) fail(peek(), "a variable cannot be void");
        if (declared.output) fail(peek(), "only parameters can be output");
        statement->kind = StatementKind::kDeclaration;
        declarators(declared, statement->declarations, false);
        expect(TokenKind::kSemicolon, "after the variables");
        return statement;
    }

    ExpressionPtr condition() {
        expect(TokenKind::kLeftParen, "before the condition");
        ExpressionPtr condition = expression();
        expect(TokenKind::kRightParen, "after the condition");
        return condition;
    }

    StatementPtr ifStatement(StatementPtr statement) {
        advance();
        statement->kind = StatementKind::kIf;
        statement->expression = condition();
        statement->body.push_back(this->statement());
        if (accept(TokenKind::kElse)) statement->body.push_back(this->statement());
        return statement;
    }

    StatementPtr forStatement(StatementPtr statement) {
        advance();
        statement->kind = StatementKind::kFor;
        expect(TokenKind::kLeftParen, "after 'for'");
        if (!at(TokenKind::kSemicolon)) statement->init = expression();
        expect(TokenKind::kSemicolon, "after the loop's start");
        if (!at(TokenKind::kSemicolon)) statement->expression = expression();
        expect(TokenKind::kSemicolon, "after the loop's condition");
        if (!at(TokenKind::kRightParen)) statement->step = expression();
        expect(TokenKind::kRightParen, "after the loop's step");
        statement->body.push_back(this->statement());
        return statement;
    }

    StatementPtr loopModifier(StatementPtr statement) {
        statement->kind =
            advance().kind == TokenKind::kBreak ? StatementKind::kBreak : StatementKind::kContinue;
        if (at(TokenKind::kNumber)) {
            const Token& levels = advance();
            if (!(levels.number >= 1 && levels.number <= kMostNesting) ||
                levels.number != std::floor(levels.number))
                fail(levels, "the loops to leave must be a whole number from 1");
            statement->levels = int(levels.number);
        }
        expect(TokenKind::kSemicolon, "after the loop statement");
        return statement;
    }

    StatementPtr lightLoop(StatementPtr statement) {
        const TokenKind kind = advance().kind;
        statement->kind = kind == TokenKind::kIlluminance  ? StatementKind::kIlluminance
                          : kind == TokenKind::kIlluminate ? StatementKind::kIlluminate
                          : kind == TokenKind::kSolar      ? StatementKind::kSolar
                                                           : StatementKind::kGather;
        expect(TokenKind::kLeftParen, "before the loop's arguments");
        if (!at(TokenKind::kRightParen)) statement->arguments = expressionList();
        expect(TokenKind::kRightParen, "after the loop's arguments");
        statement->body.push_back(this->statement());
        if (kind == TokenKind::kGather && accept(TokenKind::kElse))
            statement->body.push_back(this->statement());
        return statement;
    }

    // Expressions.
    std::vector<ExpressionPtr> expressionList() {
        std::vector<ExpressionPtr> list;
        do
            list.push_back(expression());
        while (accept(TokenKind::kComma));
        return list;
    }

    ExpressionPtr make(ExpressionKind kind, const SourceLocation& location) {
        auto expression = std::make_unique<Expression>();
        expression->kind = kind;
        expression->location = location;
        return expression;
    }

    ExpressionPtr expression() {
        Nesting nesting(*this);
        ExpressionPtr target = conditional();
        if (!isAssignment(peek().kind)) return target;
        const Token& op = advance();
        if (target->kind != ExpressionKind::kVariable && target->kind != ExpressionKind::kIndex)
            fail(op, "only a variable or an element of an array can be assigned to");
        auto assignment = make(ExpressionKind::kAssign, op.location);
        assignment->op = op.kind;
        assignment->operands.push_back(std::move(target));
        assignment->operands.push_back(expression());
        return assignment;
    }

    ExpressionPtr conditional() {
        ExpressionPtr condition = binary(0);
        if (!at(TokenKind::kQuestion)) return condition;
        auto choice = make(ExpressionKind::kConditional, advance().location);
        choice->operands.push_back(std::move(condition));
        choice->operands.push_back(expression());
        expect(TokenKind::kColon, "between the choices");
        Nesting nesting(*this);
        choice->operands.push_back(conditional());
        return choice;
    }

    ExpressionPtr binary(int level) {
        if (level == kBinaryLevels) return unary();
        Nesting chained(*this, 0);
        ExpressionPtr left = binary(level + 1);
        while (bindsAt(level, peek().kind)) {
            chained.chain();
            const Token& op = advance();
            auto combined = make(ExpressionKind::kBinary, op.location);
            combined->op = op.kind;
            combined->operands.push_back(std::move(left));
            combined->operands.push_back(binary(level + 1));
            left = std::move(combined);
        }
        return left;
    }

    ExpressionPtr unary() {
        Nesting nesting(*this);
        const Token& token = peek();
        switch (token.kind) {
        case TokenKind::kMinus:
        case TokenKind::kNot: {
            advance();
            auto negated = make(ExpressionKind::kUnary, token.location);
            negated->op = token.kind;
            negated->operands.push_back(unary());
            return negated;
        }
        case TokenKind::kPlus:
            advance();
            return unary();
        case TokenKind::kPlusPlus:
        case TokenKind::kMinusMinus: {
            advance();
            return stepped(unary(), token);
        }
        default:
            break;
        }
        if (isTypeKeyword(token.kind) && token.kind != TokenKind::kVoid) return cast();
        return postfix(primary());
    }

    // typecast [space] value: `color "hsv" (h, s, v)`, `point "world" P`.
    ExpressionPtr cast() {
        const Token& type = advance();
        auto cast = make(ExpressionKind::kCast, type.location);
        cast->castTo = basicTypeOf(type.kind);
        if (at(TokenKind::kString)) cast->space = advance().text;
        cast->operands.push_back(unary());
        return cast;
    }

    // ++x and x++ add one to x: the language uses them as statements.
    ExpressionPtr stepped(ExpressionPtr target, const Token& op) {
        if (target->kind != ExpressionKind::kVariable && target->kind != ExpressionKind::kIndex)
            fail(op, "only a variable or an element of an array can be stepped");
        auto step = make(ExpressionKind::kAssign, op.location);
        step->op = op.kind == TokenKind::kPlusPlus ? TokenKind::kPlusAssign : TokenKind::kMinusAssign;
        step->operands.push_back(std::move(target));
        auto one = make(ExpressionKind::kNumber, op.location);
        one->number = 1;
        step->operands.push_back(std::move(one));
        return step;
    }

    ExpressionPtr postfix(ExpressionPtr value) {
        for (;;) {
            if (at(TokenKind::kLeftBracket)) {
                auto index = make(ExpressionKind::kIndex, advance().location);
                index->operands.push_back(std::move(value));
                index->operands.push_back(expression());
                expect(TokenKind::kRightBracket, "after the index");
                value = std::move(index);
            } else if (at(TokenKind::kPlusPlus) || at(TokenKind::kMinusMinus)) {
                value = stepped(std::move(value), advance());
            } else {
                return value;
            }
        }
    }

    ExpressionPtr primary() {
        const Token& token = peek();
        switch (token.kind) {
        case TokenKind::kNumber: {
            advance();
            auto number = make(ExpressionKind::kNumber, token.location);
            number->number = token.number;
            return number;
        }
        case TokenKind::kString: {
            advance();
            auto text = make(ExpressionKind::kString, token.location);
            text->name = token.text;
            return text;
        }
        case TokenKind::kIdentifier:
            advance();
            if (at(TokenKind::kLeftParen)) return call(token);
            return variable(token);
        case TokenKind::kSurface:
        case TokenKind::kDisplacement:
        case TokenKind::kLight:
        case TokenKind::kVolume:
        case TokenKind::kImager:
            // surface("Kd", kd) and displacement(...) ask other shaders for values.
            if (!at(TokenKind::kLeftParen, 1)) break;
            advance();
            return call(token);
        case TokenKind::kLeftParen:
            return parenthesised();
        case TokenKind::kLeftBrace:
            return arrayValues();
        default:
            break;
        }
        fail(token, "expected a value, found " + found(token));
    }

    ExpressionPtr variable(const Token& name) {
        auto variable = make(ExpressionKind::kVariable, name.location);
        variable->name = name.text;
        return variable;
    }

    ExpressionPtr call(const Token& name) {
        auto call = make(ExpressionKind::kCall, name.location);
        call->name = name.text;
        advance(); // (
        if (!at(TokenKind::kRightParen)) call->operands = expressionList();
        expect(TokenKind::kRightParen, "after the arguments");
        return call;
    }

    // ( value ), or a triple, or the sixteen values of a matrix.
    ExpressionPtr parenthesised() {
        const Token& open = advance();
        std::vector<ExpressionPtr> values = expressionList();
        expect(TokenKind::kRightParen, "after the parenthesised values");
        if (values.size() == 1) return std::move(values[0]);
        if (values.size() != kTripleValues && values.size() != kMatrixValues)
            fail(open, "parentheses hold one value, three or sixteen, not " +
                           std::to_string(values.size()));
        auto tuple = make(ExpressionKind::kTuple, open.location);
        tuple->operands = std::move(values);
        return tuple;
    }

    ExpressionPtr arrayValues() {
        auto array = make(ExpressionKind::kArray, advance().location);
        if (!at(TokenKind::kRightBrace)) array->operands = expressionList();
        expect(TokenKind::kRightBrace, "after the array's values");
        return array;
    }

    const std::vector<Token>& fTokens;
    Diagnostics& fDiagnostics;
    size_t fNext = 0;
    int fDepth = 0, fTreeDepth = 0;
};

} // namespace

SourceFile parse(const std::vector<Token>& tokens, Diagnostics& diagnostics) {
    if (tokens.empty()) {
        std::vector<Token> end(1);
        return Parser(end, diagnostics).file();
    }
    return Parser(tokens, diagnostics).file();
}

} // namespace quelmark::sl
