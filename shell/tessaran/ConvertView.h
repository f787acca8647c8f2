// How a front end shows the converter: the progress dialog's changes and
// the message boxes of the Convert command.
#ifndef QEL_SHELL_TESSARAN_CONVERTVIEW_H
#define QEL_SHELL_TESSARAN_CONVERTVIEW_H

#include <string>

namespace quelmark {

class TProgressDialog;

class ConvertView {
public:
    virtual ~ConvertView() = default;
    virtual void dialogOpened(const TProgressDialog&) {}
    virtual void textChanged(const std::string&) {}
    // Which of Cancel and OK is shown changed.
    virtual void buttonsChanged(const TProgressDialog&) {}
    virtual void dialogClosed(const TProgressDialog&) {}
    // An exclamation box; detail says what went wrong, when known.
    virtual void messageBox(const char* /*text*/, const char* /*caption*/,
                            const std::string& /*detail*/) {}
};

} // namespace quelmark

#endif
