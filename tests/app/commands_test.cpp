#include <filesystem>
#include <set>
#include <string_view>
#include <unistd.h>

#include "Fixture.h"
#include "core/Errors.h"
#include "core/FileIO.h"
#include "formats/Worksheet.h"

using namespace nl;
using nl::test::TShell;

TEST(Commands, TableHasOneRowPerCommandWithTheCaptionsAndKeys) {
    std::set<TCommand> seen;
    for (const TCommandInfo& c : CommandTable()) {
        EXPECT_TRUE(seen.insert(c.Id).second);
        EXPECT_EQ(&CommandInfo(c.Id), &c);
        EXPECT_TRUE(c.Caption || c.Hint) << static_cast<int>(c.Id);
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(TCommand::Count_));
    struct Case {
        TCommand id;
        const char* menu;
        const char* caption;
        const char* key;
    } cases[] = {
        {TCommand::ModeEdit, "Mode", "Edit", "Ctrl+A"},
        {TCommand::ZoomIn, "Edit ", "Zoom &In", "Ctrl+I"},
        {TCommand::Delete, "Edit ", "Delete", "Ctrl+Del"},
        {TCommand::ExportStitching, "Edit ", "Export Stitching To ...", "Ctrl+Alt+E"},
        {TCommand::CreateOutline, "Create  ", "Outline", "F2"},
        {TCommand::CreateColumn, "Create  ", "Curved Column ", "F3"},
        {TCommand::CreateDirect, "Create  ", "Direct Stitch ", "F4"},
        // F5 and F6 belong to the stitching on / off keys.
        {TCommand::CreateLine, "Create  ", "Line Object", nullptr},
        {TCommand::CreateCircle, "Create  ", "Circle", nullptr},
        {TCommand::ShowAllCompensation, "Visual  ", "Show All Design Compensation ", nullptr},
        {TCommand::HighlightLongSatin, "Visual  ", "Highlight Long Satin Stitches", nullptr},
    };
    for (const Case& c : cases) {
        const TCommandInfo& info = CommandInfo(c.id);
        EXPECT_STREQ(info.Menu, c.menu);
        EXPECT_STREQ(info.Caption, c.caption);
        if (c.key)
            EXPECT_STREQ(info.Shortcut, c.key);
        else
            EXPECT_EQ(info.Shortcut, nullptr) << c.caption;
    }
}

TEST(Commands, ModeEntryPromptsAndPreviousMode) {
    struct Case {
        TCommand command;
        TMode mode;
        const char* prompt;
    } cases[] = {
        {TCommand::ModeLayout, TMode::ObjectLayout, ""},
        {TCommand::ModeRegion, TMode::FillRegion,
         " Left Click on An Outline To Start The Region Creation Process !"},
    };
    for (const Case& c : cases) {
        TShell s;
        TSLStitch* o = s.Direct(100, 100, 2);
        o->SetFlags(OF_REGION_MARK_1 | OF_REGION_MARK_2);
        s.Host.Prompt = "stale";
        s.Nl.Execute(c.command);
        EXPECT_EQ(s.Nl.Mode(), c.mode);
        EXPECT_EQ(s.Nl.PreviousMode(), TMode::DesignEdit);
        EXPECT_EQ(s.Host.Prompt, c.prompt);
        if (c.mode == TMode::FillRegion) {
            EXPECT_FALSE(o->Flags & (OF_REGION_MARK_1 | OF_REGION_MARK_2));
        }
    }
    // Outline jump connection is entered by the controller (its commands wait for jump links).
    TShell s;
    TSLStitch* o = s.Direct(100, 100, 2);
    o->SetFlags(OF_REGION_MARK_1);
    s.Nl.SetMode(TMode::OutlineJump);
    EXPECT_EQ(s.Host.Prompt, " Left Click On The Outline That You Would Like To Jump From !");
    EXPECT_FALSE(o->Flags & OF_REGION_MARK_1);
}

TEST(Commands, AvailabilityFollowsTheModeMasks) {
    TShell s;
    EXPECT_TRUE(s.Nl.IsEnabled(TCommand::CreateOutline));
    EXPECT_FALSE(s.Nl.IsEnabled(TCommand::Mode3D)) << "shown but not built yet";
    EXPECT_TRUE(s.Nl.IsEnabled(TCommand::CreateFrame));
    EXPECT_TRUE(s.Nl.IsEnabled(TCommand::CreateCircle));
    EXPECT_TRUE(s.Nl.IsEnabled(TCommand::HighlightLongSatin)) << "mask 0x2";
    s.Nl.Execute(TCommand::ModeRegion);
    EXPECT_FALSE(s.Nl.IsEnabled(TCommand::CreateOutline)) << "mask 0x3 excludes region mode";
    EXPECT_FALSE(s.Nl.IsEnabled(TCommand::HighlightLongSatin));
    EXPECT_FALSE(s.Nl.IsEnabled(TCommand::HideRegionStitches)) << "mask 0x203";
    EXPECT_FALSE(s.Nl.IsEnabled(TCommand::ModeLayoutButton)) << "mask 0x2B";
    EXPECT_TRUE(s.Nl.IsEnabled(TCommand::ModeLayout)) << "the Mode menu always leads out";
    s.Nl.Execute(TCommand::ModeLayout);
    EXPECT_TRUE(s.Nl.IsEnabled(TCommand::HideRegionStitches));
    s.Nl.Execute(TCommand::ModeRegion);
    s.Nl.Execute(TCommand::CreateOutline); // unavailable: nothing happens
    EXPECT_EQ(s.Nl.Creation(), TCreation::None);
    s.Nl.SetMode(TMode::SewSimulation);
    for (const TCommandInfo& c : CommandTable())
        EXPECT_FALSE(s.Nl.IsEnabled(c.Id)) << c.Caption;
    EXPECT_FALSE(s.Nl.IsVisible(TCommand::TextEdit)) << "the text menu is hidden";
}

TEST(Commands, EditCommandsNeedALayoutSelection) {
    TShell s;
    TSLStitch* o = s.Direct(100, 100, 2);
    EXPECT_FALSE(s.Nl.IsEnabled(TCommand::Delete)) << "design mode";
    s.Nl.Execute(TCommand::ModeLayout);
    EXPECT_FALSE(s.Nl.IsEnabled(TCommand::Delete)) << "nothing selected";
    o->SetFlags(OF_SELECTED_LAYOUT);
    EXPECT_TRUE(s.Nl.IsEnabled(TCommand::Delete));
    EXPECT_FALSE(s.Nl.IsEnabled(TCommand::ExportStitching)) << "ungrouped selection";
    o->GroupId = 1;
    EXPECT_TRUE(s.Nl.IsEnabled(TCommand::ExportStitching));
}

TEST(Commands, GroupSelectionAsksThenComposesOrDecomposes) {
    TShell s;
    TSLStitch* a = s.Direct(100, 100, 2);
    TSLStitch* b = s.Direct(200, 100, 2);
    s.Nl.Execute(TCommand::ModeLayout);
    a->SetFlags(OF_SELECTED_LAYOUT);
    b->SetFlags(OF_SELECTED_LAYOUT);
    s.Host.Answers = {TButton::No, TButton::Yes, TButton::Yes};
    s.Nl.Execute(TCommand::GroupSelection);
    EXPECT_EQ(a->GroupId, 0);
    ASSERT_EQ(s.Host.Messages.size(), 1u);
    EXPECT_EQ(s.Host.Messages[0].Heading, "Group Association");
    EXPECT_EQ(s.Host.Messages[0].Text, "OK To Compose Selected Objects Into A Layout Group.");
    s.Nl.Execute(TCommand::GroupSelection);
    EXPECT_GT(a->GroupId, 0);
    EXPECT_EQ(a->GroupId, b->GroupId);
    s.Nl.Execute(TCommand::GroupSelection);
    EXPECT_EQ(s.Host.Messages.back().Text, "OK To Decompose A Layout Group Back Into Constituent Objects.");
    EXPECT_EQ(a->GroupId, 0);
}

TEST(Commands, DeleteAsksAndNoKeepsEverything) {
    TShell s;
    TSLStitch* a = s.Direct(100, 100, 2);
    s.Direct(200, 100, 2);
    s.Nl.Execute(TCommand::ModeLayout);
    a->SetFlags(OF_SELECTED_LAYOUT);
    s.Host.Answers = {TButton::No};
    s.Nl.Execute(TCommand::Delete);
    EXPECT_EQ(s.Nl.Sew.Count(), 2);
    EXPECT_EQ(s.Host.Messages.back().Heading, "Object Deletion Has been Requested !");
    s.Host.Answers = {TButton::Yes};
    s.Nl.Execute(TCommand::Delete);
    EXPECT_EQ(s.Nl.Sew.Count(), 1);
}

TEST(Commands, CommandsOfFeaturesNotBuiltAreShownDisabledAndDoNothing) {
    // No shaded thread view yet: a click on it must not look as if it worked.
    for (TMode mode : {TMode::DesignEdit, TMode::ObjectLayout}) {
        TShell s;
        s.Nl.SetMode(mode);
        for (TCommand c : {TCommand::Mode3D}) {
            EXPECT_FALSE(s.Nl.IsEnabled(c)) << static_cast<int>(c);
            s.Nl.Execute(c);
        }
        EXPECT_EQ(s.Nl.Mode(), mode);
        EXPECT_FALSE(s.Nl.Toggles.Mode3D);
        EXPECT_TRUE(s.Host.Messages.empty());
    }
}

TEST(Commands, TogglesAndTheCompensationButtonShareOneState) {
    TShell s;
    EXPECT_TRUE(s.Nl.IsChecked(TCommand::ShowAllCompensation));
    EXPECT_FALSE(s.Nl.IsChecked(TCommand::SuppressCompensation));
    s.Nl.Execute(TCommand::SuppressCompensation);
    EXPECT_FALSE(s.Nl.Toggles.ShowAllCompensation);
    EXPECT_TRUE(s.Nl.IsChecked(TCommand::SuppressCompensation));
    s.Nl.Execute(TCommand::HideOutlineStitches);
    EXPECT_TRUE(s.Nl.Toggles.HideOutlineStitches);
}

TEST(Commands, TextToolOnlyReportsThatLetteringIsNotFinished) {
    TShell s;
    s.Nl.Execute(TCommand::CreateText);
    ASSERT_EQ(s.Host.Messages.size(), 1u);
    EXPECT_EQ(s.Host.Messages[0].Heading, "Embroidery Text Lettering");
    EXPECT_EQ(s.Host.Messages[0].Text,
              "Sorry ! The Text Lettering Tool Has Not Been Finished Yet, But It Is Due For "
              "Implementation In ver 1.20 ");
    EXPECT_EQ(s.Nl.Sew.Count(), 0);
}

TEST(Commands, F5AndF6SwitchStitchingOfSelectedOutlines) {
    TShell s;
    TSLStitch* outline = s.Outline(100, 100, 1);
    TSLStitch* direct = s.Direct(100, 300, 2);
    outline->SetStitchTypeBits(ST_RUNNING);
    outline->SetFlags(OF_SELECTED_EDIT);
    direct->SetFlags(OF_SELECTED_EDIT);
    s.Nl.KeyDown(TKey::F5, {});
    EXPECT_TRUE(outline->Flags & OF_VISIBLE);
    EXPECT_FALSE(direct->Flags & OF_VISIBLE) << "only outlines and regions";
    s.Nl.KeyDown(TKey::F6, {});
    EXPECT_FALSE(outline->Flags & OF_VISIBLE);
    outline->Flags |= OF_PATTERN_MEMBER;
    s.Nl.KeyDown(TKey::F5, {});
    EXPECT_FALSE(outline->Flags & OF_VISIBLE) << "members of a pattern creator are left alone";
}

TEST(Commands, ZoomKeysWheelAndScrolling) {
    TShell s;
    s.Nl.View.Zoom = 100;
    s.Nl.Wheel(400, 300, true, {});
    EXPECT_EQ(s.Nl.View.Zoom, 105);
    s.Nl.Wheel(400, 300, true, {true, false, false});
    EXPECT_EQ(s.Nl.View.Zoom, 120);
    s.Nl.Wheel(400, 300, false, {}, true);
    EXPECT_EQ(s.Nl.View.Zoom, 100);
    s.Nl.KeyDown(TKey::I, {});
    EXPECT_EQ(s.Nl.View.Zoom, 105);
    s.Nl.Execute(TCommand::ZoomOut);
    EXPECT_EQ(s.Nl.View.Zoom, 100);
    s.Nl.View.Zoom = 614;
    int32_t x0 = s.Nl.View.ScrollX, y0 = s.Nl.View.ScrollY;
    s.Nl.KeyDown(TKey::Right, {});
    EXPECT_EQ(s.Nl.View.ScrollX, x0 + 20);
    s.Nl.KeyDown(TKey::Down, {true, false, false});
    EXPECT_EQ(s.Nl.View.ScrollY, y0 + 200);
    s.Nl.KeyDown(TKey::Left, {false, true, false});
    EXPECT_EQ(s.Nl.View.ScrollX, x0 - 30);
    // A right drag on empty worksheet pans.
    s.Drag(400, 300, 350, 280, {}, TMouseButton::Right);
    EXPECT_EQ(s.Nl.View.ScrollX, x0 - 30 + 50);
    EXPECT_EQ(s.Nl.View.ScrollY, y0 + 200 + 20);
}

namespace {
// A folder of its own for the files a test writes.
struct TTempFolder {
    std::filesystem::path Path;
    TTempFolder() {
        Path = std::filesystem::temp_directory_path() /
               ("nl-startup-" + std::to_string(::getpid()) + "-" + std::to_string(++Made()));
        std::filesystem::create_directories(Path);
    }
    ~TTempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(Path, ec);
    }
    static int& Made() {
        static int n = 0;
        return n;
    }
};
} // namespace

TEST(StartUp, CommandLineArgumentIsStrippedAndLoadedOnFirstShowOnly) {
    TTempFolder dir;
    const std::string file = (dir.Path / "My Design.Nl1").string();
    {
        TSew sew;
        sew.AddNew<TSLStitch>()->Append(TSP::Plain(0, 10, 10));
        SaveWorksheet(sew, file);
    }
    TShell s;
    s.Host.Folder = NL_SOURCE_DIR "/data"; // the shipped thread texture loads without a word
    s.Nl.FirstShow({"  \"" + file + "\" ", "ignored"});
    EXPECT_TRUE(s.Host.Messages.empty());
    EXPECT_EQ(s.Nl.Sew.FileName, file);
    EXPECT_EQ(s.Host.Caption, "Nordelune : ( " + file + " )");
    EXPECT_EQ(s.Nl.Sew.Count(), 1);
    EXPECT_FALSE(s.Nl.Sew.Modified);
    s.Nl.Sew.Clear();
    s.Nl.FirstShow({file});
    EXPECT_EQ(s.Nl.Sew.Count(), 0) << "the argument is opened on the first showing only";
}

TEST(StartUp, FailedLoadKeepsTheWorksheetAndItsName) {
    // The file is not a worksheet, is missing, or is a worksheet cut short: each is reported with
    // the file's name, and the worksheet, its name and the caption stay as they were.
    TTempFolder dir;
    const std::string text = (dir.Path / "notes.Nl1").string(), cut = (dir.Path / "cut.Nl1").string();
    {
        std::vector<uint8_t> junk(40, 'x');
        WriteFileAtomic(text, junk);
        TSew sew;
        sew.AddNew<TSLStitch>()->Append(TSP::Plain(0, 10, 10));
        std::vector<uint8_t> bytes = WorksheetBytes(sew, cut);
        bytes.resize(bytes.size() - 3);
        WriteFileAtomic(cut, bytes);
    }
    struct TCase {
        std::string File, Heading, Text;
    } cases[] = {
        {text, "Unexpected File Format !", text + " Is Not A Nordelune Worksheet ! "},
        {(dir.Path / "gone.Nl1").string(), "File Loading Error !",
         "Don't Seem To Be Able To Find The File " + (dir.Path / "gone.Nl1").string() +
             " At The Specified Path "},
        {cut, "File Loading Error !", ""},
    };
    for (const TCase& c : cases) {
        TShell s;
        s.Host.Folder = NL_SOURCE_DIR "/data";
        TSLStitch* mine = s.Direct(100, 100, 2);
        s.Nl.FirstShow({c.File});
        EXPECT_EQ(s.Nl.Sew.FileName, "Untitled") << "a later Save must not write over " << c.File;
        EXPECT_EQ(s.Nl.Caption(), "Nordelune : ( *Untitled )");
        ASSERT_EQ(s.Nl.Sew.Count(), 1);
        EXPECT_EQ(s.Nl.Sew[0], mine);
        EXPECT_TRUE(s.Nl.Sew.Modified);
        ASSERT_EQ(s.Host.Messages.size(), 1u) << c.File;
        EXPECT_EQ(s.Host.Messages[0].Heading, c.Heading);
        EXPECT_EQ(s.Host.Messages[0].Icon, TIcon::Error) << "a failure, not an information";
        if (!c.Text.empty())
            EXPECT_EQ(s.Host.Messages[0].Text, c.Text);
        else
            EXPECT_NE(s.Host.Messages[0].Text.find(c.File), std::string::npos) << s.Host.Messages[0].Text;
    }
}

TEST(StartUp, ClosingAsksOnlyWhenModified) {
    TShell s;
    EXPECT_TRUE(s.Nl.CanClose());
    EXPECT_TRUE(s.Host.Messages.empty());
    s.Direct(100, 100, 2);
    s.Host.Answers = {TButton::Cancel};
    EXPECT_FALSE(s.Nl.CanClose());
    ASSERT_EQ(s.Host.Messages.size(), 1u);
    EXPECT_EQ(s.Host.Messages[0].Heading, "Exit Nordelune ?");
    EXPECT_EQ(s.Host.Messages[0].Buttons, TButton::Save | TButton::Discard | TButton::Cancel);
    s.Host.Answers = {TButton::Discard};
    EXPECT_TRUE(s.Nl.CanClose());
}
