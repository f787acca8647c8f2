#include "sceneread/RequestLoop.h"

#include "api/qel.h"
#include "sceneread/ReadLimits.h"

#include <new>

namespace quelmark {

namespace {
constexpr long kLimit = 12;
constexpr long kNoMemory = 13;
constexpr long kSyntax = 16;
constexpr long kReadError = 19;
} // namespace

void RequestLoop::parse() {
    while (parse1()) {
    }
}

int RequestLoop::parse1() {
    if (fRendering) {
        if (RenderBucket()) return 1;
        fRendering = false;
    } else {
        if (fToken == kNoToken) Reset();
        if (fToken != LEXEOF) runStatement();
    }
    if (fToken == LEXEOF && !fRendering) finishInput();
    return fRendering || fToken != LEXEOF;
}

int RequestLoop::percent() {
    return qelProgress();
}

void RequestLoop::runStatement() {
    try {
        if (fToken == kNoToken)
            readToken();
        else
            statement();
    } catch (const QELException& report) {
        handOn(report);
        panic();
    } catch (const std::bad_alloc&) {
        reportHere(kNoMemory, QELSevere, "Free store exhausted");
        panic();
    }
}

void RequestLoop::beginRequest(long line, const std::string& keyword) {
    fRequestLine = line;
    fRequestText = keyword;
    fRequestBytes = 0;
}

void RequestLoop::resumeRequest(RequestPlace request) {
    fRequestLine = request.line;
    fRequestText = std::move(request.text);
    fRequestBytes = request.bytes;
}

bool RequestLoop::reportLargeRequest() {
    std::string message = "the request holds more than " +
                          std::to_string(readlimits::kLargestRequest >> 20) + " MiB of values";
    reportHere(kLimit, QELErrorSeverity, message.c_str());
    return false;
}

void RequestLoop::finishInput() {
    if (fFinished) return;
    fFinished = true;
    if (stopRequested() || tooManyErrors()) return;
    if (!inputFailure().empty()) {
        std::string message = "reading stops: " + inputFailure();
        reportHere(kReadError, QELSevere, message.c_str());
    }
    if (!fBlocks.empty()) {
        std::string message = "the file ends inside " + fBlocks.describe();
        reportHere(kSyntax, QELErrorSeverity, message.c_str());
    }
}

} // namespace quelmark
