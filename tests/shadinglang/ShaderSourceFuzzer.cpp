// libFuzzer target: any bytes as shader source, preprocessed, parsed and
// checked.
// Every input must end with diagnostics or a syntax tree, never a crash,
// a hang or memory without bound.
#include "shadinglang/Checker.h"
#include "shadinglang/Parser.h"
#include "shadinglang/Preprocessor.h"

#include <cstddef>
#include <cstdint>
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
    } catch (const quelmark::sl::TooManyErrors&) {
    }
    return 0;
}
