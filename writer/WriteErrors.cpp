// The error requests of the scene writer and its three standard handlers.
#include "api/qel.h"
#include "common/Error.h"
#include "renderer/state/RequestFrame.h"
#include "writer/SceneWriter.h"

using namespace quelmark;

// The handler is installed first; the line is written after it.
void qelErrorHandler(short severityMask, short handler) {
    RequestName frame("qelErrorHandler");
    setErrorHandler(severityMask, handler);
    writeCheckedLine("qelErrorHandler",
                     [&](QelLine& line) { line.enumerator(severityMask).enumerator(handler); });
}

void qelCustomErrorHandler(short severityMask, qelErrorHandlerFunc handler) {
    RequestName frame("qelCustomErrorHandler");
    setErrorHandler(severityMask, handler);
}

void qelErrorPrinter(qelErrorPrinterFunc printer) {
    RequestName frame("qelErrorPrinter");
    setErrorPrinter(printer);
}

long qelLastError() { return lastError(); }

void qelErrorIgnore(long code, long severity, const char* message) {
    errorIgnore(code, severity, message);
}

void qelErrorPrint(long code, long severity, const char* message) {
    errorPrint(code, severity, message);
}

void qelErrorAbort(long code, long severity, const char* message) {
    errorAbort(code, severity, message);
}
