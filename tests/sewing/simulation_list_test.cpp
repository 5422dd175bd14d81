#include <gtest/gtest.h>

#include "sewing/SimulationList.h"
#include "stitching/SLStitch.h"

using namespace nl;

namespace {

constexpr int32_t RED = 0x0000FF, BLUE = 0xFF0000, GREEN = 0x00FF00;

struct TP {
    float X, Y;
    int32_t Colour = NO_COLOUR; // set: a colour point
    uint32_t Flags = 0;
};

std::unique_ptr<TSLStitch> Object(std::initializer_list<TP> pts) {
    auto o = std::make_unique<TSLStitch>();
    o->Flags = OF_DIRECT | OF_NEEDLE_POINTS | OF_VISIBLE;
    for (const TP& p : pts) {
        if (p.Colour != NO_COLOUR)
            o->Append(TSP::Colour(p.Flags, p.X, p.Y, p.Colour));
        else
            o->Append(TSP::Plain(p.Flags, p.X, p.Y));
    }
    return o;
}

std::vector<uint8_t> Flags(const TSimulationList& l) {
    std::vector<uint8_t> f;
    for (const TSimPoint& p : l.Points())
        f.push_back(p.Flags);
    return f;
}

} // namespace

TEST(SimulationList, FlattensAsExportWithTravelAndThreadChanges) {
    auto a = Object({{0, 0, RED}, {10, 0}, {20, 0}, {20, 10, BLUE}, {30, 10}});
    a->JumpVia = TSP::Plain(0, 40, 40);
    auto b = Object({{100, 0, BLUE}, {110, 0}}); // the thread in the machine already: no change
    auto c = Object({{200, 0, RED}, {210, 0}});
    auto list = TSimulationList::FromOrder({a.get(), b.get(), c.get()});

    ASSERT_EQ(list.Count(), 10);
    constexpr uint8_t J = SIM_JUMP, S = SIM_BLOCK_START;
    // a: block, stitch, stitch, new block (travel), stitch; a's via and b (no change) are sewn, as
    // every machine file sews them; c (travel, new block).
    EXPECT_EQ(Flags(list), (std::vector<uint8_t>{S, 0, 0, S | J, 0, 0, 0, 0, S | J, 0}));
    ASSERT_EQ(list.Blocks().size(), 3u);
    EXPECT_EQ(list.Blocks()[1].First, 3);
    EXPECT_EQ(list.Blocks()[2].First, 8);
    const int32_t colours[] = {RED, RED, RED, BLUE, BLUE, BLUE, BLUE, BLUE, RED, RED};
    for (int32_t i = 0; i < 10; ++i)
        EXPECT_EQ(list.ColourAt(i), colours[i]) << i;
    EXPECT_EQ(list[5].X, 40.f); // the via-point follows its object
    EXPECT_DOUBLE_EQ(list.WidthMm(), 210 / 20.0);
    EXPECT_DOUBLE_EQ(list.HeightMm(), 40 / 20.0);
}

TEST(SimulationList, OnlyColourPointsChangeTheThread) {
    struct Case {
        const char* name;
        std::vector<TSP> points;
        std::vector<int32_t> colours; // ColourAt for each point
        size_t blocks;
    };
    TSP link = TSP::Plain(SP_EXTRA | SP_JUMP_LINK, 2, 0);
    link.ColourOrLink = 0x123; // a link number, not a thread
    const Case cases[] = {
        {"no colour point: black", {TSP::Plain(0, 0, 0), TSP::Plain(0, 1, 0)}, {0, 0}, 1},
        {"before the first colour point: its colour",
         {TSP::Plain(0, 0, 0), TSP::Plain(0, 1, 0), TSP::Colour(0, 2, 0, GREEN), TSP::Plain(0, 3, 0)},
         {GREEN, GREEN, GREEN, GREEN},
         2},
        {"an extended point with a jump keeps the thread",
         {TSP::Colour(0, 0, 0, RED), TSP::Plain(0, 1, 0), link, TSP::Plain(0, 3, 0)},
         {RED, RED, RED, RED},
         1},
        {"a colour point inside one object always changes",
         {TSP::Colour(0, 0, 0, RED), TSP::Colour(0, 1, 0, RED), TSP::Colour(0, 2, 0, BLUE)},
         {RED, RED, BLUE},
         3},
    };
    for (const Case& c : cases) {
        auto list = TSimulationList::FromPoints(c.points);
        EXPECT_EQ(list.Blocks().size(), c.blocks) << c.name;
        for (size_t i = 0; i < c.colours.size(); ++i)
            EXPECT_EQ(list.ColourAt(static_cast<int32_t>(i)), c.colours[i]) << c.name << " point " << i;
    }
}

TEST(SimulationList, BlockSearchesStopAtTheEnds) {
    std::vector<TSP> pts;
    for (int i = 0; i < 10; ++i)
        pts.push_back(i == 0 || i == 3 || i == 8 ? TSP::Colour(0, static_cast<float>(i), 0, i * 100)
                                                 : TSP::Plain(0, static_cast<float>(i), 0));
    auto list = TSimulationList::FromPoints(pts);
    struct Case {
        int32_t from, next, previous;
    } cases[] = {{0, 3, 0}, {1, 3, 0}, {2, 3, 0}, {3, 8, 0}, {4, 8, 3}, {8, 9, 3}, {9, 9, 8}};
    for (auto& c : cases) {
        EXPECT_EQ(list.NextBlockStart(c.from), c.next) << c.from;
        EXPECT_EQ(list.PreviousBlockStart(c.from), c.previous) << c.from;
    }
}

TEST(SimulationList, TheMoveAcrossAJumpLinkIsSewn) {
    // An outline walked through a link: its link point, then the linked outline's landing point,
    // its stitches, and the link point again on the way back. Export sews the moves across the
    // link (the chain is one object in one thread).
    const TSP pts[] = {TSP::Colour(0, 0, 0, RED),   TSP::Plain(0, 10, 0),   TSP::Plain(SP_JUMP_LINK, 20, 0),
                       TSP::Plain(SP_JUMP, 90, 50), TSP::Plain(0, 100, 50), TSP::Plain(SP_JUMP_LINK, 20, 0),
                       TSP::Plain(0, 30, 0)};
    auto list = TSimulationList::FromPoints(pts);
    EXPECT_EQ(Flags(list), (std::vector<uint8_t>{SIM_BLOCK_START, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(list.Blocks().size(), 1u);
}

TEST(SimulationList, SkipsObjectsWithoutStitches) {
    auto empty = std::make_unique<TSLStitch>();
    auto a = Object({{0, 0, RED}, {10, 0}});
    auto list = TSimulationList::FromOrder({empty.get(), a.get(), nullptr});
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list[0].Flags, SIM_BLOCK_START); // the first point sewn is never a travel
    EXPECT_TRUE(TSimulationList::FromOrder({empty.get()}).Empty());
}
