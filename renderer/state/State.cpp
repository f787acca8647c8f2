#include "renderer/state/State.h"

#include "common/Error.h"
#include "common/Quark.h"
#include "renderer/state/Camera.h"
#include "renderer/state/NamedSpaces.h"
#include "renderer/state/RenderContext.h"
#include "renderer/state/RenderTarget.h"

#include <cmath>

namespace quelmark {

State* gState = nullptr;

namespace {

RenderTarget gBaseTarget;
RenderTarget* gTarget = &gBaseTarget;

constexpr float kTiny = 1e-10f;

} // namespace

RenderTarget& renderTarget() {
    return *gTarget;
}

void installRenderTarget(RenderTarget* target) {
    gTarget = target ? target : &gBaseTarget;
}

State::State() {
    init();
}

State::~State() {
    renderTarget().flushScene(); // primitives hold snapshots of this state's blocks
    while (!fLights.empty())
        popLightAndObj();
    releaseSnapshots();
    if (gState == this) gState = nullptr;
    gOption = nullptr;
    gAttrib = nullptr;
    gTransform = nullptr;
    useColorSpace(nullptr);
}

void State::repointGlobals() {
    // A procedural subdividing on a worker thread pushes attributes while
    // other workers read the options: what has not changed is not written.
    if (gOption != &fOptions.top()) gOption = &fOptions.top();
    gAttrib = &fAttributes.top();
    gTransform = &fTransforms.top();
    useColorSpace(&gOption->colorSpaceInfo());
}

short State::verify(unsigned short mask, long code) {
    unsigned short block = fBlocks.top();
    if (!(block & mask)) {
        error(code, kError, nullptr);
        return 0;
    }
    if (block == kBlockMotion && mask != kBlockMotion) {
        if (!fMotionFirst) return 0;
        fMotionFirst = 0;
    }
    return 1;
}

short State::verifyEveryStep(unsigned short mask, long code) {
    if (fBlocks.top() != kBlockMotion) return verify(mask, code);
    if (mask & kBlockMotion) return 1;
    error(code, kError, nullptr);
    return 0;
}

void State::init() {
    renderTarget().flushScene(); // the workers stop before what they read goes
    initQuark();
    State* previous = gState;
    gState = this; // the default blocks below may ask for the state
    fBlocks.clear();
    fBlocks.push(kBlockOutermost);
    fTransforms.clear();
    fAttributes.clear();
    fOptions.clear();
    fTransforms.push();
    fAttributes.push();
    fOptions.push();
    fTransforms.top().init();
    fAttributes.top().init();
    fOptions.top().init();
    repointGlobals();
    while (!fLights.empty())
        popLightAndObj();
    pushLightAndObj();
    releaseSnapshots();
    clearMarkedSpaces();
    fMotionFirst = 0;
    resetCamera();
    renderTarget().closeDisplay();
    renderTarget().destroyDisplay();
    if (previous && previous != this) gState = previous;
}

void State::pushBlock(unsigned short code) {
    fBlocks.push(code);
}

namespace {
// Deeper nesting than this can only come from a runaway scene; each level
// holds a copy of the attributes and the transform.
constexpr int kMostNestedBlocks = 50000;
} // namespace

bool State::roomToNest() {
    if (fBlocks.count() < kMostNestedBlocks) return true;
    error(kErrNesting, kError, "blocks nested deeper than %d", kMostNestedBlocks);
    return false;
}

void State::popAttributes() {
    fAttributes.pop();
    repointGlobals();
    gAttrib->snapshot.setChanged();
}

void State::popTransform() {
    fTransforms.pop();
    repointGlobals();
    gTransform->snapshot.setChanged();
}

void State::pushLightAndObj() {
    fLights.push(List<Light*>());
    fObjects.push(List<Object*>());
}

void State::popLightAndObj() {
    if (!fLights.empty()) {
        for (Light* light : fLights.top())
            renderTarget().destroyLight(light);
        fLights.pop();
    }
    if (!fObjects.empty()) {
        for (Object* object : fObjects.top())
            renderTarget().destroyObject(object);
        fObjects.pop();
    }
}

void State::releaseSnapshots() {
    releaseSnapshot(fAttribSnapshot);
    releaseSnapshot(fTransformSnapshot);
    fAttribSnapshot = nullptr;
    fTransformSnapshot = nullptr;
}

short State::frameBegin() {
    if (!verify(kBlockOutermost, kErrIllState)) return 0;
    pushBlock(kBlockFrame);
    fOptions.push();
    fAttributes.push();
    fTransforms.push();
    repointGlobals();
    pushLightAndObj();
    return 1;
}

short State::frameEnd() {
    if (!verify(kBlockFrame, kErrNesting)) return 0;
    fBlocks.pop();
    fOptions.pop();
    repointGlobals();
    popAttributes();
    popTransform();
    popLightAndObj();
    return 1;
}

short State::sceneBegin() {
    if (!verify(kBlockOutermost | kBlockFrame, kErrIllState)) return 0;
    pushBlock(kBlockScene);
    fAttributes.push();
    fTransforms.push();
    repointGlobals();
    pushLightAndObj();
    setUpCamera();
    return 1;
}

void State::setUpCamera() {
    RenderTarget& target = renderTarget();
    Option& option = *gOption;
    fSceneRendered = target.beginScene(option) && option.hiderType != 0;
    gWorldToCamera = gTransform->matrix();
    target.destroyDisplay();
    target.createDisplay();
    if (option.xResolution < 1) option.xResolution = target.displayWidth();
    if (option.yResolution < 1) option.yResolution = target.displayHeight();
    if (!(option.pixelAspect > kTiny)) option.pixelAspect = target.displayAspect();
    if (fSceneRendered && option.hiderType == QEL_HIDER_PAINT && option.plan.wantsDepth())
        option.hiderType = QEL_HIDER_ZBUFFER;
    setUpScreenWindow();
    gScreenToRaster = gIdentity;
    gScreenToRaster.map(option.screenLeft, option.screenRight, option.screenBottom,
                        option.screenTop, float(option.xResolution), float(option.yResolution));
    updateCameraToRaster();
    if (fSceneRendered) {
        target.resetSequence();
        const RenderContext frame(option, currentCamera());
        target.openDisplay(frame);
        target.initScene(frame);
    } else if (option.hiderType != 0) {
        target.discardScene();
    }
}

void State::setUpScreenWindow() {
    Option& option = *gOption;
    float width = option.screenRight - option.screenLeft;
    float height = option.screenTop - option.screenBottom;
    // NaN counts as degenerate too.
    bool degenerate = !(std::fabs(width) >= kTiny) || !(std::fabs(height) >= kTiny);
    if (!degenerate) return;
    if (!(option.frameAspect > kTiny))
        option.frameAspect =
            float(option.xResolution) * option.pixelAspect / float(option.yResolution);
    float aspect = option.frameAspect;
    if (aspect >= 1.0f) {
        option.screenLeft = -aspect, option.screenRight = aspect;
        option.screenBottom = -1.0f, option.screenTop = 1.0f;
    } else {
        option.screenLeft = -1.0f, option.screenRight = 1.0f;
        option.screenBottom = -1.0f / aspect, option.screenTop = 1.0f / aspect;
    }
}

short State::sceneEnd() {
    if (!verify(kBlockScene, kErrNesting)) return 0;
    bool rendering = fSceneRendered;
    fSceneRendered = false;
    if (rendering) renderTarget().renderScene();
    fBlocks.pop();
    popAttributes();
    popTransform();
    popLightAndObj();
    if (rendering) renderTarget().closeDisplay();
    renderTarget().destroyDisplay();
    return 1;
}

short State::attributePush() {
    if (!verify(kBlockAnyButObjectOrMotion, kErrIllState)) return 0;
    if (!roomToNest()) return 0;
    pushBlock(kBlockAttribute);
    fAttributes.push();
    fTransforms.push();
    repointGlobals();
    return 1;
}

short State::attributePop() {
    if (!verify(kBlockAttribute, kErrNesting)) return 0;
    fBlocks.pop();
    popAttributes();
    popTransform();
    return 1;
}

short State::matrixPush() {
    if (!verify(kBlockAnyButObjectOrMotion, kErrIllState)) return 0;
    if (!roomToNest()) return 0;
    pushBlock(kBlockMatrix);
    fTransforms.push();
    repointGlobals();
    return 1;
}

short State::matrixPop() {
    if (!verify(kBlockMatrix, kErrNesting)) return 0;
    fBlocks.pop();
    popTransform();
    return 1;
}

short State::solidBegin() {
    if (!verify(kBlockInScene, kErrIllState)) return 0;
    if (!roomToNest()) return 0;
    pushBlock(kBlockSolid);
    fAttributes.push();
    fTransforms.push();
    repointGlobals();
    return 1;
}

short State::solidEnd() {
    if (!verify(kBlockSolid, kErrNesting)) return 0;
    fBlocks.pop();
    popAttributes();
    popTransform();
    return 1;
}

Object* State::objectBegin() {
    if (!verify(kBlockAnyButObjectOrMotion, kErrIllState)) return nullptr;
    if (!roomToNest()) return nullptr;
    pushBlock(kBlockObject);
    fAttributes.push();
    fTransforms.push();
    repointGlobals();
    Object* object = renderTarget().beginObject();
    if (object) fObjects.top().add(object);
    return object;
}

short State::objectEnd() {
    if (!verify(kBlockObject, kErrNesting)) return 0;
    fBlocks.pop();
    popAttributes();
    popTransform();
    renderTarget().endObject();
    return 1;
}

namespace {

// The times of a motion block: at least one, at most kMostMotionTimes,
// increasing.
bool validMotionTimes(long n, const float* times) {
    if (n < 1 || n > kMostMotionTimes) {
        error(kErrRange, kError, "count %ld out of range", n);
        return false;
    }
    if (!times) {
        error(kErrMissingData, kError, "times must not be null");
        return false;
    }
    for (long k = 0; k < n; ++k)
        if (!std::isfinite(times[k]) || (k > 0 && !(times[k] > times[k - 1]))) {
            error(kErrRange, kError, "the times of a motion block must increase");
            return false;
        }
    return true;
}

} // namespace

std::vector<float> motionTimes(long n, va_list args) {
    std::vector<float> times;
    if (n < 1 || n > kMostMotionTimes) return times;
    times.resize(size_t(n));
    for (float& time : times)
        time = float(va_arg(args, double));
    return times;
}

short State::motionBegin(long n, const float* times) {
    if (!verify(kBlockAnyButObjectOrMotion, kErrIllState) || !validMotionTimes(n, times)) return 0;
    pushBlock(kBlockMotion);
    fMotionFirst = 1;
    gTransform->beginMotion(std::vector<float>(times, times + n));
    return 1;
}

short State::motionEnd() {
    if (!verify(kBlockMotion, kErrNesting)) return 0;
    gTransform->endMotion();
    fBlocks.pop();
    fMotionFirst = 0;
    return 1;
}

Attrib* State::getAttrib() {
    Attrib& current = fAttributes.top();
    if (!current.snapshot.changed() && fAttribSnapshot) return fAttribSnapshot;
    releaseSnapshot(fAttribSnapshot);
    fAttribSnapshot = retainSnapshot(new Attrib(current));
    current.snapshot.clearChanged();
    return fAttribSnapshot;
}

Transform* State::getTransform() {
    Transform& current = fTransforms.top();
    if (!current.snapshot.changed() && fTransformSnapshot) return fTransformSnapshot;
    releaseSnapshot(fTransformSnapshot);
    fTransformSnapshot = retainSnapshot(new Transform(current));
    fTransformSnapshot->computeOrientation();
    current.snapshot.clearChanged();
    return fTransformSnapshot;
}

void State::pushScratch(const Attrib& attrib, const Transform& transform) {
    // Copied first: the arguments may live in the stacks that grow here.
    Attrib attribCopy(attrib);
    Transform transformCopy(transform);
    fAttributes.push();
    fTransforms.push();
    fAttributes.top() = attribCopy;
    fTransforms.top() = transformCopy;
    repointGlobals();
    gAttrib->snapshot.setChanged();
    gTransform->snapshot.setChanged();
}

void State::popScratch() {
    popAttributes();
    popTransform();
}

void State::addLight(Light* light) {
    if (!fLights.empty()) fLights.top().add(light);
}

bool State::ownsLight(const void* light) const {
    for (const List<Light*>& list : fLights)
        for (Light* candidate : list)
            if (candidate == light) return true;
    return false;
}

bool State::ownsObject(const void* object) const {
    for (const List<Object*>& list : fObjects)
        for (Object* candidate : list)
            if (candidate == object) return true;
    return false;
}

} // namespace quelmark
