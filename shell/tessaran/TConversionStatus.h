// The "Conversion Status" dialog on the screen: the conversion's text, and
// Cancel while it runs, OK once it has ended. The window's close button
// answers as the button shown does.
#ifndef QEL_SHELL_TESSARAN_TCONVERSIONSTATUS_H
#define QEL_SHELL_TESSARAN_TCONVERSIONSTATUS_H

#include "shell/tessaran/ConvertView.h"
#include "shell/tessaran/TProgressDialog.h"

#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Return_Button.H>

namespace quelmark {

class WindowIcon;

class TConversionStatus : public Fl_Double_Window, public ConvertView {
public:
    TConversionStatus(TProgressDialog& dialog, const WindowIcon& icon);

    void dialogOpened(const TProgressDialog& dialog) override;
    void textChanged(const std::string& text) override;
    void buttonsChanged(const TProgressDialog& dialog) override;
    void dialogClosed(const TProgressDialog& dialog) override;

    // Whether what the dialog shows changed since the last call.
    bool takeChanged();

    const Fl_Box& textBox() const { return fText; }
    Fl_Button& cancelButton() { return fCancel; }
    Fl_Return_Button& okButton() { return fOk; }

private:
    static void cancel(Fl_Widget*, void* dialog);
    static void ok(Fl_Widget*, void* dialog);
    static void closeAsked(Fl_Widget*, void* dialog);

    TProgressDialog& fDialog;
    Fl_Box fText;
    Fl_Button fCancel;
    Fl_Return_Button fOk;
    bool fChanged = true;
};

} // namespace quelmark

#endif
