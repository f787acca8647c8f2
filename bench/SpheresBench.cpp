// Renders 200 plastic spheres of varied size under a distant and a point
// light at 640 by 480, 2 by 2 samples, gaussian 2 by 2, and prints the wall
// time, micropolygons per second and peak memory.
//
//   spheres_bench [xres yres]
#include "common/Quark.h"
#include "common/Random.h"
#include "renderer/display/WindowSystem.h"
#include "renderer/scene/PictrelTarget.h"
#include "renderer/scene/Scene.h"
#include "renderer/shading/Grid.h"
#include "renderer/state/State.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

using namespace quelmark;

namespace {

void lights() {
    float from[3] = {-3, 4, -2}, to[3] = {0, 0, 1};
    unsigned short distant[2] = {kQuarkFrom, kQuarkTo};
    void* distantValues[2] = {from, to};
    gAttrib->lightSource(kQuarkDistant, 2, distant, distantValues);
    float at[3] = {4, 2, 0};
    float intensity = 12;
    unsigned short point[2] = {kQuarkFrom, kQuarkIntensity};
    void* pointValues[2] = {at, &intensity};
    gAttrib->lightSource(kQuarkOmni, 2, point, pointValues);
}

void spheres() {
    RandomStream random(7);
    auto uniform = [&random](float low, float high) {
        return low + (high - low) * float(random.next()) / 32767.0f;
    };
    for (int i = 0; i < 200; ++i) {
        gState->attributePush();
        float color[3] = {uniform(0.2f, 1), uniform(0.2f, 1), uniform(0.2f, 1)};
        gAttrib->color(color);
        gTransform->translate(uniform(-6, 6), uniform(-4.5f, 4.5f), uniform(8, 20));
        float radius = uniform(0.2f, 1.2f);
        gScene->sphere(radius, -radius, radius, 360, 0, nullptr, nullptr);
        gState->attributePop();
    }
}

} // namespace

int main(int argc, char** argv) {
    long xres = argc > 2 ? std::atol(argv[1]) : 640, yres = argc > 2 ? std::atol(argv[2]) : 480;
    WindowSystem::setEnabled(false); // the time is the renderer's, not the screen's
    Scene scene;
    gScene = &scene;
    PictrelTarget target;
    installRenderTarget(&target);
    auto state = std::make_unique<State>();

    Grid::resetCensus(); // counts the grids from here on
    auto start = std::chrono::steady_clock::now();
    gOption->rasterViewport(0, xres - 1, 0, yres - 1);
    gOption->sampleUniform(2, 2);
    gOption->filter(0x100);
    gOption->filterWidth(2, 2);
    gOption->viewPerspective(60);
    gState->sceneBegin();
    lights();
    spheres();
    scene.render();
    long micropolygons = scene.micropolygons();
    gState->sceneEnd();
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("200 spheres at %ldx%ld on %d thread(s): %.3f s, %ld micropolygons, "
                "%.0f micropolygons/s, peak memory %.1f MiB, at most %ld grids alive\n",
                xres, yres, scene.threads(), seconds, micropolygons,
                double(micropolygons) / seconds, double(usage.ru_maxrss) / 1024.0,
                Grid::census().peak);
    state.reset();
    installRenderTarget(nullptr);
    return 0;
}
