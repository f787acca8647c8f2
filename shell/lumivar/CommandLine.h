// The command line of lumivar: options and the scene files to render.
#ifndef QEL_SHELL_LUMIVAR_COMMANDLINE_H
#define QEL_SHELL_LUMIVAR_COMMANDLINE_H

#include <string>
#include <vector>

namespace quelmark {

struct CommandLine {
    // How each file's format is chosen: by its name, or forced by --format.
    enum class Format { ByName, Qel, Rib };

    std::vector<std::string> files; // "-" stands for standard input
    Format format = Format::ByName;
    std::string output;    // -o: where each frame's image is saved
    bool progress = false; // --progress: the status line even without a terminal
    bool window = true;    // --no-window turns the display windows off
    bool wait = true;      // --no-wait ends without waiting for open windows
    bool gui = false;      // the desktop windows instead of the terminal
    int threads = 0;       // --threads: 0 renders on every core
    long firstFrame = 0;   // --frames A-B: only these frames render (0: all)
    long lastFrame = 0;
    bool cropSet = false; // --crop XMIN XMAX YMIN YMAX replaces the crop windows
    float crop[4] = {0, 1, 0, 1};
    short displayFormat = 0; // --display-type: a qelRenderOutputFormat code, 0 for none
    bool statistics = false; // --statistics: each frame tells what it took
    bool help = false;
    bool version = false;
    std::string error; // a usage error, empty when the line is good

    // Reads argv[1] onwards. Without a scene file the desktop windows open
    // when there is a window system, as with --gui.
    static CommandLine parse(int argc, const char* const* argv, bool windowSystem = false);
    static const char* usage();

private:
    void setFormat(const char* name);
    void setThreads(const char* text);
    void setFrames(const char* text);
    void setDisplayType(const char* type);
    // The four numbers after --crop at argv[k + 1]; returns how many it read.
    int setCrop(int k, int argc, const char* const* argv);
    void checkDesktop();
};

} // namespace quelmark

#endif
