#include <gtest/gtest.h>

#include "Fixture.h"

using namespace nl;
using namespace nl::test;

namespace {

// Two direct stitch objects of 5 and 4 points bound into one design and selected in Object Layout.
struct TDesignShell : TShell {
    TSLStitch* A;
    TSLStitch* B;
    TDesignShell() {
        A = Direct(100, 100, 5);
        B = Direct(100, 300, 4);
        Nl.Execute(TCommand::ModeLayout);
        A->SetFlags(OF_SELECTED_LAYOUT);
        B->SetFlags(OF_SELECTED_LAYOUT);
        Host.Answers = {TButton::Yes};
        Nl.Execute(TCommand::GroupSelection);
        Host.Messages.clear();
    }
};

} // namespace

TEST(SimulationMode, RunsOnTheSelectedDesignWithEveryCommandWaitingUntilExit) {
    TDesignShell s;
    ASSERT_GT(s.A->GroupId, 0);
    ASSERT_TRUE(s.Nl.IsEnabled(TCommand::RunSimulation));
    s.Nl.Execute(TCommand::RunSimulation);
    EXPECT_EQ(s.Nl.Mode(), TMode::SewSimulation);
    EXPECT_EQ(s.Nl.PreviousMode(), TMode::ObjectLayout);
    EXPECT_TRUE(s.Host.SimulatorOpen);
    EXPECT_TRUE(s.Host.Messages.empty());
    EXPECT_EQ(s.Nl.Simulator().Count(), 9);
    EXPECT_EQ(s.Nl.Simulator().Status(), "1  Of  9");
    for (const TCommandInfo& c : CommandTable())
        EXPECT_FALSE(s.Nl.IsEnabled(c.Id)) << (c.Caption ? c.Caption : c.Hint);

    // The platform's timer sews; Exit stops it and returns to Object Layout.
    s.Nl.Simulator().Play();
    EXPECT_EQ(s.Host.TimerInterval, 40);
    s.Host.TimerTick();
    s.Host.TimerTick();
    EXPECT_EQ(s.Nl.Simulator().Cursor(), 3);
    const int changes = s.Host.SimulatorChanges;
    s.Host.TimerTick();
    EXPECT_GT(s.Host.SimulatorChanges, changes); // the window follows every tick
    s.Nl.ExitSimulation();
    EXPECT_EQ(s.Nl.Mode(), TMode::ObjectLayout);
    EXPECT_FALSE(s.Host.SimulatorOpen);
    EXPECT_EQ(s.Host.TimerInterval, 0);
    EXPECT_FALSE(s.Nl.Simulator().IsOpen());
    EXPECT_TRUE(s.Nl.IsEnabled(TCommand::RunSimulation));
    EXPECT_TRUE(s.Nl.IsEnabled(TCommand::GroupSelection));

    // The tool button works in Design And Editing too, on the layout selection's design.
    s.Nl.Execute(TCommand::ModeEdit);
    s.Nl.Execute(TCommand::SewHighlighted);
    EXPECT_EQ(s.Nl.Mode(), TMode::SewSimulation);
    s.Nl.ExitSimulation();
    EXPECT_EQ(s.Nl.Mode(), TMode::DesignEdit);
}

TEST(SimulationMode, WithoutAGroupedSelectionItIsRefused) {
    TShell s;
    TSLStitch* a = s.Direct(100, 100, 5);
    s.Nl.Execute(TCommand::ModeLayout);
    EXPECT_FALSE(s.Nl.IsEnabled(TCommand::RunSimulation)) << "nothing selected";
    a->SetFlags(OF_SELECTED_LAYOUT);
    EXPECT_FALSE(s.Nl.IsEnabled(TCommand::RunSimulation)) << "an ungrouped selection";
    // The tool button is offered by mode alone: pressing it says why nothing happens.
    ASSERT_TRUE(s.Nl.IsEnabled(TCommand::SewHighlighted));
    s.Nl.Execute(TCommand::SewHighlighted);
    EXPECT_EQ(s.Nl.Mode(), TMode::ObjectLayout);
    EXPECT_FALSE(s.Host.SimulatorOpen);
    ASSERT_EQ(s.Host.Messages.size(), 1u);
    EXPECT_EQ(s.Host.Messages[0].Heading, "Stitch Error");
    EXPECT_EQ(s.Host.Messages[0].Text, "This Embroidery Object Contains No Stitches. Mode Aborted !");
}

TEST(SimulationMode, TheViewSewsWhileTheWorksheetIsLeftAlone) {
    TDesignShell s;
    s.Nl.Execute(TCommand::RunSimulation);
    TRecordingCanvas canvas;
    s.Nl.Draw(canvas);
    ASSERT_FALSE(canvas.Ops.empty());
    EXPECT_EQ(canvas.Ops[0].Kind, 'C');
    EXPECT_EQ(canvas.Ops[0].Colour, s.Nl.Simulator().Settings.Background);
    // One step later only the new stitch is drawn.
    s.Nl.Simulator().StepForward();
    const size_t before = canvas.Ops.size();
    s.Nl.Draw(canvas);
    ASSERT_GT(canvas.Ops.size(), before);
    for (size_t i = before; i < canvas.Ops.size(); ++i)
        EXPECT_NE(canvas.Ops[i].Kind, 'C');
    // The needle goes over the picture, not into it.
    TRecordingCanvas overlay;
    s.Nl.DrawOverlay(overlay);
    EXPECT_EQ(overlay.CountKind('M'), 2u);

    // Clicks, drags and the right button pick nothing up.
    const float x0 = (*s.A)[0].X;
    const uint32_t flags = s.A->Flags;
    s.Click(100, 100);
    s.Drag(100, 100, 300, 300);
    s.RightClick(100, 100);
    s.Nl.DoubleClick(100, 100, {});
    EXPECT_EQ((*s.A)[0].X, x0);
    EXPECT_EQ(s.A->Flags, flags);
    EXPECT_TRUE(s.Host.Menus.empty());
    EXPECT_FALSE(s.Host.PropertiesOpen);
    EXPECT_EQ(s.Nl.Mode(), TMode::SewSimulation);
    // The view itself still zooms and pans.
    const int32_t zoom = s.Nl.View.Zoom;
    s.Nl.Wheel(400, 300, true, {});
    EXPECT_GT(s.Nl.View.Zoom, zoom);
    const int32_t sx = s.Nl.View.ScrollX;
    s.Drag(400, 300, 350, 300, {}, TMouseButton::Right);
    EXPECT_EQ(s.Nl.View.ScrollX, sx + 50);
}

TEST(SimulationMode, TheViewFollowsTheNeedle) {
    TDesignShell s;
    s.Nl.Execute(TCommand::RunSimulation);
    // Scrolled away from the design: the next step brings the needle to the middle of the view.
    s.Nl.View.ScrollX = 5000;
    s.Nl.Simulator().StepForward();
    const TPointF n = s.Nl.Simulator().Needle();
    EXPECT_NEAR(s.Nl.View.ScreenX(n.X), s.Nl.View.Width / 2, 2);
    s.Nl.Simulator().Settings.KeepInView = false;
    s.Nl.View.ScrollX = 5000;
    s.Nl.Simulator().StepForward();
    EXPECT_EQ(s.Nl.View.ScrollX, 5000);
}
