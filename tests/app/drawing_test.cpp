#include "Fixture.h"

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
