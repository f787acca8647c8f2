// The values a request gives a compiled shader's parameters, checked against
// their types and moved into camera space: a point, vector or normal is
// given in the shader's space (the current space of the request). What does
// not fit a parameter is left out with a warning, and the default holds.
#ifndef QEL_SHADING_COMPILEDSHADERVALUES_H
#define QEL_SHADING_COMPILEDSHADERVALUES_H

#include "renderer/shading/ShaderEnvironment.h"
#include "shadercode/ShaderCode.h"

#include <string>
#include <string_view>
#include <vector>

namespace quelmark {

class ArgList;
class Matrix;

class CompiledShaderValues {
public:
    CompiledShaderValues() = default;
    // Each of the request's values for a parameter of the code; warnings
    // for the others, naming the request ("Surface \"wood\"").
    CompiledShaderValues(const sl::ShaderCode& code, const ArgList& args,
                         const Matrix& shaderToCamera, std::string_view request,
                         std::vector<std::string>& warnings);

    // The request's value; nothing given when it gave none.
    ShaderParameterValue parameter(std::string_view name) const;

private:
    struct Given {
        std::string name;
        std::vector<float> floats;
        std::vector<std::string> strings;
    };
    std::vector<Given> fGiven;
};

} // namespace quelmark

#endif
