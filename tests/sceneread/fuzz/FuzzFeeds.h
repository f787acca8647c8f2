// The ways the bytes of a fuzz input reach a reader: whole from memory, in
// small pieces as a slow pipe gives them, from a file, and from a file of
// their gzip compression (which the reader inflates). The regression tests
// read every corpus file all four ways; a fuzz target takes one way per
// input, chosen by its size.
#ifndef QEL_TESTS_FUZZFEEDS_H
#define QEL_TESTS_FUZZFEEDS_H

#include <cstddef>
#include <cstdint>
#include <istream>
#include <memory>
#include <streambuf>
#include <string>

enum class Feed { Memory, Pieces, File, GzipFile };

constexpr Feed kFeeds[] = {Feed::Memory, Feed::Pieces, Feed::File, Feed::GzipFile};

Feed feedFor(size_t size);

// Gives the bytes in pieces of one to seven bytes, as a pipe might; with a
// failure, it then fails as a disk might (an InputFailure) instead of ending.
class PiecesBuffer : public std::streambuf {
public:
    explicit PiecesBuffer(std::string bytes, std::string failure = "")
        : fBytes(std::move(bytes)), fFailure(std::move(failure)) {}

protected:
    int_type underflow() override;
    std::streamsize xsgetn(char* s, std::streamsize n) override;

private:
    std::string fBytes, fFailure;
    size_t fNext = 0;
    size_t fPieces = 0;
};

// A file holding the bytes, compressed with gzip or not, removed at the end.
class ScratchFile {
public:
    ScratchFile(const std::string& bytes, bool gzip);
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const std::string& path() const { return fPath; }

private:
    std::string fPath;
};

// An input stream over the bytes, fed the chosen way.
class FedInput {
public:
    FedInput(const std::string& bytes, Feed feed);
    ~FedInput();
    FedInput(const FedInput&) = delete;
    FedInput& operator=(const FedInput&) = delete;

    std::istream& stream() { return *fStream; }

private:
    std::unique_ptr<ScratchFile> fFile;
    std::unique_ptr<std::streambuf> fBuffer;
    std::unique_ptr<std::istream> fStream;
};

// The bytes compressed as a gzip file.
std::string gzipped(const std::string& bytes);

#endif
