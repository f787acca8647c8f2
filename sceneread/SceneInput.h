// A scene file as the readers read it: a regular file, standard input, a
// pipe or a device, inflated on the way when its first bytes say it is gzip
// data (whatever its name). A read that fails, or compressed data that is
// damaged, ends the input with an InputFailure naming the reason. Waits for
// a slow pipe or terminal, and reading between blocks, end as soon as the
// wake descriptor becomes readable (the program was told to stop).
#ifndef QEL_SCENEREAD_SCENEINPUT_H
#define QEL_SCENEREAD_SCENEINPUT_H

#include <cstdint>
#include <istream>
#include <memory>
#include <streambuf>
#include <string>
#include <vector>

namespace quelmark {

class SceneInput : public std::streambuf {
public:
    // Opens the file; null, with the system's reason in why, when it cannot
    // be opened or is a directory. A FIFO is opened without waiting for its
    // writer; reading waits for it instead.
    static std::unique_ptr<SceneInput> open(const std::string& path, std::string& why);
    // Reads a descriptor that stays open afterwards, such as standard input.
    static std::unique_ptr<SceneInput> borrow(int fd);

    ~SceneInput() override;
    SceneInput(const SceneInput&) = delete;
    SceneInput& operator=(const SceneInput&) = delete;

    // A descriptor that becomes readable when reading should stop; -1 for none.
    void setWake(int fd) { fWake = fd; }
    // Whether reading ended because the wake descriptor became readable.
    bool woken() const { return fWoken; }
    bool compressed() const { return fInflater != nullptr; }

protected:
    int_type underflow() override;
    std::streamsize xsgetn(char* s, std::streamsize n) override;

private:
    struct Inflater;

    SceneInput(int fd, bool owned, bool regular);
    // Fills the get area; false at the end of the input.
    bool fill();
    bool startInput();
    // Reads raw bytes into fRaw from fRawEnd on; 0 at the end of the file.
    size_t readRaw();
    bool awaitReadable();
    [[noreturn]] void fail(const std::string& reason);
    bool inflateSome();

    int fFd;
    bool fOwned;
    bool fRegular;
    int fWake = -1;
    bool fWoken = false;
    bool fStarted = false;
    bool fEnded = false;
    std::vector<char> fRaw;
    size_t fRawBegin = 0, fRawEnd = 0;
    std::vector<char> fInflated;
    std::unique_ptr<Inflater> fInflater;
};

// An input stream over a scene input it owns.
class SceneStream : public std::istream {
public:
    explicit SceneStream(std::unique_ptr<SceneInput> input)
        : std::istream(input.get()), fInput(std::move(input)) {}

private:
    std::unique_ptr<SceneInput> fInput;
};

} // namespace quelmark

#endif
