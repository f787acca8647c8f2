// The checker of a parsed source file: it resolves every name, gives every
// expression its type and its detail (uniform or varying), and reports
// what the language forbids, each error with its place; it goes on after
// an error, so that one run finds several: those of names and types first,
// then those of details. What it settles is written into the syntax tree
// for the code generator (see the fields "set by the checker" in Ast.h).
//
// The rules it chooses where the language leaves a choice:
//  - Names. A shader sees its kind's predefined variables; the light-loop
//    ones (L, Cl, Ol) only inside illuminance in surface and volume
//    shaders (a volume's are a surface's), inside illuminate and solar in
//    light shaders. A function sees
//    only its parameters and locals: an extern declaration reaches a
//    variable of the shader or function it is nested in, or a predefined
//    variable. Locals may shadow outer names; a block's own names, and a
//    body's with its parameters, may not repeat. A function is visible
//    after its definition (a shader sees every function of the file); a
//    call that would reach a function from inside its own definition is
//    reported as recursion.
//  - A function outside every shader is checked once; what depends on the
//    kind of shader calling it (illuminance, illuminate, light-gathering
//    calls, the predefined variables its extern declarations reach and
//    whether it writes them) is checked at each call, and so is what
//    depends on being inside a light loop.
//  - Types. Numbers are floats. A comparison, &&, || and ! give a float, 0
//    or 1, and conditions take floats. A triple (x, y, z) takes the type
//    its use asks for: the variable it is assigned to, a cast, the
//    parameter it is passed as, the other operand of an operator, the
//    function's result; a point when nothing asks. Calls whose result type
//    comes from their use (noise, texture..., and user functions that
//    differ only in their result) take it from an assignment, a cast, a
//    parameter, a return or a choice of ?:, not through an operator; the
//    first (float) otherwise. Point minus point is a vector; point with
//    vector or normal is a point; vector with normal is a vector. A float
//    meeting a triple or matrix is promoted. Colours never mix with
//    points, vectors or normals, but an explicit cast converts between any
//    two triples. Matrices multiply and divide (by a float or a matrix).
//    Assignment promotes a float and converts among point, vector and
//    normal; arrays are assigned whole only between equal lengths, and a
//    local array written without its length takes its value's.
//  - Calls. User functions are tried before the standard library: the
//    lowest total conversion cost wins (exact 0, float promotion 1, point,
//    vector or normal exchanged 2); a tie between user functions is an
//    error, a tie in the standard library takes the first in its table.
//  - Loops. break and continue count only the while and for loops of the
//    same light loop and function. A shader's return takes no value and
//    ends the shader.
//  - Detail. Shader parameters are uniform unless declared varying,
//    locals varying unless declared uniform. A function parameter written
//    without a detail takes its argument's: the checker goes through the
//    function's body again for each set of argument details it is called
//    with (as the code generator inlines it), and reports what is wrong
//    only for that call with the call's line. A uniform variable may not
//    be given a varying value, nor be assigned where a varying condition
//    decides whether it is (an if, loop, light loop, ?:, && or || on a
//    varying value, or after a varying break, continue or return), unless
//    it was declared inside that region. random() and the shading calls
//    (ambient, diffuse, specular, phong, trace) are varying, as is a map
//    lookup without coordinates; the question and message calls may write
//    any detail.
#ifndef QEL_SHADINGLANG_CHECKER_H
#define QEL_SHADINGLANG_CHECKER_H

#include "shadinglang/Ast.h"
#include "shadinglang/Diagnostics.h"

namespace quelmark::sl {

// Checks every shader and function of the file and annotates its tree.
// Diagnostics' TooManyErrors passes through.
void check(SourceFile& file, Diagnostics& diagnostics);

// The function calls one instantiation of a function may lead through
// before the checker gives up on that chain, with an error.
constexpr int kDeepestCalls = 64;
// The instantiations of functions (one per different set of argument
// details) a file may need before the checker gives up, with an error.
constexpr int kMostInstantiations = 10000;
// How deep the checker goes into the tree: expressions inside one another
// and, when details are checked, statements too. The parser bounds a tree's
// depth below it already; this keeps the checker's stack within a few MiB,
// even in builds with sanitizers, for trees made otherwise.
constexpr int kDeepestTree = 4000;

} // namespace quelmark::sl

#endif
