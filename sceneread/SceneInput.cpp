#include "sceneread/SceneInput.h"

#include "sceneread/InputFailure.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace quelmark {

namespace {

constexpr size_t kBlockSize = size_t(1) << 16;
constexpr unsigned char kGzipMagic[2] = {0x1F, 0x8B};
// zlib's window bits for gzip data only, not zlib or raw deflate streams.
constexpr int kGzipWindowBits = 16 + MAX_WBITS;

bool isRegular(int fd) {
    struct stat info;
    return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

struct SceneInput::Inflater {
    z_stream stream{};
    bool memberEnded = false;

    Inflater() {
        if (inflateInit2(&stream, kGzipWindowBits) != Z_OK) throw std::bad_alloc();
    }
    ~Inflater() { inflateEnd(&stream); }
};

std::unique_ptr<SceneInput> SceneInput::open(const std::string& path, std::string& why) {
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        why = std::strerror(errno);
        return nullptr;
    }
    struct stat info;
    int problem = ::fstat(fd, &info) != 0 ? errno : S_ISDIR(info.st_mode) ? EISDIR : 0;
    if (problem != 0) {
        why = std::strerror(problem);
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<SceneInput>(new SceneInput(fd, true, S_ISREG(info.st_mode)));
}

std::unique_ptr<SceneInput> SceneInput::borrow(int fd) {
    return std::unique_ptr<SceneInput>(new SceneInput(fd, false, isRegular(fd)));
}

SceneInput::SceneInput(int fd, bool owned, bool regular)
    : fFd(fd), fOwned(owned), fRegular(regular), fRaw(kBlockSize) {}

SceneInput::~SceneInput() {
    if (fOwned) ::close(fFd);
}

SceneInput::int_type SceneInput::underflow() {
    if (gptr() < egptr() || fill()) return traits_type::to_int_type(*gptr());
    return traits_type::eof();
}

// One block at most: a slow pipe's scene is read as it comes.
std::streamsize SceneInput::xsgetn(char* s, std::streamsize n) {
    if (n <= 0 || (gptr() == egptr() && !fill())) return 0;
    std::streamsize part = std::min<std::streamsize>(n, egptr() - gptr());
    std::memcpy(s, gptr(), size_t(part));
    gbump(int(part));
    return part;
}

bool SceneInput::fill() {
    if (fEnded) return false;
    if (!fStarted && !startInput()) return false;
    if (fInflater) return inflateSome();
    if (fRawBegin == fRawEnd) {
        fRawBegin = fRawEnd = 0;
        if (readRaw() == 0) {
            fEnded = true;
            return false;
        }
    }
    setg(fRaw.data() + fRawBegin, fRaw.data() + fRawBegin, fRaw.data() + fRawEnd);
    fRawBegin = fRawEnd;
    return true;
}

// The first two bytes tell gzip data from anything else.
bool SceneInput::startInput() {
    fStarted = true;
    while (fRawEnd < sizeof kGzipMagic)
        if (readRaw() == 0) break;
    if (fRawEnd == 0) {
        fEnded = true;
        return false;
    }
    if (fRawEnd >= sizeof kGzipMagic && std::memcmp(fRaw.data(), kGzipMagic, 2) == 0) {
        fInflater = std::make_unique<Inflater>();
        fInflated.resize(kBlockSize);
    }
    return true;
}

size_t SceneInput::readRaw() {
    for (;;) {
        if (!awaitReadable()) {
            fWoken = true;
            return 0;
        }
        ssize_t got = ::read(fFd, fRaw.data() + fRawEnd, fRaw.size() - fRawEnd);
        if (got > 0) {
            fRawEnd += size_t(got);
            return size_t(got);
        }
        if (got == 0) return 0;
        if (errno != EINTR && errno != EAGAIN) fail(std::strerror(errno));
    }
}

// A regular file is always ready; a pipe, terminal or device is waited for,
// together with the wake descriptor.
bool SceneInput::awaitReadable() {
    pollfd fds[2] = {{fWake, POLLIN, 0}, {fFd, POLLIN, 0}};
    if (fRegular) return fWake < 0 || ::poll(fds, 1, 0) <= 0;
    for (;;) {
        pollfd* first = fWake >= 0 ? fds : fds + 1;
        int ready = ::poll(first, nfds_t(fds + 2 - first), -1);
        if (ready < 0 && errno != EINTR) return true; // the read tells what is wrong
        if (fWake >= 0 && (fds[0].revents & POLLIN)) return false;
        if (ready > 0 && fds[1].revents) return true;
    }
}

bool SceneInput::inflateSome() {
    z_stream& stream = fInflater->stream;
    for (;;) {
        if (fRawBegin == fRawEnd) {
            fRawBegin = fRawEnd = 0;
            if (readRaw() == 0) {
                fEnded = true;
                if (!fInflater->memberEnded && !fWoken) fail("the gzip data ends early");
                return false;
            }
        }
        if (fInflater->memberEnded) { // another member follows
            inflateReset(&stream);
            fInflater->memberEnded = false;
        }
        stream.next_in = reinterpret_cast<Bytef*>(fRaw.data() + fRawBegin);
        stream.avail_in = uInt(fRawEnd - fRawBegin);
        stream.next_out = reinterpret_cast<Bytef*>(fInflated.data());
        stream.avail_out = uInt(fInflated.size());
        int result = inflate(&stream, Z_NO_FLUSH);
        fRawBegin = fRawEnd - stream.avail_in;
        size_t produced = fInflated.size() - stream.avail_out;
        if (result == Z_STREAM_END) {
            fInflater->memberEnded = true;
        } else if (result != Z_OK && !(result == Z_BUF_ERROR && stream.avail_in == 0)) {
            std::string reason = "the gzip data is damaged";
            if (stream.msg) reason += std::string(" (") + stream.msg + ")";
            fail(reason);
        }
        if (produced > 0) {
            setg(fInflated.data(), fInflated.data(), fInflated.data() + produced);
            return true;
        }
    }
}

void SceneInput::fail(const std::string& reason) {
    fEnded = true;
    setg(nullptr, nullptr, nullptr);
    throw InputFailure{reason};
}

} // namespace quelmark
