#include <cmath>

#include "Fixture.h"
#include "Sheet.h"

using namespace nl;
using nl::test::TShell;

TEST(Drawing, MarkersFollowTheZoomAndTheToggles) {
    TShell s;
    TSLStitch* o = s.Direct(100, 100, 5);
    (*o)[2].Flags |= SP_BOUNDARY;
    struct Case {
        int32_t zoom;
        bool hideBoundary;
        size_t markers;
    } cases[] = {{614, false, 5}, {614, true, 4}, {80, false, 5}, {49, false, 0}};
    // Every point marked, as the user may ask; the thinning is tried below.
    s.Nl.Execute(TCommand::ShowAllStitchPoints);
    for (const Case& c : cases) {
        s.Nl.View.Zoom = c.zoom;
        s.Nl.View.ScrollX = s.Nl.View.ScrollY = 0;
        s.Nl.Toggles.HideBoundaryPoints = c.hideBoundary;
        TRecordingCanvas canvas;
        s.Nl.Draw(canvas);
        EXPECT_EQ(canvas.Ops.front().Kind, 'C');
        EXPECT_EQ(canvas.CountKind('M'), c.markers) << c.zoom << " " << c.hideBoundary;
        EXPECT_GE(canvas.CountKind('P'), 1u);
    }
}

TEST(Drawing, MarkersOnlyWhereTheThreadShowsBesideThem) {
    TShell s;
    TSLStitch* o = s.Direct(100, 100, 5); // points 10 units apart, the first a colour point
    struct Case {
        int32_t zoom;
        bool all;
        size_t markers;
    } cases[] = {
        {2000, false, 5}, // 33 pixels apart: every point
        {614, false, 1},  // 10 pixels apart, markers of 5: only the colour point
        {614, true, 5},   // "Show All Stitch Points"
    };
    for (const Case& c : cases) {
        s.Nl.View.Zoom = c.zoom;
        s.Nl.View.ScrollX = s.Nl.View.ScrollY = 0;
        s.Nl.Toggles.ShowAllStitchPoints = c.all;
        TRecordingCanvas canvas;
        s.Nl.Draw(canvas);
        EXPECT_EQ(canvas.CountKind('M'), c.all ? 5u : c.markers) << c.zoom << " " << c.all;
    }
    // Points beyond the view's edge get no marker: a view 400 pixels wide shows the first three.
    s.Nl.Toggles.ShowAllStitchPoints = false;
    s.Nl.Resize(400, 600);
    s.Nl.View.Zoom = 2000;
    s.Nl.View.ScrollX = s.Nl.View.ScrollY = 0;
    TRecordingCanvas narrow;
    s.Nl.Draw(narrow);
    EXPECT_EQ(narrow.CountKind('M'), 3u);
    // Selected points are always marked: the user works with them.
    s.Nl.View.Zoom = 614;
    (*o)[3].Flags |= SP_SELECTED;
    TRecordingCanvas canvas;
    s.Nl.Draw(canvas);
    EXPECT_EQ(canvas.CountKind('M'), 2u);
}

TEST(Drawing, ObjectsOutsideTheViewAreSkippedAndTheRubberBandIsDrawn) {
    TShell s;
    s.Direct(100, 100, 3);
    s.Direct(3000, 3000, 3);
    TRecordingCanvas canvas;
    s.Nl.Draw(canvas);
    EXPECT_EQ(canvas.CountKind('P'), 1u);
    size_t rects = canvas.CountKind('R');
    s.Nl.MouseDown(TMouseButton::Left, 500, 400, {});
    s.Nl.MouseMove(600, 500, {});
    TRecordingCanvas during;
    s.Nl.Draw(during);
    EXPECT_EQ(during.CountKind('R'), rects + 1);
    s.Nl.MouseUp(TMouseButton::Left, 600, 500, {});
}

TEST(Drawing, LayoutModeFramesTheSelection) {
    TShell s;
    TSLStitch* o = s.Direct(100, 100, 3);
    s.Nl.Execute(TCommand::ModeLayout);
    TRecordingCanvas before;
    s.Nl.Draw(before);
    o->SetFlags(OF_SELECTED_LAYOUT);
    TRecordingCanvas after;
    s.Nl.Draw(after);
    EXPECT_EQ(after.CountKind('R'), before.CountKind('R') + 1);
}

namespace {
// The stitches drawn over in the highlight colour (one line each), and the polylines laid as the
// highlight band.
struct THighlights {
    std::vector<TRecordingCanvas::Op> LongStitches;
    size_t Bands = 0;
};
THighlights HighlightsOf(const TNL& nl) {
    TRecordingCanvas canvas;
    nl.Draw(canvas);
    THighlights h;
    for (const auto& op : canvas.Ops) {
        if (op.Kind == 'L' && op.Colour == HIGHLIGHT_COLOUR) h.LongStitches.push_back(op);
        if (op.Kind == 'P' && op.Colour == HIGHLIGHT_BAND_COLOUR) ++h.Bands;
    }
    return h;
}

// A curved column drawn with the mouse between rails at y = 100 and y = 100 + width.
TSLCurve* ColumnOfWidth(TShell& s, int width) {
    s.Nl.Execute(TCommand::CreateColumn);
    for (int i = 0; i <= 3; ++i)
        s.Click(100 + 100 * i, 100);
    s.RightClick(5, 5);
    for (int i = 0; i <= 3; ++i)
        s.Click(100 + 100 * i, 100 + width);
    s.RightClick(5, 5);
    return static_cast<TSLCurve*>(s.Nl.Sew[s.Nl.Sew.Count() - 2]);
}
} // namespace

TEST(Drawing, LongSatinStitchesAreHighlightedBeyondTheLimit) {
    // Stitches straight across a column are as long as the column is wide; the limit is 10 mm
    // (200 units) and a stitch must exceed it in X or Y.
    struct Case {
        int width;
        bool toggle;
        TMode mode;
        bool highlighted;
    } cases[] = {
        {200, true, TMode::DesignEdit, false},
        {201, true, TMode::DesignEdit, true},
        {300, false, TMode::DesignEdit, false},
        {300, true, TMode::ObjectLayout, false},
    };
    for (const Case& c : cases) {
        TShell s;
        TSLCurve* a = ColumnOfWidth(s, c.width);
        ASSERT_TRUE(a->Generated && a->Generated->Count() > 50);
        s.Nl.Toggles.HighlightLongSatin = c.toggle;
        s.Nl.SetMode(c.mode);
        THighlights h = HighlightsOf(s.Nl);
        EXPECT_EQ(!h.LongStitches.empty(), c.highlighted) << c.width << " " << c.toggle;
        for (const auto& op : h.LongStitches) {
            const float dx = std::fabs(op.Points[1].X - op.Points[0].X),
                        dy = std::fabs(op.Points[1].Y - op.Points[0].Y);
            EXPECT_TRUE(dx > 200 || dy > 200) << dx << " x " << dy;
        }
    }
}

TEST(Drawing, OnlySatinWorkIsCheckedForLongStitches) {
    TShell s;
    s.Nl.Toggles.HighlightLongSatin = true;
    // The user's own needle points and a running outline with long stitches are not satin work.
    TSLStitch* d = s.Direct(100, 100, 2);
    (*d)[1].X = 600;
    d->UpdateBounds(s.Nl.StitchContext());
    auto run = nl::test::Polyline({{100, 300}, {700, 300}});
    run->Flags |= OF_VISIBLE | OF_RUNNING;
    run->SetStitchTypeBits(ST_RUNNING);
    run->RunLength = 160;
    run->SetStitchLimits(4, 400);
    s.Nl.Sew.Add(std::move(run))->UpdateBounds(s.Nl.StitchContext());
    EXPECT_TRUE(HighlightsOf(s.Nl).LongStitches.empty());
    // A satin outline 24 mm wide is.
    auto satin = nl::test::Polyline({{100, 500}, {700, 500}});
    satin->Flags |= OF_VISIBLE;
    satin->SetStitchTypeBits(ST_SATIN);
    satin->Outlines = TOutlineList::MakeDefault(satin->AnchorCount());
    for (int32_t i = 0; i < satin->Outlines->Count(); ++i) {
        TOutline& o = *(*satin->Outlines)[i];
        o.HeightA = o.HeightB = o.CtrlHeight1A = o.CtrlHeight2A = o.CtrlHeight1B = o.CtrlHeight2B = 240;
    }
    s.Nl.Sew.Add(std::move(satin))->UpdateBounds(s.Nl.StitchContext());
    EXPECT_FALSE(HighlightsOf(s.Nl).LongStitches.empty());
}

TEST(Drawing, OutlinesAndRegionsInTheHighlightLookInLayoutMode) {
    nl::test::TSheet s;
    const size_t curves = 6; // running, two rails, satin outline, the region's square
    s.Nl.SetMode(TMode::ObjectLayout);
    EXPECT_EQ(HighlightsOf(s.Nl).Bands, curves - 1 + 1) << "every outline and the region";
    s.Nl.Execute(TCommand::HighlightOutlines);
    EXPECT_EQ(HighlightsOf(s.Nl).Bands, 1u) << "the region alone";
    s.Nl.Execute(TCommand::HighlightRegions);
    EXPECT_EQ(HighlightsOf(s.Nl).Bands, 0u);
    s.Nl.Execute(TCommand::HighlightOutlines);
    EXPECT_EQ(HighlightsOf(s.Nl).Bands, curves - 1);
    // The view options never touch the objects' own flags.
    for (int32_t i = 0; i < s.Nl.Sew.Count(); ++i)
        EXPECT_EQ(s.Nl.Sew[i]->Flags & OF_HIGHLIGHT, s.Nl.Sew[i] == s.Region ? OF_HIGHLIGHT : 0u);
}

TEST(Drawing, SelectingAnOutlineHighlightsTheRegionsBuiltOnIt) {
    nl::test::TSheet s;
    s.Nl.SetMode(TMode::DesignEdit);
    s.Nl.Sew.ClearSelection(OF_SELECTED_EDIT | OF_REGION_MARK_1);
    EXPECT_EQ(HighlightsOf(s.Nl).Bands, 0u);
    s.Click(1100, 297); // the region's outline, just outside its top side
    ASSERT_TRUE(s.Square->Flags & OF_SELECTED_EDIT);
    EXPECT_TRUE(s.Region->Flags & OF_REGION_MARK_1);
    EXPECT_EQ(HighlightsOf(s.Nl).Bands, 1u);
    s.Nl.Execute(TCommand::ShowRegionPaths);
    EXPECT_EQ(HighlightsOf(s.Nl).Bands, 0u) << "switched off";
    s.Nl.Execute(TCommand::ShowRegionPaths);
    s.Click(1500, 900); // empty worksheet
    EXPECT_EQ(HighlightsOf(s.Nl).Bands, 0u);
}

TEST(Drawing, HiddenRegionFillStitchesShowAsMarkersOnly) {
    nl::test::TSheet s;
    s.Nl.SetMode(TMode::DesignEdit);
    s.Nl.Sew.ClearSelection(OF_SELECTED_LAYOUT); // a selected region draws its boundary in its colour
    auto fillLines = [&] {
        TRecordingCanvas canvas;
        s.Nl.Draw(canvas);
        size_t lines = 0, markers = 0;
        for (const auto& op : canvas.Ops) {
            if (op.Points.empty() || op.Points[0].X < 890 || op.Points[0].Y < 290) continue; // not the region
            if (op.Kind == 'P' && op.Colour == s.Region->FillColor) ++lines;
            if (op.Kind == 'M') ++markers;
        }
        return std::make_pair(lines, markers);
    };
    auto [linesShown, markersShown] = fillLines();
    EXPECT_GT(linesShown, 0u);
    s.Nl.Execute(TCommand::HideRegionStitches);
    auto [linesHidden, markersHidden] = fillLines();
    EXPECT_EQ(linesHidden, 0u);
    // Over the thread, markers stand apart; with the fill hidden they are all there is: every one.
    EXPECT_GT(markersHidden, markersShown);
    EXPECT_GE(markersHidden, static_cast<size_t>(s.Region->FillStitches->Count()) / 2);
}
