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

Matrix Shader::spaceToCamera() const {
    return fSpace ? fSpace->matrix() : Matrix();
}

void Shader::instance(const ArgList& args) {
    fParms.override(args);
}

} // namespace quelmark
