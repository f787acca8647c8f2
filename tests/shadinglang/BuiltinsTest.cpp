#include "shadinglang/Builtins.h"
#include "shadinglang/GlobalVariables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using namespace quelmark::sl;

namespace {

constexpr std::array kAllShaderKinds = {ShaderKind::kSurface, ShaderKind::kLight,
                                        ShaderKind::kDisplacement, ShaderKind::kVolume,
                                        ShaderKind::kImager};

std::vector<BuiltinOp> allOps() {
    std::vector<BuiltinOp> ops;
    for (std::size_t i = 0; i < kBuiltinOpCount; ++i)
        ops.push_back(BuiltinOp(i));
    return ops;
}

std::vector<BasicType> parameterTypes(const BuiltinFunction& function) {
    std::vector<BasicType> types;
    for (const BuiltinParameter& parameter : function.parameters)
        types.push_back(parameter.type);
    return types;
}

// The overload of the name whose parameters are exactly these plain inputs
// and whose result is this; null when there is none.
const BuiltinFunction* findOverload(std::string_view name, BasicType result,
                                    const std::vector<BasicType>& parameters) {
    for (const BuiltinFunction& function : builtinOverloads(name)) {
        const bool plainInputs = std::ranges::none_of(
            function.parameters, [](const BuiltinParameter& p) { return p.array || p.output; });
        if (function.result == result && plainInputs && parameterTypes(function) == parameters)
            return &function;
    }
    return nullptr;
}

std::set<std::size_t> argumentCountsOf(std::string_view name) {
    std::set<std::size_t> counts;
    for (const BuiltinFunction& function : builtinOverloads(name))
        counts.insert(function.parameters.size());
    return counts;
}

std::set<BasicType> resultsOf(std::string_view name) {
    std::set<BasicType> results;
    for (const BuiltinFunction& function : builtinOverloads(name))
        results.insert(function.result);
    return results;
}

std::string signature(const BuiltinFunction& function) {
    std::string text =
        std::string(describe(function.result)) + " " + std::string(function.name) + "(";
    for (const BuiltinParameter& parameter : function.parameters) {
        text += parameter.output ? "output " : "";
        text += parameter.anyType ? "any" : describe(parameter.type);
        text += parameter.array ? "[] " : " ";
    }
    return text + ")";
}

} // namespace

// --- The table as a whole ---------------------------------------------------

TEST(BuiltinTableTest, EveryOperationHasANameAndOverloadsUnderIt) {
    std::set<std::string_view> names;
    for (BuiltinOp op : allOps()) {
        const std::string_view name = builtinName(op);
        ASSERT_FALSE(name.empty());
        EXPECT_TRUE(names.insert(name).second) << name << " names two operations";
        const auto overloads = builtinOverloads(name);
        EXPECT_FALSE(overloads.empty()) << name;
        for (const BuiltinFunction& function : overloads) {
            EXPECT_EQ(function.name, name);
            EXPECT_EQ(function.op, op) << name;
        }
    }
}

TEST(BuiltinTableTest, NoOverloadIsListedTwice) {
    for (BuiltinOp op : allOps()) {
        std::set<std::string> signatures;
        for (const BuiltinFunction& function : builtinOverloads(builtinName(op)))
            EXPECT_TRUE(signatures.insert(signature(function)).second) << signature(function);
    }
}

TEST(BuiltinTableTest, LookupIsStableFromCallToCall) {
    const auto first = builtinOverloads("noise");
    const auto second = builtinOverloads("noise");
    EXPECT_EQ(first.data(), second.data());
    EXPECT_EQ(first.size(), second.size());
}

TEST(BuiltinTableTest, UnknownNamesHaveNoOverloads) {
    for (std::string_view name : {"", "lerp", "Sin", "du", "illuminance", "noise2", "texture "}) {
        EXPECT_TRUE(builtinOverloads(name).empty()) << name;
        EXPECT_FALSE(isBuiltin(name)) << name;
    }
    EXPECT_TRUE(isBuiltin("sin"));
    EXPECT_TRUE(isBuiltin("Du"));
}

TEST(BuiltinTableTest, ContextTypedFunctionsOfferFloatFirst) {
    for (BuiltinOp op : allOps()) {
        const auto overloads = builtinOverloads(builtinName(op));
        const bool fromContext = overloads.front().resultFromContext;
        for (const BuiltinFunction& function : overloads)
            EXPECT_EQ(function.resultFromContext, fromContext) << signature(function);
        if (fromContext) {
            EXPECT_EQ(overloads.front().result, BasicType::kFloat) << builtinName(op);
        }
    }
}

TEST(BuiltinTableTest, AnyTypeParametersAreOutputs) {
    for (BuiltinOp op : allOps()) {
        for (const BuiltinFunction& function : builtinOverloads(builtinName(op))) {
            for (const BuiltinParameter& parameter : function.parameters) {
                if (parameter.anyType) {
                    EXPECT_TRUE(parameter.output) << signature(function);
                }
            }
        }
    }
}

// --- Mathematical functions -------------------------------------------------

TEST(BuiltinMathTest, ArcTangentAndLogarithmTakeOneOrTwoFloats) {
    for (std::string_view name : {"atan", "log"}) {
        EXPECT_NE(findOverload(name, BasicType::kFloat, {BasicType::kFloat}), nullptr);
        EXPECT_NE(findOverload(name, BasicType::kFloat, {BasicType::kFloat, BasicType::kFloat}),
                  nullptr);
        EXPECT_EQ(builtinOverloads(name).size(), 2u);
    }
}

TEST(BuiltinMathTest, MinAndMaxTakeTwoOrMoreOfOneType) {
    for (std::string_view name : {"min", "max"}) {
        const BuiltinFunction* onColors =
            findOverload(name, BasicType::kColor, {BasicType::kColor, BasicType::kColor});
        ASSERT_NE(onColors, nullptr);
        EXPECT_EQ(onColors->extra, ExtraArguments::kMoreOfLast);
        EXPECT_FALSE(onColors->acceptsArgumentCount(1));
        EXPECT_TRUE(onColors->acceptsArgumentCount(2));
        EXPECT_TRUE(onColors->acceptsArgumentCount(7));
        EXPECT_EQ(resultsOf(name), resultsOf("clamp"));
    }
}

TEST(BuiltinMathTest, ClampAndMixWorkOnEveryTriple) {
    for (BasicType triple :
         {BasicType::kPoint, BasicType::kVector, BasicType::kNormal, BasicType::kColor}) {
        EXPECT_NE(findOverload("clamp", triple, {triple, triple, triple}), nullptr);
        EXPECT_NE(findOverload("mix", triple, {triple, triple, BasicType::kFloat}), nullptr);
    }
    EXPECT_EQ(findOverload("clamp", BasicType::kMatrix,
                           {BasicType::kMatrix, BasicType::kMatrix, BasicType::kMatrix}),
              nullptr);
}

TEST(BuiltinMathTest, SplineTakesAnOptionalBasisAndListedOrArrayValues) {
    EXPECT_NE(findOverload("spline", BasicType::kColor,
                           {BasicType::kFloat, BasicType::kColor, BasicType::kColor,
                            BasicType::kColor, BasicType::kColor}),
              nullptr);
    EXPECT_NE(findOverload("spline", BasicType::kFloat,
                           {BasicType::kString, BasicType::kFloat, BasicType::kFloat,
                            BasicType::kFloat, BasicType::kFloat, BasicType::kFloat}),
              nullptr);
    int arrayForms = 0;
    for (const BuiltinFunction& function : builtinOverloads("spline")) {
        if (!function.parameters.back().array) {
            EXPECT_EQ(function.extra, ExtraArguments::kMoreOfLast);
            continue;
        }
        ++arrayForms;
        EXPECT_EQ(function.parameters.back().type, function.result);
        EXPECT_EQ(function.extra, ExtraArguments::kNone);
    }
    EXPECT_EQ(arrayForms, 8); // float, color, point, vector; with and without a basis
}

TEST(BuiltinMathTest, DerivativesReturnTheirFirstArgumentsType) {
    for (std::string_view name : {"Du", "Dv", "Deriv"}) {
        for (const BuiltinFunction& function : builtinOverloads(name)) {
            EXPECT_EQ(function.result, function.parameters.front().type) << signature(function);
            EXPECT_TRUE(function.needsNeighbours);
        }
    }
    EXPECT_NE(findOverload("Deriv", BasicType::kPoint, {BasicType::kPoint, BasicType::kFloat}),
              nullptr);
}

TEST(BuiltinMathTest, FilterStepTakesAParameterList) {
    EXPECT_EQ(argumentCountsOf("filterstep"), (std::set<std::size_t>{2, 3}));
    for (const BuiltinFunction& function : builtinOverloads("filterstep")) {
        EXPECT_EQ(function.extra, ExtraArguments::kParameterList);
        EXPECT_TRUE(function.acceptsArgumentCount(function.parameters.size() + 2));
        EXPECT_FALSE(function.acceptsArgumentCount(function.parameters.size() + 1));
    }
}

// --- Noise and random -------------------------------------------------------

TEST(BuiltinNoiseTest, NoiseCoversFourDomainsAndTheResultsItsUseAsksFor) {
    for (std::string_view name : {"noise", "cellnoise"}) {
        EXPECT_EQ(builtinOverloads(name).size(), 16u) << name;
        for (BasicType result :
             {BasicType::kFloat, BasicType::kColor, BasicType::kPoint, BasicType::kVector}) {
            EXPECT_NE(findOverload(name, result, {BasicType::kFloat}), nullptr);
            EXPECT_NE(findOverload(name, result, {BasicType::kFloat, BasicType::kFloat}), nullptr);
            EXPECT_NE(findOverload(name, result, {BasicType::kPoint}), nullptr);
            EXPECT_NE(findOverload(name, result, {BasicType::kPoint, BasicType::kFloat}), nullptr);
        }
        EXPECT_TRUE(builtinOverloads(name).front().resultFromContext);
        EXPECT_FALSE(builtinOverloads(name).front().needsNeighbours);
    }
}

TEST(BuiltinNoiseTest, PeriodicNoiseGivesEachCoordinateAPeriod) {
    EXPECT_EQ(argumentCountsOf("pnoise"), (std::set<std::size_t>{2, 4}));
    EXPECT_NE(
        findOverload("pnoise", BasicType::kColor,
                     {BasicType::kPoint, BasicType::kFloat, BasicType::kPoint, BasicType::kFloat}),
        nullptr);
}

TEST(BuiltinNoiseTest, RandomTakesNothing) {
    EXPECT_EQ(argumentCountsOf("random"), (std::set<std::size_t>{0}));
    EXPECT_EQ(resultsOf("random"),
              (std::set<BasicType>{BasicType::kFloat, BasicType::kColor, BasicType::kPoint}));
}

// --- Geometric, colour and matrix functions ---------------------------------

TEST(BuiltinGeometryTest, NormalizeHasOneOverloadOnAVector) {
    const auto overloads = builtinOverloads("normalize");
    ASSERT_EQ(overloads.size(), 1u);
    EXPECT_EQ(overloads[0].result, BasicType::kVector);
    EXPECT_EQ(parameterTypes(overloads[0]), std::vector<BasicType>{BasicType::kVector});
}

TEST(BuiltinGeometryTest, FresnelWritesItsCoefficientsAndOptionallyItsRays) {
    EXPECT_EQ(argumentCountsOf("fresnel"), (std::set<std::size_t>{5, 7}));
    for (const BuiltinFunction& function : builtinOverloads("fresnel")) {
        EXPECT_EQ(function.result, BasicType::kVoid);
        for (std::size_t i = 0; i < function.parameters.size(); ++i)
            EXPECT_EQ(function.parameters[i].output, i >= 3) << "parameter " << i;
    }
}

TEST(BuiltinGeometryTest, SettersWriteTheirFirstArgument) {
    for (std::string_view name : {"setxcomp", "setycomp", "setzcomp", "setcomp"}) {
        for (const BuiltinFunction& function : builtinOverloads(name)) {
            EXPECT_EQ(function.result, BasicType::kVoid);
            EXPECT_TRUE(function.parameters.front().output) << signature(function);
        }
    }
}

TEST(BuiltinGeometryTest, TransformsTakeSpacesOrAMatrix) {
    for (auto [name, type] :
         {std::pair{"transform", BasicType::kPoint}, std::pair{"vtransform", BasicType::kVector},
          std::pair{"ntransform", BasicType::kNormal}}) {
        EXPECT_NE(findOverload(name, type, {BasicType::kString, type}), nullptr);
        EXPECT_NE(findOverload(name, type, {BasicType::kString, BasicType::kString, type}),
                  nullptr);
        EXPECT_NE(findOverload(name, type, {BasicType::kMatrix, type}), nullptr);
        EXPECT_NE(findOverload(name, type, {BasicType::kString, BasicType::kMatrix, type}),
                  nullptr);
    }
    EXPECT_EQ(argumentCountsOf("ctransform"), (std::set<std::size_t>{2, 3}));
}

TEST(BuiltinGeometryTest, FaceForwardTakesAnOptionalReferenceNormal) {
    EXPECT_EQ(argumentCountsOf("faceforward"), (std::set<std::size_t>{2, 3}));
}

TEST(BuiltinGeometryTest, CompAndRotateServeColoursMatricesAndPoints) {
    EXPECT_NE(findOverload("comp", BasicType::kFloat, {BasicType::kColor, BasicType::kFloat}),
              nullptr);
    EXPECT_NE(findOverload("comp", BasicType::kFloat,
                           {BasicType::kMatrix, BasicType::kFloat, BasicType::kFloat}),
              nullptr);
    EXPECT_EQ(resultsOf("rotate"), (std::set<BasicType>{BasicType::kPoint, BasicType::kMatrix}));
}

// --- Strings ----------------------------------------------------------------

TEST(BuiltinStringTest, PrintfAndFormatTakeAPatternAndAnyValues) {
    for (std::string_view name : {"printf", "format"}) {
        const auto overloads = builtinOverloads(name);
        ASSERT_EQ(overloads.size(), 1u);
        EXPECT_EQ(parameterTypes(overloads[0]), std::vector<BasicType>{BasicType::kString});
        EXPECT_EQ(overloads[0].extra, ExtraArguments::kAnyValues);
        EXPECT_TRUE(overloads[0].acceptsArgumentCount(1));
        EXPECT_TRUE(overloads[0].acceptsArgumentCount(4));
        EXPECT_FALSE(overloads[0].acceptsArgumentCount(0));
    }
    EXPECT_EQ(builtinOverloads("printf")[0].result, BasicType::kVoid);
    EXPECT_EQ(builtinOverloads("format")[0].result, BasicType::kString);
}

TEST(BuiltinStringTest, ConcatJoinsTwoOrMoreStrings) {
    const BuiltinFunction& concat = builtinOverloads("concat")[0];
    EXPECT_FALSE(concat.acceptsArgumentCount(1));
    EXPECT_TRUE(concat.acceptsArgumentCount(5));
    EXPECT_NE(findOverload("match", BasicType::kFloat, {BasicType::kString, BasicType::kString}),
              nullptr);
}

// --- Shading and lighting ---------------------------------------------------

TEST(BuiltinShadingTest, LightingModelsGatherTheLights) {
    for (std::string_view name : {"ambient", "diffuse", "specular", "phong"}) {
        for (const BuiltinFunction& function : builtinOverloads(name)) {
            EXPECT_EQ(function.scope, BuiltinScope::kGathersLight) << name;
            EXPECT_EQ(function.result, BasicType::kColor) << name;
        }
    }
    // The reflection model alone reads no light.
    EXPECT_EQ(builtinOverloads("specularbrdf")[0].scope, BuiltinScope::kAnywhere);
    EXPECT_EQ(builtinOverloads("trace")[0].scope, BuiltinScope::kAnywhere);
}

TEST(BuiltinShadingTest, OnlyLightSourceNeedsAnIlluminanceIteration) {
    for (BuiltinOp op : allOps()) {
        const bool insideIlluminance =
            builtinOverloads(builtinName(op))[0].scope == BuiltinScope::kInsideIlluminance;
        EXPECT_EQ(insideIlluminance, op == BuiltinOp::kLightSource) << builtinName(op);
    }
}

// --- Texture maps -----------------------------------------------------------

TEST(BuiltinTextureTest, TextureCoordinatesAreOptionalAndTheResultComesFromTheUse) {
    EXPECT_EQ(argumentCountsOf("texture"), (std::set<std::size_t>{1, 3, 9}));
    EXPECT_EQ(resultsOf("texture"), (std::set<BasicType>{BasicType::kFloat, BasicType::kColor}));
    EXPECT_EQ(argumentCountsOf("environment"), (std::set<std::size_t>{2, 5}));
    EXPECT_EQ(argumentCountsOf("shadow"), (std::set<std::size_t>{2, 5}));
}

TEST(BuiltinTextureTest, MapLookupsTakeAChannelAndAParameterList) {
    for (std::string_view name : {"texture", "environment", "shadow", "bump"}) {
        for (const BuiltinFunction& function : builtinOverloads(name)) {
            EXPECT_TRUE(function.takesChannel) << signature(function);
            EXPECT_EQ(function.extra, ExtraArguments::kParameterList);
            EXPECT_EQ(function.parameters.front().type, BasicType::kString);
        }
    }
}

TEST(BuiltinTextureTest, OnlyLookupsAtOnePointFilterOverTheNeighbours) {
    const BuiltinFunction* atPoint = findOverload(
        "texture", BasicType::kColor, {BasicType::kString, BasicType::kFloat, BasicType::kFloat});
    ASSERT_NE(atPoint, nullptr);
    EXPECT_TRUE(atPoint->needsNeighbours);
    const BuiltinFunction* overQuad =
        findOverload("shadow", BasicType::kFloat,
                     {BasicType::kString, BasicType::kPoint, BasicType::kPoint, BasicType::kPoint,
                      BasicType::kPoint});
    ASSERT_NE(overQuad, nullptr);
    EXPECT_FALSE(overQuad->needsNeighbours);
}

// --- Questions to other shaders and to the renderer -------------------------

TEST(BuiltinMessageTest, QuestionsWriteAnswersOfAnyTypeAndReportSuccess) {
    for (std::string_view name :
         {"atmosphere", "displacement", "lightsource", "surface", "incident", "opposite",
          "attribute", "option", "rendererinfo", "textureinfo"}) {
        const auto overloads = builtinOverloads(name);
        ASSERT_EQ(overloads.size(), 1u) << name;
        EXPECT_EQ(overloads[0].result, BasicType::kFloat);
        EXPECT_EQ(overloads[0].parameters.front().type, BasicType::kString);
        EXPECT_TRUE(overloads[0].parameters.back().anyType) << name;
        EXPECT_TRUE(overloads[0].parameters.back().output) << name;
    }
    EXPECT_EQ(argumentCountsOf("shadername"), (std::set<std::size_t>{0, 1}));
}

// --- Neighbours -------------------------------------------------------------

TEST(BuiltinNeighbourTest, PointwiseFunctionsNeverNeedNeighbours) {
    for (std::string_view name : {"sin", "mix", "noise", "normalize", "transform", "printf",
                                  "diffuse", "attribute", "depth", "Dtime"})
        for (const BuiltinFunction& function : builtinOverloads(name))
            EXPECT_FALSE(function.needsNeighbours) << signature(function);
    for (std::string_view name : {"area", "calculatenormal"})
        EXPECT_TRUE(builtinOverloads(name)[0].needsNeighbours) << name;
}

// --- Predefined variables ---------------------------------------------------

TEST(GlobalVariableTest, SurfaceWritesItsColourAndNormalButNotItsPosition) {
    for (std::string_view name : {"Ci", "Oi", "N", "Cs", "Os", "s", "t"}) {
        const GlobalVariable* variable = findGlobal(ShaderKind::kSurface, name);
        ASSERT_NE(variable, nullptr) << name;
        EXPECT_TRUE(variable->writable) << name;
    }
    for (std::string_view name : {"P", "Ng", "I", "E", "u", "dPdu", "time"}) {
        const GlobalVariable* variable = findGlobal(ShaderKind::kSurface, name);
        ASSERT_NE(variable, nullptr) << name;
        EXPECT_FALSE(variable->writable) << name;
    }
}

TEST(GlobalVariableTest, DisplacementMovesPositionAndNormal) {
    EXPECT_TRUE(findGlobal(ShaderKind::kDisplacement, "P")->writable);
    EXPECT_TRUE(findGlobal(ShaderKind::kDisplacement, "N")->writable);
    EXPECT_EQ(findGlobal(ShaderKind::kDisplacement, "Ci"), nullptr);
    EXPECT_EQ(findGlobal(ShaderKind::kDisplacement, "Cs"), nullptr);
}

TEST(GlobalVariableTest, LightLoopVariablesExistOnlyInsideTheLoop) {
    for (std::string_view name : {"L", "Cl", "Ol"}) {
        const GlobalVariable* variable = findGlobal(ShaderKind::kSurface, name);
        ASSERT_NE(variable, nullptr) << name;
        EXPECT_TRUE(variable->onlyInLightLoop) << name;
        EXPECT_FALSE(variable->writable) << name;
    }
    const GlobalVariable* direction = findGlobal(ShaderKind::kLight, "L");
    ASSERT_NE(direction, nullptr);
    EXPECT_TRUE(direction->onlyInLightLoop);
    // A light sets its colour and opacity, inside illuminate or solar or
    // (an ambient light) outside them.
    for (std::string_view name : {"Cl", "Ol"}) {
        EXPECT_TRUE(findGlobal(ShaderKind::kLight, name)->writable) << name;
        EXPECT_FALSE(findGlobal(ShaderKind::kLight, name)->onlyInLightLoop) << name;
    }
    EXPECT_EQ(findGlobal(ShaderKind::kSurface, "Ps"), nullptr);
    EXPECT_NE(findGlobal(ShaderKind::kLight, "Ps"), nullptr);
}

TEST(GlobalVariableTest, ShutterAndColourSamplesAreUniformEverywhere) {
    for (ShaderKind kind : kAllShaderKinds) {
        for (std::string_view name : {"ncomps", "time", "dtime"}) {
            const GlobalVariable* variable = findGlobal(kind, name);
            ASSERT_NE(variable, nullptr) << name;
            EXPECT_EQ(variable->type.detail, Detail::kUniform) << name;
            EXPECT_EQ(variable->type.basic, BasicType::kFloat) << name;
            EXPECT_FALSE(variable->writable) << name;
        }
    }
    EXPECT_EQ(findGlobal(ShaderKind::kSurface, "E")->type.detail, Detail::kUniform);
}

TEST(GlobalVariableTest, ParametricStepsMayVaryOverTheGrid) {
    for (std::string_view name : {"du", "dv"}) {
        const GlobalVariable* variable = findGlobal(ShaderKind::kSurface, name);
        ASSERT_NE(variable, nullptr) << name;
        EXPECT_EQ(variable->type, (Type{BasicType::kFloat, Detail::kVarying}));
    }
}

TEST(GlobalVariableTest, ImagerSeesThePixelAndItsCoverage) {
    const GlobalVariable* alpha = findGlobal(ShaderKind::kImager, "alpha");
    ASSERT_NE(alpha, nullptr);
    EXPECT_EQ(alpha->type, (Type{BasicType::kFloat, Detail::kVarying}));
    EXPECT_TRUE(alpha->writable);
    EXPECT_TRUE(findGlobal(ShaderKind::kImager, "Ci")->writable);
    EXPECT_EQ(findGlobal(ShaderKind::kImager, "N"), nullptr);
}

TEST(GlobalVariableTest, NamesAreUniqueAndPlainWithinEachKind) {
    for (ShaderKind kind : kAllShaderKinds) {
        std::set<std::string_view> names;
        for (const GlobalVariable& variable : globalVariables(kind)) {
            EXPECT_TRUE(names.insert(variable.name).second) << variable.name;
            EXPECT_FALSE(variable.type.isArray()) << variable.name;
            EXPECT_EQ(findGlobal(kind, variable.name), &variable);
        }
        EXPECT_EQ(findGlobal(kind, "Q"), nullptr);
        EXPECT_EQ(findGlobal(kind, "p"), nullptr);
    }
}

TEST(GlobalVariableTest, EveryKindHasAResultToWrite) {
    for (ShaderKind kind : kAllShaderKinds)
        EXPECT_TRUE(std::ranges::any_of(globalVariables(kind),
                                        [](const GlobalVariable& v) { return v.writable; }));
}
