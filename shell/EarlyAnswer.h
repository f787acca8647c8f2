// What the programs answer before doing any work: --help, --version and a
// usage error (one line, which points to --help), from a command line with
// the fields help, version and error and a static usage().
#ifndef QEL_SHELL_EARLYANSWER_H
#define QEL_SHELL_EARLYANSWER_H

#include <cstdio>
#include <optional>

namespace quelmark {

// The exit status when the command line was answered, empty when the
// program goes on to its work.
template <class CommandLine>
std::optional<int> earlyAnswer(const CommandLine& line, const char* program,
                               const char* aboutText) {
    constexpr int kSuccess = 0, kUsage = 2;
    if (line.help) {
        std::fputs(CommandLine::usage(), stdout);
        return kSuccess;
    }
    if (line.version) {
        std::printf("%s\n", aboutText);
        return kSuccess;
    }
    if (!line.error.empty()) {
        std::fprintf(stderr, "%s: %s; see %s --help\n", program, line.error.c_str(), program);
        return kUsage;
    }
    return std::nullopt;
}

} // namespace quelmark

#endif
