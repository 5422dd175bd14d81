#include <gtest/gtest.h>

#include <random>

#include "../core/TempDir.h"
#include "core/Colour.h"
#include "core/FileIO.h"
#include "platform/ScriptedHost.h"
#include "threads/CatalogFolder.h"
#include "ui/CatalogManager.h"

using namespace nl;
namespace fs = std::filesystem;
using TEditing = TCatalogManager::TEditing;

namespace {

using nl::test::TTempDir;

void Write(const fs::path& folder, const std::string& m, int32_t position,
           std::vector<std::pair<std::string, std::string>> threads) {
    TCatData c;
    c.Manufacturer = m;
    c.ThreadType = "Rayon";
    c.ListPosition = position;
    c.Enabled = true;
    int32_t colour = 0x102030;
    for (auto& [number, name] : threads) {
        TCD e;
        e.CatalogNumber = number;
        e.Description = name;
        e.Colour = colour;
        colour += 0x010101;
        c.Entries.push_back(e);
    }
    ComputeOrders(c);
    WriteCatalog(c, folder);
}

std::vector<std::string> Titles(const TCatalogManager& m) {
    std::vector<std::string> v;
    for (const TCatData& c : m.Catalogs())
        v.push_back(c.Manufacturer);
    return v;
}

struct TFixture {
    TTempDir Dir;
    TScriptedHost Host;
    TCatalogManager M{Host};
    TFixture() {
        Write(Dir.Path, "Alpha", 5, {{"1", "One"}, {"2", "Two"}, {"12", "Twelve"}, {"3", "Blue 12"}});
        Write(Dir.Path, "Beta", 3, {{"9", "Nine"}});
        Write(Dir.Path, "Gamma", 4, {{"7", "Seven"}});
        M.Open(Dir.Path);
    }
    std::vector<std::string> Headings() const {
        std::vector<std::string> v;
        for (auto& m : Host.Messages)
            v.push_back(m.Heading);
        return v;
    }
};

} // namespace

TEST(CatalogManager, OpensOrderedMovesAndSwitchesThenWritesOnYes) {
    TFixture f;
    EXPECT_EQ(Titles(f.M), (std::vector<std::string>{"Beta", "Gamma", "Alpha"}));
    EXPECT_EQ(f.M.Catalogs()[2].ListPosition, 2); // renumbered on loading
    EXPECT_EQ(f.M.Selected(), -1);
    EXPECT_FALSE(f.M.InfoEnabled());
    EXPECT_FALSE(f.M.CanMove(-1));

    ASSERT_TRUE(f.M.SelectCatalog(2));
    EXPECT_EQ(f.M.EntryCount(), 4u);
    f.M.Move(-1);
    EXPECT_EQ(Titles(f.M), (std::vector<std::string>{"Beta", "Alpha", "Gamma"}));
    EXPECT_EQ(f.M.Selected(), 1); // the selection follows the moved catalog
    f.M.Move(-1);
    EXPECT_FALSE(f.M.CanMove(-1));
    EXPECT_EQ(Titles(f.M), (std::vector<std::string>{"Alpha", "Beta", "Gamma"}));
    f.M.SetEnabled(2, false);
    f.M.SetInfoText("new words");
    EXPECT_TRUE(f.M.Changed());

    f.Host.Answers = {TButton::Yes};
    ASSERT_TRUE(f.M.Close());
    ASSERT_EQ(f.Host.Messages.size(), 1u);
    EXPECT_EQ(f.Host.Messages[0].Heading, "Change Thread Color Data");
    EXPECT_EQ(
        f.Host.Messages[0].Text,
        "Thread Color Data Has been Changed. If You Want To Commit Changes To Your Color Thread Catalogs "
        "Select Yes. Select No And Any Any Changes Made Will Be Lost. )");
    auto back = ReadCatalogs(f.Dir.Path);
    SortByListPosition(back);
    std::vector<std::string> order;
    for (auto& c : back)
        order.push_back(c.Manufacturer);
    EXPECT_EQ(order, (std::vector<std::string>{"Alpha", "Beta", "Gamma"}));
    EXPECT_EQ(back[0].Info, "new words");
    EXPECT_FALSE(back[2].Enabled);
}

TEST(CatalogManager, NoAtTheClosingQuestionWritesNothing) {
    TFixture f;
    const auto before = ReadWholeFile(f.Dir.Path / "Alpha-Rayon.SC1");
    f.M.SelectCatalog(2);
    f.M.SelectEntry(0);
    f.M.EditEntry();
    f.M.Fields().Description = "Changed";
    f.M.Commit();
    f.Host.Answers = {TButton::No};
    EXPECT_TRUE(f.M.Close());
    EXPECT_EQ(ReadWholeFile(f.Dir.Path / "Alpha-Rayon.SC1"), before);
    // Unchanged: no question at all.
    f.M.Open(f.Dir.Path);
    f.Host.Messages.clear();
    EXPECT_TRUE(f.M.Close());
    EXPECT_TRUE(f.Host.Messages.empty());
}

TEST(CatalogManager, EntryEditingCommitInsertCancelDelete) {
    TFixture f;
    f.M.SelectCatalog(2); // Alpha: 1 One, 2 Two, 12 Twelve, 3 Blue 12
    f.M.SelectEntry(1);
    f.M.EditEntry();
    EXPECT_EQ(f.M.Editing(), TEditing::ExistingEntry);
    EXPECT_EQ(f.M.Fields().Description, "Two");
    // While editing: catalogs locked, search off, selecting another catalog refused with a message.
    EXPECT_TRUE(f.M.CatalogsLocked());
    EXPECT_FALSE(f.M.CanFind());
    EXPECT_FALSE(f.M.SelectCatalog(0));
    EXPECT_EQ(f.Host.Messages.back().Heading, "Change Thread Type");
    EXPECT_EQ(f.Host.Messages.back().Text,
              "A Thread Record Is Being Edited. Use Commit, Cancel Or Delete First.");
    EXPECT_EQ(f.M.Selected(), 2);
    // R, G, B: 0..255 only; the swatch follows.
    EXPECT_FALSE(f.M.SetChannel(0, 256));
    EXPECT_FALSE(f.M.SetChannel(1, -1));
    EXPECT_TRUE(f.M.SetChannel(0, 10));
    EXPECT_TRUE(f.M.SetChannel(1, 20));
    EXPECT_TRUE(f.M.SetChannel(2, 30));
    EXPECT_EQ(f.M.Fields().Colour(), 10 + 20 * 256 + 30 * 65536);
    // Closing while editing is refused.
    EXPECT_FALSE(f.M.Close());
    EXPECT_EQ(
        f.Host.Messages.back().Text,
        "A Thread Record Is Currently Being Edited. Use Commit, Cancel Or Delete First Before Exiting.");

    // Insert: a new thread with the fields' values before the edited one, which stays as it was.
    f.M.Fields().Description = "Inserted";
    f.M.Insert();
    EXPECT_EQ(f.M.Editing(), TEditing::None);
    ASSERT_EQ(f.M.EntryCount(), 5u);
    EXPECT_EQ(f.M.Entry(1).Description, "Inserted");
    EXPECT_EQ(f.M.Entry(1).Colour, MakeColour(10, 20, 30));
    EXPECT_EQ(f.M.Entry(2).Description, "Two");
    EXPECT_EQ(f.M.SelectedEntry(), 2);

    // Commit stores the fields.
    f.M.EditEntry();
    f.M.Fields().CatalogNumber = "2b";
    f.M.Commit();
    EXPECT_EQ(f.M.Entry(2).CatalogNumber, "2b");

    // A new thread cancelled is gone again.
    f.M.NewEntry();
    EXPECT_EQ(f.M.EntryCount(), 6u);
    EXPECT_EQ(f.M.Fields().Description, "New Entry Text Goes Here");
    EXPECT_EQ(f.M.Fields().CatalogNumber, "Not Defined");
    f.M.CancelEdit();
    EXPECT_EQ(f.M.EntryCount(), 5u);

    // A new thread deleted goes at once; an existing one only after Yes.
    f.M.NewEntry();
    EXPECT_TRUE(f.M.DeleteEntry());
    EXPECT_EQ(f.M.EntryCount(), 5u);
    f.M.SelectEntry(4);
    f.M.EditEntry();
    f.Host.Answers = {TButton::No};
    EXPECT_FALSE(f.M.DeleteEntry());
    EXPECT_EQ(f.Host.Messages.back().Heading, "Delete Color Record");
    EXPECT_EQ(f.Host.Messages.back().Text, "Click Yes To Delete Edited Record From File");
    EXPECT_EQ(f.M.Editing(), TEditing::ExistingEntry);
    f.Host.Answers = {TButton::Yes};
    EXPECT_TRUE(f.M.DeleteEntry());
    EXPECT_EQ(f.M.EntryCount(), 4u);
    EXPECT_EQ(f.M.SelectedEntry(), 3); // the last one, as the deleted one was last

    // A catalog with one thread keeps it.
    f.M.SelectCatalog(0);
    f.M.SelectEntry(0);
    f.M.EditEntry();
    EXPECT_FALSE(f.M.CanDeleteEntry());
    f.M.CancelEdit();
}

TEST(CatalogManager, FindSearchesAfterTheSelectionWithoutWrapping) {
    TFixture f;
    f.M.SelectCatalog(2); // 1 One, 2 Two, 12 Twelve, 3 Blue 12
    EXPECT_TRUE(f.M.CanFind());
    EXPECT_TRUE(f.M.Find("  12 "));
    EXPECT_EQ(f.M.SelectedEntry(), 2); // number 12
    EXPECT_TRUE(f.M.Find("12"));
    EXPECT_EQ(f.M.SelectedEntry(), 3); // "Blue 12"
    EXPECT_FALSE(f.M.Find("12"));      // no wrap
    EXPECT_EQ(f.M.SelectedEntry(), 3);
    f.M.SelectEntry(-1);
    EXPECT_FALSE(f.M.Find("twelve")); // case-sensitive
    EXPECT_FALSE(f.M.Find("   "));
    EXPECT_EQ(f.M.SelectedEntry(), -1);
    f.M.SelectCatalog(0); // one thread: nothing to search
    EXPECT_FALSE(f.M.CanFind());
}

TEST(CatalogManager, NewRenameAndDeleteCatalogsWithoutLosingAny) {
    TFixture f;
    // Required names.
    EXPECT_FALSE(f.M.NewCatalog("", "Silk"));
    EXPECT_FALSE(f.M.NewCatalog("Acme", "  "));
    ASSERT_EQ(f.Host.Messages.size(), 2u);
    EXPECT_EQ(f.Host.Messages[0].Heading, "Create New Thread Data");
    EXPECT_EQ(f.Host.Messages[0].Text, "Thread Manufacturer Required");
    EXPECT_EQ(f.Host.Messages[1].Text, "Thread Product Required");
    // An existing manufacturer and type is refused before anything is asked or written.
    const auto alpha = ReadWholeFile(f.Dir.Path / "Alpha-Rayon.SC1");
    EXPECT_FALSE(f.M.NewCatalog("alpha", "rayon"));
    EXPECT_NE(f.Host.Messages.back().Text.find("Already Exists"), std::string::npos);
    EXPECT_EQ(ReadWholeFile(f.Dir.Path / "Alpha-Rayon.SC1"), alpha);
    // No to the question: nothing made.
    f.Host.Answers = {TButton::No};
    EXPECT_FALSE(f.M.NewCatalog("Acme", "Silk"));
    EXPECT_EQ(f.Host.Messages.back().Text, "Is It Ok To Create New Thread Data ( Acme-Silk )");
    EXPECT_FALSE(fs::exists(f.Dir.Path / "Acme-Silk.SC1"));
    // Yes: written at once, listed last and selected.
    f.Host.Answers = {TButton::Yes};
    ASSERT_TRUE(f.M.NewCatalog(" Acme ", "Silk"));
    EXPECT_TRUE(fs::exists(f.Dir.Path / "Acme-Silk.SC1"));
    EXPECT_EQ(Titles(f.M).back(), "Acme");
    EXPECT_EQ(f.M.Selected(), 3);
    EXPECT_EQ(f.M.Entry(0).Description, "Thread Color Description Goes Here.");
    // A name that would escape the folder stays inside it.
    f.Host.Answers = {TButton::Yes};
    ASSERT_TRUE(f.M.NewCatalog("../evil", "x/y"));
    EXPECT_TRUE(fs::exists(f.Dir.Path / "__evil-x_y.SC1"));

    // Rename: refused onto another catalog's names, nothing changed.
    f.M.SelectCatalog(3);
    EXPECT_FALSE(f.M.RenameSelected("Beta", "Rayon"));
    EXPECT_EQ(f.Host.Messages.back().Heading, "Change Manufacturer Information");
    EXPECT_TRUE(fs::exists(f.Dir.Path / "Acme-Silk.SC1"));
    // Renamed after Yes: the new file is there, the old one gone, the threads kept.
    f.Host.Answers = {TButton::Yes};
    ASSERT_TRUE(f.M.RenameSelected("Acme", "Satin"));
    EXPECT_EQ(f.Host.Messages.back().Text, "Is It Ok To Change Information ?");
    EXPECT_FALSE(fs::exists(f.Dir.Path / "Acme-Silk.SC1"));
    EXPECT_EQ(ReadCatalog(f.Dir.Path / "Acme-Satin.SC1").Entries.size(), 1u);

    // Delete: asked, the file goes, the selection stays at its index or moves to the last.
    const size_t n = f.M.Catalogs().size();
    f.M.SelectCatalog(static_cast<int32_t>(n) - 1);
    const std::string last = f.M.Catalogs().back().Manufacturer + "-" + f.M.Catalogs().back().ThreadType;
    f.Host.Answers = {TButton::Yes};
    ASSERT_TRUE(f.M.DeleteSelectedCatalog());
    EXPECT_EQ(f.Host.Messages.back().Heading, "Delete Thread Data");
    EXPECT_EQ(f.Host.Messages.back().Text, "Is It Ok To Delete " + last + ".SC1 Thread Catalog !");
    EXPECT_EQ(f.M.Catalogs().size(), n - 1);
    EXPECT_EQ(f.M.Selected(), static_cast<int32_t>(n) - 2);
    EXPECT_EQ(f.M.Catalogs().back().ListPosition, static_cast<int32_t>(n) - 2);
    // Down to one catalog: Delete is off.
    while (f.M.Catalogs().size() > 1) {
        f.M.SelectCatalog(0);
        f.Host.Answers = {TButton::Yes};
        ASSERT_TRUE(f.M.DeleteSelectedCatalog());
    }
    EXPECT_FALSE(f.M.CanDeleteCatalog());
    EXPECT_EQ(ReadCatalogHeaders(f.Dir.Path).size(), 1u);
}

TEST(CatalogManager, DamagedFilesAreNamedAndLeftAlone) {
    TFixture f;
    auto bytes = ReadWholeFile(f.Dir.Path / "Beta-Rayon.SC1");
    bytes.resize(bytes.size() - 1);
    WriteFileAtomic(f.Dir.Path / "Beta-Rayon.SC1", bytes);
    f.Host.Messages.clear();
    f.M.Open(f.Dir.Path);
    EXPECT_EQ(Titles(f.M), (std::vector<std::string>{"Gamma", "Alpha"}));
    ASSERT_EQ(f.Host.Messages.size(), 1u);
    EXPECT_NE(f.Host.Messages[0].Text.find("Beta-Rayon.SC1"), std::string::npos);
    // Writing the others back does not touch it.
    f.M.SetEnabled(0, false);
    f.Host.Answers = {TButton::Yes};
    ASSERT_TRUE(f.M.Close());
    EXPECT_EQ(ReadWholeFile(f.Dir.Path / "Beta-Rayon.SC1"), bytes);
}
