// libFuzzer target: any bytes as a RIB file, ASCII or binary, read against
// the recording stand-in. Every input must end with messages, never a crash
// or a hang.
#include "../QelRecorder.h"
#include "../rib/RibGuardedRead.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    recorder::reset();
    readRibGuarded(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
