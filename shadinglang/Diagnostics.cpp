#include "shadinglang/Diagnostics.h"

#include "common/PrintableText.h"

namespace quelmark::sl {

std::string Diagnostic::text() const {
    std::string line = printableText(location.fileName());
    if (location.line > 0) line += ":" + std::to_string(location.line);
    if (location.column > 0) line += ":" + std::to_string(location.column);
    line += severity == Severity::kError ? ": error: " : ": warning: ";
    return line + printableText(message);
}

std::vector<std::string> Diagnostics::texts() const {
    std::vector<std::string> result;
    for (const Diagnostic& diagnostic : fAll) result.push_back(diagnostic.text());
    return result;
}

void Diagnostics::error(const SourceLocation& at, std::string message) {
    if (fErrors == kMostErrors) throw TooManyErrors();
    fAll.push_back({Severity::kError, at, std::move(message)});
    ++fErrors;
}

void Diagnostics::warning(const SourceLocation& at, std::string message) {
    fAll.push_back({Severity::kWarning, at, std::move(message)});
    ++fWarnings;
}

} // namespace quelmark::sl
