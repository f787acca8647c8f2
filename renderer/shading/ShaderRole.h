// The parts compiled shaders play on a grid, in the order they run there.
#ifndef QEL_SHADING_SHADERROLE_H
#define QEL_SHADING_SHADERROLE_H

#include <cstddef>

namespace quelmark {

enum class ShaderRole {
    kDisplacement, // moves the points and their normals
    kSurface,      // colours them
    kAtmosphere,   // changes that colour on its way to the eye
};

inline constexpr std::size_t kShaderRoles = 3;

} // namespace quelmark

#endif
