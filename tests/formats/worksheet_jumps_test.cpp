#include <gtest/gtest.h>

#include "../stitching/CurveHelpers.h"
#include "formats/Worksheet.h"
#include "regions/JumpNodes.h"
#include "worksheet/Sew.h"

using namespace nl;
using namespace nl::test;

namespace {
TSLCurve* AddOutline(TSew& sew, float y) {
    auto c = Straight(400, 4);
    c->Offset(0, y);
    MakeRunning(*c, 1, 20);
    TStitchContext ctx;
    c->RefreshGeometry(ctx);
    return static_cast<TSLCurve*>(sew.Add(std::move(c)));
}
} // namespace

TEST(WorksheetJumps, LinksRoundTripResolvedOnBothSidesAndTheChainIsGenerated) {
    TSew sew;
    TSLCurve* a = AddOutline(sew, 0);
    sew.Add(std::make_unique<TSLStitch>()); // something between, so ids are not all curves
    TSLCurve* b = AddOutline(sew, 100);
    TSLCurve* c = AddOutline(sew, 200);
    LinkOutlines(*a, *b, 10, 40);
    LinkOutlines(*b, *c, 60, 0);
    PropagateChain(*a);
    a->Jumps->Persisted = 77;
    TStitchContext ctx;
    for (TSLCurve* o : {a, b, c})
        o->UpdateBounds(ctx);
    auto bytes = WorksheetBytes(sew, "j.Nl1");
    TSew back;
    ReadWorksheetBytes(bytes, back, "j.Nl1");
    auto* a2 = static_cast<TSLCurve*>(back[0]);
    auto* b2 = static_cast<TSLCurve*>(back[2]);
    auto* c2 = static_cast<TSLCurve*>(back[3]);
    ASSERT_TRUE(a2->Jumps && b2->Jumps && c2->Jumps);
    EXPECT_EQ(a2->Jumps->Persisted, 77);
    EXPECT_EQ((*a2->Jumps)[0]->LinkedOutline, b2);
    EXPECT_EQ((*a2->Jumps)[0]->Reverse, (*b2->Jumps)[0]);
    EXPECT_EQ((*b2->Jumps)[1]->LinkedOutline, c2);
    EXPECT_EQ((*b2->Jumps)[1]->Reverse->Reverse, (*b2->Jumps)[1]);
    EXPECT_EQ(a2->EntryIndex, 0);
    for (TSLCurve* o : {a2, b2, c2})
        EXPECT_TRUE(o->Generated && o->Generated->Count() > 0);
    EXPECT_EQ(a2->JumpChain().size(), 3u);
    // Saved again, the bytes are the same.
    EXPECT_EQ(WorksheetBytes(back, "j.Nl1"), bytes);
}

TEST(WorksheetJumps, DeletingAnOutlineUnlinksItsPartners) {
    TSew sew;
    TSLCurve* a = AddOutline(sew, 0);
    TSLCurve* b = AddOutline(sew, 100);
    TSLCurve* c = AddOutline(sew, 200);
    LinkOutlines(*a, *b, 10, 40);
    LinkOutlines(*b, *c, 60, 0);
    PropagateChain(*a);
    sew.DeleteObject(b);
    EXPECT_FALSE(a->Jumps);
    EXPECT_FALSE(c->Jumps);
    EXPECT_EQ(a->EntryIndex, -1);
    EXPECT_TRUE(a->Generated && a->Generated->Count() > 0);
}
