// Parameter lists and measures shared by the polygon tests.
#ifndef QEL_TESTS_POLYGONS_POLYGONTESTSUPPORT_H
#define QEL_TESTS_POLYGONS_POLYGONTESTSUPPORT_H

#include "../primitives/PrimitiveFixture.h"
#include "renderer/geometry/Triangle.h"

#include "common/Quark.h"
#include "tests/renderer/primitives/SceneSink.h"

#include <cmath>
#include <vector>

using namespace quelmark;

// "P" (vertex), "height" (vertex) and "Kd" (const) for the given points; the
// heights are 10 x + 100 y + 1000 z of each point.
struct PolygonArgs {
    explicit PolygonArgs(std::vector<Point> points, std::vector<float> kd = {0.5f})
        : kdValues(std::move(kd)) {
        for (const Point& p : points) {
            positions.insert(positions.end(), {p.x, p.y, p.z});
            heights.push_back(heightAt(p));
        }
    }

    ArgList list() {
        unsigned short tokens[3] = {kQuarkPoint, kQuarkHeight, kQuarkKd};
        void* values[3] = {positions.data(), heights.data(), kdValues.data()};
        long points = long(heights.size());
        return ArgList(3, tokens, values, ParameterCounts{long(kdValues.size()), points, points});
    }

    static float heightAt(const Point& p) { return 10 * p.x + 100 * p.y + 1000 * p.z; }

    std::vector<float> positions, heights, kdValues;
};

inline Point triangleNormal(const Triangle& t) {
    return (t.corner(1) - t.corner(0)) ^ (t.corner(2) - t.corner(0));
}

inline double triangleArea(const Triangle& t) {
    Point n = triangleNormal(t);
    return 0.5 * std::sqrt(double(n.x) * n.x + double(n.y) * n.y + double(n.z) * n.z);
}

// Splits primitives from the scene until only triangles are left.
inline std::vector<std::unique_ptr<Primitive>> splitToTriangles(Primitive* first, Scene& scene) {
    std::vector<std::unique_ptr<Primitive>> triangles;
    std::unique_ptr<Primitive> next(first);
    while (next) {
        if (dynamic_cast<Triangle*>(next.get()))
            triangles.push_back(std::move(next));
        else
            splitIntoScene(*next);
        next.reset(scene.takeNext());
    }
    return triangles;
}

#endif
