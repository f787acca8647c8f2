#include "renderer/state/RequestFrame.h"

#include "common/Error.h"

namespace quelmark {

namespace {

// A list without its zero token would be read without end.
constexpr long kMaxPairs = 65536;

} // namespace

RequestName::RequestName(const char* name) : fOuter(setErrorFuncName(name)) {}

RequestName::~RequestName() {
    setErrorFuncName(fOuter);
}

VaParms::VaParms(va_list args) {
    va_list counting;
    va_copy(counting, args);
    long count = 0;
    while (count < kMaxPairs) {
        unsigned token = va_arg(counting, unsigned);
        if ((token & 0xFFFF) == 0) break;
        (void)va_arg(counting, void*);
        ++count;
    }
    va_end(counting);
    if (count <= 0) return;
    fCount = count;
    fTokens = std::make_unique<unsigned short[]>(count);
    fValues = std::make_unique<void*[]>(count);
    for (long i = 0; i < count; ++i) {
        fTokens[i] = static_cast<unsigned short>(va_arg(args, unsigned) & 0xFFFF);
        fValues[i] = va_arg(args, void*);
    }
}

} // namespace quelmark
