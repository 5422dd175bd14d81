// Every generator against its invariants, on objects drawn at random (fixed seed) within the
// ranges of their property pages: running outlines, satin and zigzag outlines, curved columns,
// tatami/satin/zigzag region fills and chains of linked outlines, with and without short stitches,
// compensation, feathering, fill split, return runs, underlay and "Prog Stitch" patterns. The same
// checks run in fuzz/fuzz_generators.cpp. Patterns matched to the curve advance with the distance
// along the path: a column and a satin outline on one path repeat them once per tile.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "GeneratorProperties.h"

using namespace nl;
using namespace nl::props;

TEST(GeneratorProperties, RandomObjectsKeepEveryInvariant) {
    struct Kind {
        TKind kind;
        int cases;
    } kinds[] = {{TKind::Running, 400},
                 {TKind::SatinOutline, 1200},
                 {TKind::Column, 400},
                 {TKind::Region, 250},
                 {TKind::Linked, 250}};
    for (const Kind& k : kinds) {
        TSeededDraw draw(0x5EED0000u + static_cast<uint32_t>(k.kind));
        int generated = 0, faults = 0;
        for (int i = 0; i < k.cases; ++i) {
            TGenCase g = MakeCase(draw, k.kind);
            TResult r = Check(g);
            generated += r.Generated ? 1 : 0;
            for (const std::string& f : r.Faults) {
                if (++faults <= 5) ADD_FAILURE() << "case " << i << ": " << f;
            }
        }
        EXPECT_EQ(faults, 0) << KindName(k.kind);
        // Most objects drawn have stitches: the checks above ran on real output.
        EXPECT_GT(generated, k.cases * 8 / 10) << KindName(k.kind);
    }
}

namespace {

// Where along a straight band from (x0, y0) in direction (ux, uy) the pattern's crossings pass
// its middle line (within `tolerance`), one place per run of crossings `gap` apart or less; the
// mean spacing of those places.
double MeanRepeat(const TSLStitch& s, double x0, double y0, double ux, double uy, double tolerance,
                  double gap) {
    std::vector<double> along;
    for (const TSP& p : s) {
        if (!(p.Flags & SP_FILL)) continue;
        const double dx = p.X - x0, dy = p.Y - y0;
        if (std::fabs(-dx * uy + dy * ux) < tolerance) along.push_back(dx * ux + dy * uy);
    }
    std::sort(along.begin(), along.end());
    std::vector<double> places;
    for (size_t i = 0; i < along.size(); ++i)
        if (i == 0 || along[i] - along[i - 1] > gap) places.push_back(along[i]);
    if (places.size() < 3) return 0;
    return (places.back() - places.front()) / static_cast<double>(places.size() - 1);
}

} // namespace

TEST(GeneratorProperties, MatchedPatternsRepeatOnceATileOnAColumnAndASatinOutlineOfOnePath) {
    TSeededDraw d(0x5EED0100u);
    for (int round = 0; round < 40; ++round) {
        // A pattern whose one line climbs across its 15 to 30 mm tile: its crossing passes the
        // band's middle once every tile width travelled along the path. A straight path in any
        // direction, five to eight tiles long, and a band 3 to 12 mm wide.
        const int32_t tile = d.Int(300, 600), density = d.Int(20, 70);
        const double length = d.Uniform(5.0 * tile, 8.0 * tile), heading = d.Uniform(0, 2 * Pi),
                     half = d.Uniform(30, 120);
        const double ux = std::sin(heading), uy = -std::cos(heading), nx = -uy, ny = ux;
        const double x0 = d.Uniform(2000, 4000), y0 = d.Uniform(2000, 4000);
        const bool shortStitches = d.Chance(0.5);
        auto pattern = [&] {
            auto p = std::make_unique<TObjectStitch>();
            p->Flags |= TObjectStitch::PATTERN_COPY | PATTERN_MATCH_CURVE;
            p->PatternWidth = p->PatternHeight = tile;
            auto line = std::make_unique<TSLStitch>();
            line->Append(TSP::Plain(0, 0, 0));
            line->Append(TSP::Plain(0, static_cast<float>(tile), static_cast<float>(tile)));
            p->Items.emplace_back(std::move(line));
            return TDeepPtr<TObjectStitch>(std::move(p));
        };
        auto straight = [&](double offset) {
            auto c = std::make_unique<TSLCurve>();
            for (int k = 0; k <= 3; ++k) {
                const double t = length * k / 3;
                c->AppendPoint(0, -1, static_cast<float>(x0 + ux * t + nx * offset),
                               static_cast<float>(y0 + uy * t + ny * offset));
            }
            return c;
        };
        TStitchContext ctx;
        // The column: its rails half the band either side of the path.
        auto a = straight(-half), b = straight(half);
        a->Flags = OF_RAIL_A | OF_VISIBLE;
        b->Flags = OF_RAIL_B | OF_VISIBLE;
        a->SetStitchTypeBits(ST_SATIN);
        b->SetStitchTypeBits(ST_SATIN);
        a->PartnerRail = b.get();
        b->PartnerRail = a.get();
        a->Density = density;
        a->StitchFlags |= SF_PROG_STITCH;
        b->Pattern = pattern();
        a->Flatten();
        b->Flatten();
        Restitch(*a, ctx);
        // The satin outline on the path itself.
        auto c = straight(0);
        c->Flags |= OF_VISIBLE | (shortStitches ? uint32_t{OF_SHORT_STITCHES} : 0u);
        c->SetStitchTypeBits(ST_SATIN);
        c->Density = density;
        c->StitchFlags |= SF_PROG_STITCH;
        c->Outlines = TOutlineList::MakeDefault(c->AnchorCount());
        for (const auto& o : *c->Outlines)
            o->HeightA = o->HeightB = o->CtrlHeight1A = o->CtrlHeight2A = o->CtrlHeight1B = o->CtrlHeight2B =
                static_cast<float>(half);
        c->Outlines->OutlinePattern = pattern();
        c->UpdateBounds(ctx);
        Restitch(*c, ctx);
        ASSERT_TRUE(a->Stitches() && c->Stitches());
        // A stitch moves the crossing by about its spacing: the middle is looked for that wide.
        const double tolerance = 200.0 / density + 1;
        const std::string what = "round " + std::to_string(round) + " tile " + std::to_string(tile) +
                                 (shortStitches ? " short stitches" : "");
        EXPECT_NEAR(MeanRepeat(*a->Stitches(), x0, y0, ux, uy, tolerance, tile / 2.0), tile, 0.03 * tile)
            << "column " << what;
        EXPECT_NEAR(MeanRepeat(*c->Stitches(), x0, y0, ux, uy, tolerance, tile / 2.0), tile, 0.03 * tile)
            << "satin outline " << what;
    }
}
