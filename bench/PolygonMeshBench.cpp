// Renders a polygon mesh of a million quadrilaterals (a 1000 by 1000 height
// field seen from above) at 640 by 480 and prints the wall time, the peak
// memory and that memory per polygon, next to the bytes of the mesh's own data.
//
//   polygon_mesh_bench [side]
#include "common/Quark.h"
#include "renderer/scene/PictrelTarget.h"
#include "renderer/scene/Scene.h"
#include "renderer/shading/Grid.h"
#include "renderer/state/Attrib.h"
#include "renderer/state/Option.h"
#include "renderer/state/State.h"
#include "renderer/state/Transform.h"

#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

using namespace quelmark;

namespace {

double peakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

struct Mesh {
    std::vector<long> nvertices, vertices;
    std::vector<float> points;
    size_t bytes() const {
        return nvertices.size() * sizeof(long) + vertices.size() * sizeof(long) +
               points.size() * sizeof(float);
    }
};

// side by side quadrilaterals over [-4, 4]^2 with gentle waves in z.
Mesh heightField(long side) {
    Mesh mesh;
    long row = side + 1;
    mesh.points.reserve(size_t(row * row * 3));
    for (long j = 0; j < row; ++j)
        for (long i = 0; i < row; ++i) {
            float x = -4 + 8 * float(i) / float(side), y = -4 + 8 * float(j) / float(side);
            mesh.points.insert(mesh.points.end(), {x, y, 0.2f * std::sin(3 * x) * std::cos(2 * y)});
        }
    mesh.nvertices.assign(size_t(side * side), 4);
    mesh.vertices.reserve(size_t(side * side * 4));
    for (long j = 0; j < side; ++j)
        for (long i = 0; i < side; ++i)
            mesh.vertices.insert(mesh.vertices.end(),
                                 {j * row + i, j * row + i + 1, (j + 1) * row + i + 1, (j + 1) * row + i});
    return mesh;
}

} // namespace

int main(int argc, char** argv) {
    long side = argc > 1 ? std::atol(argv[1]) : 1000;
    if (side < 1 || side > 4000) {
        std::fprintf(stderr, "side must lie between 1 and 4000\n");
        return 2;
    }
    Scene scene;
    gScene = &scene;
    PictrelTarget target;
    installRenderTarget(&target);
    auto state = std::make_unique<State>();
    Mesh mesh = heightField(side);
    double before = peakMiB();

    Grid::resetCensus(); // counts the grids from here on
    auto start = std::chrono::steady_clock::now();
    gOption->rasterViewport(0, 639, 0, 479);
    gOption->viewPerspective(60);
    gTransform->translate(0, 0, 8);
    gState->sceneBegin();
    float from[3] = {-3, 4, -2}, to[3] = {0, 0, 1};
    unsigned short lightTokens[2] = {kQuarkFrom, kQuarkTo};
    void* lightValues[2] = {from, to};
    gAttrib->lightSource(kQuarkDistant, 2, lightTokens, lightValues);
    gAttrib->surface(kQuarkDiffuse, 0, nullptr, nullptr);
    unsigned short tokens[1] = {kQuarkPoint};
    void* values[1] = {mesh.points.data()};
    scene.polygonMesh(side * side, mesh.nvertices.data(), mesh.vertices.data(), 1, tokens, values);
    auto requested = std::chrono::steady_clock::now();
    scene.render();
    long micropolygons = scene.micropolygons();
    GridCensus grids = Grid::census();
    gState->sceneEnd();
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    double polygons = double(side * side);
    double rendering = peakMiB() - before;
    double request = std::chrono::duration<double>(requested - start).count();
    std::printf("%.0f polygons (%.1f MiB of mesh data): %.3f s (the request %.3f s), %ld micropolygons, "
                "%ld grids (at most %ld at once), peak memory %.1f MiB, "
                "%.0f bytes per polygon while rendering\n",
                polygons, double(mesh.bytes()) / 1048576.0, seconds, request, micropolygons, grids.made,
                grids.peak, peakMiB(), rendering * 1048576.0 / polygons);
    state.reset();
    installRenderTarget(nullptr);
    return 0;
}
