#include "shell/TProgressDialog.h"

#include <cstdio>
#include <vector>

TProgressDialog::TProgressDialog(std::unique_ptr<std::istream> in, const char* fileName,
                                 const StepsFactory& makeSteps, PrintFunc printer)
    : fFileName(fileName ? fileName : ""), fIn(std::move(in)) {
    fSteps = makeSteps(*fIn, fFileName.c_str(), fFrameName);
    if (fSteps) fSteps->errorPrinter(printer);
}

TProgressDialog::~TProgressDialog() {
    fSteps.reset();
    fIn.reset();
}

void TProgressDialog::Execute(const std::function<bool()>& cancelPending) {
    Open();
    for (long count = 0; fOpen; ++count) {
        if (cancelPending && cancelPending())
            CmCancel();
        else
            IdleAction(count);
    }
}

void TProgressDialog::Open() {
    if (fOpen) return;
    fOpen = true;
    if (fView) fView->dialogOpened(*this);
}

int TProgressDialog::IdleAction(long) {
    if (!fSteps) return 0;
    if (fSteps->parse1()) {
        if (!fFrameName.empty()) {
            showRendering();
        } else if (fRenderingShown) {
            showLoading();
            if (fView) fView->frameFinished();
        }
        return 1;
    }
    bool frameDone = fRenderingShown && fFrameName.empty();
    showLoading();
    if (frameDone && fView) fView->frameFinished();
    Destroy();
    return 0;
}

void TProgressDialog::CmCancel() {
    fCancelled = true;
    Destroy();
}

void TProgressDialog::Destroy() {
    fSteps.reset();
    if (!fOpen) return;
    fOpen = false;
    if (fView) fView->dialogClosed(*this);
}

void TProgressDialog::showRendering() {
    // The value is set before the gauge is shown, so it never shows a stale one.
    bool gaugeChanged = fGauge.setValue(fSteps->percent());
    if (!fRenderingShown) {
        std::vector<char> text(size_t(fFrameName.length()) + 32);
        std::snprintf(text.data(), text.size(), kRenderingFormat, fFrameName.c_str());
        setText(text.data());
        gaugeChanged |= fGauge.show(true);
        fRenderingShown = true;
    }
    if (gaugeChanged && fView) fView->gaugeChanged(fGauge);
}

void TProgressDialog::showLoading() {
    setText(kLoadingText);
    showGauge(false);
    fRenderingShown = false;
}

void TProgressDialog::setText(const std::string& text) {
    if (text == fText) return;
    fText = text;
    if (fView) fView->textChanged(fText);
}

void TProgressDialog::showGauge(bool visible) {
    if (fGauge.show(visible) && fView) fView->gaugeChanged(fGauge);
}
