// The quark, block, object and rendering requests of the scene writer, and
// comments.
#include "api/qel.h"
#include "common/Quark.h"
#include "renderer/state/RequestFrame.h"
#include "renderer/state/State.h"
#include "writer/SceneWriter.h"

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

using namespace quelmark;

void qelReset() { gState->init(); }

unsigned short qelQuark(const char* name) {
    RequestName frame("qelQuark");
    writeCheckedLine("qelQuark", [&](QelLine& line) { line.text(name); });
    return declare(name, QEL_CLASS_NO, QEL_TYPE_NO);
}

unsigned short qelVariable(const char* name, short parameterClass, short parameterType) {
    RequestName frame("qelVariable");
    writeCheckedLine("qelVariable", [&](QelLine& line) {
        line.text(name).enumerator(parameterClass).enumerator(parameterType);
    });
    return declare(name, parameterClass, parameterType);
}

void qelFrameBegin() {
    RequestName frame("qelFrameBegin");
    writeKeyword("qelFrameBegin");
    gState->frameBegin();
}

void qelFrameEnd() {
    RequestName frame("qelFrameEnd");
    writeKeyword("qelFrameEnd");
    gState->frameEnd();
}

void qelSceneBegin() {
    RequestName frame("qelSceneBegin");
    writeKeyword("qelSceneBegin");
    gState->sceneBegin();
}

void qelSceneEnd() {
    RequestName frame("qelSceneEnd");
    writeKeyword("qelSceneEnd");
    gState->sceneEnd();
}

// Nothing is rendered here: a driver's bucket loop ends at once.
void qelRenderInit() {}
int qelRenderBucket() { return 0; }
int qelProgress() { return 0; }
void qelRenderCancel() {}

void qelAttributePush() {
    RequestName frame("qelAttributePush");
    writeKeyword("qelAttributePush");
    gState->attributePush();
}

void qelAttributePop() {
    RequestName frame("qelAttributePop");
    writeKeyword("qelAttributePop");
    gState->attributePop();
}

void qelMatrixPush() {
    RequestName frame("qelMatrixPush");
    writeKeyword("qelMatrixPush");
    gState->matrixPush();
}

void qelMatrixPop() {
    RequestName frame("qelMatrixPop");
    writeKeyword("qelMatrixPop");
    gState->matrixPop();
}

const void* qelObjectBegin() {
    RequestName frame("qelObjectBegin");
    std::uint32_t handle = sceneWriter().nextObject();
    writeLine("qelObjectBegin", [&](QelLine& line) { line.integer(long(handle)); });
    return handleOf(handle);
}

void qelObjectEnd() {
    RequestName frame("qelObjectEnd");
    writeKeyword("qelObjectEnd");
}

void qelObjectCall(const void* object) {
    RequestName frame("qelObjectCall");
    writeLine("qelObjectCall", [&](QelLine& line) { line.integer(numberOf(object)); });
}

// A motion block is checked before it is written: its times are read only
// when they are sound.
void qelMotionBeginV(long n, const float* times) {
    RequestName frame("qelMotionBeginV");
    if (!gState->motionBegin(n, times)) return;
    writeLine("qelMotionBegin", [&](QelLine& line) { line.numbers(times, n, "times"); });
}

void qelMotionBegin(long n, ...) {
    RequestName frame("qelMotionBegin");
    va_list args;
    va_start(args, n);
    const std::vector<float> times = motionTimes(n, args);
    va_end(args);
    if (!gState->motionBegin(n, times.data())) return;
    writeLine("qelMotionBegin", [&](QelLine& line) { line.numbers(times.data(), n, "times"); });
}

void qelMotionEnd() {
    RequestName frame("qelMotionEnd");
    writeKeyword("qelMotionEnd");
    gState->motionEnd();
}

void qelSolidBegin(short operation) {
    RequestName frame("qelSolidBegin");
    writeLine("qelSolidBegin", [&](QelLine& line) { line.enumerator(operation); });
}

void qelSolidEnd() {
    RequestName frame("qelSolidEnd");
    writeKeyword("qelSolidEnd");
}

void qelComment(const char* format, ...) {
    if (!format || !sceneWriter().file().chosen()) return;
    va_list args, sizing;
    va_start(args, format);
    va_copy(sizing, args);
    int length = std::vsnprintf(nullptr, 0, format, sizing);
    va_end(sizing);
    std::string text(size_t(length > 0 ? length : 0), '\0');
    if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, args);
    va_end(args);
    sceneWriter().comment(text.c_str());
}
