#include "shell/TRendEdit.h"

void TRendEdit::print(const char* text) {
    fLines.emplace_back(text ? text : "");
    Severity severity = severityOf(fLines.back().c_str());
    if (severity > fWorst) fWorst = severity;
    if (fView) fView->lineAdded(fLines.back(), severity);
}

void TRendEdit::clear() {
    fLines.clear();
    fWorst = Severity::None;
    if (fView) fView->cleared();
}

std::string TRendEdit::text() const {
    std::string all;
    for (const std::string& line : fLines) {
        all += line;
        all += "\r\n";
    }
    return all;
}
