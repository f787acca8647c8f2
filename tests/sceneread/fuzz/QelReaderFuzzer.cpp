// libFuzzer target: any bytes as a QEL scene file, read against the
// recording stand-in, fed whole, in pieces, from a file or gzip-compressed
// in a file. Every input must end with messages, never a crash or a hang.
#include "../QelRecorder.h"
#include "FuzzFeeds.h"
#include "GuardedRead.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    recorder::reset();
    FedInput input(std::string(reinterpret_cast<const char*>(data), size), feedFor(size));
    readQelGuarded(input.stream());
    return 0;
}
