// One request line of a QEL scene file, built in a buffer that is kept from
// line to line: the keyword, then each argument in its value form, each
// preceded by one space, then the line feed.
//
// Arguments that cannot be written (a null array, a parameter without
// values, an unknown token) are written as null or left out, and the first
// such problem is kept for the request to report.
#ifndef QEL_WRITER_QELLINE_H
#define QEL_WRITER_QELLINE_H

#include "renderer/state/ArgList.h"

#include <string>

namespace quelmark {

class QelLine {
public:
    QelLine();

    // Starts a new line with its keyword.
    void begin(const char* keyword);
    // Ends the line with its line feed.
    void end();

    QelLine& number(float value);
    QelLine& integer(long value);
    QelLine& boolean(short value) { return integer(value); }
    // A string in quotes with the escapes the reader knows; null for none.
    QelLine& text(const char* value);
    // An enumerator by its name, as a string; "null" for a code without one.
    QelLine& enumerator(short code);
    // A quark by its name, as a string; null for a number never handed out.
    QelLine& quark(unsigned short quark, const char* what);
    QelLine& bareNumbers(const float* values, long count, const char* what);
    QelLine& numbers(const float* values, long count, const char* what);
    QelLine& integers(const long* values, long count, const char* what);
    QelLine& matrix(const float m[4][4], const char* what);
    // Parameter pairs in the caller's order; parameters of type "no" are
    // left out.
    QelLine& parameters(long n, const unsigned short* tokens, void* const* values,
                        const ParameterCounts& counts);
    // Comment text: "# " before each of its lines.
    void comment(const char* text);

    bool hasArguments() const { return fArguments; }
    const char* data() const { return fText.data(); }
    size_t size() const { return fText.size(); }

    // The first argument that could not be written, as a report.
    bool hasProblem() const { return fProblemCode != 0; }
    long problemCode() const { return fProblemCode; }
    const char* problemText() const { return fProblemText.c_str(); }

private:
    void separate();
    void appendNumber(float value);
    void appendInteger(long value);
    void appendString(const char* value);
    void appendNumbers(const float* values, long count);
    void appendIntegers(const long* values, long count);
    bool usable(const void* values, long count, const char* what);
    void parameter(unsigned short token, const void* values, const ParameterCounts& counts);
    void problem(long code, const char* format, ...) __attribute__((format(printf, 3, 4)));

    std::string fText;
    bool fArguments = false;
    long fProblemCode = 0;
    std::string fProblemText;
};

} // namespace quelmark

#endif
