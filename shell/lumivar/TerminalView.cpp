#include "shell/lumivar/TerminalView.h"

#include <algorithm>

namespace {

const char kReturn[] = "\r";
const char kClearToEnd[] = "\033[K";

} // namespace

TerminalView::TerminalView(std::FILE* out, bool showStatus, int width)
    : fOut(out), fShowStatus(showStatus), fWidth(width) {}

void TerminalView::finish() {
    erase();
    fOpen = false;
}

void TerminalView::lineAdded(const std::string& line, Severity) {
    erase();
    write(line + "\n");
    draw();
}

void TerminalView::dialogOpened(const TProgressDialog& dialog) {
    fOpen = true;
    fText = dialog.text();
    fGaugeShown = dialog.gauge().visible();
    fPercent = dialog.gauge().value();
    fGaugeText = dialog.gauge().text();
    draw();
}

void TerminalView::textChanged(const std::string& text) {
    fText = text;
    draw();
}

void TerminalView::gaugeChanged(const TGauge& gauge) {
    fGaugeShown = gauge.visible();
    fPercent =
        (gauge.value() - gauge.minimum()) * 100 / std::max(1, gauge.maximum() - gauge.minimum());
    fGaugeText = gauge.text();
    draw();
}

void TerminalView::frameFinished() {
    if (fFrameAction) fFrameAction();
}

void TerminalView::dialogClosed(const TProgressDialog&) {
    finish();
}

std::string TerminalView::statusLine() const {
    std::string bar;
    if (fGaugeShown) {
        int filled = std::clamp(fPercent, 0, 100) * kBarCells / 100;
        bar = " [" + std::string(size_t(filled), '#') +
              std::string(size_t(kBarCells - filled), ' ') + "] " + fGaugeText;
    }
    std::string text = fText;
    // Keep the line within the terminal, so that the carriage return redraws it.
    if (fWidth > 0) {
        size_t room = size_t(std::max(0, fWidth - 1));
        if (bar.size() >= room) bar.clear();
        if (text.size() + bar.size() > room) text.resize(room - bar.size());
    }
    return text + bar;
}

void TerminalView::draw() {
    if (!fShowStatus || !fOpen) return;
    std::string line = statusLine();
    if (line == fDrawn) return;
    write(kReturn + line + kClearToEnd);
    fDrawn = line;
}

void TerminalView::erase() {
    if (fDrawn.empty()) return;
    write(std::string(kReturn) + kClearToEnd);
    fDrawn.clear();
}

void TerminalView::write(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), fOut);
    std::fflush(fOut);
}
