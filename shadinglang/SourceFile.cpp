#include "shadinglang/SourceFile.h"

#include "shadinglang/Preprocessor.h"

#include <cerrno>
#include <cstddef>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quelmark::sl {

namespace {

std::string systemReason(int number) {
    return std::generic_category().message(number);
}

class OpenFile {
public:
    explicit OpenFile(const std::string& path)
        : fDescriptor(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {}
    ~OpenFile() {
        if (fDescriptor >= 0) ::close(fDescriptor);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    int descriptor() const { return fDescriptor; }

private:
    int fDescriptor;
};

std::string tooLarge() {
    return "larger than " + std::to_string(preprocesslimits::kLargestFile >> 20) + " MiB";
}

// Why the open file is no source to read; empty when it is one.
std::string unfitSource(int descriptor) {
    struct stat info;
    if (::fstat(descriptor, &info) != 0) return systemReason(errno);
    if (S_ISDIR(info.st_mode)) return systemReason(EISDIR);
    if (!S_ISREG(info.st_mode)) return "not a regular file";
    if (std::size_t(info.st_size) > preprocesslimits::kLargestFile) return tooLarge();
    return {};
}

} // namespace

std::optional<std::string> readSourceText(const std::string& path, std::string& reason) {
    const OpenFile file(path);
    reason = file.descriptor() < 0 ? systemReason(errno) : unfitSource(file.descriptor());
    if (!reason.empty()) return std::nullopt;
    constexpr std::size_t kChunkBytes = 1 << 16;
    std::string text, chunk(kChunkBytes, '\0');
    for (;;) {
        const ssize_t count = ::read(file.descriptor(), chunk.data(), chunk.size());
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) reason = systemReason(errno);
        if (text.size() > preprocesslimits::kLargestFile) reason = tooLarge();
        if (!reason.empty()) return std::nullopt;
        if (count == 0) return text;
        text.append(chunk, 0, std::size_t(count));
    }
}

} // namespace quelmark::sl
