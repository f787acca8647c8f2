#include "shell/FatalExit.h"

#include "common/AtomicFile.h"

#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace quelmark {

namespace {

const char* gProgram = "";
char gUnfinished[PATH_MAX];
std::atomic<bool> gHasUnfinished{false};

void writeAll(const char* text) {
    size_t left = std::strlen(text);
    while (left > 0) {
        ssize_t written = ::write(STDERR_FILENO, text, left);
        if (written <= 0) return;
        text += written;
        left -= size_t(written);
    }
}

void removeUnfinished() {
    if (const char* temporary = AtomicFile::inProgress()) ::unlink(temporary);
    if (gHasUnfinished.load()) ::unlink(gUnfinished);
}

void aborted(int) {
    fatal::exitNow("aborted", fatal::kAbortStatus);
}

} // namespace

namespace fatal {

void setProgramName(const char* name) {
    gProgram = name ? name : "";
}

void setUnfinishedFile(const char* path) {
    gHasUnfinished.store(false);
    if (!path || std::strlen(path) >= sizeof gUnfinished) return;
    std::strcpy(gUnfinished, path);
    gHasUnfinished.store(true);
}

void exitNow(const char* message, int status) {
    writeAll(gProgram);
    writeAll(": ");
    writeAll(message);
    writeAll("\n");
    exitQuietly(status);
}

void exitQuietly(int status) {
    removeUnfinished();
    ::_exit(status);
}

void endAbortsWithStatus() {
    struct sigaction action = {};
    action.sa_handler = aborted;
    sigemptyset(&action.sa_mask);
    sigaction(SIGABRT, &action, nullptr);
}

} // namespace fatal

} // namespace quelmark
