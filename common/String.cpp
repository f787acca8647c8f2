#include "common/String.h"

#include "common/Error.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>

namespace quelmark {

namespace {

int clampedLength(std::size_t length) {
    return static_cast<int>(std::min<std::size_t>(length, String::kMaxLength));
}

int textLength(const char* text) {
    return text ? clampedLength(std::strlen(text)) : 0;
}

std::string_view view(const String& s) {
    return {s.c_str(), static_cast<std::size_t>(s.length())};
}

// Stands in for the terminator when an index out of range is written through.
char gOutOfRange = '\0';

} // namespace

String::String(const char* text) {
    assign(text, textLength(text));
}

String::String(const String& other) {
    assign(other.fText, other.fLength);
}

String::String(String&& other) noexcept
    : fText(std::exchange(other.fText, nullptr)), fLength(std::exchange(other.fLength, 0)) {}

String::~String() {
    delete[] fText;
}

String& String::operator=(const String& other) {
    if (this != &other) assign(other.fText, other.fLength);
    return *this;
}

String& String::operator=(String&& other) noexcept {
    if (this != &other) {
        delete[] fText;
        fText = std::exchange(other.fText, nullptr);
        fLength = std::exchange(other.fLength, 0);
    }
    return *this;
}

String& String::operator=(const char* text) {
    assign(text, textLength(text));
    return *this;
}

String& String::operator+=(const String& other) {
    append(other.fText, other.fLength);
    return *this;
}

String& String::operator+=(const char* text) {
    append(text, textLength(text));
    return *this;
}

String& String::operator+=(char c) {
    append(&c, 1);
    return *this;
}

char& String::operator[](int index) {
    if (inRange(index)) return fText[index];
    error(kErrRange, kError, "string index out of range");
    gOutOfRange = '\0';
    return gOutOfRange;
}

const char& String::operator[](int index) const {
    if (inRange(index)) return fText[index];
    error(kErrRange, kError, "string index out of range");
    return c_str()[fLength];
}

std::uint32_t String::hash(const char* text) {
    std::uint32_t h = 0;
    for (const char* p = text ? text : ""; *p; ++p) {
        const auto c = static_cast<std::int32_t>(static_cast<signed char>(*p));
        h = (h << 4) + static_cast<std::uint32_t>(c);
        const std::uint32_t g = h & 0xF0000000u;
        if (g != 0) h ^= g ^ (g >> 24);
    }
    return h;
}

bool operator==(const String& a, const String& b) {
    return view(a) == view(b);
}

bool operator==(const String& a, const char* b) {
    return view(a) == std::string_view(b ? b : "");
}

bool operator<(const String& a, const String& b) {
    return view(a) < view(b);
}

String operator+(const String& a, const String& b) {
    String result(a);
    result += b;
    return result;
}

String operator+(const String& a, const char* b) {
    String result(a);
    result += b;
    return result;
}

String operator+(const char* a, const String& b) {
    String result(a);
    result += b;
    return result;
}

// The text may lie inside the current buffer, so it is copied before the
// old buffer goes.
void String::assign(const char* text, int length) {
    char* buffer = nullptr;
    if (length > 0) {
        buffer = new char[length + 1];
        std::memcpy(buffer, text, length);
        buffer[length] = '\0';
    }
    delete[] fText;
    fText = buffer;
    fLength = static_cast<std::uint16_t>(length);
}

void String::append(const char* text, int length) {
    const int added = std::min(length, kMaxLength - fLength);
    if (added <= 0) return;
    const int total = fLength + added;
    char* buffer = new char[total + 1];
    std::memcpy(buffer, c_str(), fLength);
    std::memcpy(buffer + fLength, text, added);
    buffer[total] = '\0';
    delete[] fText;
    fText = buffer;
    fLength = static_cast<std::uint16_t>(total);
}

bool String::inRange(int index) const {
    return index >= 0 && index < fLength;
}

} // namespace quelmark
