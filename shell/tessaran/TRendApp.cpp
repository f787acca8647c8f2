#include "shell/tessaran/TRendApp.h"

#include "sceneread/SceneInput.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quelmark {

TProgressDialog* TRendApp::fProgressDialog = nullptr;

namespace {

bool sameFile(const char* a, const char* b) {
    struct stat first, second;
    return ::stat(a, &first) == 0 && ::stat(b, &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

bool isRegularFile(const char* path) {
    struct stat info;
    return ::stat(path, &info) == 0 && S_ISREG(info.st_mode);
}

std::string quoted(const char* name) {
    return std::string("\"") + name + "\"";
}

bool isStandardStream(const char* name) {
    return std::strcmp(name, TRendApp::kStandardStream) == 0;
}

} // namespace

TRendApp::TRendApp(TProgressDialog::StepsFactory makeSteps, SceneOutput& output)
    : fMakeSteps(std::move(makeSteps)), fOutput(output) {}

TRendApp::~TRendApp() = default;

void TRendApp::print(const char* text) {
    RunningMessages::print(text);
}

void TRendApp::setStopSignal(bool (*pending)(), int wake) {
    fStopPending = pending;
    fWake = wake;
    fCancelCheck = pending;
}

TRendApp::ConvertResult TRendApp::CmConvert(const char* ribName, const char* qelName) {
    if (!ribName) ribName = "";
    if (!qelName) qelName = "";
    bool created = false;
    if (!outputWritable(ribName, qelName, created)) return ConvertResult::OutputNotOpened;
    fMessages.clear();
    std::string why;
    std::unique_ptr<SceneInput> input = isStandardStream(ribName)
                                            ? SceneInput::borrow(STDIN_FILENO)
                                            : SceneInput::open(ribName, why);
    if (!input) {
        print(("cannot open RIB file " + quoted(ribName) + ": " + why).c_str());
        if (created) ::unlink(qelName);
        return ConvertResult::InputNotOpened;
    }
    input->setWake(fWake);
    return runDialog(ribName, qelName, std::make_unique<SceneStream>(std::move(input)));
}

// The test neither empties an existing file nor waits for a reader at a pipe.
bool TRendApp::outputWritable(const char* ribName, const char* qelName, bool& created) {
    if (isStandardStream(qelName)) return true;
    std::string problem;
    if (sameFile(ribName, qelName)) {
        problem = "it is the RIB file to be read";
    } else {
        struct stat info;
        bool existed = ::stat(qelName, &info) == 0;
        errno = 0;
        int fd = ::open(qelName, O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            created = !existed;
            return true;
        }
        problem = errno != 0 ? std::strerror(errno) : "unknown failure";
    }
    if (fView)
        fView->messageBox(kFileErrorText, kFileErrorCaption, quoted(qelName) + ": " + problem);
    return false;
}

TRendApp::ConvertResult TRendApp::runDialog(const char* ribName, const char* qelName,
                                            std::unique_ptr<std::istream> in) {
    TProgressDialog dialog(std::move(in), ribName, qelName, fMakeSteps, &TRendApp::print, fOutput,
                           fMessages);
    dialog.setView(fView);
    dialog.setStop(fStopPending, fWake);
    fMessages.setPlaceSource([&dialog] { return dialog.place(); });
    fProgressDialog = &dialog;
    ExecDialog(dialog);
    fProgressDialog = nullptr;
    fMessages.setPlaceSource(nullptr);
    if (dialog.cancelled()) {
        fOutput.close();
        removePartial(qelName, "conversion cancelled");
        return ConvertResult::Cancelled;
    }
    if (dialog.inputFailed()) removePartial(qelName, "the RIB file could not be read to its end");
    return dialog.succeeded() ? ConvertResult::Success : ConvertResult::Messages;
}

// Only a regular file is removed: a device or a pipe named as output stays.
void TRendApp::removePartial(const char* qelName, const std::string& why) {
    std::string line = why;
    if (!isStandardStream(qelName) && isRegularFile(qelName)) {
        if (::unlink(qelName) == 0)
            line += ": the unfinished " + quoted(qelName) + " was removed";
        else
            line +=
                ": cannot remove the unfinished " + quoted(qelName) + ": " + std::strerror(errno);
    }
    print(line.c_str());
}

void TRendApp::ExecDialog(TProgressDialog& dialog) {
    dialog.Execute(fCancelCheck);
}

} // namespace quelmark
