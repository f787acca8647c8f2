// lumitex: makes the maps shaders look up (textures, bump maps,
// environments and shadow maps) with the renderer's own requests.
#include "api/qel.h"
#include "common/PrintableText.h"
#include "shell/EarlyAnswer.h"
#include "shell/FatalExit.h"
#include "shell/lumitex/CommandLine.h"

#include <cstdio>
#include <new>
#include <optional>
#include <string>

using namespace quelmark;

namespace {

enum ExitStatus { kSuccess = 0, kNotMade = 1 };

constexpr const char* kProgram = "lumitex";
constexpr const char* kAboutText = "Quelmark Map Maker Version 1.01";
constexpr int kOutOfMemoryStatus = 1;

// What the requests reported; any report means the map was not made as
// asked.
struct Reports {
    int count = 0;
};
Reports gReports;

void printReport(const char* text) {
    ++gReports.count;
    std::fprintf(stderr, "%s: %s\n", kProgram, printableText(text ? text : "").c_str());
}

[[noreturn]] void outOfMemory() {
    fatal::exitNow("free store exhausted", kOutOfMemoryStatus);
}

short wrapCode(const std::string& mode) {
    if (mode == "periodic") return QEL_WRAP;
    if (mode == "clamp") return QEL_CLAMP;
    return QEL_NOWRAP;
}

qelFilterFunc filterOf(const std::string& name) {
    if (name == "triangle") return qelTriangleFilter;
    if (name == "gaussian") return qelGaussianFilter;
    if (name == "catmull-rom") return qelCatmullRomFilter;
    if (name == "sinc") return qelSincFilter;
    if (name == "mitchell") return qelMitchellFilter;
    return qelBoxFilter;
}

void make(const CommandLine& line) {
    const char* map = line.map.c_str();
    const std::string& picture = line.pictures.front();
    const qelFilterFunc filter = filterOf(line.filter);
    constexpr float kWidth = 1;
    switch (line.kind) {
    case MapChoice::kTexture:
        qelMakeTextureV(picture.c_str(), map, wrapCode(line.swrap), wrapCode(line.twrap), filter,
                        kWidth, kWidth, 0, nullptr, nullptr);
        break;
    case MapChoice::kBump:
        qelMakeBumpV(picture.c_str(), map, wrapCode(line.swrap), wrapCode(line.twrap), filter,
                     kWidth, kWidth, 0, nullptr, nullptr);
        break;
    case MapChoice::kLatLong:
        qelMakeLatLongEnvironmentV(picture.c_str(), map, filter, kWidth, kWidth, 0, nullptr,
                                   nullptr);
        break;
    case MapChoice::kCubeFaces: {
        const auto& faces = line.pictures;
        qelMakeCubeFaceEnvironmentV(faces[0].c_str(), faces[1].c_str(), faces[2].c_str(),
                                    faces[3].c_str(), faces[4].c_str(), faces[5].c_str(), map,
                                    line.fieldOfView, filter, kWidth, kWidth, 0, nullptr, nullptr);
        break;
    }
    case MapChoice::kShadow:
        qelMakeShadowV(picture.c_str(), map, 0, nullptr, nullptr);
        break;
    }
}

} // namespace

int main(int argc, char** argv) {
    fatal::setProgramName(kProgram);
    std::set_new_handler(outOfMemory);
    const CommandLine line = CommandLine::parse(argc, argv);
    if (std::optional<int> answer = earlyAnswer(line, kProgram, kAboutText)) return *answer;
    qelErrorPrinter(printReport);
    make(line);
    return gReports.count == 0 ? kSuccess : kNotMade;
}
