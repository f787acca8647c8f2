// The scene-file lexer: characters of a QEL file into tokens, with line
// counting, and the one place where every diagnostic of reading a scene
// file is formatted and handed to the current handler.
#ifndef QEL_SCENEREAD_LEXANQEL_H
#define QEL_SCENEREAD_LEXANQEL_H

#include "api/qel.h"
#include "common/String.h"
#include "sceneread/TextScanner.h"

#include <cstdarg>
#include <istream>
#include <string>

enum : int {
    LEXINT = 257,
    LEXFLOAT = 258,
    LEXSTRING = 259,
    LEXKEYWORD = 260,
    LEXEOF = 261,
};

// Severities of the reader's reports: the bits of the severity masks.
enum : long {
    QELInfo = 0xB01,
    QELWarning = 0xB02,
    QELErrorSeverity = 0xB04,
    QELSevere = 0xB08,
};

// A report that ends the current request; the parser's loop catches it.
struct QELException {
    long code;
    long severity;
    std::string text;
};

class lexanqel {
public:
    using Handler = void (*)(long code, long severity, const char* message);

    lexanqel(std::istream& in, const char* fileName);

    // Reads the next token and returns its type.
    int next();
    int token() const { return fThisToke; }
    // The line at which the current token began.
    long tokenLine() const { return fTokenLine; }
    long line() const { return fIn.line(); }
    const char* fileName() const { return fFileName.c_str(); }
    // The current token's text: keyword, string or the characters of a number.
    const std::string& text() const { return fText; }

    void get(long& value) const;
    void get(float& value) const;
    void get(String& value) const;

    void QELError(long code, long severity, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
    void vQELError(long code, long severity, const char* format, va_list args);
    QELException exception(long code, long severity, const char* format, ...)
        __attribute__((format(printf, 4, 5)));

    void setHandler(Handler handler) { fHandler = handler; }
    Handler handler() const { return fHandler; }

    static void QELErrorIgnore(long code, long severity, const char* message);
    static void QELErrorPrint(long code, long severity, const char* message);
    static void QELErrorAbort(long code, long severity, const char* message);
    // Receives every finished message line; standard error until set.
    static qelErrorPrinterFunc QELErrorPrinter;

    // The text of an error code, empty for an unknown one.
    static const char* codeText(long code);

private:
    int scanString();
    int scanNumber(int first);
    std::string message(const char* format, va_list args) const;

    TextScanner fIn;
    String fFileName;
    long fTokenLine = 1;
    int fThisToke = 256;
    long fInt = 0;
    float fFloat = 0;
    std::string fText;
    Handler fHandler = QELErrorPrint;
};

#endif
