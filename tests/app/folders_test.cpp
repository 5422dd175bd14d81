// Where the program finds its shipped files and keeps the user's: the build folder keeps working
// beside the program; an installed program, or one in a folder it may not write, uses the user's
// data folder, and its file dialogs start there.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "../core/TempDir.h"
#include "Fixture.h"
#include "app/FileCommands.h"
#include "app/Folders.h"
#include "threads/CatalogFolder.h"

using namespace nl;
namespace fs = std::filesystem;

namespace {

// $XDG_DATA_HOME pointed at a scratch folder for the test's length.
struct TUserData {
    test::TTempDir Home{"nl-userdata-"};
    std::string Old;
    bool Had = false;
    TUserData() {
        if (const char* v = std::getenv("XDG_DATA_HOME")) Old = v, Had = true;
        ::setenv("XDG_DATA_HOME", Home.Path.c_str(), 1);
    }
    ~TUserData() {
        if (Had)
            ::setenv("XDG_DATA_HOME", Old.c_str(), 1);
        else
            ::unsetenv("XDG_DATA_HOME");
    }
    fs::path Own() const { return Home.Path / "nordelune"; }
};

void Touch(const fs::path& file) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "x";
}

// An installed layout: <prefix>/bin and <prefix>/share/nordelune with one shipped catalog.
struct TInstalled {
    test::TTempDir Prefix{"nl-prefix-"};
    fs::path Bin() const { return Prefix.Path / "bin"; }
    fs::path Share() const { return Prefix.Path / "share" / "nordelune"; }
    TInstalled() {
        fs::create_directories(Bin());
        Touch(Share() / "Threads" / "Acme-Rayon.SC1");
        Touch(Share() / "Threads" / "Zeta-Poly.SC1");
        // Shipped files are read-only; the user's copy must not be.
        fs::permissions(Share() / "Threads" / "Acme-Rayon.SC1",
                        fs::perms::owner_read | fs::perms::group_read);
    }
};

} // namespace

TEST(Folders, TheChoiceByLayoutAndWritability) {
    const fs::path prog = "/opt/nl/bin", share = "/opt/nl/share/nordelune",
                   user = "/home/u/.local/share/nordelune";
    struct TCase {
        const char* Name;
        bool Writable;
        fs::path Installed;
        fs::path Shipped, Own;
        bool IsInstalled;
    } cases[] = {
        {"build folder", true, {}, prog, prog, false},
        {"read-only program folder", false, {}, prog, user, false},
        {"installed, folder writable (root)", true, share, share, user, true},
        {"installed", false, share, share, user, true},
    };
    for (const TCase& c : cases) {
        TFolders f = ChooseFolders(prog, c.Writable, c.Installed, user);
        EXPECT_EQ(f.Shipped, c.Shipped) << c.Name;
        EXPECT_EQ(f.Own, c.Own) << c.Name;
        EXPECT_EQ(f.Installed, c.IsInstalled) << c.Name;
    }
}

TEST(Folders, ABuildFolderKeepsEverythingBesideTheProgram) {
    TUserData data;
    test::TTempDir prog;
    TFolders f = FoldersOf(prog.Path);
    EXPECT_FALSE(f.Installed);
    EXPECT_EQ(f.Shipped, prog.Path);
    EXPECT_EQ(f.Own, prog.Path);
    EXPECT_EQ(CatalogFolder(prog.Path), prog.Path / "Threads");
    EXPECT_EQ(OwnFolder(prog.Path, EXPORTED_FOLDER_NAME), prog.Path / "Exported");
    EXPECT_TRUE(fs::is_directory(prog.Path / "Exported"));
    EXPECT_FALSE(fs::exists(data.Own())) << "nothing is made in the user's folder";
}

TEST(Folders, AnInstalledProgramReadsItsShareFolderAndWritesTheUsers) {
    TUserData data;
    TInstalled inst;
    TFolders f = FoldersOf(inst.Bin());
    EXPECT_TRUE(f.Installed);
    EXPECT_EQ(f.Shipped, inst.Share());
    EXPECT_EQ(f.Own, data.Own());
    EXPECT_EQ(GuidePage(inst.Bin(), "index.html"), inst.Share() / "guide" / "index.html");

    // The catalogs: the first time, a copy of the shipped ones the user may change.
    fs::path threads = CatalogFolder(inst.Bin());
    EXPECT_EQ(threads, data.Own() / "Threads");
    ASSERT_EQ(CatalogFiles(threads).size(), 2u);
    EXPECT_TRUE((fs::status(threads / "Acme-Rayon.SC1").permissions() & fs::perms::owner_write) !=
                fs::perms::none);
    // Later the folder is the user's: a catalog they deleted is not brought back.
    fs::remove(threads / "Zeta-Poly.SC1");
    EXPECT_EQ(CatalogFolder(inst.Bin()), threads);
    EXPECT_EQ(CatalogFiles(threads).size(), 1u);
    EXPECT_EQ(CatalogFiles(inst.Share() / "Threads").size(), 2u) << "the shipped catalogs stay";
}

TEST(Folders, TheInstalledProgramsDialogsStartInTheUsersFolders) {
    TUserData data;
    TInstalled inst;
    test::TShell s;
    s.Host.Folder = inst.Bin().string();

    // Open and Save As: "Embroidery Designs"; the open dialog offers no name.
    s.Nl.Execute(TCommand::FileOpen);
    ASSERT_EQ(s.Host.FileRequests.size(), 1u);
    EXPECT_EQ(s.Host.FileRequests[0].InitialDir, (data.Own() / "Embroidery Designs").string());
    EXPECT_EQ(s.Host.FileRequests[0].FileName, "");
    EXPECT_TRUE(fs::is_directory(data.Own() / "Embroidery Designs"));
    s.Nl.Execute(TCommand::FileSaveAs);
    ASSERT_EQ(s.Host.FileRequests.size(), 2u);
    EXPECT_EQ(s.Host.FileRequests[1].InitialDir, (data.Own() / "Embroidery Designs").string());

    // Import: "Imported", no name offered, though "Untitled" is still what it remembers.
    TImportSession import;
    EXPECT_FALSE(ChooseImportFile(s.Host, import));
    ASSERT_EQ(s.Host.FileRequests.size(), 3u);
    EXPECT_EQ(s.Host.FileRequests[2].InitialDir, (data.Own() / "Imported").string());
    EXPECT_EQ(s.Host.FileRequests[2].FileName, "");
    EXPECT_EQ(import.FileName, "Untitled");

    // Export: "Exported", with the name a save dialog proposes.
    TExportSession exportSession;
    EXPECT_FALSE(RunExportCommand(s.Nl.Sew, s.Host, exportSession, s.Nl.StitchContext()));
    ASSERT_EQ(s.Host.FileRequests.size(), 4u);
    EXPECT_EQ(s.Host.FileRequests[3].InitialDir, (data.Own() / "Exported").string());
    EXPECT_EQ(s.Host.FileRequests[3].FileName, "Untitled");

    // Nothing of the user's lands beside the program.
    for (const char* name : {"Embroidery Designs", "Imported", "Exported", "Threads"})
        EXPECT_FALSE(fs::exists(inst.Bin() / name)) << name;
}
