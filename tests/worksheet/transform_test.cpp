#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "../regions/TestShapes.h"
#include "core/Errors.h"
#include "stitching/Outline.h"
#include "stitching/SLCurve.h"
#include "worksheet/Sew.h"
#include "worksheet/Transform.h"

using namespace nl;

namespace {
struct Two {
    TSew sew;
    TStitchContext ctx;
    TSLStitch* a;
    TSLCurve* square;
    TSLRegion* region;
    Two() {
        a = sew.Add(std::make_unique<TSLStitch>());
        for (int i = 0; i < 4; ++i)
            a->AppendPoint(0, 0, 100.f + 30 * i, 100.f + 7 * i);
        a->UpdateBounds(ctx);
        square = static_cast<TSLCurve*>(sew.Add(nl::test::ClosedOutline(nl::test::Square(300, 100, 200))));
        square->UpdateBounds(ctx);
        region = static_cast<TSLRegion*>(sew.Add(nl::test::RegionOn(*square, ctx)));
        a->SetFlags(OF_SELECTED_LAYOUT);
        square->SetFlags(OF_SELECTED_LAYOUT);
    }
};
std::vector<std::pair<float, float>> Points(const TSLStitch& o) {
    std::vector<std::pair<float, float>> v;
    for (const TSP& p : o)
        v.emplace_back(p.X, p.Y);
    return v;
}
} // namespace

TEST(TransformSet, EachChangeStartsFromTheCopies) {
    Two t;
    const auto start = Points(*t.a);
    TTransformSet set;
    set.Start(t.sew, OF_SELECTED_LAYOUT, t.ctx);
    ASSERT_EQ(set.Targets().size(), 3u); // the region whose outline turns turns with it
    set.Rotate(45, t.ctx);
    const auto at45 = Points(*t.a);
    set.Rotate(90, t.ctx);
    set.Rotate(45, t.ctx);
    EXPECT_EQ(Points(*t.a), at45);
    set.Rotate(360, t.ctx);
    for (size_t i = 0; i < at45.size(); ++i)
        EXPECT_NEAR(Points(*t.a)[i].first, start[i].first, 1e-3);
    set.End(t.ctx);
}

TEST(TransformSet, AFailedScalingPutsEverythingBackAndTheProgramGoesOn) {
    Two t;
    const auto before = Points(*t.a);
    const auto region = Points(*t.region);
    TTransformSet set;
    set.Start(t.sew, OF_SELECTED_LAYOUT, t.ctx);
    set.Scale(200, 200, true, t.ctx);
    EXPECT_NE(Points(*t.a), before);
    EXPECT_THROW(set.Scale(0, 200, true, t.ctx), TError);
    EXPECT_EQ(Points(*t.a), before);
    EXPECT_EQ(Points(*t.region), region);
    set.End(t.ctx);
}

TEST(TransformSet, EnvelopeHeightsScaleByTheFactorAcrossThePathAtEachSection) {
    // Every height of a satin outline's envelope, section by section (start A, start B, the two
    // control heights of each side).
    auto heights = [](const TSLCurve& c) {
        std::vector<std::array<float, 6>> v;
        for (int32_t i = 0; i < c.Outlines->Count(); ++i) {
            const TOutline& s = *(*c.Outlines)[i];
            v.push_back({s.HeightA, s.HeightB, s.CtrlHeight1A, s.CtrlHeight2A, s.CtrlHeight1B, s.CtrlHeight2B});
        }
        return v;
    };
    // Resized 200 % wide and 100 % high: a width across a path of direction (tx, ty) scales by
    // 2 / |(2 tx, ty)|: 1 along X, 2 along Y, 2 / sqrt(2.5) on the diagonal.
    const double diagonal = 2.0 / std::sqrt(2.5);
    struct TCase {
        const char* What;
        std::vector<std::pair<float, float>> Corners;
        // Per section: the factor at its anchor and at its control positions.
        std::vector<std::pair<double, double>> Factors;
    } cases[] = {
        {"along X", {{100, 100}, {700, 100}}, {{1, 1}, {1, 1}}},
        {"along Y", {{100, 100}, {100, 700}}, {{2, 2}, {2, 2}}},
        {"diagonal", {{100, 100}, {500, 500}}, {{diagonal, diagonal}, {diagonal, diagonal}}},
        // Along X then along Y: the corner's heights take the bisector's direction.
        {"a corner", {{100, 100}, {700, 100}, {700, 700}}, {{1, 1}, {diagonal, 2}, {2, 2}}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TSew sew;
        TStitchContext ctx;
        auto curve = nl::test::Polyline(c.Corners);
        curve->Flags |= OF_VISIBLE | OF_SELECTED_LAYOUT;
        curve->SetStitchTypeBits(ST_SATIN);
        curve->Outlines = TOutlineList::MakeDefault(curve->AnchorCount());
        auto* satin = static_cast<TSLCurve*>(sew.Add(std::move(curve)));
        satin->UpdateBounds(ctx);
        const auto before = heights(*satin);
        ASSERT_EQ(before.size(), c.Factors.size());
        TTransformSet set;
        set.Start(sew, OF_SELECTED_LAYOUT, ctx);
        set.Scale(200, 100, true, ctx);
        const auto after = heights(*satin);
        for (size_t i = 0; i < before.size(); ++i) {
            SCOPED_TRACE("section " + std::to_string(i));
            for (int k = 0; k < 2; ++k)
                EXPECT_NEAR(after[i][k], before[i][k] * c.Factors[i].first, 1e-3);
            for (int k = 2; k < 6; ++k)
                EXPECT_NEAR(after[i][k], before[i][k] * c.Factors[i].second, 1e-3);
        }
        // Without "Scale Outline Envelopes" the heights stay.
        set.Scale(200, 100, false, ctx);
        EXPECT_EQ(heights(*satin), before);
        set.End(ctx);
    }
}
