// Loading the renderer library builds its global objects; the state
// afterwards is the state after a reset.
#include "common/Error.h"
#include "renderer/display/Display.h"
#include "renderer/scene/PictrelTarget.h"
#include "renderer/scene/Scene.h"
#include "renderer/state/State.h"

namespace quelmark {

namespace {

bool displayAllowsReport(long severity) { return !gDisplay || gDisplay->error(severity); }

void loadPictrel() {
    static Scene scene;
    static PictrelTarget target;
    gScene = &scene;
    installRenderTarget(&target);
    setDefaultErrorPrinter(Display::print);
    setErrorGate(displayAllowsReport);
    static State state;
    gState = &state;
}

struct PictrelLoader {
    PictrelLoader() { loadPictrel(); }
};

PictrelLoader gLoader;

} // namespace

} // namespace quelmark
