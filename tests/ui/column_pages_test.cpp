#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "../stitching/CurveHelpers.h"
#include "PageTest.h"
#include "core/Numeric.h"
#include "platform/RecordingCanvas.h"
#include "stitching/Feather.h"
#include "stitching/FillSplit.h"
#include "stitching/SLCurve.h"
#include "ui/CompensationView.h"
#include "ui/CurvedColumnPage.h"
#include "ui/EditOutlinePage.h"
#include "ui/FeatherPage.h"
#include "ui/FillPatternPage.h"
#include "worksheet/Sew.h"

using namespace nl;
using nl::test::Field;
using nl::test::Toggle;

namespace {

// A 10 mm by 4 mm curved column.
struct Column : nl::test::TColumnFixture {
    Column() : TColumnFixture({{0, 0}, {200, 0}}, {{0, 80}, {200, 80}}) { Restitch(A, Ctx); }
    int32_t Stitches() const { return A.Generated ? A.Generated->Count() : 0; }
};

// A 10 mm satin outline of two sections.
struct SatinOutline {
    TSLCurve C;
    TStitchContext Ctx;
    SatinOutline() {
        C.SetPolyline({{0, 0}, {100, 0}, {200, 0}});
        C.Flags = OF_VISIBLE;
        C.SetStitchTypeBits(ST_SATIN);
        C.Outlines = TOutlineList::MakeDefault(3);
        C.UpdateBounds(Ctx);
    }
};

} // namespace

TEST(CurvedColumnPage, FieldsStoreConvertedValuesAndRefuseOutOfRange) {
    struct Case {
        const char* caption;
        const char* unit;
        double min, max;
        double entry;
        std::function<double(const TSLCurve&)> stored;
        double expected;
    } cases[] = {
        {"Stitch Density", "per mm", 1.0, 7.0, 4.5, [](const TSLCurve& c) { return c.Density; }, 45},
        {"Running Stitch Density", "mm", 0.5, 8, 2.5, [](const TSLCurve& c) { return c.RunLength; }, 50},
        {"Compensation", "%", 0, 100, 12.5, [](const TSLCurve& c) { return c.Compensation; }, 12.5},
        {"Min St. Dist", "mm", 0.1, 11, 0.5, [](const TSLCurve& c) { return c.MinStitch(); }, 10},
        {"Max St. Dist", "mm", 4, 20, 15, [](const TSLCurve& c) { return c.MaxStitch(); }, 300},
    };
    ASSERT_EQ(TCurvedColumnPage::FieldList().size(), std::size(cases));
    for (auto& k : cases) {
        Column col;
        TCurvedColumnPage page(col.B, col.Ctx); // opened on rail B: edits rail A
        EXPECT_EQ(&page.Target(), &col.A);
        size_t f = Field(page, k.caption);
        EXPECT_EQ(page.Fields()[f].Unit, k.unit) << k.caption;
        EXPECT_EQ(page.Fields()[f].Min, k.min) << k.caption;
        EXPECT_EQ(page.Fields()[f].Max, k.max) << k.caption;
        double before = k.stored(col.A);
        for (double bad : {k.min - 0.01, k.max + 0.01, std::nan("")}) {
            EXPECT_EQ(page.Apply(f, bad), TApply::Refused) << k.caption << " " << bad;
            EXPECT_EQ(k.stored(col.A), before) << k.caption;
        }
        EXPECT_EQ(page.Apply(f, k.entry), TApply::Accepted) << k.caption;
        EXPECT_EQ(k.stored(col.A), k.expected) << k.caption;
        EXPECT_NEAR(page.Value(f), k.entry, 1e-6) << k.caption;
    }
}

TEST(CurvedColumnPage, ChangesRegenerateAtOnce) {
    Column col;
    TCurvedColumnPage page(col.A, col.Ctx);
    int32_t at5 = col.Stitches();
    ASSERT_EQ(page.Apply(Field(page, "Stitch Density"), 2.5), TApply::Accepted);
    EXPECT_LT(col.Stitches(), at5 * 6 / 10);
    ASSERT_EQ(page.SetToggle(Toggle(page, "Stitch From End"), true), TApply::Accepted);
    EXPECT_EQ((*col.A.Generated)[0].X, 200.f);
    ASSERT_EQ(page.SetToggle(Toggle(page, "Use Return Stitch"), true), TApply::Accepted);
    EXPECT_EQ((*col.A.Generated)[1].Y, 40.f) << "the run along the centre comes first";
    for (const char* t : {"A Side", "B Side"}) {
        EXPECT_TRUE(page.ToggleValue(Toggle(page, t))) << t;
        page.SetToggle(Toggle(page, t), false);
        EXPECT_FALSE(page.ToggleValue(Toggle(page, t))) << t;
    }
}

TEST(CurvedColumnPage, FeatherStitchingCreatesAndFreesTheRecord) {
    Column col;
    TCurvedColumnPage page(col.A, col.Ctx);
    size_t t = Toggle(page, "Feather Stitching");
    page.SetToggle(t, true);
    ASSERT_TRUE(col.B.Feather);
    EXPECT_TRUE(col.A.Flags & OF_FEATHER);
    EXPECT_EQ(col.B.Feather->WidthA, 20);
    EXPECT_FLOAT_EQ(col.B.Feather->ScaleA, 0.7f);
    page.SetToggle(t, false);
    EXPECT_FALSE(col.B.Feather);
    EXPECT_FALSE(col.A.Flags & OF_FEATHER);
}

TEST(FillPatternPage, PitchOffsetsAndMatch) {
    Column col;
    TFillPatternPage page(col.B, col.Ctx);
    EXPECT_EQ(&page.Target(), &col.A);
    size_t pitch = Field(page, "Pitch"), a = Field(page, "Offset A"), b = Field(page, "Offset B");
    EXPECT_EQ(page.Apply(pitch, 1.0), TApply::Refused);
    EXPECT_EQ(page.Apply(pitch, 11.5), TApply::Refused);
    EXPECT_EQ(page.Apply(pitch, 3.0), TApply::Accepted);
    EXPECT_EQ(col.A.FillPitch, 60.f);
    EXPECT_EQ(page.Apply(a, -5), TApply::Accepted);
    EXPECT_EQ(page.Apply(b, 25), TApply::Accepted);
    EXPECT_EQ(page.Apply(b, 100.5), TApply::Refused);
    EXPECT_EQ(col.A.FillOffsets, 20500u | (2500u << 16));
    EXPECT_EQ(page.Value(a), -5.0);

    auto fills = [&] {
        int n = 0;
        for (const TSP& p : *col.A.Generated)
            n += (p.Flags & SP_FILL) ? 1 : 0;
        return n;
    };
    EXPECT_EQ(fills(), 0);
    page.SetToggle(Toggle(page, "Use Fill Stitching"), true);
    EXPECT_GT(fills(), 20);
    page.SetToggle(Toggle(page, "Use Offset B "), true);
    EXPECT_TRUE(col.A.StitchFlags & SF_USE_OFFSET_B);

    struct Case {
        TFillMatch match;
        uint32_t bits;
    } cases[] = {
        {TFillMatch::Top, SF_MATCH_TOP}, {TFillMatch::Middle, SF_MATCH_MIDDLE}, {TFillMatch::Bottom, 0}};
    for (auto& k : cases) {
        page.SetMatch(k.match);
        EXPECT_EQ(col.A.StitchFlags & (SF_MATCH_TOP | SF_MATCH_MIDDLE), k.bits);
        EXPECT_EQ(page.Match(), k.match);
    }
    EXPECT_STREQ(TFillPatternPage::MatchCaptions[0], "Match To Top");
}

TEST(FeatherPage, EditsTheColumnsRecordAndReseeds) {
    Column col;
    TFeatherPage none(col.A, col.Ctx);
    EXPECT_FALSE(none.Applies(0));
    EXPECT_FALSE(none.NewRandomSeed());

    col.B.Feather = std::make_unique<TFeather>();
    col.B.Feather->Seed = 42;
    TFeatherPage page(col.A, col.Ctx);
    size_t atAbove = Field(page, "At", 0), atBelow = Field(page, "At", 1);
    size_t widthAbove = Field(page, "Feather Width", 0), widthBelow = Field(page, "Feather Width", 1);
    EXPECT_EQ(page.Apply(atAbove, 10.5), TApply::Refused);
    EXPECT_EQ(page.Apply(atAbove, -1.01), TApply::Refused);
    EXPECT_EQ(page.Apply(atAbove, 2.0), TApply::Accepted);
    EXPECT_EQ(page.Apply(atBelow, -0.5), TApply::Accepted);
    EXPECT_EQ(page.Apply(widthAbove, 51), TApply::Refused);
    EXPECT_EQ(page.Apply(widthAbove, 1.5), TApply::Accepted);
    EXPECT_EQ(page.Apply(widthBelow, 50.01), TApply::Accepted);
    const TFeather& f = *col.B.Feather;
    EXPECT_EQ(f.ScaleA, 2.f);
    EXPECT_EQ(f.ScaleB, -0.5f);
    EXPECT_EQ(f.WidthA, 30);
    EXPECT_EQ(f.WidthB, 1000);

    page.SetToggle(Toggle(page, "Feather Above"), true);
    page.SetToggle(Toggle(page, "Auto Column Mode", 1), true);
    EXPECT_EQ(f.FeatherFlags, FF_ABOVE | FF_AUTO_BELOW);

    std::vector<float> first;
    for (const TSP& p : *col.A.Generated)
        first.push_back(p.Y);
    ASSERT_TRUE(page.NewRandomSeed());
    EXPECT_NE(f.Seed, 42);
    std::vector<float> second;
    for (const TSP& p : *col.A.Generated)
        second.push_back(p.Y);
    EXPECT_NE(second, first);
    Restitch(col.A, col.Ctx);
    std::vector<float> again;
    for (const TSP& p : *col.A.Generated)
        again.push_back(p.Y);
    EXPECT_EQ(again, second);
}

TEST(FeatherPage, SatinOutlineRecord) {
    SatinOutline s;
    s.C.Outlines->OutlineFeather = std::make_unique<TFeather>();
    TFeatherPage page(s.C, s.Ctx);
    EXPECT_EQ(page.Apply(Field(page, "Feather Width", 1), 2), TApply::Accepted);
    EXPECT_EQ(s.C.Outlines->OutlineFeather->WidthB, 40);
}

TEST(EditOutlinePage, NumericEntry) {
    SatinOutline s;
    TEditOutlinePage page(s.C, s.Ctx);
    ASSERT_TRUE(page.Applies());
    EXPECT_EQ(page.SegmentCount(), 2);
    EXPECT_EQ(page.SetSegment(0), TApply::Refused);
    EXPECT_EQ(page.SetSegment(10001), TApply::Refused);
    EXPECT_EQ(page.SetSegment(9999), TApply::Accepted);
    EXPECT_EQ(page.Segment(), 2) << "beyond the last section selects the last";
    page.SetSegment(1);

    using H = TEnvelopeHandle;
    EXPECT_EQ(page.SetHeight(H::P1, 2.5), TApply::Accepted);
    EXPECT_EQ((*s.C.Outlines)[0]->HeightA, 50.f);
    EXPECT_EQ(page.SetHeight(H::P4, 0), TApply::Accepted);
    EXPECT_EQ((*s.C.Outlines)[1]->HeightA, 1.f) << "an end height of 0 becomes 1 unit";
    EXPECT_EQ(page.SetHeight(H::P8, 100.5), TApply::Refused);
    EXPECT_EQ(page.SetHeight(H::P6, -200), TApply::Accepted);
    EXPECT_EQ((*s.C.Outlines)[0]->CtrlHeight1B, -200.f);
    EXPECT_EQ(page.SetHeight(H::P7, 502), TApply::Refused);
    EXPECT_EQ((*s.C.Outlines)[0]->CtrlHeight2B, 20.f);
    EXPECT_EQ(page.SetPosition(H::P2, 10), TApply::Accepted);
    EXPECT_EQ((*s.C.Outlines)[0]->CtrlPos1A, 10.f);
    EXPECT_EQ(page.SetPosition(H::P1, 10), TApply::NotApplicable);
    EXPECT_EQ(page.SetPosition(H::P3, 101), TApply::Refused);

    // "Rotate" only at the outline's two ends.
    EXPECT_TRUE(page.CanRotate(H::P1));
    EXPECT_FALSE(page.CanRotate(H::P4));
    EXPECT_EQ(page.SetRotate(H::P1, 30), TApply::Accepted);
    EXPECT_NEAR((*s.C.Outlines)[0]->EndRotation, 30 * DegToRad, 1e-6);
    EXPECT_EQ(page.SetRotate(H::P1, 361), TApply::Refused);
    page.SetSegment(2);
    EXPECT_FALSE(page.CanRotate(H::P1));
    EXPECT_EQ(page.SetRotate(H::P4, -45), TApply::Accepted);
    EXPECT_NEAR((*s.C.Outlines)[2]->EndRotation, -45 * DegToRad, 1e-6);

    page.SetShowElements(true);
    EXPECT_TRUE(s.C.Outlines->ProfileFlags & PF_EDIT_HANDLES);
}

TEST(EditOutlinePage, MouseDragReshapesTheEnvelope) {
    SatinOutline s;
    TEditOutlinePage page(s.C, s.Ctx);
    using H = TEnvelopeHandle;
    // Default heights 20: P1 sits 20 units above the path start (A is left of travel).
    double x, y;
    ASSERT_TRUE(page.HandlePoint(H::P1, x, y));
    EXPECT_NEAR(x, 0, 1e-3);
    EXPECT_NEAR(y, -20, 1e-3);
    ASSERT_TRUE(page.HandlePoint(H::P8, x, y));
    EXPECT_NEAR(x, 100, 1e-3);
    EXPECT_NEAR(y, 20, 1e-3);

    // Press near P1, drag it to 30 units above the path.
    std::vector<float> before;
    for (const TSP& p : *s.C.Generated)
        before.push_back(p.Y);
    ASSERT_TRUE(page.BeginDrag(1, -21, 3));
    EXPECT_EQ(page.Dragging(), H::P1);
    ASSERT_TRUE(page.DragTo(0, -30));
    page.EndDrag();
    EXPECT_NEAR((*s.C.Outlines)[0]->HeightA, 30, 1e-3);
    std::vector<float> after;
    for (const TSP& p : *s.C.Generated)
        after.push_back(p.Y);
    EXPECT_NE(after, before) << "the stitches follow the new envelope";
    EXPECT_NEAR(s.C.Generated->First()->Y, -30, 0.5);

    // An inner handle takes both the height and the position under the mouse.
    ASSERT_TRUE(page.MoveHandle(H::P6, 48, 35));
    EXPECT_NEAR((*s.C.Outlines)[0]->CtrlHeight1B, 35, 1e-3);
    EXPECT_NEAR((*s.C.Outlines)[0]->CtrlPos1B, 48, 2.5);
    ASSERT_TRUE(page.HandlePoint(H::P6, x, y));
    EXPECT_NEAR(y, 35, 1e-3);

    // A drag past the path clamps an end height to 1 unit; an inner one may cross it.
    ASSERT_TRUE(page.MoveHandle(H::P5, 0, -50));
    EXPECT_EQ((*s.C.Outlines)[0]->HeightB, 1.f);

    // "Mouse Edit Above" off: the upper handles cannot be picked.
    page.MouseEditAbove = false;
    EXPECT_EQ(page.HitHandle(0, -30, 3), H::None);
    EXPECT_FALSE(page.BeginDrag(0, -30, 3));
}

TEST(CompensationView, WorksheetHidesCompensationExportKeepsIt) {
    TSew sew;
    auto a = std::make_unique<TSLCurve>();
    auto b = std::make_unique<TSLCurve>();
    a->SetPolyline({{0, 0}, {200, 0}});
    b->SetPolyline({{0, 80}, {200, 80}});
    a->Flags = OF_RAIL_A | OF_VISIBLE;
    b->Flags = OF_RAIL_B | OF_VISIBLE;
    a->PartnerRail = b.get();
    b->PartnerRail = a.get();
    a->Compensation = 10;
    TSLCurve* rail = static_cast<TSLCurve*>(sew.Add(std::move(a)));
    sew.Add(std::move(b));
    TStitchContext ctx;
    EXPECT_TRUE(ctx.View.ShowCompensation) << "shown until the user hides it";
    Restitch(*rail, ctx);
    EXPECT_NEAR((*rail->Generated)[2].Y, -8, 1e-3);
    EXPECT_STREQ(SHOW_COMPENSATION_CAPTION, "Show All Design Compensation ");
    SetShowCompensation(sew, ctx, false);
    EXPECT_NEAR((*rail->Generated)[2].Y, 0, 1e-3);
    TStitchContext exporting = ctx;
    exporting.ForExport = true;
    Restitch(*rail, exporting);
    EXPECT_NEAR((*rail->Generated)[2].Y, -8, 1e-3);
}

TEST(Drawing, ColumnRungsAndEnvelopeHandles) {
    Column col;
    TRecordingCanvas canvas;
    TDrawContext dc;
    dc.Target = &canvas;
    col.A.DrawEdit(dc);
    // One rung per pair of facing anchors, from rail A's anchor to rail B's.
    int rungs = 0;
    for (const auto& op : canvas.Ops)
        if (op.Kind == 'L' && op.Points[0].Y == 0.f && op.Points[1].Y == 80.f) ++rungs;
    EXPECT_EQ(rungs, 2);

    SatinOutline s;
    TEditOutlinePage page(s.C, s.Ctx);
    TRecordingCanvas envelope;
    dc.Target = &envelope;
    page.Draw(dc);
    EXPECT_EQ(envelope.CountKind('P'), 2u) << "both edges";
    EXPECT_EQ(envelope.CountKind('M'), 0u) << "handles only with \"Show Elements\"";
    page.SetShowElements(true);
    page.Draw(dc);
    std::vector<std::string> labels;
    for (const auto& op : envelope.Ops)
        if (op.Kind == 'T') labels.push_back(op.Text);
    EXPECT_EQ(labels, (std::vector<std::string>{"P1", "P2", "P3", "P4", "P5", "P6", "P7", "P8"}));
}
