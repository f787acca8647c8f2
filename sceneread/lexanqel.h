// The scene-file lexer: characters of a QEL file into tokens, with line
// counting, and the one place where every diagnostic of reading a scene
// file is formatted and handed to the current handler.
#ifndef QEL_SCENEREAD_LEXANQEL_H
#define QEL_SCENEREAD_LEXANQEL_H

#include "api/qel.h"
#include "common/String.h"
#include "sceneread/ReaderReports.h"
#include "sceneread/TextScanner.h"

#include <cstdarg>
#include <istream>
#include <string>

namespace quelmark {

enum : int {
    LEXINT = 257,
    LEXFLOAT = 258,
    LEXSTRING = 259,
    LEXKEYWORD = 260,
    LEXEOF = 261,
    LEXERROR = 263, // a token that could not be read; its report waits with the parser
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
    long line = 0; // where the report is placed
};

class lexanqel {
public:
    using Handler = void (*)(long code, long severity, const char* message);

    lexanqel(std::istream& in, const char* fileName);

    // Reads the next token and returns its type; the end of input once the
    // file has had too many errors.
    int next();
    int token() const { return fThisToke; }
    // The line at which the current token began.
    long tokenLine() const { return fTokenLine; }
    long line() const { return fIn.line(); }
    const char* fileName() const { return fFileName.c_str(); }
    // The current token's text: keyword, string or the characters of a number.
    const std::string& text() const { return fText; }
    // Why the input ended early (a read error); empty when it did not.
    const std::string& inputFailure() const { return fIn.failure(); }
    // Whether the file had too many errors to be read further.
    bool tooManyErrors() const { return fReports.tooMany(); }
    // The line of the report being handed to the handler; 0 between reports.
    long reportLine() const { return fReports.reportLine(); }

    void get(long& value) const;
    void get(float& value) const;
    void get(String& value) const;

    void QELError(long code, long severity, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
    void vQELError(long code, long severity, const char* format, va_list args);
    // A report placed at the given line and token (none: not quoted)
    // rather than the current one.
    void vQELErrorAt(long line, const std::string* token, long code, long severity,
                     const char* format, va_list args);
    QELException exception(long code, long severity, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
    // Hands a finished report to the handler and counts it; after the
    // report that makes the errors too many, one severe report says that
    // reading stops.
    void deliver(long code, long severity, const char* message, long line);
    // A broken token skipped while recovering counts as an error unreported.
    void countSkipped();

    void setHandler(Handler handler) { fReports.setHandler(handler); }
    Handler handler() const { return fReports.handler(); }

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
    // After the error that made them too many: the input ends here.
    void stopReading();

    TextScanner fIn;
    String fFileName;
    long fTokenLine = 1;
    int fThisToke = 256;
    long fInt = 0;
    float fFloat = 0;
    std::string fText;
    ReportGate fReports{QELErrorPrint};
};

} // namespace quelmark

#endif
