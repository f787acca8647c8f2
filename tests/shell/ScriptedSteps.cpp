#include "ScriptedSteps.h"

using namespace quelmark;

ScriptedSteps::ScriptedSteps(std::vector<ScriptStep> script, String& frameName,
                             ScriptRecord& record)
    : fScript(std::move(script)), fFrameName(frameName), fRecord(record) {}

ScriptedSteps::~ScriptedSteps() {
    fRecord.deleted = true;
}

int ScriptedSteps::parse1() {
    size_t k = size_t(fRecord.steps++);
    if (k >= fScript.size()) return 0;
    const ScriptStep& step = fScript[k];
    if (step.frameName) fFrameName = step.frameName->c_str();
    fPercent = step.percent;
    if (!step.message.empty() && fRecord.printer) fRecord.printer(step.message.c_str());
    return step.result;
}
