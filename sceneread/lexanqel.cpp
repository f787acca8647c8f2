#include "sceneread/lexanqel.h"

#include "sceneread/ReaderReports.h"

#include <cassert>
#include <charconv>
#include <cstdlib>
#include <new>

namespace quelmark {

qelErrorPrinterFunc lexanqel::QELErrorPrinter = nullptr;

namespace {

constexpr long kLimit = 12;
constexpr long kSyntax = 16;
constexpr long kStringMemory = 15;

bool isDigit(int c) { return c >= '0' && c <= '9'; }

} // namespace

lexanqel::lexanqel(std::istream& in, const char* fileName)
    : fIn(in, false), fFileName(fileName) {}

const char* lexanqel::codeText(long code) { return readerCodeText(SceneFormat::Qel, code); }

int lexanqel::next() {
    int c = fIn.skipBlanks();
    fTokenLine = fIn.line();
    fText.clear();
    if (c == TextScanner::kEnd) return fThisToke = LEXEOF;
    if (c == '"') return fThisToke = scanString();
    if (c == '+' || c == '-' || c == '.' || isDigit(c)) return fThisToke = scanNumber(c);
    fText.push_back(char(c));
    if (c == '[' || c == ']') return fThisToke = c;
    fThisToke = LEXKEYWORD;
    if (!fIn.scanWord(fText))
        throw exception(kLimit, QELErrorSeverity, "Word longer than %zu bytes",
                        readlimits::kLongestWord);
    return LEXKEYWORD;
}

int lexanqel::scanString() {
    TextScanner::StringEnd end;
    try {
        end = fIn.scanString(fText, true);
    } catch (const std::bad_alloc&) {
        fText.clear();
        throw exception(kStringMemory, QELErrorSeverity, nullptr);
    }
    fThisToke = LEXSTRING;
    if (end == TextScanner::StringEnd::EndOfInput)
        QELError(kSyntax, QELErrorSeverity, "Unterminated string");
    else if (end == TextScanner::StringEnd::LineEnd)
        throw exception(kSyntax, QELErrorSeverity, "String runs past end of line");
    else if (end == TextScanner::StringEnd::TooLong)
        throw exception(kLimit, QELErrorSeverity, "String longer than %zu bytes",
                        readlimits::kLongestString);
    return LEXSTRING;
}

int lexanqel::scanNumber(int first) {
    TextScanner::NumberShape shape = fIn.scanNumber(first, fText);
    // The last run of digits must not be empty, nor may a point end the digits.
    bool valid = shape.endsWell && shape.lastRun > 0 && !(shape.point && shape.fractionDigits == 0);
    if (!valid) {
        fThisToke = shape.isFloat() ? LEXFLOAT : LEXINT;
        if (shape.tooLong)
            throw exception(kLimit, QELErrorSeverity, "Number longer than %zu bytes",
                            readlimits::kLongestWord);
        throw exception(kSyntax, QELErrorSeverity, "Invalid number");
    }
    const char* begin = fText.c_str();
    const char* end = begin + fText.size();
    if (*begin == '+') ++begin; // from_chars takes no plus sign
    if (shape.isFloat()) {
        auto [ptr, ec] = std::from_chars(begin, end, fFloat);
        if (ec != std::errc()) fFloat = std::strtof(fText.c_str(), nullptr);
        return LEXFLOAT;
    }
    auto [ptr, ec] = std::from_chars(begin, end, fInt);
    if (ec != std::errc()) fInt = std::strtol(fText.c_str(), nullptr, 10); // saturates
    return LEXINT;
}

void lexanqel::get(long& value) const {
    assert(fThisToke == LEXINT && "thistoke == LEXINT");
    value = fInt;
}

void lexanqel::get(float& value) const {
    assert((fThisToke == LEXFLOAT || fThisToke == LEXINT) &&
           "thistoke == LEXFLOAT || thistoke == LEXINT");
    value = fThisToke == LEXINT ? float(fInt) : fFloat;
}

void lexanqel::get(String& value) const {
    assert((fThisToke == LEXSTRING || fThisToke == LEXKEYWORD) &&
           "thistoke == LEXSTRING || thistoke == LEXKEYWORD");
    value = fText.c_str();
}

void lexanqel::QELError(long code, long severity, const char* format, ...) {
    va_list args;
    va_start(args, format);
    vQELError(code, severity, format, args);
    va_end(args);
}

// The end of the file is no token to quote.
void lexanqel::vQELError(long code, long severity, const char* format, va_list args) {
    vQELErrorAt(fTokenLine, fThisToke == LEXEOF ? nullptr : &fText, code, severity, format, args);
}

void lexanqel::vQELErrorAt(long line, const std::string* token, long code, long severity,
                           const char* format, va_list args) {
    std::string text = placedReport(line, token, format, args);
    deliver(code, severity, text.c_str(), line);
}

QELException lexanqel::exception(long code, long severity, const char* format, ...) {
    va_list args;
    va_start(args, format);
    QELException result{code, severity, placedReport(fTokenLine, &fText, format, args),
                        fTokenLine};
    va_end(args);
    return result;
}

void lexanqel::deliver(long code, long severity, const char* message, long line) {
    if (fReports.deliver(code, severity, message, line)) stopReading();
}

void lexanqel::countSkipped() {
    if (fReports.countSkipped()) stopReading();
}

void lexanqel::stopReading() {
    fIn.stop();
    fReports.reportTooMany(placeOf(fTokenLine, &fText), fTokenLine);
}

void lexanqel::QELErrorIgnore(long, long, const char*) {}

void lexanqel::QELErrorPrint(long code, long severity, const char* message) {
    printReport(SceneFormat::Qel, QELErrorPrinter, code, severity, message);
}

void lexanqel::QELErrorAbort(long code, long severity, const char* message) {
    QELErrorPrint(code, severity, message);
    abortReading();
}

} // namespace quelmark
