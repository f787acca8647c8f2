#include "shell/TRendApp.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

TProgressDialog* TRendApp::fProgressDialog = nullptr;

TRendApp::TRendApp(TProgressDialog::StepsFactory makeSteps) : fMakeSteps(std::move(makeSteps)) {}

TRendApp::~TRendApp() = default;

void TRendApp::print(const char* text) {
    RunningMessages::print(text);
}

TRendApp::RenderResult TRendApp::CmRender(const char* fileName) {
    fMessages.clear();
    if (!fileName) fileName = "";
    errno = 0;
    auto in = std::make_unique<std::ifstream>(fileName, std::ios::in | std::ios::binary);
    if (!in->is_open()) {
        std::string line = std::string("cannot open scene file \"") + fileName + "\"";
        if (errno != 0) line += std::string(": ") + std::strerror(errno);
        print(line.c_str());
        return RenderResult::NotOpened;
    }
    return runDialog(fileName, std::move(in));
}

TRendApp::RenderResult TRendApp::CmRender(const char* name, std::unique_ptr<std::istream> in) {
    fMessages.clear();
    if (!in) return RenderResult::NotOpened;
    return runDialog(name, std::move(in));
}

TRendApp::RenderResult TRendApp::runDialog(const char* name, std::unique_ptr<std::istream> in) {
    TProgressDialog dialog(std::move(in), name, fMakeSteps, &TRendApp::print);
    dialog.setView(fProgressView);
    fProgressDialog = &dialog;
    ExecDialog(dialog);
    fProgressDialog = nullptr;
    return dialog.cancelled() ? RenderResult::Cancelled : RenderResult::Finished;
}

void TRendApp::ExecDialog(TProgressDialog& dialog) {
    dialog.Execute(fCancelCheck);
}
