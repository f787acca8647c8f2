// The suite's string class: a character buffer and a 16-bit length.
#ifndef QEL_COMMON_STRING_H
#define QEL_COMMON_STRING_H

#include <cstdint>

namespace quelmark {

class String {
public:
    // Longer texts are cut to this many characters, since the length is 16 bits.
    static constexpr int kMaxLength = 65535;

    String() = default;
    String(const char* text); // null gives the empty string
    String(const String& other);
    String(String&& other) noexcept;
    ~String();

    String& operator=(const String& other);
    String& operator=(String&& other) noexcept;
    String& operator=(const char* text);

    String& operator+=(const String& other);
    String& operator+=(const char* text);
    String& operator+=(char c);

    int length() const { return fLength; }
    bool empty() const { return fLength == 0; }
    const char* c_str() const { return fText ? fText : ""; }
    explicit operator const char*() const { return c_str(); }

    // An index past the end, or negative, reports a range error and yields
    // the terminating character; writes through that reference are lost.
    char& operator[](int index);
    const char& operator[](int index) const;

    std::uint32_t hash() const { return hash(c_str()); }
    static std::uint32_t hash(const char* text);

    friend bool operator==(const String& a, const String& b);
    friend bool operator==(const String& a, const char* b);
    friend bool operator<(const String& a, const String& b);

private:
    void assign(const char* text, int length);
    void append(const char* text, int length);
    bool inRange(int index) const;

    char* fText = nullptr; // null while empty
    std::uint16_t fLength = 0;
};

String operator+(const String& a, const String& b);
String operator+(const String& a, const char* b);
String operator+(const char* a, const String& b);

} // namespace quelmark

#endif
