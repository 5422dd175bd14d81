// The command line shapes fills by the worksheet's complex holes as the program does: a fill saved
// without its hole comes out of an export with the hole.
#include <gtest/gtest.h>

#include <sstream>

#include "../regions/TestShapes.h"
#include "CliTest.h"
#include "formats/Worksheet.h"
#include "worksheet/Sew.h"

using namespace nl;
using namespace nl::test;

TEST(CliWorksheet, ExportedFillsFlowAroundComplexHoles) {
    TTemp t;
    TSew sew;
    const TStitchContext plain; // no seams: the stored fill ignores the hole
    auto* outer = static_cast<TSLCurve*>(sew.Add(ClosedOutline(Square(100, 100, 400))));
    auto* inner = static_cast<TSLCurve*>(sew.Add(ClosedOutline(Square(250, 250, 100))));
    for (TSLCurve* c : {outer, inner})
        c->UpdateBounds(plain);
    auto* fill = static_cast<TSLRegion*>(sew.Add(RegionOn(*outer, plain)));
    fill->Flags |= OF_ALLOW_HOLES;
    auto* hole = static_cast<TSLRegion*>(sew.Add(RegionOn(*inner, plain)));
    hole->Flags |= OF_COMPLEX_HOLE;
    hole->SetStitchTypeBits(ST_NONE);
    Restitch(*fill, plain);
    Restitch(*hole, plain);
    SaveWorksheet(sew, t / "holes.Nl1");
    // Dumped as exported, in machine units (half a worksheet unit): nothing inside the hole.
    auto r = Cli({"dump", t / "holes.Nl1"});
    ASSERT_EQ(r.Code, nl::cli::EXIT_OK) << r.Err;
    std::istringstream in(r.Out);
    std::string line;
    int inside = 0, total = 0;
    while (std::getline(in, line)) {
        std::istringstream l(line);
        double x, y;
        l >> x >> y;
        ++total;
        inside += x > 127 && x < 173 && y > 127 && y < 173;
    }
    EXPECT_GT(total, 500);
    EXPECT_EQ(inside, 0);
}
