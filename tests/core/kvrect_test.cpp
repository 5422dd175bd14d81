#include <gtest/gtest.h>

#include "core/BinaryIO.h"
#include "core/KvRect.h"

using namespace nl;

TEST(KvRect, IncludePointRoundsHalfToEvenAndClearsEmpty) {
    TKvRect r;
    r.empty = true;
    r.IncludePoint(10.5f, 11.5f);
    EXPECT_FALSE(r.empty);
    EXPECT_EQ(r.Left, 10);
    EXPECT_EQ(r.Right, 10);
    EXPECT_EQ(r.Top, 12);
    EXPECT_EQ(r.Bottom, 12);
    r.IncludePoint(-3.f, 40.f);
    EXPECT_EQ(r.Left, -3);
    EXPECT_EQ(r.Bottom, 40);
}

TEST(KvRect, WidthHeightAreInclusive) {
    TKvRect r;
    r.Set(0, 0, 0, 0);
    EXPECT_EQ(r.Width(), 1);
    EXPECT_EQ(r.Height(), 1);
    r.Set(5, 2, -5, 10);
    EXPECT_EQ(r.Width(), 11);
    r.Normalize();
    EXPECT_EQ(r.Left, -5);
    EXPECT_EQ(r.Right, 5);
}

TEST(KvRect, UnionIntersectAndContainment) {
    TKvRect a, b;
    a.Set(0, 0, 10, 10);
    b.Set(5, 5, 20, 20);
    EXPECT_TRUE(a.Intersects(b));
    TKvRect u;
    u.empty = true;
    u.UnionWith(a);
    u.UnionWith(b);
    EXPECT_EQ(u, (TKvRect{false, 0, 0, 20, 20}));
    a.IntersectWith(b);
    EXPECT_EQ(a, (TKvRect{false, 5, 5, 10, 10}));
    EXPECT_TRUE(u.ContainsRect(b));
    EXPECT_TRUE(u.OutsideInset(1, 10, 2));
    EXPECT_FALSE(u.OutsideInset(10, 10, 2));
}

TEST(KvRect, RecordIs17BytesAndRelative) {
    TKvRect r;
    r.Set(-1, 2, 300, 400);
    r.empty = true;
    TByteWriter w;
    r.WriteRelative(w, 100, 200);
    ASSERT_EQ(w.Size(), 17u);
    TByteReader rd(w.Data());
    TKvRect back;
    back.ReadRelative(rd, 100, 200);
    EXPECT_EQ(back, r);
}

TEST(KvRect, EdgesNearTheIntegerLimitsSaturate) {
    TKvRect r;
    r.Set(INT32_MAX - 1, INT32_MIN + 1, INT32_MAX, INT32_MIN + 2);
    r.Inflate(10);
    EXPECT_EQ(r.Right, INT32_MAX);
    EXPECT_EQ(r.Top, INT32_MIN);
    r.Offset(INT32_MAX, INT32_MIN);
    EXPECT_EQ(r.Left, INT32_MAX);
    EXPECT_EQ(r.Bottom, INT32_MIN);
}
