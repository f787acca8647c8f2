#include "sceneread/rib/RiCompiledShaders.h"

#include "shadercode/ShaderFile.h"

#include <filesystem>
#include <system_error>

namespace quelmark {

namespace {

constexpr std::string_view kCompiledShaderExtension = ".qso";

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

bool isRegularFile(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::is_regular_file(path, ignored);
}

} // namespace

const RiDeclarations* RiCompiledShaders::parameters(std::string_view name,
                                                    std::string_view places) {
    if (name.empty() || name.find('/') != std::string_view::npos) return nullptr;
    const std::string file = std::string(name) + std::string(kCompiledShaderExtension);
    for (std::size_t start = 0; start <= places.size();) {
        const std::size_t end = std::min(places.find(':', start), places.size());
        const std::string_view place = places.substr(start, end - start);
        start = end + 1;
        if (place.empty() || place == "&") continue;
        const std::string path = place == "." ? file : std::string(place) + "/" + file;
        if (const auto found = fRead.find(path); found != fRead.end()) return found->second.get();
        if (!isRegularFile(path)) continue;
        return fRead.emplace(path, read(path)).first->second.get();
    }
    return nullptr;
}

} // namespace quelmark
