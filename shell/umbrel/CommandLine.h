// The command line of umbrel: options and the shader source files.
#ifndef QEL_SHELL_UMBREL_COMMANDLINE_H
#define QEL_SHELL_UMBREL_COMMANDLINE_H

#include <string>
#include <utility>
#include <vector>

namespace quelmark {

struct CommandLine {
    std::vector<std::string> files;
    std::vector<std::string> includeFolders; // -I, in order
    // -D NAME[=VALUE]: the name and the value, empty for none.
    std::vector<std::pair<std::string, std::string>> defines;
    std::string output; // -o: a folder or, for one shader, a file
    bool quiet = false; // -q: no warnings
    bool help = false;
    bool version = false;
    std::string error; // a usage error, empty when the line is good

    // Reads argv[1] onwards.
    static CommandLine parse(int argc, const char* const* argv);
    static const char* usage();

private:
    // The option's value: the rest of the word (-Ifolder) or the next word
    // (-I folder); k moves past what it takes.
    const char* valueOf(const char* option, int& k, int argc, const char* const* argv);
    void addDefine(const char* definition);
};

} // namespace quelmark

#endif
