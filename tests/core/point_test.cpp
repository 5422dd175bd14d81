#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "core/Errors.h"
#include "core/Numeric.h"
#include "core/PointList.h"
#include "core/PointRecords.h"
#include "core/RegionNode.h"

using namespace nl;

namespace {
struct CountingExt : TPointExt {
    static inline int alive = 0;
    CountingExt() { ++alive; }
    CountingExt(const CountingExt&) : TPointExt() { ++alive; }
    ~CountingExt() override { --alive; }
    std::unique_ptr<TPointExt> Clone() const override { return std::make_unique<CountingExt>(*this); }
};

TSP JumpPoint(uint32_t extraFlags) {
    TSP p = TSP::Colour(SP_JUMP | extraFlags, 1, 2, 0xFF);
    p.Ext = new CountingExt();
    return p;
}
} // namespace

TEST(Point, ClassComesFromTheFlags) {
    EXPECT_EQ(ClassOfFlags(0), TPointClass::Plain);
    EXPECT_EQ(ClassOfFlags(SP_EXTRA | SP_MODIFY), TPointClass::Extra);
    EXPECT_EQ(ClassOfFlags(SP_MODIFY | SP_REGION_NODE), TPointClass::Modify);
    EXPECT_EQ(ClassOfFlags(SP_REGION_NODE), TPointClass::Region);
    TSP c = TSP::Colour(0, 0, 0, 0x000000FF);
    EXPECT_TRUE(c.IsColourPoint());
    EXPECT_EQ(c.GetColour(), 0xFF);
    EXPECT_EQ(TSP::Plain(0, 1, 2).GetColour(), NO_COLOUR);
    TSP m = TSP::Modify(SP_JUMP | SP_BOUNDARY, 3, 4, -1.5f, 9.f);
    EXPECT_EQ(m.Flags, SP_BOUNDARY | SP_MODIFY | SP_SHORT);
    EXPECT_EQ(m.ValueA(), -1.5f);
    EXPECT_EQ(m.ValueB(), 9.f);
    EXPECT_EQ(m.TypeCode(), 10);
}

TEST(Point, RotateAboutFollowsTheBearingConvention) {
    struct Case {
        float x, y;
        double a;
        float ex, ey;
    } cases[] = {
        {0, -10, Pi / 2, 10, 0},  // 10 above the centre goes 10 right of it
        {10, 0, Pi / 2, 0, 10},   // right goes below
        {0, 10, Pi, 0, -10},      // below goes above
        {-10, 0, -Pi / 2, 0, 10}  // negative turns anticlockwise: left goes below
    };
    for (auto c : cases) {
        float x = c.x, y = c.y;
        RotateAbout(x, y, 0, 0, c.a);
        EXPECT_NEAR(x, c.ex, 1e-4) << c.x << "," << c.y;
        EXPECT_NEAR(y, c.ey, 1e-4) << c.x << "," << c.y;
    }
    float x = 5, y = 5; // on the centre: stays
    RotateAbout(x, y, 5, 5, 1.0);
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 5);
    EXPECT_FALSE(std::isnan(x));
}

TEST(Point, ScaleAboutAndBearing) {
    float x = 20, y = 10;
    ScaleAbout(x, y, 10, 10, 200, 50);
    EXPECT_EQ(x, 30);
    EXPECT_EQ(y, 10);
    EXPECT_DOUBLE_EQ(BearingFrom(0, 0, 0, 5), Pi);
    EXPECT_DOUBLE_EQ(BearingFrom(0, 0, 0, -5), 0.0);
    EXPECT_NEAR(BearingFrom(0, 0, 5, 0), Pi / 2, 1e-9);
}

TEST(PointList, InsertDeleteExtractFollowTheListRules) {
    TPointList l;
    l.Insert(0, TSP::Plain(0, 1, 0));
    EXPECT_EQ(l.Count(), 1);
    l.Insert(-1, TSP::Plain(0, 2, 0));
    l.Insert(99, TSP::Plain(0, 3, 0));
    l.Insert(0, TSP::Plain(0, 0, 0));
    ASSERT_EQ(l.Count(), 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(l[i].X, i);
    l.Delete(4);
    l.Delete(-1);
    EXPECT_EQ(l.Count(), 4);
    TSP e = l.Extract(1);
    EXPECT_EQ(e.X, 1);
    EXPECT_EQ(l.Count(), 3);
    EXPECT_FALSE(l.InsertGap(3, 2));
    EXPECT_FALSE(l.InsertGap(-1, 2));
    EXPECT_TRUE(l.InsertGap(1, 2));
    EXPECT_EQ(l.Count(), 5);
    EXPECT_EQ(l[3].X, 2);
    TPointList empty;
    empty.Delete(0);
    EXPECT_EQ(empty.Count(), 0);
}

TEST(PointList, OwnsJumpsExactlyOnce) {
    CountingExt::alive = 0;
    {
        TPointList l;
        l.Append(JumpPoint(0));
        l.Append(JumpPoint(SP_JUMP_SHARED)); // shared: another point owns it
        TSP* shared = &l[1];
        TPointExt* sharedExt = shared->Ext;
        EXPECT_EQ(CountingExt::alive, 2);
        {
            TPointList copy(l);
            EXPECT_EQ(CountingExt::alive, 3); // owned jump copied, shared one not
        }
        EXPECT_EQ(CountingExt::alive, 2);
        l.InsertGap(0, 3); // gap slots own nothing
        l.Delete(0);
        l.Clear();
        EXPECT_EQ(CountingExt::alive, 1);
        delete sharedExt;
    }
    EXPECT_EQ(CountingExt::alive, 0);
}

TEST(PointRecords, WorksheetRecordsRoundTripPerClass) {
    TPointList in;
    in.Append(TSP::Plain(SP_BOUNDARY | 0x40000000, 1.5f, -2.5f)); // unknown bit preserved
    in.Append(TSP::Colour(0, 3, 4, 0x000000FF));
    in.Append(TSP::Modify(0, 5, 6, 0.5f, 12.f));
    TSP node = TSP::Plain(SP_REGION_NODE | SP_FIRST_NODE, 7, 8);
    EnsureNode(node).StartIndex = 25;
    EnsureNode(node).EndIndex = 50;
    EnsureNode(node).OutlineMark = 3;
    in.Append(node);
    TRecordContext ctx;
    TByteWriter w;
    for (const TSP& p : in) WritePointRecord(w, p, ctx);
    EXPECT_EQ(w.Size(), 12u + 20u + 20u + 36u);
    TByteReader r(w.Data());
    TPointList out;
    for (int i = 0; i < 4; ++i) out.Append(ReadPointRecord(r));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(out[i].Flags, in[i].Flags) << i;
        EXPECT_EQ(out[i].X, in[i].X);
        EXPECT_EQ(out[i].Y, in[i].Y);
    }
    EXPECT_EQ(out[1].GetColour(), 0xFF);
    EXPECT_EQ(out[1].Ext, nullptr);
    EXPECT_EQ(out[2].FullLength, 12.f);
    EXPECT_EQ(NodeOf(std::as_const(out[3]))->EndIndex, 50);
    EXPECT_EQ(NodeOf(std::as_const(out[3]))->OutlineMark, 3);
}

TEST(PointRecords, StreamRecordsAreRelativeAndDropModifyFields) {
    TRecordContext wctx{100, 200};
    TByteWriter w;
    WritePointStream(w, TSP::Modify(SP_BOUNDARY, 110, 220, 1, 2), wctx);
    WritePointStream(w, TSP::Colour(0, 100, 200, 0x00FF00), wctx);
    TRecordContext rctx{-5, 5};
    TByteReader r(w.Data());
    TSP m = ReadPointStream(r, rctx);
    EXPECT_EQ(m.Class(), TPointClass::Modify);
    EXPECT_EQ(m.Flags, SP_BOUNDARY | SP_MODIFY | SP_SHORT);
    EXPECT_EQ(m.X, 5);
    EXPECT_EQ(m.Y, 25);
    EXPECT_EQ(m.Shortening, 0.f);
    EXPECT_EQ(m.FullLength, 0.f);
    TSP c = ReadPointStream(r, rctx);
    EXPECT_EQ(c.GetColour(), 0x00FF00);
}

TEST(PointRecords, MismatchedMarkersAndJumpBitsAreCleared) {
    // Type code 8 (plain) whose flags claim SP_EXTRA and a jump; worksheet record with jump bits
    // on a plain point.
    TByteWriter w;
    w.U8(8);
    w.U32(SP_EXTRA | SP_JUMP | SP_BOUNDARY);
    w.F32(1);
    w.F32(2);
    w.U32(SP_JUMP_LINK | SP_FILL);
    w.F32(1);
    w.F32(2);
    TByteReader r(w.Data());
    TSP s = ReadPointStream(r, {});
    EXPECT_EQ(s.Flags, SP_BOUNDARY);
    TSP f = ReadPointRecord(r);
    EXPECT_EQ(f.Flags, SP_FILL);
    TByteWriter bad;
    bad.U8(42);
    TByteReader br(bad.Data());
    EXPECT_THROW(ReadPointStream(br, {}), TReadError);
}
