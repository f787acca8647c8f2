// A scene reader that plays a script instead of reading a file: each step
// may set the frame name, set the progress and print a line, then returns
// its result. Past the script's end every step returns 0.
#ifndef QEL_TESTS_SHELL_SCRIPTEDSTEPS_H
#define QEL_TESTS_SHELL_SCRIPTEDSTEPS_H

#include "common/String.h"
#include "shell/SceneSteps.h"

#include <optional>
#include <string>
#include <vector>

using namespace quelmark;

struct ScriptStep {
    int result = 1;
    std::optional<std::string> frameName;
    int percent = 0;
    std::string message;
};

// What the test sees of the reader after the dialog has deleted it.
struct ScriptRecord {
    int steps = 0;
    bool deleted = false;
    PrintFunc printer = nullptr;
};

class ScriptedSteps : public SceneSteps {
public:
    ScriptedSteps(std::vector<ScriptStep> script, String& frameName, ScriptRecord& record);
    ~ScriptedSteps() override;

    void errorPrinter(PrintFunc printer) override { fRecord.printer = printer; }
    int parse1() override;
    int percent() override { return fPercent; }

private:
    std::vector<ScriptStep> fScript;
    String& fFrameName;
    ScriptRecord& fRecord;
    int fPercent = 0;
};

#endif
