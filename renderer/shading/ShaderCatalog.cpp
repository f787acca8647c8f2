#include "renderer/shading/ShaderCatalog.h"

#include "common/SearchPath.h"
#include "shadercode/ShaderFile.h"
#include "shadercode/ShaderSearch.h"

#include <utility>

namespace quelmark {

namespace {

// "a surface shader", "an imager shader".
std::string kindPhrase(sl::ShaderKind kind) {
    const std::string_view word = sl::describe(kind);
    const bool vowel =
        !word.empty() && std::string_view("aeiou").find(word.front()) != std::string_view::npos;
    return std::string(vowel ? "an " : "a ") + std::string(word) + " shader";
}

std::string placesText(const std::vector<std::string>& places) {
    std::string text;
    for (const std::string& place : places)
        text += (text.empty() ? "" : std::string(1, kPlaceSeparator)) + place;
    return text;
}

} // namespace

void ShaderCatalog::setSearchPath(std::vector<std::string> places) {
    fPlaces = std::move(places);
}

std::shared_ptr<const ShaderProgram> ShaderCatalog::find(std::string_view name, sl::ShaderKind kind,
                                                         std::string& error) {
    const std::string file = std::string(name) + std::string(sl::kShaderFileExtension);
    const std::string path = sl::findShaderFile(name, fPlaces);
    if (path.empty()) {
        error = "no compiled shader " + file + " in the shader search path \"" +
                placesText(fPlaces) + "\"";
        return nullptr;
    }
    std::shared_ptr<const ShaderProgram> program = load(path, error);
    if (program && program->code().kind != kind) {
        error = file + " is " + kindPhrase(program->code().kind) + ", not " + kindPhrase(kind) +
                " (" + path + ")";
        return nullptr;
    }
    return program;
}

std::shared_ptr<const ShaderProgram> ShaderCatalog::load(const std::string& path,
                                                         std::string& error) {
    const auto found = fLoaded.find(path);
    if (found != fLoaded.end()) {
        error = found->second.error;
        return found->second.program;
    }
    Loaded loaded;
    std::optional<sl::ShaderCode> code = sl::readShaderFile(path, loaded.error);
    if (code) {
        std::optional<ShaderProgram> program =
            ShaderProgram::prepare(std::move(*code), loaded.error);
        if (program) loaded.program = std::make_shared<const ShaderProgram>(std::move(*program));
    }
    error = loaded.error;
    std::shared_ptr<const ShaderProgram> program = loaded.program;
    fLoaded.emplace(path, std::move(loaded));
    return program;
}

} // namespace quelmark
