#include "shadercode/ShaderSearch.h"

#include <dlfcn.h>

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

std::string shippedShaderFolder() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<const void*>(&shippedShaderFolder), &info) || !info.dli_fname)
        return {};
    std::error_code failed;
    const std::filesystem::path binary = std::filesystem::canonical(info.dli_fname, failed);
    if (failed) return {};
    const std::filesystem::path folder = binary.parent_path().parent_path() / "shaders";
    return std::filesystem::is_directory(folder, failed) ? folder.string() : std::string();
}

} // namespace

const std::string& defaultShaderPlaces() {
    static const std::string places = [] {
        const std::string shipped = shippedShaderFolder();
        return shipped.empty() ? std::string(".") : ".:" + shipped;
    }();
    return places;
}

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
