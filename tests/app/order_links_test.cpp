// Linked outlines through the clipboard and the export, the dragged entry and exit diamonds of a
// region, and the stitch order mode's context items.
#include <gtest/gtest.h>

#include <algorithm>

#include "Sheet.h"
#include "app/ContextMenu.h"
#include "app/JumpMode.h"
#include "app/OrderMode.h"
#include "formats/Clipboard.h"
#include "formats/Export.h"
#include "formats/ExportWalk.h"
#include "formats/Worksheet.h"
#include "regions/JumpNodes.h"
#include "regions/SLRegion.h"

using namespace nl;
using nl::test::FindItem;
using nl::test::TSheet;

namespace {

// The running outline and the satin outline of the sheet linked into one chain.
struct TLinkedSheet : TSheet {
    TLinkedSheet() {
        // Stitched and placed in the group's order, as outlines made in the program are.
        Running->OrderIndex = Satin->OrderIndex = 0;
        LinkOutlines(*Running, *Satin, 25, 25);
        PropagateChain(*Running);
        RegenerateChain(*Running, Nl.StitchContext());
    }
};

// Every link of every outline has its other end, and that end names it back.
void ExpectPaired(TSew& sew) {
    for (int32_t i = 0; i < sew.Count(); ++i) {
        if (sew[i]->Kind() != KIND_CURVE) continue;
        auto* c = static_cast<TSLCurve*>(sew[i]);
        if (!c->Jumps) continue;
        for (const auto& j : *c->Jumps) {
            ASSERT_TRUE(j->LinkedOutline && j->Reverse) << "a link without its other end on object " << i;
            EXPECT_EQ(j->Reverse->Reverse, j.get());
            EXPECT_EQ(j->Reverse->LinkedOutline, c);
            EXPECT_GE(sew.IndexOf(j->LinkedOutline), 0);
        }
    }
}

// The needle positions of an outline's generated stitches.
std::vector<std::pair<float, float>> Points(const TSLCurve& c) {
    std::vector<std::pair<float, float>> v;
    if (c.Generated)
        for (const TSP& p : *c.Generated)
            v.emplace_back(p.X, p.Y);
    return v;
}

} // namespace

TEST(LinkedPaste, DuplicatedChainLinksItsOwnCopiesAndUndoesToTheSavedBytes) {
    TLinkedSheet s;
    s.Nl.SetMode(TMode::ObjectLayout);
    s.Nl.Sew.ClearSelection(OF_SELECTED_LAYOUT);
    s.Running->SetFlags(OF_SELECTED_LAYOUT); // the chain comes along
    const auto bytes = WorksheetBytes(s.Nl.Sew, "t");
    const int32_t n = s.Nl.Sew.Count();
    s.Nl.Execute(TCommand::Duplicate);
    ASSERT_EQ(s.Nl.Sew.Count(), n + 2);
    auto* a = static_cast<TSLCurve*>(s.Nl.Sew[n]);
    auto* b = static_cast<TSLCurve*>(s.Nl.Sew[n + 1]);
    ASSERT_TRUE(a->Jumps && b->Jumps);
    ASSERT_EQ(a->Jumps->Count(), 1);
    EXPECT_EQ((*a->Jumps)[0]->LinkedOutline, b);
    EXPECT_EQ((*b->Jumps)[0]->LinkedOutline, a);
    // The originals still only know each other.
    ASSERT_EQ(s.Running->Jumps->Count(), 1);
    EXPECT_EQ((*s.Running->Jumps)[0]->LinkedOutline, s.Satin);
    ExpectPaired(s.Nl.Sew);
    // The copies stitch as one object of their own.
    EXPECT_EQ(a->JumpChain().size(), 2u);
    ASSERT_TRUE(a->Generated && a->Generated->Count() > 0);
    auto target = a->JumpLinks()->LinkAt((*a->Generated)[(*a->Jumps)[0]->PointIndex]);
    ASSERT_TRUE(target);
    EXPECT_EQ(target->Outline, b);
    // Saved and read again, the links name the right partners.
    const auto saved = WorksheetBytes(s.Nl.Sew, "t");
    TSew again;
    ReadWorksheetBytes(saved, again, "t", s.Nl.StitchContext());
    ExpectPaired(again);
    EXPECT_EQ((*static_cast<TSLCurve*>(again[n])->Jumps)[0]->LinkedOutline, again[n + 1]);
    s.Nl.Execute(TCommand::Undo);
    EXPECT_EQ(WorksheetBytes(s.Nl.Sew, "t"), bytes);
}

TEST(LinkedPaste, ALinkWhoseOtherEndWasNotCopiedGoesOnBothSidesOfTheCopy) {
    TLinkedSheet s;
    // A record of the running outline alone (its partner is not in it).
    s.Nl.Sew.RenumberIds();
    s.Host.Clipboard = ClipboardBytes({s.Running}, 0, 0);
    const int32_t n = s.Nl.Sew.Count();
    ASSERT_TRUE(s.Nl.PasteAt(3000, 3000));
    ASSERT_EQ(s.Nl.Sew.Count(), n + 1);
    auto* copy = static_cast<TSLCurve*>(s.Nl.Sew[n]);
    EXPECT_FALSE(copy->Jumps);
    EXPECT_EQ(copy->EntryIndex, -1);
    EXPECT_TRUE(copy->Generated && copy->Generated->Count() > 0);
    // The partner kept its one link, to the original.
    ASSERT_TRUE(s.Satin->Jumps);
    ASSERT_EQ(s.Satin->Jumps->Count(), 1);
    EXPECT_EQ((*s.Satin->Jumps)[0]->LinkedOutline, s.Running);
    ExpectPaired(s.Nl.Sew);
    // A partner place that happens to name another copied object is not taken for the partner.
    s.Nl.Sew.RenumberIds();
    s.Host.Clipboard = ClipboardBytes({s.Running, s.RailA, s.RailA->Partner()}, 0, 0);
    ASSERT_TRUE(s.Nl.PasteAt(3000, 3000));
    ExpectPaired(s.Nl.Sew);
    EXPECT_FALSE(static_cast<TSLCurve*>(s.Nl.Sew[s.Nl.Sew.Count() - 3])->Jumps);
}

TEST(LinkedExport, EveryMemberOfAChainIsGeneratedForTheOutput) {
    TLinkedSheet s;
    const TStitchContext editing = s.Nl.StitchContext();
    const auto onScreen = Points(*s.Satin);
    ASSERT_FALSE(onScreen.empty());
    std::vector<TSLStitch*> order = s.Nl.Sew.BuildStitchOrder(s.Running->GroupId);
    // The chain is one element, listed by its first outline.
    ASSERT_EQ(std::count(order.begin(), order.end(), s.Running), 1);
    ASSERT_EQ(std::count(order.begin(), order.end(), s.Satin), 0);
    // The member's stitches are stale (a change not yet regenerated): the output must not use them.
    s.Satin->Generated->Clear();
    {
        TOutputGuard guard(order, editing);
        const auto guarded = Points(*s.Satin);
        // What the output must hold: the member generated with the output context.
        TStitchContext output = editing;
        output.ForExport = true;
        RegenerateChain(*s.Running, output);
        EXPECT_FALSE(guarded.empty());
        EXPECT_EQ(guarded, Points(*s.Satin));
        // The walk of the written design passes through every stitch of both outlines.
        EXPECT_GE(TExportPlan(order).StitchTotal,
                  static_cast<int64_t>(s.Running->Generated->Count() + s.Satin->Generated->Count()));
    }
    // Afterwards the screen's stitches are back.
    EXPECT_EQ(Points(*s.Satin), onScreen);
}

TEST(DiamondDrag, TheEntryDiamondFollowsThePathAndTheReleaseSetsItAsOneStep) {
    TSheet s;
    TOrderMode& o = s.SetJumpsOnRegion();
    ASSERT_EQ(s.Nl.Mode(), TMode::SetJumps);
    // The square runs from (900, 300) with sides of 400; the entry set on its top side.
    s.Click(1000, 300);
    ASSERT_NEAR(s.Region->EntryX, 1000, 2);
    const int32_t exitNode = s.Region->ExitNode;
    const float exitX = s.Region->ExitX, exitY = s.Region->ExitY;
    // The prompt names the diamond under the pointer.
    s.Nl.MouseMove(1001, 301, {});
    EXPECT_EQ(s.Host.Prompt, " Drag The Entry Jump Stitch Diamond To A New Position Within The Design !");
    s.Nl.MouseMove(1100, 700, {});
    EXPECT_EQ(s.Host.Prompt, " Left Click on A Node To Set Jump Start Position !");
    const auto bytes = WorksheetBytes(s.Nl.Sew, "t");

    // Pressed on the diamond and dragged off the path: it snaps to the nearest point of the path.
    s.Nl.MouseDown(TMouseButton::Left, 1000, 300, {});
    s.Nl.MouseMove(1100, 320, {});
    EXPECT_EQ(o.Dragging(), TOrderMode::TDiamond::Entry);
    float x = 0, y = 0;
    o.DragPoint(x, y);
    EXPECT_NEAR(x, 1100, 2);
    EXPECT_NEAR(y, 300, 2);
    EXPECT_NEAR(s.Region->EntryX, 1000, 2); // nothing stored before the release
    s.Nl.MouseMove(1330, 450, {});
    s.Nl.MouseUp(TMouseButton::Left, 1330, 450, {});
    EXPECT_EQ(o.Dragging(), TOrderMode::TDiamond::None);
    EXPECT_NEAR(s.Region->EntryX, 1300, 2);
    EXPECT_NEAR(s.Region->EntryY, 450, 2);
    // The stored point is the one its node and percent give.
    double bx = 0, by = 0;
    s.Region->BoundaryPoint(s.Region->EntryNode, s.Region->EntryPercent, bx, by);
    EXPECT_NEAR(bx, s.Region->EntryX, 0.01);
    EXPECT_NEAR(by, s.Region->EntryY, 0.01);
    EXPECT_EQ(s.Region->ExitNode, exitNode);
    EXPECT_EQ(s.Region->ExitX, exitX);
    EXPECT_EQ(s.Region->ExitY, exitY);
    ASSERT_TRUE(s.Region->FillStitches && s.Region->FillStitches->Count() > 0);
    // A drag is one undo step.
    EXPECT_EQ(s.Nl.CommandCaption(TCommand::Undo), "Undo Set Jumps");
    s.Nl.Execute(TCommand::Undo);
    EXPECT_EQ(WorksheetBytes(s.Nl.Sew, "t"), bytes);

    // A drag that starts away from the diamonds moves neither.
    s.Drag(1100, 700, 1300, 600);
    EXPECT_EQ(WorksheetBytes(s.Nl.Sew, "t"), bytes);
    // A press and release on the diamond without a move stores nothing.
    s.Nl.MouseDown(TMouseButton::Left, 1000, 300, {});
    s.Nl.MouseMove(1000, 305, {});
    s.Nl.MouseUp(TMouseButton::Left, 1000, 305, {});
    EXPECT_EQ(WorksheetBytes(s.Nl.Sew, "t"), bytes);
}

namespace {
bool Offers(const TScriptedHost& host, const std::string& caption, bool* enabled = nullptr) {
    if (host.Menus.empty()) return false;
    const TMenuItem* i = FindItem(host.Menus.back().Items, caption);
    if (i && enabled) *enabled = i->Enabled;
    return i != nullptr;
}
} // namespace

TEST(OrderContextItems, JumpStartItemsLeadToTheirSettingAndEndLeavesTheOrderMode) {
    TSheet s;
    s.Nl.SetMode(TMode::DesignEdit);
    // A stitched outline that can jump: linking starts from it.
    s.Host.MenuAnswers = {CMD_SET_OUTLINE_START_JUMP};
    s.RightClick(250, 100);
    ASSERT_TRUE(Offers(s.Host, "Set Outline Start Jump Stitch"));
    EXPECT_EQ(s.Nl.Mode(), TMode::OutlineJump);
    EXPECT_EQ(s.Nl.JumpMode().From(), s.Running);
    EXPECT_EQ(s.Host.Prompt, "Click On A Blue Node To Start The Jump !");
    // A column's rail is no outline of a chain: not offered.
    s.Nl.SetMode(TMode::DesignEdit);
    s.RightClick(250, 200);
    ASSERT_FALSE(s.Host.Menus.empty());
    EXPECT_FALSE(Offers(s.Host, "Set Outline Start Jump Stitch"));

    // A region: its group's order mode opens on it at the Set Jumps page.
    s.Host.MenuAnswers = {CMD_SET_REGION_START_JUMP};
    s.RightClick(1100, 500);
    bool enabled = false;
    ASSERT_TRUE(Offers(s.Host, "Set Region Start Jump Stitch", &enabled));
    EXPECT_TRUE(enabled);
    EXPECT_EQ(s.Nl.Mode(), TMode::SetJumps);
    EXPECT_EQ(s.Nl.OrderMode().Current(), s.Region);
    EXPECT_TRUE(s.Host.OrderPanelOpen);

    // In the order mode: the end item, and the jump start item of the element under the pointer.
    s.Nl.ShowOrderPage(TOrderPage::Edit);
    s.Nl.OrderMode().SetCursor(0);
    s.Host.MenuAnswers = {CMD_SET_REGION_START_JUMP};
    s.RightClick(1100, 500);
    EXPECT_TRUE(Offers(s.Host, "End Stitch Order Mode"));
    EXPECT_EQ(s.Nl.Mode(), TMode::SetJumps);
    EXPECT_EQ(s.Nl.OrderMode().Current(), s.Region);
    s.Host.MenuAnswers = {CMD_END_ORDER_MODE};
    s.RightClick(1500, 900);
    EXPECT_FALSE(s.Nl.OrderMode().Active());
    EXPECT_FALSE(s.Host.OrderPanelOpen);
    EXPECT_NE(s.Nl.Mode(), TMode::SetJumps);
    EXPECT_NE(s.Nl.Mode(), TMode::ChangeOrder);

    // A region outside any layout group has no order to take it up: shown, but disabled.
    s.Nl.SetMode(TMode::DesignEdit);
    s.Region->GroupId = 0;
    s.RightClick(1100, 500);
    ASSERT_TRUE(Offers(s.Host, "Set Region Start Jump Stitch", &enabled));
    EXPECT_FALSE(enabled);
}

TEST(OrderContextItems, OnAChainInTheOrderModeTheItemSetsWhereTheChainStarts) {
    TLinkedSheet s;
    s.Nl.Execute(TCommand::ModeLayout);
    s.Nl.Execute(TCommand::ChangeOrder);
    TOrderMode& o = s.Nl.OrderMode();
    ASSERT_GE(o.IndexOf(s.Running), 0);
    o.SetCursor(0);
    // The satin outline is the chain's second outline: the item is offered on it too.
    s.Host.MenuAnswers = {CMD_SET_OUTLINE_START_JUMP};
    s.RightClick(250, 700);
    ASSERT_TRUE(Offers(s.Host, "Set Outline Start Jump Stitch"));
    EXPECT_TRUE(Offers(s.Host, "End Stitch Order Mode"));
    EXPECT_EQ(s.Nl.Mode(), TMode::OutlineJump);
    EXPECT_EQ(o.Current(), s.Running); // the chain's element
    EXPECT_EQ(s.Nl.JumpMode().State(), TJumpMode::TState::PickStartOutline);
    EXPECT_TRUE(o.Active());
    // A click on a node of the satin outline secures the chain's first stitch there.
    s.Click(400, 700);
    s.Click(400, 700);
    EXPECT_GE(s.Satin->ExitIndex, 0);
}
