#include "shadinglang/Checker.h"

#include "shadinglang/Builtins.h"
#include "shadinglang/GlobalVariables.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
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

// ---------------------------------------------------------------------------
// The rules of types.

// The colour spaces a colour cast may name.
constexpr std::array<std::string_view, 7> kColorSpaces = {"rgb", "hsv", "hsl", "xyz",
                                                          "XYZ", "xyY", "YIQ"};
constexpr size_t kMatrixValues = 16;

// What passing or assigning a value where another type is wanted costs,
// when overloads compete.
constexpr int kExactCost = 0;
constexpr int kPromotionCost = 1;       // a float made a triple or matrix
constexpr int kSpatialExchangeCost = 2; // point, vector and normal exchanged

constexpr std::array kAllShaderKinds = {ShaderKind::kSurface, ShaderKind::kLight,
                                        ShaderKind::kDisplacement, ShaderKind::kVolume,
                                        ShaderKind::kImager};

bool contains(const std::vector<BasicType>& types, BasicType type) {
    return std::ranges::find(types, type) != types.end();
}

bool isSpatial(BasicType type) {
    return type == kPoint || type == kVector || type == kNormal;
}

bool isTriple(BasicType type) {
    return type == kColor || isSpatial(type);
}

bool isNumeric(BasicType type) {
    return type == kFloat || isTriple(type) || type == kMatrix;
}

// A value's type as the first pass knows it: its basic type and length.
Type valueOf(BasicType basic, int arrayLength = 0) {
    return {.basic = basic, .arrayLength = arrayLength};
}

std::string typeName(const Type& type) {
    std::string name = describe(type.basic);
    if (type.arrayLength > 0) name += "[" + std::to_string(type.arrayLength) + "]";
    if (type.arrayLength < 0) name += "[]";
    return name;
}

std::string quoted(std::string_view name) {
    return "'" + std::string(name) + "'";
}

std::string lineOf(const SourceLocation& at) {
    return "line " + std::to_string(at.line);
}

std::string kindName(ShaderKind kind) {
    return std::string(describe(kind)) + " shaders";
}

std::optional<int> conversionCost(BasicType from, BasicType to) {
    if (from == to) return kExactCost;
    if (from == kFloat && (isTriple(to) || to == kMatrix)) return kPromotionCost;
    if (isSpatial(from) && isSpatial(to)) return kSpatialExchangeCost;
    return std::nullopt;
}

bool multiplies(TokenKind op) {
    return op == TokenKind::kStar || op == TokenKind::kSlash;
}

// The type of a + b, a - b, a * b or a / b; none where the operator does not
// apply.
std::optional<BasicType> arithmeticType(TokenKind op, BasicType a, BasicType b) {
    if (!isNumeric(a) || !isNumeric(b)) return std::nullopt;
    if (a == kMatrix || b == kMatrix) {
        if (multiplies(op) && (a == kFloat || a == kMatrix) && (b == kFloat || b == kMatrix))
            return kMatrix;
        return std::nullopt;
    }
    if (a == kFloat) return b;
    if (b == kFloat) return a;
    if (a == kColor || b == kColor) return a == b ? std::optional(a) : std::nullopt;
    if (op == TokenKind::kMinus && a == kPoint && b == kPoint) return kVector;
    if (a == b) return a;
    if (a == kPoint || b == kPoint) return kPoint;
    return kVector;
}

// The one type two values take together: the choices of ?:, an array's
// values; none when they have none.
std::optional<BasicType> commonType(BasicType a, BasicType b) {
    if (a == b) return a;
    if (a == kFloat && isNumeric(b)) return b;
    if (b == kFloat && isNumeric(a)) return a;
    if (isSpatial(a) && isSpatial(b)) return a == kPoint || b == kPoint ? kPoint : kVector;
    return std::nullopt;
}

bool isOrdering(TokenKind op) {
    return op == TokenKind::kLess || op == TokenKind::kLessEqual || op == TokenKind::kGreater ||
           op == TokenKind::kGreaterEqual;
}

bool isEquality(TokenKind op) {
    return op == TokenKind::kEqual || op == TokenKind::kNotEqual;
}

// The operator of a combined assignment: '+' of '+='.
TokenKind arithmeticOf(TokenKind assignment) {
    switch (assignment) {
    case TokenKind::kPlusAssign:
        return TokenKind::kPlus;
    case TokenKind::kMinusAssign:
        return TokenKind::kMinus;
    case TokenKind::kStarAssign:
        return TokenKind::kStar;
    default:
        return TokenKind::kSlash;
    }
}

Detail join(Detail a, Detail b) {
    return a == Detail::kVarying || b == Detail::kVarying ? Detail::kVarying : Detail::kUniform;
}

// The kind's predefined variable of that name. A volume shader's light loop
// has the variables a surface shader's has.
const GlobalVariable* predefinedOf(ShaderKind kind, std::string_view name) {
    if (const GlobalVariable* variable = findGlobal(kind, name)) return variable;
    if (kind != ShaderKind::kVolume) return nullptr;
    const GlobalVariable* variable = findGlobal(ShaderKind::kSurface, name);
    return variable && variable->onlyInLightLoop ? variable : nullptr;
}

// PI, a uniform float that every shader and function sees unless a
// variable of its own hides it; the code generator gives it its value.
constexpr GlobalVariable kPi = {.name = "PI",
                                .type = {.basic = kFloat, .detail = Detail::kUniform}};

enum class LightLoop { kNone, kIlluminance, kIlluminate };

// The variables a light loop defines: L, Cl and Ol in illuminance, L in
// illuminate and solar.
std::vector<const GlobalVariable*> lightLoopVariables(LightLoop loop) {
    const ShaderKind kind =
        loop == LightLoop::kIlluminance ? ShaderKind::kSurface : ShaderKind::kLight;
    std::vector<const GlobalVariable*> variables;
    for (const GlobalVariable& variable : globalVariables(kind))
        if (variable.onlyInLightLoop) variables.push_back(&variable);
    return variables;
}

std::string loopName(std::optional<ShaderKind> kind) {
    if (kind == ShaderKind::kLight) return "illuminate or solar";
    if (kind == ShaderKind::kSurface || kind == ShaderKind::kVolume) return "an illuminance loop";
    return "a light loop";
}

// Counts how deep a walk of the tree is while it lives.
class Deeper {
public:
    explicit Deeper(int& depth) : fDepth(++depth) {}
    ~Deeper() { --fDepth; }
    Deeper(const Deeper&) = delete;
    Deeper& operator=(const Deeper&) = delete;

    bool tooDeep() const { return fDepth > kDeepestTree; }

private:
    int& fDepth;
};

constexpr const char* kTooDeep = "this is nested too deeply to check";

// ---------------------------------------------------------------------------
// What both passes share.

// What a function needs of the place that calls it, checked at each call.
enum class NeedKind {
    kSurfaceOrVolume,  // illuminance, or a call that gathers light
    kLight,            // illuminate or solar
    kOutsideLightLoop, // a light loop of its own, or a call that gathers light
    kInsideLightLoop,  // a light-loop variable, or lightsource()
    kPredefined,       // a predefined variable an extern declaration reaches
};

struct Need {
    NeedKind kind = NeedKind::kSurfaceOrVolume;
    std::string what;      // "illuminance", "'diffuse'", "'Cl'"; kPredefined: the bare name
    bool variable = false; // what is a variable, for the messages
    SourceLocation at;     // where the function uses it
    Type type{};           // kPredefined: the type its extern declaration gives
    bool written = false;  // kPredefined: the function writes it
};

struct FunctionFacts {
    FunctionDefinition* definition = nullptr;
    bool nested = false; // defined inside a shader or function
    std::vector<Need> needs;
};

// A function parameter's function and place.
struct ParameterPlace {
    const FunctionDefinition* function = nullptr;
    size_t index = 0;
};

struct Shared {
    Diagnostics& diagnostics;
    // Expressions in which an error was reported: what uses them reports no
    // more about them.
    std::unordered_set<const Expression*> poisoned{};
    std::unordered_map<const FunctionDefinition*, FunctionFacts> functions{};
    std::unordered_map<const Declaration*, ParameterPlace> parameters{};
    bool reportedDepth = false; // one kTooDeep error is enough
};

// A parameter of a function a call may mean, its extra arguments included.
struct ParameterView {
    BasicType type = kFloat;
    bool array = false;
    int arrayLength = -1; // of an array; -1 for any
    bool output = false;
    bool anyType = false;

    bool operator==(const ParameterView&) const = default;
};

// A function a call may mean: an overload of the standard library, or a
// function of the file.
struct Candidate {
    const BuiltinFunction* builtin = nullptr;
    const FunctionDefinition* user = nullptr;

    std::string_view name() const { return builtin ? builtin->name : user->name; }
    BasicType result() const { return builtin ? builtin->result : user->result.basic; }
    size_t listed() const { return builtin ? builtin->parameters.size() : user->parameters.size(); }
    bool accepts(size_t count) const {
        return builtin ? builtin->acceptsArgumentCount(count) : count == user->parameters.size();
    }
    // User functions that differ only in their result are chosen by the use.
    bool resultFromContext() const { return builtin ? builtin->resultFromContext : true; }
    ExtraArguments extra() const { return builtin ? builtin->extra : ExtraArguments::kNone; }

    ParameterView parameter(size_t index) const {
        if (user) {
            const Declaration& parameter = user->parameters[index];
            return {.type = parameter.type.basic,
                    .array = parameter.type.isArray(),
                    .arrayLength = parameter.type.arrayLength,
                    .output = parameter.output};
        }
        const std::vector<BuiltinParameter>& parameters = builtin->parameters;
        if (index < parameters.size()) {
            const BuiltinParameter& parameter = parameters[index];
            return {.type = parameter.type,
                    .array = parameter.array,
                    .output = parameter.output,
                    .anyType = parameter.anyType};
        }
        const bool name = (index - parameters.size()) % 2 == 0;
        if (builtin->extra == ExtraArguments::kMoreOfLast && !parameters.empty())
            return parameter(parameters.size() - 1);
        if (builtin->extra == ExtraArguments::kParameterList && name) return {.type = kString};
        return {.anyType = true};
    }

    bool sameParameters(const Candidate& other) const {
        if (listed() != other.listed() || extra() != other.extra()) return false;
        for (size_t index = 0; index < listed(); ++index)
            if (!(parameter(index) == other.parameter(index))) return false;
        return true;
    }
};

// The variable an assignment or output argument writes: the variable, or
// the array whose element it is; null for anything else.
const Expression* writtenVariable(const Expression& target) {
    if (target.kind == ExpressionKind::kVariable) return &target;
    if (target.kind == ExpressionKind::kIndex &&
        target.operands[0]->kind == ExpressionKind::kVariable)
        return target.operands[0].get();
    return nullptr;
}

// ---------------------------------------------------------------------------
// The first pass: names, types, and where each construct may be.

// What a name stands for where it is used.
struct Symbol {
    const Declaration* declaration = nullptr;
    const GlobalVariable* global = nullptr;
    Type type;
    SourceLocation location{}; // of its declaration; none for predefined variables
    // Predefined, and reached from a function outside every shader: what is
    // done with it is checked at the calls.
    bool kindUnknown = false;
};

// The names one block defines. The stack of scopes starts with the file's,
// which holds only functions.
struct Scope {
    std::unordered_map<std::string, Symbol> variables{};
    std::vector<const FunctionDefinition*> functions{};
};

// The shader or function whose body is being checked.
struct Body {
    const FunctionDefinition* function = nullptr; // null in a shader's body
    std::optional<ShaderKind> kind;               // none in a function outside every shader
    size_t root = 0;                              // its scope's place in the stack
    int loops = 0; // while and for loops around, inside the innermost light loop
    LightLoop lightLoop = LightLoop::kNone;
    bool returns = false;
};

// The argument lists a light loop or gather takes: the types, then
// ("name", value) pairs when allowed.
struct ArgumentForm {
    std::vector<BasicType> types;
    bool pairs = false;
};

class TypeChecker {
public:
    explicit TypeChecker(Shared& shared) : fShared(shared) {}

    void file(SourceFile& file) {
        fScopes.emplace_back();
        for (auto& function : file.functions)
            defineFunction(*function, false);
        for (auto& shader : file.shaders)
            checkShader(*shader);
        fScopes.clear();
    }

private:
    // Reports.
    void error(const SourceLocation& at, std::string message) {
        fShared.diagnostics.error(at, std::move(message));
    }
    void warning(const SourceLocation& at, std::string message) {
        fShared.diagnostics.warning(at, std::move(message));
    }
    void poison(const Expression& expression) { fShared.poisoned.insert(&expression); }
    bool poisoned(const Expression& expression) const {
        return fShared.poisoned.contains(&expression);
    }

    // Definitions.
    void defineFunction(FunctionDefinition& function, bool nested) {
        enterFunction(function, nested);
        checkStatements(function.body);
        leaveFunction(function);
    }

    [[gnu::noinline]] void enterFunction(FunctionDefinition& function, bool nested) {
        checkFunctionRedefinition(function);
        fScopes.back().functions.push_back(&function);
        const std::optional<ShaderKind> kind = fBodies.empty() ? std::nullopt : fBodies.back().kind;
        FunctionFacts& facts = fShared.functions[&function];
        facts.definition = &function;
        facts.nested = nested;
        fDefining.push_back(&function);
        fBodies.push_back({.function = &function, .kind = kind, .root = fScopes.size()});
        fScopes.emplace_back();
        for (size_t index = 0; index < function.parameters.size(); ++index)
            declareParameter(function, index);
    }

    [[gnu::noinline]] void leaveFunction(const FunctionDefinition& function) {
        if (function.result.basic != kVoid && !fBodies.back().returns)
            warning(function.location,
                    "function " + quoted(function.name) + " never returns a value");
        fScopes.pop_back();
        fBodies.pop_back();
        fDefining.pop_back();
    }

    void checkFunctionRedefinition(const FunctionDefinition& function) {
        const Candidate defined{.user = &function};
        for (const FunctionDefinition* other : fScopes.back().functions) {
            const Candidate earlier{.user = other};
            if (other->name == function.name && earlier.sameParameters(defined) &&
                other->result.basic == function.result.basic)
                error(function.location, "function " + quoted(function.name) +
                                             " is already defined with these parameters, at " +
                                             lineOf(other->location));
        }
    }

    void declareParameter(FunctionDefinition& function, size_t index) {
        Declaration& parameter = function.parameters[index];
        fShared.parameters[&parameter] = {.function = &function, .index = index};
        if (parameter.init)
            error(parameter.init->location, "the parameter " + quoted(parameter.name) +
                                                " of a function takes no default value");
        addVariable(parameter);
    }

    void checkShader(ShaderDefinition& shader) {
        fBodies.push_back({.kind = shader.kind, .root = fScopes.size()});
        fScopes.emplace_back();
        for (Declaration& parameter : shader.parameters) {
            if (!parameter.detailGiven) parameter.type.detail = Detail::kUniform;
            if (parameter.init) checkInitializer(parameter, true);
            addVariable(parameter);
        }
        checkStatements(shader.body);
        fScopes.pop_back();
        fBodies.pop_back();
    }

    // Scopes.
    void addVariable(const Declaration& declaration) {
        addSymbol(declaration.name, {.declaration = &declaration,
                                     .type = declaration.type,
                                     .location = declaration.location});
    }

    void addSymbol(const std::string& name, const Symbol& symbol) {
        auto [place, added] = fScopes.back().variables.try_emplace(name, symbol);
        if (!added)
            error(symbol.location, quoted(name) + " is already defined in this scope, at " +
                                       lineOf(place->second.location));
    }

    // The symbol of the name in the current body, without a report.
    std::optional<Symbol> findVariable(const std::string& name) const {
        const Body& body = fBodies.back();
        for (size_t index = fScopes.size(); index-- > body.root;) {
            const auto found = fScopes[index].variables.find(name);
            if (found != fScopes[index].variables.end()) return found->second;
        }
        if (name == kPi.name) return Symbol{.global = &kPi, .type = kPi.type};
        if (body.function) return std::nullopt;
        if (const GlobalVariable* global = predefinedOf(*body.kind, name))
            return Symbol{.global = global, .type = global->type};
        return std::nullopt;
    }

    std::optional<Symbol> lookupVariable(const std::string& name, const SourceLocation& at) {
        std::optional<Symbol> symbol = findVariable(name);
        const Body& body = fBodies.back();
        // In a function, the extern declaration of a light-loop variable
        // made it a need of the function's calls.
        if (symbol && symbol->global && symbol->global->onlyInLightLoop && !body.function &&
            body.lightLoop == LightLoop::kNone) {
            require({.kind = NeedKind::kInsideLightLoop,
                     .what = quoted(name),
                     .variable = true,
                     .at = at},
                    at);
            return std::nullopt;
        }
        if (symbol) return symbol;
        if (body.function && reachableByExtern(name))
            error(at, quoted(name) + " is not defined in " + quoted(body.function->name) +
                          ": an extern declaration would reach the one outside");
        else
            error(at, quoted(name) + " is not defined");
        return std::nullopt;
    }

    // Whether an extern declaration in the current function could name it.
    bool reachableByExtern(const std::string& name) const {
        const Body& body = fBodies.back();
        for (size_t index = 1; index < body.root; ++index)
            if (fScopes[index].variables.contains(name)) return true;
        if (body.kind) return predefinedOf(*body.kind, name) != nullptr;
        return std::ranges::any_of(
            kAllShaderKinds, [&](ShaderKind kind) { return findGlobal(kind, name) != nullptr; });
    }

    std::vector<Candidate> visibleFunctions(const std::string& name) const {
        std::vector<Candidate> candidates;
        for (size_t index = fScopes.size(); index-- > 0;)
            for (const FunctionDefinition* function : fScopes[index].functions)
                if (function->name == name) candidates.push_back({.user = function});
        return candidates;
    }

    // Needs: what a construct requires of where it is. In a shader's body
    // it is checked at once; in a function's, what the function cannot know
    // is kept for its calls.
    void require(const Need& need, const SourceLocation& at,
                 const FunctionDefinition* through = nullptr) {
        const Body& body = fBodies.back();
        switch (need.kind) {
        case NeedKind::kSurfaceOrVolume:
        case NeedKind::kLight:
            if (!body.kind)
                keep(need);
            else if (!kindFits(need.kind, *body.kind))
                reportNeed(need, at, through);
            return;
        case NeedKind::kOutsideLightLoop:
            if (body.lightLoop != LightLoop::kNone)
                reportNeed(need, at, through);
            else if (body.function)
                keep(need);
            return;
        case NeedKind::kInsideLightLoop:
            if (body.lightLoop != LightLoop::kNone) return;
            if (body.function)
                keep(need);
            else
                reportNeed(need, at, through);
            return;
        case NeedKind::kPredefined:
            if (body.kind)
                checkPredefinedNeed(need, at, through);
            else
                keep(need);
            return;
        }
    }

    static bool kindFits(NeedKind need, ShaderKind kind) {
        if (need == NeedKind::kLight) return kind == ShaderKind::kLight;
        return kind == ShaderKind::kSurface || kind == ShaderKind::kVolume;
    }

    void keep(const Need& need) {
        std::vector<Need>& needs = fShared.functions[fBodies.back().function].needs;
        for (Need& kept : needs) {
            if (kept.kind == need.kind && kept.what == need.what) {
                kept.written = kept.written || need.written;
                return;
            }
        }
        needs.push_back(need);
    }

    std::string needMessage(const Need& need) const {
        switch (need.kind) {
        case NeedKind::kSurfaceOrVolume:
            return need.what + " is only allowed in surface and volume shaders";
        case NeedKind::kLight:
            return need.what + " is only allowed in light shaders";
        case NeedKind::kOutsideLightLoop:
            return need.what + " cannot be used inside a light loop";
        case NeedKind::kInsideLightLoop:
            return need.what +
                   (need.variable ? " is only defined inside " : " is only allowed inside ") +
                   loopName(fBodies.back().kind);
        case NeedKind::kPredefined:
            break;
        }
        return need.what + " is needed";
    }

    void reportNeed(const Need& need, const SourceLocation& at, const FunctionDefinition* through,
                    const std::string& problem = {}) {
        const std::string message = problem.empty() ? needMessage(need) : problem;
        if (!through) {
            error(at, message);
            return;
        }
        error(at, quoted(through->name) + " cannot be called here: " + message + " (" +
                      lineOf(need.at) + ")");
    }

    void checkPredefinedNeed(const Need& need, const SourceLocation& at,
                             const FunctionDefinition* through) {
        const ShaderKind kind = *fBodies.back().kind;
        const GlobalVariable* variable = predefinedOf(kind, need.what);
        const std::string name = quoted(need.what);
        if (!variable)
            reportNeed(need, at, through,
                       name + " is not a predefined variable of " + kindName(kind));
        else if (variable->type.basic != need.type.basic ||
                 variable->type.isArray() != need.type.isArray())
            reportNeed(need, at, through,
                       name + " is " + typeName(variable->type) + " in " + kindName(kind) +
                           ", not " + typeName(need.type));
        else if (need.written && !variable->writable)
            reportNeed(need, at, through, name + " is read-only in " + kindName(kind));
        else if (variable->onlyInLightLoop)
            require(
                {.kind = NeedKind::kInsideLightLoop, .what = name, .variable = true, .at = need.at},
                at, through);
    }

    void requireNeedsOf(const FunctionDefinition& callee, const SourceLocation& at) {
        const std::vector<Need> needs = fShared.functions[&callee].needs;
        for (const Need& need : needs)
            require(need, at, &callee);
    }

    void requireScope(const BuiltinFunction& function, const SourceLocation& at) {
        const std::string what = quoted(function.name);
        switch (function.scope) {
        case BuiltinScope::kAnywhere:
            return;
        case BuiltinScope::kGathersLight:
            require({.kind = NeedKind::kSurfaceOrVolume, .what = what, .at = at}, at);
            require({.kind = NeedKind::kOutsideLightLoop, .what = what, .at = at}, at);
            return;
        case BuiltinScope::kInsideIlluminance:
            require({.kind = NeedKind::kSurfaceOrVolume, .what = what, .at = at}, at);
            require({.kind = NeedKind::kInsideLightLoop, .what = what, .at = at}, at);
            return;
        }
    }

    // Statements.
    void checkStatements(std::vector<StatementPtr>& statements) {
        for (StatementPtr& statement : statements)
            checkStatement(*statement);
    }

    // The body of an if, a loop or a light loop: a scope of its own.
    void checkNested(Statement& statement) {
        fScopes.emplace_back();
        checkStatement(statement);
        fScopes.pop_back();
    }

    void checkStatement(Statement& statement) {
        switch (statement.kind) {
        case StatementKind::kExpression:
            infer(*statement.expression);
            settle(*statement.expression, statement.expression->type.basic);
            return;
        case StatementKind::kDeclaration:
            for (Declaration& declaration : statement.declarations)
                declare(declaration);
            return;
        case StatementKind::kBlock:
            fScopes.emplace_back();
            checkStatements(statement.body);
            fScopes.pop_back();
            return;
        case StatementKind::kIf:
            checkCondition(*statement.expression, "if");
            for (StatementPtr& branch : statement.body)
                checkNested(*branch);
            return;
        case StatementKind::kWhile:
            checkCondition(*statement.expression, "while");
            checkLoopBody(statement);
            return;
        case StatementKind::kFor:
            checkFor(statement);
            return;
        case StatementKind::kBreak:
        case StatementKind::kContinue:
            checkLoopExit(statement);
            return;
        case StatementKind::kReturn:
            checkReturn(statement);
            return;
        case StatementKind::kIlluminance:
        case StatementKind::kIlluminate:
        case StatementKind::kSolar:
            checkLightLoop(statement);
            return;
        case StatementKind::kGather:
            checkGather(statement);
            return;
        case StatementKind::kFunction:
            defineFunction(*statement.function, true);
            return;
        case StatementKind::kEmpty:
            return;
        }
    }

    [[gnu::noinline]] void declare(Declaration& declaration) {
        if (declaration.isExtern) {
            declareExtern(declaration);
            return;
        }
        if (declaration.init) checkInitializer(declaration, false);
        if (declaration.type.arrayLength < 0)
            error(declaration.location,
                  "the array " + quoted(declaration.name) + " needs a length, or values to count");
        addVariable(declaration);
    }

    void checkInitializer(Declaration& declaration, bool shaderParameter) {
        Expression& init = *declaration.init;
        inferValue(init);
        // A local array written without its length takes its value's.
        if (!shaderParameter && declaration.type.arrayLength < 0 && init.type.arrayLength > 0)
            declaration.type.arrayLength = init.type.arrayLength;
        if (!fitsInto(init, declaration.type))
            error(init.location, "cannot initialize " + typeName(declaration.type) + " " +
                                     quoted(declaration.name) + " with " + typeName(init.type));
    }

    void declareExtern(Declaration& declaration) {
        if (declaration.init)
            error(declaration.init->location, "an extern declaration takes no value");
        std::optional<Symbol> target = externTarget(declaration);
        if (!target) {
            error(declaration.location,
                  "the extern " + quoted(declaration.name) + " names no variable outside");
            addVariable(declaration);
            return;
        }
        const Type& found = target->type;
        const bool lengthsDiffer = found.arrayLength > 0 && declaration.type.arrayLength > 0 &&
                                   found.arrayLength != declaration.type.arrayLength;
        const bool genericDetail = target->declaration &&
                                   fShared.parameters.contains(target->declaration) &&
                                   !target->declaration->detailGiven;
        if (found.basic != declaration.type.basic ||
            found.isArray() != declaration.type.isArray() || lengthsDiffer)
            error(declaration.location, "the extern " + quoted(declaration.name) + " is declared " +
                                            typeName(declaration.type) + " but is " +
                                            typeName(found));
        else if (declaration.detailGiven && !genericDetail &&
                 declaration.type.detail != found.detail)
            error(declaration.location,
                  "the extern " + quoted(declaration.name) + " is declared " +
                      (declaration.type.detail == Detail::kUniform ? "uniform" : "varying") +
                      " but is " + (found.detail == Detail::kUniform ? "uniform" : "varying"));
        declaration.type.detail = found.detail;
        Symbol symbol = *target;
        symbol.location = declaration.location;
        addSymbol(declaration.name, symbol);
    }

    // What an extern declaration names: in a shader's body, a variable of
    // the shader or a predefined one; in a function's, a variable of the
    // bodies it is nested in, or a predefined one.
    std::optional<Symbol> externTarget(const Declaration& declaration) {
        const Body& body = fBodies.back();
        const std::string& name = declaration.name;
        if (!body.function) return findVariable(name);
        if (body.lightLoop != LightLoop::kNone)
            for (const GlobalVariable* variable : lightLoopVariables(body.lightLoop))
                if (variable->name == name)
                    return Symbol{.global = variable, .type = variable->type};
        for (size_t index = body.root; index-- > 1;) {
            const auto found = fScopes[index].variables.find(name);
            if (found != fScopes[index].variables.end()) return found->second;
        }
        if (body.kind) {
            const GlobalVariable* variable = predefinedOf(*body.kind, name);
            if (!variable) return std::nullopt;
            if (variable->onlyInLightLoop)
                require({.kind = NeedKind::kInsideLightLoop,
                         .what = quoted(name),
                         .variable = true,
                         .at = declaration.location},
                        declaration.location);
            return Symbol{.global = variable, .type = variable->type};
        }
        for (ShaderKind kind : kAllShaderKinds) {
            if (const GlobalVariable* variable = findGlobal(kind, name)) {
                keep({.kind = NeedKind::kPredefined,
                      .what = name,
                      .at = declaration.location,
                      .type = declaration.type});
                return Symbol{.global = variable, .type = variable->type, .kindUnknown = true};
            }
        }
        return std::nullopt;
    }

    [[gnu::noinline]] void checkCondition(Expression& condition, std::string_view statement) {
        inferValue(condition);
        requireFloat(condition, "the condition of " + std::string(statement));
    }

    void checkLoopBody(Statement& loop) {
        ++fBodies.back().loops;
        for (StatementPtr& body : loop.body)
            checkNested(*body);
        --fBodies.back().loops;
    }

    void checkFor(Statement& loop) {
        if (loop.init) infer(*loop.init);
        if (loop.expression) checkCondition(*loop.expression, "for");
        if (loop.step) infer(*loop.step);
        checkLoopBody(loop);
    }

    [[gnu::noinline]] void checkLoopExit(const Statement& exit) {
        const int loops = fBodies.back().loops;
        const std::string word = exit.kind == StatementKind::kBreak ? "break" : "continue";
        if (loops == 0)
            error(exit.location, word + " outside a loop");
        else if (exit.levels > loops)
            error(exit.location, word + " " + std::to_string(exit.levels) +
                                     " leaves more loops than the " + std::to_string(loops) +
                                     " around it");
    }

    [[gnu::noinline]] void checkReturn(Statement& statement) {
        Body& body = fBodies.back();
        Expression* value = statement.expression.get();
        if (!body.function) {
            if (value) {
                infer(*value);
                error(value->location, "a shader's return takes no value");
            }
            return;
        }
        body.returns = true;
        const FunctionDefinition& function = *body.function;
        if (function.result.basic == kVoid) {
            if (value) {
                infer(*value);
                error(value->location, quoted(function.name) + " is void and returns no value");
            }
            return;
        }
        if (!value) {
            error(statement.location,
                  quoted(function.name) + " must return a " + typeName(function.result));
            return;
        }
        inferValue(*value);
        if (!fitsInto(*value, valueOf(function.result.basic)))
            error(value->location, quoted(function.name) + " returns " + typeName(function.result) +
                                       ", not " + typeName(value->type));
    }

    void checkLightLoop(Statement& loop) {
        checkLightLoopHead(loop);
        const size_t body = fBodies.size() - 1;
        const int loops = fBodies[body].loops;
        const LightLoop outer = fBodies[body].lightLoop;
        const LightLoop inner = loop.kind == StatementKind::kIlluminance ? LightLoop::kIlluminance
                                                                         : LightLoop::kIlluminate;
        fBodies[body].loops = 0;
        fBodies[body].lightLoop = inner;
        fScopes.emplace_back();
        defineLightLoopVariables(inner);
        for (StatementPtr& statement : loop.body)
            checkNested(*statement);
        fScopes.pop_back();
        fBodies[body].loops = loops;
        fBodies[body].lightLoop = outer;
    }

    [[gnu::noinline]] void checkLightLoopHead(Statement& loop) {
        const bool illuminance = loop.kind == StatementKind::kIlluminance;
        const std::string what = illuminance                               ? "illuminance"
                                 : loop.kind == StatementKind::kIlluminate ? "illuminate"
                                                                           : "solar";
        require({.kind = illuminance ? NeedKind::kSurfaceOrVolume : NeedKind::kLight,
                 .what = what,
                 .at = loop.location},
                loop.location);
        require({.kind = NeedKind::kOutsideLightLoop, .what = what, .at = loop.location},
                loop.location);
        checkLoopArguments(loop, what);
    }

    [[gnu::noinline]] void defineLightLoopVariables(LightLoop loop) {
        for (const GlobalVariable* variable : lightLoopVariables(loop))
            fScopes.back().variables.try_emplace(
                std::string(variable->name), Symbol{.global = variable, .type = variable->type});
    }

    void checkGather(Statement& gather) {
        checkGatherArguments(gather);
        for (StatementPtr& statement : gather.body)
            checkNested(*statement);
    }

    [[gnu::noinline]] void checkGatherArguments(Statement& gather) {
        checkLoopArguments(gather, "gather");
    }

    static std::vector<ArgumentForm> argumentForms(StatementKind kind) {
        switch (kind) {
        case StatementKind::kIlluminance:
            return {{{kPoint}, true},
                    {{kString, kPoint}, true},
                    {{kPoint, kVector, kFloat}, true},
                    {{kString, kPoint, kVector, kFloat}, true}};
        case StatementKind::kIlluminate:
            return {{{kPoint}, false}, {{kPoint, kVector, kFloat}, false}};
        case StatementKind::kSolar:
            return {{{}, false}, {{kVector, kFloat}, false}};
        default:
            return {{{kString, kPoint, kVector, kFloat, kFloat}, true}};
        }
    }

    static const char* argumentsWanted(StatementKind kind) {
        switch (kind) {
        case StatementKind::kIlluminance:
            return "([category,] position [, axis, angle]) and (\"name\", value) pairs";
        case StatementKind::kIlluminate:
            return "(position [, axis, angle])";
        case StatementKind::kSolar:
            return "([axis, angle])";
        default:
            return "(category, position, direction, angle, samples) and (\"name\", value) pairs";
        }
    }

    static ParameterView formParameter(const ArgumentForm& form, size_t index) {
        if (index < form.types.size()) return {.type = form.types[index]};
        if ((index - form.types.size()) % 2 == 0) return {.type = kString};
        return {.anyType = true};
    }

    static bool formAccepts(const ArgumentForm& form, size_t count) {
        if (count < form.types.size()) return false;
        return form.pairs ? (count - form.types.size()) % 2 == 0 : count == form.types.size();
    }

    [[gnu::noinline]] void checkLoopArguments(Statement& loop, const std::string& what) {
        bool anyPoisoned = false;
        for (ExpressionPtr& argument : loop.arguments) {
            inferValue(*argument);
            anyPoisoned = anyPoisoned || poisoned(*argument);
        }
        for (const ArgumentForm& form : argumentForms(loop.kind)) {
            if (!formAccepts(form, loop.arguments.size())) continue;
            bool fits = true;
            for (size_t index = 0; index < loop.arguments.size() && fits; ++index)
                fits = argumentCost(*loop.arguments[index], formParameter(form, index)).has_value();
            if (!fits) continue;
            for (size_t index = 0; index < loop.arguments.size(); ++index)
                settleArgument(*loop.arguments[index], formParameter(form, index));
            return;
        }
        if (!anyPoisoned)
            error(loop.location, what + " takes " + argumentsWanted(loop.kind) + ", not " +
                                     argumentTypes(loop.arguments));
    }

    static std::string argumentTypes(const std::vector<ExpressionPtr>& arguments) {
        std::string text = "(";
        for (size_t index = 0; index < arguments.size(); ++index) {
            if (index > 0) text += ", ";
            text += typeName(arguments[index]->type);
        }
        return text + ")";
    }

    // Expressions. The functions that recurse over the tree hold little:
    // what they do after recursing is in out-of-line functions, so that
    // their frames stay small where locals share no stack slots (builds
    // with sanitizers); kDeepestTree is sized for that.
    void infer(Expression& expression) {
        const Deeper deeper(fDepth);
        if (deeper.tooDeep()) {
            reportTooDeep(expression);
            return;
        }
        switch (expression.kind) {
        case ExpressionKind::kNumber:
            expression.type = valueOf(kFloat);
            return;
        case ExpressionKind::kString:
            expression.type = valueOf(kString);
            return;
        case ExpressionKind::kVariable:
            inferVariable(expression);
            return;
        case ExpressionKind::kIndex:
            inferValue(*expression.operands[0]);
            inferIndex(expression, false);
            return;
        case ExpressionKind::kCall:
            inferCall(expression);
            return;
        case ExpressionKind::kUnary:
            inferValue(*expression.operands[0]);
            typeUnary(expression);
            return;
        case ExpressionKind::kBinary:
            inferValue(*expression.operands[0]);
            inferValue(*expression.operands[1]);
            typeBinary(expression);
            return;
        case ExpressionKind::kAssign:
            inferAssign(expression);
            return;
        case ExpressionKind::kConditional:
        case ExpressionKind::kTuple:
        case ExpressionKind::kArray:
        case ExpressionKind::kCast:
            for (ExpressionPtr& operand : expression.operands)
                inferValue(*operand);
            typeComposite(expression);
            return;
        }
    }

    [[gnu::noinline]] void reportTooDeep(Expression& expression) {
        expression.type = valueOf(kFloat);
        if (!std::exchange(fShared.reportedDepth, true)) error(expression.location, kTooDeep);
        poison(expression);
    }

    // An expression whose value is used: a void call is an error.
    void inferValue(Expression& expression) {
        infer(expression);
        if (expression.type.basic == kVoid && !poisoned(expression)) reportNoValue(expression);
    }

    [[gnu::noinline]] void reportNoValue(Expression& expression) {
        error(expression.location, expression.kind == ExpressionKind::kCall
                                       ? quoted(expression.name) + " is void and gives no value"
                                       : std::string("this gives no value"));
        poison(expression);
    }

    [[gnu::noinline]] void requireFloat(Expression& operand, std::string_view user) {
        settle(operand, kFloat);
        if (poisoned(operand) || (operand.type.basic == kFloat && !operand.type.isArray())) return;
        error(operand.location,
              std::string(user) + " takes a float or a comparison, not " + typeName(operand.type));
        poison(operand);
    }

    [[gnu::noinline]] std::optional<Symbol> inferVariable(Expression& variable) {
        std::optional<Symbol> symbol = lookupVariable(variable.name, variable.location);
        if (!symbol) {
            poison(variable);
            variable.type = valueOf(kFloat);
            return std::nullopt;
        }
        variable.declaration = symbol->declaration;
        variable.global = symbol->global;
        variable.type = symbol->type;
        return symbol;
    }

    // An index whose base is already inferred. A map's name, as the first
    // argument of texture and its family, takes a [channel].
    void inferIndex(Expression& index, bool channelAllowed) {
        inferValue(*index.operands[1]);
        typeIndex(index, channelAllowed);
    }

    [[gnu::noinline]] void typeIndex(Expression& index, bool channelAllowed) {
        Expression& base = *index.operands[0];
        Expression& position = *index.operands[1];
        requireFloat(position, "an index");
        index.type = valueOf(kFloat);
        if (poisoned(base) || poisoned(position)) {
            poison(index);
            return;
        }
        if (base.type.isArray()) {
            index.type = valueOf(base.type.basic);
            return;
        }
        if (base.type.basic == kString && channelAllowed) {
            index.type = valueOf(kString);
            fChannels.insert(&index);
            return;
        }
        error(index.location,
              base.type.basic == kString
                  ? std::string("a string takes a [channel] only as the map of texture, "
                                "environment, shadow or bump")
                  : "only an array can be indexed, not " + typeName(base.type));
        poison(index);
    }

    [[gnu::noinline]] void typeUnary(Expression& unary) {
        Expression& operand = *unary.operands[0];
        unary.type = valueOf(kFloat);
        if (poisoned(operand)) {
            poison(unary);
            return;
        }
        if (unary.op == TokenKind::kNot) {
            requireFloat(operand, "'!'");
            return;
        }
        if (operand.type.isArray() || !isNumeric(operand.type.basic)) {
            error(unary.location, "cannot negate " + typeName(operand.type));
            poison(unary);
            return;
        }
        unary.type = valueOf(operand.type.basic);
        if (flexible(operand)) makeFlexible(unary, alternatives(operand), choosesResult(operand));
    }

    [[gnu::noinline]] void typeBinary(Expression& binary) {
        Expression& a = *binary.operands[0];
        Expression& b = *binary.operands[1];
        binary.type = valueOf(kFloat);
        if (poisoned(a) || poisoned(b)) {
            poison(binary);
            return;
        }
        const char* op = describe(binary.op);
        if (binary.op == TokenKind::kAnd || binary.op == TokenKind::kOr) {
            requireFloat(a, op);
            requireFloat(b, op);
            return;
        }
        if (a.type.isArray() || b.type.isArray()) {
            error(binary.location, std::string(op) + " cannot take arrays; use their elements");
            poison(binary);
            return;
        }
        if (isOrdering(binary.op) || isEquality(binary.op))
            typeComparison(binary);
        else if (binary.op == TokenKind::kDot)
            typeDot(binary);
        else if (binary.op == TokenKind::kCaret)
            typeCross(binary);
        else
            typeArithmeticOperands(binary);
    }

    // Settles a flexible operand to the other's type, then both to what
    // they have.
    void settleTogether(Expression& a, Expression& b) {
        if (flexible(a) && !flexible(b)) settle(a, b.type.basic);
        if (flexible(b) && !flexible(a)) settle(b, a.type.basic);
        settle(a, a.type.basic);
        settle(b, b.type.basic);
    }

    [[gnu::noinline]] void reportOperands(Expression& binary, const char* problem) {
        const Type& a = binary.operands[0]->type;
        const Type& b = binary.operands[1]->type;
        error(binary.location, describe(binary.op) + std::string(" ") + problem + ", not " +
                                   typeName(a) + " and " + typeName(b));
        poison(binary);
    }

    void typeComparison(Expression& binary) {
        Expression& a = *binary.operands[0];
        Expression& b = *binary.operands[1];
        settleTogether(a, b);
        const BasicType x = a.type.basic, y = b.type.basic;
        if (isOrdering(binary.op)) {
            if (x != kFloat || y != kFloat) reportOperands(binary, "compares floats");
            return;
        }
        const bool strings = x == kString && y == kString;
        const bool numbers = isNumeric(x) && isNumeric(y) && commonType(x, y).has_value();
        if (!strings && !numbers) reportOperands(binary, "compares two values of one kind");
    }

    void typeDot(Expression& binary) {
        Expression& a = *binary.operands[0];
        Expression& b = *binary.operands[1];
        settleTogether(a, b);
        const BasicType x = a.type.basic, y = b.type.basic;
        const bool fits = (isSpatial(x) && isSpatial(y)) || (x == kColor && y == kColor);
        if (!fits) reportOperands(binary, "takes two points, vectors or normals, or two colours");
    }

    void typeCross(Expression& binary) {
        Expression& a = *binary.operands[0];
        Expression& b = *binary.operands[1];
        if (flexible(a) && flexible(b)) settle(a, kVector);
        settleTogether(a, b);
        const BasicType x = a.type.basic, y = b.type.basic;
        if (!isSpatial(x) || !isSpatial(y)) {
            reportOperands(binary, "takes two vectors");
            return;
        }
        binary.type = valueOf(kVector);
        if (x == kPoint && y == kPoint)
            warning(binary.location, "the cross product of two points; vectors were meant?");
    }

    void typeArithmeticOperands(Expression& binary) {
        Expression& a = *binary.operands[0];
        Expression& b = *binary.operands[1];
        // Calls that take their result from their use get none through an
        // operator.
        if (choosesResult(a)) settle(a, a.type.basic);
        if (choosesResult(b)) settle(b, b.type.basic);
        if (flexible(a) && !flexible(b) && isTriple(b.type.basic)) settle(a, b.type.basic);
        if (flexible(b) && !flexible(a) && isTriple(a.type.basic)) settle(b, a.type.basic);
        typeArithmetic(binary);
        if (!poisoned(binary) && (flexible(a) || flexible(b)))
            makeFlexible(binary, sharedAlternatives(binary, 0), false);
    }

    [[gnu::noinline]] void typeArithmetic(Expression& binary) {
        const BasicType a = binary.operands[0]->type.basic;
        const BasicType b = binary.operands[1]->type.basic;
        const std::optional<BasicType> result = arithmeticType(binary.op, a, b);
        if (!result) {
            reportOperands(binary, "cannot combine these");
            binary.type = valueOf(kFloat);
            return;
        }
        binary.type = valueOf(*result);
    }

    // A conditional, a triple, an array's values or a cast, whose operands
    // are inferred.
    [[gnu::noinline]] void typeComposite(Expression& expression) {
        switch (expression.kind) {
        case ExpressionKind::kConditional:
            typeConditional(expression);
            return;
        case ExpressionKind::kTuple:
            typeTuple(expression);
            return;
        case ExpressionKind::kArray:
            typeArrayValues(expression);
            return;
        default:
            typeCast(expression);
            return;
        }
    }

    void typeConditional(Expression& choice) {
        Expression& yes = *choice.operands[1];
        Expression& no = *choice.operands[2];
        requireFloat(*choice.operands[0], "the condition of ?:");
        choice.type = yes.type;
        if (poisoned(yes) || poisoned(no)) {
            poison(choice);
            return;
        }
        if (flexible(yes) && !flexible(no) && no.type.basic != kFloat) settle(yes, no.type.basic);
        if (flexible(no) && !flexible(yes) && yes.type.basic != kFloat) settle(no, yes.type.basic);
        typeChoice(choice);
        if (!poisoned(choice) && (flexible(yes) || flexible(no)))
            makeFlexible(choice, sharedAlternatives(choice, 1),
                         choosesResult(yes) || choosesResult(no));
    }

    [[gnu::noinline]] void typeChoice(Expression& choice) {
        const Type& yes = choice.operands[1]->type;
        const Type& no = choice.operands[2]->type;
        const std::optional<BasicType> common = commonType(yes.basic, no.basic);
        if (yes.isArray() || no.isArray() || !common) {
            error(choice.location, "the choices of ?: are " + typeName(yes) + " and " +
                                       typeName(no) + ", which have no common type");
            poison(choice);
            return;
        }
        choice.type = valueOf(*common);
    }

    void typeTuple(Expression& tuple) {
        for (ExpressionPtr& value : tuple.operands) {
            if (poisoned(*value)) continue;
            settle(*value, kFloat);
            if (value->type.basic != kFloat || value->type.isArray()) {
                error(value->location, "the values of a triple or matrix must be floats, not " +
                                           typeName(value->type));
                poison(*value);
            }
        }
        if (tuple.operands.size() == kMatrixValues) {
            tuple.type = valueOf(kMatrix);
            return;
        }
        // A point until its use says what it is.
        tuple.type = valueOf(kPoint);
        makeFlexible(tuple, {kPoint, kVector, kNormal, kColor}, false);
    }

    void typeArrayValues(Expression& array) {
        std::optional<BasicType> element;
        for (ExpressionPtr& value : array.operands) {
            if (poisoned(*value) || flexible(*value)) continue;
            if (value->type.isArray()) {
                error(value->location, "an array's values cannot be arrays");
                poison(array);
                continue;
            }
            const std::optional<BasicType> common =
                element ? commonType(*element, value->type.basic) : value->type.basic;
            if (!common) {
                error(value->location, "an array's values cannot be both " +
                                           std::string(describe(*element)) + " and " +
                                           typeName(value->type));
                poison(array);
                continue;
            }
            element = common;
        }
        if (array.operands.empty()) {
            error(array.location, "an array needs at least one value");
            poison(array);
        }
        bool stillFlexible = false;
        for (ExpressionPtr& value : array.operands) {
            if (!flexible(*value)) continue;
            if (element && *element != kFloat) settle(*value, *element);
            stillFlexible = stillFlexible || flexible(*value);
            if (!element) element = value->type.basic;
        }
        array.type =
            valueOf(element.value_or(kFloat), std::max<int>(1, int(array.operands.size())));
        if (stillFlexible) makeFlexible(array, sharedAlternatives(array, 0), false);
    }

    void typeCast(Expression& cast) {
        Expression& operand = *cast.operands[0];
        settle(operand, cast.castTo);
        cast.type = valueOf(cast.castTo);
        checkCastSpace(cast);
        if (poisoned(operand)) return;
        const BasicType from = operand.type.basic, to = cast.castTo;
        const bool fits =
            !operand.type.isArray() &&
            (from == to || (from == kFloat && isNumeric(to)) || (isTriple(from) && isTriple(to)));
        if (!fits)
            error(cast.location,
                  "cannot cast " + typeName(operand.type) + " to " + describe(cast.castTo));
    }

    void checkCastSpace(const Expression& cast) {
        if (cast.space.empty()) return;
        if (cast.castTo == kFloat || cast.castTo == kString)
            error(cast.location,
                  std::string("a ") + describe(cast.castTo) + " cast takes no space");
        else if (cast.castTo == kColor &&
                 std::ranges::find(kColorSpaces, cast.space) == kColorSpaces.end())
            error(cast.location,
                  quoted(cast.space) +
                      " is not a colour space (rgb, hsv, hsl, xyz, XYZ, xyY or YIQ)");
    }

    [[gnu::noinline]] void inferAssign(Expression& assignment) {
        Expression& target = *assignment.operands[0];
        const std::optional<Symbol> symbol = inferTarget(target);
        inferValue(*assignment.operands[1]);
        typeAssignment(assignment, symbol);
    }

    std::optional<Symbol> inferTarget(Expression& target) {
        if (target.kind == ExpressionKind::kVariable) return inferVariable(target);
        Expression& base = *target.operands[0];
        if (base.kind != ExpressionKind::kVariable) {
            inferValue(base);
            inferIndex(target, false);
            reportNotAssignable(target);
            return std::nullopt;
        }
        std::optional<Symbol> symbol = inferVariable(base);
        inferIndex(target, false);
        return symbol;
    }

    [[gnu::noinline]] void reportNotAssignable(Expression& target) {
        error(target.location, "only a variable or an element of an array can be assigned to");
        poison(target);
    }

    [[gnu::noinline]] void typeAssignment(Expression& assignment,
                                          const std::optional<Symbol>& symbol) {
        Expression& target = *assignment.operands[0];
        Expression& value = *assignment.operands[1];
        assignment.type = target.type;
        if (poisoned(target) || poisoned(value)) {
            poison(assignment);
            return;
        }
        if (assignment.op == TokenKind::kAssign)
            assignWhole(assignment);
        else
            assignCombined(assignment);
        checkWritable(target, symbol);
    }

    static std::string targetName(const Expression& target) {
        const Expression* variable = writtenVariable(target);
        return quoted(variable ? variable->name : std::string("?"));
    }

    void assignWhole(Expression& assignment) {
        Expression& target = *assignment.operands[0];
        Expression& value = *assignment.operands[1];
        if (!fitsInto(value, target.type))
            error(assignment.location, "cannot assign " + typeName(value.type) + " to " +
                                           typeName(target.type) + " " + targetName(target));
    }

    void assignCombined(Expression& assignment) {
        Expression& target = *assignment.operands[0];
        Expression& value = *assignment.operands[1];
        if (target.type.isArray() || value.type.isArray()) {
            error(assignment.location,
                  describe(assignment.op) + std::string(" cannot take arrays"));
            return;
        }
        settle(value, isTriple(target.type.basic) ? target.type.basic : value.type.basic);
        settle(value, value.type.basic);
        const std::optional<BasicType> result =
            arithmeticType(arithmeticOf(assignment.op), target.type.basic, value.type.basic);
        if (!result || !conversionCost(*result, target.type.basic))
            error(assignment.location, describe(assignment.op) + std::string(" cannot combine ") +
                                           typeName(target.type) + " " + targetName(target) +
                                           " with " + typeName(value.type));
    }

    void checkWritable(const Expression& target, const std::optional<Symbol>& symbol) {
        if (!symbol) return;
        const std::string name = targetName(target);
        if (symbol->global) {
            if (symbol->kindUnknown) {
                require({.kind = NeedKind::kPredefined,
                         .what = std::string(symbol->global->name),
                         .at = target.location,
                         .type = symbol->type,
                         .written = true},
                        target.location);
                return;
            }
            if (symbol->global->writable) return;
            const std::optional<ShaderKind> kind = fBodies.back().kind;
            error(target.location,
                  name + " is read-only" + (kind ? " in " + kindName(*kind) : std::string()));
            return;
        }
        const auto parameter = fShared.parameters.find(symbol->declaration);
        if (parameter != fShared.parameters.end() && !symbol->declaration->output)
            error(target.location, name + " is a parameter of " +
                                       quoted(parameter->second.function->name) +
                                       " that is not output, and cannot be written");
    }

    // Whether the value can be assigned to a variable of the type; settles
    // what its use decides.
    bool fitsInto(Expression& value, const Type& target) {
        if (poisoned(value)) return true;
        if (target.isArray()) {
            if (value.kind == ExpressionKind::kArray) return arrayValuesFit(value, target);
            const bool lengthsFit = target.arrayLength < 0 || value.type.arrayLength < 0 ||
                                    target.arrayLength == value.type.arrayLength;
            return value.type.isArray() && value.type.basic == target.basic && lengthsFit;
        }
        if (value.type.isArray()) return false;
        settle(value, target.basic);
        return conversionCost(value.type.basic, target.basic).has_value();
    }

    bool arrayValuesFit(Expression& array, const Type& target) {
        bool fits = target.arrayLength < 0 || size_t(target.arrayLength) == array.operands.size();
        for (ExpressionPtr& value : array.operands) {
            if (poisoned(*value)) continue;
            settle(*value, target.basic);
            fits = fits && !value->type.isArray() &&
                   conversionCost(value->type.basic, target.basic).has_value();
        }
        fFlexible.erase(&array);
        if (fits) array.type.basic = target.basic;
        return fits;
    }

    // Calls.
    [[gnu::noinline]] void inferCall(Expression& call) {
        const std::span<const BuiltinFunction> builtins = builtinOverloads(call.name);
        const bool channel = std::ranges::any_of(builtins, &BuiltinFunction::takesChannel);
        for (size_t index = 0; index < call.operands.size(); ++index) {
            Expression& argument = *call.operands[index];
            if (index == 0 && channel && argument.kind == ExpressionKind::kIndex) {
                inferValue(*argument.operands[0]);
                inferIndex(argument, true);
            } else {
                inferValue(argument);
            }
        }
        resolveCall(call, builtins);
    }

    [[gnu::noinline]] void resolveCall(Expression& call,
                                       std::span<const BuiltinFunction> builtins) {
        const std::vector<Candidate> users = visibleFunctions(call.name);
        call.type = valueOf(kFloat);
        if (users.empty() && builtins.empty()) {
            error(call.location, "no function is named " + quoted(call.name));
            poison(call);
            return;
        }
        const bool anyPoisoned = std::ranges::any_of(
            call.operands, [&](const ExpressionPtr& argument) { return poisoned(*argument); });
        if (anyPoisoned) {
            poison(call);
            call.type = valueOf(users.empty() ? builtins.front().result : users.front().result());
            return;
        }
        std::vector<Candidate> library;
        for (const BuiltinFunction& function : builtins)
            library.push_back({.builtin = &function});
        if (resolveAmong(call, users, true) || resolveAmong(call, library, false)) return;
        error(call.location, "no " + quoted(call.name) + " takes " + argumentTypes(call.operands));
        poison(call);
    }

    // The cost of passing the argument as the parameter; none when it
    // cannot be.
    std::optional<int> argumentCost(const Expression& argument,
                                    const ParameterView& parameter) const {
        if (poisoned(argument)) return kExactCost;
        const Type& type = argument.type;
        if (type.basic == kVoid) return std::nullopt;
        if (parameter.anyType) return kExactCost;
        if (parameter.array) return arrayArgumentCost(argument, parameter);
        if (type.isArray()) return std::nullopt;
        if (parameter.output) {
            if (type.basic == parameter.type) return kExactCost;
            if (isSpatial(type.basic) && isSpatial(parameter.type)) return kSpatialExchangeCost;
            return std::nullopt;
        }
        return valueCost(argument, parameter.type);
    }

    std::optional<int> valueCost(const Expression& value, BasicType wanted) const {
        if (flexible(value) && contains(alternatives(value), wanted)) return kExactCost;
        return conversionCost(value.type.basic, wanted);
    }

    std::optional<int> arrayArgumentCost(const Expression& argument,
                                         const ParameterView& parameter) const {
        const Type& type = argument.type;
        if (!type.isArray()) return std::nullopt;
        if (parameter.arrayLength > 0 && type.arrayLength > 0 &&
            parameter.arrayLength != type.arrayLength)
            return std::nullopt;
        if (type.basic == parameter.type) return kExactCost;
        if (argument.kind != ExpressionKind::kArray) return std::nullopt;
        for (const ExpressionPtr& value : argument.operands)
            if (!poisoned(*value) && !valueCost(*value, parameter.type)) return std::nullopt;
        return kPromotionCost;
    }

    std::optional<int> callCost(const Candidate& candidate, const Expression& call) const {
        if (!candidate.accepts(call.operands.size())) return std::nullopt;
        int total = 0;
        for (size_t index = 0; index < call.operands.size(); ++index) {
            const std::optional<int> cost =
                argumentCost(*call.operands[index], candidate.parameter(index));
            if (!cost) return std::nullopt;
            total += *cost;
        }
        return total;
    }

    // Resolves the call among the candidates; false when none fits.
    bool resolveAmong(Expression& call, const std::vector<Candidate>& candidates, bool users) {
        std::vector<Candidate> best;
        int bestCost = INT_MAX;
        for (const Candidate& candidate : candidates) {
            const std::optional<int> cost = callCost(candidate, call);
            if (!cost || *cost > bestCost) continue;
            if (*cost < bestCost) best.clear();
            bestCost = *cost;
            best.push_back(candidate);
        }
        if (best.empty()) return false;
        std::vector<Candidate> byResult; // the first's parameters, one per result
        for (const Candidate& candidate : best) {
            const bool newResult = std::ranges::none_of(byResult, [&](const Candidate& kept) {
                return kept.result() == candidate.result();
            });
            if (candidate.sameParameters(best.front()) && newResult) byResult.push_back(candidate);
        }
        if (users && std::ranges::any_of(best, [&](const Candidate& candidate) {
                return !candidate.sameParameters(best.front());
            })) {
            reportAmbiguity(call, best);
            return true;
        }
        if (byResult.size() > 1 && byResult.front().resultFromContext()) {
            std::erase_if(byResult, [](const Candidate& c) { return !c.resultFromContext(); });
            std::vector<BasicType> results;
            for (const Candidate& candidate : byResult)
                results.push_back(candidate.result());
            fResultChoices[&call] = byResult;
            makeFlexible(call, std::move(results), true);
        }
        applyCandidate(call, byResult.front());
        finishCall(call, byResult.front());
        return true;
    }

    void reportAmbiguity(Expression& call, const std::vector<Candidate>& best) {
        std::string places;
        for (const Candidate& candidate : best) {
            if (!places.empty()) places += ", ";
            places += lineOf(candidate.user->location);
        }
        error(call.location, "the call of " + quoted(call.name) + " with " +
                                 argumentTypes(call.operands) +
                                 " fits several functions equally well (at " + places + ")");
        poison(call);
    }

    static void applyCandidate(Expression& call, const Candidate& candidate) {
        call.builtin = candidate.builtin;
        call.function = candidate.user;
        call.type = valueOf(candidate.result());
    }

    void settleArgument(Expression& argument, const ParameterView& parameter) {
        if (parameter.anyType) {
            settle(argument, argument.type.basic);
            return;
        }
        if (parameter.array) {
            if (argument.kind == ExpressionKind::kArray)
                fitsInto(argument, valueOf(parameter.type, -1));
            return;
        }
        settle(argument, parameter.type);
    }

    void finishCall(Expression& call, const Candidate& candidate) {
        for (size_t index = 0; index < call.operands.size(); ++index) {
            Expression& argument = *call.operands[index];
            const ParameterView parameter = candidate.parameter(index);
            settleArgument(argument, parameter);
            if (parameter.output) checkOutputArgument(argument, candidate);
            const bool channelFits = candidate.builtin && candidate.builtin->takesChannel;
            if (fChannels.contains(&argument) && !channelFits)
                error(argument.location, quoted(call.name) + " takes no [channel]");
        }
        if (candidate.builtin) requireScope(*candidate.builtin, call.location);
        if (!candidate.user) return;
        if (std::ranges::find(fDefining, candidate.user) != fDefining.end()) {
            error(call.location, quoted(call.name) +
                                     " is called inside its own definition: functions cannot be "
                                     "recursive");
            call.function = nullptr;
            return;
        }
        requireNeedsOf(*candidate.user, call.location);
    }

    void checkOutputArgument(const Expression& argument, const Candidate& candidate) {
        if (poisoned(argument)) return;
        const Expression* variable = writtenVariable(argument);
        if (!variable || fChannels.contains(&argument)) {
            error(argument.location, "an output argument of " + quoted(candidate.name()) +
                                         " must be a variable or an element of an array");
            return;
        }
        checkWritable(argument, findVariable(variable->name));
    }

    // Values whose type their use decides: a triple, a call whose result
    // the use picks, and what is built of them. Each has the types it may
    // still take, and whether a call whose result the use picks is among
    // what it is built of.
    struct Flexibility {
        std::vector<BasicType> alternatives;
        bool choosesResult = false;
    };

    bool flexible(const Expression& expression) const { return fFlexible.contains(&expression); }

    bool choosesResult(const Expression& expression) const {
        const auto found = fFlexible.find(&expression);
        return found != fFlexible.end() && found->second.choosesResult;
    }

    std::vector<BasicType> alternatives(const Expression& expression) const {
        const auto found = fFlexible.find(&expression);
        return found == fFlexible.end() ? std::vector<BasicType>{} : found->second.alternatives;
    }

    void makeFlexible(const Expression& expression, std::vector<BasicType> alternatives,
                      bool choosesResult) {
        fFlexible[&expression] = {std::move(alternatives), choosesResult};
    }

    // The types the flexible operands (from the first on) may all take.
    std::vector<BasicType> sharedAlternatives(const Expression& expression, size_t first) const {
        std::optional<std::vector<BasicType>> shared;
        for (size_t index = first; index < expression.operands.size(); ++index) {
            const auto found = fFlexible.find(expression.operands[index].get());
            if (found == fFlexible.end()) continue;
            const std::vector<BasicType>& own = found->second.alternatives;
            if (shared)
                std::erase_if(*shared, [&](BasicType type) { return !contains(own, type); });
            else
                shared = own;
        }
        return shared.value_or(std::vector<BasicType>{});
    }

    // Gives a flexible value the type its use wants, when it can take it.
    void settle(Expression& expression, BasicType wanted) {
        if (!fFlexible.erase(&expression)) return;
        switch (expression.kind) {
        case ExpressionKind::kTuple:
            if (isTriple(wanted)) expression.type.basic = wanted;
            return;
        case ExpressionKind::kCall:
            chooseResult(expression, wanted);
            return;
        case ExpressionKind::kUnary:
            settle(*expression.operands[0], wanted);
            expression.type.basic = expression.operands[0]->type.basic;
            return;
        case ExpressionKind::kBinary:
            settle(*expression.operands[0], wanted);
            settle(*expression.operands[1], wanted);
            typeArithmetic(expression);
            return;
        case ExpressionKind::kConditional:
            settle(*expression.operands[1], wanted);
            settle(*expression.operands[2], wanted);
            typeChoice(expression);
            return;
        case ExpressionKind::kArray:
            for (ExpressionPtr& value : expression.operands)
                settle(*value, wanted);
            return;
        default:
            return;
        }
    }

    [[gnu::noinline]] void chooseResult(Expression& call, BasicType wanted) {
        const auto found = fResultChoices.find(&call);
        if (found == fResultChoices.end()) return;
        const std::vector<Candidate>& choices = found->second;
        const auto chosen = std::ranges::find(choices, wanted, &Candidate::result);
        applyCandidate(call, chosen != choices.end() ? *chosen : choices.front());
    }

    Shared& fShared;
    std::vector<Scope> fScopes;
    std::vector<Body> fBodies;
    // The functions whose bodies are being checked, the innermost last.
    std::vector<const FunctionDefinition*> fDefining;
    std::unordered_map<const Expression*, Flexibility> fFlexible;
    std::unordered_map<const Expression*, std::vector<Candidate>> fResultChoices;
    std::unordered_set<const Expression*> fChannels;
    int fDepth = 0;
};

// ---------------------------------------------------------------------------
// The second pass: uniform and varying.

class DetailChecker {
public:
    explicit DetailChecker(Shared& shared) : fShared(shared) {}

    void file(SourceFile& file) {
        for (auto& function : file.functions)
            checkDefinition(*function);
        for (auto& shader : file.shaders)
            checkShader(*shader);
    }

private:
    // A write to a uniform variable, which a varying exit of a loop it
    // lies in makes an error.
    struct Write {
        SourceLocation at;
        std::string name;
        const Declaration* declaration = nullptr; // null for a predefined variable
        size_t depth = 0;                         // where the variable was declared
        std::string through{}; // for a call's write: the function and the write's line

        std::string maskedMessage() const {
            return "uniform " + quoted(name) + " is assigned under a varying condition" + through;
        }
    };

    // Where a uniform variable was declared: how many regions were open,
    // and whether the innermost of them was masked already.
    struct Placement {
        size_t depth = 0;
        bool masked = false;
    };

    enum class RegionKind { kBody, kLoop, kBranch };

    // A part of a body that some points may not run.
    struct Region {
        RegionKind kind = RegionKind::kBranch;
        bool varying = false;     // entered under a varying condition
        bool masked = false;      // a varying exit happened in it: what follows is masked
        bool varyingExit = false; // a loop some points leave before the others
        std::vector<Write> pending{};
    };

    // Walking one body: a shader's, or a function's alone or for one call.
    struct Run {
        const FunctionDefinition* function = nullptr;
        const Expression* call = nullptr; // the call it is walked for; null when alone
        std::vector<Region> regions{};
        std::unordered_map<const Declaration*, Placement> declared{};
        Detail result = Detail::kUniform;
    };

    // The details of a function's parameters for one call: none for a
    // parameter that takes its argument's, when the function is checked
    // alone (read as uniform, written freely).
    struct Frame {
        const FunctionDefinition* function = nullptr;
        std::vector<std::optional<Detail>> parameters{};
    };

    struct Instance {
        Detail result = Detail::kVarying;
        std::vector<Write> writes; // to variables outside the function
    };

    using InstanceKey = std::pair<const FunctionDefinition*, std::vector<std::uint8_t>>;

    // Reports.
    void report(const SourceLocation& at, const std::string& message) {
        if (!fReported.insert({at.fileName(), at.line, at.column, message}).second) return;
        std::string text = message;
        if (fRun && fRun->call)
            text += " (in the call of " + quoted(fRun->function->name) + " at " +
                    lineOf(fRun->call->location) + ")";
        fShared.diagnostics.error(at, text);
    }

    // Bodies.
    void checkShader(ShaderDefinition& shader) {
        Run run;
        run.regions.push_back({.kind = RegionKind::kBody});
        Run* outer = std::exchange(fRun, &run);
        for (Declaration& parameter : shader.parameters)
            if (parameter.init) checkInitialization(parameter, detail(*parameter.init));
        statements(shader.body);
        fRun = outer;
    }

    void checkDefinition(const FunctionDefinition& function) {
        if (!fDefinitionsChecked.insert(&function).second) return;
        Frame frame{.function = &function};
        for (const Declaration& parameter : function.parameters)
            frame.parameters.push_back(parameter.detailGiven ? std::optional(parameter.type.detail)
                                                             : std::nullopt);
        walkFunction(function, std::move(frame), nullptr);
    }

    Instance walkFunction(const FunctionDefinition& function, Frame frame, const Expression* call) {
        fFrames.push_back(std::move(frame));
        Run run{.function = &function, .call = call};
        run.regions.push_back({.kind = RegionKind::kBody});
        Run* outer = std::exchange(fRun, &run);
        statements(fShared.functions.at(&function).definition->body);
        fRun = outer;
        fFrames.pop_back();
        return {.result = run.result, .writes = std::move(run.regions.front().pending)};
    }

    // Regions.
    [[gnu::noinline]] void openRegion(RegionKind kind, bool varying) {
        fRun->regions.push_back({.kind = kind, .varying = varying});
    }

    [[gnu::noinline]] void closeRegion() {
        Region region = std::move(fRun->regions.back());
        fRun->regions.pop_back();
        if (region.varyingExit) {
            for (const Write& write : region.pending)
                report(write.at, write.maskedMessage());
            return;
        }
        for (const Write& write : region.pending)
            keepWrite(write);
    }

    // Whether a region from the depth on makes what runs now masked.
    bool maskedFrom(size_t depth) const {
        const std::vector<Region>& regions = fRun->regions;
        for (size_t index = depth; index < regions.size(); ++index)
            if (regions[index].varying || regions[index].masked) return true;
        return false;
    }

    bool writeMasked(const Placement& placement) const {
        const std::vector<Region>& regions = fRun->regions;
        const size_t depth = std::min(placement.depth, regions.size());
        if (depth > 0 && regions[depth - 1].masked && !placement.masked) return true;
        return maskedFrom(depth);
    }

    // Keeps the write for the innermost loop (or the body) the variable was
    // declared outside.
    void keepWrite(const Write& write) {
        std::vector<Region>& regions = fRun->regions;
        for (size_t index = regions.size(); index-- > write.depth;) {
            if (regions[index].kind != RegionKind::kBranch) {
                regions[index].pending.push_back(write);
                return;
            }
        }
    }

    Placement placementOf(const Declaration* declaration) const {
        if (!declaration) return {};
        const auto found = fRun->declared.find(declaration);
        return found == fRun->declared.end() ? Placement{} : found->second;
    }

    [[gnu::noinline]] void reportTooDeep(const SourceLocation& at) {
        if (!std::exchange(fShared.reportedDepth, true)) report(at, kTooDeep);
    }

    // Statements.
    void statements(std::vector<StatementPtr>& body) {
        for (StatementPtr& statement : body)
            walk(*statement);
    }

    void walk(Statement& statement) {
        const Deeper deeper(fDepth);
        if (deeper.tooDeep()) {
            reportTooDeep(statement.location);
            return;
        }
        switch (statement.kind) {
        case StatementKind::kExpression:
            detail(*statement.expression);
            return;
        case StatementKind::kDeclaration:
            for (Declaration& declaration : statement.declarations)
                declare(declaration);
            return;
        case StatementKind::kBlock:
            statements(statement.body);
            return;
        case StatementKind::kIf:
            walkIf(statement);
            return;
        case StatementKind::kWhile:
        case StatementKind::kFor:
            walkLoop(statement);
            return;
        case StatementKind::kBreak:
        case StatementKind::kContinue:
            walkLoopExit(statement);
            return;
        case StatementKind::kReturn:
            walkReturn(statement);
            return;
        case StatementKind::kIlluminance:
        case StatementKind::kIlluminate:
        case StatementKind::kSolar:
        case StatementKind::kGather:
            walkLightLoop(statement);
            return;
        case StatementKind::kFunction:
            checkDefinition(*statement.function);
            return;
        case StatementKind::kEmpty:
            return;
        }
    }

    [[gnu::noinline]] void declare(Declaration& declaration) {
        if (declaration.isExtern) return;
        const Detail value = declaration.init ? detail(*declaration.init) : Detail::kUniform;
        const std::vector<Region>& regions = fRun->regions;
        fRun->declared[&declaration] = {.depth = regions.size(),
                                        .masked = !regions.empty() && regions.back().masked};
        if (declaration.init) checkInitialization(declaration, value);
    }

    [[gnu::noinline]] void checkInitialization(const Declaration& declaration, Detail value) {
        if (declaration.type.detail == Detail::kUniform && value == Detail::kVarying)
            report(declaration.init->location,
                   "uniform " + quoted(declaration.name) + " is initialized with a varying value");
    }

    void walkIf(Statement& statement) {
        const Detail condition = detail(*statement.expression);
        if (condition == Detail::kVarying) statement.detail = Detail::kVarying;
        for (StatementPtr& branch : statement.body) {
            openRegion(RegionKind::kBranch, condition == Detail::kVarying);
            walk(*branch);
            closeRegion();
        }
    }

    void walkLoop(Statement& loop) {
        if (loop.init) detail(*loop.init);
        openRegion(RegionKind::kLoop, false);
        const size_t index = fRun->regions.size() - 1;
        const Detail condition = loop.expression ? detail(*loop.expression) : Detail::kUniform;
        if (condition == Detail::kVarying) {
            fRun->regions[index].varying = true;
            fRun->regions[index].varyingExit = true;
        }
        for (StatementPtr& body : loop.body)
            walk(*body);
        // Every point that continued runs the step.
        fRun->regions[index].masked = false;
        if (loop.step) detail(*loop.step);
        if (fRun->regions[index].varyingExit) loop.detail = Detail::kVarying;
        closeRegion();
    }

    // The places of the loop regions, the innermost first.
    std::vector<size_t> loopRegions() const {
        std::vector<size_t> loops;
        for (size_t index = fRun->regions.size(); index-- > 0;)
            if (fRun->regions[index].kind == RegionKind::kLoop) loops.push_back(index);
        return loops;
    }

    [[gnu::noinline]] void walkLoopExit(const Statement& exit) {
        const std::vector<size_t> loops = loopRegions();
        if (loops.empty()) return;
        const size_t levels = std::min(size_t(std::max(exit.levels, 1)), loops.size());
        const size_t target = loops[levels - 1];
        if (!maskedFrom(target + 1)) return;
        std::vector<Region>& regions = fRun->regions;
        for (size_t index = target; index < regions.size(); ++index)
            regions[index].masked = true;
        // break leaves every loop it names; continue goes on with the last.
        const size_t left = exit.kind == StatementKind::kBreak ? levels : levels - 1;
        for (size_t loop = 0; loop < left; ++loop)
            regions[loops[loop]].varyingExit = true;
    }

    [[gnu::noinline]] void walkReturn(const Statement& statement) {
        const Detail value =
            statement.expression ? detail(*statement.expression) : Detail::kUniform;
        std::vector<Region>& regions = fRun->regions;
        const bool varyingHere = maskedFrom(1) || regions.front().masked;
        fRun->result =
            join(fRun->result, join(value, varyingHere ? Detail::kVarying : Detail::kUniform));
        if (!varyingHere) return;
        for (Region& region : regions) {
            region.masked = true;
            if (region.kind == RegionKind::kLoop) region.varyingExit = true;
        }
    }

    void walkLightLoop(Statement& loop) {
        for (ExpressionPtr& argument : loop.arguments)
            detail(*argument);
        loop.detail = Detail::kVarying;
        for (StatementPtr& body : loop.body) {
            openRegion(RegionKind::kBranch, true);
            walk(*body);
            closeRegion();
        }
    }

    // Expressions.
    Detail detail(Expression& expression) {
        const Deeper deeper(fDepth);
        if (deeper.tooDeep()) {
            reportTooDeep(expression.location);
            return Detail::kVarying;
        }
        const Detail value = compute(expression);
        annotate(expression, value);
        return value;
    }

    // The detail of an expression walked again for another call is varying
    // when it is varying in any.
    void annotate(Expression& expression, Detail value) {
        if (fAnnotated.insert(&expression).second || value == Detail::kVarying)
            expression.type.detail = value;
    }

    Detail compute(Expression& expression) {
        switch (expression.kind) {
        case ExpressionKind::kNumber:
        case ExpressionKind::kString:
            return Detail::kUniform;
        case ExpressionKind::kVariable:
            return variableDetail(expression).value_or(Detail::kUniform);
        case ExpressionKind::kCall:
            return callDetail(expression);
        case ExpressionKind::kBinary:
            return binaryDetail(expression);
        case ExpressionKind::kConditional:
            return choiceDetail(expression);
        case ExpressionKind::kAssign:
            return assignDetail(expression);
        case ExpressionKind::kIndex:
        case ExpressionKind::kUnary:
        case ExpressionKind::kTuple:
        case ExpressionKind::kArray:
        case ExpressionKind::kCast:
            break;
        }
        Detail value = Detail::kUniform;
        for (ExpressionPtr& operand : expression.operands)
            value = join(value, detail(*operand));
        return value;
    }

    // None for a parameter that takes its argument's detail, in a function
    // checked alone.
    std::optional<Detail> variableDetail(const Expression& variable) const {
        if (variable.global) return variable.global->type.detail;
        const Declaration* declaration = variable.declaration;
        if (!declaration) return Detail::kUniform;
        const auto parameter = fShared.parameters.find(declaration);
        if (parameter == fShared.parameters.end() || declaration->detailGiven)
            return declaration->type.detail;
        for (auto frame = fFrames.rbegin(); frame != fFrames.rend(); ++frame)
            if (frame->function == parameter->second.function)
                return frame->parameters[parameter->second.index];
        return Detail::kVarying;
    }

    Detail binaryDetail(Expression& binary) {
        const Detail left = detail(*binary.operands[0]);
        const bool shortCircuit = binary.op == TokenKind::kAnd || binary.op == TokenKind::kOr;
        openRegion(RegionKind::kBranch, shortCircuit && left == Detail::kVarying);
        const Detail right = detail(*binary.operands[1]);
        closeRegion();
        return join(left, right);
    }

    Detail choiceDetail(Expression& choice) {
        Detail value = detail(*choice.operands[0]);
        openRegion(RegionKind::kBranch, value == Detail::kVarying);
        value = join(value, detail(*choice.operands[1]));
        value = join(value, detail(*choice.operands[2]));
        closeRegion();
        return value;
    }

    [[gnu::noinline]] Detail assignDetail(Expression& assignment) {
        Expression& target = *assignment.operands[0];
        Detail value = detail(*assignment.operands[1]);
        if (target.kind == ExpressionKind::kIndex) {
            // Writing at a varying place writes a varying value.
            const Detail position = detail(*target.operands[1]);
            annotate(target, join(detail(*target.operands[0]), position));
            value = join(value, position);
        } else {
            detail(target);
        }
        const Expression* variable = writtenVariable(target);
        if (!variable) return value;
        write(*variable, value, assignment.location, true);
        return variableDetail(*variable).value_or(Detail::kUniform);
    }

    [[gnu::noinline]] void write(const Expression& variable, Detail value, const SourceLocation& at,
                                 bool checkValue) {
        if (!variable.declaration && !variable.global) return;
        const std::optional<Detail> target = variableDetail(variable);
        if (!target || *target == Detail::kVarying) return;
        const std::string name = quoted(variable.name);
        if (checkValue && value == Detail::kVarying) {
            report(at, "uniform " + name + " is assigned a varying value");
            return;
        }
        const Placement placement = placementOf(variable.declaration);
        if (writeMasked(placement)) {
            report(at, "uniform " + name + " is assigned under a varying condition");
            return;
        }
        keepWrite({.at = at,
                   .name = variable.name,
                   .declaration = variable.declaration,
                   .depth = placement.depth});
    }

    Detail callDetail(Expression& call) {
        if (call.builtin) return builtinCallDetail(call, *call.builtin);
        if (call.function) return userCallDetail(call, *call.function);
        Detail value = Detail::kUniform;
        for (ExpressionPtr& argument : call.operands)
            value = join(value, detail(*argument));
        return value;
    }

    [[gnu::noinline]] Detail builtinCallDetail(Expression& call, const BuiltinFunction& function) {
        Detail inputs = function.alwaysVarying() ? Detail::kVarying : Detail::kUniform;
        std::vector<Detail> arguments;
        for (size_t index = 0; index < call.operands.size(); ++index) {
            arguments.push_back(detail(*call.operands[index]));
            if (!isOutput(function, index)) inputs = join(inputs, arguments.back());
        }
        writeOutputs(call, function, inputs, arguments);
        return inputs;
    }

    static bool isOutput(const BuiltinFunction& function, size_t index) {
        return index < function.parameters.size() && function.parameters[index].output;
    }

    [[gnu::noinline]] void writeOutputs(const Expression& call, const BuiltinFunction& function,
                                        Detail inputs, const std::vector<Detail>& arguments) {
        const Candidate candidate{.builtin = &function};
        for (size_t index = 0; index < call.operands.size(); ++index) {
            const ParameterView parameter = candidate.parameter(index);
            const Expression& argument = *call.operands[index];
            const Expression* variable = writtenVariable(argument);
            if (!parameter.output || !variable) continue;
            write(*variable, join(inputs, arguments[index]), argument.location, !parameter.anyType);
        }
    }

    // The detail the function reads an argument with: an output argument's
    // is its variable's (none when it has none, an error reported).
    std::optional<Detail> argumentDetail(const Expression& argument, Detail value,
                                         bool output) const {
        if (!output) return value;
        const Expression* variable = writtenVariable(argument);
        return variable ? variableDetail(*variable) : std::nullopt;
    }

    [[gnu::noinline]] Detail userCallDetail(Expression& call, const FunctionDefinition& function) {
        std::vector<Detail> arguments;
        for (ExpressionPtr& argument : call.operands)
            arguments.push_back(detail(*argument));
        return callFunction(call, function, arguments);
    }

    // The call of a function whose arguments' details are known: the
    // function's body walked for them.
    [[gnu::noinline]] Detail callFunction(const Expression& call,
                                          const FunctionDefinition& function,
                                          const std::vector<Detail>& arguments) {
        Frame frame{.function = &function};
        for (size_t index = 0; index < call.operands.size(); ++index) {
            const Declaration& parameter = function.parameters[index];
            const Expression& argument = *call.operands[index];
            const std::optional<Detail> given =
                argumentDetail(argument, arguments[index], parameter.output);
            if (parameter.detailGiven) checkDeclaredParameter(call, parameter, argument, given);
            // An element of a uniform array at a varying place.
            if (parameter.output && given == Detail::kUniform &&
                arguments[index] == Detail::kVarying)
                reportVaryingValue(argument);
            frame.parameters.push_back(parameter.detailGiven ? std::optional(parameter.type.detail)
                                                             : given);
        }
        const Instance instance = instantiate(function, std::move(frame), call);
        for (const Write& write : instance.writes)
            passWriteOut(call, function, write);
        return instance.result;
    }

    [[gnu::noinline]] void reportVaryingValue(const Expression& argument) {
        report(argument.location,
               "uniform " + targetName(argument) + " is assigned a varying value");
    }

    [[gnu::noinline]] void checkDeclaredParameter(const Expression& call,
                                                  const Declaration& parameter,
                                                  const Expression& argument,
                                                  std::optional<Detail> given) {
        if (!given) return;
        const std::string named = quoted(parameter.name) + " of " + quoted(call.name);
        if (parameter.type.detail == Detail::kUniform && *given == Detail::kVarying)
            report(argument.location,
                   "the uniform parameter " + named + " is given a varying value");
        else if (parameter.output && parameter.type.detail == Detail::kVarying &&
                 *given == Detail::kUniform)
            report(argument.location, "uniform " + targetName(argument) +
                                          " cannot receive the varying output parameter " + named);
    }

    static std::string targetName(const Expression& argument) {
        const Expression* variable = writtenVariable(argument);
        return quoted(variable ? variable->name : std::string("?"));
    }

    // A write the call made to a variable outside the function: an output
    // parameter's argument, or a variable an extern declaration reaches.
    [[gnu::noinline]] void passWriteOut(const Expression& call, const FunctionDefinition& function,
                                        const Write& write) {
        Write outside = write;
        outside.at = call.location;
        if (write.through.empty())
            outside.through = " by " + quoted(function.name) + " (" + lineOf(write.at) + ")";
        for (size_t index = 0; index < function.parameters.size(); ++index) {
            if (&function.parameters[index] != write.declaration) continue;
            const Expression* variable = writtenVariable(*call.operands[index]);
            if (!variable) return;
            outside.name = variable->name;
            outside.declaration = variable->declaration;
        }
        const Placement placement = placementOf(outside.declaration);
        outside.depth = placement.depth;
        if (writeMasked(placement))
            report(call.location, outside.maskedMessage());
        else
            keepWrite(outside);
    }

    // A detail in an instance's key: uniform, varying, or the argument's.
    enum KeyCode : std::uint8_t { kUniformCode, kVaryingCode, kArgumentsCode };

    static std::uint8_t code(std::optional<Detail> detail) {
        if (!detail) return kArgumentsCode;
        return *detail == Detail::kVarying ? kVaryingCode : kUniformCode;
    }

    [[gnu::noinline]] InstanceKey keyOf(const FunctionDefinition& function,
                                        const Frame& frame) const {
        InstanceKey key{&function, {}};
        for (std::optional<Detail> detail : frame.parameters)
            key.second.push_back(code(detail));
        // A nested function may reach its enclosing functions' parameters.
        if (fShared.functions.at(&function).nested)
            for (const Frame& outer : fFrames)
                for (std::optional<Detail> detail : outer.parameters)
                    key.second.push_back(code(detail));
        return key;
    }

    Instance instantiate(const FunctionDefinition& function, Frame frame, const Expression& call) {
        const bool recursive = std::ranges::find(fInstantiating, &function) != fInstantiating.end();
        if (recursive) return {};
        if (fInstantiating.size() >= size_t(kDeepestCalls)) {
            report(call.location, "calls nest more than " + std::to_string(kDeepestCalls) +
                                      " deep here; the rest is not checked");
            return {};
        }
        InstanceKey key = keyOf(function, frame);
        if (const auto found = fInstances.find(key); found != fInstances.end())
            return found->second;
        if (++fInstanceCount > kMostInstantiations) {
            if (fInstanceCount == kMostInstantiations + 1)
                report(call.location, "the functions are called in too many ways to check");
            return {};
        }
        fInstantiating.push_back(&function);
        Instance instance = walkFunction(function, std::move(frame), &call);
        fInstantiating.pop_back();
        return fInstances.emplace(std::move(key), std::move(instance)).first->second;
    }

    Shared& fShared;
    Run* fRun = nullptr;
    std::vector<Frame> fFrames;
    std::vector<const FunctionDefinition*> fInstantiating;
    std::map<InstanceKey, Instance> fInstances;
    int fInstanceCount = 0;
    std::unordered_set<const FunctionDefinition*> fDefinitionsChecked;
    std::unordered_set<const Expression*> fAnnotated;
    std::set<std::tuple<std::string, int, int, std::string>> fReported;
    int fDepth = 0; // of expressions, through the functions called
};

} // namespace

void check(SourceFile& file, Diagnostics& diagnostics) {
    Shared shared{.diagnostics = diagnostics};
    TypeChecker(shared).file(file);
    DetailChecker(shared).file(file);
}

} // namespace quelmark::sl
