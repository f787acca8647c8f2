// Linked into test programs of the renderer library: their display windows
// stay shut, whatever the machine, so that a scene writing no file neither
// opens one nor says that it cannot, and the programs see only the reports
// on their scenes.
#include "api/qelwindow.h"

namespace {

const bool gWindowsOff = (qelWindowsEnable(0), true);

} // namespace
