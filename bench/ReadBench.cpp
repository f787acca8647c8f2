// Reads a large scene file of polygon meshes with rendering switched off
// (the null hider) and prints the reading speed in MB per second.
//
//   read_bench [megabytes] [file]
// Without a file, one of about the given size (default 40) is written to a
// temporary path first and removed afterwards.
#include "api/qel.h"
#include "api/qelwindow.h"
#include "sceneread/rendqel.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace quelmark;

namespace {

void quiet(const char*) {}

// A 100 by 100 mesh of quadrilaterals per request, with wavy heights.
void writeMesh(std::ofstream& out, int index) {
    const int side = 100, row = side + 1;
    out << "qelPolygonMesh " << side * side << " [";
    for (int k = 0; k < side * side; ++k) out << (k ? " 4" : "4");
    out << "] [";
    for (int j = 0; j < side; ++j)
        for (int i = 0; i < side; ++i) {
            int a = j * row + i;
            out << (j || i ? " " : "") << a << ' ' << a + 1 << ' ' << a + row + 1 << ' ' << a + row;
        }
    out << "] \"point\" [";
    char number[64];
    for (int j = 0; j < row; ++j)
        for (int i = 0; i < row; ++i) {
            float x = float(i) / side, y = float(j) / side;
            float z = 0.1f * float((i * 7 + j * 13 + index) % 17) / 17.0f;
            std::snprintf(number, sizeof number, "%s%g %g %g", (j || i) ? " " : "", x, y, z);
            out << number;
        }
    out << "]\n";
}

std::string writeScene(double megabytes) {
    char path[] = "/tmp/read-bench-XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0) return "";
    close(fd);
    std::ofstream out(path);
    out << "qelHider \"null\"\nqelFrameBegin\nqelSceneBegin\n";
    for (int k = 0; out.tellp() < std::streamoff(megabytes * 1e6); ++k) writeMesh(out, k);
    out << "qelSceneEnd\nqelFrameEnd\n";
    return path;
}

} // namespace

int main(int argc, char** argv) {
    qelWindowsEnable(0); // the time is the reader's and renderer's, not the screen's
    double megabytes = argc > 1 ? std::atof(argv[1]) : 40;
    if (!(megabytes > 0 && megabytes <= 4000)) {
        std::fprintf(stderr, "megabytes must lie between 0 and 4000\n");
        return 2;
    }
    bool ownFile = argc <= 2;
    std::string path = ownFile ? writeScene(megabytes) : argv[2];
    std::ifstream in(path, std::ios::binary);
    if (path.empty() || !in) {
        std::fprintf(stderr, "cannot open %s\n", path.c_str());
        return 2;
    }
    in.seekg(0, std::ios::end);
    double bytes = double(in.tellg());
    in.seekg(0);

    auto start = std::chrono::steady_clock::now();
    String frame;
    {
        rendqel reader(in, path.c_str(), frame);
        reader.errorPrinter(quiet);
        reader.parse();
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("read %.1f MB in %.3f s: %.1f MB/s\n", bytes / 1e6, seconds, bytes / 1e6 / seconds);
    if (ownFile) std::remove(path.c_str());
    return 0;
}
