#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "TestShapes.h"
#include "regions/FillGen.h"
#include "regions/RgnTable.h"
#include "regions/SLRegion.h"

using namespace nl;
using namespace nl::test;

TEST(FillRaster, WidthRoundingAndScansBoundedByRow) {
    TFillRaster r;
    TKvRect b;
    b.Set(0, 0, 87, 10); // R - L + 9 = 96: 3 words of 32 with an odd quotient widen to 4
    ASSERT_TRUE(r.Prepare(b, 0));
    EXPECT_EQ(r.Width(), 128);
    EXPECT_EQ(r.Height(), 19);
    // The frame rows are all set: every scan ends at the row's edge.
    EXPECT_EQ(r.SkipSet(0, 0), r.Width());
    EXPECT_EQ(r.RunRight(5, 1), r.Width() - 2);
    EXPECT_EQ(r.RunLeft(5, 60), 1);
    r.Mark(5, 70);
    EXPECT_EQ(r.Claim(5, 10), 69);
    EXPECT_TRUE(r.IsSet(5, 40));
    EXPECT_EQ(r.SkipSet(5, 10), 71);
    EXPECT_EQ(r.RunLeft(5, 100), 71);
    EXPECT_EQ(r.RunsLeft(6, 50), 1);
    EXPECT_EQ(r.RunsRight(6, 50), 1);
    // A huge region is refused rather than allocated.
    b.Set(0, 0, 2000000, 2000000);
    EXPECT_FALSE(r.Prepare(b, 0));
}

TEST(FillRaster, RowTable) {
    TRowTable t;
    t.Build(100, 40, 0); // spacing 5 units
    EXPECT_EQ(t.Count(), 21);
    EXPECT_EQ(t[3], 15);
    EXPECT_EQ(t.RowAfter(15), 4);
    EXPECT_EQ(t.RowAfter(1000), 19); // none greater: last index minus one
    TRowTable one;
    one.Build(1, 10, 0);
    EXPECT_EQ(one.Count(), 1);
    EXPECT_EQ(one.RowAfter(5), 0); // never -1
}

TEST(FillRaster, FindInteriorAvoidsTheHoleOfARing) {
    TFillRaster r;
    ASSERT_TRUE(r.Allocate(64, 64));
    std::vector<double> ox{5, 58, 58, 5}, oy{5, 5, 58, 58}, ix{25, 38, 38, 25}, iy{25, 25, 38, 38};
    r.Polyline(ox, oy, true);
    r.Polyline(ix, iy, true);
    int32_t x = 31, y = 31; // inside the hole
    ASSERT_TRUE(r.FindInterior(x, y));
    EXPECT_TRUE(x < 25 || x > 38 || y < 25 || y > 38) << x << "," << y;
    int32_t fx = INT32_MIN, fy = 5; // far outside: nothing to find, nothing overflows
    EXPECT_FALSE(r.FindInterior(fx, fy));
    EXPECT_EQ(fx, INT32_MIN);
    int32_t px = 15, py = 15; // inside the ring: moves by one pixel
    ASSERT_TRUE(r.FindInterior(px, py));
    EXPECT_LE(std::abs(px - 15) + std::abs(py - 15), 2);
}

TEST(SpanTree, ExitOutsideFailsAndDeepNestingDoesNotRecurse) {
    TFillRaster r;
    ASSERT_TRUE(r.Allocate(64, 64));
    TRowTable t;
    t.Build(64, 40, 0);
    TGrowParams gp;
    gp.Rows = &t;
    TSpanTree tree;
    int32_t left = r.RunLeft(30, 30), right = r.Claim(30, left);
    EXPECT_FALSE(tree.Grow(r, gp, 30, left, right, t.RowAfter(30), -1));

    // A staircase of walls: each wall splits the rightmost part off as a child of the part before,
    // so the tree nests once per wall.
    const int32_t walls = 2000, w = 2 * walls + 24, h = 2 * walls + 24;
    TFillRaster s;
    ASSERT_TRUE(s.Allocate(w, h));
    s.Polyline({3, w - 4.0, w - 4.0, 3}, {3, 3, h - 4.0, h - 4.0}, true);
    for (int32_t i = 0; i < walls; ++i)
        s.Line(6 + 2 * i, 6 + 2 * i, 6 + 2 * i, h - 4);
    TRowTable st;
    st.Build(h, 10, 0);
    gp.Rows = &st;
    int32_t y0 = 4, l = s.RunLeft(y0, 30), rr = s.Claim(y0, l);
    TSpanTree up, down;
    ASSERT_TRUE(up.Grow(s, gp, y0, l, rr, st.RowAfter(y0), -1));
    ASSERT_TRUE(down.Grow(s, gp, y0, l, rr, st.RowAfter(y0), +1));
    EXPECT_GE(down.Nodes.size(), static_cast<size_t>(walls));
    std::vector<TSP> out;
    WalkSpanTree(down, ST_TATAMI, true, 40, 20, out);
    EXPECT_GT(out.size(), static_cast<size_t>(walls));
}

namespace {
// A tree of one node with n rows of [10, 90] on rows 0, 10, 20...
TSpanTree Rows(int32_t n) {
    TSpanTree t;
    t.Nodes.emplace_back();
    for (int32_t i = 0; i < n; ++i) {
        t.Nodes[0].Rows.push_back({10, static_cast<float>(10 * i), SP_BOUNDARY});
        t.Nodes[0].Rows.push_back({90, static_cast<float>(10 * i), SP_BOUNDARY});
    }
    return t;
}
// The boundary points in emission order, as "x@row".
std::vector<std::pair<float, float>> Ends(const std::vector<TSP>& out) {
    std::vector<std::pair<float, float>> v;
    for (const TSP& p : out)
        if ((p.Flags & SP_BOUNDARY) && !(p.Flags & SP_UNDER)) v.push_back({p.X, p.Y});
    return v;
}
} // namespace

TEST(TreeWalk, EmissionPatterns) {
    using V = std::vector<std::pair<float, float>>;
    struct Case {
        uint32_t type;
        bool nearLeft;
        int32_t rows;
        V expected;
    } cases[] = {
        // Tatami, near left, 4 rows: L->R, R->L, L->R, R->L from the last row, ending left on row 0.
        {ST_TATAMI, true, 4, {{10, 30}, {90, 30}, {90, 20}, {10, 20}, {10, 10}, {90, 10}, {90, 0}, {10, 0}}},
        // Satin, near right: every row left to right.
        {ST_SATIN, false, 3, {{10, 20}, {90, 20}, {10, 10}, {90, 10}, {10, 0}, {90, 0}}},
        // Zigzag, near left, 3 rows (pattern 6): left of row 2, right of row 1, left of row 0.
        {ST_ZIGZAG, true, 3, {{10, 20}, {90, 10}, {10, 0}}},
    };
    for (auto& c : cases) {
        auto t = Rows(c.rows);
        std::vector<TSP> out;
        WalkSpanTree(t, c.type, c.nearLeft, 0, 20, out);
        EXPECT_EQ(Ends(out), c.expected) << c.type;
    }
}

TEST(PitchSplit, StaggerWorkedExample) {
    // R = 20, P = 40, offset A 60 % (24 units), right-going row at y = 101 from x = 10 to 130.
    auto pts = PitchSplit(TSP::Plain(0, 10, 101), TSP::Plain(0, 130, 101), 40, 20, 24, 24);
    ASSERT_EQ(pts.size(), 3u);
    EXPECT_EQ(pts[0].X, 42);
    EXPECT_EQ(pts[1].X, 82);
    EXPECT_EQ(pts[2].X, 122);
    for (auto& p : pts)
        EXPECT_EQ(p.Flags, SP_FILL);
    // Offset 0 puts every row on the same grid; left-going rows come out in decreasing x.
    auto l = PitchSplit(TSP::Plain(0, 130, 57), TSP::Plain(0, 10, 57), 40, 20, 0, 0);
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[0].X, 120);
    EXPECT_EQ(l[2].X, 40);
    // Split Pitch (offB = -offA) staggers the return rows the other way.
    auto a = PitchSplit(TSP::Plain(0, 0, 51), TSP::Plain(0, 200, 51), 40, 20, 8, -8);
    auto b = PitchSplit(TSP::Plain(0, 200, 51), TSP::Plain(0, 0, 51), 40, 20, 8, -8);
    EXPECT_EQ(a[0].X, 1);      // o = nearest(0.1 x 51 x 8) = 41
    EXPECT_EQ(b.back().X, 39); // o = -41, remainder -1
    // A pitch below one unit never splits (and never loops).
    EXPECT_TRUE(PitchSplit(TSP::Plain(0, 0, 0), TSP::Plain(0, 100, 0), 0, 20, 0, 0).empty());
}

TEST(Resample, ShortTravelDroppedAndNearStepKept) {
    auto xsOf = [](std::vector<float> in) {
        std::vector<TSP> v;
        for (float x : in)
            v.push_back(TSP::Plain(0, x, 0));
        ResamplePoints(v, SP_UNDER, 0, 20);
        std::vector<float> xs;
        for (auto& p : v)
            xs.push_back(p.X);
        return xs;
    };
    using F = std::vector<float>;
    EXPECT_EQ(xsOf({0, 21, 40}), (F{0, 21, 40})); // within R - 1 .. R + 2: single stitches
    EXPECT_EQ(xsOf({0, 5, 25}), (F{0, 20, 25}));  // 5 is dropped; the last point always stays
    EXPECT_EQ(xsOf({0, 10, 30, 51, 100}), (F{0, 20, 40, 60, 80, 100}));
    std::vector<TSP> w{TSP::Plain(0, 0, 0), TSP::Plain(0, 1000, 0)};
    ResamplePoints(w, SP_UNDER, 0, 0); // a step below 1 is skipped
    EXPECT_EQ(w.size(), 2u);
}

TEST(Inset, RepeatedPointsAndZeroMargin) {
    std::vector<std::pair<double, double>> sq{{0, 0}, {0, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 0}};
    auto same = InsetPolygonForTest(sq, 0);
    EXPECT_EQ(same.size(), 4u);
    auto in = InsetPolygonForTest(sq, 10);
    ASSERT_EQ(in.size(), 4u);
    for (auto [x, y] : in) {
        EXPECT_TRUE(std::isfinite(x) && std::isfinite(y));
        EXPECT_GT(x, 0);
        EXPECT_LT(x, 100);
    }
}

TEST(RegionFill, SquareTatamiWithAndWithoutUnderlay) {
    auto sq = ClosedOutline(Square(0, 0, 400));
    auto r = RegionOn(*sq);
    r->RegenerateFill({});
    ASSERT_TRUE(r->FillStitches);
    const TSLStitch& f = *r->FillStitches;
    ASSERT_GT(f.Count(), 100);
    EXPECT_TRUE(f[0].IsColourPoint());
    EXPECT_EQ(f[0].GetColour(), r->FillColor);
    EXPECT_TRUE(f.Flags & OF_NEEDLE_POINTS);
    for (const TSP& p : f) {
        EXPECT_GE(p.X, -2);
        EXPECT_LE(p.X, 402);
        EXPECT_GE(p.Y, -2);
        EXPECT_LE(p.Y, 402);
    }
    // Rows are 200 / 45 units apart: about 90 rows over 400 units.
    int rowsEnds = 0;
    for (const TSP& p : f)
        rowsEnds += (p.Flags & SP_BOUNDARY) ? 1 : 0;
    EXPECT_NEAR(rowsEnds, 2 * 91, 10);
    int32_t plain = f.Count();

    r->StitchFlags |= RSF_USE_UNDERLAY;
    r->RegenerateFill({});
    int underlay = 0;
    for (const TSP& p : *r->FillStitches)
        underlay += (p.Flags & SP_UNDERLAY) ? 1 : 0;
    EXPECT_GT(underlay, 10);
    EXPECT_GT(r->FillStitches->Count(), plain);
    EXPECT_TRUE((*r->FillStitches)[0].IsColourPoint());

    // A different direction changes the fill.
    r->Rotation = 45;
    r->RegenerateFill({});
    EXPECT_GT(r->FillStitches->Count(), 100);
}

TEST(RegionFill, DegenerateAttributesGiveEmptyOrBoundedFill) {
    auto sq = ClosedOutline(Square(0, 0, 300));
    struct Case {
        const char* name;
        void (*apply)(TSLRegion&);
        bool empty;
    } cases[] = {
        {"density 0", [](TSLRegion& r) { r.Density = 0; }, true},
        {"density 9", [](TSLRegion& r) { r.Density = 9; }, true},
        {"negative density", [](TSLRegion& r) { r.Density = -5; }, true},
        {"pitch 0", [](TSLRegion& r) { r.Pitch = 0; }, false},
        {"running length 0", [](TSLRegion& r) { r.RunLength = 0; }, false},
        {"exit outside",
         [](TSLRegion& r) {
             r.DeriveEntryExit = false;
             r.ExitX = -5000;
             r.ExitY = -5000;
         },
         true},
        {"exit far away",
         [](TSLRegion& r) {
             r.DeriveEntryExit = false;
             r.ExitX = 1e12;
             r.EntryY = -1e12;
         },
         true},
        {"huge density", [](TSLRegion& r) { r.Density = 2000000000; }, false},
    };
    for (auto& c : cases) {
        auto r = RegionOn(*sq);
        c.apply(*r);
        r->StitchFlags |= RSF_USE_UNDERLAY;
        r->UnderDensity = 0; // an empty underlay must not lose the colour
        r->RegenerateFill({});
        ASSERT_TRUE(r->FillStitches) << c.name;
        EXPECT_EQ(r->FillStitches->Empty(), c.empty) << c.name;
        if (!r->FillStitches->Empty()) {
            EXPECT_EQ((*r->FillStitches)[0].GetColour(), r->FillColor) << c.name;
        }
    }
}

TEST(RegionFill, RestitchAndStitchesHook) {
    auto sq = ClosedOutline(Square(0, 0, 200));
    auto r = RegionOn(*sq);
    Restitch(*r, {});
    ASSERT_NE(r->Stitches(), nullptr);
    EXPECT_GT(r->Stitches()->Count(), 10);
    float x, y;
    EXPECT_EQ(r->GetStartStitch(x, y), r->FillColor);
    r->Flags &= ~OF_VISIBLE;
    Restitch(*r, {});
    EXPECT_EQ(r->Stitches(), nullptr);
    EXPECT_EQ(r->UsedOutlines().size(), 1u);
}

TEST(RegionFill, CompensationExtendsRowEndsOnTheChosenSides) {
    auto sq = ClosedOutline(Square(0, 0, 300));
    auto r = RegionOn(*sq);
    r->Compensation = 1; // 20 units
    TStitchContext out;
    out.ForExport = true;
    auto extent = [&](const TStitchContext& ctx) {
        r->Regenerate(ctx);
        float lo = 1e9f, hi = -1e9f;
        for (const TSP& p : *r->FillStitches) {
            lo = std::min(lo, p.X);
            hi = std::max(hi, p.X);
        }
        return std::make_pair(lo, hi);
    };
    TStitchContext hidden;
    hidden.View.ShowCompensation = false;
    auto [plainLo, plainHi] = extent(hidden);
    auto [lo, hi] = extent(out);
    EXPECT_NEAR(plainLo - lo, 20, 1.5);
    EXPECT_NEAR(hi - plainHi, 20, 1.5);
    r->StitchFlags &= ~SF_B_SIDE;
    auto [aLo, aHi] = extent(out);
    EXPECT_NEAR(plainLo - aLo, 20, 1.5);
    EXPECT_NEAR(aHi, plainHi, 1.5);
}

TEST(RegionFill, StartsAtTheEntryAndEndsAtTheExit) {
    auto sq = ClosedOutline(Square(0, 0, 400));
    auto r = RegionOn(*sq);
    r->SetEntryExit(0, 60, 0, 10, {}); // entry on the bottom edge, exit on the top edge
    ASSERT_TRUE(r->FillStitches);
    const TSLStitch& f = *r->FillStitches;
    ASSERT_GT(f.Count(), 10);
    // The running path from the entry comes first; it starts on the entry row (its x follows the
    // path's sine shape, not the entry point itself).
    EXPECT_TRUE(f[1].Flags & SP_RETURN);
    EXPECT_NEAR(f[0].Y, r->EntryY, 6);
    EXPECT_NEAR(f.Last()->Y, r->ExitY, 6);
    for (const TSP& p : f) {
        EXPECT_GE(p.Y, -1);
        EXPECT_LE(p.Y, 401);
    }
}

TEST(RegionModel, BoundaryHitAgreesWithBoundaryPoint) {
    auto sq = ClosedOutline(Square(0, 0, 400));
    auto r = RegionOn(*sq);
    for (double pct : {5.0, 37.5, 80.0}) {
        double x, y, distance;
        int32_t node;
        r->BoundaryPoint(0, pct, x, y);
        ASSERT_TRUE(r->HitBoundary(x, y, 0.5, node, distance)) << pct;
        EXPECT_EQ(node, 0);
        EXPECT_NEAR(distance / r->Node(0).SegmentLength * 100, pct, 0.2);
    }
    int32_t node;
    double distance;
    EXPECT_FALSE(r->HitBoundary(200, 200, 3, node, distance));
}

TEST(RegionFill, HoleAndOverlaySeamsAreCalled) {
    auto sq = ClosedOutline(Square(0, 0, 400));
    auto r = RegionOn(*sq);
    r->Flags |= OF_ALLOW_HOLES;
    int pierced = 0;
    TStitchContext ctx;
    ctx.DrawRegionHoles = [](const TSLRegion&, TFillRaster& ras, bool) {
        std::vector<double> xs, ys;
        for (auto [x, y] : Square(150, 150, 100)) {
            double rx, ry;
            ras.ToRaster(x, y, rx, ry);
            xs.push_back(rx);
            ys.push_back(ry);
        }
        ras.Polyline(xs, ys, true);
    };
    ctx.PierceRegionOverlays = [&](const TSLRegion&, TSLStitch&) { ++pierced; };
    r->Regenerate(ctx);
    EXPECT_EQ(pierced, 1);
    for (const TSP& p : *r->FillStitches)
        if (!(p.Flags & SP_UNDER)) {
            EXPECT_FALSE(p.X > 155 && p.X < 245 && p.Y > 155 && p.Y < 245) << p.X << "," << p.Y;
        }
    r->Flags |= OF_NO_OVERLAYS;
    r->Regenerate(ctx);
    EXPECT_EQ(pierced, 1);
}

namespace {
// The fill pass of the triangle (0,0) (800,0) (400,150) before the stitch length limits, with the
// pitch offsets at 0 so that every split point of every row and turn lies on one grid: x a
// multiple of the pitch in the raster frame, which with no rotation is a fixed shift of x.
struct TTriangleFill {
    std::vector<TSP> Points;
    size_t Nodes = 0;
};
TTriangleFill TriangleFill(int32_t tatamiMin, uint32_t extraFlags) {
    static auto tri = ClosedOutline({{0, 0}, {800, 0}, {400, 150}});
    auto r = RegionOn(*tri);
    r->PitchOffsets = 0;
    r->TatamiMin = tatamiMin;
    r->StitchFlags |= extraFlags;
    TFillStats stats;
    auto list = RunFillPass(*r, false, {}, &stats);
    return {list->Raw(), stats.TreeNodes};
}
// The split points whose x is off the grid of the first one.
int OffGrid(const std::vector<TSP>& pts, int32_t pitch) {
    double phase = -1;
    int off = 0;
    for (const TSP& p : pts) {
        if (!(p.Flags & SP_FILL)) continue;
        double m = std::fmod(std::fmod(static_cast<double>(p.X), pitch) + pitch, pitch);
        if (phase < 0) phase = m;
        if (std::fabs(m - phase) > 1e-3) ++off;
    }
    return off;
}
// The rows of a fill in stitching order: the row points (not travel) on each row's y. Rows lie
// on whole raster lines; the split points of the turns between rows lie between them.
std::vector<std::vector<TSP>> RowsOf(const std::vector<TSP>& pts, const std::vector<float>& ys) {
    std::vector<std::vector<TSP>> rows(ys.size());
    for (const TSP& p : pts) {
        if (p.Flags & SP_UNDER) continue;
        auto it = std::find(ys.begin(), ys.end(), p.Y);
        if (it != ys.end()) rows[static_cast<size_t>(it - ys.begin())].push_back(p);
    }
    return rows;
}
float Towards(float from, float to, float T) {
    return std::fabs(from - to) <= T ? to : from + (to > from ? T : -T);
}
} // namespace

TEST(RegionFill, TurnRuleAndBackToStitchMoveTheRowStartOnASlantedEdge) {
    const float T = 10;
    const int32_t P = 40;
    const TTriangleFill plain = TriangleFill(0, 0);
    EXPECT_EQ(OffGrid(plain.Points, P), 0);
    std::vector<float> ys;
    for (const TSP& p : plain.Points)
        if ((p.Flags & SP_BOUNDARY) && !(p.Flags & SP_UNDER) &&
            std::find(ys.begin(), ys.end(), p.Y) == ys.end())
            ys.push_back(p.Y);
    const auto before = RowsOf(plain.Points, ys);
    ASSERT_GT(ys.size(), 20u);
    const size_t rows = ys.size();

    struct Case {
        const char* name;
        uint32_t flags;
        size_t acting; // rows the rule must act on, at least
    } cases[] = {
        // Type 1 leaves the first pair of each node alone; type 2 acts on every other pair.
        {"turn type 1", 0, rows - plain.Nodes},
        {"turn type 2", RSF_TURN_TYPE_2, rows / 2 - plain.Nodes},
        {"back to stitch type 1", RSF_BACK_TO_STITCH, rows - plain.Nodes},
        {"back to stitch type 2", RSF_BACK_TO_STITCH | RSF_TURN_TYPE_2, rows / 2 - plain.Nodes},
    };
    for (const Case& c : cases) {
        const TTriangleFill got = TriangleFill(static_cast<int32_t>(T), c.flags);
        EXPECT_EQ(OffGrid(got.Points, P), 0) << c.name << ": a split point left the pitch grid";
        const auto after = RowsOf(got.Points, ys);
        const bool type2 = c.flags & RSF_TURN_TYPE_2, back = c.flags & RSF_BACK_TO_STITCH;
        size_t acted = 0;
        for (size_t r = 0; r < rows; ++r) {
            const std::vector<TSP>& was = before[r];
            const std::vector<TSP>& is = after[r];
            ASSERT_GE(was.size(), 2u);
            ASSERT_GE(is.size(), 1u) << c.name << " row " << r;
            const TSP &p = was.front(), &q = was.back();
            const bool split = was.size() > 2;
            if (is.front().X == p.X && is.back().X == q.X) continue; // a pair the rule leaves alone
            ++acted;
            if (back && split) {
                // The row start goes (type 2: the row end too); the split points next to them
                // become the row's ends.
                EXPECT_EQ(is.front().X, was[1].X) << c.name << " row " << r;
                EXPECT_TRUE(is.front().Flags & SP_BOUNDARY) << c.name << " row " << r;
                EXPECT_EQ(is.back().X, type2 ? was[was.size() - 2].X : q.X) << c.name << " row " << r;
                EXPECT_EQ(is.size(), was.size() - (type2 ? 2 : 1)) << c.name << " row " << r;
            } else if (!type2) {
                EXPECT_EQ(is.front().X, Towards(p.X, q.X, T)) << c.name << " row " << r;
                EXPECT_EQ(is.back().X, q.X) << c.name << " row " << r;
            } else {
                const float mid = (p.X + q.X) / 2;
                EXPECT_EQ(is.front().X, 2 * T >= std::fabs(p.X - q.X) ? mid : Towards(p.X, q.X, T))
                    << c.name << " row " << r;
                EXPECT_EQ(is.back().X, 2 * T >= std::fabs(p.X - q.X) ? mid : Towards(q.X, p.X, T))
                    << c.name << " row " << r;
            }
        }
        EXPECT_GE(acted, c.acting) << c.name;
    }
}

TEST(RegionFill, UnderlayStaysInsideTheRegionWhateverTheMargin) {
    // The triangle's inscribed circle is about 7 mm across and its corners are sharp: wide
    // margins move inset corners across the opposite edge or turn the inset polygon inside out.
    // The underlay then shrinks or goes, and never leaves the region.
    auto tri = ClosedOutline({{0, 0}, {800, 0}, {400, 150}});
    auto inside = [](const TSP& p) {
        // Within 3 units of the triangle.
        const double x = p.X, y = p.Y;
        return y >= -3 && y <= 3 + 150.0 * (x <= 400 ? x / 400 : (800 - x) / 400) + 3 && x >= -3 && x <= 803;
    };
    for (double margin : {0.0, 20.0, 60.0, 100.0, 300.0, 800.0}) {
        for (float rotation : {0.f, 30.f, 90.f}) {
            auto r = RegionOn(*tri);
            r->StitchFlags |= RSF_USE_UNDERLAY;
            r->UnderMargin = margin;
            r->UnderRotation = rotation;
            r->RegenerateFill({});
            ASSERT_TRUE(r->FillStitches);
            int underlay = 0;
            for (const TSP& p : *r->FillStitches) {
                if (!(p.Flags & SP_UNDERLAY)) continue;
                ++underlay;
                EXPECT_TRUE(inside(p))
                    << "margin " << margin << " rotation " << rotation << ": (" << p.X << ", " << p.Y << ")";
            }
            if (margin == 0) {
                EXPECT_GT(underlay, 10) << rotation;
            }
        }
    }
}

TEST(RegionFill, ProgStitchPatternTakesThePlaceOfThePitchSplitOnTheRowsOnly) {
    // A 600 x 600 square, pitch 60, rows along X; the pattern is one line across the rows in the
    // middle of a 200-unit tile, so the rows are pierced where x = 100, 300 and 500.
    auto sq = ClosedOutline(Square(0, 0, 600));
    auto r = RegionOn(*sq);
    r->Pitch = 60;
    r->RegenerateFill({});
    ASSERT_TRUE(r->FillStitches);
    int32_t split = 0;
    for (const TSP& p : *r->FillStitches)
        split += (p.Flags & SP_FILL) != 0;
    ASSERT_GT(split, 500) << "without a pattern the rows are split at the pitch";
    auto pattern = std::make_unique<TObjectStitch>();
    pattern->Flags |= TObjectStitch::PATTERN_COPY;
    auto line = std::make_unique<TSLStitch>();
    line->Append(TSP::Plain(0, 100, 0));
    line->Append(TSP::Plain(0, 100, 200));
    pattern->Items.emplace_back(std::move(line));
    r->FillPattern = TDeepPtr<TObjectStitch>(std::move(pattern));
    r->StitchFlags |= SF_PROG_STITCH;
    r->RegenerateFill({});
    const TSLStitch& f = *r->FillStitches;
    int32_t pierced = 0;
    for (int32_t i = 1; i + 1 < f.Count(); ++i) {
        const TSP& p = f[i];
        if (!(p.Flags & SP_FILL)) continue;
        ++pierced;
        // On the pattern's line, and on a row (the travel runs and the entry path cross the rows).
        const double x = p.X - r->Bounds.Left;
        EXPECT_NEAR(std::remainder(x - 100.0, 200.0), 0.0, 0.5) << i << ": " << p.X << "," << p.Y;
        EXPECT_NEAR(p.Y, f[i - 1].Y, 0.5) << i;
        EXPECT_NEAR(p.Y, f[i + 1].Y, 0.5) << i;
    }
    // Three crossings a row, about 135 rows.
    EXPECT_NEAR(pierced, 3 * 135, 30);
}
