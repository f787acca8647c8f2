// A stand-in for the scene writer's output file: notes each open and close
// in a shared list of events and, when asked, prints a line at the close,
// as a writer that fails to write the file's end does.
#ifndef QEL_TESTS_SHELL_RECORDINGOUTPUT_H
#define QEL_TESTS_SHELL_RECORDINGOUTPUT_H

#include "shell/SceneSteps.h"
#include "shell/tessaran/SceneOutput.h"

#include <string>
#include <vector>

using namespace quelmark;

class RecordingOutput : public SceneOutput {
public:
    explicit RecordingOutput(std::vector<std::string>& events) : fEvents(events) {}

    void open(const char* name) override { fEvents.push_back(std::string("open ") + name); }
    void close() override {
        fEvents.push_back("close");
        if (closeReport && printer) printer(closeReport);
    }

    const char* closeReport = nullptr;
    PrintFunc printer = nullptr;

private:
    std::vector<std::string>& fEvents;
};

#endif
