// The command line of tessaran: options, the RIB file and the QEL file.
#ifndef QEL_SHELL_TESSARAN_COMMANDLINE_H
#define QEL_SHELL_TESSARAN_COMMANDLINE_H

#include <string>

namespace quelmark {

struct CommandLine {
    std::string ribFile, qelFile;
    bool gui = false; // the desktop windows instead of the terminal
    bool help = false;
    bool version = false;
    std::string error; // a usage error, empty when the line is good

    // Reads argv[1] onwards. Without files the desktop windows open when
    // there is a window system, as with --gui.
    static CommandLine parse(int argc, const char* const* argv, bool windowSystem = false);
    static const char* usage();
};

} // namespace quelmark

#endif
