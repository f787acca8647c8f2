#include "ReadingLoops.h"

#include "../../sceneread/QelRecorder.h"
#include "../../sceneread/fuzz/FuzzFeeds.h"
#include "sceneread/ReaderReports.h"
#include "shell/RendribSteps.h"
#include "shell/tessaran/TRendApp.h"

#include <unistd.h>

using namespace quelmark;

namespace {

struct Aborted {};

[[noreturn]] void throwAborted() {
    throw Aborted{};
}

// The converted scene goes nowhere: the stand-in records its requests.
class NoSceneOutput : public SceneOutput {
public:
    void open(const char*) override {}
    void close() override {}
};

} // namespace

size_t convertLoop(const std::string& bytes, unsigned variant) {
    recorder::reset();
    ScratchFile file(bytes, variant & 2);
    ScratchFile converted("", false);
    NoSceneOutput output;
    TRendApp app(RendribSteps::make, output);
    setReaderAbort(throwAborted);
    try {
        app.CmConvert(file.path().c_str(), converted.path().c_str());
    } catch (const Aborted&) {
        // the file chose the abort handler: the program would end here
    }
    setReaderAbort(nullptr);
    return app.messages().count();
}
