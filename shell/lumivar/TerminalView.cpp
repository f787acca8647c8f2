#include "shell/lumivar/TerminalView.h"

#include <algorithm>

namespace quelmark {

namespace {

const char kReturn[] = "\r";
const char kClearToEnd[] = "\033[K";

} // namespace

TerminalView::TerminalView(std::FILE* out, const char* program, bool showStatus, int width,
                           bool onTerminal)
    : fOut(out), fPrefix(std::string(program) + ": "), fShowStatus(showStatus),
      fOnTerminal(onTerminal), fWidth(onTerminal ? width : 0) {}

void TerminalView::finish() {
    erase();
    fDialog = nullptr;
}

void TerminalView::lineAdded(const std::string& line, Severity) {
    erase();
    write(fPrefix + line + "\n");
    draw();
}

// The dialog is read whole at every change: its text and gauge together.
void TerminalView::dialogOpened(const TProgressDialog& dialog) {
    fDialog = &dialog;
    draw();
}

void TerminalView::textChanged(const std::string&) {
    draw();
}

void TerminalView::gaugeChanged(const TGauge&) {
    draw();
}

void TerminalView::frameFinished() {
    if (fFrameAction) fFrameAction();
}

void TerminalView::dialogClosed(const TProgressDialog&) {
    finish();
}

std::string TerminalView::statusLine() const {
    const TGauge& gauge = fDialog->gauge();
    std::string bar;
    if (gauge.visible() && !fOnTerminal) {
        bar = " " + gauge.text();
    } else if (gauge.visible()) {
        int percent = (gauge.value() - gauge.minimum()) * 100 /
                      std::max(1, gauge.maximum() - gauge.minimum());
        int filled = std::clamp(percent, 0, 100) * kBarCells / 100;
        bar = " [" + std::string(size_t(filled), '#') +
              std::string(size_t(kBarCells - filled), ' ') + "] " + gauge.text();
    }
    std::string text = fDialog->text();
    // Keep the line within the terminal, so that the carriage return redraws it.
    if (fWidth > 0) {
        size_t room = size_t(std::max(0, fWidth - 1));
        if (bar.size() >= room) bar.clear();
        if (text.size() + bar.size() > room) text.resize(room - bar.size());
    }
    return text + bar;
}

void TerminalView::draw() {
    if (!fShowStatus || !fDialog) return;
    std::string line = statusLine();
    if (line == fDrawn) return;
    write(fOnTerminal ? kReturn + line + kClearToEnd : line + "\n");
    fDrawn = line;
}

// A status written as a line stays; it is written again only when it changes.
void TerminalView::erase() {
    if (fDrawn.empty() || !fOnTerminal) return;
    write(std::string(kReturn) + kClearToEnd);
    fDrawn.clear();
}

void TerminalView::write(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), fOut);
    std::fflush(fOut);
}

} // namespace quelmark
