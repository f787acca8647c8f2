#include "shell/Interrupt.h"

#include "shell/FatalExit.h"

#include <csignal>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace quelmark {

namespace {

volatile std::sig_atomic_t gInterrupted = 0;
volatile std::sig_atomic_t gSignal = SIGINT;
int gPipe[2] = {-1, -1};

void noteInterrupt(int signal) {
    gSignal = signal;
    gInterrupted = 1;
    if (gPipe[1] >= 0) {
        char note = 1;
        ssize_t written = ::write(gPipe[1], &note, 1);
        (void)written;
    }
    ::alarm(Interrupt::kDeadlineSeconds);
}

void missedDeadline(int) {
    fatal::exitNow(gSignal == SIGTERM ? "terminated" : "interrupted", Interrupt::exitStatus());
}

} // namespace

void Interrupt::install() {
    if (gPipe[0] < 0 && ::pipe(gPipe) == 0) {
        for (int fd : gPipe)
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(gPipe[1], F_SETFL, O_NONBLOCK);
    }
    struct sigaction action = {};
    action.sa_handler = noteInterrupt;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a waiting read returns, so the note is seen.
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    struct sigaction deadline = {};
    deadline.sa_handler = missedDeadline;
    sigemptyset(&deadline.sa_mask);
    sigaction(SIGALRM, &deadline, nullptr);
}

int Interrupt::exitStatus() {
    return 128 + int(gSignal);
}

bool Interrupt::pending() {
    return gInterrupted != 0;
}

int Interrupt::descriptor() {
    return gPipe[0];
}

} // namespace quelmark
