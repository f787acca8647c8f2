// A fresh graphics state over a recording render target, with every printed
// report collected.
#ifndef QEL_TESTS_STATE_STATEFIXTURE_H
#define QEL_TESTS_STATE_STATEFIXTURE_H

#include "common/Color.h"
#include "common/Error.h"
#include "common/Point.h"
#include "renderer/state/RenderContext.h"
#include "renderer/state/RenderTarget.h"
#include "renderer/state/State.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

using namespace quelmark;

using Lines = std::vector<std::string>;

// Names of the tests' own, declared before any test runs: other tests in the
// same process may use up every quark number.
struct TestQuarks {
    unsigned short varyInteger; // "myint": vary integer
    unsigned short constInteger;
    unsigned short constString;
    unsigned short varyFloat;
    unsigned short space; // a name to mark as a coordinate space
};
const TestQuarks& testQuarks();

// Writes down what the state asks of the renderer, one word per call.
class RecordingTarget : public RenderTarget {
public:
    Lines calls;

    void createDisplay() override { calls.push_back("create"); }
    void destroyDisplay() override { calls.push_back("destroy"); }
    void openDisplay(const RenderContext& frame) override {
        const Option& option = frame.option;
        calls.push_back("open " + std::string(option.outputName.c_str()) + " " +
                        std::to_string(option.xResolution) + "x" +
                        std::to_string(option.yResolution) + " at " +
                        std::to_string(option.rasterOriginX) + "," +
                        std::to_string(option.rasterOriginY));
    }
    void closeDisplay() override { calls.push_back("close"); }
    void flushScene() override { calls.push_back("flush"); }
    void initScene(const RenderContext&) override { calls.push_back("init"); }
    void renderScene() override { calls.push_back("render"); }
    void resetSequence() override { calls.push_back("sequence"); }
    Object* beginObject() override {
        calls.push_back("object");
        return reinterpret_cast<Object*>(&fObjectToken);
    }
    void destroyObject(Object*) override { calls.push_back("destroy object"); }
    Light* makeLight(unsigned short, const ArgList&) override {
        calls.push_back("light");
        return reinterpret_cast<Light*>(&fLightToken);
    }
    void destroyLight(Light*) override { calls.push_back("destroy light"); }

private:
    int fObjectToken = 0;
    int fLightToken = 0;
};

inline ::testing::AssertionResult near(const Point& actual, const Point& expected,
                                       float tolerance = 1e-4f) {
    if (std::fabs(actual.x - expected.x) <= tolerance &&
        std::fabs(actual.y - expected.y) <= tolerance &&
        std::fabs(actual.z - expected.z) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actual << " is not " << expected;
}

inline ::testing::AssertionResult near(const Color& actual, const Color& expected) {
    return near(Point(actual.r, actual.g, actual.b), Point(expected.r, expected.g, expected.b));
}

class StateFixture : public ::testing::Test {
protected:
    StateFixture() {
        printed().clear();
        setErrorHandler(short(kWarning | kError), errorPrint);
        setErrorPrinter(record);
        setErrorFuncName(nullptr);
        installRenderTarget(&fTarget);
        fState = std::make_unique<State>();
        fTarget.calls.clear();
    }
    ~StateFixture() override {
        setErrorFuncName(nullptr);
        fState.reset();
        installRenderTarget(nullptr);
        setErrorPrinter(printToStandardError);
    }

    // Names the request being imitated, as the entry layer does.
    static void request(const char* name) { setErrorFuncName(name); }

    // The lines printed since the last call.
    static Lines reports() {
        Lines lines = printed();
        printed().clear();
        return lines;
    }

    // The calls made of the render target since the last call.
    Lines calls() {
        Lines made = fTarget.calls;
        fTarget.calls.clear();
        return made;
    }

    RecordingTarget fTarget;
    std::unique_ptr<State> fState;

private:
    static Lines& printed() {
        static Lines lines;
        return lines;
    }
    static void record(const char* text) { printed().emplace_back(text); }
};

#endif
