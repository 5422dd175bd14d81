// Splitting, joining and inserting segments into curves: the points, the width profile sections
// and the jump links stay in step, on both sides of every link.
#include <gtest/gtest.h>

#include "../stitching/CurveHelpers.h"
#include "regions/CurveSplitJoin.h"
#include "regions/JumpNodes.h"
#include "stitching/Outline.h"

using namespace nl;
using namespace nl::test;

namespace {

struct TCurves {
    TStitchContext ctx;
    // A: four segments along y = 0 (samples 0..100); B and C: partners for links.
    std::unique_ptr<TSLCurve> A = Straight(400, 4), B = Straight(400, 4), C = Straight(400, 4);
    TCurves() {
        B->Offset(0, 100);
        C->Offset(0, 200);
        for (TSLCurve* c : {A.get(), B.get(), C.get()}) {
            MakeRunning(*c, 1, 20);
            c->RefreshGeometry(ctx);
        }
    }
    // A satin profile on A whose section i has HeightA = i + 1.
    void Profile(TSLCurve& c) {
        c.Outlines = TOutlineList::MakeDefault(c.AnchorCount());
        for (int32_t i = 0; i < c.Outlines->Count(); ++i)
            (*c.Outlines)[i]->HeightA = static_cast<float>(i + 1);
    }
};

std::vector<float> Heights(const TSLCurve& c) {
    std::vector<float> v;
    for (const auto& s : *c.Outlines)
        v.push_back(s->HeightA);
    return v;
}

std::vector<int32_t> Starts(const TSLCurve& c) {
    std::vector<int32_t> v;
    for (const auto& s : *c.Outlines)
        v.push_back(s->StartSample);
    return v;
}

std::vector<float> AnchorXs(const TSLCurve& c) {
    std::vector<float> v;
    for (int32_t i = 0; i < c.Count(); i += 3)
        v.push_back(c[i].X);
    return v;
}

// Every link has its mirror, and each mirror names the other end's index and outline.
void ExpectConsistent(std::initializer_list<const TSLCurve*> all) {
    for (const TSLCurve* c : all) {
        if (!c->Jumps) continue;
        for (const auto& j : *c->Jumps) {
            ASSERT_TRUE(j->LinkedOutline && j->Reverse);
            EXPECT_EQ(j->Reverse->Reverse, j.get());
            EXPECT_EQ(j->Reverse->LinkedOutline, c);
            EXPECT_EQ(j->Reverse->OwnIndex, j->PartnerIndex);
            EXPECT_EQ(j->Reverse->PartnerIndex, j->OwnIndex);
            EXPECT_LE(j->OwnIndex, c->LastSample());
        }
    }
}

} // namespace

TEST(CurveSplit, EveryInnerAnchorSplitsPointsProfileAndLinks) {
    for (int32_t node : {3, 6, 9}) {
        TCurves t;
        t.Profile(*t.A);
        // Links at samples 25 (to B) and 75 (to C).
        LinkOutlines(*t.A, *t.B, 25, 50);
        LinkOutlines(*t.A, *t.C, 75, 10);
        const std::vector<float> before = AnchorXs(*t.A);
        auto parts = SplitCurve(*t.A, node, t.ctx);
        ASSERT_EQ(parts.size(), 1u) << node;
        auto& part = static_cast<TSLCurve&>(*parts[0]);
        // The node is in both parts; together they are the original path.
        EXPECT_EQ(t.A->Count(), node + 1);
        EXPECT_EQ(part.Count(), 13 - node);
        std::vector<float> joined = AnchorXs(*t.A);
        std::vector<float> rest = AnchorXs(part);
        joined.insert(joined.end(), rest.begin() + 1, rest.end());
        EXPECT_EQ(joined, before) << node;
        // One section per anchor; the node's section goes to both, the part's from position 0.
        const int32_t s = node / 3;
        EXPECT_EQ(t.A->Outlines->Count(), t.A->AnchorCount());
        EXPECT_EQ(part.Outlines->Count(), part.AnchorCount());
        EXPECT_EQ(Heights(*t.A).back(), static_cast<float>(s + 1));
        EXPECT_EQ(Heights(part).front(), static_cast<float>(s + 1));
        EXPECT_EQ(Starts(part).front(), 0);
        EXPECT_EQ(Starts(part).back(), 25 * (part.AnchorCount() - 1));
        // Links past the node went with the part, to the same partner points.
        const int32_t split = 25 * s;
        for (auto [own, partner] : {std::pair{25, t.B.get()}, std::pair{75, t.C.get()}}) {
            TSLCurve* holder = own > split ? &part : t.A.get();
            const int32_t index = own > split ? own - split : own;
            ASSERT_TRUE(holder->Jumps) << node << " " << own;
            bool found = false;
            for (const auto& k : *holder->Jumps)
                found = found || (k->OwnIndex == index && k->LinkedOutline == partner);
            EXPECT_TRUE(found) << node << " " << own;
        }
        ExpectConsistent({t.A.get(), &part, t.B.get(), t.C.get()});
    }
}

TEST(CurveSplit, OnlyAnInnerAnchorSplits) {
    TCurves t;
    for (int32_t node : {-1, 0, 1, 4, 12, 13}) {
        EXPECT_TRUE(SplitCurve(*t.A, node, t.ctx).empty()) << node;
        EXPECT_EQ(t.A->Count(), 13);
    }
}

TEST(CurveSplit, AColumnSplitsIntoANewPairOfRails) {
    TCurves t;
    TSLCurve& a = *t.A;
    TSLCurve& b = *t.B;
    a.Flags = OF_RAIL_A | OF_VISIBLE;
    b.Flags = OF_RAIL_B;
    a.SetStitchTypeBits(ST_SATIN);
    a.PartnerRail = &b;
    b.PartnerRail = &a;
    b.Feather = std::make_unique<TFeather>();
    b.Feather->WidthA = 33;
    // Through rail B too.
    auto parts = SplitCurve(b, 6, t.ctx);
    ASSERT_EQ(parts.size(), 2u);
    auto& pa = static_cast<TSLCurve&>(*parts[0]);
    auto& pb = static_cast<TSLCurve&>(*parts[1]);
    EXPECT_TRUE(pa.Flags & OF_RAIL_A);
    EXPECT_TRUE(pb.Flags & OF_RAIL_B);
    EXPECT_EQ(pa.PartnerRail, &pb);
    EXPECT_EQ(pb.PartnerRail, &pa);
    EXPECT_EQ(a.PartnerRail, &b);
    EXPECT_EQ(a.Count(), 7);
    EXPECT_EQ(b.Count(), 7);
    EXPECT_EQ(pa.Count(), 7);
    EXPECT_EQ(pb.Count(), 7);
    ASSERT_TRUE(pb.Feather);
    EXPECT_EQ(pb.Feather->WidthA, 33);
    EXPECT_FLOAT_EQ(pb[0].Y, 100.f);
    EXPECT_TRUE(pa.Generated && pa.Generated->Count() > 0) << "the new column is stitched";
}

TEST(CurveJoin, EveryOrientationMeetsEndToStartAndCarriesTheProfile) {
    struct TCase {
        bool firstAtEnd, secondAtEnd;
        std::vector<float> anchors;
        std::vector<float> heights;
    };
    // First: anchors 0..400 (heights 1..5); second: anchors 500..700 (heights 1..3).
    const TCase cases[] = {
        {true, false, {0, 100, 200, 300, 400, 600, 700}, {1, 2, 3, 4, 1, 2, 3}},
        {true, true, {0, 100, 200, 300, 400, 600, 500}, {1, 2, 3, 4, 3, 2, 1}},
        {false, false, {400, 300, 200, 100, 0, 600, 700}, {5, 4, 3, 2, 1, 2, 3}},
        {false, true, {400, 300, 200, 100, 0, 600, 500}, {5, 4, 3, 2, 3, 2, 1}},
    };
    for (const TCase& k : cases) {
        TCurves t;
        t.Profile(*t.A);
        auto second = Straight(200, 2);
        second->Offset(500, 0);
        t.Profile(*second);
        second->RefreshGeometry(t.ctx);
        ASSERT_TRUE(JoinCurves(*t.A, k.firstAtEnd, *second, k.secondAtEnd, t.ctx));
        EXPECT_EQ(AnchorXs(*t.A), k.anchors) << k.firstAtEnd << k.secondAtEnd;
        EXPECT_EQ(t.A->Count(), 19);
        // The first's last section is dropped; the second's follow 25 samples apart.
        EXPECT_EQ(Heights(*t.A), k.heights) << k.firstAtEnd << k.secondAtEnd;
        EXPECT_EQ(Starts(*t.A), (std::vector<int32_t>{0, 25, 50, 75, 100, 125, 150}));
        EXPECT_EQ(second->Count(), 7) << "the second is left for the caller to delete";
    }
}

TEST(CurveJoin, ASecondWithoutProfileGetsDefaultSectionsAndKindsMustMatch) {
    TCurves t;
    t.Profile(*t.A);
    ASSERT_TRUE(JoinCurves(*t.A, true, *t.B, false, t.ctx));
    EXPECT_EQ(t.A->Outlines->Count(), t.A->AnchorCount());
    EXPECT_EQ(Heights(*t.A), (std::vector<float>{1, 2, 3, 4, 20, 20, 20, 20, 20}));
    // An outline and a column rail, a curve and itself: no join.
    t.C->Flags |= OF_RAIL_A;
    t.C->PartnerRail = t.B.get();
    EXPECT_FALSE(JoinCurves(*t.A, true, *t.C, false, t.ctx));
    EXPECT_FALSE(JoinCurves(*t.A, true, *t.A, false, t.ctx));
}

TEST(CurveJoin, ReversingTheFirstKeepsItsLinksWhereTheyAre) {
    TCurves t;
    LinkOutlines(*t.A, *t.C, 25, 40);
    t.A->RefreshGeometry(t.ctx);
    const float x = (*t.A->Jumps)[0]->X, y = (*t.A->Jumps)[0]->Y;
    ASSERT_TRUE(JoinCurves(*t.A, false, *t.B, false, t.ctx));
    ASSERT_TRUE(t.A->Jumps);
    const TJump& j = *(*t.A->Jumps)[0];
    EXPECT_EQ(j.OwnIndex, 75);
    EXPECT_FLOAT_EQ(j.X, x);
    EXPECT_FLOAT_EQ(j.Y, y);
    ExpectConsistent({t.A.get(), t.C.get()});
}

TEST(CurveInsertSegment, ShiftsLinksAndSectionsAndComesBackOut) {
    TCurves t;
    t.Profile(*t.A);
    LinkOutlines(*t.A, *t.B, 25, 50);
    LinkOutlines(*t.A, *t.C, 75, 10);
    t.A->RefreshGeometry(t.ctx);
    const std::vector<float> before = AnchorXs(*t.A);
    EXPECT_EQ(InsertSegmentAfter(*t.A, 4, 0, 0), -1) << "not an anchor";
    ASSERT_EQ(InsertSegmentAfter(*t.A, 3, 150, 50), 4);
    EXPECT_EQ(t.A->Count(), 16);
    EXPECT_FLOAT_EQ((*t.A)[6].X, 150.f);
    EXPECT_EQ(Heights(*t.A), (std::vector<float>{1, 2, 20, 3, 4, 5}));
    EXPECT_EQ(Starts(*t.A), (std::vector<int32_t>{0, 25, 50, 75, 100, 125}));
    EXPECT_EQ((*t.A->Jumps)[0]->OwnIndex, 25) << "at the node: stays";
    EXPECT_EQ((*t.A->Jumps)[1]->OwnIndex, 100);
    ExpectConsistent({t.A.get(), t.B.get(), t.C.get()});
    ASSERT_TRUE(RemoveSegmentAfter(*t.A, 3));
    EXPECT_EQ(AnchorXs(*t.A), before);
    EXPECT_EQ(Heights(*t.A), (std::vector<float>{1, 2, 3, 4, 5}));
    EXPECT_EQ(Starts(*t.A), (std::vector<int32_t>{0, 25, 50, 75, 100}));
    EXPECT_EQ((*t.A->Jumps)[1]->OwnIndex, 75);
    ExpectConsistent({t.A.get(), t.B.get(), t.C.get()});
    // After the last anchor: the path grows at its end.
    ASSERT_EQ(InsertSegmentAfter(*t.A, 12, 500, 0), 13);
    EXPECT_EQ(t.A->SegmentCount(), 5);
}
