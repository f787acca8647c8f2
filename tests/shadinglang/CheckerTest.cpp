#include "shadinglang/Checker.h"

#include "shadinglang/Builtins.h"
#include "shadinglang/GlobalVariables.h"
#include "shadinglang/Parser.h"
#include "shadinglang/Preprocessor.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

using namespace quelmark::sl;

namespace {

void collect(const Expression& expression, std::vector<const Expression*>& into);

void collect(const Statement& statement, std::vector<const Expression*>& into) {
    for (const ExpressionPtr* part : {&statement.init, &statement.expression, &statement.step})
        if (*part) collect(**part, into);
    for (const ExpressionPtr& argument : statement.arguments)
        collect(*argument, into);
    for (const Declaration& declaration : statement.declarations)
        if (declaration.init) collect(*declaration.init, into);
    for (const StatementPtr& inner : statement.body)
        collect(*inner, into);
    if (statement.function)
        for (const StatementPtr& inner : statement.function->body)
            collect(*inner, into);
}

void collect(const Expression& expression, std::vector<const Expression*>& into) {
    into.push_back(&expression);
    for (const ExpressionPtr& operand : expression.operands)
        collect(*operand, into);
}

void collectDeclarations(const Statement& statement, std::vector<const Declaration*>& into) {
    for (const Declaration& declaration : statement.declarations)
        into.push_back(&declaration);
    for (const StatementPtr& inner : statement.body)
        collectDeclarations(*inner, into);
    if (statement.function) {
        for (const Declaration& parameter : statement.function->parameters)
            into.push_back(&parameter);
        for (const StatementPtr& inner : statement.function->body)
            collectDeclarations(*inner, into);
    }
}

const Statement* findStatement(const std::vector<StatementPtr>& body, int line) {
    for (const StatementPtr& statement : body) {
        if (statement->location.line == line) return statement.get();
        if (const Statement* inner = findStatement(statement->body, line)) return inner;
        if (statement->function)
            if (const Statement* inner = findStatement(statement->function->body, line))
                return inner;
    }
    return nullptr;
}

class CheckerTest : public ::testing::Test {
protected:
    // The source preprocessed, parsed and checked; its first line is line 1.
    void checkText(const std::string& text) {
        fFile =
            parse(preprocessText(text, "test.sl", PreprocessOptions{}, fDiagnostics), fDiagnostics);
        check(fFile, fDiagnostics);
    }

    // Checks a source that must have no error nor warning.
    void checkClean(const std::string& text) {
        checkText(text);
        EXPECT_EQ(fDiagnostics.all().size(), 0u) << allText();
    }

    std::string allText() const {
        std::string text;
        for (const std::string& line : fDiagnostics.texts())
            text += line + "\n";
        return text;
    }

    // Each diagnostic as "line: message", warnings marked.
    std::vector<std::string> reports() const {
        std::vector<std::string> result;
        for (const Diagnostic& diagnostic : fDiagnostics.all())
            result.push_back(std::to_string(diagnostic.location.line) + ": " +
                             (diagnostic.severity == Severity::kWarning ? "warning: " : "") +
                             diagnostic.message);
        return result;
    }

    std::vector<const Expression*> expressions() const {
        std::vector<const Expression*> all;
        auto addBody = [&](const std::vector<StatementPtr>& body) {
            for (const StatementPtr& statement : body)
                collect(*statement, all);
        };
        for (const auto& function : fFile.functions)
            addBody(function->body);
        for (const auto& shader : fFile.shaders) {
            for (const Declaration& parameter : shader->parameters)
                if (parameter.init) collect(*parameter.init, all);
            addBody(shader->body);
        }
        return all;
    }

    // The first expression of the kind at the line (named so, if a name is
    // given: a variable, a call, a string).
    const Expression& at(int line, ExpressionKind kind, std::string_view name = {}) const {
        for (const Expression* expression : expressions())
            if (expression->location.line == line && expression->kind == kind &&
                (name.empty() || expression->name == name))
                return *expression;
        ADD_FAILURE() << "no such expression at line " << line;
        static const Expression kNone;
        return kNone;
    }

    // The value of the assignment or initialization at the line.
    const Expression& valueAt(int line) const {
        for (const Expression* expression : expressions())
            if (expression->location.line == line && expression->kind == ExpressionKind::kAssign)
                return *expression->operands[1];
        const Declaration& declared = declarationAt(line);
        if (declared.init) return *declared.init;
        ADD_FAILURE() << "no value at line " << line;
        static const Expression kNone;
        return kNone;
    }

    const Declaration& declarationAt(int line) const {
        for (const Declaration* declaration : declarations())
            if (declaration->location.line == line) return *declaration;
        ADD_FAILURE() << "no declaration at line " << line;
        static const Declaration kNone;
        return kNone;
    }

    const Declaration& declarationNamed(std::string_view name) const {
        for (const Declaration* declaration : declarations())
            if (declaration->name == name) return *declaration;
        ADD_FAILURE() << "no declaration named " << name;
        static const Declaration kNone;
        return kNone;
    }

    std::vector<const Declaration*> declarations() const {
        std::vector<const Declaration*> all;
        auto addBody = [&](const std::vector<StatementPtr>& body) {
            for (const StatementPtr& statement : body)
                collectDeclarations(*statement, all);
        };
        for (const auto& function : fFile.functions) {
            for (const Declaration& parameter : function->parameters)
                all.push_back(&parameter);
            addBody(function->body);
        }
        for (const auto& shader : fFile.shaders) {
            for (const Declaration& parameter : shader->parameters)
                all.push_back(&parameter);
            addBody(shader->body);
        }
        return all;
    }

    const Statement& statementAt(int line) const {
        for (const auto& function : fFile.functions)
            if (const Statement* found = findStatement(function->body, line)) return *found;
        for (const auto& shader : fFile.shaders)
            if (const Statement* found = findStatement(shader->body, line)) return *found;
        ADD_FAILURE() << "no statement at line " << line;
        static const Statement kNone;
        return kNone;
    }

    Diagnostics fDiagnostics;
    SourceFile fFile;
};

std::string typeOf(const Expression& expression) {
    return describe(expression.type);
}

// ---------------------------------------------------------------------------
// Types of whole shaders.

TEST_F(CheckerTest, APlasticSurfaceHasTheTypesOfItsParts) {
    checkClean(R"(surface plastic(float Ks = .5, Kd = .5, Ka = 1, roughness = .1;
                color specularcolor = 1)
{
    normal Nf = faceforward(normalize(N), I);
    vector V = -normalize(I);
    Oi = Os;
    Ci = Os * Cs * (Ka * ambient() + Kd * diffuse(Nf)) +
         specularcolor * Ks * specular(Nf, V, roughness);
    Ci *= Oi;
}
)");
    // Shader parameters are uniform unless said otherwise.
    EXPECT_EQ(describe(declarationNamed("Ks").type), "uniform float");
    EXPECT_EQ(describe(declarationNamed("specularcolor").type), "uniform color");
    // faceforward gives a vector, which a normal takes.
    const Expression& facing = valueAt(4);
    EXPECT_EQ(typeOf(facing), "varying vector");
    ASSERT_NE(facing.builtin, nullptr);
    EXPECT_EQ(facing.builtin->op, BuiltinOp::kFaceForward);
    EXPECT_EQ(typeOf(at(4, ExpressionKind::kCall, "normalize")), "varying vector");
    EXPECT_EQ(typeOf(valueAt(5)), "varying vector");
    const Expression& color = valueAt(7);
    EXPECT_EQ(typeOf(color), "varying color");
    EXPECT_EQ(typeOf(at(7, ExpressionKind::kCall, "ambient")), "varying color");
    EXPECT_EQ(typeOf(at(8, ExpressionKind::kCall, "specular")), "varying color");
    const Expression& Ks = at(8, ExpressionKind::kVariable, "Ks");
    EXPECT_EQ(typeOf(Ks), "uniform float");
    EXPECT_EQ(Ks.declaration, &declarationNamed("Ks"));
    const Expression& Os = at(6, ExpressionKind::kVariable, "Os");
    ASSERT_NE(Os.global, nullptr);
    EXPECT_EQ(Os.global, findGlobal(ShaderKind::kSurface, "Os"));
}

TEST_F(CheckerTest, ASpotlightIlluminatesThroughItsCone) {
    checkClean(R"(light spot(float intensity = 1; color lightcolor = 1;
           point from = point "shader" (0, 0, 0), to = point "shader" (0, 0, 1);
           float coneangle = radians(30), conedelta = radians(5))
{
    uniform vector A = (to - from) / length(to - from);
    uniform float cosoutside = cos(coneangle), cosinside = cos(coneangle - conedelta);
    illuminate(from, A, coneangle) {
        float cosangle = L . A / length(L);
        Cl = intensity * lightcolor * smoothstep(cosoutside, cosinside, cosangle) / (L . L);
    }
}
)");
    EXPECT_EQ(typeOf(at(5, ExpressionKind::kBinary)), "uniform vector"); // (to - from) / length
    EXPECT_EQ(typeOf(at(2, ExpressionKind::kTuple)), "uniform point");
    EXPECT_EQ(typeOf(valueAt(8)), "varying float");
    const Expression& smooth = at(9, ExpressionKind::kCall, "smoothstep");
    EXPECT_EQ(typeOf(smooth), "varying float");
    ASSERT_NE(smooth.builtin, nullptr);
    EXPECT_EQ(smooth.builtin->op, BuiltinOp::kSmoothStep);
    EXPECT_EQ(typeOf(valueAt(9)), "varying color");
    // L exists only inside the loop, and the loop runs a varying set of points.
    EXPECT_EQ(at(8, ExpressionKind::kVariable, "L").global, findGlobal(ShaderKind::kLight, "L"));
    EXPECT_EQ(statementAt(7).detail, Detail::kVarying);
}

TEST_F(CheckerTest, ADisplacementWritesPAndN) {
    checkClean(R"(displacement bumpy(float Km = 1, amplitude = 0.1) {
    float magnitude = Km * amplitude * noise(P);
    P += magnitude * normalize(N);
    N = calculatenormal(P);
}
)");
    EXPECT_EQ(typeOf(valueAt(3)), "varying vector"); // float * vector
    EXPECT_EQ(typeOf(at(3, ExpressionKind::kAssign)), "varying point");
    EXPECT_EQ(typeOf(valueAt(4)), "varying normal");
    EXPECT_EQ(at(3, ExpressionKind::kVariable, "P").global,
              findGlobal(ShaderKind::kDisplacement, "P"));
}

TEST_F(CheckerTest, TheFuzzSeedsCheckWithoutAReport) {
    for (const char* seed : {"seed-plastic.sl", "seed-light.sl"}) {
        Diagnostics diagnostics;
        SourceFile file =
            parse(preprocessFile(std::string(SHADER_SOURCE_CORPUS) + "/" + seed, {}, diagnostics),
                  diagnostics);
        check(file, diagnostics);
        EXPECT_EQ(diagnostics.all().size(), 0u) << seed;
    }
}

// ---------------------------------------------------------------------------
// Arithmetic.

TEST_F(CheckerTest, AFloatIsPromotedToTheOtherOperandsType) {
    checkClean(R"(surface s() {
    color c = 1;
    point p = 2 * P;
    matrix m = 1;
    m = m * 2;
    c = c + 0.5;
    float f = (c == 1) + (P != p);
    uniform float u = 3;
    c = u;
}
)");
    EXPECT_EQ(typeOf(valueAt(2)), "uniform float"); // promoted by the assignment
    EXPECT_EQ(typeOf(valueAt(3)), "varying point");
    EXPECT_EQ(typeOf(valueAt(5)), "varying matrix"); // m is a varying local
    EXPECT_EQ(typeOf(valueAt(6)), "varying color");
    // Comparisons give floats.
    EXPECT_EQ(typeOf(valueAt(7)), "varying float");
    EXPECT_EQ(typeOf(at(7, ExpressionKind::kBinary)), "varying float");
}

TEST_F(CheckerTest, PointMinusPointIsAVectorAndPointPlusVectorAPoint) {
    checkClean(R"(surface s() {
    vector toEye = E - P;
    point moved = P + toEye;
    point back = P - toEye;
    vector mixed = N + toEye;
    normal scaled = N * 2;
    toEye = normalize(N);
}
)");
    EXPECT_EQ(typeOf(valueAt(2)), "varying vector");
    EXPECT_EQ(typeOf(valueAt(3)), "varying point");
    EXPECT_EQ(typeOf(valueAt(4)), "varying point");
    EXPECT_EQ(typeOf(valueAt(5)), "varying vector");
    EXPECT_EQ(typeOf(valueAt(6)), "varying normal");
}

TEST_F(CheckerTest, DotAndCrossProducts) {
    checkText(R"(surface s() {
    float facing = N . I;
    vector side = N ^ I;
    float gray = Cs . color(0.3, 0.6, 0.1);
    vector odd = P ^ E;
    float wrong = Cs . N;
    point p = P + Cs;
}
)");
    EXPECT_EQ(typeOf(valueAt(2)), "varying float");
    EXPECT_EQ(typeOf(valueAt(3)), "varying vector");
    EXPECT_EQ(typeOf(valueAt(4)), "varying float");
    EXPECT_EQ(reports(),
              (std::vector<std::string>{
                  "5: warning: the cross product of two points; vectors were meant?",
                  "6: '.' takes two points, vectors or normals, or two colours, not color and "
                  "normal",
                  "7: '+' cannot combine these, not point and color"}));
}

TEST_F(CheckerTest, CastsAndTheirSpaces) {
    checkText(R"(surface s() {
    color c = color "hsv" (0.5, 1, 1);
    point p = point "world" P;
    vector up = vector "object" (0, 1, 0);
    matrix m = matrix "world" 1;
    c = color (N);
    float f = float "world" 1;
    c = color "sepia" (1, 0, 0);
    f = float c;
}
)");
    EXPECT_EQ(typeOf(at(2, ExpressionKind::kCast)), "uniform color");
    EXPECT_EQ(at(2, ExpressionKind::kCast).space, "hsv");
    EXPECT_EQ(typeOf(at(2, ExpressionKind::kTuple)), "uniform color");
    EXPECT_EQ(typeOf(valueAt(3)), "varying point");
    EXPECT_EQ(typeOf(at(4, ExpressionKind::kTuple)), "uniform vector");
    EXPECT_EQ(typeOf(valueAt(5)), "uniform matrix");
    EXPECT_EQ(typeOf(valueAt(6)), "varying color"); // an explicit cast converts any triple
    EXPECT_EQ(reports(),
              (std::vector<std::string>{
                  "7: a float cast takes no space",
                  "8: 'sepia' is not a colour space (rgb, hsv, hsl, xyz, XYZ, xyY or YIQ)",
                  "9: cannot cast color to float"}));
}

TEST_F(CheckerTest, ATripleTakesTheTypeItsUseAsksFor) {
    checkClean(R"(color tint(color c) { return c; }
surface s() {
    color red = (1, 0, 0);
    normal up = (0, 0, 1);
    Ci = tint((1, 0.5, 0));
    Ci = Cs * (1, 0.5, 0.5);
    Ci = (1, 0, 0) * 0.5;
    float d = (1, 0, 0) . N;
    Ci = s > 0.5 ? (1, 1, 1) : Cs;
    point where = (1, 2, 3);
}
)");
    EXPECT_EQ(typeOf(at(3, ExpressionKind::kTuple)), "uniform color");
    EXPECT_EQ(typeOf(at(4, ExpressionKind::kTuple)), "uniform normal");
    EXPECT_EQ(typeOf(at(5, ExpressionKind::kTuple)), "uniform color");
    EXPECT_EQ(typeOf(at(6, ExpressionKind::kTuple)), "uniform color");
    EXPECT_EQ(typeOf(at(7, ExpressionKind::kTuple)), "uniform color");
    EXPECT_EQ(typeOf(at(8, ExpressionKind::kTuple)), "uniform normal");
    EXPECT_EQ(typeOf(at(9, ExpressionKind::kTuple)), "uniform color");
    EXPECT_EQ(typeOf(at(10, ExpressionKind::kTuple)), "uniform point");
}

TEST_F(CheckerTest, ConditionsAndLogicTakeFloats) {
    checkText(R"(surface s() {
    float a = s > 0.5 && !(t < 0.2) || u == v;
    if (Cs) Ci = 0;
    while ("yes") Ci = 1;
    float b = s > 0.5 ? 1 : Cs;
    float c = s ? "a" : 1;
}
)");
    EXPECT_EQ(typeOf(valueAt(2)), "varying float");
    EXPECT_EQ(reports(),
              (std::vector<std::string>{
                  "3: the condition of if takes a float or a comparison, not color",
                  "4: the condition of while takes a float or a comparison, not string",
                  "5: cannot initialize float 'b' with color",
                  "6: the choices of ?: are string and float, which have no common type"}));
}

TEST_F(CheckerTest, ArraysAreIndexedAndAssignedWhole) {
    checkText(R"(surface s(float weights[] = {1, 2, 3}) {
    float a[3] = {1, 2, 3};
    color hues[2] = {(1, 0, 0), 1};
    a[1] = weights[0] + a[s * 2];
    float b[3];
    b = a;
    float c[2];
    c = a;
    float d[2] = {1, 2, 3};
    float e = a;
    a[Cs] = 1;
    float f = s[0];
    float g[] = {4, 5};
    float h = spline(s, a);
}
)");
    EXPECT_EQ(typeOf(at(2, ExpressionKind::kArray)), "uniform float[3]");
    EXPECT_EQ(typeOf(at(3, ExpressionKind::kTuple)), "uniform color");
    EXPECT_EQ(typeOf(at(4, ExpressionKind::kIndex)), "varying float");
    EXPECT_EQ(declarationNamed("weights").type.arrayLength, -1);
    EXPECT_EQ(declarationNamed("g").type.arrayLength, 2); // counted from its values
    EXPECT_EQ(reports(), (std::vector<std::string>{
                             "8: cannot assign float[3] to float[2] 'c'",
                             "9: cannot initialize float[2] 'd' with float[3]",
                             "10: cannot initialize float 'e' with float[3]",
                             "11: an index takes a float or a comparison, not color",
                             "12: only an array can be indexed, not float",
                         }));
}

// ---------------------------------------------------------------------------
// Calls.

TEST_F(CheckerTest, TheNoiseFamilyTakesItsResultFromItsUse) {
    checkClean(R"(void paint(color c) { }
surface s() {
    color c = noise(P);
    float f = noise(P);
    point p = cellnoise(s, t);
    vector v = vector noise(P, time);
    c = noise(P) * Cs;
    paint(noise(P));
    c = mix(Cs, color pnoise(P, (1, 1, 1)), 0.5);
    c = random();
}
)");
    const auto resultOf = [&](int line, std::string_view name) {
        const Expression& call = at(line, ExpressionKind::kCall, name);
        EXPECT_NE(call.builtin, nullptr);
        return call.builtin ? describe(call.builtin->result) : "none";
    };
    EXPECT_EQ(resultOf(3, "noise"), std::string("color"));
    EXPECT_EQ(resultOf(4, "noise"), std::string("float"));
    EXPECT_EQ(resultOf(5, "cellnoise"), std::string("point"));
    EXPECT_EQ(resultOf(6, "noise"), std::string("vector"));
    // Not through an operator: float noise times a colour.
    EXPECT_EQ(resultOf(7, "noise"), std::string("float"));
    EXPECT_EQ(resultOf(8, "noise"), std::string("color"));
    EXPECT_EQ(resultOf(9, "pnoise"), std::string("color"));
    EXPECT_EQ(typeOf(at(9, ExpressionKind::kTuple)), "uniform point");
    EXPECT_EQ(resultOf(10, "random"), std::string("color"));
    EXPECT_EQ(typeOf(at(10, ExpressionKind::kCall, "random")), "varying color");
}

TEST_F(CheckerTest, TextureTakesAChannelAndNamedParameters) {
    checkText(R"(surface s(string map = "brick.tx") {
    color c = texture(map[1], s, t, "blur", 0.01);
    float f = texture("bump.tx"[0]);
    float lit = shadow("key.shd"[0], P, "samples", 16);
    float x = map[0];
    c = texture(map, s, t, 0.01, "blur");
}
)");
    const Expression& lookup = at(2, ExpressionKind::kCall, "texture");
    ASSERT_NE(lookup.builtin, nullptr);
    EXPECT_EQ(lookup.builtin->result, BasicType::kColor);
    EXPECT_TRUE(lookup.builtin->takesChannel);
    EXPECT_EQ(typeOf(at(2, ExpressionKind::kIndex)), "uniform string");
    EXPECT_EQ(typeOf(lookup), "varying color");
    // Without coordinates the lookup reads s and t.
    EXPECT_EQ(typeOf(at(3, ExpressionKind::kCall, "texture")), "varying float");
    EXPECT_EQ(reports(), (std::vector<std::string>{
                             "5: a string takes a [channel] only as the map of texture, "
                             "environment, shadow or bump",
                             "6: no 'texture' takes (string, float, float, float, string)"}));
}

TEST_F(CheckerTest, UserFunctionsAreOverloadedByTheirParameters) {
    checkText(R"(float twice(float x) { return 2 * x; }
color twice(color x) { return 2 * x; }
point pick(point p) { return p; }
vector pick(vector v) { return v; }
float sample(point p) { return 1; }
color sample(point p) { return 1; }
surface s() {
    Ci = twice(Cs);
    float f = twice(1);
    vector v = pick(I);
    Ci = sample(P);
    f = sample(P);
    v = pick(N);
    f = twice("x");
}
)");
    EXPECT_EQ(at(8, ExpressionKind::kCall, "twice").function, fFile.functions[1].get());
    EXPECT_EQ(at(9, ExpressionKind::kCall, "twice").function, fFile.functions[0].get());
    EXPECT_EQ(at(10, ExpressionKind::kCall, "pick").function, fFile.functions[3].get());
    // Functions that differ in their result alone are chosen by the use.
    EXPECT_EQ(at(11, ExpressionKind::kCall, "sample").function, fFile.functions[5].get());
    EXPECT_EQ(at(12, ExpressionKind::kCall, "sample").function, fFile.functions[4].get());
    EXPECT_EQ(reports(),
              (std::vector<std::string>{
                  "13: the call of 'pick' with (normal) fits several functions equally well "
                  "(at line 3, line 4)",
                  "14: no 'twice' takes (string)"}));
}

TEST_F(CheckerTest, OutputParametersTakeVariables) {
    checkText(R"(void split(color c; output float r, g) { r = comp(c, 0); g = comp(c, 1); }
surface s() {
    float red, green, parts[2];
    split(Cs, red, green);
    split(Cs, parts[0], parts[1]);
    split(Cs, 1, green);
    fresnel(I, N, 1.5, red, green);
    float found = surface("Kd", parts);
    setxcomp(P, 1);
}
)");
    EXPECT_EQ(at(8, ExpressionKind::kCall, "surface").builtin->op, BuiltinOp::kSurface);
    EXPECT_EQ(reports(), (std::vector<std::string>{
                             "6: an output argument of 'split' must be a variable or an element "
                             "of an array",
                             "9: 'P' is read-only in surface shaders"}));
}

// ---------------------------------------------------------------------------
// Names and scopes.

TEST_F(CheckerTest, LocalsShadowOuterNamesAndExternReachesThem) {
    checkClean(R"(float scale(float x) { extern point P; return x * xcomp(P); }
surface s(float Kd = 1) {
    float k = 2;
    {
        float k = 3;
        Ci = k;
    }
    float scaled(float x) { extern float k; extern float Kd; return x * k * Kd; }
    Ci = scaled(scale(1));
}
)");
    const Declaration& outer = declarationAt(3);
    const Declaration& inner = declarationAt(5);
    EXPECT_EQ(at(6, ExpressionKind::kVariable, "k").declaration, &inner);
    EXPECT_EQ(at(8, ExpressionKind::kVariable, "k").declaration, &outer);
    EXPECT_EQ(at(8, ExpressionKind::kVariable, "Kd").declaration, &declarationNamed("Kd"));
    // In a function outside every shader, the first kind's entry.
    EXPECT_EQ(at(1, ExpressionKind::kVariable, "P").global, findGlobal(ShaderKind::kSurface, "P"));
    EXPECT_EQ(describe(declarationNamed("P").type), "varying point");
}

TEST_F(CheckerTest, AFunctionNeedsExternToSeeOuterVariables) {
    checkText(R"(surface s(float Kd = 1) {
    float k = 2;
    float f(float x) { return x * Kd + xcomp(P); }
    float g() { extern float missing; return 1; }
    float h() { extern color k; return 1; }
}
)");
    EXPECT_EQ(reports(),
              (std::vector<std::string>{
                  "3: 'Kd' is not defined in 'f': an extern declaration would reach the one "
                  "outside",
                  "3: 'P' is not defined in 'f': an extern declaration would reach the one "
                  "outside",
                  "4: the extern 'missing' names no variable outside",
                  "5: the extern 'k' is declared color but is float"}));
}

TEST_F(CheckerTest, LightLoopsAndLightGatheringCallsBelongToTheirShaders) {
    checkText(R"(displacement d() {
    color c = diffuse(N);
    illuminance(P) { }
}
surface s() {
    illuminance(P, N, 1.5) {
        Ci += Cl * diffuse(N);
        illuminance(P) { }
        float ok = lightsource("shadow", Ci);
    }
    float late = lightsource("shadow", Ci);
    solar() { }
    Ci = L;
}
light l() {
    illuminate(P, N) { }
    Cl = 1;
    Ci = 1;
}
)");
    EXPECT_EQ(reports(), (std::vector<std::string>{
                             "2: 'diffuse' is only allowed in surface and volume shaders",
                             "3: illuminance is only allowed in surface and volume shaders",
                             "7: 'diffuse' cannot be used inside a light loop",
                             "8: illuminance cannot be used inside a light loop",
                             "11: 'lightsource' is only allowed inside an illuminance loop",
                             "12: solar is only allowed in light shaders",
                             "13: 'L' is only defined inside an illuminance loop",
                             "16: illuminate takes (position [, axis, angle]), not (point, normal)",
                             "18: 'Ci' is not defined"}));
}

TEST_F(CheckerTest, WhatAFunctionNeedsIsCheckedWhereItIsCalled) {
    checkText(R"(color gathered(normal Nn) {
    extern point P;
    color sum = 0;
    illuminance(P, Nn, 1.57) { sum += Cl; }
    return sum;
}
void push(float amount) { extern point P; extern normal N; P += amount * N; }
color incoming() { extern color Cl; return Cl; }
surface s() {
    Ci = gathered(N);
    push(1);
    illuminance(P) { Ci += incoming(); }
    Ci += incoming();
}
displacement d() { push(0.1); }
light l() { Cl = gathered(N); }
)");
    EXPECT_EQ(reports(),
              (std::vector<std::string>{
                  "11: 'push' cannot be called here: 'P' is read-only in surface shaders (line 7)",
                  "13: 'incoming' cannot be called here: 'Cl' is only defined inside an "
                  "illuminance loop (line 8)",
                  "16: 'gathered' cannot be called here: illuminance is only allowed in surface "
                  "and volume shaders (line 4)"}));
}

TEST_F(CheckerTest, LoopExitsCountTheirLoops) {
    checkText(R"(surface s() {
    float i, j;
    for (i = 0; i < 4; i += 1) {
        while (j < 2) { if (j == 1) break 2; j += 1; continue; }
        continue 2;
    }
    break;
    illuminance(P) { continue; }
}
)");
    EXPECT_EQ(reports(),
              (std::vector<std::string>{"5: continue 2 leaves more loops than the 1 around it",
                                        "7: break outside a loop", "8: continue outside a loop"}));
}

TEST_F(CheckerTest, ReturnsOfShadersAndFunctions) {
    checkText(R"(float none(float x) { x += 1; }
void quiet() { return 1; }
float bare() { return; }
string name() { return 1; }
void nothing() { }
surface s() {
    if (s > 0.5) return;
    float x = nothing();
    return 1;
}
)");
    EXPECT_EQ(reports(),
              (std::vector<std::string>{
                  "1: 'x' is a parameter of 'none' that is not output, and cannot be written",
                  "1: warning: function 'none' never returns a value",
                  "2: 'quiet' is void and returns no value", "3: 'bare' must return a float",
                  "4: 'name' returns string, not float", "8: 'nothing' is void and gives no value",
                  "9: a shader's return takes no value"}));
}

// ---------------------------------------------------------------------------
// Uniform and varying.

TEST_F(CheckerTest, DetailsFollowTheirOperands) {
    checkClean(R"(surface s(float Kd = 1; varying float bias = 0) {
    uniform float twiceKd = 2 * Kd;
    float local = Kd;
    uniform float i;
    for (i = 0; i < 3; i += 1) Ci += i;
    if (Kd > 0) Ci = 0;
    if (s > Kd) Ci = 1;
    while (local < 1) local += bias;
}
)");
    EXPECT_EQ(typeOf(valueAt(2)), "uniform float");
    EXPECT_EQ(describe(declarationAt(3).type), "varying float");
    EXPECT_EQ(describe(declarationNamed("bias").type), "varying float");
    EXPECT_EQ(statementAt(5).detail, Detail::kUniform);
    EXPECT_EQ(statementAt(6).detail, Detail::kUniform);
    EXPECT_EQ(statementAt(7).detail, Detail::kVarying);
    EXPECT_EQ(statementAt(8).detail, Detail::kVarying);
    EXPECT_EQ(typeOf(at(5, ExpressionKind::kAssign)), "uniform float");
}

TEST_F(CheckerTest, AUniformVariableCannotTakeAVaryingValue) {
    checkText(R"(surface s(float Kd = 1) {
    uniform float k = Kd;
    k = s;
    uniform float j = t * 2;
    Kd = u;
    uniform color c = noise(P);
}
)");
    EXPECT_EQ(reports(),
              (std::vector<std::string>{"3: uniform 'k' is assigned a varying value",
                                        "4: uniform 'j' is initialized with a varying value",
                                        "5: uniform 'Kd' is assigned a varying value",
                                        "6: uniform 'c' is initialized with a varying value"}));
}

TEST_F(CheckerTest, AUniformVariableCannotBeAssignedUnderAVaryingCondition) {
    checkText(R"(surface s(float Kd = 1) {
    uniform float k = 0;
    if (s > 0.5) k = 1;
    if (Kd > 0.5) k = 2;
    if (s > 0.5) { uniform float inside = 1; inside = 2; }
    uniform float i;
    for (i = 0; i < 10; i += 1) { if (t > 0.5) break; }
    illuminance(P) { k += 1; }
    float v = s > 0.5 ? (k = 1) : 0;
}
)");
    EXPECT_EQ(reports(),
              (std::vector<std::string>{"3: uniform 'k' is assigned under a varying condition",
                                        // The varying break: some points leave before others.
                                        "7: uniform 'i' is assigned under a varying condition",
                                        "8: uniform 'k' is assigned under a varying condition",
                                        "9: uniform 'k' is assigned under a varying condition"}));
    EXPECT_EQ(statementAt(7).detail, Detail::kVarying);
}

TEST_F(CheckerTest, AFunctionTakesTheDetailOfItsArguments) {
    checkText(R"(float half(float x) { uniform float h = x / 2; return h; }
float twice(float x) { return 2 * x; }
void set(output float target; float value) { target = value; }
float steady(uniform float x) { return x; }
surface s(float Kd = 1) {
    uniform float a = half(Kd);
    float b = half(s);
    uniform float c = twice(Kd);
    uniform float d = twice(s);
    uniform float e;
    set(e, Kd);
    set(e, t);
    float f = steady(s);
    if (s > 0.5) set(e, 1);
}
)");
    EXPECT_EQ(typeOf(valueAt(8)), "uniform float");
    EXPECT_EQ(typeOf(valueAt(9)), "varying float");
    EXPECT_EQ(reports(),
              (std::vector<std::string>{
                  "1: uniform 'h' is initialized with a varying value (in the call of 'half' "
                  "at line 7)",
                  "9: uniform 'd' is initialized with a varying value",
                  "3: uniform 'target' is assigned a varying value (in the call of 'set' at "
                  "line 12)",
                  "13: the uniform parameter 'x' of 'steady' is given a varying value",
                  "14: uniform 'e' is assigned under a varying condition by 'set' (line 3)"}));
}

TEST_F(CheckerTest, WritesThroughExternFollowTheCallsCondition) {
    checkText(R"(surface s() {
    uniform float count = 0;
    void add() { extern uniform float count; count += 1; }
    add();
    if (s > 0.5) add();
    if (s > 0.5) {
        uniform float local = 0;
        void addLocal() { extern float local; local += 1; }
        addLocal();
    }
}
)");
    EXPECT_EQ(at(3, ExpressionKind::kVariable, "count").declaration, &declarationAt(2));
    // The call under the varying if writes the shader's uniform; the
    // uniform declared inside that if is the call's own business.
    EXPECT_EQ(reports(), (std::vector<std::string>{
                             "5: uniform 'count' is assigned under a varying condition by 'add' "
                             "(line 3)"}));
}

TEST_F(CheckerTest, VolumesGatherLightAndGatherTracesRays) {
    checkClean(R"(volume haze(float density = 0.1) {
    illuminance(P) { Ci += density * Cl; }
}
surface mirror() {
    color hit = 0;
    gather("illuminance", P, reflect(I, N), 0.1, 16, "surface:Ci", hit) Ci += hit;
    else Ci += Cs;
}
)");
    EXPECT_EQ(at(2, ExpressionKind::kVariable, "Cl").global,
              findGlobal(ShaderKind::kSurface, "Cl"));
    EXPECT_EQ(statementAt(6).detail, Detail::kVarying);
}

// ---------------------------------------------------------------------------
// Errors, one of each class, with its place.

TEST_F(CheckerTest, AnUndefinedName) {
    checkText("surface s() {\n    Ci = colour;\n}\n");
    ASSERT_EQ(fDiagnostics.errors(), 1);
    EXPECT_EQ(fDiagnostics.all()[0].text(), "test.sl:2:10: error: 'colour' is not defined");
}

TEST_F(CheckerTest, ArgumentsOfTheWrongTypes) {
    checkText("surface s() {\n    float x = smoothstep(0, 1, Cs);\n    y();\n}\n");
    EXPECT_EQ(reports(), (std::vector<std::string>{"2: no 'smoothstep' takes (float, float, color)",
                                                   "3: no function is named 'y'"}));
}

TEST_F(CheckerTest, WritingAReadOnlyPredefinedVariable) {
    checkText("surface s() {\n    P = P + N;\n    N = Ng;\n}\n");
    ASSERT_EQ(fDiagnostics.errors(), 1);
    EXPECT_EQ(fDiagnostics.all()[0].text(),
              "test.sl:2:5: error: 'P' is read-only in surface shaders");
}

TEST_F(CheckerTest, ClOutsideIlluminance) {
    checkText("surface s() {\n    Ci = Cl;\n}\n");
    ASSERT_EQ(fDiagnostics.errors(), 1);
    EXPECT_EQ(fDiagnostics.all()[0].text(),
              "test.sl:2:10: error: 'Cl' is only defined inside an illuminance loop");
}

TEST_F(CheckerTest, IlluminateInASurface) {
    checkText("surface s() {\n    illuminate(P) { Ci = 1; }\n}\n");
    ASSERT_EQ(fDiagnostics.errors(), 1);
    EXPECT_EQ(fDiagnostics.all()[0].text(),
              "test.sl:2:5: error: illuminate is only allowed in light shaders");
}

TEST_F(CheckerTest, AUniformAssignedAVaryingValue) {
    checkText("surface s() {\n    uniform float k = 1;\n    k = s;\n}\n");
    ASSERT_EQ(fDiagnostics.errors(), 1);
    EXPECT_EQ(fDiagnostics.all()[0].text(),
              "test.sl:3:7: error: uniform 'k' is assigned a varying value");
}

TEST_F(CheckerTest, AUniformAssignedUnderAVaryingIf) {
    checkText("surface s() {\n    uniform float k = 1;\n    if (t > 0)\n        k = 2;\n}\n");
    ASSERT_EQ(fDiagnostics.errors(), 1);
    EXPECT_EQ(fDiagnostics.all()[0].text(),
              "test.sl:4:11: error: uniform 'k' is assigned under a varying condition");
}

TEST_F(CheckerTest, BreakOutsideALoop) {
    checkText("surface s() {\n    if (s > 0) break;\n}\n");
    ASSERT_EQ(fDiagnostics.errors(), 1);
    EXPECT_EQ(fDiagnostics.all()[0].text(), "test.sl:2:16: error: break outside a loop");
}

TEST_F(CheckerTest, Recursion) {
    checkText("float f(float x) {\n    return x > 0 ? f(x - 1) : 0;\n}\n"
              "surface s() { Ci = f(1); }\n");
    ASSERT_EQ(fDiagnostics.errors(), 1);
    EXPECT_EQ(fDiagnostics.all()[0].text(),
              "test.sl:2:20: error: 'f' is called inside its own definition: functions cannot "
              "be recursive");
    EXPECT_EQ(at(2, ExpressionKind::kCall, "f").function, nullptr);
}

TEST_F(CheckerTest, Redefinition) {
    checkText("surface s(float k = 1) {\n    float a = 1;\n    float a = 2, k = 3;\n}\n"
              "float f(float x) { return x; }\nfloat f(float y) { return y; }\n");
    EXPECT_EQ(reports(), (std::vector<std::string>{
                             "6: function 'f' is already defined with these parameters, at line 5",
                             "3: 'a' is already defined in this scope, at line 2",
                             "3: 'k' is already defined in this scope, at line 1"}));
}

TEST_F(CheckerTest, EveryErrorOfAFileIsReported) {
    checkText(R"(surface s() {
    Ci = missing;
    P = 0;
    uniform float k = s;
    Ci = Cl;
    break;
    float x = sqrt(Cs);
}
light l() { illuminance(P) { } }
)");
    EXPECT_EQ(reports(),
              (std::vector<std::string>{
                  "2: 'missing' is not defined", "3: 'P' is read-only in surface shaders",
                  "5: 'Cl' is only defined inside an illuminance loop", "6: break outside a loop",
                  "7: no 'sqrt' takes (color)",
                  "9: illuminance is only allowed in surface and volume shaders",
                  "4: uniform 'k' is initialized with a varying value"}));
}

TEST_F(CheckerTest, TooManyErrorsEndTheCheck) {
    std::string body;
    for (int line = 0; line < Diagnostics::kMostErrors + 10; ++line)
        body += "    Ci = missing" + std::to_string(line) + ";\n";
    const std::string text = "surface s() {\n" + body + "}\n";
    SourceFile file = parse(preprocessText(text, "many.sl", {}, fDiagnostics), fDiagnostics);
    EXPECT_THROW(check(file, fDiagnostics), TooManyErrors);
    EXPECT_EQ(fDiagnostics.errors(), Diagnostics::kMostErrors);
}

TEST_F(CheckerTest, CallsNestedDeeplyOrManyWaysEndWithAnError) {
    // Each function calls the one before twice, with both details: without
    // remembering each instantiation, checking would take 2^60 walks.
    std::string text = "float f0(float x) { return x; }\n";
    for (int level = 1; level <= 60; ++level) {
        const std::string previous = "f" + std::to_string(level - 1);
        text += "float f" + std::to_string(level) + "(float x) { uniform float u = 1; return " +
                previous + "(x) + " + previous + "(u); }\n";
    }
    text += "surface s() { Ci = f60(s); }\n";
    checkText(text);
    EXPECT_EQ(fDiagnostics.errors(), 0) << allText();

    Diagnostics deep;
    std::string chain = "float g0(float x) { return x; }\n";
    for (int level = 1; level <= kDeepestCalls + 5; ++level)
        chain += "float g" + std::to_string(level) + "(float x) { return g" +
                 std::to_string(level - 1) + "(x); }\n";
    chain += "surface s() { Ci = g" + std::to_string(kDeepestCalls + 5) + "(s); }\n";
    SourceFile file = parse(preprocessText(chain, "deep.sl", {}, deep), deep);
    check(file, deep);
    ASSERT_EQ(deep.errors(), 1);
    EXPECT_NE(deep.all()[0].message.find("calls nest more than"), std::string::npos);
}

} // namespace
