#include "Fixture.h"

using namespace nl;
using nl::test::TShell;

namespace {
// Three direct stitch objects side by side, in Object Layout or Design mode with nothing selected.
struct TRow : TShell {
    TSLStitch* A;
    TSLStitch* B;
    TSLStitch* C;
    explicit TRow(TCommand mode) {
        A = Direct(100, 100, 3); // x 100..120
        B = Direct(200, 100, 3); // x 200..220
        C = Direct(300, 100, 3); // x 300..320
        Nl.Execute(mode);
        Nl.Sew.ClearSelection(OF_SELECTED_EDIT | OF_SELECTED_LAYOUT);
    }
    std::vector<bool> Selected(uint32_t bit) const {
        return {(A->Flags & bit) != 0, (B->Flags & bit) != 0, (C->Flags & bit) != 0};
    }
};
using V = std::vector<bool>;
} // namespace

TEST(Selection, ClickVersusDragThreshold) {
    // Shift-clicks toggle an object; a drag starting on a selected object moves it instead.
    TRow r(TCommand::ModeLayout);
    TModifiers shift{true, false, false};
    r.Nl.MouseDown(TMouseButton::Left, 213, 97, shift);
    r.Nl.MouseUp(TMouseButton::Left, 210, 100, shift); // 3 pixels: a click
    EXPECT_EQ(r.Selected(OF_SELECTED_LAYOUT), (V{false, true, false}));
    r.Nl.MouseDown(TMouseButton::Left, 214, 96, shift);
    r.Nl.MouseUp(TMouseButton::Left, 210, 100, shift); // 4 pixels: a drag, no toggle
    EXPECT_EQ(r.Selected(OF_SELECTED_LAYOUT), (V{false, true, false}));
    r.Nl.MouseDown(TMouseButton::Left, 213, 103, shift);
    r.Nl.MouseUp(TMouseButton::Left, 210, 100, shift);
    EXPECT_EQ(r.Selected(OF_SELECTED_LAYOUT), (V{false, false, false}));
}

TEST(Selection, RectangleRules) {
    struct Case {
        const char* name;
        TCommand mode;
        int x1, y1, x2, y2;
        TModifiers mods;
        V before, after;
    } cases[] = {
        {"inside only",
         TCommand::ModeEdit,
         90,
         80,
         250,
         130,
         {},
         V{false, false, true},
         V{true, true, false}},
        {"partly covered is not inside",
         TCommand::ModeEdit,
         90,
         80,
         210,
         130,
         {},
         V{},
         V{true, false, false}},
        {"ctrl takes touching",
         TCommand::ModeEdit,
         90,
         80,
         210,
         130,
         {false, true, false},
         V{},
         V{true, true, false}},
        {"shift keeps the selection",
         TCommand::ModeEdit,
         290,
         80,
         350,
         130,
         {true, false, false},
         V{true, false, false},
         V{true, false, true}},
        {"layout mode uses its own bit",
         TCommand::ModeLayout,
         190,
         80,
         350,
         130,
         {},
         V{true, false, false},
         V{false, true, true}},
    };
    for (const Case& c : cases) {
        TRow r(c.mode);
        uint32_t bit = c.mode == TCommand::ModeLayout ? OF_SELECTED_LAYOUT : OF_SELECTED_EDIT;
        TSLStitch* objs[] = {r.A, r.B, r.C};
        for (size_t i = 0; i < c.before.size(); ++i)
            if (c.before[i]) objs[i]->SetFlags(bit);
        r.Drag(c.x1, c.y1, c.x2, c.y2, c.mods);
        EXPECT_EQ(r.Selected(bit), c.after) << c.name;
    }
}

TEST(Selection, RectangleSkipsPatternMembersAndTakesLayoutGroupsWhole) {
    TRow r(TCommand::ModeLayout);
    r.C->Flags |= OF_PATTERN_MEMBER;
    r.A->GroupId = r.B->GroupId = 4;
    r.Nl.Sew.Groups.Add(4);
    r.Drag(90, 80, 340, 130); // A, B and C all inside
    EXPECT_EQ(r.Selected(OF_SELECTED_LAYOUT), (V{true, true, false}));
    r.Drag(90, 80, 150, 130); // only A of the group inside: the group is not taken
    EXPECT_EQ(r.Selected(OF_SELECTED_LAYOUT), (V{false, false, false}));
    r.Drag(90, 80, 150, 130, {false, true, false}); // with Ctrl a touching member takes its group
    EXPECT_EQ(r.Selected(OF_SELECTED_LAYOUT), (V{true, true, false}));
}

TEST(Selection, AltRectangleZoomsInsteadOfSelecting) {
    TRow r(TCommand::ModeEdit);
    r.A->SetFlags(OF_SELECTED_EDIT);
    r.Drag(50, 50, 250, 200, {false, false, true});
    EXPECT_EQ(r.Nl.View.Zoom, 800 * 4904 / (200 * 8));
    EXPECT_EQ(r.Selected(OF_SELECTED_EDIT), (V{true, false, false}));
}

TEST(Selection, ClickSelectionInLayoutMode) {
    TRow r(TCommand::ModeLayout);
    r.A->GroupId = r.B->GroupId = 2;
    r.Nl.Sew.Groups.Add(2);
    r.Click(110, 100); // a member selects its group
    EXPECT_EQ(r.Selected(OF_SELECTED_LAYOUT), (V{true, true, false}));
    r.Click(310, 100); // a plain click replaces the selection
    EXPECT_EQ(r.Selected(OF_SELECTED_LAYOUT), (V{false, false, true}));
    r.Click(110, 100, {true, false, false}); // Shift adds
    EXPECT_EQ(r.Selected(OF_SELECTED_LAYOUT), (V{true, true, true}));
    r.Click(210, 100, {true, false, false}); // Shift on a selected member toggles its group off
    EXPECT_EQ(r.Selected(OF_SELECTED_LAYOUT), (V{false, false, true}));
    r.Click(500, 500); // empty worksheet clears
    EXPECT_EQ(r.Selected(OF_SELECTED_LAYOUT), (V{false, false, false}));
}

TEST(Selection, ClickSelectionInDesignModeTogglesBothRailsOfAColumn) {
    TShell s;
    s.Nl.Execute(TCommand::CreateColumn);
    for (int i = 0; i < 4; ++i)
        s.Click(100 + 30 * i, 100);
    s.RightClick(10, 10);
    for (int i = 0; i < 4; ++i)
        s.Click(100 + 30 * i, 160);
    s.RightClick(10, 10);
    ASSERT_EQ(s.Nl.Sew.Count(), 2);
    s.Nl.Sew.ClearSelection(OF_SELECTED_EDIT);
    s.Click(100, 160); // on rail B's first point
    EXPECT_TRUE(s.Nl.Sew[0]->Flags & OF_SELECTED_EDIT);
    EXPECT_TRUE(s.Nl.Sew[1]->Flags & OF_SELECTED_EDIT);
    s.Click(100, 100, {true, false, false});
    EXPECT_FALSE(s.Nl.Sew[0]->Flags & OF_SELECTED_EDIT);
    EXPECT_FALSE(s.Nl.Sew[1]->Flags & OF_SELECTED_EDIT);
}

TEST(Selection, DraggingASelectedObjectMovesTheSelection) {
    TRow r(TCommand::ModeEdit);
    r.A->SetFlags(OF_SELECTED_EDIT);
    r.B->SetFlags(OF_SELECTED_EDIT);
    r.Drag(110, 100, 140, 150);
    EXPECT_FLOAT_EQ((*r.A)[0].X, 130.f);
    EXPECT_FLOAT_EQ((*r.A)[0].Y, 150.f);
    EXPECT_FLOAT_EQ((*r.B)[0].X, 230.f);
    EXPECT_FLOAT_EQ((*r.C)[0].X, 300.f) << "unselected objects stay";
    EXPECT_EQ(r.A->Bounds.Top, 150 - r.Nl.View.HitMargin());
}
