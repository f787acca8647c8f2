#include "shell/lumitex/CommandLine.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace quelmark {

namespace {

constexpr int kCubeFaceCount = 6;
constexpr std::array<std::string_view, 3> kWraps = {"black", "clamp", "periodic"};
constexpr std::array<std::string_view, 6> kFilters = {"box",         "triangle", "gaussian",
                                                      "catmull-rom", "sinc",     "mitchell"};

bool isOption(const char* word) {
    return word[0] == '-' && word[1] != '\0';
}

template <std::size_t N>
bool oneOf(std::string_view word, const std::array<std::string_view, N>& names) {
    for (std::string_view name : names)
        if (word == name) return true;
    return false;
}

} // namespace

const char* CommandLine::usage() {
    return "Usage: lumitex [options] PICTURE MAP\n"
           "       lumitex --envcube [options] PX NX PY NY PZ NZ MAP\n"
           "Makes a map the renderer's shaders look up: a tiled, mip-mapped texture\n"
           "(TIFF, or OpenEXR when MAP ends in .exr) of the picture, a bump map, a\n"
           "lat-long environment, an environment of six cube faces, or a shadow map\n"
           "of a depth picture. Messages go to standard error.\n"
           "\n"
           "Options:\n"
           "  --wrap MODE      beyond the map's edges, in s and t: black (the\n"
           "                   default), clamp or periodic\n"
           "  --swrap MODE     the same, in s only\n"
           "  --twrap MODE     the same, in t only\n"
           "  --filter NAME    the filter of the smaller levels: box (the default),\n"
           "                   triangle, gaussian, catmull-rom, sinc or mitchell\n"
           "  --bump           a bump map: the picture is a height field\n"
           "  --envlatl        a lat-long environment: +z up, s round from -x\n"
           "  --envcube        an environment of six pictures seen from the origin\n"
           "                   along +x, -x, +y, -y, +z and -z\n"
           "  --fov DEGREES    the field of view of the cube faces (90)\n"
           "  --shadow         a shadow map of a depth picture with its camera, as a\n"
           "                   zfile or shadow display writes one\n"
           "  --help           show this help and exit\n"
           "  --version        show the version and exit\n"
           "  --               end of options: every further word is a file\n"
           "\n"
           "Exit status: 0 when the map is made, 1 when it cannot be (an unreadable\n"
           "picture, an unwritable map; or memory ran out), 2 for a usage error.\n";
}

const char* CommandLine::valueOf(const char* option, int& k, int argc, const char* const* argv) {
    if (k + 1 < argc) return argv[++k];
    error = std::string("option ") + option + " needs a value";
    return "";
}

void CommandLine::takeWords(std::vector<std::string> words) {
    const std::size_t wanted = kind == MapChoice::kCubeFaces ? kCubeFaceCount + 1 : 2;
    if (words.size() != wanted) {
        error = kind == MapChoice::kCubeFaces
                    ? "--envcube needs six pictures and a map, " + std::to_string(words.size()) +
                          " files are given"
                    : "a picture and a map are needed, " + std::to_string(words.size()) +
                          " files are given";
        return;
    }
    map = words.back();
    words.pop_back();
    pictures = std::move(words);
}

CommandLine CommandLine::parse(int argc, const char* const* argv) {
    CommandLine line;
    std::vector<std::string> words;
    bool options = true;
    const auto chooseKind = [&](MapChoice kind, const char* word) {
        if (line.kind != MapChoice::kTexture && line.kind != kind)
            line.error = std::string(word) + " asks for another kind of map than before";
        line.kind = kind;
    };
    for (int k = 1; k < argc && line.error.empty(); ++k) {
        const char* word = argv[k];
        if (!options || !isOption(word)) {
            words.emplace_back(word);
        } else if (std::strcmp(word, "--") == 0) {
            options = false;
        } else if (std::strcmp(word, "--help") == 0 || std::strcmp(word, "-h") == 0) {
            line.help = true;
        } else if (std::strcmp(word, "--version") == 0) {
            line.version = true;
        } else if (std::strcmp(word, "--wrap") == 0 || std::strcmp(word, "--swrap") == 0 ||
                   std::strcmp(word, "--twrap") == 0) {
            const std::string mode = line.valueOf(word, k, argc, argv);
            if (!line.error.empty()) break;
            if (!oneOf(mode, kWraps)) {
                line.error = "unknown wrap mode \"" + mode + "\" (black, clamp or periodic)";
                break;
            }
            if (word[2] != 't') line.swrap = mode;
            if (word[2] != 's') line.twrap = mode;
        } else if (std::strcmp(word, "--filter") == 0) {
            line.filter = line.valueOf(word, k, argc, argv);
            if (line.error.empty() && !oneOf(std::string_view(line.filter), kFilters))
                line.error = "unknown filter \"" + line.filter + "\"";
        } else if (std::strcmp(word, "--fov") == 0) {
            const char* value = line.valueOf(word, k, argc, argv);
            char* end = nullptr;
            line.fieldOfView = std::strtof(value, &end);
            if (line.error.empty() && (end == value || *end != '\0' || !(line.fieldOfView > 0) ||
                                       !(line.fieldOfView < 180)))
                line.error = std::string("--fov needs degrees between 0 and 180, not ") + value;
        } else if (std::strcmp(word, "--bump") == 0) {
            chooseKind(MapChoice::kBump, word);
        } else if (std::strcmp(word, "--envlatl") == 0) {
            chooseKind(MapChoice::kLatLong, word);
        } else if (std::strcmp(word, "--envcube") == 0) {
            chooseKind(MapChoice::kCubeFaces, word);
        } else if (std::strcmp(word, "--shadow") == 0) {
            chooseKind(MapChoice::kShadow, word);
        } else {
            line.error = std::string("unknown option ") + word;
        }
    }
    if (!line.error.empty() || line.help || line.version) return line;
    line.takeWords(std::move(words));
    return line;
}

} // namespace quelmark
