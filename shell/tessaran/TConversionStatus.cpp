#include "shell/tessaran/TConversionStatus.h"

#include "shell/desktop/WindowIcon.h"

namespace quelmark {

namespace {

constexpr int kWidth = 400, kHeight = 104, kMargin = 14;
constexpr int kTextHeight = 36, kButtonWidth = 80, kButtonHeight = 28;

int buttonX() {
    return (kWidth - kButtonWidth) / 2;
}

int buttonY() {
    return kHeight - kMargin - kButtonHeight;
}

void showIf(Fl_Widget& widget, bool shown) {
    if (shown)
        widget.show();
    else
        widget.hide();
}

} // namespace

TConversionStatus::TConversionStatus(TProgressDialog& dialog, const WindowIcon& icon)
    : Fl_Double_Window(kWidth, kHeight, TProgressDialog::kCaption), fDialog(dialog),
      fText(kMargin, kMargin, kWidth - 2 * kMargin, kTextHeight),
      fCancel(buttonX(), buttonY(), kButtonWidth, kButtonHeight, "Cancel"),
      fOk(buttonX(), buttonY(), kButtonWidth, kButtonHeight, "OK") {
    end();
    fText.align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP | FL_ALIGN_WRAP);
    fText.copy_label(dialog.text().c_str());
    buttonsChanged(dialog);
    fCancel.callback(&TConversionStatus::cancel, &fDialog);
    fOk.callback(&TConversionStatus::ok, &fDialog);
    callback(&TConversionStatus::closeAsked, &fDialog);
    icon.applyTo(*this);
    set_modal();
}

void TConversionStatus::cancel(Fl_Widget*, void* dialog) {
    static_cast<TProgressDialog*>(dialog)->CmCancel();
}

void TConversionStatus::ok(Fl_Widget*, void* dialog) {
    static_cast<TProgressDialog*>(dialog)->CmOk();
}

void TConversionStatus::closeAsked(Fl_Widget*, void* dialog) {
    auto* progress = static_cast<TProgressDialog*>(dialog);
    if (progress->finished())
        progress->CmOk();
    else
        progress->CmCancel();
}

void TConversionStatus::dialogOpened(const TProgressDialog& dialog) {
    textChanged(dialog.text());
    buttonsChanged(dialog);
    show();
}

void TConversionStatus::textChanged(const std::string& text) {
    fText.copy_label(text.c_str());
    fText.redraw_label();
    fChanged = true;
}

void TConversionStatus::buttonsChanged(const TProgressDialog& dialog) {
    showIf(fCancel, dialog.cancelShown());
    showIf(fOk, dialog.okShown());
    if (dialog.okShown()) fOk.take_focus();
    fChanged = true;
}

void TConversionStatus::dialogClosed(const TProgressDialog&) {
    hide();
}

bool TConversionStatus::takeChanged() {
    bool changed = fChanged;
    fChanged = false;
    return changed;
}

} // namespace quelmark
