#include "renderer/shading/Shader.h"

#include "renderer/state/ArgList.h"
#include "renderer/state/Transform.h"

namespace quelmark {

Shader::Shader(Transform* space) : fSpace(retainSnapshot(space)) {
    if (fSpace) P = gOrigin * fSpace->matrix();
}

Shader::~Shader() {
    releaseSnapshot(fSpace);
}

void Shader::instance(const ArgList& args) {
    fParms.override(args);
}

} // namespace quelmark
