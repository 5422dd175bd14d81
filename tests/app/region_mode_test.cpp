#include <cmath>
#include <string>

#include "../regions/TestShapes.h"
#include "Fixture.h"
#include "app/ContextMenu.h"
#include "app/RegionMode.h"
#include "regions/RegionBuilder.h"
#include "regions/SLRegion.h"
#include "ui/CurveCommands.h"

using namespace nl;
using nl::test::TShell;

namespace {
// Four straight lines crossing as a # : top and bottom from x 50 to 350, left and right from
// y 50 to 350; the square between the crossings is 200 x 200.
struct THash : TShell {
    TSLStitch* Top = nullptr;
    TSLStitch* Right = nullptr;
    TSLStitch* Bottom = nullptr;
    TSLStitch* Left = nullptr;

    TSLStitch* Line(int x1, int y1, int x2, int y2) {
        Nl.Execute(TCommand::CreateLine);
        for (int i = 0; i <= 3; ++i)
            Click(x1 + (x2 - x1) * i / 3, y1 + (y2 - y1) * i / 3);
        RightClick(x1, y1);
        return Nl.Sew[Nl.Sew.Count() - 1];
    }
    THash() {
        Top = Line(50, 100, 350, 100);
        Right = Line(300, 50, 300, 350);
        Bottom = Line(350, 300, 50, 300);
        Left = Line(100, 350, 100, 50);
        Nl.Sew.ClearSelection(OF_SELECTED_EDIT);
    }
    TRegionMode& Mode() { return Nl.RegionMode(); }
    const TRegionBuilder& Builder() { return Nl.RegionMode().Builder(); }

    // Top line clicked, anchored at its sample nearest x = 206, the right line clicked.
    void StartOnTop() {
        Nl.Execute(TCommand::ModeRegion);
        ASSERT_EQ(Nl.Mode(), TMode::FillRegion);
        EXPECT_EQ(Host.Prompt, PROMPT_CLICK_OUTLINE);
        Click(200, 100);
        EXPECT_EQ(Builder().CurrentOutline(), Top);
        EXPECT_EQ(Host.Prompt, PROMPT_ANCHOR);
        Click(206, 100);
        ASSERT_NE(Builder().Region(), nullptr);
        EXPECT_EQ(Host.Prompt, PROMPT_NEW_OUTLINE);
        Click(300, 200);
        EXPECT_FALSE(Builder().Candidates().empty());
    }
    // Clicks the outline at (ox, oy), then the candidate at (cx, cy).
    void Step(int ox, int oy, int cx, int cy) {
        Click(ox, oy);
        ASSERT_GE(Builder().CandidateAt(static_cast<float>(cx), static_cast<float>(cy), 3.f), 0)
            << "no candidate at " << cx << "," << cy;
        Click(cx, cy);
    }
    TSLRegion* BuildSquare() {
        StartOnTop();
        Click(300, 100); // top x right
        Step(200, 300, 300, 300);
        Step(100, 200, 100, 300);
        Host.Answers = {TButton::Yes};
        Step(150, 100, 100, 100); // back on the first outline: the offer to close
        if (Nl.Sew.Count() != 5 || Nl.Sew[4]->Kind() != KIND_REGION) return nullptr;
        return static_cast<TSLRegion*>(Nl.Sew[4]);
    }
};
} // namespace

TEST(RegionMode, BuildsAFilledRegionFromFourCrossingLines) {
    THash s;
    s.Top->SetFlags(OF_REGION_MARK_1 | OF_REGION_MARK_2);
    s.StartOnTop();
    EXPECT_FALSE(s.Top->Flags & (OF_REGION_MARK_1 | OF_REGION_MARK_2)) << "entering clears the region marks";

    // The offered candidates and the path so far are drawn.
    TRecordingCanvas canvas;
    s.Nl.Draw(canvas);
    EXPECT_GE(canvas.CountKind('M'), s.Builder().Candidates().size());

    s.Click(300, 100);
    s.Step(200, 300, 300, 300);
    s.Step(100, 200, 100, 300);
    s.Host.Answers = {TButton::Yes};
    s.Step(150, 100, 100, 100);
    ASSERT_FALSE(s.Host.Messages.empty());
    EXPECT_EQ(s.Host.Messages.back().Heading, "Region Can Now Be Closed");
    ASSERT_EQ(s.Nl.Sew.Count(), 5);
    ASSERT_EQ(s.Nl.Sew[4]->Kind(), KIND_REGION);
    auto* r = static_cast<TSLRegion*>(s.Nl.Sew[4]);
    EXPECT_EQ(r->Count(), 5);
    EXPECT_FALSE(r->UnderConstruction());
    EXPECT_EQ(r->StitchType(), ST_TATAMI);
    ASSERT_TRUE(r->FillStitches);
    EXPECT_GT(r->FillStitches->Count(), 100);
    // The fill stays inside the square of the crossings.
    for (int32_t i = 0; i < r->FillStitches->Count(); ++i) {
        const TSP& p = (*r->FillStitches)[i];
        EXPECT_TRUE(p.X >= 95 && p.X <= 305 && p.Y >= 95 && p.Y <= 305) << p.X << "," << p.Y;
    }
    EXPECT_EQ(s.Nl.Mode(), TMode::DesignEdit) << "a closed region ends the mode";
    EXPECT_TRUE(s.Nl.Sew.Modified);
}

TEST(RegionMode, EscapeOrLeavingDiscardsAnUnfinishedRegion) {
    enum class How { Escape, ModeButton, ExitButton, Popup };
    for (How how : {How::Escape, How::ModeButton, How::ExitButton, How::Popup}) {
        THash s;
        s.StartOnTop();
        s.Click(300, 100);
        ASSERT_EQ(s.Builder().Region()->Count(), 2);
        switch (how) {
        case How::Escape:
            s.Nl.KeyDown(TKey::Escape, {});
            EXPECT_EQ(s.Nl.Mode(), TMode::FillRegion);
            EXPECT_EQ(s.Host.Prompt, PROMPT_CLICK_OUTLINE);
            break;
        case How::ModeButton:
            s.Nl.Execute(TCommand::ModeLayout);
            break;
        case How::ExitButton:
            s.Mode().Press(TRegionButton::Exit);
            EXPECT_EQ(s.Nl.Mode(), TMode::DesignEdit);
            break;
        case How::Popup:
            s.Host.MenuAnswers = {CMD_EXIT_REGION_MODE};
            s.RightClick(300, 100); // on the dynamic node just placed
            ASSERT_EQ(s.Host.Menus.size(), 1u);
            EXPECT_EQ(s.Host.Menus[0].Items[0].Caption, POPUP_EXIT_REGION_MODE);
            EXPECT_EQ(s.Host.Menus[0].Items[1].Caption, POPUP_CONVERT_NODE);
            EXPECT_EQ(s.Host.Menus[0].Items.size(), 2u);
            EXPECT_EQ(s.Nl.Mode(), TMode::DesignEdit);
            break;
        }
        EXPECT_EQ(s.Builder().Region(), nullptr);
        EXPECT_TRUE(s.Builder().Candidates().empty());
        EXPECT_EQ(s.Nl.Sew.Count(), 4) << "nothing joined the worksheet";
    }
}

TEST(RegionMode, FixedNodePlacedInTwoLegsOrCancelled) {
    THash s;
    s.StartOnTop(); // the right line is the outline last clicked
    EXPECT_EQ(s.Mode().Caption(TRegionButton::MakeFixed), CAPTION_MAKE_FIXED);
    s.Mode().Press(TRegionButton::MakeFixed);
    EXPECT_EQ(s.Nl.Mode(), TMode::RegionNodeInsert);
    EXPECT_EQ(s.Mode().Caption(TRegionButton::MakeFixed), CAPTION_CANCEL_JUMP);
    for (TRegionButton b :
         {TRegionButton::Back, TRegionButton::Forward, TRegionButton::Delete, TRegionButton::Exit})
        EXPECT_FALSE(s.Mode().Enabled(b));

    // Cancelling removes the node being placed.
    s.Mode().Press(TRegionButton::MakeFixed);
    EXPECT_EQ(s.Nl.Mode(), TMode::FillRegion);
    EXPECT_EQ(s.Builder().Region()->Count(), 1);
    EXPECT_EQ(s.Mode().Caption(TRegionButton::MakeFixed), CAPTION_MAKE_FIXED);

    s.Mode().Press(TRegionButton::MakeFixed);
    ASSERT_EQ(s.Builder().Region()->Count(), 2);
    // Leg 1 on the top line: the pointer off the line only waits; a click there does nothing.
    s.Nl.MouseMove(200, 200, {});
    s.Click(200, 200);
    EXPECT_EQ(s.Builder().PlacementLeg(), TRegionBuilder::TFixedLeg::Leg1);
    s.Nl.MouseMove(290, 100, {});
    s.Click(290, 100);
    EXPECT_EQ(s.Builder().PlacementLeg(), TRegionBuilder::TFixedLeg::Leg2);
    // Leg 2 on the right line.
    s.Nl.MouseMove(300, 120, {});
    EXPECT_GT(s.Builder().Region()->Node(1).StartIndex, -1);
    s.Nl.MouseMove(250, 250, {});
    EXPECT_EQ(s.Builder().Region()->Node(1).StartIndex, -1) << "off the outline";
    s.Click(300, 120);
    EXPECT_EQ(s.Builder().PlacementLeg(), TRegionBuilder::TFixedLeg::None);
    EXPECT_EQ(s.Nl.Mode(), TMode::FillRegion) << "the placement returns to the creation mode";
    const TSLRegion& r = *s.Builder().Region();
    ASSERT_EQ(r.Count(), 2);
    EXPECT_EQ(TSLRegion::KindOf(r[1]), NK_FIXED);
    EXPECT_NEAR(r[1].X, 300, 1);
    EXPECT_NEAR(r[1].Y, 120, 3);
}

TEST(RegionMode, PathButtonsAndDynamicNodeConversion) {
    THash s;
    s.StartOnTop();
    s.Click(300, 100);
    s.Step(200, 300, 300, 300);
    ASSERT_EQ(s.Builder().Region()->Count(), 3);
    EXPECT_FALSE(s.Mode().Enabled(TRegionButton::Forward));
    s.Mode().Press(TRegionButton::Back);
    EXPECT_EQ(s.Builder().Region()->Count(), 2);
    EXPECT_TRUE(s.Mode().Enabled(TRegionButton::Forward));
    s.Mode().Press(TRegionButton::Start);
    EXPECT_EQ(s.Builder().Region()->Count(), 1);
    s.Mode().Press(TRegionButton::End);
    EXPECT_EQ(s.Builder().Region()->Count(), 3);

    // The popup converts the dynamic node under the pointer.
    s.Host.MenuAnswers = {CMD_CONVERT_TO_FIXED_NODE};
    s.RightClick(300, 300);
    EXPECT_EQ(TSLRegion::KindOf((*s.Builder().Region())[2]), NK_FIXED);
    EXPECT_EQ(s.Nl.Mode(), TMode::FillRegion);
}

TEST(RegionMode, MovingAnOutlineRefillsItsRegion) {
    THash s;
    TSLRegion* r = s.BuildSquare();
    ASSERT_NE(r, nullptr);
    const int32_t right = r->Bounds.Right;
    s.Nl.Execute(TCommand::ModeLayout);
    s.Click(300, 330); // the right line, below the region
    ASSERT_TRUE(s.Right->Flags & OF_SELECTED_LAYOUT);
    ASSERT_FALSE(r->Flags & OF_SELECTED_LAYOUT);
    s.Drag(300, 330, 340, 330);
    EXPECT_NEAR(r->Bounds.Right, right + 40, 3) << "the region follows its outline";
    ASSERT_TRUE(r->FillStitches);
    float maxX = 0;
    for (int32_t i = 0; i < r->FillStitches->Count(); ++i)
        maxX = std::max(maxX, (*r->FillStitches)[i].X);
    EXPECT_GT(maxX, 330.f) << "and is filled again";
}

TEST(RegionMode, ClickingAFinishedRegionEditsItsPath) {
    THash s;
    TSLRegion* r = s.BuildSquare();
    ASSERT_NE(r, nullptr);
    s.Nl.Execute(TCommand::ModeRegion);
    s.Click(200, 200);
    EXPECT_EQ(s.Builder().Region(), r);
    EXPECT_TRUE(s.Mode().Enabled(TRegionButton::Restore));
    s.Mode().Press(TRegionButton::Back);
    EXPECT_EQ(r->Count(), 4);
    s.Mode().Press(TRegionButton::Restore);
    EXPECT_EQ(r->Count(), 5);
    EXPECT_FALSE(r->UnderConstruction());
    s.Host.Answers = {TButton::Yes};
    s.Mode().Press(TRegionButton::Delete);
    EXPECT_EQ(s.Host.Messages.back().Heading, "Delete This Region ?");
    EXPECT_EQ(s.Nl.Sew.Count(), 4);
    EXPECT_EQ(s.Builder().Region(), nullptr);
}

TEST(RegionMode, WholeGroupToFixedNodes) {
    THash s;
    TSLRegion* r = s.BuildSquare();
    ASSERT_NE(r, nullptr);
    s.Nl.Execute(TCommand::ModeLayout);
    EXPECT_FALSE(s.Nl.IsEnabled(TCommand::FixedNodeRegions)) << "needs a selected group";
    s.Drag(20, 20, 380, 380); // everything
    s.Host.Answers = {TButton::Yes};
    s.Nl.Execute(TCommand::GroupSelection);
    ASSERT_GT(r->GroupId, 0);
    ASSERT_TRUE(s.Nl.IsEnabled(TCommand::FixedNodeRegions));
    s.Host.Answers = {TButton::No, TButton::Yes};
    s.Nl.Execute(TCommand::FixedNodeRegions);
    EXPECT_EQ(s.Host.Messages.back().Heading, "Convert Dynamic Nodes To Fixed Nodes");
    EXPECT_NE(TSLRegion::KindOf((*r)[1]), NK_FIXED) << "declined";
    s.Nl.Execute(TCommand::FixedNodeRegions);
    for (int32_t k = 1; k < r->Count(); ++k)
        EXPECT_EQ(TSLRegion::KindOf((*r)[k]), NK_FIXED) << k;
    ASSERT_TRUE(r->FillStitches);
    EXPECT_GT(r->FillStitches->Count(), 100) << "refilled";
}

TEST(RegionMode, RegionMovedWithAllItsOutlinesKeepsItsFill) {
    THash s;
    TSLRegion* r = s.BuildSquare();
    ASSERT_NE(r, nullptr);
    s.Nl.Execute(TCommand::ModeLayout);
    s.Drag(20, 20, 380, 380); // everything
    const TSP first = (*r->FillStitches)[0];
    const int32_t count = r->FillStitches->Count();
    s.Drag(300, 330, 330, 350);
    ASSERT_TRUE(r->FillStitches);
    EXPECT_EQ(r->FillStitches->Count(), count);
    EXPECT_FLOAT_EQ((*r->FillStitches)[0].X, first.X + 30);
    EXPECT_FLOAT_EQ((*r->FillStitches)[0].Y, first.Y + 20);
}

namespace {
// What a region covers: the area enclosed by its boundary walk, the walk's length (a walk doubling
// back along a straight outline encloses the same area but is longer), its bounds and its fill's
// extent.
struct TCoverage {
    double Area = 0;
    double Length = 0;
    TKvRect Bounds;
    TKvRect Fill;
};

TCoverage CoverageOf(const TSLRegion& r) {
    TCoverage c;
    auto pts = r.WalkPath();
    for (size_t i = 0; i < pts.size(); ++i) {
        const TWalkPoint& a = pts[i];
        const TWalkPoint& b = pts[(i + 1) % pts.size()];
        c.Area += (a.X * b.Y - b.X * a.Y) / 2;
        c.Length += std::hypot(b.X - a.X, b.Y - a.Y);
    }
    c.Area = std::fabs(c.Area);
    c.Bounds = r.Bounds;
    c.Fill = r.GetStitchBounds();
    return c;
}

void ExpectSameCoverage(const TCoverage& before, const TCoverage& after, const std::string& what) {
    EXPECT_NEAR(after.Area, before.Area, 1.0) << what;
    EXPECT_NEAR(after.Length, before.Length, 0.1) << what;
    EXPECT_NEAR(after.Bounds.Left, before.Bounds.Left, 1) << what;
    EXPECT_NEAR(after.Bounds.Top, before.Bounds.Top, 1) << what;
    EXPECT_NEAR(after.Bounds.Right, before.Bounds.Right, 1) << what;
    EXPECT_NEAR(after.Bounds.Bottom, before.Bounds.Bottom, 1) << what;
    EXPECT_NEAR(after.Fill.Left, before.Fill.Left, 2) << what;
    EXPECT_NEAR(after.Fill.Top, before.Fill.Top, 2) << what;
    EXPECT_NEAR(after.Fill.Right, before.Fill.Right, 2) << what;
    EXPECT_NEAR(after.Fill.Bottom, before.Fill.Bottom, 2) << what;
}
} // namespace

TEST(RegionMode, OutlineCommandsKeepTheRegionsBuiltOnTheOutline) {
    struct TCase {
        const char* Name;
        int X, Y; // a point of the outline outside the region
        bool Fixed;
        int32_t Command;
    };
    const TCase cases[] = {
        {"reverse the anchor's outline", 70, 100, false, CMD_REVERSE_STITCHING},
        {"reverse the second outline", 300, 70, false, CMD_REVERSE_STITCHING},
        {"reverse the closing outline", 100, 330, false, CMD_REVERSE_STITCHING},
        {"reverse the anchor's outline, fixed nodes", 70, 100, true, CMD_REVERSE_STITCHING},
        {"reverse the third outline, fixed nodes", 330, 300, true, CMD_REVERSE_STITCHING},
        {"transform the third outline", 330, 300, false, CMD_TRANSFORM_LINE},
        {"transform the second outline, fixed nodes", 300, 70, true, CMD_TRANSFORM_LINE},
    };
    for (const TCase& c : cases) {
        THash s;
        TSLRegion* r = s.BuildSquare();
        ASSERT_NE(r, nullptr) << c.Name;
        if (c.Fixed) ConvertAllNodesToFixed(*r, s.Nl.StitchContext());
        ASSERT_TRUE(r->FillStitches) << c.Name;
        const TCoverage before = CoverageOf(*r);
        EXPECT_NEAR(before.Area, 200.0 * 200.0, 50.0) << c.Name;

        s.RightClick(c.X, c.Y);
        ASSERT_NE(s.Nl.ContextObject(), nullptr) << c.Name;
        ASSERT_EQ(s.Nl.ContextObject()->Kind(), KIND_CURVE) << c.Name;
        s.Nl.RunContextCommand(c.Command);
        ASSERT_TRUE(r->FillStitches) << c.Name;
        ExpectSameCoverage(before, CoverageOf(*r), c.Name);

        // The nodes agree with the outline as it now runs: a later rebuild (any edit of an outline
        // it uses) finds the same boundary.
        r->RebuildFromOutlines(s.Nl.StitchContext());
        Restitch(*r, s.Nl.StitchContext());
        ExpectSameCoverage(before, CoverageOf(*r), std::string(c.Name) + ", rebuilt");
    }
}

// A complex hole whose path is edited in the region mode takes the fills it shapes along: the
// region around it is filled again as soon as the hole's path is closed again.
TEST(RegionMode, EditingAHolesPathRefillsTheRegionAroundIt) {
    THash s;
    TSLRegion* hole = s.BuildSquare(); // 100..300
    ASSERT_NE(hole, nullptr);
    const TStitchContext ctx = s.Nl.StitchContext();
    auto* outer = static_cast<TSLCurve*>(s.Nl.Sew.Add(nl::test::ClosedOutline(nl::test::Square(0, 0, 400))));
    outer->UpdateBounds(ctx);
    auto* fill = static_cast<TSLRegion*>(s.Nl.Sew.Add(nl::test::RegionOn(*outer, ctx)));
    fill->Flags |= OF_ALLOW_HOLES;
    Restitch(*fill, ctx);
    // The hole's bit set behind the editor's back: the fill still covers it.
    hole->Flags |= OF_COMPLEX_HOLE;
    s.Nl.Sew.SyncShapeLists();
    auto inside = [&] {
        int32_t n = 0;
        for (const TSP& p : *fill->FillStitches)
            n += p.X > 110 && p.X < 290 && p.Y > 110 && p.Y < 290;
        return n;
    };
    ASSERT_GT(inside(), 20);
    s.Nl.Sew.BringToTop(hole);
    s.Nl.Execute(TCommand::ModeRegion);
    s.Click(200, 200);
    ASSERT_EQ(s.Builder().Region(), hole);
    s.Mode().Press(TRegionButton::Back);
    s.Mode().Press(TRegionButton::Restore);
    ASSERT_FALSE(hole->UnderConstruction());
    EXPECT_EQ(inside(), 0) << "the fill now flows around the edited hole";
}
