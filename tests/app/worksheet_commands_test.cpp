// Open, Save and Save As from the controller, and the recovery copies of unsaved work.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sys/stat.h>

#include "../formats/SampleSheets.h"
#include "Fixture.h"
#include "core/FileIO.h"
#include "formats/Worksheet.h"

using namespace nl;
using nl::test::TShell;
namespace fs = std::filesystem;

namespace {
struct TTempDir {
    fs::path Path;
    TTempDir() {
        std::random_device rd;
        Path = fs::temp_directory_path() / ("nl-wscmd-" + std::to_string(rd()));
        fs::create_directories(Path);
    }
    ~TTempDir() {
        std::error_code ec;
        fs::remove_all(Path, ec);
    }
};

TFileDialogResult Chosen(const fs::path& file) {
    TFileDialogResult r;
    r.Accepted = true;
    r.FileName = file.string();
    return r;
}

std::string SavedBadge(const fs::path& dir) {
    TSew sew;
    nl::test::BuildBadge(sew);
    sew.Settings.View.Zoom = 307;
    sew.Settings.WorksheetMode = 0;
    const std::string file = (dir / "badge.Nl1").string();
    SaveWorksheet(sew, file);
    return file;
}
} // namespace

TEST(WorksheetCommands, SaveAsThenOpenRestoresObjectsViewAndMode) {
    TTempDir dir;
    TShell s;
    s.Host.Folder = dir.Path.string();
    s.Outline(100, 100, 2);
    s.Direct(100, 300, 4);
    s.Nl.View.Zoom = 480;
    s.Nl.Toggles.HideFillPoints = true;
    s.Nl.SetMode(TMode::ObjectLayout);
    ASSERT_TRUE(s.Nl.IsEnabled(TCommand::FileSaveAs));
    EXPECT_FALSE(s.Nl.IsEnabled(TCommand::FileSave)) << "Save needs a name";
    // The name typed without its extension gets it.
    s.Host.FileAnswers = {Chosen(dir.Path / "mine")};
    s.Nl.Execute(TCommand::FileSaveAs);
    const std::string file = (dir.Path / "mine.Nl1").string();
    ASSERT_TRUE(fs::exists(file));
    EXPECT_EQ(s.Host.FileRequests.back().InitialDir, (dir.Path / "Embroidery Designs").string());
    EXPECT_EQ(s.Host.FileRequests.back().Filter, "Nordelune Worksheet ( *.Nl1 )|*.Nl1");
    EXPECT_EQ(s.Nl.Sew.FileName, file);
    EXPECT_EQ(s.Host.Caption, "Nordelune : ( " + file + " )");
    EXPECT_EQ(s.Host.Status, "Saved mine.Nl1");
    EXPECT_FALSE(s.Nl.Sew.Modified);
    EXPECT_TRUE(s.Nl.IsEnabled(TCommand::FileSave));

    // A new run with the file on the command line finds it all as it was.
    TShell t;
    t.Host.Folder = NL_SOURCE_DIR "/data";
    t.Nl.FirstShow({file});
    EXPECT_TRUE(t.Host.Messages.empty());
    ASSERT_EQ(t.Nl.Sew.Count(), 2);
    EXPECT_EQ(t.Nl.Sew[0]->Count(), s.Nl.Sew[0]->Count());
    EXPECT_EQ(t.Nl.View.Zoom, 480);
    EXPECT_TRUE(t.Nl.Toggles.HideFillPoints);
    EXPECT_EQ(t.Nl.Mode(), TMode::ObjectLayout);
}

TEST(WorksheetCommands, ExitNewAndOpenOfferToSaveUnsavedChanges) {
    TTempDir dir;
    const std::string badge = SavedBadge(dir.Path);
    enum class TCommandRun { Exit, New, Open };
    struct TAnswer {
        const char* What;
        TButton Answer;
        bool SaveAsCancelled;
        bool GoesOn;
    } answers[] = {
        {"Cancel keeps the work", TButton::Cancel, false, false},
        {"Save, then the Save As is cancelled: nothing goes", TButton::Save, true, false},
        {"Save and saved: goes on", TButton::Save, false, true},
        {"Don't Save: goes on without saving", TButton::Discard, false, true},
    };
    for (TCommandRun run : {TCommandRun::Exit, TCommandRun::New, TCommandRun::Open}) {
        const char* heading = run == TCommandRun::Exit  ? "Exit Nordelune ?"
                              : run == TCommandRun::New ? "Creating A New WorkSheet !"
                                                        : "Current Worksheet Has Not Been Saved !";
        auto execute = [&](TShell& s) {
            if (run == TCommandRun::Exit) return s.Nl.CanClose();
            const int before = s.Nl.Sew.Count();
            TSLStitch* first = before ? s.Nl.Sew[0] : nullptr;
            s.Nl.Execute(run == TCommandRun::New ? TCommand::FileNew : TCommand::FileOpen);
            return s.Nl.Sew.Count() != before || (before && s.Nl.Sew[0] != first);
        };
        for (const TAnswer& c : answers) {
            SCOPED_TRACE(std::string(heading) + " / " + c.What);
            TShell s;
            s.Host.Folder = dir.Path.string();
            TSLStitch* mine = s.Direct(100, 100, 3);
            s.Host.Answers = {c.Answer};
            const fs::path saved = dir.Path / "kept.Nl1";
            std::error_code ec;
            fs::remove(saved, ec);
            if (c.Answer == TButton::Save)
                s.Host.FileAnswers.push_back(c.SaveAsCancelled ? TFileDialogResult{} : Chosen(saved));
            if (run == TCommandRun::Open) s.Host.FileAnswers.push_back(Chosen(badge));
            const bool wentOn = execute(s);
            ASSERT_EQ(s.Host.Messages.size(), 1u);
            EXPECT_EQ(s.Host.Messages[0].Heading, heading);
            EXPECT_EQ(
                s.Host.Messages[0].Text,
                std::string("The Changes To Untitled Have Not Been Saved. Do You Want To Save Them Before ") +
                    (run == TCommandRun::Exit  ? "Leaving"
                     : run == TCommandRun::New ? "Starting A New Worksheet"
                                               : "Opening Another Worksheet") +
                    " ?");
            EXPECT_EQ(s.Host.Messages[0].Buttons, TButton::Save | TButton::Discard | TButton::Cancel);
            EXPECT_EQ(wentOn, c.GoesOn);
            EXPECT_EQ(fs::exists(saved), c.Answer == TButton::Save && !c.SaveAsCancelled);
            if (!c.GoesOn) {
                ASSERT_EQ(s.Nl.Sew.Count(), 1);
                EXPECT_EQ(s.Nl.Sew[0], mine);
                EXPECT_TRUE(s.Nl.Sew.Modified);
            } else if (run == TCommandRun::Open) {
                EXPECT_EQ(s.Nl.Sew.FileName, badge);
                EXPECT_EQ(s.Nl.Sew.Count(), 4);
            } else if (run == TCommandRun::New) {
                EXPECT_EQ(s.Nl.Sew.Count(), 0);
                EXPECT_EQ(s.Host.Caption, "Nordelune ");
            }
        }
        // Nothing unsaved: nothing is asked.
        TShell s;
        s.Host.Folder = dir.Path.string();
        if (run == TCommandRun::Open) s.Host.FileAnswers.push_back(Chosen(badge));
        EXPECT_TRUE(execute(s) || run == TCommandRun::New);
        EXPECT_TRUE(s.Host.Messages.empty()) << heading;
    }
}

TEST(WorksheetCommands, SaveOfANamedWorksheetWritesWithoutADialogAndSaysSo) {
    TTempDir dir;
    const std::string badge = SavedBadge(dir.Path);
    TShell s;
    ASSERT_TRUE(s.Nl.OpenWorksheet(badge));
    s.Direct(100, 100, 3);
    EXPECT_EQ(s.Host.Caption, "Nordelune : ( *" + badge + " )") << "an asterisk marks unsaved changes";
    s.Host.Answers = {TButton::Save};
    EXPECT_TRUE(s.Nl.CanClose());
    EXPECT_TRUE(s.Host.FileRequests.empty()) << "the worksheet has a name: Save, not Save As";
    EXPECT_EQ(s.Host.Status, "Saved badge.Nl1");
    EXPECT_EQ(s.Host.Caption, "Nordelune : ( " + badge + " )");
    TSew back;
    LoadWorksheet(badge, back);
    EXPECT_EQ(back.Count(), 5);
    // Undo back to the saved state takes the asterisk away; redo brings it back.
    s.Nl.Execute(TCommand::Undo);
    EXPECT_EQ(s.Host.Caption, "Nordelune : ( *" + badge + " )");
    s.Nl.Execute(TCommand::Redo);
    EXPECT_EQ(s.Host.Caption, "Nordelune : ( " + badge + " )");
}

TEST(WorksheetCommands, AFailedSaveSaysSoAndKeepsTheName) {
    TTempDir dir;
    TShell s;
    s.Direct(100, 100, 3);
    WriteFileAtomic(dir.Path / "plain", std::vector<uint8_t>{1});
    s.Host.FileAnswers = {Chosen(dir.Path / "plain" / "x.Nl1")};
    s.Nl.Execute(TCommand::FileSaveAs);
    ASSERT_EQ(s.Host.Messages.size(), 1u);
    EXPECT_EQ(s.Host.Messages[0].Heading, "File Saving Error !");
    EXPECT_NE(s.Host.Messages[0].Text.find("Previous File Was Left"), std::string::npos);
    EXPECT_EQ(s.Nl.Sew.FileName, "Untitled");
    EXPECT_TRUE(s.Nl.Sew.Modified);
}

TEST(WorksheetCommands, GeneralPageSetsItsValuesWithinRange) {
    TTempDir dir;
    TShell s;
    s.Nl.PreferencesPath = dir.Path / "conf" / "nordelune.conf";
    s.Host.GeneralAnswers = {{12.5, 0.5, 9}, {30, 0.1, 500}};
    s.Nl.Execute(TCommand::StitchLengthProperties);
    ASSERT_EQ(s.Host.GeneralRequests.size(), 1u);
    EXPECT_EQ(s.Host.GeneralRequests[0].MaxLengthMm, 10.0);
    EXPECT_EQ(s.Nl.Toggles.LongStitchLimit, 250);
    EXPECT_EQ(s.Nl.Sew.Settings.PointsUnder, 10);
    EXPECT_EQ(s.Nl.Preferences.AutosaveMinutes, 9);
    EXPECT_EQ(LoadPreferences(s.Nl.PreferencesPath).AutosaveMinutes, 9) << "kept for the next run";
    // Out of range: refused, the old values stay.
    s.Nl.Execute(TCommand::StitchLengthProperties);
    EXPECT_EQ(s.Nl.Toggles.LongStitchLimit, 250);
    EXPECT_EQ(s.Nl.Sew.Settings.PointsUnder, 10);
    EXPECT_EQ(s.Nl.Preferences.AutosaveMinutes, 9);
}

TEST(WorksheetCommands, SavingKeepsTheFilesModeAndLinkAndRefusesAReadOnlyFile) {
    TTempDir dir;
    const std::string badge = SavedBadge(dir.Path);
    ASSERT_EQ(::chmod(badge.c_str(), 0600), 0);
    fs::create_directories(dir.Path / "links");
    const fs::path link = dir.Path / "links" / "badge.Nl1";
    fs::create_symlink(badge, link);
    TShell s;
    ASSERT_TRUE(s.Nl.OpenWorksheet(link.string()));
    s.Direct(100, 100, 3);
    s.Nl.Execute(TCommand::FileSave);
    EXPECT_TRUE(s.Host.Messages.empty());
    EXPECT_TRUE(fs::is_symlink(link)) << "the link stays a link";
    struct stat st {};
    ASSERT_EQ(::stat(badge.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u) << "a private worksheet stays private";
    TSew back;
    LoadWorksheet(badge, back);
    EXPECT_EQ(back.Count(), 5) << "the link's target holds the saved work";

    // Read-only: refused with a message, the file as it was, the work still unsaved.
    ASSERT_EQ(::chmod(badge.c_str(), 0444), 0);
    const auto before = ReadWholeFile(badge);
    s.Direct(100, 200, 3);
    s.Nl.Execute(TCommand::FileSave);
    ASSERT_EQ(s.Host.Messages.size(), 1u);
    EXPECT_EQ(s.Host.Messages[0].Heading, "File Saving Error !");
    EXPECT_NE(s.Host.Messages[0].Text.find("read-only"), std::string::npos) << s.Host.Messages[0].Text;
    EXPECT_EQ(s.Host.Messages[0].Icon, TIcon::Error);
    EXPECT_EQ(ReadWholeFile(badge), before);
    EXPECT_TRUE(s.Nl.Sew.Modified);
    ::chmod(badge.c_str(), 0600);
}
