#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "CurveHelpers.h"
#include "core/Random.h"
#include "stitching/Column.h"
#include "stitching/Compensation.h"
#include "stitching/Feather.h"
#include "stitching/FillSplit.h"
#include "stitching/SLCurve.h"

using namespace nl;

namespace {

struct Column : nl::test::TColumnFixture {
    Column(const std::vector<std::pair<float, float>>& a, const std::vector<std::pair<float, float>>& b)
        : TColumnFixture(a, b) {
        A.Density = 45;
        Ctx.View.ShowCompensation = true;
    }
    const TSLStitch& Generate() {
        Restitch(A, Ctx);
        return *A.Generated;
    }
};

struct XY {
    float X, Y;
    bool operator==(const XY&) const = default;
};
std::vector<XY> Points(const TSLStitch& s) {
    std::vector<XY> v;
    for (const TSP& p : s)
        v.push_back({p.X, p.Y});
    return v;
}
std::vector<XY> Points(const TSLStitch& s, uint32_t without) {
    std::vector<XY> v;
    for (const TSP& p : s)
        if (!(p.Flags & without)) v.push_back({p.X, p.Y});
    return v;
}

} // namespace

TEST(Random, SequenceAndFirstValue) {
    TRandom r(0);
    EXPECT_DOUBLE_EQ(r.Next(), 1.0 / 4294967296.0);
    EXPECT_EQ(r.State, 1u);
    r.Next();
    EXPECT_EQ(r.State, 134775814u);
    // Two generators from the same seed agree; the value stays in [0, 1).
    TRandom a(0xFFFFFFFFu), b(0xFFFFFFFFu);
    for (int i = 0; i < 1000; ++i) {
        double v = a.Next();
        EXPECT_EQ(v, b.Next());
        EXPECT_GE(v, 0.0);
        EXPECT_LT(v, 1.0);
    }
}

TEST(FillOffsets, EncodeAndDecode) {
    struct Case {
        double percent;
        uint16_t word;
    } cases[] = {{0, 0}, {5, 500}, {-5, 20500}, {100, 10000}, {-100, 30000}, {12.34, 1234}};
    for (auto& c : cases) {
        EXPECT_EQ(EncodeFillOffset(c.percent), c.word) << c.percent;
        EXPECT_NEAR(DecodeFillOffset(c.word), std::round(c.percent * 100) / 100, 1e-9) << c.word;
    }
    // Words no percentage encodes to read as no offset.
    for (uint16_t w : {10001, 15000, 19999})
        EXPECT_EQ(DecodeFillOffset(w), 0.0) << w;
    EXPECT_EQ(DecodeFillOffset(65535), -100.0);
    uint32_t packed = PackFillOffsets(25, -5);
    EXPECT_EQ(packed, 2500u | (20500u << 16));
    EXPECT_EQ(FillOffsetA(packed), 25.0);
    EXPECT_EQ(FillOffsetB(packed), -5.0);
    // Pitches that would never end a split are brought into range.
    EXPECT_EQ(ClampFillPitch(0.f), FILL_PITCH_MIN);
    EXPECT_EQ(ClampFillPitch(-3.f), FILL_PITCH_MIN);
    EXPECT_EQ(ClampFillPitch(std::nanf("")), FILL_PITCH_DEFAULT);
    EXPECT_EQ(ClampFillPitch(1e9f), FILL_PITCH_MAX);
}

TEST(Column, StraightColumnAlternatesRails) {
    Column c({{0, 0}, {400, 0}}, {{0, 80}, {400, 80}});
    const TSLStitch& s = c.Generate();
    ASSERT_GT(s.Count(), 80);
    EXPECT_TRUE(s[0].IsColourPoint());
    EXPECT_EQ(s[0].GetColour(), c.A.Color);
    for (int32_t i = 0; i < s.Count(); ++i) {
        EXPECT_EQ(s[i].Y, i % 2 == 0 ? 0.f : 80.f) << i;
        EXPECT_FALSE(s[i].Flags & SP_SHORT) << i;
        // Every other point of a 200/45 unit walk: 8.89 units between points of one rail.
        if (i >= 2 && i + 2 < s.Count()) {
            EXPECT_NEAR(s[i].X - s[i - 2].X, 400.0 / 45, 0.21) << i;
        }
    }
    EXPECT_EQ(s.Last()->X, 400.f);
    EXPECT_TRUE(s.Flags & OF_NEEDLE_POINTS);
}

TEST(Column, LongerRailReusesPointsAndShortensStitches) {
    // Rail B runs twice as far as rail A over the same segment: each A point serves about two
    // B points, and the stitch to its first use is shortened.
    Column c({{0, 0}, {200, 0}}, {{0, 80}, {400, 80}});
    const TSLStitch& s = c.Generate();
    int shorts = 0;
    for (int32_t i = 1; i < s.Count(); ++i) {
        const TSP& p = s[i];
        if (!(p.Flags & SP_SHORT)) continue;
        ++shorts;
        ASSERT_EQ(p.Class(), TPointClass::Modify);
        EXPECT_TRUE(p.Flags & SP_MODIFY);
        EXPECT_LT(p.Shortening, 0.f); // A side
        EXPECT_GT(p.FullLength, 0.f);
        EXPECT_EQ(i % 2, 0) << "only A points (even list positions) are shortened";
    }
    EXPECT_GT(shorts, 15);
    // Every B point is used once, in order.
    std::vector<float> bx;
    for (int32_t i = 1; i < s.Count(); i += 2) {
        EXPECT_EQ(s[i].Y, 80.f);
        bx.push_back(s[i].X);
    }
    for (size_t i = 1; i < bx.size(); ++i)
        EXPECT_GT(bx[i], bx[i - 1]);
}

TEST(Column, SegmentsStayAlignedWhenARailHasNoPointInASegment) {
    // Rail A's first segment is 1 unit long: it gets no walk point of its own, and its last
    // point serves the B points of that segment instead of points of the next segment.
    Column c({{0, 0}, {1, 0}, {200, 0}}, {{0, 80}, {100, 80}, {200, 80}});
    const TSLStitch& s = c.Generate();
    for (int32_t i = 0; i + 1 < s.Count(); i += 2) {
        const TSP& a = s[i];
        const TSP& b = s[i + 1];
        if (b.X < 95 && !((a.Flags | b.Flags) & SP_SHORT)) {
            EXPECT_LE(a.X, 1.5f) << "B point at " << b.X << " paired with A at " << a.X;
        }
    }
}

TEST(ShortenLast, NeedsTwoPairs) {
    TRandom rng;
    for (int n = 0; n < 4; ++n) {
        TSLStitch s;
        for (int i = 0; i < n; ++i)
            s.AppendPoint(SP_BOUNDARY, -1, float(i), float(i % 2) * 10);
        ShortenLast(s, TShortSide::A, rng);
        ShortenLast(s, TShortSide::B, rng);
        for (const TSP& p : s)
            EXPECT_FALSE(p.Flags & SP_SHORT) << n;
    }
}

TEST(ShortenLast, PlacesThePointBetweenHalfAndFourFifths) {
    // Pairs (A, B): A on y = 0, B on y = 100.
    for (TShortSide side : {TShortSide::A, TShortSide::B}) {
        for (uint32_t seed : {0u, 7u, 0xFFFFFFFFu, FIXED_COLUMN_SEED}) {
            TSLStitch s;
            // Three pairs straight across, so that the measuring line is the stitch itself.
            for (int k = 0; k < 3; ++k) {
                s.AppendPoint(SP_BOUNDARY | SP_JUMP_LINK, -1, 0, 0);
                s.AppendPoint(SP_BOUNDARY, -1, 0, 100);
            }
            TRandom rng(seed);
            ShortenLast(s, side, rng);
            int32_t idx = side == TShortSide::B ? 5 : 4;
            const TSP& p = s[idx];
            ASSERT_EQ(p.Class(), TPointClass::Modify);
            EXPECT_FALSE(p.Flags & SP_JUMP_LINK);
            EXPECT_FLOAT_EQ(p.FullLength, 100.f);
            // Distance from the opposite side's midpoint (y = 0 or 100) to the point.
            double dist = side == TShortSide::B ? p.Y : 100.0 - p.Y;
            EXPECT_GE(dist, 50.0 - 1e-4);
            EXPECT_LT(dist, 80.0);
            EXPECT_NEAR(std::fabs(p.Shortening), 100.0 - dist, 1e-3);
            EXPECT_EQ(p.Shortening < 0, side == TShortSide::A);
        }
    }
}

TEST(Column, CompensationFollowsViewAndExport) {
    Column c({{0, 0}, {200, 0}}, {{0, 80}, {200, 80}});
    c.A.Compensation = 10;
    struct Case {
        bool view, exporting;
        float expectedShift;
    } cases[] = {{true, false, 8.f}, {false, false, 0.f}, {false, true, 8.f}};
    for (auto& k : cases) {
        c.Ctx.View.ShowCompensation = k.view;
        c.Ctx.ForExport = k.exporting;
        const TSLStitch& s = c.Generate();
        // 10 % of the 4 mm width: each interior end moves 0.4 mm (8 units) outwards.
        EXPECT_EQ(s[0].Y, 0.f);
        EXPECT_EQ(s.Last()->Y, 80.f);
        for (int32_t i = 1; i + 1 < s.Count(); ++i) {
            float expected = i % 2 == 0 ? -k.expectedShift : 80.f + k.expectedShift;
            EXPECT_NEAR(s[i].Y, expected, 1e-3) << i << " view " << k.view << " export " << k.exporting;
        }
    }
}

TEST(Column, DensityFromAFileIsBroughtIntoRange) {
    for (int32_t d : {0, -5, 1000}) {
        Column c({{0, 0}, {200, 0}}, {{0, 80}, {200, 80}});
        c.A.Density = d;
        const TSLStitch& s = c.Generate();
        EXPECT_TRUE(c.A.Visible());
        EXPECT_GT(s.Count(), 4) << d;
        EXPECT_LT(s.Count(), 200 * 7 / 10 + 10) << d;
    }
}

TEST(Column, StitchFromEndAndReturnRun) {
    Column c({{0, 0}, {300, 0}}, {{0, 80}, {300, 80}});
    std::vector<XY> forward = Points(c.Generate());
    c.A.Flags |= OF_STITCH_FROM_END;
    std::vector<XY> backward = Points(c.Generate());
    std::reverse(backward.begin(), backward.end());
    EXPECT_EQ(backward, forward);

    // The return run goes along the centre line first; the column is then sewn back over it.
    c.A.Flags &= ~OF_STITCH_FROM_END;
    c.A.Flags |= OF_RETURN_STITCH;
    const TSLStitch& s = c.Generate();
    int32_t run = 0;
    while (run < s.Count() && std::fabs(s[run].Y - 40.f) < 0.01f)
        ++run;
    EXPECT_GE(run, 300 / 40);
    EXPECT_LT(s[run - 1].X, 300.f + 2 * 40); // the run may end up to a step beyond the column
    for (int32_t i = 1; i < run; ++i)
        EXPECT_GT(s[i].X, s[i - 1].X);
    EXPECT_EQ(s.Count() - run, static_cast<int32_t>(forward.size()));
    EXPECT_EQ(s[run].X, forward.back().X); // column reversed
    // With "Stitch From End" the run goes backwards and the column forwards.
    c.A.Flags |= OF_STITCH_FROM_END;
    const TSLStitch& t = c.Generate();
    EXPECT_GT(t[0].X, t[1].X);
    EXPECT_EQ(t.Last()->X, forward.back().X);
}

TEST(Column, FillSplitCutsStitchesAtThePitch) {
    // 6 mm wide column, 2 mm pitch: two or three cuts per stitch, 40 units apart.
    Column c({{0, 0}, {200, 0}}, {{0, 120}, {200, 120}});
    c.A.StitchFlags |= SF_USE_FILL;
    c.A.FillPitch = 40;
    c.A.FillOffsets = PackFillOffsets(30, 0);
    c.A.SetStitchLimits(4, 400);
    const TSLStitch& s = c.Generate();
    std::vector<int32_t> rail;
    for (int32_t i = 0; i < s.Count(); ++i)
        if (!(s[i].Flags & SP_FILL)) rail.push_back(i);
    ASSERT_GT(rail.size(), 10u);
    for (size_t k = 1; k < rail.size(); ++k) {
        int32_t cuts = rail[k] - rail[k - 1] - 1;
        EXPECT_GE(cuts, 2) << k;
        EXPECT_LE(cuts, 3) << k;
        for (int32_t i = rail[k - 1] + 2; i < rail[k]; ++i)
            EXPECT_NEAR(std::hypot(s[i].X - s[i - 1].X, s[i].Y - s[i - 1].Y), 40.0, 0.01);
    }
    // A pitch of 0 from a file still ends.
    c.A.FillPitch = 0;
    EXPECT_GT(c.Generate().Count(), 10);
    c.A.FillPitch = std::nanf("");
    EXPECT_GT(c.Generate().Count(), 10);
}

TEST(Column, CompensationRunsBeforeTheFillSplit) {
    // The rail points of a compensated, split column are those of the compensated column.
    Column c({{0, 0}, {200, 0}}, {{0, 120}, {200, 120}});
    c.A.Compensation = 20;
    c.A.SetStitchLimits(4, 400);
    std::vector<XY> plain = Points(c.Generate());
    c.A.StitchFlags |= SF_USE_FILL;
    EXPECT_EQ(Points(c.Generate(), SP_FILL), plain);
}

TEST(Feather, AmountAndClamp) {
    TFeather f;
    f.FeatherFlags = FF_ABOVE | FF_BELOW | FF_AUTO_BELOW;
    f.WidthA = 20;
    f.ScaleA = 0.5f;
    f.ScaleB = 2.f;
    TRandom r1(0), r2(0);
    double r = r2.Next();
    EXPECT_NEAR(FeatherAmount(f, true, 30, r1), 30 + r * 0.5 * 20, 1e-9);
    r = r2.Next();
    EXPECT_NEAR(FeatherAmount(f, false, 30, r1), 30 + r * 2 * 30, 1e-9); // auto: follows the width
    // A fixed width with a negative scale may pull an end to the centre, never across it.
    f.WidthA = 1000;
    f.ScaleA = -0.99999f;
    TRandom rng(5);
    for (int i = 0; i < 200; ++i)
        EXPECT_GE(FeatherAmount(f, true, 10, rng), 0.0);
}

TEST(Feather, ColumnFeatherIsStableAndSeeded) {
    Column c({{0, 0}, {300, 20}}, {{0, 100}, {300, 120}});
    std::vector<XY> plain = Points(c.Generate());
    c.B.Feather = std::make_unique<TFeather>();
    TFeather& f = *c.B.Feather;
    f.FeatherFlags = FF_ABOVE | FF_BELOW;
    f.Seed = 1234;
    f.ScaleA = f.ScaleB = 0.f;
    EXPECT_EQ(Points(c.Generate()), plain) << "scale 0 leaves the stitches as they are";

    f.ScaleA = f.ScaleB = 1.f;
    std::vector<XY> one = Points(c.Generate());
    EXPECT_EQ(Points(c.Generate()), one) << "regenerating gives the same stitches";
    EXPECT_NE(one, plain);
    EXPECT_EQ(one.front(), plain.front()) << "the first point is never feathered";
    EXPECT_EQ(one.back(), plain.back()) << "the last point is never feathered";

    NewRandomSeed(f);
    EXPECT_NE(f.Seed, 1234);
    std::vector<XY> two = Points(c.Generate());
    EXPECT_NE(two, one);
    EXPECT_EQ(Points(c.Generate()), two);
}

TEST(Feather, AutoColumnModeScalesWithWidth) {
    // The same random numbers push the ends of a column twice as wide twice as far.
    auto offsets = [](float width) {
        Column c({{0, 0}, {200, 0}}, {{0, width}, {200, width}});
        c.B.Feather = std::make_unique<TFeather>();
        c.B.Feather->FeatherFlags = FF_ABOVE | FF_AUTO_ABOVE;
        c.B.Feather->Seed = 99;
        const TSLStitch& s = c.Generate();
        std::vector<double> v;
        for (int32_t i = 2; i + 1 < s.Count(); i += 2)
            v.push_back(s[i].Y - width); // B points
        return v;
    };
    std::vector<double> narrow = offsets(40), wide = offsets(80);
    ASSERT_EQ(narrow.size(), wide.size());
    for (size_t i = 0; i < narrow.size(); ++i)
        EXPECT_NEAR(wide[i], 2 * narrow[i], 1e-3);
}

TEST(CompensateAndFeather, SkipsShortAndFillPoints) {
    // A, B, A(short), fill, B, A: the short point stays, the fill point is neither moved nor
    // taken as the neighbour of the point before it.
    TSLStitch s;
    s.AppendPoint(SP_BOUNDARY, -1, 0, 0);
    s.AppendPoint(SP_BOUNDARY, -1, 10, 100);
    s.Append(TSP::Modify(SP_BOUNDARY, 20, 30, -30, 100));
    s.AppendPoint(SP_FILL, -1, 25, 60);
    s.AppendPoint(SP_BOUNDARY, -1, 30, 100);
    s.AppendPoint(SP_BOUNDARY, -1, 40, 0);
    TRandom rng;
    CompensateAndFeather(s, nullptr, true, 10, rng);
    EXPECT_EQ(s[2].Y, 30.f);
    EXPECT_EQ(s[3].Y, 60.f);
    // Point 1 (B): neighbours 0 and the short point (20, 30): M = (10, 15), u = 85 -> 93.5.
    EXPECT_NEAR(s[1].Y, 15 + 93.5, 1e-3);
    // Point 4 (B): neighbours the short point as it stands and point 5: M = (30, 15).
    EXPECT_NEAR(s[4].Y, 15 + 93.5, 1e-3);
}

TEST(FillSplitter, MeasuringEndShortAlignmentAndMiddle) {
    // One vertical stitch from (0, 0) to (0, 100), pitch 40, no offsets. The cut positions are
    // listed from the stitch start.
    auto cuts = [](TFillMatch match, bool shortStart, bool column, int calls) {
        TFillSettings fs;
        fs.Enabled = true;
        fs.Pitch = 40;
        fs.Match = match;
        TFillSplitter splitter(fs);
        TSLStitch s;
        for (int i = 0; i < calls; ++i) {
            s.Clear();
            if (shortStart)
                s.Append(TSP::Modify(SP_BOUNDARY, 0, 0, -30, 130));
            else
                s.AppendPoint(SP_BOUNDARY, -1, 0, 0);
            s.AppendPoint(SP_BOUNDARY, -1, 0, 100);
            if (column)
                splitter.SplitColumn(s, 2, 0);
            else
                splitter.SplitOutline(s, 2, 0);
        }
        std::vector<float> ys;
        for (int32_t i = 1; i + 1 < s.Count(); ++i) {
            EXPECT_EQ(s[i].Flags, SP_FILL);
            ys.push_back(s[i].Y);
        }
        return ys;
    };
    // Bottom: the first stitch is measured from its start, the next from its end.
    EXPECT_EQ(cuts(TFillMatch::Bottom, false, true, 1), (std::vector<float>{40, 80}));
    EXPECT_EQ(cuts(TFillMatch::Bottom, false, true, 2), (std::vector<float>{20, 60}));
    // Top starts from the other end.
    EXPECT_EQ(cuts(TFillMatch::Top, false, true, 1), (std::vector<float>{20, 60}));
    // A shortened start keeps the cuts of its full 130-unit stitch: 30 units are missing there.
    EXPECT_EQ(cuts(TFillMatch::Bottom, true, true, 1), (std::vector<float>{10, 50, 90}));
    // Middle: columns step back by half the length, outlines forward.
    EXPECT_EQ(cuts(TFillMatch::Middle, false, true, 1), (std::vector<float>{30, 70}));
    EXPECT_EQ(cuts(TFillMatch::Middle, false, false, 1), (std::vector<float>{10, 50, 90}));
}
