#include "TerminalScreen.h"

TerminalScreen::TerminalScreen(const std::string& text) {
    for (size_t k = 0; k < text.size(); ++k) {
        if (text.compare(k, 3, "\033[K") == 0) {
            fCurrent.resize(fCursor);
            k += 2;
        } else if (text[k] == '\033') {
            ++fUnknown;
        } else {
            put(text[k]);
        }
    }
}

void TerminalScreen::put(char c) {
    if (c == '\n') {
        fLines.push_back(fCurrent);
        fCurrent.clear();
        fCursor = 0;
    } else if (c == '\r') {
        if (!fCurrent.empty()) fRedrawn.push_back(fCurrent);
        fCursor = 0;
    } else {
        if (fCursor < fCurrent.size())
            fCurrent[fCursor] = c;
        else
            fCurrent += c;
        ++fCursor;
    }
}
