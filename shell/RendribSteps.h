// The RIB reader as the steps of a progress dialog.
#ifndef QEL_SHELL_RENDRIBSTEPS_H
#define QEL_SHELL_RENDRIBSTEPS_H

#include "sceneread/rib/rendrib.h"
#include "shell/ReaderSteps.h"

namespace quelmark {

using RendribSteps = ReaderSteps<rendrib>;

} // namespace quelmark

#endif
