#include "shell/tessaran/CommandLine.h"

#include <cstring>
#include <vector>

namespace quelmark {

namespace {

bool isOption(const char* word) {
    return word[0] == '-' && word[1] != '\0';
}

} // namespace

const char* CommandLine::usage() {
    return "Usage: tessaran [options] RIBFILE QELFILE\n"
           "       tessaran [--gui] [RIBFILE QELFILE]\n"
           "Converts the RIB file (ASCII or binary) into the QEL scene file, which is\n"
           "replaced. The conversion's status lines go to standard output, the\n"
           "messages of the RIB reader and the scene writer to standard error.\n"
           "Ctrl-C cancels and removes the unfinished QEL file. Without files, or\n"
           "with --gui, the RIB to QEL window opens instead, and converts the files\n"
           "when they are given.\n"
           "\n"
           "Options:\n"
           "  --gui      open the RIB to QEL window even with files\n"
           "  --help     show this help and exit\n"
           "  --version  show the version and exit\n"
           "  --         end of options: the further words are the files\n"
           "\n"
           "Exit status: 0 on \"Success.\", 1 when there are warning/error messages,\n"
           "2 for a usage error or a file that cannot be opened, 130 when interrupted\n"
           "(Ctrl-C), 143 when terminated (SIGTERM).\n";
}

CommandLine CommandLine::parse(int argc, const char* const* argv, bool windowSystem) {
    CommandLine line;
    std::vector<std::string> files;
    bool options = true;
    for (int k = 1; k < argc && line.error.empty(); ++k) {
        const char* word = argv[k];
        if (!options || !isOption(word))
            files.emplace_back(word);
        else if (std::strcmp(word, "--") == 0)
            options = false;
        else if (std::strcmp(word, "--help") == 0 || std::strcmp(word, "-h") == 0)
            line.help = true;
        else if (std::strcmp(word, "--version") == 0)
            line.version = true;
        else if (std::strcmp(word, "--gui") == 0)
            line.gui = true;
        else
            line.error = std::string("unknown option ") + word;
    }
    if (!line.error.empty() || line.help || line.version) return line;
    if (files.empty() && windowSystem) line.gui = true;
    if (files.size() == 2) {
        line.ribFile = files[0];
        line.qelFile = files[1];
    } else if (files.size() < 2) {
        if (!files.empty() || !line.gui)
            line.error = files.empty() ? "no RIB file and no QEL file given" : "no QEL file given";
    } else {
        line.error = "more than two files given";
    }
    return line;
}

} // namespace quelmark
