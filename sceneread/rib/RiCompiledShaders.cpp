#include "sceneread/rib/RiCompiledShaders.h"

#include "common/SearchPath.h"
#include "shadercode/ShaderFile.h"
#include "shadercode/ShaderSearch.h"

namespace quelmark {

namespace {

// "uniform float", "varying color[3]"...
std::string declarationOf(const sl::Type& type) {
    std::string text = type.detail == sl::Detail::kVarying ? "varying " : "uniform ";
    text += sl::describe(type.basic);
    if (type.isArray()) text += "[" + std::to_string(type.arrayLength) + "]";
    return text;
}

std::unique_ptr<RiDeclarations> read(const std::string& path) {
    std::string error;
    const std::optional<sl::ShaderCode> code = sl::readShaderFile(path, error);
    if (!code) return nullptr;
    auto declarations = std::make_unique<RiDeclarations>();
    for (const std::int32_t index : code->parameters()) {
        const sl::Register& parameter = code->registers[std::size_t(index)];
        declarations->declare(parameter.name, declarationOf(parameter.type));
    }
    return declarations;
}

} // namespace

const RiDeclarations* RiCompiledShaders::parameters(std::string_view name,
                                                    std::string_view places) {
    // The renderer's own places, "&" in the binding's path, are its default.
    const std::string path = sl::findShaderFile(
        name, searchPlaces(expandedSearchPath(places, sl::defaultShaderPlaces(), "")));
    if (path.empty()) return nullptr;
    auto found = fRead.find(path);
    if (found == fRead.end()) found = fRead.emplace(path, read(path)).first;
    return found->second.get();
}

} // namespace quelmark
