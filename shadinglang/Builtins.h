// The standard library of the shading language: every function a shader
// may call without defining it, with each of its overloads. The type
// checker resolves a call against builtinOverloads(name); the code
// generator names the operation by its BuiltinOp.
#ifndef QEL_SHADINGLANG_BUILTINS_H
#define QEL_SHADINGLANG_BUILTINS_H

#include "shadercode/BuiltinOp.h"
#include "shadercode/Types.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace quelmark::sl {

// What a call may pass after the listed parameters.
enum class ExtraArguments : std::uint8_t {
    kNone,
    kMoreOfLast,    // any number more of the last parameter's type: min, max, concat, spline
    kAnyValues,     // any number of values of any type: printf, format
    kParameterList, // "name", value pairs, each name a string: the texture family, filterstep
};

// Where in a shader a call is valid.
enum class BuiltinScope : std::uint8_t {
    kAnywhere,
    // Gathers the light falling on the point, as an illuminance loop does:
    // valid only where an illuminance loop would be.
    kGathersLight,
    // Reads the light of the current iteration: only inside illuminance.
    kInsideIlluminance,
};

struct BuiltinParameter {
    BasicType type = BasicType::kFloat;
    bool array = false;   // an array of type, of any length
    bool output = false;  // the call writes it: the argument must be assignable
    bool anyType = false; // a value of any type, array or not; type is then unused
};

struct BuiltinFunction {
    std::string_view name;
    BuiltinOp op = BuiltinOp::kRadians;
    BasicType result = BasicType::kVoid;
    std::vector<BuiltinParameter> parameters;
    ExtraArguments extra = ExtraArguments::kNone;
    // The use of the call picks its result type (a cast before it, or the
    // type it is assigned to): noise, random, texture... Each result is an
    // overload of its own, the float one first: the one to take when the
    // use asks for none.
    bool resultFromContext = false;
    // Reads neighbouring points of the grid: a derivative, or filtering
    // over the area of the shaded element.
    bool needsNeighbours = false;
    // The first argument, a map's name, may carry a [channel] selector.
    bool takesChannel = false;
    BuiltinScope scope = BuiltinScope::kAnywhere;

    // Whether a call with argumentCount arguments fits the parameters and
    // the extra arguments (counting only; the types are the caller's).
    bool acceptsArgumentCount(std::size_t argumentCount) const;
    // Whether its value differs from point to point whatever its arguments:
    // random(), the shading calls, and the map lookups that read s and t.
    bool alwaysVarying() const;
};

// Every overload of the name, in a fixed order; empty when there is none.
std::span<const BuiltinFunction> builtinOverloads(std::string_view name);
bool isBuiltin(std::string_view name);

} // namespace quelmark::sl

#endif
