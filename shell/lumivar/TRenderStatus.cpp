#include "shell/lumivar/TRenderStatus.h"

#include "shell/desktop/WindowIcon.h"

namespace quelmark {

namespace {

constexpr int kWidth = 360, kHeight = 128, kMargin = 14;
constexpr int kTextHeight = 24, kGaugeHeight = 22, kButtonWidth = 80, kButtonHeight = 28;

} // namespace

TRenderStatus::TRenderStatus(TProgressDialog& dialog, const WindowIcon& icon)
    : Fl_Double_Window(kWidth, kHeight, TProgressDialog::kCaption), fDialog(dialog),
      fText(kMargin, kMargin, kWidth - 2 * kMargin, kTextHeight),
      fGauge(kMargin, kMargin + kTextHeight + 6, kWidth - 2 * kMargin, kGaugeHeight),
      fCancel((kWidth - kButtonWidth) / 2, kHeight - kMargin - kButtonHeight, kButtonWidth,
              kButtonHeight, "Cancel") {
    end();
    fText.align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
    fText.copy_label(dialog.text().c_str());
    fGauge.minimum(float(dialog.gauge().minimum()));
    fGauge.maximum(float(dialog.gauge().maximum()));
    fGauge.selection_color(FL_SELECTION_COLOR);
    gaugeChanged(dialog.gauge());
    fCancel.callback(&TRenderStatus::cancel, &fDialog);
    callback(&TRenderStatus::cancel, &fDialog);
    icon.applyTo(*this);
    set_modal();
}

void TRenderStatus::cancel(Fl_Widget*, void* dialog) {
    static_cast<TProgressDialog*>(dialog)->CmCancel();
}

void TRenderStatus::dialogOpened(const TProgressDialog&) {
    show();
    fChanged = true;
}

void TRenderStatus::textChanged(const std::string& text) {
    fText.copy_label(text.c_str());
    fText.redraw_label();
    fChanged = true;
}

void TRenderStatus::gaugeChanged(const TGauge& gauge) {
    fGauge.value(float(gauge.value()));
    fGaugeText = gauge.text();
    fGauge.label(fGaugeText.c_str());
    fGauge.redraw();
    if (gauge.visible())
        fGauge.show();
    else
        fGauge.hide();
    // A frame's display window opens over the dialog; once the frame's
    // first bucket is done the dialog comes back on top, Cancel in reach.
    if (!gauge.visible()) fRaised = false;
    if (gauge.visible() && gauge.value() > gauge.minimum() && !fRaised && shown()) {
        show();
        fRaised = true;
    }
    fChanged = true;
}

void TRenderStatus::dialogClosed(const TProgressDialog&) {
    hide();
}

bool TRenderStatus::takeChanged() {
    bool changed = fChanged;
    fChanged = false;
    return changed;
}

} // namespace quelmark
