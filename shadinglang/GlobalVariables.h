// The variables every shader finds defined: the state of the point being
// shaded, which the renderer sets before the shader runs, and the results
// the shader hands back. Which exist, their types and which the shader may
// write depend on the shader's kind.
#ifndef QEL_SHADINGLANG_GLOBALVARIABLES_H
#define QEL_SHADINGLANG_GLOBALVARIABLES_H

#include "shadercode/Types.h"

#include <span>
#include <string_view>

namespace quelmark::sl {

struct GlobalVariable {
    std::string_view name;
    Type type;
    bool writable = false;
    // Defined only inside a light loop: illuminance in a surface shader,
    // illuminate or solar in a light shader.
    bool onlyInLightLoop = false;
};

// The kind's variables, inputs first, then its results.
std::span<const GlobalVariable> globalVariables(ShaderKind kind);
// Null when the kind has no variable of that name.
const GlobalVariable* findGlobal(ShaderKind kind, std::string_view name);

} // namespace quelmark::sl

#endif
