// What the scene-file parsers share: the file is read one request per step,
// a scene ended on the way is rendered one bucket per step, and a report
// that ends a request is handed on and reading resumes at the next request.
// It keeps the blocks the file has begun, so that a file ending inside one
// says so, and bounds the values one request may hold.
#ifndef QEL_SCENEREAD_REQUESTLOOP_H
#define QEL_SCENEREAD_REQUESTLOOP_H

#include "sceneread/OpenBlocks.h"
#include "sceneread/ReadLimits.h"
#include "sceneread/lexanqel.h"

#include <string>

namespace quelmark {

class RequestLoop {
public:
    virtual ~RequestLoop() = default;

    // Reads the whole file.
    void parse();
    // One request, or one bucket while a scene renders; nonzero while work
    // remains.
    int parse1();
    // The renderer's progress in the scene, in percent.
    int percent();
    // Reads one request.
    virtual void statement() = 0;

    bool rendering() const { return fRendering; }

    // Asked between requests that one request makes (an object's or an
    // archive's) whether the program was told to stop; at the end of the
    // file the reports of an unfinished file are then left out. The wake
    // descriptor, readable once told to stop, ends waits for the files the
    // reader opens itself.
    void setStopCheck(bool (*stopRequested)(), int wake = -1) {
        fStopRequested = stopRequested;
        fWake = wake;
    }
    bool stopRequested() const { return fStopRequested && fStopRequested(); }

    // Whether reading stopped at a read error before the end of the file.
    bool inputFailed() const { return !inputFailure().empty(); }

    // The file and line that the message being printed is about: the report
    // being handed to the handler, else the request being handled.
    virtual const char* placeFile() const = 0;
    virtual long placeLine() const = 0;

protected:
    // Before the first token is read.
    static constexpr int kNoToken = 256;

    virtual void Reset() = 0;
    // One step of incremental rendering; nonzero while buckets remain.
    // When it returns 0 the scene has ended and reading resumes.
    virtual int RenderBucket() = 0;
    // Reads the next token into fToken.
    virtual void readToken() = 0;
    // Skips to the next request keyword or the end of input.
    virtual void panic() = 0;
    // Hands a finished report to the current error handler.
    virtual void handOn(const QELException& report) = 0;
    // Reports at the current token.
    virtual void reportHere(long code, long severity, const char* message) = 0;
    // Why the input ended early (a read error), empty when it did not.
    virtual const std::string& inputFailure() const = 0;
    // Whether the file had too many errors to be read to its end.
    virtual bool tooManyErrors() const = 0;

    // One request, with the recovery from a report that ends it.
    void runStatement();
    // Notes the request about to be handled: its line and keyword.
    void beginRequest(long line, const std::string& keyword);
    // The request being handled, to take up again after the requests it
    // made itself (an object's, an archive's).
    struct RequestPlace {
        long line;
        std::string text;
        size_t bytes;
    };
    RequestPlace currentRequest() const { return {fRequestLine, fRequestText, fRequestBytes}; }
    void resumeRequest(RequestPlace request);

    void openBlock(OpenBlocks::Kind kind) { fBlocks.open(kind, fRequestLine); }
    void closeBlock(OpenBlocks::Kind kind) { fBlocks.close(kind); }

    // Counts bytes of values read into the current request; false, after
    // a report, once the request holds more than a request may.
    bool takeValues(size_t bytes) {
        fRequestBytes += bytes;
        return fRequestBytes <= readlimits::kLargestRequest || reportLargeRequest();
    }

    int fToken = kNoToken;
    bool fRendering = false;
    int fWake = -1;
    long fRequestLine = 0;
    std::string fRequestText;

private:
    // At the end of the file: a read that failed, and blocks left open.
    void finishInput();
    // Reports a request holding too much; false.
    bool reportLargeRequest();

    OpenBlocks fBlocks;
    size_t fRequestBytes = 0;
    bool fFinished = false;
    bool (*fStopRequested)() = nullptr;
};

} // namespace quelmark

#endif
