#include "PolygonTestSupport.h"

#include "../geometry/ErrorCapture.h"
#include "renderer/geometry/Polygon.h"
#include "tests/renderer/primitives/SceneSink.h"

#include <limits>
#include <memory>
#include <string>

using namespace quelmark;

namespace {

class PolygonTest : public PrimitiveFixture {
protected:
    void SetUp() override { initQuark(); }

    std::vector<std::unique_ptr<Primitive>> triangles(Primitive* primitive) {
        return splitToTriangles(primitive, fScene);
    }

    static double totalArea(const std::vector<std::unique_ptr<Primitive>>& pieces) {
        double area = 0;
        for (const auto& piece : pieces) area += triangleArea(static_cast<Triangle&>(*piece));
        return area;
    }

    static const Triangle& triangle(const std::unique_ptr<Primitive>& piece) {
        return static_cast<const Triangle&>(*piece);
    }

    // Whether every triangle turns like the xy plane's +z (sign 1) or -z.
    static bool allFacing(const std::vector<std::unique_ptr<Primitive>>& pieces, float sign) {
        for (const auto& piece : pieces)
            if (!(triangleNormal(triangle(piece)).z * sign > 0)) return false;
        return true;
    }
};

const std::vector<Point> kUnitSquare = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
// Area 3: the 2 by 2 square without its upper right quarter.
const std::vector<Point> kLShape = {{0, 0, 0}, {2, 0, 0}, {2, 1, 0},
                                    {1, 1, 0}, {1, 2, 0}, {0, 2, 0}};

TEST_F(PolygonTest, UnitSquareSplitsIntoTwoTrianglesOfTotalAreaOne) {
    PolygonArgs args(kUnitSquare);
    Primitive* square = ConvexPolygon::make(4, args.list());
    ASSERT_NE(square, nullptr);
    EXPECT_EQ(square->type(), 1);
    EXPECT_FALSE(square->diceable(currentFrame(), -1));
    Boundw b = square->bound();
    EXPECT_EQ(b.xmin, 0);
    EXPECT_EQ(b.xmax, 1);
    EXPECT_EQ(b.ymax, 1);
    auto pieces = triangles(square);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_DOUBLE_EQ(totalArea(pieces), 1.0);
    EXPECT_TRUE(allFacing(pieces, 1));
    EXPECT_EQ(pieces[0]->type(), 0);
}

TEST_F(PolygonTest, FanTrianglesCarryTheirCornersValues) {
    PolygonArgs args(kUnitSquare, {0.25f});
    auto pieces = triangles(ConvexPolygon::make(4, args.list()));
    ASSERT_EQ(pieces.size(), 2u);
    for (const auto& piece : pieces) {
        const Triangle& t = triangle(piece);
        const ArgAssoc* height = t.args().find(kQuarkHeight);
        ASSERT_NE(height, nullptr);
        ASSERT_EQ(height->items, 4);
        for (int k = 0; k < 3; ++k)
            EXPECT_FLOAT_EQ(height->item(k)[0], PolygonArgs::heightAt(t.corner(k)));
        // Linear over the triangle: the fourth value is the height at c1 + c2 - c0.
        EXPECT_FLOAT_EQ(height->item(3)[0],
                        PolygonArgs::heightAt(t.corner(1) + t.corner(2) - t.corner(0)));
        const ArgAssoc* kd = t.args().find(kQuarkKd);
        ASSERT_NE(kd, nullptr);
        EXPECT_FLOAT_EQ(kd->item(0)[0], 0.25f);
        EXPECT_EQ(t.args().find(kQuarkPoint), nullptr);
    }
}

TEST_F(PolygonTest, ConcaveLShapeTriangulatesToExactlyItsArea) {
    PolygonArgs args(kLShape);
    long sizes[1] = {6};
    Primitive* shape = GeneralPolygon::make(1, sizes, args.list());
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->type(), 2);
    auto pieces = triangles(shape);
    EXPECT_EQ(pieces.size(), 4u);
    EXPECT_DOUBLE_EQ(totalArea(pieces), 3.0);
    EXPECT_TRUE(allFacing(pieces, 1));
}

TEST_F(PolygonTest, ClockwiseLShapeKeepsItsTurn) {
    std::vector<Point> reversed(kLShape.rbegin(), kLShape.rend());
    PolygonArgs args(reversed);
    long sizes[1] = {6};
    auto pieces = triangles(GeneralPolygon::make(1, sizes, args.list()));
    EXPECT_DOUBLE_EQ(totalArea(pieces), 3.0);
    EXPECT_TRUE(allFacing(pieces, -1));
}

TEST_F(PolygonTest, LShapeInAnUprightPlaneTriangulatesInThatPlane) {
    std::vector<Point> upright;
    for (const Point& p : kLShape) upright.push_back({3, p.x, p.y}); // the plane x = 3
    PolygonArgs args(upright);
    long sizes[1] = {6};
    auto pieces = triangles(GeneralPolygon::make(1, sizes, args.list()));
    EXPECT_EQ(pieces.size(), 4u);
    EXPECT_DOUBLE_EQ(totalArea(pieces), 3.0);
}

// Whether a point lies strictly inside the axis-aligned square.
bool strictlyInside(const Point& p, float x0, float y0, float side) {
    return p.x > x0 && p.x < x0 + side && p.y > y0 && p.y < y0 + side;
}

TEST_F(PolygonTest, SquareWithASquareHoleCoversTheRing) {
    for (bool holeReversed : {false, true}) {
        std::vector<Point> points = {{0, 0, 0}, {3, 0, 0}, {3, 3, 0}, {0, 3, 0}};
        std::vector<Point> hole = {{1, 1, 0}, {2, 1, 0}, {2, 2, 0}, {1, 2, 0}};
        if (holeReversed) std::reverse(hole.begin(), hole.end());
        points.insert(points.end(), hole.begin(), hole.end());
        PolygonArgs args(points);
        long sizes[2] = {4, 4};
        auto pieces = triangles(GeneralPolygon::make(2, sizes, args.list()));
        // Eight points and the two ends of the bridge there and back.
        EXPECT_EQ(pieces.size(), 8u);
        EXPECT_DOUBLE_EQ(totalArea(pieces), 8.0);
        EXPECT_TRUE(allFacing(pieces, 1));
        for (const auto& piece : pieces) {
            const Triangle& t = triangle(piece);
            Point centroid = (t.corner(0) + t.corner(1) + t.corner(2)) / 3.0f;
            EXPECT_FALSE(strictlyInside(centroid, 1, 1, 1));
        }
    }
}

TEST_F(PolygonTest, TwoHolesSideBySide) {
    std::vector<Point> points = {{0, 0, 0}, {5, 0, 0}, {5, 3, 0}, {0, 3, 0},
                                 {1, 1, 0}, {1, 2, 0}, {2, 2, 0}, {2, 1, 0},
                                 {3, 1, 0}, {3, 2, 0}, {4, 2, 0}, {4, 1, 0}};
    PolygonArgs args(points);
    long sizes[3] = {4, 4, 4};
    auto pieces = triangles(GeneralPolygon::make(3, sizes, args.list()));
    EXPECT_DOUBLE_EQ(totalArea(pieces), 13.0);
}

class DegeneratePolygonTest : public PolygonTest {
protected:
    void expectDropped(Primitive* made, const std::string& why) {
        EXPECT_EQ(made, nullptr);
        delete made;
        ASSERT_EQ(fErrors.lines().size(), 1u);
        EXPECT_EQ(fErrors.lines()[0],
                  "error: Parameter out of range. degenerate polygon dropped: " + why);
    }

    ErrorCapture fErrors;
};

TEST_F(DegeneratePolygonTest, CollinearPointsHaveNoArea) {
    PolygonArgs args({{0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {3, 3, 3}});
    expectDropped(ConvexPolygon::make(4, args.list()), "zero area");
}

TEST_F(DegeneratePolygonTest, NotANumberIsNoCoordinate) {
    float nan = std::numeric_limits<float>::quiet_NaN();
    PolygonArgs args({{0, 0, 0}, {1, 0, 0}, {nan, 1, 0}});
    expectDropped(ConvexPolygon::make(3, args.list()), "coordinates not finite");
}

TEST_F(DegeneratePolygonTest, SelfIntersectingOuterLoopCannotBeCut) {
    // A bow tie with lobes of areas 1/2 and 1/8 crossing at (1, 0.5).
    PolygonArgs args({{0, 0, 0}, {1.5f, 0.75f, 0}, {1.5f, 0.25f, 0}, {0, 1, 0}});
    long sizes[1] = {4};
    expectDropped(GeneralPolygon::make(1, sizes, args.list()),
                  "loops cannot be cut into triangles");
}

// Two unit squares sharing the edge from (1, 0) to (1, 1).
class PolygonMeshTest : public PolygonTest {
protected:
    PolygonArgs fArgs{{{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {0, 1, 0}, {1, 1, 0}, {2, 1, 0}},
                      {0.2f, 0.7f}};
    long fSizes[2] = {4, 4};
    long fVertices[8] = {0, 1, 4, 3, 1, 2, 5, 4};
};

TEST_F(PolygonMeshTest, ConvexMeshSplitsIntoItsPolygonsKeepingSharedValues) {
    Primitive* mesh = ConvexPolygonMesh::make(2, fSizes, fVertices, fArgs.list());
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->type(), 3);
    EXPECT_EQ(mesh->bound().xmax, 2);
    splitIntoScene(*mesh);
    auto polygons = takeChildren();
    delete mesh;
    ASSERT_EQ(polygons.size(), 2u);
    for (size_t k = 0; k < 2; ++k) {
        EXPECT_EQ(polygons[k]->type(), 1);
        EXPECT_EQ(polygons[k]->sequence(), polygons[0]->sequence());
        const ArgAssoc* kd = polygons[k]->args().find(kQuarkKd);
        ASSERT_NE(kd, nullptr);
        ASSERT_EQ(kd->items, 1);
        EXPECT_FLOAT_EQ(kd->item(0)[0], k == 0 ? 0.2f : 0.7f);
        // The shared corner (1, 0) is the second vertex of one, the first of the other.
        const ArgAssoc* height = polygons[k]->args().find(kQuarkHeight);
        ASSERT_NE(height, nullptr);
        ASSERT_EQ(height->items, 4);
        EXPECT_FLOAT_EQ(height->item(k == 0 ? 1 : 0)[0], 10.0f);
    }
    double area = 0;
    for (auto& polygon : polygons) {
        auto pieces = triangles(polygon.release());
        area += totalArea(pieces);
        for (const auto& piece : pieces)
            for (int c = 0; c < 3; ++c)
                EXPECT_FLOAT_EQ(triangle(piece).args().find(kQuarkHeight)->item(c)[0],
                                PolygonArgs::heightAt(triangle(piece).corner(c)));
    }
    EXPECT_DOUBLE_EQ(area, 2.0);
}

TEST_F(PolygonMeshTest, DegeneratePolygonOfAMeshIsDroppedAlone) {
    ErrorCapture errors;
    long vertices[8] = {0, 1, 4, 3, 0, 1, 2, 1}; // the second on the line y = 0
    Primitive* mesh = ConvexPolygonMesh::make(2, fSizes, vertices, fArgs.list());
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(errors.lines().size(), 1u);
    EXPECT_DOUBLE_EQ(totalArea(triangles(mesh)), 1.0);

    long flat[8] = {0, 1, 2, 1, 3, 4, 5, 4};
    EXPECT_EQ(ConvexPolygonMesh::make(2, fSizes, flat, fArgs.list()), nullptr);
    EXPECT_EQ(errors.lines().size(), 3u);
}

// A row of quadrilaterals three pieces long, the 10th and 11th with a point
// that is not a number and the last without area; checked on one thread or
// several.
class PolygonMeshThreadsTest : public PolygonTest {
protected:
    struct Checked {
        std::vector<std::string> reports;
        Boundw bound;
        size_t pieces;
    };

    Checked check(int threads) {
        const long quads = 2 * ConvexPolygonMesh::kPolygonsPerPiece + 100;
        std::vector<Point> points;
        for (long i = 0; i <= quads; ++i) {
            points.emplace_back(float(i), 0, 0);
            points.emplace_back(float(i), 1, 0);
        }
        points[20].y = std::numeric_limits<float>::quiet_NaN();
        points[size_t(2 * quads)] = points[size_t(2 * quads - 2)]; // the last has no area
        points[size_t(2 * quads + 1)] = points[size_t(2 * quads - 1)];
        PolygonArgs args(points);
        std::vector<long> sizes(size_t(quads), 4), vertices;
        for (long i = 0; i < quads; ++i)
            vertices.insert(vertices.end(), {2 * i, 2 * i + 2, 2 * i + 3, 2 * i + 1});
        ErrorCapture errors;
        std::unique_ptr<Primitive> mesh(ConvexPolygonMesh::make(quads, sizes.data(),
                                                                vertices.data(), args.list(), threads));
        EXPECT_NE(mesh, nullptr);
        Checked checked{errors.lines(), mesh->bound(), 0};
        splitIntoScene(*mesh);
        checked.pieces = takeChildren().size();
        return checked;
    }
};

TEST_F(PolygonMeshThreadsTest, ReportsAndBoundsAreTheSameOnAnyThreads) {
    const Checked one = check(1);
    ASSERT_EQ(one.reports.size(), 3u);
    EXPECT_NE(one.reports[1].find("not finite"), std::string::npos);
    EXPECT_NE(one.reports[2].find("zero area"), std::string::npos);
    EXPECT_EQ(one.bound.xmin, 0);
    EXPECT_EQ(one.bound.xmax, float(2 * ConvexPolygonMesh::kPolygonsPerPiece + 99));
    EXPECT_EQ(one.bound.ymax, 1);
    EXPECT_EQ(one.pieces, 3u);
    for (int threads : {2, 3}) {
        const Checked several = check(threads);
        EXPECT_EQ(several.reports, one.reports);
        EXPECT_EQ(several.bound.xmax, one.bound.xmax);
        EXPECT_EQ(several.pieces, one.pieces);
    }
}

TEST_F(PolygonMeshTest, GeneralMeshSplitsIntoGeneralPolygons) {
    // A 3 by 3 square with a unit hole, then a triangle beside it.
    PolygonArgs args({{0, 0, 0}, {3, 0, 0}, {3, 3, 0}, {0, 3, 0}, {1, 1, 0}, {2, 1, 0},
                      {2, 2, 0}, {1, 2, 0}, {4, 0, 0}},
                     {0.2f, 0.7f});
    long loops[2] = {2, 1};
    long sizes[3] = {4, 4, 3};
    long vertices[11] = {0, 1, 2, 3, 4, 5, 6, 7, 1, 8, 2};
    Primitive* mesh = GeneralPolygonMesh::make(2, loops, sizes, vertices, args.list());
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->type(), 4);
    splitIntoScene(*mesh);
    auto polygons = takeChildren();
    delete mesh;
    ASSERT_EQ(polygons.size(), 2u);
    EXPECT_EQ(polygons[0]->type(), 2);
    EXPECT_DOUBLE_EQ(totalArea(triangles(polygons[0].release())), 8.0);
    auto last = triangles(polygons[1].release());
    ASSERT_EQ(last.size(), 1u);
    EXPECT_DOUBLE_EQ(totalArea(last), 1.5);
    EXPECT_FLOAT_EQ(triangle(last[0]).args().find(kQuarkKd)->item(0)[0], 0.7f);
}

} // namespace
