// A scene renders the same rows, in the same order, on any number of
// threads, and reports made while buckets are worked on reach the handler
// on the caller's thread, in bucket order.
#include "common/Error.h"
#include "common/Quark.h"
#include "renderer/display/Display.h"
#include "renderer/geometry/Primitive.h"
#include "renderer/scene/PictrelTarget.h"
#include "renderer/scene/RenderControl.h"
#include "renderer/scene/Scene.h"
#include "renderer/state/Attrib.h"
#include "renderer/state/Option.h"
#include "renderer/state/State.h"
#include "renderer/state/Transform.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace quelmark;

namespace {

struct Row {
    long x0, x1, y;
    std::vector<uint32_t> data;
    bool operator==(const Row&) const = default;
};

std::vector<Row> gRows;

class RowRecorder : public Display {
public:
    void span(long x0, long x1, long y, const uint32_t* data) override {
        size_t count = size_t((x1 - x0 + 1) * gOption->channels);
        gRows.push_back(Row{x0, x1, y, std::vector<uint32_t>(data, data + count)});
    }
};

class RecordingTarget : public PictrelTarget {
public:
    void createDisplay() override {
        delete gDisplay;
        gDisplay = new RowRecorder;
    }
};

// Splits into nothing, reporting its sequence number as it does.
class ReportingPrimitive : public Primitive {
public:
    ReportingPrimitive(float x, float y) : fX(x), fY(y) {}
    Boundw bound() const override { return Boundw(fX, fX + 0.1f, fY, fY + 0.1f, 4, 5, 1, 1); }
    DiceDecision diceable(const RenderContext&, float) override { return {}; }
    void split(PrimitiveSink&) override { error(kErrBug, kWarning, "split %u", unsigned(sequence())); }

private:
    float fX, fY;
};

struct Received {
    std::string message;
    std::thread::id thread;
};
std::vector<Received> gReceived;

void recordReport(long, long, const char* message) {
    gReceived.push_back({message ? message : "", std::this_thread::get_id()});
}

class SceneThreadsTest : public ::testing::Test {
protected:
    void SetUp() override {
        gScene = &fScene;
        installRenderTarget(&fTarget);
        fState = std::make_unique<State>();
        gRows.clear();
        gReceived.clear();
    }
    void TearDown() override {
        fState.reset();
        installRenderTarget(nullptr);
        gScene = nullptr;
        renderControl().setThreads(0);
        setErrorHandler(0xB02, errorPrint);
    }

    void beginScene() {
        gOption->rasterViewport(0, 159, 0, 119);
        gOption->sampleUniform(2, 2);
        gOption->viewPerspective(60);
        gState->sceneBegin();
    }

    // Plastic spheres of several sizes, partly transparent, under two lights.
    void spheres() {
        float from[3] = {-3, 4, -2}, to[3] = {0, 0, 1};
        unsigned short distant[2] = {kQuarkFrom, kQuarkTo};
        void* distantValues[2] = {from, to};
        gAttrib->lightSource(kQuarkDistant, 2, distant, distantValues);
        float at[3] = {2, 2, 0};
        unsigned short point[1] = {kQuarkFrom};
        void* pointValues[1] = {at};
        gAttrib->lightSource(kQuarkOmni, 1, point, pointValues);
        for (int k = 0; k < 24; ++k) {
            gState->attributePush();
            gTransform->translate(float(k % 6) - 2.5f, float(k / 6) - 1.5f, 6.0f + float(k % 5));
            float color[3] = {0.2f + 0.03f * float(k), 0.5f, 0.9f - 0.03f * float(k)};
            float opacity[3] = {0.5f, 0.6f, 0.7f};
            gAttrib->color(color);
            if (k % 3 == 0) gAttrib->opacity(opacity);
            float radius = 0.3f + 0.05f * float(k % 7);
            fScene.sphere(radius, -radius, radius, 360, 0, nullptr, nullptr);
            gState->attributePop();
        }
    }

    std::vector<Row> renderSpheres(int threads) {
        renderControl().setThreads(threads);
        gRows.clear();
        beginScene();
        spheres();
        gState->sceneEnd();
        return gRows;
    }

    Scene fScene;
    RecordingTarget fTarget;
    std::unique_ptr<State> fState;
};

} // namespace

TEST_F(SceneThreadsTest, EveryThreadCountRendersTheSameRows) {
    std::vector<Row> one = renderSpheres(1);
    // Each of the 14 by 10 buckets sends its 12 rows, bucket after bucket.
    ASSERT_EQ(one.size(), 14u * 120u);
    EXPECT_EQ(one[12].x0, 12);
    EXPECT_EQ(one[12].y, 0);
    EXPECT_EQ(one[14 * 12].y, 12);
    for (int threads : {2, 3, 8})
        EXPECT_TRUE(renderSpheres(threads) == one) << threads;
    EXPECT_TRUE(renderSpheres(8) == one);
}

TEST_F(SceneThreadsTest, RenderingByBucketsGivesTheSameRowsAsTheSceneEnd) {
    std::vector<Row> whole = renderSpheres(4);
    gRows.clear();
    beginScene();
    spheres();
    fScene.renderInit();
    int calls = 0;
    while (fScene.renderBucket())
        ++calls;
    gState->sceneEnd();
    EXPECT_GT(calls, 100);
    EXPECT_TRUE(gRows == whole);
}

TEST_F(SceneThreadsTest, WorkersReportThroughTheCallersThreadInBucketOrder) {
    renderControl().setThreads(4);
    setErrorHandler(0xB02, recordReport);
    beginScene();
    // Sequence numbers 0, 1, 2 from the bottom of the image to the top.
    fScene.add(new ReportingPrimitive(0.0f, -1.5f));
    fScene.add(new ReportingPrimitive(0.0f, 0.0f));
    fScene.add(new ReportingPrimitive(0.0f, 1.5f));
    const char* previous = setErrorFuncName("qelSceneEnd");
    gState->sceneEnd();
    setErrorFuncName(previous);
    ASSERT_EQ(gReceived.size(), 3u);
    EXPECT_EQ(gReceived[0].message, "qelSceneEnd: split 2");
    EXPECT_EQ(gReceived[1].message, "qelSceneEnd: split 1");
    EXPECT_EQ(gReceived[2].message, "qelSceneEnd: split 0");
    for (const Received& r : gReceived)
        EXPECT_EQ(r.thread, std::this_thread::get_id());
}
