#include <gtest/gtest.h>

#include <cmath>

#include "core/Numeric.h"
#include "stitching/Line.h"

using namespace nl;

namespace {
constexpr double Deg = Pi / 180.0;
}

TEST(KvLine, VerticalThreshold) {
    EXPECT_TRUE(TKvLine(0, 0, 0.01, 10).Vertical);
    EXPECT_TRUE(TKvLine(0, 0, -0.01, 10).Vertical);
    EXPECT_FALSE(TKvLine(0, 0, 0.0101, 10).Vertical);
}

TEST(KvLine, DirectionsFollowTheBearingConvention) {
    struct Case {
        double dx, dy, direction, back;
    } cases[] = {
        {10, 0, Pi / 2, 3 * Pi / 2}, // right; back points left
        {0, 10, Pi, 0},              // down; back points up
        {-10, 0, 3 * Pi / 2, Pi / 2},
        {10, 10, 3 * Pi / 4, 7 * Pi / 4},
        {-10, 10, 5 * Pi / 4, Pi / 4},
    };
    for (const auto& c : cases) {
        TKvLine l(0, 0, c.dx, c.dy);
        EXPECT_NEAR(l.Direction(), c.direction, 1e-9) << c.dx << "," << c.dy;
        EXPECT_NEAR(l.BackDirection(), c.back, 1e-9) << c.dx << "," << c.dy;
        EXPECT_NEAR(l.ReverseDirection(), c.back == 0 ? 2 * Pi : c.back, 1e-9) << c.dx << "," << c.dy;
    }
    // Straight up is the full turn in the Direction form and 0 by the quadrant rule.
    EXPECT_NEAR(TKvLine(0, 0, 0, -10).Direction(), 2 * Pi, 1e-9);
    EXPECT_NEAR(QuadrantAngle(0, -10), 0.0, 1e-9);
}

TEST(KvLine, AngleAroundAndPlacement) {
    EXPECT_EQ(AngleAround(0, 0, 0.0005, -10), 0.0);
    EXPECT_EQ(AngleAround(0, 0, 0.0005, 10), Pi);
    EXPECT_EQ(AngleAround(0, 0, 0.0005, 0), 0.0); // level counts as above
    EXPECT_NEAR(AngleAround(0, 0, 10, 0), Pi / 2, 1e-9);
    TPointD p = PlaceAt({0, -10}, {0, 0}, Pi / 2);
    EXPECT_NEAR(p.X, 10, 1e-9);
    EXPECT_NEAR(p.Y, 0, 1e-9);
    TPointD q = RotateAbout({0, -10}, {0, 0}, Pi);
    EXPECT_NEAR(q.X, 0, 1e-9);
    EXPECT_NEAR(q.Y, 10, 1e-9);
    TKvLine l(0, 0, 0, 0);
    l.PointAt(Pi / 2, 10);
    EXPECT_NEAR(l.X2, 10, 1e-9);
    EXPECT_NEAR(l.Y2, 0, 1e-9);
}

TEST(KvLine, SignedDistance) {
    TKvLine l(0, 0, 10, 0);
    EXPECT_DOUBLE_EQ(l.SignedDistance(0, -5), -5);
    EXPECT_DOUBLE_EQ(l.SignedDistance(3, 5), 5);
    // A zero-length line measures from its start point instead of dividing by zero.
    TKvLine z(1, 1, 1, 1);
    EXPECT_DOUBLE_EQ(z.SignedDistance(4, 5), 5);
}

TEST(KvLine, SetLength) {
    struct Case {
        TKvLine line;
        double len, x2, y2;
    } cases[] = {
        {TKvLine(0, 0, 10, 0), -5, -5, 0}, // negative length points the other way
        {TKvLine(0, 0, 10, 0), 20, 20, 0},   {TKvLine(0, 0, 0, -10), 4, 0, -4}, // vertical, pointing up
        {TKvLine(0, 0, 3, 4), 10, 6, 8},                                        // sloped
        {TKvLine(0, 0, -3, -4), 10, -6, -8},
    };
    for (auto& c : cases) {
        c.line.SetLength(c.len);
        EXPECT_NEAR(c.line.X2, c.x2, 1e-9);
        EXPECT_NEAR(c.line.Y2, c.y2, 1e-9);
    }
}

TEST(KvLine, MakePerpendicularIsOnTheLeftForPositiveLength) {
    struct Case {
        double x2, y2, len, ex, ey;
    } cases[] = {
        {10, 0, 20, 0, -20},             // right -> up
        {-10, 0, 20, 0, 20},             // left -> down
        {0, -10, 5, -5, 0},              // up -> left
        {0, 10, 5, 5, 0},                // down -> right
        {10, 10, std::sqrt(2.0), 1, -1}, // down-right -> up-right
        {10, 0, -20, 0, 20},             // negative length: the right side
    };
    for (const auto& c : cases) {
        TKvLine base(0, 0, c.x2, c.y2), t;
        base.MakePerpendicular(t, 0, c.len, 100, 100);
        EXPECT_NEAR(t.X1, 100, 1e-9);
        EXPECT_NEAR(t.X2 - 100, c.ex, 1e-9) << c.x2 << "," << c.y2;
        EXPECT_NEAR(t.Y2 - 100, c.ey, 1e-9) << c.x2 << "," << c.y2;
    }
    TKvLine base(0, 0, 10, 0), t;
    base.MakePerpendicular(t, Pi / 2, 20, 0, 0); // turned a quarter clockwise: points right
    EXPECT_NEAR(t.X2, 20, 1e-9);
    EXPECT_NEAR(t.Y2, 0, 1e-9);
}

TEST(KvLine, TurnIsNormalised) {
    auto withBack = [](double deg) {
        TKvLine l(0, 0, 0, 0);
        l.PointAt(deg * Deg, 10); // direction deg: back direction is deg + 180
        return TKvLine(l.X2, l.Y2, 0, 0);
    };
    TKvLine a = withBack(350), b = withBack(10);
    EXPECT_NEAR(a.BackDirection(), 350 * Deg, 1e-9);
    EXPECT_NEAR(a.Turn(b), 20 * Deg, 1e-9);
    EXPECT_NEAR(b.Turn(a), -20 * Deg, 1e-9);
}

TEST(KvLine, Intersections) {
    TPointD at{123, 456};
    EXPECT_FALSE(TKvLine(0, 0, 10, 10).Intersect(TKvLine(0, 5, 10, 15), at));
    EXPECT_EQ(at.X, 123); // left untouched
    EXPECT_FALSE(TKvLine(0, 0, 0, 10).Intersect(TKvLine(5, 0, 5, 10), at));
    ASSERT_TRUE(TKvLine(0, 0, 10, 0).Intersect(TKvLine(4, -5, 4, 5), at));
    EXPECT_FLOAT_EQ(at.X, 4);
    EXPECT_FLOAT_EQ(at.Y, 0);
    // Segment ends widened by one unit: 0.9 outside is a hit, 1.1 is not.
    EXPECT_TRUE(TKvLine(0, 0, 10, 0).SegmentsIntersect(TKvLine(10.9, -5, 10.9, 5), at));
    EXPECT_FALSE(TKvLine(0, 0, 10, 0).SegmentsIntersect(TKvLine(11.1, -5, 11.1, 5), at));
    // Beyond the end in the direction of travel, within the other's box.
    EXPECT_TRUE(TKvLine(0, 0, 10, 0).IsBeyondEnd(TKvLine(15, -5, 15, 5)));
    EXPECT_FALSE(TKvLine(0, 0, 10, 0).IsBeyondEnd(TKvLine(5, -5, 5, 5)));
    EXPECT_FALSE(TKvLine(10, 0, 0, 0).IsBeyondEnd(TKvLine(15, -5, 15, 5)));
    EXPECT_TRUE(TKvLine(0, 0, 0, 10).IsBeyondEnd(TKvLine(-5, 20, 5, 20)));
}

TEST(KvLine, ScaleBySide) {
    struct Case {
        uint32_t sides;
        double x1, x2;
    } cases[] = {
        {SCALE_A_SIDE, -5, 100},
        {SCALE_B_SIDE, 0, 105},
        {SCALE_A_SIDE | SCALE_B_SIDE, -5, 105},
        {0, 0, 100},
    };
    for (const auto& c : cases) {
        TKvLine l(0, 0, 100, 0);
        l.Scale(c.sides, 10);
        EXPECT_NEAR(l.X1, c.x1, 1e-9);
        EXPECT_NEAR(l.X2, c.x2, 1e-9);
    }
    TKvLine back(100, 0, 0, 0); // reversed line: the start moves to the right
    back.Scale(SCALE_A_SIDE, 10);
    EXPECT_NEAR(back.X1, 105, 1e-9);
}

TEST(KvLine, RectsBoxesAndPicks) {
    TKvRect r;
    TKvLine(10.5, 20.4, 2.5, 3.6).ToRect(r);
    EXPECT_EQ(r.Left, 2);
    EXPECT_EQ(r.Right, 10); // halves to even
    EXPECT_EQ(r.Top, 4);
    EXPECT_EQ(r.Bottom, 20);
    EXPECT_TRUE(TKvLine(0, 0, 10, 10).BoxesOverlap(TKvLine(10, 10, 20, 20))); // touching
    EXPECT_FALSE(TKvLine(0, 0, 10, 10).BoxesOverlap(TKvLine(11, 0, 20, 5)));
    TPointD at;
    EXPECT_TRUE(TKvLine(0, 0, 100, 10).PickNear(2, 3, 50, 6, &at));
    EXPECT_NEAR(at.Y, 5, 1e-9);
    EXPECT_FALSE(TKvLine(0, 0, 100, 10).PickNear(2, 3, 50, 8));
    EXPECT_TRUE(TKvLine(0, 0, 10, 100).PickNear(2, 3, 6, 50, &at)); // steep: horizontal offset
    EXPECT_NEAR(at.X, 5, 1e-9);
    EXPECT_FALSE(TKvLine(0, 0, 0, 100).PickNear(2, 3, 0, 110));
}
