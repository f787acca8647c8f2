#include "PrimitiveFixture.h"

#include "common/Quark.h"
#include "renderer/shading/Grid.h"
#include "renderer/state/Attrib.h"
#include "renderer/state/Camera.h"
#include "renderer/state/Transform.h"
#include "tests/renderer/primitives/SceneSink.h"

using namespace quelmark;

namespace {

class PrimitiveTest : public PrimitiveFixture {};

// The plane z = 0 of the unit square, given homogeneously with w = weight.
class WeightedSquare : public Primitive {
public:
    WeightedSquare(float weight, short isRational) : fWeight(weight), fRational(isRational) {}

    short rational() const override { return fRational; }
    Pointw evalP(float u, float v) const override { return {fWeight * u, fWeight * v, 0, fWeight}; }
    Pointw evaldPdu(float, float) const override { return {fWeight, 0, 0, 0}; }
    Pointw evaldPdv(float, float) const override { return {0, fWeight, 0, 0}; }

private:
    float fWeight;
    short fRational;
};

void expectPoint(const Point& p, float x, float y, float z) {
    EXPECT_NEAR(p.x, x, 1e-5f);
    EXPECT_NEAR(p.y, y, 1e-5f);
    EXPECT_NEAR(p.z, z, 1e-5f);
}

TEST_F(PrimitiveTest, TheBaseClassIsAnUnboundedPointAtTheOrigin) {
    Primitive primitive;
    EXPECT_EQ(primitive.type(), 0);
    EXPECT_TRUE(primitive.canSplit());
    EXPECT_FALSE(primitive.rational());
    EXPECT_EQ(primitive.evalP(0.3f, 0.7f), Pointw(0, 0, 0, 1));
    EXPECT_EQ(primitive.evaldPdu(0.3f, 0.7f), Pointw(0, 0, 0, 1));
    EXPECT_EQ(primitive.evaldPdv(0.3f, 0.7f), Pointw(0, 0, 0, 1));
    Boundw bound = primitive.bound();
    EXPECT_EQ(bound.xmin, -1e38f);
    EXPECT_EQ(bound.zmax, 1e38f);
    EXPECT_EQ(bound.set, 0);
    splitIntoScene(primitive);
    EXPECT_EQ(fScene.pendingCount(), 0);
}

TEST_F(PrimitiveTest, EveryRequestTakesTheNextSequenceNumber) {
    Primitive::fCurSeq = 40;
    Primitive first, second;
    EXPECT_EQ(first.sequence(), 40u);
    EXPECT_EQ(second.sequence(), 41u);
    Primitive copy(second);
    EXPECT_EQ(copy.sequence(), 41u);
    EXPECT_EQ(Primitive::fCurSeq, 42u);
}

TEST_F(PrimitiveTest, CopiesShareTheCommonRecordButNotTheParameters) {
    auto original = std::make_unique<Primitive>();
    ArgAssoc entry;
    entry.quark = kQuarkColor;
    original->args().add(entry);
    PrimitiveCommon* common = &original->common();
    {
        Primitive copy(*original);
        EXPECT_EQ(&copy.common(), common);
        EXPECT_EQ(common->holders, 2);
        EXPECT_TRUE(copy.args().empty());
    }
    EXPECT_EQ(common->holders, 1);
    Primitive last(*original);
    original.reset(); // the record outlives the primitive that made it
    EXPECT_EQ(last.common().holders, 1);
    EXPECT_EQ(last.attrib(), gState->getAttrib());
}

// The pieces of a large mesh all share the mesh's record.
TEST_F(PrimitiveTest, FortyThousandPiecesShareOneRecord) {
    auto original = std::make_unique<Primitive>();
    std::vector<std::unique_ptr<Primitive>> pieces;
    for (int k = 0; k < 40000; ++k)
        pieces.push_back(std::make_unique<Primitive>(*original));
    EXPECT_EQ(original->common().holders, 40001);
    original.reset();
    pieces.resize(1);
    EXPECT_EQ(pieces[0]->common().holders, 1);
    EXPECT_EQ(pieces[0]->transform(), gState->getTransform());
}

TEST_F(PrimitiveTest, TheSnapshotsAreCountedWhileHeld) {
    Attrib* snapshot = gState->getAttrib();
    uint32_t before = snapshot->snapshot.count();
    {
        Primitive a, b;
        EXPECT_EQ(a.attrib(), snapshot);
        EXPECT_EQ(b.attrib(), snapshot);
        EXPECT_EQ(snapshot->snapshot.count(), before + 2);
    }
    EXPECT_EQ(snapshot->snapshot.count(), before);
}

TEST_F(PrimitiveTest, InheritTakesTheCurrentBlocksAndTheGivenNumber) {
    Primitive primitive;
    gAttrib->shadingRate(9);
    gTransform->translate(1, 2, 3);
    primitive.common().inherit(77);
    EXPECT_EQ(primitive.sequence(), 77u);
    EXPECT_FLOAT_EQ(primitive.attrib()->shadingRateRoot, 3.0f);
    EXPECT_FLOAT_EQ(primitive.transform()->matrix()[3][2], 3.0f);
}

TEST_F(PrimitiveTest, DicingPlacesTheVerticesInCameraSpace) {
    gTransform->translate(10, 20, 30);
    gTransform->scale(1.5f, 1.5f, 1.5f); // applies first: the square spans 0..1.5
    gCameraToRaster = gIdentity;
    Primitive::fCurSeq = 5;
    WeightedSquare square(1, 0);
    DiceDecision decision = square.diceable(currentFrame(), 2.5f);
    ASSERT_TRUE(decision);
    std::unique_ptr<Grid> grid(square.dice(decision.size));
    ASSERT_EQ(grid->nu(), 2);
    ASSERT_EQ(grid->nv(), 2);
    expectPoint(grid->row(0)[0].P, 10, 20, 30);
    expectPoint(grid->row(1)[2].P, 11.5f, 20.75f, 30);
    expectPoint(grid->row(2)[1].P, 10.75f, 21.5f, 30);
    // Directions do not move with the translation.
    expectPoint(grid->row(1)[1].dPdu, 1.5f, 0, 0);
    expectPoint(grid->row(1)[1].dPdv, 0, 1.5f, 0);
    EXPECT_EQ(grid->sequence(), 5u);
    EXPECT_EQ(grid->attrib(), square.attrib());
    EXPECT_EQ(grid->flipNormal(), 0);
    EXPECT_EQ(grid->triangular(), 0);
}

TEST_F(PrimitiveTest, RationalDerivativesAreDifferencesOfProjections) {
    gCameraToRaster = gIdentity;
    // Non-rational: the derivative (2, 0, 0, 0) has w = 0 and stays (2, 0, 0).
    WeightedSquare plain(2, 0);
    DiceDecision plainDecision = plain.diceable(currentFrame(), -1);
    ASSERT_TRUE(plainDecision);
    std::unique_ptr<Grid> plainGrid(plain.dice(plainDecision.size));
    expectPoint(plainGrid->row(0)[0].dPdu, 2, 0, 0);
    // Rational: (2u + 2, 2v, 0, 2) projects to (u + 1, v, 0), one unit on.
    WeightedSquare rational(2, 1);
    DiceDecision rationalDecision = rational.diceable(currentFrame(), -1);
    ASSERT_TRUE(rationalDecision);
    std::unique_ptr<Grid> rationalGrid(rational.dice(rationalDecision.size));
    expectPoint(rationalGrid->row(0)[0].dPdu, 1, 0, 0);
    expectPoint(rationalGrid->row(0)[0].dPdv, 0, 1, 0);
    expectPoint(rationalGrid->row(0)[0].P, 0, 0, 0);
}

TEST_F(PrimitiveTest, AnOrientationAgainstTheTransformFlipsTheNormals) {
    gCameraToRaster = gIdentity;
    gAttrib->orientation(QEL_ORIENT_RH);
    WeightedSquare square(1, 0);
    DiceDecision decision = square.diceable(currentFrame(), -1);
    ASSERT_TRUE(decision);
    std::unique_ptr<Grid> grid(square.dice(decision.size));
    EXPECT_EQ(grid->flipNormal(), 1);
}

} // namespace
