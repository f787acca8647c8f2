#include "shadinglang/Parser.h"

#include "shadinglang/Preprocessor.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

using namespace quelmark::sl;

namespace {

// The operator as written: "'+'" without its quotes.
std::string opText(TokenKind kind) {
    std::string text = describe(kind);
    return text.size() > 2 ? text.substr(1, text.size() - 2) : text;
}

// An expression as a bracketed prefix form: (+ a (* b c)).
std::string shape(const Expression& e) {
    std::ostringstream out;
    switch (e.kind) {
    case ExpressionKind::kNumber:
        out << e.number;
        break;
    case ExpressionKind::kString:
        out << '"' << e.name << '"';
        break;
    case ExpressionKind::kVariable:
        out << e.name;
        break;
    case ExpressionKind::kIndex:
        out << "(index " << shape(*e.operands[0]) << ' ' << shape(*e.operands[1]) << ')';
        break;
    case ExpressionKind::kCall:
    case ExpressionKind::kTuple:
    case ExpressionKind::kArray:
        out << '(' << (e.kind == ExpressionKind::kCall ? e.name
                       : e.kind == ExpressionKind::kTuple ? "tuple"
                                                          : "array");
        for (const auto& operand : e.operands) out << ' ' << shape(*operand);
        out << ')';
        break;
    case ExpressionKind::kUnary:
    case ExpressionKind::kBinary:
    case ExpressionKind::kAssign:
        out << '(' << opText(e.op);
        for (const auto& operand : e.operands) out << ' ' << shape(*operand);
        out << ')';
        break;
    case ExpressionKind::kConditional:
        out << "(? " << shape(*e.operands[0]) << ' ' << shape(*e.operands[1]) << ' '
            << shape(*e.operands[2]) << ')';
        break;
    case ExpressionKind::kCast:
        out << "(" << describe(e.castTo);
        if (!e.space.empty()) out << " \"" << e.space << '"';
        out << ' ' << shape(*e.operands[0]) << ')';
        break;
    }
    return out.str();
}

class ParserTest : public ::testing::Test {
protected:
    SourceFile parseText(const std::string& text) {
        return parse(preprocessText(text, "test.sl", PreprocessOptions{}, fDiagnostics),
                     fDiagnostics);
    }

    // The shape of the expression statement in `surface s() { <text> }`.
    std::string expressionShape(const std::string& text) {
        SourceFile file = parseText("surface s() { " + text + "; }");
        EXPECT_EQ(fDiagnostics.errors(), 0) << firstError();
        if (file.shaders.size() != 1 || file.shaders[0]->body.size() != 1) return "(none)";
        const Statement& statement = *file.shaders[0]->body[0];
        return statement.expression ? shape(*statement.expression) : "(none)";
    }

    std::string firstError() const {
        for (const Diagnostic& d : fDiagnostics.all())
            if (d.severity == Severity::kError) return d.text();
        return "";
    }

    Diagnostics fDiagnostics;
};

TEST_F(ParserTest, AShaderWithItsParametersAndBody) {
    SourceFile file = parseText(R"(
surface shiny(float Ka = 1, Kd = .5; uniform float roughness = .1;
              color specularcolor = 1; output varying float glow = 0;)
{
    normal Nf = faceforward(normalize(N), I);
    Oi = Os;
    Ci = Os * Cs * (Ka * ambient() + Kd * diffuse(Nf));
}
)");
    ASSERT_EQ(fDiagnostics.errors(), 0) << firstError();
    ASSERT_EQ(file.shaders.size(), 1u);
    const ShaderDefinition& shader = *file.shaders[0];
    EXPECT_EQ(shader.kind, ShaderKind::kSurface);
    EXPECT_EQ(shader.name, "shiny");
    ASSERT_EQ(shader.parameters.size(), 5u);
    EXPECT_EQ(shader.parameters[1].name, "Kd");
    EXPECT_EQ(shader.parameters[1].type.basic, BasicType::kFloat);
    EXPECT_FALSE(shader.parameters[1].detailGiven);
    EXPECT_EQ(shader.parameters[2].type.detail, Detail::kUniform);
    EXPECT_TRUE(shader.parameters[2].detailGiven);
    EXPECT_EQ(shader.parameters[3].type.basic, BasicType::kColor);
    EXPECT_TRUE(shader.parameters[4].output);
    EXPECT_EQ(shape(*shader.parameters[0].init), "1");
    ASSERT_EQ(shader.body.size(), 3u);
    EXPECT_EQ(shader.body[0]->kind, StatementKind::kDeclaration);
    EXPECT_EQ(shader.body[0]->declarations[0].type.basic, BasicType::kNormal);
    EXPECT_EQ(shape(*shader.body[0]->declarations[0].init), "(faceforward (normalize N) I)");
    EXPECT_EQ(shape(*shader.body[2]->expression),
              "(= Ci (* (* Os Cs) (+ (* Ka (ambient)) (* Kd (diffuse Nf)))))");
    EXPECT_EQ(shader.body[2]->location.line, 7);
}

TEST_F(ParserTest, OperatorsBindAsTheLanguageOrdersThem) {
    // '.' binds tightest, then '*' and '/', then '^', then '+' and '-'.
    EXPECT_EQ(expressionShape("x = a + b * c . d ^ e"), "(= x (+ a (^ (* b (. c d)) e)))");
    EXPECT_EQ(expressionShape("x = a - b - c / d / e"), "(= x (- (- a b) (/ (/ c d) e)))");
    EXPECT_EQ(expressionShape("x = a < b && c != d || !e"),
              "(= x (|| (&& (< a b) (!= c d)) (! e)))");
    EXPECT_EQ(expressionShape("x = -a * b"), "(= x (* (- a) b))");
    EXPECT_EQ(expressionShape("a = b += c ? d : e ? f : g"), "(= a (+= b (? c d (? e f g))))");
}

TEST_F(ParserTest, CastsTuplesArraysAndIndices) {
    EXPECT_EQ(expressionShape("c = color \"hsv\" (0.5, 1, 1)"),
              "(= c (color \"hsv\" (tuple 0.5 1 1)))");
    EXPECT_EQ(expressionShape("p = point \"world\" P + 1"), "(= p (+ (point \"world\" P) 1))");
    EXPECT_EQ(expressionShape("f = float (a)"), "(= f (float a))");
    EXPECT_EQ(expressionShape("m = (1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1)").substr(0, 15),
              "(= m (tuple 1 0");
    EXPECT_EQ(expressionShape("a[i + 1] = texture(name[1], s, t)[0]"),
              "(= (index a (+ i 1)) (index (texture (index name 1) s t) 0))");
    EXPECT_EQ(expressionShape("i++"), "(+= i 1)");
    // Shader kinds name the message-passing functions too.
    EXPECT_EQ(expressionShape("ok = surface(\"Kd\", kd) + displacement(\"amp\", a)"),
              "(= ok (+ (surface \"Kd\" kd) (displacement \"amp\" a)))");
    EXPECT_EQ(expressionShape("--i"), "(-= i 1)");
    SourceFile file = parseText("surface s(float k[] = {1, 2}) { float a[3] = {1, 2, 3}; }");
    ASSERT_EQ(fDiagnostics.errors(), 0) << firstError();
    EXPECT_EQ(file.shaders[0]->parameters[0].type.arrayLength, -1);
    EXPECT_EQ(shape(*file.shaders[0]->parameters[0].init), "(array 1 2)");
    EXPECT_EQ(file.shaders[0]->body[0]->declarations[0].type.arrayLength, 3);
}

TEST_F(ParserTest, StatementsAndLightLoops) {
    SourceFile file = parseText(R"(
light beam(float intensity = 1) {
    illuminate(point "shader" (0, 0, 0), vector "shader" (0, 0, 1), 0.5) {
        Cl = intensity;
    }
}
surface lit() {
    float i;
    for (i = 0; i < 4; i += 1) { if (i == 2) continue; else break 1; }
    while (i > 0) i -= 1;
    illuminance("specular", P, N, PI / 2) { Ci += Cl; }
    solar() ;
    gather("illuminance", P, R, 0, 4) Ci += 1; else Ci -= 1;
    return;
}
)");
    ASSERT_EQ(fDiagnostics.errors(), 0) << firstError();
    ASSERT_EQ(file.shaders.size(), 2u);
    const Statement& illuminate = *file.shaders[0]->body[0];
    EXPECT_EQ(illuminate.kind, StatementKind::kIlluminate);
    EXPECT_EQ(illuminate.arguments.size(), 3u);
    const auto& body = file.shaders[1]->body;
    ASSERT_EQ(body.size(), 7u);
    EXPECT_EQ(body[1]->kind, StatementKind::kFor);
    EXPECT_EQ(shape(*body[1]->step), "(+= i 1)");
    const Statement& ifStatement = *body[1]->body[0]->body[0];
    EXPECT_EQ(ifStatement.kind, StatementKind::kIf);
    ASSERT_EQ(ifStatement.body.size(), 2u);
    EXPECT_EQ(ifStatement.body[0]->kind, StatementKind::kContinue);
    EXPECT_EQ(ifStatement.body[1]->kind, StatementKind::kBreak);
    EXPECT_EQ(body[2]->kind, StatementKind::kWhile);
    EXPECT_EQ(body[3]->kind, StatementKind::kIlluminance);
    EXPECT_EQ(shape(*body[3]->arguments[0]), "\"specular\"");
    EXPECT_EQ(body[4]->kind, StatementKind::kSolar);
    EXPECT_TRUE(body[4]->arguments.empty());
    EXPECT_EQ(body[5]->kind, StatementKind::kGather);
    EXPECT_EQ(body[5]->body.size(), 2u);
    EXPECT_EQ(body[6]->kind, StatementKind::kReturn);
}

TEST_F(ParserTest, FunctionsOfEveryForm) {
    SourceFile file = parseText(R"(
float twice(float x) { return 2 * x; }
noresult(output float a, b; point p) { a = b; }
color tint(color c, float amount) { return c * amount; }
surface s() {
    float local(float y) { return y; }
    extern point P;
    Ci = tint(Cs, local(twice(1)));
}
)");
    ASSERT_EQ(fDiagnostics.errors(), 0) << firstError();
    ASSERT_EQ(file.functions.size(), 3u);
    EXPECT_EQ(file.functions[0]->result.basic, BasicType::kFloat);
    EXPECT_EQ(file.functions[1]->result.basic, BasicType::kVoid);
    const auto& parameters = file.functions[1]->parameters;
    ASSERT_EQ(parameters.size(), 3u);
    EXPECT_TRUE(parameters[0].output);
    EXPECT_TRUE(parameters[1].output); // `a, b` share their group's qualifiers
    EXPECT_EQ(parameters[2].type.basic, BasicType::kPoint);
    EXPECT_FALSE(parameters[2].output);
    ASSERT_EQ(file.functions[2]->parameters.size(), 2u);
    EXPECT_EQ(file.functions[2]->parameters[1].type.basic, BasicType::kFloat);
    const auto& body = file.shaders[0]->body;
    ASSERT_EQ(body.size(), 3u);
    EXPECT_EQ(body[0]->kind, StatementKind::kFunction);
    EXPECT_EQ(body[0]->function->name, "local");
    EXPECT_TRUE(body[1]->declarations[0].isExtern);
}

TEST_F(ParserTest, EveryErrorIsReportedAndParsingGoesOn) {
    SourceFile file = parseText(R"(surface s(float k) {
    float a = 1
    a = 2;
    1 = a;
    b = (1, 2);
    Ci = Cs;
}
surface t() { Ci = 1; }
)");
    // A parameter without a default, a missing ';', an assignment to a
    // number and a pair: four errors, and both shaders are kept.
    ASSERT_EQ(fDiagnostics.errors(), 4);
    const auto& all = fDiagnostics.all();
    EXPECT_EQ(all[0].text(), "test.sl:1:17: error: the shader parameter 'k' needs a default value");
    EXPECT_EQ(all[1].location.line, 3);
    EXPECT_NE(all[1].message.find("expected ';'"), std::string::npos) << all[1].message;
    EXPECT_EQ(all[2].location.line, 4);
    EXPECT_EQ(all[3].location.line, 5);
    ASSERT_EQ(file.shaders.size(), 2u);
    EXPECT_EQ(file.shaders[0]->body.back()->kind, StatementKind::kExpression);
    EXPECT_EQ(file.shaders[1]->name, "t");
}

TEST_F(ParserTest, AFileCutShortOrNestedTooDeeplyIsAnErrorNotACrash) {
    parseText("surface s() { Ci = 1;");
    ASSERT_EQ(fDiagnostics.errors(), 1);
    EXPECT_NE(fDiagnostics.all()[0].message.find("ends inside a block"), std::string::npos);

    Diagnostics deep;
    const std::string nested = std::string(100000, '(') + "1" + std::string(100000, ')');
    parse(preprocessText("surface s() { Ci = " + nested + "; }", "deep.sl", {}, deep), deep);
    ASSERT_GE(deep.errors(), 1);
    EXPECT_NE(deep.all()[0].message.find("nested too deeply"), std::string::npos);

    // A chain of operators as long makes a tree as deep.
    Diagnostics chain;
    std::string sum = "1";
    for (int k = 0; k < 300000; ++k) sum += "+1";
    parse(preprocessText("surface s() { Ci = " + sum + "; }", "chain.sl", {}, chain), chain);
    ASSERT_GE(chain.errors(), 1);
    EXPECT_NE(chain.all()[0].message.find("nested too deeply"), std::string::npos);
    Diagnostics shallow;
    std::string shortSum = "1";
    for (int k = 0; k < 500; ++k) shortSum += "+1";
    parse(preprocessText("surface s() { Ci = " + shortSum + "; }", "sum.sl", {}, shallow),
          shallow);
    EXPECT_EQ(shallow.errors(), 0);

    Diagnostics blocks;
    const std::string braces = std::string(5000, '{') + std::string(5000, '}');
    parse(preprocessText("surface s() " + braces, "blocks.sl", {}, blocks), blocks);
    EXPECT_GE(blocks.errors(), 1);
}

TEST_F(ParserTest, TheFuzzSeedsAreShadersWithoutAnError) {
    for (const char* seed : {"seed-plastic.sl", "seed-light.sl"}) {
        Diagnostics diagnostics;
        SourceFile file = parse(preprocessFile(std::string(SHADER_SOURCE_CORPUS) + "/" + seed,
                                               {}, diagnostics),
                                diagnostics);
        EXPECT_EQ(diagnostics.errors(), 0) << seed;
        EXPECT_EQ(file.shaders.size(), 1u) << seed;
    }
}

TEST_F(ParserTest, WhatIsNotADefinitionIsSkippedWithOneError) {
    SourceFile file = parseText("1 + 2; { junk } surface s() { }");
    EXPECT_EQ(fDiagnostics.errors(), 1) << firstError();
    ASSERT_EQ(file.shaders.size(), 1u);
}

} // namespace
