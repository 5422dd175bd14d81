// Byte layouts of the point and rectangle records, checked field by field against records built
// by hand, in both directions: what the writers put at each offset, and what the readers take
// from each offset. A write-then-read test alone passes when two fields are swapped consistently.
#include <gtest/gtest.h>

#include <climits>
#include <utility>

#include "core/KvRect.h"
#include "core/PointList.h"
#include "core/PointRecords.h"
#include "core/RegionNode.h"
#include "tests/core/RecordBytes.h"

using namespace nl;
using nl::test::SameRecord;
using nl::test::TExpectedRecord;

namespace {

// A jump connection stand-in: the worksheet record must write its placeholder as 0 whatever the
// point links to.
struct FakeJump : TPointExt {
    std::unique_ptr<TPointExt> Clone() const override { return std::make_unique<FakeJump>(*this); }
};

std::vector<uint8_t> Worksheet(const TSP& p) {
    TByteWriter w;
    WritePointRecord(w, p, TRecordContext{});
    return w.Take();
}

// Reads a hand-built worksheet record; the whole record is taken.
TSP ReadWorksheet(const TExpectedRecord& e) {
    TByteReader r(e.Bytes());
    TSP p = ReadPointRecord(r);
    EXPECT_TRUE(r.AtEnd());
    return p;
}

std::vector<uint8_t> Stream(const TSP& p, int32_t ox, int32_t oy) {
    TRecordContext ctx;
    ctx.OriginX = ox;
    ctx.OriginY = oy;
    TByteWriter w;
    WritePointStream(w, p, ctx);
    return w.Take();
}

// A point read back: its class and position.
void ExpectPoint(const TSP& back, TPointClass cls, float x, float y) {
    EXPECT_EQ(back.Class(), cls);
    EXPECT_EQ(back.X, x);
    EXPECT_EQ(back.Y, y);
}

TSP NodePoint(uint32_t flags, float x, float y) {
    TSP p = TSP::Plain(SP_REGION_NODE | flags, x, y);
    TRegionNode& n = EnsureNode(p);
    n.StartIndex = 7;
    n.EndIndex = 9;
    n.OutlineMark = 3;
    n.PercentA = 25.f;
    n.PercentB = 75.f;
    n.SegmentLength = 120.5f;
    return p;
}

// The node fields after the flags word (and, in a stream, after the type code and flags).
void ExpectNodeFields(TExpectedRecord& e, float x, float y) {
    e.I32(7, "StartIndex").I32(9, "EndIndex").F32(x, "X").F32(y, "Y");
    e.I32(3, "outline mark").F32(25.f, "PercentA").F32(75.f, "PercentB").F32(120.5f, "SegmentLength");
}

void ExpectNodeRead(const TSP& p, float x, float y) {
    const TRegionNode* n = NodeOf(p);
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->StartIndex, 7);
    EXPECT_EQ(n->EndIndex, 9);
    EXPECT_EQ(p.X, x);
    EXPECT_EQ(p.Y, y);
    EXPECT_EQ(n->OutlineMark, 3);
    EXPECT_EQ(n->PercentA, 25.f);
    EXPECT_EQ(n->PercentB, 75.f);
    EXPECT_EQ(n->SegmentLength, 120.5f);
}

} // namespace

TEST(PointRecordLayout, WorksheetRecordOfEachClass) {
    // Plain point: flags, X, Y. Spelled out byte by byte, as a check on the expected-record helper.
    {
        TSP p = TSP::Plain(SP_BOUNDARY | 0x40000000, 1.5f, -2.5f); // an unassigned bit travels along
        TExpectedRecord e;
        e.Raw({0x04, 0x00, 0x00, 0x40}, "flags");
        e.Raw({0x00, 0x00, 0xC0, 0x3F}, "X = 1.5");
        e.Raw({0x00, 0x00, 0x20, 0xC0}, "Y = -2.5");
        EXPECT_TRUE(SameRecord(Worksheet(p), e));
        TSP back = ReadWorksheet(e);
        EXPECT_EQ(back.Flags, p.Flags);
        EXPECT_EQ(back.X, 1.5f);
        EXPECT_EQ(back.Y, -2.5f);
    }
    // Extended point: flags, X, Y, ColourOrLink, jump placeholder (always 0 on writing).
    {
        TSP p = TSP::Colour(SP_JUMP | SP_BOUNDARY, 3.f, 4.f, 0x000000FF);
        p.Ext = new FakeJump();
        TExpectedRecord e;
        e.U32(SP_EXTRA | SP_JUMP | SP_BOUNDARY, "flags").F32(3.f, "X").F32(4.f, "Y");
        e.I32(0x000000FF, "ColourOrLink").I32(0, "jump placeholder");
        EXPECT_TRUE(SameRecord(Worksheet(p), e));
        TPointList::Free(p);
        // The reader ignores whatever the placeholder holds and leaves the jump unset.
        TExpectedRecord stored;
        stored.U32(SP_EXTRA | SP_BOUNDARY, "flags").F32(3.f, "X").F32(4.f, "Y");
        stored.I32(0x00112233, "ColourOrLink").I32(0x7777, "jump placeholder");
        TSP back = ReadWorksheet(stored);
        ExpectPoint(back, TPointClass::Extra, 3.f, 4.f);
        EXPECT_EQ(back.GetColour(), 0x00112233);
        EXPECT_EQ(back.Ext, nullptr);
    }
    // Shortened point: flags, X, Y, Shortening, FullLength.
    {
        TSP p = TSP::Modify(SP_BOUNDARY, 5.f, 6.f, 0.5f, 12.f);
        TExpectedRecord e;
        e.U32(SP_BOUNDARY | SP_MODIFY | SP_SHORT, "flags").F32(5.f, "X").F32(6.f, "Y");
        e.F32(0.5f, "Shortening").F32(12.f, "FullLength");
        EXPECT_TRUE(SameRecord(Worksheet(p), e));
        TSP back = ReadWorksheet(e);
        ExpectPoint(back, TPointClass::Modify, 5.f, 6.f);
        EXPECT_EQ(back.Shortening, 0.5f);
        EXPECT_EQ(back.FullLength, 12.f);
    }
    // Region node: flags, then StartIndex, EndIndex, X, Y, outline mark, PercentA, PercentB,
    // SegmentLength.
    {
        const uint32_t flags = SP_REGION_NODE | SP_FIRST_NODE | 0x400;
        TSP p = NodePoint(SP_FIRST_NODE | 0x400, 1.5f, 2.5f);
        TExpectedRecord e;
        e.U32(flags, "flags");
        ExpectNodeFields(e, 1.5f, 2.5f);
        EXPECT_EQ(e.Size(), 36u);
        EXPECT_TRUE(SameRecord(Worksheet(p), e));
        TPointList::Free(p);
        TSP back = ReadWorksheet(e);
        EXPECT_EQ(back.Flags, flags);
        ExpectNodeRead(back, 1.5f, 2.5f);
        TPointList::Free(back);
    }
}

TEST(PointRecordLayout, StreamRecordOfEachClass) {
    const int32_t ox = 100, oy = 200;
    auto readBack = [&](const TExpectedRecord& e) {
        TByteReader r(e.Bytes());
        TRecordContext ctx;
        ctx.OriginX = ox;
        ctx.OriginY = oy;
        TSP p = ReadPointStream(r, ctx);
        EXPECT_TRUE(r.AtEnd());
        return p;
    };
    // Plain: type code 8, flags, X - origin, Y - origin.
    {
        TExpectedRecord e;
        e.U8(8, "type code").U32(SP_FILL, "flags").F32(10.5f, "X - origin").F32(-10.f, "Y - origin");
        EXPECT_TRUE(SameRecord(Stream(TSP::Plain(SP_FILL, 110.5f, 190.f), ox, oy), e));
        TSP back = readBack(e);
        ExpectPoint(back, TPointClass::Plain, 110.5f, 190.f);
        EXPECT_EQ(back.Flags, SP_FILL);
    }
    // Extended: type code 9, flags, relative X and Y, colour; no jump placeholder.
    {
        TExpectedRecord e;
        e.U8(9, "type code").U32(SP_EXTRA, "flags").F32(-1.f, "X - origin").F32(2.f, "Y - origin");
        e.I32(0x0000FF00, "ColourOrLink");
        EXPECT_TRUE(SameRecord(Stream(TSP::Colour(0, 99.f, 202.f, 0x0000FF00), ox, oy), e));
        TSP back = readBack(e);
        ExpectPoint(back, TPointClass::Extra, 99.f, 202.f);
        EXPECT_EQ(back.GetColour(), 0x0000FF00);
    }
    // Shortened: type code 10, flags, relative X and Y; Shortening and FullLength stay behind.
    {
        TExpectedRecord e;
        e.U8(10, "type code").U32(SP_BOUNDARY | SP_MODIFY | SP_SHORT, "flags");
        e.F32(10.f, "X - origin").F32(20.f, "Y - origin");
        EXPECT_TRUE(SameRecord(Stream(TSP::Modify(SP_BOUNDARY, 110.f, 220.f, 1.f, 2.f), ox, oy), e));
        TSP back = readBack(e);
        ExpectPoint(back, TPointClass::Modify, 110.f, 220.f);
        EXPECT_EQ(back.Shortening, 0.f);
        EXPECT_EQ(back.FullLength, 0.f);
    }
    // Region node: type code 17, flags, then the node fields with X and Y relative.
    {
        TSP p = NodePoint(0x600, 130.f, 150.f);
        TExpectedRecord e;
        e.U8(17, "type code").U32(SP_REGION_NODE | 0x600, "flags");
        ExpectNodeFields(e, 30.f, -50.f);
        EXPECT_TRUE(SameRecord(Stream(p, ox, oy), e));
        TPointList::Free(p);
        TSP back = readBack(e);
        EXPECT_EQ(back.Flags, SP_REGION_NODE | 0x600);
        ExpectNodeRead(back, 130.f, 150.f);
        TPointList::Free(back);
    }
}

TEST(RectRecordLayout, SeventeenBytesLeftTopRightBottomEmpty) {
    TKvRect r;
    r.Set(-1, 2, 300, 400); // fields are declared Top before Left; the record has Left first
    r.empty = true;
    TExpectedRecord e;
    e.Raw({0xFF, 0xFF, 0xFF, 0xFF}, "Left = -1");
    e.Raw({0x02, 0x00, 0x00, 0x00}, "Top = 2");
    e.Raw({0x2C, 0x01, 0x00, 0x00}, "Right = 300");
    e.Raw({0x90, 0x01, 0x00, 0x00}, "Bottom = 400");
    e.Raw({0x01}, "empty");
    TByteWriter w;
    r.WriteTo(w);
    EXPECT_TRUE(SameRecord(w.Data(), e));
    TByteReader rd(e.Bytes());
    TKvRect back;
    back.ReadFrom(rd);
    EXPECT_TRUE(rd.AtEnd());
    EXPECT_EQ(back, r);

    // Relative form: every edge minus the origin on writing, plus the reader's origin on reading.
    TExpectedRecord rel;
    rel.Rect(-101, -198, 200, 200, true, "rect");
    TByteWriter wr;
    r.WriteRelative(wr, 100, 200);
    EXPECT_TRUE(SameRecord(wr.Data(), rel));
    TByteReader rr(rel.Bytes());
    TKvRect moved;
    moved.ReadRelative(rr, 1100, 2200);
    EXPECT_EQ(moved.Left, 999);
    EXPECT_EQ(moved.Top, 2002);
    EXPECT_EQ(moved.Right, 1300);
    EXPECT_EQ(moved.Bottom, 2400);
    EXPECT_TRUE(moved.empty);
}

TEST(RectRecordLayout, RelativeEdgesSaturateAtTheIntegerLimits) {
    // Edges far out (from files or pasted data) meet an origin on the other side: the difference
    // stops at the int32 limits instead of overflowing.
    struct Case {
        int32_t left, top, right, bottom;
        int32_t ox, oy;
        int32_t wLeft, wTop, wRight, wBottom; // as written
    } cases[] = {
        {INT32_MIN, INT32_MIN + 5, INT32_MAX, INT32_MAX - 3, 1, 10, INT32_MIN, INT32_MIN, INT32_MAX - 1,
         INT32_MAX - 13},
        {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, -1, -10, INT32_MIN + 1, INT32_MIN + 10, INT32_MAX,
         INT32_MAX},
        {-5, 7, 5, 9, INT32_MAX, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MIN + 6, INT32_MAX},
    };
    for (const auto& c : cases) {
        TKvRect r;
        r.Set(c.left, c.top, c.right, c.bottom);
        TByteWriter w;
        r.WriteRelative(w, c.ox, c.oy);
        TExpectedRecord e;
        e.Rect(c.wLeft, c.wTop, c.wRight, c.wBottom, false, "rect");
        EXPECT_TRUE(SameRecord(w.Data(), e)) << c.left << " " << c.ox;
    }
    // Reading adds the origin with the same limits.
    TExpectedRecord stored;
    stored.Rect(INT32_MAX - 2, INT32_MIN + 2, 0, -7, false, "rect");
    TByteReader rd(stored.Bytes());
    TKvRect back;
    back.ReadRelative(rd, 5, -5);
    EXPECT_EQ(back.Left, INT32_MAX);
    EXPECT_EQ(back.Top, INT32_MIN);
    EXPECT_EQ(back.Right, 5);
    EXPECT_EQ(back.Bottom, -12);
}
