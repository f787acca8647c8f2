#include "renderer/state/PictrelTarget.h"

#include "common/Error.h"
#include "renderer/display/Display.h"
#include "renderer/geometry/Object.h"
#include "renderer/state/Scene.h"
#include "renderer/state/State.h"

namespace {

bool displayAllowsReport(long severity) { return !gDisplay || gDisplay->error(severity); }

} // namespace

void PictrelTarget::createDisplay() {
    delete gDisplay;
    gDisplay = new Display;
}

void PictrelTarget::destroyDisplay() {
    delete gDisplay;
    gDisplay = nullptr;
}

long PictrelTarget::displayWidth() const { return gDisplay ? gDisplay->xDim() : 640; }

long PictrelTarget::displayHeight() const { return gDisplay ? gDisplay->yDim() : 480; }

float PictrelTarget::displayAspect() const { return gDisplay ? gDisplay->aspectRatio() : 1.0f; }

void PictrelTarget::openDisplay(const char* name, long xres, long yres, long x0, long y0) {
    if (gDisplay) gDisplay->open(name, xres, yres, x0, y0);
}

void PictrelTarget::closeDisplay() {
    if (gDisplay) gDisplay->close();
}

void PictrelTarget::flushScene() { gScene->flush(); }

void PictrelTarget::initScene() { gScene->init(); }

void PictrelTarget::renderScene() { gScene->render(); }

void PictrelTarget::resetSequence() {}

Object* PictrelTarget::beginObject() {
    Object* object = new Object;
    gScene->beginObject(object);
    return object;
}

void PictrelTarget::endObject() { gScene->endObject(); }

void PictrelTarget::destroyObject(Object* object) { delete object; }

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

namespace {

struct PictrelLoader {
    PictrelLoader() { loadPictrel(); }
};

PictrelLoader gLoader;

} // namespace
