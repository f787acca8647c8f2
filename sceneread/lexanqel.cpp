#include "sceneread/lexanqel.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <new>

qelErrorPrinterFunc lexanqel::QELErrorPrinter = nullptr;

namespace {

constexpr int kEnd = std::char_traits<char>::eof();
constexpr long kSyntax = 16;
constexpr long kStringMemory = 15;
// Token texts longer than this are left out of reports.
constexpr size_t kQuotedTokenLength = 28;

bool isDigit(int c) { return c >= '0' && c <= '9'; }
bool isOctal(int c) { return c >= '0' && c <= '7'; }
bool isBlank(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
// What may follow a number or end a keyword.
bool endsWord(int c) {
    return c == kEnd || isBlank(c) || c == '"' || c == '#' || c == '[' || c == ']';
}

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
};

void printLine(const std::string& line) {
    if (lexanqel::QELErrorPrinter)
        lexanqel::QELErrorPrinter(line.c_str());
    else
        std::fprintf(stderr, "%s\n", line.c_str());
}

const char* severityPrefix(long severity) {
    switch (severity) {
    case QELInfo: return "QEL info: ";
    case QELWarning: return "QEL warning: ";
    case QELSevere: return "severe QEL error: ";
    default: return "QEL error: ";
    }
}

} // namespace

lexanqel::lexanqel(std::istream& in, const char* fileName)
    : fIn(in.rdbuf()), fFileName(fileName), fBuffer(size_t(1) << 16) {}

bool lexanqel::refill() {
    if (!fIn) return false;
    std::streamsize got = fIn->sgetn(fBuffer.data(), std::streamsize(fBuffer.size()));
    if (got <= 0) return false;
    fPos = fBuffer.data();
    fEnd = fPos + got;
    return true;
}

const char* lexanqel::codeText(long code) {
    if (code < 1 || code >= long(std::size(kCodeTexts))) return "";
    return kCodeTexts[code];
}

int lexanqel::next() {
    int c = get();
    for (;;) {
        if (c == '\n') {
            ++fLine;
        } else if (c == '#') {
            while (c != kEnd && c != '\n') c = get();
            continue;
        } else if (!isBlank(c)) {
            break;
        }
        c = get();
    }
    fTokenLine = fLine;
    fText.clear();
    if (c == kEnd) return fThisToke = LEXEOF;
    if (c == '"') return fThisToke = scanString();
    if (c == '+' || c == '-' || c == '.' || isDigit(c)) return fThisToke = scanNumber(c);
    if (c == '[' || c == ']') {
        fText.push_back(char(c));
        return fThisToke = c;
    }
    return fThisToke = scanKeyword(c);
}

int lexanqel::scanString() {
    try {
        for (;;) {
            int c = get();
            if (c == kEnd) {
                fThisToke = LEXSTRING;
                QELError(kSyntax, QELErrorSeverity, "Unterminated string");
                return LEXSTRING;
            }
            if (c == '"') return LEXSTRING;
            if (c == '\n' || c == '\r') {
                if (c == '\n') ++fLine;
                fThisToke = LEXSTRING;
                throw exception(kSyntax, QELErrorSeverity, "String runs past end of line");
            }
            if (c == '\\') {
                c = get();
                switch (c) {
                case 'n': c = '\n'; break;
                case 'r': c = '\r'; break;
                case 't': c = '\t'; break;
                case 'b': c = '\b'; break;
                case 'f': c = '\f'; break;
                case '\n': ++fLine; continue; // a continued line
                case kEnd: continue;          // reported as unterminated next time round
                default:
                    if (isOctal(c)) {
                        int code = c - '0';
                        for (int k = 1; k < 3 && isOctal(peek()); ++k) code = code * 8 + (get() - '0');
                        c = code & 0xFF;
                    }
                    break;
                }
            }
            fText.push_back(char(c));
        }
    } catch (const std::bad_alloc&) {
        fText.clear();
        throw exception(kStringMemory, QELErrorSeverity, nullptr);
    }
}

int lexanqel::scanNumber(int first) {
    fText.push_back(char(first));
    bool isFloat = false;
    size_t run = isDigit(first) ? 1 : 0; // digits in the last run
    auto digits = [&] {
        run = 0;
        while (isDigit(peek())) fText.push_back(char(get())), ++run;
    };
    if (first == '.') {
        isFloat = true;
        digits();
    } else {
        while (isDigit(peek())) fText.push_back(char(get())), ++run;
        if (peek() == '.') {
            isFloat = true;
            fText.push_back(char(get()));
            digits();
        }
    }
    if (run > 0 && (peek() == 'e' || peek() == 'E')) {
        isFloat = true;
        fText.push_back(char(get()));
        if (peek() == '+' || peek() == '-') fText.push_back(char(get()));
        digits();
    }
    if (run == 0 || !endsWord(peek())) {
        consumeWord();
        fThisToke = isFloat ? LEXFLOAT : LEXINT;
        throw exception(kSyntax, QELErrorSeverity, "Invalid number");
    }
    const char* begin = fText.c_str();
    const char* end = begin + fText.size();
    if (*begin == '+') ++begin; // from_chars takes no plus sign
    if (isFloat) {
        auto [ptr, ec] = std::from_chars(begin, end, fFloat);
        if (ec != std::errc()) fFloat = std::strtof(fText.c_str(), nullptr);
        return LEXFLOAT;
    }
    auto [ptr, ec] = std::from_chars(begin, end, fInt);
    if (ec != std::errc()) fInt = std::strtol(fText.c_str(), nullptr, 10); // saturates
    return LEXINT;
}

void lexanqel::consumeWord() {
    while (!endsWord(peek())) fText.push_back(char(get()));
}

int lexanqel::scanKeyword(int first) {
    fText.push_back(char(first));
    consumeWord();
    return LEXKEYWORD;
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

std::string lexanqel::message(const char* format, va_list args) const {
    char head[64];
    std::snprintf(head, sizeof head, "at line %ld", fTokenLine);
    std::string text = head;
    if (fText.size() <= kQuotedTokenLength) {
        text += " '";
        text += fText;
        text += '\'';
    }
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

void lexanqel::QELError(long code, long severity, const char* format, ...) {
    va_list args;
    va_start(args, format);
    vQELError(code, severity, format, args);
    va_end(args);
}

void lexanqel::vQELError(long code, long severity, const char* format, va_list args) {
    std::string text = message(format, args);
    if (fHandler) fHandler(code, severity, text.c_str());
}

QELException lexanqel::exception(long code, long severity, const char* format, ...) {
    va_list args;
    va_start(args, format);
    QELException result{code, severity, message(format, args)};
    va_end(args);
    return result;
}

void lexanqel::QELErrorIgnore(long, long, const char*) {}

void lexanqel::QELErrorPrint(long code, long severity, const char* message) {
    std::string line = severityPrefix(severity);
    line += codeText(code);
    if (message) {
        line += ' ';
        line += message;
    }
    printLine(line);
}

void lexanqel::QELErrorAbort(long code, long severity, const char* message) {
    QELErrorPrint(code, severity, message);
    std::abort();
}
