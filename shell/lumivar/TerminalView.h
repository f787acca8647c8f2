// The terminal's view of the message window and the progress dialog, both
// on one stream (standard error): messages as whole lines, the dialog as a
// status line redrawn in place. The status line is cleared before a message
// is written, so the two never mix.
#ifndef QEL_SHELL_LUMIVAR_TERMINALVIEW_H
#define QEL_SHELL_LUMIVAR_TERMINALVIEW_H

#include "shell/TProgressDialog.h"
#include "shell/TRendEdit.h"

#include <cstdio>
#include <functional>
#include <string>

class TerminalView : public MessageView, public ProgressView {
public:
    // Without showStatus only the messages are written. A width of 0 leaves
    // the status line uncut.
    TerminalView(std::FILE* out, bool showStatus, int width);

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
    bool fShowStatus;
    int fWidth;
    bool fOpen = false;
    std::string fText;
    bool fGaugeShown = false;
    int fPercent = 0;
    std::string fGaugeText;
    std::string fDrawn; // what the status line shows now, empty when cleared
    std::function<void()> fFrameAction;
};

#endif
