// A mesh of 10 000 bicubic patches rendered bucket by bucket holds only the
// grids of the buckets still open, never every grid at once.
#include "common/Quark.h"
#include "renderer/scene/PictrelTarget.h"
#include "renderer/scene/Scene.h"
#include "renderer/shading/Grid.h"
#include "renderer/state/Attrib.h"
#include "renderer/state/Option.h"
#include "renderer/state/State.h"
#include "renderer/state/Transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

using namespace quelmark;

namespace {

struct Vec {
    double x, y, z;
};

Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec cross(Vec a, Vec b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Vec normalized(Vec a) {
    double length = std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
    return {a.x / length, a.y / length, a.z / length};
}

// The (2, 3) torus knot.
Vec knot(double t) {
    double r = 2 + std::cos(3 * t);
    return {r * std::cos(2 * t), r * std::sin(2 * t), -std::sin(3 * t)};
}

// Control points of a tube of radius 0.4 around the knot, around by along,
// around fastest.
std::vector<float> torusKnotNet(int around, int along) {
    const double kTwoPi = 6.283185307179586;
    std::vector<float> net;
    net.reserve(size_t(around) * size_t(along) * 3);
    for (int j = 0; j < along; ++j) {
        double t = kTwoPi * j / along;
        Vec centre = knot(t);
        Vec tangent = normalized(knot(t + 1e-4) - knot(t - 1e-4));
        Vec side = normalized(cross(tangent, {0, 0, 1}));
        Vec up = cross(side, tangent);
        for (int i = 0; i < around; ++i) {
            double a = kTwoPi * i / around;
            double c = 0.4 * std::cos(a), s = 0.4 * std::sin(a);
            net.push_back(float(centre.x + c * side.x + s * up.x));
            net.push_back(float(centre.y + c * side.y + s * up.y));
            net.push_back(float(centre.z + c * side.z + s * up.z));
        }
    }
    return net;
}

TEST(PatchMeshMemoryTest, TenThousandPatchesNeverHoldEveryGrid) {
    Scene scene;
    gScene = &scene;
    PictrelTarget target;
    installRenderTarget(&target);
    auto state = std::make_unique<State>();

    gOption->rasterViewport(0, 319, 0, 239);
    gOption->viewPerspective(60);
    gTransform->translate(0, 0, 8);
    gState->sceneBegin();
    gAttrib->surface(kQuarkConstant, 0, nullptr, nullptr);
    gAttrib->basis(QEL_UVBASIS, QEL_BASIS_BSPLINE);
    std::vector<float> net = torusKnotNet(100, 100);
    unsigned short tokens[1] = {kQuarkPoint};
    void* values[1] = {net.data()};
    Grid::resetCensus();
    long aliveBefore = Grid::census().alive;
    scene.patchMesh(QEL_PATCH_BICUBIC, 100, QEL_WRAP, 100, QEL_WRAP, 1, tokens, values);
    scene.render();
    GridCensus census = Grid::census();
    long micropolygons = scene.micropolygons();
    gState->sceneEnd();
    state.reset();
    installRenderTarget(nullptr);
    gScene = nullptr;

    EXPECT_GE(census.made, 10000); // every patch is diced at least once
    EXPECT_GT(micropolygons, 10000);
    EXPECT_EQ(Grid::census().alive, aliveBefore); // none is left behind
    // Alive are the grids of about one row of buckets out of twenty.
    EXPECT_LT(census.peak - aliveBefore, census.made / 5);
}

} // namespace
