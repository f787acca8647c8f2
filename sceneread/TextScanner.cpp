#include "sceneread/TextScanner.h"

#include "sceneread/InputFailure.h"
#include "sceneread/ReadLimits.h"

#include <algorithm>
#include <cstring>
#include <ios>
#include <system_error>

namespace quelmark {

namespace {

constexpr size_t kBlockSize = size_t(1) << 16;

bool isDigit(int c) {
    return c >= '0' && c <= '9';
}
bool isOctal(int c) {
    return c >= '0' && c <= '7';
}
bool isBlank(int c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

} // namespace

TextScanner::TextScanner(std::istream& in, bool binaryEndsWords)
    : TextScanner(in.rdbuf(), binaryEndsWords) {}

TextScanner::TextScanner(std::streambuf* in, bool binaryEndsWords)
    : fIn(in), fBinaryEndsWords(binaryEndsWords), fBuffer(kBlockSize) {
    fPos = fEnd = fBuffer.data();
}

bool TextScanner::refill() {
    if (!fIn) return false;
    fBase += long(fEnd - fBuffer.data());
    fPos = fEnd = fBuffer.data();
    std::streamsize got = 0;
    try {
        got = fIn->sgetn(fBuffer.data(), std::streamsize(fBuffer.size()));
    } catch (const InputFailure& failure) {
        fFailure = failure.reason;
    } catch (const std::ios_base::failure& failure) {
        fFailure = failure.code().category() == std::system_category() ? failure.code().message()
                                                                        : failure.what();
    }
    if (got <= 0) {
        fIn = nullptr; // nothing more is read after the end or a failure
        return false;
    }
    fEnd = fPos + got;
    return true;
}

bool TextScanner::read(unsigned char* bytes, size_t count) {
    while (count > 0) {
        if (fPos == fEnd && !refill()) return false;
        size_t part = std::min(count, size_t(fEnd - fPos));
        std::memcpy(bytes, fPos, part);
        fPos += part;
        bytes += part;
        count -= part;
    }
    return true;
}

bool TextScanner::skip(uint64_t count) {
    while (count > 0) {
        if (fPos == fEnd && !refill()) return false;
        size_t part = size_t(std::min<uint64_t>(count, uint64_t(fEnd - fPos)));
        fPos += part;
        count -= part;
    }
    return true;
}

size_t TextScanner::appendSome(std::string& text, uint64_t count) {
    if (fPos == fEnd && !refill()) return 0;
    size_t part = size_t(std::min<uint64_t>(count, uint64_t(fEnd - fPos)));
    text.append(fPos, part);
    fPos += part;
    return part;
}

const char* TextScanner::ahead(size_t& count) {
    if (fPos == fEnd) refill();
    count = size_t(fEnd - fPos);
    return fPos;
}

bool TextScanner::endsWord(int c) const {
    return c == kEnd || isBlank(c) || c == '"' || c == '#' || c == '[' || c == ']' ||
           (fBinaryEndsWords && c >= 0x80);
}

int TextScanner::skipBlanks() {
    for (;;) {
        int c = get();
        if (c == '\n') {
            ++fLine;
        } else if (c == '#') {
            while (c != kEnd && c != '\n')
                c = get();
            if (c == '\n') ++fLine;
        } else if (!isBlank(c)) {
            return c;
        }
    }
}

TextScanner::StringEnd TextScanner::scanString(std::string& text, bool lineEndsString) {
    for (;;) {
        if (text.size() >= readlimits::kLongestString) return StringEnd::TooLong;
        int c = get();
        if (c == kEnd) return StringEnd::EndOfInput;
        if (c == '"') return StringEnd::Closed;
        if (c == '\n') ++fLine;
        if (lineEndsString && (c == '\n' || c == '\r')) return StringEnd::LineEnd;
        if (c == '\\') {
            c = get();
            switch (c) {
            case 'n':
                c = '\n';
                break;
            case 'r':
                c = '\r';
                break;
            case 't':
                c = '\t';
                break;
            case 'b':
                c = '\b';
                break;
            case 'f':
                c = '\f';
                break;
            case '\n':
                ++fLine;
                continue; // a continued line
            case kEnd:
                continue; // found unterminated next time round
            default:
                if (isOctal(c)) {
                    int code = c - '0';
                    for (int k = 1; k < 3 && isOctal(peek()); ++k)
                        code = code * 8 + (get() - '0');
                    c = code & 0xFF;
                }
                break;
            }
        }
        text.push_back(char(c));
    }
}

TextScanner::NumberShape TextScanner::scanNumber(int first, std::string& text) {
    NumberShape shape;
    text.push_back(char(first));
    auto digits = [&] {
        size_t before = text.size();
        appendDigits(text);
        shape.lastRun = text.size() - before;
    };
    if (first == '.') {
        shape.point = true;
        digits();
        shape.fractionDigits = shape.lastRun;
    } else {
        digits();
        if (isDigit(first)) ++shape.lastRun;
        shape.mantissaDigits = shape.lastRun;
        if (peek() == '.') {
            shape.point = true;
            text.push_back(char(get()));
            digits();
            shape.fractionDigits = shape.lastRun;
        }
    }
    shape.mantissaDigits += shape.fractionDigits;
    if (shape.mantissaDigits > 0 && (peek() == 'e' || peek() == 'E')) {
        shape.exponent = true;
        text.push_back(char(get()));
        if (peek() == '+' || peek() == '-') text.push_back(char(get()));
        digits();
    }
    shape.endsWell = endsWord(peek());
    if (!shape.endsWell) shape.tooLong = !scanWord(text);
    shape.tooLong |= text.size() > readlimits::kLongestWord;
    return shape;
}

// The digits in the block read ahead go at once, block after block, up to
// the longest word.
void TextScanner::appendDigits(std::string& text) {
    for (;;) {
        if (fPos == fEnd && !refill()) return;
        size_t room = readlimits::kLongestWord - std::min(text.size(), readlimits::kLongestWord);
        if (room == 0) return;
        const char* stop = fPos + std::min(size_t(fEnd - fPos), room);
        const char* end = fPos;
        while (end < stop && isDigit(static_cast<unsigned char>(*end))) ++end;
        text.append(fPos, end);
        bool blockEnded = end == fEnd;
        fPos = end;
        if (!blockEnded) return; // a non-digit follows, or the longest word is reached
    }
}

void TextScanner::stop() {
    fIn = nullptr;
    fPos = fEnd;
}

bool TextScanner::scanWord(std::string& text) {
    while (!endsWord(peek())) {
        if (text.size() >= readlimits::kLongestWord) return false;
        text.push_back(char(get()));
    }
    return true;
}

} // namespace quelmark
