// libFuzzer target: any bytes as a scene file, read against the recording
// stand-in. Every input must end with messages, never a crash or a hang.
#include "../QelRecorder.h"
#include "sceneread/rendqel.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

namespace {
void quiet(const char*) {}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    // The abort handler ends the program on purpose.
    if (text.find("abort") != std::string::npos) return 0;
    recorder::reset();
    std::istringstream in(text);
    String frame;
    rendqel reader(in, "fuzz.qel", frame);
    reader.errorPrinter(quiet);
    reader.parse();
    return 0;
}
