// lumivar: reads and renders QEL and RIB scene files in a terminal, with
// the progress dialog as a status line on standard error, or on the desktop
// in the Quelmark window.
#include "api/qel.h"
#include "api/qelrender.h"
#include "api/qelwindow.h"
#include "sceneread/SceneInput.h"
#include "sceneread/ReaderReports.h"
#include "shell/EarlyAnswer.h"
#include "shell/FatalExit.h"
#include "shell/FrameSaver.h"
#include "shell/Interrupt.h"
#include "shell/OutOfMemory.h"
#include "shell/TRendApp.h"
#include "shell/desktop/Desktop.h"
#include "shell/lumivar/CommandLine.h"
#include "shell/lumivar/SceneReaders.h"
#include "shell/lumivar/TDesktopApp.h"
#include "shell/lumivar/TerminalView.h"

#include <cstdio>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <sys/ioctl.h>
#include <unistd.h>

using namespace quelmark;

namespace {

enum ExitStatus { kSuccess = 0, kFailure = 1, kUsage = 2 };

constexpr const char* kProgram = "lumivar";

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
          fView(stderr, kProgram, fShowStatus, terminalWidth(), ::isatty(STDERR_FILENO)) {
        fApp.messages().setView(&fView);
        fApp.setProgressView(&fView);
        fApp.setStopSignal(Interrupt::pending, Interrupt::descriptor());
        if (!line.output.empty()) fSaver.emplace(line.output, qelSaveDisplay, line.firstFrame > 0);
        fView.onFrameFinished([this] { frameFinished(); });
    }

    // Keeps the display windows working until the user has closed them all;
    // Ctrl-C ends the wait.
    static void waitForWindows() {
        if (qelWindowEvents(0) == 0) return;
        std::fprintf(stderr, "%s: close the display windows to end (Ctrl-C ends at once)\n",
                     kProgram);
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
        std::unique_ptr<SceneInput> input = SceneInput::borrow(STDIN_FILENO);
        input->setWake(Interrupt::descriptor());
        TRendApp::RenderResult result =
            fApp.CmRender("-", std::make_unique<SceneStream>(std::move(input)));
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
        std::fprintf(stderr, "%s: frame %ld was asked for, but the scenes end after frame %ld\n",
                     kProgram, fLastFrameAsked, fFramesSeen);
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
    if (line.displayFormat) qelRenderOutputFormat(line.displayFormat);
    if (line.statistics) qelRenderStatistics(1);
}

int runDesktop(const CommandLine& line) {
    std::string why;
    if (!Desktop::open(why)) {
        std::fprintf(stderr, "%s: %s; the Quelmark window cannot open\n", kProgram, why.c_str());
        return kUsage;
    }
    TDesktopApp app{SceneReaders(line.format)};
    std::optional<std::string> file;
    if (!line.files.empty()) file = line.files.front();
    return app.Run(file);
}

// The image file must be writable before anything is rendered for it.
bool outputWritable(const CommandLine& line) {
    if (line.output.empty()) return true;
    std::string path = line.firstFrame > 0 ? FrameSaver::numberedName(line.output, int(line.firstFrame))
                                           : line.output;
    std::string problem = FrameSaver::problemWith(path);
    if (problem.empty()) return true;
    std::fprintf(stderr, "%s: cannot write image file \"%s\": %s\n", kProgram, path.c_str(),
                 problem.c_str());
    return false;
}

} // namespace

int main(int argc, char** argv) {
    fatal::setProgramName(kProgram);
    fatal::endAbortsWithStatus();
    setReaderAbort([] { fatal::exitQuietly(fatal::kAbortStatus); });
    outofmemory::install();
    CommandLine line = CommandLine::parse(argc, argv, Desktop::named());
    if (std::optional<int> answer = earlyAnswer(line, kProgram, TRendApp::kAboutText))
        return *answer;
    if (!outputWritable(line)) return kUsage;
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
