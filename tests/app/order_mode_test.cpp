#include <gtest/gtest.h>

#include "../stitching/CurveHelpers.h"
#include "Fixture.h"
#include "Sheet.h"
#include "app/JumpMode.h"
#include "app/OrderMode.h"
#include "regions/JumpNodes.h"
#include "regions/SLRegion.h"

using namespace nl;
using namespace nl::test;

namespace {

// Three direct stitch objects A, B, C in one group, in that order.
struct TThree {
    TSew Sew;
    TScriptedHost Host;
    TOrderMode Order{Sew, Host};
    TSLStitch *A, *B, *C;
    TThree() {
        auto add = [&](float x, int32_t colour) {
            auto o = std::make_unique<TSLStitch>();
            o->Flags = OF_DIRECT | OF_NEEDLE_POINTS | OF_VISIBLE;
            o->SetStitchTypeBits(ST_RUNNING);
            o->GroupId = 1;
            o->Append(TSP::Colour(0, x, 0, colour));
            o->Append(TSP::Plain(0, x + 40, 0));
            return Sew.Add(std::move(o));
        };
        A = add(0, 0x0000FF);
        B = add(100, 0x00FF00);
        C = add(200, 0xFF0000);
        Sew.Groups.Add(1);
        Order.Start(1, 0, TOrderPage::Edit);
    }
};

} // namespace

TEST(OrderMode, ClickingLaysTheElementsDownInSewingOrder) {
    TThree t;
    ASSERT_EQ(t.Order.Elements(), (std::vector<TSLStitch*>{t.A, t.B, t.C}));
    EXPECT_TRUE(t.Order.ClickElement(t.C));
    EXPECT_TRUE(t.Order.ClickElement(t.A)); // already at the cursor: stays, the cursor moves on
    EXPECT_EQ(t.Order.Cursor(), 2);
    EXPECT_TRUE(t.Order.ClickElement(t.B));
    EXPECT_EQ(t.Order.Elements(), (std::vector<TSLStitch*>{t.C, t.A, t.B}));
    EXPECT_EQ(t.C->OrderIndex, 0);
    EXPECT_EQ(t.A->OrderIndex, 1);
    EXPECT_EQ(t.B->OrderIndex, 2);
    // The cursor is at the end: a click moves the element last and keeps the cursor there.
    EXPECT_EQ(t.Order.Cursor(), 3);
    EXPECT_TRUE(t.Order.ClickElement(t.C));
    EXPECT_EQ(t.Order.Elements(), (std::vector<TSLStitch*>{t.A, t.B, t.C}));
    EXPECT_EQ(t.Order.Cursor(), 3);
    EXPECT_EQ(t.Order.CursorText(), "Stitch 4 Of    3");
    TSLStitch stranger;
    EXPECT_FALSE(t.Order.ClickElement(&stranger));
    EXPECT_FALSE(t.Order.ClickElement(nullptr));
    // The editor's moves.
    t.Order.SendToTop(2);
    EXPECT_EQ(t.Order.Elements().front(), t.C);
    t.Order.SendToBottom(0);
    EXPECT_EQ(t.Order.Elements().back(), t.C);
    t.Order.Move(0, 1, true);
    EXPECT_EQ(t.Order.Elements(), (std::vector<TSLStitch*>{t.B, t.A, t.C}));
    EXPECT_EQ(t.Order.Cursor(), 1);
    t.Order.End();
    EXPECT_EQ(t.Sew.BuildStitchOrder(1), (std::vector<TSLStitch*>{t.B, t.A, t.C}));
}

TEST(OrderMode, SteppingStaysWithinTheList) {
    TThree t;
    EXPECT_FALSE(t.Order.CanGoBack());
    t.Order.Back();
    EXPECT_EQ(t.Order.Cursor(), 0);
    t.Order.ToEnd();
    EXPECT_EQ(t.Order.Cursor(), 3);
    EXPECT_FALSE(t.Order.CanGoForward());
    EXPECT_EQ(t.Order.Current(), nullptr);
    EXPECT_FALSE(t.Order.Density().Enabled);
    EXPECT_EQ(t.Order.Kind(), TElementKind::None);
    t.Order.Forward();
    EXPECT_EQ(t.Order.Cursor(), 3);
    t.Order.Back();
    EXPECT_EQ(t.Order.Current(), t.C);
    EXPECT_FALSE(t.Order.CanTrim()); // the last element
    t.Order.ToStart();
    EXPECT_EQ(t.Order.Cursor(), 0);
}

TEST(OrderMode, TrimGoesHalfwayToTheNextElementAndComesOffAgain) {
    TThree t;
    ASSERT_TRUE(t.Order.CanTrim());
    EXPECT_EQ(t.Order.TrimCaption(), "Insert Trim");
    t.Order.ToggleTrim();
    ASSERT_TRUE(t.A->JumpVia);
    EXPECT_FLOAT_EQ(t.A->JumpVia->X, 70.f); // A ends at 40, B starts at 100
    EXPECT_EQ(t.Order.TrimCaption(), "Delete Trim");
    t.Order.ToggleTrim();
    EXPECT_FALSE(t.A->JumpVia);
}

TEST(OrderMode, PalletColourChangesAskAndNoPutsTheColoursBack) {
    TThree t;
    t.Host.Answers = {TButton::No};
    EXPECT_FALSE(t.Order.SetColour(0x123456));
    EXPECT_EQ(t.A->GetColor(), 0x0000FF);
    EXPECT_EQ(t.Host.Messages.back().Text, "Change Element Color ?");
    t.Order.ClickTile(1, false);
    t.Order.ClickTile(2, true);
    t.Order.ClickTile(1, true); // the current tile does not toggle
    EXPECT_TRUE(t.Order.TileSelected(1) && t.Order.TileSelected(2));
    t.Host.Answers = {TButton::Yes};
    EXPECT_TRUE(t.Order.SetColour(0x123456));
    EXPECT_EQ(t.Host.Messages.back().Heading, "Color Changes");
    EXPECT_EQ(t.Host.Messages.back().Text,
              "Change All Selected Elements Within The Edit Pane Pallet Window To This Color ?");
    EXPECT_EQ(t.B->GetColor(), 0x123456);
    EXPECT_EQ(t.C->GetColor(), 0x123456);
    EXPECT_EQ(t.A->GetColor(), 0x0000FF);
}

TEST(OrderMode, ConnectorsRunFromEachEndToTheNextStartInTheirColours) {
    TThree t;
    t.Order.SetCursor(1);
    auto k = t.Order.Connectors();
    ASSERT_EQ(k.size(), 2u);
    EXPECT_EQ(k[0].Colour, CONNECTOR_IN);
    EXPECT_EQ(k[1].Colour, CONNECTOR_OUT);
    EXPECT_FLOAT_EQ(k[0].X1, 40.f);
    EXPECT_FLOAT_EQ(k[0].X2, 100.f);
    t.Order.SetCursor(3);
    k = t.Order.Connectors();
    EXPECT_EQ(k[0].Colour, CONNECTOR_OTHER);
    EXPECT_EQ(k[1].Colour, CONNECTOR_OTHER);
    EXPECT_TRUE(t.Order.Connectors(true).empty());
}

// The sheet's outlines take part in the order once they have a stitching type set.
struct TOrderSheet : TSheet {
    TOrderSheet() {
        Running->OrderIndex = ORDER_UNPLACED;
        Satin->OrderIndex = ORDER_UNPLACED;
    }
};

TEST(OrderMode, EditPageUsesEachKindsFieldsAndRefusesValuesOutOfRange) {
    TOrderSheet s;
    s.Nl.Execute(TCommand::ModeLayout);
    ASSERT_TRUE(s.Nl.IsEnabled(TCommand::ChangeOrder));
    s.Nl.Execute(TCommand::ChangeOrder);
    ASSERT_EQ(s.Nl.Mode(), TMode::ChangeOrder);
    EXPECT_TRUE(s.Host.OrderPanelOpen);
    EXPECT_EQ(s.Host.Prompt, " Click On Each Stitch Element In The Order That You Want To Sew It.");
    TOrderMode& o = s.Nl.OrderMode();
    o.SetCursor(o.IndexOf(s.Region));
    ASSERT_EQ(o.Kind(), TElementKind::Region);
    EXPECT_DOUBLE_EQ(o.Density().Value, s.Region->Density / 10.0);
    EXPECT_FALSE(o.SetDensity(7.01));
    EXPECT_TRUE(o.SetDensity(7.0005)); // within rounding of the range
    EXPECT_EQ(s.Region->Density, 70);
    EXPECT_TRUE(o.SetUnder(2.5));
    EXPECT_EQ(s.Region->RunLength, 50);
    EXPECT_FALSE(o.SetUnder(0.4));
    EXPECT_TRUE(o.SetRotation(30));
    EXPECT_EQ(s.Region->Rotation, 30.f);
    EXPECT_FALSE(o.CanShortStitch());
    o.SetCursor(o.IndexOf(s.Running));
    ASSERT_EQ(o.Kind(), TElementKind::Outline);
    EXPECT_FALSE(o.Rotation().Enabled);
    EXPECT_TRUE(o.SetUnder(1.5));
    EXPECT_EQ(s.Running->RunLength, 30);
    EXPECT_FALSE(o.CanClearJump());
    ASSERT_TRUE(o.CanReverse());
    o.ToggleReverse();
    EXPECT_TRUE(s.Running->Flags & OF_STITCH_FROM_END);
    EXPECT_FALSE(o.CanReturn()); // no width profile
    o.SetCursor(o.IndexOf(s.Direct));
    EXPECT_EQ(o.Kind(), TElementKind::Direct);
    EXPECT_FALSE(o.Density().Enabled);
    EXPECT_FALSE(o.SetDensity(3));
    // Leaving puts the mode and the display toggles back.
    s.Nl.Toggles.HideRegionStitches = true;
    s.Nl.EndOrderMode();
    EXPECT_EQ(s.Nl.Mode(), TMode::ObjectLayout);
    EXPECT_FALSE(s.Host.OrderPanelOpen);
    EXPECT_FALSE(s.Nl.Toggles.HideRegionStitches);
}

TEST(OrderMode, ClearJumpOnlyForAnEmptyListAndNeverLeavesAPartnerDangling) {
    TOrderSheet s;
    s.Nl.Execute(TCommand::ModeLayout);
    s.Nl.Execute(TCommand::ChangeOrder);
    TOrderMode& o = s.Nl.OrderMode();
    o.SetCursor(o.IndexOf(s.Running));
    s.Running->Jumps = std::make_unique<TJumpList>();
    EXPECT_TRUE(o.CanClearJump());
    EXPECT_FALSE(o.CanReverse());
    o.ClearJump();
    EXPECT_FALSE(s.Running->Jumps);
    EXPECT_EQ(s.Running->EntryIndex, -1);
    // With links present the button is off; used anyway, both ends go.
    LinkOutlines(*s.Running, *s.Satin, 0, 25);
    EXPECT_FALSE(o.CanClearJump());
    o.ClearJump();
    EXPECT_FALSE(s.Running->Jumps);
    EXPECT_FALSE(s.Satin->Jumps);
}

TEST(OrderMode, SetJumpsClicksSetEntryThenExitOnTheRegionPath) {
    TSheet s;
    TOrderMode& o = s.SetJumpsOnRegion();
    ASSERT_EQ(s.Nl.Mode(), TMode::SetJumps);
    EXPECT_EQ(s.Host.Prompt, " Left Click on A Node To Set Jump Start Position !");
    // The square runs from (900, 300) with sides of 400: click on its top side and its right side.
    const int32_t beforeExit = s.Region->ExitNode;
    const float beforeExitPercent = s.Region->ExitPercent;
    s.Click(1000, 300);
    EXPECT_NEAR(s.Region->EntryX, 1000, 2);
    EXPECT_NEAR(s.Region->EntryY, 300, 2);
    EXPECT_EQ(s.Region->ExitNode, beforeExit);
    EXPECT_EQ(s.Region->ExitPercent, beforeExitPercent);
    s.Click(1300, 500);
    EXPECT_NEAR(s.Region->ExitX, 1300, 2);
    EXPECT_NEAR(s.Region->ExitY, 500, 2);
    // Only entries from now on.
    o.SetChoice(TJumpChoice::EntryOnly);
    s.Click(1300, 600);
    EXPECT_NEAR(s.Region->EntryY, 600, 2);
    EXPECT_NEAR(s.Region->ExitY, 500, 2);
    s.Nl.ShowOrderPage(TOrderPage::Edit);
    EXPECT_EQ(s.Nl.Mode(), TMode::ChangeOrder);
}

TEST(OrderMode, TheSimulatorAndExportSewTheOrderOnScreen) {
    TSheet s;
    s.Nl.Execute(TCommand::ModeLayout);
    s.Nl.Execute(TCommand::ChangeOrder);
    TOrderMode& o = s.Nl.OrderMode();
    o.SendToTop(o.IndexOf(s.Direct));
    ASSERT_TRUE(s.Nl.IsEnabled(TCommand::ExportButton));
    s.Nl.SimulateOrder();
    ASSERT_EQ(s.Nl.Mode(), TMode::SewSimulation);
    const TSimulationList& list = s.Nl.Simulator().List();
    ASSERT_GT(list.Count(), 0);
    EXPECT_EQ(list[0].X, (*s.Direct)[0].X);
    EXPECT_EQ(list[0].Y, (*s.Direct)[0].Y);
    s.Nl.ExitSimulation();
    EXPECT_EQ(s.Nl.Mode(), TMode::ChangeOrder);
    EXPECT_TRUE(s.Host.OrderPanelOpen);
    EXPECT_EQ(o.Elements().front(), s.Direct);
}

TEST(JumpMode, LinkingByClicksWithItsRefusals) {
    TShell s;
    TSLStitch* a = s.Outline(100, 100, 2);
    TSLStitch* b = s.Outline(100, 300, 2);
    TSLStitch* c = s.Outline(100, 500, 2);
    ASSERT_TRUE(a && b && c);
    for (TSLStitch* o : {a, b, c})
        MakeRunning(*static_cast<TSLCurve*>(o), 1, 20);
    ASSERT_TRUE(s.Nl.IsEnabled(TCommand::ModeConnect));
    s.Nl.Execute(TCommand::ModeConnect);
    ASSERT_EQ(s.Nl.Mode(), TMode::OutlineJump);
    auto node = [](TSLStitch* o, int i) { return std::pair<int, int>((*o)[i].X, (*o)[i].Y); };
    auto click = [&](std::pair<int, int> p) { s.Click(p.first, p.second); };
    auto link = [&](TSLStitch* from, int i, TSLStitch* to, int k) {
        click(node(from, 0));
        click(node(from, i));
        click(node(to, k));
    };
    EXPECT_EQ(s.Host.Prompt, " Left Click On The Outline That You Would Like To Jump From !");
    click(node(a, 0));
    EXPECT_EQ(s.Host.Prompt, "Click On A Blue Node To Start The Jump !");
    click(node(a, 3));
    EXPECT_EQ(s.Host.Prompt, " Left Click On The New Outline That You Would Like To Jump To !");
    click(node(a, 6));
    EXPECT_EQ(
        s.Host.Prompt,
        " Can't Link To The Same Outline. Left Click On A New Outline That You Would Like To Jump To !");
    EXPECT_EQ(s.Host.Beeps, 1);
    click(node(b, 6));
    auto* ca = static_cast<TSLCurve*>(a);
    auto* cb = static_cast<TSLCurve*>(b);
    ASSERT_TRUE(ca->Jumps && cb->Jumps);
    EXPECT_EQ((*ca->Jumps)[0]->OwnIndex, 25);
    EXPECT_EQ((*ca->Jumps)[0]->PartnerIndex, 50);
    EXPECT_EQ(cb->Color, ca->Color);
    EXPECT_EQ(s.Host.Prompt, " Left Click On The Outline That You Would Like To Jump From !");
    link(a, 0, c, 0);
    // B to C would close a cycle through A.
    link(b, 0, c, 3);
    EXPECT_EQ(s.Host.Prompt,
              " Circular Path Detected ! Left Click On A Valid Node That You Would Like To Jump To !");
    // Clicking nothing restarts.
    s.Click(790, 590);
    EXPECT_EQ(s.Host.Prompt, " Invalid Node ! Restarting Jump Sequence. Left Click On The Outline That You "
                             "Would Like To Jump From !");
    // The same two nodes again remove the link.
    link(a, 3, b, 6);
    ASSERT_TRUE(ca->Jumps);
    EXPECT_EQ(ca->Jumps->Count(), 1);
    EXPECT_FALSE(cb->Jumps);
    // The chain of A and C stitches as one object.
    EXPECT_EQ(ca->JumpChain().size(), 2u);
    EXPECT_TRUE(ca->Generated && ca->Generated->Count() > 0);
}

TEST(OrderUndo, OrderColourTrimAndLinksAreUndoSteps) {
    TOrderSheet s;
    s.Nl.Execute(TCommand::ModeLayout);
    s.Nl.Execute(TCommand::ChangeOrder);
    TOrderMode& o = s.Nl.OrderMode();
    const std::vector<TSLStitch*> before = o.Elements();
    o.SendToTop(o.Count() - 1);
    ASSERT_NE(o.Elements(), before);
    ASSERT_TRUE(s.Nl.Undo());
    EXPECT_EQ(o.Elements(), before);
    ASSERT_TRUE(s.Nl.Redo());
    EXPECT_EQ(o.Elements().front(), before.back());
    o.SetCursor(0);
    o.ToggleTrim();
    ASSERT_TRUE(o.Current()->JumpVia);
    ASSERT_TRUE(s.Nl.Undo());
    EXPECT_FALSE(o.Current()->JumpVia);
    s.Nl.EndOrderMode();

    // A link made by clicks, undone and redone: both ends come and go together.
    LinkOutlines(*s.Running, *s.Satin, 0, 25);
    PropagateChain(*s.Running);
    RegenerateChain(*s.Running, s.Nl.StitchContext());
    {
        TUndoStep step(s.Nl.Sew, "Unlink", {s.Running, s.Satin});
        UnlinkOutlines(*s.Running, 0, *s.Satin);
    }
    EXPECT_FALSE(s.Running->Jumps);
    ASSERT_TRUE(s.Nl.Undo());
    ASSERT_TRUE(s.Running->Jumps && s.Satin->Jumps);
    EXPECT_EQ((*s.Running->Jumps)[0]->Reverse, (*s.Satin->Jumps)[0]);
    EXPECT_EQ((*s.Satin->Jumps)[0]->Reverse, (*s.Running->Jumps)[0]);
    EXPECT_EQ((*s.Running->Jumps)[0]->LinkedOutline, s.Satin);
    // The chain is sewn through the records now in place.
    const TSLStitch& g = *s.Running->Generated;
    auto target = s.Running->JumpLinks()->LinkAt(g[(*s.Running->Jumps)[0]->PointIndex]);
    ASSERT_TRUE(target && target->EntryPoint);
    EXPECT_EQ(target->Outline, s.Satin);
    ASSERT_TRUE(s.Nl.Redo());
    EXPECT_FALSE(s.Running->Jumps);
    EXPECT_FALSE(s.Satin->Jumps);
}
