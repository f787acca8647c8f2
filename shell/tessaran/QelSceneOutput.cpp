#include "shell/tessaran/QelSceneOutput.h"

#include "api/qel.h"

namespace quelmark {

void QelSceneOutput::open(const char* name) {
    qelOutputFile(QEL_FORMAT_QEL, name);
}

// Choosing no file closes the one open.
void QelSceneOutput::close() {
    qelOutputFile(QEL_FORMAT_QEL, nullptr);
}

} // namespace quelmark
