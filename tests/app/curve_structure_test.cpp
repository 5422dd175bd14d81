// The structure edits of curves driven through the controller, as a user reaches them: the context
// menu items by node, split, the Point Join mode, insert segment, the drawing order and the
// stitching copy; each one undo step that gives the worksheet back byte for byte.
#include <gtest/gtest.h>

#include <algorithm>

#include "../regions/TestShapes.h"
#include "Sheet.h"
#include "app/CurveStructure.h"
#include "formats/Export.h"
#include "formats/Worksheet.h"
#include "regions/JumpNodes.h"

using namespace nl;
using namespace nl::test;

namespace {

struct TCurveShell : TShell {
    // A running outline through the anchors (straight segments), not selected.
    TSLCurve* Add(std::vector<std::pair<float, float>> anchors) {
        auto c = nl::test::Polyline(anchors);
        c->Flags |= OF_VISIBLE | OF_RUNNING;
        c->SetStitchTypeBits(ST_RUNNING);
        auto* curve = static_cast<TSLCurve*>(Nl.Sew.Add(std::move(c)));
        curve->UpdateBounds(Nl.StitchContext());
        return curve;
    }
    // The items of the menu opened by a right click at (x, y), `choose` answered.
    std::vector<TMenuItem> Menu(int x, int y, int32_t choose = 0) {
        Host.MenuAnswers.push_back(choose);
        RightClick(x, y);
        return Host.Menus.empty() ? std::vector<TMenuItem>{} : Host.Menus.back().Items;
    }
    std::vector<uint8_t> Bytes() { return WorksheetBytes(Nl.Sew, "t"); }
};

const TMenuItem* Item(const std::vector<TMenuItem>& items, int32_t code) {
    auto it = std::find_if(items.begin(), items.end(), [code](const TMenuItem& i) { return i.Code == code; });
    return it == items.end() ? nullptr : &*it;
}

} // namespace

TEST(CurveStructure, MenuOffersTheItemsOfTheNodeUnderThePointer) {
    TCurveShell s;
    s.Add({{100, 100}, {300, 100}, {500, 100}});
    // Inner anchor: insert and split; end anchor: insert and join; on the path: neither.
    auto inner = s.Menu(300, 100);
    EXPECT_TRUE(Item(inner, CMD_INSERT_SEGMENT) && Item(inner, CMD_SPLIT_CURVE));
    EXPECT_FALSE(Item(inner, CMD_JOIN_CURVES));
    EXPECT_EQ(Item(inner, CMD_SPLIT_CURVE)->Caption, "Split Outline");
    auto end = s.Menu(500, 100);
    EXPECT_TRUE(Item(end, CMD_INSERT_SEGMENT) && Item(end, CMD_JOIN_CURVES));
    EXPECT_EQ(Item(end, CMD_JOIN_CURVES)->Caption, "Join Outlines");
    EXPECT_FALSE(Item(end, CMD_SPLIT_CURVE));
    auto path = s.Menu(200, 100);
    EXPECT_FALSE(Item(path, CMD_INSERT_SEGMENT) || Item(path, CMD_SPLIT_CURVE) ||
                 Item(path, CMD_JOIN_CURVES));
    // The drawing order items by kind; the only object is already at both ends.
    ASSERT_TRUE(Item(path, CMD_BRING_TO_TOP));
    EXPECT_EQ(Item(path, CMD_BRING_TO_TOP)->Caption, "Bring Outline To Top");
    EXPECT_FALSE(Item(path, CMD_BRING_TO_TOP)->Enabled);
}

TEST(CurveStructure, SplitIsOneUndoStepAndRefusedOnARegionOutline) {
    TCurveShell s;
    TSLCurve* c = s.Add({{100, 100}, {300, 100}, {500, 100}});
    const auto before = s.Bytes();
    s.Menu(300, 100, CMD_SPLIT_CURVE);
    ASSERT_EQ(s.Nl.Sew.Count(), 2);
    EXPECT_EQ(c->Count(), 4);
    EXPECT_EQ(s.Nl.Sew[1]->Count(), 4);
    EXPECT_FLOAT_EQ((*s.Nl.Sew[1])[0].X, 300.f);
    EXPECT_EQ(s.Nl.Sew.History.UndoCaption(), "Undo Split");
    const auto after = s.Bytes();
    ASSERT_TRUE(s.Nl.Undo());
    EXPECT_EQ(s.Bytes(), before);
    ASSERT_TRUE(s.Nl.Redo());
    EXPECT_EQ(s.Bytes(), after);

    // An outline a fill region is built on stays whole, and the user is told why.
    TSLCurve* square = static_cast<TSLCurve*>(s.Nl.Sew.Add(ClosedOutline(Square(1000, 1000, 400))));
    square->UpdateBounds(s.Nl.StitchContext());
    s.Nl.Sew.Add(RegionOn(*square, s.Nl.StitchContext()));
    const size_t steps = s.Nl.Sew.History.Recorded();
    const int32_t count = square->Count();
    EXPECT_FALSE(s.Nl.SplitCurveAt(*square, 3));
    EXPECT_EQ(square->Count(), count);
    EXPECT_EQ(s.Host.Messages.back().Heading, "Split Outline");
    EXPECT_NE(s.Host.Messages.back().Text.find("Fill Region"), std::string::npos);
    EXPECT_EQ(s.Nl.Sew.History.Recorded(), steps);
}

TEST(CurveStructure, PointJoinModeMarksThenJoinsAndUndoGivesBothBack) {
    TCurveShell s;
    TSLCurve* a = s.Add({{100, 100}, {300, 100}});
    TSLCurve* b = s.Add({{400, 300}, {600, 300}});
    TSLCurve* far = s.Add({{100, 500}, {300, 500}});
    // B is linked to another outline: the join lets go of the link on both sides.
    LinkOutlines(*b, *far, 25, 0);
    b->UpdateBounds(s.Nl.StitchContext());
    far->UpdateBounds(s.Nl.StitchContext());
    const auto before = s.Bytes();

    s.Menu(300, 100, CMD_JOIN_CURVES);
    EXPECT_EQ(s.Nl.Mode(), TMode::PointJoin);
    EXPECT_EQ(s.Host.Prompt,
              " Click On A Highlighted Point To Start The Join To Process. ( Or The Worksheet To Exit ).");
    EXPECT_EQ(s.Nl.JoinFirst(), a);
    // Every end point that can be joined is drawn highlighted: 2 of B, 2 of the far outline, and
    // the end of A the join starts from.
    auto markers = [&](int32_t colour) {
        const std::string picture = Picture(s.Nl), tail = " " + std::to_string(colour) + "\n";
        int n = 0;
        for (size_t at = picture.find("M "); at != std::string::npos; at = picture.find("M ", at + 1))
            if (picture.compare(picture.find('\n', at) - tail.size() + 1, tail.size(), tail) == 0) ++n;
        return n;
    };
    EXPECT_EQ(markers(0x0000A000), 4);
    EXPECT_EQ(markers(0x000080FF), 1);
    // The first click marks B, the second on B's end point joins there.
    s.Click(600, 300);
    EXPECT_EQ(s.Nl.JoinMarked(), b);
    EXPECT_TRUE(b->Flags & OF_REGION_MARK_1);
    s.Click(600, 300);
    EXPECT_EQ(s.Nl.Mode(), TMode::DesignEdit);
    ASSERT_EQ(s.Nl.Sew.Count(), 2);
    EXPECT_EQ(s.Nl.Sew.IndexOf(b), -1);
    // A's end meets B's end: B is read backwards, its first point (600, 300) dropped.
    ASSERT_EQ(a->Count(), 7);
    EXPECT_FLOAT_EQ((*a)[6].X, 400.f);
    EXPECT_FALSE(far->Jumps) << "the link of the joined outline went on both sides";
    EXPECT_FALSE(a->Flags & OF_REGION_MARK_1);
    EXPECT_EQ(s.Nl.Sew.History.UndoCaption(), "Undo Join");
    ASSERT_TRUE(s.Nl.Undo());
    EXPECT_EQ(s.Bytes(), before);
    ASSERT_TRUE(far->Jumps);

    // Any other click leaves the mode without a change.
    s.Menu(100, 100, CMD_JOIN_CURVES);
    ASSERT_EQ(s.Nl.Mode(), TMode::PointJoin);
    s.Click(700, 700);
    EXPECT_EQ(s.Nl.Mode(), TMode::DesignEdit);
    EXPECT_EQ(s.Bytes(), before);
    // So does Escape, with the mark taken off.
    s.Menu(100, 100, CMD_JOIN_CURVES);
    s.Click(400, 300);
    ASSERT_EQ(s.Nl.JoinMarked(), b);
    s.Nl.KeyDown(TKey::Escape, {});
    EXPECT_EQ(s.Nl.Mode(), TMode::DesignEdit);
    EXPECT_FALSE(b->Flags & OF_REGION_MARK_1);
    EXPECT_EQ(s.Bytes(), before);
}

TEST(CurveStructure, PointJoinOfCurvedColumnsJoinsBothRails) {
    TCurveShell s;
    s.Nl.Execute(TCommand::CreateColumn);
    for (int i = 0; i <= 3; ++i)
        s.Click(100 + 50 * i, 100);
    s.RightClick(5, 5);
    for (int i = 0; i <= 3; ++i)
        s.Click(100 + 50 * i, 160);
    s.RightClick(5, 5);
    s.Nl.Execute(TCommand::CreateColumn);
    for (int i = 0; i <= 3; ++i)
        s.Click(400 + 50 * i, 100);
    s.RightClick(5, 5);
    for (int i = 0; i <= 3; ++i)
        s.Click(400 + 50 * i, 160);
    s.RightClick(5, 5);
    ASSERT_EQ(s.Nl.Sew.Count(), 4);
    auto* railA = static_cast<TSLCurve*>(s.Nl.Sew[0]);
    const auto before = s.Bytes();
    auto items = s.Menu(250, 100, CMD_JOIN_CURVES);
    ASSERT_TRUE(Item(items, CMD_JOIN_CURVES));
    EXPECT_EQ(Item(items, CMD_JOIN_CURVES)->Caption, "Join Curved Columns");
    s.Click(400, 160); // the start of the second column's rail B marks it
    s.Click(400, 100); // its rail A's start joins
    ASSERT_EQ(s.Nl.Sew.Count(), 2);
    EXPECT_EQ(railA->Count(), 7);
    EXPECT_EQ(railA->PartnerRail->Count(), 7);
    EXPECT_FLOAT_EQ((*railA)[6].X, 550.f);
    EXPECT_FLOAT_EQ((*railA->PartnerRail)[6].X, 550.f);
    ASSERT_TRUE(s.Nl.Undo());
    EXPECT_EQ(s.Bytes(), before);
}

TEST(CurveStructure, InsertSegmentPlacesThreePointsAfterTheNode) {
    TCurveShell s;
    TSLCurve* c = s.Add({{100, 100}, {300, 100}, {500, 100}});
    const auto before = s.Bytes();
    s.Menu(300, 100, CMD_INSERT_SEGMENT);
    EXPECT_EQ(s.Nl.Creation(), TCreation::Outline);
    s.Click(350, 200);
    s.Click(400, 200);
    EXPECT_EQ(c->Count(), 10) << "the group's points are in the path while they are placed";
    s.Click(450, 150);
    s.RightClick(5, 5);
    EXPECT_EQ(s.Nl.Creation(), TCreation::None);
    ASSERT_EQ(c->Count(), 10);
    EXPECT_FLOAT_EQ((*c)[3].X, 300.f);
    EXPECT_FLOAT_EQ((*c)[4].X, 350.f);
    EXPECT_FLOAT_EQ((*c)[5].X, 400.f);
    EXPECT_FLOAT_EQ((*c)[6].X, 450.f);
    EXPECT_FLOAT_EQ((*c)[9].X, 500.f);
    EXPECT_EQ(s.Nl.Sew.History.UndoCaption(), "Undo Insert Segment");
    ASSERT_TRUE(s.Nl.Undo());
    EXPECT_EQ(s.Bytes(), before);

    // A group left incomplete is taken out; Escape abandons the whole extension.
    const size_t steps = s.Nl.Sew.History.Recorded();
    s.Menu(300, 100, CMD_INSERT_SEGMENT);
    s.Click(350, 200);
    s.RightClick(5, 5);
    EXPECT_EQ(c->Count(), 7);
    EXPECT_EQ(s.Nl.Sew.History.Recorded(), steps);
    s.Menu(500, 100, CMD_INSERT_SEGMENT);
    for (int i = 0; i < 4; ++i)
        s.Click(600 + 20 * i, 100);
    s.Nl.KeyDown(TKey::Escape, {});
    EXPECT_EQ(s.Nl.Creation(), TCreation::None);
    EXPECT_EQ(c->Count(), 7);
    EXPECT_FLOAT_EQ((*c)[6].X, 500.f);
}

TEST(CurveStructure, DrawingOrderOfTheSelectionAndOfTheObjectUnderThePointer) {
    TSheet s;
    // Order: running, rail A, rail B, satin, direct, square, region.
    TSLStitch* railB = s.RailA->PartnerRail;
    s.Nl.SetMode(TMode::ObjectLayout);
    s.Nl.Sew.ClearSelection(OF_SELECTED_LAYOUT);
    s.Running->SetFlags(OF_SELECTED_LAYOUT);
    railB->SetFlags(OF_SELECTED_LAYOUT);
    ASSERT_TRUE(s.Nl.IsEnabled(TCommand::BringToTop));
    const auto before = WorksheetBytes(s.Nl.Sew, "t");
    s.Nl.Execute(TCommand::BringToTop);
    // The column moved as a pair, rail A first; the selected objects kept their order.
    const int32_t n = s.Nl.Sew.Count();
    EXPECT_EQ(s.Nl.Sew[n - 3], s.Running);
    EXPECT_EQ(s.Nl.Sew[n - 2], s.RailA);
    EXPECT_EQ(s.Nl.Sew[n - 1], railB);
    EXPECT_FALSE(s.Nl.IsEnabled(TCommand::BringToTop)) << "already on top";
    EXPECT_EQ(s.Nl.Sew.History.UndoCaption(), "Undo Bring To Top");
    ASSERT_TRUE(s.Nl.Undo());
    EXPECT_EQ(WorksheetBytes(s.Nl.Sew, "t"), before);
    s.Nl.Execute(TCommand::SendToBottom);
    EXPECT_EQ(s.Nl.Sew[0], s.Running);
    EXPECT_EQ(s.Nl.Sew[1], s.RailA);
    EXPECT_EQ(s.Nl.Sew[2], railB);
    // In Design And Editing mode the item moves the object under the pointer.
    s.Nl.SetMode(TMode::DesignEdit);
    s.Host.MenuAnswers.push_back(CMD_BRING_TO_TOP);
    s.RightClick(250, 100); // on the running outline's path
    EXPECT_EQ(s.Nl.Sew[s.Nl.Sew.Count() - 1], s.Running);
}

TEST(CurveStructure, CopyStitchingPastesTheDesignAsOneDirectStitchObject) {
    TSheet s;
    s.Nl.SetMode(TMode::ObjectLayout);
    std::vector<TSLStitch*> order = s.Nl.Sew.BuildStitchOrder(s.Running->GroupId);
    int64_t total = 0;
    int32_t blocks = 0;
    {
        TOutputGuard guard(order, s.Nl.StitchContext());
        TExportPlan plan(order);
        total = plan.StitchTotal;
        int32_t previous = -1;
        for (const TExportItem& item : plan.Items) {
            TEmitList list = item.List();
            for (size_t i = 0; i < list.Count(); ++i)
                if (IsColourChange(list[i]) && list[i].ColourOrLink != previous) {
                    ++blocks;
                    previous = list[i].ColourOrLink;
                }
        }
    }
    ASSERT_GT(total, 0);
    ASSERT_TRUE(s.Nl.IsEnabled(TCommand::CopyStitching));
    const size_t steps = s.Nl.Sew.History.Recorded();
    for (int32_t i = 0; i < s.Nl.Sew.Count(); ++i)
        s.Nl.Sew[i]->OrderIndex = ORDER_NONE;
    s.Nl.Execute(TCommand::CopyStitching);
    ASSERT_FALSE(s.Host.Clipboard.empty());
    EXPECT_EQ(s.Nl.Sew.History.Recorded(), steps) << "copying changes nothing";
    for (int32_t i = 0; i < s.Nl.Sew.Count(); ++i)
        EXPECT_EQ(s.Nl.Sew[i]->OrderIndex, ORDER_NONE) << "the design's stitching order is kept";
    const int32_t count = s.Nl.Sew.Count();
    ASSERT_TRUE(s.Nl.PasteAt(3000, 2000));
    ASSERT_EQ(s.Nl.Sew.Count(), count + 1);
    const TSLStitch& flat = *s.Nl.Sew[count];
    EXPECT_EQ(flat.Kind(), KIND_STITCH);
    EXPECT_EQ(flat.Count(), total);
    EXPECT_EQ(flat.Bounds.Left, 3000);
    EXPECT_EQ(flat.Bounds.Top, 2000);
    int32_t colourPoints = 0;
    for (const TSP& p : flat)
        colourPoints += p.IsColourPoint() ? 1 : 0;
    EXPECT_EQ(colourPoints, blocks);
    EXPECT_TRUE(flat[0].IsColourPoint());
}
