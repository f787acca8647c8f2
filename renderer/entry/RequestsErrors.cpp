// The error requests of the renderer library and its three standard handlers.
#include "api/qel.h"
#include "common/Error.h"
#include "renderer/state/RequestFrame.h"

using namespace quelmark;

void qelErrorHandler(short severityMask, short handler) {
    RequestName frame("qelErrorHandler");
    setErrorHandler(severityMask, handler);
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
