// A fill region built on a circle through the region builder: anchored on the circle, closed at
// its own end join, filled with tatami inside it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "core/Units.h"
#include "platform/ScriptedHost.h"
#include "regions/RegionBuilder.h"
#include "stitching/Circle.h"
#include "stitching/SLCurve.h"

using namespace nl;

TEST(CircleRegion, ARegionOnACircleFillsTheDisc) {
    for (int n : {2, 6, 40}) {
        const double cx = 2000, cy = 1500, r = 400;
        TSLCurve circle;
        BuildCircle(circle, cx, cy, r, n, 0);
        circle.UpdateBounds({});
        TScriptedHost host;
        std::vector<std::unique_ptr<TSLRegion>> added;
        TRegionBuilder builder(host, TStitchContext{},
                               {[&](std::unique_ptr<TSLRegion> reg) { added.push_back(std::move(reg)); },
                                nullptr, nullptr, nullptr});
        builder.Enter();
        builder.ClickOutline(&circle);
        ASSERT_TRUE(builder.ClickAnchor(kSamplesPerSegment / 2));
        builder.ClickOutline(&circle);
        const auto& candidates = builder.Candidates();
        auto join = std::find_if(candidates.begin(), candidates.end(),
                                 [](const TCandidate& c) { return c.Kind == NK_JOIN_FROM_END; });
        ASSERT_NE(join, candidates.end()) << n;
        host.Answers = {TButton::No, TButton::Yes}; // a dynamic node; close
        ASSERT_TRUE(builder.PickCandidate(static_cast<int32_t>(join - candidates.begin())));
        ASSERT_EQ(added.size(), 1u) << n;
        const TSLRegion& region = *added[0];
        EXPECT_EQ(region.StitchType(), ST_TATAMI);
        ASSERT_TRUE(region.FillStitches) << n;
        ASSERT_GT(region.FillStitches->Count(), 500) << n;
        // Inside the circle (its path bulges out to 1.007 r for two arcs), and reaching it all round.
        double left = 1e9, right = -1e9, top = 1e9, bottom = -1e9;
        for (const TSP& p : *region.FillStitches) {
            EXPECT_LE(std::hypot(p.X - cx, p.Y - cy), r * 1.007 + 2) << n << ": " << p.X << "," << p.Y;
            left = std::min<double>(left, p.X);
            right = std::max<double>(right, p.X);
            top = std::min<double>(top, p.Y);
            bottom = std::max<double>(bottom, p.Y);
        }
        for (double edge : {cx - left, right - cx, cy - top, bottom - cy})
            EXPECT_GT(edge, r * 0.93) << n;
    }
}
