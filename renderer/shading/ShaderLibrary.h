// The kernels of the standard library's calls, each chosen by the called
// operation and the types of the result and arguments.
//
// The executor runs the mathematical, noise, geometric, colour, matrix and
// string functions, the derivatives and splines, the shading and lighting
// functions (ambient, diffuse, specular, phong, specularbrdf) with the
// environment's lights, and the messages between shaders and questions to
// the renderer (atmosphere, displacement, lightsource, surface, incident,
// opposite, attribute, option, rendererinfo), which the environment
// answers. It refuses, at preparation, the texture family (texture,
// environment, shadow, bump, textureinfo) and shadername with an argument.
//
// Results a function cannot give (a NaN, as of sqrt(-1)) are 0; an infinite
// one is the largest float of its sign.
//
// Derivatives (Du, Dv, Deriv, area, calculatenormal, filterstep over the
// element) take differences between neighbouring vertices of the grid:
// forward at the first vertex of a row or column, backward at the last,
// central between, none (0) across a grid one vertex wide. They read the
// neighbours whether those run the instruction or not.
#ifndef QEL_SHADING_SHADERLIBRARY_H
#define QEL_SHADING_SHADERLIBRARY_H

#include "renderer/shading/ShaderKernel.h"
#include "shadercode/ShaderCode.h"

#include <string>

namespace quelmark {

// The kernel of a call; null, with the problem, for a function the executor
// does not run or arguments it does not take.
Kernel chooseLibraryKernel(const sl::ShaderCode& code, const sl::Instruction& call,
                           std::string& problem);

} // namespace quelmark

#endif
