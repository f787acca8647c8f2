#include "PrimitiveFixture.h"

#include "common/Quark.h"
#include "renderer/geometry/QuadricShapes.h"
#include "tests/renderer/primitives/SceneSink.h"

#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <random>

using namespace quelmark;

namespace {

struct Shape {
    const char* name;
    std::function<Quadric*()> make;
    // Zero on the surface (and inside its limits).
    std::function<float(const Point&)> residual;
};

float squaredRadius(const Point& p) { return p.x * p.x + p.y * p.y; }

std::vector<Shape> shapes() {
    return {
        {"sphere", [] { return new Sphere(2, -1.5f, 1.2f, 300, ArgList()); },
         [](const Point& p) {
             return squaredRadius(p) + p.z * p.z - 4 + std::fdim(-1.5f, p.z) + std::fdim(p.z, 1.2f);
         }},
        {"cone", [] { return new Cone(1.5f, 3, 2, 270, ArgList()); },
         [](const Point& p) {
             return std::sqrt(squaredRadius(p)) - 1.5f * (1 - p.z / 3) + std::fdim(0.0f, p.z) +
                    std::fdim(p.z, 2.0f);
         }},
        {"cylinder", [] { return new Cylinder(0.7f, -1, 2, 200, ArgList()); },
         [](const Point& p) {
             return squaredRadius(p) - 0.49f + std::fdim(-1.0f, p.z) + std::fdim(p.z, 2.0f);
         }},
        {"hyperboloid",
         [] { return new Hyperboloid(Point(1, 0, -1), Point(0, 1, 1), 330, ArgList()); },
         [](const Point& p) {
             float t = (p.z + 1) / 2; // where the line from p1 to p2 is at this height
             return squaredRadius(p) - ((1 - t) * (1 - t) + t * t) + std::fdim(-1.0f, p.z) +
                    std::fdim(p.z, 1.0f);
         }},
        {"paraboloid", [] { return new Paraboloid(2, 0.5f, 3, 360, ArgList()); },
         [](const Point& p) {
             return squaredRadius(p) - 4 * p.z / 3 + std::fdim(0.5f, p.z) + std::fdim(p.z, 3.0f);
         }},
        {"disk", [] { return new Disk(0.5f, 1.5f, 120, ArgList()); },
         [](const Point& p) {
             return std::fabs(p.z - 0.5f) + std::fdim(std::sqrt(squaredRadius(p)), 1.5f);
         }},
        {"torus", [] { return new Torus(3, 1, -60, 250, 300, ArgList()); },
         [](const Point& p) {
             float tube = std::sqrt(squaredRadius(p)) - 3;
             return tube * tube + p.z * p.z - 1;
         }},
    };
}

Point at(const Primitive& q, float u, float v) { return Point(q.evalP(u, v)); }

class QuadricTest : public PrimitiveFixture {
protected:
    float random01() { return std::uniform_real_distribution<float>(0, 1)(fRandom); }

    // A descendant of the quadric after `depth` splits, each time taking a
    // random quarter; the quadric itself at depth 0.
    std::unique_ptr<Primitive> descendant(Quadric* quadric, int depth) {
        std::unique_ptr<Primitive> current(quadric);
        for (int level = 0; level < depth; ++level) {
            splitIntoScene(*current);
            auto children = takeChildren();
            current = std::move(children[fRandom() % 4]);
        }
        return current;
    }

    std::mt19937 fRandom{12345};
};

void expectNear(const Point& a, const Point& b, float tolerance, const char* what) {
    EXPECT_NEAR(a.x, b.x, tolerance) << what;
    EXPECT_NEAR(a.y, b.y, tolerance) << what;
    EXPECT_NEAR(a.z, b.z, tolerance) << what;
}

TEST_F(QuadricTest, TypeCodesFollowTheClassTable) {
    const int32_t codes[] = {8, 9, 10, 11, 12, 13, 14};
    std::vector<Shape> all = shapes();
    for (size_t k = 0; k < all.size(); ++k) {
        std::unique_ptr<Quadric> quadric(all[k].make());
        EXPECT_EQ(quadric->type(), codes[k]) << all[k].name;
    }
}

TEST_F(QuadricTest, PointsLieOnTheImplicitSurface) {
    for (const Shape& shape : shapes())
        for (int depth : {0, 3}) {
            std::unique_ptr<Primitive> quadric = descendant(shape.make(), depth);
            for (int n = 0; n < 200; ++n) {
                Pointw p = quadric->evalP(random01(), random01());
                EXPECT_EQ(p.w, 1.0f);
                EXPECT_NEAR(shape.residual(Point(p)), 0.0f, 2e-5f) << shape.name;
            }
        }
}

TEST_F(QuadricTest, ProfilesRunFromTheirStartToTheirEnd) {
    Cone cone(1.5f, 3, 5, 360, ArgList()); // the cut is clamped to the height
    expectNear(at(cone, 0, 0), Point(1.5f, 0, 0), 1e-6f, "cone base");
    expectNear(at(cone, 0, 1), Point(0, 0, 3), 1e-6f, "cone apex");
    Disk disk(0.5f, 1.5f, 360, ArgList());
    expectNear(at(disk, 0, 0), Point(1.5f, 0, 0.5f), 1e-6f, "disk rim");
    expectNear(at(disk, 0.7f, 1), Point(0, 0, 0.5f), 1e-6f, "disk centre");
    Torus torus(3, 1, 90, 180, 360, ArgList());
    expectNear(at(torus, 0, 0), Point(3, 0, 1), 1e-6f, "tube top");
    expectNear(at(torus, 0, 1), Point(2, 0, 0), 1e-6f, "tube inside");
    Hyperboloid hyperboloid(Point(1, 0, -1), Point(0, 1, 1), 90, ArgList());
    expectNear(at(hyperboloid, 1, 0), Point(0, 1, -1), 1e-6f, "p1 turned a quarter");
    Sphere sphere(2, -1.5f, 1.2f, 300, ArgList());
    EXPECT_NEAR(at(sphere, 0.3f, 0).z, -1.5f, 1e-6f);
    EXPECT_NEAR(at(sphere, 0.3f, 1).z, 1.2f, 1e-6f);
}

TEST_F(QuadricTest, DerivativesMatchCentralDifferences) {
    const float h = 1e-3f;
    for (const Shape& shape : shapes())
        for (int depth : {0, 2}) {
            std::unique_ptr<Primitive> quadric = descendant(shape.make(), depth);
            for (int n = 0; n < 50; ++n) {
                float u = h + random01() * (1 - 2 * h), v = h + random01() * (1 - 2 * h);
                Point du = (at(*quadric, u + h, v) - at(*quadric, u - h, v)) / (2 * h);
                Point dv = (at(*quadric, u, v + h) - at(*quadric, u, v - h)) / (2 * h);
                Pointw dPdu = quadric->evaldPdu(u, v), dPdv = quadric->evaldPdv(u, v);
                EXPECT_EQ(dPdu.w, 1.0f);
                float tolerance = 2e-3f * (1 + length(du) + length(dv));
                expectNear(Point(dPdu.x, dPdu.y, dPdu.z), du, tolerance, shape.name);
                expectNear(Point(dPdv.x, dPdv.y, dPdv.z), dv, tolerance, shape.name);
            }
        }
}

TEST_F(QuadricTest, BoundsHoldEveryPoint) {
    for (const Shape& shape : shapes())
        for (int depth : {0, 1, 4}) {
            std::unique_ptr<Primitive> quadric = descendant(shape.make(), depth);
            Boundw b = quadric->bound();
            EXPECT_EQ(b.set, 1);
            const float slack = 1e-5f;
            for (int i = 0; i <= 40; ++i)
                for (int j = 0; j <= 40; ++j) {
                    Point p = at(*quadric, float(i) / 40, float(j) / 40);
                    EXPECT_TRUE(p.x >= b.xmin - slack && p.x <= b.xmax + slack &&
                                p.y >= b.ymin - slack && p.y <= b.ymax + slack &&
                                p.z >= b.zmin - slack && p.z <= b.zmax + slack)
                        << shape.name << " depth " << depth << " point " << p << " bound " << b;
                }
        }
}

void expectBound(const Boundw& b, float x0, float x1, float y0, float y1, float z0, float z1) {
    SCOPED_TRACE(::testing::Message() << b);
    EXPECT_NEAR(b.xmin, x0, 1e-5f);
    EXPECT_NEAR(b.xmax, x1, 1e-5f);
    EXPECT_NEAR(b.ymin, y0, 1e-5f);
    EXPECT_NEAR(b.ymax, y1, 1e-5f);
    EXPECT_NEAR(b.zmin, z0, 1e-5f);
    EXPECT_NEAR(b.zmax, z1, 1e-5f);
}

TEST_F(QuadricTest, BoundsAreTheSweptProfileBoxes) {
    // 300 degrees pass both axes on either side: the whole +-2 square.
    expectBound(Sphere(2, -1.5f, 1.2f, 300, ArgList()).bound(), -2, 2, -2, 2, -1.5f, 1.2f);
    // A quarter turn stays in the first quadrant.
    expectBound(Cylinder(1, 0, 1, 90, ArgList()).bound(), 0, 1, 0, 1, 0, 1);
    // The tube reaches 3 +- 1 from the axis.
    expectBound(Torus(3, 1, 0, 360, 360, ArgList()).bound(), -4, 4, -4, 4, -1, 1);
    // Upper half tube, inside only: radius 2 to 3, height 0 to 1.
    expectBound(Torus(3, 1, 90, 180, 90, ArgList()).bound(), 0, 3, 0, 3, 0, 1);
    // The upper hemisphere of a quarter sphere.
    expectBound(Sphere(1, 0, 1, 90, ArgList()).bound(), 0, 1, 0, 1, 0, 1);
    // A line through the axis swept a quarter turn covers two opposite quadrants.
    expectBound(Hyperboloid(Point(-1, 0, 0), Point(1, 0, 1), 90, ArgList()).bound(), -1, 1, -1,
                1, 0, 1);
    // The line from (1, 0) to (0, 1) swept 10 degrees: its end (0, 1) turns to
    // x = -sin 10 degrees, and its middle passes the axis at 1/sqrt 2.
    float sin10 = std::sin(10 * std::numbers::pi_v<float> / 180);
    expectBound(Hyperboloid(Point(1, 0, 0), Point(0, 1, 0), 10, ArgList()).bound(), -sin10, 1,
                0, 1, 0, 0);
    // A cone of zero height is its base circle.
    expectBound(Cone(1, 0, 0, 360, ArgList()).bound(), -1, 1, -1, 1, 0, 0);
    // Negative sweeps turn the other way.
    expectBound(Disk(0, 1, -90, ArgList()).bound(), 0, 1, -1, 0, 0, 0);
}

TEST_F(QuadricTest, SplitChildrenCoverTheQuartersInOrder) {
    Primitive::fCurSeq = 100;
    std::unique_ptr<Quadric> torus(new Torus(3, 1, -60, 250, 300, ArgList()));
    splitIntoScene(*torus);
    auto children = takeChildren();
    ASSERT_EQ(children.size(), 4u);
    const float corners[4][2] = {{0, 0}, {0.5f, 0}, {0, 0.5f}, {0.5f, 0.5f}};
    for (int k = 0; k < 4; ++k) {
        const Primitive& child = *children[k];
        EXPECT_EQ(child.type(), 14);
        EXPECT_EQ(child.sequence(), 100u);
        EXPECT_EQ(&child.common(), &torus->common());
        for (float u : {0.0f, 0.3f, 1.0f})
            for (float v : {0.0f, 0.8f, 1.0f})
                expectNear(at(child, u, v),
                           at(*torus, corners[k][0] + u / 2, corners[k][1] + v / 2), 1e-5f,
                           "quarter");
        Pointw childDu = child.evaldPdu(0.4f, 0.6f);
        Pointw parentDu = torus->evaldPdu(corners[k][0] + 0.2f, corners[k][1] + 0.3f);
        EXPECT_NEAR(childDu.x, parentDu.x / 2, 1e-4f);
        EXPECT_NEAR(childDu.y, parentDu.y / 2, 1e-4f);
    }
    EXPECT_EQ(torus->common().holders, 5);
}

TEST_F(QuadricTest, DescendantsOfOneRequestShareItsRecord) {
    Sphere* sphere = new Sphere(1, -1, 1, 360, ArgList());
    PrimitiveCommon* common = &sphere->common();
    Attrib* attrib = sphere->attrib();
    uint32_t sequence = sphere->sequence();
    std::unique_ptr<Primitive> last = descendant(sphere, 6); // the others are gone
    EXPECT_EQ(&last->common(), common);
    EXPECT_EQ(last->attrib(), attrib);
    EXPECT_EQ(last->sequence(), sequence);
    EXPECT_EQ(common->holders, 1);
}

TEST_F(QuadricTest, ChildrenInterpolateTheCornerValues) {
    float corners[12] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0}; // colour (u, v, 0)
    float once[1] = {0.25f};
    unsigned short roughness = kQuarkRoughness;
    ASSERT_EQ(getClass(roughness), QEL_CLASS_CONST);
    unsigned short tokens[2] = {kQuarkColor, roughness};
    void* values[2] = {corners, once};
    ArgList args(2, tokens, values, ParameterCounts{1, 4, 4});
    std::unique_ptr<Quadric> disk(new Disk(0, 1, 360, std::move(args)));
    splitIntoScene(*disk);
    auto children = takeChildren();
    const ArgAssoc* color = children[1]->args().find(kQuarkColor); // u 0.5..1, v 0..0.5
    ASSERT_NE(color, nullptr);
    EXPECT_FLOAT_EQ(color->item(0)[0], 0.5f);
    EXPECT_FLOAT_EQ(color->item(1)[0], 1.0f);
    EXPECT_FLOAT_EQ(color->item(2)[1], 0.5f);
    EXPECT_FLOAT_EQ(color->item(3)[0], 1.0f);
    const ArgAssoc* rough = children[3]->args().find(roughness);
    ASSERT_NE(rough, nullptr);
    EXPECT_FLOAT_EQ(rough->item(0)[0], 0.25f);
}

TEST_F(QuadricTest, NonFiniteSizesNeitherCrashNorDice) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    std::vector<std::unique_ptr<Quadric>> broken;
    broken.emplace_back(new Sphere(nan, -1, 1, 360, ArgList()));
    broken.emplace_back(new Sphere(1, -1, 1, inf, ArgList()));
    broken.emplace_back(new Torus(3, 1, 0, inf, 360, ArgList()));
    broken.emplace_back(new Cylinder(1, -inf, inf, nan, ArgList()));
    broken.emplace_back(new Cone(1, nan, 1, 360, ArgList()));
    broken.emplace_back(new Hyperboloid(Point(nan, 0, 0), Point(1, inf, 1), 360, ArgList()));
    for (auto& quadric : broken) {
        quadric->bound();
        EXPECT_FALSE(quadric->diceable(currentFrame(), -1)) << quadric->type();
    }
}

} // namespace
