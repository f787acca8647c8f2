#include "shadinglang/Builtins.h"

#include <algorithm>
#include <array>
#include <utility>

namespace quelmark::sl {

namespace {

using enum BasicType;

// The types that min, max, clamp and mix take, component by component.
constexpr std::array kComponentwiseTypes = {kFloat, kPoint, kVector, kNormal, kColor};
// The types that derivatives and splines take.
constexpr std::array kInterpolatedTypes = {kFloat, kColor, kPoint, kVector};
// The results a noise or random call may be asked for, the default first.
constexpr std::array kNoiseResults = {kFloat, kColor, kPoint, kVector};
constexpr std::array kRandomResults = {kFloat, kColor, kPoint};
// The results a texture or environment lookup may be asked for.
constexpr std::array kTextureResults = {kFloat, kColor};
// point, vector and normal.
constexpr std::array kSpatialTypes = {kPoint, kVector, kNormal};

// A spline needs at least this many control values.
constexpr int kSplineLeastValues = 4;
// A lookup filtered over a quadrilateral gives its four corners.
constexpr int kQuadCorners = 4;

using Parameters = std::vector<BuiltinParameter>;

BuiltinParameter in(BasicType type) {
    return {.type = type};
}

BuiltinParameter out(BasicType type) {
    return {.type = type, .output = true};
}

BuiltinParameter arrayOf(BasicType type) {
    return {.type = type, .array = true};
}

// The variable a question writes its answer into: any type.
BuiltinParameter anyOutput() {
    return {.output = true, .anyType = true};
}

Parameters repeated(BasicType type, int count) {
    return Parameters(std::size_t(count), in(type));
}

Parameters joined(Parameters head, const Parameters& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

// Everything about an overload but its operation, result and parameters.
struct Traits {
    ExtraArguments extra = ExtraArguments::kNone;
    bool resultFromContext = false;
    bool needsNeighbours = false;
    bool takesChannel = false;
    BuiltinScope scope = BuiltinScope::kAnywhere;
};

class Table {
public:
    void add(BuiltinOp op, BasicType result, Parameters parameters, Traits traits = {}) {
        fOverloads.push_back({.name = builtinName(op),
                              .op = op,
                              .result = result,
                              .parameters = std::move(parameters),
                              .extra = traits.extra,
                              .resultFromContext = traits.resultFromContext,
                              .needsNeighbours = traits.needsNeighbours,
                              .takesChannel = traits.takesChannel,
                              .scope = traits.scope});
    }

    // Sorted by name, each name's overloads in the order they were added.
    std::vector<BuiltinFunction> sorted() && {
        std::stable_sort(
            fOverloads.begin(), fOverloads.end(),
            [](const BuiltinFunction& a, const BuiltinFunction& b) { return a.name < b.name; });
        return std::move(fOverloads);
    }

private:
    std::vector<BuiltinFunction> fOverloads;
};

void addFloatFunctions(Table& table) {
    constexpr std::array kOneFloat = {
        BuiltinOp::kRadians, BuiltinOp::kDegrees, BuiltinOp::kSin,         BuiltinOp::kAsin,
        BuiltinOp::kCos,     BuiltinOp::kAcos,    BuiltinOp::kTan,         BuiltinOp::kAtan,
        BuiltinOp::kExp,     BuiltinOp::kSqrt,    BuiltinOp::kInverseSqrt, BuiltinOp::kLog,
        BuiltinOp::kAbs,     BuiltinOp::kSign,    BuiltinOp::kFloor,       BuiltinOp::kCeil,
        BuiltinOp::kRound};
    for (BuiltinOp op : kOneFloat)
        table.add(op, kFloat, {in(kFloat)});
    // atan(y, x), pow(x, y), log(x, base), mod(a, b), step(min, value).
    constexpr std::array kTwoFloats = {BuiltinOp::kAtan, BuiltinOp::kPow, BuiltinOp::kLog,
                                       BuiltinOp::kMod, BuiltinOp::kStep};
    for (BuiltinOp op : kTwoFloats)
        table.add(op, kFloat, repeated(kFloat, 2));
    table.add(BuiltinOp::kSmoothStep, kFloat, repeated(kFloat, 3));
    // filterstep(edge, s1) filters over the shaded element; filterstep(edge,
    // s1, s2) over the range between s1 and s2.
    table.add(BuiltinOp::kFilterStep, kFloat, repeated(kFloat, 2),
              {.extra = ExtraArguments::kParameterList, .needsNeighbours = true});
    table.add(BuiltinOp::kFilterStep, kFloat, repeated(kFloat, 3),
              {.extra = ExtraArguments::kParameterList});
}

void addComponentwiseFunctions(Table& table) {
    for (BasicType type : kComponentwiseTypes) {
        table.add(BuiltinOp::kMin, type, repeated(type, 2), {.extra = ExtraArguments::kMoreOfLast});
        table.add(BuiltinOp::kMax, type, repeated(type, 2), {.extra = ExtraArguments::kMoreOfLast});
        table.add(BuiltinOp::kClamp, type, repeated(type, 3));
        table.add(BuiltinOp::kMix, type, {in(type), in(type), in(kFloat)});
    }
}

// spline([basis,] value, v1, v2, ... vn) and spline([basis,] value, values[]).
void addSplines(Table& table) {
    for (BasicType type : kInterpolatedTypes) {
        const Parameters listed = joined({in(kFloat)}, repeated(type, kSplineLeastValues));
        const Parameters fromArray = {in(kFloat), arrayOf(type)};
        table.add(BuiltinOp::kSpline, type, listed, {.extra = ExtraArguments::kMoreOfLast});
        table.add(BuiltinOp::kSpline, type, joined({in(kString)}, listed),
                  {.extra = ExtraArguments::kMoreOfLast});
        table.add(BuiltinOp::kSpline, type, fromArray);
        table.add(BuiltinOp::kSpline, type, joined({in(kString)}, fromArray));
    }
}

void addDerivatives(Table& table) {
    for (BasicType type : kInterpolatedTypes) {
        table.add(BuiltinOp::kDu, type, {in(type)}, {.needsNeighbours = true});
        table.add(BuiltinOp::kDv, type, {in(type)}, {.needsNeighbours = true});
        table.add(BuiltinOp::kDeriv, type, {in(type), in(kFloat)}, {.needsNeighbours = true});
        // Change over the shutter interval, not across the grid.
        table.add(BuiltinOp::kDtime, type, {in(type)});
    }
}

// Noise over 1 to 4 dimensions: (x), (x, y), (point), (point, t); the
// periodic variant follows each coordinate with its period.
void addNoise(Table& table) {
    const std::array<Parameters, 4> domains = {Parameters{in(kFloat)}, repeated(kFloat, 2),
                                               Parameters{in(kPoint)},
                                               Parameters{in(kPoint), in(kFloat)}};
    const std::array<Parameters, 4> periodicDomains = {
        repeated(kFloat, 2), repeated(kFloat, 4), repeated(kPoint, 2),
        Parameters{in(kPoint), in(kFloat), in(kPoint), in(kFloat)}};
    const Traits fromContext = {.resultFromContext = true};
    for (BasicType result : kNoiseResults) {
        for (const Parameters& domain : domains) {
            table.add(BuiltinOp::kNoise, result, domain, fromContext);
            table.add(BuiltinOp::kCellNoise, result, domain, fromContext);
        }
        for (const Parameters& domain : periodicDomains)
            table.add(BuiltinOp::kPNoise, result, domain, fromContext);
    }
    for (BasicType result : kRandomResults)
        table.add(BuiltinOp::kRandom, result, {}, fromContext);
}

void addComponentAccess(Table& table) {
    for (BasicType type : kSpatialTypes) {
        for (BuiltinOp op : {BuiltinOp::kXComp, BuiltinOp::kYComp, BuiltinOp::kZComp})
            table.add(op, kFloat, {in(type)});
        for (BuiltinOp op : {BuiltinOp::kSetXComp, BuiltinOp::kSetYComp, BuiltinOp::kSetZComp})
            table.add(op, kVoid, {out(type), in(kFloat)});
    }
    table.add(BuiltinOp::kComp, kFloat, {in(kColor), in(kFloat)});
    table.add(BuiltinOp::kComp, kFloat, {in(kMatrix), in(kFloat), in(kFloat)});
    table.add(BuiltinOp::kSetComp, kVoid, {out(kColor), in(kFloat), in(kFloat)});
    table.add(BuiltinOp::kSetComp, kVoid, {out(kMatrix), in(kFloat), in(kFloat), in(kFloat)});
}

void addGeometricFunctions(Table& table) {
    table.add(BuiltinOp::kLength, kFloat, {in(kVector)});
    table.add(BuiltinOp::kNormalize, kVector, {in(kVector)});
    table.add(BuiltinOp::kDistance, kFloat, repeated(kPoint, 2));
    table.add(BuiltinOp::kPtLineD, kFloat, repeated(kPoint, 3));
    table.add(BuiltinOp::kRotate, kPoint, {in(kPoint), in(kFloat), in(kPoint), in(kPoint)});
    table.add(BuiltinOp::kArea, kFloat, {in(kPoint)}, {.needsNeighbours = true});
    table.add(BuiltinOp::kFaceForward, kVector, repeated(kVector, 2));
    table.add(BuiltinOp::kFaceForward, kVector, repeated(kVector, 3));
    table.add(BuiltinOp::kReflect, kVector, repeated(kVector, 2));
    table.add(BuiltinOp::kRefract, kVector, {in(kVector), in(kVector), in(kFloat)});
    const Parameters fresnel = {in(kVector), in(kVector), in(kFloat), out(kFloat), out(kFloat)};
    table.add(BuiltinOp::kFresnel, kVoid, fresnel);
    table.add(BuiltinOp::kFresnel, kVoid, joined(fresnel, {out(kVector), out(kVector)}));
    table.add(BuiltinOp::kDepth, kFloat, {in(kPoint)});
    table.add(BuiltinOp::kCalculateNormal, kNormal, {in(kPoint)}, {.needsNeighbours = true});
}

// transform(to, p), transform(from, to, p), transform(m, p), transform(from,
// m, p); vtransform and ntransform alike for vectors and normals.
void addTransforms(Table& table) {
    constexpr std::array<std::pair<BuiltinOp, BasicType>, 3> kTransforms = {{
        {BuiltinOp::kTransform, kPoint},
        {BuiltinOp::kVTransform, kVector},
        {BuiltinOp::kNTransform, kNormal},
    }};
    for (auto [op, type] : kTransforms) {
        table.add(op, type, {in(kString), in(type)});
        table.add(op, type, {in(kString), in(kString), in(type)});
        table.add(op, type, {in(kMatrix), in(type)});
        table.add(op, type, {in(kString), in(kMatrix), in(type)});
    }
    table.add(BuiltinOp::kCTransform, kColor, {in(kString), in(kColor)});
    table.add(BuiltinOp::kCTransform, kColor, {in(kString), in(kString), in(kColor)});
}

void addMatrixFunctions(Table& table) {
    table.add(BuiltinOp::kDeterminant, kFloat, {in(kMatrix)});
    table.add(BuiltinOp::kInverse, kMatrix, {in(kMatrix)});
    table.add(BuiltinOp::kTranslate, kMatrix, {in(kMatrix), in(kVector)});
    table.add(BuiltinOp::kRotate, kMatrix, {in(kMatrix), in(kFloat), in(kVector)});
    table.add(BuiltinOp::kScale, kMatrix, {in(kMatrix), in(kPoint)});
}

void addStringFunctions(Table& table) {
    table.add(BuiltinOp::kConcat, kString, repeated(kString, 2),
              {.extra = ExtraArguments::kMoreOfLast});
    table.add(BuiltinOp::kPrintf, kVoid, {in(kString)}, {.extra = ExtraArguments::kAnyValues});
    table.add(BuiltinOp::kFormat, kString, {in(kString)}, {.extra = ExtraArguments::kAnyValues});
    table.add(BuiltinOp::kMatch, kFloat, repeated(kString, 2));
}

void addShadingFunctions(Table& table) {
    const Traits gathersLight = {.scope = BuiltinScope::kGathersLight};
    table.add(BuiltinOp::kAmbient, kColor, {}, gathersLight);
    table.add(BuiltinOp::kDiffuse, kColor, {in(kNormal)}, gathersLight);
    table.add(BuiltinOp::kSpecular, kColor, {in(kNormal), in(kVector), in(kFloat)}, gathersLight);
    table.add(BuiltinOp::kPhong, kColor, {in(kNormal), in(kVector), in(kFloat)}, gathersLight);
    table.add(BuiltinOp::kSpecularBrdf, kColor,
              {in(kVector), in(kNormal), in(kVector), in(kFloat)});
    table.add(BuiltinOp::kTrace, kColor, {in(kPoint), in(kVector)});
}

Traits withNeighbours(Traits traits) {
    traits.needsNeighbours = true;
    return traits;
}

// A lookup at one coordinate filters over the shaded element, which takes
// the neighbours; given the four corners of a quadrilateral, it filters
// over that.
void addMapLookup(Table& table, BuiltinOp op, BasicType result, const Parameters& head,
                  const Parameters& coordinate, Traits traits) {
    Parameters corners = head;
    for (int corner = 0; corner < kQuadCorners; ++corner)
        corners = joined(std::move(corners), coordinate);
    table.add(op, result, joined(head, coordinate), withNeighbours(traits));
    table.add(op, result, std::move(corners), traits);
}

void addTextureFunctions(Table& table) {
    const Traits lookup = {.extra = ExtraArguments::kParameterList, .takesChannel = true};
    Traits fromContext = lookup;
    fromContext.resultFromContext = true;
    const Parameters name = {in(kString)};
    const Parameters st = repeated(kFloat, 2);
    for (BasicType result : kTextureResults) {
        // Without coordinates, texture reads at the shaded point's (s, t).
        table.add(BuiltinOp::kTexture, result, name, withNeighbours(fromContext));
        addMapLookup(table, BuiltinOp::kTexture, result, name, st, fromContext);
        addMapLookup(table, BuiltinOp::kEnvironment, result, name, {in(kVector)}, fromContext);
    }
    addMapLookup(table, BuiltinOp::kShadow, kFloat, name, {in(kPoint)}, lookup);
    // bump(name, N, dPds, dPdt [, coordinates]): how far the normal moves.
    const Parameters bump = {in(kString), in(kNormal), in(kVector), in(kVector)};
    table.add(BuiltinOp::kBump, kPoint, bump, withNeighbours(lookup));
    addMapLookup(table, BuiltinOp::kBump, kPoint, bump, st, lookup);
    table.add(BuiltinOp::kTextureInfo, kFloat, {in(kString), in(kString), anyOutput()});
}

// Each answers 1 and writes the variable when the named value exists and
// has the variable's type, and answers 0 otherwise.
void addMessagePassing(Table& table) {
    constexpr std::array kQuestions = {BuiltinOp::kAtmosphere, BuiltinOp::kDisplacement,
                                       BuiltinOp::kSurface,    BuiltinOp::kIncident,
                                       BuiltinOp::kOpposite,   BuiltinOp::kAttribute,
                                       BuiltinOp::kOption,     BuiltinOp::kRendererInfo};
    for (BuiltinOp op : kQuestions)
        table.add(op, kFloat, {in(kString), anyOutput()});
    table.add(BuiltinOp::kLightSource, kFloat, {in(kString), anyOutput()},
              {.scope = BuiltinScope::kInsideIlluminance});
    table.add(BuiltinOp::kShaderName, kString, {});
    table.add(BuiltinOp::kShaderName, kString, {in(kString)});
}

std::vector<BuiltinFunction> makeTable() {
    Table table;
    addFloatFunctions(table);
    addComponentwiseFunctions(table);
    addSplines(table);
    addDerivatives(table);
    addNoise(table);
    addComponentAccess(table);
    addGeometricFunctions(table);
    addTransforms(table);
    addMatrixFunctions(table);
    addStringFunctions(table);
    addShadingFunctions(table);
    addTextureFunctions(table);
    addMessagePassing(table);
    return std::move(table).sorted();
}

// Compares an overload's name with a name, either way round.
struct OrderByName {
    bool operator()(const BuiltinFunction& function, std::string_view name) const {
        return function.name < name;
    }
    bool operator()(std::string_view name, const BuiltinFunction& function) const {
        return name < function.name;
    }
};

const std::vector<BuiltinFunction>& allOverloads() {
    static const std::vector<BuiltinFunction> overloads = makeTable();
    return overloads;
}

} // namespace

bool BuiltinFunction::acceptsArgumentCount(std::size_t argumentCount) const {
    const std::size_t listed = parameters.size();
    switch (extra) {
    case ExtraArguments::kNone:
        return argumentCount == listed;
    case ExtraArguments::kMoreOfLast:
    case ExtraArguments::kAnyValues:
        return argumentCount >= listed;
    case ExtraArguments::kParameterList:
        return argumentCount >= listed && (argumentCount - listed) % 2 == 0;
    }
    return false;
}

std::span<const BuiltinFunction> builtinOverloads(std::string_view name) {
    const std::vector<BuiltinFunction>& overloads = allOverloads();
    const auto [first, last] =
        std::equal_range(overloads.begin(), overloads.end(), name, OrderByName());
    return {first, last};
}

bool isBuiltin(std::string_view name) {
    return !builtinOverloads(name).empty();
}

bool BuiltinFunction::alwaysVarying() const {
    // The map lookups without coordinates: texture's name; bump's name,
    // normal and two derivatives.
    constexpr std::size_t kTextureWithoutCoordinates = 1;
    constexpr std::size_t kBumpWithoutCoordinates = 4;
    switch (op) {
    case BuiltinOp::kRandom:
    case BuiltinOp::kAmbient:
    case BuiltinOp::kDiffuse:
    case BuiltinOp::kSpecular:
    case BuiltinOp::kPhong:
    case BuiltinOp::kTrace:
        return true;
    case BuiltinOp::kTexture:
        return parameters.size() == kTextureWithoutCoordinates;
    case BuiltinOp::kBump:
        return parameters.size() == kBumpWithoutCoordinates;
    default:
        return false;
    }
}

} // namespace quelmark::sl
