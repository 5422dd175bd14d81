#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "PageTest.h"
#include "core/Numeric.h"
#include "platform/ScriptedHost.h"
#include "stitching/Circle.h"
#include "stitching/Outline.h"
#include "stitching/SLCurve.h"
#include "ui/CurveCommands.h"
#include "ui/OutlinePage.h"
#include "ui/StitchStylePage.h"

using namespace nl;
using nl::test::Field;

namespace {
// A visible 10 mm outline in two segments, not yet stitching.
std::unique_ptr<TSLCurve> NewOutline() {
    auto c = std::make_unique<TSLCurve>();
    for (int i = 0; i <= 6; ++i)
        c->AppendPoint(0, -1, 200.f * i / 6, 0);
    c->Flags |= OF_VISIBLE;
    c->SetStitchTypeBits(ST_NONE);
    TStitchContext ctx;
    c->UpdateBounds(ctx);
    return c;
}

// A new outline with the host and the stitch context its pages use.
struct TOutlineSetup {
    std::unique_ptr<TSLCurve> C = NewOutline();
    TScriptedHost Host;
    TStitchContext Ctx;
};
} // namespace

TEST(OutlinePage, CaptionsUnitsAndRanges) {
    struct Case {
        const char* caption;
        const char* unit;
        double min, max;
    } cases[] = {
        {"Stitch Density", "per mm", 1.0, 50},
        {"Running Density", "mm", 0.5, 8},
        {"Passes", "count", 1, 50},
        {"Compensation", "mm", 0, 12},
        {"Upper Height", "%", 0, 100},
        {"Lower Height", "%", 0, 100},
        {"Min St. Dist", "mm", 0.1, 11},
        {"Max St. Dist", "mm", 4, 20},
    };
    ASSERT_EQ(TOutlinePage::Fields().size(), std::size(cases));
    for (const auto& c : cases) {
        const TFieldDesc& f = TOutlinePage::Fields()[Field<TOutlinePage>(c.caption)];
        EXPECT_EQ(f.Unit, c.unit) << c.caption;
        EXPECT_EQ(f.Min, c.min) << c.caption;
        EXPECT_EQ(f.Max, c.max) << c.caption;
    }
    for (const char* t : {"Stitch From End", "Dont Allow Overlays", "Use Return Stitch"})
        EXPECT_GE(TOutlinePage::ToggleIndex(t), 0) << t;
}

TEST(OutlinePage, AcceptedValuesAreStoredConvertedAndRegenerate) {
    TOutlineSetup setup;
    auto& [c, host, ctx] = setup;
    ASSERT_TRUE(TStitchStylePage(*c, ctx, host).SetStitchType(ST_RUNNING));
    TOutlinePage page(*c, ctx);
    struct Case {
        const char* caption;
        double value;
        std::function<int32_t(const TSLCurve&)> stored;
        int32_t expected;
    } cases[] = {
        {"Running Density", 2.5, [](const TSLCurve& k) { return k.RunLength; }, 50},
        {"Passes", 3, [](const TSLCurve& k) { return k.Passes; }, 3},
        {"Passes", 50, [](const TSLCurve& k) { return k.Passes; }, 50},
        {"Stitch Density", 4.5, [](const TSLCurve& k) { return k.Density; }, 45},
        {"Min St. Dist", 0.5, [](const TSLCurve& k) { return k.MinStitch(); }, 10},
        {"Max St. Dist", 12, [](const TSLCurve& k) { return k.MaxStitch(); }, 240},
        {"Running Density", 8.0005, [](const TSLCurve& k) { return k.RunLength; }, 160}, // within tolerance
    };
    for (const auto& cs : cases) {
        EXPECT_EQ(page.Apply(Field<TOutlinePage>(cs.caption), cs.value), TApply::Accepted) << cs.caption;
        EXPECT_EQ(cs.stored(*c), cs.expected) << cs.caption;
        EXPECT_NEAR(page.Value(Field<TOutlinePage>(cs.caption)), cs.value, 0.01) << cs.caption;
    }
    // The stitches follow at once: 3 passes ... then 50 passes at 8 mm over 10 mm.
    ASSERT_TRUE(c->Generated);
    EXPECT_EQ(c->Generated->Count(), 50 * 3); // 0, 8 mm, 10 mm per pass
}

TEST(OutlinePage, RefusedValuesKeepTheOldValue) {
    TOutlineSetup setup;
    auto& [c, host, ctx] = setup;
    TStitchStylePage(*c, ctx, host).SetStitchType(ST_RUNNING);
    TOutlinePage page(*c, ctx);
    const TSLStitch* before = c->Generated.get();
    struct Case {
        const char* caption;
        double value;
    } cases[] = {{"Passes", 0},
                 {"Passes", 51},
                 {"Running Density", 0.4},
                 {"Running Density", 8.01},
                 {"Stitch Density", 0.05},
                 {"Stitch Density", 0.9}, // below 1.0 per mm a stored density would read as a spacing
                 {"Stitch Density", 0.998},
                 {"Stitch Density", 50.002},
                 {"Min St. Dist", 11.5},
                 {"Max St. Dist", 3.9},
                 {"Passes", std::nan("")}};
    for (const auto& cs : cases)
        EXPECT_EQ(page.Apply(Field<TOutlinePage>(cs.caption), cs.value), TApply::Refused) << cs.caption;
    EXPECT_EQ(c->Passes, 2);
    EXPECT_EQ(c->RunLength, 40);
    EXPECT_EQ(c->Density, 50);
    EXPECT_EQ(c->StitchLimits, DEFAULT_STITCH_LIMITS);
    EXPECT_EQ(c->Generated.get(), before); // nothing regenerated
    // Satin-only fields do not apply to a running outline.
    EXPECT_EQ(page.Apply(Field<TOutlinePage>("Compensation"), 1), TApply::NotApplicable);
    EXPECT_EQ(page.SetToggle(TOutlinePage::ToggleIndex("Use Return Stitch"), true), TApply::NotApplicable);
}

TEST(OutlinePage, TogglesAndHeights) {
    TOutlineSetup setup;
    auto& [c, host, ctx] = setup;
    TStitchStylePage style(*c, ctx, host);
    style.SetStitchType(ST_RUNNING);
    TOutlinePage page(*c, ctx);
    float firstX = (*c->Generated)[0].X;
    EXPECT_EQ(page.SetToggle(TOutlinePage::ToggleIndex("Stitch From End"), true), TApply::Accepted);
    EXPECT_TRUE(c->Flags & OF_STITCH_FROM_END);
    c->Passes = 1;
    Restitch(*c, ctx);
    EXPECT_NE((*c->Generated)[0].X, firstX);

    ASSERT_TRUE(style.SetStitchType(ST_SATIN));
    ASSERT_TRUE(c->Outlines);
    EXPECT_EQ(page.Apply(Field<TOutlinePage>("Upper Height"), 2.5), TApply::Accepted);
    for (const auto& s : *c->Outlines)
        EXPECT_EQ(s->HeightA, 50.f);
    (*c->Outlines)[1]->HeightB = 5;
    EXPECT_EQ(page.Apply(Field<TOutlinePage>("Lower Height"), 0),
              TApply::Accepted); // shifted by -20: 5 would go below 0
    EXPECT_EQ((*c->Outlines)[0]->HeightB, 1.f);
    EXPECT_EQ((*c->Outlines)[1]->HeightB, 1.f);
    EXPECT_EQ(page.Apply(Field<TOutlinePage>("Compensation"), 12), TApply::Accepted);
    EXPECT_EQ(c->Outlines->OutlineCompensation, 12.f);
    EXPECT_EQ(page.SetToggle(TOutlinePage::ToggleIndex("Use Return Stitch"), true), TApply::Accepted);
    EXPECT_TRUE(c->Outlines->ProfileFlags & PF_RETURN_STITCH);
}

TEST(OutlinePage, EveryDensityThePageAcceptsSurvivesSavingAndLoading) {
    TOutlineSetup setup;
    auto& [c, host, ctx] = setup;
    ASSERT_TRUE(TStitchStylePage(*c, ctx, host).SetStitchType(ST_SATIN));
    TOutlinePage page(*c, ctx);
    const size_t density = Field<TOutlinePage>("Stitch Density");
    // Every value the page can show (one decimal) from its minimum to its maximum, and the two
    // ends entered within the entry tolerance.
    const TFieldDesc& f = TOutlinePage::Fields()[density];
    std::vector<double> values{f.Min - 0.0005, f.Max + 0.0005};
    for (int tenths = RoundI(f.Min * 10); tenths <= RoundI(f.Max * 10); ++tenths)
        values.push_back(tenths / 10.0);
    EXPECT_EQ(values.size(), 2u + 491u);
    for (double v : values) {
        ASSERT_EQ(page.Apply(density, v), TApply::Accepted) << v;
        const int32_t stored = c->Density;
        const double shown = page.Value(density);
        for (bool stream : {false, true}) {
            TByteWriter w;
            TRecordContext out;
            stream ? WriteObjectStream(w, *c, out) : WriteObjectRecord(w, *c, out);
            TByteReader r(w.Data());
            auto back = stream ? ReadObjectStream(r, out) : ReadObjectRecord(r, out);
            auto* curve = dynamic_cast<TSLCurve*>(back.get());
            ASSERT_NE(curve, nullptr);
            ASSERT_EQ(curve->Density, stored) << v << (stream ? " (stream)" : " (worksheet)");
            ASSERT_EQ(TOutlinePage(*curve, ctx).Value(density), shown) << v;
        }
    }
}

TEST(StitchStylePage, SwitchingTypes) {
    TOutlineSetup setup;
    auto& [c, host, ctx] = setup;
    TStitchStylePage page(*c, ctx, host);
    EXPECT_EQ(page.CurrentType(), ST_NONE);
    EXPECT_FALSE(c->Generated);
    ASSERT_TRUE(page.SetStitchType(ST_RUNNING));
    EXPECT_EQ(page.CurrentType(), ST_RUNNING);
    EXPECT_EQ(c->OrderIndex, ORDER_UNPLACED);
    ASSERT_TRUE(c->Generated);
    EXPECT_EQ(c->Generated->Count(), 12); // two passes of six
    ASSERT_TRUE(page.SetStitchType(ST_ZIGZAG));
    ASSERT_TRUE(c->Outlines);
    EXPECT_EQ(c->Outlines->Count(), 3); // one section per anchor
    EXPECT_EQ((*c->Outlines)[2]->StartSample, 50);
    EXPECT_FALSE(c->Flags & OF_RUNNING);
    EXPECT_TRUE(host.Messages.empty());

    // Back to Running: the loss of the profile is asked first; No keeps everything.
    host.Answers.push_back(TButton::No);
    EXPECT_FALSE(page.SetStitchType(ST_RUNNING));
    ASSERT_EQ(host.Messages.size(), 1u);
    EXPECT_EQ(host.Messages[0].Heading, "OK To Change Stitch Attributes ?");
    EXPECT_EQ(host.Messages[0].Text,
              "Changing from a Zigzag stitch will result in a loss of data ! Is it OK to continue ");
    EXPECT_TRUE(c->Outlines);
    EXPECT_EQ(page.CurrentType(), ST_ZIGZAG);
    host.Answers.push_back(TButton::Yes);
    EXPECT_TRUE(page.SetStitchType(ST_RUNNING));
    EXPECT_FALSE(c->Outlines);
    EXPECT_EQ(page.CurrentType(), ST_RUNNING);
}

TEST(StitchStylePage, NoStitchesWithJumpsAsksBothQuestions) {
    TOutlineSetup setup;
    auto& [c, host, ctx] = setup;
    TStitchStylePage page(*c, ctx, host);
    page.SetStitchType(ST_SATIN);
    c->Jumps = std::make_unique<TJumpList>();
    c->Jumps->Add(std::make_unique<TJump>());
    host.Answers = {TButton::No};
    EXPECT_FALSE(page.SetStitchType(ST_NONE));
    EXPECT_TRUE(c->Jumps && c->Outlines);
    host.Answers = {TButton::Yes, TButton::No}; // jumps yes, profile no: nothing changes
    EXPECT_FALSE(page.SetStitchType(ST_NONE));
    EXPECT_TRUE(c->Jumps && c->Outlines);
    ASSERT_EQ(host.Messages.size(), 3u);
    EXPECT_EQ(host.Messages[1].Heading, "Delete Jump Stitches To Other Objects ?");
    EXPECT_EQ(host.Messages[2].Heading, "OK To Change Stitch Attributes ?");
    host.Answers = {TButton::Yes, TButton::Yes};
    EXPECT_TRUE(page.SetStitchType(ST_NONE));
    EXPECT_FALSE(c->Jumps);
    EXPECT_FALSE(c->Outlines);
    EXPECT_EQ(page.CurrentType(), ST_NONE);
    EXPECT_FALSE(c->Generated);
}

TEST(StitchStylePage, CheckBoxes) {
    TOutlineSetup setup;
    auto& [c, host, ctx] = setup;
    TStitchStylePage page(*c, ctx, host);
    page.SetStitchType(ST_RUNNING);
    page.SetVisible(false);
    EXPECT_FALSE(c->Generated); // hidden objects have no stitches
    page.SetVisible(true);
    EXPECT_TRUE(c->Generated);
    EXPECT_FALSE(page.SetFeather(true)); // no profile: nothing to feather
    page.SetStitchType(ST_SATIN);
    EXPECT_TRUE(page.SetFeather(true));
    EXPECT_TRUE(page.Feather());
    // Every new feather record gets a fresh seed, never a shared one.
    const int32_t seed = c->Outlines->OutlineFeather->Seed;
    EXPECT_NE(seed, 0);
    EXPECT_TRUE(page.SetFeather(false));
    EXPECT_FALSE(c->Outlines->OutlineFeather);
    EXPECT_TRUE(page.SetFeather(true));
    EXPECT_NE(c->Outlines->OutlineFeather->Seed, seed);
    EXPECT_TRUE(page.SetFeather(false));
    c->StitchFlags |= SF_PROG_STITCH;
    host.Answers = {TButton::No};
    EXPECT_FALSE(page.SwitchOffProgStitch());
    EXPECT_TRUE(page.ProgStitch());
    host.Answers = {TButton::Yes};
    EXPECT_TRUE(page.SwitchOffProgStitch());
    EXPECT_FALSE(page.ProgStitch());
    EXPECT_EQ(host.Messages.back().Heading, "Prog Stitch Change");
}

TEST(CurveCommands, MenuItemsAndEffects) {
    TOutlineSetup setup;
    auto& [c, host, ctx] = setup;
    TStitchStylePage(*c, ctx, host).SetStitchType(ST_RUNNING);
    EXPECT_EQ(CurveCommandCaption(CMD_REVERSE_STITCHING, *c), "Reverse Stitching Direction");
    EXPECT_EQ(CurveCommandCaption(CMD_TRANSFORM_LINE, *c), "Transform To Line");
    EXPECT_EQ(CurveCommandCaption(CMD_FORCE_STITCH, *c), "Force Stitch At This Point");

    // Force stitch: only on inner anchors of a running outline; toggles and regenerates.
    EXPECT_FALSE(CurveCommandEnabled(CMD_FORCE_STITCH, *c, 0));
    EXPECT_FALSE(CurveCommandEnabled(CMD_FORCE_STITCH, *c, 2));
    EXPECT_TRUE(CurveCommandEnabled(CMD_FORCE_STITCH, *c, 3));
    EXPECT_TRUE(RunCurveCommand(CMD_FORCE_STITCH, *c, 3, ctx));
    EXPECT_TRUE(CurveCommandChecked(CMD_FORCE_STITCH, *c, 3));
    bool onAnchor = false;
    for (const TSP& p : *c->Generated)
        onAnchor |= p.X == 100.f;
    EXPECT_TRUE(onAnchor);

    float endX = c->Generated->Last()->X;
    EXPECT_TRUE(RunCurveCommand(CMD_REVERSE_STITCHING, *c, -1, ctx));
    EXPECT_EQ((*c)[0].X, 200.f);
    EXPECT_NE(c->Generated->Last()->X, endX);

    EXPECT_TRUE(RunCurveCommand(CMD_TRANSFORM_LINE, *c, -1, ctx));
    EXPECT_TRUE(c->IsLineObject());
    EXPECT_EQ(CurveCommandCaption(CMD_TRANSFORM_LINE, *c), "Transform To Curve");
    EXPECT_FALSE(RunCurveCommand(999, *c, -1, ctx));
}

// A satin outline made the way a new user makes one (the Outline page's heights, both 2 mm) is as
// wide everywhere as its profile says, on a circle from the circle tool and on an S curve: every
// stitch across the band is 4 mm long within 0.1 mm, and every edge point 2 mm from the path.
TEST(OutlinePage, UniformHeightsGiveAUniformWidthOnSmoothCurves) {
    auto circle = std::make_unique<TSLCurve>();
    BuildCircle(*circle, 2000, 2000, 400, 2, 0);
    auto s = std::make_unique<TSLCurve>();
    for (auto [x, y] : std::vector<std::pair<float, float>>{
             {0, 0}, {100, -200}, {300, -200}, {400, 0}, {500, 200}, {700, 200}, {800, 0}})
        s->AppendPoint(0, -1, x, y);
    for (TSLCurve* c : {circle.get(), s.get()}) {
        SCOPED_TRACE(c == circle.get() ? "circle" : "S curve");
        TScriptedHost host;
        TStitchContext ctx;
        c->Flags |= OF_VISIBLE;
        c->UpdateBounds(ctx);
        TStitchStylePage style(*c, ctx, host);
        ASSERT_TRUE(style.SetStitchType(ST_SATIN));
        TOutlinePage page(*c, ctx);
        ASSERT_EQ(page.Apply(Field<TOutlinePage>("Upper Height"), 2), TApply::Accepted);
        ASSERT_EQ(page.Apply(Field<TOutlinePage>("Lower Height"), 2), TApply::Accepted);
        ASSERT_TRUE(c->Generated);
        const TSLStitch& g = *c->Generated;
        ASSERT_GT(g.Count(), 100);
        double lo = 1e9, hi = 0;
        for (int32_t i = 0; i + 1 < g.Count(); i += 2) {
            const double w = std::hypot(g[i + 1].X - g[i].X, g[i + 1].Y - g[i].Y);
            lo = std::min(lo, w), hi = std::max(hi, w);
        }
        EXPECT_NEAR(lo, 80.0, 2.0);
        EXPECT_NEAR(hi, 80.0, 2.0);
        // The edges: each point 40 units from the flattened path (which lies within a small part
        // of a unit of the curve).
        double near = 1e9, far = 0;
        for (const TSP& p : g) {
            double best = 1e300;
            for (size_t k = 0; k + 1 < c->PathX.size(); ++k) {
                const double ax = c->PathX[k], ay = c->PathY[k], dx = c->PathX[k + 1] - ax,
                             dy = c->PathY[k + 1] - ay, l2 = dx * dx + dy * dy;
                const double t =
                    l2 > 0 ? std::clamp(((p.X - ax) * dx + (p.Y - ay) * dy) / l2, 0.0, 1.0) : 0.0;
                best = std::min(best, std::hypot(ax + t * dx - p.X, ay + t * dy - p.Y));
            }
            near = std::min(near, best), far = std::max(far, best);
        }
        EXPECT_NEAR(near, 40.0, 2.0);
        EXPECT_NEAR(far, 40.0, 2.0);
    }
}
