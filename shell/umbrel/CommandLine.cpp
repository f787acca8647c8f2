#include "shell/umbrel/CommandLine.h"

#include <cstring>

namespace quelmark {

namespace {

bool isOption(const char* word) {
    return word[0] == '-' && word[1] != '\0';
}

// -I, -D and -o, with their value in the same word or the next.
bool takesValue(const char* word, char letter) {
    return word[0] == '-' && word[1] == letter;
}

} // namespace

const char* CommandLine::usage() {
    return "Usage: umbrel [options] FILE.sl...\n"
           "Compiles each shader source file into the compiled shaders the renderer\n"
           "runs: every shader the file defines is written as NAME.qso, in the current\n"
           "folder or the one -o names, replacing what was there. A file with an error\n"
           "writes nothing. Messages go to standard error as\n"
           "  umbrel: FILE:LINE:COLUMN: error: MESSAGE\n"
           "\n"
           "Options:\n"
           "  -I FOLDER        look for #include files in FOLDER too (in the order\n"
           "                   given, after the including file's folder)\n"
           "  -D NAME[=VALUE]  define the macro NAME as VALUE (1 when not given)\n"
           "  -o OUTPUT        write into the folder OUTPUT (an existing folder, or a\n"
           "                   path ending in /), or, for a single shader, into the\n"
           "                   file OUTPUT\n"
           "  -q               show no warnings\n"
           "  --help           show this help and exit\n"
           "  --version        show the version and exit\n"
           "  --               end of options: every further word is a file\n"
           "\n"
           "Exit status: 0 when every file compiled, 1 when a file has errors (or\n"
           "memory ran out), 2 for a usage error or a file that cannot be read or\n"
           "written.\n";
}

const char* CommandLine::valueOf(const char* option, int& k, int argc, const char* const* argv) {
    if (option[2] != '\0') return option + 2;
    if (k + 1 < argc) return argv[++k];
    error = std::string("option ") + option + " needs a value";
    return "";
}

void CommandLine::addDefine(const char* definition) {
    const char* equals = std::strchr(definition, '=');
    std::string name = equals ? std::string(definition, equals) : std::string(definition);
    if (name.empty()) {
        error = "-D needs a macro name, as in -D NAME or -D NAME=VALUE";
        return;
    }
    defines.emplace_back(std::move(name), equals ? equals + 1 : "");
}

CommandLine CommandLine::parse(int argc, const char* const* argv) {
    CommandLine line;
    bool options = true;
    for (int k = 1; k < argc && line.error.empty(); ++k) {
        const char* word = argv[k];
        if (!options || !isOption(word)) {
            line.files.emplace_back(word);
        } else if (std::strcmp(word, "--") == 0) {
            options = false;
        } else if (std::strcmp(word, "--help") == 0 || std::strcmp(word, "-h") == 0) {
            line.help = true;
        } else if (std::strcmp(word, "--version") == 0) {
            line.version = true;
        } else if (std::strcmp(word, "-q") == 0) {
            line.quiet = true;
        } else if (takesValue(word, 'I')) {
            const char* folder = line.valueOf(word, k, argc, argv);
            if (line.error.empty()) line.includeFolders.emplace_back(folder);
        } else if (takesValue(word, 'D')) {
            const char* definition = line.valueOf(word, k, argc, argv);
            if (line.error.empty()) line.addDefine(definition);
        } else if (takesValue(word, 'o')) {
            line.output = line.valueOf(word, k, argc, argv);
            if (line.error.empty() && line.output.empty()) line.error = "option -o needs a path";
        } else {
            line.error = std::string("unknown option ") + word;
        }
    }
    if (!line.error.empty() || line.help || line.version) return line;
    if (line.files.empty()) line.error = "no shader source file given";
    return line;
}

} // namespace quelmark
