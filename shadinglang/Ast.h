// The syntax tree of a shading-language source file, as the parser builds
// it and the checker annotates it: shader and function definitions, their
// statements and expressions, each with the place it was written.
#ifndef QEL_SHADINGLANG_AST_H
#define QEL_SHADINGLANG_AST_H

#include "shadinglang/SourceLocation.h"
#include "shadinglang/Token.h"
#include "shadercode/Types.h"

#include <memory>
#include <string>
#include <vector>

namespace quelmark::sl {

struct Expression;
struct Statement;
struct Declaration;
struct FunctionDefinition;
struct GlobalVariable;  // shadinglang/GlobalVariables.h
struct BuiltinFunction; // shadinglang/Builtins.h
using ExpressionPtr = std::unique_ptr<Expression>;
using StatementPtr = std::unique_ptr<Statement>;

enum class ExpressionKind {
    kNumber,      // number
    kString,      // text
    kVariable,    // name
    kIndex,       // operands[0][operands[1]]
    kCall,        // name(operands...)
    kUnary,       // op operands[0]: '-' or '!'
    kBinary,      // operands[0] op operands[1]
    kAssign,      // operands[0] op operands[1]; op '=', '+=', '-=', '*=' or '/='
    kConditional, // operands[0] ? operands[1] : operands[2]
    kTuple,       // (a, b, c) or the sixteen values of a matrix
    kArray,       // {a, b, ...}, an array's initial values
    kCast,        // castTo [space] operands[0]
};

struct Expression {
    ExpressionKind kind = ExpressionKind::kNumber;
    SourceLocation location;
    double number = 0;
    std::string name; // a variable's or function's name; a string's text
    TokenKind op = TokenKind::kEnd;
    BasicType castTo = BasicType::kVoid;
    std::string space; // a cast's space or colour space; empty when none
    std::vector<ExpressionPtr> operands;

    // Set by the checker.
    Type type;
    // Set by the checker for a variable: what it names, seen through any
    // extern declaration; one of the two, or neither after an error. In a
    // function outside every shader the predefined variable is the entry
    // of the first kind that has it: look it up by name in the kind being
    // compiled.
    const Declaration* declaration = nullptr;
    const GlobalVariable* global = nullptr;
    // Set by the checker for a call: the overload of the standard library
    // (an entry of its table, which lives as long as the program) or the
    // function of this file it calls; one of the two, or neither after an
    // error.
    const BuiltinFunction* builtin = nullptr;
    const FunctionDefinition* function = nullptr;
};

// One variable of a definition: `uniform float Kd = 0.5`, `color c[4]`.
struct Declaration {
    SourceLocation location;
    // The checker settles the detail: a shader parameter written without
    // one is uniform, an extern declaration has its variable's. A function
    // parameter written without one takes its argument's at each call. A
    // local array written without its length gets its initial value's.
    Type type;
    bool detailGiven = false; // uniform or varying was written
    bool output = false;
    bool isExtern = false;
    std::string name;
    ExpressionPtr init; // null when none
};

enum class StatementKind {
    kExpression,  // expression;
    kDeclaration, // declarations...;
    kBlock,       // { body }
    kIf,          // if (condition) body[0] [else body[1]]
    kWhile,       // while (condition) body[0]
    kFor,         // for (init; condition; step) body[0]
    kBreak,       // break [levels];
    kContinue,    // continue [levels];
    kReturn,      // return [value];
    kIlluminance, // illuminance (arguments) body[0]
    kIlluminate,  // illuminate (arguments) body[0]
    kSolar,       // solar (arguments) body[0]
    kGather,      // gather (arguments) body[0] [else body[1]]
    kFunction,    // a function defined inside a shader or function
    kEmpty,       // ;
};

struct Statement {
    StatementKind kind = StatementKind::kEmpty;
    SourceLocation location;
    ExpressionPtr expression; // the statement's expression, the return value, or the loop's condition
    ExpressionPtr init, step; // of a for loop
    std::vector<ExpressionPtr> arguments; // of the light loops and gather
    std::vector<Declaration> declarations;
    std::vector<StatementPtr> body;
    int levels = 1; // of break and continue
    std::unique_ptr<FunctionDefinition> function;

    // Set by the checker for if, the loops, the light loops and gather:
    // varying when the points running it may part ways: the condition is
    // varying, or points may leave a loop at different times (a break,
    // continue or return under a varying condition). Light loops and
    // gather are always varying.
    Detail detail = Detail::kUniform;
};

struct FunctionDefinition {
    SourceLocation location;
    Type result; // void when none was written
    std::string name;
    std::vector<Declaration> parameters;
    std::vector<StatementPtr> body;
};

struct ShaderDefinition {
    SourceLocation location;
    ShaderKind kind = ShaderKind::kSurface;
    std::string name;
    std::vector<Declaration> parameters;
    std::vector<StatementPtr> body;
};

// A source file: its functions and shaders in the order written.
struct SourceFile {
    std::vector<std::unique_ptr<FunctionDefinition>> functions;
    std::vector<std::unique_ptr<ShaderDefinition>> shaders;
};

} // namespace quelmark::sl

#endif
