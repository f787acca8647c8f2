// The errors and warnings of one compilation, each with the place in the
// source that caused it, printed as compilers print them:
//   file:line:column: error: message
// After kMostErrors errors the compilation is abandoned: the error that
// goes past it throws TooManyErrors, which the compiler's driver catches.
#ifndef QEL_SHADINGLANG_DIAGNOSTICS_H
#define QEL_SHADINGLANG_DIAGNOSTICS_H

#include "shadinglang/SourceLocation.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace quelmark::sl {

enum class Severity { kWarning, kError };

struct Diagnostic {
    Severity severity;
    SourceLocation location;
    std::string message;

    // "file:line:column: error: message", the text made safe for a terminal.
    std::string text() const;
};

class TooManyErrors : public std::runtime_error {
public:
    TooManyErrors() : std::runtime_error("too many errors") {}
};

class Diagnostics {
public:
    static constexpr int kMostErrors = 50;

    void error(const SourceLocation& at, std::string message);
    void warning(const SourceLocation& at, std::string message);

    int errors() const { return fErrors; }
    int warnings() const { return fWarnings; }
    const std::vector<Diagnostic>& all() const { return fAll; }
    // Each diagnostic's text, in order.
    std::vector<std::string> texts() const;

private:
    std::vector<Diagnostic> fAll;
    int fErrors = 0, fWarnings = 0;
};

} // namespace quelmark::sl

#endif
