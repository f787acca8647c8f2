// The display-window requests of the renderer library.
#include "api/qelwindow.h"
#include "renderer/display/WindowSystem.h"

using namespace quelmark;

int qelWindowEvents(long waitMilliseconds) {
    return WindowSystem::processEvents(waitMilliseconds);
}

int qelWindowsOpen() {
    return WindowSystem::openWindows();
}

int qelWindowConnection() {
    return WindowSystem::connectionNumber();
}

void qelWindowsEnable(int enable) {
    WindowSystem::setEnabled(enable != 0);
}
