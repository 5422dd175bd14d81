#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "platform/ScriptedHost.h"
#include "sewing/SewSimulator.h"
#include "worksheet/Sew.h"

using namespace nl;

namespace {

// A straight line of n points with colour blocks starting at the given indices.
TSimulationList Line(int n, std::vector<int> blockStarts = {0}) {
    std::vector<TSP> pts;
    for (int i = 0; i < n; ++i) {
        bool start = std::find(blockStarts.begin(), blockStarts.end(), i) != blockStarts.end();
        pts.push_back(start ? TSP::Colour(0, static_cast<float>(i * 10), 0, i)
                            : TSP::Plain(0, static_cast<float>(i * 10), 0));
    }
    return TSimulationList::FromPoints(pts);
}

struct TSim {
    TScriptedHost Host;
    TSewSimulator Sim{Host};
    explicit TSim(int n = 100, std::vector<int> blocks = {0}) { EXPECT_TRUE(Sim.Open(Line(n, blocks))); }
};

std::vector<int32_t> Ticks(TSewSimulator& s, int n) {
    std::vector<int32_t> advanced;
    for (int i = 0; i < n; ++i)
        advanced.push_back(s.Tick());
    return advanced;
}

} // namespace

TEST(SewSimulator, FortyStitchesPerSecondAlternateOneAndTwoPerTick) {
    TSim t;
    EXPECT_EQ(t.Sim.Speed(), 40.0);
    t.Sim.Play();
    EXPECT_EQ(t.Host.TimerInterval, 40); // the platform's timer runs the ticks
    EXPECT_DOUBLE_EQ(t.Sim.StepPerTick(), 1.6);
    EXPECT_EQ(Ticks(t.Sim, 5), (std::vector<int32_t>{1, 2, 1, 2, 2}));
    EXPECT_EQ(t.Sim.Cursor(), 8);
    // A second of ticks sews 40 stitches; the timer's own callback is the tick.
    for (int i = 0; i < 20; ++i)
        t.Host.TimerTick();
    EXPECT_EQ(t.Sim.Cursor(), 40);
}

TEST(SewSimulator, FractionsAccumulateAtOtherSpeeds) {
    struct Case {
        double speed;
        std::vector<int32_t> advances;
    } cases[] = {
        {25, {1, 1, 1, 1, 1}}, // exactly one per tick
        {10, {0, 0, 1, 0, 1}}, // one every 2.5 ticks
        {1, {0, 0, 0, 0, 0}},  // one every 25 ticks
        {60, {2, 2, 3, 2, 3}}, // 2.4 per tick: 12 in 5 ticks
    };
    for (const Case& c : cases) {
        TSim t(1000);
        ASSERT_TRUE(t.Sim.SetSpeed(c.speed));
        t.Sim.Play();
        EXPECT_EQ(Ticks(t.Sim, 5), c.advances) << c.speed;
    }
    TSim slow(1000);
    slow.Sim.SetSpeed(10);
    slow.Sim.Play();
    Ticks(slow.Sim, 250);
    EXPECT_EQ(slow.Sim.Cursor(), 100); // 10 seconds at 10 per second
}

TEST(SewSimulator, TheEndStopsOnTheLastPoint) {
    TSim t(10);
    t.Sim.SetSpeed(10000);
    t.Sim.Play();
    EXPECT_EQ(t.Sim.PlayCaption(), "Pause");
    EXPECT_FALSE(t.Sim.RewindEnabled());
    EXPECT_FALSE(t.Sim.BackEnabled());
    EXPECT_EQ(t.Sim.Tick(), 9);
    EXPECT_FALSE(t.Sim.Playing());
    EXPECT_EQ(t.Host.TimerInterval, 0);
    EXPECT_EQ(t.Sim.Cursor(), 9);
    EXPECT_EQ(t.Sim.PlayCaption(), "Play");
    EXPECT_TRUE(t.Sim.RewindEnabled());
    EXPECT_TRUE(t.Sim.BackEnabled());
    EXPECT_FALSE(t.Sim.ForwardEnabled());
    EXPECT_EQ(t.Sim.Status(), "10  Of  10");
    EXPECT_EQ(t.Sim.Tick(), 0); // stopped: a late tick does nothing
    // Play at the end sews the design again from the start.
    t.Sim.SetSpeed(25);
    t.Sim.Play();
    EXPECT_EQ(t.Sim.Cursor(), 0);
    EXPECT_EQ(t.Sim.Tick(), 1);
}

TEST(SewSimulator, ControlsMoveTheCursorWithinTheDesign) {
    // Blocks start at 0, 30 and 60 of 100 points.
    TSim t(100, {0, 30, 60});
    auto& s = t.Sim;
    EXPECT_EQ(s.Status(), "1  Of  100");
    EXPECT_FALSE(s.BackEnabled());
    EXPECT_TRUE(s.ForwardEnabled());
    struct Step {
        const char* what;
        std::function<void()> act;
        int32_t cursor;
    } steps[] = {
        {"back at the first point", [&] { s.StepBack(); }, 0},
        {"previous block at the first point", [&] { s.PreviousBlock(); }, 0},
        {"forward", [&] { s.StepForward(); }, 1},
        {"wheel up", [&] { s.Wheel(true); }, 2},
        {"wheel down", [&] { s.Wheel(false); }, 1},
        {"next block", [&] { s.NextBlock(); }, 30},
        {"next block again", [&] { s.NextBlock(); }, 60},
        {"next block from the last block: the last point", [&] { s.NextBlock(); }, 99},
        {"forward on the last point stays", [&] { s.StepForward(); }, 99},
        {"previous block: the start of the current one", [&] { s.PreviousBlock(); }, 60},
        {"previous block from a block start", [&] { s.PreviousBlock(); }, 30},
        {"stitch number 0", [&] { s.GoToStitch(0); }, 0},
        {"stitch number 2.5 rounds to 2", [&] { s.GoToStitch(2.5); }, 1},
        {"stitch number 3.5 rounds to 4", [&] { s.GoToStitch(3.5); }, 3},
        {"stitch number above the count", [&] { s.GoToStitch(1e12); }, 99},
        {"not a number changes nothing", [&] { s.GoToStitch(std::nan("")); }, 99},
        {"stitch number -7", [&] { s.GoToStitch(-7); }, 0},
        {"rewind",
         [&] {
             s.GoToStitch(50);
             s.Rewind();
         },
         0},
    };
    for (auto& st : steps) {
        st.act();
        EXPECT_EQ(s.Cursor(), st.cursor) << st.what;
    }
    s.GoToStitch(45);
    EXPECT_EQ(s.CurrentBlock(), 1);
    EXPECT_EQ(s.CurrentColour(), 30); // the test colours are the block's first index
    EXPECT_EQ(s.Needle().X, 440.f);
}

TEST(SewSimulator, SteppingWaitsWhilePlaying) {
    TSim t(1000, {0, 500});
    auto& s = t.Sim;
    int changes = 0;
    s.Changed = [&] { ++changes; };
    s.Play();
    s.StepForward();
    s.Wheel(true);
    s.NextBlock();
    s.Rewind(); // stops
    EXPECT_FALSE(s.Playing());
    EXPECT_EQ(s.Cursor(), 0);
    s.Play();
    // The stitch number field and the speed work while playing: playing goes on from there.
    EXPECT_TRUE(s.GoToStitch(700));
    EXPECT_TRUE(s.SetSpeed(250));
    EXPECT_DOUBLE_EQ(s.StepPerTick(), 10.0);
    s.Tick();
    EXPECT_EQ(s.Cursor(), 709);
    EXPECT_TRUE(s.Playing());
    s.PlayPause();
    EXPECT_FALSE(s.Playing());
    EXPECT_EQ(t.Host.TimerInterval, 0);
    EXPECT_GT(changes, 5);
    EXPECT_GT(t.Host.RedrawRequests, 5);
}

TEST(SewSimulator, SpeedOutsideItsRangeIsRefused) {
    TSim t;
    struct Case {
        double v;
        bool ok;
        double speed; // speed afterwards
    } cases[] = {
        {0.5, false, 40},          {0.9995, true, 1},        {1, true, 1},       {10000, true, 10000},
        {10000.0005, true, 10000}, {10000.01, false, 10000}, {-3, false, 10000}, {std::nan(""), false, 10000},
        {123.5, true, 123.5}};
    for (auto& c : cases) {
        EXPECT_EQ(t.Sim.SetSpeed(c.v), c.ok) << c.v;
        EXPECT_EQ(t.Sim.Speed(), c.speed) << c.v;
    }
}

TEST(SewSimulator, OpensOnTheSelectedDesignOrRefuses) {
    TScriptedHost host;
    TSewSimulator sim(host);
    TSew sew;
    TStitchContext ctx;
    auto add = [&](int32_t group, bool selected, int points) {
        auto* o = sew.AddNew<TSLStitch>();
        o->Flags = OF_DIRECT | OF_NEEDLE_POINTS | OF_VISIBLE | (selected ? uint32_t{OF_SELECTED_LAYOUT} : 0u);
        o->GroupId = group;
        o->OrderIndex = 0;
        for (int i = 0; i < points; ++i)
            o->Append(i == 0 ? TSP::Colour(0, 0, 0, 0xFF) : TSP::Plain(0, static_cast<float>(i), 0));
        return o;
    };
    auto refused = [&](const char* why) {
        host.Messages.clear();
        EXPECT_FALSE(sim.Open(sew, ctx)) << why;
        EXPECT_FALSE(sim.IsOpen()) << why;
        ASSERT_EQ(host.Messages.size(), 1u) << why;
        EXPECT_EQ(host.Messages[0].Heading, "Stitch Error");
        EXPECT_EQ(host.Messages[0].Text, "This Embroidery Object Contains No Stitches. Mode Aborted !");
    };
    refused("nothing selected");
    add(0, true, 5);
    refused("only an ungrouped object selected");
    auto* empty = add(sew.Groups.NewGroup(), true, 0);
    refused("the design has no stitches");
    // Another object of the same design, not selected itself: the whole group is sewn.
    add(empty->GroupId, false, 7)->OrderIndex = 1;
    host.Messages.clear();
    ASSERT_TRUE(sim.Open(sew, ctx));
    EXPECT_TRUE(host.Messages.empty());
    EXPECT_EQ(sim.Design(), empty->GroupId);
    EXPECT_EQ(sim.Count(), 7);
    EXPECT_EQ(sim.Status(), "1  Of  7");
    sim.Play();
    sim.Close();
    EXPECT_FALSE(sim.IsOpen());
    EXPECT_EQ(host.TimerInterval, 0);
    EXPECT_EQ(sim.Count(), 0);

    // From the stitch order mode: the list on screen, in its order.
    auto* other = add(sew.Groups.NewGroup(), false, 3);
    std::vector<TSLStitch*> order = {other, sew[2]};
    ASSERT_TRUE(sim.Open(sew, ctx, &order));
    EXPECT_EQ(sim.Count(), 10);
    EXPECT_EQ(sim.Design(), other->GroupId);
}
