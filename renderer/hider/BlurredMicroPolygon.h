// A micropolygon of a grid that moves while the shutter is open, or that is
// seen through an open lens: the raster extent it sweeps over every time and
// lens point, and where one sample, with its own time and lens point, sees
// it.
//
// Between two times of its motion a corner moves along the straight line
// between its raster positions there; before the first time and after the
// last it stays put. Seen through lens point (u, v) of the unit disk a corner
// at depth z moves by the lens's blur at z.
#ifndef QEL_HIDER_BLURREDMICROPOLYGON_H
#define QEL_HIDER_BLURREDMICROPOLYGON_H

#include "renderer/hider/PreparedMicroPolygon.h"
#include "renderer/state/Lens.h"

#include <algorithm>

namespace quelmark {

class Grid;

class BlurredMicroPolygon {
public:
    // Cell (i, j) of the grid through the lens; depths nearer than nearest
    // are not seen, and do not widen the blur.
    void place(const Grid& grid, int i, int j, const Lens& lens, float nearest);

    // The extent swept.
    float xmin() const { return fXmin; }
    float xmax() const { return fXmax; }
    float ymin() const { return fYmin; }
    float ymax() const { return fYmax; }
    float zmin() const { return fZmin; }
    float zmax() const { return fZmax; }

    // Whether the cell faces away from the eye, or covers no area, at every
    // time of its motion: a back face that one-sided grids cull.
    bool facesAwayAlways(const GridHitTraits& traits) const;

    // The nearest key any hit on the cell can have, at any time.
    SampleOrder nearestKey(const GridHitTraits& traits) const {
        if (traits.paintOrder) return traits.paintKey;
        return SampleOrder::fromDepth(fZmin - PreparedMicroPolygon::depthMargin(fZmin, fZmax));
    }

    // Whether a sample at (x, y), at the time and lens point (u, v), may see
    // the cell: false only where it cannot.
    bool mayCover(float x, float y, float time, float u, float v) const {
        if (fKeys > 2) return true;
        Box box = fAtFirst;
        if (fKeys == 2) box = blend(fAtFirst, fAtSecond, fractionAt(time));
        if (fLens->open()) {
            // Each corner moves by its blur times (u, v): the blurs of the
            // depths the box spans bound them.
            const float b0 = fKeys < 2 ? fLeastBlur : fLens->blurAt(std::max(box.zmin, fNearest));
            const float b1 = fKeys < 2 ? fMostBlur : fLens->blurAt(std::max(box.zmax, fNearest));
            const float du0 = b0 * u * fLens->scaleX(), du1 = b1 * u * fLens->scaleX();
            const float dv0 = b0 * v * fLens->scaleY(), dv1 = b1 * v * fLens->scaleY();
            box.xmin += std::min(du0, du1), box.xmax += std::max(du0, du1);
            box.ymin += std::min(dv0, dv1), box.ymax += std::max(dv0, dv1);
        }
        return !(x < box.xmin || x > box.xmax || y < box.ymin || y > box.ymax);
    }

    // The cell as a sample at the time and lens point (u, v) sees it.
    void placeFor(float time, float u, float v, PreparedMicroPolygon& out) const;

private:
    // A raster extent with its depths.
    struct Box {
        float xmin, xmax, ymin, ymax, zmin, zmax;
        void take(const Point& p);
        void take(const Box& other);
    };
    static Box blend(const Box& a, const Box& b, float f) {
        auto mix = [f](float p, float q) { return p + f * (q - p); };
        return Box{mix(a.xmin, b.xmin), mix(a.xmax, b.xmax), mix(a.ymin, b.ymin),
                   mix(a.ymax, b.ymax), mix(a.zmin, b.zmin), mix(a.zmax, b.zmax)};
    }
    // Where the time lies between the first two times of the motion, 0 to 1.
    float fractionAt(float time) const {
        return std::clamp(time * fTimeScale + fTimeShift, 0.0f, 1.0f);
    }
    // The corners at the time.
    void cornersAt(float time, Point (&corners)[4]) const;

    PreparedMicroPolygon fStill; // at the first time through the lens's centre
    const Grid* fGrid = nullptr;
    const Lens* fLens = nullptr;
    int fI = 0, fJ = 0;
    float fXmin = 0, fXmax = 0, fYmin = 0, fYmax = 0, fZmin = 0, fZmax = 0;
    float fNearest = 0;
    int fKeys = 1;
    float fTimeScale = 0, fTimeShift = 0;
    // Where the cell is at the first and the second of two times of motion:
    // in between, each corner's straight path keeps it within their blend.
    Box fAtFirst{}, fAtSecond{};
    // With at most two times: the corners at the second, and, for a cell
    // that does not move, each corner's blur through the lens.
    Point fSecond[4];
    float fBlur[4] = {};
    float fLeastBlur = 0, fMostBlur = 0; // at the nearest and farthest depths
};

} // namespace quelmark

#endif
