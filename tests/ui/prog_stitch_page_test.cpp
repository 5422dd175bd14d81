// The "Prog. Stitch Pattern" page model on a curved column and a region: tile size and turn within
// their ranges (the drawing scaled with the tile), "Match Pattern To Curve" and the row anchoring,
// the orientation buttons, and clearing after the "Prog Stitch Change" question.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <memory>
#include <numbers>

#include "../regions/TestShapes.h"
#include "../stitching/CurveHelpers.h"
#include "PageTest.h"
#include "platform/ScriptedHost.h"
#include "regions/Pattern.h"
#include "regions/SLRegion.h"
#include "stitching/Overlay.h"
#include "stitching/SLCurve.h"
#include "ui/ProgStitchPage.h"

using namespace nl;
using nl::test::Field;
using nl::test::Toggle;

namespace {

// A 200-unit tile holding one diagonal and one vertical line.
std::unique_ptr<TObjectStitch> Tile() {
    auto p = std::make_unique<TObjectStitch>();
    auto diagonal = std::make_unique<TSLStitch>();
    diagonal->Append(TSP::Plain(0, 0, 0));
    diagonal->Append(TSP::Plain(0, 200, 200));
    auto vertical = std::make_unique<TSLStitch>();
    vertical->Append(TSP::Plain(0, 50, 0));
    vertical->Append(TSP::Plain(0, 50, 200));
    p->Items.emplace_back(std::move(diagonal));
    p->Items.emplace_back(std::move(vertical));
    return p;
}

// A 40 mm by 4 mm column carrying the tile.
struct PatternColumn : nl::test::TColumnFixture {
    TScriptedHost Host;
    PatternColumn() : TColumnFixture({{0, 0}, {800, 0}}, {{0, 80}, {800, 80}}) {
        A.SetStitchTypeBits(ST_SATIN);
        EXPECT_TRUE(SetPattern(A, Tile()));
        Restitch(A, Ctx);
    }
    TProgStitchPage Page() { return TProgStitchPage(B, Ctx, Host); } // either rail opens the column
    size_t Pierced() const {
        size_t n = 0;
        for (const TSP& p : *A.Stitches())
            n += (p.Flags & SP_FILL) != 0;
        return n;
    }
    std::vector<std::pair<float, float>> PiercedAt() const {
        std::vector<std::pair<float, float>> v;
        for (const TSP& p : *A.Stitches())
            if (p.Flags & SP_FILL) v.emplace_back(p.X, p.Y);
        return v;
    }
};

} // namespace

TEST(ProgStitchPage, TileSizeAndRotationStayInTheirRanges) {
    PatternColumn c;
    TProgStitchPage page = c.Page();
    ASSERT_TRUE(TProgStitchPage::Shown(c.B));
    ASSERT_EQ(page.Pattern(), c.B.Pattern.get()) << "a column keeps its pattern on rail B";
    const size_t width = Field<TProgStitchPage>("Width"), height = Field<TProgStitchPage>("Height"),
                 rotation = Field<TProgStitchPage>("Rotation");
    EXPECT_DOUBLE_EQ(page.Value(width), 10.0);

    struct Case {
        size_t field;
        double entry;
        TApply expected;
    } cases[] = {
        {width, 1.5, TApply::Refused},       {width, 60.02, TApply::Refused},
        {width, 1.9995, TApply::Accepted},   {width, 60.01, TApply::Accepted},
        {height, 0, TApply::Refused},        {height, 12.5, TApply::Accepted},
        {rotation, -360.5, TApply::Refused}, {rotation, 360, TApply::Accepted},
        {rotation, 45, TApply::Accepted},
    };
    for (const Case& k : cases)
        EXPECT_EQ(page.Apply(k.field, k.entry), k.expected) << k.field << " " << k.entry;
    // Sizes are whole units within the tile range; the drawing is scaled with the tile.
    const TObjectStitch& p = *page.Pattern();
    EXPECT_EQ(p.PatternWidth, kPatternTileMax);
    EXPECT_EQ(p.PatternHeight, 250);
    EXPECT_FLOAT_EQ((*p.Items[0])[1].X, 1200.f);
    EXPECT_FLOAT_EQ((*p.Items[0])[1].Y, 250.f);
    EXPECT_FLOAT_EQ((*p.Items[1])[0].X, 300.f);
    EXPECT_NEAR(p.PatternAngle, std::numbers::pi / 4, 1e-6);
    EXPECT_NEAR(page.Value(rotation), 45.0, 1e-4);
    // A size just under 2 mm comes in at the smallest tile, never 0 (which would divide by zero).
    EXPECT_EQ(page.Apply(width, 1.9995), TApply::Accepted);
    EXPECT_EQ(page.Pattern()->PatternWidth, kPatternTileMin);
}

TEST(ProgStitchPage, MatchingAnchorsAndOrientationRegenerateTheColumn) {
    PatternColumn c;
    TProgStitchPage page = c.Page();
    const size_t match = Toggle<TProgStitchPage>("Match Pattern To Curve");
    const auto tiled = c.PiercedAt();
    ASSERT_GT(tiled.size(), 10u);
    // Anchoring is offered for a matched pattern only; a new pattern carries "From Bottom".
    EXPECT_FALSE(page.AnchorApplies());
    EXPECT_FALSE(page.SetAnchor(TPatternAnchor::Top));
    EXPECT_EQ(page.Anchor(), TPatternAnchor::Bottom);
    EXPECT_EQ(page.SetToggle(match, true), TApply::Accepted);
    EXPECT_TRUE(page.Pattern()->Flags & PATTERN_MATCH_CURVE);
    const auto bottom = c.PiercedAt();
    EXPECT_NE(bottom, tiled) << "the matched pattern pierces elsewhere";
    ASSERT_TRUE(page.AnchorApplies());
    for (TPatternAnchor a : {TPatternAnchor::Top, TPatternAnchor::Middle, TPatternAnchor::Bottom}) {
        EXPECT_TRUE(page.SetAnchor(a));
        EXPECT_EQ(page.Anchor(), a);
        const uint32_t bits =
            page.Pattern()->Flags & (PATTERN_FROM_TOP | PATTERN_FROM_MIDDLE | PATTERN_FROM_BOTTOM);
        EXPECT_EQ(std::popcount(bits), 1) << "one anchor at a time";
    }
    EXPECT_TRUE(page.SetAnchor(TPatternAnchor::Top));
    EXPECT_NE(c.PiercedAt(), bottom) << "from the top differs from the bottom on a column of even stitches";

    // Orientation: a mirror twice is the identity; a quarter turn of a non-square tile swaps its sides.
    EXPECT_EQ(page.SetToggle(match, false), TApply::Accepted);
    ASSERT_EQ(c.PiercedAt(), tiled);
    EXPECT_TRUE(page.Orient(TProgStitchPage::TOrient::MirrorH));
    EXPECT_NE(c.PiercedAt(), tiled);
    EXPECT_TRUE(page.Orient(TProgStitchPage::TOrient::MirrorH));
    EXPECT_EQ(c.PiercedAt(), tiled);
    EXPECT_TRUE(page.Orient(TProgStitchPage::TOrient::MirrorV));
    EXPECT_NE(c.PiercedAt(), tiled);
    page.Apply(Field<TProgStitchPage>("Height"), 20);
    EXPECT_TRUE(page.Orient(TProgStitchPage::TOrient::Rotate90));
    EXPECT_EQ(page.Pattern()->PatternWidth, 400);
    EXPECT_EQ(page.Pattern()->PatternHeight, 200);
}

TEST(ProgStitchPage, ClearAsksAndFreesThePattern) {
    PatternColumn c;
    TProgStitchPage page = c.Page();
    ASSERT_GT(c.Pierced(), 0u);
    c.Host.Answers = {TButton::No};
    EXPECT_FALSE(page.Clear());
    ASSERT_EQ(c.Host.Messages.size(), 1u);
    EXPECT_EQ(c.Host.Messages[0].Heading, "Prog Stitch Change");
    EXPECT_TRUE(c.B.Pattern);
    EXPECT_GT(c.Pierced(), 0u);
    c.Host.Answers = {TButton::Yes};
    EXPECT_TRUE(page.Clear());
    EXPECT_FALSE(c.B.Pattern);
    EXPECT_FALSE(c.A.StitchFlags & SF_PROG_STITCH);
    EXPECT_EQ(c.Pierced(), 0u) << "regenerated without the pattern";
    EXPECT_FALSE(TProgStitchPage::Shown(c.A));
    // With no pattern nothing applies and nothing is asked.
    EXPECT_EQ(page.Apply(Field<TProgStitchPage>("Width"), 10), TApply::NotApplicable);
    EXPECT_FALSE(page.Clear());
    EXPECT_EQ(c.Host.Messages.size(), 2u);
}

TEST(ProgStitchPage, RegionPatternLiesFlat) {
    TStitchContext ctx;
    auto outline = nl::test::ClosedOutline(nl::test::Square(0, 0, 1000));
    auto region = nl::test::RegionOn(*outline, ctx);
    TScriptedHost host;
    EXPECT_FALSE(TProgStitchPage::Shown(*region));
    ASSERT_TRUE(SetPattern(*region, Tile()));
    EXPECT_TRUE(TProgStitchPage::Shown(*region));
    TProgStitchPage page(*region, ctx, host);
    EXPECT_FALSE(page.ToggleApplies(Toggle<TProgStitchPage>("Match Pattern To Curve")));
    EXPECT_FALSE(page.AnchorApplies());
    EXPECT_EQ(page.Apply(Field<TProgStitchPage>("Width"), 5), TApply::Accepted);
    EXPECT_EQ(region->FillPattern->PatternWidth, 100);
    // Objects without width take no pattern.
    TSLCurve running;
    running.SetPolyline({{0, 0}, {100, 0}});
    EXPECT_FALSE(SetPattern(running, Tile()));
    EXPECT_FALSE(TProgStitchPage::Shown(running));
}
