#include "shadinglang/CodeGen.h"

#include "shadercode/ShaderFile.h"
#include "shadinglang/Builtins.h"
#include "shadinglang/Checker.h"
#include "shadinglang/GlobalVariables.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace quelmark::sl {

namespace {

using enum BasicType;

constexpr std::int32_t kNoRegister = -1;
constexpr std::string_view kPiName = "PI";
constexpr float kPiValue = 3.14159265358979f;
constexpr float kDegreesPerHalfTurn = 180.0f;
constexpr std::size_t kMatrixValues = 16;
constexpr std::size_t kMatrixSide = 4;
// The spaces in which a cast changes nothing.
constexpr std::string_view kCurrentSpace = "current";
constexpr std::string_view kRgbSpace = "rgb";
// How deep the generator goes into the tree, through the functions it
// inlines; the checker holds a file it passes well below this.
constexpr int kDeepestWalk = 2 * kDeepestTree;

std::string quoted(std::string_view name) {
    return "'" + std::string(name) + "'";
}

Detail join(Detail a, Detail b) {
    return a == Detail::kVarying || b == Detail::kVarying ? Detail::kVarying : Detail::kUniform;
}

int widthOf(BasicType basic) {
    return Type{.basic = basic}.floats();
}

bool isTripleType(BasicType basic) {
    return Type{.basic = basic}.isTriple();
}

// The variable an assignment or an output argument writes: the variable,
// or the array whose element it is; null for anything else.
const Expression* writtenVariable(const Expression& target) {
    if (target.kind == ExpressionKind::kVariable) return &target;
    if (target.kind == ExpressionKind::kIndex &&
        target.operands[0]->kind == ExpressionKind::kVariable)
        return target.operands[0].get();
    return nullptr;
}

bool isPi(const Expression& variable) {
    return variable.kind == ExpressionKind::kVariable && !variable.declaration && variable.global &&
           variable.global->name == kPiName;
}

// A map's name with a [channel], as the first argument of the texture
// family.
bool isChannelSelection(const Expression& argument) {
    if (argument.kind != ExpressionKind::kIndex) return false;
    const Type& base = argument.operands[0]->type;
    return base.basic == kString && !base.isArray();
}

// The parameter of a standard-library overload that an argument is passed
// as, its extra arguments included.
BuiltinParameter parameterOf(const BuiltinFunction& function, std::size_t index) {
    const std::vector<BuiltinParameter>& parameters = function.parameters;
    if (index < parameters.size()) return parameters[index];
    if (function.extra == ExtraArguments::kMoreOfLast && !parameters.empty())
        return parameters.back();
    if (function.extra == ExtraArguments::kParameterList && (index - parameters.size()) % 2 == 0)
        return {.type = kString};
    return {.anyType = true};
}


// ---------------------------------------------------------------------------
// Constant folding.

// A value the compiler knows, as a constant register holds it.
struct KnownValue {
    BasicType basic = kFloat;
    int arrayLength = 0;
    std::vector<float> floats{};
    std::vector<std::string> strings{};
};

KnownValue knownFloat(float value) {
    return {.basic = kFloat, .floats = {value}};
}

bool allFinite(const std::vector<float>& values) {
    return std::ranges::all_of(values, [](float value) { return std::isfinite(value); });
}

// One number's values as another type holds them: a float fills a triple,
// or a matrix's diagonal; a value as wide stays as it is.
std::optional<std::vector<float>> widenedValues(std::span<const float> values, BasicType to) {
    const auto width = std::size_t(widthOf(to));
    if (width == 0) return std::nullopt;
    if (values.size() == width) return std::vector<float>(values.begin(), values.end());
    if (values.size() != 1) return std::nullopt;
    if (to != kMatrix) return std::vector<float>(width, values[0]);
    std::vector<float> diagonal(kMatrixValues, 0.0f);
    for (std::size_t k = 0; k < kMatrixSide; ++k)
        diagonal[k * (kMatrixSide + 1)] = values[0];
    return diagonal;
}

// The value as a register of the type holds it; none when it does not
// convert. An array keeps its length.
std::optional<KnownValue> convertedTo(const KnownValue& value, const Type& type) {
    if (type.isArray() != (value.arrayLength > 0)) return std::nullopt;
    if (type.basic == kString || value.basic == kString) {
        if (type.basic != value.basic) return std::nullopt;
        return value;
    }
    const auto elements = std::size_t(std::max(value.arrayLength, 1));
    const std::size_t fromWidth = value.floats.size() / elements;
    KnownValue converted{.basic = type.basic, .arrayLength = value.arrayLength};
    const std::span<const float> all(value.floats);
    for (std::size_t element = 0; element < elements; ++element) {
        const std::optional<std::vector<float>> values =
            widenedValues(all.subspan(element * fromWidth, fromWidth), type.basic);
        if (!values) return std::nullopt;
        converted.floats.insert(converted.floats.end(), values->begin(), values->end());
    }
    return converted;
}

std::optional<float> foldedOneArgument(BuiltinOp op, float x) {
    switch (op) {
    case BuiltinOp::kRadians:
        return x * (kPiValue / kDegreesPerHalfTurn);
    case BuiltinOp::kDegrees:
        return x * (kDegreesPerHalfTurn / kPiValue);
    case BuiltinOp::kSin:
        return std::sin(x);
    case BuiltinOp::kCos:
        return std::cos(x);
    case BuiltinOp::kTan:
        return std::tan(x);
    case BuiltinOp::kAsin:
        return std::asin(x);
    case BuiltinOp::kAcos:
        return std::acos(x);
    case BuiltinOp::kAtan:
        return std::atan(x);
    case BuiltinOp::kExp:
        return std::exp(x);
    case BuiltinOp::kSqrt:
        return std::sqrt(x);
    case BuiltinOp::kLog:
        return std::log(x);
    case BuiltinOp::kAbs:
        return std::fabs(x);
    case BuiltinOp::kFloor:
        return std::floor(x);
    case BuiltinOp::kCeil:
        return std::ceil(x);
    default:
        return std::nullopt;
    }
}

std::optional<float> foldedTwoArguments(BuiltinOp op, float x, float y) {
    switch (op) {
    case BuiltinOp::kAtan:
        return std::atan2(x, y);
    case BuiltinOp::kPow:
        return std::pow(x, y);
    case BuiltinOp::kLog:
        return std::log(x) / std::log(y);
    default:
        return std::nullopt;
    }
}

// The value of a call of the standard library on float constants, for the
// calls the compiler evaluates; none for the others.
std::optional<float> foldedCall(BuiltinOp op, const std::vector<float>& arguments) {
    constexpr std::size_t kClampArguments = 3;
    if (arguments.size() == 1) {
        if (std::optional<float> value = foldedOneArgument(op, arguments[0])) return value;
    }
    if (arguments.size() == 2) {
        if (std::optional<float> value = foldedTwoArguments(op, arguments[0], arguments[1]))
            return value;
    }
    if (op == BuiltinOp::kMin && arguments.size() >= 2) return std::ranges::min(arguments);
    if (op == BuiltinOp::kMax && arguments.size() >= 2) return std::ranges::max(arguments);
    if (op == BuiltinOp::kClamp && arguments.size() == kClampArguments)
        return std::min(std::max(arguments[0], arguments[1]), arguments[2]);
    return std::nullopt;
}

// A cast without a space, to "current", or of a colour to "rgb".
bool castChangesNothing(const Expression& cast) {
    if (cast.space.empty()) return true;
    if (cast.castTo == kColor) return cast.space == kRgbSpace;
    return (isTripleType(cast.castTo) || cast.castTo == kMatrix) && cast.space == kCurrentSpace;
}

float arithmetic(TokenKind op, float a, float b) {
    switch (op) {
    case TokenKind::kPlus:
        return a + b;
    case TokenKind::kMinus:
        return a - b;
    case TokenKind::kStar:
        return a * b;
    default:
        return a / b;
    }
}

bool isArithmetic(TokenKind op) {
    return op == TokenKind::kPlus || op == TokenKind::kMinus || op == TokenKind::kStar ||
           op == TokenKind::kSlash;
}

// Evaluates the constant expressions of the language (see CodeGen.h); an
// expression found not constant is remembered, so that a tree is looked at
// once however often its parts are asked about.
class ConstantFolder {
public:
    std::optional<KnownValue> fold(const Expression& expression) {
        if (fNotConstant.contains(&expression)) return std::nullopt;
        std::optional<KnownValue> value = compute(expression);
        if (value && value->basic != kString && !allFinite(value->floats)) {
            fOverflowed = true;
            value.reset();
        }
        if (!value) fNotConstant.insert(&expression);
        return value;
    }

    // Whether a value met since the last call was no finite float: too
    // large, or a function's value where it has none.
    bool overflowed() { return std::exchange(fOverflowed, false); }

private:
    std::optional<KnownValue> compute(const Expression& expression) {
        switch (expression.kind) {
        case ExpressionKind::kNumber:
            return knownFloat(float(expression.number));
        case ExpressionKind::kString:
            return KnownValue{.basic = kString, .strings = {expression.name}};
        case ExpressionKind::kVariable:
            if (isPi(expression)) return knownFloat(kPiValue);
            return std::nullopt;
        case ExpressionKind::kUnary:
            return unary(expression);
        case ExpressionKind::kBinary:
            return binary(expression);
        case ExpressionKind::kTuple:
            return tuple(expression);
        case ExpressionKind::kArray:
            return arrayValues(expression);
        case ExpressionKind::kCast:
            return cast(expression);
        case ExpressionKind::kCall:
            return call(expression);
        default:
            return std::nullopt;
        }
    }

    // A single number: a float, a triple or a matrix.
    std::optional<KnownValue> number(const Expression& expression) {
        std::optional<KnownValue> value = fold(expression);
        if (!value || value->arrayLength > 0 || value->basic == kString) return std::nullopt;
        return value;
    }

    std::optional<float> oneFloat(const Expression& expression) {
        std::optional<KnownValue> value = number(expression);
        if (!value || value->basic != kFloat) return std::nullopt;
        return value->floats[0];
    }

    [[gnu::noinline]] std::optional<KnownValue> unary(const Expression& unary) {
        std::optional<KnownValue> value = number(*unary.operands[0]);
        if (!value) return std::nullopt;
        if (unary.op == TokenKind::kNot) {
            if (value->basic != kFloat) return std::nullopt;
            return knownFloat(value->floats[0] == 0.0f ? 1.0f : 0.0f);
        }
        for (float& component : value->floats)
            component = -component;
        return value;
    }

    [[gnu::noinline]] std::optional<KnownValue> binary(const Expression& binary) {
        const BasicType result = binary.type.basic;
        if (!isArithmetic(binary.op) || (result != kFloat && !isTripleType(result)))
            return std::nullopt;
        const std::optional<KnownValue> a = number(*binary.operands[0]);
        if (!a) return std::nullopt;
        const std::optional<KnownValue> b = number(*binary.operands[1]);
        if (!b) return std::nullopt;
        return combined(binary.op, result, *a, *b);
    }

    // Arithmetic of two floats or triples, component by component.
    [[gnu::noinline]] static std::optional<KnownValue>
    combined(TokenKind op, BasicType result, const KnownValue& a, const KnownValue& b) {
        const std::optional<std::vector<float>> x = widenedValues(a.floats, result);
        const std::optional<std::vector<float>> y = widenedValues(b.floats, result);
        if (!x || !y || a.basic == kMatrix || b.basic == kMatrix) return std::nullopt;
        KnownValue value{.basic = result};
        for (std::size_t k = 0; k < x->size(); ++k)
            value.floats.push_back(arithmetic(op, (*x)[k], (*y)[k]));
        return value;
    }

    [[gnu::noinline]] std::optional<KnownValue> tuple(const Expression& tuple) {
        const BasicType basic = tuple.type.basic;
        if (tuple.operands.size() != std::size_t(widthOf(basic))) return std::nullopt;
        KnownValue value{.basic = basic};
        for (const ExpressionPtr& operand : tuple.operands) {
            const std::optional<float> component = oneFloat(*operand);
            if (!component) return std::nullopt;
            value.floats.push_back(*component);
        }
        return value;
    }

    [[gnu::noinline]] std::optional<KnownValue> arrayValues(const Expression& array) {
        const Type element{.basic = array.type.basic};
        KnownValue value{.basic = element.basic, .arrayLength = int(array.operands.size())};
        for (const ExpressionPtr& operand : array.operands) {
            const std::optional<KnownValue> known = fold(*operand);
            if (!known) return std::nullopt;
            const std::optional<KnownValue> converted = convertedTo(*known, element);
            if (!converted) return std::nullopt;
            value.floats.insert(value.floats.end(), converted->floats.begin(),
                                converted->floats.end());
            value.strings.insert(value.strings.end(), converted->strings.begin(),
                                 converted->strings.end());
        }
        if (value.arrayLength == 0) return std::nullopt;
        return value;
    }

    [[gnu::noinline]] std::optional<KnownValue> cast(const Expression& cast) {
        if (!castChangesNothing(cast)) return std::nullopt;
        const std::optional<KnownValue> value = fold(*cast.operands[0]);
        if (!value) return std::nullopt;
        return convertedTo(*value, Type{.basic = cast.castTo});
    }

    [[gnu::noinline]] std::optional<KnownValue> call(const Expression& call) {
        if (!call.builtin || call.builtin->result != kFloat) return std::nullopt;
        std::vector<float> arguments;
        for (const ExpressionPtr& operand : call.operands) {
            const std::optional<float> argument = oneFloat(*operand);
            if (!argument) return std::nullopt;
            arguments.push_back(*argument);
        }
        const std::optional<float> result = foldedCall(call.builtin->op, arguments);
        if (!result) return std::nullopt;
        return knownFloat(*result);
    }

    std::unordered_set<const Expression*> fNotConstant;
    bool fOverflowed = false;
};

// ---------------------------------------------------------------------------
// Building one shader's registers and code.

// The shader's code outgrew the limits; it is abandoned.
struct CodeTooLarge {};
// The generator met what a checked tree cannot hold; the shader is
// abandoned with an internal error.
struct InternalFault {};

// A register without values: a parameter's or a constant's are given after.
Register makeRegister(Storage storage, const Type& type, std::string name = {}) {
    Register reg;
    reg.storage = storage;
    reg.type = type;
    reg.name = std::move(name);
    return reg;
}

class CodeBuilder {
public:
    explicit CodeBuilder(ShaderCode& code) : fCode(code) {}

    std::int32_t add(Register reg) {
        if (fCode.registers.size() >= kMaxRegisters) throw CodeTooLarge{};
        fCode.registers.push_back(std::move(reg));
        return std::int32_t(fCode.registers.size() - 1);
    }

    // An intermediate value of the code: a register given back, or a new
    // one. It stays taken until released.
    std::int32_t temporary(BasicType basic, Detail detail, int arrayLength = 0) {
        std::vector<std::int32_t>& free = fFree[{basic, detail, arrayLength}];
        std::int32_t reg = kNoRegister;
        if (free.empty()) {
            reg = add(makeRegister(Storage::kLocal,
                                   {.basic = basic, .detail = detail, .arrayLength = arrayLength}));
        } else {
            reg = free.back();
            free.pop_back();
        }
        fTaken.push_back(reg);
        return reg;
    }

    // A result whose detail may still rise to varying as the code that
    // writes it is generated: always a register of its own, as raising one
    // used before would change what its earlier uses read.
    std::int32_t provisional(BasicType basic) {
        const std::int32_t reg =
            add(makeRegister(Storage::kLocal, {.basic = basic, .detail = Detail::kUniform}));
        fTaken.push_back(reg);
        return reg;
    }

    // How many intermediate values are taken: a mark to release back to.
    std::size_t taken() const { return fTaken.size(); }

    // Gives back the intermediate values taken since the mark, for the code
    // after to use again.
    void release(std::size_t mark) {
        while (fTaken.size() > mark) {
            const Type& type = this->type(fTaken.back());
            fFree[{type.basic, type.detail, type.arrayLength}].push_back(fTaken.back());
            fTaken.pop_back();
        }
    }

    bool takenSince(std::int32_t reg, std::size_t mark) const {
        return std::find(fTaken.begin() + std::ptrdiff_t(mark), fTaken.end(), reg) != fTaken.end();
    }

    std::int32_t constant(const KnownValue& value) {
        ConstantKey key{value.basic, value.arrayLength, {}, value.strings};
        for (float component : value.floats)
            std::get<2>(key).push_back(std::bit_cast<std::uint32_t>(component));
        const auto found = fConstants.find(key);
        if (found != fConstants.end()) return found->second;
        Register reg = makeRegister(
            Storage::kConstant,
            {.basic = value.basic, .detail = Detail::kUniform, .arrayLength = value.arrayLength});
        reg.floats = value.floats;
        reg.strings = value.strings;
        const std::int32_t number = add(std::move(reg));
        fConstants.emplace(std::move(key), number);
        return number;
    }

    std::int32_t floatConstant(float value) { return constant(knownFloat(value)); }
    std::int32_t stringConstant(const std::string& text) {
        return constant({.basic = kString, .strings = {text}});
    }

    const Register& at(std::int32_t reg) const {
        if (reg < 0 || std::size_t(reg) >= fCode.registers.size()) throw InternalFault{};
        return fCode.registers[std::size_t(reg)];
    }
    const Type& type(std::int32_t reg) const { return at(reg).type; }
    Detail detail(std::int32_t reg) const { return type(reg).detail; }
    void makeVarying(std::int32_t reg) {
        at(reg);
        fCode.registers[std::size_t(reg)].type.detail = Detail::kVarying;
    }

    // The value of a constant register.
    KnownValue known(std::int32_t reg) const {
        const Register& constant = at(reg);
        return {.basic = constant.type.basic,
                .arrayLength = constant.type.arrayLength,
                .floats = constant.floats,
                .strings = constant.strings};
    }

    void emit(Opcode op, std::vector<std::int32_t> operands, int line,
              BuiltinOp builtin = BuiltinOp::kRadians) {
        if (fCode.code.size() >= kMostGeneratedInstructions) throw CodeTooLarge{};
        fCode.code.push_back(
            {.op = op, .builtin = builtin, .operands = std::move(operands), .line = line});
    }

private:
    using ConstantKey =
        std::tuple<BasicType, int, std::vector<std::uint32_t>, std::vector<std::string>>;
    using TemporaryKind = std::tuple<BasicType, Detail, int>;

    ShaderCode& fCode;
    std::map<ConstantKey, std::int32_t> fConstants;
    std::vector<std::int32_t> fTaken;
    std::map<TemporaryKind, std::vector<std::int32_t>> fFree;
};

// ---------------------------------------------------------------------------
// What the inlining needs to know of a function, found once for each.

struct FunctionFacts {
    // The returns after which nothing of the body runs: they need no break.
    std::unordered_set<const Statement*> tailReturns;
    // Some return is not one of those: the body is wrapped in a loop that
    // runs once, for a break to leave.
    bool needsExitLoop = false;
    // The variables (its parameters among them) the body writes, in the
    // functions defined inside it too.
    std::unordered_set<const Declaration*> written;
    // It writes a variable that is not its own: a predefined one, one an
    // extern declaration reaches, or through a function it calls.
    bool writesOutside = false;
};

void markTailReturn(const Statement& statement, FunctionFacts& facts);

void markTailReturns(const std::vector<StatementPtr>& body, FunctionFacts& facts) {
    if (!body.empty()) markTailReturn(*body.back(), facts);
}

void markTailReturn(const Statement& statement, FunctionFacts& facts) {
    switch (statement.kind) {
    case StatementKind::kReturn:
        facts.tailReturns.insert(&statement);
        return;
    case StatementKind::kBlock:
        markTailReturns(statement.body, facts);
        return;
    case StatementKind::kIf:
        for (const StatementPtr& branch : statement.body)
            markTailReturn(*branch, facts);
        return;
    default:
        return;
    }
}

// The returns of a body, not counting those of the functions defined in it.
std::size_t countReturns(const std::vector<StatementPtr>& body) {
    std::size_t count = 0;
    for (const StatementPtr& statement : body) {
        if (statement->kind == StatementKind::kReturn) ++count;
        if (statement->kind != StatementKind::kFunction) count += countReturns(statement->body);
    }
    return count;
}

// Whether a loop's body continues that loop: a continue whose count of
// loops reaches it. loopsBetween counts the loops inside it around the
// statement. Light loops and functions are walls continue does not pass.
bool continuesLoop(const Statement& statement, int loopsBetween) {
    switch (statement.kind) {
    case StatementKind::kContinue:
        return statement.levels == loopsBetween + 1;
    case StatementKind::kWhile:
    case StatementKind::kFor:
        ++loopsBetween;
        break;
    case StatementKind::kBlock:
    case StatementKind::kIf:
        break;
    default:
        return false;
    }
    return std::ranges::any_of(statement.body, [&](const StatementPtr& inner) {
        return continuesLoop(*inner, loopsBetween);
    });
}

class FunctionFactsCache {
public:
    const FunctionFacts& of(const FunctionDefinition& function);

private:
    std::unordered_map<const FunctionDefinition*, FunctionFacts> fFacts;
};

// Walks a function's body for what it writes.
class WriteScan {
public:
    WriteScan(FunctionFactsCache& cache, FunctionFacts& facts) : fCache(cache), fFacts(facts) {}

    void function(const FunctionDefinition& function) {
        for (const Declaration& parameter : function.parameters)
            fOwned.insert(&parameter);
        for (const StatementPtr& statement : function.body)
            scan(*statement);
    }

    // Whether a variable it writes is not its own.
    bool writesOthers() const {
        return std::ranges::any_of(fFacts.written, [&](const Declaration* declaration) {
            return !fOwned.contains(declaration);
        });
    }

private:
    void scan(const Statement& statement) {
        for (const ExpressionPtr* part : {&statement.expression, &statement.init, &statement.step})
            if (*part) scan(**part);
        for (const ExpressionPtr& argument : statement.arguments)
            scan(*argument);
        for (const Declaration& declaration : statement.declarations) {
            if (!declaration.isExtern) fOwned.insert(&declaration);
            if (declaration.init) scan(*declaration.init);
        }
        for (const StatementPtr& inner : statement.body)
            scan(*inner);
        if (statement.function) {
            fNested.insert(statement.function.get());
            function(*statement.function);
        }
    }

    void scan(const Expression& expression) {
        for (const ExpressionPtr& operand : expression.operands)
            scan(*operand);
        if (expression.kind == ExpressionKind::kAssign) write(*expression.operands[0]);
        if (expression.kind == ExpressionKind::kCall) scanCall(expression);
    }

    void scanCall(const Expression& call) {
        for (std::size_t index = 0; index < call.operands.size(); ++index)
            if (writesArgument(call, index)) write(*call.operands[index]);
        const FunctionDefinition* callee = call.function;
        if (callee && !fNested.contains(callee) && fCache.of(*callee).writesOutside)
            fFacts.writesOutside = true;
    }

    static bool writesArgument(const Expression& call, std::size_t index) {
        if (call.builtin) return parameterOf(*call.builtin, index).output;
        return call.function && index < call.function->parameters.size() &&
               call.function->parameters[index].output;
    }

    void write(const Expression& target) {
        const Expression* variable = writtenVariable(target);
        if (!variable) return;
        if (variable->declaration)
            fFacts.written.insert(variable->declaration);
        else if (variable->global)
            fFacts.writesOutside = true;
    }

    FunctionFactsCache& fCache;
    FunctionFacts& fFacts;
    std::unordered_set<const Declaration*> fOwned;
    std::unordered_set<const FunctionDefinition*> fNested;
};

const FunctionFacts& FunctionFactsCache::of(const FunctionDefinition& function) {
    auto [place, added] = fFacts.try_emplace(&function);
    FunctionFacts& facts = place->second;
    if (!added) return facts;
    markTailReturns(function.body, facts);
    facts.needsExitLoop = countReturns(function.body) > facts.tailReturns.size();
    WriteScan scan(*this, facts);
    scan.function(function);
    if (scan.writesOthers()) facts.writesOutside = true;
    return facts;
}

// ---------------------------------------------------------------------------
// The generator of one shader.

// A part of a body that some points may skip, as the checker sees it: it
// decides whether a function's returns give every point the same value.
struct Region {
    bool varying = false; // entered under a varying condition
    bool masked = false;  // a varying break, continue or return happened in it
};

// A while or for loop being generated.
struct UserLoop {
    int outerLevel = 0; // the machine loops open inside it, itself counted
    int bodyLevel = 0;  // the same for the inner loop its continue leaves; 0: none
    std::size_t region = 0;
};

// The shader's body, or a function's body inlined at one call.
struct Frame {
    const FunctionDefinition* function = nullptr; // null for the shader's
    const FunctionFacts* facts = nullptr;
    int callLine = 0; // of the call inlining it
    std::unordered_map<const Declaration*, std::int32_t> variables{};
    std::int32_t result = kNoRegister;
    int exitLevel = 0;  // the loop wrapping the inlined body; 0 for none
    int lightLoops = 0; // open inside this body
    std::vector<UserLoop> loops{};
    std::vector<Region> regions{};
    bool masked = false; // after a varying return
    bool varyingResult = false;
};

// An element of an array passed as an output argument: loaded into a
// register before the call, stored back after it.
struct ElementWrite {
    std::int32_t array = kNoRegister;
    std::int32_t index = kNoRegister;
    std::int32_t value = kNoRegister;
};

// Where the generator is in the tree: the source line its instructions
// carry, and how deep it is.
class Position {
public:
    Position(int& line, int& depth, int at) : fLine(line), fDepth(depth), fSavedLine(line) {
        if (at > 0) fLine = at;
        ++fDepth;
    }
    ~Position() {
        fLine = fSavedLine;
        --fDepth;
    }
    Position(const Position&) = delete;
    Position& operator=(const Position&) = delete;

    bool tooDeep() const { return fDepth > kDeepestWalk; }

private:
    int& fLine;
    int& fDepth;
    int fSavedLine;
};

// The shader is abandoned after an error was reported.
struct Abandoned {};

// The functions that recurse over the tree stay small: what each kind of
// expression and statement does is in out-of-line functions, so that a
// tree as deep as the checker allows, through its inlined calls, takes a
// few hundred KiB of stack, a few MiB with sanitizers.
class ShaderGenerator {
public:
    ShaderGenerator(const ShaderDefinition& shader, FunctionFactsCache& facts,
                    Diagnostics& diagnostics)
        : fShader(shader), fFacts(facts), fDiagnostics(diagnostics), fBuild(fCode) {}

    // The shader's code; none after an error.
    std::optional<ShaderCode> run() {
        const int errorsBefore = fDiagnostics.errors();
        fCode.kind = fShader.kind;
        fCode.name = fShader.name;
        fCode.sourceFile = fShader.location.fileName();
        fFrames.emplace_back();
        try {
            declareParameters();
            statements(fShader.body);
        } catch (const CodeTooLarge&) {
            error(fShader.location, "the shader " + quoted(fShader.name) +
                                        " is too large once its functions are inlined: more "
                                        "than " +
                                        std::to_string(kMostGeneratedInstructions) +
                                        " instructions or " + std::to_string(kMaxRegisters) +
                                        " registers");
        } catch (const InternalFault&) {
            error(fShader.location, "internal error: the code of " + quoted(fShader.name) +
                                        " could not be generated");
        } catch (const Abandoned&) {
        }
        if (fDiagnostics.errors() > errorsBefore) return std::nullopt;
        return std::move(fCode);
    }

private:
    // ---- Reports.

    void error(const SourceLocation& at, std::string message) {
        fDiagnostics.error(at, std::move(message));
    }

    void warning(const SourceLocation& at, std::string message) {
        fDiagnostics.warning(at, std::move(message));
    }

    [[noreturn]] void tooDeep(const SourceLocation& at) {
        error(at, "this is nested too deeply to compile");
        throw Abandoned{};
    }

    // ---- Registers.

    Frame& frame() { return fFrames.back(); }

    bool isVarying(std::int32_t reg) const { return fBuild.detail(reg) == Detail::kVarying; }

    Detail detailOf(std::span<const std::int32_t> registers) const {
        Detail detail = Detail::kUniform;
        for (std::int32_t reg : registers)
            detail = join(detail, fBuild.detail(reg));
        return detail;
    }

    // Whether the hint (a variable being assigned, or a result being built)
    // may take the result of an operation on the operands: the same type,
    // room for the detail, and not one of the operands unless the operation
    // works component by component.
    bool hintFits(std::int32_t hint, BasicType basic, Detail detail,
                  std::span<const std::int32_t> operands, bool mayAlias) const {
        if (hint == kNoRegister) return false;
        const Register& reg = fBuild.at(hint);
        if (reg.storage == Storage::kConstant || reg.type.basic != basic || reg.type.isArray())
            return false;
        if (reg.type.detail == Detail::kUniform && detail == Detail::kVarying &&
            !fProvisional.contains(hint))
            return false;
        return mayAlias || std::ranges::find(operands, hint) == operands.end();
    }

    // A register written with a value of the detail: a result still being
    // built (see CodeBuilder::provisional) becomes varying with it.
    void raise(std::int32_t reg, Detail detail) {
        if (detail == Detail::kVarying) fBuild.makeVarying(reg);
    }

    // The register an operation's result goes to: the hint when it fits,
    // else a new one, varying when an operand is.
    std::int32_t resultRegister(BasicType basic, std::span<const std::int32_t> operands,
                                std::int32_t hint, bool mayAlias) {
        const Detail detail = detailOf(operands);
        if (!hintFits(hint, basic, detail, operands, mayAlias))
            return fBuild.temporary(basic, detail);
        raise(hint, detail);
        return hint;
    }

    // The value as the type holds it: itself when it has the type, else
    // converted by a move (a constant is converted here).
    std::int32_t convertTo(std::int32_t value, BasicType to, std::int32_t hint = kNoRegister) {
        const Register& reg = fBuild.at(value);
        if (reg.type.basic == to || reg.type.isArray() || to == kString ||
            reg.type.basic == kString)
            return value;
        if (reg.storage == Storage::kConstant) {
            if (std::optional<KnownValue> converted =
                    convertedTo(fBuild.known(value), Type{.basic = to}))
                return fBuild.constant(*converted);
        }
        const std::array operands{value};
        const std::int32_t result = resultRegister(to, operands, hint, false);
        emit(Opcode::kMove, {result, value});
        return result;
    }

    void moveInto(std::int32_t target, std::int32_t value) {
        if (target != value) emit(Opcode::kMove, {target, value});
    }

    std::int32_t declaredRegister(const Declaration& declaration) {
        for (auto inner = fFrames.rbegin(); inner != fFrames.rend(); ++inner) {
            const auto found = inner->variables.find(&declaration);
            if (found != inner->variables.end()) return found->second;
        }
        return declareVariable(declaration);
    }

    // The register of a variable of the current body, made at its
    // declaration.
    std::int32_t declareVariable(const Declaration& declaration) {
        const auto found = frame().variables.find(&declaration);
        if (found != frame().variables.end()) return found->second;
        Type type = declaration.type;
        type.arrayLength = checkedArrayLength(declaration, type.arrayLength);
        const std::int32_t reg = fBuild.add(makeRegister(Storage::kLocal, type, declaration.name));
        frame().variables.emplace(&declaration, reg);
        return reg;
    }

    int checkedArrayLength(const Declaration& declaration, int length) {
        if (length >= 0 && length <= kMaxArrayLength) return length;
        if (length < 0)
            error(declaration.location,
                  "the array " + quoted(declaration.name) + " needs a length, or values to count");
        else
            error(declaration.location, "the array " + quoted(declaration.name) +
                                            " is longer than " + std::to_string(kMaxArrayLength) +
                                            " elements");
        return 1;
    }

    std::int32_t globalRegister(const GlobalVariable& global) {
        const std::string name(global.name);
        const auto found = fGlobals.find(name);
        if (found != fGlobals.end()) return found->second;
        // A volume shader's light loops have a surface shader's variables.
        const GlobalVariable* own = findGlobal(fShader.kind, name);
        if (!own && fShader.kind == ShaderKind::kVolume)
            own = findGlobal(ShaderKind::kSurface, name);
        const Type type = own ? own->type : global.type;
        const std::int32_t reg = fBuild.add(makeRegister(Storage::kGlobal, type, name));
        fGlobals.emplace(name, reg);
        return reg;
    }

    std::int32_t variableRegister(const Expression& variable) {
        if (variable.kind == ExpressionKind::kVariable) {
            if (variable.declaration) return declaredRegister(*variable.declaration);
            if (isPi(variable)) return fBuild.floatConstant(kPiValue);
            if (variable.global) return globalRegister(*variable.global);
        }
        throw InternalFault{};
    }

    // ---- Instructions.

    void emit(Opcode op, std::vector<std::int32_t> operands = {}) {
        fBuild.emit(op, std::move(operands), fLine);
    }

    void openLoop() {
        emit(Opcode::kLoop);
        ++fOpenLoops;
    }

    void closeLoop() {
        emit(Opcode::kEndLoop);
        --fOpenLoops;
    }

    // ---- Parameters.

    // Each parameter's register with its default when the compiler works it
    // out; the other defaults become code that runs where the scene leaves
    // the parameter unset, in the order declared.
    void declareParameters() {
        std::vector<std::pair<const Declaration*, std::int32_t>> computed;
        for (const Declaration& parameter : fShader.parameters) {
            Position position(fLine, fDepth, parameter.location.line);
            Register reg =
                makeRegister(parameter.output ? Storage::kOutputParameter : Storage::kParameter,
                             parameter.type, parameter.name);
            const bool folded = giveDefault(parameter, reg);
            const std::int32_t number = fBuild.add(std::move(reg));
            frame().variables.emplace(&parameter, number);
            if (!folded && parameter.init) computed.emplace_back(&parameter, number);
        }
        for (const auto& [parameter, number] : computed)
            computeDefault(*parameter, number);
    }

    void computeDefault(const Declaration& parameter, std::int32_t reg) {
        const Position position(fLine, fDepth, parameter.location.line);
        const std::size_t mark = fBuild.taken();
        emit(Opcode::kDefault, {reg});
        storeInto(reg, *parameter.init);
        emit(Opcode::kEndDefault);
        fBuild.release(mark);
    }

    // Gives the register its default and says whether the compiler worked
    // it out; a parameter without one holds zeros or empty strings.
    bool giveDefault(const Declaration& parameter, Register& reg) {
        std::optional<KnownValue> value;
        fFolder.overflowed();
        if (parameter.init) value = fFolder.fold(*parameter.init);
        if (reg.type.arrayLength < 0 && parameter.init && parameter.init->type.isArray())
            reg.type.arrayLength = parameter.init->type.arrayLength;
        if (value && reg.type.arrayLength < 0 && value->arrayLength > 0)
            reg.type.arrayLength = value->arrayLength;
        reg.type.arrayLength = checkedArrayLength(parameter, reg.type.arrayLength);
        if (value) value = convertedTo(*value, reg.type);
        if (value && value->arrayLength == reg.type.arrayLength) {
            reg.floats = std::move(value->floats);
            reg.strings = std::move(value->strings);
            return true;
        }
        const bool overflowed = parameter.init && fFolder.overflowed();
        if (overflowed)
            error(parameter.init->location,
                  "the default of " + quoted(parameter.name) + " is not a finite float");
        const auto count = std::size_t(std::max(reg.type.arrayLength, 1));
        if (reg.type.basic == kString)
            reg.strings.assign(count, "");
        else
            reg.floats.assign(count * std::size_t(reg.type.floats()), 0.0f);
        return overflowed;
    }

    // ---- Statements.

    void statements(const std::vector<StatementPtr>& body) {
        for (const StatementPtr& statement : body)
            generate(*statement);
    }

    // A statement's intermediate values are dead after it: the statements
    // after take them again.
    void generate(const Statement& statement) {
        const Position position(fLine, fDepth, statement.location.line);
        if (position.tooDeep()) tooDeep(statement.location);
        const std::size_t mark = fBuild.taken();
        generateStatement(statement);
        fBuild.release(mark);
    }

    [[gnu::noinline]] void generateStatement(const Statement& statement) {
        switch (statement.kind) {
        case StatementKind::kExpression:
            value(required(statement.expression));
            return;
        case StatementKind::kDeclaration:
            for (const Declaration& declaration : statement.declarations)
                declare(declaration);
            return;
        case StatementKind::kBlock:
            statements(statement.body);
            return;
        case StatementKind::kIf:
            ifStatement(statement);
            return;
        case StatementKind::kWhile:
        case StatementKind::kFor:
            loop(statement);
            return;
        case StatementKind::kBreak:
        case StatementKind::kContinue:
            loopExit(statement);
            return;
        case StatementKind::kReturn:
            returnStatement(statement);
            return;
        case StatementKind::kIlluminance:
        case StatementKind::kIlluminate:
        case StatementKind::kSolar:
            lightLoop(statement);
            return;
        case StatementKind::kGather:
            error(statement.location, "gather is not supported: the renderer does not run it");
            return;
        case StatementKind::kFunction:
        case StatementKind::kEmpty:
            return;
        }
    }

    // The body of an if, a loop or a light loop, which the parser always
    // gives; and an expression a statement must have.
    static const Statement& bodyOf(const Statement& statement) {
        if (statement.body.empty()) throw InternalFault{};
        return *statement.body[0];
    }

    static const Expression& required(const ExpressionPtr& expression) {
        if (!expression) throw InternalFault{};
        return *expression;
    }

    [[gnu::noinline]] void declare(const Declaration& declaration) {
        if (declaration.isExtern) return;
        const Position position(fLine, fDepth, declaration.location.line);
        const std::int32_t reg = declareVariable(declaration);
        if (declaration.init) storeInto(reg, *declaration.init);
    }

    [[gnu::noinline]] void ifStatement(const Statement& statement) {
        const std::int32_t condition = convertTo(given(required(statement.expression)), kFloat);
        const bool varying = isVarying(condition);
        emit(Opcode::kIf, {condition});
        branch(bodyOf(statement), varying);
        if (statement.body.size() > 1) {
            emit(Opcode::kElse);
            branch(*statement.body[1], varying);
        }
        emit(Opcode::kEndIf);
    }

    void branch(const Statement& body, bool varying) {
        frame().regions.push_back({.varying = varying});
        generate(body);
        frame().regions.pop_back();
    }

    [[gnu::noinline]] void loop(const Statement& loop) {
        if (loop.init) value(*loop.init);
        const bool wrapBody =
            loop.kind == StatementKind::kFor && loop.step && continuesLoop(bodyOf(loop), 0);
        openLoop();
        UserLoop user{.outerLevel = fOpenLoops, .region = frame().regions.size()};
        bool varying = false;
        if (loop.expression) {
            const std::int32_t condition = convertTo(given(*loop.expression), kFloat);
            varying = isVarying(condition);
            emit(Opcode::kLoopTest, {condition});
        }
        frame().regions.push_back({.varying = varying});
        if (wrapBody) {
            openLoop();
            user.bodyLevel = fOpenLoops;
        }
        frame().loops.push_back(user);
        generate(bodyOf(loop));
        frame().loops.pop_back();
        if (wrapBody) {
            emit(Opcode::kBreak, {1});
            closeLoop();
        }
        // Every point that continued runs the step.
        frame().regions.back().masked = false;
        if (loop.step) value(*loop.step);
        frame().regions.pop_back();
        closeLoop();
    }

    static bool maskedFrom(const Frame& frame, std::size_t first) {
        for (std::size_t index = first; index < frame.regions.size(); ++index)
            if (frame.regions[index].varying || frame.regions[index].masked) return true;
        return false;
    }

    static bool underVarying(const Frame& frame) { return frame.masked || maskedFrom(frame, 0); }

    [[gnu::noinline]] void loopExit(const Statement& exit) {
        Frame& body = frame();
        const auto levels = std::size_t(std::max(exit.levels, 1));
        if (levels > body.loops.size()) throw InternalFault{};
        const UserLoop target = body.loops[body.loops.size() - levels];
        if (maskedFrom(body, target.region + 1))
            for (std::size_t index = target.region; index < body.regions.size(); ++index)
                body.regions[index].masked = true;
        if (exit.kind == StatementKind::kBreak)
            emit(Opcode::kBreak, {fOpenLoops - target.outerLevel + 1});
        else if (target.bodyLevel > 0)
            emit(Opcode::kBreak, {fOpenLoops - target.bodyLevel + 1});
        else
            emit(Opcode::kContinue, {fOpenLoops - target.outerLevel + 1});
    }

    [[gnu::noinline]] void returnStatement(const Statement& statement) {
        Frame& body = frame();
        if (!body.function) {
            emit(Opcode::kReturn);
            return;
        }
        if (statement.expression && body.result != kNoRegister) {
            const std::int32_t returned = value(*statement.expression, body.result);
            if (isVarying(returned)) body.varyingResult = true;
            moveInto(body.result, returned);
        }
        if (underVarying(body)) {
            body.varyingResult = true;
            body.masked = true;
        }
        if (body.varyingResult && body.result != kNoRegister) fBuild.makeVarying(body.result);
        if (body.facts->tailReturns.contains(&statement)) return;
        if (body.lightLoops > 0) {
            error(statement.location,
                  "a return inside a light loop of a function is not supported: nothing may "
                  "leave a light loop early (in the call of " +
                      quoted(body.function->name) + " at line " + std::to_string(body.callLine) +
                      ")");
            return;
        }
        emit(Opcode::kBreak, {fOpenLoops - body.exitLevel + 1});
    }

    [[gnu::noinline]] void lightLoop(const Statement& loop) {
        // illuminate and solar set L and hand the renderer L and Cl, whether
        // or not the light's code names them.
        if (loop.kind != StatementKind::kIlluminance)
            for (const std::string_view name : {"L", "Cl"})
                if (const GlobalVariable* global = findGlobal(ShaderKind::kLight, name))
                    globalRegister(*global);
        std::vector<std::int32_t> operands = lightLoopOperands(loop);
        emit(lightLoopOpcode(loop.kind), std::move(operands));
        // break and continue do not pass a light loop: its loops are its own.
        std::vector<UserLoop> outerLoops = std::exchange(frame().loops, {});
        ++frame().lightLoops;
        frame().regions.push_back({.varying = true});
        generate(bodyOf(loop));
        frame().regions.pop_back();
        --frame().lightLoops;
        frame().loops = std::move(outerLoops);
        emit(Opcode::kEndLightLoop);
    }

    static Opcode lightLoopOpcode(StatementKind kind) {
        if (kind == StatementKind::kIlluminance) return Opcode::kIlluminance;
        if (kind == StatementKind::kIlluminate) return Opcode::kIlluminate;
        return Opcode::kSolar;
    }

    // illuminance's category (or none) and position, illuminate's position,
    // then the axis and angle of the cone (or none) for all three.
    std::vector<std::int32_t> lightLoopOperands(const Statement& loop) {
        const std::vector<ExpressionPtr>& arguments = loop.arguments;
        std::vector<std::int32_t> operands;
        std::size_t next = 0;
        const auto nextIsString = [&] {
            return next < arguments.size() && arguments[next]->type.basic == kString;
        };
        if (loop.kind == StatementKind::kIlluminance)
            operands.push_back(nextIsString() ? given(*arguments[next++]) : kNoRegister);
        if (loop.kind != StatementKind::kSolar) {
            if (next >= arguments.size()) throw InternalFault{};
            operands.push_back(triple(given(*arguments[next++]), kPoint));
        }
        if (next + 2 <= arguments.size() && !nextIsString()) {
            operands.push_back(triple(given(*arguments[next]), kVector));
            operands.push_back(convertTo(given(*arguments[next + 1]), kFloat));
            next += 2;
        } else {
            operands.insert(operands.end(), {kNoRegister, kNoRegister});
        }
        if (next < arguments.size())
            warning(arguments[next]->location,
                    "the (\"name\", value) pairs of illuminance are ignored");
        return operands;
    }

    // A triple as it is, or a float made one.
    std::int32_t triple(std::int32_t value, BasicType whenFloat) {
        return fBuild.type(value).isTriple() ? value : convertTo(value, whenFloat);
    }

    // ---- Expressions.

    // The register holding the expression's value; kNoRegister for a call
    // that gives none. The hint is a variable the value is assigned to,
    // which the last instruction may write directly.
    std::int32_t value(const Expression& expression, std::int32_t hint = kNoRegister) {
        const Position position(fLine, fDepth, expression.location.line);
        if (position.tooDeep()) tooDeep(expression.location);
        if (mayFold(expression.kind)) {
            const std::int32_t constant = folded(expression);
            if (constant != kNoRegister) return constant;
        }
        return computed(expression, hint);
    }

    // The constant of an expression the compiler evaluates; kNoRegister for
    // any other.
    [[gnu::noinline]] std::int32_t folded(const Expression& expression) {
        const std::optional<KnownValue> known = fFolder.fold(expression);
        return known ? fBuild.constant(*known) : kNoRegister;
    }

    [[gnu::noinline]] std::int32_t computed(const Expression& expression, std::int32_t hint) {
        switch (expression.kind) {
        case ExpressionKind::kNumber:
            return number(expression);
        case ExpressionKind::kString:
            return fBuild.stringConstant(expression.name);
        case ExpressionKind::kVariable:
            return variableRegister(expression);
        case ExpressionKind::kIndex:
            return element(expression, hint);
        case ExpressionKind::kCall:
            return call(expression, hint);
        case ExpressionKind::kUnary:
            return unary(expression, hint);
        case ExpressionKind::kBinary:
            return binary(expression, hint);
        case ExpressionKind::kAssign:
            return assignment(expression);
        case ExpressionKind::kConditional:
            return choice(expression, hint);
        case ExpressionKind::kTuple:
            return tuple(expression, hint);
        case ExpressionKind::kArray:
            return arrayValues(expression);
        case ExpressionKind::kCast:
            return cast(expression, hint);
        }
        throw InternalFault{};
    }

    // A value that must be there: a void call's absence is a fault.
    std::int32_t given(const Expression& expression, std::int32_t hint = kNoRegister) {
        const std::int32_t reg = value(expression, hint);
        if (reg == kNoRegister) throw InternalFault{};
        return reg;
    }

    static bool mayFold(ExpressionKind kind) {
        return kind != ExpressionKind::kNumber && kind != ExpressionKind::kString &&
               kind != ExpressionKind::kVariable && kind != ExpressionKind::kAssign;
    }

    [[gnu::noinline]] std::int32_t number(const Expression& number) {
        const auto single = float(number.number);
        if (std::isfinite(single)) return fBuild.floatConstant(single);
        std::array<char, 32> text{};
        std::snprintf(text.data(), text.size(), "%g", number.number);
        error(number.location, "the number " + quoted(text.data()) + " is too large for a float");
        return fBuild.floatConstant(0);
    }

    [[gnu::noinline]] std::int32_t element(const Expression& index, std::int32_t hint) {
        const std::int32_t array = given(*index.operands[0]);
        const std::int32_t position = convertTo(given(*index.operands[1]), kFloat);
        if (!fBuild.type(array).isArray()) throw InternalFault{};
        const std::array operands{array, position};
        const std::int32_t result = resultRegister(fBuild.type(array).basic, operands, hint, false);
        emit(Opcode::kLoadElement, {result, array, position});
        return result;
    }

    [[gnu::noinline]] std::int32_t unary(const Expression& unary, std::int32_t hint) {
        const std::int32_t operand = given(*unary.operands[0]);
        const std::array operands{operand};
        if (unary.op == TokenKind::kNot) {
            const std::int32_t result = resultRegister(kFloat, operands, hint, true);
            emit(Opcode::kNot, {result, operand});
            return result;
        }
        const BasicType basic = fBuild.type(operand).basic;
        const std::int32_t result = resultRegister(basic, operands, hint, basic != kMatrix);
        emit(Opcode::kNegate, {result, operand});
        return result;
    }

    static Opcode binaryOpcode(TokenKind op) {
        switch (op) {
        case TokenKind::kPlus:
        case TokenKind::kPlusAssign:
            return Opcode::kAdd;
        case TokenKind::kMinus:
        case TokenKind::kMinusAssign:
            return Opcode::kSubtract;
        case TokenKind::kStar:
        case TokenKind::kStarAssign:
            return Opcode::kMultiply;
        case TokenKind::kSlash:
        case TokenKind::kSlashAssign:
            return Opcode::kDivide;
        case TokenKind::kDot:
            return Opcode::kDot;
        case TokenKind::kCaret:
            return Opcode::kCross;
        case TokenKind::kLess:
            return Opcode::kLess;
        case TokenKind::kLessEqual:
            return Opcode::kLessEqual;
        case TokenKind::kGreater:
            return Opcode::kGreater;
        case TokenKind::kGreaterEqual:
            return Opcode::kGreaterEqual;
        case TokenKind::kEqual:
            return Opcode::kEqual;
        case TokenKind::kNotEqual:
            return Opcode::kNotEqual;
        default:
            throw InternalFault{};
        }
    }

    [[gnu::noinline]] std::int32_t binary(const Expression& binary, std::int32_t hint) {
        if (binary.op == TokenKind::kAnd || binary.op == TokenKind::kOr)
            return logical(binary, hint);
        const std::int32_t a = given(*binary.operands[0]);
        const std::int32_t b = given(*binary.operands[1]);
        const Opcode op = binaryOpcode(binary.op);
        BasicType basic = kFloat;
        if (op == Opcode::kCross)
            basic = kVector;
        else if (op >= Opcode::kAdd && op <= Opcode::kDivide)
            basic = binary.type.basic;
        const bool componentwise = op != Opcode::kDot && op != Opcode::kCross && basic != kMatrix;
        const std::array operands{a, b};
        const std::int32_t result = resultRegister(basic, operands, hint, componentwise);
        emit(op, {result, a, b});
        return result;
    }

    // Plain arithmetic on variables and constants: what && and || may
    // evaluate at every point.
    static bool isPlain(const Expression& expression) {
        switch (expression.kind) {
        case ExpressionKind::kNumber:
        case ExpressionKind::kString:
        case ExpressionKind::kVariable:
            return true;
        case ExpressionKind::kUnary:
        case ExpressionKind::kBinary:
        case ExpressionKind::kTuple:
        case ExpressionKind::kCast:
            return std::ranges::all_of(expression.operands, [](const ExpressionPtr& operand) {
                return isPlain(*operand);
            });
        default:
            return false;
        }
    }

    // && and ||: the right operand runs only where the left one does not
    // decide, unless it is plain.
    [[gnu::noinline]] std::int32_t logical(const Expression& logical, std::int32_t hint) {
        const bool both = logical.op == TokenKind::kAnd;
        const std::int32_t left = convertTo(given(*logical.operands[0]), kFloat);
        const Expression& rightSide = *logical.operands[1];
        if (isPlain(rightSide)) {
            const std::int32_t right = convertTo(given(rightSide), kFloat);
            const std::array operands{left, right};
            const std::int32_t result = resultRegister(kFloat, operands, hint, true);
            emit(both ? Opcode::kAnd : Opcode::kOr, {result, left, right});
            return result;
        }
        const std::int32_t zero = fBuild.floatConstant(0);
        const std::int32_t result = fBuild.provisional(kFloat);
        raise(result, fBuild.detail(left));
        emit(Opcode::kNotEqual, {result, left, zero});
        emit(Opcode::kIf, {result});
        if (!both) emit(Opcode::kElse);
        const std::int32_t right = convertTo(given(rightSide), kFloat);
        raise(result, fBuild.detail(right));
        emit(Opcode::kNotEqual, {result, right, zero});
        emit(Opcode::kEndIf);
        return result;
    }

    [[gnu::noinline]] std::int32_t assignment(const Expression& assignment) {
        const Expression& target = *assignment.operands[0];
        if (target.kind == ExpressionKind::kIndex) return assignElement(assignment);
        const std::int32_t variable = variableRegister(target);
        if (assignment.op == TokenKind::kAssign) {
            storeInto(variable, *assignment.operands[1]);
            return variable;
        }
        const std::int32_t operand = given(*assignment.operands[1]);
        emit(binaryOpcode(assignment.op), {variable, variable, operand});
        return variable;
    }

    void storeInto(std::int32_t variable, const Expression& source) {
        const bool array = fBuild.type(variable).isArray();
        moveInto(variable, given(source, array ? kNoRegister : variable));
    }

    [[gnu::noinline]] std::int32_t assignElement(const Expression& assignment) {
        const Expression& target = *assignment.operands[0];
        const std::int32_t array = variableRegister(*target.operands[0]);
        const std::int32_t index = convertTo(given(*target.operands[1]), kFloat);
        const BasicType element = fBuild.type(array).basic;
        std::int32_t stored = kNoRegister;
        if (assignment.op == TokenKind::kAssign) {
            stored = convertTo(given(*assignment.operands[1]), element);
        } else {
            const std::int32_t operand = given(*assignment.operands[1]);
            const std::array operands{array, index, operand};
            stored = fBuild.temporary(element, detailOf(operands));
            emit(Opcode::kLoadElement, {stored, array, index});
            emit(binaryOpcode(assignment.op), {stored, stored, operand});
        }
        emit(Opcode::kStoreElement, {array, index, stored});
        return stored;
    }

    // condition ? yes : no, as an if and else that write one register.
    // The hint takes the value when it has room for a varying one.
    [[gnu::noinline]] std::int32_t choice(const Expression& choice, std::int32_t hint) {
        const std::int32_t condition = convertTo(given(*choice.operands[0]), kFloat);
        const BasicType basic = choice.type.basic;
        const bool intoHint = hintFits(hint, basic, Detail::kVarying, {}, true);
        const std::int32_t result = intoHint ? hint : fBuild.provisional(basic);
        if (!intoHint) fProvisional.insert(result);
        raise(result, fBuild.detail(condition));
        emit(Opcode::kIf, {condition});
        chosen(*choice.operands[1], result);
        emit(Opcode::kElse);
        chosen(*choice.operands[2], result);
        emit(Opcode::kEndIf);
        if (!intoHint) fProvisional.erase(result);
        return result;
    }

    void chosen(const Expression& value, std::int32_t result) {
        const std::int32_t chosen = given(value, result);
        raise(result, fBuild.detail(chosen));
        moveInto(result, chosen);
    }

    [[gnu::noinline]] std::int32_t tuple(const Expression& tuple, std::int32_t hint) {
        std::vector<std::int32_t> values;
        for (const ExpressionPtr& operand : tuple.operands)
            values.push_back(convertTo(given(*operand), kFloat));
        const bool matrix = values.size() == kMatrixValues;
        const BasicType basic =
            matrix ? kMatrix : (isTripleType(tuple.type.basic) ? tuple.type.basic : kPoint);
        std::vector<std::int32_t> operands{resultRegister(basic, values, hint, false)};
        operands.insert(operands.end(), values.begin(), values.end());
        const std::int32_t result = operands.front();
        emit(matrix ? Opcode::kMatrix : Opcode::kTriple, std::move(operands));
        return result;
    }

    [[gnu::noinline]] std::int32_t arrayValues(const Expression& array) {
        const BasicType element = array.type.basic;
        std::vector<std::int32_t> values;
        for (const ExpressionPtr& operand : array.operands)
            values.push_back(convertTo(given(*operand), element));
        const std::int32_t result = fBuild.temporary(element, detailOf(values), int(values.size()));
        for (std::size_t index = 0; index < values.size(); ++index)
            emit(Opcode::kStoreElement,
                 {result, fBuild.floatConstant(float(index)), values[index]});
        return result;
    }

    [[gnu::noinline]] std::int32_t cast(const Expression& cast, std::int32_t hint) {
        if (castChangesNothing(cast))
            return convertTo(given(*cast.operands[0], hint), cast.castTo, hint);
        const std::int32_t operand = given(*cast.operands[0]);
        const std::int32_t space = fBuild.stringConstant(cast.space);
        const std::array operands{operand, space};
        const std::int32_t result = resultRegister(cast.castTo, operands, hint, false);
        emit(Opcode::kFromSpace, {result, operand, space});
        return result;
    }

    // ---- Calls.

    std::int32_t call(const Expression& call, std::int32_t hint) {
        if (call.builtin) return builtinCall(call, *call.builtin, hint);
        if (call.function) return inlineCall(call, *call.function);
        throw InternalFault{};
    }

    [[gnu::noinline]] std::int32_t builtinCall(const Expression& call,
                                               const BuiltinFunction& function, std::int32_t hint) {
        std::vector<std::int32_t> arguments, inputs;
        std::vector<ElementWrite> writeBacks;
        for (std::size_t index = 0; index < call.operands.size(); ++index) {
            const Expression& argument = *call.operands[index];
            const BuiltinParameter parameter = parameterOf(function, index);
            if (parameter.output) {
                arguments.push_back(outputArgument(argument, writeBacks));
                continue;
            }
            const std::size_t first = inputs.size();
            if (index == 0 && function.takesChannel && isChannelSelection(argument)) {
                inputs.push_back(given(*argument.operands[0]));
                inputs.push_back(convertTo(given(*argument.operands[1]), kFloat));
            } else {
                const std::int32_t passed = given(argument);
                const bool exact = !parameter.anyType && !parameter.array;
                inputs.push_back(exact ? convertTo(passed, parameter.type) : passed);
            }
            arguments.insert(arguments.end(), inputs.begin() + std::ptrdiff_t(first), inputs.end());
        }
        std::int32_t result = kNoRegister;
        if (function.result != kVoid) {
            const Detail detail = function.alwaysVarying() ? Detail::kVarying : detailOf(inputs);
            if (hintFits(hint, function.result, detail, arguments, false)) {
                result = hint;
                raise(hint, detail);
            } else {
                result = fBuild.temporary(function.result, detail);
            }
        }
        std::vector<std::int32_t> operands{result};
        operands.insert(operands.end(), arguments.begin(), arguments.end());
        fBuild.emit(Opcode::kCall, std::move(operands), fLine, function.op);
        storeElements(writeBacks);
        return result;
    }

    // The register an output argument is written in: the variable's, or
    // for an element of an array one loaded now and stored after the call.
    std::int32_t outputArgument(const Expression& argument, std::vector<ElementWrite>& writeBacks) {
        if (argument.kind != ExpressionKind::kIndex) return variableRegister(argument);
        const std::int32_t array = variableRegister(*argument.operands[0]);
        const std::int32_t index = convertTo(given(*argument.operands[1]), kFloat);
        if (!fBuild.type(array).isArray()) throw InternalFault{};
        const std::array operands{array, index};
        const std::int32_t element = fBuild.temporary(fBuild.type(array).basic, detailOf(operands));
        emit(Opcode::kLoadElement, {element, array, index});
        writeBacks.push_back({array, index, element});
        return element;
    }

    void storeElements(const std::vector<ElementWrite>& writeBacks) {
        for (const ElementWrite& write : writeBacks)
            emit(Opcode::kStoreElement, {write.array, write.index, write.value});
    }

    [[gnu::noinline]] std::int32_t inlineCall(const Expression& call,
                                              const FunctionDefinition& function) {
        const FunctionFacts& facts = fFacts.of(function);
        if (call.operands.size() != function.parameters.size()) throw InternalFault{};
        std::vector<ElementWrite> writeBacks;
        Frame inlined = bindParameters(call, function, facts, writeBacks);
        // The result's detail rises with the values and places of the returns.
        if (function.result.basic != kVoid) {
            inlined.result = fBuild.provisional(function.result.basic);
            fProvisional.insert(inlined.result);
        }
        const std::int32_t result = inlineBody(std::move(inlined));
        fProvisional.erase(result);
        storeElements(writeBacks);
        return result;
    }

    // The frame of an inlined body with its parameters bound: the arguments
    // evaluated in order, outputs as the registers written.
    Frame bindParameters(const Expression& call, const FunctionDefinition& function,
                         const FunctionFacts& facts, std::vector<ElementWrite>& writeBacks) {
        const std::vector<Declaration>& parameters = function.parameters;
        const std::size_t callMark = fBuild.taken();
        std::vector<std::int32_t> passed, outputs;
        for (std::size_t index = 0; index < parameters.size(); ++index) {
            const Expression& argument = *call.operands[index];
            passed.push_back(parameters[index].output ? outputArgument(argument, writeBacks)
                                                      : given(argument));
            if (parameters[index].output) outputs.push_back(passed.back());
        }
        Frame inlined{.function = &function, .facts = &facts, .callLine = call.location.line};
        for (std::size_t index = 0; index < parameters.size(); ++index) {
            const Declaration& parameter = parameters[index];
            const bool shared =
                isShared(passed[index], callMark) &&
                (facts.writesOutside || std::ranges::find(outputs, passed[index]) != outputs.end());
            inlined.variables[&parameter] =
                parameter.output ? passed[index]
                                 : bindInput(parameter, passed[index], shared, facts);
        }
        return inlined;
    }

    // The body in its frame, in a loop of its own when a return must leave
    // it early; its result register.
    std::int32_t inlineBody(Frame inlined) {
        const bool exitLoop = inlined.facts->needsExitLoop;
        if (exitLoop) {
            openLoop();
            inlined.exitLevel = fOpenLoops;
        }
        const std::vector<StatementPtr>& body = inlined.function->body;
        fFrames.push_back(std::move(inlined));
        statements(body);
        const std::int32_t result = frame().result;
        fFrames.pop_back();
        if (exitLoop) {
            emit(Opcode::kBreak, {1});
            closeLoop();
        }
        return result;
    }

    // Whether a register passed to a call is one others may see change: a
    // variable, not a constant or a value computed for the call.
    bool isShared(std::int32_t reg, std::size_t callMark) const {
        if (fBuild.at(reg).storage == Storage::kConstant) return false;
        return !fBuild.takenSince(reg, callMark);
    }

    // An input parameter: the argument's register when the body cannot see
    // it change, otherwise a copy of its own.
    std::int32_t bindInput(const Declaration& parameter, std::int32_t argument, bool shared,
                           const FunctionFacts& facts) {
        const Type& type = fBuild.type(argument);
        const bool array = parameter.type.isArray();
        if (!shared && !facts.written.contains(&parameter))
            return array ? argument : convertTo(argument, parameter.type.basic);
        const Type copyType{.basic = array ? type.basic : parameter.type.basic,
                            .detail = parameter.detailGiven ? parameter.type.detail : type.detail,
                            .arrayLength = array ? type.arrayLength : 0};
        const std::int32_t copy =
            fBuild.add(makeRegister(Storage::kLocal, copyType, parameter.name));
        emit(Opcode::kMove, {copy, argument});
        return copy;
    }

    const ShaderDefinition& fShader;
    FunctionFactsCache& fFacts;
    Diagnostics& fDiagnostics;
    ShaderCode fCode;
    CodeBuilder fBuild;
    ConstantFolder fFolder;
    std::deque<Frame> fFrames;
    std::unordered_map<std::string, std::int32_t> fGlobals;
    // Results being built, whose detail may still rise to varying.
    std::unordered_set<std::int32_t> fProvisional;
    int fOpenLoops = 0; // machine loops open where the code is generated
    int fLine = 0;      // the source line of the instructions emitted now
    int fDepth = 0;
};

} // namespace

std::vector<ShaderCode> generate(const SourceFile& checked, Diagnostics& diagnostics) {
    std::vector<ShaderCode> shaders;
    if (diagnostics.errors() > 0) return shaders;
    FunctionFactsCache facts;
    for (const auto& shader : checked.shaders) {
        ShaderGenerator generator(*shader, facts, diagnostics);
        if (std::optional<ShaderCode> code = generator.run()) shaders.push_back(std::move(*code));
    }
    return shaders;
}

} // namespace quelmark::sl
