#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "CurveHelpers.h"
#include "core/Numeric.h"
#include "platform/RecordingCanvas.h"
#include "stitching/SLCurve.h"

using namespace nl;
using nl::test::Polyline;
using nl::test::Straight;

namespace {
std::vector<TWalkVisit> WalkAll(const TSLCurve& c, double step) {
    std::vector<TWalkVisit> v;
    c.Walk(step, [&](const TWalkVisit& w) { v.push_back(w); });
    return v;
}
std::vector<float> WalkXs(const TSLCurve& c, double step) {
    std::vector<float> xs;
    for (const auto& w : WalkAll(c, step))
        xs.push_back(w.X);
    return xs;
}
} // namespace

TEST(CurvePath, SamplesAndEvaluation) {
    auto c = Polyline({{0, 0}, {100, 0}, {100, 50}});
    c->Flatten();
    EXPECT_EQ(c->PathX.size(), 51u);
    EXPECT_EQ(c->LastSample(), 50);
    TPointD a1 = c->PointAtSample(25);
    EXPECT_FLOAT_EQ(a1.X, 100);
    EXPECT_FLOAT_EQ(a1.Y, 0);
    TPointD beyond = c->PointAtSample(80);
    EXPECT_FLOAT_EQ(beyond.Y, 50);
    EXPECT_NEAR(c->PointAtSample(5).X, 20, 1e-4); // t = 0.2 on a straight, evenly spread segment
    EXPECT_NEAR(c->PointAtT(1, 0.5f).Y, 25, 1e-4);
    // Negative t: 1 - t on the following segment.
    EXPECT_NEAR(c->PointAtSampleT(3, -0.2f).Y, c->PointAtT(1, 1.2f).Y, 1e-4);
    EXPECT_FLOAT_EQ(SAMPLE_T[25], 1.0f);
    EXPECT_FLOAT_EQ(SAMPLE_T[1], 0.04f);
    // A path without a whole segment has no samples.
    TSLCurve tiny;
    tiny.AppendPoint(0, -1, 1, 1);
    tiny.Flatten();
    EXPECT_TRUE(tiny.PathX.empty());
    EXPECT_TRUE(WalkAll(tiny, 10).empty());
}

TEST(CurvePath, FlattenVisitEndsOnTheFinalAnchor) {
    auto c = Polyline({{0, 0}, {30, 0}, {30, 30}});
    std::vector<int32_t> idx;
    c->FlattenVisit(20, 30, [&](float, float, int32_t s) { idx.push_back(s); });
    ASSERT_EQ(idx.size(), 12u);
    EXPECT_EQ(idx.front(), 20);
    EXPECT_EQ(idx.back(), 50);
}

TEST(CurveWalk, Spacing) {
    struct Case {
        float length;
        double step;
        std::vector<float> xs;
    } cases[] = {
        {10, 4, {0, 4, 8, 10}},                // last stitch about 2 units
        {3, 4, {0, 3}},                        // shorter than the step: only the two anchors
        {200, 40, {0, 40, 80, 120, 160, 200}}, // 10 mm at 2 mm: six points, no sliver at the end
    };
    for (const auto& c : cases) {
        auto curve = Straight(c.length);
        auto xs = WalkXs(*curve, c.step);
        ASSERT_EQ(xs.size(), c.xs.size()) << c.length;
        for (size_t i = 0; i < xs.size(); ++i)
            EXPECT_NEAR(xs[i], c.xs[i], 0.11) << c.length << " #" << i;
    }
    auto v = WalkAll(*Straight(10), 4);
    EXPECT_TRUE(v.front().First);
    EXPECT_TRUE(v.back().Last);
    EXPECT_EQ(v.back().X, 10.f); // exactly on the final anchor
}

TEST(CurveWalk, ChordsAreStepApartOnCurvedPaths) {
    auto c = std::make_unique<TSLCurve>();
    for (auto [x, y] : {std::pair{0.f, 0.f}, {0.f, -200.f}, {300.f, -200.f}, {300.f, 0.f}})
        c->AppendPoint(0, -1, x, y);
    auto v = WalkAll(*c, 30);
    ASSERT_GT(v.size(), 10u);
    for (size_t i = 1; i + 1 < v.size(); ++i)
        EXPECT_NEAR(std::hypot(v[i].X - v[i - 1].X, v[i].Y - v[i - 1].Y), 30, 0.1) << i;
    double last = std::hypot(v.back().X - v[v.size() - 2].X, v.back().Y - v[v.size() - 2].Y);
    EXPECT_LE(last, 30.1);
}

TEST(CurveWalk, DegenerateStepsEnd) {
    // A step of 0, a negative one or NaN (from a file) is taken as one unit.
    for (double step : {0.0, -5.0, std::nan("")}) {
        auto xs = WalkXs(*Straight(10), step);
        EXPECT_EQ(xs.size(), 11u) << step;
    }
    // A path whose points coincide still ends.
    auto c = Polyline({{5, 5}, {5, 5}});
    auto xs = WalkXs(*c, 4);
    EXPECT_EQ(xs.size(), 2u);
}

TEST(CurveWalk, ForcedAnchors) {
    // The step would pass 3 units beyond the forced anchor at 13: the point lands on it.
    auto c = Polyline({{0, 0}, {13, 0}, {40, 0}});
    (*c)[3].Flags |= SP_FORCE;
    auto xs = WalkXs(*c, 8);
    ASSERT_EQ(xs.size(), 7u); // 0, 8, 13, 21, 29, 37, 40
    EXPECT_NEAR(xs[1], 8, 0.11);
    EXPECT_EQ(xs[2], 13.f);
    for (size_t i = 3; i + 1 < xs.size(); ++i)
        EXPECT_NEAR(xs[i] - xs[i - 1], 8, 0.1) << i;
    EXPECT_EQ(xs.back(), 40.f);
    // Without the flag the anchor is passed by.
    (*c)[3].Flags &= ~SP_FORCE;
    EXPECT_NEAR(WalkXs(*c, 8)[2], 16, 0.11);

    // A forced anchor at the start of a short segment that one step jumps over entirely.
    auto s = Polyline({{0, 0}, {10, 0}, {12, 0}, {30, 0}});
    (*s)[3].Flags |= SP_FORCE;
    auto sx = WalkXs(*s, 8);
    EXPECT_NE(std::find(sx.begin(), sx.end(), 10.f), sx.end());
    // A forced anchor in the last stretch, which the walk would otherwise end across.
    auto e = Polyline({{0, 0}, {10, 0}, {14, 0}});
    (*e)[3].Flags |= SP_FORCE;
    auto ex = WalkXs(*e, 20);
    EXPECT_EQ(ex, (std::vector<float>{0, 10, 14}));
}

TEST(CurveRays, PerpendicularsAndCorners) {
    auto c = Polyline({{0, 0}, {100, 0}, {100, 100}});
    TRays r = c->Perpendiculars(5, SAMPLE_T[5], 10);
    EXPECT_NEAR(r.A.Y2 - r.A.Y1, -10, 1e-3); // left of travel to the right: up
    EXPECT_NEAR(r.B.Y2 - r.B.Y1, 10, 1e-3);
    EXPECT_EQ(r.AngleOffset, 0.0);
    // At the corner the rays bisect it and half the turn is the angle offset.
    TRays k = c->Perpendiculars(25, 0.f, 10);
    EXPECT_NEAR(k.AngleOffset, Pi / 4, 1e-3);
    EXPECT_NEAR(k.A.X2 - k.A.X1, 5, 1e-2);
    EXPECT_NEAR(k.A.Y2 - k.A.Y1, -5, 1e-2);
    // The final sample uses the incoming tangent.
    TRays e = c->Perpendiculars(50, 0.f, 10);
    EXPECT_NEAR(e.A.X2 - e.A.X1, 10, 1e-2); // travelling down: left is +X
}

TEST(CurveProfile, HeightsInterpolateAndExtend) {
    auto list = TOutlineList::MakeDefault(3);
    (*list)[0]->HeightA = 10;
    (*list)[1]->HeightA = 30;
    // Straight profile: control heights on the line between the ends.
    (*list)[0]->CtrlHeight1A = 10 + 20.f / 3;
    (*list)[0]->CtrlHeight2A = 10 + 40.f / 3;
    (*list)[0]->CtrlPos1A = 100.f / 3;
    (*list)[0]->CtrlPos2A = 200.f / 3;
    list->BeginSection(0, 100);
    EXPECT_EQ(list->CurrentSection, 0);
    EXPECT_NEAR(list->ProfileHeightA(0), 10, 1e-3);
    EXPECT_NEAR(list->ProfileHeightA(50), 20, 1e-2);
    EXPECT_NEAR(list->ProfileHeightA(100), 30, 1e-3);
    EXPECT_NEAR(list->ProfileHeightA(110), 32, 1e-2); // linear extension, not 0
    EXPECT_NEAR(list->ProfileHeightA(25), 15, 1e-2);  // going back restarts the search
    EXPECT_NEAR(list->ProfileHeightB(110), 20, 1e-3);
    // A zero-length section gives the sample's height, never NaN.
    list->BeginSection(0, 0);
    float h = list->ProfileHeightA(0);
    EXPECT_FALSE(std::isnan(h));
    EXPECT_FALSE(std::isnan(list->ProfileHeightA(5)));
}

TEST(CurveProfile, InsertSectionShiftsLaterSections) {
    auto list = TOutlineList::MakeDefault(3);
    (*list)[1]->HeightA = 55;
    list->InsertSection(0);
    ASSERT_EQ(list->Count(), 4);
    EXPECT_EQ((*list)[1]->StartSample, 25);
    EXPECT_EQ((*list)[1]->HeightA, 20.f); // default heights
    EXPECT_EQ((*list)[2]->StartSample, 50);
    EXPECT_EQ((*list)[2]->HeightA, 55.f);
    EXPECT_EQ((*list)[3]->StartSample, 75);
}

TEST(CurveProfile, EdgesFollowThePath) {
    auto c = Straight(100, 2);
    c->Outlines = TOutlineList::MakeDefault(3);
    c->Flatten();
    c->ComputeEdges();
    const auto& e = c->Outlines->EdgeSamples;
    ASSERT_EQ(e.Size(), 51u);
    for (size_t s = 0; s < e.Size(); ++s) {
        EXPECT_NEAR(e.AY[s], -20, 1e-3) << s;
        EXPECT_NEAR(e.BY[s], 20, 1e-3) << s;
    }
    EXPECT_NEAR((*c->Outlines)[0]->SectionMeasure, 50, 1e-3);
}

TEST(CurveCommands, ReverseLineAndForce) {
    TStitchContext ctx;
    auto c = Polyline({{0, 0}, {50, 0}, {50, 50}});
    c->Outlines = TOutlineList::MakeDefault(3);
    (*c->Outlines)[0]->HeightA = 11;
    (*c->Outlines)[2]->HeightA = 33;
    c->ReverseStitching(ctx);
    EXPECT_EQ((*c)[0].Y, 50.f);
    EXPECT_EQ(c->Last()->X, 0.f);
    EXPECT_EQ((*c->Outlines)[0]->HeightA, 33.f);
    EXPECT_EQ((*c->Outlines)[0]->StartSample, 0);
    EXPECT_EQ((*c->Outlines)[2]->HeightA, 11.f);
    EXPECT_EQ((*c->Outlines)[2]->StartSample, 50);

    auto bent = std::make_unique<TSLCurve>();
    for (auto [x, y] : {std::pair{0.f, 0.f}, {0.f, -40.f}, {90.f, 40.f}, {90.f, 0.f}})
        bent->AppendPoint(0, -1, x, y);
    bent->ToggleLine(ctx);
    EXPECT_TRUE(bent->IsLineObject());
    EXPECT_FLOAT_EQ((*bent)[1].X, 30);
    EXPECT_FLOAT_EQ((*bent)[1].Y, 0);
    EXPECT_FLOAT_EQ((*bent)[2].X, 60);
    bent->ToggleLine(ctx);
    EXPECT_FALSE(bent->IsLineObject());

    EXPECT_TRUE(c->ToggleForce(3, ctx));
    EXPECT_TRUE((*c)[3].Flags & SP_FORCE);
    EXPECT_FALSE(c->ToggleForce(2, ctx)); // control points carry no force flag
    EXPECT_TRUE(c->ToggleForce(3, ctx));
    EXPECT_FALSE((*c)[3].Flags & SP_FORCE);
}

TEST(CurveCommands, CloneMirrorAndOffsetCarryTheParts) {
    auto c = Polyline({{0, 0}, {50, 0}, {50, 50}});
    c->Outlines = TOutlineList::MakeDefault(3);
    (*c->Outlines)[0]->HeightA = 11;
    (*c->Outlines)[0]->EndRotation = 0.5f;
    c->Outlines->OutlineFeather = std::make_unique<TFeather>();
    c->Jumps = std::make_unique<TJumpList>();
    c->Jumps->Add(std::make_unique<TJump>(nullptr, 25, 10, 50.f, 0.f, 3));
    auto copy = c->Clone();
    auto* cc = static_cast<TSLCurve*>(copy.get());
    ASSERT_TRUE(cc->Outlines && cc->Jumps && cc->Outlines->OutlineFeather);
    EXPECT_NE(cc->Outlines.get(), c->Outlines.get());
    EXPECT_EQ((*cc->Outlines)[0]->HeightA, 11.f);
    EXPECT_EQ(*(*cc->Jumps)[0], *(*c->Jumps)[0]);
    cc->Offset(10, 20);
    EXPECT_EQ((*cc->Jumps)[0]->X, 60.f);
    EXPECT_EQ((*cc)[0].Y, 20.f);
    EXPECT_EQ((*c)[0].Y, 0.f);
    cc->Mirror(true, 0, 0);
    EXPECT_EQ((*cc->Outlines)[0]->HeightB, 11.f);
    EXPECT_EQ((*cc->Outlines)[0]->EndRotation, -0.5f);
}

TEST(CurveCommands, VisibilityAndFlagsReachTheGeneratedList) {
    TStitchContext ctx;
    auto c = Straight(200);
    nl::test::MakeRunning(*c, 1, 40);
    c->UpdateBounds(ctx);
    ASSERT_TRUE(c->Generated);
    c->SetFlags(OF_SELECTED_EDIT);
    EXPECT_TRUE(c->Generated->Flags & OF_SELECTED_EDIT);
    c->ClearFlags(OF_SELECTED_EDIT);
    EXPECT_FALSE(c->Generated->Flags & OF_SELECTED_EDIT);
    EXPECT_TRUE(c->GetDrawExtent().ContainsRect(c->Generated->Bounds));
    // Switched off: no stitches, remembered; switched on again: regenerated.
    c->SetVisible(false, ctx);
    EXPECT_FALSE(c->Visible());
    EXPECT_FALSE(c->Generated);
    c->SetVisible(true, ctx);
    EXPECT_TRUE(c->Visible());
    EXPECT_TRUE(c->Generated);
    // A curve that was never visible stays off.
    auto hidden = Straight(200);
    hidden->SetVisible(true, ctx);
    EXPECT_FALSE(hidden->Visible());
}

TEST(CurveDrawing, PathHandlesEdgesAndStitches) {
    TStitchContext ctx;
    auto c = Straight(200, 2);
    nl::test::MakeRunning(*c, 1, 40);
    c->UpdateBounds(ctx);
    TRecordingCanvas canvas;
    TDrawContext dc;
    dc.Target = &canvas;
    c->DrawEdit(dc);
    size_t plain = canvas.CountKind('P');
    EXPECT_EQ(plain, 2u);                                                         // the path and the stitches
    EXPECT_EQ(canvas.CountKind('M'), static_cast<size_t>(c->Generated->Count())); // stitch points
    // Selected: anchors and control handles are drawn too; a width profile adds its two edges.
    canvas.Ops.clear();
    c->Flags |= OF_SELECTED_EDIT;
    c->Outlines = TOutlineList::MakeDefault(3);
    c->RefreshGeometry(ctx);
    c->DrawEdit(dc);
    EXPECT_EQ(canvas.CountKind('P'), plain + 2);
    EXPECT_EQ(canvas.CountKind('M'), static_cast<size_t>(c->Generated->Count() + c->Count()));
}
