// One design drawn three ways as sewn: the sewing simulator's list, `render --upto` of the
// worksheet, and `render --upto` of the machine file the worksheet exports. Every way draws the
// moves the file sews as stitches (a trim's via-point, an object that keeps the thread of the one
// before, the crossings of a jump link) and the moves into a new colour block as jumps, so the
// three pictures are the same picture.
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "../formats/SampleSheets.h"
#include "CliTest.h"
#include "cli/Render.h"
#include "core/FileIO.h"
#include "formats/Export.h"
#include "formats/Worksheet.h"
#include "regions/JumpNodes.h"
#include "sewing/SimulationList.h"
#include "worksheet/HoleSeams.h"

using namespace nl;
using namespace nl::test;
using nl::cli::EXIT_OK;

namespace {

constexpr int32_t RED = 0x0000FF, GREEN = 0x00A000, BLUE = 0xFF0000;

// A direct stitch object through the points (even coordinates: whole machine units), its first
// point carrying the thread colour.
TSLStitch* AddDirect(TSew& sew, const std::vector<std::pair<float, float>>& pts, int32_t colour) {
    auto o = std::make_unique<TSLStitch>();
    o->Flags = OF_DIRECT | OF_NEEDLE_POINTS | OF_VISIBLE;
    o->OrderIndex = ORDER_UNPLACED;
    for (const auto& [x, y] : pts)
        o->Append(o->Empty() ? TSP::Colour(0, x, y, colour) : TSP::Plain(0, x, y));
    o->UpdateBounds({});
    return sew.Add(std::move(o));
}

// Two straight running outlines one above the other, joined by a jump link in their middles.
void AddLinkedPair(TSew& sew, float x, float y, int32_t colour) {
    TSLCurve* lines[2];
    for (int i = 0; i < 2; ++i) {
        auto c = Polyline({{x, y + 80.f * i},
                           {x + 100, y + 80.f * i},
                           {x + 200, y + 80.f * i},
                           {x + 300, y + 80.f * i},
                           {x + 400, y + 80.f * i}});
        c->RunLength = 40;
        c->Passes = 1;
        lines[i] = AddRunning(sew, std::move(c), colour);
    }
    lines[0]->Mark = sew.IndexOf(lines[0]);
    lines[1]->Mark = sew.IndexOf(lines[1]);
    LinkOutlines(*lines[0], *lines[1], 50, 50);
    PropagateChain(*lines[0]);
    for (TSLCurve* c : lines)
        Restitch(*c, {});
}

} // namespace

TEST(SewnPicture, SimulatorRenderAndExportedFileDrawTheSameStitches) {
    TTemp t;
    {
        TSew sew;
        // Red, then a trim through a via-point to more red (no thread change: the move is sewn),
        // a green chain of two linked outlines, and blue. Every move is shorter than a DST record
        // holds, so the file has one record per move.
        TSLStitch* a = AddDirect(sew, {{0, 0}, {40, 0}, {80, 0}, {120, 0}}, RED);
        a->JumpVia = TSP::Plain(0, 160, 40);
        AddDirect(sew, {{200, 80}, {240, 80}, {280, 80}}, RED);
        AddLinkedPair(sew, 300, 160, GREEN);
        AddDirect(sew, {{340, 320}, {380, 360}, {420, 320}}, BLUE);
        GroupFrom(sew, 0);
        SaveWorksheet(sew, t / "design.Nl1");
    }
    const std::string upTo = "100000"; // the whole design
    ASSERT_EQ(Cli({"render", t / "design.Nl1", t / "sheet.png", "--upto", upTo}).Code, EXIT_OK);
    ASSERT_EQ(Cli({"export", t / "design.Nl1", t / "design.dst"}).Code, EXIT_OK);
    ASSERT_EQ(Cli({"render", t / "design.dst", t / "file.png", "--upto", upTo}).Code, EXIT_OK);

    // The simulator's list of the design, made as the simulator makes it.
    TSew sew;
    LoadWorksheet(t / "design.Nl1", sew);
    std::vector<TSLStitch*> order = sew.BuildWorksheetOrder();
    TStitchContext editing;
    BindHoleSeams(editing, sew);
    TSimulationList list;
    {
        TOutputGuard guard(order, editing);
        list = TSimulationList::FromOrder(order);
    }
    // Only the two thread changes are travels.
    int32_t jumps = 0;
    for (const TSimPoint& p : list.Points())
        jumps += (p.Flags & SIM_JUMP) != 0;
    EXPECT_EQ(jumps, 2);
    EXPECT_EQ(list.Blocks().size(), 3u);

    cli::TSewnOptions options;
    options.UpTo = 100000;
    const std::vector<uint8_t> simulator = cli::EncodePng(cli::RenderSewn(list, options));
    EXPECT_TRUE(ReadWholeFile(t / "sheet.png") == simulator) << "render --upto of the worksheet";
    EXPECT_TRUE(ReadWholeFile(t / "file.png") == simulator) << "render --upto of the exported file";
}
