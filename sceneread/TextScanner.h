// The lexical pieces the scene-file lexers share: the input read in large
// blocks with byte offsets, blanks and comments with line counting, quoted
// strings with their escapes, and the characters of numbers and words, each
// cut at its longest length. A read that fails ends the input; its reason
// is kept.
#ifndef QEL_SCENEREAD_TEXTSCANNER_H
#define QEL_SCENEREAD_TEXTSCANNER_H

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace quelmark {

class TextScanner {
public:
    static constexpr int kEnd = std::char_traits<char>::eof();

    // With binaryEndsWords, a byte of 0x80 or above ends a number or word:
    // a binary token may follow it directly.
    TextScanner(std::istream& in, bool binaryEndsWords);
    TextScanner(std::streambuf* in, bool binaryEndsWords);
    // A scanner moved keeps its place: its block stays where it was.
    TextScanner(TextScanner&&) = default;
    TextScanner& operator=(TextScanner&&) = default;

    int get() {
        if (fPos == fEnd && !refill()) return kEnd;
        return static_cast<unsigned char>(*fPos++);
    }
    int peek() {
        if (fPos == fEnd && !refill()) return kEnd;
        return static_cast<unsigned char>(*fPos);
    }
    // The offset in the input of the next byte.
    long offset() const { return fBase + long(fPos - fBuffer.data()); }
    // Line feeds counted outside binary data, plus one.
    long line() const { return fLine; }
    // Why the input ended early; empty when it ended by itself or goes on.
    const std::string& failure() const { return fFailure; }

    // Reads count bytes; false when the input ends first.
    bool read(unsigned char* bytes, size_t count);
    bool skip(uint64_t count);
    // Appends up to count bytes of those read ahead, at least one unless
    // the input has ended; returns how many.
    size_t appendSome(std::string& text, uint64_t count);
    // The bytes read ahead, refilled when none are left; empty at the end.
    const char* ahead(size_t& count);
    void consume(size_t count) { fPos += count; }

    bool endsWord(int c) const;
    // Skips blanks and comments; returns the first character after them.
    int skipBlanks();

    enum class StringEnd { Closed, EndOfInput, LineEnd, TooLong };
    // Collects the characters of a string after its opening quote, with
    // its escapes resolved. With lineEndsString an unescaped line end stops
    // it (the line is counted); otherwise it is one of its characters. A
    // string reaching the longest length stops there: the rest of it is
    // left to be read as what follows.
    StringEnd scanString(std::string& text, bool lineEndsString);

    struct NumberShape {
        bool point = false;
        bool exponent = false;
        size_t mantissaDigits = 0; // before and after the point
        size_t fractionDigits = 0;
        size_t lastRun = 0;    // digits of the last run: the exponent's, if any
        bool endsWell = false; // followed by what may end a word
        bool tooLong = false;  // cut at the longest word; the rest is left unread
        bool isFloat() const { return point || exponent; }
    };
    // Collects an optional sign, digits, a fraction and an exponent after
    // the first character; an ill-formed one takes the rest of its word.
    NumberShape scanNumber(int first, std::string& text);
    // Appends characters up to the end of the word; false when the word
    // reached the longest length and was cut there.
    bool scanWord(std::string& text);
    // Ends the input here: what follows is not read.
    void stop();

private:
    bool refill();
    // Appends the digits that follow, up to the longest word.
    void appendDigits(std::string& text);

    std::streambuf* fIn;
    bool fBinaryEndsWords;
    std::vector<char> fBuffer;
    const char* fPos = nullptr;
    const char* fEnd = nullptr;
    long fBase = 0; // the offset of the block's first byte
    long fLine = 1;
    std::string fFailure;
};

} // namespace quelmark

#endif
