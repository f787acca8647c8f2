// How the scene-file readers word their reports: the texts of their error
// codes, the severity labels, the place of a report ("at line 12 'Sphere'")
// and the printed line.
#ifndef QEL_SCENEREAD_READERREPORTS_H
#define QEL_SCENEREAD_READERREPORTS_H

#include "api/qel.h"

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

// "at line N 'token': message"; a token longer than a report quotes is left
// out, and there is no message part without a format.
std::string placedReport(long line, const std::string& token, const char* format, va_list args);

// Prints the label, the code's text and the message through the printer,
// or on standard error without one.
void printReport(SceneFormat format, qelErrorPrinterFunc printer, long code, long severity,
                 const char* message);

#endif
