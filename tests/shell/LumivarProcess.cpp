#include "LumivarProcess.h"

namespace {

// The terminal front end is tested without display windows; the windows
// have tests of their own.
std::vector<std::string> withoutWindows(const std::vector<std::string>& args) {
    std::vector<std::string> all = {"--no-window"};
    all.insert(all.end(), args.begin(), args.end());
    return all;
}

} // namespace

LumivarResult runLumivar(const std::string& dir, const std::vector<std::string>& args,
                         const std::string& input) {
    return runProgram(LUMIVAR_PATH, dir, withoutWindows(args), input);
}

LumivarResult runLumivarWithWindows(const std::string& dir, const std::vector<std::string>& args) {
    return runProgram(LUMIVAR_PATH, dir, args, "");
}

LumivarResult runLumivarOnTerminal(const std::string& dir, const std::vector<std::string>& args) {
    return runProgramOnTerminal(LUMIVAR_PATH, dir, withoutWindows(args));
}

LumivarResult interruptLumivar(const std::string& dir, const std::vector<std::string>& args,
                               const std::string& awaited, bool& timedOut, bool keepInputOpen,
                               const std::string& input, int signal, int delayMs) {
    return interruptProgram(LUMIVAR_PATH, dir, withoutWindows(args), awaited, timedOut,
                            {input, keepInputOpen, "", signal, delayMs});
}
