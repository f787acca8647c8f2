#include "shell/TRendApp.h"

#include "sceneread/SceneInput.h"

#include <string>

namespace quelmark {

TProgressDialog* TRendApp::fProgressDialog = nullptr;

TRendApp::TRendApp(TProgressDialog::StepsFactory makeSteps) : fMakeSteps(std::move(makeSteps)) {}

TRendApp::~TRendApp() = default;

void TRendApp::print(const char* text) {
    RunningMessages::print(text);
}

void TRendApp::setStopSignal(bool (*pending)(), int wake) {
    fStopPending = pending;
    fWake = wake;
    fCancelCheck = pending;
}

TRendApp::RenderResult TRendApp::CmRender(const char* fileName) {
    fMessages.clear();
    if (!fileName) fileName = "";
    std::string why;
    std::unique_ptr<SceneInput> input = SceneInput::open(fileName, why);
    if (!input) {
        std::string line = std::string("cannot open scene file \"") + fileName + "\": " + why;
        print(line.c_str());
        return RenderResult::NotOpened;
    }
    input->setWake(fWake);
    return runDialog(fileName, std::make_unique<SceneStream>(std::move(input)));
}

TRendApp::RenderResult TRendApp::CmRender(const char* name, std::unique_ptr<std::istream> in) {
    fMessages.clear();
    if (!in) return RenderResult::NotOpened;
    return runDialog(name, std::move(in));
}

TRendApp::RenderResult TRendApp::runDialog(const char* name, std::unique_ptr<std::istream> in) {
    TProgressDialog dialog(std::move(in), name, fMakeSteps, &TRendApp::print);
    dialog.setView(fProgressView);
    dialog.setStop(fStopPending, fWake);
    fMessages.setPlaceSource([&dialog] { return dialog.place(); });
    fProgressDialog = &dialog;
    ExecDialog(dialog);
    fProgressDialog = nullptr;
    fMessages.setPlaceSource(nullptr);
    fMessages.finishRepeats();
    return dialog.cancelled() ? RenderResult::Cancelled : RenderResult::Finished;
}

void TRendApp::ExecDialog(TProgressDialog& dialog) {
    dialog.Execute(fCancelCheck);
}

} // namespace quelmark
