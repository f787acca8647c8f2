#include "shadercode/ShaderSearch.h"

#include <filesystem>
#include <system_error>

namespace quelmark::sl {

namespace {

bool isPlainName(std::string_view name) {
    return !name.empty() && name.find('/') == std::string_view::npos && name != "." && name != "..";
}

bool isRegularFile(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::is_regular_file(path, ignored);
}

} // namespace

std::string findShaderFile(std::string_view name, const std::vector<std::string>& folders) {
    if (!isPlainName(name)) return {};
    const std::string file = std::string(name) + std::string(kShaderFileExtension);
    for (const std::string& folder : folders) {
        if (folder == "&") continue;
        const std::string path = folder == "." ? file : folder + "/" + file;
        if (isRegularFile(path)) return path;
    }
    return {};
}

} // namespace quelmark::sl
