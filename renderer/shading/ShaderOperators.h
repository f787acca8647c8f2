// The kernels of the instructions that compute a value from others (move
// to fromspace), each chosen by the types of its operands: an add of a
// float and a colour has a kernel of its own.
//
// Division by zero gives 0 (a matrix divided by a singular one is left
// undivided, and reported). An array index is truncated to a whole number;
// one outside the array is clamped to its nearest end and reported.
#ifndef QEL_SHADING_SHADEROPERATORS_H
#define QEL_SHADING_SHADEROPERATORS_H

#include "renderer/shading/ShaderKernel.h"
#include "shadercode/ShaderCode.h"

#include <string>

namespace quelmark {

// The kernel of the instruction (its opcode from move to fromspace); null,
// with the problem, for operand types no kernel takes.
Kernel chooseOperatorKernel(const sl::ShaderCode& code, const sl::Instruction& instruction,
                            std::string& problem);

} // namespace quelmark

#endif
