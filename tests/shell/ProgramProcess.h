// Runs one of the programs as a child process with its standard streams
// captured.
#ifndef QEL_TESTS_SHELL_PROGRAMPROCESS_H
#define QEL_TESTS_SHELL_PROGRAMPROCESS_H

#include <csignal>
#include <cstddef>
#include <string>
#include <vector>

struct ProgramResult {
    int status = -1; // the exit status; -1 when the child did not exit by itself
    std::string out, err;
};

// Runs the program with the arguments in the directory, feeding it the input.
ProgramResult runProgram(const std::string& program, const std::string& dir,
                         const std::vector<std::string>& args, const std::string& input = "");
// The same with an address space of that many bytes at most (ulimit -v),
// and nothing on input.
ProgramResult runProgramInMemory(const std::string& program, const std::string& dir,
                                 const std::vector<std::string>& args, size_t bytes);
// The same with standard error on a terminal (a pseudo-terminal whose
// output is captured, line feeds left as they are) and nothing on input.
ProgramResult runProgramOnTerminal(const std::string& program, const std::string& dir,
                                   const std::vector<std::string>& args);

// What an interrupted child reads on its standard input: first is fed at
// once; with keepOpen the input then stays open until afterSignal (when
// not empty) is written a moment after the signal, or else until the child
// has ended.
struct InterruptInput {
    std::string first;
    bool keepOpen = false;
    std::string afterSignal;
    int signal = SIGINT;
    int delayMs = 0; // between the text appearing and the signal
};

// Runs the program, reads its standard output and error until the text
// appears in either, then sends it the signal (SIGINT unless the input says
// otherwise) and waits for it. timedOut is set
// when the text never came or the child did not end within seconds of the
// signal; then it is killed.
ProgramResult interruptProgram(const std::string& program, const std::string& dir,
                               const std::vector<std::string>& args, const std::string& awaited,
                               bool& timedOut, const InterruptInput& input = {});

#endif
