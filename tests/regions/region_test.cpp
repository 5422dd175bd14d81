#include <gtest/gtest.h>

#include <cmath>

#include "TestShapes.h"
#include "core/Errors.h"
#include "regions/FillGen.h"
#include "regions/SLRegion.h"

using namespace nl;
using namespace nl::test;

TEST(RegionModel, Defaults) {
    TSLRegion r;
    EXPECT_EQ(r.Kind(), KIND_REGION);
    EXPECT_TRUE(r.Flags & OF_REGION);
    EXPECT_EQ(r.FillColor, 0x008000);
    EXPECT_EQ(r.Density, 45);
    EXPECT_EQ(r.RunLength, 20);
    EXPECT_EQ(r.Pitch, 40.f);
    EXPECT_EQ(r.PitchOffsets, 600u);
    EXPECT_EQ(r.UnderDensity, 16);
    EXPECT_EQ(r.UnderPitch, 80);
    EXPECT_EQ(r.UnderMargin, 10.0);
    EXPECT_EQ(r.UnderOffset, 280);
    EXPECT_TRUE(r.StitchFlags & RSF_UNDER_ZIGZAG);
    ASSERT_EQ(r.Count(), 1);
    EXPECT_EQ(r[0].Flags, SP_FIRST_NODE | SP_REGION_NODE);
    EXPECT_NE(NodeOf(r[0]), nullptr);
    EXPECT_EQ(CreateObjectOfKind(KIND_REGION)->Kind(), KIND_REGION);
}

TEST(RegionModel, OffsetEncoding) {
    struct Case {
        double percent;
        uint32_t stored;
        double decoded;
    } cases[] = {{60, 600, 60},    {0, 0, 0},          {-25, 2250, -25},
                 {100, 1000, 100}, {-100, 3000, -100}, {12.25, 122, 12.2}};
    for (auto c : cases) {
        EXPECT_EQ(EncodeOffset(c.percent), c.stored) << c.percent;
        EXPECT_DOUBLE_EQ(DecodeOffset(c.stored), c.decoded);
    }
}

TEST(RegionModel, WalkIncludesStartWhenDescendingAndEndWhenAscending) {
    auto o = Polyline({{0, 0}, {100, 0}});
    TSLRegion r;
    EnsureNode(r[0]).Outline = o.get();
    r.Node(0).StartIndex = 5;
    r.Node(0).EndIndex = 8;
    r.AppendNode(NK_CROSSING, 50, 50, o.get(), 8, 2);
    r.Flags |= RF_UNDER_CONSTRUCTION;
    auto pts = r.WalkPath();
    // move, samples 6..8, line to node 1, then node 1 is last and open: nothing more.
    ASSERT_EQ(pts.size(), 5u);
    EXPECT_FLOAT_EQ(pts[1].X, o->PathX[6]);
    EXPECT_FLOAT_EQ(pts[3].X, o->PathX[8]);
    r.Flags &= ~RF_UNDER_CONSTRUCTION;
    pts = r.WalkPath();
    // closed: node 1 walks from 8 down to 5 excluding 5: samples 8, 7, 6; then back to node 0.
    ASSERT_EQ(pts.size(), 9u);
    EXPECT_FLOAT_EQ(pts[5].X, o->PathX[8]);
    EXPECT_FLOAT_EQ(pts[7].X, o->PathX[6]);
}

TEST(RegionModel, SingleOpenNodeMeasuresNothing) {
    auto o = Polyline({{0, 0}, {100, 0}});
    TSLRegion r;
    r.Flags |= RF_UNDER_CONSTRUCTION;
    r.Node(0).Outline = o.get();
    r.UpdateBounds({});
    EXPECT_EQ(r.Node(0).SegmentLength, 0.f);
    EXPECT_EQ(r.WalkPath().size(), 1u);
}

TEST(RegionModel, NodeBeingPlacedIsSkipped) {
    auto sq = ClosedOutline(Square(0, 0, 100));
    auto r = RegionOn(*sq);
    r->AppendNode(NK_FIXED, 0, 0, sq.get(), -1, -1);
    EXPECT_NO_THROW(r->WalkPath());
    r->UpdateBounds({});
    EXPECT_FALSE(r->Bounds.empty);
}

TEST(RegionCandidates, CrossingEndsAndExtensions) {
    auto P = Polyline({{0, 0}, {100, 0}});
    auto N = Polyline({{50, -50}, {50, 50}});
    auto c = FindCandidates(*P, *N);
    int crossings = 0;
    for (auto& k : c)
        if (k.Kind == NK_CROSSING) {
            ++crossings;
            EXPECT_NEAR(k.X, 50, 1e-3);
            EXPECT_NEAR(k.Y, 0, 1e-3);
        }
    EXPECT_GE(crossings, 1);
    EXPECT_EQ(c[0].Kind, NK_JOIN_FROM_START);
    EXPECT_EQ(c[0].NewIndex, 25);
    // N lies beyond neither end of P, but P's extensions are lines off its ends: a short N to the
    // right of P's end crosses the end extension.
    auto N2 = Polyline({{150, -10}, {150, 10}});
    bool endExt = false;
    for (auto& k : FindCandidates(*P, *N2))
        if (k.Kind == NK_PREV_END_EXTENSION) {
            endExt = true;
            EXPECT_EQ(k.PrevIndex, 25);
            EXPECT_NEAR(k.X, 150, 1e-3);
        }
    EXPECT_TRUE(endExt);
}

TEST(RegionCandidates, DegenerateEndSegmentGivesNoExtension) {
    auto P = Polyline({{0, 0}, {100, 0}});
    // Collapse P's last segment: its last two samples coincide.
    P->PathX[24] = P->PathX[25];
    P->PathY[24] = P->PathY[25];
    auto N2 = Polyline({{150, -10}, {150, 10}});
    for (auto& k : FindCandidates(*P, *N2))
        EXPECT_NE(k.Kind, NK_PREV_END_EXTENSION);
}

TEST(RegionCandidates, CoincidenceGroups) {
    auto mk = [](float x, float y) {
        TCandidate c;
        c.X = x;
        c.Y = y;
        return c;
    };
    std::vector<TCandidate> c = {mk(0, 0), mk(3, 3), mk(5, -5), mk(20, 0)};
    GroupCoincident(c);
    EXPECT_EQ(c[0].Group, 0u);
    EXPECT_EQ(c[1].Group, 1u);
    EXPECT_EQ(c[2].Group, 2u);
    EXPECT_EQ(c[3].Group, 0u);
    std::vector<TCandidate> crowd(10, mk(1, 1));
    GroupCoincident(crowd);
    EXPECT_EQ(crowd[9].Group, 7u); // saturates at the field's width
}

TEST(RegionNodes, ConvertToFixed) {
    auto P = Polyline({{0, 0}, {100, 0}});
    auto N = Polyline({{0, -50}, {0, 50}}); // crosses P at its first sample
    TSLRegion r;
    r.Node(0).Outline = P.get();
    r.Node(0).StartIndex = 10;
    r.Node(0).EndIndex = 0;
    // A crossing that lies at the very end of N's segment 11 (sample 12 = y 0 of 25 samples over 100).
    r.AppendNode(NK_CROSSING, 0, 0, N.get(), 12, -1);
    r.ConvertNodeToFixed(0); // node 0 never converts
    EXPECT_EQ(TSLRegion::KindOf(r[0]), NK_JOIN_FROM_START);
    // Sample 12 is at y = -2; the node at y = 0 is halfway to sample 13 (y = 2).
    r.ConvertNodeToFixed(1);
    EXPECT_EQ(TSLRegion::KindOf(r[1]), NK_FIXED);
    EXPECT_NEAR(r.Node(1).PercentB, 50, 1e-3);
    EXPECT_NEAR(r.Node(1).PercentA, 0, 1e-3);
    // Converting at the last sample (no segment after it) gives 0, not a read past the end.
    r[1].Flags = (r[1].Flags & ~SP_NODE_KIND) | NK_CROSSING;
    r.Node(1).StartIndex = 25;
    r.Node(0).EndIndex = 25;
    r.ConvertNodeToFixed(1);
    EXPECT_EQ(r.Node(1).PercentB, 0.f);
    EXPECT_EQ(r.Node(1).PercentA, 0.f);
}

TEST(RegionNodes, RebuildFollowsMovedOutline) {
    auto P = Polyline({{0, 0}, {100, 0}});
    auto N = Polyline({{50, -50}, {50, 50}});
    TSLRegion r;
    r.Node(0).Outline = P.get();
    r.Node(0).StartIndex = 0;
    auto c = FindCandidates(*P, *N);
    const TCandidate* cross = nullptr;
    for (auto& k : c)
        if (k.Kind == NK_CROSSING) cross = &k;
    ASSERT_NE(cross, nullptr);
    r.Node(0).EndIndex = cross->PrevIndex;
    r.AppendNode(cross->Kind, cross->X, cross->Y, N.get(), cross->NewIndex, -1);
    // Move N to x = 60 and rebuild: the crossing follows.
    for (TSP& p : *N)
        p.X += 10;
    N->Flatten();
    r.RebuildFromOutlines({});
    EXPECT_NEAR(r[1].X, 60, 1e-3);
    EXPECT_EQ(TSLRegion::KindOf(r[1]), NK_CROSSING);
}

TEST(RegionNodes, RotationWrapsOnce) {
    TSLRegion r;
    r.Rotation = 350;
    r.ApplyRotation(30, 0, 0, {});
    r.ApplyRotation(30, 0, 0, {});
    EXPECT_FLOAT_EQ(r.Rotation, 50);
}

TEST(RegionNodes, EntryExitFromNodePercentAndScaling) {
    auto sq = ClosedOutline(Square(0, 0, 400));
    auto r = RegionOn(*sq);
    // Node 0 walks the whole square (1600 units): 25 % is the second corner, 50 % the third.
    r->SetEntryExit(0, 25, 0, 50, {});
    EXPECT_NEAR(r->EntryX, 400, 1e-3);
    EXPECT_NEAR(r->EntryY, 0, 1e-3);
    EXPECT_NEAR(r->ExitX, 400, 1e-3);
    EXPECT_NEAR(r->ExitY, 400, 1e-3);
    ASSERT_TRUE(r->FillStitches);
    // A percentage beyond the path leaves the point at the first node.
    double x, y;
    r->BoundaryPoint(0, 150, x, y);
    EXPECT_EQ(x, (*r)[0].X);
    r->ApplyScale(0, 0, 50, 200, {});
    EXPECT_NEAR(r->ExitX, 200, 1e-3);
    EXPECT_NEAR(r->ExitY, 800, 1e-3);
    EXPECT_EQ(r->UnderMargin, 5.0);
}

namespace {
std::vector<uint8_t> SaveRegion(const TSLRegion& r, int32_t version) {
    TByteWriter w;
    TRecordContext ctx;
    ctx.Version = version;
    WriteObjectRecord(w, r, ctx);
    return w.Take();
}
} // namespace

TEST(RegionRecords, RoundTripAndNodeLayout) {
    auto sq = ClosedOutline(Square(0, 0, 200));
    auto r = RegionOn(*sq);
    r->Density = 60;
    r->UnderMargin = 12.5;
    r->Node(0).OutlineMark = 0;
    r->Node(1).OutlineMark = 0;
    r->RegenerateFill({});
    r->EntryX = 17;
    r->ExitY = 33;
    ASSERT_TRUE(r->FillStitches);
    auto bytes = SaveRegion(*r, 1011);
    TByteReader rd(bytes);
    TRecordContext ctx;
    auto back = ReadObjectRecord(rd, ctx);
    auto* g = dynamic_cast<TSLRegion*>(back.get());
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(rd.Remaining(), 0u);
    EXPECT_EQ(g->Density, 60);
    EXPECT_EQ(g->UnderMargin, 12.5);
    EXPECT_EQ(g->EntryX, 17);
    EXPECT_EQ(g->ExitY, 33);
    ASSERT_TRUE(g->FillStitches);
    EXPECT_EQ(g->FillStitches->Count(), r->FillStitches->Count());
    std::vector<TSLStitch*> objs{sq.get()};
    g->ResolveOutlines(objs);
    EXPECT_EQ(g->Node(1).Outline, sq.get());

    // A node record is flags then eight 4-byte fields: StartIndex first.
    TByteWriter w;
    TSP n = TSP::Plain(SP_REGION_NODE, 1.5f, 2.5f);
    EnsureNode(n).StartIndex = 7;
    EnsureNode(n).EndIndex = 9;
    WritePointRecord(w, n, TRecordContext{});
    TPointList::Free(n);
    ASSERT_EQ(w.Size(), 36u);
    TByteReader nr(w.Data());
    nr.U32();
    EXPECT_EQ(nr.I32(), 7);
    EXPECT_EQ(nr.I32(), 9);
    EXPECT_EQ(nr.F32(), 1.5f);
}

TEST(RegionRecords, ACloneWritesTheSameRecordWithAFillOfItsOwn) {
    auto sq = ClosedOutline(Square(0, 0, 200));
    auto r = RegionOn(*sq);
    r->Node(0).OutlineMark = r->Node(1).OutlineMark = 0;
    r->UnderMargin = 12.5;
    r->EntryX = 17;
    r->RegenerateFill({});
    ASSERT_TRUE(r->FillStitches);
    auto copy = r->Clone();
    auto* g = static_cast<TSLRegion*>(copy.get());
    EXPECT_EQ(SaveRegion(*g, 1011), SaveRegion(*r, 1011));
    EXPECT_NE(g->FillStitches.get(), r->FillStitches.get());
    EXPECT_EQ(g->DeriveEntryExit, r->DeriveEntryExit);
    EXPECT_NE(g->NodeAt(1), r->NodeAt(1)); // node data of its own
    EXPECT_EQ(g->NodeAt(1)->Outline, sq.get());
}

TEST(RegionRecords, StreamIsRelativeToOrigin) {
    auto sq = ClosedOutline(Square(0, 0, 200));
    auto r = RegionOn(*sq);
    r->EntryX = 100;
    r->Node(0).OutlineMark = r->Node(1).OutlineMark = 0;
    TRecordContext ctx;
    ctx.OriginX = 40;
    TByteWriter w;
    WriteObjectStream(w, *r, ctx);
    TByteReader rd(w.Data());
    TRecordContext ctx2;
    ctx2.OriginX = 1040;
    auto back = ReadObjectStream(rd, ctx2);
    auto* g = dynamic_cast<TSLRegion*>(back.get());
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->EntryX, 1100);
    EXPECT_FLOAT_EQ((*g)[0].X, (*r)[0].X + 1000);
}

TEST(RegionRecords, OldVersionsAndBadInput) {
    auto sq = ClosedOutline(Square(0, 0, 200));
    auto r = RegionOn(*sq);
    r->Node(0).OutlineMark = r->Node(1).OutlineMark = 0;
    struct Case {
        int32_t version;
        int32_t storedDensity;
        int32_t expected;
    } cases[] = {{1003, 4, 50}, {1003, 0, 45}, {1011, 45, 45}};
    for (auto c : cases) {
        r->Density = c.storedDensity;
        auto bytes = SaveRegion(*r, c.version);
        TByteReader rd(bytes);
        TRecordContext ctx;
        ctx.Version = c.version;
        auto back = ReadObjectRecord(rd, ctx);
        auto* g = static_cast<TSLRegion*>(back.get());
        EXPECT_EQ(g->Density, c.expected) << c.version;
        EXPECT_EQ(g->DeriveEntryExit, c.version <= 1008);
        EXPECT_EQ(rd.Remaining(), 0u);
    }
    // Every truncation of a good record is refused cleanly.
    r->Density = 45;
    auto good = SaveRegion(*r, 1011);
    for (size_t n = 0; n < good.size(); ++n) {
        TByteReader rd(std::span<const uint8_t>(good.data(), n));
        EXPECT_THROW(ReadObjectRecord(rd, TRecordContext{}), TReadError) << n;
    }
    // An outline reference that is not a curve fails with a message.
    TByteReader rd(good);
    auto back = ReadObjectRecord(rd, TRecordContext{});
    TSLStitch notACurve;
    std::vector<TSLStitch*> objs{&notACurve};
    EXPECT_THROW(static_cast<TSLRegion*>(back.get())->ResolveOutlines(objs), TReadError);
    std::vector<TSLStitch*> none;
    EXPECT_THROW(static_cast<TSLRegion*>(back.get())->ResolveOutlines(none), TReadError);
}

TEST(RegionRecords, NestedFillMustBeAStitchList) {
    auto sq = ClosedOutline(Square(0, 0, 200));
    auto r = RegionOn(*sq);
    r->Node(0).OutlineMark = r->Node(1).OutlineMark = 0;
    r->FillStitches = std::make_unique<TSLStitch>();
    auto bytes = SaveRegion(*r, 1011);
    TByteWriter nested;
    WriteObjectRecord(nested, *r->FillStitches, TRecordContext{});
    // Layout at the end: ... 1, nested record (kind byte first), pattern byte 0.
    size_t at = bytes.size() - 1 - nested.Size();
    ASSERT_EQ(bytes[at], KIND_STITCH);
    bytes[at] = KIND_REGION;
    TByteReader rd(bytes);
    EXPECT_THROW(ReadObjectRecord(rd, TRecordContext{}), TReadError);
}
