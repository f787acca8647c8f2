#include "shell/FrameSaver.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quelmark {

namespace {

bool exists(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

} // namespace

FrameSaver::FrameSaver(std::string path, SaveFunc save, bool alwaysNumbered)
    : fPath(std::move(path)), fSave(std::move(save)), fAlwaysNumbered(alwaysNumbered) {
    fSave(fAlwaysNumbered ? numberedName(fPath, 1).c_str() : fPath.c_str());
}

bool FrameSaver::frameFinished(std::string& problem) {
    ++fFrames;
    fSave(numberedName(fPath, fFrames + 1).c_str());
    if (fAlwaysNumbered || fFrames != 2 || !exists(fPath)) return true;
    std::string first = numberedName(fPath, 1);
    if (std::rename(fPath.c_str(), first.c_str()) == 0) return true;
    problem = "cannot rename \"" + fPath + "\" to \"" + first + "\": " + std::strerror(errno);
    return false;
}

void FrameSaver::stop() {
    fSave(nullptr);
}

std::string FrameSaver::numberedName(const std::string& path, int number) {
    size_t base = path.find_last_of('/');
    base = base == std::string::npos ? 0 : base + 1;
    size_t dot = path.find_last_of('.');
    // A dot that begins the file's name (".png") starts no extension.
    if (dot == std::string::npos || dot <= base) dot = path.size();
    return path.substr(0, dot) + std::to_string(number) + path.substr(dot);
}

std::string FrameSaver::problemWith(const std::string& path) {
    struct stat info;
    if (::stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) return std::strerror(EISDIR);
        if (!S_ISREG(info.st_mode)) return ""; // a device or pipe is written in place
        if (::access(path.c_str(), W_OK) != 0) return std::strerror(errno);
    }
    std::string probe = path + ".part-" + std::to_string(long(::getpid()));
    int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return std::strerror(errno);
    ::close(fd);
    ::unlink(probe.c_str());
    return "";
}

} // namespace quelmark
