// libFuzzer target: tessaran's reading loop over any bytes as a RIB file.
// Every input must end with messages, never a crash or a hang.
#include "ReadingLoops.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    convertLoop(std::string(reinterpret_cast<const char*>(data), size), unsigned(size));
    return 0;
}
