#include "shell/lumivar/StandardInput.h"

#include "shell/Interrupt.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <unistd.h>

namespace {

// Waits until standard input has something (or its end) to read; false
// when Ctrl-C came first.
bool awaitInput() {
    for (;;) {
        if (Interrupt::pending()) return false;
        pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {Interrupt::descriptor(), POLLIN, 0}};
        int ready = ::poll(fds, fds[1].fd >= 0 ? 2 : 1, -1);
        if (ready > 0) return !Interrupt::pending();
        if (ready < 0 && errno != EINTR) return true; // let read tell what is wrong
    }
}

} // namespace

StandardInput::int_type StandardInput::underflow() {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    std::streamsize got = readSome(fBuffer, sizeof fBuffer);
    if (got == 0) return traits_type::eof();
    setg(fBuffer, fBuffer, fBuffer + got);
    return traits_type::to_int_type(*gptr());
}

std::streamsize StandardInput::xsgetn(char* s, std::streamsize n) {
    std::streamsize buffered = std::min<std::streamsize>(egptr() - gptr(), n);
    if (buffered > 0) {
        std::memcpy(s, gptr(), size_t(buffered));
        gbump(int(buffered));
        return buffered;
    }
    return n > 0 ? readSome(s, n) : 0;
}

std::streamsize StandardInput::readSome(char* s, std::streamsize n) {
    for (;;) {
        if (!awaitInput()) return 0;
        ssize_t got = ::read(STDIN_FILENO, s, size_t(n));
        if (got >= 0) return got;
        if (errno != EINTR) return 0;
    }
}
