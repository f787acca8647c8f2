#include "shell/tessaran/TerminalReport.h"

#include "shell/tessaran/TProgressDialog.h"

namespace quelmark {

TerminalReport::TerminalReport(std::FILE* status, std::FILE* messages, const char* program)
    : fStatus(status), fMessages(messages), fPrefix(std::string(program) + ": ") {}

void TerminalReport::lineAdded(const std::string& line, Severity) {
    writeLine(fMessages, fPrefix + line);
}

void TerminalReport::dialogOpened(const TProgressDialog& dialog) {
    writeLine(fStatus, dialog.text());
}

void TerminalReport::textChanged(const std::string& text) {
    writeLine(fStatus, text);
}

// The caption stands before the text, as a box shows it above.
void TerminalReport::messageBox(const char* text, const char* caption, const std::string& detail) {
    writeLine(fMessages, fPrefix + caption + ": " + text);
    if (!detail.empty()) writeLine(fMessages, fPrefix + detail);
}

void TerminalReport::writeLine(std::FILE* out, const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), out);
    std::fputc('\n', out);
    std::fflush(out);
}

} // namespace quelmark
