// What the scene-file parsers share: the file is read one request per step,
// a scene ended on the way is rendered one bucket per step, and a report
// that ends a request is handed on and reading resumes at the next request.
#ifndef QEL_SCENEREAD_REQUESTLOOP_H
#define QEL_SCENEREAD_REQUESTLOOP_H

#include "sceneread/lexanqel.h"

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

protected:
    // Before the first token is read.
    static constexpr int kNoToken = 256;

    virtual void Reset() = 0;
    // One step of incremental rendering; nonzero while buckets remain.
    virtual int RenderBucket() = 0;
    // Reads the next token into fToken.
    virtual void readToken() = 0;
    // Skips to the next request keyword or the end of input.
    virtual void panic() = 0;
    // Hands a finished report to the current error handler.
    virtual void handOn(const QELException& report) = 0;
    // Reports at the current token.
    virtual void reportHere(long code, long severity, const char* message) = 0;

    // One request, with the recovery from a report that ends it.
    void runStatement();

    int fToken = kNoToken;
    bool fRendering = false;
};

#endif
