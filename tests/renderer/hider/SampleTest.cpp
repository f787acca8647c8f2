#include "renderer/hider/Sample.h"

#include "HiderFixture.h"
#include "renderer/hider/PreparedMicroPolygon.h"

#include <vector>

using namespace quelmark;

namespace {

const Color kHalf(0.5f, 0.5f, 0.5f);
const Color kRed(1, 0, 0);
const Color kBlue(0, 0, 1);

SampleHit hitAt(float depth, const Color& Oi = kHalf, const Color& Ci = gWhite, short matte = 0) {
    return SampleHit(SampleOrder::fromDepth(depth), Ci, Oi, matte);
}

// One sample's list of hits in an arena of its own.
class OneSampleHits {
public:
    bool add(const SampleHit& hit) { return fArena.insert(fList, hit); }
    std::vector<const SampleHit*> hits() const {
        std::vector<const SampleHit*> result;
        for (uint32_t k = fList.front; k != HitArena::kNone; k = fArena.next(k))
            result.push_back(&fArena.hit(k));
        return result;
    }
    std::vector<float> depths() const {
        std::vector<float> result;
        for (const SampleHit* hit : hits()) result.push_back(hit->order.depth());
        return result;
    }
    size_t held() const { return fArena.size(); }

private:
    HitArena fArena;
    HitList fList;
};

using SampleHitTest = HiderFixture;

TEST_F(SampleHitTest, NearerHitsComeFirst) {
    EXPECT_TRUE(hitAt(0.2f) < hitAt(0.5f));
    EXPECT_FALSE(hitAt(0.5f) < hitAt(0.2f));
    EXPECT_FALSE(hitAt(0.5f) < hitAt(0.5f));
}

TEST_F(SampleHitTest, PaintersHiderPutsLaterPrimitivesFirst) {
    SampleHit early(SampleOrder::fromSequence(5), gWhite, kHalf, 0);
    SampleHit late(SampleOrder::fromSequence(9), gWhite, kHalf, 0);
    EXPECT_TRUE(late < early);
    EXPECT_FALSE(early < late);
}

// Depths sort as numbers, below zero too, and read back as they were.
TEST_F(SampleHitTest, DepthKeysSortAsTheirNumbers) {
    const float depths[] = {-2.5f, -0.0625f, 0.0f, 1e-30f, 0.25f, 1.0f, 3e8f};
    for (size_t k = 0; k + 1 < std::size(depths); ++k) {
        EXPECT_TRUE(SampleOrder::fromDepth(depths[k]) < SampleOrder::fromDepth(depths[k + 1]))
            << depths[k] << " before " << depths[k + 1];
        EXPECT_FALSE(SampleOrder::fromDepth(depths[k + 1]) < SampleOrder::fromDepth(depths[k]));
    }
    for (float depth : depths)
        EXPECT_EQ(SampleOrder::fromDepth(depth).depth(), depth);
    EXPECT_EQ(SampleOrder::fromSequence(77).sequence(), 77u);
}

TEST_F(SampleHitTest, OpaqueMeansEveryComponentIsOne) {
    EXPECT_EQ(hitAt(0.5f, gWhite).opaque, 1);
    EXPECT_EQ(hitAt(0.5f, Color(0.99999f, 1, 1)).opaque, 0);
}

TEST_F(SampleHitTest, HitsAreKeptFrontToBack) {
    OneSampleHits hits;
    hits.add(hitAt(0.6f));
    hits.add(hitAt(0.2f));
    hits.add(hitAt(0.4f));
    EXPECT_EQ(hits.depths(), (std::vector<float>{0.2f, 0.4f, 0.6f}));
}

TEST_F(SampleHitTest, AnOpaqueHitDropsEverythingBehindIt) {
    OneSampleHits hits;
    hits.add(hitAt(0.3f));
    hits.add(hitAt(0.6f));
    hits.add(hitAt(0.8f, Color(0.99999f, 1, 1))); // not opaque: cuts nothing
    EXPECT_TRUE(hits.add(hitAt(0.5f, gWhite)));
    EXPECT_EQ(hits.depths(), (std::vector<float>{0.3f, 0.5f}));
    EXPECT_FALSE(hits.add(hitAt(0.7f))); // hidden by the opaque hit
    EXPECT_TRUE(hits.add(hitAt(0.4f)));
    EXPECT_EQ(hits.depths(), (std::vector<float>{0.3f, 0.4f, 0.5f}));
}

TEST_F(SampleHitTest, AnOpaqueHitInFrontReplacesTheList) {
    OneSampleHits hits;
    hits.add(hitAt(0.3f));
    hits.add(hitAt(0.6f));
    hits.add(hitAt(0.1f, gWhite));
    EXPECT_EQ(hits.depths(), (std::vector<float>{0.1f}));
    EXPECT_FALSE(hits.add(hitAt(0.2f))) << "behind the opaque front";
    EXPECT_FALSE(hits.add(hitAt(0.1f))) << "level with it";
    EXPECT_TRUE(hits.add(hitAt(0.05f)));
}

// Three hits cut off by an opaque one make room for the next three.
TEST_F(SampleHitTest, CutOffHitsAreHandedOutAgain) {
    OneSampleHits hits;
    hits.add(hitAt(0.3f));
    hits.add(hitAt(0.5f));
    hits.add(hitAt(0.7f));
    hits.add(hitAt(0.1f, gWhite));
    EXPECT_EQ(hits.held(), 4u);
    hits.add(hitAt(0.05f));
    hits.add(hitAt(0.07f));
    hits.add(hitAt(0.09f));
    EXPECT_EQ(hits.held(), 4u);
    EXPECT_EQ(hits.depths(), (std::vector<float>{0.05f, 0.07f, 0.09f, 0.1f}));
}

TEST_F(SampleHitTest, EqualDepthGoesInFrontBelowTheHeadAndBehindTheHead) {
    OneSampleHits hits;
    hits.add(hitAt(0.3f, kHalf, kRed));
    hits.add(hitAt(0.6f, kHalf, kRed));
    hits.add(hitAt(0.6f, kHalf, kBlue));
    hits.add(hitAt(0.3f, kHalf, kBlue));
    std::vector<Color> colours;
    for (const SampleHit* hit : hits.hits()) colours.push_back(hit->Ci);
    EXPECT_EQ(colours, (std::vector<Color>{kRed, kBlue, kBlue, kRed}));
}

class SamplePackTest : public HiderFixture {
protected:
    // Samples the grid's only micropolygon at s.
    bool sampleCell(Sample& s, const Grid& grid) {
        PreparedMicroPolygon mp;
        mp.place(grid, 0, 0);
        mp.prepareCoverage();
        return s.sample(mp, GridHitTraits(grid, false), fHits);
    }

    HitArena fHits;
};

TEST_F(SamplePackTest, EmptySampleIsBlackTransparentAndFar) {
    Sample s;
    float alpha = -1, z = -1;
    EXPECT_EQ(s.pack(fHits, alpha, z), gBlack);
    EXPECT_FLOAT_EQ(alpha, 0.0f);
    EXPECT_EQ(z, HiderDepth::kNothing);
}

// Red over blue, each half transparent, their colours premultiplied by
// their opacity as surfaces give them: C = 0.5·red + 0.5·(0.5·blue),
// alpha = 1 - 0.5·0.5, depth of the front hit.
TEST_F(SamplePackTest, CompositesPremultipliedColoursFrontToBack) {
    const Color halfRed = kHalf * kRed, halfBlue = kHalf * kBlue;
    std::unique_ptr<Grid> front(quadGrid(Point(0, 0, 0.2f), Point(1, 0, 0.2f), Point(0, 1, 0.2f),
                                         Point(1, 1, 0.2f), halfRed, kHalf));
    std::unique_ptr<Grid> back(quadGrid(Point(0, 0, 0.4f), Point(1, 0, 0.4f), Point(0, 1, 0.4f),
                                        Point(1, 1, 0.4f), halfBlue, kHalf));
    Sample s;
    s.place(0.5f, 0.5f);
    EXPECT_TRUE(sampleCell(s, *back));
    EXPECT_TRUE(sampleCell(s, *front));
    float alpha, z;
    Color C = s.pack(fHits, alpha, z);
    EXPECT_FLOAT_EQ(C.r, 0.5f);
    EXPECT_FLOAT_EQ(C.g, 0.0f);
    EXPECT_FLOAT_EQ(C.b, 0.25f);
    EXPECT_FLOAT_EQ(alpha, 0.75f);
    EXPECT_FLOAT_EQ(z, 0.2f);
}

// A matte holds out what lies behind it by its opacity and adds nothing:
// opaque red behind a half-opaque matte keeps half its colour and alpha.
TEST_F(SamplePackTest, AMatteHoldsOutInProportionToItsOpacity) {
    std::unique_ptr<Grid> red(quadGrid(Point(0, 0, 0.6f), Point(1, 0, 0.6f), Point(0, 1, 0.6f),
                                       Point(1, 1, 0.6f), kRed, gWhite));
    gAttrib->matteObject(1);
    std::unique_ptr<Grid> matte(quadGrid(Point(0, 0, 0.3f), Point(1, 0, 0.3f),
                                         Point(0, 1, 0.3f), Point(1, 1, 0.3f), gBlack, kHalf));
    std::unique_ptr<Grid> opaqueMatte(quadGrid(Point(0, 0, 0.2f), Point(1, 0, 0.2f),
                                               Point(0, 1, 0.2f), Point(1, 1, 0.2f), gBlack,
                                               gWhite));
    Sample s;
    s.place(0.5f, 0.5f);
    sampleCell(s, *red);
    sampleCell(s, *matte);
    ASSERT_EQ(fHits.count(s.front()), 2u);
    float alpha, z;
    EXPECT_EQ(s.pack(fHits, alpha, z), Color(0.5f, 0, 0));
    EXPECT_FLOAT_EQ(alpha, 0.5f);
    EXPECT_FLOAT_EQ(z, 0.6f) << "the depth of what shows";
    // an opaque matte holds out everything behind it
    sampleCell(s, *opaqueMatte);
    EXPECT_EQ(s.pack(fHits, alpha, z), gBlack);
    EXPECT_FLOAT_EQ(alpha, 0.0f);
    EXPECT_EQ(z, HiderDepth::kNothing);
    // and what comes after it behind it, as if it had come first
    EXPECT_FALSE(sampleCell(s, *red));
    EXPECT_EQ(s.pack(fHits, alpha, z), gBlack);
    EXPECT_EQ(z, HiderDepth::kNothing);
}

class MultiSampleTest : public HiderFixture {
protected:
    MultiSampleTest() { gOption->filter(QEL_FILTER_BOX); }
};

// Box filter 2 × 2 about the origin: the first two samples count with
// weight 1, the third lies outside the support.
TEST_F(MultiSampleTest, AveragesTheSamplesInsideTheSupport) {
    MultiSample cell;
    cell.add(PackedSample{0.2f, 0.1f, Color(1, 0, 0), 1.0f, 0.2f, {}});
    cell.add(PackedSample{-0.5f, 0.5f, Color(0, 1, 0), 0.5f, 0.6f, {}});
    cell.add(PackedSample{1.5f, 0.0f, Color(0, 0, 1), 1.0f, 0.0f, {}});
    Color C;
    float alpha, z, nearest = 1.0f;
    EXPECT_FLOAT_EQ(cell.filter(*gOption, 0, 0, C, alpha, z, nearest), 1.0f);
    EXPECT_FLOAT_EQ(C.r, 0.5f);
    EXPECT_FLOAT_EQ(C.g, 0.5f);
    EXPECT_FLOAT_EQ(C.b, 0.0f);
    EXPECT_FLOAT_EQ(alpha, 0.75f);
    EXPECT_FLOAT_EQ(z, 0.4f);
    EXPECT_FLOAT_EQ(nearest, 0.2f) << "the nearest of the samples that count";
}

TEST_F(MultiSampleTest, NoWeightGivesFarBlack) {
    MultiSample cell;
    cell.add(PackedSample{3.0f, 0.0f, Color(1, 1, 1), 1.0f, 0.3f, {}});
    Color C;
    float alpha, z, nearest = 1.0f;
    EXPECT_FLOAT_EQ(cell.filter(*gOption, 0, 0, C, alpha, z, nearest), 0.0f);
    EXPECT_FLOAT_EQ(nearest, 1.0f);
    EXPECT_EQ(C, gBlack);
    EXPECT_FLOAT_EQ(alpha, 0.0f);
    EXPECT_FLOAT_EQ(z, 1.0f) << "normalised depth: the far plane";
}

} // namespace
