#include "renderer/shading/ShaderOperators.h"

#include "renderer/shading/ShaderColorSpaces.h"

#include <algorithm>
#include <cmath>

namespace quelmark {

namespace {

using sl::BasicType;
using sl::Opcode;
using Operands = std::span<const std::int32_t>;

constexpr int kTripleFloats = 3;

// ---------------------------------------------------------------------------
// Arithmetic, component by component

struct Add {
    static float apply(float a, float b) { return a + b; }
};
struct Subtract {
    static float apply(float a, float b) { return a - b; }
};
struct Multiply {
    static float apply(float a, float b) { return a * b; }
};
// Division by zero gives 0 rather than an infinity that would spread.
struct Divide {
    static float apply(float a, float b) { return b == 0 ? 0 : a / b; }
};

// a = b op c over Width components; an operand of width 1 is repeated.
template <class Operation, int Width, int WidthB, int WidthC>
void componentwise(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& b = frame.view(operands[1]);
    const RegisterView& c = frame.view(operands[2]);
    for (const int point : frame.active()) {
        const float* x = b.at(point);
        const float* y = c.at(point);
        float* result = out.at(point);
        for (int k = 0; k < Width; ++k)
            result[k] = Operation::apply(x[WidthB == 1 ? 0 : k], y[WidthC == 1 ? 0 : k]);
    }
}

template <class Operation, int Width> Kernel componentwiseKernel(int widthB, int widthC) {
    if constexpr (Width == 1) {
        return componentwise<Operation, 1, 1, 1>;
    } else {
        if (widthB == 1 && widthC == 1) return componentwise<Operation, Width, 1, 1>;
        if (widthB == 1) return componentwise<Operation, Width, 1, Width>;
        if (widthC == 1) return componentwise<Operation, Width, Width, 1>;
        return componentwise<Operation, Width, Width, Width>;
    }
}

// Matrices: a float operand stands for itself on the diagonal.
template <class Operation> void matrixComponentwise(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& b = frame.view(operands[1]);
    const RegisterView& c = frame.view(operands[2]);
    for (const int point : frame.active()) {
        const ShaderMatrix x = matrixAt(b, point);
        const ShaderMatrix y = matrixAt(c, point);
        ShaderMatrix result;
        for (std::size_t k = 0; k < result.size(); ++k)
            result[k] = Operation::apply(x[k], y[k]);
        storeMatrix(out, point, result);
    }
}

void matrixMultiply(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& b = frame.view(operands[1]);
    const RegisterView& c = frame.view(operands[2]);
    for (const int point : frame.active())
        storeMatrix(out, point, matrixProduct(matrixAt(b, point), matrixAt(c, point)));
}

// b / c = b times the inverse of c.
void matrixDivide(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& b = frame.view(operands[1]);
    const RegisterView& c = frame.view(operands[2]);
    for (const int point : frame.active()) {
        const ShaderMatrix dividend = matrixAt(b, point);
        const auto inverse = matrixInverse(matrixAt(c, point));
        if (!inverse && !frame.hasReported())
            frame.report("division by a singular matrix: the matrix is left undivided");
        storeMatrix(out, point, inverse ? matrixProduct(dividend, *inverse) : dividend);
    }
}

template <class Operation> Kernel arithmeticKernel(int width, int widthB, int widthC) {
    if (width == kTripleFloats)
        return componentwiseKernel<Operation, kTripleFloats>(widthB, widthC);
    if (width == 1) return componentwiseKernel<Operation, 1>(widthB, widthC);
    return matrixComponentwise<Operation>;
}

// ---------------------------------------------------------------------------
// Moves and negation

template <int Width, int FromWidth> void moveNumber(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& from = frame.view(operands[1]);
    for (const int point : frame.active()) {
        const float* value = from.at(point);
        float* result = out.at(point);
        if constexpr (Width == kMatrixFloats && FromWidth == 1) {
            storeMatrix(out, point, diagonalMatrix(value[0]));
        } else {
            for (int k = 0; k < Width; ++k)
                result[k] = value[FromWidth == 1 ? 0 : k];
        }
    }
}

// Arrays and strings: every float or string of the value.
void moveFloats(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& from = frame.view(operands[1]);
    const int count = out.width * out.elements;
    for (const int point : frame.active()) {
        const float* value = from.at(point);
        float* result = out.at(point);
        for (int k = 0; k < count; ++k)
            result[k] = value[k];
    }
}

void moveStrings(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& from = frame.view(operands[1]);
    for (const int point : frame.active()) {
        const std::string* value = &from.stringAt(point);
        std::string* result = &out.stringAt(point);
        for (int k = 0; k < out.elements; ++k)
            if (&result[k] != &value[k]) result[k] = value[k];
    }
}

template <int Width, int FromWidth> void negate(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& from = frame.view(operands[1]);
    for (const int point : frame.active()) {
        if constexpr (Width == kMatrixFloats && FromWidth == 1) {
            storeMatrix(out, point, diagonalMatrix(-from.at(point)[0]));
        } else {
            const float* value = from.at(point);
            float* result = out.at(point);
            for (int k = 0; k < Width; ++k)
                result[k] = -value[FromWidth == 1 ? 0 : k];
        }
    }
}

Kernel moveKernel(int width, int fromWidth) {
    if (width == 1) return moveNumber<1, 1>;
    if (width == kTripleFloats)
        return fromWidth == 1 ? moveNumber<kTripleFloats, 1>
                              : moveNumber<kTripleFloats, kTripleFloats>;
    return fromWidth == 1 ? moveNumber<kMatrixFloats, 1> : moveNumber<kMatrixFloats, kMatrixFloats>;
}

Kernel negateKernel(int width, int fromWidth) {
    if (width == 1) return negate<1, 1>;
    if (width == kTripleFloats)
        return fromWidth == 1 ? negate<kTripleFloats, 1> : negate<kTripleFloats, kTripleFloats>;
    return fromWidth == 1 ? negate<kMatrixFloats, 1> : negate<kMatrixFloats, kMatrixFloats>;
}

// ---------------------------------------------------------------------------
// Products of triples, comparisons and logic

void dot(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& b = frame.view(operands[1]);
    const RegisterView& c = frame.view(operands[2]);
    for (const int point : frame.active()) {
        const ShaderTriple x = tripleAt(b, point), y = tripleAt(c, point);
        out.at(point)[0] = x[0] * y[0] + x[1] * y[1] + x[2] * y[2];
    }
}

void cross(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& b = frame.view(operands[1]);
    const RegisterView& c = frame.view(operands[2]);
    for (const int point : frame.active()) {
        const ShaderTriple x = tripleAt(b, point), y = tripleAt(c, point);
        storeTriple(
            out, point,
            {x[1] * y[2] - x[2] * y[1], x[2] * y[0] - x[0] * y[2], x[0] * y[1] - x[1] * y[0]});
    }
}

struct Less {
    static bool test(float a, float b) { return a < b; }
};
struct LessEqual {
    static bool test(float a, float b) { return a <= b; }
};
struct Greater {
    static bool test(float a, float b) { return a > b; }
};
struct GreaterEqual {
    static bool test(float a, float b) { return a >= b; }
};
struct BothTrue {
    static bool test(float a, float b) { return a != 0 && b != 0; }
};
struct EitherTrue {
    static bool test(float a, float b) { return a != 0 || b != 0; }
};

template <class Test> void floatTest(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& b = frame.view(operands[1]);
    const RegisterView& c = frame.view(operands[2]);
    for (const int point : frame.active())
        out.at(point)[0] = Test::test(b.at(point)[0], c.at(point)[0]) ? 1.0f : 0.0f;
}

void logicalNot(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& b = frame.view(operands[1]);
    for (const int point : frame.active())
        out.at(point)[0] = b.at(point)[0] == 0 ? 1.0f : 0.0f;
}

// Equal when every component is; a float compared with a triple stands for
// itself repeated, with a matrix for itself on the diagonal.
template <int Width> bool numbersEqual(const RegisterView& b, const RegisterView& c, int point) {
    if constexpr (Width == kMatrixFloats) {
        return matrixAt(b, point) == matrixAt(c, point);
    } else {
        for (int k = 0; k < Width; ++k)
            if (component(b, point, k) != component(c, point, k)) return false;
        return true;
    }
}

template <int Width, bool Equal> void compareNumbers(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& b = frame.view(operands[1]);
    const RegisterView& c = frame.view(operands[2]);
    for (const int point : frame.active())
        out.at(point)[0] = numbersEqual<Width>(b, c, point) == Equal ? 1.0f : 0.0f;
}

template <bool Equal> void compareStrings(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& b = frame.view(operands[1]);
    const RegisterView& c = frame.view(operands[2]);
    for (const int point : frame.active())
        out.at(point)[0] = (b.stringAt(point) == c.stringAt(point)) == Equal ? 1.0f : 0.0f;
}

template <bool Equal> Kernel equalityKernel(const sl::Type& b, const sl::Type& c) {
    if (b.basic == BasicType::kString) return compareStrings<Equal>;
    const int width = std::max(b.floats(), c.floats());
    if (width == 1) return compareNumbers<1, Equal>;
    if (width == kTripleFloats) return compareNumbers<kTripleFloats, Equal>;
    return compareNumbers<kMatrixFloats, Equal>;
}

// ---------------------------------------------------------------------------
// Building values

void makeTriple(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& x = frame.view(operands[1]);
    const RegisterView& y = frame.view(operands[2]);
    const RegisterView& z = frame.view(operands[3]);
    for (const int point : frame.active())
        storeTriple(out, point, {x.at(point)[0], y.at(point)[0], z.at(point)[0]});
}

void makeMatrix(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    for (const int point : frame.active()) {
        ShaderMatrix matrix;
        for (int k = 0; k < kMatrixFloats; ++k)
            matrix[std::size_t(k)] = frame.view(operands[std::size_t(k) + 1]).at(point)[0];
        storeMatrix(out, point, matrix);
    }
}

// ---------------------------------------------------------------------------
// Array elements

// The element an index names, clamped into the array (and reported).
int elementIndex(KernelFrame& frame, float index, int elements) {
    const int whole = std::isfinite(index) ? int(std::clamp(index, -2e9f, 2e9f)) : 0;
    if (whole >= 0 && whole < elements) return whole;
    const int clamped = whole < 0 ? 0 : elements - 1;
    if (!frame.hasReported())
        frame.report("index " + std::to_string(whole) + " is outside the array of " +
                     std::to_string(elements) + " elements: element " + std::to_string(clamped) +
                     " is used");
    return clamped;
}

void loadFloatElement(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& array = frame.view(operands[1]);
    const RegisterView& index = frame.view(operands[2]);
    for (const int point : frame.active()) {
        const int element = elementIndex(frame, index.at(point)[0], array.elements);
        const float* value = array.at(point) + element * array.width;
        float* result = out.at(point);
        for (int k = 0; k < array.width; ++k)
            result[k] = value[k];
    }
}

void loadStringElement(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& array = frame.view(operands[1]);
    const RegisterView& index = frame.view(operands[2]);
    for (const int point : frame.active()) {
        const int element = elementIndex(frame, index.at(point)[0], array.elements);
        out.stringAt(point) = (&array.stringAt(point))[element];
    }
}

void storeFloatElement(KernelFrame& frame, Operands operands) {
    const RegisterView& array = frame.view(operands[0]);
    const RegisterView& index = frame.view(operands[1]);
    const RegisterView& value = frame.view(operands[2]);
    for (const int point : frame.active()) {
        const int element = elementIndex(frame, index.at(point)[0], array.elements);
        float* slot = array.at(point) + element * array.width;
        const float* from = value.at(point);
        for (int k = 0; k < array.width; ++k)
            slot[k] = from[k];
    }
}

void storeStringElement(KernelFrame& frame, Operands operands) {
    const RegisterView& array = frame.view(operands[0]);
    const RegisterView& index = frame.view(operands[1]);
    const RegisterView& value = frame.view(operands[2]);
    for (const int point : frame.active()) {
        const int element = elementIndex(frame, index.at(point)[0], array.elements);
        (&array.stringAt(point))[element] = value.stringAt(point);
    }
}

// ---------------------------------------------------------------------------
// Values given in a named space

enum class SpaceKind { kPoint, kVector, kNormal, kMatrix };

// The matrix of the point's space name, looked up again only when the name
// changes from one point to the next.
class SpaceLookup {
public:
    explicit SpaceLookup(KernelFrame& frame) : fFrame(frame) {}

    const ShaderMatrix* matrixFor(const std::string& space) {
        if (!fName || *fName != space) {
            fName = &space;
            fMatrix = fFrame.spaceToCurrent(space);
        }
        return fMatrix ? &*fMatrix : nullptr;
    }

private:
    KernelFrame& fFrame;
    const std::string* fName = nullptr;
    std::optional<ShaderMatrix> fMatrix;
};

template <SpaceKind Kind> void fromSpace(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& value = frame.view(operands[1]);
    const RegisterView& space = frame.view(operands[2]);
    SpaceLookup lookup(frame);
    for (const int point : frame.active()) {
        const ShaderMatrix* matrix = lookup.matrixFor(space.stringAt(point));
        if constexpr (Kind == SpaceKind::kMatrix) {
            const ShaderMatrix given = matrixAt(value, point);
            storeMatrix(out, point, matrix ? matrixProduct(given, *matrix) : given);
        } else {
            const ShaderTriple given = tripleAt(value, point);
            if (!matrix)
                storeTriple(out, point, given);
            else if constexpr (Kind == SpaceKind::kPoint)
                storeTriple(out, point, transformPoint(*matrix, given));
            else if constexpr (Kind == SpaceKind::kVector)
                storeTriple(out, point, transformVector(*matrix, given));
            else
                storeTriple(out, point, transformVector(normalMatrix(*matrix), given));
        }
    }
}

void colorFromSpace(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& value = frame.view(operands[1]);
    const RegisterView& space = frame.view(operands[2]);
    for (const int point : frame.active()) {
        const ShaderTriple given = tripleAt(value, point);
        const std::string& name = space.stringAt(point);
        const auto colorSpace = colorSpaceNamed(name);
        if (!colorSpace && !frame.hasReported())
            frame.report("unknown colour space '" + name + "': the colour is left as it was");
        storeTriple(out, point, colorSpace ? colorToRgb(*colorSpace, given) : given);
    }
}

Kernel fromSpaceKernel(BasicType type) {
    switch (type) {
    case BasicType::kPoint:
        return fromSpace<SpaceKind::kPoint>;
    case BasicType::kVector:
        return fromSpace<SpaceKind::kVector>;
    case BasicType::kNormal:
        return fromSpace<SpaceKind::kNormal>;
    case BasicType::kMatrix:
        return fromSpace<SpaceKind::kMatrix>;
    case BasicType::kColor:
        return colorFromSpace;
    default:
        return nullptr;
    }
}

// ---------------------------------------------------------------------------
// Choosing

class OperandTypes {
public:
    OperandTypes(const sl::ShaderCode& code, const sl::Instruction& instruction)
        : fCode(code), fInstruction(instruction) {}

    const sl::Type& operator[](std::size_t index) const {
        return fCode.registers[std::size_t(fInstruction.operands[index])].type;
    }
    int width(std::size_t index) const { return (*this)[index].floats(); }
    bool isString(std::size_t index) const { return (*this)[index].basic == BasicType::kString; }

private:
    const sl::ShaderCode& fCode;
    const sl::Instruction& fInstruction;
};

Kernel chooseMove(const OperandTypes& types) {
    if (types[0].isArray()) return types.isString(0) ? moveStrings : moveFloats;
    if (types.isString(0)) return moveStrings;
    return moveKernel(types.width(0), types.width(1));
}

Kernel chooseArithmetic(Opcode op, const OperandTypes& types) {
    const int width = types.width(0), widthB = types.width(1), widthC = types.width(2);
    switch (op) {
    case Opcode::kAdd:
        return arithmeticKernel<Add>(width, widthB, widthC);
    case Opcode::kSubtract:
        return arithmeticKernel<Subtract>(width, widthB, widthC);
    case Opcode::kMultiply:
        return width == kMatrixFloats ? matrixMultiply
                                      : arithmeticKernel<Multiply>(width, widthB, widthC);
    default:
        return width == kMatrixFloats ? matrixDivide
                                      : arithmeticKernel<Divide>(width, widthB, widthC);
    }
}

Kernel chooseComparison(Opcode op) {
    switch (op) {
    case Opcode::kLess:
        return floatTest<Less>;
    case Opcode::kLessEqual:
        return floatTest<LessEqual>;
    case Opcode::kGreater:
        return floatTest<Greater>;
    case Opcode::kGreaterEqual:
        return floatTest<GreaterEqual>;
    case Opcode::kAnd:
        return floatTest<BothTrue>;
    default:
        return floatTest<EitherTrue>;
    }
}

bool isNumber(const sl::Type& type) {
    return !type.isArray() && type.floats() > 0;
}

// The checks the kernels rely on, beyond those of the shader file's reader:
// the widths they are written for.
bool widthsFit(Opcode op, const OperandTypes& types, std::size_t count) {
    for (std::size_t index = 0; index < count; ++index) {
        const int width = types.width(index);
        const bool numeric = width == 1 || width == kTripleFloats || width == kMatrixFloats;
        if (!numeric && !types.isString(index)) return false;
    }
    switch (op) {
    case Opcode::kNegate:
    case Opcode::kAdd:
    case Opcode::kSubtract:
    case Opcode::kMultiply:
    case Opcode::kDivide:
        for (std::size_t index = 0; index < count; ++index)
            if (!isNumber(types[index])) return false;
        for (std::size_t index = 1; index < count; ++index)
            if (types.width(index) != 1 && types.width(index) != types.width(0)) return false;
        return true;
    default:
        return true;
    }
}

} // namespace

Kernel chooseOperatorKernel(const sl::ShaderCode& code, const sl::Instruction& instruction,
                            std::string& problem) {
    const OperandTypes types(code, instruction);
    const Opcode op = instruction.op;
    if (!widthsFit(op, types, instruction.operands.size())) {
        problem = "no kernel takes these operand types";
        return nullptr;
    }
    switch (op) {
    case Opcode::kMove:
        return chooseMove(types);
    case Opcode::kNegate:
        return negateKernel(types.width(0), types.width(1));
    case Opcode::kAdd:
    case Opcode::kSubtract:
    case Opcode::kMultiply:
    case Opcode::kDivide:
        return chooseArithmetic(op, types);
    case Opcode::kDot:
        return dot;
    case Opcode::kCross:
        return cross;
    case Opcode::kLess:
    case Opcode::kLessEqual:
    case Opcode::kGreater:
    case Opcode::kGreaterEqual:
    case Opcode::kAnd:
    case Opcode::kOr:
        return chooseComparison(op);
    case Opcode::kNot:
        return logicalNot;
    case Opcode::kEqual:
        return equalityKernel<true>(types[1], types[2]);
    case Opcode::kNotEqual:
        return equalityKernel<false>(types[1], types[2]);
    case Opcode::kTriple:
        return makeTriple;
    case Opcode::kMatrix:
        return makeMatrix;
    case Opcode::kLoadElement:
        return types.isString(1) ? loadStringElement : loadFloatElement;
    case Opcode::kStoreElement:
        return types.isString(0) ? storeStringElement : storeFloatElement;
    case Opcode::kFromSpace:
        return fromSpaceKernel(types[0].basic);
    default:
        problem = "is not an instruction that computes a value";
        return nullptr;
    }
}

} // namespace quelmark
