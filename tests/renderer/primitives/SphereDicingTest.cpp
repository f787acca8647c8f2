#include "PrimitiveFixture.h"

#include "renderer/geometry/QuadricShapes.h"
#include "renderer/shading/Grid.h"
#include "renderer/state/Attrib.h"
#include "renderer/state/Camera.h"
#include "renderer/state/Option.h"
#include "tests/renderer/primitives/SceneSink.h"

#include <cmath>
#include <numbers>

using namespace quelmark;

namespace {

// What the micropolygons of all grids cover on the raster.
struct Coverage {
    int grids = 0;
    int micropolygons = 0;
    double totalArea = 0; // of the unsigned areas
    float largest = 0;
    // Those within half the silhouette radius of the image centre, where the
    // sphere faces the camera.
    int central = 0;
    double centralArea = 0;
};

// A sphere of radius 1 at distance 5: its silhouette is a circle of radius
// tan(asin(1/5)) = 0.2 / sqrt 0.96 on the screen, 240 pixels a screen unit.
const double kSilhouette = 240 * 0.2 / std::sqrt(0.96);

class SphereDicingTest : public PrimitiveFixture {
protected:
    void SetUp() override {
        gOption->viewPerspective(90);
        gState->sceneBegin();
        gTransform->translate(0, 0, 5);
    }
    void TearDown() override { gState->sceneEnd(); }

    // Dices or splits until the scene is empty.
    Coverage render(Primitive* primitive) {
        Coverage coverage;
        fScene.add(primitive);
        for (int step = 0; step < 100000; ++step) {
            std::unique_ptr<Primitive> next(fScene.takeNext());
            if (!next) break;
            if (DiceDecision decision = next->diceable(currentFrame(), -1)) {
                std::unique_ptr<Grid> grid(next->dice(decision.size));
                measure(*grid, coverage);
            } else {
                splitIntoScene(*next);
            }
        }
        EXPECT_EQ(fScene.pendingCount(), 0);
        return coverage;
    }

    static void measure(const Grid& grid, Coverage& coverage) {
        ++coverage.grids;
        for (int j = 0; j < grid.nv(); ++j)
            for (int i = 0; i < grid.nu(); ++i) {
                Point a = grid.row(j)[i].P * gCameraToRaster;
                Point b = grid.row(j)[i + 1].P * gCameraToRaster;
                Point c = grid.row(j + 1)[i].P * gCameraToRaster;
                Point d = grid.row(j + 1)[i + 1].P * gCameraToRaster;
                // Half the cross product of the diagonals.
                Point ad = d - a, bc = c - b;
                float area = 0.5f * std::fabs(ad.x * bc.y - ad.y * bc.x);
                ++coverage.micropolygons;
                coverage.totalArea += area;
                coverage.largest = std::max(coverage.largest, area);
                Point centre = (a + b + c + d) * 0.25f;
                if (std::hypot(centre.x - 320, centre.y - 240) < kSilhouette / 2) {
                    ++coverage.central;
                    coverage.centralArea += area;
                }
            }
    }
};

TEST_F(SphereDicingTest, MicropolygonsAreAboutOnePixel) {
    Coverage coverage = render(new Sphere(1, -1, 1, 360, ArgList()));
    ASSERT_GT(coverage.grids, 1); // too big for one grid of at most 32 by 32
    // The front and the back half each cover the silhouette's disk once.
    double disk = std::numbers::pi * kSilhouette * kSilhouette;
    EXPECT_NEAR(coverage.totalArea, 2 * disk, 0.01 * disk);
    // Each micropolygon is at most about a pixel along u and along v.
    double centralMean = coverage.centralArea / coverage.central;
    EXPECT_GT(centralMean, 0.4);
    EXPECT_LE(centralMean, 1.0);
    EXPECT_LT(coverage.largest, 1.5f);
}

TEST_F(SphereDicingTest, ACoarserShadingRateMakesLargerMicropolygons) {
    gAttrib->shadingRate(4);
    Coverage coverage = render(new Sphere(1, -1, 1, 360, ArgList()));
    double centralMean = coverage.centralArea / coverage.central;
    EXPECT_GT(centralMean, 4 * 0.4);
    EXPECT_LE(centralMean, 4 * 1.0);
    EXPECT_LT(coverage.largest, 4 * 1.5f);
}

} // namespace
