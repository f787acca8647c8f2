// libFuzzer target: lumivar's reading loop over any bytes as a QEL or RIB
// scene file. Every input must end with messages, never a crash or a hang.
#include "ReadingLoops.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    renderLoop(std::string(reinterpret_cast<const char*>(data), size), unsigned(size));
    return 0;
}
