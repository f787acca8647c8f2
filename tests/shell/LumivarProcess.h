// Runs lumivar as a child process with its standard streams captured.
#ifndef QEL_TESTS_SHELL_LUMIVARPROCESS_H
#define QEL_TESTS_SHELL_LUMIVARPROCESS_H

#include "ProgramProcess.h"

#include <csignal>
#include <string>
#include <vector>

using LumivarResult = ProgramResult;

// Runs lumivar with the arguments in the directory, feeding it the input.
// Unless said otherwise lumivar opens no display window.
LumivarResult runLumivar(const std::string& dir, const std::vector<std::string>& args,
                         const std::string& input = "");
LumivarResult runLumivarWithWindows(const std::string& dir, const std::vector<std::string>& args);
// Runs lumivar with its standard error on a terminal.
LumivarResult runLumivarOnTerminal(const std::string& dir, const std::vector<std::string>& args);

// Runs lumivar, reads its standard error until the text appears, then sends
// it the signal and waits for it. timedOut is set when the text never came or
// the child did not end within seconds of the signal; then it is killed.
// It is fed the input; with keepInputOpen its standard input then stays
// open, with nothing more written, until it has ended.
LumivarResult interruptLumivar(const std::string& dir, const std::vector<std::string>& args,
                               const std::string& awaited, bool& timedOut,
                               bool keepInputOpen = false, const std::string& input = "",
                               int signal = SIGINT, int delayMs = 0);

#endif
