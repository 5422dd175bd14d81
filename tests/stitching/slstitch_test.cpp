#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "core/Errors.h"
#include "stitching/SLStitch.h"

using namespace nl;

namespace {
TSLStitch Line(std::initializer_list<std::pair<float, uint32_t>> xs) {
    TSLStitch s;
    for (auto [x, f] : xs)
        s.AppendPoint(f, -1, x, 0);
    return s;
}
std::vector<float> Xs(const TSLStitch& s) {
    std::vector<float> v;
    for (const TSP& p : s)
        v.push_back(p.X);
    return v;
}
} // namespace

TEST(StitchLimits, SplitLongStitchesAtMax) {
    struct Case {
        float length;
        std::vector<float> expected;
    } cases[] = {
        {220, {0, 220}},           // exactly max: not split
        {224, {0, 224}},           // max + min: not split
        {225, {0, 220, 225}},      // longer than max + min: split at max
        {500, {0, 220, 440, 500}}, // pieces of max, then the remainder
    };
    for (auto& c : cases) {
        TSLStitch s = Line({{0, SP_BOUNDARY}, {c.length, SP_BOUNDARY}});
        s.SplitLongStitches(4, 220);
        EXPECT_EQ(Xs(s), c.expected) << c.length;
        for (int i = 1; i + 1 < s.Count(); ++i)
            EXPECT_EQ(s[i].Flags, SP_FILL);
    }
}

TEST(StitchLimits, RemoveShortStitchesKeepsGeneratedAndColourPoints) {
    // Two generated points 2 units (0.1 mm) apart both stay whatever min is.
    TSLStitch gen = Line({{0, SP_BOUNDARY}, {2, SP_BOUNDARY}, {100, SP_BOUNDARY}});
    gen.RemoveShortStitches(50);
    EXPECT_EQ(Xs(gen), (std::vector<float>{0, 2, 100}));
    // An inserted point 0.1 mm after a generated point goes when min is 0.2 mm.
    TSLStitch ins = Line({{0, SP_BOUNDARY}, {2, SP_FILL}, {100, SP_BOUNDARY}});
    ins.RemoveShortStitches(4);
    EXPECT_EQ(Xs(ins), (std::vector<float>{0, 100}));
    // A point that is neither generated nor a colour point is removed itself.
    TSLStitch plain = Line({{0, 0}, {1, 0}, {2, 0}, {10, 0}});
    plain.RemoveShortStitches(4);
    EXPECT_EQ(Xs(plain), (std::vector<float>{2, 10}));
    // Two consecutive colour points closer than min both remain.
    TSLStitch colours;
    colours.AppendColourPoint(0, -1, 0, 0, 1);
    colours.AppendColourPoint(0, -1, 1, 0, 2);
    colours.AppendPoint(0, -1, 50, 0);
    colours.RemoveShortStitches(4);
    EXPECT_EQ(colours.Count(), 3);
    // Under stitching is never thinned.
    TSLStitch under = Line({{0, SP_UNDER}, {1, SP_FILL}, {50, 0}});
    under.RemoveShortStitches(4);
    EXPECT_EQ(under.Count(), 3);
}

TEST(StitchLimits, LimitsFromAFileAreClamped) {
    TSLStitch s;
    s.SetStitchLimits(0, 0);
    EXPECT_EQ(s.MinStitch(), 2);
    EXPECT_EQ(s.MaxStitch(), 80);
    s.AppendPoint(SP_BOUNDARY, -1, 0, 0);
    s.AppendPoint(SP_BOUNDARY, -1, 1e9f, 0);
    EXPECT_THROW(s.SplitLongStitches(2, 80), TGenerationError); // bounded, never runaway
    TSLStitch inf = Line({{0, 0}, {INFINITY, 0}});
    inf.SplitLongStitches(2, 80);
    EXPECT_EQ(inf.Count(), 2);
    // Far out, a float cannot hold a step of max (the spacing at 1e10 is 1024 units): the
    // split still ends, with the counted number of pieces, instead of growing without end.
    TSLStitch far = Line({{1e10f, 0}, {1e10f + 4096, 0}});
    far.SplitLongStitches(2, 80);
    EXPECT_EQ(far.Count(), 2 + 51);
}

TEST(StitchObject, FirstPointOperationsOnAnEmptyList) {
    TSLStitch s;
    float x = 7, y = 7;
    EXPECT_EQ(s.GetColor(), NO_COLOUR);
    EXPECT_EQ(s.GetStartStitch(x, y), NO_COLOUR);
    EXPECT_EQ(s.GetEndStitch(x, y), NO_COLOUR);
    EXPECT_FALSE(s.MarkColourStart(0));
    s.SetColor(0x123456); // nothing to colour, nothing happens
    EXPECT_EQ(x, 7);
}

TEST(StitchObject, MarkColourStartAndAppendCopy) {
    TSLStitch s = Line({{0, SP_BOUNDARY}, {10, 0}});
    EXPECT_TRUE(s.MarkColourStart(0));
    EXPECT_TRUE(s[0].IsColourPoint());
    EXPECT_EQ(s[0].GetColour(), MARK_COLOUR);
    s.SetColor(0xFF);
    s.MarkColourStart(0); // already one: colour kept
    EXPECT_EQ(s.GetColor(), 0xFF);
    s.GroupId = 3;
    TSLStitch c;
    c.AppendCopy(s);
    EXPECT_EQ(c.GroupId, 3);
    EXPECT_EQ(c.Count(), 2);
    EXPECT_EQ(c.GetColor(), 0xFF);
    for (const TSP& p : c)
        EXPECT_TRUE(p.Flags & SP_BOUNDARY);
}

TEST(StitchObject, CleanColourChangesAndTrimEndDuplicates) {
    TSLStitch s;
    s.AppendPoint(0, -1, 0, 0);
    s.AppendPoint(0, -1, 5, 0);
    s.AppendPoint(0, -1, 5, 0); // lies on its successor, which lies on the colour point
    s.AppendColourPoint(0, -1, 5, 0, 0xFF);
    s.AppendPoint(0, -1, 5, 0); // lies on the colour point
    s.AppendPoint(0, -1, 9, 0);
    s.AppendPoint(0, -1, 9, 0);
    s.AppendPoint(0, -1, 10, 0);
    s.AppendPoint(0, -1, 10, 0); // trailing duplicate
    s.CleanColourChanges();
    EXPECT_EQ(Xs(s), (std::vector<float>{0, 5, 9, 9, 10}));
    EXPECT_TRUE(s[1].IsColourPoint());
    s.AppendColourPoint(0, -1, 12, 0, 0xFF00); // a trailing colour point goes
    s.CleanColourChanges();
    EXPECT_EQ(s.Count(), 5);

    TSLStitch t = Line({{0, 0}, {0, 0}, {0, 0}, {4, 0}, {8, 0}, {8, 0}});
    t.TrimEndDuplicates();
    EXPECT_EQ(Xs(t), (std::vector<float>{0, 4, 8}));
}

TEST(StitchObject, RecordsRoundTripAndFlagsAreSanitised) {
    TSLStitch s = Line({{1, SP_BOUNDARY}, {2, 0}});
    s.MarkColourStart(0);
    s.Flags = OF_DIRECT | OF_NEEDLE_POINTS | OF_VISIBLE | OF_GENERATE_HIDDEN;
    s.GroupId = 4;
    s.OrderIndex = 2;
    s.JumpVia = TSP::Plain(0, 50, 60);
    s.StitchLimits = (10u << 16) | 300u;
    for (int version : {1004, 1011}) {
        TRecordContext ctx;
        ctx.Version = version;
        TByteWriter w;
        WriteObjectRecord(w, s, ctx);
        TByteReader r(w.Data());
        auto back = ReadObjectRecord(r, ctx);
        EXPECT_TRUE(r.AtEnd());
        EXPECT_EQ(back->Flags, s.Flags & ~OF_GENERATE_HIDDEN);
        EXPECT_EQ(back->GroupId, 4);
        EXPECT_EQ(back->Count(), 2);
        ASSERT_TRUE(back->JumpVia);
        EXPECT_EQ(back->JumpVia->X, 50);
        EXPECT_EQ(back->StitchLimits, version >= 1005 ? s.StitchLimits : DEFAULT_STITCH_LIMITS);
    }
    TRecordContext out{100, 100}, in{0, 0};
    TByteWriter w;
    WriteObjectStream(w, s, out);
    w.U8(0);
    TByteReader r(w.Data());
    auto back = ReadObjectStream(r, in);
    ASSERT_TRUE(back);
    EXPECT_EQ((*back)[0].X, -99);
    EXPECT_EQ(back->JumpVia->Y, -40);
    EXPECT_EQ(ReadObjectStream(r, in), nullptr);
}

TEST(StitchObject, ImpossibleCountsFailTheRead) {
    TSLStitch s = Line({{1, 0}});
    TByteWriter w;
    WriteObjectRecord(w, s, {});
    auto bytes = w.Take();
    // The count is the 4 bytes before the single 12-byte point record.
    size_t at = bytes.size() - 12 - 4;
    for (int32_t bad : {-1, 2, 1 << 30}) {
        std::memcpy(bytes.data() + at, &bad, 4);
        TByteReader r(bytes);
        EXPECT_THROW(ReadObjectRecord(r, {}), TReadError) << bad;
    }
}

namespace {
// An object whose generator fails, to check Restitch's error path.
struct Failing : TSLStitch {
    int runs = 0;
    int frees = 0;
    void GenerateOutline(const TStitchContext&) override {
        ++runs;
        throw TGenerationError("boom");
    }
    void FreeGenerated() override { ++frees; }
};
} // namespace

TEST(Restitch, AGenerationErrorSwitchesTheObjectOffOnce) {
    Failing f;
    f.Flags = OF_VISIBLE | OF_GENERATE_HIDDEN;
    int closed = 0;
    TStitchContext ctx;
    ctx.OnGenerationError = [&] { ++closed; };
    Restitch(f, ctx);
    EXPECT_EQ(f.runs, 1);
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(f.Flags & (OF_VISIBLE | OF_GENERATE_HIDDEN), 0u);
    EXPECT_GE(f.frees, 1);
    Restitch(f, ctx); // invisible now: only frees
    EXPECT_EQ(f.runs, 1);
}

TEST(StitchObject, BoundsIncludePointsAndTheMargin) {
    TSLStitch s = Line({{10, 0}, {20, 0}});
    TStitchContext ctx;
    ctx.SelectionMargin = 3;
    s.UpdateBounds(ctx);
    EXPECT_EQ(s.Bounds, (TKvRect{false, -3, 7, 23, 3}));
    // A jump-link point without its jump (as read from a file) is harmless.
    s[0].Flags |= SP_JUMP_LINK;
    s.UpdateBounds(ctx);
    EXPECT_FALSE(s.Bounds.empty);
    EXPECT_FALSE(s.DeleteSelectedPoint(0, ctx));
}

// The bounds are the rectangle of the rounded points (halves to even, NaN as 0, saturating), as if
// every point were included one by one, whatever the coordinates.
TEST(StitchObject, BoundsEqualThePointByPointRectangle) {
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> d(-5000, 5000);
    std::vector<std::vector<std::pair<float, float>>> cases = {
        {{0.5f, 1.5f}, {2.5f, -0.5f}}, // halves round to even
        {{-1.5f, 3.5f}},               // one point
        {{nan, 10}, {20, nan}},        // NaN counts as 0
        {{inf, -inf}, {1, 1}},         // infinities saturate
        {{100, 100}, {nan, nan}},
    };
    for (int k = 0; k < 20; ++k) {
        std::vector<std::pair<float, float>> pts;
        for (int i = 0; i < 1 + k * 10; ++i)
            pts.push_back({d(rng), d(rng)});
        cases.push_back(pts);
    }
    TStitchContext ctx;
    ctx.SelectionMargin = 2;
    for (const auto& pts : cases) {
        TSLStitch s;
        TKvRect want;
        want.empty = true;
        for (auto [x, y] : pts) {
            s.AppendPoint(0, -1, x, y);
            want.IncludePoint(x, y);
        }
        want.Inflate(2);
        s.UpdateBounds(ctx);
        EXPECT_EQ(s.Bounds, want) << pts.size() << " points from (" << pts[0].first << ", " << pts[0].second
                                  << ")";
    }
}
