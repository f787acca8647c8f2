// What a terminal shows of a stream of text: lines ended by line feeds,
// carriage returns back to the line's start, and "ESC [ K" erasing from the
// cursor to the line's end. It also notes each line that a carriage return
// left, that is each state of a status line redrawn in place.
#ifndef QEL_TESTS_SHELL_TERMINALSCREEN_H
#define QEL_TESTS_SHELL_TERMINALSCREEN_H

#include <string>
#include <vector>

class TerminalScreen {
public:
    explicit TerminalScreen(const std::string& text);

    // The lines that a line feed ended.
    const std::vector<std::string>& lines() const { return fLines; }
    // The line still being written at the end.
    const std::string& current() const { return fCurrent; }
    // The non-empty lines shown just before a carriage return.
    const std::vector<std::string>& redrawn() const { return fRedrawn; }
    // Escape sequences other than "ESC [ K".
    int unknownEscapes() const { return fUnknown; }

private:
    void put(char c);

    std::vector<std::string> fLines, fRedrawn;
    std::string fCurrent;
    size_t fCursor = 0;
    int fUnknown = 0;
};

#endif
