// assemble-tiles: joins OpenEXR tiles of one picture, each rendered with
// its own crop window, into the picture's file.
#include "shell/FatalExit.h"
#include "shell/Interrupt.h"
#include "shell/tiles/TileAssembly.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace quelmark;

namespace {

const char kUsage[] = "usage: assemble-tiles OUTPUT.exr TILE.exr...\n"
                      "Joins OpenEXR tiles of one picture (the same display window and channels,\n"
                      "data windows that do not overlap and together fill a rectangle) into\n"
                      "OUTPUT.exr, whose data window is that rectangle. The file is written whole\n"
                      "or not at all. Exit status: 0 when written, 1 when the tiles cannot be\n"
                      "read or do not fit together, 2 for a usage error, 128 plus the signal's\n"
                      "number when interrupted.\n";

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc < 3 || argv[1][0] == '-') {
        std::fputs(kUsage, stderr);
        return 2;
    }
    fatal::setProgramName("assemble-tiles");
    Interrupt::install();
    std::vector<std::string> tiles(argv + 2, argv + argc);
    TileAssembly assembly;
    std::string problem;
    if (!assembly.open(tiles, problem) || !assembly.write(argv[1], problem, Interrupt::pending)) {
        if (Interrupt::pending()) return Interrupt::exitStatus();
        std::fprintf(stderr, "assemble-tiles: %s\n", problem.c_str());
        return 1;
    }
    return 0;
}
