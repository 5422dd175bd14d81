#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "CurveHelpers.h"
#include "stitching/Running.h"
#include "stitching/SLCurve.h"

using namespace nl;
using nl::test::MakeRunning;
using nl::test::Straight;

namespace {
std::vector<float> Xs(const TSLStitch* s) {
    std::vector<float> v;
    if (s)
        for (const TSP& p : *s)
            v.push_back(p.X);
    return v;
}

// Positions within the walk's 0.1-unit tolerance per step.
void ExpectXs(const TSLStitch* s, const std::vector<float>& xs, int tag) {
    auto got = Xs(s);
    ASSERT_EQ(got.size(), xs.size()) << tag;
    for (size_t i = 0; i < xs.size(); ++i)
        EXPECT_NEAR(got[i], xs[i], 0.5) << tag << " #" << i;
}

// A 10 mm straight outline at 2 mm, regenerated through Restitch.
std::unique_ptr<TSLCurve> Outline(int passes, bool fromEnd = false, float length = 200) {
    auto c = Straight(length);
    MakeRunning(*c, passes, 40);
    if (fromEnd) c->Flags |= OF_STITCH_FROM_END;
    TStitchContext ctx;
    c->UpdateBounds(ctx);
    return c;
}
} // namespace

TEST(RunningStitch, PassesAndDirection) {
    const std::vector<float> one{0, 40, 80, 120, 160, 200};
    std::vector<float> back(one.rbegin(), one.rend());
    std::vector<float> two = one;
    two.insert(two.end(), back.begin(), back.end());
    std::vector<float> three = two;
    three.insert(three.end(), one.begin(), one.end());
    struct Case {
        int passes;
        bool fromEnd;
        std::vector<float> xs;
    } cases[] = {
        {1, false, one},
        {2, false, two}, // the end point twice in a row: both stay
        {3, false, three},
        {1, true, back}, // "Stitch From End" reverses the single pass
        {2, true,
         [&] {
             auto v = back;
             v.insert(v.end(), one.begin(), one.end());
             return v;
         }()},
    };
    for (const auto& c : cases) {
        auto o = Outline(c.passes, c.fromEnd);
        ASSERT_TRUE(o->Generated) << c.passes;
        ExpectXs(o->Generated.get(), c.xs, c.passes);
        // The last point of every pass that another pass follows carries the pass end.
        for (int32_t i = 0; i < o->Generated->Count(); ++i) {
            const bool passEnd = (i + 1) % 6 == 0 && i + 1 < o->Generated->Count();
            EXPECT_EQ(((*o->Generated)[i].Flags & SP_PASS_END) != 0, passEnd) << c.passes << " #" << i;
        }
    }
}

TEST(RunningStitch, ListStartsWithTheColourAndCarriesRunFlags) {
    auto o = Outline(2);
    o->SetColor(0x123456);
    const TSLStitch& g = *o->Generated;
    EXPECT_TRUE(g[0].IsColourPoint());
    EXPECT_EQ(g.GetColor(), 0x123456);
    for (int32_t i = 1; i < g.Count(); ++i)
        EXPECT_EQ(g[i].Flags, SP_BOUNDARY | SP_FLAT | (i == 5 ? uint32_t{SP_PASS_END} : 0u)) << i;
    EXPECT_TRUE(g.Flags & OF_NEEDLE_POINTS);
    EXPECT_FALSE(g.Bounds.empty);
    // Regeneration keeps the curve's colour.
    o->Color = 0x00FF00;
    TStitchContext ctx;
    Restitch(*o, ctx);
    EXPECT_EQ(o->Generated->GetColor(), 0x00FF00);
}

TEST(RunningStitch, ShortAndEmptyPaths) {
    auto shortPath = Outline(1, false, 30);
    ExpectXs(shortPath->Generated.get(), {0, 30}, 0);
    // No passes: an empty list, and no colour mark on a point that does not exist.
    auto none = Outline(0);
    ASSERT_TRUE(none->Generated);
    EXPECT_TRUE(none->Generated->Empty());
    // A curve still being drawn has no segment.
    TSLCurve partial;
    partial.AppendPoint(0, -1, 0, 0);
    MakeRunning(partial, 2, 40);
    TStitchContext ctx;
    partial.UpdateBounds(ctx);
    ASSERT_TRUE(partial.Generated);
    EXPECT_TRUE(partial.Generated->Empty());
    // An outline without stitching has no list.
    auto plain = Straight(200);
    plain->Flags |= OF_VISIBLE;
    plain->UpdateBounds(ctx);
    EXPECT_FALSE(plain->Generated);
}

TEST(RunningStitch, LimitsSplitLongRuns) {
    auto c = Straight(200);
    MakeRunning(*c, 1, 160);
    c->SetStitchLimits(4, 100);
    TStitchContext ctx;
    c->UpdateBounds(ctx);
    // 160-unit stitches split at the 100-unit maximum.
    for (int32_t i = 1; i < c->Generated->Count(); ++i)
        EXPECT_LE((*c->Generated)[i].X - (*c->Generated)[i - 1].X, 100.01f);
}

TEST(RunningStitch, ForcedAnchorGetsAStitch) {
    auto c = nl::test::Polyline({{0, 0}, {13, 0}, {40, 0}});
    MakeRunning(*c, 1, 8);
    TStitchContext ctx;
    EXPECT_TRUE(c->ToggleForce(3, ctx));
    auto xs = Xs(c->Generated.get());
    EXPECT_NE(std::find(xs.begin(), xs.end(), 13.f), xs.end());
}

TEST(PolylineRun, SpacingLengtheningAndGuards) {
    TPointList chain;
    for (float x : {0.f, 30.f, 100.f})
        chain.Append(TSP::Plain(0, x, 0));
    TSLStitch out;
    PolylineRun(chain, out, 20);
    // The chain's last segment grows by 2 x step, so the run reaches the end and beyond it.
    ExpectXs(&out, {0, 20, 40, 60, 80, 100, 120, 140}, 0);
    for (const TSP& p : out)
        EXPECT_TRUE(p.Flags & SP_BOUNDARY);
    // The caller's chain is untouched.
    EXPECT_EQ(chain.Last()->X, 100.f);

    // Chord spacing around a corner.
    TPointList corner;
    for (auto [x, y] : {std::pair{0.f, 0.f}, {50.f, 0.f}, {50.f, 50.f}})
        corner.Append(TSP::Plain(0, x, y));
    TSLStitch c2;
    PolylineRun(corner, c2, 15);
    for (int32_t i = 1; i < c2.Count(); ++i)
        EXPECT_NEAR(std::hypot(c2[i].X - c2[i - 1].X, c2[i].Y - c2[i - 1].Y), 15, 1e-3);

    // A single point is its own run (with its count); none gives none; a zero step does no harm.
    TPointList single;
    single.Append(TSP::Plain(0, 5, 5));
    TSLStitch one;
    std::vector<int32_t> counts{0, 1, 0};
    PolylineRun(single, one, 10, &counts);
    ASSERT_EQ(one.Count(), 1);
    EXPECT_EQ(one[0].X, 5);
    EXPECT_EQ(counts, (std::vector<int32_t>{0, 1, 0}));
    TSLStitch none;
    std::vector<int32_t> stale{2, 1};
    PolylineRun(TPointList{}, none, 10, &stale);
    EXPECT_TRUE(none.Empty());
    EXPECT_EQ(stale, (std::vector<int32_t>{0, 0}));
    TSLStitch unit;
    PolylineRun(chain, unit, 0);
    EXPECT_EQ(unit.Count(), 103); // step taken as one unit: 0 .. 102
}

TEST(PolylineRun, SectionCounts) {
    TPointList chain;
    for (float x : {0.f, 40.f, 80.f, 120.f})
        chain.Append(TSP::Plain(0, x, 0));
    std::vector<int32_t> counts{2, 2}; // points 0-1 in section 0, points 2-3 in section 1
    TSLStitch out;
    PolylineRun(chain, out, 20, &counts);
    ASSERT_EQ(counts.size(), 2u);
    EXPECT_EQ(counts[0] + counts[1], out.Count());
    EXPECT_EQ(counts[0], 3); // 0, 20, 40 lie on the segment ending at point 1
}

TEST(RunningStitch, AbsurdPathSwitchesTheObjectOff) {
    // A path far too long for its stitch length (a hostile file): the generator refuses, and
    // Restitch leaves the object invisible without stitches instead of exhausting memory.
    auto c = Straight(1.0e8f);
    MakeRunning(*c, 50, 10);
    bool reported = false;
    TStitchContext ctx;
    ctx.OnGenerationError = [&] { reported = true; };
    c->UpdateBounds(ctx);
    EXPECT_TRUE(reported);
    EXPECT_FALSE(c->Visible());
    EXPECT_FALSE(c->Generated);
}
