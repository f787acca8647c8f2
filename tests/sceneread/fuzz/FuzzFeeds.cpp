#include "FuzzFeeds.h"

#include "sceneread/InputFailure.h"
#include "sceneread/SceneInput.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <fcntl.h>
#include <sstream>
#include <unistd.h>
#include <zlib.h>

using namespace quelmark;

namespace {

// In memory where the system has a folder for it: millions are made.
std::string scratchPath() {
    static std::atomic<long> count{0};
    static const char* folder = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(folder) + "/qel-fuzz-" + std::to_string(long(::getpid())) + "-" +
           std::to_string(count.fetch_add(1));
}

} // namespace

PiecesBuffer::int_type PiecesBuffer::underflow() {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    if (fNext == fBytes.size()) {
        if (!fFailure.empty()) throw InputFailure{fFailure};
        return traits_type::eof();
    }
    size_t piece = std::min(fBytes.size() - fNext, size_t(1 + fPieces++ % 7));
    char* begin = fBytes.data() + fNext;
    setg(begin, begin, begin + piece);
    fNext += piece;
    return traits_type::to_int_type(*gptr());
}

std::streamsize PiecesBuffer::xsgetn(char* s, std::streamsize n) {
    if (n <= 0 || (gptr() == egptr() && underflow() == traits_type::eof())) return 0;
    std::streamsize part = std::min<std::streamsize>(n, egptr() - gptr());
    std::memcpy(s, gptr(), size_t(part));
    gbump(int(part));
    return part;
}

Feed feedFor(size_t size) {
    return kFeeds[size % std::size(kFeeds)];
}

std::string gzipped(const std::string& bytes) {
    z_stream stream{};
    constexpr int kGzipWindowBits = 16 + MAX_WBITS;
    deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, kGzipWindowBits, 8,
                 Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, uLong(bytes.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = uInt(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

ScratchFile::ScratchFile(const std::string& bytes, bool gzip) : fPath(scratchPath()) {
    std::string content = gzip ? gzipped(bytes) : bytes;
    int fd = ::open(fPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return;
    size_t written = 0;
    while (written < content.size()) {
        ssize_t part = ::write(fd, content.data() + written, content.size() - written);
        if (part <= 0) break;
        written += size_t(part);
    }
    ::close(fd);
}

ScratchFile::~ScratchFile() {
    ::unlink(fPath.c_str());
}

FedInput::FedInput(const std::string& bytes, Feed feed) {
    switch (feed) {
    case Feed::Memory:
        fBuffer = std::make_unique<std::stringbuf>(bytes, std::ios::in);
        break;
    case Feed::Pieces:
        fBuffer = std::make_unique<PiecesBuffer>(bytes);
        break;
    case Feed::File:
    case Feed::GzipFile: {
        fFile = std::make_unique<ScratchFile>(bytes, feed == Feed::GzipFile);
        std::string why;
        fBuffer = SceneInput::open(fFile->path(), why);
        if (!fBuffer) fBuffer = std::make_unique<std::stringbuf>(std::ios::in);
        break;
    }
    }
    fStream = std::make_unique<std::istream>(fBuffer.get());
}

FedInput::~FedInput() {
    fStream.reset();
    fBuffer.reset();
}
