// The QEL scene reader as the steps of the progress dialog.
#ifndef QEL_SHELL_RENDQELSTEPS_H
#define QEL_SHELL_RENDQELSTEPS_H

#include "sceneread/rendqel.h"
#include "shell/ReaderSteps.h"

namespace quelmark {

using RendqelSteps = ReaderSteps<rendqel>;

} // namespace quelmark

#endif
