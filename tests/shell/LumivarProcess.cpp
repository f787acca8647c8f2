#include "LumivarProcess.h"

LumivarResult runLumivar(const std::string& dir, const std::vector<std::string>& args,
                         const std::string& input) {
    return runProgram(LUMIVAR_PATH, dir, args, input);
}

LumivarResult interruptLumivar(const std::string& dir, const std::vector<std::string>& args,
                               const std::string& awaited, bool& timedOut, bool keepInputOpen,
                               const std::string& input) {
    return interruptProgram(LUMIVAR_PATH, dir, args, awaited, timedOut, {input, keepInputOpen, ""});
}
