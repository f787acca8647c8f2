#include "shell/desktop/TAboutDialog.h"

#include "shell/desktop/StepLoop.h"
#include "shell/desktop/WindowIcon.h"

#include <FL/Fl_RGB_Image.H>
#include <FL/fl_draw.H>

namespace quelmark {

namespace {

constexpr int kMargin = 16, kPicture = 48, kButtonWidth = 80, kButtonHeight = 28;

int textWidth(const char* text) {
    fl_font(FL_HELVETICA, FL_NORMAL_SIZE);
    int w = 0, h = 0;
    fl_measure(text, w, h, 0);
    return w;
}

int dialogWidth(const char* text) {
    return kMargin * 3 + kPicture + textWidth(text) + kMargin;
}

} // namespace

TAboutDialog::TAboutDialog(const char* caption, const char* text, const WindowIcon& icon)
    : Fl_Double_Window(dialogWidth(text), kMargin * 3 + kPicture + kButtonHeight, caption),
      fPicture(kMargin, kMargin, kPicture, kPicture),
      fText(kMargin * 2 + kPicture, kMargin, w() - kMargin * 3 - kPicture, kPicture, text),
      fOk((w() - kButtonWidth) / 2, kMargin * 2 + kPicture, kButtonWidth, kButtonHeight, "OK") {
    end();
    if (icon.image()) fPicture.image(const_cast<Fl_RGB_Image*>(icon.image()));
    fText.align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
    icon.applyTo(*this);
    fOk.callback([](Fl_Widget*, void* dialog) { static_cast<TAboutDialog*>(dialog)->hide(); },
                 this);
    set_modal();
}

void TAboutDialog::Execute() {
    show();
    StepLoop::waitUntil([this] { return !shown(); });
}

} // namespace quelmark
