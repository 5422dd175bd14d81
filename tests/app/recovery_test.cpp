// Recovery copies of unsaved work: what a program that ended without closing left is offered at
// the next start, copy by copy; a copy is never written half-way through an edit; and a program
// killed at any moment (in a dialog, a drag, a save) loses nothing it had saved or copied.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <poll.h>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "../core/TempDir.h"
#include "Sheet.h"
#include "app/Recovery.h"
#include "app/RegionMode.h"
#include "core/FileIO.h"
#include "formats/Worksheet.h"
#include "regions/RegionBuilder.h"
#include "ui/TransformDialogs.h"

using namespace nl;
using nl::test::TSheet;
using nl::test::TShell;
namespace fs = std::filesystem;

namespace {
// A recovery copy of the worksheet `name` holding `objects` direct stitch objects, written as
// `file` in `folder` `secondsAgo` seconds ago. Its lock file is not held: its program is gone.
fs::path LeaveCopy(const fs::path& folder, const std::string& file, int objects, const std::string& name,
                   int secondsAgo) {
    TSew sew;
    for (int i = 0; i < objects; ++i)
        sew.AddNew<TSLStitch>()->Append(TSP::Plain(0, 10.f * i, 10));
    fs::create_directories(folder);
    const fs::path path = folder / file;
    WriteFileAtomic(path, WorksheetBytes(sew, name));
    fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::seconds(secondsAgo));
    return path;
}

std::time_t SavedAt(const fs::path& file) {
    struct stat st {};
    ::stat(file.c_str(), &st);
    return st.st_mtime;
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The next start of the program on the recovery folder, answering the offers with `answers`.
struct TNextStart : TShell {
    explicit TNextStart(const fs::path& folder, std::deque<TButton> answers) {
        Host.Folder = NL_SOURCE_DIR "/data";
        Nl.Recovery.Folder = folder;
        Host.Answers = std::move(answers);
        Nl.FirstShow({});
    }
};

// Objects that stitch: with their stitching switched off a transform was caught half-way.
bool Stitched(const TSLStitch& o) {
    if (o.Kind() == KIND_REGION) return true;
    if (o.Kind() != KIND_CURVE || (o.Flags & OF_RAIL_B)) return false;
    return (o.Flags & OF_RAIL_A) || o.StitchType() == ST_RUNNING || o.StitchType() == ST_SATIN;
}
// Nothing in the worksheet is half-way through an edit.
::testing::AssertionResult Whole(const TSew& sew) {
    for (int32_t i = 0; i < sew.Count(); ++i) {
        const TSLStitch& o = *sew[i];
        if (o.Flags & OF_REBUILD_AFTER_TRANSFORM)
            return ::testing::AssertionFailure() << "object " << i << " is marked for a rebuild";
        if (Stitched(o) && !(o.Flags & OF_VISIBLE))
            return ::testing::AssertionFailure() << "object " << i << " has its stitching off";
    }
    return ::testing::AssertionSuccess();
}
} // namespace

TEST(Recovery, EachLeftCopyIsOfferedNewestFirstAndGoesOnlyAfterItsOwnAnswer) {
    test::TTempDir dir;
    const fs::path folder = dir / "recovery";
    const fs::path a = LeaveCopy(folder, "recovery-101-1.Nl1", 1, "/home/someone/a.Nl1", 300);
    const fs::path broken = folder / "recovery-102-1.Nl1";
    WriteFileAtomic(broken, std::vector<uint8_t>(40, 'x'));
    fs::last_write_time(broken, fs::file_time_type::clock::now() - std::chrono::seconds(200));
    const fs::path untitled = LeaveCopy(folder, "recovery-103-1.Nl1", 2, "Untitled", 100);
    const std::string savedA = SavedTimeText(SavedAt(a)), savedUntitled = SavedTimeText(SavedAt(untitled));
    {
        // Cancel keeps the newest for later; the unreadable one is reported and kept; Yes restores
        // the oldest.
        TNextStart next(folder, {TButton::Cancel, TButton::OK, TButton::Yes});
        ASSERT_EQ(next.Host.Messages.size(), 3u);
        const auto& m = next.Host.Messages;
        EXPECT_EQ(m[0].Heading, "Recover Unsaved Work ?");
        EXPECT_TRUE(Has(m[0].Text, "An Untitled Worksheet")) << m[0].Text;
        EXPECT_TRUE(Has(m[0].Text, savedUntitled)) << m[0].Text;
        EXPECT_EQ(m[0].Buttons, TButton::Yes | TButton::No | TButton::Cancel);
        EXPECT_EQ(m[1].Heading, "Recovery Copy Could Not Be Read");
        EXPECT_TRUE(Has(m[1].Text, broken.string())) << m[1].Text;
        EXPECT_EQ(m[1].Icon, TIcon::Error);
        EXPECT_EQ(m[2].Heading, "Recover Unsaved Work ?");
        EXPECT_TRUE(Has(m[2].Text, "/home/someone/a.Nl1")) << m[2].Text;
        EXPECT_TRUE(Has(m[2].Text, savedA)) << m[2].Text;
        ASSERT_EQ(next.Nl.Sew.Count(), 1);
        EXPECT_EQ(next.Nl.Sew.FileName, "/home/someone/a.Nl1");
        EXPECT_TRUE(next.Nl.Sew.Modified) << "restored work is still unsaved";
        EXPECT_EQ(next.Host.Caption, "Nordelune : ( */home/someone/a.Nl1 )");
        EXPECT_FALSE(fs::exists(a)) << "answered: restored, it lives on in this run's copy";
        EXPECT_TRUE(fs::exists(next.Nl.RecoveryFile()));
        EXPECT_TRUE(fs::exists(broken));
        EXPECT_TRUE(fs::exists(untitled));
        next.Nl.Closing();
        EXPECT_FALSE(fs::exists(next.Nl.RecoveryFile()));
    }
    {
        // No deletes the copy it answers; the unreadable one is still kept and said so.
        TNextStart next(folder, {TButton::No, TButton::OK});
        ASSERT_EQ(next.Host.Messages.size(), 2u);
        EXPECT_TRUE(Has(next.Host.Messages[0].Text, "An Untitled Worksheet"));
        EXPECT_EQ(next.Host.Messages[1].Heading, "Recovery Copy Could Not Be Read");
        EXPECT_EQ(next.Nl.Sew.Count(), 0);
        EXPECT_FALSE(fs::exists(untitled));
        EXPECT_TRUE(fs::exists(broken));
    }
    fs::remove(broken);
    {
        // Once one is restored, the others wait for the next start (one worksheet at a time).
        const fs::path older = LeaveCopy(folder, "recovery-104-1.Nl1", 1, "/b.Nl1", 50);
        const fs::path newer = LeaveCopy(folder, "recovery-105-1.Nl1", 3, "/c.Nl1", 10);
        TNextStart next(folder, {TButton::Yes});
        ASSERT_EQ(next.Host.Messages.size(), 1u);
        EXPECT_EQ(next.Nl.Sew.FileName, "/c.Nl1");
        EXPECT_FALSE(fs::exists(newer));
        EXPECT_TRUE(fs::exists(older));
        EXPECT_EQ(next.Host.Status, "1 Other Recovery Copy Was Kept For The Next Start");
    }
}

TEST(Recovery, ARunIsKnownByItsLockNotByItsProcessId) {
    test::TTempDir dir;
    const fs::path folder = dir / "recovery";
    // A program running now (in this very process) holds its lock: its copy is nobody's to offer.
    TShell live;
    live.Nl.Recovery.Folder = folder;
    live.Direct(100, 100, 3);
    ASSERT_TRUE(live.Nl.Autosave());
    // Copies whose programs are gone, though a process has their id now: process 1 always runs,
    // and so does this test.
    const fs::path reused = LeaveCopy(folder, "recovery-1-42.Nl1", 1, "/reused.Nl1", 30);
    // Copies of an older program, named after the process id alone: left behind when no process has
    // the id, or when the process that has it started after the copy was written; possibly still
    // its own when that process is older than the copy.
    const fs::path oldOwn =
        LeaveCopy(folder, "recovery-" + std::to_string(::getpid()) + ".Nl1", 1, "/own.Nl1", 0);
    fs::last_write_time(oldOwn, fs::file_time_type::clock::now() - std::chrono::hours(24 * 365 * 20));
    const fs::path gone = LeaveCopy(folder, "recovery-999999999.Nl1", 1, "/gone.Nl1", 20);
    const fs::path initCopy = LeaveCopy(folder, "recovery-1.Nl1", 1, "/init.Nl1", 0);

    TNextStart next(folder, {TButton::No, TButton::No, TButton::No});
    std::vector<std::string> offered;
    for (const auto& m : next.Host.Messages)
        offered.push_back(m.Text);
    ASSERT_EQ(offered.size(), 3u);
    EXPECT_TRUE(Has(offered[0], "/gone.Nl1")) << offered[0];
    EXPECT_TRUE(Has(offered[1], "/reused.Nl1")) << offered[1];
    EXPECT_TRUE(Has(offered[2], "/own.Nl1")) << offered[2];
    EXPECT_FALSE(fs::exists(reused));
    EXPECT_FALSE(fs::exists(oldOwn));
    EXPECT_FALSE(fs::exists(gone));
    EXPECT_TRUE(fs::exists(initCopy)) << "process 1 is older than the copy: it may be its own";
    EXPECT_TRUE(fs::exists(live.Nl.RecoveryFile())) << "the running program keeps its copy";
}

TEST(Recovery, CopiesOnlyUnsavedWorkAndNeverTheUsersFile) {
    test::TTempDir dir;
    TShell s;
    s.Nl.Recovery.Folder = dir / "recovery";
    EXPECT_FALSE(s.Nl.Autosave()) << "nothing unsaved";
    s.Direct(100, 100, 3);
    const fs::path mine = dir / "mine.Nl1";
    ASSERT_TRUE(s.Nl.SaveWorksheetAs(mine.string()));
    const std::vector<uint8_t> saved = ReadWholeFile(mine);
    s.Direct(100, 200, 3);
    EXPECT_TRUE(s.Nl.Autosave());
    EXPECT_TRUE(fs::exists(s.Nl.RecoveryFile()));
    EXPECT_EQ(ReadWholeFile(mine), saved) << "the user's file is not touched";
    // Saved: the copy goes.
    ASSERT_TRUE(s.Nl.SaveWorksheetAs(mine.string()));
    EXPECT_FALSE(fs::exists(s.Nl.RecoveryFile()));
}

TEST(Recovery, NoCopyIsWrittenHalfWayThroughAnEditAndTheTickIsTakenWhenItEnds) {
    test::TTempDir dir;
    TSheet s;
    TNL& nl = s.Nl;
    nl.Recovery.Folder = dir / "recovery";
    nl.SetMode(TMode::ObjectLayout);
    ASSERT_TRUE(Whole(nl.Sew));
    const fs::path copy = nl.RecoveryFile();
    auto during = [&](const char* what) {
        SCOPED_TRACE(what);
        std::error_code ec;
        fs::remove(copy, ec);
        EXPECT_TRUE(nl.EditInProgress());
        EXPECT_FALSE(nl.Autosave()) << "a copy written in the middle of the edit";
        EXPECT_FALSE(fs::exists(copy));
    };
    auto after = [&](const char* what) {
        SCOPED_TRACE(what);
        EXPECT_FALSE(nl.EditInProgress());
        ASSERT_TRUE(fs::exists(copy)) << "the tick was not taken when the edit ended";
        TSew back;
        LoadWorksheet(copy, back);
        EXPECT_TRUE(Whole(back));
        EXPECT_EQ(back.Count(), nl.Sew.Count());
    };
    // The rotate and the resize dialogs.
    s.Host.RotateDialogScript = [&] {
        nl.RotateDialog()->SetAngle(30);
        during("rotate dialog");
        nl.RotateDialog()->SetAngle(45);
    };
    nl.Execute(TCommand::Rotate);
    after("rotate dialog");
    s.Host.ResizeDialogScript = [&] {
        nl.ResizeDialog()->Set(TResizeField::WidthPercent, 150);
        during("resize dialog");
    };
    nl.Execute(TCommand::Resize);
    after("resize dialog");
    // A rotate drag and a move drag of the selection, pressed on the direct stitch object.
    for (bool rotate : {true, false}) {
        nl.Toggles.RotateMode = rotate;
        const int x = nl.View.ScreenX((*s.Direct)[0].X), y = nl.View.ScreenY((*s.Direct)[0].Y);
        nl.MouseDown(TMouseButton::Left, x, y, {});
        nl.MouseMove(x + 40, y + 60, {});
        during(rotate ? "rotate drag" : "move drag");
        nl.MouseMove(x + 80, y + 20, {});
        nl.MouseUp(TMouseButton::Left, x + 80, y + 20, {});
        after(rotate ? "rotate drag" : "move drag");
    }
    nl.Toggles.RotateMode = false;
    // A curved column waiting for its second rail.
    nl.Execute(TCommand::CreateColumn);
    for (int i = 0; i <= 3; ++i)
        s.Click(200 + 50 * i, 800);
    during("column creation");
    s.RightClick(5, 5);
    during("second rail");
    for (int i = 0; i <= 3; ++i)
        s.Click(200 + 50 * i, 900);
    s.RightClick(5, 5);
    after("column creation");
    // A fill region whose path is being edited, taken back to fewer nodes than it closes with (as
    // the region bar's Back leaves it).
    nl.Execute(TCommand::ModeRegion);
    nl.RegionMode().Builder().EditRegion(s.Region);
    s.Region->Flags |= RF_UNDER_CONSTRUCTION;
    during("region path edit");
    nl.RegionMode().Builder().Restore();
    nl.EventDone();
    after("region path edit");
}

namespace {
// The child of the kill test: a user at work on a worksheet (rotating and resizing in dialogs,
// dragging, creating objects, saving), with the autosave ticking now and then, even in the middle
// of an edit. Every action first numbers the worksheet (in a file name it keeps, not an edit);
// the journal says what is safe so far: "A n" a copy of state n was written, "S n" state n was
// saved to the user's file, "P phase" the child is in the middle of that phase, "BAD" a copy was
// written half-way through an edit. It works until it is killed.
[[noreturn]] void WorkUntilKilled(const fs::path& recovery, const fs::path& user, int journal,
                                  uint32_t seed) {
    ::alarm(60); // never outlives a parent that failed
    TSheet s;
    TNL& nl = s.Nl;
    nl.Recovery.Folder = recovery;
    nl.Sew.FileName = "Untitled";
    std::mt19937 rng(seed);
    auto rnd = [&rng](int n) { return static_cast<int>(rng() % static_cast<uint32_t>(n)); };
    int n = 0;
    auto say = [journal](const std::string& line) {
        const std::string l = line + "\n";
        (void)!::write(journal, l.data(), l.size());
    };
    auto tick = [&](bool busy) {
        const bool written = nl.Autosave();
        if (written && busy) say("BAD");
        if (written && !busy) say("A " + std::to_string(n));
    };
    auto phase = [&](const char* name) {
        say(std::string("P ") + name);
        tick(true);
        ::usleep(static_cast<useconds_t>(500 + rnd(1500)));
    };
    auto selectAll = [&] {
        nl.SetMode(TMode::ObjectLayout);
        for (int32_t i = 0; i < nl.Sew.Count(); ++i)
            nl.Sew[i]->SetFlags(OF_SELECTED_LAYOUT);
    };
    TSLStitch* handle = s.Direct;
    for (;;) {
        ++n;
        nl.Sew.Settings.SnapshotFileName = std::to_string(n);
        selectAll();
        switch (rnd(6)) {
        case 0:
            s.Host.RotateDialogScript = [&] {
                nl.RotateDialog()->SetAngle(rnd(360));
                phase("dialog");
                nl.RotateDialog()->SetAngle(rnd(360));
            };
            nl.Execute(TCommand::Rotate);
            break;
        case 1:
            s.Host.ResizeDialogScript = [&] {
                nl.ResizeDialog()->Set(TResizeField::WidthPercent, 90 + rnd(20));
                phase("dialog");
            };
            nl.Execute(TCommand::Resize);
            break;
        case 2: {
            nl.Toggles.RotateMode = rnd(2) == 0;
            const int x = nl.View.ScreenX((*handle)[0].X), y = nl.View.ScreenY((*handle)[0].Y);
            nl.MouseDown(TMouseButton::Left, x, y, {});
            nl.MouseMove(x + 10 + rnd(30), y + 10 + rnd(30), {});
            phase("drag");
            nl.MouseMove(x + rnd(60) - 30, y + rnd(60) - 30, {});
            nl.MouseUp(TMouseButton::Left, x + rnd(60) - 30, y + rnd(60) - 30, {});
            nl.Toggles.RotateMode = false;
            break;
        }
        case 3:
            if (nl.Sew.Count() > 24) break;
            nl.Execute(TCommand::CreateDirect);
            for (int i = 0; i < 3; ++i) {
                s.Click(100 + rnd(1000), 100 + rnd(700));
                if (i == 1) phase("create");
            }
            s.RightClick(5, 5);
            break;
        case 4:
            say("P save");
            if (nl.SaveWorksheetAs(user.string())) say("S " + std::to_string(n));
            break;
        default:
            tick(false);
            break;
        }
        tick(false);
    }
}

// Reads the child's journal lines until `stop` says so or the child is silent for 10 s.
bool ReadJournal(int fd, std::vector<std::string>& lines, std::string& partial,
                 const std::function<bool()>& stop) {
    while (!stop()) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 10000) <= 0) return false;
        char buf[4096];
        const ssize_t got = ::read(fd, buf, sizeof buf);
        if (got <= 0) return false;
        partial.append(buf, static_cast<size_t>(got));
        for (size_t nl; (nl = partial.find('\n')) != std::string::npos;) {
            lines.push_back(partial.substr(0, nl));
            partial.erase(0, nl + 1);
        }
    }
    return true;
}

int Number(const TSew& sew) {
    return std::atoi(sew.Settings.SnapshotFileName.c_str());
}
} // namespace

TEST(Recovery, AProgramKilledAtRandomMomentsLosesNothing) {
    std::mt19937 rng(20240611);
    const char* const phases[] = {"P dialog", "P drag", "P save", "P create"};
    int offered = 0;
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        test::TTempDir dir;
        const fs::path recovery = dir / "recovery";
        const fs::path user = dir / "designs" / "badge.Nl1";
        fs::create_directories(user.parent_path());
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        const uint32_t seed = rng();
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(pipeFds[0]);
            WorkUntilKilled(recovery, user, pipeFds[1], seed);
        }
        ::close(pipeFds[1]);
        // Killed in the middle of the phase of this round, the k-th time the child is in it, a
        // moment after it said so.
        const std::string target = phases[round % 4];
        const int times = 1 + static_cast<int>(rng() % 4);
        std::vector<std::string> lines;
        std::string partial;
        const bool reached = ReadJournal(pipeFds[0], lines, partial, [&] {
            return std::count(lines.begin(), lines.end(), target) >= times;
        });
        ::usleep(rng() % 2500);
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ReadJournal(pipeFds[0], lines, partial, [] { return false; }); // the rest, up to the end
        ::close(pipeFds[0]);
        ASSERT_TRUE(reached) << "the child never reached " << target;
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

        int copiedAt = 0, savedAt = 0;
        for (const std::string& l : lines) {
            ASSERT_NE(l, "BAD") << "a recovery copy was written half-way through an edit";
            if (l.rfind("A ", 0) == 0) copiedAt = std::atoi(l.c_str() + 2);
            if (l.rfind("S ", 0) == 0) savedAt = std::atoi(l.c_str() + 2);
        }
        // The user's file is whole (never half written) and holds at least what was last saved.
        int userAt = 0;
        if (fs::exists(user)) {
            TSew back;
            ASSERT_NO_THROW(LoadWorksheet(user, back));
            userAt = Number(back);
        }
        EXPECT_GE(userAt, savedAt);
        // The next start offers the copy, whole, and with it nothing is lost.
        TNextStart next(recovery, {TButton::Yes});
        int restoredAt = 0;
        for (const auto& m : next.Host.Messages)
            ASSERT_EQ(m.Heading, "Recover Unsaved Work ?") << m.Text;
        ASSERT_LE(next.Host.Messages.size(), 1u);
        if (!next.Host.Messages.empty()) {
            ++offered;
            restoredAt = Number(next.Nl.Sew);
            EXPECT_TRUE(Whole(next.Nl.Sew));
            EXPECT_TRUE(next.Nl.Sew.Modified);
            // The copy knows whose work it is: the user's file once it was saved.
            if (savedAt) {
                EXPECT_EQ(next.Nl.Sew.FileName, user.string());
            }
            if (!userAt) {
                EXPECT_EQ(next.Nl.Sew.FileName, "Untitled");
            }
        }
        EXPECT_GE(std::max(restoredAt, userAt), std::max(copiedAt, savedAt))
            << "copied " << copiedAt << ", saved " << savedAt << "; offered " << restoredAt << ", file "
            << userAt;
        next.Nl.Closing();
    }
    EXPECT_GT(offered, 4) << "the runs were killed before they had anything to lose";
}
