// The graphics state: the nesting of the scene description, the stacks of
// option, attribute and transform blocks that the blocks save and restore,
// and the lights and retained objects of each frame and scene.
//
// Every request asks `verify` whether it is legal in the current block. Scene
// begin sets up the camera and the display; scene end renders.
#ifndef QEL_STATE_STATE_H
#define QEL_STATE_STATE_H

#include "common/List.h"
#include "common/Stack.h"
#include "renderer/state/Attrib.h"
#include "renderer/state/Option.h"
#include "renderer/state/Transform.h"

#include <cstdarg>
#include <vector>

namespace quelmark {

class Light;
class Object;
class RenderTarget;

// Block codes, one bit each, so that a set of legal blocks is a mask.
enum BlockCode : unsigned short {
    kBlockOutermost = 0x01,
    kBlockFrame = 0x02,
    kBlockScene = 0x04,
    kBlockAttribute = 0x08,
    kBlockMatrix = 0x10,
    kBlockSolid = 0x20,
    kBlockObject = 0x40,
    kBlockMotion = 0x80,
    kBlockAnyButObjectOrMotion = 0x3F,
    kBlockInScene = 0x3C,
    kBlockAllButObject = 0xBF,
    kBlockPrimitives = 0xFC,
    kBlockProcedural = 0x7C,
};

// A motion block gives a value at each of at most this many times.
constexpr long kMostMotionTimes = 64;

// The n times among a request's variable arguments (doubles, as floats
// pass); none when n is out of range, so that nothing beyond them is read.
std::vector<float> motionTimes(long n, va_list args);

class State {
public:
    State();
    ~State();
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    // 1 when the request may go on; reports code otherwise. Inside a motion
    // block only the first request gets through, the others are dropped.
    short verify(unsigned short mask, long code);
    // The same, but every request of a motion block gets through: those
    // that give a value at each of its times.
    short verifyEveryStep(unsigned short mask, long code);

    void init();
    short frameBegin();
    short frameEnd();
    short sceneBegin();
    short sceneEnd();
    short attributePush();
    short attributePop();
    short matrixPush();
    short matrixPop();
    short solidBegin();
    short solidEnd();
    Object* objectBegin();
    short objectEnd();
    // Opens a motion block at the given times, which must increase.
    short motionBegin(long n, const float* times);
    short motionEnd();

    // Counted snapshots of the current blocks, shared while nothing changes.
    Attrib* getAttrib();
    Transform* getTransform();

    unsigned short currentBlock() const { return fBlocks.top(); }
    int depth() const { return fBlocks.count(); }

    // Makes copies of the given blocks current without opening a block, for
    // primitives made on the renderer's behalf (object instances, procedural
    // subdivision); popScratch restores what was current.
    void pushScratch(const Attrib& attrib, const Transform& transform);
    void popScratch();

    void addLight(Light* light);
    bool ownsLight(const void* light) const;
    bool ownsObject(const void* object) const;

private:
    void repointGlobals();
    void pushBlock(unsigned short code);
    // False, after a report, when blocks are nested as deep as they may be.
    bool roomToNest();
    void popAttributes();
    void popTransform();
    void pushLightAndObj();
    void popLightAndObj();
    void releaseSnapshots();
    void setUpCamera();
    void setUpScreenWindow();

    Stack<unsigned short> fBlocks;
    CopyStack<Transform> fTransforms;
    CopyStack<Attrib> fAttributes;
    CopyStack<Option> fOptions;
    Stack<List<Light*>> fLights;
    Stack<List<Object*>> fObjects;
    short fMotionFirst = 0;
    bool fSceneRendered = false; // the scene begun is rendered at its end
    Attrib* fAttribSnapshot = nullptr;
    Transform* fTransformSnapshot = nullptr;
};

extern State* gState;

// The renderer behind the state; the base target until one is installed.
RenderTarget& renderTarget();
void installRenderTarget(RenderTarget* target);

} // namespace quelmark

#endif
