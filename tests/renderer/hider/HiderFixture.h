// A fresh graphics state for every hider test, with grids laid out directly
// in raster space (x, y in pixels, z the normalised depth).
#ifndef QEL_TESTS_HIDER_HIDERFIXTURE_H
#define QEL_TESTS_HIDER_HIDERFIXTURE_H

#include "renderer/hider/Bucket.h"
#include "renderer/scene/PictrelTarget.h"
#include "renderer/scene/Scene.h"
#include "renderer/shading/Grid.h"
#include "renderer/shading/Vertex.h"
#include "renderer/state/Camera.h"
#include "renderer/state/RenderContext.h"
#include "renderer/state/State.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>

using namespace quelmark;

class HiderFixture : public ::testing::Test {
protected:
    HiderFixture() {
        gScene = &fScene;
        installRenderTarget(&fTarget);
        fState = std::make_unique<State>();
    }
    ~HiderFixture() override {
        fState.reset();
        installRenderTarget(nullptr);
        gScene = nullptr;
    }

    // One micropolygon with corners A, B, C, D at depth z, every corner
    // carrying the colour and opacity.
    Grid* quadGrid(const Point& a, const Point& b, const Point& c, const Point& d,
                   const Color& Ci = gWhite, const Color& Oi = gWhite, uint32_t sequence = 1,
                   short flip = 0) {
        Vertex** rows = allocVertices(1, 1);
        rows[0][0].P = a;
        rows[0][1].P = b;
        rows[1][0].P = c;
        rows[1][1].P = d;
        for (int k = 0; k < 2; ++k)
            for (int i = 0; i < 2; ++i) {
                rows[k][i].Ci = Ci;
                rows[k][i].Oi = Oi;
            }
        return makeGrid(1, 1, rows, sequence, flip);
    }

    // An n × n grid over the raster square [x0, x1] × [y0, y1] at depth z,
    // facing the camera, in one colour and opacity.
    Grid* squareGrid(int n, float x0, float x1, float y0, float y1, float z, const Color& Ci,
                     const Color& Oi = gWhite, uint32_t sequence = 1) {
        Vertex** rows = allocVertices(n, n);
        for (int k = 0; k <= n; ++k)
            for (int i = 0; i <= n; ++i) {
                Vertex& v = rows[k][i];
                v.P = Point(x0 + (x1 - x0) * float(i) / float(n),
                            y0 + (y1 - y0) * float(k) / float(n), z);
                v.Ci = Ci;
                v.Oi = Oi;
            }
        return makeGrid(n, n, rows, sequence, 0);
    }

    Grid* makeGrid(int nu, int nv, Vertex** rows, uint32_t sequence, short flip) {
        return new Grid(nu, nv, rows, fState->getAttrib(), fState->getTransform(), sequence, flip,
                        0, ArgList());
    }

    // A frame of the options and camera as they stand now; it lives as long
    // as the fixture.
    const RenderContext& frame() { return fFrames.emplace_back(*gOption, currentCamera()); }

    Scene fScene;
    PictrelTarget fTarget;
    std::unique_ptr<State> fState;
    std::deque<RenderContext> fFrames;
    BucketScratch fScratch;
};

#endif
