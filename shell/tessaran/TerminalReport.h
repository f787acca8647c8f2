// The converter in a terminal: each text the progress dialog shows becomes
// one line on the status stream (standard output), and the message window's
// lines and the message boxes go to the message stream (standard error),
// led by the program's name.
// Every line is flushed at once, so the two streams keep their order on a
// terminal.
#ifndef QEL_SHELL_TESSARAN_TERMINALREPORT_H
#define QEL_SHELL_TESSARAN_TERMINALREPORT_H

#include "shell/TRendEdit.h"
#include "shell/tessaran/ConvertView.h"

#include <cstdio>
#include <string>

namespace quelmark {

class TerminalReport : public MessageView, public ConvertView {
public:
    TerminalReport(std::FILE* status, std::FILE* messages, const char* program);

    void lineAdded(const std::string& line, Severity severity) override;
    void cleared() override {}

    void dialogOpened(const TProgressDialog& dialog) override;
    void textChanged(const std::string& text) override;
    void messageBox(const char* text, const char* caption, const std::string& detail) override;

private:
    static void writeLine(std::FILE* out, const std::string& line);

    std::FILE* fStatus;
    std::FILE* fMessages;
    std::string fPrefix; // the program's name and ": "
};

} // namespace quelmark

#endif
