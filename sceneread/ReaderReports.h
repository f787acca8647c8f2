// How the scene-file readers word their reports: the texts of their error
// codes, the severity labels, the place of a report ("at line 12 'Sphere'")
// and the printed line.
#ifndef QEL_SCENEREAD_READERREPORTS_H
#define QEL_SCENEREAD_READERREPORTS_H

#include "api/qel.h"
#include "sceneread/ReadLimits.h"

#include <cstdarg>
#include <string>

enum class SceneFormat { Qel, Rib };

// Token texts longer than this are left out of reports.
constexpr size_t kLongestQuotedToken = 28;

// The text of an error code, empty for an unknown one.
const char* readerCodeText(SceneFormat format, long code);
// "QEL info: ", "QEL warning: ", "severe QEL error: " or "QEL error: ", or
// the same with "RIB".
const char* readerSeverityPrefix(SceneFormat format, long severity);

// "at line N 'token'"; a token longer than a report quotes, or none (the
// end of the file), is left out. The token's control bytes and bytes that
// are not UTF-8 are shown as escapes.
std::string placeOf(long line, const std::string* token);
// "at line N 'token': message", without the message part when there is no
// format.
std::string placedReport(long line, const std::string* token, const char* format, va_list args);

// The severe report's text once a file has had too many errors.
constexpr const char* kTooManyErrors = "too many errors; the rest of the file is not read";

// Counts the error reports of one file (a severity other than info and
// warning); the report that makes them too many answers true, and the
// reader then reads no further.
class ErrorCount {
public:
    bool add(long severity);
    bool tooMany() const { return fErrors >= readlimits::kMostErrors; }

private:
    long fErrors = 0;
};

// How the readers' abort handlers end the program once they have printed:
// std::abort unless the program chose a gentler end (or a test, a throw).
using ReaderAbort = void (*)();
void setReaderAbort(ReaderAbort end);
[[noreturn]] void abortReading();

// Prints the label, the code's text and the message through the printer,
// or on standard error without one; what came from the file is shown with
// escapes where a terminal would take it for a control.
void printReport(SceneFormat format, qelErrorPrinterFunc printer, long code, long severity,
                 const char* message);

#endif
