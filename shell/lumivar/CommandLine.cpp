#include "shell/lumivar/CommandLine.h"

#include "api/qelrender.h"
#include "common/ImageFormats.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace quelmark {

namespace {

bool isOption(const char* word) {
    return word[0] == '-' && word[1] != '\0';
}

bool startsWith(const char* word, const char* prefix) {
    return std::strncmp(word, prefix, std::strlen(prefix)) == 0;
}

constexpr long kMostThreads = 1024;

// A whole number in [minimum, maximum] that is all of text.
bool wholeNumber(const char* text, long minimum, long maximum, long& value) {
    if (!*text || std::isspace(static_cast<unsigned char>(*text))) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text, &end, 10);
    return *end == '\0' && errno == 0 && value >= minimum && value <= maximum;
}

// A finite number in [0, 1] that is all of text.
bool unitNumber(const char* text, float& value) {
    if (!*text || std::isspace(static_cast<unsigned char>(*text))) return false;
    char* end = nullptr;
    double number = std::strtod(text, &end);
    if (*end != '\0' || !std::isfinite(number) || number < 0.0 || number > 1.0) return false;
    value = float(number);
    return true;
}

} // namespace

const char* CommandLine::usage() {
    return "Usage: lumivar [options] FILE...\n"
           "       lumivar [--gui] [--format=rib|qel] [--no-window] [FILE]\n"
           "Reads and renders each scene file in turn; - reads standard input. A file\n"
           "whose name ends in .rib, .rib.gz or .ribz (in any case) is read as RIB\n"
           "(ASCII or binary), any other file and standard input as QEL; gzip data is\n"
           "inflated, whatever the name. Without a file, or with --gui, the Quelmark\n"
           "window opens instead, and renders the file when one is given.\n"
           "\n"
           "Options:\n"
           "  -o FILE, --output=FILE  save each frame's image to FILE, OpenEXR when it\n"
           "                          ends in .exr, PNG in .png, else TIFF, each\n"
           "                          written whole or not at all; with several frames\n"
           "                          each frame's number stands before the extension\n"
           "  --format=rib|qel        read every file, standard input too, as RIB or\n"
           "                          as QEL, whatever its name\n"
           "  --threads N             render on N threads (default: one per core); the\n"
           "                          image is the same for every N\n"
           "  --frames A-B            render only frames A to B (counted from 1 over\n"
           "                          all files, or a single frame A); the others are\n"
           "                          read but not rendered. With -o, each frame is\n"
           "                          saved under its number: -o out.exr --frames 3-4\n"
           "                          writes out3.exr and out4.exr\n"
           "  --display-type TYPE     write every display of the scenes as TYPE: file\n"
           "                          (the format its name asks for), tiff, png,\n"
           "                          openexr, zfile (depth) or framebuffer (a window)\n"
           "  --crop XMIN XMAX YMIN YMAX\n"
           "                          render only this part of each image (numbers in\n"
           "                          0..1, as a scene's crop window); a part renders\n"
           "                          exactly as it does in the whole image\n"
           "  --statistics            after each frame, tell its size, time, threads,\n"
           "                          micropolygons (per second and thread) and the\n"
           "                          peak memory\n"
           "  --progress              show the status line even when standard error\n"
           "                          is not a terminal\n"
           "  --no-window             open no display window (without a window system\n"
           "                          none opens anyway)\n"
           "  --no-wait               end after the last file; otherwise lumivar waits\n"
           "                          until every display window is closed\n"
           "  --gui                   open the Quelmark window even with a file\n"
           "  --help                  show this help and exit\n"
           "  --version               show the version and exit\n"
           "  --                      end of options: every further word is a file\n"
           "\n"
           "Exit status: 0 when every file was read to its end without an error,\n"
           "1 after an error report (a file that ends inside a frame, memory run\n"
           "out), 2 for a usage error, a file that cannot be opened or an image file\n"
           "that cannot be written, 130 when interrupted (Ctrl-C), 143 when\n"
           "terminated (SIGTERM), within a second whatever runs; a frame cut short\n"
           "saves no image.\n";
}

void CommandLine::setFormat(const char* name) {
    if (strcasecmp(name, "rib") == 0)
        format = Format::Rib;
    else if (strcasecmp(name, "qel") == 0)
        format = Format::Qel;
    else if (name[0] == '\0')
        error = "option --format needs rib or qel";
    else
        error = std::string("unknown format ") + name + " (rib or qel)";
}

void CommandLine::setThreads(const char* text) {
    long count = 0;
    if (wholeNumber(text, 1, kMostThreads, count))
        threads = int(count);
    else
        error =
            std::string("--threads needs a number of threads from 1 to 1024, not \"") + text + "\"";
}

void CommandLine::setFrames(const char* text) {
    std::string first(text), last(text);
    if (const char* dash = std::strchr(text, '-')) {
        first.assign(text, size_t(dash - text));
        last = dash + 1;
    }
    if (!wholeNumber(first.c_str(), 1, 1L << 30, firstFrame) ||
        !wholeNumber(last.c_str(), 1, 1L << 30, lastFrame) || lastFrame < firstFrame) {
        error =
            std::string("--frames needs A-B with frame numbers 1 <= A <= B, not \"") + text + "\"";
        firstFrame = lastFrame = 0;
    }
}

int CommandLine::setCrop(int k, int argc, const char* const* argv) {
    if (k + 4 >= argc) {
        error = "--crop needs four numbers: XMIN XMAX YMIN YMAX";
        return argc - k - 1;
    }
    for (int i = 0; i < 4; ++i)
        if (!unitNumber(argv[k + 1 + i], crop[i])) {
            error =
                std::string("--crop needs numbers from 0 to 1, not \"") + argv[k + 1 + i] + "\"";
            return 4;
        }
    if (crop[0] >= crop[1] || crop[2] >= crop[3])
        error = "--crop needs XMIN below XMAX and YMIN below YMAX";
    cropSet = true;
    return 4;
}

void CommandLine::setDisplayType(const char* type) {
    if (std::strcmp(type, "file") == 0) {
        displayFormat = QEL_FORMAT_BY_NAME;
        return;
    }
    displayFormat = displayTypeFormat(type, "");
    if (displayFormat == QEL_NULL)
        error = std::string("--display-type needs file, tiff, png, openexr, zfile or "
                            "framebuffer, not \"") +
                type + "\"";
}

// The desktop renders one file it is given and shows the images in windows.
void CommandLine::checkDesktop() {
    if (files.size() > 1)
        error = "--gui takes one scene file at most";
    else if (!files.empty() && files[0] == "-")
        error = "--gui cannot read standard input";
    else if (!output.empty())
        error = "--gui cannot be used with -o";
    else if (progress)
        error = "--gui cannot be used with --progress";
}

CommandLine CommandLine::parse(int argc, const char* const* argv, bool windowSystem) {
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
        } else if (std::strcmp(word, "--progress") == 0) {
            line.progress = true;
        } else if (std::strcmp(word, "--statistics") == 0) {
            line.statistics = true;
        } else if (std::strcmp(word, "--no-window") == 0) {
            line.window = false;
        } else if (std::strcmp(word, "--no-wait") == 0) {
            line.wait = false;
        } else if (std::strcmp(word, "--gui") == 0) {
            line.gui = true;
        } else if (std::strcmp(word, "-o") == 0 || std::strcmp(word, "--output") == 0) {
            if (k + 1 < argc) line.output = argv[++k];
            if (line.output.empty())
                line.error = std::string("option ") + word + " needs a file name";
        } else if (startsWith(word, "--output=")) {
            line.output = word + std::strlen("--output=");
            if (line.output.empty()) line.error = "option --output needs a file name";
        } else if (std::strcmp(word, "--format") == 0) {
            line.setFormat(k + 1 < argc ? argv[++k] : "");
        } else if (startsWith(word, "--format=")) {
            line.setFormat(word + std::strlen("--format="));
        } else if (std::strcmp(word, "--threads") == 0) {
            line.setThreads(k + 1 < argc ? argv[++k] : "");
        } else if (startsWith(word, "--threads=")) {
            line.setThreads(word + std::strlen("--threads="));
        } else if (std::strcmp(word, "--frames") == 0) {
            line.setFrames(k + 1 < argc ? argv[++k] : "");
        } else if (startsWith(word, "--frames=")) {
            line.setFrames(word + std::strlen("--frames="));
        } else if (std::strcmp(word, "--display-type") == 0) {
            line.setDisplayType(k + 1 < argc ? argv[++k] : "");
        } else if (startsWith(word, "--display-type=")) {
            line.setDisplayType(word + std::strlen("--display-type="));
        } else if (std::strcmp(word, "--crop") == 0) {
            k += line.setCrop(k, argc, argv);
        } else if (startsWith(word, "-o")) {
            line.output = word + 2;
        } else {
            line.error = std::string("unknown option ") + word;
        }
    }
    if (!line.error.empty() || line.help || line.version) return line;
    if (line.files.empty() && windowSystem) line.gui = true;
    if (line.gui)
        line.checkDesktop();
    else if (line.files.empty())
        line.error = "no scene file given";
    return line;
}

} // namespace quelmark
