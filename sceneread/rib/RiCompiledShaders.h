// The parameters of compiled shaders, as declarations: a shader request may
// name a compiled shader's parameters without declaring them, as RenderMan
// renderers read their types from the shader. The shader is NAME.qso in the
// places of the shader search path.
#ifndef QEL_SCENEREAD_RIB_RICOMPILEDSHADERS_H
#define QEL_SCENEREAD_RIB_RICOMPILEDSHADERS_H

#include "sceneread/rib/RiDeclarations.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace quelmark {

class RiCompiledShaders {
public:
    // The declarations of the parameters of the shader found first in the
    // places (separated by ':'); null when no place holds a shader of that
    // name that can be read.
    const RiDeclarations* parameters(std::string_view name, std::string_view places);
    void clear() { fRead.clear(); }

private:
    // By path; null for a file that could not be read.
    std::map<std::string, std::unique_ptr<RiDeclarations>, std::less<>> fRead;
};

} // namespace quelmark

#endif
