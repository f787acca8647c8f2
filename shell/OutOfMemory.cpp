#include "shell/OutOfMemory.h"

#include "api/qel.h"
#include "shell/FatalExit.h"

#include <atomic>
#include <new>
#include <unistd.h>

namespace quelmark {

namespace {

std::atomic<bool> gExhausted{false};

// Another thread that runs out while the first reports waits to be ended.
[[noreturn]] void waitForTheEnd() {
    for (;;)
        ::pause();
}

void programOutOfMemory() {
    if (gExhausted.exchange(true)) waitForTheEnd();
    fatal::exitNow("free store exhausted", outofmemory::kExitStatus);
}

// The library has printed the report (with a reserve of memory given back
// for it); a severe report is the end of the program.
void severeReport(long code, long severity, const char* message) {
    qelErrorPrint(code, severity, message);
    fatal::exitQuietly(outofmemory::kExitStatus);
}

} // namespace

namespace outofmemory {

void install() {
    std::set_new_handler(programOutOfMemory);
    qelCustomErrorHandler(QEL_SEVERITY_SEVERE, severeReport);
}

} // namespace outofmemory

} // namespace quelmark
