#include "writer/QelLine.h"

#include "common/Error.h"
#include "common/Quark.h"
#include "common/ColorSpace.h"
#include "writer/EnumeratorNames.h"

#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace quelmark {

namespace {

constexpr size_t kInitialCapacity = 1 << 12;

// Floats per item of a numeric type, colours in the current colour samples.
int widthOf(short type) {
    switch (type) {
    case QEL_TYPE_PAIR: return 2;
    case QEL_TYPE_POINT: return 3;
    case QEL_TYPE_POINTW: return 4;
    case QEL_TYPE_COLOR: return int(currentColorSpace().samples);
    default: return 1;
    }
}

long itemsOf(short parameterClass, const ParameterCounts& counts) {
    switch (parameterClass) {
    case QEL_CLASS_CONST: return counts.uniform;
    case QEL_CLASS_VARY: return counts.varying;
    case QEL_CLASS_VERTEX: return counts.vertex;
    default: return 1;
    }
}

// The letter of a short escape, or 0 when the character needs octal.
char escapeLetter(unsigned char c) {
    switch (c) {
    case '\n': return 'n';
    case '\r': return 'r';
    case '\t': return 't';
    case '\b': return 'b';
    case '\f': return 'f';
    case '\\': return '\\';
    case '"': return '"';
    default: return 0;
    }
}

bool plain(unsigned char c) { return c >= 0x20 && c != 0x7F && c != '"' && c != '\\'; }

} // namespace

QelLine::QelLine() { fText.reserve(kInitialCapacity); }

void QelLine::begin(const char* keyword) {
    fText.clear();
    fText.append(keyword, std::strlen(keyword));
    fArguments = false;
    fProblemCode = 0;
    fProblemText.clear();
}

void QelLine::end() { fText.push_back('\n'); }

void QelLine::separate() {
    fText.push_back(' ');
    fArguments = true;
}

void QelLine::problem(long code, const char* format, ...) {
    if (fProblemCode) return;
    char text[kErrorBufferSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    fProblemCode = code;
    fProblemText = text;
}

// ---- single values

// The shortest text that reads back to the same value.
void QelLine::appendNumber(float value) {
    char digits[32];
    auto result = std::to_chars(digits, digits + sizeof digits, value);
    fText.append(digits, result.ptr);
}

void QelLine::appendInteger(long value) {
    char digits[24];
    auto result = std::to_chars(digits, digits + sizeof digits, value);
    fText.append(digits, result.ptr);
}

void QelLine::appendString(const char* value) {
    if (!value) {
        fText += "null";
        return;
    }
    fText.push_back('"');
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(value); *c; ++c) {
        if (plain(*c)) {
            fText.push_back(char(*c));
            continue;
        }
        fText.push_back('\\');
        if (char letter = escapeLetter(*c)) {
            fText.push_back(letter);
        } else {
            fText.push_back(char('0' + (*c >> 6)));
            fText.push_back(char('0' + ((*c >> 3) & 7)));
            fText.push_back(char('0' + (*c & 7)));
        }
    }
    fText.push_back('"');
}

void QelLine::appendNumbers(const float* values, long count) {
    fText.push_back('[');
    for (long k = 0; k < count; ++k) {
        if (k) fText.push_back(' ');
        appendNumber(values[k]);
    }
    fText.push_back(']');
}

void QelLine::appendIntegers(const long* values, long count) {
    fText.push_back('[');
    for (long k = 0; k < count; ++k) {
        if (k) fText.push_back(' ');
        appendInteger(values[k]);
    }
    fText.push_back(']');
}

QelLine& QelLine::number(float value) {
    separate();
    appendNumber(value);
    return *this;
}

QelLine& QelLine::integer(long value) {
    separate();
    appendInteger(value);
    return *this;
}

QelLine& QelLine::text(const char* value) {
    separate();
    appendString(value);
    return *this;
}

QelLine& QelLine::enumerator(short code) {
    separate();
    fText.push_back('"');
    fText += enumeratorName(code);
    fText.push_back('"');
    return *this;
}

QelLine& QelLine::quark(unsigned short quark, const char* what) {
    separate();
    const char* name = getString(quark);
    if (!name) problem(kErrRange, "unknown %s %u", what, unsigned(quark));
    appendString(name);
    return *this;
}

// ---- arrays

// Whether count values can be read; writes null for values that are missing.
bool QelLine::usable(const void* values, long count, const char* what) {
    if (count < 0) {
        problem(kErrRange, "%s count %ld out of range", what, count);
        fText += "[]";
        return false;
    }
    if (!values && count > 0) {
        problem(kErrMissingData, "%s must not be null", what);
        fText += "null";
        return false;
    }
    return true;
}

QelLine& QelLine::bareNumbers(const float* values, long count, const char* what) {
    if (!values) {
        separate();
        problem(kErrMissingData, "%s must not be null", what);
        fText += "null";
        return *this;
    }
    for (long k = 0; k < count; ++k) number(values[k]);
    return *this;
}

QelLine& QelLine::numbers(const float* values, long count, const char* what) {
    separate();
    if (usable(values, count, what)) appendNumbers(values, count);
    return *this;
}

QelLine& QelLine::integers(const long* values, long count, const char* what) {
    separate();
    if (usable(values, count, what)) appendIntegers(values, count);
    return *this;
}

QelLine& QelLine::matrix(const float m[4][4], const char* what) {
    separate();
    if (usable(m, 16, what)) appendNumbers(&m[0][0], 16);
    return *this;
}

// ---- parameter lists

QelLine& QelLine::parameters(long n, const unsigned short* tokens, void* const* values,
                             const ParameterCounts& counts) {
    if (n < 0) {
        problem(kErrRange, "count %ld out of range", n);
        return *this;
    }
    if (n > 0 && (!tokens || !values)) {
        problem(kErrMissingData, "parameter list must not be null");
        return *this;
    }
    for (long k = 0; k < n; ++k) parameter(tokens[k], values[k], counts);
    return *this;
}

void QelLine::parameter(unsigned short token, const void* values, const ParameterCounts& counts) {
    const char* name = getString(token);
    if (!name) {
        problem(kErrSyntax, "unknown parameter token %u", unsigned(token));
        return;
    }
    short type = getType(token);
    if (type == QEL_TYPE_NO) return;
    if (!values) {
        problem(kErrMissingData, "parameter \"%s\" has no values", name);
        return;
    }
    separate();
    appendString(name);
    separate();
    short parameterClass = getClass(token);
    bool single = parameterClass == QEL_CLASS_NO;
    long items = single ? 1 : itemsOf(parameterClass, counts);
    if (items < 0) items = 0;
    switch (type) {
    case QEL_TYPE_INTEGER: {
        const long* integers = static_cast<const long*>(values);
        if (single) appendInteger(*integers);
        else appendIntegers(integers, items);
        break;
    }
    case QEL_TYPE_STRING: {
        const char* const* strings = static_cast<const char* const*>(values);
        if (single) {
            appendString(*strings);
            break;
        }
        fText.push_back('[');
        for (long k = 0; k < items; ++k) {
            if (k) fText.push_back(' ');
            appendString(strings[k]);
        }
        fText.push_back(']');
        break;
    }
    case QEL_TYPE_FLOAT:
        if (single) {
            appendNumber(*static_cast<const float*>(values));
            break;
        }
        [[fallthrough]];
    default: appendNumbers(static_cast<const float*>(values), items * widthOf(type)); break;
    }
}

// ---- comments

void QelLine::comment(const char* text) {
    begin("#");
    separate();
    for (const char* c = text; *c; ++c) {
        fText.push_back(*c);
        if (*c == '\n' && c[1]) fText += "# "; // each further line is a comment too
    }
}

} // namespace quelmark
