// libFuzzer target: any bytes as a compiled shader's text. Every input must
// be read or refused, never crash, hang or take memory without bound; and a
// shader that is read must write a text that reads back to the same text.
#include "shadercode/ShaderFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const auto shader = quelmark::sl::readShader(text, error);
    if (!shader) return 0;
    const std::string written = quelmark::sl::writeShader(*shader);
    const auto again = quelmark::sl::readShader(written, error);
    if (!again || quelmark::sl::writeShader(*again) != written) __builtin_trap();
    return 0;
}
