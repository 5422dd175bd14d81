// Complex holes and overlay outlines driven through the controller: the check boxes of the
// properties pages, dragging and deleting refill the regions they shape.
#include <gtest/gtest.h>

#include "../regions/TestShapes.h"
#include "Fixture.h"
#include "regions/Hole.h"
#include "ui/OutlinePage.h"
#include "ui/RegionPage.h"
#include "ui/TransformDialogs.h"

using namespace nl;
using namespace nl::test;

namespace {

struct THoleSheet : TShell {
    TSLCurve* OuterLine = nullptr;
    TSLCurve* HoleLine = nullptr;
    TSLRegion* Fill = nullptr;
    TSLRegion* Hole = nullptr;

    THoleSheet() {
        const TStitchContext ctx = Nl.StitchContext();
        OuterLine = static_cast<TSLCurve*>(Nl.Sew.Add(ClosedOutline(Square(100, 100, 400))));
        HoleLine = static_cast<TSLCurve*>(Nl.Sew.Add(ClosedOutline(Square(250, 250, 100))));
        for (TSLCurve* c : {OuterLine, HoleLine}) {
            c->Flags |= OF_VISIBLE | OF_RUNNING;
            c->SetStitchTypeBits(ST_RUNNING);
            c->UpdateBounds(ctx);
        }
        Fill = static_cast<TSLRegion*>(Nl.Sew.Add(RegionOn(*OuterLine, ctx)));
        Fill->Flags |= OF_ALLOW_HOLES;
        Hole = static_cast<TSLRegion*>(Nl.Sew.Add(RegionOn(*HoleLine, ctx)));
        Restitch(*Fill, ctx);
        Restitch(*Hole, ctx);
    }
    // Needle points of the big fill inside the square (inset by 3 units).
    int32_t FillPointsIn(float x0, float y0, float side) const {
        int32_t n = 0;
        for (const TSP& p : *Fill->FillStitches)
            n += p.X > x0 + 3 && p.X < x0 + side - 3 && p.Y > y0 + 3 && p.Y < y0 + side - 3;
        return n;
    }
};

} // namespace

TEST(ComplexHolesInTheEditor, CheckBoxMoveAndDeleteRefillTheRegion) {
    THoleSheet s;
    ASSERT_GT(s.FillPointsIn(250, 250, 100), 20);
    // "Use As Complex  Hole" on the small region: the big fill flows around it at once.
    TRegionPage page(*s.Hole, s.Nl.StitchContext());
    page.SetToggle(TRegionToggle::ComplexHole, true);
    EXPECT_EQ(s.FillPointsIn(250, 250, 100), 0);
    s.Nl.Sew.SyncShapeLists();
    ASSERT_EQ(s.Nl.Sew.Holes.size(), 1u);

    // Dragging the hole's outline moves the hole, and the fill follows it.
    s.Nl.Execute(TCommand::ModeLayout);
    s.Nl.Sew.BringToTop(s.HoleLine); // above the regions, so that the click takes it
    s.Click(300, 250);               // the top edge of the hole's outline
    ASSERT_TRUE(s.HoleLine->Flags & OF_SELECTED_LAYOUT);
    s.Drag(300, 250, 300, 150);
    EXPECT_GT(s.FillPointsIn(250, 260, 80), 20) << "where the hole was is filled again";
    EXPECT_EQ(s.FillPointsIn(250, 150, 100), 0) << "where it is now is empty";

    // Deleting the hole (its outline takes the region along) fills the region whole.
    s.Host.Answers.push_back(TButton::Yes);
    s.Nl.Execute(TCommand::Delete);
    EXPECT_LT(s.Nl.Sew.IndexOf(s.Hole), 0);
    EXPECT_GT(s.FillPointsIn(250, 150, 100), 20);
    // Undo brings the hole back, and the fill as it was around it.
    s.Nl.Undo();
    EXPECT_GE(s.Nl.Sew.IndexOf(s.Hole), 0);
    EXPECT_EQ(s.FillPointsIn(250, 150, 100), 0);
    // Undoing the move puts the hole back where it was, and the fill with it.
    s.Nl.Undo();
    EXPECT_EQ(s.FillPointsIn(250, 250, 100), 0);
    EXPECT_GT(s.FillPointsIn(250, 150, 80), 20);
    // Undoing the check box gives the whole fill back.
    s.Nl.Undo();
    EXPECT_FALSE(s.Hole->Flags & OF_COMPLEX_HOLE);
    EXPECT_GT(s.FillPointsIn(250, 250, 100), 20);

    // Unchecking the box refills as well.
    THoleSheet t;
    TRegionPage p2(*t.Hole, t.Nl.StitchContext());
    p2.SetToggle(TRegionToggle::ComplexHole, true);
    p2.SetToggle(TRegionToggle::ComplexHole, false);
    EXPECT_GT(t.FillPointsIn(250, 250, 100), 20);
}

TEST(ComplexHolesInTheEditor, OverlayCheckBoxPiercesTheFill) {
    THoleSheet s;
    auto line = Polyline({{300, 50}, {300, 550}});
    line->Flags |= OF_VISIBLE | OF_RUNNING;
    line->SetStitchTypeBits(ST_RUNNING);
    auto* overlay = static_cast<TSLCurve*>(s.Nl.Sew.Add(std::move(line)));
    overlay->UpdateBounds(s.Nl.StitchContext());
    auto onLine = [&s] {
        int32_t n = 0;
        for (const TSP& p : *s.Fill->FillStitches)
            n += std::fabs(p.X - 300) < 0.01f && (p.Flags & SP_FILL);
        return n;
    };
    const int32_t before = onLine();
    TOutlinePage page(*overlay, s.Nl.StitchContext());
    ASSERT_GE(TOutlinePage::ToggleIndex("Use As Region Overlay"), 0);
    page.SetToggle(static_cast<size_t>(TOutlinePage::ToggleIndex("Use As Region Overlay")), true);
    EXPECT_GT(onLine(), before + 20) << "a needle point where the outline crosses each row";
    page.SetToggle(static_cast<size_t>(TOutlinePage::ToggleIndex("Use As Region Overlay")), false);
    EXPECT_EQ(onLine(), before);
}

// Resizing, rotating or mirroring a hole (its outline with the region on it) refills the fill it
// shapes, where the hole was and where it is now; undo gives the fill back.
TEST(ComplexHolesInTheEditor, ResizingAHoleRefillsTheRegion) {
    THoleSheet s;
    TRegionPage page(*s.Hole, s.Nl.StitchContext());
    page.SetToggle(TRegionToggle::ComplexHole, true);
    ASSERT_EQ(s.FillPointsIn(250, 250, 100), 0);
    s.Nl.Execute(TCommand::ModeLayout);
    s.Nl.Sew.ClearSelection(OF_SELECTED_LAYOUT);
    s.HoleLine->SetFlags(OF_SELECTED_LAYOUT);
    s.Hole->SetFlags(OF_SELECTED_LAYOUT);
    s.Host.ResizeDialogScript = [&] {
        TResizeDialog* d = s.Nl.ResizeDialog();
        ASSERT_NE(d, nullptr);
        ASSERT_TRUE(d->Set(TResizeField::WidthPercent, 70)); // 3.5 mm: 70 % as wide and high
        d->Ok();
    };
    s.Nl.Execute(TCommand::Resize);
    EXPECT_GT(s.FillPointsIn(250, 250, 100), 10) << "what the hole no longer covers is filled";
    // The fill is what regenerating it now gives: it was refilled around the smaller hole.
    std::vector<std::pair<float, float>> after;
    for (const TSP& p : *s.Fill->FillStitches)
        after.emplace_back(p.X, p.Y);
    Restitch(*s.Fill, s.Nl.StitchContext());
    std::vector<std::pair<float, float>> fresh;
    for (const TSP& p : *s.Fill->FillStitches)
        fresh.emplace_back(p.X, p.Y);
    EXPECT_EQ(after, fresh);
    s.Nl.Undo();
    EXPECT_EQ(s.FillPointsIn(250, 250, 100), 0);
}

// Overlay outlines pierce the outlines they cross as they pierce fills: a needle point where the
// overlay crosses a stitch, gone with "Dont Allow Overlays", following the overlay when it moves.
TEST(ComplexHolesInTheEditor, OverlayOutlinesPierceTheOutlinesTheyCross) {
    TShell s;
    const TStitchContext ctx = s.Nl.StitchContext();
    auto add = [&](std::unique_ptr<TSLCurve> c) {
        c->Flags |= OF_VISIBLE | OF_RUNNING;
        c->SetStitchTypeBits(ST_RUNNING);
        auto* raw = static_cast<TSLCurve*>(s.Nl.Sew.Add(std::move(c)));
        raw->UpdateBounds(ctx);
        Restitch(*raw, ctx);
        return raw;
    };
    TSLCurve* line = add(Polyline({{0, 300}, {1000, 300}}));
    // Slightly slanted: it meets the line at x = 510, between two of its needle points.
    TSLCurve* overlay = add(Polyline({{500, 100}, {520, 500}}));
    // Where the line is pierced; it runs out and back (two passes), so each crossing comes twice.
    auto piercedAt = [&] {
        std::vector<float> xs;
        for (const TSP& p : *line->Stitches())
            if (p.Flags & SP_FILL) xs.push_back(p.X);
        return xs;
    };
    auto piercedOnlyAt = [&](float x) {
        const std::vector<float> xs = piercedAt();
        return xs.size() == 2 && std::fabs(xs[0] - x) < 0.01f && std::fabs(xs[1] - x) < 0.01f;
    };
    ASSERT_TRUE(piercedAt().empty());
    TOutlinePage page(*overlay, s.Nl.StitchContext());
    page.SetToggle(static_cast<size_t>(TOutlinePage::ToggleIndex("Use As Region Overlay")), true);
    EXPECT_TRUE(piercedOnlyAt(510)) << "the line is pierced once the outline is an overlay";

    // Dragging the overlay 100 units to the right takes the crossing along.
    s.Nl.Execute(TCommand::ModeLayout);
    s.Nl.Sew.BringToTop(overlay);
    s.Click(508, 260);
    ASSERT_TRUE(overlay->Flags & OF_SELECTED_LAYOUT);
    s.Drag(508, 260, 608, 260);
    EXPECT_TRUE(piercedOnlyAt(610));
    s.Nl.Undo();
    EXPECT_TRUE(piercedOnlyAt(510));

    // "Dont Allow Overlays" on the line.
    TOutlinePage linePage(*line, s.Nl.StitchContext());
    linePage.SetToggle(static_cast<size_t>(TOutlinePage::ToggleIndex("Dont Allow Overlays")), true);
    EXPECT_TRUE(piercedAt().empty());
}
