// qelcopy: reads a QEL scene file with the scene reader, whose requests go
// to the scene-writer library, and so writes a copy of the scene.
//
//   qelcopy IN OUT     exit 0 when no report was made on the way
#include "api/qel.h"
#include "sceneread/rendqel.h"

#include <cstdio>
#include <fstream>

using namespace quelmark;

namespace {

int gReports = 0;

void printReport(const char* text) {
    std::fprintf(stderr, "%s\n", text);
    ++gReports;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: qelcopy IN OUT\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "qelcopy: cannot open %s\n", argv[1]);
        return 2;
    }
    qelOutputFile(QEL_FORMAT_QEL, argv[2]);
    {
        String frame;
        rendqel reader(in, argv[1], frame);
        reader.errorPrinter(printReport);
        reader.parse();
    }
    qelOutputFile(QEL_FORMAT_QEL, nullptr);
    return gReports ? 1 : 0;
}
