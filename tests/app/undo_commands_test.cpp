#include "Fixture.h"

using namespace nl;
using nl::test::TShell;

namespace {
std::vector<float> Xs(const TSLStitch& o) {
    std::vector<float> v;
    for (const TSP& p : o)
        v.push_back(p.X);
    return v;
}
} // namespace

TEST(UndoCommands, CreationMoveAndDeleteUndoFromTheEditMenu) {
    TShell s;
    EXPECT_FALSE(s.Nl.IsEnabled(TCommand::Undo));
    EXPECT_EQ(s.Nl.CommandCaption(TCommand::Undo), "Undo");
    TSLStitch* o = s.Direct(100, 100, 3);
    ASSERT_EQ(s.Nl.Sew.Count(), 1);
    EXPECT_EQ(s.Nl.CommandCaption(TCommand::Undo), "Undo Create Direct Stitch");
    const auto placed = Xs(*o);

    s.Nl.Execute(TCommand::ModeLayout);
    s.Click(110, 100);
    ASSERT_TRUE(o->Flags & OF_SELECTED_LAYOUT);
    s.Drag(110, 100, 160, 100);
    EXPECT_EQ(Xs(*o)[0], placed[0] + 50);
    EXPECT_EQ(s.Nl.CommandCaption(TCommand::Undo), "Undo Move");

    s.Host.Answers.push_back(TButton::Yes);
    s.Nl.Execute(TCommand::Delete);
    EXPECT_EQ(s.Nl.Sew.Count(), 0);
    EXPECT_EQ(s.Nl.CommandCaption(TCommand::Undo), "Undo Delete");

    s.Nl.Execute(TCommand::Undo);
    ASSERT_EQ(s.Nl.Sew.Count(), 1);
    EXPECT_EQ(s.Nl.Sew[0], o);
    s.Nl.Execute(TCommand::Undo);
    EXPECT_EQ(Xs(*o), placed);
    EXPECT_TRUE(s.Nl.Sew.Modified);
    s.Nl.Execute(TCommand::Undo);
    EXPECT_EQ(s.Nl.Sew.Count(), 0);
    EXPECT_FALSE(s.Nl.Sew.Modified); // as the empty worksheet was
    EXPECT_FALSE(s.Nl.IsEnabled(TCommand::Undo));

    s.Nl.Execute(TCommand::Redo);
    s.Nl.Execute(TCommand::Redo);
    ASSERT_EQ(s.Nl.Sew.Count(), 1);
    EXPECT_EQ(Xs(*s.Nl.Sew[0])[0], placed[0] + 50);
    EXPECT_EQ(s.Nl.CommandCaption(TCommand::Redo), "Redo Delete");
    EXPECT_TRUE(s.Nl.Sew.Modified);
}

TEST(UndoCommands, ANewWorksheetClearsTheHistory) {
    TShell s;
    s.Direct(100, 100, 3);
    ASSERT_TRUE(s.Nl.IsEnabled(TCommand::Undo));
    s.Host.Answers.push_back(TButton::Discard);
    s.Nl.Execute(TCommand::FileNew);
    EXPECT_FALSE(s.Nl.IsEnabled(TCommand::Undo));
    EXPECT_FALSE(s.Nl.IsEnabled(TCommand::Redo));
}
