// Point editing of direct stitch objects driven through the controller: the point items of the
// context menu with their questions and enabled states, clicks that move the stitch cursor and
// select points, and merging two designs.
#include <gtest/gtest.h>

#include <algorithm>

#include "Fixture.h"
#include "app/PointEditing.h"
#include "regions/PointEdit.h"

using namespace nl;
using namespace nl::test;

namespace {

struct TDesigns : TShell {
    // n points 20 units apart along y = row, from x = 100; a colour point first.
    TSLStitch* Add(int32_t n, float row, int32_t colour = 0x0000FF) {
        auto o = std::make_unique<TSLStitch>();
        o->Flags = OF_DIRECT | OF_NEEDLE_POINTS | OF_VISIBLE;
        o->GroupId = 0;
        for (int32_t i = 0; i < n; ++i)
            o->Append(TSP::Plain(0, 100.f + 20.f * static_cast<float>(i), row));
        o->Replace(0, TSP::Colour(0, 100, row, colour));
        o->UpdateBounds(Nl.StitchContext());
        return Nl.Sew.Add(std::move(o));
    }
    // The items of the menu opened by a right click at (x, y), the chosen code answered.
    const std::vector<TMenuItem>& Menu(int x, int y, int32_t choose = 0) {
        Host.MenuAnswers.push_back(choose);
        RightClick(x, y);
        return Host.Menus.back().Items;
    }
    static const TMenuItem* Item(const std::vector<TMenuItem>& items, int32_t code) {
        auto it =
            std::find_if(items.begin(), items.end(), [code](const TMenuItem& i) { return i.Code == code; });
        return it == items.end() ? nullptr : &*it;
    }
};

} // namespace

TEST(PointEditingInTheEditor, MenuItemsOnAPointAndElsewhere) {
    TDesigns s;
    s.Nl.Execute(TCommand::ModeEdit);
    TSLStitch* two = s.Add(2, 300);
    TSLStitch* ten = s.Add(10, 200);
    (void)two;
    // On point 6 of ten: every point item, "Cut Design At This Point" enabled (10 >= 6 + 4).
    auto items = s.Menu(220, 200);
    for (int32_t code : {CMD_INSERT_POINT, CMD_INSERT_COLOUR_POINT, CMD_DELETE_POINT,
                         CMD_DELETE_SELECTED_POINTS, CMD_CLEAR_SELECTED_POINTS, CMD_CUT_DESIGN})
        ASSERT_NE(TDesigns::Item(items, code), nullptr) << code;
    EXPECT_TRUE(TDesigns::Item(items, CMD_CUT_DESIGN)->Enabled);
    EXPECT_FALSE(TDesigns::Item(items, CMD_DELETE_SELECTED_POINTS)->Enabled) << "nothing selected";
    EXPECT_EQ(TDesigns::Item(items, CMD_EDIT_ALL_POINTS), nullptr);
    // On point 7 the cut is offered but disabled (10 < 7 + 4).
    items = s.Menu(240, 200);
    EXPECT_FALSE(TDesigns::Item(items, CMD_CUT_DESIGN)->Enabled);
    // On a two-point object the delete items are disabled.
    items = s.Menu(100, 300);
    EXPECT_FALSE(TDesigns::Item(items, CMD_DELETE_POINT)->Enabled);
    // Between points: "Edit All Points" and the merge.
    items = s.Menu(130, 200);
    EXPECT_NE(TDesigns::Item(items, CMD_EDIT_ALL_POINTS), nullptr);
    EXPECT_NE(TDesigns::Item(items, CMD_MERGE_STITCH_OBJECT), nullptr);
    EXPECT_EQ(TDesigns::Item(items, CMD_DELETE_POINT), nullptr);
    EXPECT_EQ(ten->Count(), 10);
}

TEST(PointEditingInTheEditor, CutInsertAndDeleteAskFirst) {
    TDesigns s;
    s.Nl.Execute(TCommand::ModeEdit);
    TSLStitch* ten = s.Add(10, 200);
    ten->GroupId = 4;
    ten->OrderIndex = 2;
    TSLStitch* after = s.Add(4, 400);
    after->GroupId = 4;
    after->OrderIndex = 2;
    // No keeps the design whole.
    s.Host.Answers.push_back(TButton::No);
    s.Menu(220, 200, CMD_CUT_DESIGN);
    EXPECT_EQ(s.Nl.Sew.Count(), 2);
    ASSERT_EQ(s.Host.Messages.back().Heading, "Splitting Design");
    s.Host.Answers.push_back(TButton::Yes);
    s.Menu(220, 200, CMD_CUT_DESIGN);
    ASSERT_EQ(s.Nl.Sew.Count(), 3);
    TSLStitch* part = s.Nl.Sew[1];
    EXPECT_EQ(ten->Count(), 6);
    EXPECT_EQ(part->Count(), 4);
    EXPECT_EQ(part->GroupId, 4);
    // Right after the original in the stitching order.
    auto order = s.Nl.Sew.BuildStitchOrder(4);
    ASSERT_EQ(order.size(), 3u);
    EXPECT_EQ(order[0], ten);
    EXPECT_EQ(order[1], part);
    EXPECT_EQ((*part)[0].GetColour(), 0x0000FF);

    // A colour point on the stitch before point 3, after the question.
    s.Host.Answers.push_back(TButton::Yes);
    s.Menu(160, 200, CMD_INSERT_COLOUR_POINT);
    ASSERT_EQ(ten->Count(), 7);
    EXPECT_TRUE((*ten)[3].IsColourPoint());
    EXPECT_EQ((*ten)[3].X, 150.f);
    EXPECT_EQ(s.Host.Messages.back().Heading, "Insert New Color Point");

    // Points selected by Ctrl-clicks on an object in low-level editing, then deleted.
    s.Nl.Sew.SetCurrent(ten);
    ten->SetFlags(OF_LOW_LEVEL_EDIT);
    s.Click(180, 200, {.Ctrl = true});
    s.Click(200, 200, {.Ctrl = true});
    EXPECT_EQ(SelectedPointCount(*ten), 2);
    EXPECT_EQ(ten->SimIndex, 6) << "the cursor is on the last point clicked";
    s.Host.Answers.push_back(TButton::Yes);
    s.Menu(100, 200, CMD_DELETE_SELECTED_POINTS);
    EXPECT_EQ(ten->Count(), 5);
    EXPECT_EQ(s.Host.Messages.back().Heading, "Delete All Selected Points");
    // "Delete This Point" takes the right-clicked point without asking.
    const size_t asked = s.Host.Messages.size();
    s.Menu(120, 200, CMD_DELETE_POINT);
    EXPECT_EQ(ten->Count(), 4);
    EXPECT_EQ(s.Host.Messages.size(), asked);
    // Each edit is one undo step: back to the design before the colour point, then before the cut.
    s.Nl.Undo();
    s.Nl.Undo();
    s.Nl.Undo();
    EXPECT_EQ(ten->Count(), 6);
    s.Nl.Undo();
    EXPECT_EQ(s.Nl.Sew.Count(), 2);
    EXPECT_EQ(ten->Count(), 10);
}

TEST(PointEditingInTheEditor, MergingTwoDesigns) {
    TDesigns s;
    s.Nl.Execute(TCommand::ModeEdit);
    TSLStitch* a = s.Add(5, 200);
    TSLStitch* b = s.Add(6, 300, 0x00FF00);
    b->GroupId = 7;
    s.Nl.Sew.Groups.Add(7);
    // Choosing the object itself, or nothing, says why and waits on.
    s.Menu(130, 200, CMD_MERGE_STITCH_OBJECT);
    EXPECT_EQ(s.Host.Messages.back().Heading, ".. Another Stitch Object");
    s.Click(130, 200);
    EXPECT_EQ(s.Host.Messages.back().Heading, "Joining Stitch Objects");
    EXPECT_EQ(s.Host.Messages.back().Text, "You Can Not Merge A Stitch Object With Its Self ? Try Again");
    s.Click(600, 500);
    EXPECT_EQ(s.Host.Messages.back().Text,
              "You Failed To Correctly Select Another Stitch Object. Please Try Again !");
    EXPECT_EQ(a->Count(), 5);
    EXPECT_EQ(s.Nl.Sew.Count(), 2);
    // The other design is asked about; No keeps both.
    s.Click(130, 300);
    EXPECT_EQ(s.Host.Messages.back().Text, "Is It OK To Append The Second Selected Object To The First ?");
    EXPECT_TRUE(b->Flags & OF_SELECTED_EDIT);
    EXPECT_EQ(s.Nl.Sew.Count(), 2);
    // Escape ends a wait: the next click only selects.
    s.Menu(130, 200, CMD_MERGE_STITCH_OBJECT);
    s.Nl.KeyDown(TKey::Escape, {});
    const size_t asked = s.Host.Messages.size();
    s.Click(130, 300);
    EXPECT_EQ(s.Host.Messages.size(), asked);
    EXPECT_EQ(s.Nl.Sew.Count(), 2);
    // Another design, with Yes, is appended and leaves the worksheet and its group.
    s.Menu(130, 200, CMD_MERGE_STITCH_OBJECT);
    s.Host.Answers.push_back(TButton::Yes);
    s.Click(130, 300);
    EXPECT_EQ(s.Nl.Sew.Count(), 1);
    EXPECT_EQ(a->Count(), 11);
    EXPECT_EQ((*a)[5].GetColour(), 0x00FF00);
    EXPECT_FALSE(s.Nl.Sew.Groups.Contains(7));
    EXPECT_TRUE(a->Flags & OF_SELECTED_EDIT);
    // Undone, both designs are back as they were.
    s.Nl.Undo();
    EXPECT_EQ(s.Nl.Sew.Count(), 2);
    EXPECT_EQ(a->Count(), 5);
    EXPECT_EQ(b->Count(), 6);
    EXPECT_TRUE(s.Nl.Sew.Groups.Contains(7));
}
