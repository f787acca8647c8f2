// The About dialog: the program's icon, its version text and an OK button,
// shown modally.
#ifndef QEL_SHELL_DESKTOP_TABOUTDIALOG_H
#define QEL_SHELL_DESKTOP_TABOUTDIALOG_H

#include <FL/Fl_Box.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Return_Button.H>

namespace quelmark {

class WindowIcon;

class TAboutDialog : public Fl_Double_Window {
public:
    TAboutDialog(const char* caption, const char* text, const WindowIcon& icon);

    // Shows the dialog until OK, Escape or the window's close button.
    void Execute();

    const Fl_Box& textBox() const { return fText; }
    Fl_Return_Button& okButton() { return fOk; }

private:
    Fl_Box fPicture;
    Fl_Box fText;
    Fl_Return_Button fOk;
};

} // namespace quelmark

#endif
