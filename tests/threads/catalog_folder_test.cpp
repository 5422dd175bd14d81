#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "../core/TempDir.h"
#include "core/Errors.h"
#include "core/FileIO.h"
#include "threads/CatalogFolder.h"

using namespace nl;
namespace fs = std::filesystem;

namespace {

using nl::test::TTempDir;

std::vector<uint8_t> FileBytes(const fs::path& p) {
    return ReadWholeFile(p);
}

void WriteBytes(const fs::path& p, std::vector<uint8_t> b) {
    WriteFileAtomic(p, b);
}

TCatData Make(const fs::path& folder, const std::string& m, const std::string& t, int32_t position) {
    TCatData c = NewCatalog(m, t);
    c.ListPosition = position;
    ComputeOrders(c);
    WriteCatalog(c, folder);
    return c;
}

} // namespace

TEST(CatalogFolder, ThreadsFolderIsCreatedBesideTheProgram) {
    TTempDir d;
    fs::path f = ThreadsFolder(d.Path);
    EXPECT_EQ(f, d.Path / "Threads");
    EXPECT_TRUE(fs::is_directory(f));
}

TEST(CatalogFolder, ListingSkipsForeignFilesAndReportsDamagedCatalogs) {
    TTempDir d;
    Make(d.Path, "Zeta", "Rayon", 0);
    Make(d.Path, "Alpha", "Silk", 1);
    // A file with the extension but another magic is not a catalog: skipped without a word.
    WriteBytes(d.Path / "Notes.SC1", {'h', 'e', 'l', 'l', 'o', '!', '!', '!'});
    // A catalog cut short is reported by name.
    auto bytes = FileBytes(d.Path / "Alpha-Silk.SC1");
    bytes.resize(bytes.size() - 3);
    WriteBytes(d.Path / "Broken-One.sc1", bytes);
    // Other extensions are not looked at.
    WriteBytes(d.Path / "Alpha-Silk.SC1.bak", FileBytes(d.Path / "Alpha-Silk.SC1"));

    std::vector<std::string> problems;
    auto all = ReadCatalogs(d.Path, &problems);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].Manufacturer, "Alpha"); // file name order
    EXPECT_EQ(all[1].Manufacturer, "Zeta");
    EXPECT_EQ(all[0].Path, d.Path / "Alpha-Silk.SC1");
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("Broken-One.sc1"), std::string::npos) << problems[0];

    auto headers = ReadCatalogHeaders(d.Path);
    ASSERT_EQ(headers.size(), 3u); // the header of the cut catalog is whole
    EXPECT_EQ(headers[0].EntryCount, 1);
    EXPECT_TRUE(headers[0].Entries.empty());

    SortByListPosition(all);
    EXPECT_EQ(all[0].Manufacturer, "Zeta");
    all[0].ListPosition = 40;
    all[1].ListPosition = 40; // equal positions keep their order
    SortByListPosition(all);
    EXPECT_EQ(all[0].Manufacturer, "Zeta");
    RenumberListPositions(all);
    EXPECT_EQ(all[1].ListPosition, 1);
}

TEST(CatalogFolder, FileNamesFromUserTextStayInsideTheFolder) {
    struct TCase {
        std::string M, T, Want;
    };
    const TCase cases[] = {
        {"Madeira", "Rayon", "Madeira-Rayon.SC1"},     {"Robison-Anton", "Rayon", "Robison-Anton-Rayon.SC1"},
        {"../../etc", "passwd", "____etc-passwd.SC1"}, {"A/B", "C\\D", "A_B-C_D.SC1"},
        {"x:y*z?", "\"<q>|", "x_y_z_-__q__.SC1"},      {"..", "..", "_-_.SC1"},
        {".hidden", "type.", "hidden-type.SC1"},       {"tab\there", "new\nline", "tab_here-new_line.SC1"},
        {"  Spaced  ", " Out ", "Spaced-Out.SC1"},     {"/", "/", "_-_.SC1"},
    };
    const fs::path folder = "/threads";
    for (const TCase& c : cases) {
        std::string name = CatalogFileName(c.M, c.T);
        EXPECT_EQ(name, c.Want) << c.M << " | " << c.T;
        fs::path p = (folder / name).lexically_normal();
        EXPECT_EQ(p.parent_path(), folder) << name;
        EXPECT_EQ(name.find('/'), std::string::npos);
        EXPECT_EQ(name.find(".."), std::string::npos);
    }
    std::string longName = CatalogFileName(std::string(500, 'm'), "t");
    EXPECT_LE(longName.size(), 210u);
    EXPECT_EQ(longName.substr(longName.size() - 4), ".SC1");
}

TEST(CatalogFolder, NewCatalogRefusesNamesThatAreTaken) {
    TTempDir d;
    std::vector<TCatData> list;
    list.push_back(CreateCatalogFile(d.Path, list, "Madeira", "Rayon"));
    ASSERT_TRUE(fs::exists(d.Path / "Madeira-Rayon.SC1"));
    EXPECT_EQ(list[0].Path, d.Path / "Madeira-Rayon.SC1");
    EXPECT_EQ(list[0].Entries.size(), 1u);
    // Edit the catalog on disk so that an overwrite would show.
    list[0].Entries[0].CatalogNumber = "kept";
    WriteCatalog(list[0], d.Path);
    const auto before = FileBytes(list[0].Path);

    struct TCase {
        std::string M, T;
    };
    for (const TCase& c : {TCase{"Madeira", "Rayon"}, TCase{"madeira ", "RAYON"}}) {
        try {
            CreateCatalogFile(d.Path, list, c.M, c.T);
            FAIL() << c.M;
        } catch (const TError& e) {
            EXPECT_NE(std::string(e.what()).find("Already Exists"), std::string::npos) << e.what();
        }
    }
    // Different names, same file name once made safe.
    list.push_back(CreateCatalogFile(d.Path, list, "A/B", "C"));
    EXPECT_THROW(CreateCatalogFile(d.Path, list, "A_B", "C"), TError);
    // A file of that name that is no catalog in the list is not overwritten either.
    WriteBytes(d.Path / "Stray-File.SC1", {1, 2, 3});
    EXPECT_THROW(CreateCatalogFile(d.Path, list, "Stray", "File"), TError);
    EXPECT_EQ(FileBytes(d.Path / "Stray-File.SC1"), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(FileBytes(list[0].Path), before);
}

TEST(CatalogFolder, RenameWritesTheNewFileBeforeDeletingTheOld) {
    TTempDir d;
    std::vector<TCatData> list;
    list.push_back(Make(d.Path, "Old", "Name", 0));
    list.push_back(Make(d.Path, "Other", "Cat", 1));
    list[0].Entries[0].Description = "carried over";

    RenameCatalog(list[0], d.Path, list, "New", "Name");
    EXPECT_FALSE(fs::exists(d.Path / "Old-Name.SC1"));
    ASSERT_TRUE(fs::exists(d.Path / "New-Name.SC1"));
    EXPECT_EQ(list[0].Path, d.Path / "New-Name.SC1");
    TCatData back = ReadCatalog(d.Path / "New-Name.SC1");
    EXPECT_EQ(back.Manufacturer, "New");
    EXPECT_EQ(back.Entries[0].Description, "carried over");

    // Only the case changes: same catalog, its own file may be replaced.
    RenameCatalog(list[0], d.Path, list, "NEW", "Name");
    EXPECT_EQ(ReadCatalogHeaders(d.Path).size(), 2u);

    // A collision with another catalog changes nothing.
    const auto before = FileBytes(list[1].Path);
    EXPECT_THROW(RenameCatalog(list[0], d.Path, list, "other", "cat"), TError);
    EXPECT_EQ(list[0].Manufacturer, "NEW");
    EXPECT_EQ(FileBytes(list[1].Path), before);

    // The new file cannot be written: the old one stays, the catalog keeps its names.
    const fs::path old = list[0].Path;
    EXPECT_THROW(RenameCatalog(list[0], d.Path / "missing" / "folder", list, "Lost", "Cat"), TError);
    EXPECT_TRUE(fs::exists(old));
    EXPECT_EQ(list[0].Path, old);
    EXPECT_EQ(list[0].ThreadType, "Name");
}

TEST(CatalogFolder, DeleteRemovesTheFileAndToleratesOneAlreadyGone) {
    TTempDir d;
    TCatData c = Make(d.Path, "Gone", "Soon", 0);
    DeleteCatalogFile(c);
    EXPECT_FALSE(fs::exists(c.Path));
    EXPECT_NO_THROW(DeleteCatalogFile(c));
}
