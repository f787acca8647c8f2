#include "ReadingLoops.h"

#include "../../sceneread/QelRecorder.h"
#include "../../sceneread/fuzz/FuzzFeeds.h"
#include "sceneread/ReaderReports.h"
#include "shell/TRendApp.h"
#include "shell/lumivar/SceneReaders.h"

using namespace quelmark;

namespace {

struct Aborted {};

[[noreturn]] void throwAborted() {
    throw Aborted{};
}

} // namespace

size_t renderLoop(const std::string& bytes, unsigned variant) {
    recorder::reset();
    ScratchFile file(bytes, variant & 2);
    TRendApp app{SceneReaders(variant & 1 ? CommandLine::Format::Rib : CommandLine::Format::Qel)};
    setReaderAbort(throwAborted);
    try {
        app.CmRender(file.path().c_str());
    } catch (const Aborted&) {
        // the file chose the abort handler: the program would end here
    }
    setReaderAbort(nullptr);
    return app.messages().count();
}
