// The message window: every diagnostic line of the scene reader and of the
// renderer is appended to it. A front end shows it through a MessageView.
#ifndef QEL_SHELL_TRENDEDIT_H
#define QEL_SHELL_TRENDEDIT_H

#include "shell/MessageSeverity.h"

#include <string>
#include <vector>

class MessageView {
public:
    virtual ~MessageView() = default;
    virtual void lineAdded(const std::string& line, Severity severity) = 0;
    virtual void cleared() = 0;
};

class TRendEdit {
public:
    // Appends the text as one line.
    void print(const char* text);
    void clear();

    const std::vector<std::string>& lines() const { return fLines; }
    // The whole text as the edit control holds it: each line followed by
    // carriage return and line feed.
    std::string text() const;
    // The worst severity among the lines since the last clear.
    Severity worst() const { return fWorst; }

    void setView(MessageView* view) { fView = view; }

private:
    std::vector<std::string> fLines;
    Severity fWorst = Severity::None;
    MessageView* fView = nullptr;
};

#endif
