// The code generator: each shader of a checked source file as the code the
// renderer runs (shadercode/ShaderCode.h), with every instruction carrying
// the source line it came from. Functions are not compiled on their own:
// each call inlines its function.
//
// How the language maps onto the code:
//  - Registers. A shader's parameters come first, in the order declared,
//    with their defaults as values; then, as the code needs them, the
//    predefined variables it uses, its variables and intermediate values,
//    and the constants, each value once. A statement's intermediate values
//    are dead after it: the statements after it use their registers again.
//    PI is the constant 3.14159265358979.
//  - Parameter defaults are evaluated here: numbers, strings and PI,
//    negation, triples, matrices and arrays of them, arithmetic of floats
//    and triples, casts without a space (or to "current", or a colour in
//    "rgb"), and the calls radians, degrees, sin, cos, tan, asin, acos,
//    atan, pow, exp, sqrt, log, abs, floor, ceil, min, max and clamp of
//    floats. Any other default (one given in a space, one that reads
//    another parameter) is code at the start of the shader, in a default
//    block that runs only where the scene leaves the parameter unset.
//    Constant expressions in the code are folded the same way.
//  - Conversions. A value passed to the standard library is moved into a
//    register of the type the overload takes when its own type differs (a
//    float made a colour, a point taken as a vector), so that the code
//    names each call's types exactly.
//  - ?: is an if and else that write one register. && and || evaluate
//    their right operand only where the left does not decide, inside an
//    if, unless it is plain arithmetic on variables and constants.
//  - Loops. while (c) s is `loop, c, looptest, s, endloop`; for (i; c; n) s
//    is `i, loop, c, looptest, s, n, endloop`. When s continues a for loop
//    that has a step, s is wrapped in an inner loop that runs once
//    (`loop, s, break 1, endloop`), and that continue leaves it with a
//    break, so the step runs after it. break and continue count the inner
//    loops they cross.
//  - Functions are inlined at each call. A parameter that the function does
//    not write, and that nothing the call writes can change, is the
//    argument's register; otherwise a copy. An output parameter is the
//    variable passed (an element of an array is loaded before the body and
//    stored after it). A return that is not the last thing the body does
//    moves its value into the call's result and leaves the body with a
//    break out of an inner loop that wraps the body and runs once, so that
//    points returning at different times keep their masks. A return inside
//    a light loop of a function is an error, as no break may leave a light
//    loop. A shader's return is the return instruction.
//  - A map's [channel] (texture, environment, shadow, bump) is passed as
//    an extra float argument right after the map's name.
//  - illuminance's ("name", value) pairs have no place in the code: a
//    warning says they are ignored. gather is an error: the renderer does
//    not run it.
#ifndef QEL_SHADINGLANG_CODEGEN_H
#define QEL_SHADINGLANG_CODEGEN_H

#include "shadercode/ShaderCode.h"
#include "shadinglang/Ast.h"
#include "shadinglang/Diagnostics.h"

#include <cstddef>
#include <vector>

namespace quelmark::sl {

// The code of every shader of the file, in the order defined. The file
// must have passed the checker without an error; given diagnostics that
// hold errors already, it generates nothing. A shader in which an error is
// found is left out, and generation goes on with the next; Diagnostics'
// TooManyErrors passes through.
std::vector<ShaderCode> generate(const SourceFile& checked, Diagnostics& diagnostics);

// A shader whose inlined code would be longer is an error, not a file that
// takes the memory of a hundred such shaders to build and run.
inline constexpr std::size_t kMostGeneratedInstructions = 1'000'000;

} // namespace quelmark::sl

#endif
