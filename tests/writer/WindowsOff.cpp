// Linked into the renderer's build of a test program: its display windows
// stay shut, so that a scene writing no file neither opens one nor says that
// it cannot, and the program reports only on its scene.
#include "api/qelwindow.h"

namespace {

const bool gWindowsOff = (qelWindowsEnable(0), true);

} // namespace
