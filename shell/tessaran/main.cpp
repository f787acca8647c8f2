// tessaran: converts a RIB file into a QEL scene file in a terminal, with
// the progress dialog's texts as lines on standard output, or on the
// desktop in the RIB to QEL window.
#include "shell/EarlyAnswer.h"
#include "shell/Interrupt.h"
#include "shell/RendribSteps.h"
#include "shell/desktop/Desktop.h"
#include "shell/tessaran/CommandLine.h"
#include "shell/tessaran/QelSceneOutput.h"
#include "shell/tessaran/TDesktopApp.h"
#include "shell/tessaran/TRendApp.h"
#include "shell/tessaran/TerminalReport.h"

#include <cstdio>

namespace {

enum ExitStatus { kSuccess = 0, kMessages = 1, kUsage = 2 };

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

int convert(const CommandLine& line) {
    QelSceneOutput output;
    TRendApp app(RendribSteps::make, output);
    TerminalReport report(stdout, stderr);
    app.messages().setView(&report);
    app.setView(&report);
    app.setCancelCheck(Interrupt::pending);
    return exitStatus(app.CmConvert(line.ribFile.c_str(), line.qelFile.c_str()));
}

int runDesktop(const CommandLine& line) {
    std::string why;
    if (!Desktop::open(why)) {
        std::fprintf(stderr, "tessaran: %s; the RIB to QEL window cannot open\n", why.c_str());
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
    CommandLine line = CommandLine::parse(argc, argv, Desktop::named());
    if (std::optional<int> answer = earlyAnswer(line, "tessaran", TRendApp::kAboutText))
        return *answer;
    if (line.gui) return runDesktop(line);
    Interrupt::install();
    return convert(line);
}
