#include "renderer/hider/BlurredMicroPolygon.h"

#include "renderer/shading/Grid.h"

#include <algorithm>
#include <cmath>

namespace quelmark {

namespace {

// The corners A, B, C, D of cell (i, j) as column and row offsets.
constexpr int kCornerColumn[4] = {0, 1, 0, 1};
constexpr int kCornerRow[4] = {0, 0, 1, 1};

Point lerp(const Point& a, const Point& b, float f) {
    return Point(a.x + f * (b.x - a.x), a.y + f * (b.y - a.y), a.z + f * (b.z - a.z));
}

} // namespace

void BlurredMicroPolygon::Box::take(const Point& p) {
    xmin = std::min(xmin, p.x), xmax = std::max(xmax, p.x);
    ymin = std::min(ymin, p.y), ymax = std::max(ymax, p.y);
    zmin = std::min(zmin, p.z), zmax = std::max(zmax, p.z);
}

void BlurredMicroPolygon::Box::take(const Box& other) {
    xmin = std::min(xmin, other.xmin), xmax = std::max(xmax, other.xmax);
    ymin = std::min(ymin, other.ymin), ymax = std::max(ymax, other.ymax);
    zmin = std::min(zmin, other.zmin), zmax = std::max(zmax, other.zmax);
}

void BlurredMicroPolygon::place(const Grid& grid, int i, int j, const Lens& lens, float nearest) {
    fGrid = &grid;
    fLens = &lens;
    fI = i, fJ = j;
    fNearest = nearest;
    fStill.place(grid, i, j);
    fKeys = grid.motionKeys();
    Box swept{fStill.xmin(), fStill.xmax(), fStill.ymin(),
              fStill.ymax(), fStill.zmin(), fStill.zmax()};
    fAtFirst = swept;
    for (int key = 1; key < fKeys; ++key) {
        Point corners[4];
        for (int c = 0; c < 4; ++c)
            corners[c] = grid.positionAt(key, i + kCornerColumn[c], j + kCornerRow[c]);
        Box at{corners[0].x, corners[0].x, corners[0].y, corners[0].y, corners[0].z, corners[0].z};
        for (int c = 1; c < 4; ++c)
            at.take(corners[c]);
        if (key == 1) {
            fAtSecond = at;
            const float start = grid.motionTime(0), span = grid.motionTime(1) - start;
            fTimeScale = 1.0f / span;
            fTimeShift = -start / span;
            for (int c = 0; c < 4; ++c)
                fSecond[c] = corners[c];
        }
        swept.take(at);
    }
    if (lens.open() && fKeys < 2) {
        fBlur[0] = lens.blurAt(fStill.pa().z), fBlur[1] = lens.blurAt(fStill.pb().z);
        fBlur[2] = lens.blurAt(fStill.pc().z), fBlur[3] = lens.blurAt(fStill.pd().z);
        fLeastBlur = lens.blurAt(std::max(fStill.zmin(), nearest));
        fMostBlur = lens.blurAt(std::max(fStill.zmax(), nearest));
    }
    fXmin = swept.xmin, fXmax = swept.xmax, fYmin = swept.ymin, fYmax = swept.ymax;
    fZmin = swept.zmin, fZmax = swept.zmax;
    lens.widen(fXmin, fXmax, fYmin, fYmax, fZmin, fZmax, nearest);
}

bool BlurredMicroPolygon::facesAwayAlways(const GridHitTraits& traits) const {
    const Grid& grid = *fGrid;
    PreparedMicroPolygon at;
    for (int key = 0; key < fKeys; ++key) {
        auto corner = [&](int c) -> const Point& {
            return grid.positionAt(key, fI + kCornerColumn[c], fJ + kCornerRow[c]);
        };
        at.placeCorners(fStill, corner(0), corner(1), corner(2), corner(3));
        const float znormal = at.znormal();
        if (!(std::fabs(znormal) < kEpsilon || (znormal > 0.0f && traits.sides <= 1))) return false;
    }
    return true;
}

void BlurredMicroPolygon::cornersAt(float time, Point (&corners)[4]) const {
    const Grid& grid = *fGrid;
    corners[0] = fStill.pa(), corners[1] = fStill.pb();
    corners[2] = fStill.pc(), corners[3] = fStill.pd();
    const int keys = grid.motionKeys();
    if (keys < 2 || !(time > grid.motionTime(0))) return;
    int key = 0;
    while (key + 1 < keys && grid.motionTime(key + 1) <= time)
        ++key;
    const auto at = [&](int k, int c) -> const Point& {
        return grid.positionAt(k, fI + kCornerColumn[c], fJ + kCornerRow[c]);
    };
    if (key + 1 == keys) {
        for (int c = 0; c < 4; ++c)
            corners[c] = at(key, c);
        return;
    }
    const float t0 = grid.motionTime(key), t1 = grid.motionTime(key + 1);
    const float f = (time - t0) / (t1 - t0);
    for (int c = 0; c < 4; ++c)
        corners[c] = lerp(at(key, c), at(key + 1, c), f);
}

void BlurredMicroPolygon::placeFor(float time, float u, float v, PreparedMicroPolygon& out) const {
    Point corners[4] = {fStill.pa(), fStill.pb(), fStill.pc(), fStill.pd()};
    const int keys = fKeys;
    if (keys == 2) {
        const float f = fractionAt(time);
        for (int c = 0; c < 4; ++c)
            corners[c] = lerp(corners[c], fSecond[c], f);
    } else if (keys > 2) {
        cornersAt(time, corners);
    }
    if (fLens->open()) {
        const float du = u * fLens->scaleX(), dv = v * fLens->scaleY();
        for (int c = 0; c < 4; ++c) {
            const float blur = keys < 2 ? fBlur[c] : fLens->blurAt(corners[c].z);
            corners[c].x += blur * du;
            corners[c].y += blur * dv;
        }
    }
    out.placeCorners(fStill, corners[0], corners[1], corners[2], corners[3]);
}

} // namespace quelmark
