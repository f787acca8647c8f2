// Reads a large RIB file of polygon meshes, once in the ASCII and once in
// the binary encoding, through the RIB reader and its binding, and prints
// the speed of each in MB of RIB per second. rib_read_bench reads into a qel
// API that does nothing; rib_convert_bench converts through the scene
// writer into a QEL file, as tessaran does.
//
//   rib_read_bench [megabytes]
//   rib_convert_bench [megabytes]
// Both files, of about the given size each (default 40), are written to
// temporary paths first and removed afterwards, as is the QEL file.
#include "sceneread/rib/rendrib.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace quelmark;

namespace {

void quiet(const char*) {}

const int kSide = 100, kRow = kSide + 1;

float height(int i, int j, int index) {
    return 0.1f * float((i * 7 + j * 13 + index) % 17) / 17.0f;
}

// A 100 by 100 mesh of quadrilaterals per request, with wavy heights.
void writeAscii(std::ofstream& out, int index) {
    out << "PointsPolygons [";
    for (int k = 0; k < kSide * kSide; ++k)
        out << (k ? " 4" : "4");
    out << "] [";
    for (int j = 0; j < kSide; ++j)
        for (int i = 0; i < kSide; ++i) {
            int a = j * kRow + i;
            out << (j || i ? " " : "") << a << ' ' << a + 1 << ' ' << a + kRow + 1 << ' '
                << a + kRow;
        }
    out << "] \"P\" [";
    char number[64];
    for (int j = 0; j < kRow; ++j)
        for (int i = 0; i < kRow; ++i) {
            std::snprintf(number, sizeof number, "%s%g %g %g", (j || i) ? " " : "",
                          float(i) / kSide, float(j) / kSide, height(i, j, index));
            out << number;
        }
    out << "]\n";
}

void putInteger(std::string& out, long value) {
    if (value < 0x80) {
        out += char(0x80);
        out += char(value);
    } else {
        out += char(0x81);
        out += char(value >> 8);
        out += char(value & 0xFF);
    }
}

void putFloat(std::string& out, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    for (int shift = 24; shift >= 0; shift -= 8)
        out += char((bits >> shift) & 0xFF);
}

// The same mesh in the binary encoding: the request by code, integers
// encoded one by one in ASCII brackets, the points as one float array.
void writeBinary(std::ofstream& out, int index) {
    std::string text = "\xA6\x01[";
    for (int k = 0; k < kSide * kSide; ++k)
        putInteger(text, 4);
    text += "][";
    for (int j = 0; j < kSide; ++j)
        for (int i = 0; i < kSide; ++i) {
            long a = j * kRow + i;
            for (long v : {a, a + 1, a + kRow + 1, a + kRow})
                putInteger(text, v);
        }
    text += "]\x91P";
    long count = 3L * kRow * kRow;
    text += char(0xC9);
    text += char(count >> 8);
    text += char(count & 0xFF);
    for (int j = 0; j < kRow; ++j)
        for (int i = 0; i < kRow; ++i) {
            putFloat(text, float(i) / kSide);
            putFloat(text, float(j) / kSide);
            putFloat(text, height(i, j, index));
        }
    out << text;
}

std::string writeScene(double megabytes, bool binary) {
    char path[] = "/tmp/rib-read-bench-XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0) return "";
    close(fd);
    std::ofstream out(path, std::ios::binary);
    out << "version 3.03\nWorldBegin\n";
    if (binary) out << "\xCC\x01\x9EPointsPolygons";
    for (int k = 0; out.tellp() < std::streamoff(megabytes * 1e6); ++k) {
        if (binary)
            writeBinary(out, k);
        else
            writeAscii(out, k);
    }
    out << "WorldEnd\n";
    return path;
}

// Seconds to read the file, and its size.
double readScene(const std::string& path, double& bytes) {
    std::ifstream in(path, std::ios::binary);
    in.seekg(0, std::ios::end);
    bytes = double(in.tellg());
    in.seekg(0);
    auto start = std::chrono::steady_clock::now();
    String frame;
    std::string output = path + ".qel";
    {
        rendrib reader(in, path.c_str(), frame);
        reader.errorPrinter(quiet);
        qelOutputFile(QEL_FORMAT_QEL, output.c_str());
        reader.parse();
    }
    std::remove(output.c_str());
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    double megabytes = argc > 1 ? std::atof(argv[1]) : 40;
    if (!(megabytes > 0 && megabytes <= 4000)) {
        std::fprintf(stderr, "megabytes must lie between 0 and 4000\n");
        return 2;
    }
    for (bool binary : {false, true}) {
        std::string path = writeScene(megabytes, binary);
        if (path.empty()) {
            std::fprintf(stderr, "cannot write a temporary file\n");
            return 2;
        }
        double bytes = 0;
        double seconds = readScene(path, bytes);
        std::printf("%s: %.1f MB of RIB in %.3f s: %.1f MB/s\n", binary ? "binary" : "ASCII",
                    bytes / 1e6, seconds, bytes / 1e6 / seconds);
        std::remove(path.c_str());
    }
    return 0;
}
