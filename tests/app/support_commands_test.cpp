// Support objects and patterns from the controller: creating a frame and sizing it through the
// scripted "Frame Sizes", moving and locking, the context menu, deleting, and a pattern drawn in a
// creator applied to a column and to a region fill through the pattern viewer.
#include "platform/RecordingCanvas.h"
#include "regions/Pattern.h"
#include "regions/SLRegion.h"
#include "stitching/Overlay.h"
#include "tests/app/Fixture.h"
#include "tests/core/TempDir.h"
#include "tests/formats/SampleSheets.h"
#include "tests/regions/TestShapes.h"
#include "ui/HoopPresets.h"
#include "ui/PatternViewer.h"
#include "ui/SupportPage.h"

using namespace nl;
using namespace nl::test;

namespace {
size_t FillPoints(const TSLStitch& s) {
    size_t n = 0;
    for (const TSP& p : s)
        n += (p.Flags & SP_FILL) != 0;
    return n;
}
} // namespace

TEST(SupportCommands, FrameIsCreatedSizedMovedAndDeleted) {
    TShell t;
    t.Nl.Execute(TCommand::CreateFrame);
    ASSERT_EQ(t.Nl.Sew.Support.Count(), 2);
    TObjectBase& frame = *t.Nl.Sew.Support[1];
    EXPECT_TRUE(t.Nl.Sew.Modified);
    const TKvRect r = frame.Rect;

    // The context menu on its border; "Frame Sizes" chooses Viking's 100 x 170 turned.
    std::vector<TContextItem> items = t.Nl.ContextMenuAt(r.Left, r.Top + 50);
    EXPECT_EQ(items.back().Caption, "Embroidery Frame Properties");
    t.Host.FrameSizesScript = [&] {
        TFrameSizes* m = t.Nl.FrameSizes();
        ASSERT_TRUE(m);
        EXPECT_EQ(m->Tab(), 0);
        EXPECT_EQ(m->Preset(), 0);
        m->SetSwapped(true);
        m->Choose(0, 1);
    };
    t.Nl.RunContextCommand(ItemCode(items, "Change Frame Size"));
    EXPECT_EQ(frame.Width(), 170 * 20);
    EXPECT_EQ(frame.Height(), 100 * 20);
    EXPECT_EQ(t.Host.Status, "  Frame Size 170 x 100 mm ( Viking )");
    // Opened again it finds 100 x 170 with "Swap Hoop Axes" checked.
    t.Host.FrameSizesScript = [&] {
        EXPECT_EQ(t.Nl.FrameSizes()->Preset(), 1);
        EXPECT_TRUE(t.Nl.FrameSizes()->Swapped());
    };
    t.Nl.ChangeFrameSize(frame);

    // Dragged by its border it moves; a drag inside a frame does not take it.
    t.Drag(r.Left, r.Top + 50, r.Left + 100, r.Top + 150);
    EXPECT_EQ(frame.Rect.Left, r.Left + 100);
    t.Drag(r.Left + 600, r.Top + 600, r.Left + 700, r.Top + 700);
    EXPECT_EQ(frame.Rect.Left, r.Left + 100);
    frame.Locked = 1;
    t.Drag(frame.Rect.Left, frame.Rect.Top + 50, frame.Rect.Left + 100, frame.Rect.Top + 150);
    EXPECT_EQ(frame.Rect.Left, r.Left + 100) << "locked";

    t.Host.Answers = {TButton::No};
    items = t.Nl.ContextMenuAt(frame.Rect.Left, frame.Rect.Top + 50);
    t.Nl.RunContextCommand(ItemCode(items, "Delete Object"));
    EXPECT_EQ(t.Nl.Sew.Support.Count(), 2);
    t.Host.Answers = {TButton::Yes};
    items = t.Nl.ContextMenuAt(frame.Rect.Left, frame.Rect.Top + 50);
    t.Nl.RunContextCommand(ItemCode(items, "Delete Object"));
    EXPECT_EQ(t.Nl.Sew.Support.Count(), 1);

    // Every support edit is an undo step: the delete, the lock-free moves, the size, the creation.
    ASSERT_TRUE(t.Nl.Undo());
    ASSERT_EQ(t.Nl.Sew.Support.Count(), 2);
    EXPECT_EQ(t.Nl.Sew.Support[1]->Rect.Left, r.Left + 100);
    ASSERT_TRUE(t.Nl.Undo());
    EXPECT_EQ(t.Nl.Sew.Support[1]->Rect.Left, r.Left);
    ASSERT_TRUE(t.Nl.Undo());
    EXPECT_EQ(t.Nl.Sew.Support[1]->Width(), 100 * 20);
    ASSERT_TRUE(t.Nl.Undo());
    EXPECT_EQ(t.Nl.Sew.Support.Count(), 1);
    ASSERT_TRUE(t.Nl.Redo());
    EXPECT_EQ(t.Nl.Sew.Support.Count(), 2);
}

TEST(SupportCommands, PatternDrawnInACreatorPiercesAColumnAndARegion) {
    TShell t;
    t.Nl.Execute(TCommand::CreatePatternCreator);
    auto* creator = static_cast<TObjectPatternCreator*>(t.Nl.Sew.Support[1]);
    const int x = creator->Rect.Left, y = creator->Rect.Top;
    // A diagonal direct stitch drawn inside the creator becomes its member.
    t.Nl.Execute(TCommand::CreateDirect);
    t.Click(x + 10, y + 10);
    t.Click(x + 790, y + 790);
    t.RightClick(x + 10, y + 10);
    ASSERT_EQ(creator->Members.size(), 1u);
    TSLStitch* member = creator->Members[0];
    EXPECT_TRUE(member->Flags & OF_PATTERN_MEMBER);

    // A pattern copy scales the 800-unit creator into its 200-unit tile (0.25); the line stitch's
    // points went to the creator's grid (50 units): 790 to 800.
    auto copy = MakeCopy(*creator);
    ASSERT_EQ(copy->Items.size(), 1u);
    EXPECT_FLOAT_EQ((*copy->Items[0])[1].X, 800 * 0.25f);
    EXPECT_TRUE(copy->IsCopy());

    // A column and a region outside the creator.
    TSLCurve* railA = AddColumn(t.Nl.Sew, {{2000, 2000}, {6000, 2000}}, {{2000, 2200}, {6000, 2200}},
                                DEFAULT_OBJECT_COLOUR);
    Restitch(*railA, t.Nl.StitchContext());
    TSLCurve* square = static_cast<TSLCurve*>(t.Nl.Sew.Add(ClosedOutline(Square(2000, 3000, 2000))));
    TSLRegion* region = static_cast<TSLRegion*>(t.Nl.Sew.Add(RegionOn(*square, t.Nl.StitchContext())));
    Restitch(*region, t.Nl.StitchContext());
    ASSERT_TRUE(region->FillStitches);
    EXPECT_EQ(FillPoints(*railA->Stitches()), 0u);
    const size_t regionBefore = FillPoints(*region->FillStitches);

    // The viewer offers the creator; choosing it gives the current object the pattern.
    for (TSLStitch* target : std::vector<TSLStitch*>{railA, region}) {
        t.Nl.Sew.SetCurrent(target);
        t.Host.PatternViewerScript = [&] {
            TPatternViewer* v = t.Nl.PatternViewer();
            ASSERT_TRUE(v);
            ASSERT_EQ(v->Entries().size(), 1u);
            EXPECT_EQ(v->Entries()[0].Name, "WorkSheet Pattern");
            TRecordingCanvas thumb;
            v->DrawThumbnail(0, thumb, 0, 0);
            EXPECT_EQ(thumb.CountKind('P'), 1u);
            EXPECT_TRUE(v->Choose(0));
        };
        t.Nl.Execute(TCommand::PatternViewer);
    }
    EXPECT_TRUE(railA->StitchFlags & SF_PROG_STITCH);
    EXPECT_GT(FillPoints(*railA->Stitches()), 20u) << "the column is pierced";
    EXPECT_TRUE(region->StitchFlags & SF_PROG_STITCH);
    // The rows take the pattern's crossings in place of the pitch split.
    EXPECT_GT(FillPoints(*region->FillStitches), 20u) << "the fill is pierced";
    EXPECT_NE(FillPoints(*region->FillStitches), regionBefore);

    // Moving the creator carries its drawing; deleting it deletes the drawing.
    const float mx = (*member)[0].X;
    t.Drag(x + 400, y + 100, x + 500, y + 100);
    EXPECT_EQ((*member)[0].X, mx + 100);
    t.Host.Answers = {TButton::Yes};
    EXPECT_TRUE(t.Nl.DeleteSupport(1));
    EXPECT_LT(t.Nl.Sew.IndexOf(member), 0);
    // Undone, the creator comes back with its drawing as members.
    ASSERT_TRUE(t.Nl.Undo());
    ASSERT_EQ(t.Nl.Sew.Support.Creators().size(), 1u);
    ASSERT_EQ(t.Nl.Sew.Support.Creators()[0]->Members.size(), 1u);
    EXPECT_EQ(t.Nl.Sew.Support.Creators()[0]->Members[0], member);
}

TEST(SupportCommands, AMemoLockedToAnObjectFollowsItThroughOrderMovesUndoAndFiles) {
    test::TTempDir dir;
    TShell t;
    TSLStitch* other = t.Direct(600, 400, 3);
    TSLStitch* mine = t.Direct(600, 500, 3);
    t.Nl.Execute(TCommand::CreateTextLabel);
    // The memo is the only support object (item 0 is the rubber band); an undo that reads the list
    // back makes it anew, so it is looked up each time.
    auto memo = [&t] { return static_cast<TObjectText*>(t.Nl.Sew.Support[1]); };
    auto at = [&memo] { return std::make_pair(memo()->Rect.Left, memo()->Rect.Top); };
    t.Nl.Sew.SetCurrent(mine);
    t.Nl.ShowSupportProperties(*memo());
    EXPECT_EQ(t.Nl.SupportPage()->LockCaption(), "Lock To Selected");
    t.Nl.EditSupport("Lock To Selected", [&] { t.Nl.SupportPage()->ToggleLock(t.Nl.Sew.Current()); });
    EXPECT_EQ(t.Nl.SupportPage()->LockCaption(), "Unlock Memo");
    ASSERT_EQ(memo()->Locked, mine);

    // Sent to the bottom, the object changes its place in the list: the memo still follows it.
    ASSERT_TRUE(t.Nl.ChangeDrawingOrder(false, mine));
    ASSERT_EQ(t.Nl.Sew[0], mine);
    t.Nl.SetMode(TMode::ObjectLayout);
    t.Click(610, 500);
    ASSERT_TRUE(mine->Flags & OF_SELECTED_LAYOUT);
    ASSERT_FALSE(other->Flags & OF_SELECTED_LAYOUT);
    const auto start = at();
    t.Drag(610, 500, 660, 560);
    EXPECT_EQ(at(), std::make_pair(start.first + 50, start.second + 60));
    // Undo Move puts the memo back with its object; redo moves both again.
    t.Nl.Execute(TCommand::Undo);
    EXPECT_EQ((*mine)[0].X, 600);
    EXPECT_EQ(at(), start);
    t.Nl.Execute(TCommand::Redo);
    EXPECT_EQ(at(), std::make_pair(start.first + 50, start.second + 60));
    // The arrow keys move it too, as one step with the object.
    EXPECT_TRUE(t.Nl.KeyDown(TKey::Right, {}));
    EXPECT_EQ(at().first, start.first + 70);
    t.Nl.Execute(TCommand::Undo);
    EXPECT_EQ(at().first, start.first + 50);

    // In the file the lock is the object's place (+ 1); read back it is that object again.
    const auto file = dir / "memo.Nl1";
    ASSERT_TRUE(t.Nl.SaveWorksheetAs(file.string()));
    EXPECT_EQ(memo()->LockedTo, 1);
    TShell u;
    ASSERT_TRUE(u.Nl.OpenWorksheet(file.string()));
    ASSERT_EQ(u.Nl.Sew.Support.Count(), 2);
    EXPECT_EQ(static_cast<TObjectText*>(u.Nl.Sew.Support[1])->Locked, u.Nl.Sew[0]);

    // Deleting the object lets the memo go; undoing the delete locks it again.
    t.Host.Answers = {TButton::Yes};
    t.Nl.Execute(TCommand::Delete);
    ASSERT_EQ(t.Nl.Sew.IndexOf(mine), -1);
    EXPECT_EQ(memo()->Locked, nullptr);
    t.Click(610, 400);
    t.Drag(610, 400, 700, 400);
    EXPECT_EQ(at().first, start.first + 50) << "the memo follows nothing else";
    t.Nl.Execute(TCommand::Undo);
    t.Nl.Execute(TCommand::Undo);
    EXPECT_EQ(memo()->Locked, mine);
}
