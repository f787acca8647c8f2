#include "shadinglang/Compiler.h"

#include "shadercode/ShaderFile.h"
#include "shadinglang/Checker.h"
#include "shadinglang/CodeGen.h"
#include "shadinglang/Parser.h"
#include "shadinglang/Preprocessor.h"
#include "shadinglang/SourceFile.h"

#include <memory>
#include <optional>

#include <sys/stat.h>

namespace quelmark::sl {

namespace {

// The generated code as the renderer will read it: a shader that the
// reader would refuse is the compiler's fault, reported as such.
void verify(const ShaderCode& shader, const SourceLocation& where, Diagnostics& diagnostics) {
    std::string error;
    if (readShader(writeShader(shader), error)) return;
    diagnostics.error(where, "internal error: the code generated for " + shader.name +
                                 " is not valid: " + error);
}

void compileInto(CompileResult& result, std::string_view text, const std::string& name,
                 const CompileOptions& options) {
    Diagnostics& diagnostics = result.diagnostics;
    const SourceLocation wholeFile{std::make_shared<const std::string>(name), 0, 0};
    const PreprocessOptions preprocessing{.includeFolders = options.includeFolders,
                                          .defines = options.defines};
    try {
        SourceFile file =
            parse(preprocessText(text, name, preprocessing, diagnostics), diagnostics);
        check(file, diagnostics);
        if (diagnostics.errors() > 0) return;
        if (file.shaders.empty()) diagnostics.warning(wholeFile, "the file defines no shader");
        std::vector<ShaderCode> shaders = generate(file, diagnostics);
        for (const ShaderCode& shader : shaders)
            verify(shader, wholeFile, diagnostics);
        if (diagnostics.errors() == 0) result.shaders = std::move(shaders);
    } catch (const TooManyErrors&) {
        result.tooManyErrors = true;
    }
}

} // namespace

CompileResult compileFile(const std::string& path, const CompileOptions& options) {
    CompileResult result;
    std::string reason;
    const std::optional<std::string> text = readSourceText(path, reason);
    if (!text) {
        result.unreadable = path + ": " + reason;
        return result;
    }
    compileInto(result, *text, path, options);
    return result;
}

CompileResult compileText(std::string_view text, const std::string& name,
                          const CompileOptions& options) {
    CompileResult result;
    compileInto(result, text, name, options);
    return result;
}

ShaderOutput ShaderOutput::named(const std::string& path) {
    struct stat info;
    const bool folder = path.empty() || path.ends_with('/') ||
                        (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode));
    return {.path = path, .isFolder = folder};
}

std::string ShaderOutput::pathFor(const ShaderCode& shader) const {
    if (!isFolder) return path;
    const std::string file = shader.name + std::string(kShaderFileExtension);
    if (path.empty()) return file;
    return path.ends_with('/') ? path + file : path + '/' + file;
}

bool writeShaders(const std::vector<ShaderCode>& shaders, const ShaderOutput& output,
                  std::string& error) {
    if (!output.isFolder && shaders.size() > 1) {
        error = output.path + ": one file cannot hold " + std::to_string(shaders.size()) +
                " shaders; name a folder to write each into";
        return false;
    }
    for (const ShaderCode& shader : shaders)
        if (!writeShaderFile(shader, output.pathFor(shader), error)) return false;
    return true;
}

} // namespace quelmark::sl
