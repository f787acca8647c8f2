// Loading the scene-writer library builds its copy of the graphics state;
// the state afterwards is the state after a reset. No renderer stands
// behind the copy: it drives the base render target, which renders and
// keeps nothing, so the requests are only checked.
#include "common/Error.h"
#include "renderer/state/RenderTarget.h"
#include "renderer/state/State.h"
#include "writer/SceneWriter.h"

using namespace quelmark;

namespace {

void loadWriter() {
    // The messages go to standard error until a client installs a printer.
    setDefaultErrorPrinter(printToStandardError);
    sceneWriter(); // built before the state, so that it is closed after it
    // The base target, made here so that it is destroyed after the state,
    // whatever order the library's files are initialised in.
    static RenderTarget nothingRendered;
    installRenderTarget(&nothingRendered);
    static State state;
    gState = &state;
}

struct WriterLoader {
    WriterLoader() { loadWriter(); }
};

WriterLoader gLoader;

} // namespace
