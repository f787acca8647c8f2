#include "PolygonTestSupport.h"

#include "api/qel.h"

#include "renderer/geometry/Patch.h"
#include "renderer/geometry/Polygon.h"
#include "renderer/geometry/QuadLattice.h"
#include "renderer/geometry/QuadRegions.h"
#include "renderer/shading/Grid.h"
#include "renderer/state/Attrib.h"
#include "renderer/state/Camera.h"
#include "renderer/state/Option.h"
#include "tests/renderer/primitives/SceneSink.h"

using namespace quelmark;

namespace {

// The quadrilaterals of a mesh, listed as the test gives them.
struct Quads {
    std::vector<long> counts, vertices;
    std::vector<char> usable;
    std::vector<float> xyz;

    // Point number k at (x, y, 0).
    void point(float x, float y) { xyz.insert(xyz.end(), {x, y, 0}); }
    void polygon(std::initializer_list<long> corners) {
        counts.push_back(long(corners.size()));
        vertices.insert(vertices.end(), corners);
        usable.push_back(1);
    }
    std::vector<QuadRegion> regions() const {
        std::vector<long> offsets;
        long offset = 0;
        for (long count : counts) offsets.push_back(offset), offset += count;
        return findQuadRegions(long(counts.size()), counts.data(), offsets.data(), vertices.data(),
                               usable.data(), xyz.data());
    }
};

// Points (i, j) for i in 0..columns, j in 0..rows, numbered row by row.
Quads latticePoints(long columns, long rows) {
    Quads quads;
    for (long j = 0; j <= rows; ++j)
        for (long i = 0; i <= columns; ++i) quads.point(float(i), float(j));
    return quads;
}

// Cell (i, j) of a lattice of `columns` cells a row, counter-clockwise.
void addCell(Quads& quads, long columns, long i, long j) {
    const long row = columns + 1;
    quads.polygon({j * row + i, j * row + i + 1, (j + 1) * row + i + 1, (j + 1) * row + i});
}

void expectRegion(const QuadRegion& region, long first, long across, long down) {
    EXPECT_EQ(region.first, first);
    EXPECT_EQ(region.across, across);
    EXPECT_EQ(region.down, down);
}

TEST(QuadRegionsTest, ALatticeListedRowByRowIsOneRectangle) {
    Quads quads = latticePoints(3, 2);
    for (long j = 0; j < 2; ++j)
        for (long i = 0; i < 3; ++i) addCell(quads, 3, i, j);
    auto regions = quads.regions();
    ASSERT_EQ(regions.size(), 1u);
    expectRegion(regions[0], 0, 3, 2);
}

TEST(QuadRegionsTest, ARowOfAnotherLengthOrPlaceStartsAnotherRectangle) {
    Quads quads = latticePoints(3, 3);
    for (long j = 0; j < 2; ++j)
        for (long i = 0; i < 3; ++i) addCell(quads, 3, i, j);
    // Two cells of the top row, then the right cell of the bottom row again.
    addCell(quads, 3, 0, 2);
    addCell(quads, 3, 1, 2);
    addCell(quads, 3, 2, 0);
    auto regions = quads.regions();
    ASSERT_EQ(regions.size(), 2u);
    expectRegion(regions[0], 0, 3, 2);
    expectRegion(regions[1], 6, 2, 1);
}

TEST(QuadRegionsTest, TrianglesDroppedPolygonsAndCollapsedEdgesAreNoCells) {
    Quads quads = latticePoints(6, 1);
    addCell(quads, 6, 0, 0);
    addCell(quads, 6, 1, 0);
    quads.polygon({2, 3, 10}); // a triangle
    addCell(quads, 6, 3, 0);
    addCell(quads, 6, 4, 0);
    quads.usable[4] = 0; // reported degenerate
    addCell(quads, 6, 5, 0);
    quads.polygon({6, 6, 13, 12}); // an edge of no length
    auto regions = quads.regions();
    ASSERT_EQ(regions.size(), 1u);
    expectRegion(regions[0], 0, 2, 1);
}

// Raster space is object space in these tests: a unit of length is a pixel.
class QuadLatticeTest : public PrimitiveFixture {
protected:
    void SetUp() override {
        initQuark();
        gCameraToRaster = gIdentity;
    }

    // A mesh of columns by rows cells of the given size, in the xy plane,
    // listed row by row with the fixture's "height" values.
    Primitive* makeMesh(long columns, long rows, float size = 1) {
        std::vector<Point> points;
        for (long j = 0; j <= rows; ++j)
            for (long i = 0; i <= columns; ++i) points.emplace_back(size * i, size * j, 0);
        fArgs = std::make_unique<PolygonArgs>(points);
        ArgList list = fArgs->list();
        list.add(colors(points));
        Quads quads = latticePoints(columns, rows);
        for (long j = 0; j < rows; ++j)
            for (long i = 0; i < columns; ++i) addCell(quads, columns, i, j);
        return ConvexPolygonMesh::make(long(quads.counts.size()), quads.counts.data(),
                                       quads.vertices.data(), std::move(list));
    }

    // "Cs" of (x, y, 1) at each point.
    static ArgAssoc colors(const std::vector<Point>& points) {
        ArgAssoc entry;
        entry.quark = kQuarkColor;
        entry.parameterClass = QEL_CLASS_VARY;
        entry.parameterType = QEL_TYPE_COLOR;
        entry.width = 3;
        entry.items = long(points.size());
        for (const Point& p : points) entry.floats.insert(entry.floats.end(), {p.x, p.y, 1});
        return entry;
    }

    std::vector<std::unique_ptr<Primitive>> split(Primitive* primitive) {
        std::unique_ptr<Primitive> owned(primitive);
        splitIntoScene(*owned);
        return takeChildren();
    }

    std::unique_ptr<Primitive> onlyLattice(Primitive* mesh) {
        auto children = split(mesh);
        EXPECT_EQ(children.size(), 1u);
        EXPECT_NE(dynamic_cast<QuadLattice*>(children[0].get()), nullptr);
        return std::move(children[0]);
    }

    std::unique_ptr<PolygonArgs> fArgs;
};

TEST_F(QuadLatticeTest, AMeshOfQuadsBecomesOneLatticeBoundByItsPoints) {
    auto lattice = onlyLattice(makeMesh(3, 2));
    const auto& piece = static_cast<const QuadLattice&>(*lattice);
    EXPECT_EQ(piece.across(), 3);
    EXPECT_EQ(piece.down(), 2);
    const Boundw b = piece.bound();
    EXPECT_EQ(b.xmin, 0);
    EXPECT_EQ(b.xmax, 3);
    EXPECT_EQ(b.ymin, 0);
    EXPECT_EQ(b.ymax, 2);
    const ParameterRange range = piece.parameterRange();
    EXPECT_EQ(range.u0, 0);
    EXPECT_EQ(range.u1, 1);
}

TEST_F(QuadLatticeTest, DicesEveryCellIntoTheStepsOfItsLongestEdge) {
    gAttrib->shadingRate(4); // micropolygon edges of 2 pixels
    // Cells 3 pixels wide and high: two steps each way, a 6 by 4 grid.
    auto lattice = onlyLattice(makeMesh(3, 2, 3));
    DiceDecision decision = lattice->diceable(currentFrame(), -1);
    ASSERT_TRUE(decision);
    EXPECT_EQ(decision.size.u, 6);
    EXPECT_EQ(decision.size.v, 4);
    std::unique_ptr<Grid> grid(lattice->dice(decision.size));
    for (int k = 0; k <= 4; ++k)
        for (int n = 0; n <= 6; ++n) {
            const Vertex& vertex = grid->row(k)[n];
            EXPECT_FLOAT_EQ(vertex.P.x, 1.5f * float(n));
            EXPECT_FLOAT_EQ(vertex.P.y, 1.5f * float(k));
            // Over the lattice's own u and v: 9 pixels across, 6 down.
            EXPECT_FLOAT_EQ(vertex.dPdu.x, 9);
            EXPECT_FLOAT_EQ(vertex.dPdv.y, 6);
        }
    // One colour per lattice point, (x, y, 1) there.
    const ArgAssoc* color = grid->stdVars().find(kQuarkColor);
    ASSERT_NE(color, nullptr);
    ASSERT_EQ(color->items, 12);
    for (long j = 0; j <= 2; ++j)
        for (long i = 0; i <= 3; ++i) {
            EXPECT_FLOAT_EQ(color->item(j * 4 + i)[0], 3.0f * float(i));
            EXPECT_FLOAT_EQ(color->item(j * 4 + i)[1], 3.0f * float(j));
        }
    EXPECT_FLOAT_EQ(grid->shaderVars().find(kQuarkKd)->item(0)[0], 0.5f);
}

TEST_F(QuadLatticeTest, ALatticeTooLongSplitsAcrossItsLongerSide) {
    gOption->tuneA = 4;
    auto lattice = onlyLattice(makeMesh(8, 2));
    EXPECT_FALSE(lattice->diceable(currentFrame(), -1));
    auto halves = split(lattice.release());
    ASSERT_EQ(halves.size(), 2u);
    auto& left = static_cast<QuadLattice&>(*halves[0]);
    const auto& right = static_cast<const QuadLattice&>(*halves[1]);
    EXPECT_EQ(left.across(), 4);
    EXPECT_EQ(right.down(), 2);
    EXPECT_EQ(right.bound().xmin, 4);
    EXPECT_EQ(right.parameterRange().u0, 0.5f);
    EXPECT_EQ(right.parameterRange().v1, 1);
    EXPECT_TRUE(left.diceable(currentFrame(), -1));
}

TEST_F(QuadLatticeTest, ALoneCellTooLargeBecomesABilinearPatchWithItsCornerValues) {
    gOption->tuneA = 8;
    auto halves = split(onlyLattice(makeMesh(2, 1, 10)).release());
    ASSERT_EQ(halves.size(), 2u);
    EXPECT_FALSE(halves[1]->diceable(currentFrame(), -1));
    auto patches = split(halves[1].release());
    ASSERT_EQ(patches.size(), 1u);
    const auto* patch = dynamic_cast<const BilinearPatch*>(patches[0].get());
    ASSERT_NE(patch, nullptr);
    EXPECT_FLOAT_EQ(patch->evalP(0, 0).x, 10);
    EXPECT_FLOAT_EQ(patch->evalP(1, 1).y, 10);
    const ArgAssoc* height = patch->args().find(kQuarkHeight);
    ASSERT_NE(height, nullptr);
    ASSERT_EQ(height->items, 4);
    const float corners[4] = {100, 200, 1100, 1200};
    for (int k = 0; k < 4; ++k) EXPECT_FLOAT_EQ(height->item(k)[0], corners[k]);
    EXPECT_EQ(patch->parameterRange().u0, 0.5f);
}

} // namespace
