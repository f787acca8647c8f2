#include "shell/TRendEdit.h"

#include "common/PrintableText.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace quelmark {

namespace {

// A message as repeats are told apart: a reader's report without its line
// ("at line 12 "), so that the same fault on every line counts as one.
std::string withoutLine(const std::string& message) {
    static const char kAtLine[] = "at line ";
    size_t at = message.find(kAtLine);
    if (at == std::string::npos) return message;
    size_t end = at + sizeof kAtLine - 1;
    size_t digits = end;
    while (digits < message.size() && message[digits] >= '0' && message[digits] <= '9') ++digits;
    if (digits == end) return message;
    if (digits < message.size() && message[digits] == ' ') ++digits;
    return message.substr(0, at) + message.substr(digits);
}

} // namespace

void TRendEdit::print(const char* text) {
    std::string message = text ? text : "";
    if (!isPrintableText(message)) message = printableText(message);
    if (!showAgain(withoutLine(message))) return;
    std::string place = fPlace ? fPlace() : std::string();
    show(place.empty() ? message : place + ": " + message, severityOf(message.c_str()));
}

bool TRendEdit::showAgain(const std::string& text) {
    auto found = fRepeats.find(text);
    if (found == fRepeats.end()) {
        if (fRepeats.size() < kMostCounted) fRepeats.emplace(text, Repeats{1, fRepeats.size()});
        return true;
    }
    return ++found->second.seen <= kShownRepeats;
}

void TRendEdit::finishRepeats() {
    std::vector<std::pair<size_t, const std::string*>> repeated;
    for (const auto& [text, repeats] : fRepeats)
        if (repeats.seen > kShownRepeats) repeated.emplace_back(repeats.order, &text);
    std::sort(repeated.begin(), repeated.end());
    for (const auto& [order, text] : repeated) {
        long more = fRepeats[*text].seen - kShownRepeats;
        show(*text + " (" + std::to_string(more) + " more times, not shown)",
             severityOf(text->c_str()));
    }
    fRepeats.clear();
}

void TRendEdit::show(const std::string& line, Severity severity) {
    if (fLines.size() == kMostKept)
        fLines.erase(fLines.begin(), fLines.begin() + std::ptrdiff_t(kMostKept / 2));
    fLines.push_back(line);
    ++fCount;
    if (severity > fWorst) fWorst = severity;
    if (fView) fView->lineAdded(line, severity);
}

void TRendEdit::clear() {
    fLines.clear();
    fCount = 0;
    fRepeats.clear();
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

} // namespace quelmark
