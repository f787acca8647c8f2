#include "shadinglang/CodeGen.h"

#include "shadercode/ShaderFile.h"
#include "shadinglang/Checker.h"
#include "shadinglang/Parser.h"
#include "shadinglang/Preprocessor.h"

#include <gtest/gtest.h>

#include <charconv>
#include <sstream>
#include <string>
#include <vector>

using namespace quelmark::sl;

namespace {

// A constant's values as the listing shows them: 0.5, (1 0 0), "map",
// {1 2 3}.
std::string constantText(const Register& reg) {
    std::vector<std::string> values;
    for (const std::string& text : reg.strings)
        values.push_back('"' + text + '"');
    for (const float value : reg.floats) {
        char buffer[32];
        const auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
        values.emplace_back(buffer, written.ptr);
    }
    std::string joined;
    for (const std::string& value : values)
        joined += (joined.empty() ? "" : " ") + value;
    if (reg.type.isArray()) return "{" + joined + "}";
    return values.size() > 1 ? "(" + joined + ")" : joined;
}

// An operand as the listing shows it: a variable by its name, a constant
// by its value, an intermediate value as %number.
std::string operandText(const ShaderCode& code, const std::string& word) {
    const int number = std::stoi(word);
    if (number < 0) return "-";
    const Register& reg = code.registers.at(std::size_t(number));
    if (reg.storage == Storage::kConstant) return constantText(reg);
    if (!reg.name.empty()) return reg.name;
    return "%" + word;
}

// The code of a shader as written in its file, with the operands named:
// "4 add sum sum i".
std::string listing(const ShaderCode& code) {
    std::istringstream text(writeShader(code));
    std::string line;
    while (std::getline(text, line) && line != "code") {
    }
    std::string listed;
    while (std::getline(text, line) && line != "end") {
        std::istringstream words(line);
        std::string sourceLine, opcode, word;
        words >> sourceLine >> opcode;
        listed += sourceLine + " " + opcode;
        if (opcode == "call") {
            words >> word;
            listed += " " + word;
        }
        const bool count = opcode == "break" || opcode == "continue";
        while (words >> word)
            listed += " " + (count ? word : operandText(code, word));
        listed += "\n";
    }
    return listed;
}

// The register lines of a shader's file.
std::string registerLines(const ShaderCode& code) {
    std::istringstream text(writeShader(code));
    std::string line, lines;
    while (std::getline(text, line) && line != "code")
        if (line.starts_with("register ")) lines += line + "\n";
    return lines;
}

const Register* findRegister(const ShaderCode& code, const std::string& name) {
    for (const Register& reg : code.registers)
        if (reg.name == name) return &reg;
    return nullptr;
}

class CodeGenTest : public ::testing::Test {
protected:
    // The shaders of a source that must compile without an error or a
    // warning; each must read back from its text as it was.
    std::vector<ShaderCode> generateClean(const std::string& text) {
        Diagnostics diagnostics;
        std::vector<ShaderCode> shaders = generateFrom(text, diagnostics);
        EXPECT_EQ(diagnostics.all().size(), 0u) << allText(diagnostics);
        for (const ShaderCode& shader : shaders)
            expectReadsBack(shader);
        return shaders;
    }

    ShaderCode generateOne(const std::string& text) {
        std::vector<ShaderCode> shaders = generateClean(text);
        EXPECT_EQ(shaders.size(), 1u);
        return shaders.empty() ? ShaderCode{} : shaders.front();
    }

    // The messages of a source the checker passes and the generator refuses.
    std::string generateErrors(const std::string& text, size_t shadersLeft = 0) {
        Diagnostics diagnostics;
        std::vector<ShaderCode> shaders = generateFrom(text, diagnostics);
        EXPECT_GT(diagnostics.errors(), 0);
        EXPECT_EQ(shaders.size(), shadersLeft);
        return allText(diagnostics);
    }

    static void expectReadsBack(const ShaderCode& shader) {
        const std::string text = writeShader(shader);
        std::string error;
        const std::optional<ShaderCode> read = readShader(text, error);
        ASSERT_TRUE(read) << error << "\n" << text;
        EXPECT_EQ(writeShader(*read), text);
    }

private:
    static std::vector<ShaderCode> generateFrom(const std::string& text, Diagnostics& diagnostics) {
        SourceFile file =
            parse(preprocessText(text, "test.sl", PreprocessOptions{}, diagnostics), diagnostics);
        check(file, diagnostics);
        EXPECT_EQ(diagnostics.errors(), 0) << "the checker refused it: " << allText(diagnostics);
        return generate(file, diagnostics);
    }

    static std::string allText(const Diagnostics& diagnostics) {
        std::string text;
        for (const std::string& line : diagnostics.texts())
            text += line + "\n";
        return text;
    }
};

} // namespace

// ---- A whole shader, as its file holds it

TEST_F(CodeGenTest, APlasticSurface) {
    const ShaderCode plastic = generateOne(R"(
surface plastic(float Ka = 1, Kd = .5, Ks = .5, roughness = .1;
                color specularcolor = 1)
{
    normal Nf = faceforward(normalize(N), I);
    Oi = Os;
    Ci = Os * (Cs * (Ka * ambient() + Kd * diffuse(Nf)) +
               specularcolor * Ks * specular(Nf, -normalize(I), roughness));
}
)");
    // normalize takes a vector: N is moved into one; faceforward gives a
    // vector, which Nf takes by a move. The second normalize takes the
    // registers of the first statement's intermediate values again. The
    // last multiplication writes Ci.
    EXPECT_EQ(writeShader(plastic), R"(quelmark shader 1
surface plastic
source "test.sl"
register parameter uniform float 0 Ka 1
register parameter uniform float 0 Kd 0.5
register parameter uniform float 0 Ks 0.5
register parameter uniform float 0 roughness 0.1
register parameter uniform color 0 specularcolor 1 1 1
register local varying normal 0 Nf
register global varying normal 0 N
register local varying vector 0 -
register local varying vector 0 -
register global varying vector 0 I
register local varying vector 0 -
register global varying color 0 Oi
register global varying color 0 Os
register global varying color 0 Ci
register global varying color 0 Cs
register local varying color 0 -
register local varying color 0 -
register local varying color 0 -
register local varying color 0 -
register local varying color 0 -
register local varying color 0 -
register local uniform color 0 -
register local varying color 0 -
register local varying color 0 -
register local varying color 0 -
code
5 move 7 6
5 call normalize 8 7
5 call faceforward 10 8 9
5 move 5 10
6 move 11 12
7 call ambient 15
7 multiply 16 0 15
7 call diffuse 17 5
7 multiply 18 1 17
7 add 19 16 18
7 multiply 20 14 19
8 multiply 21 4 2
8 call normalize 7 9
8 negate 8 7
8 call specular 22 5 8 3
8 multiply 23 21 22
7 add 24 20 23
7 multiply 13 12 24
end
)");
}

TEST_F(CodeGenTest, SeveralShadersInAFileAndFunctionsOnlyInlined) {
    const std::vector<ShaderCode> shaders = generateClean(R"(
float half(float x) { return x / 2; }
surface first() { Ci = half(s); }
light second() { solar() { Cl = half(1); } }
)");
    ASSERT_EQ(shaders.size(), 2u);
    EXPECT_EQ(shaders[0].name, "first");
    EXPECT_EQ(shaders[0].kind, ShaderKind::kSurface);
    EXPECT_EQ(listing(shaders[0]), "2 divide %2 s 2\n"
                                   "3 move Ci %2\n");
    EXPECT_EQ(shaders[1].name, "second");
    EXPECT_EQ(shaders[1].kind, ShaderKind::kLight);
    // half(1) is inlined with its argument a constant; the division is the
    // code's, not folded, as the function's body is code. L is the light's
    // output though the code does not name it.
    EXPECT_EQ(listing(shaders[1]), "4 solar - -\n"
                                   "2 divide %3 1 2\n"
                                   "4 move Cl %3\n"
                                   "4 endlightloop\n");
    EXPECT_NE(registerLines(shaders[1]).find("register global varying vector 0 L\n"),
              std::string::npos);
}

// ---- Values

TEST_F(CodeGenTest, ArithmeticWidensFloats) {
    const ShaderCode shader = generateOne(R"(
surface widen(float k = 2)
{
    color c = s;
    c = c * k + 1;
    point p = P + t;
    Ci = mix(Cs, t, s) + c * comp(c, 0) + color(xcomp(p)) + mix(Cs, 1, s);
}
)");
    // The operators widen a float operand themselves; a float passed for a
    // colour is moved into one, a float constant converted by the compiler.
    EXPECT_EQ(listing(shader), "4 move c s\n"
                               "5 multiply %3 c k\n"
                               "5 add c %3 1\n"
                               "6 add p P t\n"
                               "7 move %3 t\n"
                               "7 call mix %10 Cs %3 s\n"
                               "7 call comp %12 c 0\n"
                               "7 multiply %13 c %12\n"
                               "7 add %14 %10 %13\n"
                               "7 call xcomp %15 p\n"
                               "7 move %16 %15\n"
                               "7 add %17 %14 %16\n"
                               "7 call mix %19 Cs (1 1 1) s\n"
                               "7 add Ci %17 %19\n");
}

TEST_F(CodeGenTest, UniformValuesStayUniform) {
    const ShaderCode shader = generateOne(R"(
surface details(float Kd = 0.5)
{
    uniform float twice = Kd * 2;
    float shaded = twice * s;
    Ci = shaded;
}
)");
    EXPECT_EQ(listing(shader), "4 multiply twice Kd 2\n"
                               "5 multiply shaded twice s\n"
                               "6 move Ci shaded\n");
    EXPECT_EQ(findRegister(shader, "twice")->type.detail, Detail::kUniform);
    EXPECT_EQ(findRegister(shader, "shaded")->type.detail, Detail::kVarying);
}

TEST_F(CodeGenTest, ConstantsAreFoldedAndKeptOnce) {
    const ShaderCode shader = generateOne(R"(
surface constants()
{
    float a = 2 * 3 + 1;
    float b = 7;
    color c = color "rgb" (1, 0.5, -PI);
    Ci = c * (a + b + radians(180));
}
)");
    EXPECT_EQ(listing(shader), "4 move a 7\n"
                               "5 move b 7\n"
                               "6 move c (1 0.5 -3.1415927)\n"
                               "7 add %6 a b\n"
                               "7 add %8 %6 3.1415927\n"
                               "7 multiply Ci c %8\n");
    int sevens = 0;
    for (const Register& reg : shader.registers)
        if (reg.storage == Storage::kConstant && reg.floats == std::vector<float>{7}) ++sevens;
    EXPECT_EQ(sevens, 1);
}

TEST_F(CodeGenTest, PiIsAConstantUnlessAVariableHidesIt) {
    const ShaderCode shader = generateOne(R"(
float half() { return PI / 2; }
surface circle() { float a = PI * s; { float PI = 3; a += PI; } Ci = a + half(); }
)");
    EXPECT_EQ(listing(shader), "3 multiply a 3.1415927 s\n"
                               "3 move PI 3\n"
                               "3 add a a PI\n"
                               "2 move %6 1.5707964\n"
                               "3 add %8 a %6\n"
                               "3 move Ci %8\n");
}

TEST_F(CodeGenTest, CastsInASpaceAndArrays) {
    const ShaderCode shader = generateOne(R"(
surface spaces(float weights[3] = {0.5, 0.25, 0.25})
{
    point o = point "world" (0, 0, 0);
    vector up = vector "object" (0, s, 0);
    color hue = color "hsv" (t, 1, 1);
    float values[3] = {s, t, 1};
    values[1] = 2;
    values[2] += weights[1];
    Ci = hue * values[2] + xcomp(o + up);
}
)");
    EXPECT_EQ(listing(shader), "4 fromspace o (0 0 0) \"world\"\n"
                               "5 triple %7 0 s 0\n"
                               "5 fromspace up %7 \"object\"\n"
                               "6 triple %12 t 1 1\n"
                               "6 fromspace hue %12 \"hsv\"\n"
                               "7 storeelement %15 0 s\n"
                               "7 storeelement %15 1 t\n"
                               "7 storeelement %15 2 1\n"
                               "7 move values %15\n"
                               "8 storeelement values 1 2\n"
                               "9 loadelement %17 weights 1\n"
                               "9 loadelement %18 values 2\n"
                               "9 add %18 %18 %17\n"
                               "9 storeelement values 2 %18\n"
                               "10 loadelement %18 values 2\n"
                               "10 multiply %12 hue %18\n"
                               "10 add %20 o up\n"
                               "10 call xcomp %21 %20\n"
                               "10 add Ci %12 %21\n");
}

// ---- Control

TEST_F(CodeGenTest, IfAndElse) {
    const ShaderCode shader = generateOne(R"(
surface branches(float limit = 0.5)
{
    if (s > limit)
        Ci = 1;
    else if (t > limit) {
        Ci = 0.5;
    } else
        Ci = 0;
}
)");
    EXPECT_EQ(listing(shader), "4 greater %2 s limit\n"
                               "4 if %2\n"
                               "5 move Ci 1\n"
                               "4 else\n"
                               "6 greater %6 t limit\n"
                               "6 if %6\n"
                               "7 move Ci 0.5\n"
                               "6 else\n"
                               "9 move Ci 0\n"
                               "6 endif\n"
                               "4 endif\n");
}

TEST_F(CodeGenTest, ConditionalValuesAndShortCircuits) {
    const ShaderCode shader = generateOne(R"(
surface choices(float values[2] = {1, 2})
{
    float plain = s > 0.5 && t > 0.5;
    float x = u > 0.5 || values[s > 0.5] > 1 ? s : t;
    Ci = plain + x;
}
)");
    // The right operand of || reads an element: it runs only where the
    // left one is false. ?: writes one register in an if and an else.
    EXPECT_EQ(listing(shader), "4 greater %4 s 0.5\n"
                               "4 greater %6 t 0.5\n"
                               "4 and plain %4 %6\n"
                               "5 greater %4 u 0.5\n"
                               "5 notequal %10 %4 0\n"
                               "5 if %10\n"
                               "5 else\n"
                               "5 greater %6 s 0.5\n"
                               "5 loadelement %11 values %6\n"
                               "5 greater %13 %11 1\n"
                               "5 notequal %10 %13 0\n"
                               "5 endif\n"
                               "5 if %10\n"
                               "5 move x s\n"
                               "5 else\n"
                               "5 move x t\n"
                               "5 endif\n"
                               "6 add %4 plain x\n"
                               "6 move Ci %4\n");
}

TEST_F(CodeGenTest, ALoopWithBreakAndContinueStillSteps) {
    const ShaderCode shader = generateOne(R"(
surface loops(float n = 4)
{
    float i, sum = 0;
    for (i = 0; i < n; i += 1) {
        if (i == 1)
            continue;
        if (sum > 10)
            break;
        sum += i;
    }
    Ci = sum;
}
)");
    // The body is wrapped in a loop that runs once: continue leaves it
    // (break 1) and the step runs; break leaves both loops (break 2).
    EXPECT_EQ(listing(shader), "4 move sum 0\n"
                               "5 move i 0\n"
                               "5 loop\n"
                               "5 less %4 i n\n"
                               "5 looptest %4\n"
                               "5 loop\n"
                               "6 equal %6 i 1\n"
                               "6 if %6\n"
                               "7 break 1\n"
                               "6 endif\n"
                               "8 greater %6 sum 10\n"
                               "8 if %6\n"
                               "9 break 2\n"
                               "8 endif\n"
                               "10 add sum sum i\n"
                               "5 break 1\n"
                               "5 endloop\n"
                               "5 add i i 1\n"
                               "5 endloop\n"
                               "12 move Ci sum\n");
}

TEST_F(CodeGenTest, LoopsWithoutAStepContinueDirectly) {
    const ShaderCode shader = generateOne(R"(
surface nested()
{
    float i = 0, j;
    while (i < 3) {
        i += 1;
        for (j = 0; ; ) {
            j += 1;
            if (j > i) break 2;
            if (j > 1) continue 2;
        }
    }
    Ci = i;
}
)");
    EXPECT_EQ(listing(shader), "4 move i 0\n"
                               "5 loop\n"
                               "5 less %4 i 3\n"
                               "5 looptest %4\n"
                               "6 add i i 1\n"
                               "7 move j 0\n"
                               "7 loop\n"
                               "8 add j j 1\n"
                               "9 greater %6 j i\n"
                               "9 if %6\n"
                               "9 break 2\n"
                               "9 endif\n"
                               "10 greater %6 j 1\n"
                               "10 if %6\n"
                               "10 continue 2\n"
                               "10 endif\n"
                               "7 endloop\n"
                               "5 endloop\n"
                               "13 move Ci i\n");
}

TEST_F(CodeGenTest, AShadersReturnEndsIt) {
    const ShaderCode shader = generateOne(R"(
surface early() { Ci = 0; if (s > 0.5) return; Ci = 1; }
)");
    EXPECT_EQ(listing(shader), "2 move Ci 0\n"
                               "2 greater %4 s 0.5\n"
                               "2 if %4\n"
                               "2 return\n"
                               "2 endif\n"
                               "2 move Ci 1\n");
}

// ---- Functions

TEST_F(CodeGenTest, AnInlinedFunctionReturnsFromAnIfAndWritesItsOutput) {
    const ShaderCode shader = generateOne(R"(
float scaled(float x; output float clipped)
{
    clipped = 0;
    if (x > 1) {
        clipped = 1;
        return 1;
    }
    return x * 2;
}
surface uses(float k = 0.25)
{
    float c;
    float y = scaled(s * k, c);
    Ci = color(y, c, 0);
}
)");
    // The body runs in a loop of its own, which the early return leaves
    // with a break after setting the result; clipped is c itself.
    EXPECT_EQ(listing(shader), "14 multiply %4 s k\n"
                               "14 loop\n"
                               "4 move c 0\n"
                               "5 greater %8 %4 1\n"
                               "5 if %8\n"
                               "6 move c 1\n"
                               "7 move %5 1\n"
                               "7 break 1\n"
                               "5 endif\n"
                               "9 multiply %5 %4 2\n"
                               "14 break 1\n"
                               "14 endloop\n"
                               "14 move y %5\n"
                               "15 triple Ci y c 0\n");
    // Points return at different times: the result differs from point to
    // point.
    EXPECT_EQ(shader.registers[5].type.detail, Detail::kVarying);
}

TEST_F(CodeGenTest, FunctionsEndingInReturnsNeedNoLoop) {
    const ShaderCode shader = generateOne(R"(
float pick(float a, b) { if (a > b) return a; else return b; }
surface larger(uniform float k = 1)
{
    uniform float once = pick(k, 2);
    Ci = pick(s, t);
}
)");
    EXPECT_EQ(listing(shader), "2 greater %4 k 2\n"
                               "2 if %4\n"
                               "2 move %3 k\n"
                               "2 else\n"
                               "2 move %3 2\n"
                               "2 endif\n"
                               "5 move once %3\n"
                               "2 greater %9 s t\n"
                               "2 if %9\n"
                               "2 move %8 s\n"
                               "2 else\n"
                               "2 move %8 t\n"
                               "2 endif\n"
                               "6 move Ci %8\n");
    // Each call has its own result, uniform where the arguments are.
    EXPECT_EQ(shader.registers[3].type.detail, Detail::kUniform);
    EXPECT_EQ(shader.registers[8].type.detail, Detail::kVarying);
}

TEST_F(CodeGenTest, AnArgumentTheCallChangesIsCopied) {
    const ShaderCode shader = generateOne(R"(
float bumped(float x; output float y) { y = x + 1; return x; }
surface counts(float start = 3) { float v = start; Ci = bumped(v, v) + bumped(start, v); }
)");
    // v is both parameters of the first call: x takes a copy of it, as the
    // call writes y; the second call cannot change start.
    EXPECT_EQ(listing(shader), "3 move v start\n"
                               "3 move x v\n"
                               "2 add v x 1\n"
                               "2 move %4 x\n"
                               "2 add v start 1\n"
                               "2 move %6 start\n"
                               "3 add %7 %4 %6\n"
                               "3 move Ci %7\n");
}

TEST_F(CodeGenTest, OutputElementsAreLoadedAndStored) {
    const ShaderCode shader = generateOne(R"(
void twice(output float x) { x *= 2; }
surface elements() { float a[2] = {1, 2}; twice(a[1]); Ci = a[1]; }
)");
    EXPECT_EQ(listing(shader), "3 move a {1 2}\n"
                               "3 loadelement %3 a 1\n"
                               "2 multiply %3 %3 2\n"
                               "3 storeelement a 1 %3\n"
                               "3 loadelement %3 a 1\n"
                               "3 move Ci %3\n");
}

// ---- Light loops and the library

TEST_F(CodeGenTest, Illuminance) {
    const ShaderCode shader = generateOne(R"(
surface lit(float Kd = 1)
{
    color c = 0;
    illuminance("specular", P, N, PI / 2) {
        c += Cl * max(0, normalize(L) . normalize(N));
    }
    illuminance(P) c += Kd * Cl;
    Ci = c;
}
)");
    EXPECT_EQ(listing(shader), "4 move c 0\n"
                               "5 illuminance \"specular\" P N 1.5707964\n"
                               "6 call normalize %9 L\n"
                               "6 move %10 N\n"
                               "6 call normalize %11 %10\n"
                               "6 dot %12 %9 %11\n"
                               "6 call max %13 0 %12\n"
                               "6 multiply %14 Cl %13\n"
                               "6 add c c %14\n"
                               "5 endlightloop\n"
                               "8 illuminance - P - -\n"
                               "8 multiply %14 Kd Cl\n"
                               "8 add c c %14\n"
                               "8 endlightloop\n"
                               "9 move Ci c\n");
}

TEST_F(CodeGenTest, IlluminateInALight) {
    const ShaderCode shader = generateOne(R"(
light spot(float intensity = 1; uniform point from = (0, 0, 0); uniform vector axis = (0, 0, 1))
{
    illuminate(from, axis, radians(30)) Cl = intensity / (L . L);
}
)");
    EXPECT_EQ(listing(shader), "4 illuminate from axis 0.5235988\n"
                               "4 dot %6 L L\n"
                               "4 divide %7 intensity %6\n"
                               "4 move Cl %7\n"
                               "4 endlightloop\n");
}

TEST_F(CodeGenTest, AMapChannelIsAnArgumentAfterTheName) {
    const ShaderCode shader = generateOne(R"(
surface mapped() { float g = texture("map.tx"[1], s, t, "blur", 0.1); Ci = g; }
)");
    EXPECT_EQ(listing(shader), "2 call texture g \"map.tx\" 1 s t \"blur\" 0.1\n"
                               "2 move Ci g\n");
}

// ---- Parameters

TEST_F(CodeGenTest, ParameterDefaultsAreFolded) {
    const ShaderCode shader = generateOne(R"(
surface defaults(float angle = radians(30), half = -PI / 2;
                 color tint = color "rgb" (1, 0.5, 0) * 2; point origin = point "current" 0;
                 float weights[] = {0.5, 1 / 4, max(0.25, 0)}; string names[2] = {"a", "b"};
                 matrix m = 1; vector up = (0, 1, 0) * 2; varying float seed = abs(-3);
                 output varying color glow = 0)
{
    glow = tint;
}
)");
    EXPECT_EQ(registerLines(shader),
              "register parameter uniform float 0 angle 0.5235988\n"
              "register parameter uniform float 0 half -1.5707964\n"
              "register parameter uniform color 0 tint 2 1 0\n"
              "register parameter uniform point 0 origin 0 0 0\n"
              "register parameter uniform float 3 weights 0.5 0.25 0.25\n"
              "register parameter uniform string 2 names \"a\" \"b\"\n"
              "register parameter uniform matrix 0 m 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1\n"
              "register parameter uniform vector 0 up 0 2 0\n"
              "register parameter varying float 0 seed 3\n"
              "register output varying color 0 glow 0 0 0\n");
    EXPECT_EQ(shader.parameters().size(), 10u);
}

TEST_F(CodeGenTest, DefaultsTheCompilerCannotEvaluateAreCodeInDefaultBlocks) {
    const ShaderCode shader = generateOne(R"(
light beam(float scale = 2; point from = point "shader" (0, 0, 0); float twice = xcomp(from) * scale)
{
    solar() { Cl = twice; }
}
)");
    EXPECT_EQ(listing(shader), "2 default from\n"
                               "2 fromspace from (0 0 0) \"shader\"\n"
                               "2 enddefault\n"
                               "2 default twice\n"
                               "2 call xcomp %5 from\n"
                               "2 multiply twice %5 scale\n"
                               "2 enddefault\n"
                               "4 solar - -\n"
                               "4 move Cl twice\n"
                               "4 endlightloop\n");
}

TEST_F(CodeGenTest, ADefaultBeyondAFloatIsAnError) {
    EXPECT_EQ(generateErrors("light big(float huge = 1e30 * 1e30) { solar() { Cl = huge; } }"),
              "test.sl:1:29: error: the default of 'huge' is not a finite float\n");
}

// ---- What the generator refuses

TEST_F(CodeGenTest, GatherIsNotSupported) {
    EXPECT_EQ(generateErrors(R"(
surface ok() { Ci = 1; }
surface gathers() { color c = 0; gather("illuminance", P, N, PI, 4) c += 1; Ci = c; }
)",
                             1),
              "test.sl:3:34: error: gather is not supported: the renderer does not run it\n");
}

TEST_F(CodeGenTest, AReturnInsideALightLoopOfAFunctionIsAnError) {
    EXPECT_EQ(generateErrors(R"(
color firstLight(point p) { illuminance(p) { return Cl; } return 0; }
surface s() { Ci = firstLight(P); }
)"),
              "test.sl:2:46: error: a return inside a light loop of a function is not "
              "supported: nothing may leave a light loop early (in the call of 'firstLight' at "
              "line 3)\n");
}

TEST_F(CodeGenTest, ANumberTooLargeForAFloatIsAnError) {
    EXPECT_EQ(generateErrors("surface s() { Ci = 1e39; }\n"),
              "test.sl:1:20: error: the number '1e+39' is too large for a float\n");
}

TEST_F(CodeGenTest, CodeThatInliningMakesTooLargeIsAnError) {
    std::string source = "float f0(float x) { return x * x + 1; }\n";
    for (int level = 1; level <= 11; ++level) {
        const std::string inner = "f" + std::to_string(level - 1);
        source += "float f" + std::to_string(level) + "(float x) { return " + inner + "(x) + " +
                  inner + "(x + 1) + " + inner + "(x + 2) + " + inner + "(x + 3); }\n";
    }
    source += "surface huge() { Ci = f11(s); }\n";
    EXPECT_NE(generateErrors(source).find("error: the shader 'huge' is too large once its "
                                          "functions are inlined: more than 1000000 "
                                          "instructions"),
              std::string::npos);
}

TEST_F(CodeGenTest, GenerationNeedsACleanCheck) {
    Diagnostics diagnostics;
    SourceFile file =
        parse(preprocessText("surface s() { Ci = x; }", "test.sl", {}, diagnostics), diagnostics);
    check(file, diagnostics);
    ASSERT_EQ(diagnostics.errors(), 1);
    EXPECT_TRUE(generate(file, diagnostics).empty());
    EXPECT_EQ(diagnostics.errors(), 1);
}

// ---- Every construct reads back

TEST_F(CodeGenTest, ShadersOfEveryKindReadBack) {
    const std::vector<ShaderCode> shaders = generateClean(R"(
#define ROUGH 0.1
float falloff(float d; output float seen) { seen = 1; return 1 / (d * d); }
vector along(vector v; float k) { extern point P; return v * k + (P - point(0)); }
light beam(float intensity = 1; color lightcolor = 1; uniform point from = 0, to = (0, 0, 1);
           float coneangle = radians(30))
{
    uniform vector A = (to - from) / length(to - from);
    float seen, i;
    illuminate(from, A, coneangle) {
        for (i = 0; i < 2; i += 1) { if (i > 0) break; }
        Cl = intensity * lightcolor * falloff(length(L), seen) * smoothstep(0, 1, L . A);
    }
}
surface shiny(float Ka = 1, Kd = .5, Ks = .5; float roughness = ROUGH;
              color specularcolor = 1; output varying float glow = 0)
{
    normal Nf = faceforward(normalize(N), I);
    vector V = -normalize(I);
    matrix m = matrix "world" 1;
    string name = concat("a", "b");
    float f = 0, k;
    for (k = 0; k < 3; k += 1) {
        f += noise(P * k);
        if (f > 1) continue;
        glow = max(glow, f) * spline(k, 0, 1, 2, 3);
    }
    printf("%s %f %m\n", name, f, m);
    Oi = Os;
    Ci = Os * (Cs * (Ka * ambient() + Kd * diffuse(Nf)) +
               specularcolor * Ks * specular(Nf, V, roughness)) + color(along(V, f));
}
displacement bumpy(float amount = 0.1) { P += amount * normalize(N) * noise(P); N = calculatenormal(P); }
volume fog(float density = 1) { Ci = mix(Ci, color 0.5, 1 - exp(-density * length(I))); }
imager frame(color background = 0) { Ci += (1 - alpha) * background; }
)");
    ASSERT_EQ(shaders.size(), 5u);
}
