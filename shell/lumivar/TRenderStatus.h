// The "Render Status" dialog on the screen: the progress dialog's text, its
// percentage gauge and the Cancel button, which also answers Escape and the
// window's close button.
#ifndef QEL_SHELL_LUMIVAR_TRENDERSTATUS_H
#define QEL_SHELL_LUMIVAR_TRENDERSTATUS_H

#include "shell/TProgressDialog.h"

#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Progress.H>

#include <string>

namespace quelmark {

class WindowIcon;

class TRenderStatus : public Fl_Double_Window, public ProgressView {
public:
    TRenderStatus(TProgressDialog& dialog, const WindowIcon& icon);

    void dialogOpened(const TProgressDialog& dialog) override;
    void textChanged(const std::string& text) override;
    void gaugeChanged(const TGauge& gauge) override;
    void dialogClosed(const TProgressDialog& dialog) override;

    // Whether what the dialog shows changed since the last call.
    bool takeChanged();

    const Fl_Box& textBox() const { return fText; }
    const Fl_Progress& gauge() const { return fGauge; }
    Fl_Button& cancelButton() { return fCancel; }

private:
    static void cancel(Fl_Widget*, void* dialog);

    TProgressDialog& fDialog;
    Fl_Box fText;
    Fl_Progress fGauge;
    Fl_Button fCancel;
    std::string fGaugeText;
    bool fChanged = true;
    bool fRaised = false;
};

} // namespace quelmark

#endif
