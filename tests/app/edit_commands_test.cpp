// The editing operations of the Edit menu through the controller: copy, cut, paste and duplicate
// through the clipboard record, mirror, the rotate and resize dialogs, and the arrow keys; each
// one undo step that gives back the saved bytes.
#include "Sheet.h"
#include "formats/Clipboard.h"
#include "formats/Worksheet.h"
#include "stitching/SLFont.h"
#include "ui/TransformDialogs.h"

using namespace nl;
using nl::test::TSheet;

namespace {
std::vector<uint8_t> Bytes(TSheet& s) {
    return WorksheetBytes(s.Nl.Sew, "t");
}
TKvRect SelectedBounds(TNL& nl) {
    TKvRect r{.empty = true};
    for (int32_t i = 0; i < nl.Sew.Count(); ++i)
        if (nl.Sew[i]->Flags & OF_SELECTED_LAYOUT) r.UnionWith(nl.Sew[i]->GetPathBounds());
    return r;
}
// Only the direct stitch object selected, in Object Layout mode.
void SelectOnly(TSheet& s, TSLStitch* o) {
    s.Nl.SetMode(TMode::ObjectLayout);
    s.Nl.Sew.ClearSelection(OF_SELECTED_LAYOUT);
    o->SetFlags(OF_SELECTED_LAYOUT);
}
} // namespace

TEST(EditCommands, DuplicatePlacesTheCopyFourMillimetresOnAndUndoes) {
    TSheet s;
    SelectOnly(s, s.Direct);
    const TKvRect before = SelectedBounds(s.Nl);
    const auto bytes = Bytes(s);
    const int32_t n = s.Nl.Sew.Count();
    s.Nl.Execute(TCommand::Duplicate);
    ASSERT_EQ(s.Nl.Sew.Count(), n + 1);
    TSLStitch* copy = s.Nl.Sew[n];
    EXPECT_EQ(copy->GetPathBounds().Left, before.Left + 80);
    EXPECT_EQ(copy->GetPathBounds().Top, before.Top + 80);
    EXPECT_TRUE(copy->Flags & OF_SELECTED_LAYOUT);
    EXPECT_FALSE(s.Direct->Flags & OF_SELECTED_LAYOUT);
    // The copy is in a group of its own, distinct from the original's.
    EXPECT_GT(copy->GroupId, 0);
    EXPECT_NE(copy->GroupId, s.Direct->GroupId);
    EXPECT_EQ(s.Nl.CommandCaption(TCommand::Undo), "Undo Duplicate");
    s.Nl.Execute(TCommand::Undo);
    EXPECT_EQ(Bytes(s), bytes);
}

TEST(EditCommands, PastingTwiceGivesTwoCopiesInFreshDistinctGroups) {
    TSheet s;
    s.Nl.SetMode(TMode::ObjectLayout); // the whole group is selected
    ASSERT_TRUE(s.Nl.CopySelection());
    const int32_t n = s.Nl.Sew.Count();
    ASSERT_TRUE(s.Nl.PasteAt(3000, 3000));
    ASSERT_TRUE(s.Nl.PasteAt(3000, 3000));
    ASSERT_EQ(s.Nl.Sew.Count(), 3 * n);
    const int32_t g0 = s.Nl.Sew[0]->GroupId, g1 = s.Nl.Sew[n]->GroupId, g2 = s.Nl.Sew[2 * n]->GroupId;
    EXPECT_NE(g1, g0);
    EXPECT_NE(g2, g0);
    EXPECT_NE(g1, g2);
    // The pasted column is a pair, and the pasted region stands on the pasted outline.
    for (int32_t i = n; i < 2 * n; ++i) {
        TSLStitch* o = s.Nl.Sew[i];
        if (o->Flags & OF_RAIL_A) {
            EXPECT_EQ(o->Partner(), s.Nl.Sew[i + 1]);
        }
        if (o->Kind() == KIND_REGION) {
            for (TSLStitch* u : o->UsedOutlines())
                EXPECT_GE(s.Nl.Sew.IndexOf(u), n);
            EXPECT_TRUE(o->Stitches() && o->Stitches()->Count() > 0);
        }
    }
    EXPECT_EQ(SelectedBounds(s.Nl).Left, 3000);
}

TEST(EditCommands, CutTakesTheRegionsOfACutOutlineAlong) {
    TSheet s;
    SelectOnly(s, s.Square);
    const auto bytes = Bytes(s);
    const int32_t n = s.Nl.Sew.Count();
    s.Nl.Execute(TCommand::Cut);
    EXPECT_EQ(s.Nl.Sew.Count(), n - 2); // the outline and its region
    for (int32_t i = 0; i < s.Nl.Sew.Count(); ++i)
        EXPECT_NE(s.Nl.Sew[i]->Kind(), KIND_REGION);
    // The clipboard holds both, and pasting them gives a working region again.
    ASSERT_TRUE(s.Nl.PasteAt(100, 100));
    EXPECT_EQ(s.Nl.Sew.Count(), n);
    s.Nl.Execute(TCommand::Undo);
    s.Nl.Execute(TCommand::Undo);
    EXPECT_EQ(Bytes(s), bytes);
}

TEST(EditCommands, ADamagedClipboardFailsThePasteAndLeavesNothing) {
    TSheet s;
    s.Nl.SetMode(TMode::ObjectLayout);
    ASSERT_TRUE(s.Nl.CopySelection());
    std::vector<uint8_t> good = s.Host.Clipboard;
    const auto bytes = Bytes(s);
    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> damage;
    } cases[] = {
        {"cut short", [](auto& b) { b.resize(b.size() / 2); }},
        {"count too large", [](auto& b) { b[8] = 99; }},
        {"count too small", [](auto& b) { b[8] = 1; }},
        {"unknown kind", [](auto& b) { b[12] = 24; }},
        {"no end marker", [](auto& b) { b.pop_back(); }},
    };
    for (auto& c : cases) {
        s.Host.Clipboard = good;
        c.damage(s.Host.Clipboard);
        const size_t messages = s.Host.Messages.size();
        EXPECT_FALSE(s.Nl.PasteAt(10, 10)) << c.what;
        ASSERT_EQ(s.Host.Messages.size(), messages + 1) << c.what;
        EXPECT_EQ(s.Host.Messages.back().Text, "The Paste Operation Has Failed.");
        EXPECT_EQ(Bytes(s), bytes) << c.what;
    }
    // Text from another program: nothing happens, nothing is said.
    s.Host.Clipboard = {'h', 'e', 'l', 'l', 'o'};
    const size_t messages = s.Host.Messages.size();
    EXPECT_FALSE(s.Nl.PasteAt(10, 10));
    EXPECT_EQ(s.Host.Messages.size(), messages);
}

TEST(EditCommands, RailBMustFollowItsRailA) {
    TSheet s;
    SelectOnly(s, s.RailA);
    ASSERT_TRUE(s.Nl.CopySelection());
    // Swap the two rails' records: rail B first.
    auto objects = ReadClipboard(s.Host.Clipboard, 0, 0, s.Nl.StitchContext());
    ASSERT_TRUE(objects && objects->size() == 2u);
    (*objects)[0]->Flags &= ~OF_RAIL_A;
    s.Host.Clipboard = ClipboardBytes({(*objects)[0].get(), (*objects)[1].get()}, 0, 0);
    EXPECT_THROW(ReadClipboard(s.Host.Clipboard, 0, 0, s.Nl.StitchContext()), TReadError);
}

TEST(EditCommands, MirrorTurnsTheFillAngleAndUndoes) {
    struct Case {
        TCommand command;
        float expected;
    } cases[] = {{TCommand::MirrorHorizontal, -30.f}, {TCommand::MirrorVertical, 150.f}};
    for (auto& c : cases) {
        TSheet s;
        s.Region->Rotation = 30;
        SelectOnly(s, s.Square);
        const auto bytes = Bytes(s);
        const float x0 = (*s.Square)[0].X;
        s.Nl.Execute(c.command);
        EXPECT_FLOAT_EQ(s.Region->Rotation, c.expected);
        EXPECT_TRUE(s.Region->Flags & OF_SELECTED_LAYOUT); // closed over its outline
        if (c.command == TCommand::MirrorHorizontal) {
            EXPECT_FLOAT_EQ((*s.Square)[0].X, 900 + 1300 - x0);
        }
        s.Nl.Execute(TCommand::Undo);
        EXPECT_EQ(Bytes(s), bytes);
    }
}

TEST(EditCommands, RotateDialogStartsFromTheCopiesEachTime) {
    TSheet s;
    SelectOnly(s, s.Direct);
    std::vector<TSP> start(s.Direct->begin(), s.Direct->end());
    std::vector<TSP> at45;
    s.Host.RotateDialogScript = [&] {
        TRotateDialog* d = s.Nl.RotateDialog();
        ASSERT_NE(d, nullptr);
        EXPECT_FALSE(s.Nl.IsEnabled(TCommand::Delete)); // commands wait while it is open
        d->SetAngle(45);
        at45.assign(s.Direct->begin(), s.Direct->end());
        d->SetAngle(90);
        d->SetAngle(45);
        for (int32_t i = 0; i < s.Direct->Count(); ++i) {
            EXPECT_EQ((*s.Direct)[i].X, at45[static_cast<size_t>(i)].X);
            EXPECT_EQ((*s.Direct)[i].Y, at45[static_cast<size_t>(i)].Y);
        }
        d->SetAngle(500);
        EXPECT_EQ(d->Angle(), 360);
        for (int32_t i = 0; i < s.Direct->Count(); ++i)
            EXPECT_NEAR((*s.Direct)[i].X, start[static_cast<size_t>(i)].X, 0.01);
        d->SetAngle(90);
        d->Ok();
    };
    s.Nl.Execute(TCommand::Rotate);
    EXPECT_NE((*s.Direct)[0].X, start[0].X);
    EXPECT_EQ(s.Nl.CommandCaption(TCommand::Undo), "Undo Rotate");
    s.Nl.Execute(TCommand::Undo);
    EXPECT_EQ((*s.Direct)[0].X, start[0].X);
}

TEST(EditCommands, ResizeRefusesUnderThreeMillimetresAndKeepsProportions) {
    TSheet s;
    SelectOnly(s, s.Square); // 20 mm square, with the region on it
    const auto bytes = Bytes(s);
    s.Host.ResizeDialogScript = [&] {
        TResizeDialog* d = s.Nl.ResizeDialog();
        ASSERT_NE(d, nullptr);
        const double mm = d->Value(TResizeField::WidthMm);
        EXPECT_NEAR(mm, 20.0, 0.5);
        EXPECT_FALSE(d->Set(TResizeField::WidthPercent, 10)); // 2 mm
        EXPECT_DOUBLE_EQ(d->Value(TResizeField::WidthPercent), 100);
        EXPECT_TRUE(d->Set(TResizeField::WidthMm, 2 * mm));
        EXPECT_NEAR(d->Value(TResizeField::WidthPercent), 200, 1e-9);
        EXPECT_NEAR(d->Value(TResizeField::HeightPercent), 200, 1e-9);
        EXPECT_TRUE(d->Set(TResizeField::WidthPercent, 5000)); // clamped to 1000 %
        EXPECT_DOUBLE_EQ(d->Value(TResizeField::WidthPercent), 1000);
        // Cancel asks; No keeps the dialog open with the changes.
        s.Host.Answers.push_back(TButton::No);
        d->Cancel();
        EXPECT_FALSE(d->Closed());
        s.Host.Answers.push_back(TButton::Yes);
        d->Cancel();
        EXPECT_TRUE(d->Closed());
    };
    s.Nl.Execute(TCommand::Resize);
    EXPECT_EQ(Bytes(s), bytes); // cancelled: as it was
}

TEST(EditCommands, ArrowKeysMoveTheSelectionAsOneStepEach) {
    TSheet s;
    SelectOnly(s, s.Square);
    const auto bytes = Bytes(s);
    const float x0 = (*s.Square)[0].X;
    const int32_t scroll = s.Nl.View.ScrollX;
    EXPECT_TRUE(s.Nl.KeyDown(TKey::Right, {}));
    EXPECT_TRUE(s.Nl.KeyDown(TKey::Right, {}));
    EXPECT_FLOAT_EQ((*s.Square)[0].X, x0 + 40);
    EXPECT_EQ(s.Nl.View.ScrollX, scroll);
    s.Nl.Execute(TCommand::Undo);
    s.Nl.Execute(TCommand::Undo);
    EXPECT_EQ(Bytes(s), bytes);
    s.Nl.Sew.ClearSelection(OF_SELECTED_LAYOUT);
    s.Nl.KeyDown(TKey::Right, {});
    EXPECT_NE(s.Nl.View.ScrollX, scroll); // nothing selected: the view scrolls
}

namespace {
// The worksheet's bytes without the selection bits: what an undo must give back.
std::vector<uint8_t> Content(TSheet& s) {
    std::vector<uint32_t> flags;
    for (int32_t i = 0; i < s.Nl.Sew.Count(); ++i) {
        flags.push_back(s.Nl.Sew[i]->Flags);
        s.Nl.Sew[i]->ClearFlags(OF_SELECTED_EDIT | OF_SELECTED_LAYOUT);
    }
    auto b = Bytes(s);
    for (int32_t i = 0; i < s.Nl.Sew.Count(); ++i)
        s.Nl.Sew[i]->Flags = flags[static_cast<size_t>(i)];
    return b;
}
} // namespace

TEST(EditCommands, MirrorAndGroupOfARegionAloneUndoTheOutlinesTheyTookAlong) {
    // Only the fill region selected (and current): the edit closes the selection over its outline,
    // which the undo must give back too.
    for (TCommand c : {TCommand::MirrorHorizontal, TCommand::MirrorVertical}) {
        TSheet s;
        SelectOnly(s, s.Region);
        s.Nl.Sew.SetCurrent(s.Region);
        const auto before = Content(s);
        const auto square = std::vector<TSP>(s.Square->begin(), s.Square->end());
        s.Nl.Execute(c);
        ASSERT_NE((*s.Square)[1].X + (*s.Square)[1].Y, square[1].X + square[1].Y) << "the outline was mirrored";
        s.Nl.Execute(TCommand::Undo);
        EXPECT_EQ((*s.Square)[1].X, square[1].X);
        EXPECT_EQ((*s.Square)[1].Y, square[1].Y);
        EXPECT_EQ(Content(s), before);
    }
    TSheet s;
    // Everything ungrouped first (one step), then a group of the region alone.
    s.Nl.SetMode(TMode::ObjectLayout);
    s.Host.Answers = {TButton::Yes, TButton::Yes, TButton::Yes};
    s.Nl.Execute(TCommand::GroupSelection);
    ASSERT_EQ(s.Nl.Sew.Groups.Count(), 0);
    SelectOnly(s, s.Region);
    const auto before = Content(s);
    s.Nl.Execute(TCommand::GroupSelection);
    EXPECT_EQ(s.Square->GroupId, s.Region->GroupId) << "the outline joins its region's group";
    s.Nl.Execute(TCommand::Undo);
    EXPECT_EQ(s.Square->GroupId, 0);
    EXPECT_EQ(s.Nl.Sew.Groups.Count(), 0);
    EXPECT_EQ(Content(s), before);
    // The next group is the direct stitch object's alone: nothing unrelated is merged into it.
    SelectOnly(s, s.Direct);
    s.Nl.Execute(TCommand::GroupSelection);
    EXPECT_GT(s.Direct->GroupId, 0);
    EXPECT_EQ(s.Square->GroupId, 0);
    EXPECT_EQ(s.Region->GroupId, 0);
}

TEST(EditCommands, CancelInTheRotateOrResizeDialogLeavesTheWorksheetUnmodified) {
    for (bool rotate : {true, false}) {
        SCOPED_TRACE(rotate ? "rotate" : "resize");
        TSheet s;
        SelectOnly(s, s.Square);
        s.Nl.Sew.Modified = false;
        const auto bytes = Bytes(s);
        const size_t steps = s.Nl.Sew.History.Recorded();
        s.Host.RotateDialogScript = [&] {
            s.Nl.RotateDialog()->SetAngle(45);
            s.Nl.RotateDialog()->Cancel();
        };
        s.Host.ResizeDialogScript = [&] {
            s.Nl.ResizeDialog()->Set(TResizeField::WidthPercent, 150);
            s.Host.Answers.push_back(TButton::Yes);
            s.Nl.ResizeDialog()->Cancel();
        };
        s.Nl.Execute(rotate ? TCommand::Rotate : TCommand::Resize);
        EXPECT_EQ(Bytes(s), bytes);
        EXPECT_EQ(s.Nl.Sew.History.Recorded(), steps);
        EXPECT_FALSE(s.Nl.Sew.Modified) << "nothing changed";
        EXPECT_EQ(s.Host.Caption, "Nordelune : ( " + s.FileName + " )");
        // Closed with a change: modified, one step.
        s.Host.RotateDialogScript = [&] { s.Nl.RotateDialog()->SetAngle(45); };
        s.Host.ResizeDialogScript = [&] { s.Nl.ResizeDialog()->Set(TResizeField::WidthPercent, 150); };
        s.Nl.Execute(rotate ? TCommand::Rotate : TCommand::Resize);
        EXPECT_TRUE(s.Nl.Sew.Modified);
        EXPECT_EQ(s.Nl.Sew.History.Recorded(), steps + 1);
    }
}

TEST(EditCommands, LetteringCharactersCopyCutDuplicateAndPaste) {
    TSheet s;
    auto* text = s.Nl.Sew.AddNew<TSLFont>();
    text->Flags |= OF_NEEDLE_POINTS | OF_VISIBLE;
    for (int i = 0; i < 6; ++i)
        text->Append(TSP::Plain(0, 1200.f + 20.f * i, 800.f + 30.f * (i % 2)));
    text->UpdateBounds(s.Nl.StitchContext());
    const int32_t n = s.Nl.Sew.Count();
    auto kinds = [&] {
        int found = 0;
        for (int32_t i = 0; i < s.Nl.Sew.Count(); ++i)
            found += s.Nl.Sew[i]->Kind() == KIND_FONT;
        return found;
    };
    SelectOnly(s, text);
    s.Nl.Execute(TCommand::Copy);
    ASSERT_TRUE(s.Nl.PasteAt(100, 900));
    EXPECT_TRUE(s.Host.Messages.empty()) << s.Host.Messages[0].Text;
    EXPECT_EQ(s.Nl.Sew.Count(), n + 1);
    EXPECT_EQ(kinds(), 2);
    SelectOnly(s, text);
    s.Nl.Execute(TCommand::Duplicate);
    EXPECT_EQ(kinds(), 3);
    EXPECT_FLOAT_EQ((*s.Nl.Sew[s.Nl.Sew.Count() - 1])[0].X, (*text)[0].X + 80);
    SelectOnly(s, text);
    s.Nl.Execute(TCommand::Cut);
    EXPECT_EQ(kinds(), 2);
    ASSERT_TRUE(s.Nl.PasteAt(300, 900)) << "what Cut left on the clipboard pastes";
    EXPECT_EQ(kinds(), 3);
    EXPECT_TRUE(s.Host.Messages.empty());
}
