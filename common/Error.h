// Error reporting: one function for every problem the libraries find.
//
// A report carries a code (1 to 15 have fixed texts), a severity and an
// optional printf-style message. A replaceable handler per severity decides
// whether it is ignored, printed, or printed and the process ended; printing
// goes through one replaceable printer that receives finished lines.
#ifndef QEL_COMMON_ERROR_H
#define QEL_COMMON_ERROR_H

#include "api/qel.h"

#include <cstdarg>

namespace quelmark {

enum ErrorCode : long {
    kErrNone = 0,
    kErrNoMem = 1,
    kErrIncapable = 2,
    kErrBug = 3,
    kErrNesting = 4,
    kErrNotOptions = 5,
    kErrNotAttribs = 6,
    kErrNotPrims = 7,
    kErrIllState = 8,
    kErrBadEnum = 9,
    kErrRange = 10,
    kErrConsistency = 11,
    kErrBadHandle = 12,
    kErrMissingData = 13,
    kErrSyntax = 14,
    kErrMath = 15,
};

enum Severity : long {
    kInfo = QEL_SEVERITY_INFO,
    kWarning = QEL_SEVERITY_WARNING,
    kError = QEL_SEVERITY_ERROR,
    kSevere = QEL_SEVERITY_SEVERE,
};

void error(long code, long severity, const char* format, ...) __attribute__((format(printf, 3, 4)));
void verror(long code, long severity, const char* format, va_list args);

void setErrorHandler(short mask, short handler);
void setErrorHandler(short mask, qelErrorHandlerFunc handler);
void setErrorPrinter(qelErrorPrinterFunc printer);

// Sets the name of the request running on this thread and returns the
// previous one. While a thread has a name, running out of memory is reported
// under the name of the thread that ran out, and is fatal.
const char* setErrorFuncName(const char* name);
const char* errorFuncName();

// Object and shading-group names added to printed reports while rendering,
// for reports made on this thread.
void setAttribNames(const char* objectName, const char* groupName);

// While a queue is set, reports made on this thread wait in it instead of
// reaching the handlers; null hands them over at once again.
class ReportQueue;
void deferReports(ReportQueue* queue);
// A report made on another thread, handed to its handler as if made here,
// under the request running here and the names it was made with.
void reportNow(long code, long severity, const char* message, const char* objectName,
               const char* groupName);

// The three standard handlers (exported as qelErrorIgnore, qelErrorPrint and
// qelErrorAbort) and the last code that reached one of them.
void errorIgnore(long code, long severity, const char* message);
void errorPrint(long code, long severity, const char* message);
void errorAbort(long code, long severity, const char* message);
long lastError();

// The display can veto printing a report; the base display never does.
using ErrorGate = bool (*)(long severity);
void setErrorGate(ErrorGate gate);

// The printer a library starts with, before any client installs its own.
void setDefaultErrorPrinter(qelErrorPrinterFunc printer);

// Writes a finished line and a line feed to standard error.
void printToStandardError(const char* text);

// Code text, with its leading blank (" Out of memory."), into out; empty for 0.
void errorCodeText(long code, char* out, unsigned long size);
const char* severityLabel(long severity);

// The size of the formatting buffer; longer messages are cut.
constexpr int kErrorBufferSize = 124;

} // namespace quelmark

#endif
