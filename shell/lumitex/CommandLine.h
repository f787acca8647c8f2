// The command line of lumitex: the kind of map, how it is made, and the
// pictures and map file.
#ifndef QEL_SHELL_LUMITEX_COMMANDLINE_H
#define QEL_SHELL_LUMITEX_COMMANDLINE_H

#include <string>
#include <vector>

namespace quelmark {

enum class MapChoice { kTexture, kBump, kLatLong, kCubeFaces, kShadow };

struct CommandLine {
    MapChoice kind = MapChoice::kTexture;
    // The pictures (one, or six cube faces) and, last, the map to write.
    std::vector<std::string> pictures;
    std::string map;
    std::string swrap = "black", twrap = "black"; // "black", "clamp" or "periodic"
    std::string filter = "box";
    float fieldOfView = 90;
    bool help = false;
    bool version = false;
    std::string error; // a usage error, empty when the line is good

    // Reads argv[1] onwards.
    static CommandLine parse(int argc, const char* const* argv);
    static const char* usage();

private:
    // The option's value, the next word; k moves past it.
    const char* valueOf(const char* option, int& k, int argc, const char* const* argv);
    void takeWords(std::vector<std::string> words);
};

} // namespace quelmark

#endif
