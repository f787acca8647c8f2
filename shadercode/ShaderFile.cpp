#include "shadercode/ShaderFile.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <system_error>
#include <unordered_set>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quelmark::sl {

namespace {

// ---------------------------------------------------------------------------
// Spellings

constexpr std::size_t kOpcodeCount = std::size_t(Opcode::kEndDefault) + 1;

// Call's operands: its result (or -1), then any number of arguments.
constexpr int kResultAndArguments = -1;

struct OpcodeForm {
    std::string_view name;
    int operands;
};

// In Opcode's order.
constexpr std::array<OpcodeForm, kOpcodeCount> kOpcodeForms = {{
    {"move", 2},
    {"negate", 2},
    {"add", 3},
    {"subtract", 3},
    {"multiply", 3},
    {"divide", 3},
    {"dot", 3},
    {"cross", 3},
    {"less", 3},
    {"lessequal", 3},
    {"greater", 3},
    {"greaterequal", 3},
    {"equal", 3},
    {"notequal", 3},
    {"and", 3},
    {"or", 3},
    {"not", 2},
    {"triple", 4},
    {"matrix", 17},
    {"loadelement", 3},
    {"storeelement", 3},
    {"fromspace", 3},
    {"call", kResultAndArguments},
    {"if", 1},
    {"else", 0},
    {"endif", 0},
    {"loop", 0},
    {"looptest", 1},
    {"break", 1},
    {"continue", 1},
    {"endloop", 0},
    {"illuminance", 4},
    {"illuminate", 3},
    {"solar", 2},
    {"endlightloop", 0},
    {"return", 0},
    {"default", 1},
    {"enddefault", 0},
}};
static_assert(!kOpcodeForms.back().name.empty(), "every Opcode needs its spelling");

// In the order of the enumerations.
constexpr std::array<std::string_view, 5> kStorageNames = {"parameter", "output", "global", "local",
                                                           "constant"};
constexpr std::array<std::string_view, 2> kDetailNames = {"uniform", "varying"};
constexpr std::array<std::string_view, 8> kBasicTypeNames = {"void",  "float",  "string", "color",
                                                             "point", "vector", "normal", "matrix"};
constexpr std::array<std::string_view, 5> kShaderKindNames = {"surface", "light", "displacement",
                                                              "volume", "imager"};
static_assert(std::size_t(Storage::kConstant) + 1 == kStorageNames.size());
static_assert(std::size_t(Detail::kVarying) + 1 == kDetailNames.size());
static_assert(std::size_t(BasicType::kMatrix) + 1 == kBasicTypeNames.size());
static_assert(std::size_t(ShaderKind::kImager) + 1 == kShaderKindNames.size());

template <typename Enum, std::size_t count>
std::string_view spelling(const std::array<std::string_view, count>& names, Enum value) {
    const auto index = std::size_t(value);
    return index < count ? names[index] : "?";
}

template <typename Enum, std::size_t count>
std::optional<Enum> spelled(const std::array<std::string_view, count>& names,
                            std::string_view word) {
    for (std::size_t index = 0; index < count; ++index)
        if (names[index] == word) return Enum(index);
    return std::nullopt;
}

std::string_view opcodeName(Opcode op) {
    const auto index = std::size_t(op);
    return index < kOpcodeCount ? kOpcodeForms[index].name : "?";
}

std::optional<Opcode> opcodeNamed(std::string_view word) {
    for (std::size_t index = 0; index < kOpcodeCount; ++index)
        if (kOpcodeForms[index].name == word) return Opcode(index);
    return std::nullopt;
}

std::string_view checkedBuiltinName(BuiltinOp op) {
    return std::size_t(op) < kBuiltinOpCount ? builtinName(op) : "?";
}

// Parameters' defaults and constants' values are in the file; globals and
// locals have none.
bool carriesValues(Storage storage) {
    return storage == Storage::kParameter || storage == Storage::kOutputParameter ||
           storage == Storage::kConstant;
}

bool isParameter(Storage storage) {
    return storage == Storage::kParameter || storage == Storage::kOutputParameter;
}

// How many values a register of the type holds: floats, or strings.
std::size_t valueCount(const Type& type) {
    const std::size_t perElement = type.basic == BasicType::kString ? 1 : type.floats();
    return std::size_t(std::max(type.arrayLength, 1)) * perElement;
}

// ---------------------------------------------------------------------------
// Characters

bool isFieldSpace(char c) {
    return c == ' ' || c == '\t';
}

bool isControlByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
}

// Words are printable ASCII; anything else is written in a string.
bool isWordByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte > 0x20 && byte < 0x7f;
}

bool isBareNameByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool isBareName(std::string_view name) {
    return !name.empty() && std::ranges::all_of(name, isBareNameByte);
}

bool isOctalDigit(char c) {
    return c >= '0' && c <= '7';
}

void appendOctalEscape(std::string& out, char c) {
    const auto byte = static_cast<unsigned char>(c);
    out += '\\';
    out += char('0' + (byte >> 6));
    out += char('0' + ((byte >> 3) & 7));
    out += char('0' + (byte & 7));
}

// ---------------------------------------------------------------------------
// Writing

void appendQuoted(std::string& out, std::string_view text) {
    out += '"';
    for (const char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            if (isControlByte(c))
                appendOctalEscape(out, c);
            else
                out += c;
        }
    }
    out += '"';
}

void appendName(std::string& out, std::string_view name) {
    if (name.empty())
        out += '-';
    else if (isBareName(name))
        out += name;
    else
        appendQuoted(out, name);
}

// The shortest text that reads back to the same bits.
void appendFloat(std::string& out, float value) {
    std::array<char, 32> digits;
    const auto written = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    out.append(digits.data(), written.ptr);
}

void appendValues(std::string& out, const Register& reg) {
    if (reg.type.basic == BasicType::kString) {
        for (const std::string& text : reg.strings) {
            out += ' ';
            appendQuoted(out, text);
        }
    } else {
        for (const float value : reg.floats) {
            out += ' ';
            appendFloat(out, value);
        }
    }
}

void appendRegister(std::string& out, const Register& reg) {
    out += "register ";
    out += spelling(kStorageNames, reg.storage);
    out += ' ';
    out += spelling(kDetailNames, reg.type.detail);
    out += ' ';
    out += spelling(kBasicTypeNames, reg.type.basic);
    out += ' ';
    out += std::to_string(reg.type.arrayLength);
    out += ' ';
    appendName(out, reg.name);
    if (carriesValues(reg.storage)) appendValues(out, reg);
    out += '\n';
}

void appendInstruction(std::string& out, const Instruction& instruction) {
    out += std::to_string(instruction.line);
    out += ' ';
    out += opcodeName(instruction.op);
    if (instruction.op == Opcode::kCall) {
        out += ' ';
        out += checkedBuiltinName(instruction.builtin);
    }
    for (const std::int32_t operand : instruction.operands) {
        out += ' ';
        out += std::to_string(operand);
    }
    out += '\n';
}

// ---------------------------------------------------------------------------
// Reading: faults, lines and fields

// A fault of the text; the reader adds the line it is on.
struct FormatError {
    std::string message;
};

[[noreturn]] void fail(std::string message) {
    throw FormatError{std::move(message)};
}

// A word of the text as a message quotes it: cut short, bytes that do not
// print escaped.
std::string shown(std::string_view word) {
    constexpr std::size_t kShownBytes = 40;
    std::string text = "'";
    for (const char c : word.substr(0, kShownBytes)) {
        if (isWordByte(c) || c == ' ')
            text += c;
        else
            appendOctalEscape(text, c);
    }
    if (word.size() > kShownBytes) text += "...";
    return text + "'";
}

long long integerIn(std::string_view word, std::string_view what, long long lowest,
                    long long highest) {
    long long value = 0;
    const char* end = word.data() + word.size();
    const auto [stop, status] = std::from_chars(word.data(), end, value);
    if (stop != end || (status != std::errc() && status != std::errc::result_out_of_range))
        fail(std::string(what) + " must be a whole number, not " + shown(word));
    if (status != std::errc() || value < lowest || value > highest)
        fail(std::string(what) + " " + shown(word) + " is out of range (" + std::to_string(lowest) +
             " to " + std::to_string(highest) + ")");
    return value;
}

float finiteFloat(std::string_view word) {
    float value = 0;
    const char* end = word.data() + word.size();
    const auto [stop, status] = std::from_chars(word.data(), end, value);
    if (stop != end || (status != std::errc() && status != std::errc::result_out_of_range))
        fail("a value must be a number, not " + shown(word));
    if (status != std::errc()) fail("the value " + shown(word) + " is beyond a float's range");
    if (!std::isfinite(value))
        fail("the value " + shown(word) + " is not finite; defaults and constants must be");
    return value;
}

// The fields of one line, taken one at a time.
class Fields {
public:
    explicit Fields(std::string_view line) : fLine(line) {}

    bool atEnd() {
        skipSpaces();
        return fPos == fLine.size();
    }
    bool nextIsString() { return !atEnd() && fLine[fPos] == '"'; }
    // The next field, which must be a word; "what" names it for messages.
    std::string_view word(std::string_view what);
    // The next field, which must be a string; its text, unescaped.
    std::string string(std::string_view what);
    // A name: a bare word, a string, or "-" for none.
    std::string name(std::string_view what);
    void requireEnd();

private:
    void skipSpaces() {
        while (fPos < fLine.size() && isFieldSpace(fLine[fPos]))
            ++fPos;
    }
    char escaped();
    char octalEscape(char first);
    std::string_view rest() const { return fLine.substr(fPos); }

    std::string_view fLine;
    std::size_t fPos = 0;
};

std::string_view Fields::word(std::string_view what) {
    if (atEnd()) fail("missing " + std::string(what));
    if (fLine[fPos] == '"') fail("expected " + std::string(what) + ", found a string");
    const std::size_t start = fPos;
    for (; fPos < fLine.size() && !isFieldSpace(fLine[fPos]); ++fPos) {
        if (!isWordByte(fLine[fPos])) {
            std::string byte;
            appendOctalEscape(byte, fLine[fPos]);
            fail("unexpected byte " + byte + " outside a string");
        }
    }
    return fLine.substr(start, fPos - start);
}

std::string Fields::string(std::string_view what) {
    if (atEnd()) fail("missing " + std::string(what));
    if (fLine[fPos] != '"') fail(std::string(what) + " must be a string, not " + shown(word(what)));
    ++fPos;
    std::string text;
    for (;;) {
        if (fPos == fLine.size()) fail("a string is not closed");
        const char c = fLine[fPos++];
        if (c == '"') break;
        if (isControlByte(c)) fail("a control byte in a string (write it as \\ooo)");
        text += c == '\\' ? escaped() : c;
        if (text.size() > kMaxStringBytes)
            fail("a string is longer than " + std::to_string(kMaxStringBytes) + " bytes");
    }
    if (fPos < fLine.size() && !isFieldSpace(fLine[fPos])) fail("no space after a string");
    return text;
}

char Fields::escaped() {
    if (fPos == fLine.size()) fail("a string is not closed");
    const char c = fLine[fPos++];
    switch (c) {
    case '"':
    case '\\':
        return c;
    case 'n':
        return '\n';
    case 't':
        return '\t';
    case 'r':
        return '\r';
    default:
        if (isOctalDigit(c)) return octalEscape(c);
        fail("unknown escape " + shown(std::string("\\") + c) + " in a string");
    }
}

// \ooo: exactly three octal digits, at most \377.
char Fields::octalEscape(char first) {
    const bool threeDigits =
        fLine.size() - fPos >= 2 && isOctalDigit(fLine[fPos]) && isOctalDigit(fLine[fPos + 1]);
    if (!threeDigits || first > '3') fail("an octal escape is three digits, \\000 to \\377");
    const int value = (first - '0') * 64 + (fLine[fPos] - '0') * 8 + (fLine[fPos + 1] - '0');
    fPos += 2;
    return char(static_cast<unsigned char>(value));
}

std::string Fields::name(std::string_view what) {
    if (nextIsString()) return string(what);
    const std::string_view bare = word(what);
    if (bare == "-") return {};
    if (!isBareName(bare))
        fail(std::string(what) + " " + shown(bare) +
             " has other characters than letters, digits and '_': write it as a string");
    return std::string(bare);
}

void Fields::requireEnd() {
    if (!atEnd()) fail("unexpected " + shown(rest()) + " at the end of the line");
}

// ---------------------------------------------------------------------------
// Reading: registers

Register readRegister(Fields& fields) {
    Register reg;
    const std::string_view storage = fields.word("the storage");
    const auto storageNamed = spelled<Storage>(kStorageNames, storage);
    if (!storageNamed) fail("unknown storage " + shown(storage));
    reg.storage = *storageNamed;

    const std::string_view detail = fields.word("uniform or varying");
    const auto detailNamed = spelled<Detail>(kDetailNames, detail);
    if (!detailNamed) fail("expected uniform or varying, found " + shown(detail));
    reg.type.detail = *detailNamed;

    const std::string_view type = fields.word("the type");
    const auto typeNamed = spelled<BasicType>(kBasicTypeNames, type);
    if (!typeNamed || *typeNamed == BasicType::kVoid) fail("unknown type " + shown(type));
    reg.type.basic = *typeNamed;

    reg.type.arrayLength =
        int(integerIn(fields.word("the array length"), "the array length", 0, kMaxArrayLength));
    reg.name = fields.name("the name");
    return reg;
}

std::string describeRegister(const Register& reg) {
    return "a " + describe(reg.type) + " " + std::string(spelling(kStorageNames, reg.storage));
}

// As many values as the type needs. The count is not reserved up front: a
// short line must not claim the memory of a long one.
void readValues(Fields& fields, Register& reg) {
    const std::size_t wanted = carriesValues(reg.storage) ? valueCount(reg.type) : 0;
    for (std::size_t given = 0; given < wanted; ++given) {
        if (fields.atEnd())
            fail("too few values: " + describeRegister(reg) + " takes " + std::to_string(wanted) +
                 ", the line gives " + std::to_string(given));
        if (reg.type.basic == BasicType::kString)
            reg.strings.push_back(fields.string("a value"));
        else
            reg.floats.push_back(finiteFloat(fields.word("a value")));
    }
    if (!fields.atEnd())
        fail("too many values: " + describeRegister(reg) + " takes " + std::to_string(wanted));
}

// Parameters and globals are found by their names: each has one, and no two
// of a kind share it.
class RegisterNames {
public:
    void add(const Register& reg) {
        if (isParameter(reg.storage)) addTo(fParameters, "parameter", reg.name);
        if (reg.storage == Storage::kGlobal) addTo(fGlobals, "global", reg.name);
    }

private:
    static void addTo(std::unordered_set<std::string>& names, const std::string& kind,
                      const std::string& name) {
        if (name.empty()) fail("a " + kind + " needs a name");
        if (!names.insert(name).second) fail("a second " + kind + " named " + shown(name));
    }

    std::unordered_set<std::string> fParameters;
    std::unordered_set<std::string> fGlobals;
};

// ---------------------------------------------------------------------------
// Reading: instructions

Instruction readInstruction(std::string_view sourceLine, Fields& fields) {
    Instruction instruction;
    instruction.line = std::int32_t(integerIn(sourceLine, "the source line", 0, INT32_MAX));
    const std::string_view opcode = fields.word("the opcode");
    const auto opcodeFound = opcodeNamed(opcode);
    if (!opcodeFound) fail("unknown opcode " + shown(opcode));
    instruction.op = *opcodeFound;
    if (instruction.op == Opcode::kCall) {
        const std::string_view builtin = fields.word("the builtin's name");
        const auto builtinFound = builtinOpNamed(builtin);
        if (!builtinFound) fail("unknown builtin " + shown(builtin));
        instruction.builtin = *builtinFound;
    }
    while (!fields.atEnd())
        instruction.operands.push_back(
            std::int32_t(integerIn(fields.word("an operand"), "an operand", -1, INT32_MAX)));
    return instruction;
}

bool isLightLoop(Opcode op) {
    return op == Opcode::kIlluminance || op == Opcode::kIlluminate || op == Opcode::kSolar;
}

bool isClosedBy(Opcode opener, Opcode closer) {
    switch (closer) {
    case Opcode::kEndIf:
        return opener == Opcode::kIf;
    case Opcode::kEndLoop:
        return opener == Opcode::kLoop;
    case Opcode::kEndLightLoop:
        return isLightLoop(opener);
    case Opcode::kEndDefault:
        return opener == Opcode::kDefault;
    default:
        return false;
    }
}

// The opcodes from move to fromspace compute their first operand from the
// others.
bool computesValue(Opcode op) {
    return op >= Opcode::kMove && op <= Opcode::kFromSpace;
}

// The operands that may be -1: call's result, and the light loops' optional
// category, axis and angle.
bool mayBeAbsent(Opcode op, std::size_t index) {
    switch (op) {
    case Opcode::kCall:
        return index == 0;
    case Opcode::kIlluminance:
        return index != 1;
    case Opcode::kIlluminate:
        return index != 0;
    case Opcode::kSolar:
        return true;
    default:
        return false;
    }
}

bool isScalar(const Type& type) {
    return !type.isArray();
}
bool isScalarFloat(const Type& type) {
    return isScalar(type) && type.basic == BasicType::kFloat;
}
bool isScalarString(const Type& type) {
    return isScalar(type) && type.basic == BasicType::kString;
}
bool isScalarTriple(const Type& type) {
    return isScalar(type) && type.isTriple();
}
bool isScalarNumber(const Type& type) {
    return isScalar(type) && type.floats() > 0;
}
// A float, or a number as wide as the result.
bool widensTo(const Type& from, const Type& to) {
    return isScalarNumber(from) && (from.floats() == 1 || from.floats() == to.floats());
}
// Strings with strings, numbers with numbers as wide.
bool sameWidth(const Type& a, const Type& b) {
    const bool aString = a.basic == BasicType::kString;
    const bool bString = b.basic == BasicType::kString;
    return aString == bString && a.floats() == b.floats();
}
bool comparable(const Type& a, const Type& b) {
    if (!isScalar(a) || !isScalar(b)) return false;
    if (a.basic == BasicType::kString || b.basic == BasicType::kString) return a.basic == b.basic;
    return a.floats() == b.floats() || a.floats() == 1 || b.floats() == 1;
}

// A block the code has opened and not yet closed.
struct OpenBlock {
    Opcode opener;
    long fileLine;
    bool hasElse = false;
    // The loops open from the innermost light loop out to here, this one
    // too: as many as a break or continue may leave.
    int loopsWithin = 0;
};

// Checks each instruction as it is read: its operands, their types and the
// blocks; every check takes constant time.
class CodeChecker {
public:
    explicit CodeChecker(const ShaderCode& shader) : fShader(shader) {}

    void check(const Instruction& instruction, long fileLine);
    // At the end: every block closed.
    void finish() const;

private:
    void checkOperandCount(const Instruction& instruction) const;
    void checkRegisterNumbers(const Instruction& instruction) const;
    void checkTypes(const Instruction& instruction) const;
    void checkMove(const Instruction& instruction) const;
    void checkLightCone(const Instruction& instruction, std::size_t axis) const;
    void checkResult(const Instruction& instruction) const;
    void checkBlocks(const Instruction& instruction, long fileLine);
    void closeBlock(const Instruction& instruction, std::string_view what);
    void checkLoopExit(const Instruction& instruction) const;
    void openBlock(Opcode opener, long fileLine);

    const Type& typeOf(const Instruction& instruction, std::size_t index) const {
        return fShader.registers[std::size_t(instruction.operands[index])].type;
    }
    bool given(const Instruction& instruction, std::size_t index) const {
        return instruction.operands[index] >= 0;
    }
    void require(const Instruction& instruction, std::size_t index, bool satisfied,
                 std::string_view expected) const;
    [[noreturn]] void failOperand(const Instruction& instruction, std::size_t index,
                                  const std::string& problem) const;
    std::string innermostBlock() const;

    const ShaderCode& fShader;
    std::vector<OpenBlock> fBlocks;
    bool insideDefault() const;

    long fLightLoopLine = 0; // the open light loop's line, 0 for none
    bool fCodeBegun = false; // an instruction outside the defaults was read
};

void CodeChecker::check(const Instruction& instruction, long fileLine) {
    checkOperandCount(instruction);
    if (instruction.op != Opcode::kBreak && instruction.op != Opcode::kContinue) {
        checkRegisterNumbers(instruction);
        checkTypes(instruction);
        checkResult(instruction);
    }
    checkBlocks(instruction, fileLine);
}

void CodeChecker::checkOperandCount(const Instruction& instruction) const {
    const std::string name(opcodeName(instruction.op));
    const int wanted = kOpcodeForms[std::size_t(instruction.op)].operands;
    const auto count = instruction.operands.size();
    if (wanted == kResultAndArguments && count == 0)
        fail("call takes its result (or -1) and its arguments, and has no operands");
    if (wanted != kResultAndArguments && count != std::size_t(wanted))
        fail(name + " takes " + std::to_string(wanted) + " operand" + (wanted == 1 ? "" : "s") +
             ", not " + std::to_string(count));
}

void CodeChecker::failOperand(const Instruction& instruction, std::size_t index,
                              const std::string& problem) const {
    fail(std::string(opcodeName(instruction.op)) + ": operand " + std::to_string(index + 1) + " " +
         problem);
}

void CodeChecker::checkRegisterNumbers(const Instruction& instruction) const {
    const auto registers = fShader.registers.size();
    for (std::size_t index = 0; index < instruction.operands.size(); ++index) {
        const std::int32_t number = instruction.operands[index];
        if (number < 0 && !mayBeAbsent(instruction.op, index))
            failOperand(instruction, index, "must be a register, not -1");
        if (number >= 0 && std::size_t(number) >= registers)
            failOperand(instruction, index,
                        "is register " + std::to_string(number) + ", and there are " +
                            std::to_string(registers) + " registers");
    }
}

void CodeChecker::require(const Instruction& instruction, std::size_t index, bool satisfied,
                          std::string_view expected) const {
    if (satisfied) return;
    failOperand(instruction, index,
                "(register " + std::to_string(instruction.operands[index]) + ", " +
                    describe(typeOf(instruction, index)) + ") must be " + std::string(expected));
}

void CodeChecker::checkTypes(const Instruction& instruction) const {
    const auto type = [&](std::size_t index) -> const Type& { return typeOf(instruction, index); };
    const auto requireFloats = [&](std::size_t first, std::size_t last) {
        for (std::size_t index = first; index <= last; ++index)
            require(instruction, index, isScalarFloat(type(index)), "a float");
    };
    switch (instruction.op) {
    case Opcode::kMove:
        checkMove(instruction);
        break;
    case Opcode::kNegate:
        require(instruction, 0, isScalarNumber(type(0)), "a number");
        require(instruction, 1, widensTo(type(1), type(0)), "a float or as wide as the result");
        break;
    case Opcode::kAdd:
    case Opcode::kSubtract:
    case Opcode::kMultiply:
    case Opcode::kDivide:
        require(instruction, 0, isScalarNumber(type(0)), "a number");
        require(instruction, 1, widensTo(type(1), type(0)), "a float or as wide as the result");
        require(instruction, 2, widensTo(type(2), type(0)), "a float or as wide as the result");
        break;
    case Opcode::kDot:
        requireFloats(0, 0);
        require(instruction, 1, isScalarTriple(type(1)), "a triple");
        require(instruction, 2, isScalarTriple(type(2)), "a triple");
        break;
    case Opcode::kCross:
        for (std::size_t index = 0; index < 3; ++index)
            require(instruction, index, isScalarTriple(type(index)), "a triple");
        break;
    case Opcode::kLess:
    case Opcode::kLessEqual:
    case Opcode::kGreater:
    case Opcode::kGreaterEqual:
    case Opcode::kAnd:
    case Opcode::kOr:
        requireFloats(0, 2);
        break;
    case Opcode::kNot:
        requireFloats(0, 1);
        break;
    case Opcode::kEqual:
    case Opcode::kNotEqual:
        requireFloats(0, 0);
        require(instruction, 1, isScalar(type(1)), "a single value");
        require(instruction, 2, comparable(type(1), type(2)), "comparable with operand 2");
        break;
    case Opcode::kTriple:
        require(instruction, 0, isScalarTriple(type(0)), "a triple");
        requireFloats(1, 3);
        break;
    case Opcode::kMatrix:
        require(instruction, 0, isScalar(type(0)) && type(0).basic == BasicType::kMatrix,
                "a matrix");
        requireFloats(1, 16);
        break;
    case Opcode::kLoadElement:
        require(instruction, 1, type(1).isArray(), "an array");
        require(instruction, 0, isScalar(type(0)) && sameWidth(type(0), type(1)),
                "a single value of the array's width");
        requireFloats(2, 2);
        break;
    case Opcode::kStoreElement:
        require(instruction, 0, type(0).isArray(), "an array");
        requireFloats(1, 1);
        require(instruction, 2, isScalar(type(2)) && sameWidth(type(2), type(0)),
                "a single value of the array's width");
        break;
    case Opcode::kFromSpace:
        require(instruction, 0,
                isScalarTriple(type(0)) ||
                    (isScalar(type(0)) && type(0).basic == BasicType::kMatrix),
                "a triple or a matrix");
        require(instruction, 1, widensTo(type(1), type(0)), "a float or as wide as the result");
        require(instruction, 2, isScalarString(type(2)), "a string");
        break;
    case Opcode::kIf:
    case Opcode::kLoopTest:
        requireFloats(0, 0);
        break;
    case Opcode::kIlluminance:
        if (given(instruction, 0)) require(instruction, 0, isScalarString(type(0)), "a string");
        require(instruction, 1, isScalarTriple(type(1)), "a triple");
        checkLightCone(instruction, 2);
        break;
    case Opcode::kIlluminate:
        require(instruction, 0, isScalarTriple(type(0)), "a triple");
        checkLightCone(instruction, 1);
        break;
    case Opcode::kSolar:
        checkLightCone(instruction, 0);
        break;
    case Opcode::kDefault:
        if (!isParameter(fShader.registers[std::size_t(instruction.operands[0])].storage))
            failOperand(instruction, 0, "must be a parameter");
        break;
    default:
        break;
    }
}

// a = b: strings or numbers where b widens; an array only from an array of
// the same type and length.
void CodeChecker::checkMove(const Instruction& instruction) const {
    const Type& result = typeOf(instruction, 0);
    const Type& from = typeOf(instruction, 1);
    if (result.isArray() || from.isArray())
        require(instruction, 1,
                from.basic == result.basic && from.arrayLength == result.arrayLength,
                "of the result's type and array length");
    else if (result.basic == BasicType::kString)
        require(instruction, 1, from.basic == BasicType::kString, "a string");
    else
        require(instruction, 1, widensTo(from, result), "a float or as wide as the result");
}

// The axis and the angle: a triple and a float, or both -1.
void CodeChecker::checkLightCone(const Instruction& instruction, std::size_t axis) const {
    const std::size_t angle = axis + 1;
    if (given(instruction, axis) != given(instruction, angle))
        fail(std::string(opcodeName(instruction.op)) +
             ": the axis and the angle are given together or not at all");
    if (!given(instruction, axis)) return;
    require(instruction, axis, isScalarTriple(typeOf(instruction, axis)), "a triple");
    require(instruction, angle, isScalarFloat(typeOf(instruction, angle)), "a float");
}

// A result is no constant; a uniform result of an operation takes only
// uniform operands, as it has room for one value.
void CodeChecker::checkResult(const Instruction& instruction) const {
    const bool hasResult =
        computesValue(instruction.op) || (instruction.op == Opcode::kCall && given(instruction, 0));
    if (!hasResult) return;
    const auto resultNumber = std::size_t(instruction.operands[0]);
    if (fShader.registers[resultNumber].storage == Storage::kConstant)
        failOperand(instruction, 0, "is a constant, which the code may not change");
    if (!computesValue(instruction.op) || typeOf(instruction, 0).detail != Detail::kUniform) return;
    for (std::size_t index = 1; index < instruction.operands.size(); ++index)
        if (typeOf(instruction, index).detail != Detail::kUniform)
            failOperand(instruction, index, "is varying, and the result is uniform");
}

std::string CodeChecker::innermostBlock() const {
    if (fBlocks.empty()) return "";
    const OpenBlock& block = fBlocks.back();
    return " (in the " + std::string(opcodeName(block.opener)) + " begun at line " +
           std::to_string(block.fileLine) + ")";
}

void CodeChecker::openBlock(Opcode opener, long fileLine) {
    OpenBlock block{opener, fileLine};
    const int outer = fBlocks.empty() || isLightLoop(opener) ? 0 : fBlocks.back().loopsWithin;
    block.loopsWithin = outer + (opener == Opcode::kLoop ? 1 : 0);
    fBlocks.push_back(block);
}

void CodeChecker::closeBlock(const Instruction& instruction, std::string_view what) {
    if (fBlocks.empty() || !isClosedBy(fBlocks.back().opener, instruction.op))
        fail(std::string(opcodeName(instruction.op)) + " without " + std::string(what) +
             innermostBlock());
    fBlocks.pop_back();
}

void CodeChecker::checkLoopExit(const Instruction& instruction) const {
    const std::string name(opcodeName(instruction.op));
    const std::int32_t levels = instruction.operands[0];
    if (levels < 1)
        fail(name + " takes a count of loops to leave, 1 or more, not " + std::to_string(levels));
    const int enclosing = fBlocks.empty() ? 0 : fBlocks.back().loopsWithin;
    if (enclosing == 0) fail(name + " outside a loop");
    if (levels > enclosing)
        fail(name + " " + std::to_string(levels) + " leaves more loops than the " +
             std::to_string(enclosing) + " around it" +
             (fLightLoopLine ? " within its light loop" : ""));
}

void CodeChecker::checkBlocks(const Instruction& instruction, long fileLine) {
    const std::string name(opcodeName(instruction.op));
    switch (instruction.op) {
    case Opcode::kIf:
    case Opcode::kLoop:
        openBlock(instruction.op, fileLine);
        break;
    case Opcode::kElse:
        if (fBlocks.empty() || fBlocks.back().opener != Opcode::kIf)
            fail("else without an if" + innermostBlock());
        if (fBlocks.back().hasElse)
            fail("a second else for the if at line " + std::to_string(fBlocks.back().fileLine));
        fBlocks.back().hasElse = true;
        break;
    case Opcode::kEndIf:
        closeBlock(instruction, "an if");
        break;
    case Opcode::kLoopTest:
        if (fBlocks.empty()) fail("looptest outside a loop");
        if (fBlocks.back().opener != Opcode::kLoop)
            fail("looptest not directly in its loop" + innermostBlock());
        break;
    case Opcode::kBreak:
    case Opcode::kContinue:
        checkLoopExit(instruction);
        break;
    case Opcode::kReturn:
        if (insideDefault()) fail("return inside a default");
        break;
    case Opcode::kEndLoop:
        closeBlock(instruction, "a loop");
        break;
    case Opcode::kIlluminance:
    case Opcode::kIlluminate:
    case Opcode::kSolar:
        if (fLightLoopLine)
            fail(name + " inside the light loop begun at line " + std::to_string(fLightLoopLine) +
                 ": light loops do not nest");
        if (instruction.op != Opcode::kIlluminance && fShader.kind != ShaderKind::kLight)
            fail(name + " in a " + std::string(spelling(kShaderKindNames, fShader.kind)) +
                 " shader: only a light shader may have it");
        openBlock(instruction.op, fileLine);
        fLightLoopLine = fileLine;
        break;
    case Opcode::kEndLightLoop:
        closeBlock(instruction, "a light loop");
        fLightLoopLine = 0;
        break;
    case Opcode::kDefault:
        if (!fBlocks.empty()) fail("default inside a block" + innermostBlock());
        if (fCodeBegun) fail("default after the shader's code has begun");
        openBlock(instruction.op, fileLine);
        break;
    case Opcode::kEndDefault:
        closeBlock(instruction, "a default");
        break;
    default:
        break;
    }
    if (instruction.op != Opcode::kEndDefault && !insideDefault()) fCodeBegun = true;
}

bool CodeChecker::insideDefault() const {
    return !fBlocks.empty() && fBlocks.front().opener == Opcode::kDefault;
}

void CodeChecker::finish() const {
    if (fBlocks.empty()) return;
    const OpenBlock& block = fBlocks.back();
    fail("the " + std::string(opcodeName(block.opener)) + " begun at line " +
         std::to_string(block.fileLine) + " is not closed");
}

// ---------------------------------------------------------------------------
// Reading: the file

struct ReadFault {
    long line = 0;
    std::string message;
};

class ShaderTextReader {
public:
    explicit ShaderTextReader(std::string_view text) : fText(text) {}

    // Throws FormatError at the first fault; line() is where it is.
    ShaderCode read();
    long line() const { return fLine; }

private:
    Fields nextLine(std::string_view expected);
    void readHeader();
    void readKindAndName(ShaderCode& shader);
    void readSource(ShaderCode& shader);
    void readRegisters(ShaderCode& shader);
    void readCode(ShaderCode& shader);
    void requireNothingAfterEnd();

    std::string_view fText;
    std::size_t fPos = 0;
    long fLine = 0;
};

ShaderCode ShaderTextReader::read() {
    ShaderCode shader;
    readHeader();
    readKindAndName(shader);
    readSource(shader);
    readRegisters(shader);
    readCode(shader);
    requireNothingAfterEnd();
    return shader;
}

Fields ShaderTextReader::nextLine(std::string_view expected) {
    ++fLine;
    if (fPos == fText.size()) fail("the file ends before " + std::string(expected));
    const std::size_t newline = fText.find('\n', fPos);
    if (newline == std::string_view::npos) fail("the file ends within this line: it is cut short");
    std::string_view line = fText.substr(fPos, newline - fPos);
    fPos = newline + 1;
    if (line.ends_with('\r')) line.remove_suffix(1);
    return Fields(line);
}

void ShaderTextReader::readHeader() {
    if (!fText.starts_with("quelmark shader ")) {
        fLine = 1;
        fail("not a quelmark shader file");
    }
    Fields fields = nextLine("the header");
    fields.word("quelmark");
    fields.word("shader");
    const std::string_view version = fields.word("the version");
    if (version != std::to_string(kShaderFileVersion))
        fail("version " + shown(version) + " of the shader format; this reader reads version " +
             std::to_string(kShaderFileVersion));
    fields.requireEnd();
}

void ShaderTextReader::readKindAndName(ShaderCode& shader) {
    Fields fields = nextLine("the shader's kind and name");
    const std::string_view kind = fields.word("the shader's kind");
    const auto kindNamed = spelled<ShaderKind>(kShaderKindNames, kind);
    if (!kindNamed) fail("unknown kind of shader " + shown(kind));
    shader.kind = *kindNamed;
    shader.name = fields.name("the shader's name");
    if (shader.name.empty()) fail("the shader has no name");
    fields.requireEnd();
}

void ShaderTextReader::readSource(ShaderCode& shader) {
    Fields fields = nextLine("the source file's name");
    const std::string_view keyword = fields.word("source");
    if (keyword != "source") fail("expected source, found " + shown(keyword));
    shader.sourceFile = fields.string("the source file's name");
    fields.requireEnd();
}

void ShaderTextReader::readRegisters(ShaderCode& shader) {
    RegisterNames names;
    for (;;) {
        Fields fields = nextLine("code");
        const std::string_view keyword = fields.word("register or code");
        if (keyword == "code") {
            fields.requireEnd();
            return;
        }
        if (keyword != "register") fail("expected register or code, found " + shown(keyword));
        if (shader.registers.size() == kMaxRegisters)
            fail("more than " + std::to_string(kMaxRegisters) + " registers");
        Register reg = readRegister(fields);
        readValues(fields, reg);
        names.add(reg);
        shader.registers.push_back(std::move(reg));
    }
}

void ShaderTextReader::readCode(ShaderCode& shader) {
    CodeChecker checker(shader);
    for (;;) {
        Fields fields = nextLine("end");
        const std::string_view first = fields.word("an instruction or end");
        if (first == "end") {
            fields.requireEnd();
            checker.finish();
            return;
        }
        if (shader.code.size() == kMaxInstructions)
            fail("more than " + std::to_string(kMaxInstructions) + " instructions");
        Instruction instruction = readInstruction(first, fields);
        checker.check(instruction, fLine);
        shader.code.push_back(std::move(instruction));
    }
}

void ShaderTextReader::requireNothingAfterEnd() {
    if (fPos == fText.size()) return;
    ++fLine;
    fail("text after the end");
}

std::optional<ShaderCode> readText(std::string_view text, ReadFault& fault) {
    ShaderTextReader reader(text);
    try {
        return reader.read();
    } catch (const FormatError& error) {
        fault = {reader.line(), error.message};
        return std::nullopt;
    }
}

// ---------------------------------------------------------------------------
// Files

std::string systemReason(int number) {
    return std::generic_category().message(number);
}

bool failWithSystemReason(const std::string& path, int number, std::string& error) {
    error = path + ": " + systemReason(number);
    return false;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int descriptor) : fDescriptor(descriptor) {}
    ~FileDescriptor() {
        if (fDescriptor >= 0) ::close(fDescriptor);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    bool isOpen() const { return fDescriptor >= 0; }
    int get() const { return fDescriptor; }
    // Closes now, reporting the error a late write may give.
    bool close() {
        const int descriptor = std::exchange(fDescriptor, -1);
        return ::close(descriptor) == 0;
    }

private:
    int fDescriptor;
};

std::string tooLarge(const std::string& path) {
    return path + ": larger than " + std::to_string(kMaxFileBytes >> 20) +
           " MiB, the most a shader file may hold";
}

bool readAll(int descriptor, const std::string& path, std::string& text, std::string& error) {
    constexpr std::size_t kChunkBytes = 1 << 16;
    std::vector<char> chunk(kChunkBytes);
    for (;;) {
        const ssize_t got = ::read(descriptor, chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return failWithSystemReason(path, errno, error);
        if (got == 0) return true;
        text.append(chunk.data(), std::size_t(got));
        if (text.size() > kMaxFileBytes) {
            error = tooLarge(path);
            return false;
        }
    }
}

// The whole of a regular file no larger than the limit. Opened without
// waiting, so that a pipe in the file's place does not block.
bool readWholeFile(const std::string& path, std::string& text, std::string& error) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.isOpen()) return failWithSystemReason(path, errno, error);
    struct stat info;
    if (::fstat(file.get(), &info) != 0) return failWithSystemReason(path, errno, error);
    if (S_ISDIR(info.st_mode)) {
        error = path + ": is a directory";
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = path + ": is not a regular file";
        return false;
    }
    if (std::uintmax_t(info.st_size) > kMaxFileBytes) {
        error = tooLarge(path);
        return false;
    }
    return readAll(file.get(), path, text, error);
}

bool writeAll(int descriptor, std::string_view text) {
    while (!text.empty()) {
        const ssize_t put = ::write(descriptor, text.data(), text.size());
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) return false;
        if (put == 0) {
            errno = EIO;
            return false;
        }
        text.remove_prefix(std::size_t(put));
    }
    return true;
}

std::atomic<unsigned long> gTemporaryFiles{0};

// Beside the path, so that the rename stays on its file system; unique to
// this process and this write.
std::string temporaryPathFor(const std::string& path) {
    return path + ".part-" + std::to_string(long(::getpid())) + "-" +
           std::to_string(gTemporaryFiles.fetch_add(1));
}

// Writes the text to a temporary file and renames it over the path; on
// failure the temporary file is removed and errno kept for the message.
bool writeThroughTemporary(const std::string& temporary, const std::string& path,
                           std::string_view text, int& reason) {
    FileDescriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!file.isOpen()) {
        reason = errno;
        return false;
    }
    const bool written = writeAll(file.get(), text) && ::fsync(file.get()) == 0 && file.close() &&
                         std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!written) {
        reason = errno;
        ::unlink(temporary.c_str());
    }
    return written;
}

} // namespace

std::string writeShader(const ShaderCode& code) {
    std::string out = "quelmark shader " + std::to_string(kShaderFileVersion) + "\n";
    out += spelling(kShaderKindNames, code.kind);
    out += ' ';
    appendName(out, code.name);
    out += "\nsource ";
    appendQuoted(out, code.sourceFile);
    out += '\n';
    for (const Register& reg : code.registers)
        appendRegister(out, reg);
    out += "code\n";
    for (const Instruction& instruction : code.code)
        appendInstruction(out, instruction);
    out += "end\n";
    return out;
}

bool writeShaderFile(const ShaderCode& code, const std::string& path, std::string& error) {
    const std::string text = writeShader(code);
    ReadFault fault;
    if (!readText(text, fault)) {
        error = path + ": not written, the shader is not valid: line " +
                std::to_string(fault.line) + " of its text: " + fault.message;
        return false;
    }
    int reason = 0;
    if (!writeThroughTemporary(temporaryPathFor(path), path, text, reason))
        return failWithSystemReason(path, reason, error);
    return true;
}

std::optional<ShaderCode> readShader(std::string_view text, std::string& error) {
    ReadFault fault;
    std::optional<ShaderCode> shader = readText(text, fault);
    if (!shader) error = "line " + std::to_string(fault.line) + ": " + fault.message;
    return shader;
}

std::optional<ShaderCode> readShaderFile(const std::string& path, std::string& error) {
    std::string text;
    if (!readWholeFile(path, text, error)) return std::nullopt;
    ReadFault fault;
    std::optional<ShaderCode> shader = readText(text, fault);
    if (!shader) error = path + ":" + std::to_string(fault.line) + ": " + fault.message;
    return shader;
}

} // namespace quelmark::sl
