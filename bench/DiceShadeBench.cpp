// Dices and shades a 32 by 32 grid of a plastic sphere under a distant and a
// point light; reports shaded points per second.
#include "common/Quark.h"
#include "renderer/geometry/Primitive.h"
#include "renderer/geometry/QuadricShapes.h"
#include "renderer/scene/PictrelTarget.h"
#include "renderer/scene/Scene.h"
#include "renderer/shading/Grid.h"
#include "renderer/shading/ShadingContext.h"
#include "renderer/state/RenderContext.h"
#include "renderer/state/State.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace quelmark;

namespace {

constexpr uint16_t kSteps = 32;

struct SphereScene {
    Scene scene;
    PictrelTarget target;
    std::unique_ptr<State> state;
    std::unique_ptr<Sphere> sphere;

    SphereScene() {
        gScene = &scene;
        installRenderTarget(&target);
        state = std::make_unique<State>();
        gOption->viewPerspective(45);
        gTransform->translate(0, 0, 5);
        gState->sceneBegin();
        float from[3] = {-2, 2, -2}, to[3] = {0, 0, 0};
        unsigned short distant[2] = {kQuarkFrom, kQuarkTo};
        void* distantValues[2] = {from, to};
        gAttrib->lightSource(kQuarkDistant, 2, distant, distantValues);
        float at[3] = {3, 1, -3};
        unsigned short point[1] = {kQuarkFrom};
        void* pointValues[1] = {at};
        gAttrib->lightSource(kQuarkOmni, 1, point, pointValues);
        gAttrib->surface(kQuarkPlastic, 0, nullptr, nullptr);
        sphere = std::make_unique<Sphere>(1.0f, -1.0f, 1.0f, 360.0f, ArgList());
    }

    ~SphereScene() {
        sphere.reset();
        gState->sceneEnd();
        state.reset();
        installRenderTarget(nullptr);
        gScene = nullptr;
    }
};

void diceAndShade(benchmark::State& run) {
    SphereScene setup;
    const RenderContext frame(*gOption, currentCamera());
    ShadingContext shading;
    for (auto _ : run) {
        std::unique_ptr<Grid> grid(setup.sphere->dice(GridSize{kSteps, kSteps}));
        grid->shade(frame, shading);
        grid->project(frame);
        benchmark::DoNotOptimize(grid->row(kSteps / 2)[kSteps / 2].Ci);
    }
    run.SetItemsProcessed(run.iterations() * kSteps * kSteps);
    run.counters["shaded_points_per_second"] =
        benchmark::Counter(double(kSteps * kSteps), benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(diceAndShade);

} // namespace

BENCHMARK_MAIN();
