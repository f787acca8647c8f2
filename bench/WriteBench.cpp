// Writes a scene of a million polygons through the scene-writer library and
// reads it back with the scene reader, printing lines per second for both.
//
//   write_bench [polygons] [file]
// Without a file the scene goes to a temporary path, removed afterwards.
// While the file is read back no scene file is chosen, so the requests that
// the reader makes go to the writer and are only checked there: the reading
// time is the reader's own.
#include "api/qel.h"
#include "sceneread/rendqel.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace quelmark;

namespace {

using Clock = std::chrono::steady_clock;

int gReports = 0;

void countReport(const char* text) {
    if (++gReports <= 5) std::fprintf(stderr, "%s\n", text);
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Quadrilaterals in rows of 1000, with wavy heights; returns the lines written.
long writeScene(const char* path, long polygons) {
    qelOutputFile(QEL_FORMAT_QEL, path);
    qelHider(QEL_HIDER_NULL);
    qelFrameBegin();
    qelSceneBegin();
    unsigned short point = qelQuark("point");
    unsigned short tokens[1] = {point};
    float corners[12];
    void* values[1] = {corners};
    for (long k = 0; k < polygons; ++k) {
        float x = float(k % 1000) * 0.01f, y = float(k / 1000) * 0.01f;
        float z = 0.1f * float((k * 7) % 17) / 17.0f;
        const float square[12] = {x, y, z, x + 0.01f, y, z, x + 0.01f, y + 0.01f, -z, x,
                                  y + 0.01f, -z};
        for (int i = 0; i < 12; ++i) corners[i] = square[i];
        qelPolygonV(4, 1, tokens, values);
    }
    qelSceneEnd();
    qelFrameEnd();
    qelOutputFile(QEL_FORMAT_QEL, nullptr);
    return polygons + 6;
}

void readScene(const char* path) {
    std::ifstream in(path, std::ios::binary);
    String frame;
    rendqel reader(in, path, frame);
    reader.errorPrinter(countReport);
    reader.parse();
}

} // namespace

int main(int argc, char** argv) {
    long polygons = argc > 1 ? std::atol(argv[1]) : 1000000;
    if (polygons < 1 || polygons > 100000000) {
        std::fprintf(stderr, "polygons must lie between 1 and 100000000\n");
        return 2;
    }
    std::string path;
    if (argc > 2) {
        path = argv[2];
    } else {
        char name[] = "/tmp/write-bench-XXXXXX";
        int fd = mkstemp(name);
        if (fd < 0) {
            std::fprintf(stderr, "cannot make a temporary file\n");
            return 2;
        }
        close(fd);
        path = name;
    }
    qelErrorPrinter(countReport);

    auto start = Clock::now();
    long lines = writeScene(path.c_str(), polygons);
    double writing = secondsSince(start);
    std::ifstream size(path, std::ios::binary | std::ios::ate);
    double megabytes = double(size.tellg()) / 1e6;
    std::printf("wrote %ld lines (%.1f MB) in %.3f s: %.0f lines/s\n", lines, megabytes, writing,
                double(lines) / writing);

    start = Clock::now();
    readScene(path.c_str());
    double reading = secondsSince(start);
    std::printf("read %ld lines in %.3f s: %.0f lines/s\n", lines, reading,
                double(lines) / reading);
    if (argc <= 2) std::remove(path.c_str());
    if (gReports) std::fprintf(stderr, "%d reports\n", gReports);
    return gReports ? 1 : 0;
}
