// The terminal's view of the message window and the progress dialog, both
// on one stream (standard error): messages as whole lines led by the
// program's name, the dialog as a status line redrawn in place. The status
// line is cleared before a message is written, so the two never mix. Into
// a file or pipe the status is written as one line per change instead.
#ifndef QEL_SHELL_LUMIVAR_TERMINALVIEW_H
#define QEL_SHELL_LUMIVAR_TERMINALVIEW_H

#include "shell/TProgressDialog.h"
#include "shell/TRendEdit.h"

#include <cstdio>
#include <functional>
#include <string>

namespace quelmark {

class TerminalView : public MessageView, public ProgressView {
public:
    // Without showStatus only the messages are written. A width of 0 leaves
    // the status line uncut. Unless onTerminal, the status goes line by line.
    TerminalView(std::FILE* out, const char* program, bool showStatus, int width,
                 bool onTerminal = true);

    // Takes effect from the next dialog on.
    void showStatus(bool show) { fShowStatus = show; }
    void onFrameFinished(std::function<void()> action) { fFrameAction = std::move(action); }
    // Clears the status line for good.
    void finish();

    void lineAdded(const std::string& line, Severity severity) override;
    void cleared() override {}

    void dialogOpened(const TProgressDialog& dialog) override;
    void textChanged(const std::string& text) override;
    void gaugeChanged(const TGauge& gauge) override;
    void frameFinished() override;
    void dialogClosed(const TProgressDialog& dialog) override;

    static constexpr int kBarCells = 20;

private:
    std::string statusLine() const;
    void draw();
    void erase();
    void write(const std::string& text);

    std::FILE* fOut;
    std::string fPrefix; // the program's name and ": "
    bool fShowStatus;
    bool fOnTerminal;
    int fWidth;
    const TProgressDialog* fDialog = nullptr; // the open dialog
    std::string fDrawn; // what the status line shows now, empty when cleared
    std::function<void()> fFrameAction;
};

} // namespace quelmark

#endif
