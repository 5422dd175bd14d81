#include <gtest/gtest.h>

#include "../regions/TestShapes.h"
#include "core/Errors.h"
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
