#include "ProgramProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <thread>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Long enough for the signal to reach a child waiting for input.
constexpr int kRestAfterSignalMs = 200;

struct Pipe {
    int read = -1, write = -1;
    Pipe() {
        int ends[2];
        if (::pipe(ends) == 0) read = ends[0], write = ends[1];
    }
};

// With a memory limit, the child's address space is that many bytes at most.
pid_t startProgram(const std::string& program, const std::string& dir,
                   const std::vector<std::string>& args, Pipe& in, Pipe& out, Pipe& err,
                   rlim_t memoryLimit = RLIM_INFINITY) {
    pid_t child = ::fork();
    if (child != 0) {
        ::close(in.read);
        ::close(out.write);
        ::close(err.write);
        return child;
    }
    if (memoryLimit != RLIM_INFINITY) {
        rlimit limit = {memoryLimit, memoryLimit};
        if (::setrlimit(RLIMIT_AS, &limit) != 0) ::_exit(126);
    }
    ::dup2(in.read, 0);
    ::dup2(out.write, 1);
    ::dup2(err.write, 2);
    for (int fd : {in.read, in.write, out.read, out.write, err.read, err.write})
        ::close(fd);
    if (::chdir(dir.c_str()) != 0) ::_exit(127);
    std::vector<char*> argv;
    std::string path = program;
    argv.push_back(path.data());
    std::vector<std::string> copies(args);
    for (std::string& arg : copies)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    ::execv(path.c_str(), argv.data());
    ::_exit(127);
}

// The child's standard output and error as they come in.
class Capture {
public:
    Capture(int out, int err, ProgramResult& result)
        : fFds{out, err}, fTexts{&result.out, &result.err} {}
    ~Capture() {
        for (int fd : fFds)
            if (fd >= 0) ::close(fd);
    }

    // Reads what is ready within the time; false once both pipes are closed.
    bool pump(int timeoutMs) {
        if (fFds[0] < 0 && fFds[1] < 0) return false;
        pollfd fds[2] = {{fFds[0], POLLIN, 0}, {fFds[1], POLLIN, 0}};
        if (::poll(fds, 2, timeoutMs) < 0 && errno != EINTR) return false;
        for (int k = 0; k < 2; ++k) {
            if (fFds[k] < 0 || !(fds[k].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char buffer[4096];
            ssize_t got = ::read(fFds[k], buffer, sizeof buffer);
            if (got > 0) {
                fTexts[k]->append(buffer, size_t(got));
            } else if (got == 0 || errno != EINTR) {
                ::close(fFds[k]);
                fFds[k] = -1;
            }
        }
        return fFds[0] >= 0 || fFds[1] >= 0;
    }

    void drain() {
        while (pump(60000)) {
        }
    }

private:
    int fFds[2];
    std::string* fTexts[2];
};

// The inputs fed in are small enough for the pipe's buffer.
void writeAll(int fd, const std::string& text) {
    if (!text.empty() && ::write(fd, text.data(), text.size()) < 0) {
    }
}

int waitFor(pid_t child) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

ProgramResult runProgram(const std::string& program, const std::string& dir,
                         const std::vector<std::string>& args, const std::string& input) {
    std::signal(SIGPIPE, SIG_IGN);
    Pipe in, out, err;
    ProgramResult result;
    pid_t child = startProgram(program, dir, args, in, out, err);
    writeAll(in.write, input);
    ::close(in.write);
    Capture(out.read, err.read, result).drain();
    result.status = waitFor(child);
    return result;
}

ProgramResult runProgramInMemory(const std::string& program, const std::string& dir,
                                 const std::vector<std::string>& args, size_t bytes) {
    std::signal(SIGPIPE, SIG_IGN);
    Pipe in, out, err;
    ProgramResult result;
    pid_t child = startProgram(program, dir, args, in, out, err, rlim_t(bytes));
    ::close(in.write);
    Capture(out.read, err.read, result).drain();
    result.status = waitFor(child);
    return result;
}

ProgramResult runProgramOnTerminal(const std::string& program, const std::string& dir,
                                   const std::vector<std::string>& args) {
    std::signal(SIGPIPE, SIG_IGN);
    Pipe in, out, err;
    int master = -1, terminal = -1;
    if (::openpty(&master, &terminal, nullptr, nullptr, nullptr) != 0) return {};
    termios settings;
    if (::tcgetattr(terminal, &settings) == 0) {
        settings.c_oflag &= ~tcflag_t(OPOST); // a line feed stays a line feed
        ::tcsetattr(terminal, TCSANOW, &settings);
    }
    ::close(err.read);
    ::close(err.write);
    err.read = master;
    err.write = terminal;
    ProgramResult result;
    pid_t child = startProgram(program, dir, args, in, out, err);
    ::close(in.write);
    Capture(out.read, err.read, result).drain();
    result.status = waitFor(child);
    return result;
}

ProgramResult interruptProgram(const std::string& program, const std::string& dir,
                               const std::vector<std::string>& args, const std::string& awaited,
                               bool& timedOut, const InterruptInput& input) {
    std::signal(SIGPIPE, SIG_IGN);
    Pipe in, out, err;
    ProgramResult result;
    pid_t child = startProgram(program, dir, args, in, out, err);
    writeAll(in.write, input.first);
    bool keepOpen = input.keepOpen;
    if (!keepOpen) ::close(in.write);
    Capture capture(out.read, err.read, result);
    using Clock = std::chrono::steady_clock;
    auto deadline = Clock::now() + std::chrono::seconds(60);
    bool seen = false;
    while (!seen && Clock::now() < deadline) {
        seen = result.err.find(awaited) != std::string::npos ||
               result.out.find(awaited) != std::string::npos;
        if (!seen && !capture.pump(100)) break;
    }
    if (input.delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(input.delayMs));
    ::kill(child, input.signal);
    if (keepOpen && !input.afterSignal.empty()) {
        // The program has seen the signal before the rest comes.
        std::this_thread::sleep_for(std::chrono::milliseconds(kRestAfterSignalMs));
        writeAll(in.write, input.afterSignal);
        ::close(in.write);
        keepOpen = false;
    }
    deadline = Clock::now() + std::chrono::seconds(20);
    bool ended = false;
    while (!ended && Clock::now() < deadline)
        ended = !capture.pump(100);
    if (!ended) ::kill(child, SIGKILL);
    if (keepOpen) ::close(in.write);
    capture.drain();
    result.status = waitFor(child);
    timedOut = !seen || !ended;
    return result;
}
