#include "sceneread/rib/lexanrib.h"

#include "common/PrintableText.h"
#include "sceneread/ReadLimits.h"
#include "sceneread/ReaderReports.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace quelmark {

qelErrorPrinterFunc lexanrib::RIBErrorPrinter = nullptr;

namespace {

constexpr int kEnd = TextScanner::kEnd;
constexpr int kNoToken = -2;
// Binary float arrays announcing more items are refused before any is read.
constexpr uint64_t kMostArrayItems = readlimits::kLargestRequest / sizeof(float);

bool isDigit(int c) {
    return c >= '0' && c <= '9';
}

float bigEndianFloat(const unsigned char* bytes) {
    uint32_t bits =
        uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// The offset of the first byte that is NUL or not valid UTF-8, or -1.
long badStringByte(const std::string& text) {
    std::string_view rest = text;
    for (size_t k = 0; k < text.size();) {
        size_t length = text[k] == '\0' ? 0 : utf8SequenceLength(rest.substr(k));
        if (length == 0) return long(k);
        k += length;
    }
    return -1;
}

} // namespace

lexanrib::lexanrib(std::istream& in, const char* fileName) : fIn(in, true), fFileName(fileName) {}

lexanrib::~lexanrib() = default;

bool lexanrib::readUnsigned(int count, uint64_t& value) {
    unsigned char bytes[8];
    if (!fIn.read(bytes, size_t(count))) return false;
    value = 0;
    for (int k = 0; k < count; ++k)
        value = value << 8 | bytes[k];
    return true;
}

// ---- tokens

int lexanrib::next() {
    if (fReplay) {
        if (fReplayNext == fReplay->size() || fReports.tooMany()) {
            fTok = Token{};
            fTok.line = fReplay->empty() ? fIn.line() : fReplay->back().line;
            return fTok.type = LEXEOF;
        }
        fTok = (*fReplay)[fReplayNext++];
        return fTok.type;
    }
    return scan();
}

lexanrib::Replay lexanrib::startReplay(const std::vector<Token>& tokens) {
    Replay saved{fReplay, fReplayNext, std::move(fTok)};
    fReplay = &tokens;
    fReplayNext = 0;
    return saved;
}

void lexanrib::endReplay(Replay saved) {
    fReplay = saved.tokens;
    fReplayNext = saved.next;
    fTok = std::move(saved.current);
}

lexanrib::Include lexanrib::startInclude(std::streambuf* in, const char* fileName) {
    Include saved{std::move(fIn), fFileName, std::move(fTok)};
    fIn = TextScanner(in, true);
    fFileName = fileName;
    fTok = Token{};
    return saved;
}

void lexanrib::endInclude(Include saved) {
    fIn = std::move(saved.scanner);
    if (fReports.tooMany()) fIn.stop(); // the archive had the file's last error
    fFileName = saved.fileName;
    fTok = std::move(saved.current);
}

int lexanrib::scan() {
    for (;;) {
        int c = fIn.skipBlanks();
        fTok.line = fIn.line();
        fTok.offset = fIn.offset() - (c != kEnd);
        fTok.text.clear();
        fTok.binaryNumber = false;
        if (c == kEnd) return fTok.type = LEXEOF;
        if (c >= 0x80) {
            fTok.type = LEXERROR; // until the token is whole
            int token = binary(c);
            if (token == kNoToken) continue;
            return fTok.type = token;
        }
        if (c == '"') return fTok.type = scanString();
        if (c == '+' || c == '-' || c == '.' || isDigit(c)) return fTok.type = scanNumber(c);
        fTok.text.push_back(char(c));
        if (c == '[' || c == ']') return fTok.type = c;
        if (!fIn.scanWord(fTok.text)) return tooLong("Word", readlimits::kLongestWord);
        return fTok.type = LEXKEYWORD;
    }
}

int lexanrib::errorToken(long code, const char* format, ...) {
    fTok.type = LEXERROR;
    va_list args;
    va_start(args, format);
    std::string token = tokenText();
    fTok.error =
        QELException{code, QELErrorSeverity, placedReport(fTok.line, &token, format, args), fTok.line};
    va_end(args);
    return LEXERROR;
}

int lexanrib::tooLong(const char* what, size_t longest) {
    return errorToken(RIBLimit, "%s longer than %zu bytes", what, longest);
}

int lexanrib::truncated() {
    fTok.text.clear();
    return errorToken(RIBMalformed, "Truncated binary token at byte %ld", fTok.offset);
}

int lexanrib::scanString() {
    long start = fIn.offset();
    TextScanner::StringEnd end;
    try {
        end = fIn.scanString(fTok.text, false);
    } catch (const std::bad_alloc&) {
        fTok.text.clear();
        return errorToken(RIBStringMemory, nullptr);
    }
    if (end == TextScanner::StringEnd::EndOfInput) {
        fTok.type = LEXSTRING;
        return errorToken(RIBSyntax, "Unterminated string");
    }
    if (end == TextScanner::StringEnd::TooLong) return tooLong("String", readlimits::kLongestString);
    return checkString(start);
}

int lexanrib::checkString(long start) {
    long bad = badStringByte(fTok.text);
    if (bad < 0) return LEXSTRING;
    bool nul = fTok.text[size_t(bad)] == '\0';
    fTok.type = LEXSTRING;
    return errorToken(RIBSyntax,
                      nul ? "String holds a NUL byte near byte %ld"
                          : "String is not valid UTF-8 near byte %ld",
                      start + bad);
}

int lexanrib::scanNumber(int first) {
    TextScanner::NumberShape shape = fIn.scanNumber(first, fTok.text);
    if (shape.tooLong) return tooLong("Number", readlimits::kLongestWord);
    bool valid =
        shape.endsWell && shape.mantissaDigits > 0 && (!shape.exponent || shape.lastRun > 0);
    if (!valid) return errorToken(RIBSyntax, "Invalid number");
    return convertNumber(shape.isFloat());
}

int lexanrib::convertNumber(bool isFloat) {
    const char* begin = fTok.text.c_str();
    const char* end = begin + fTok.text.size();
    if (*begin == '+') ++begin; // from_chars takes no plus sign
    if (!isFloat) {
        int32_t value = 0;
        auto [ptr, ec] = std::from_chars(begin, end, value);
        if (ec == std::errc() && ptr == end) {
            fTok.intValue = value;
            return LEXINT;
        }
        // too large for an integer: taken as a real
    }
    auto [ptr, ec] = std::from_chars(begin, end, fTok.floatValue);
    if (ec != std::errc() || ptr != end || !std::isfinite(fTok.floatValue))
        return errorToken(RIBSyntax, "Number out of range");
    return LEXFLOAT;
}

// ---- binary tokens

int lexanrib::binary(int code) {
    if (code <= 0x8F) return binaryNumber(code);
    if (code <= 0xA3) return binaryString(code);
    if (code == 0xA4 || code == 0xA5) return binaryFloat(code);
    if (code == 0xA6) return useRequest();
    if (code >= 0xC8 && code <= 0xCB) return binaryArray(code);
    if (code == 0xCC) return defineRequest();
    if (code == 0xCD || code == 0xCE) return defineString(code);
    if (code == 0xCF || code == 0xD0) return referenceString(code);
    return errorToken(RIBBadBinaryToken, "Reserved binary code \\%03o at byte %ld", unsigned(code),
                      fTok.offset);
}

int lexanrib::binaryNumber(int code) {
    int bytes = (code & 3) + 1;
    int fraction = (code >> 2) & 3;
    uint64_t raw = 0;
    if (!readUnsigned(bytes, raw)) return truncated();
    if (fraction > bytes)
        return errorToken(RIBBadBinaryToken,
                          "Fixed-point number with %d fraction bytes in %d at byte %ld", fraction,
                          bytes, fTok.offset);
    // One to three bytes are unsigned, four bytes two's complement.
    long value = bytes == 4 ? long(int32_t(uint32_t(raw))) : long(raw);
    fTok.binaryNumber = true;
    if (fraction == 0) {
        fTok.intValue = value;
        return LEXINT;
    }
    fTok.floatValue = float(double(value) / double(1L << (8 * fraction)));
    return LEXFLOAT;
}

int lexanrib::binaryFloat(int code) {
    uint64_t raw = 0;
    if (!readUnsigned(code == 0xA4 ? 4 : 8, raw)) return truncated();
    if (code == 0xA4) {
        uint32_t bits = uint32_t(raw);
        std::memcpy(&fTok.floatValue, &bits, sizeof fTok.floatValue);
    } else {
        double value;
        std::memcpy(&value, &raw, sizeof value);
        fTok.floatValue = std::isfinite(value) && std::fabs(value) <= 3.4e38 ? float(value) : NAN;
    }
    if (!std::isfinite(fTok.floatValue))
        return errorToken(RIBBadBinaryToken, "Binary float that is not a finite number at byte %ld",
                          fTok.offset);
    fTok.binaryNumber = true;
    return LEXFLOAT;
}

int lexanrib::binaryString(int code) {
    uint64_t length = 0;
    if (code < 0xA0)
        length = uint64_t(code - 0x90);
    else if (!readUnsigned(code - 0xA0 + 1, length))
        return truncated();
    // Refused before any of it is read: the bytes that follow are read as
    // tokens, since a file holding such a string is broken anyway.
    if (length > readlimits::kLongestString) return tooLong("String", readlimits::kLongestString);
    long start = fIn.offset();
    // Read as the bytes come, so that a length past the end of the file
    // costs no more memory than the file holds.
    while (length > 0) {
        size_t part = fIn.appendSome(fTok.text, length);
        if (part == 0) return truncated();
        length -= part;
    }
    return checkString(start);
}

int lexanrib::binaryArray(int code) {
    uint64_t count = 0;
    if (!readUnsigned(code - 0xC8 + 1, count)) return truncated();
    fTok.floats.clear();
    // Refused before any of it is read, as a string too long is.
    if (count > kMostArrayItems)
        return errorToken(RIBLimit, "Float array of %llu items at byte %ld is too large",
                          static_cast<unsigned long long>(count), fTok.offset);
    while (count > 0) {
        size_t available = 0;
        const auto* bytes = reinterpret_cast<const unsigned char*>(fIn.ahead(available));
        if (available < 4) {
            unsigned char split[4];
            if (!fIn.read(split, 4)) return truncated();
            fTok.floats.push_back(bigEndianFloat(split));
            --count;
            continue;
        }
        // As many whole floats as the block holds, in one go.
        size_t part = size_t(std::min<uint64_t>(count, available / 4));
        size_t old = fTok.floats.size();
        fTok.floats.resize(old + part);
        float* out = fTok.floats.data() + old;
        for (size_t k = 0; k < part; ++k, bytes += 4)
            out[k] = bigEndianFloat(bytes);
        fIn.consume(part * 4);
        count -= part;
    }
    bool finite = std::all_of(fTok.floats.begin(), fTok.floats.end(),
                              [](float value) { return std::isfinite(value); });
    if (!finite)
        return errorToken(
            RIBBadBinaryToken,
            "Binary float array at byte %ld holds a value that is not a finite number",
            fTok.offset);
    return LEXARRAY;
}

int lexanrib::useRequest() {
    int code = fIn.get();
    if (code == kEnd) return truncated();
    if (size_t(code) >= fRequestDefined.size() || !fRequestDefined[size_t(code)])
        return errorToken(RIBBadRequestCode, "Request code %d at byte %ld is not defined", code,
                          fTok.offset);
    fTok.text = fRequests[size_t(code)];
    return LEXKEYWORD;
}

int lexanrib::definitionString() {
    int c = fIn.peek();
    if (c == kEnd) return truncated();
    fTok.text.clear();
    bool isString = (c >= 0x90 && c <= 0xA3) || c == 0xCF || c == 0xD0 || c == '"';
    if (!isString)
        return errorToken(RIBMalformed, "Definition at byte %ld is not followed by a string",
                          fTok.offset);
    fIn.get();
    if (c == '"') return scanString();
    if (c >= 0xCF) return referenceString(c);
    return binaryString(c);
}

int lexanrib::defineRequest() {
    int code = fIn.get();
    if (code == kEnd) return truncated();
    if (definitionString() != LEXSTRING) return LEXERROR;
    if (fRequests.empty()) {
        fRequests.resize(256);
        fRequestDefined.assign(256, false);
    }
    fRequests[size_t(code)] = fTok.text;
    fRequestDefined[size_t(code)] = true;
    return kNoToken;
}

int lexanrib::defineString(int code) {
    uint64_t token = 0;
    if (!readUnsigned(code == 0xCD ? 1 : 2, token)) return truncated();
    if (definitionString() != LEXSTRING) return LEXERROR;
    // grown as tokens are defined, which writers number from 0
    if (token >= fStrings.size()) {
        fStrings.resize(size_t(token) + 1);
        fStringDefined.resize(size_t(token) + 1, false);
    }
    fStrings[size_t(token)] = fTok.text;
    fStringDefined[size_t(token)] = true;
    return kNoToken;
}

int lexanrib::referenceString(int code) {
    uint64_t token = 0;
    if (!readUnsigned(code == 0xCF ? 1 : 2, token)) return truncated();
    if (token >= fStringDefined.size() || !fStringDefined[size_t(token)])
        return errorToken(RIBBadStringToken, "String token %u at byte %ld is not defined",
                          unsigned(token), fTok.offset);
    fTok.text = fStrings[size_t(token)];
    return LEXSTRING;
}

// ---- values

std::string lexanrib::tokenText() const {
    if (!fTok.binaryNumber) return fTok.text;
    char text[32];
    if (fTok.type == LEXINT)
        std::snprintf(text, sizeof text, "%ld", fTok.intValue);
    else
        std::snprintf(text, sizeof text, "%g", double(fTok.floatValue));
    return text;
}

void lexanrib::get(long& value) const {
    assert(fTok.type == LEXINT && "thistoke == LEXINT");
    value = fTok.intValue;
}

void lexanrib::get(float& value) const {
    assert((fTok.type == LEXFLOAT || fTok.type == LEXINT) &&
           "thistoke == LEXFLOAT || thistoke == LEXINT");
    value = floatValue();
}

void lexanrib::get(String& value) const {
    assert((fTok.type == LEXSTRING || fTok.type == LEXKEYWORD) &&
           "thistoke == LEXSTRING || thistoke == LEXKEYWORD");
    value = fTok.text.c_str();
}

// ---- reports

void lexanrib::RIBError(long code, long severity, const char* format, ...) {
    va_list args;
    va_start(args, format);
    vRIBError(code, severity, format, args);
    va_end(args);
}

// A whole binary array is too long to quote, and the end of the file is no
// token to quote.
void lexanrib::vRIBError(long code, long severity, const char* format, va_list args) {
    std::string token = tokenText();
    bool quoted = fTok.type != LEXARRAY && fTok.type != LEXEOF;
    vRIBErrorAt(fTok.line, quoted ? &token : nullptr, code, severity, format, args);
}

void lexanrib::vRIBErrorAt(long line, const std::string* token, long code, long severity,
                           const char* format, va_list args) {
    std::string text = placedReport(line, token, format, args);
    deliver(code, severity, text.c_str(), line);
}

QELException lexanrib::exception(long code, long severity, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string token = tokenText();
    QELException result{code, severity, placedReport(fTok.line, &token, format, args), fTok.line};
    va_end(args);
    return result;
}

void lexanrib::deliver(long code, long severity, const char* message, long line) {
    if (fReports.deliver(code, severity, message, line)) stopReading();
}

void lexanrib::countSkipped() {
    if (fReports.countSkipped()) stopReading();
}

// A replay ends at its next token too.
void lexanrib::stopReading() {
    fIn.stop();
    std::string token = tokenText();
    fReports.reportTooMany(placeOf(fTok.line, &token), fTok.line);
}

void lexanrib::RIBErrorIgnore(long, long, const char*) {}

void lexanrib::RIBErrorPrint(long code, long severity, const char* message) {
    printReport(SceneFormat::Rib, RIBErrorPrinter, code, severity, message);
}

void lexanrib::RIBErrorAbort(long code, long severity, const char* message) {
    RIBErrorPrint(code, severity, message);
    abortReading();
}

} // namespace quelmark
