#include "writer/SceneFile.h"

#include "common/Error.h"

#include <cerrno>
#include <cstring>

namespace quelmark {

namespace {
// The name that chooses standard output.
constexpr const char* kStandardOutput = "-";
} // namespace

SceneFile::~SceneFile() { close(); }

void SceneFile::open(const char* name) {
    close();
    fReported = false;
    fChosen = name != nullptr;
    if (!name) return;
    fName = name;
    errno = 0;
    fFile = std::strcmp(name, kStandardOutput) == 0 ? stdout : std::fopen(name, "w");
    fOpenError = fFile ? 0 : errno;
}

void SceneFile::close() {
    bool failed = fFile == stdout ? std::fflush(fFile) != 0 : fFile && std::fclose(fFile) != 0;
    if (failed) report("cannot write scene file", errno);
    fFile = nullptr;
    fChosen = false;
}

void SceneFile::write(const char* data, size_t size, bool flush) {
    if (!fChosen) return;
    if (!fFile) {
        report("cannot open scene file", fOpenError);
        return;
    }
    if (std::fwrite(data, 1, size, fFile) != size || (flush && std::fflush(fFile) != 0))
        report("cannot write scene file", errno);
}

void SceneFile::report(const char* what, int code) {
    if (fReported) return;
    fReported = true;
    error(kErrRange, kError, "%s %s: %s", what, fName.c_str(),
          code ? std::strerror(code) : "unknown failure");
}

} // namespace quelmark
