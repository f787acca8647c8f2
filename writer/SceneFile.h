// The scene file that request lines go to.
//
// Nothing is written until a file is chosen. A file that failed to open or
// to take a line (a full disk) is reported once, as an error of the request
// being written, and the lines after it are still tried.
#ifndef QEL_WRITER_SCENEFILE_H
#define QEL_WRITER_SCENEFILE_H

#include <cstddef>
#include <cstdio>
#include <string>

namespace quelmark {

class SceneFile {
public:
    SceneFile() = default;
    ~SceneFile();
    SceneFile(const SceneFile&) = delete;
    SceneFile& operator=(const SceneFile&) = delete;

    // Closes the current file, then opens name for writing, replacing its
    // contents; "-" is standard output. Null chooses no file.
    void open(const char* name);
    void close();
    bool chosen() const { return fChosen; }

    // Writes one line in one piece; flushed at once when asked.
    void write(const char* data, size_t size, bool flush);

private:
    void report(const char* what, int code);

    std::FILE* fFile = nullptr;
    std::string fName;
    bool fChosen = false;
    bool fReported = false;
    int fOpenError = 0;
};

} // namespace quelmark

#endif
