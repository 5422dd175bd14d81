// Pattern files from the controller: "Export Stitch Pattern" and "Import Stitch Pattern" on a
// creator's context menu with their dialogs, the clearing question and the messages on a bad file
// (which changes nothing), the import as one undo step, and the pattern viewer offering the files
// of the patterns folder beside the worksheet's creators.
#include <filesystem>

#include "core/FileIO.h"
#include "formats/PatternFile.h"
#include "formats/Worksheet.h"
#include "platform/RecordingCanvas.h"
#include "regions/Pattern.h"
#include "regions/SLRegion.h"
#include "tests/app/Fixture.h"
#include "tests/core/TempDir.h"
#include "tests/formats/SamplePatterns.h"
#include "tests/regions/TestShapes.h"
#include "ui/PatternViewer.h"

using namespace nl;
using namespace nl::test;

namespace {

struct TCreatorShell : TShell {
    TTempDir Dir;
    TObjectPatternCreator* Creator = nullptr;
    TCreatorShell() {
        Host.Folder = Dir.Path.string(); // the program folder: its "Patterns" is the test's
        Nl.Execute(TCommand::CreatePatternCreator);
        Creator = static_cast<TObjectPatternCreator*>(Nl.Sew.Support[1]);
        Nl.Sew.Support.Renumber(); // members name their creator by its place, as drawing in it does
    }
    std::vector<uint8_t> Bytes() { return WorksheetBytes(Nl.Sew, "t"); }
    void Run(const std::string& caption) {
        Nl.RunContextCommand(
            ItemCode(Nl.ContextMenuAt(Creator->Rect.Left + 5, Creator->Rect.Top + 5), caption));
    }
};
} // namespace

TEST(PatternCommands, ExportThenImportKeepsTheCreatorWhereItIs) {
    TCreatorShell t;
    const int x = t.Creator->Rect.Left, y = t.Creator->Rect.Top;
    TSLStitch* line = t.Nl.Sew.Add(StitchLine({{x + 100.f, y + 100.f}, {x + 700.f, y + 300.f}}));
    AddMember(*t.Creator, *line);

    // The creator's menu offers the pattern files first.
    const auto items = t.Nl.ContextMenuAt(x + 5, y + 5);
    ASSERT_GE(items.size(), 3u);
    EXPECT_EQ(items[0].Caption, "Import Stitch Pattern");
    EXPECT_EQ(items[1].Caption, "Export Stitch Pattern");

    // Export: the dialog starts in the patterns folder; the extension is added.
    t.Host.FileAnswers = {{true, (t.Dir.Path / "mine").string(), 1}};
    t.Run("Export Stitch Pattern");
    const auto file = t.Dir.Path / "mine.KVP";
    ASSERT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(t.Nl.Sew.Settings.PatternFileName, file.string());
    auto written = LoadPatternFile(file);
    ASSERT_EQ(written->Items.size(), 1u);
    EXPECT_FLOAT_EQ((*written->Items[0])[0].X, x + 100.f);
    EXPECT_EQ(written->Bounds, t.Creator->Rect);

    // The creator moves and its drawing is replaced by another; the import brings the file's
    // drawing back at the creator's new place, after asking.
    t.Creator->Offset(1000, 500);
    TSLStitch* other = t.Nl.Sew.Add(StitchLine({{x + 1200.f, y + 600.f}, {x + 1300.f, y + 900.f}}));
    AddMember(*t.Creator, *other);
    const auto before = t.Bytes();
    t.Host.FileAnswers = {{true, file.string(), 1}};
    t.Host.Answers = {TButton::No};
    t.Run("Import Stitch Pattern");
    EXPECT_EQ(t.Host.Messages.back().Heading, "Clearing Workspace !");
    EXPECT_EQ(t.Bytes(), before) << "declined: nothing changed";
    t.Host.FileAnswers = {{true, file.string(), 1}};
    t.Host.Answers = {TButton::Yes};
    t.Run("Import Stitch Pattern");
    ASSERT_EQ(t.Creator->Members.size(), 1u);
    EXPECT_LT(t.Nl.Sew.IndexOf(line), 0);
    EXPECT_LT(t.Nl.Sew.IndexOf(other), 0);
    const TSLStitch& m = *t.Creator->Members[0];
    EXPECT_TRUE(m.Flags & OF_PATTERN_MEMBER);
    EXPECT_EQ(t.Creator->Rect.Left, x + 1000);
    EXPECT_FLOAT_EQ(m[0].X, x + 1100.f);
    EXPECT_FLOAT_EQ(m[0].Y, y + 600.f);
    // One undo step gives back the worksheet as it was before the import.
    const auto after = t.Bytes();
    ASSERT_TRUE(t.Nl.Undo());
    EXPECT_EQ(t.Bytes(), before);
    ASSERT_TRUE(t.Nl.Redo());
    EXPECT_EQ(t.Bytes(), after);
}

TEST(PatternCommands, ABadFileIsNamedAndChangesNothing) {
    TCreatorShell t;
    AddMember(*t.Creator, *t.Nl.Sew.Add(StitchLine(
                              {{float(t.Creator->Rect.Left + 10), float(t.Creator->Rect.Top + 10)},
                               {float(t.Creator->Rect.Left + 90), float(t.Creator->Rect.Top + 90)}})));
    std::vector<uint8_t> damaged = PatternFileBytes(*DiamondsPattern());
    damaged[57] = 9; // an object kind no pattern holds
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* heading;
    } cases[] = {
        {"photo.KVP", {0xFF, 0xD8, 0xFF, 0xE0}, "Unrecognised or Unusual File Format."},
        {"damaged.KVP", damaged, "Pattern Loading Error "},
        {"short.KVP", {2, 0, 0}, "Pattern Loading Error "},
    };
    const size_t undoable = t.Nl.Sew.History.UndoCount();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto path = t.Dir.Path / c.name;
        WriteFileAtomic(path, c.bytes);
        const auto before = t.Bytes();
        t.Host.Messages.clear();
        t.Host.FileAnswers = {{true, path.string(), 1}};
        t.Host.Answers = {TButton::Yes};
        t.Run("Import Stitch Pattern");
        ASSERT_EQ(t.Host.Messages.size(), 1u) << "no clearing question before the file is known good";
        EXPECT_EQ(t.Host.Messages[0].Heading, c.heading);
        EXPECT_NE(t.Host.Messages[0].Text.find(c.name), std::string::npos) << t.Host.Messages[0].Text;
        EXPECT_EQ(t.Bytes(), before);
        EXPECT_EQ(t.Creator->Members.size(), 1u);
    }
    EXPECT_EQ(t.Nl.Sew.History.UndoCount(), undoable);
}

TEST(PatternCommands, TheViewerOffersPatternFilesAndAppliesThem) {
    TCreatorShell t;
    const auto folder = t.Dir.Path / PATTERNS_FOLDER_NAME;
    std::filesystem::create_directories(folder);
    SavePatternFile(folder / "Rings.KVP", *RingsPattern());
    WriteFileAtomic(folder / "broken.KVP", std::vector<uint8_t>{2, 1});
    TSLCurve* square = static_cast<TSLCurve*>(t.Nl.Sew.Add(ClosedOutline(Square(3000, 3000, 2000))));
    TSLRegion* region = static_cast<TSLRegion*>(t.Nl.Sew.Add(RegionOn(*square, t.Nl.StitchContext())));
    Restitch(*region, t.Nl.StitchContext());
    t.Nl.Sew.SetCurrent(region);
    const auto before = t.Bytes();
    t.Host.PatternViewerScript = [&] {
        TPatternViewer* v = t.Nl.PatternViewer();
        ASSERT_TRUE(v);
        // The readable file first (the broken one is left out), then the worksheet's creator.
        ASSERT_EQ(v->Entries().size(), 2u);
        EXPECT_EQ(v->Entries()[0].Name, "Rings");
        EXPECT_EQ(v->Entries()[1].Name, "WorkSheet Pattern");
        TRecordingCanvas thumb;
        v->DrawThumbnail(0, thumb, 0, 0);
        EXPECT_EQ(thumb.CountKind('P'), 3u) << "the ring and the two strokes of the cross";
        EXPECT_TRUE(v->Choose(0));
    };
    t.Nl.Execute(TCommand::PatternViewer);
    ASSERT_TRUE(region->FillPattern);
    EXPECT_TRUE(region->StitchFlags & SF_PROG_STITCH);
    EXPECT_EQ(region->FillPattern->Items.size(), 3u);
    EXPECT_TRUE(region->FillPattern->IsCopy());
    size_t pierced = 0;
    for (const TSP& p : *region->FillStitches)
        pierced += (p.Flags & SP_FILL) != 0;
    EXPECT_GT(pierced, 20u);
    ASSERT_TRUE(t.Nl.Undo());
    EXPECT_EQ(t.Bytes(), before);
}

TEST(PatternCommands, APatternTravelsThroughTheClipboard) {
    TCreatorShell t;
    TSLCurve* square = static_cast<TSLCurve*>(t.Nl.Sew.Add(ClosedOutline(Square(3000, 3000, 2000))));
    TSLRegion* from = static_cast<TSLRegion*>(t.Nl.Sew.Add(RegionOn(*square, t.Nl.StitchContext())));
    TSLCurve* other = static_cast<TSLCurve*>(t.Nl.Sew.Add(ClosedOutline(Square(6000, 3000, 1000))));
    TSLRegion* to = static_cast<TSLRegion*>(t.Nl.Sew.Add(RegionOn(*other, t.Nl.StitchContext())));
    ASSERT_TRUE(t.Nl.ApplyPattern(*from, *RingsPattern()));
    from->FillPattern->PatternAngle = 0.5f; // a setting made on the page travels with it

    // Nothing to paste yet; the object copy on the clipboard is no pattern either.
    EXPECT_FALSE(t.Nl.ClipboardPattern());
    t.Host.Clipboard = {0x50, 0x05, 0, 0};
    EXPECT_FALSE(t.Nl.PastePattern(*to));
    t.Nl.CopyPattern(*from);
    ASSERT_TRUE(t.Nl.ClipboardPattern());
    const auto before = t.Bytes();
    ASSERT_TRUE(t.Nl.PastePattern(*to));
    ASSERT_TRUE(to->FillPattern);
    EXPECT_TRUE(to->StitchFlags & SF_PROG_STITCH);
    EXPECT_EQ(to->FillPattern->Items.size(), 3u);
    EXPECT_FLOAT_EQ(to->FillPattern->PatternAngle, 0.5f);
    EXPECT_EQ(to->FillPattern->PatternWidth, from->FillPattern->PatternWidth);
    EXPECT_FLOAT_EQ((*to->FillPattern->Items[1])[0].X, (*from->FillPattern->Items[1])[0].X)
        << "not scaled again";
    ASSERT_TRUE(t.Nl.Undo());
    EXPECT_EQ(t.Bytes(), before);

    // The viewer offers it too, after the files and the creators.
    t.Nl.Sew.SetCurrent(to);
    t.Host.PatternViewerScript = [&] {
        TPatternViewer* v = t.Nl.PatternViewer();
        ASSERT_TRUE(v);
        ASSERT_FALSE(v->Entries().empty());
        EXPECT_EQ(v->Entries().back().Name, "Clipboard Pattern");
        TRecordingCanvas thumb;
        v->DrawThumbnail(v->Entries().size() - 1, thumb, 0, 0);
        EXPECT_EQ(thumb.CountKind('P'), 3u);
        EXPECT_TRUE(v->Choose(v->Entries().size() - 1));
    };
    t.Nl.Execute(TCommand::PatternViewer);
    ASSERT_TRUE(to->FillPattern);
    EXPECT_FLOAT_EQ(to->FillPattern->PatternAngle, 0.5f);
}
