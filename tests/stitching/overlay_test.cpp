// Programmable stitch overlays: tile enumeration, crossing insertion, tiled and matched piercing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "core/Numeric.h"
#include "stitching/Overlay.h"

using namespace nl;

namespace {
// A pattern copy of one 200 x 200 tile holding the given polylines.
TObjectStitch Pattern(const std::vector<std::vector<std::pair<float, float>>>& lines, int32_t w = 200,
                      int32_t h = 200) {
    TObjectStitch p;
    p.Flags |= TObjectStitch::PATTERN_COPY;
    p.PatternWidth = w;
    p.PatternHeight = h;
    p.Bounds.Set(0, 0, 799, 799);
    for (const auto& line : lines) {
        auto item = std::make_unique<TSLStitch>();
        for (auto [x, y] : line)
            item->Append(TSP::Plain(0, x, y));
        p.Items.emplace_back(std::move(item));
    }
    return p;
}

TSLStitch Stitches(const std::vector<std::pair<float, float>>& pts) {
    TSLStitch s;
    for (auto [x, y] : pts)
        s.Append(TSP::Plain(SP_BOUNDARY, x, y));
    return s;
}

std::vector<std::pair<float, float>> Points(const TSLStitch& s, uint32_t flag = 0) {
    std::vector<std::pair<float, float>> v;
    for (const TSP& p : s)
        if (!flag || (p.Flags & flag)) v.push_back({p.X, p.Y});
    return v;
}
} // namespace

TEST(Overlay, EnumerateTileOffsetsEverySegment) {
    const TObjectStitch p = Pattern({{{0, 100}, {200, 100}}, {{50, 0}, {50, 50}, {60, 60}}});
    std::vector<std::array<double, 4>> segs;
    EnumerateTile(p, 1000, -400, [&](double a, double b, double c, double d) {
        segs.push_back({a, b, c, d});
    });
    ASSERT_EQ(segs.size(), 3u);
    EXPECT_EQ(segs[0], (std::array<double, 4>{1000, -300, 1200, -300}));
    EXPECT_EQ(segs[2], (std::array<double, 4>{1050, -350, 1060, -340}));
}

TEST(Overlay, InsertCrossingKeepsOrderAndStopsAtTheStitchEnd) {
    TSLStitch s = Stitches({{0, 0}, {100, 0}, {200, 0}});
    EXPECT_EQ(InsertCrossing(s, 0, 60, 0), 1);
    EXPECT_EQ(InsertCrossing(s, 0, 30, 0), 1); // before the earlier crossing: order along the stitch
    EXPECT_EQ(Points(s),
              (std::vector<std::pair<float, float>>{{0, 0}, {30, 0}, {60, 0}, {100, 0}, {200, 0}}));
    EXPECT_EQ(s[1].Flags, uint32_t{SP_FILL});
    EXPECT_EQ(InsertCrossing(s, 0, 150, 0), -1) << "beyond the stitch end";
    // The last stitch of a list without an end boundary: the walk stops at the count.
    TSLStitch open;
    open.Append(TSP::Plain(0, 0, 0));
    open.Append(TSP::Plain(0, 10, 0));
    EXPECT_EQ(InsertCrossing(open, 0, 50, 0), -1);
    EXPECT_EQ(open.Count(), 2);
    EXPECT_EQ(InsertCrossing(open, 5, 1, 0), -1);
}

TEST(Overlay, TiledPiercing) {
    // One horizontal line across the middle of each 200 x 200 tile.
    const TObjectStitch p = Pattern({{{0, 100}, {200, 100}}});
    struct TCase {
        const char* Name;
        std::vector<std::pair<float, float>> In;
        std::vector<std::pair<float, float>> Fill;
    };
    const std::vector<TCase> cases = {
        {"no crossing", {{10, 10}, {190, 10}}, {}},
        {"along a pattern line", {{10, 100}, {190, 100}}, {}},
        {"one crossing", {{50, 50}, {50, 150}}, {{50, 100}}},
        {"two rows, in order from the start", {{70, 350}, {70, 50}}, {{70, 300}, {70, 100}}},
        // Left of and above the origin the tiles are found by floor, not truncation.
        {"negative side", {{-50, -150}, {-50, -50}}, {{-50, -100}}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TSLStitch s = Stitches(c.In);
        TOverlay(p, 0, 0, 0).ApplyTiled(s);
        EXPECT_EQ(Points(s, SP_FILL), c.Fill);
        EXPECT_EQ(s.Count(), static_cast<int32_t>(c.In.size() + c.Fill.size()));
    }
    // A quarter turn of the grid makes the lines vertical.
    TSLStitch s = Stitches({{-50, 50}, {-150, 50}});
    TOverlay(p, 0, 0, 90 * DegToRad).ApplyTiled(s);
    ASSERT_EQ(Points(s, SP_FILL).size(), 1u);
    EXPECT_NEAR(s[1].X, -100, 1e-3);
    // The same generation twice gives the same points.
    TSLStitch a = Stitches({{0, 0}, {333, 777}, {20, 5}}), b = Stitches({{0, 0}, {333, 777}, {20, 5}});
    TOverlay(p, 13, 17, 0.3).ApplyTiled(a);
    TOverlay(p, 13, 17, 0.3).ApplyTiled(b);
    EXPECT_EQ(Points(a), Points(b));
}

TEST(Overlay, MatchedFromTopAndFromBottomMirrorOnAStraightColumn) {
    // A short horizontal line near the top of a 200-high tile; stitches 500 units long stand
    // straight up from y = 1000 to y = 500.
    auto run = [](uint32_t anchor) {
        TObjectStitch p = Pattern({{{0, 40}, {200, 40}}});
        p.Flags = TObjectStitch::PATTERN_COPY | PATTERN_MATCH_CURVE | anchor;
        std::vector<TPointD> out;
        TOverlay(p, 0, 0, 0).MatchedCrossings(100, 1000, 100, 500, 0, false, out);
        std::vector<double> ys;
        for (const TPointD& q : out)
            ys.push_back(q.Y);
        return ys;
    };
    // Rows hang from the top end (500) or start at the bottom end (1000), a tile height apart;
    // crossings come in order from the stitch start at the bottom.
    EXPECT_EQ(run(PATTERN_FROM_TOP), (std::vector<double>{940, 740, 540}));
    EXPECT_EQ(run(PATTERN_FROM_BOTTOM), (std::vector<double>{840, 640}));
    EXPECT_EQ(run(PATTERN_FROM_MIDDLE), (std::vector<double>{990, 790, 590}));
    // The tile advances with the distance along the column: a diagonal line moves its crossing.
    TObjectStitch d = Pattern({{{0, 0}, {200, 200}}});
    d.Flags |= PATTERN_MATCH_CURVE | PATTERN_FROM_TOP;
    std::vector<TPointD> at0, at50;
    TOverlay(d, 0, 0, 0).MatchedCrossings(100, 1000, 100, 800, 0, false, at0);
    TOverlay(d, 0, 0, 0).MatchedCrossings(100, 1000, 100, 800, 50, false, at50);
    ASSERT_FALSE(at0.empty());
    ASSERT_FALSE(at50.empty());
    EXPECT_NE(at0.front().Y, at50.front().Y);
}

TEST(Overlay, TileSizesFromFilesAreClamped) {
    TObjectStitch p = Pattern({{{0, 10}, {5, 10}}}, 0, 0);
    // A 0 size would divide by zero: the overlay works in at least 2 mm tiles.
    TSLStitch s = Stitches({{1, 0}, {1, 2000}});
    TOverlay(p, 0, 0, 0).ApplyTiled(s);
    EXPECT_EQ(Points(s, SP_FILL).size(), 50u); // rows every 40 units from y = 10
}

#include "stitching/SLCurve.h"
#include "tests/stitching/CurveHelpers.h"

TEST(Overlay, ColumnWithProgStitchIsPiercedTiledAndMatched) {
    for (bool matched : {false, true}) {
        SCOPED_TRACE(matched ? "matched" : "tiled");
        nl::test::TColumnFixture col({{0, 0}, {4000, 0}}, {{0, 200}, {4000, 200}});
        col.A.SetStitchTypeBits(ST_SATIN);
        col.B.SetStitchTypeBits(ST_SATIN);
        Restitch(col.A, col.Ctx);
        const int32_t plain = col.A.Stitches()->Count();
        col.B.Pattern =
            TDeepPtr<TObjectStitch>(std::make_unique<TObjectStitch>(Pattern({{{0, 100}, {200, 120}}})));
        if (matched) col.B.Pattern->Flags |= PATTERN_MATCH_CURVE | PATTERN_FROM_TOP;
        // The pattern works only with "Prog Stitch" on.
        Restitch(col.A, col.Ctx);
        EXPECT_EQ(col.A.Stitches()->Count(), plain);
        col.A.StitchFlags |= SF_PROG_STITCH;
        Restitch(col.A, col.Ctx);
        const auto first = Points(*col.A.Stitches(), SP_FILL);
        EXPECT_GT(first.size(), 50u);
        for (auto [x, y] : first) {
            EXPECT_GT(y, 0.f);
            EXPECT_LT(y, 200.f);
        }
        Restitch(col.A, col.Ctx);
        EXPECT_EQ(Points(*col.A.Stitches(), SP_FILL), first) << "reproducible";
    }
}

#include "stitching/Outline.h"

namespace {

// A straight band 2000 units long and 80 wide, from y = 0 to y = 80: a curved column (rail A on
// y = 0) or a satin outline along y = 40, carrying `pattern` with "Prog Stitch".
struct TBand {
    nl::test::TColumnFixture Col{{{0, 0}, {2000, 0}}, {{0, 80}, {2000, 80}}};
    std::unique_ptr<TSLCurve> Satin = nl::test::Straight(2000, 2);

    TBand(const TObjectStitch& pattern, bool shortStitches) {
        Col.A.SetStitchTypeBits(ST_SATIN);
        Col.B.SetStitchTypeBits(ST_SATIN);
        Col.A.Density = 45;
        Col.A.StitchFlags |= SF_PROG_STITCH;
        Col.B.Pattern = TDeepPtr<TObjectStitch>(std::make_unique<TObjectStitch>(pattern));
        Restitch(Col.A, Col.Ctx);
        TSLCurve& c = *Satin;
        c.Offset(0, 40);
        c.Flags |= OF_VISIBLE | (shortStitches ? uint32_t{OF_SHORT_STITCHES} : 0u);
        c.SetStitchTypeBits(ST_SATIN);
        c.Density = 45;
        c.StitchFlags |= SF_PROG_STITCH;
        c.Outlines = TOutlineList::MakeDefault(c.AnchorCount());
        for (const auto& o : *c.Outlines)
            o->HeightA = o->HeightB = o->CtrlHeight1A = o->CtrlHeight2A = o->CtrlHeight1B = o->CtrlHeight2B =
                40;
        c.Outlines->OutlinePattern = TDeepPtr<TObjectStitch>(std::make_unique<TObjectStitch>(pattern));
        c.RefreshGeometry(Col.Ctx);
        Restitch(c, Col.Ctx);
    }
};

// Along-the-band spacing of the places where the pattern's crossings pass the band's middle
// (y = 40 within 6 units): crossings within 50 units of each other are one place.
double MeanRepeat(const TSLStitch& s) {
    std::vector<float> xs;
    for (auto [x, y] : Points(s, SP_FILL))
        if (std::fabs(y - 40.f) < 6.f) xs.push_back(x);
    std::sort(xs.begin(), xs.end());
    std::vector<double> places;
    for (size_t i = 0; i < xs.size(); ++i)
        if (i == 0 || xs[i] - xs[i - 1] > 50) places.push_back(xs[i]);
    if (places.size() < 3) return 0;
    return (places.back() - places.front()) / static_cast<double>(places.size() - 1);
}

} // namespace

TEST(Overlay, MatchedPatternRepeatsOnceATileAlongAColumnAndASatinOutline) {
    // A diagonal across the tile: its crossing runs across the band as the tile advances along it,
    // once every tile width (200 units) of travel along the path.
    TObjectStitch p = Pattern({{{0, 0}, {200, 200}}});
    p.Flags |= PATTERN_MATCH_CURVE | PATTERN_FROM_TOP;
    for (bool shortStitches : {false, true}) {
        SCOPED_TRACE(shortStitches ? "short stitches" : "satin");
        TBand band(p, shortStitches);
        EXPECT_NEAR(MeanRepeat(*band.Col.A.Stitches()), 200.0, 8.0) << "column";
        ASSERT_TRUE(band.Satin->Stitches());
        EXPECT_NEAR(MeanRepeat(*band.Satin->Stitches()), 200.0, 8.0) << "satin outline";
    }
}

TEST(Overlay, MatchedPatternPivotsOnTheSameEdgeWithShortStitches) {
    // A line along the tile 30 units above the bottom row: every stitch is pierced 30 units from
    // the edge the frame stands on, the same edge whichever way the edges are paired.
    TObjectStitch p = Pattern({{{0, 170}, {200, 170}}});
    p.Flags |= PATTERN_MATCH_CURVE | PATTERN_FROM_BOTTOM;
    auto pierced = [&](bool shortStitches) {
        TBand band(p, shortStitches);
        std::set<int> ys;
        for (auto [x, y] : Points(*band.Satin->Stitches(), SP_FILL))
            ys.insert(static_cast<int>(std::lround(y)));
        return ys;
    };
    const std::set<int> plain = pierced(false);
    ASSERT_EQ(plain.size(), 1u);
    EXPECT_TRUE(*plain.begin() == 30 || *plain.begin() == 50) << *plain.begin();
    EXPECT_EQ(pierced(true), plain);
}
