#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "core/Errors.h"
#include "stitching/Column.h"
#include "stitching/Feather.h"
#include "stitching/FillSplit.h"
#include "stitching/SLCurve.h"
#include "stitching/SatinOutline.h"

using namespace nl;

namespace {

struct Satin {
    TSLCurve C;
    TStitchContext Ctx;
    explicit Satin(const std::vector<std::pair<float, float>>& anchors, uint32_t type = ST_SATIN) {
        for (size_t i = 0; i < anchors.size(); ++i) {
            auto [x, y] = anchors[i];
            C.AppendPoint(0, -1, x, y);
            if (i + 1 == anchors.size()) break;
            auto [nx, ny] = anchors[i + 1];
            C.AppendPoint(0, -1, x + (nx - x) / 3, y + (ny - y) / 3);
            C.AppendPoint(0, -1, x + 2 * (nx - x) / 3, y + 2 * (ny - y) / 3);
        }
        C.Flags = OF_VISIBLE;
        C.SetStitchTypeBits(type);
        C.Outlines = TOutlineList::MakeDefault(static_cast<int32_t>(anchors.size()));
        Ctx.View.ShowCompensation = true;
    }
    const TSLStitch& Generate() {
        C.UpdateBounds(Ctx);
        Restitch(C, Ctx);
        static const TSLStitch empty;
        return C.Generated ? *C.Generated : empty;
    }
};

void SetHeights(TOutlineList& profile, float h) {
    for (int32_t i = 0; i < profile.Count(); ++i) {
        TOutline& o = *profile[i];
        o.HeightA = o.HeightB = o.CtrlHeight1A = o.CtrlHeight2A = o.CtrlHeight1B = o.CtrlHeight2B = h;
    }
}

std::vector<std::pair<float, float>> Points(const TSLStitch& s) {
    std::vector<std::pair<float, float>> v;
    for (const TSP& p : s)
        v.emplace_back(p.X, p.Y);
    return v;
}

} // namespace

TEST(SatinOutline, TenMillimetresAtFivePerMillimetre) {
    // 200 units at density 50: n = 50 chords of exactly 4.0 units.
    Satin satin({{0, 0}, {200, 0}});
    satin.C.Density = 50;
    satin.C.SetStitchLimits(2, 400);
    const TSLStitch& s = satin.Generate();
    ASSERT_EQ(s.Count(), 2 * 51);
    for (int32_t i = 0; i < s.Count(); ++i) {
        EXPECT_NEAR(s[i].Y, i % 2 == 0 ? -20.f : 20.f, 1e-3) << i; // A edge above (left of travel)
        if (i >= 2) {
            EXPECT_NEAR(s[i].X - s[i - 2].X, 4.0, 0.1) << i;
        }
        EXPECT_TRUE(s[i].Flags & SP_BOUNDARY);
    }
    EXPECT_TRUE(s[0].IsColourPoint());

    satin.C.SetStitchTypeBits(ST_ZIGZAG);
    const TSLStitch& z = satin.Generate();
    ASSERT_EQ(z.Count(), 51);
    for (int32_t i = 0; i < z.Count(); ++i)
        EXPECT_NEAR(z[i].Y, i % 2 == 0 ? -20.f : 20.f, 1e-3) << i;
}

TEST(SatinOutline, TooShortForOneStitchIsSwitchedOff) {
    Satin satin({{0, 0}, {1, 0}});
    satin.C.Density = 50; // n = round(50 * 1 / 200) = 0
    satin.Generate();
    EXPECT_FALSE(satin.C.Visible());
    EXPECT_FALSE(satin.C.Generated && satin.C.Generated->Count() > 0);
}

TEST(SatinOutline, DensityFromAFileIsBroughtIntoRange) {
    for (int32_t d : {0, -10, 100000}) {
        Satin satin({{0, 0}, {200, 0}});
        satin.C.Density = d;
        const TSLStitch& s = satin.Generate();
        EXPECT_TRUE(satin.C.Visible()) << d;
        EXPECT_GT(s.Count(), 2) << d;
    }
}

TEST(SatinOutline, CompensationOnTheChosenSides) {
    struct Case {
        uint32_t sides;
        float a, b; // expected edge positions
    } cases[] = {
        {SF_A_SIDE | SF_B_SIDE, -24, 24},
        {SF_A_SIDE, -24, 20},
        {SF_B_SIDE, -20, 24},
    };
    for (auto& k : cases) {
        Satin satin({{0, 0}, {200, 0}});
        satin.C.Outlines->OutlineCompensation = 1.0f; // +20 %: 10 % at each enabled end
        satin.C.StitchFlags = (satin.C.StitchFlags & ~(SF_A_SIDE | SF_B_SIDE)) | k.sides;
        const TSLStitch& s = satin.Generate();
        ASSERT_GT(s.Count(), 10);
        for (int32_t i = 0; i < s.Count(); ++i)
            EXPECT_NEAR(s[i].Y, i % 2 == 0 ? k.a : k.b, 1e-3) << i;
        // The view option hides it; an export still has it.
        satin.Ctx.View.ShowCompensation = false;
        EXPECT_NEAR(satin.Generate()[2].Y, -20, 1e-3);
        satin.Ctx.ForExport = true;
        EXPECT_NEAR(satin.Generate()[2].Y, k.a, 1e-3);
    }
}

TEST(SatinOutline, SectionsSwitchPastShortSections) {
    // Sections far shorter than the stitch spacing: the generator steps over several at once and
    // never looks past the last section.
    Satin satin({{0, 0}, {100, 0}, {100.5f, 0}, {101, 0}, {101.5f, 0}, {200, 0}});
    satin.C.Density = 10;
    for (int32_t i = 0; i < satin.C.Outlines->Count(); ++i) {
        (*satin.C.Outlines)[i]->HeightA = 10.f + 5.f * static_cast<float>(i);
        (*satin.C.Outlines)[i]->CtrlHeight1A = (*satin.C.Outlines)[i]->CtrlHeight2A =
            (*satin.C.Outlines)[i]->HeightA;
    }
    const TSLStitch& s = satin.Generate();
    ASSERT_TRUE(satin.C.Visible());
    ASSERT_GT(s.Count(), 10);
    // The A edge near the end follows the last real section, which runs towards the last height.
    EXPECT_LT(s[s.Count() - 2].Y, -30.f);
}

TEST(SatinOutline, RegenerationIsStable) {
    struct Case {
        const char* name;
        uint32_t type;
        bool shortStitches, feather, fill;
    } cases[] = {
        {"satin", ST_SATIN, false, false, false},           {"zigzag short", ST_ZIGZAG, true, false, false},
        {"satin short", ST_SATIN, true, false, true},       {"feather", ST_SATIN, false, true, false},
        {"feather short fill", ST_SATIN, true, true, true},
    };
    for (auto& k : cases) {
        Satin satin({{0, 0}, {100, 80}, {300, 0}}, k.type);
        satin.C.Outlines->OutlineCompensation = 0.5f;
        if (k.shortStitches) satin.C.Flags |= OF_SHORT_STITCHES;
        if (k.fill) satin.C.StitchFlags |= SF_USE_FILL;
        if (k.feather) {
            satin.C.Outlines->OutlineFeather = std::make_unique<TFeather>();
            satin.C.Outlines->OutlineFeather->FeatherFlags = FF_ABOVE | FF_BELOW;
        }
        auto first = Points(satin.Generate());
        EXPECT_GT(first.size(), 20u) << k.name;
        EXPECT_EQ(Points(satin.Generate()), first) << k.name;
    }
}

TEST(SatinOutline, ShortStitchesOnTheInsideOfABend) {
    Satin satin({{0, 0}, {100, 100}, {200, 0}});
    SetHeights(*satin.C.Outlines, 60.f);
    satin.C.Flags |= OF_SHORT_STITCHES;
    const TSLStitch& s = satin.Generate();
    int shorts = 0;
    for (const TSP& p : s)
        if (p.Flags & SP_SHORT) {
            ++shorts;
            EXPECT_EQ(p.Class(), TPointClass::Modify);
        }
    EXPECT_GT(shorts, 0);
}

TEST(SatinOutline, ReturnRunAndStitchFromEnd) {
    Satin satin({{0, 0}, {200, 0}});
    auto plain = Points(satin.Generate());
    satin.C.Flags |= OF_STITCH_FROM_END;
    auto reversed = Points(satin.Generate());
    std::reverse(reversed.begin(), reversed.end());
    EXPECT_EQ(reversed, plain);

    satin.C.Flags &= ~OF_STITCH_FROM_END;
    satin.C.Outlines->ProfileFlags |= PF_RETURN_STITCH;
    const TSLStitch& s = satin.Generate();
    // The run along the path first (2 mm stitches on y = 0), then the satin reversed.
    EXPECT_EQ(s[0].Y, 0.f);
    EXPECT_NEAR(s[1].X, 40.f, 0.1);
    int32_t run = 0;
    while (run < s.Count() && s[run].Y == 0.f)
        ++run;
    EXPECT_EQ(run, 6);
    EXPECT_EQ(s.Count() - run, static_cast<int32_t>(plain.size()));
    EXPECT_EQ(s[run].X, plain.back().first);
}

TEST(SatinOutline, FillSplitEndsWithAnyPitch) {
    for (float pitch : {0.f, -1.f, 40.f, std::nanf("")}) {
        Satin satin({{0, 0}, {200, 0}});
        satin.C.StitchFlags |= SF_USE_FILL | SF_MATCH_MIDDLE;
        satin.C.FillPitch = pitch;
        SetHeights(*satin.C.Outlines, 60.f);
        const TSLStitch& s = satin.Generate();
        int fills = 0;
        for (const TSP& p : s)
            fills += (p.Flags & SP_FILL) ? 1 : 0;
        EXPECT_GT(fills, 50) << pitch;
    }
}

TEST(SatinOutline, ShortZigzagWithShortStitchesStaysOnTheOutline) {
    // Three visits: the B edge gets a single point. Every point comes from the outline's band
    // (the re-spaced edge may run out two stitch spacings past the end), never from the origin.
    Satin satin({{1000, 1000}, {1040, 1000}}, ST_ZIGZAG);
    satin.C.Flags |= OF_SHORT_STITCHES;
    satin.C.Density = 10;
    const TSLStitch& s = satin.Generate();
    ASSERT_TRUE(satin.C.Flags & OF_VISIBLE);
    ASSERT_GT(s.Count(), 2);
    for (const TSP& p : s) {
        EXPECT_GE(p.X, 999.f);
        EXPECT_LE(p.X, 1081.f);
        EXPECT_GE(p.Y, 979.f);
        EXPECT_LE(p.Y, 1021.f);
    }
}

TEST(SatinOutline, PairingFailsOnAMiscountInsteadOfMakingPoints) {
    TRailChain a, b;
    a.Points = {TSP::Plain(SP_BOUNDARY, 10, 10), TSP::Plain(SP_BOUNDARY, 20, 10)};
    a.PerSection = {2};
    b.Points = {TSP::Plain(SP_BOUNDARY, 15, 20)};
    b.PerSection = {2}; // one point short
    TSLStitch out;
    TRandom rng;
    EXPECT_THROW(PairChains(b, a, out, rng, nullptr), TGenerationError);
}

TEST(SatinOutline, StitchesAreSquareToShortSlantedSegments) {
    // A 1 mm segment 3, 10 and 25 degrees off vertical, and a longer one whose first control
    // point sits on its anchor: every stitch A -> B is perpendicular to the segment.
    struct Case {
        double degrees, length;
        bool handleOnAnchor;
    } cases[] = {{3, 20, false}, {10, 20, false}, {25, 20, false}, {25, 200, true}, {-10, 20, true}};
    for (const Case& k : cases) {
        const double a = k.degrees * 3.14159265358979 / 180;
        const double dx = std::sin(a) * k.length, dy = -std::cos(a) * k.length;
        Satin satin({{500, 500}, {static_cast<float>(500 + dx), static_cast<float>(500 + dy)}});
        if (k.handleOnAnchor) satin.C[1] = TSP::Plain(0, 500, 500);
        satin.C.Density = 50;
        satin.Generate();
        TSLStitch raw;
        GenerateSatinOutline(satin.C, raw, satin.Ctx);
        ASSERT_GE(raw.Count(), 4) << k.degrees;
        for (int32_t i = 0; i + 1 < raw.Count(); i += 2) {
            const double sx = raw[i + 1].X - raw[i].X, sy = raw[i + 1].Y - raw[i].Y;
            const double off = std::asin(std::fabs(sx * dx + sy * dy) / std::hypot(sx, sy) / k.length);
            EXPECT_LT(off * 180 / 3.14159265358979, 0.6) << k.degrees << " degrees, stitch " << i / 2;
        }
    }
}

TEST(SatinOutline, SlantWithAnEdgeFeatheredOntoThePath) {
    // Feathering that pulls the A edge onto the path leaves no A ray to take the path's
    // direction from; the slanted stitches still reach the B edge and stay in the band.
    const double c = std::cos(0.5), sn = std::sin(0.5);
    Satin satin({{0, 0}, {static_cast<float>(400 * c), static_cast<float>(400 * sn)}});
    (*satin.C.Outlines)[0]->EndRotation = 0.6f;
    auto f = std::make_unique<TFeather>();
    f->FeatherFlags = FF_ABOVE;
    f->ScaleA = -0.99999f;
    f->WidthA = 1000;
    satin.C.Outlines->OutlineFeather = std::move(f);
    const TSLStitch& s = satin.Generate();
    ASSERT_GT(s.Count(), 20);
    const double reach = 20 / std::cos(0.6) + 1;
    for (int32_t i = 0; i < s.Count(); ++i) {
        const double along = s[i].X * c + s[i].Y * sn, across = -s[i].X * sn + s[i].Y * c;
        EXPECT_LE(std::fabs(across), reach) << i;
        EXPECT_GE(along, -reach) << i;
        EXPECT_LE(along, 400 + reach) << i;
        // A edge on the path, B edge 20 units off it (slanted: farther).
        if (i % 2 == 1) {
            EXPECT_GE(std::fabs(across), 19) << i;
        }
    }
}
