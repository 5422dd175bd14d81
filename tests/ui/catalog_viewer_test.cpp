#include <gtest/gtest.h>

#include <random>

#include "../core/TempDir.h"
#include "core/Colour.h"
#include "core/FileIO.h"
#include "platform/ScriptedHost.h"
#include "threads/CatalogFolder.h"
#include "ui/CatalogViewer.h"

using namespace nl;
namespace fs = std::filesystem;

namespace {

using nl::test::TTempDir;

const int32_t kRed = MakeColour(255, 0, 0);

void Write(const fs::path& folder, const std::string& m, bool enabled, int32_t position,
           std::vector<std::tuple<std::string, std::string, int32_t>> threads) {
    TCatData c;
    c.Manufacturer = m;
    c.ThreadType = "Rayon";
    c.Info = m + " info";
    c.Enabled = enabled;
    c.ListPosition = position;
    for (auto& [number, name, colour] : threads) {
        TCD e;
        e.CatalogNumber = number;
        e.Description = name;
        e.Colour = colour;
        c.Entries.push_back(e);
    }
    ComputeOrders(c);
    WriteCatalog(c, folder);
}

// Alpha (position 2), Beta (position 1, off), Gamma (position 0).
void ThreeCatalogs(const fs::path& folder) {
    Write(folder, "Alpha", true, 2,
          {{"3", "Red A", kRed}, {"1", "Pink", MakeColour(255, 150, 150)}, {"2", "Red B", kRed}});
    Write(folder, "Beta", false, 1, {{"1", "Only", kRed}});
    Write(folder, "Gamma", true, 0, {{"7", "White", MakeColour(255, 255, 255)}, {"8", "Black", 0}});
}

} // namespace

TEST(CatalogViewer, ListsEnabledCatalogsInListOrderAndMatchesThePreset) {
    TTempDir d;
    ThreeCatalogs(d.Path);
    TScriptedHost host;
    TThreadSettings settings;
    settings.CatalogChoice = 1;
    TCatalogViewer v(host, settings);
    ASSERT_TRUE(v.Open(d.Path, true, kRed, true));
    EXPECT_TRUE(host.Messages.empty());
    ASSERT_EQ(v.Catalogs().size(), 2u);
    EXPECT_EQ(v.Catalogs()[0].Title(), "Gamma - Rayon");
    EXPECT_EQ(v.Catalogs()[1].Title(), "Alpha - Rayon");
    EXPECT_EQ(v.CatalogIndex(), 1);
    EXPECT_EQ(v.Info(), "Alpha info");
    // Number order: 1 Pink, 2 Red B, 3 Red A. Best Match picks the first exact red shown.
    EXPECT_EQ(v.Sort(), TThreadSort::Number);
    ASSERT_EQ(v.Selection(), 1);
    EXPECT_EQ(v.Row(1).Description, "Red B");
    EXPECT_EQ(v.SelectedColour(), kRed);
    // By name: Pink, Red A, Red B: another row of the same colour.
    v.SetSort(TThreadSort::Name);
    EXPECT_EQ(v.Row(static_cast<size_t>(v.Selection())).Description, "Red A");
    // Another catalog: matched again, remembered for the run.
    v.SelectCatalog(0);
    EXPECT_EQ(settings.CatalogChoice, 0);
    EXPECT_EQ(settings.TypeManIndex, 0);
    EXPECT_EQ(v.Row(static_cast<size_t>(v.Selection())).Description, "Black"); // 255 away; white is 510
    EXPECT_TRUE(v.DropperAllowed());
    // Unchecking Best Match clears the selection; Apply then hands back the preset.
    v.SetBestMatch(false);
    EXPECT_EQ(v.Selection(), -1);
    EXPECT_EQ(v.ApplyColour(), kRed);
    v.Click(0); // by name: Black, White
    EXPECT_EQ(v.ApplyColour(), 0);
    // A dropper colour becomes the preset and is matched when Best Match is on.
    v.SetBestMatch(true);
    v.SetPreset(MakeColour(240, 240, 240));
    EXPECT_EQ(v.Row(static_cast<size_t>(v.Selection())).Description, "White");
}

TEST(CatalogViewer, NoPresetSelectsNothingAndClicksSurviveASortChange) {
    TTempDir d;
    ThreeCatalogs(d.Path);
    TScriptedHost host;
    TThreadSettings settings;
    settings.CatalogChoice = 1;
    TCatalogViewer v(host, settings);
    ASSERT_TRUE(v.Open(d.Path, true, NO_COLOUR, false));
    EXPECT_EQ(v.Selection(), -1); // not the whitest thread
    EXPECT_EQ(v.ApplyColour(), NO_COLOUR);
    EXPECT_FALSE(v.DropperAllowed());
    v.Click(2); // number order row 2: "3" Red A
    v.SetSort(TThreadSort::Name);
    ASSERT_GE(v.Selection(), 0);
    EXPECT_EQ(v.Row(static_cast<size_t>(v.Selection())).Description, "Red A");
    v.Click(99); // no such row: nothing changes
    EXPECT_EQ(v.Row(static_cast<size_t>(v.Selection())).Description, "Red A");

    // Free-standing: no matching at all, and the preset is ignored.
    ASSERT_TRUE(v.Open(d.Path, false, kRed, true));
    EXPECT_EQ(v.Selection(), -1);
    EXPECT_FALSE(v.DropperAllowed());
}

TEST(CatalogViewer, RememberedChoiceOutOfRangeFallsBackToTheFirstCatalog) {
    TTempDir d;
    ThreeCatalogs(d.Path);
    TScriptedHost host;
    for (int32_t choice : {-1, -2147483647 - 1, 2, 1000}) {
        TThreadSettings settings;
        settings.CatalogChoice = choice;
        TCatalogViewer v(host, settings);
        ASSERT_TRUE(v.Open(d.Path, true, kRed, false));
        EXPECT_EQ(v.CatalogIndex(), 0) << choice;
        EXPECT_EQ(settings.CatalogChoice, 0);
        EXPECT_EQ(v.Current().Manufacturer, "Gamma");
    }
}

TEST(CatalogViewer, MessagesWhenThereIsNothingToShow) {
    TTempDir d;
    TScriptedHost host;
    TThreadSettings settings;
    TCatalogViewer v(host, settings);
    // No catalog file at all: two messages, and the viewer does not open.
    EXPECT_FALSE(v.Open(d.Path, true, kRed, false));
    ASSERT_EQ(host.Messages.size(), 2u);
    EXPECT_EQ(host.Messages[0].Heading, "No Thread Data");
    EXPECT_EQ(host.Messages[0].Text,
              "There doesn't Appear To Be Any Thread Data Files In The Threads Folder. This "
              "Means Nordelune Cannot Show The Thread Catalog.");
    EXPECT_EQ(host.Messages[1].Heading, "No Thread Data");
    EXPECT_NE(host.Messages[1].Text.find(d.Path.string()), std::string::npos);

    // Catalogs, but every one switched off: all are shown for now.
    host.Messages.clear();
    Write(d.Path, "Off", false, 0, {{"1", "Red", kRed}});
    Write(d.Path, "Off Too", false, 1, {{"1", "Red", kRed}});
    ASSERT_TRUE(v.Open(d.Path, true, kRed, false));
    ASSERT_EQ(host.Messages.size(), 1u);
    EXPECT_EQ(host.Messages[0].Text, "Nordelune Has Found All Thread Data Use Attributes To Switched Off. "
                                     "Temporarily Switching Them All Back On Again");
    EXPECT_EQ(v.Catalogs().size(), 2u);
    EXPECT_EQ(v.Selection(), 0);

    // The chosen catalog went bad after the list was read: told, shown empty, no crash.
    host.Messages.clear();
    auto bytes = ReadWholeFile(v.Catalogs()[1].Path);
    bytes.resize(bytes.size() - 2);
    WriteFileAtomic(v.Catalogs()[1].Path, bytes);
    v.SelectCatalog(1);
    EXPECT_EQ(v.Rows(), 0u);
    EXPECT_EQ(v.Selection(), -1);
    ASSERT_EQ(host.Messages.size(), 1u);
    EXPECT_NE(host.Messages[0].Text.find("Off Too-Rayon.SC1"), std::string::npos) << host.Messages[0].Text;
}
