#include "common/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

namespace quelmark {

namespace {

// The temporary name lives in a fixed buffer and is published through a
// lock-free pointer, so that a signal handler reads it without allocating.
char gTempPath[PATH_MAX];
std::atomic<const char*> gInProgress{nullptr};
static_assert(std::atomic<const char*>::is_always_lock_free);

// The file a symbolic link names, else the path itself.
std::string resolved(const std::string& path) {
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) return path; // a dangling link is replaced
    std::string target = real;
    std::free(real);
    return target;
}

bool makeTempPath(const std::string& path) {
    int length =
        std::snprintf(gTempPath, sizeof gTempPath, "%s.part-%ld", path.c_str(), long(::getpid()));
    if (length < 0 || std::size_t(length) >= sizeof gTempPath) {
        errno = ENAMETOOLONG;
        return false;
    }
    return true;
}

bool runWriter(const std::function<bool(const char*)>& write, const char* path) {
    try {
        return write(path);
    } catch (...) {
        return false;
    }
}

bool replace(const std::string& target, const struct stat* old) {
    if (old && ::chmod(gTempPath, old->st_mode & 07777) != 0) return false;
    return std::rename(gTempPath, target.c_str()) == 0;
}

bool writeThroughTemp(const std::string& target, const struct stat* old,
                      const std::function<bool(const char*)>& write) {
    if (!makeTempPath(target)) return false;
    gInProgress.store(gTempPath);
    bool written = runWriter(write, gTempPath) && replace(target, old);
    if (!written) std::remove(gTempPath);
    gInProgress.store(nullptr);
    return written;
}

} // namespace

bool AtomicFile::writeWhole(const std::string& path,
                            const std::function<bool(const char* tempPath)>& write) {
    if (path.empty() || gInProgress.load()) return false;
    std::string target = resolved(path);
    struct stat info;
    if (::stat(target.c_str(), &info) != 0) return writeThroughTemp(target, nullptr, write);
    if (S_ISDIR(info.st_mode)) return false;
    if (!S_ISREG(info.st_mode)) return runWriter(write, target.c_str());
    if (::access(target.c_str(), W_OK) != 0) return false;
    return writeThroughTemp(target, &info, write);
}

const char* AtomicFile::inProgress() {
    return gInProgress.load();
}

} // namespace quelmark
