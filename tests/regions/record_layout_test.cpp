// Byte layout of the region record with its boundary nodes, in the worksheet file (by version)
// and in the object stream, checked field by field against records built by hand, in both
// directions.
#include <gtest/gtest.h>

#include "regions/SLRegion.h"
#include "tests/core/RecordBytes.h"

using namespace nl;
using nl::test::SameRecord;
using nl::test::TExpectedRecord;

namespace {

constexpr uint32_t FIXED_NODE = uint32_t{SP_REGION_NODE} | NK_FIXED;

// The outline the nodes lie on; written as its Mark through the context's callback.
struct TFixture {
    TSLCurve Outline;
    std::unique_ptr<TSLRegion> Region = std::make_unique<TSLRegion>();

    TFixture() {
        Outline.Mark = 6;
        TSLRegion& r = *Region;
        r.Flags = OF_REGION | OF_VISIBLE | OF_HIGHLIGHT;
        r.GroupId = 1;
        r.Mark = 9;
        r.StitchFlags = 0x60000 | ST_TATAMI | RSF_USE_UNDERLAY | RSF_UNDER_ZIGZAG;
        r.OrderIndex = 2;
        r.Bounds.Set(0, 0, 200, 200);
        r.Bounds.empty = false;
        TRegionNode& first = r.Node(0);
        first.Outline = &Outline;
        first.StartIndex = 0;
        first.EndIndex = 100;
        first.SegmentLength = 800.f;
        TSP& second = r.AppendNode(NK_FIXED, 200.f, 150.f, &Outline, 50, 75);
        TRegionNode& n = EnsureNode(second);
        n.PercentA = 12.5f;
        n.PercentB = 37.5f;
        n.SegmentLength = 400.f;
        r.FillColor = 0x00336699;
        r.Rotation = 30.5f;
        r.Density = 60;
        r.RunLength = 24;
        r.Compensation = 0.75f;
        r.Pitch = 44.f;
        r.PitchOffsets = 2000u << 16 | 600u;
        r.ExitNode = 1;
        r.ExitPercent = 62.5f;
        r.EntryNode = 0;
        r.EntryPercent = 12.5f;
        r.UnderRotation = 90.f;
        r.UnderDensity = 18;
        r.UnderPitch = 70;
        r.UnderMargin = 14.0;
        r.UnderOffset = 290;
        r.EntryX = 10.5, r.EntryY = 20.5, r.ExitX = 190.5, r.ExitY = 180.5;
    }

    TRecordContext Context(int32_t version, int32_t ox = 0, int32_t oy = 0) const {
        TRecordContext ctx;
        ctx.Version = version;
        ctx.OriginX = ox;
        ctx.OriginY = oy;
        ctx.OutlineMarkOf = [](const TSLCurve* c) { return c->Mark; };
        return ctx;
    }
};

// One node after its flags word (and in a stream after its type code and flags).
void ExpectNode(TExpectedRecord& e, int32_t start, int32_t end, float x, float y, float pa, float pb,
                float len) {
    e.I32(start, "node StartIndex").I32(end, "node EndIndex").F32(x, "node X").F32(y, "node Y");
    e.I32(6, "node outline mark").F32(pa, "node PercentA").F32(pb, "node PercentB");
    e.F32(len, "node SegmentLength");
}

// The region fields after the nodes, up to the fill list.
void ExpectRegionFields(TExpectedRecord& e, int32_t version, double ox = 0, double oy = 0) {
    e.I32(0x00336699, "FillColor").F32(30.5f, "Rotation");
    e.I32(60, "Density").I32(24, "RunLength").F32(0.75f, "Compensation").F32(44.f, "Pitch");
    e.U32(2000u << 16 | 600u, "PitchOffsets");
    e.I32(1, "ExitNode").F32(62.5f, "ExitPercent").I32(0, "EntryNode").F32(12.5f, "EntryPercent");
    if (version >= 1002) {
        e.F32(90.f, "UnderRotation").I32(18, "UnderDensity").I32(70, "UnderPitch");
        if (version >= 1010)
            e.F64(14.0, "UnderMargin");
        else
            e.I32(14, "UnderMargin (int32 before 1010)");
        e.I32(290, "UnderOffset");
    }
    if (version >= 1009) {
        e.F64(10.5 - ox, "EntryX").F64(20.5 - oy, "EntryY");
        e.F64(190.5 - ox, "ExitX").F64(180.5 - oy, "ExitY");
    }
}

void ExpectRegionRead(const TSLRegion& r, int32_t version, float dx = 0, float dy = 0) {
    EXPECT_EQ(r.Flags, OF_REGION | OF_VISIBLE | OF_HIGHLIGHT);
    EXPECT_EQ(r.GroupId, 1);
    EXPECT_EQ(r.Mark, 9);
    EXPECT_EQ(r.StitchFlags, 0x60000u | ST_TATAMI | RSF_USE_UNDERLAY | RSF_UNDER_ZIGZAG);
    EXPECT_EQ(r.OrderIndex, 2);
    ASSERT_EQ(r.Count(), 2);
    const TRegionNode* n0 = r.NodeAt(0);
    const TRegionNode* n1 = r.NodeAt(1);
    ASSERT_TRUE(n0 && n1);
    EXPECT_EQ(r[0].Flags, SP_REGION_NODE | SP_FIRST_NODE);
    EXPECT_EQ(n0->EndIndex, 100);
    EXPECT_EQ(n0->OutlineMark, 6);
    EXPECT_EQ(n0->SegmentLength, 800.f);
    EXPECT_EQ(r[1].Flags, FIXED_NODE);
    EXPECT_EQ(n1->StartIndex, 50);
    EXPECT_EQ(n1->EndIndex, 75);
    EXPECT_EQ(r[1].X, 200.f + dx);
    EXPECT_EQ(r[1].Y, 150.f + dy);
    EXPECT_EQ(n1->PercentA, 12.5f);
    EXPECT_EQ(n1->PercentB, 37.5f);
    EXPECT_EQ(n1->SegmentLength, 400.f);
    EXPECT_EQ(r.FillColor, 0x00336699);
    EXPECT_EQ(r.Rotation, 30.5f);
    // Before 1004 the density field holds a row spacing: 200 / 60 rounds to 3.
    EXPECT_EQ(r.Density, version >= 1004 ? 60 : 3);
    EXPECT_EQ(r.RunLength, 24);
    EXPECT_EQ(r.Compensation, 0.75f);
    EXPECT_EQ(r.Pitch, 44.f);
    EXPECT_EQ(r.PitchOffsets, 2000u << 16 | 600u);
    EXPECT_EQ(r.ExitNode, 1);
    EXPECT_EQ(r.ExitPercent, 62.5f);
    EXPECT_EQ(r.EntryNode, 0);
    EXPECT_EQ(r.EntryPercent, 12.5f);
    TSLRegion defaults;
    EXPECT_EQ(r.UnderRotation, version >= 1002 ? 90.f : defaults.UnderRotation);
    EXPECT_EQ(r.UnderDensity, version >= 1002 ? 18 : defaults.UnderDensity);
    EXPECT_EQ(r.UnderPitch, version >= 1002 ? 70 : defaults.UnderPitch);
    EXPECT_EQ(r.UnderMargin, version >= 1002 ? 14.0 : defaults.UnderMargin);
    EXPECT_EQ(r.UnderOffset, version >= 1002 ? 290 : defaults.UnderOffset);
    EXPECT_EQ(r.DeriveEntryExit, version < 1009);
    if (version >= 1009) {
        EXPECT_EQ(r.EntryX, 10.5 + dx);
        EXPECT_EQ(r.EntryY, 20.5 + dy);
        EXPECT_EQ(r.ExitX, 190.5 + dx);
        EXPECT_EQ(r.ExitY, 180.5 + dy);
    }
}

} // namespace

TEST(RegionRecordLayout, RegionWithNodesInTheWorksheetFile) {
    // The versions cover every gate: the underlay group from 1002, StitchLimits from 1005, the
    // stored entry and exit points from 1009, a float64 UnderMargin from 1010.
    TFixture f;
    for (int32_t version : {1001, 1005, 1009, 1011}) {
        TExpectedRecord e;
        e.U8(KIND_REGION, "kind").U32(OF_REGION | OF_VISIBLE | OF_HIGHLIGHT, "Flags");
        e.I32(1, "GroupId").I32(9, "Mark");
        e.U32(0x60000 | ST_TATAMI | RSF_USE_UNDERLAY | RSF_UNDER_ZIGZAG, "StitchFlags");
        e.I32(10, "TatamiMin").I32(2, "OrderIndex");
        if (version >= 1005) e.U32(DEFAULT_STITCH_LIMITS, "StitchLimits");
        e.Rect(0, 0, 200, 200, false, "Bounds").Bool(false, "JumpVia follows");
        e.I32(2, "node count");
        e.U32(SP_REGION_NODE | SP_FIRST_NODE, "node 0 flags");
        ExpectNode(e, 0, 100, 0.f, 0.f, 0.f, 0.f, 800.f);
        e.U32(FIXED_NODE, "node 1 flags");
        ExpectNode(e, 50, 75, 200.f, 150.f, 12.5f, 37.5f, 400.f);
        ExpectRegionFields(e, version);
        e.Bool(false, "fill stitches follow").Bool(false, "fill pattern follows");

        TByteWriter w;
        WriteObjectRecord(w, *f.Region, f.Context(version));
        EXPECT_TRUE(SameRecord(w.Data(), e)) << version;

        TByteReader r(e.Bytes());
        auto back = ReadObjectRecord(r, f.Context(version));
        EXPECT_TRUE(r.AtEnd());
        ExpectRegionRead(static_cast<const TSLRegion&>(*back), version);
    }
}

TEST(RegionRecordLayout, RegionWithNodesAndFillInTheObjectStream) {
    // The stream base order, nodes as type code 17 records with relative positions, every region
    // field of the current version with the stored points relative, then the fill as a stream
    // record of its own.
    TFixture f;
    f.Region->FillStitches = std::make_unique<TSLStitch>();
    f.Region->FillStitches->Flags = OF_NEEDLE_POINTS;
    f.Region->FillStitches->Append(TSP::Colour(SP_BOUNDARY, 30.f, 40.f, 0x00336699));
    const int32_t ox = 10, oy = 20;
    TExpectedRecord e;
    e.U8(KIND_REGION, "kind").U32(OF_REGION | OF_VISIBLE | OF_HIGHLIGHT, "Flags").I32(1, "GroupId");
    e.I32(2, "OrderIndex").U32(DEFAULT_STITCH_LIMITS, "StitchLimits").I32(9, "Mark");
    e.U32(0x60000 | ST_TATAMI | RSF_USE_UNDERLAY | RSF_UNDER_ZIGZAG, "StitchFlags").I32(10, "TatamiMin");
    e.Bool(false, "JumpVia follows").I32(2, "node count");
    e.U8(17, "node 0 type code").U32(SP_REGION_NODE | SP_FIRST_NODE, "node 0 flags");
    ExpectNode(e, 0, 100, -10.f, -20.f, 0.f, 0.f, 800.f);
    e.U8(17, "node 1 type code").U32(FIXED_NODE, "node 1 flags");
    ExpectNode(e, 50, 75, 190.f, 130.f, 12.5f, 37.5f, 400.f);
    ExpectRegionFields(e, 1011, ox, oy);
    e.Bool(true, "fill stitches follow");
    e.U8(KIND_STITCH, "fill kind").U32(OF_NEEDLE_POINTS, "fill Flags").I32(0, "fill GroupId");
    e.I32(-1, "fill OrderIndex").U32(DEFAULT_STITCH_LIMITS, "fill StitchLimits").I32(0, "fill Mark");
    e.U32(0x60000, "fill StitchFlags").I32(10, "fill TatamiMin").Bool(false, "fill JumpVia follows");
    e.I32(1, "fill point count")
        .U8(9, "fill point type code")
        .U32(SP_EXTRA | SP_BOUNDARY, "fill point flags");
    e.F32(20.f, "fill point X - origin")
        .F32(20.f, "fill point Y - origin")
        .I32(0x00336699, "fill point colour");
    e.Bool(false, "fill pattern follows");

    TByteWriter w;
    WriteObjectStream(w, *f.Region, f.Context(1011, ox, oy));
    EXPECT_TRUE(SameRecord(w.Data(), e));

    TByteReader r(e.Bytes());
    auto back = ReadObjectStream(r, f.Context(1002, ox + 100, oy + 200)); // streams have no versions
    EXPECT_TRUE(r.AtEnd());
    const auto& g = static_cast<const TSLRegion&>(*back);
    ExpectRegionRead(g, 1011, 100, 200);
    ASSERT_TRUE(g.FillStitches);
    ASSERT_EQ(g.FillStitches->Count(), 1);
    EXPECT_EQ((*g.FillStitches)[0].X, 130.f);
    EXPECT_EQ((*g.FillStitches)[0].GetColour(), 0x00336699);
}
