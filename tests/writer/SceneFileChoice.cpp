// Chooses the scene file before the program's own code runs, so that a
// program written for the renderer writes its scene when it is linked
// against the scene-writer library instead.
#include "api/qel.h"

namespace {

struct SceneFileChoice {
    SceneFileChoice() { qelOutputFile(QEL_FORMAT_QEL, QEL_SCENE_FILE); }
};

SceneFileChoice gChoice;

} // namespace
