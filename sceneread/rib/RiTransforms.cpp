#include "sceneread/rib/RiTransforms.h"

namespace quelmark {

namespace {
const Matrix kCamera = gIdentity;
}

void RiTransforms::reset() {
    fCurrent = gIdentity;
    fSaved.clear();
    fUnsaved = 0;
    fInWorld = false;
    fWorldToCamera = gIdentity;
    fSpaces.clear();
}

void RiTransforms::push() {
    if (fSaved.size() < kDeepest)
        fSaved.push_back(fCurrent);
    else
        ++fUnsaved;
}

void RiTransforms::pop() {
    if (fUnsaved > 0) {
        --fUnsaved;
    } else if (!fSaved.empty()) {
        fCurrent = fSaved.back();
        fSaved.pop_back();
    }
}

void RiTransforms::beginWorld() {
    fWorldToCamera = fCurrent;
    fInWorld = true;
    push();
}

void RiTransforms::endWorld() {
    pop();
    fInWorld = false;
}

Matrix RiTransforms::identity() const {
    return fInWorld ? fWorldToCamera : kCamera;
}

Matrix RiTransforms::relative(const Matrix& objectToWorld) const {
    return fInWorld ? objectToWorld * fWorldToCamera : objectToWorld;
}

void RiTransforms::mark(const std::string& name) {
    fSpaces[name] = fCurrent;
}

const Matrix* RiTransforms::space(const std::string& name) const {
    if (name == "world") return fInWorld ? &fWorldToCamera : nullptr;
    if (name == "camera") return &kCamera;
    auto found = fSpaces.find(name);
    return found == fSpaces.end() ? nullptr : &found->second;
}

} // namespace quelmark
