// The stitch pattern creator's own context items: a line stitch drawn on the creator's grid, a
// curve stitch kept in its tile, the mosaic view and clearing the drawing, each one undo step.
#include "formats/Worksheet.h"
#include "platform/RecordingCanvas.h"
#include "regions/Pattern.h"
#include "tests/app/Fixture.h"

using namespace nl;
using namespace nl::test;

namespace {
struct TCreatorShell : TShell {
    TObjectPatternCreator* Creator = nullptr;
    int X = 0, Y = 0; // the creator's top-left corner (pixels are units)
    TCreatorShell() {
        Nl.Execute(TCommand::CreatePatternCreator);
        Creator = static_cast<TObjectPatternCreator*>(Nl.Sew.Support[1]);
        X = Creator->Rect.Left;
        Y = Creator->Rect.Top;
    }
    // The creator's context menu (right click inside it), and one of its items run.
    std::vector<TContextItem> Menu() { return Nl.ContextMenuAt(X + 750, Y + 50); }
    void Run(int32_t code) {
        Menu();
        Nl.RunContextCommand(code);
    }
    const TContextItem* Item(const std::string& caption) {
        static std::vector<TContextItem> items;
        items = Menu();
        return FindItem(items, caption);
    }
};
} // namespace

TEST(CreatorCommands, TheCreatorOffersItsItemsBeforeTheCommonOnes) {
    TCreatorShell t;
    std::vector<std::string> captions;
    for (const TContextItem& i : t.Menu())
        captions.push_back(i.Caption);
    const std::vector<std::string> expected = {"Programmable Line Stitch",
                                               "Programmable Curve Stitch",
                                               "Mosaic Design View",
                                               "Clear Design Area",
                                               "Bring To Top",
                                               "Send To Bottom",
                                               "Delete Object",
                                               "Stitch Creator Properties"};
    // Other items of the creator (pattern files) may come first; these keep their order.
    ASSERT_GE(captions.size(), expected.size());
    EXPECT_TRUE(
        std::equal(expected.begin(), expected.end(), captions.end() - static_cast<long>(expected.size())));
    EXPECT_FALSE(t.Item("Clear Design Area")->Enabled) << "nothing to clear yet";
    EXPECT_FALSE(t.Item("Mosaic Design View")->Checked);
}

TEST(CreatorCommands, LineStitchPointsSnapToTheEditGridWithinTheTile) {
    TCreatorShell t;
    ASSERT_DOUBLE_EQ(t.Creator->GridCell(), 50.0); // 800 units over 16 edit points
    const auto before = WorksheetBytes(t.Nl.Sew, "t");
    t.Run(CMD_PROGRAMMABLE_LINE);
    ASSERT_EQ(t.Nl.Creation(), TCreation::DirectStitch);
    t.Click(t.X + 123, t.Y + 77);                       // nearest node (100, 100)
    t.Click(t.X + 2000, t.Y - 300);                     // outside: the tile's far corner (800, 0)
    t.Click(t.X + 380, t.Y + 420);                      // (400, 400)
    t.Drag(t.X + 400, t.Y + 400, t.X + 262, t.Y + 338); // the point just made moves, on the grid
    t.RightClick(t.X + 10, t.Y + 10);
    ASSERT_EQ(t.Nl.Creation(), TCreation::None);
    ASSERT_EQ(t.Creator->Members.size(), 1u);
    const TSLStitch& line = *t.Creator->Members[0];
    EXPECT_EQ(line.Flags & (OF_PATTERN_MEMBER | OF_SNAP_GRID), OF_PATTERN_MEMBER | OF_SNAP_GRID);
    const std::vector<std::pair<float, float>> expected = {{100, 100}, {800, 0}, {250, 350}};
    ASSERT_EQ(line.Count(), 3);
    for (int32_t i = 0; i < 3; ++i) {
        EXPECT_FLOAT_EQ(line[i].X, t.X + expected[static_cast<size_t>(i)].first) << i;
        EXPECT_FLOAT_EQ(line[i].Y, t.Y + expected[static_cast<size_t>(i)].second) << i;
    }
    // The far edge is the next tile's near edge: the copy puts the corner on the tile's corner.
    auto copy = MakeCopy(*t.Creator);
    ASSERT_EQ(copy->Items.size(), 1u);
    EXPECT_FLOAT_EQ((*copy->Items[0])[1].X, static_cast<float>(copy->PatternWidth));

    // One undo step takes the line stitch back to the bytes before it.
    ASSERT_TRUE(t.Nl.Undo());
    EXPECT_EQ(WorksheetBytes(t.Nl.Sew, "t"), before);
    EXPECT_TRUE(t.Creator->Members.empty());
}

TEST(CreatorCommands, CurveStitchJoinsTheCreatorItWasAskedOfAndStaysInItsTile) {
    TCreatorShell t;
    // A second creator further right: the clicks there still draw into the first.
    t.Nl.Execute(TCommand::CreatePatternCreator);
    TObjectBase* other = t.Nl.Sew.Support[2];
    other->Offset(t.X + 1000 - other->Rect.Left, t.Y - other->Rect.Top);
    t.Run(CMD_PROGRAMMABLE_CURVE);
    ASSERT_EQ(t.Nl.Creation(), TCreation::Outline);
    t.Click(t.X + 13, t.Y + 17);
    t.Click(t.X + 1113, t.Y + 17); // over the other creator
    t.Click(t.X + 213, t.Y + 900);
    t.Click(t.X + 313, t.Y + 17);
    t.RightClick(t.X + 10, t.Y + 10);
    ASSERT_EQ(t.Creator->Members.size(), 1u);
    EXPECT_TRUE(static_cast<TObjectPatternCreator*>(other)->Members.empty());
    const TSLStitch& curve = *t.Creator->Members[0];
    EXPECT_EQ(curve.Kind(), KIND_CURVE);
    EXPECT_FALSE(curve.Flags & OF_SNAP_GRID) << "only line stitches snap";
    ASSERT_EQ(curve.Count(), 4);
    EXPECT_FLOAT_EQ(curve[0].X, t.X + 13.f) << "not moved to the grid";
    EXPECT_FLOAT_EQ(curve[1].X, t.X + 800.f) << "kept in the tile";
    EXPECT_FLOAT_EQ(curve[2].Y, t.Y + 800.f);
}

TEST(CreatorCommands, MosaicViewRepeatsTheDrawingAroundTheTile) {
    TCreatorShell t;
    t.Run(CMD_PROGRAMMABLE_LINE);
    t.Click(t.X + 100, t.Y + 100);
    t.Click(t.X + 700, t.Y + 700);
    t.RightClick(t.X + 10, t.Y + 10);
    auto polylines = [&] {
        t.Nl.View.Zoom = 100; // the neighbouring tiles in view
        TRecordingCanvas c;
        t.Nl.Draw(c);
        t.Nl.View.Zoom = 614;
        return c.CountKind('P');
    };
    const size_t plain = polylines();
    const auto before = WorksheetBytes(t.Nl.Sew, "t");
    t.Run(CMD_MOSAIC_VIEW);
    EXPECT_TRUE(t.Creator->Flags & CREATOR_MOSAIC);
    EXPECT_TRUE(t.Item("Mosaic Design View")->Checked);
    EXPECT_EQ(polylines(), plain + 8) << "the line in each of the eight tiles around";
    ASSERT_TRUE(t.Nl.Undo());
    EXPECT_EQ(WorksheetBytes(t.Nl.Sew, "t"), before);
    EXPECT_EQ(polylines(), plain);
    ASSERT_TRUE(t.Nl.Redo());
    EXPECT_TRUE(t.Nl.Sew.Support.Creators()[0]->Flags & CREATOR_MOSAIC);
}

TEST(CreatorCommands, ClearDesignAreaRemovesTheDrawingAndUndoBringsTheSameObjectsBack) {
    TCreatorShell t;
    TSLStitch* outside = t.Direct(t.X + 2000, t.Y, 3);
    for (int k = 0; k < 2; ++k) {
        t.Run(CMD_PROGRAMMABLE_LINE);
        t.Click(t.X + 100, t.Y + 100 + 200 * k);
        t.Click(t.X + 600, t.Y + 100 + 200 * k);
        t.RightClick(t.X + 10, t.Y + 10);
    }
    ASSERT_EQ(t.Creator->Members.size(), 2u);
    const std::vector<TSLStitch*> drawing = t.Creator->Members;
    const auto before = WorksheetBytes(t.Nl.Sew, "t");
    ASSERT_TRUE(t.Item("Clear Design Area")->Enabled);
    t.Run(CMD_CLEAR_DESIGN_AREA);
    EXPECT_TRUE(t.Creator->Members.empty());
    EXPECT_EQ(t.Nl.Sew.Count(), 1);
    EXPECT_GE(t.Nl.Sew.IndexOf(outside), 0) << "objects outside the creator stay";
    EXPECT_TRUE(t.Host.Messages.empty()) << "undo takes it back: no question";
    EXPECT_FALSE(t.Item("Clear Design Area")->Enabled);

    ASSERT_TRUE(t.Nl.Undo());
    EXPECT_EQ(WorksheetBytes(t.Nl.Sew, "t"), before);
    auto* creator = t.Nl.Sew.Support.Creators()[0];
    EXPECT_EQ(creator->Members, drawing);
    ASSERT_TRUE(t.Nl.Redo());
    EXPECT_TRUE(t.Nl.Sew.Support.Creators()[0]->Members.empty());
    EXPECT_EQ(t.Nl.Sew.Count(), 1);
}
