// The scene writer's output file, chosen with the QEL scene-format code.
#ifndef QEL_SHELL_TESSARAN_QELSCENEOUTPUT_H
#define QEL_SHELL_TESSARAN_QELSCENEOUTPUT_H

#include "shell/tessaran/SceneOutput.h"

namespace quelmark {

class QelSceneOutput : public SceneOutput {
public:
    void open(const char* name) override;
    void close() override;
};

} // namespace quelmark

#endif
