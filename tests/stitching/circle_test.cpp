// The circle tool's geometry: the default circle of the drag, circles of n Bezier arcs checked
// against the tangent construction and by invariants over radii, counts and offsets, and the
// segment lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/Numeric.h"
#include "stitching/Circle.h"
#include "stitching/SLCurve.h"

using namespace nl;

namespace {
double DistanceTo(const TSP& p, double cx, double cy) {
    return Distance(cx, cy, p.X, p.Y);
}

// The control arm the arcs are built with: where the tangents meet, plus r * sweep / (3.5 pi).
double Arm(double r, int n) {
    const double sweep = 2 * Pi / n;
    return r * std::tan(sweep / 4) + r * sweep / (3.5 * Pi);
}

// The worst relative distance of the flattened path from radius r.
double WorstPathError(const TSLCurve& c, double cx, double cy, double r) {
    double worst = 0;
    for (size_t i = 0; i < c.PathX.size(); ++i)
        worst = std::max(worst, std::fabs(Distance(cx, cy, c.PathX[i], c.PathY[i]) - r) / r);
    return worst;
}
} // namespace

TEST(Circle, DefaultCircleOfTheDragHasSevenPointsWithArmsOfFourThirds) {
    TSLCurve c;
    SetCircle(c, 100, 200, 30);
    const double k = 40; // 4r/3
    const double expected[7][2] = {{70, 200},      {70, 200 - k}, {130, 200 - k}, {130, 200},
                                   {130, 200 + k}, {70, 200 + k}, {70, 200}};
    ASSERT_EQ(c.Count(), 7);
    for (int i = 0; i < 7; ++i) {
        EXPECT_FLOAT_EQ(c[i].X, expected[i][0]) << i;
        EXPECT_FLOAT_EQ(c[i].Y, expected[i][1]) << i;
    }
    // Setting it again replaces the points; a radius of 0 (the first instant of the drag) or
    // a broken one puts every point on the centre.
    for (double r : {0.0, -5.0, std::numeric_limits<double>::quiet_NaN()}) {
        SetCircle(c, 100, 200, r);
        ASSERT_EQ(c.Count(), 7);
        for (const TSP& p : c)
            EXPECT_TRUE(p.X == 100 && p.Y == 200) << r;
    }
}

TEST(Circle, TwoArcsStartAtTheRightmostPointAndCloseExactly) {
    TSLCurve c;
    BuildCircle(c, 500, 400, 200, 2, 0);
    ASSERT_EQ(c.Count(), 7);
    EXPECT_NEAR(c[0].X, 700, 1e-3);
    EXPECT_NEAR(c[0].Y, 400, 1e-3);
    EXPECT_NEAR(c[3].X, 300, 1e-3) << "the second anchor is the leftmost point";
    EXPECT_NEAR(c[3].Y, 400, 1e-3);
    EXPECT_EQ(c[6].X, c[0].X);
    EXPECT_EQ(c[6].Y, c[0].Y);
    // The half circle's arm: r (1 + 1 / 3.5), close to the 4r/3 of the default circle.
    const double arm = Distance(c[0].X, c[0].Y, c[1].X, c[1].Y);
    EXPECT_NEAR(arm, 200 * (1 + 1 / 3.5), 1e-3);
    EXPECT_NEAR(arm / (200 * 4.0 / 3.0), 1.0, 0.04);
    // From the rightmost point the path runs clockwise as drawn: down first (Y grows).
    EXPECT_NEAR(c[1].X, 700, 1e-3);
    EXPECT_GT(c[1].Y, 400);
    EXPECT_EQ(c.StitchType(), ST_NONE);
}

TEST(Circle, SixArcsHaveNineteenPointsWithAnchorsSixtyDegreesApart) {
    TSLCurve c;
    BuildCircle(c, 0, 0, 300, 6, 0);
    ASSERT_EQ(c.Count(), 19);
    EXPECT_EQ(c.SegmentCount(), 6);
    for (int i = 0; i < 6; ++i) {
        const TSP& a = c[3 * i];
        const TSP& b = c[3 * i + 3];
        EXPECT_NEAR(DistanceTo(a, 0, 0), 300, 1e-3);
        double step = AngleAround(0, 0, b.X, b.Y) - AngleAround(0, 0, a.X, a.Y);
        if (step < 0) step += 2 * Pi;
        EXPECT_NEAR(step, Pi / 3, 1e-5) << i;
    }
    // Offset 0: the first anchor sits half a sweep past the top.
    EXPECT_NEAR(AngleAround(0, 0, c[0].X, c[0].Y), Pi / 6, 1e-5);
}

TEST(Circle, ControlPointsLieOnTheTangentsBeyondTheirCrossing) {
    // The tangent construction with the line functions: at P0 and at the arc's middle M the
    // tangents are perpendicular to the radii; C1 lies on the ray P0 -> T1, |P0 T1| + e from P0.
    for (int n : {2, 3, 5, 6, 12, 40}) {
        for (double offset : {0.0, 33.0, -120.0}) {
            const double r = 250, cx = 40, cy = -70;
            TSLCurve c;
            BuildCircle(c, cx, cy, r, n, offset);
            const double sweep = 2 * Pi / n;
            const double start = offset * DegToRad + sweep / 2;
            auto at = [&](double a) { return TPointD{cx + r * std::sin(a), cy - r * std::cos(a)}; };
            const TPointD p0 = at(start), m = at(start + sweep / 2);
            TKvLine radius0(cx, cy, p0.X, p0.Y), radiusM(cx, cy, m.X, m.Y), t0, tm;
            radius0.MakePerpendicular(t0, 0, 100, p0.X, p0.Y);
            radiusM.MakePerpendicular(tm, 0, 100, m.X, m.Y);
            TPointD t1;
            ASSERT_TRUE(t0.Intersect(tm, t1)) << n;
            const double e = r * sweep / (3.5 * Pi);
            const double reach = Distance(p0.X, p0.Y, t1.X, t1.Y) + e;
            const TPointD want{p0.X + (t1.X - p0.X) * reach / Distance(p0.X, p0.Y, t1.X, t1.Y),
                               p0.Y + (t1.Y - p0.Y) * reach / Distance(p0.X, p0.Y, t1.X, t1.Y)};
            EXPECT_NEAR(c[1].X, want.X, 0.05) << "n " << n << " offset " << offset;
            EXPECT_NEAR(c[1].Y, want.Y, 0.05) << "n " << n << " offset " << offset;
        }
    }
}

TEST(Circle, EveryCircleStaysOnItsRadius) {
    // Invariants over radii, counts and offsets: anchors on the circle, control points no
    // farther out than the arm's bulge, the path within a small tolerance of the radius (the
    // two-arc circle bulges most), a closed path of 3n + 1 points.
    for (double r : {20.0, 137.5, 2000.0, 20000.0}) {
        for (int n : {2, 3, 4, 6, 7, 13, 40}) {
            for (double offset : {0.0, 17.3, -90.0, 359.0}) {
                const double cx = 1234.5, cy = -678.25;
                TSLCurve c;
                BuildCircle(c, cx, cy, r, n, offset);
                ASSERT_EQ(c.Count(), 3 * n + 1);
                EXPECT_EQ(c[0].X, c[3 * n].X);
                EXPECT_EQ(c[0].Y, c[3 * n].Y);
                const double bulge = std::hypot(r, Arm(r, n));
                for (int i = 0; i < c.Count(); ++i) {
                    const double d = DistanceTo(c[i], cx, cy);
                    if (i % 3 == 0)
                        EXPECT_NEAR(d, r, 2e-3 + r * 1e-6) << "anchor " << i;
                    else
                        EXPECT_LE(d, bulge + 1e-2) << "control " << i;
                }
                c.Flatten();
                const double tolerance = n == 2 ? 0.036 : 0.003;
                EXPECT_LE(WorstPathError(c, cx, cy, r), tolerance)
                    << "r " << r << " n " << n << " offset " << offset;
            }
        }
    }
}

TEST(Circle, OutOfRangeArgumentsNeverReachTheArcs) {
    struct Case {
        double r;
        int n;
        double offset;
        double wantR;
        int wantN;
    } cases[] = {
        {0, 2, 0, CIRCLE_RADIUS_MIN, 2},
        {-50, 6, 0, CIRCLE_RADIUS_MIN, 6},
        {std::numeric_limits<double>::quiet_NaN(), 6, 0, CIRCLE_RADIUS_MIN, 6},
        {std::numeric_limits<double>::infinity(), 6, 0, CIRCLE_RADIUS_MIN, 6},
        {1e9, 6, 0, CIRCLE_RADIUS_MAX, 6},
        {100, 0, 0, 100, CIRCLE_SEGMENTS_MIN},
        {100, 1, 0, 100, CIRCLE_SEGMENTS_MIN},
        {100, -7, 0, 100, CIRCLE_SEGMENTS_MIN},
        {100, 1000, 0, 100, CIRCLE_SEGMENTS_MAX},
        {100, 6, std::numeric_limits<double>::quiet_NaN(), 100, 6},
    };
    for (const Case& k : cases) {
        TSLCurve c;
        BuildCircle(c, 10, 10, k.r, k.n, k.offset);
        ASSERT_EQ(c.Count(), 3 * k.wantN + 1) << k.r << " " << k.n;
        for (int i = 0; i < c.Count(); i += 3) {
            ASSERT_TRUE(std::isfinite(c[i].X) && std::isfinite(c[i].Y));
            EXPECT_NEAR(DistanceTo(c[i], 10, 10), k.wantR, k.wantR * 1e-5) << k.r << " " << k.n;
        }
    }
}

TEST(Circle, RebuildingKeepsTheObjectAndDropsStitchingThatNoLongerFits) {
    TSLCurve c;
    BuildCircle(c, 0, 0, 100, 2, 0);
    c.Flags |= OF_SELECTED_EDIT | OF_RUNNING | OF_VISIBLE;
    c.Outlines = TOutlineList::MakeDefault(c.AnchorCount());
    c.SetStitchTypeBits(ST_SATIN);
    c.GroupId = 3;
    c.EntryIndex = 50;
    const TSLCurve* before = &c;
    BuildCircle(c, 0, 0, 100, 6, 0);
    EXPECT_EQ(&c, before);
    EXPECT_EQ(c.Count(), 19);
    EXPECT_TRUE(c.Outlines == nullptr) << "the profile had a section per old anchor";
    EXPECT_EQ(c.StitchType(), ST_NONE);
    EXPECT_FALSE(c.Flags & (OF_RUNNING | OF_VISIBLE));
    EXPECT_TRUE(c.Flags & OF_SELECTED_EDIT);
    EXPECT_EQ(c.GroupId, 3);
    BuildCircle(c, 0, 0, 100, 2, 0);
    EXPECT_LE(c.EntryIndex, c.LastSample());
}

TEST(Circle, SegmentLinesRadiateFromTheCentre) {
    struct Case {
        int i, n;
        double offset, length, from, bearingDeg;
    } cases[] = {
        {0, 6, 0, 100, 0, 30},   {1, 6, 0, 100, 0, 90},    {5, 6, 0, 100, 0, 330}, {0, 2, 0, 80, 0, 90},
        {0, 6, 15, 100, 40, 45}, {3, 4, -45, 60, 10, 270}, {0, 40, 0, 10, 0, 4.5},
    };
    for (const Case& k : cases) {
        auto [a, b] = SegmentLineEnds(50, 60, k.i, k.n, k.offset, k.length, k.from);
        EXPECT_NEAR(Distance(50, 60, a.X, a.Y), k.from, 1e-9);
        EXPECT_NEAR(Distance(a.X, a.Y, b.X, b.Y), k.length, 1e-9);
        EXPECT_NEAR(AngleAround(50, 60, b.X, b.Y), k.bearingDeg * DegToRad, 1e-9) << k.i << "/" << k.n;
    }
    TSLCurve line;
    SetStraightSegment(line, {0, 0}, {90, 30});
    ASSERT_EQ(line.Count(), 4);
    EXPECT_FLOAT_EQ(line[1].X, 30);
    EXPECT_FLOAT_EQ(line[2].Y, 20);
    EXPECT_FLOAT_EQ(line[3].X, 90);
}

TEST(Circle, ACircleAndItsPartsKeepTheirShapeAndMarkThroughARecord) {
    TSLCurve circle, ring;
    BuildCircle(circle, 300, 200, 150, 6, 10);
    SetCircle(ring, 300, 200, 200);
    ring.StitchFlags |= SF_CIRCLE_PART;
    for (const TSLCurve* c : {&circle, &ring}) {
        TByteWriter w;
        TRecordContext ctx;
        WriteObjectRecord(w, *c, ctx);
        const std::vector<uint8_t> bytes = w.Take();
        TByteReader r(bytes);
        auto back = ReadObjectRecord(r, ctx);
        ASSERT_TRUE(back && back->Kind() == KIND_CURVE);
        EXPECT_EQ(back->StitchFlags, c->StitchFlags);
        ASSERT_EQ(back->Count(), c->Count());
        for (int32_t i = 0; i < c->Count(); ++i) {
            EXPECT_EQ((*back)[i].X, (*c)[i].X);
            EXPECT_EQ((*back)[i].Y, (*c)[i].Y);
        }
    }
}
