#include <gtest/gtest.h>

#include "core/Colour.h"
#include "regions/SLRegion.h"
#include "stitching/SLCurve.h"
#include "ui/ObjectColour.h"

using namespace nl;

namespace {

const int32_t kRed = MakeColour(200, 0, 0), kBlue = MakeColour(0, 0, 200);

// Every colour point of a generated list.
std::vector<int32_t> Colours(const TSLStitch* list) {
    std::vector<int32_t> v;
    if (!list) return v;
    for (const TSP& p : *list)
        if (p.IsColourPoint()) v.push_back(p.ColourOrLink);
    return v;
}

std::unique_ptr<TSLCurve> Outline() {
    auto c = TSLCurve::FromPolyline({{0, 0}, {400, 0}, {400, 400}});
    c->Flags |= OF_RUNNING | OF_VISIBLE;
    c->SetStitchTypeBits(ST_RUNNING);
    Restitch(*c, {});
    return c;
}

} // namespace

TEST(ObjectColour, OutlineColumnAndRegionTakeTheThreadAndRegenerate) {
    TStitchContext ctx;
    auto outline = Outline();
    EXPECT_EQ(ColourItemCaption(*outline), "Set Outline Color");
    EXPECT_EQ(VisibleItemCaption(*outline), "Outline Stitch Visible");
    EXPECT_EQ(ObjectColour(*outline), DEFAULT_OBJECT_COLOUR);
    ASSERT_TRUE(SetObjectColour(*outline, kRed, 0, ctx));
    EXPECT_EQ(ObjectColour(*outline), kRed);
    EXPECT_EQ(Colours(outline->Generated.get()), std::vector<int32_t>{kRed});
    EXPECT_FALSE(SetObjectColour(*outline, kRed, 0, ctx)); // the same thread changes nothing
    EXPECT_FALSE(SetObjectColour(*outline, NO_COLOUR, 0, ctx));

    // A column: either rail recolours the pair through rail A, which carries the column's colour.
    TSLCurve a, b;
    a.SetPolyline({{0, 0}, {200, 0}});
    b.SetPolyline({{0, 80}, {200, 80}});
    a.Flags = OF_RAIL_A | OF_VISIBLE;
    b.Flags = OF_RAIL_B | OF_VISIBLE;
    a.PartnerRail = &b;
    b.PartnerRail = &a;
    Restitch(a, ctx);
    EXPECT_EQ(ColourItemCaption(b), "Set Curved Column Color");
    EXPECT_EQ(VisibleItemCaption(a), "Curved Column Stitch Visible");
    ASSERT_TRUE(SetObjectColour(b, kBlue, 0, ctx));
    EXPECT_EQ(a.Color, kBlue);
    EXPECT_EQ(ObjectColour(b), kBlue);
    ASSERT_TRUE(a.Generated && !a.Generated->Empty());
    EXPECT_EQ(Colours(a.Generated.get()), std::vector<int32_t>{kBlue});
    // Visibility of the column switches the pair.
    SetStitchVisible(b, false, ctx);
    EXPECT_FALSE(StitchVisible(a));
    EXPECT_TRUE(!a.Generated || a.Generated->Empty());
    SetStitchVisible(b, true, ctx);
    EXPECT_TRUE(a.Generated && !a.Generated->Empty());

    // A region: its fill takes the colour.
    auto sq = TSLCurve::FromPolyline({{0, 0}, {300, 0}, {300, 300}, {0, 300}, {0, 0}});
    TSLRegion r;
    r[0].X = sq->PathX[0];
    r[0].Y = sq->PathY[0];
    r.Node(0).Outline = sq.get();
    r.Node(0).StartIndex = 0;
    r.Node(0).EndIndex = LastSampleOf(*sq);
    r.AppendNode(NK_JOIN_FROM_END, sq->PathX[0], sq->PathY[0], sq.get(), 0, 0);
    r.Flags |= OF_VISIBLE;
    r.SetStitchTypeBits(ST_TATAMI);
    r.UpdateBounds(ctx);
    r.DeriveEntryExit = true;
    Restitch(r, ctx);
    EXPECT_EQ(ColourItemCaption(r), "Set Region Color");
    EXPECT_EQ(VisibleItemCaption(r), "Region Stitch Visible");
    ASSERT_TRUE(SetObjectColour(r, kRed, 0, ctx));
    ASSERT_TRUE(r.FillStitches && !r.FillStitches->Empty());
    EXPECT_EQ((*r.FillStitches)[0].GetColour(), kRed);
    EXPECT_EQ(ObjectColour(r), kRed);
}

TEST(ObjectColour, DirectStitchObjectRecoloursTheBlockUnderThePointer) {
    TStitchContext ctx;
    TSLStitch o;
    o.Flags = OF_DIRECT | OF_NEEDLE_POINTS | OF_VISIBLE;
    o.Append(TSP::Colour(0, 0, 0, kRed));
    o.Append(TSP::Plain(0, 100, 0));
    o.Append(TSP::Colour(0, 200, 0, kBlue));
    o.Append(TSP::Plain(0, 300, 0));
    o.UpdateBounds(ctx);
    EXPECT_EQ(ColourItemCaption(o), "Set Stitch Color");
    EXPECT_EQ(VisibleItemCaption(o), "");
    struct TCase {
        float X;
        int32_t Block;
    };
    for (TCase c : {TCase{-50, 0}, TCase{90, 0}, TCase{160, 2}, TCase{400, 2}})
        EXPECT_EQ(ColourBlockAt(o, c.X, 5), c.Block) << c.X;
    EXPECT_EQ(ObjectColour(o, 2), kBlue);
    ASSERT_TRUE(SetObjectColour(o, 0x00123456, 2, ctx));
    EXPECT_EQ(Colours(&o), (std::vector<int32_t>{kRed, 0x00123456}));
    // A list without a colour point at its start gets one.
    TSLStitch plain;
    plain.Append(TSP::Plain(0, 0, 0));
    plain.Append(TSP::Plain(0, 10, 0));
    EXPECT_EQ(ObjectColour(plain, 0), NO_COLOUR);
    ASSERT_TRUE(SetObjectColour(plain, kBlue, 0, ctx));
    EXPECT_EQ(Colours(&plain), std::vector<int32_t>{kBlue});
    EXPECT_FALSE(SetObjectColour(plain, kBlue, 7, ctx)); // no such point
}
