// The block, scene and quark requests of the renderer library.
#include "api/qel.h"
#include "common/Error.h"
#include "common/Quark.h"
#include "renderer/entry/RequestsInPart.h"
#include "renderer/scene/Scene.h"
#include "renderer/state/RequestFrame.h"
#include "renderer/state/State.h"

#include <cstdarg>
#include <vector>

using namespace quelmark;

void qelReset() {
    gState->init();
    forgetRequestsInPart();
}

unsigned short qelQuark(const char* name) {
    RequestName frame("qelQuark");
    return declare(name, QEL_CLASS_NO, QEL_TYPE_NO);
}

void qelFrameBegin() {
    RequestName frame("qelFrameBegin");
    gState->frameBegin();
}

void qelFrameEnd() {
    RequestName frame("qelFrameEnd");
    gState->frameEnd();
}

void qelSceneBegin() {
    RequestName frame("qelSceneBegin");
    gState->sceneBegin();
}

void qelSceneEnd() {
    RequestName frame("qelSceneEnd");
    gState->sceneEnd();
}

// Rendering under the caller's control reads as the scene end in reports.
void qelRenderInit() {
    RequestName frame("qelSceneEnd");
    gScene->renderInit();
}

int qelRenderBucket() {
    RequestName frame("qelSceneEnd");
    return gScene->renderBucket();
}

int qelProgress() { return gScene->progress(); }

void qelAttributePush() {
    RequestName frame("qelAttributePush");
    gState->attributePush();
}

void qelAttributePop() {
    RequestName frame("qelAttributePop");
    gState->attributePop();
}

void qelMatrixPush() {
    RequestName frame("qelMatrixPush");
    gState->matrixPush();
}

void qelMatrixPop() {
    RequestName frame("qelMatrixPop");
    gState->matrixPop();
}

const void* qelObjectBegin() {
    RequestName frame("qelObjectBegin");
    return gState->objectBegin();
}

void qelObjectEnd() {
    RequestName frame("qelObjectEnd");
    gState->objectEnd();
}

void qelObjectCall(const void* object) {
    RequestName frame("qelObjectCall");
    gScene->objectInstance(object);
}

void qelMotionBegin(long n, ...) {
    RequestName frame("qelMotionBegin");
    va_list args;
    va_start(args, n);
    const std::vector<float> times = motionTimes(n, args);
    va_end(args);
    gState->motionBegin(n, times.data());
}

void qelMotionBeginV(long n, const float* times) {
    RequestName frame("qelMotionBeginV");
    gState->motionBegin(n, times);
}

void qelMotionEnd() {
    RequestName frame("qelMotionEnd");
    gState->motionEnd();
}

void qelComment(const char*, ...) {}
