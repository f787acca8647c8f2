#include "common/PrintableText.h"

namespace quelmark {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

bool isControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

// U+0080 to U+009F, which some terminals obey as controls.
bool isC1Control(std::string_view sequence) {
    return sequence.size() == 2 && static_cast<unsigned char>(sequence[0]) == 0xC2 &&
           static_cast<unsigned char>(sequence[1]) < 0xA0;
}

void appendEscape(std::string& out, unsigned char c) {
    switch (c) {
    case '\n':
        out += "\\n";
        return;
    case '\r':
        out += "\\r";
        return;
    case '\t':
        out += "\\t";
        return;
    default:
        out += "\\x";
        out += kHexDigits[c >> 4];
        out += kHexDigits[c & 0xF];
    }
}

// The length of the printable piece at the start of text: one ASCII byte
// or one UTF-8 sequence; 0 when its first byte needs an escape.
size_t printablePiece(std::string_view text) {
    auto c = static_cast<unsigned char>(text[0]);
    if (c < 0x80) return isControl(c) ? 0 : 1;
    size_t length = utf8SequenceLength(text);
    return length > 0 && !isC1Control(text.substr(0, length)) ? length : 0;
}

} // namespace

size_t utf8SequenceLength(std::string_view text) {
    if (text.empty()) return 0;
    auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char c = byte(0);
    if (c < 0x80) return 1;
    size_t length = c < 0xC2 ? 0 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : c < 0xF5 ? 4 : 0;
    if (length == 0 || length > text.size()) return 0;
    for (size_t k = 1; k < length; ++k)
        if ((byte(k) & 0xC0) != 0x80) return 0;
    if (c == 0xE0 && byte(1) < 0xA0) return 0;  // overlong
    if (c == 0xED && byte(1) >= 0xA0) return 0; // a surrogate
    if (c == 0xF0 && byte(1) < 0x90) return 0;  // overlong
    if (c == 0xF4 && byte(1) >= 0x90) return 0; // past U+10FFFF
    return length;
}

bool isPrintableText(std::string_view text) {
    for (size_t k = 0; k < text.size();) {
        size_t piece = printablePiece(text.substr(k));
        if (piece == 0) return false;
        k += piece;
    }
    return true;
}

std::string printableText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t k = 0; k < text.size();) {
        size_t piece = printablePiece(text.substr(k));
        if (piece == 0) {
            appendEscape(out, static_cast<unsigned char>(text[k]));
            ++k;
        } else {
            out.append(text.substr(k, piece));
            k += piece;
        }
    }
    return out;
}

} // namespace quelmark
