// lumivar: reads and renders QEL and RIB scene files in a terminal, with
// the progress dialog as a status line on standard error, or on the desktop
// in the Quelmark window.
#include "api/qel.h"
#include "api/qelrender.h"
#include "api/qelwindow.h"
#include "shell/EarlyAnswer.h"
#include "shell/FrameSaver.h"
#include "shell/Interrupt.h"
#include "shell/TRendApp.h"
#include "shell/desktop/Desktop.h"
#include "shell/lumivar/CommandLine.h"
#include "shell/lumivar/SceneReaders.h"
#include "shell/lumivar/StandardInput.h"
#include "shell/lumivar/TDesktopApp.h"
#include "shell/lumivar/TerminalView.h"

#include <cstdio>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

enum ExitStatus { kSuccess = 0, kFailure = 1, kUsage = 2 };

int terminalWidth() {
    struct winsize size = {};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0) return size.ws_col;
    return 0;
}

class Run {
public:
    explicit Run(const CommandLine& line)
        : fProgressAsked(line.progress), fShowStatus(line.progress || ::isatty(STDERR_FILENO)),
          fLastFrameAsked(line.lastFrame), fApp(SceneReaders(line.format)),
          fView(stderr, fShowStatus, terminalWidth()) {
        fApp.messages().setView(&fView);
        fApp.setProgressView(&fView);
        fApp.setCancelCheck(Interrupt::pending);
        if (!line.output.empty()) fSaver.emplace(line.output, qelSaveDisplay, line.firstFrame > 0);
        fView.onFrameFinished([this] { frameFinished(); });
    }

    // Keeps the display windows working until the user has closed them all;
    // Ctrl-C ends the wait.
    static void waitForWindows() {
        if (qelWindowEvents(0) == 0) return;
        std::fputs("lumivar: close the display windows to end (Ctrl-C ends at once)\n", stderr);
        while (qelWindowEvents(250) > 0 && !Interrupt::pending()) {
        }
    }

    int render(const std::vector<std::string>& files) {
        bool failed = false, unopened = false;
        for (const std::string& file : files) {
            TRendApp::RenderResult result = renderFile(file);
            if (result == TRendApp::RenderResult::Cancelled || Interrupt::pending())
                return interrupted();
            if (result == TRendApp::RenderResult::NotOpened) unopened = true;
            if (fApp.messages().worst() >= Severity::Error) failed = true;
        }
        fView.finish();
        if (unopened) return kUsage;
        if (!allFramesAskedForSeen()) failed = true;
        return failed || fSaveFailed ? kFailure : kSuccess;
    }

private:
    TRendApp::RenderResult renderFile(const std::string& file) {
        if (file != "-") return fApp.CmRender(file.c_str());
        // A scene typed at the terminal keeps its line to itself.
        fView.showStatus(fShowStatus && (fProgressAsked || !::isatty(STDIN_FILENO)));
        TRendApp::RenderResult result =
            fApp.CmRender("-", std::make_unique<std::istream>(&fStandardInput));
        fView.showStatus(fShowStatus);
        return result;
    }

    void frameFinished() {
        ++fFramesSeen;
        std::string problem;
        if (!fSaver || fSaver->frameFinished(problem)) return;
        TRendApp::print(problem.c_str());
        fSaveFailed = true;
    }

    // A frame asked for that the scenes do not have renders nothing, which
    // must not pass for success (a farm's task would leave no image).
    bool allFramesAskedForSeen() const {
        if (fLastFrameAsked <= fFramesSeen) return true;
        std::fprintf(stderr,
                     "lumivar: frame %ld was asked for, but the scenes end after frame %ld\n",
                     fLastFrameAsked, fFramesSeen);
        return false;
    }

    int interrupted() {
        // A frame cut short is no image to keep.
        if (fSaver) fSaver->stop();
        fView.finish();
        return Interrupt::exitStatus();
    }

    bool fProgressAsked, fShowStatus;
    long fLastFrameAsked;
    long fFramesSeen = 0;
    StandardInput fStandardInput;
    TRendApp fApp;
    TerminalView fView;
    std::optional<FrameSaver> fSaver;
    bool fSaveFailed = false;
};

// The threads, frames and crop window the command line asked for.
void applyRenderControls(const CommandLine& line) {
    if (line.threads > 0) qelRenderThreads(line.threads);
    if (line.firstFrame > 0) qelRenderFrames(line.firstFrame, line.lastFrame);
    if (line.cropSet) qelRenderCrop(line.crop[0], line.crop[1], line.crop[2], line.crop[3]);
}

int runDesktop(const CommandLine& line) {
    std::string why;
    if (!Desktop::open(why)) {
        std::fprintf(stderr, "lumivar: %s; the Quelmark window cannot open\n", why.c_str());
        return kUsage;
    }
    TDesktopApp app{SceneReaders(line.format)};
    std::optional<std::string> file;
    if (!line.files.empty()) file = line.files.front();
    return app.Run(file);
}

} // namespace

int main(int argc, char** argv) {
    CommandLine line = CommandLine::parse(argc, argv, Desktop::named());
    if (std::optional<int> answer = earlyAnswer(line, "lumivar", TRendApp::kAboutText))
        return *answer;
    applyRenderControls(line);
    if (line.gui) {
        if (!line.window) qelWindowsEnable(0);
        return runDesktop(line);
    }
    Interrupt::install();
    // The library's only info report says that a scene writing no file is
    // shown nowhere, which someone rendering in a terminal wants to know.
    qelErrorHandler(QEL_SEVERITY_INFO, QEL_HANDLER_PRINT);
    if (!line.window) qelWindowsEnable(0);
    int status = Run(line).render(line.files);
    if (line.wait && !Interrupt::pending()) Run::waitForWindows();
    return status;
}
