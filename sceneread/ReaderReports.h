// How the scene-file readers word their reports: the texts of their error
// codes, the severity labels, the place of a report ("at line 12 'Sphere'")
// and the printed line.
#ifndef QEL_SCENEREAD_READERREPORTS_H
#define QEL_SCENEREAD_READERREPORTS_H

#include "api/qel.h"
#include "sceneread/ReadLimits.h"

#include <cstdarg>
#include <string>

namespace quelmark {

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

// Where a reader's reports go: the handler chosen, with the errors of the
// file counted (a severity other than info and warning). The report that
// makes them too many is followed by one severe report that reading stops;
// after it nothing more is handed on.
class ReportGate {
public:
    using Handler = void (*)(long code, long severity, const char* message);

    explicit ReportGate(Handler handler) : fHandler(handler) {}

    void setHandler(Handler handler) { fHandler = handler; }
    Handler handler() const { return fHandler; }
    // Hands the report, placed at the line, to the handler; true when it
    // made the errors too many.
    bool deliver(long code, long severity, const char* message, long line);
    // A broken token skipped without a report; true when it made the errors
    // too many.
    bool countSkipped();
    // The severe report that reading stops, at the place ("at line N
    // 'token'").
    void reportTooMany(const std::string& place, long line);
    bool tooMany() const { return fErrors >= readlimits::kMostErrors; }
    // The line of the report being handed on; 0 between reports.
    long reportLine() const { return fReportLine; }

private:
    bool count(long severity);

    Handler fHandler;
    long fErrors = 0;
    long fReportLine = 0;
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

} // namespace quelmark

#endif
