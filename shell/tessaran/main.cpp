// tessaran: converts a RIB file into a QEL scene file in a terminal, with
// the progress dialog's texts as lines on standard output, or on the
// desktop in the RIB to QEL window.
#include "sceneread/ReaderReports.h"
#include "shell/EarlyAnswer.h"
#include "shell/FatalExit.h"
#include "shell/Interrupt.h"
#include "shell/OutOfMemory.h"
#include "shell/RendribSteps.h"
#include "shell/desktop/Desktop.h"
#include "shell/tessaran/CommandLine.h"
#include "shell/tessaran/QelSceneOutput.h"
#include "shell/tessaran/TDesktopApp.h"
#include "shell/tessaran/TRendApp.h"
#include "shell/tessaran/TerminalReport.h"

#include <cstdio>
#include <cstring>

using namespace quelmark;

namespace {

enum ExitStatus { kSuccess = 0, kMessages = 1, kUsage = 2 };

constexpr const char* kProgram = "tessaran";

int exitStatus(TRendApp::ConvertResult result) {
    switch (result) {
    case TRendApp::ConvertResult::Success:
        return kSuccess;
    case TRendApp::ConvertResult::Messages:
        return kMessages;
    case TRendApp::ConvertResult::Cancelled:
        return Interrupt::exitStatus();
    default:
        return kUsage;
    }
}

// With the scene on standard output, the status lines go to standard error.
int convert(const CommandLine& line) {
    bool toStandardOutput = line.qelFile == TRendApp::kStandardStream;
    if (!toStandardOutput) fatal::setUnfinishedFile(line.qelFile.c_str());
    QelSceneOutput output;
    TRendApp app(RendribSteps::make, output);
    TerminalReport report(toStandardOutput ? stderr : stdout, stderr, kProgram);
    app.messages().setView(&report);
    app.setView(&report);
    app.setStopSignal(Interrupt::pending, Interrupt::descriptor());
    int status = exitStatus(app.CmConvert(line.ribFile.c_str(), line.qelFile.c_str()));
    fatal::setUnfinishedFile(nullptr);
    return status;
}

int runDesktop(const CommandLine& line) {
    std::string why;
    if (!Desktop::open(why)) {
        std::fprintf(stderr, "%s: %s; the RIB to QEL window cannot open\n", kProgram, why.c_str());
        return kUsage;
    }
    QelSceneOutput output;
    TDesktopApp app(RendribSteps::make, output);
    std::optional<std::pair<std::string, std::string>> files;
    if (!line.ribFile.empty()) files.emplace(line.ribFile, line.qelFile);
    return app.Run(files);
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
    if (line.gui) return runDesktop(line);
    Interrupt::install();
    return convert(line);
}
