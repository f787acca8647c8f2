// A compiled shader: its kind, name and parameters, the registers its code
// works on and the code itself, as the compiler writes it and the renderer
// runs it over a whole grid at once.
//
// Every register holds one value of its type (a float, three floats, a
// matrix's sixteen or a string), or an array of them; a uniform register
// holds it once for the grid, a varying one once for each point. Functions
// are inlined by the compiler, so the code is one sequence of instructions.
// Control flow is structured: each instruction that opens a block (If,
// Loop, the light loops) is closed by its own End, which the executor uses
// to keep a mask of the points still running.
#ifndef QEL_SHADERCODE_SHADERCODE_H
#define QEL_SHADERCODE_SHADERCODE_H

#include "shadercode/BuiltinOp.h"
#include "shadercode/Types.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quelmark::sl {

// What a register is to the shader.
enum class Storage : std::uint8_t {
    kParameter,       // set by the scene, else its default
    kOutputParameter, // a parameter the shader also hands back
    kGlobal,          // a predefined variable, found by its name
    kLocal,           // a variable or an intermediate value of the code
    kConstant,        // a value fixed by the compiler
};

struct Register {
    Storage storage = Storage::kLocal;
    Type type;
    std::string name; // parameters' and globals'; locals' for messages only
    // A constant's value, or a parameter's default: floats for the numeric
    // types, strings for a string; arrays hold their elements one after the
    // other.
    std::vector<float> floats;
    std::vector<std::string> strings;
};

enum class Opcode : std::uint8_t {
    // Values. The operands' register types pick the arithmetic: a float
    // operand is widened to a triple or a matrix as the other needs.
    kMove,      // a = b, converting a float to a triple or a matrix
    kNegate,    // a = -b
    kAdd,       // a = b + c
    kSubtract,  // a = b - c
    kMultiply,  // a = b * c
    kDivide,    // a = b / c
    kDot,       // a = b . c
    kCross,     // a = b ^ c
    kLess,      // a = b < c, 1 or 0
    kLessEqual,
    kGreater,
    kGreaterEqual,
    kEqual,
    kNotEqual,
    kAnd,       // a = b && c
    kOr,        // a = b || c
    kNot,       // a = !b
    kTriple,    // a = (b, c, d)
    kMatrix,    // a = the sixteen operands after it
    kLoadElement,  // a = b[c]
    kStoreElement, // a[b] = c
    // A value of a type with a space: a = the point (vector, normal, colour,
    // matrix) b given in the space named by c, moved to the current space.
    kFromSpace,
    // The standard library: a = builtin(operands after a); a is none (-1)
    // for those that return nothing.
    kCall,

    // Blocks; each opened block ends at its End.
    kIf,         // the points where a is not 0 run on; Else and EndIf follow
    kElse,       // the points of the If that did not run now run
    kEndIf,
    kLoop,       // the block repeats while any point runs
    kLoopTest,   // the points where a is 0 stop for the rest of the loop
    kBreak,      // the running points leave a (1 or more) loops
    kContinue,   // the running points go on with the next round of a loops
    kEndLoop,    // back to the loop's start while any point runs
    // illuminance(category, position, [axis, angle]): its body runs once for
    // each light, at the points the light reaches. Operands: the category
    // (a string register, or -1), the position, the axis and the angle (-1
    // when not given).
    kIlluminance,
    // illuminate(position, [axis, angle]) and solar([axis, angle]) in a
    // light: the body runs where the light reaches, with L set.
    kIlluminate,
    kSolar,
    kEndLightLoop,
    kReturn, // the running points are done with the shader
    // The code of parameter a's default, for a default the compiler could
    // not work out: it runs only when the scene leaves the parameter unset.
    // Default blocks come before the rest of the code, outside any block.
    kDefault,
    kEndDefault,
};

struct Instruction {
    Opcode op = Opcode::kMove;
    BuiltinOp builtin = BuiltinOp::kRadians; // for kCall
    // Register numbers, -1 where an operand is not given; the layout per
    // opcode is as written above.
    std::vector<std::int32_t> operands;
    // Where the instruction came from, for messages at run time.
    std::int32_t line = 0;
};

struct ShaderCode {
    ShaderKind kind = ShaderKind::kSurface;
    std::string name;
    std::string sourceFile;
    std::vector<Register> registers;
    std::vector<Instruction> code;

    // The parameters in the order the source declares them.
    std::vector<std::int32_t> parameters() const;
};

} // namespace quelmark::sl

#endif
