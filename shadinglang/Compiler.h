// The compiler's driver: a source file through the preprocessor, the parser,
// the checker and the code generator, then its shaders into their files,
// each <shader name>.qso in the output folder.
#ifndef QEL_SHADINGLANG_COMPILER_H
#define QEL_SHADINGLANG_COMPILER_H

#include "shadercode/ShaderCode.h"
#include "shadercode/ShaderSearch.h"
#include "shadinglang/Diagnostics.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quelmark::sl {

struct CompileOptions {
    // Where #include looks, in order, after the including file's folder.
    std::vector<std::string> includeFolders;
    // Macros as -D gives them: the name (which may carry parameters) and
    // the replacement; an empty replacement defines the macro as 1.
    std::vector<std::pair<std::string, std::string>> defines;
};

struct CompileResult {
    // Why the source file could not be read, naming it ("plastic.sl: No
    // such file or directory"); empty when it was read.
    std::string unreadable;
    Diagnostics diagnostics;
    // The compilation stopped at the error past Diagnostics::kMostErrors.
    bool tooManyErrors = false;
    // The file's shaders in the order defined; none when there is an error.
    std::vector<ShaderCode> shaders;

    bool succeeded() const { return unreadable.empty() && diagnostics.errors() == 0; }
};

CompileResult compileFile(const std::string& path, const CompileOptions& options);
// The same for source in memory; name stands for its path, in messages and
// for the folder of its includes.
CompileResult compileText(std::string_view text, const std::string& name,
                          const CompileOptions& options);

// Where compiled shaders are written: a folder, each shader as <name>.qso
// in it, or one file for a single shader.
struct ShaderOutput {
    std::string path; // empty for the current folder
    bool isFolder = true;

    // The place a path names: a folder when it is one or ends in '/', else
    // a file; the current folder when the path is empty.
    static ShaderOutput named(const std::string& path);
    std::string pathFor(const ShaderCode& shader) const;
};

// Writes each shader where the output puts it, replacing what was there;
// a file takes one shader only. At the first failure, false with the error
// naming the file and the reason.
bool writeShaders(const std::vector<ShaderCode>& shaders, const ShaderOutput& output,
                  std::string& error);

} // namespace quelmark::sl

#endif
