#include "sceneread/ReaderReports.h"

#include "common/PrintableText.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>

namespace quelmark {

namespace {

// Codes 8 and 17 name the format; the table holds the QEL texts.
const char* const kCodeTexts[] = {
    "",
    "insufficient memory to construct array",
    "incorrect parameter value",
    "invalid array specification",
    "undefined basis matrix name",
    "invalid color specification",
    "invalid light or object handle",
    "parameter list type mismatch",
    "invalid encoded QEL request code",
    "undefined encoded string token",
    "invalid binary token",
    "protocol version number mismatch",
    "overflowing an internal limit",
    "generic instance of insufficient memory",
    "malformed binary encoding",
    "insufficient memory to read string",
    "general syntactic error",
    "undefined QEL request",
    "",
    "read error",
};

// RIB reading knows one code more: a request the scene API cannot express.
constexpr long kRibNoCounterpart = 18;
// "overflowing an internal limit"
constexpr long kLimitCode = 12;

ReaderAbort gAbort = nullptr;

} // namespace

void setReaderAbort(ReaderAbort end) {
    gAbort = end;
}

void abortReading() {
    if (gAbort) gAbort();
    std::abort();
}

const char* readerCodeText(SceneFormat format, long code) {
    if (format == SceneFormat::Rib) {
        if (code == 8) return "invalid encoded RIB request code";
        if (code == 17) return "undefined RIB request";
        if (code == kRibNoCounterpart) return "no counterpart in the scene API";
    }
    if (code < 1 || code >= long(std::size(kCodeTexts))) return "";
    // Code 18 is RIB reading's own.
    return kCodeTexts[code];
}

const char* readerSeverityPrefix(SceneFormat format, long severity) {
    bool rib = format == SceneFormat::Rib;
    switch (severity) {
    case QEL_SEVERITY_INFO:
        return rib ? "RIB info: " : "QEL info: ";
    case QEL_SEVERITY_WARNING:
        return rib ? "RIB warning: " : "QEL warning: ";
    case QEL_SEVERITY_SEVERE:
        return rib ? "severe RIB error: " : "severe QEL error: ";
    default:
        return rib ? "RIB error: " : "QEL error: ";
    }
}

std::string placeOf(long line, const std::string* token) {
    char head[64];
    std::snprintf(head, sizeof head, "at line %ld", line);
    std::string text = head;
    if (token && token->size() <= kLongestQuotedToken) {
        text += " '";
        text += printableText(*token);
        text += '\'';
    }
    return text;
}

std::string placedReport(long line, const std::string* token, const char* format, va_list args) {
    std::string text = placeOf(line, token);
    if (format) {
        va_list copy;
        va_copy(copy, args);
        char buffer[512];
        int length = std::vsnprintf(buffer, sizeof buffer, format, copy);
        va_end(copy);
        text += ": ";
        if (length >= 0) text.append(buffer, size_t(std::min<int>(length, sizeof buffer - 1)));
    }
    return text;
}

void printReport(SceneFormat format, qelErrorPrinterFunc printer, long code, long severity,
                 const char* message) {
    std::string line = readerSeverityPrefix(format, severity);
    const char* codeText = readerCodeText(format, code);
    line += codeText;
    if (message) {
        // A QEL report keeps its separating blank even without a code text.
        if (*codeText || format == SceneFormat::Qel) line += ' ';
        line += message;
    }
    if (!isPrintableText(line)) line = printableText(line);
    if (printer)
        printer(line.c_str());
    else
        std::fprintf(stderr, "%s\n", line.c_str());
}

bool ReportGate::deliver(long code, long severity, const char* message, long line) {
    if (tooMany()) return false;
    fReportLine = line;
    if (fHandler) fHandler(code, severity, message);
    fReportLine = 0;
    return count(severity);
}

bool ReportGate::countSkipped() {
    return !tooMany() && count(QEL_SEVERITY_ERROR);
}

void ReportGate::reportTooMany(const std::string& place, long line) {
    std::string text = place + ": " + kTooManyErrors;
    fReportLine = line;
    if (fHandler) fHandler(kLimitCode, QEL_SEVERITY_SEVERE, text.c_str());
    fReportLine = 0;
}

bool ReportGate::count(long severity) {
    if (severity == QEL_SEVERITY_INFO || severity == QEL_SEVERITY_WARNING) return false;
    return ++fErrors == readlimits::kMostErrors;
}

} // namespace quelmark
