#include "renderer/shading/Grid.h"

#include "common/Quark.h"
#include "renderer/hider/Bucket.h"
#include "renderer/scene/PictrelTarget.h"
#include "renderer/scene/Scene.h"
#include "renderer/shading/ShadingContext.h"
#include "renderer/state/Camera.h"
#include "renderer/state/RenderContext.h"
#include "renderer/state/State.h"

#include <gtest/gtest.h>

using namespace quelmark;

namespace {

// Corner colours that make Cs = (u, v, 0) at every shading point.
float gCornerColors[12] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0};

class GridTest : public ::testing::Test {
protected:
    GridTest() {
        gScene = &fScene;
        installRenderTarget(&fTarget);
    }
    ~GridTest() override {
        installRenderTarget(nullptr);
        gScene = nullptr;
    }

    void SetUp() override {
        fState = std::make_unique<State>();
        gAttrib->surface(kQuarkConstant, 0, nullptr, nullptr);
    }
    void TearDown() override { fState.reset(); }

    // A grid of a unit square in camera space at depth z, with the
    // colour corners as its "color" parameter and, when ka is given, its own
    // "Ka" for the surface.
    Grid* makeGrid(int nu, int nv, short triangular, float z = 1.0f, const float* ka = nullptr) {
        Vertex** rows = allocVertices(nu, nv);
        for (int k = 0; k <= nv; ++k)
            for (int i = 0; i <= nu; ++i) {
                rows[k][i].P = Point(float(i) / nu, float(k) / nv, z);
                rows[k][i].dPdu = Point(1, 0, 0);
                rows[k][i].dPdv = Point(0, 1, 0);
            }
        unsigned short tokens[2] = {kQuarkColor, kQuarkKa};
        void* values[2] = {gCornerColors, const_cast<float*>(ka)};
        ArgList args(ka ? 2 : 1, tokens, values, ParameterCounts{1, 4, 4});
        return new Grid(nu, nv, rows, gState->getAttrib(), gState->getTransform(), 7, 0, triangular,
                        args);
    }

    // The frame of the options and camera as they stand.
    static RenderContext frame() { return RenderContext(*gOption, currentCamera()); }

    Scene fScene;
    PictrelTarget fTarget;
    std::unique_ptr<State> fState;
    ShadingContext fShading;
};

void expectColor(const Color& c, float r, float g, float b) {
    EXPECT_NEAR(c.r, r, 1e-6f);
    EXPECT_NEAR(c.g, g, 1e-6f);
    EXPECT_NEAR(c.b, b, 1e-6f);
}

TEST_F(GridTest, OneMicropolygonShadesOnePointAtTheCentre) {
    std::unique_ptr<Grid> grid(makeGrid(1, 1, 0));
    grid->shade(frame(), fShading);
    expectColor(grid->row(0)[0].Ci, 0.5f, 0.5f, 0.0f);
    expectColor(grid->row(0)[0].Oi, 1, 1, 1);
    expectColor(grid->row(1)[1].Ci, 0, 0, 0); // only vertex (0, 0) receives the result
}

TEST_F(GridTest, ConstantModelShadesMicropolygonCentres) {
    std::unique_ptr<Grid> grid(makeGrid(4, 2, 0));
    grid->shade(frame(), fShading);
    expectColor(grid->row(1)[2].Ci, 2.5f / 4, 1.5f / 2, 0.0f);
}

TEST_F(GridTest, TriangularRowsShorten) {
    std::unique_ptr<Grid> grid(makeGrid(4, 4, 1));
    EXPECT_EQ(grid->microRowLength(0), 4);
    EXPECT_EQ(grid->microRowLength(1), 3);
    EXPECT_EQ(grid->microRowLength(2), 2);
    EXPECT_EQ(grid->microRowLength(3), 1);
    EXPECT_EQ(grid->vertexRowLength(0), 5);
    EXPECT_EQ(grid->vertexRowLength(1), 5);
    EXPECT_EQ(grid->vertexRowLength(2), 4);
    EXPECT_EQ(grid->vertexRowLength(4), 2);
}

TEST_F(GridTest, SmoothTriangularGridFoldsPointsPastTheDiagonal) {
    gAttrib->shadingModel(0x501);
    std::unique_ptr<Grid> grid(makeGrid(4, 4, 1));
    grid->shade(frame(), fShading);
    expectColor(grid->row(2)[3].Ci, 0.75f, 0.25f, 0.0f); // (0.75, 0.5) folded to v = 0.25
    expectColor(grid->row(1)[2].Ci, 0.5f, 0.25f, 0.0f);  // inside the triangle: as it is
}

// A matte is shaded for its opacity, which says how much it holds out.
TEST_F(GridTest, MatteGridsKeepTheirOpacity) {
    gAttrib->matteObject(1);
    const float half[3] = {0.5f, 0.25f, 1.0f};
    gAttrib->opacity(half);
    std::unique_ptr<Grid> grid(makeGrid(2, 2, 0));
    grid->shade(frame(), fShading);
    // each micropolygon's shading goes to its first vertex
    for (int k = 0; k < 2; ++k)
        for (int i = 0; i < 2; ++i)
            expectColor(grid->row(k)[i].Oi, 0.5f, 0.25f, 1.0f);
}

// The shader keeps its own values: a primitive's values are its grids' alone,
// whatever was shaded before in the same context.
TEST_F(GridTest, APrimitivesParameterValuesStayWithItsGrids) {
    gAttrib->surface(kQuarkDefaultSurface, 0, nullptr, nullptr);
    std::unique_ptr<Grid> plain(makeGrid(1, 1, 0));
    plain->shade(frame(), fShading);
    const Color alone = plain->row(0)[0].Ci;
    const float ka = 1;
    std::unique_ptr<Grid> bright(makeGrid(1, 1, 0, 1.0f, &ka));
    bright->shade(frame(), fShading);
    // Ci = Os · Cs · (Ka + Kd · d²): Ka from 0.2 to 1 adds 0.8 · Cs, Cs = (0.5, 0.5, 0).
    expectColor(bright->row(0)[0].Ci, alone.r + 0.4f, alone.g + 0.4f, 0);
    std::unique_ptr<Grid> after(makeGrid(1, 1, 0));
    after->shade(frame(), fShading);
    expectColor(after->row(0)[0].Ci, alone.r, alone.g, alone.b);
}

TEST_F(GridTest, StandardVariablesAreKeptApart) {
    std::unique_ptr<Grid> grid(makeGrid(1, 1, 0));
    EXPECT_EQ(grid->stdVars().count(), 1);
    EXPECT_EQ(grid->shaderVars().count(), 0);
}

TEST_F(GridTest, IdentityViewKeepsRawDepth) {
    gOption->viewIdentity();
    std::unique_ptr<Grid> grid(makeGrid(1, 1, 0, 7.0f));
    const RenderContext& context = frame();
    grid->project(context);
    EXPECT_FLOAT_EQ(grid->row(0)[0].P.z, 7.0f);
    EXPECT_FLOAT_EQ(context.depth.normalized(7.0f), 7.0f);
    EXPECT_FLOAT_EQ(context.depth.high, 1.0f);
}

TEST_F(GridTest, PerspectiveKeepsCameraDepthThatOutputsSeeFromNearToFar) {
    gOption->clip(1.0f, 11.0f);
    gOption->viewPerspective(90.0f);
    gState->sceneBegin();
    std::unique_ptr<Grid> nearGrid(makeGrid(1, 1, 0, 1.0f));
    std::unique_ptr<Grid> farGrid(makeGrid(1, 1, 0, 11.0f));
    const RenderContext& context = frame();
    nearGrid->project(context);
    farGrid->project(context);
    EXPECT_FLOAT_EQ(nearGrid->row(0)[0].P.z, 1.0f);
    EXPECT_FLOAT_EQ(farGrid->row(0)[0].P.z, 11.0f);
    EXPECT_FLOAT_EQ(context.depth.low, 1.0f);
    EXPECT_FLOAT_EQ(context.depth.high, 11.0f);
    EXPECT_FLOAT_EQ(context.depth.normalized(1.0f), 0.0f);
    EXPECT_FLOAT_EQ(context.depth.normalized(6.0f), 0.5f);
    EXPECT_FLOAT_EQ(context.depth.normalized(HiderDepth::kNothing), 1.0f);
    // The camera-space origin column of the near grid lands on the image centre.
    EXPECT_NEAR(nearGrid->row(0)[0].P.x, 320.0f, 1e-3f);
    EXPECT_NEAR(nearGrid->row(0)[0].P.y, 240.0f, 1e-3f);
    // x = 1 at depth 1 under a 90 degree view is the right edge of the window (4/3 wide).
    EXPECT_NEAR(nearGrid->row(0)[1].P.x, 320.0f + 240.0f, 1e-3f);
    gState->sceneEnd();
}

// Under the far clipping plane of 1e38, a surface half a unit from the eye
// has the normalised depth 5e-39, below the normal floats; weighted by the
// small weights at a filter's edge it would keep few digits.
TEST_F(GridTest, NearDepthsKeepTheirDigitsThroughTheFilter) {
    gOption->clip(0.001f, 1e38f);
    gOption->viewPerspective(90.0f);
    const RenderContext context = frame();
    const double expected = (0.5 - double(0.001f)) / (double(1e38f) - double(0.001f));
    ASSERT_LT(expected, 1.17549435e-38); // not a normal float
    WeightedPixel sums;
    for (int k = 0; k < 4; ++k) sums.add(0.003f, Color(1, 1, 1), 1, context.depth.forFilter(0.5f));
    PixelValues pixel;
    sums.resolve(pixel, context.depth.filterScale());
    EXPECT_NEAR(pixel.z / expected, 1.0, 1e-6);
    EXPECT_NEAR(pixel.nearest / expected, 1.0, 1e-6);
    // Nothing seen is the far plane, 1 once normalised.
    WeightedPixel empty;
    empty.add(0.5f, Color(0, 0, 0), 0, context.depth.forFilter(HiderDepth::kNothing));
    empty.resolve(pixel, context.depth.filterScale());
    EXPECT_EQ(pixel.z, 1.0f);
    EXPECT_EQ(pixel.nearest, 1.0f);
}

} // namespace

#include "renderer/hider/PreparedMicroPolygon.h"

namespace {

TEST_F(GridTest, TriangularGridRowsShortenTowardsTheApex) {
    std::unique_ptr<Grid> grid(makeGrid(4, 4, 1));
    int cells = 0;
    for (int j = 0; j < grid->nv(); ++j)
        cells += grid->microRowLength(j);
    EXPECT_EQ(cells, 10); // rows of 4, 3, 2 and 1
    EXPECT_EQ(grid->microRowLength(3), 1);
    EXPECT_EQ(grid->vertexRowLength(0), 5);
    EXPECT_EQ(grid->vertexRowLength(4), 2);
}

TEST_F(GridTest, MicropolygonBoundAndFacing) {
    std::unique_ptr<Grid> grid(makeGrid(2, 2, 0));
    PreparedMicroPolygon mp;
    mp.place(*grid, 1, 1);
    EXPECT_FLOAT_EQ(mp.xmin(), 0.5f);
    EXPECT_FLOAT_EQ(mp.xmax(), 1.0f);
    EXPECT_FLOAT_EQ(mp.ymax(), 1.0f);
    // A (0.5, 0.5), B (1, 0.5), D (1, 1), C (0.5, 1): 0.5 + 0 - 1 + 0.
    EXPECT_FLOAT_EQ(mp.znormal(), -0.5f);
}

} // namespace
