// "Rotate Embroidery Object Mode": a left drag of the selection turns it about the centre of its
// bounds, the angle following the pointer; the turned objects regenerate on release and the
// regions built on turned outlines follow them.
#include <array>
#include <cmath>

#include "../regions/TestShapes.h"
#include "Fixture.h"
#include "core/Numeric.h"
#include "core/Point.h"
#include "regions/SLRegion.h"

using namespace nl;
using nl::test::TShell;

namespace {
// The pixel at `degrees` (bearing: clockwise from up) and `radius` from (cx, cy).
std::pair<int, int> At(double cx, double cy, double degrees, double radius) {
    const double a = degrees * DegToRad;
    return {static_cast<int>(std::lround(cx + radius * std::sin(a))),
            static_cast<int>(std::lround(cy - radius * std::cos(a)))};
}

// Moves the pointer round the centre from bearing `from` to bearing `to` (which may lie more than a
// turn away) in steps of at most 30 degrees.
void MovePointer(TShell& s, double cx, double cy, double radius, double from, double to) {
    const int steps = std::max(1, static_cast<int>(std::ceil(std::fabs(to - from) / 30)));
    for (int i = 1; i <= steps; ++i) {
        auto [x, y] = At(cx, cy, from + (to - from) * i / steps, radius);
        s.Nl.MouseMove(x, y, {});
    }
}

// Presses at bearing `from` and turns the pointer to bearing `to`, without releasing.
void TurnPointer(TShell& s, double cx, double cy, double radius, double from, double to) {
    auto [x0, y0] = At(cx, cy, from, radius);
    s.Nl.MouseDown(TMouseButton::Left, x0, y0, {});
    MovePointer(s, cx, cy, radius, from, to);
}

void Release(TShell& s) {
    s.Nl.MouseUp(TMouseButton::Left, 0, 0, {}); // where does not matter once dragging
}

// A selected running outline, a 400 x 200 rectangle around (500, 300), with a region filling it.
struct TRectangle : TShell {
    TSLCurve* Outline = nullptr;
    TSLRegion* Region = nullptr;
    TRectangle() {
        auto c = nl::test::ClosedOutline({{300, 200}, {700, 200}, {700, 400}, {300, 400}});
        c->Flags |= OF_VISIBLE | OF_RUNNING;
        c->SetStitchTypeBits(ST_RUNNING);
        Outline = static_cast<TSLCurve*>(Nl.Sew.Add(std::move(c)));
        Outline->UpdateBounds(Nl.StitchContext());
        Region = static_cast<TSLRegion*>(Nl.Sew.Insert(0, nl::test::RegionOn(*Outline)));
        Region->Rotation = 30;
        Region->RegenerateFill(Nl.StitchContext());
    }
};
} // namespace

TEST(RotateDrag, TheAngleFollowsThePointerClockwisePositiveAndStopsAtAWholeTurn) {
    // The pointer is pressed east of the centre, turned to `to`, then back to `back`.
    struct Case {
        double to, back, degrees;
    } cases[] = {
        {180, 180, 90},     // east to south: a quarter turn clockwise
        {0, 0, -90},        // east to north: counter-clockwise is negative
        {400, 380, 290},    // across north and back a little
        {450, 450, 360},    // a whole turn
        {800, 800, 360},    // more than a turn is not taken
        {-400, -400, -360}, // nor the other way
        {800, 740, 300},    // held at the whole turn, then the pointer comes back: the angle follows
    };
    for (const Case& c : cases) {
        TShell s;
        TSLStitch* o = s.Direct(200, 300, 21); // 200..400 along y = 300
        s.Nl.Toggles.RotateMode = true;
        const double cx = (o->Bounds.Left + o->Bounds.Right) / 2.0,
                     cy = (o->Bounds.Top + o->Bounds.Bottom) / 2.0;
        TurnPointer(s, cx, cy, 100, 90, c.to);
        MovePointer(s, cx, cy, 100, c.to, c.back);
        EXPECT_NEAR(s.Nl.RotateDragDegrees(), c.degrees, 1.0) << c.to << " then " << c.back;
        Release(s);
        EXPECT_EQ(s.Nl.RotateDragDegrees(), 0.0);
    }
}

TEST(RotateDrag, TurnsTheSelectionAboutTheCentreOfItsBounds) {
    for (TMode mode : {TMode::DesignEdit, TMode::ObjectLayout}) {
        TShell s;
        TSLStitch* o = s.Direct(200, 300, 21);
        TSLStitch* other = s.Direct(200, 500, 3);
        s.Nl.SetMode(mode);
        s.Nl.Sew.ClearSelection(OF_SELECTED_EDIT | OF_SELECTED_LAYOUT);
        o->SetFlags(mode == TMode::ObjectLayout ? OF_SELECTED_LAYOUT : OF_SELECTED_EDIT);
        s.Nl.Execute(TCommand::RotateMode);
        ASSERT_TRUE(s.Nl.IsChecked(TCommand::RotateMode));
        const TKvRect b = o->Bounds;
        const double cx = (b.Left + b.Right) / 2.0, cy = (b.Top + b.Bottom) / 2.0;
        std::vector<std::pair<float, float>> before;
        for (const TSP& p : *o)
            before.emplace_back(p.X, p.Y);
        const float otherX = (*other)[1].X;
        // Grab the object at its east end and pull it round to the south.
        TurnPointer(s, cx, cy, (*o)[20].X - cx, 90, 180);
        const double a = s.Nl.RotateDragDegrees() * DegToRad;
        EXPECT_NEAR(a, Pi / 2, 0.02);
        Release(s);
        for (int32_t i = 0; i < o->Count(); ++i) {
            auto [x, y] = before[static_cast<size_t>(i)];
            RotateAbout(x, y, cx, cy, a);
            EXPECT_NEAR((*o)[i].X, x, 1e-3) << i;
            EXPECT_NEAR((*o)[i].Y, y, 1e-3) << i;
        }
        // The row along y = 300 now runs down x = 300.
        EXPECT_NEAR((*o)[0].X, 300, 2);
        EXPECT_NEAR((*o)[0].Y, 200, 2);
        EXPECT_FLOAT_EQ((*other)[1].X, otherX) << "unselected objects stay";
        EXPECT_TRUE(s.Nl.Sew.Modified);
        // With the toggle off the same drag moves.
        s.Nl.Execute(TCommand::RotateMode);
        const float x0 = (*o)[0].X;
        s.Drag(300, 300, 350, 300);
        EXPECT_NEAR((*o)[0].X, x0 + 50, 1e-3);
    }
}

TEST(RotateDrag, OutlinesAndTheirRegionTurnTogetherAndRegenerateOnRelease) {
    TRectangle s;
    s.Nl.Execute(TCommand::ModeLayout);
    s.Outline->SetFlags(OF_SELECTED_LAYOUT); // the region is not selected: it follows its outline
    s.Nl.Execute(TCommand::RotateMode);
    ASSERT_TRUE(s.Outline->Generated && s.Region->FillStitches);
    // Grab the rectangle's east side and turn it a quarter clockwise.
    TurnPointer(s, 500, 300, 200, 90, 180);
    // Nothing is regenerated while the user turns.
    EXPECT_TRUE(s.Outline->Flags & OF_REBUILD_AFTER_TRANSFORM);
    EXPECT_FALSE(s.Outline->Visible());
    EXPECT_TRUE(!s.Outline->Generated || s.Outline->Generated->Empty());
    EXPECT_FALSE(s.Region->FillStitches);
    EXPECT_TRUE(s.Region->Flags & OF_REBUILD_AFTER_TRANSFORM);
    const double a = s.Nl.RotateDragDegrees();
    Release(s);
    EXPECT_NEAR(a, 90, 1);
    for (TSLStitch* o : {static_cast<TSLStitch*>(s.Outline), static_cast<TSLStitch*>(s.Region)}) {
        EXPECT_FALSE(o->Flags & OF_REBUILD_AFTER_TRANSFORM);
        EXPECT_TRUE(o->Visible());
    }
    // The rectangle now stands upright: 200 wide (x 400..600), 400 high (y 100..500).
    ASSERT_TRUE(s.Outline->Generated && !s.Outline->Generated->Empty());
    ASSERT_TRUE(s.Region->FillStitches && s.Region->FillStitches->Count() > 100);
    for (const TSLStitch* list : {static_cast<const TSLStitch*>(s.Outline->Generated.get()),
                                  static_cast<const TSLStitch*>(s.Region->FillStitches.get())}) {
        for (const TSP& p : *list) {
            EXPECT_TRUE(p.X > 395 && p.X < 605 && p.Y > 95 && p.Y < 505) << p.X << "," << p.Y;
        }
    }
    const TKvRect fill = s.Region->FillStitches->GetStitchBounds();
    EXPECT_GT(fill.Bottom - fill.Top, 350);
    EXPECT_LT(fill.Right - fill.Left, 250);
    // The fill direction turned with the region.
    EXPECT_NEAR(s.Region->Rotation, 30 + a, 1e-3);
}

namespace {
// Four straight lines crossing as a # around the square (100..300, 100..300), and the region
// built on them in the region mode.
struct THash : TShell {
    TSLStitch* Lines[4] = {};
    TSLRegion* Region = nullptr;
    TSLStitch* Line(int x1, int y1, int x2, int y2) {
        Nl.Execute(TCommand::CreateLine);
        Click(x1, y1);
        Click(x2, y2);
        RightClick(x1, y1);
        return Nl.Sew[Nl.Sew.Count() - 1];
    }
    THash() {
        Lines[0] = Line(50, 100, 350, 100);
        Lines[1] = Line(300, 50, 300, 350);
        Lines[2] = Line(350, 300, 50, 300);
        Lines[3] = Line(100, 350, 100, 50);
        Nl.Sew.ClearSelection(OF_SELECTED_EDIT);
        Nl.Execute(TCommand::ModeRegion);
        Click(200, 100); // the top line
        Click(206, 100); // anchored on it
        // Each next line, then its crossing with the one before; back on the top line the region
        // can close.
        const std::array<int, 4> steps[] = {
            {300, 200, 300, 100}, {200, 300, 300, 300}, {100, 200, 100, 300}, {150, 100, 100, 100}};
        for (const auto& [ox, oy, cx, cy] : steps) {
            Click(ox, oy);
            if (cx == 100 && cy == 100) Host.Answers = {TButton::Yes};
            Click(cx, cy);
        }
        if (Nl.Sew.Count() == 5 && Nl.Sew[4]->Kind() == KIND_REGION)
            Region = static_cast<TSLRegion*>(Nl.Sew[4]);
        Nl.Execute(TCommand::ModeEdit);
    }
};
} // namespace

TEST(RotateDrag, ARegionBuiltPartlyOnATurnedOutlineIsRebuiltOnIt) {
    THash s;
    ASSERT_NE(s.Region, nullptr);
    ASSERT_TRUE(s.Region->FillStitches);
    s.Nl.Sew.ClearSelection(OF_SELECTED_EDIT | OF_SELECTED_LAYOUT);
    s.Lines[1]->SetFlags(OF_SELECTED_EDIT); // the right line, x = 300, y 50..350
    s.Nl.Execute(TCommand::RotateMode);
    const TKvRect b = s.Lines[1]->Bounds;
    const double cx = (b.Left + b.Right) / 2.0, cy = (b.Top + b.Bottom) / 2.0;
    // Grab the line's lower end and swing it 10 degrees towards the east.
    TurnPointer(s, cx, cy, 130, 180, 170); // pressed at (300, 330): on the line, off the region
    EXPECT_FALSE(s.Region->FillStitches) << "the fill waits for the release";
    Release(s);
    ASSERT_TRUE(s.Region->FillStitches);
    EXPECT_TRUE(s.Region->Visible());
    EXPECT_FALSE(s.Region->Flags & OF_REBUILD_AFTER_TRANSFORM);
    EXPECT_FLOAT_EQ(s.Region->Rotation, 0.f) << "only its boundary followed; the region did not turn";
    // The right edge now runs from about (282, 100) to (318, 300): the fill reaches past x = 305
    // near the bottom and stays short of x = 290 near the top.
    bool pastBottom = false;
    for (const TSP& p : *s.Region->FillStitches) {
        if (p.Y > 280 && p.X > 305) pastBottom = true;
        EXPECT_FALSE(p.Y < 120 && p.X > 292) << p.X << "," << p.Y;
    }
    EXPECT_TRUE(pastBottom);
}

TEST(RotateDrag, ACurvedColumnTurnsWithBothRailsAndIsSewnAgain) {
    TShell s;
    s.Nl.Execute(TCommand::CreateColumn);
    for (int i = 0; i <= 3; ++i)
        s.Click(200 + 100 * i, 200);
    s.RightClick(5, 5);
    for (int i = 0; i <= 3; ++i)
        s.Click(200 + 100 * i, 280);
    s.RightClick(5, 5);
    auto* a = static_cast<TSLCurve*>(s.Nl.Sew[0]);
    TSLCurve* b = a->PartnerRail;
    ASSERT_TRUE(a->Generated && b && (b->Flags & OF_SELECTED_EDIT));
    s.Nl.Execute(TCommand::RotateMode);
    // Bounds (200..500, 200..280): centre (350, 240). Grab rail A between its handles (a press on
    // a handle of a selected curve drags the handle) and turn it half round.
    const double cx = (a->Bounds.Left + a->Bounds.Right) / 2.0, cy = (a->Bounds.Top + a->Bounds.Bottom) / 2.0;
    const double bearing = BearingFrom(cx, cy, 450, 200) / DegToRad;
    TurnPointer(s, cx, cy, std::hypot(450 - cx, 200 - cy), bearing, bearing + 180);
    EXPECT_FALSE(a->Generated) << "no stitches while turning";
    Release(s);
    // Rail A now runs along y = 280 from x 500 back to 200, rail B along y = 200.
    EXPECT_NEAR((*a)[0].X, 500, 1);
    EXPECT_NEAR((*a)[0].Y, 280, 1);
    ASSERT_EQ(b->Count(), 4);
    EXPECT_NEAR((*b)[3].X, 200, 1);
    EXPECT_NEAR((*b)[3].Y, 200, 1);
    ASSERT_TRUE(a->Generated && a->Generated->Count() > 50);
    for (const TSP& p : *a->Generated)
        EXPECT_TRUE(p.X > 195 && p.X < 505 && p.Y > 195 && p.Y < 285) << p.X << "," << p.Y;
}
