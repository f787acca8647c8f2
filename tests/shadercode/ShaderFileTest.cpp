#include "shadercode/ShaderFile.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <limits>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

using namespace quelmark::sl;

namespace {

// ---------------------------------------------------------------------------
// Building shaders and comparing them

struct ShaderBuilder {
    ShaderCode shader;

    std::int32_t add(Storage storage, Detail detail, BasicType basic, int arrayLength,
                     std::string name, std::vector<float> floats = {},
                     std::vector<std::string> strings = {}) {
        Register reg;
        reg.storage = storage;
        reg.type = {basic, detail, arrayLength};
        reg.name = std::move(name);
        reg.floats = std::move(floats);
        reg.strings = std::move(strings);
        shader.registers.push_back(std::move(reg));
        return std::int32_t(shader.registers.size() - 1);
    }
    std::int32_t local(BasicType basic, int arrayLength = 0) {
        return add(Storage::kLocal, Detail::kVarying, basic, arrayLength, "");
    }
    std::int32_t constant(float value) {
        return add(Storage::kConstant, Detail::kUniform, BasicType::kFloat, 0, "", {value});
    }
    void emit(Opcode op, std::vector<std::int32_t> operands) {
        shader.code.push_back(
            {op, BuiltinOp::kRadians, std::move(operands), std::int32_t(shader.code.size() + 1)});
    }
    void call(BuiltinOp builtin, std::vector<std::int32_t> operands) {
        shader.code.push_back(
            {Opcode::kCall, builtin, std::move(operands), std::int32_t(shader.code.size() + 1)});
    }
};

// Floats compare by their bits, so that -0 is not 0.
std::vector<std::uint32_t> bitsOf(const std::vector<float>& values) {
    std::vector<std::uint32_t> bits;
    for (const float value : values)
        bits.push_back(std::bit_cast<std::uint32_t>(value));
    return bits;
}

void expectSameRegister(const Register& expected, const Register& actual, std::size_t index) {
    SCOPED_TRACE("register " + std::to_string(index));
    EXPECT_EQ(expected.storage, actual.storage);
    EXPECT_EQ(expected.type, actual.type);
    EXPECT_EQ(expected.name, actual.name);
    EXPECT_EQ(bitsOf(expected.floats), bitsOf(actual.floats));
    EXPECT_EQ(expected.strings, actual.strings);
}

void expectSameInstruction(const Instruction& expected, const Instruction& actual,
                           std::size_t index) {
    SCOPED_TRACE("instruction " + std::to_string(index));
    EXPECT_EQ(expected.op, actual.op);
    EXPECT_EQ(expected.builtin, actual.builtin);
    EXPECT_EQ(expected.operands, actual.operands);
    EXPECT_EQ(expected.line, actual.line);
}

void expectSameShader(const ShaderCode& expected, const ShaderCode& actual) {
    EXPECT_EQ(expected.kind, actual.kind);
    EXPECT_EQ(expected.name, actual.name);
    EXPECT_EQ(expected.sourceFile, actual.sourceFile);
    ASSERT_EQ(expected.registers.size(), actual.registers.size());
    for (std::size_t k = 0; k < expected.registers.size(); ++k)
        expectSameRegister(expected.registers[k], actual.registers[k], k);
    ASSERT_EQ(expected.code.size(), actual.code.size());
    for (std::size_t k = 0; k < expected.code.size(); ++k)
        expectSameInstruction(expected.code[k], actual.code[k], k);
}

// A light shader with every storage, type and opcode, arrays, names that
// need quoting and strings that need escapes.
ShaderCode everything() {
    ShaderBuilder b;
    b.shader.kind = ShaderKind::kLight;
    b.shader.name = "every_thing";
    b.shader.sourceFile = "dir with space/every \"thing\".sl";
    using enum BasicType;
    const auto f = b.add(Storage::kParameter, Detail::kUniform, kFloat, 0, "Kd", {0.5f});
    const auto weights =
        b.add(Storage::kParameter, Detail::kUniform, kFloat, 3, "weights", {0.5f, 0.25f, 0.25f});
    b.add(Storage::kParameter, Detail::kVarying, kString, 2, "names", {},
          {"", "line\n\ttab \"q\" back\\slash \x01\x7f caf\xc3\xa9 \r"});
    b.add(Storage::kOutputParameter, Detail::kVarying, kColor, 2, "palette", {1, 0, 0, 0, 1, 0});
    b.add(Storage::kParameter, Detail::kUniform, kVector, 0, "axis", {0, 0, 1});
    b.add(Storage::kParameter, Detail::kUniform, kNormal, 0, "up", {0, 1, 0});
    b.add(Storage::kConstant, Detail::kUniform, kMatrix, 0, "",
          {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    const auto P = b.add(Storage::kGlobal, Detail::kVarying, kPoint, 0, "P");
    const auto L = b.add(Storage::kGlobal, Detail::kVarying, kVector, 0, "L");
    const auto N = b.add(Storage::kGlobal, Detail::kVarying, kNormal, 0, "N");
    const auto Cl = b.add(Storage::kGlobal, Detail::kVarying, kColor, 0, "Cl");
    const auto x = b.add(Storage::kLocal, Detail::kVarying, kFloat, 0, "x.1");
    const auto y = b.add(Storage::kLocal, Detail::kVarying, kFloat, 0, "with space");
    const auto dash = b.add(Storage::kLocal, Detail::kVarying, kFloat, 0, "-");
    const auto m = b.local(kMatrix);
    const auto v = b.local(kVector);
    const auto c = b.local(kColor);
    const auto array = b.local(kFloat, 4);
    const auto space = b.add(Storage::kConstant, Detail::kUniform, kString, 0, "", {}, {"world"});
    const auto one = b.constant(1);
    using Op = Opcode;
    b.emit(Op::kDefault, {f});
    b.emit(Op::kMultiply, {f, f, one});
    b.emit(Op::kEndDefault, {});
    b.emit(Op::kMove, {x, f});
    b.emit(Op::kMove, {array, array});
    b.emit(Op::kNegate, {v, L});
    b.emit(Op::kAdd, {c, c, x});
    b.emit(Op::kSubtract, {v, P, P});
    b.emit(Op::kMultiply, {m, m, m});
    b.emit(Op::kDivide, {c, c, c});
    b.emit(Op::kDot, {x, v, N});
    b.emit(Op::kCross, {v, v, N});
    for (const Opcode op :
         {Op::kLess, Op::kLessEqual, Op::kGreater, Op::kGreaterEqual, Op::kAnd, Op::kOr})
        b.emit(op, {x, x, y});
    b.emit(Op::kEqual, {x, space, space});
    b.emit(Op::kNotEqual, {x, c, one});
    b.emit(Op::kNot, {x, y});
    b.emit(Op::kTriple, {v, x, y, one});
    b.emit(Op::kMatrix, {m, x, y, x, y, x, y, x, y, x, y, x, y, x, y, x, y});
    b.emit(Op::kLoadElement, {x, weights, dash});
    b.emit(Op::kStoreElement, {array, x, y});
    b.emit(Op::kFromSpace, {v, v, space});
    b.call(BuiltinOp::kNormalize, {v, v});
    b.call(BuiltinOp::kPrintf, {-1, space, x});
    b.emit(Op::kIf, {x});
    b.emit(Op::kElse, {});
    b.emit(Op::kEndIf, {});
    b.emit(Op::kLoop, {});
    b.emit(Op::kLoopTest, {x});
    b.emit(Op::kLoop, {});
    b.emit(Op::kBreak, {2});
    b.emit(Op::kContinue, {1});
    b.emit(Op::kEndLoop, {});
    b.emit(Op::kEndLoop, {});
    b.emit(Op::kIlluminance, {space, P, N, one});
    b.emit(Op::kEndLightLoop, {});
    b.emit(Op::kIlluminance, {-1, P, -1, -1});
    b.emit(Op::kEndLightLoop, {});
    b.emit(Op::kIlluminate, {P, -1, -1});
    b.emit(Op::kMultiply, {Cl, Cl, one});
    b.emit(Op::kEndLightLoop, {});
    b.emit(Op::kSolar, {L, one});
    b.emit(Op::kEndLightLoop, {});
    b.emit(Op::kReturn, {});
    return b.shader;
}

// ---------------------------------------------------------------------------
// Hand-written texts

// Registers 0 and 1 varying floats a and b, 2 the constant 1, 3 a varying
// colour, 4 a uniform float array; the code starts at line 10.
constexpr std::string_view kHead = "quelmark shader 1\n"
                                   "surface test\n"
                                   "source \"test.sl\"\n"
                                   "register local varying float 0 a\n"
                                   "register local varying float 0 b\n"
                                   "register constant uniform float 0 - 1\n"
                                   "register local varying color 0 c\n"
                                   "register local uniform float 2 list\n"
                                   "code\n";

std::string withCode(std::string_view code) {
    return std::string(kHead) + std::string(code) + "end\n";
}

std::string errorOf(std::string_view text) {
    std::string error;
    const auto shader = readShader(text, error);
    EXPECT_FALSE(shader) << "read without error:\n" << text;
    return error;
}

std::string readBack(const std::string& text) {
    std::string error;
    const auto shader = readShader(text, error);
    EXPECT_TRUE(shader) << error;
    return shader ? writeShader(*shader) : "";
}

std::string contentsOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeText(const std::filesystem::path& path, std::string_view text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// A folder of its own for each test, removed after it.
class ShaderFileOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        fFolder = std::filesystem::temp_directory_path() /
                  ("shaderfile-" + std::to_string(::getpid()) + "-" + test->name());
        std::filesystem::remove_all(fFolder);
        std::filesystem::create_directories(fFolder);
    }
    void TearDown() override { std::filesystem::remove_all(fFolder); }

    std::vector<std::string> folderEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(fFolder))
            names.push_back(entry.path().filename().string());
        return names;
    }

    std::filesystem::path fFolder;
};

// ---------------------------------------------------------------------------
// Round trips

TEST(ShaderFileRoundTrip, EveryStorageTypeAndOpcodeComesBackEqual) {
    const ShaderCode original = everything();
    const std::string text = writeShader(original);
    std::string error;
    const auto read = readShader(text, error);
    ASSERT_TRUE(read) << error << "\n" << text;
    expectSameShader(original, *read);
    EXPECT_EQ(text, writeShader(*read));
}

TEST(ShaderFileRoundTrip, WritesTheDocumentedLines) {
    ShaderBuilder b;
    b.shader.name = "plastic";
    b.shader.sourceFile = "plastic.sl";
    b.add(Storage::kParameter, Detail::kUniform, BasicType::kFloat, 0, "Ka", {1});
    b.add(Storage::kOutputParameter, Detail::kVarying, BasicType::kColor, 0, "glow", {1, 1, 1});
    b.add(Storage::kGlobal, Detail::kVarying, BasicType::kPoint, 0, "P");
    b.add(Storage::kLocal, Detail::kVarying, BasicType::kFloat, 0, "");
    b.add(Storage::kConstant, Detail::kUniform, BasicType::kString, 0, "", {}, {"hello\n"});
    b.add(Storage::kParameter, Detail::kUniform, BasicType::kFloat, 3, "weights",
          {0.5f, 0.25f, 0.25f});
    b.emit(Opcode::kAdd, {3, 0, 0});
    b.call(BuiltinOp::kNormalize, {2, 2});
    b.call(BuiltinOp::kPrintf, {-1, 4});
    b.emit(Opcode::kIf, {3});
    b.emit(Opcode::kEndIf, {});
    EXPECT_EQ(writeShader(b.shader), "quelmark shader 1\n"
                                     "surface plastic\n"
                                     "source \"plastic.sl\"\n"
                                     "register parameter uniform float 0 Ka 1\n"
                                     "register output varying color 0 glow 1 1 1\n"
                                     "register global varying point 0 P\n"
                                     "register local varying float 0 -\n"
                                     "register constant uniform string 0 - \"hello\\n\"\n"
                                     "register parameter uniform float 3 weights 0.5 0.25 0.25\n"
                                     "code\n"
                                     "1 add 3 0 0\n"
                                     "2 call normalize 2 2\n"
                                     "3 call printf -1 4\n"
                                     "4 if 3\n"
                                     "5 endif\n"
                                     "end\n");
}

TEST(ShaderFileRoundTrip, FloatsComeBackBitForBit) {
    const std::vector<float> values = {0.1f,
                                       1e-38f,
                                       -0.0f,
                                       0.0f,
                                       std::numeric_limits<float>::max(),
                                       std::numeric_limits<float>::lowest(),
                                       std::numeric_limits<float>::min(),
                                       std::numeric_limits<float>::denorm_min(),
                                       std::numeric_limits<float>::epsilon(),
                                       16777216.0f,
                                       3.14159265f};
    ShaderBuilder b;
    b.shader.name = "floats";
    for (const float value : values)
        b.constant(value);
    std::string error;
    const auto read = readShader(writeShader(b.shader), error);
    ASSERT_TRUE(read) << error;
    expectSameShader(b.shader, *read);
}

TEST(ShaderFileRoundTrip, FloatsAreWrittenShortest) {
    ShaderBuilder b;
    b.shader.name = "floats";
    b.constant(0.1f);
    b.constant(-0.0f);
    b.constant(std::numeric_limits<float>::max());
    const std::string text = writeShader(b.shader);
    EXPECT_NE(text.find("register constant uniform float 0 - 0.1\n"), std::string::npos) << text;
    EXPECT_NE(text.find("register constant uniform float 0 - -0\n"), std::string::npos) << text;
    EXPECT_NE(text.find("register constant uniform float 0 - 3.4028235e+38\n"), std::string::npos)
        << text;
}

TEST(ShaderFileRoundTrip, CorpusFilesReadAndWriteBackTheSameText) {
    for (const auto& entry : std::filesystem::directory_iterator(SHADER_FILE_CORPUS)) {
        SCOPED_TRACE(entry.path().string());
        std::string error;
        const auto shader = readShaderFile(entry.path().string(), error);
        ASSERT_TRUE(shader) << error;
        EXPECT_EQ(writeShader(*shader), contentsOf(entry.path()));
    }
}

TEST(ShaderFileRoundTrip, ParametersAreListedInOrder) {
    std::string error;
    const auto shader = readShaderFile(std::string(SHADER_FILE_CORPUS) + "/spotlight.qso", error);
    ASSERT_TRUE(shader) << error;
    EXPECT_EQ(shader->parameters(), (std::vector<std::int32_t>{0, 1, 2, 3, 4, 5}));
}

TEST(ShaderFileRoundTrip, LenientSpellingsComeBackInTheWrittenForm) {
    const std::string loose = "quelmark shader 1\r\n"
                              "imager \"plain\"\n"
                              "source \"a\\101b\"\n"
                              "register  constant\tuniform float 0 - 0.50 \n"
                              "code\n"
                              "end\n";
    const std::string written = "quelmark shader 1\n"
                                "imager plain\n"
                                "source \"aAb\"\n"
                                "register constant uniform float 0 - 0.5\n"
                                "code\n"
                                "end\n";
    EXPECT_EQ(readBack(loose), written);
}

// ---------------------------------------------------------------------------
// Malformed texts: the first fault, with its line

TEST(ShaderFileHeader, Rejected) {
    EXPECT_EQ(errorOf(""), "line 1: not a quelmark shader file");
    EXPECT_EQ(errorOf("\x7f"
                      "ELF\x02\x01"),
              "line 1: not a quelmark shader file");
    EXPECT_EQ(errorOf("quelmark shading 1\n"), "line 1: not a quelmark shader file");
    EXPECT_EQ(errorOf("quelmark shader 2\nsurface x\n"),
              "line 1: version '2' of the shader format; this reader reads version 1");
    EXPECT_EQ(errorOf("quelmark shader 1 extra\n"),
              "line 1: unexpected 'extra' at the end of the line");
    EXPECT_EQ(errorOf("quelmark shader 1\nshader x\n"), "line 2: unknown kind of shader 'shader'");
    EXPECT_EQ(errorOf("quelmark shader 1\nsurface -\n"), "line 2: the shader has no name");
    EXPECT_EQ(errorOf("quelmark shader 1\nsurface my-shader\n"),
              "line 2: the shader's name 'my-shader' has other characters than letters, digits "
              "and '_': write it as a string");
    EXPECT_EQ(errorOf("quelmark shader 1\nsurface x\nsource x.sl\n"),
              "line 3: the source file's name must be a string, not 'x.sl'");
    EXPECT_EQ(errorOf("quelmark shader 1\nsurface x\nsauce \"x\"\n"),
              "line 3: expected source, found 'sauce'");
}

TEST(ShaderFileEnds, MissingOrCutShort) {
    EXPECT_EQ(errorOf(kHead), "line 10: the file ends before end");
    EXPECT_EQ(errorOf(std::string(kHead) + "1 add 0 0 1"),
              "line 10: the file ends within this line: it is cut short");
    EXPECT_EQ(errorOf(withCode("").substr(0, kHead.size() + 2)),
              "line 10: the file ends within this line: it is cut short");
    EXPECT_EQ(errorOf("quelmark shader 1\nsurface x\nsource \"x\"\n"),
              "line 4: the file ends before code");
    EXPECT_EQ(errorOf(withCode("") + "\n"), "line 11: text after the end");
    EXPECT_EQ(errorOf(withCode("") + "end\n"), "line 11: text after the end");
}

TEST(ShaderFileRegisters, Rejected) {
    const std::string head = "quelmark shader 1\nsurface x\nsource \"x\"\n";
    const auto registerError = [&](std::string_view line) {
        return errorOf(head + std::string(line) + "\ncode\nend\n");
    };
    EXPECT_EQ(registerError("register temporary varying float 0 a"),
              "line 4: unknown storage 'temporary'");
    EXPECT_EQ(registerError("register local sometimes float 0 a"),
              "line 4: expected uniform or varying, found 'sometimes'");
    EXPECT_EQ(registerError("register local varying colour 0 a"), "line 4: unknown type 'colour'");
    EXPECT_EQ(registerError("register local varying void 0 a"), "line 4: unknown type 'void'");
    EXPECT_EQ(registerError("register local varying float -1 a"),
              "line 4: the array length '-1' is out of range (0 to 1048576)");
    EXPECT_EQ(registerError("register local varying float 1048577 a"),
              "line 4: the array length '1048577' is out of range (0 to 1048576)");
    EXPECT_EQ(registerError("register local varying float x a"),
              "line 4: the array length must be a whole number, not 'x'");
    EXPECT_EQ(registerError("register local varying float 0"), "line 4: missing the name");
    EXPECT_EQ(registerError("registers local varying float 0 a"),
              "line 4: expected register or code, found 'registers'");
}

TEST(ShaderFileRegisters, ValuesMatchTheType) {
    const std::string head = "quelmark shader 1\nsurface x\nsource \"x\"\n";
    const auto registerError = [&](std::string_view line) {
        return errorOf(head + std::string(line) + "\ncode\nend\n");
    };
    EXPECT_EQ(registerError("register constant uniform float 0 - 1 2"),
              "line 4: too many values: a uniform float constant takes 1");
    EXPECT_EQ(registerError("register parameter varying color 2 c 1 2 3 4 5"),
              "line 4: too few values: a varying color[2] parameter takes 6, the line gives 5");
    EXPECT_EQ(registerError("register output uniform matrix 0 m 1"),
              "line 4: too few values: a uniform matrix output takes 16, the line gives 1");
    EXPECT_EQ(registerError("register global varying point 0 P 0 0 0"),
              "line 4: too many values: a varying point global takes 0");
    EXPECT_EQ(registerError("register local varying float 0 - 0"),
              "line 4: too many values: a varying float local takes 0");
    EXPECT_EQ(registerError("register constant uniform string 0 - hello"),
              "line 4: a value must be a string, not 'hello'");
    EXPECT_EQ(registerError("register constant uniform float 0 - \"1\""),
              "line 4: expected a value, found a string");
    EXPECT_EQ(registerError("register constant uniform float 0 - 1x"),
              "line 4: a value must be a number, not '1x'");
}

TEST(ShaderFileRegisters, ValuesAreFinite) {
    const std::string head = "quelmark shader 1\nsurface x\nsource \"x\"\n";
    const auto valueError = [&](std::string_view value) {
        return errorOf(head + "register constant uniform float 0 - " + std::string(value) +
                       "\ncode\nend\n");
    };
    EXPECT_EQ(valueError("inf"), "line 4: the value 'inf' is not finite; defaults and constants "
                                 "must be");
    EXPECT_EQ(valueError("-inf"), "line 4: the value '-inf' is not finite; defaults and constants "
                                  "must be");
    EXPECT_EQ(valueError("nan"), "line 4: the value 'nan' is not finite; defaults and constants "
                                 "must be");
    EXPECT_EQ(valueError("1e39"), "line 4: the value '1e39' is beyond a float's range");
}

TEST(ShaderFileRegisters, NamesOfParametersAndGlobals) {
    const std::string head = "quelmark shader 1\nsurface x\nsource \"x\"\n";
    EXPECT_EQ(errorOf(head + "register parameter uniform float 0 - 1\ncode\nend\n"),
              "line 4: a parameter needs a name");
    EXPECT_EQ(errorOf(head + "register global varying point 0 -\ncode\nend\n"),
              "line 4: a global needs a name");
    EXPECT_EQ(errorOf(head + "register parameter uniform float 0 Ka 1\n"
                             "register output uniform float 0 Ka 1\ncode\nend\n"),
              "line 5: a second parameter named 'Ka'");
    EXPECT_EQ(errorOf(head + "register global varying point 0 P\n"
                             "register global varying point 0 P\ncode\nend\n"),
              "line 5: a second global named 'P'");
    std::string error;
    EXPECT_TRUE(readShader(head + "register parameter uniform float 0 P 1\n"
                                  "register global varying point 0 P\n"
                                  "register local varying float 0 P\n"
                                  "register local varying float 0 P\ncode\nend\n",
                           error))
        << error;
}

TEST(ShaderFileStrings, EscapesAndBounds) {
    const std::string head = "quelmark shader 1\nsurface x\nsource ";
    const auto sourceError = [&](std::string_view quoted) {
        return errorOf(head + std::string(quoted) + "\n");
    };
    EXPECT_EQ(sourceError("\"open"), "line 3: a string is not closed");
    EXPECT_EQ(sourceError("\"open\\"), "line 3: a string is not closed");
    EXPECT_EQ(sourceError("\"\\q\""), "line 3: unknown escape '\\q' in a string");
    EXPECT_EQ(sourceError("\"\\12\""), "line 3: an octal escape is three digits, \\000 to \\377");
    EXPECT_EQ(sourceError("\"\\400\""), "line 3: an octal escape is three digits, \\000 to \\377");
    EXPECT_EQ(sourceError("\"a\tb\""), "line 3: a control byte in a string (write it as \\ooo)");
    EXPECT_EQ(sourceError("\"a\"b"), "line 3: no space after a string");
    EXPECT_EQ(sourceError("\"" + std::string(kMaxStringBytes + 1, 'x') + "\""),
              "line 3: a string is longer than 65536 bytes");
    EXPECT_EQ(errorOf("quelmark shader 1\nsurface x\x01y\n"),
              "line 2: unexpected byte \\001 outside a string");
}

TEST(ShaderFileCode, UnknownNamesAndNumbers) {
    EXPECT_EQ(errorOf(withCode("7 ad 0 0 1\n")), "line 10: unknown opcode 'ad'");
    EXPECT_EQ(errorOf(withCode("7 ADD 0 0 1\n")), "line 10: unknown opcode 'ADD'");
    EXPECT_EQ(errorOf(withCode("7 call normalise 0 1\n")), "line 10: unknown builtin 'normalise'");
    EXPECT_EQ(errorOf(withCode("7 call\n")), "line 10: missing the builtin's name");
    EXPECT_EQ(errorOf(withCode("-1 add 0 0 1\n")),
              "line 10: the source line '-1' is out of range (0 to 2147483647)");
    EXPECT_EQ(errorOf(withCode("register local varying float 0 -\n")),
              "line 10: the source line must be a whole number, not 'register'");
    EXPECT_EQ(errorOf(withCode("7 add 0 0 x\n")),
              "line 10: an operand must be a whole number, not 'x'");
    EXPECT_EQ(errorOf(withCode("7 add 0 0 -2\n")),
              "line 10: an operand '-2' is out of range (-1 to 2147483647)");
}

TEST(ShaderFileCode, RegisterNumbersInRange) {
    EXPECT_EQ(errorOf(withCode("1 add 0 1 2\n2 add 0 1 5\n")),
              "line 11: add: operand 3 is register 5, and there are 5 registers");
    EXPECT_EQ(errorOf(withCode("1 add 0 -1 1\n")),
              "line 10: add: operand 2 must be a register, not -1");
    EXPECT_EQ(errorOf(withCode("1 call sin 0 -1\n")),
              "line 10: call: operand 2 must be a register, not -1");
    EXPECT_EQ(errorOf(withCode("1 illuminance -1 -1 -1 -1\n2 endlightloop\n")),
              "line 10: illuminance: operand 2 must be a register, not -1");
}

TEST(ShaderFileCode, OperandCounts) {
    EXPECT_EQ(errorOf(withCode("1 add 0 1\n")), "line 10: add takes 3 operands, not 2");
    EXPECT_EQ(errorOf(withCode("1 move 0 1 2\n")), "line 10: move takes 2 operands, not 3");
    EXPECT_EQ(errorOf(withCode("1 if\n")), "line 10: if takes 1 operand, not 0");
    EXPECT_EQ(errorOf(withCode("1 return 0\n")), "line 10: return takes 0 operands, not 1");
    EXPECT_EQ(errorOf(withCode("1 matrix 0 1 1 1\n")), "line 10: matrix takes 17 operands, not 4");
    EXPECT_EQ(errorOf(withCode("1 triple 3 0 1\n")), "line 10: triple takes 4 operands, not 3");
    EXPECT_EQ(errorOf(withCode("1 illuminance 0 0\n")),
              "line 10: illuminance takes 4 operands, not 2");
    EXPECT_EQ(errorOf(withCode("1 call ambient\n")),
              "line 10: call takes its result (or -1) and its arguments, and has no operands");
    std::string error;
    EXPECT_TRUE(readShader(withCode("1 call ambient -1\n2 call mix 0 0 1 2 0 1 2\n"), error))
        << error;
}

TEST(ShaderFileCode, OperandTypes) {
    EXPECT_EQ(errorOf(withCode("1 if 3\n2 endif\n")),
              "line 10: if: operand 1 (register 3, varying color) must be a float");
    EXPECT_EQ(errorOf(withCode("1 loop\n2 looptest 4\n3 endloop\n")),
              "line 11: looptest: operand 1 (register 4, uniform float[2]) must be a float");
    EXPECT_EQ(errorOf(withCode("1 add 0 0 3\n")),
              "line 10: add: operand 3 (register 3, varying color) must be a float or as wide as "
              "the result");
    EXPECT_EQ(errorOf(withCode("1 fromspace 3 3 0\n")),
              "line 10: fromspace: operand 3 (register 0, varying float) must be a string");
    EXPECT_EQ(errorOf(withCode("1 loadelement 0 1 0\n")),
              "line 10: loadelement: operand 2 (register 1, varying float) must be an array");
    EXPECT_EQ(errorOf(withCode("1 loadelement 3 4 0\n")),
              "line 10: loadelement: operand 1 (register 3, varying color) must be a single value "
              "of the array's width");
    EXPECT_EQ(errorOf(withCode("1 storeelement 0 0 0\n")),
              "line 10: storeelement: operand 1 (register 0, varying float) must be an array");
    EXPECT_EQ(errorOf(withCode("1 dot 0 3 0\n")),
              "line 10: dot: operand 3 (register 0, varying float) must be a triple");
    EXPECT_EQ(errorOf(withCode("1 move 0 4\n")),
              "line 10: move: operand 2 (register 4, uniform float[2]) must be of the result's "
              "type and array length");
    EXPECT_EQ(errorOf(withCode("1 illuminance -1 3 3 -1\n2 endlightloop\n")),
              "line 10: illuminance: the axis and the angle are given together or not at all");
    EXPECT_EQ(errorOf(withCode("1 illuminance 0 3 -1 -1\n2 endlightloop\n")),
              "line 10: illuminance: operand 1 (register 0, varying float) must be a string");
}

TEST(ShaderFileCode, Results) {
    EXPECT_EQ(errorOf(withCode("1 add 2 0 1\n")),
              "line 10: add: operand 1 is a constant, which the code may not change");
    EXPECT_EQ(errorOf(withCode("1 call sin 2 0\n")),
              "line 10: call: operand 1 is a constant, which the code may not change");
    EXPECT_EQ(errorOf(withCode("1 storeelement 4 2 0\n")),
              "line 10: storeelement: operand 3 is varying, and the result is uniform");
    std::string error;
    EXPECT_TRUE(readShader(withCode("1 storeelement 4 2 2\n2 loadelement 0 4 1\n"), error))
        << error;
}

TEST(ShaderFileBlocks, IfElseEndIf) {
    EXPECT_EQ(errorOf(withCode("1 if 0\n")), "line 11: the if begun at line 10 is not closed");
    EXPECT_EQ(errorOf(withCode("1 else\n")), "line 10: else without an if");
    EXPECT_EQ(errorOf(withCode("1 endif\n")), "line 10: endif without an if");
    EXPECT_EQ(errorOf(withCode("1 if 0\n2 else\n3 else\n4 endif\n")),
              "line 12: a second else for the if at line 10");
    EXPECT_EQ(errorOf(withCode("1 if 0\n2 loop\n3 else\n4 endloop\n5 endif\n")),
              "line 12: else without an if (in the loop begun at line 11)");
    EXPECT_EQ(errorOf(withCode("1 loop\n2 if 0\n3 endloop\n4 endif\n")),
              "line 12: endloop without a loop (in the if begun at line 11)");
}

TEST(ShaderFileBlocks, Loops) {
    EXPECT_EQ(errorOf(withCode("1 looptest 0\n")), "line 10: looptest outside a loop");
    EXPECT_EQ(errorOf(withCode("1 loop\n2 if 0\n3 looptest 0\n4 endif\n5 endloop\n")),
              "line 12: looptest not directly in its loop (in the if begun at line 11)");
    EXPECT_EQ(errorOf(withCode("1 loop\n2 endloop\n3 endloop\n")),
              "line 12: endloop without a loop");
    EXPECT_EQ(errorOf(withCode("1 loop\n")), "line 11: the loop begun at line 10 is not closed");
    EXPECT_EQ(errorOf(withCode("1 break 1\n")), "line 10: break outside a loop");
    EXPECT_EQ(errorOf(withCode("1 loop\n2 if 0\n3 break 2\n4 endif\n5 endloop\n")),
              "line 12: break 2 leaves more loops than the 1 around it");
    EXPECT_EQ(errorOf(withCode("1 loop\n2 continue 0\n3 endloop\n")),
              "line 11: continue takes a count of loops to leave, 1 or more, not 0");
    EXPECT_EQ(errorOf(withCode("1 loop\n2 illuminance -1 3 -1 -1\n3 break 1\n")),
              "line 12: break outside a loop");
    EXPECT_EQ(errorOf(withCode("1 loop\n2 illuminance -1 3 -1 -1\n3 loop\n4 break 2\n")),
              "line 13: break 2 leaves more loops than the 1 around it within its light loop");
    std::string error;
    EXPECT_TRUE(readShader(withCode("1 loop\n2 loop\n3 if 0\n4 break 2\n5 else\n6 continue 1\n"
                                    "7 endif\n8 endloop\n9 looptest 0\n10 endloop\n"),
                           error))
        << error;
}

TEST(ShaderFileBlocks, LightLoops) {
    EXPECT_EQ(errorOf(withCode("1 illuminance -1 3 -1 -1\n2 illuminance -1 3 -1 -1\n")),
              "line 11: illuminance inside the light loop begun at line 10: light loops do not "
              "nest");
    EXPECT_EQ(errorOf(withCode("1 solar -1 -1\n2 endlightloop\n")),
              "line 10: solar in a surface shader: only a light shader may have it");
    EXPECT_EQ(errorOf(withCode("1 endlightloop\n")), "line 10: endlightloop without a light loop");
    EXPECT_EQ(errorOf(withCode("1 illuminance -1 3 -1 -1\n2 if 0\n3 endlightloop\n")),
              "line 12: endlightloop without a light loop (in the if begun at line 11)");
    EXPECT_EQ(errorOf(withCode("1 illuminance -1 3 -1 -1\n")),
              "line 11: the illuminance begun at line 10 is not closed");
}

// Defaults: blocks for parameters at the start of the code, not nested,
// without a return.
TEST(ShaderFileBlocks, Defaults) {
    const std::string head = "quelmark shader 1\nsurface test\nsource \"test.sl\"\n"
                             "register parameter uniform float 0 Kd 1\n"
                             "register local uniform float 0 a\n"
                             "code\n";
    const auto shader = [&](std::string_view code) { return head + std::string(code) + "end\n"; };
    std::string error;
    EXPECT_TRUE(readShader(shader("1 default 0\n2 if 0\n3 move 0 1\n4 endif\n5 enddefault\n"
                                  "6 default 0\n7 enddefault\n8 move 1 0\n"),
                           error))
        << error;
    EXPECT_EQ(errorOf(shader("1 default 1\n2 enddefault\n")),
              "line 7: default: operand 1 must be a parameter");
    EXPECT_EQ(errorOf(shader("1 move 1 0\n2 default 0\n3 enddefault\n")),
              "line 8: default after the shader's code has begun");
    EXPECT_EQ(errorOf(shader("1 default 0\n2 default 0\n3 enddefault\n4 enddefault\n")),
              "line 8: default inside a block (in the default begun at line 7)");
    EXPECT_EQ(errorOf(shader("1 if 1\n2 default 0\n3 enddefault\n4 endif\n")),
              "line 8: default inside a block (in the if begun at line 7)");
    EXPECT_EQ(errorOf(shader("1 default 0\n2 return\n3 enddefault\n")),
              "line 8: return inside a default");
    EXPECT_EQ(errorOf(shader("1 default 0\n2 endif\n")),
              "line 8: endif without an if (in the default begun at line 7)");
    EXPECT_EQ(errorOf(shader("1 enddefault\n")), "line 7: enddefault without a default");
}

// ---------------------------------------------------------------------------
// Files

TEST_F(ShaderFileOnDisk, ReadsAndWritesFiles) {
    const ShaderCode original = everything();
    const std::string path = (fFolder / "every.qso").string();
    std::string error;
    ASSERT_TRUE(writeShaderFile(original, path, error)) << error;
    EXPECT_EQ(contentsOf(path), writeShader(original));
    const auto read = readShaderFile(path, error);
    ASSERT_TRUE(read) << error;
    expectSameShader(original, *read);
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"every.qso"});
}

TEST_F(ShaderFileOnDisk, WritingReplacesAnOldFileWhole) {
    const std::string path = (fFolder / "every.qso").string();
    writeText(path, "old");
    std::string error;
    ASSERT_TRUE(writeShaderFile(everything(), path, error)) << error;
    EXPECT_EQ(contentsOf(path), writeShader(everything()));
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"every.qso"});
}

TEST_F(ShaderFileOnDisk, WritingIntoAMissingFolderFailsAndLeavesNothing) {
    const std::string path = (fFolder / "missing" / "plastic.qso").string();
    std::string error;
    EXPECT_FALSE(writeShaderFile(everything(), path, error));
    EXPECT_EQ(error, path + ": No such file or directory");
    EXPECT_TRUE(folderEntries().empty());
}

TEST_F(ShaderFileOnDisk, WritingOverAFolderFailsAndLeavesNoPart) {
    const std::string path = (fFolder / "plastic.qso").string();
    std::filesystem::create_directory(path);
    std::string error;
    EXPECT_FALSE(writeShaderFile(everything(), path, error));
    EXPECT_EQ(error, path + ": Is a directory");
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"plastic.qso"});
}

TEST_F(ShaderFileOnDisk, AnInvalidShaderIsNotWritten) {
    ShaderCode shader = everything();
    shader.registers[0].floats.push_back(2);
    const std::string path = (fFolder / "bad.qso").string();
    std::string error;
    EXPECT_FALSE(writeShaderFile(shader, path, error));
    EXPECT_EQ(error, path + ": not written, the shader is not valid: line 4 of its text: too "
                            "many values: a uniform float parameter takes 1");
    EXPECT_TRUE(folderEntries().empty());
}

TEST_F(ShaderFileOnDisk, ReadErrorsNameTheFileAndLine) {
    const std::string path = (fFolder / "plastic.qso").string();
    writeText(path, withCode("7 ad 0 0 1\n"));
    std::string error;
    EXPECT_FALSE(readShaderFile(path, error));
    EXPECT_EQ(error, path + ":10: unknown opcode 'ad'");
}

TEST_F(ShaderFileOnDisk, FilesThatCannotBeRead) {
    std::string error;
    const std::string missing = (fFolder / "missing.qso").string();
    EXPECT_FALSE(readShaderFile(missing, error));
    EXPECT_EQ(error, missing + ": No such file or directory");

    EXPECT_FALSE(readShaderFile(fFolder.string(), error));
    EXPECT_EQ(error, fFolder.string() + ": is a directory");

    EXPECT_FALSE(readShaderFile("/dev/null", error));
    EXPECT_EQ(error, "/dev/null: is not a regular file");

    const std::string large = (fFolder / "large.qso").string();
    writeText(large, withCode(""));
    std::filesystem::resize_file(large, kMaxFileBytes + 1);
    EXPECT_FALSE(readShaderFile(large, error));
    EXPECT_EQ(error, large + ": larger than 64 MiB, the most a shader file may hold");
}

TEST_F(ShaderFileOnDisk, AnUnreadableFileGivesTheSystemsReason) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    const std::string path = (fFolder / "secret.qso").string();
    writeText(path, withCode(""));
    std::filesystem::permissions(path, std::filesystem::perms::none);
    std::string error;
    EXPECT_FALSE(readShaderFile(path, error));
    EXPECT_EQ(error, path + ": Permission denied");
}

} // namespace
