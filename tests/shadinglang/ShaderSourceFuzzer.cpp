// libFuzzer target: any bytes as shader source, preprocessed, parsed,
// checked and compiled, and the code written out and read back.
// Every input must end with diagnostics or compiled shaders, never a crash,
// a hang or memory without bound; what the compiler writes reads back.
#include "shadercode/ShaderFile.h"
#include "shadinglang/Checker.h"
#include "shadinglang/CodeGen.h"
#include "shadinglang/Parser.h"
#include "shadinglang/Preprocessor.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    quelmark::sl::Diagnostics diagnostics;
    try {
        const std::string_view source(reinterpret_cast<const char*>(data), size);
        // Includes stay inside a folder that holds no shaders.
        quelmark::sl::SourceFile file = quelmark::sl::parse(
            quelmark::sl::preprocessText(source, "/nonexistent/fuzz.sl", {}, diagnostics),
            diagnostics);
        quelmark::sl::check(file, diagnostics);
        for (const quelmark::sl::ShaderCode& shader : quelmark::sl::generate(file, diagnostics)) {
            std::string error;
            if (!quelmark::sl::readShader(quelmark::sl::writeShader(shader), error)) __builtin_trap();
        }
    } catch (const quelmark::sl::TooManyErrors&) {
    }
    return 0;
}
