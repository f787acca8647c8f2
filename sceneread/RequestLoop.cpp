#include "sceneread/RequestLoop.h"

#include "api/qel.h"

#include <new>

namespace {
constexpr long kNoMemory = 13;
}

void RequestLoop::parse() {
    while (parse1()) {
    }
}

int RequestLoop::parse1() {
    if (fRendering) return RenderBucket();
    if (fToken == kNoToken) Reset();
    if (fToken != LEXEOF) runStatement();
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
