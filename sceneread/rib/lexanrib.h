// The RIB lexer: the bytes of a RIB file, ASCII and binary encoding mixed
// freely, into tokens for the parser, with line counting for the ASCII parts,
// and the one place where every diagnostic of reading a RIB file is
// formatted and handed to the current handler.
#ifndef QEL_SCENEREAD_RIB_LEXANRIB_H
#define QEL_SCENEREAD_RIB_LEXANRIB_H

#include "sceneread/ReaderReports.h"
#include "sceneread/TextScanner.h"
#include "sceneread/lexanqel.h"
#include "sceneread/rib/RibCodes.h"

#include <cstdarg>
#include <cstdint>
#include <istream>
#include <memory>
#include <string>
#include <vector>

namespace quelmark {

// Token types beyond those of the scene-file lexer.
enum : int {
    LEXARRAY = 262, // a whole binary float array
};

class lexanrib {
public:
    using Handler = lexanqel::Handler;

    // A token and everything the parser may ask of it.
    struct Token {
        long line = 1;
        long offset = 0;
        int type = 256;
        bool binaryNumber = false;
        long intValue = 0;
        float floatValue = 0;
        std::string text;
        std::vector<float> floats;
        QELException error;
    };

    lexanrib(std::istream& in, const char* fileName);
    ~lexanrib();

    // Reads the next token and returns its type; the end of input once the
    // file has had too many errors.
    int next();
    int token() const { return fTok.type; }
    // The line at which the current token began (line feeds of the ASCII
    // parts are counted) and the offset of its first byte in the file.
    long tokenLine() const { return fTok.line; }
    long tokenOffset() const { return fTok.offset; }
    long line() const { return fIn.line(); }
    const char* fileName() const { return fFileName.c_str(); }
    // Why the input being read ended early (a read error); empty when it did not.
    const std::string& inputFailure() const { return fIn.failure(); }
    // Whether the file had too many errors to be read further.
    bool tooManyErrors() const { return fReports.tooMany(); }
    // The line of the report being handed to the handler; 0 between reports.
    long reportLine() const { return fReports.reportLine(); }
    // Keyword or string text; an ASCII number as read.
    const std::string& text() const { return fTok.text; }
    // The current token as it is quoted in reports.
    std::string tokenText() const;

    const Token& current() const { return fTok; }
    // Reads the tokens, then the end of input, instead of the file, until
    // the replay ends; the current token is kept and comes back then.
    struct Replay {
        const std::vector<Token>* tokens;
        size_t next;
        Token current;
    };
    Replay startReplay(const std::vector<Token>& tokens);
    void endReplay(Replay saved);
    // Reads another file (an archive) instead, until it ends; then the file
    // read before goes on after the current token, which comes back. The
    // file's name is the one reports and relative names go by meanwhile.
    struct Include {
        TextScanner scanner;
        String fileName;
        Token current;
    };
    Include startInclude(std::streambuf* in, const char* fileName);
    void endInclude(Include saved);

    long intValue() const { return fTok.intValue; }
    float floatValue() const {
        return fTok.type == LEXINT ? float(fTok.intValue) : fTok.floatValue;
    }
    // The values of a LEXARRAY token.
    const std::vector<float>& floats() const { return fTok.floats; }
    // The report of a LEXERROR token.
    const QELException& error() const { return fTok.error; }

    void get(long& value) const;
    void get(float& value) const;
    void get(String& value) const;

    void RIBError(long code, long severity, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
    void vRIBError(long code, long severity, const char* format, va_list args);
    // A report placed at the given line and token (none: not quoted)
    // rather than the current one.
    void vRIBErrorAt(long line, const std::string* token, long code, long severity,
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

    static void RIBErrorIgnore(long code, long severity, const char* message);
    static void RIBErrorPrint(long code, long severity, const char* message);
    static void RIBErrorAbort(long code, long severity, const char* message);
    // Receives every finished message line; standard error until set.
    static qelErrorPrinterFunc RIBErrorPrinter;

    static const char* codeText(long code) { return readerCodeText(SceneFormat::Rib, code); }

private:
    // The next token of the input.
    int scan();
    // Reads count bytes as big-endian unsigned; false at the end of input.
    bool readUnsigned(int count, uint64_t& value);

    int scanString();
    int scanNumber(int first);
    int convertNumber(bool isFloat);

    // A binary token from its first byte; kNoToken for a definition.
    int binary(int code);
    int binaryNumber(int code);
    int binaryFloat(int code);
    int binaryString(int code);
    int binaryArray(int code);
    int useRequest();
    int defineRequest();
    int defineString(int code);
    int referenceString(int code);
    // The string after a definition: encoded, quoted or referenced.
    int definitionString();
    int checkString(long start);

    int errorToken(long code, const char* format, ...) __attribute__((format(printf, 3, 4)));
    int truncated();
    int tooLong(const char* what, size_t longest);
    // After the error that made them too many: the input ends here.
    void stopReading();

    TextScanner fIn;
    String fFileName;
    Token fTok;
    // While a replay runs, tokens are read from here instead of the input.
    const std::vector<Token>* fReplay = nullptr;
    size_t fReplayNext = 0;
    ReportGate fReports{RIBErrorPrint};
    // Encoded requests and strings defined so far.
    std::vector<std::string> fRequests;
    std::vector<bool> fRequestDefined;
    std::vector<std::string> fStrings;
    std::vector<bool> fStringDefined;
};

} // namespace quelmark

#endif
