#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "core/Colour.h"
#include "threads/CatalogFolder.h"
#include "threads/ThreadMatch.h"

using namespace nl;
namespace fs = std::filesystem;

namespace {

TCD Entry(const std::string& number, const std::string& name, int32_t colour) {
    TCD e;
    e.CatalogNumber = number;
    e.Description = name;
    e.Colour = colour;
    return e;
}

fs::path ShippedFolder() {
    return fs::path(NL_BIN_DIR) / "Threads";
}

} // namespace

TEST(ThreadMatch, BestMatchPicksTheFirstNearestInDisplayOrder) {
    const int32_t red = MakeColour(255, 0, 0);
    TCatData c;
    c.Entries = {Entry("3", "Red A", red), Entry("1", "Pink", MakeColour(255, 150, 150)),
                 Entry("2", "Red B", red), Entry("4", "Dark", MakeColour(10, 0, 0))};
    ComputeOrders(c);
    // Exact colour: distance 0. Two threads share it; the one shown first in each sort wins.
    EXPECT_EQ(EntryAt(c, TThreadSort::Number, static_cast<size_t>(BestMatch(c, TThreadSort::Number, red)))
                  .Description,
              "Red B"); // numbers 1, 2, 3, 4
    EXPECT_EQ(
        EntryAt(c, TThreadSort::Name, static_cast<size_t>(BestMatch(c, TThreadSort::Name, red))).Description,
        "Red A"); // names Dark, Pink, Red A, Red B
    // Nearest, not exact: (250, 140, 140) is 25 from Pink.
    int32_t at = BestMatch(c, TThreadSort::Colour, MakeColour(250, 140, 140));
    EXPECT_EQ(EntryAt(c, TThreadSort::Colour, static_cast<size_t>(at)).Description, "Pink");
    // No preset colour: nothing is selected (not the whitest thread).
    EXPECT_EQ(BestMatch(c, TThreadSort::Colour, NO_COLOUR), -1);
    TCatData empty;
    EXPECT_EQ(BestMatch(empty, TThreadSort::Number, red), -1);
}

TEST(ThreadMatch, NearestThreadsAcrossCatalogs) {
    TCatData a, b;
    a.Manufacturer = "A";
    b.Manufacturer = "B";
    a.Entries = {Entry("1", "far", MakeColour(0, 0, 0)), Entry("2", "tie", MakeColour(100, 100, 110))};
    b.Entries = {Entry("9", "tie too", MakeColour(100, 110, 100)),
                 Entry("8", "exact", MakeColour(100, 100, 100))};
    std::vector<TCatData> both{a, b};
    auto m = NearestThreads(both, MakeColour(100, 100, 100), 3);
    ASSERT_EQ(m.size(), 3u);
    EXPECT_EQ(m[0].Thread().Description, "exact");
    EXPECT_EQ(m[0].Distance, 0);
    EXPECT_EQ(m[1].Thread().Description, "tie"); // catalog order breaks the tie
    EXPECT_EQ(m[2].Thread().Description, "tie too");
    EXPECT_EQ(m[2].Catalog->Manufacturer, "B");
    EXPECT_EQ(NearestThreads(both, MakeColour(1, 2, 3), 99).size(), 4u);
    EXPECT_TRUE(NearestThreads(both, NO_COLOUR, 3).empty());
    EXPECT_EQ(ColourDistance(MakeColour(10, 20, 30), MakeColour(30, 10, 40)), 40);
}

// The catalogs the build generates from the thread charts: every chart row is there, all are
// enabled, and the stored orders are exactly the ones the program computes.
TEST(ShippedCatalogs, EveryChartBecomesAnEnabledCatalogWithTheProgramsOrders) {
    const fs::path charts = fs::path(NL_SOURCE_DIR) / "data-src" / "threads";
    std::vector<std::string> problems;
    auto catalogs = ReadCatalogs(ShippedFolder(), &problems);
    EXPECT_TRUE(problems.empty());
    ASSERT_EQ(catalogs.size(), 12u);
    size_t total = 0;
    std::vector<int32_t> positions;
    for (const TCatData& c : catalogs) {
        SCOPED_TRACE(c.Path.string());
        EXPECT_TRUE(c.Enabled);
        EXPECT_EQ(c.Path.filename().string(), CatalogFileName(c.Manufacturer, c.ThreadType));
        positions.push_back(c.ListPosition);
        TCatData recomputed = c;
        ComputeOrders(recomputed);
        for (size_t i = 0; i < c.Entries.size(); ++i) {
            ASSERT_EQ(c.Entries[i].NumberOrder, recomputed.Entries[i].NumberOrder) << i;
            ASSERT_EQ(c.Entries[i].NameOrder, recomputed.Entries[i].NameOrder) << i;
            ASSERT_EQ(c.Entries[i].ColourOrder, recomputed.Entries[i].ColourOrder) << i;
            ASSERT_EQ(c.Entries[i].EntryIndex, static_cast<int32_t>(i));
        }
        // Row by row against the chart.
        std::ifstream in(charts / (c.Path.stem().string() + ".csv"));
        ASSERT_TRUE(in) << "no chart";
        std::string line;
        std::getline(in, line);
        size_t row = 0;
        while (std::getline(in, line)) {
            if (line.empty()) continue;
            std::stringstream s(line);
            std::string number, name, r, g, b;
            std::getline(s, number, ',');
            std::getline(s, name, ',');
            std::getline(s, r, ',');
            std::getline(s, g, ',');
            std::getline(s, b, ',');
            ASSERT_LT(row, c.Entries.size());
            const TCD& e = c.Entries[row++];
            EXPECT_EQ(e.CatalogNumber, number);
            EXPECT_EQ(e.Description, name);
            EXPECT_EQ(e.Colour, MakeColour(std::stoi(r), std::stoi(g), std::stoi(b)));
        }
        EXPECT_EQ(row, c.Entries.size());
        total += c.Entries.size();
    }
    EXPECT_EQ(total, 3772u);
    std::sort(positions.begin(), positions.end());
    EXPECT_EQ(std::unique(positions.begin(), positions.end()), positions.end());
    // Numbers are text: leading zeros and letters stay.
    auto isacord = std::find_if(catalogs.begin(), catalogs.end(),
                                [](const TCatData& c) { return c.Manufacturer == "Isacord"; });
    ASSERT_NE(isacord, catalogs.end());
    EXPECT_EQ(isacord->Entries[0].CatalogNumber, "0003");
    auto robison = std::find_if(catalogs.begin(), catalogs.end(),
                                [](const TCatData& c) { return c.Manufacturer == "Robison-Anton"; });
    ASSERT_NE(robison, catalogs.end());
    EXPECT_EQ(robison->ThreadType, "Rayon");
}
