// Open, Save and Save As from the controller, and the recovery copies of unsaved work.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

#include "../formats/SampleSheets.h"
#include "Fixture.h"
#include "app/Recovery.h"
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
    EXPECT_EQ(s.Host.FileRequests.back().Filter, "Loomline embroidery ( *.Nl1 )|*.Nl1");
    EXPECT_EQ(s.Nl.Sew.FileName, file);
    EXPECT_EQ(s.Host.Caption, "Nordelune : ( " + file + " )");
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

TEST(WorksheetCommands, OpenAsksAboutUnsavedWorkAndCancelKeepsIt) {
    TTempDir dir;
    const std::string badge = SavedBadge(dir.Path);
    struct TCase {
        const char* What;
        std::vector<TButton> Answers;
        bool SaveAsCancelled;
        bool Opened;
    } cases[] = {
        {"Cancel keeps the work", {TButton::Cancel}, false, false},
        {"Yes, then the Save As is cancelled: nothing opens", {TButton::Yes}, true, false},
        {"Yes and saved: opens", {TButton::Yes}, false, true},
        {"No: opens without saving", {TButton::No}, false, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TShell s;
        s.Host.Folder = dir.Path.string();
        TSLStitch* mine = s.Direct(100, 100, 3);
        s.Host.Answers = {c.Answers.begin(), c.Answers.end()};
        const fs::path saved = dir.Path / "kept.Nl1";
        std::error_code ec;
        fs::remove(saved, ec);
        if (c.Answers[0] == TButton::Yes) {
            TFileDialogResult cancel;
            s.Host.FileAnswers.push_back(c.SaveAsCancelled ? cancel : Chosen(saved));
        }
        s.Host.FileAnswers.push_back(Chosen(badge));
        s.Nl.Execute(TCommand::FileOpen);
        ASSERT_FALSE(s.Host.Messages.empty());
        EXPECT_EQ(s.Host.Messages[0].Heading, "Current Worksheet Has Not Been Saved !");
        EXPECT_EQ(s.Host.Messages[0].Buttons, TButton::Yes | TButton::No | TButton::Cancel);
        if (c.Opened) {
            EXPECT_EQ(s.Nl.Sew.FileName, badge);
            EXPECT_EQ(s.Nl.Sew.Count(), 4);
            EXPECT_EQ(s.Nl.View.Zoom, 307);
        } else {
            ASSERT_EQ(s.Nl.Sew.Count(), 1);
            EXPECT_EQ(s.Nl.Sew[0], mine);
            EXPECT_TRUE(s.Nl.Sew.Modified);
        }
        if (c.Answers[0] == TButton::Yes && !c.SaveAsCancelled) {
            EXPECT_TRUE(fs::exists(saved));
        }
    }
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

TEST(Recovery, AKilledProgramOffersItsUnsavedWorkAtTheNextStart) {
    TTempDir dir;
    const fs::path recovery = dir.Path / "recovery";
    // The child works on a worksheet, keeps a recovery copy and is killed before it saves.
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TShell s;
        s.Nl.RecoveryFolder = recovery;
        s.Outline(100, 100, 2);
        s.Direct(100, 300, 5);
        s.Nl.Sew.FileName = "/home/someone/cat.Nl1";
        s.Nl.Autosave();
        for (;;)
            pause();
    }
    const fs::path copy = RecoveryFileFor(recovery, child);
    for (int i = 0; i < 500 && !fs::exists(copy); ++i)
        usleep(10000);
    ASSERT_TRUE(fs::exists(copy));
    usleep(50000);
    // While it runs, its copy is nobody's orphan.
    EXPECT_TRUE(OrphanedRecoveryFiles(recovery).empty());
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_EQ(OrphanedRecoveryFiles(recovery).size(), 1u);

    TShell next;
    next.Host.Folder = NL_SOURCE_DIR "/data";
    next.Nl.RecoveryFolder = recovery;
    next.Host.Answers = {TButton::Yes};
    next.Nl.FirstShow({});
    ASSERT_EQ(next.Host.Messages.size(), 1u);
    EXPECT_EQ(next.Host.Messages[0].Heading, "Recover Unsaved Work ?");
    EXPECT_NE(next.Host.Messages[0].Text.find("/home/someone/cat.Nl1"), std::string::npos);
    ASSERT_EQ(next.Nl.Sew.Count(), 2);
    EXPECT_EQ(next.Nl.Sew[1]->Count(), 5);
    EXPECT_EQ(next.Nl.Sew.FileName, "/home/someone/cat.Nl1");
    EXPECT_TRUE(next.Nl.Sew.Modified) << "restored work is still unsaved";
    EXPECT_FALSE(fs::exists(copy));
    // The restored work has this program's copy now; a clean exit removes it.
    EXPECT_TRUE(fs::exists(next.Nl.RecoveryFile()));
    next.Nl.Closing();
    EXPECT_FALSE(fs::exists(next.Nl.RecoveryFile()));
}

TEST(Recovery, CopiesOnlyUnsavedWorkAndNeverTheUsersFile) {
    TTempDir dir;
    TShell s;
    s.Nl.RecoveryFolder = dir.Path / "recovery";
    EXPECT_FALSE(s.Nl.Autosave()) << "nothing unsaved";
    s.Direct(100, 100, 3);
    const fs::path mine = dir.Path / "mine.Nl1";
    ASSERT_TRUE(s.Nl.SaveWorksheetAs(mine.string()));
    const std::vector<uint8_t> saved = ReadWholeFile(mine);
    s.Direct(100, 200, 3);
    EXPECT_TRUE(s.Nl.Autosave());
    EXPECT_TRUE(fs::exists(s.Nl.RecoveryFile()));
    EXPECT_EQ(ReadWholeFile(mine), saved) << "the user's file is not touched";
    // Half-way through a column the copy waits (the column would not read back).
    s.Nl.Execute(TCommand::CreateColumn);
    s.Click(400, 400);
    EXPECT_FALSE(s.Nl.Autosave());
    s.Nl.CancelCreation();
    // Saved: the copy goes.
    ASSERT_TRUE(s.Nl.SaveWorksheetAs(mine.string()));
    EXPECT_FALSE(fs::exists(s.Nl.RecoveryFile()));
    // Declining a recovery removes the copy too.
    TSew left;
    left.AddNew<TSLStitch>()->Append(TSP::Plain(0, 1, 1));
    fs::create_directories(s.Nl.RecoveryFolder);
    WriteFileAtomic(RecoveryFileFor(s.Nl.RecoveryFolder, 999999999), WorksheetBytes(left, "Untitled"));
    TShell other;
    other.Host.Folder = NL_SOURCE_DIR "/data";
    other.Nl.RecoveryFolder = s.Nl.RecoveryFolder;
    other.Host.Answers = {TButton::No};
    other.Nl.FirstShow({});
    EXPECT_EQ(other.Nl.Sew.Count(), 0);
    EXPECT_TRUE(OrphanedRecoveryFiles(other.Nl.RecoveryFolder).empty());
}
